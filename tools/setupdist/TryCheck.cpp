/*
 * TryCheck.cpp - a trial installation checked against its distribution:
 * the script read with SETUP.EXE's own reader, each file found below the
 * destination and compared with its source (expanded when it is stored
 * compressed), each destination folder, and the group and its items as
 * SETUP.EXE sends them. Linux only: Wine's drive is a folder there, and
 * DistOsTime counts nanoseconds.
 */
#include <string.h>
#include <time.h>
#include <algorithm>
#include <memory>
#include <new>
#include "DistOs.h"
#include "DistPlan.h"
#include "ProgmanText.h"
#include "SetupinfHost.h"
#include "SetupinfOs.h"
#include "Szdd.h"
#include "TryReport.h"

#define NSPERSEC 1000000000LL

static std::string Utf8(const std::string &ansi)
{
    return HostTextFromAnsi(ansi, "UTF-8");
}

/* A folder text followed by a name, with a backslash between them only
 * where the folder lacks one and is not empty: the copy step's own rule,
 * relative to the destination. Code page 936. */
static std::string JoinAnsi(LPCSTR lpszFolder, LPCSTR lpszName)
{
    std::string path = lpszFolder;
    if (!path.empty() && !PathEndsInBackslash(lpszFolder))
        path += '\\';
    return path + lpszName;
}

static bool SameLetters(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++) {
        char ca = a[i] >= 'a' && a[i] <= 'z' ? (char)(a[i] - 'a' + 'A') : a[i];
        char cb = b[i] >= 'a' && b[i] <= 'z' ? (char)(b[i] - 'a' + 'A') : b[i];
        if (ca != cb)
            return false;
    }
    return true;
}

/* The path of rel ('/' between its names) below root as Wine finds it: a
 * name that is not there as written is looked up with its letters in
 * either case, as Windows names are. As written when nothing matches. */
static std::string FindPath(const std::string &root, const std::string &rel)
{
    std::string exact = root + "/" + rel;
    if (DistOsKind(exact) != -1)
        return exact;
    std::string path = root;
    for (size_t i = 0; i <= rel.size();) {
        size_t j = rel.find('/', i);
        if (j == std::string::npos)
            j = rel.size();
        std::string piece = rel.substr(i, j - i);
        i = j + 1;
        if (piece.empty())
            continue;
        std::string next = path + "/" + piece;
        std::vector<DISTENTRY> entries;
        if (DistOsKind(next) == -1 && DistOsList(path, &entries))
            for (const DISTENTRY &entry : entries)
                if (SameLetters(entry.strName, piece)) {
                    next = path + "/" + entry.strName;
                    break;
                }
        path = next;
    }
    return path;
}

static std::string DateText(long long llSeconds)
{
    time_t t = (time_t)llSeconds;
    struct tm tmUtc;
    char sz[32];
    if (!gmtime_r(&t, &tmUtc) || strftime(sz, sizeof(sz), "%Y-%m-%d %H:%M:%S", &tmUtc) == 0)
        return std::to_string(llSeconds);
    return sz;
}

/* What the file is to hold once installed: its source as it is, or
 * expanded when it begins as a compressed file (SETUP.EXE's own rule). */
static bool ExpectedContent(const std::string &path, const std::string &rel, std::vector<unsigned char> *pData,
                            std::string *pstrWhy)
{
    std::vector<unsigned char> raw;
    if (!DistOsReadFile(path, &raw)) {
        *pstrWhy = "its source " + rel + " cannot be read";
        return false;
    }
    if (!SzddHasSignature(raw.data(), raw.size())) {
        pData->swap(raw);
        return true;
    }
    if (!SzddExpand(raw.data(), raw.size(), pData)) {
        *pstrWhy = "its source " + rel + " is damaged";
        return false;
    }
    return true;
}

/* One installed file against its source: present, size, content, date. */
static std::string CheckOneFile(const std::string &source, const std::string &sourceRel,
                                const std::string &installed, long long *pllSize)
{
    std::vector<unsigned char> want, got;
    std::string why;
    *pllSize = -1;
    if (!ExpectedContent(source, sourceRel, &want, &why))
        return why;
    *pllSize = (long long)want.size();
    int nKind = DistOsKind(installed);
    if (nKind == -1)
        return "missing";
    if (nKind == 1)
        return "a folder, not a file";
    if (!DistOsReadFile(installed, &got))
        return "cannot be read: " + DistOsLastError();
    if (got.size() != want.size())
        return "size " + std::to_string(got.size()) + ", expected " + std::to_string(want.size());
    auto diff = std::mismatch(got.begin(), got.end(), want.begin());
    if (diff.first != got.end())
        return "differs at byte " + std::to_string(diff.first - got.begin());
    long long llGot = DistOsTime(installed) / NSPERSEC, llWant = DistOsTime(source) / NSPERSEC;
    if (llGot != llWant)
        return "date " + DateText(llGot) + ", expected " + DateText(llWant) + " (UTC)";
    return TRY_OK;
}

static void CheckFiles(const CSetupInf &inf, const std::string &distDir, const TRYFACTS &facts, TRYCHECK *pCheck)
{
    char szDisplay[MAXTEXT], szSrcDir[MAXTEXT], szSrcName[MAXTEXT], szDstDir[MAXTEXT], szDstName[MAXTEXT];
    for (UINT i = 0; i < inf.GetNumFiles(); i++) {
        BOOL bWhole = inf.GetFile(i, szDisplay, szSrcDir, szSrcName, szDstDir, szDstName);
        std::string dstRel = JoinAnsi(szDstDir, szDstName), srcRel = JoinAnsi(szSrcDir, szSrcName);
        TRYFILE file = { Utf8(dstRel), -1, TRY_OK };
        if (!bWhole)
            file.strCheck = "cut in the script: SETUP.EXE cannot copy it";
        else if (facts.strDestUnix.empty())
            file.strCheck = "not checked: the walk recorded no destination";
        else
            file.strCheck = CheckOneFile(FindPath(distDir, HostPathFromAnsi(srcRel.c_str())), Utf8(srcRel),
                                         FindPath(facts.strDestUnix, HostPathFromAnsi(dstRel.c_str())),
                                         &file.llSize);
        pCheck->files.push_back(file);
    }
}

static void CheckFolders(const CSetupInf &inf, const TRYFACTS &facts, TRYCHECK *pCheck)
{
    char szDir[MAXTEXT];
    for (UINT i = 0; i < inf.GetNumDstDirs(); i++) {
        BOOL bWhole = inf.GetDstDir(i, szDir);
        TRYFOLDER folder = { facts.strDest + Utf8(szDir), TRY_OK };
        int nKind = facts.strDestUnix.empty() ? -1
                                              : DistOsKind(FindPath(facts.strDestUnix, HostPathFromAnsi(szDir)));
        if (!bWhole)
            folder.strCheck = "cut in the script: SETUP.EXE makes none";
        else if (facts.strDestUnix.empty())
            folder.strCheck = "not checked: the walk recorded no destination";
        else if (nKind != 1)
            folder.strCheck = nKind == 0 ? "a file, not a folder" : "missing";
        pCheck->folders.push_back(folder);
    }
}

/* The piece after the last backslash or slash. */
static std::string FileNameOf(const std::string &path)
{
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

/* Each of the script's items against what Program Manager holds, matched
 * by description; then what it holds that the script lacks. An item in
 * the distribution's folder is compared by its file name: where the
 * distribution lay is not among the facts. */
static void CheckItems(const CSetupInf &inf, const TRYFACTS &facts, TRYCHECK *pCheck)
{
    char szDescription[MAXTEXT], szItemText[MAXTEXT], szPath[MAXPMPATH];
    std::string destAnsi;
    if (!HostConvert(facts.strDest, "CP936", "UTF-8", &destAnsi))
        destAnsi = facts.strDest;
    std::vector<bool> taken(facts.items.size(), false);
    for (UINT i = 0; i < inf.GetNumPMItems(); i++) {
        BOOL bWhole = inf.GetPMItem(i, szDescription, szItemText);
        bool bSource = strlen(szItemText) >= 2 && (szItemText[1] == 'S' || szItemText[1] == 's');
        TRYITEM item = { Utf8(szDescription), "", "missing" };
        if (!bWhole || !MakeItemCommandPath(szPath, sizeof(szPath), szItemText, "", destAnsi.c_str())) {
            item.strCheck = "cannot be sent: its text in the script is cut or too long";
            pCheck->items.push_back(item);
            continue;
        }
        std::string want = Utf8(szPath);
        for (size_t k = 0; k < facts.items.size(); k++) {
            if (taken[k] || facts.items[k].strDescription != item.strDescription)
                continue;
            taken[k] = true;
            item.strCommand = facts.items[k].strCommand;
            bool bSame = bSource ? SameLetters(FileNameOf(item.strCommand), FileNameOf(want))
                                 : SameLetters(item.strCommand, want);
            item.strCheck = bSame ? TRY_OK
                                  : "command " + item.strCommand + ", expected " +
                                        (bSource ? "the distribution's " + FileNameOf(want) : want);
            break;
        }
        pCheck->items.push_back(item);
    }
    for (size_t k = 0; k < facts.items.size(); k++)
        if (!taken[k])
            pCheck->items.push_back(
                { facts.items[k].strDescription, facts.items[k].strCommand, "not in the script" });
}

static void CheckGroup(const CSetupInf &inf, const TRYFACTS &facts, TRYCHECK *pCheck)
{
    char szFirst[MAXTEXT], szGroup[MAXTEXT];
    inf.GetDefPMGroup(szFirst, szGroup);
    pCheck->strGroup = Utf8(szGroup);
    /* A script that names no group and no item asks for none. */
    if (!facts.bGroup && !(pCheck->strGroup.empty() && inf.GetNumPMItems() == 0))
        pCheck->strGroupCheck = "missing";
    else if (facts.bGroup && facts.strGroup != pCheck->strGroup)
        pCheck->strGroupCheck = "named " + facts.strGroup + ", expected " + pCheck->strGroup;
    else
        pCheck->strGroupCheck = TRY_OK;
}

static std::string ExitCheck(const TRYFACTS &facts)
{
    if (!facts.bExitCode)
        return "SETUP.EXE's exit code was not recorded";
    switch (facts.lExitCode) {
    case 0:
    case 3010:
        return TRY_OK;
    case 1602:
        return "SETUP.EXE ended with 1602 (the user left)";
    case 1603:
        return "SETUP.EXE ended with 1603 (a step failed)";
    case 1604:
        return "SETUP.EXE ended with 1604 (cancelled)";
    default:
        return "SETUP.EXE ended with " + std::to_string(facts.lExitCode);
    }
}

static bool LoadScript(const std::string &distDir, CSetupInf *pInf, std::string *pstrWhy)
{
    std::string dirAnsi;
    if (!DistOsCheckerPath(distDir, &dirAnsi)) {
        *pstrWhy = distDir + ": the path has a character that code page 936 lacks";
        return false;
    }
    if (!dirAnsi.empty() && dirAnsi.back() != '/')
        dirAnsi += '/';
    /* Wildcard lines list the folders beside the script. */
    OsSetProgramFolder(dirAnsi.c_str());
    UINT uResult = pInf->Load((dirAnsi + DIST_SCRIPT).c_str(), NULL);
    OsSetProgramFolder(NULL);
    if (uResult == LOAD_OK)
        return true;
    *pstrWhy = distDir + "/" DIST_SCRIPT ": " +
               (uResult == LOAD_REJECTED ? "the reader refuses it" : "cannot be read");
    return false;
}

/* The first check that is not TRY_OK, in the report's order. */
static std::string FirstDifference(const TRYFACTS &facts, const TRYCHECK &check)
{
    if (facts.bStopped)
        return "the walk stopped: " + facts.strStopped;
    if (check.strExitCheck != TRY_OK)
        return check.strExitCheck;
    if (!check.strScriptProblem.empty())
        return check.strScriptProblem;
    for (const TRYFILE &file : check.files)
        if (file.strCheck != TRY_OK)
            return file.strName + ": " + file.strCheck;
    for (const TRYFOLDER &folder : check.folders)
        if (folder.strCheck != TRY_OK)
            return "folder " + folder.strName + ": " + folder.strCheck;
    if (check.strGroupCheck != TRY_OK)
        return "group: " + check.strGroupCheck;
    for (const TRYITEM &item : check.items)
        if (item.strCheck != TRY_OK)
            return "item " + item.strDescription + ": " + item.strCheck;
    return "";
}

void CheckTryInstall(const std::string &distDir, const TRYFACTS &facts, TRYCHECK *pCheck)
{
    *pCheck = TRYCHECK();
    pCheck->strExitCheck = ExitCheck(facts);
    pCheck->strGroupCheck = TRY_OK;
    std::unique_ptr<CSetupInf> pInf(new (std::nothrow) CSetupInf);
    if (!pInf) {
        pCheck->strScriptProblem = "out of memory reading the script";
    } else if (LoadScript(distDir, pInf.get(), &pCheck->strScriptProblem)) {
        char szDefDir[MAXTEXT];
        pInf->GetDefDir(szDefDir);
        pCheck->strDefDir = Utf8(szDefDir);
        CheckFiles(*pInf, distDir, facts, pCheck);
        CheckFolders(*pInf, facts, pCheck);
        CheckGroup(*pInf, facts, pCheck);
        CheckItems(*pInf, facts, pCheck);
    }
    pCheck->strFirstDifference = FirstDifference(facts, *pCheck);
    pCheck->bInstalled = pCheck->strFirstDifference.empty();
}
