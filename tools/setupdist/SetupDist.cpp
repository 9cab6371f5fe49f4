/*
 * SetupDist.cpp - the builder's steps: the template read, the
 * application's tree walked and planned, every limit checked before
 * anything is written; then the files stored (compressed where that
 * makes them smaller) with their own dates, SETUP.EXE copied, the script
 * written under a temporary name, checked with the checker's own code,
 * and only then named SETUP.INF. A failure or an interrupt after the
 * first write removes what was written; a dry run does it all and then
 * removes it too, so its result is the real run's.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <memory>
#include "DistNames.h"
#include "DistOs.h"
#include "DistScript.h"
#include "InfCheck.h"
#include "Payload.h"
#include "SetupinfOs.h"
#include "SetupDist.h"
#include "Szdd.h"

/* Where an installed setupdist finds its programs, from its own folder
 * (the build puts them beside it). */
#define DIST_SHARED_SETUP_EXE "../share/setupdist/SETUP.EXE"
#define DIST_LAUNCHER "LAUNCHER.EXE"
#define DIST_SHARED_LAUNCHER "../share/setupdist/LAUNCHER.EXE"

#define COMPRESS_AUTO   0
#define COMPRESS_ALWAYS 1
#define COMPRESS_NEVER  2

#define PROGRESS_AFTER  1000    /* ms before the first progress line */
#define PROGRESS_EVERY  250

static const char szUsage[] =
    "usage: setupdist [--compress auto|always|never] [--cluster BYTES] [--setup-exe PATH]\n"
    "                 [--exclude PATTERN]... [--template-encoding auto|utf-8|gbk] [--dry-run]\n"
    "                 [--single-file OUT.EXE [--force] [--launcher PATH]]\n"
    "                 TEMPLATE APP-FOLDER OUT-FOLDER";

static const char szHelp[] =
    "\n"
    "Lays out a distribution in OUT-FOLDER (new or empty): SETUP.EXE, SETUP.INF made\n"
    "from TEMPLATE ([App] and [PM Info]; the folders and files are added) and the\n"
    "files of APP-FOLDER, compressed where that makes them smaller, with their dates.\n"
    "\n"
    "  --compress MODE       auto (default), always or never\n"
    "  --cluster BYTES       cluster size for SpaceNeeded: 512 to 64K, a power of two\n"
    "                        (default 4096)\n"
    "  --setup-exe PATH      the SETUP.EXE to ship; by default the one beside setupdist,\n"
    "                        then " DIST_SHARED_SETUP_EXE " from its folder\n"
    "  --exclude PATTERN     leave out files and folders whose name (or path below\n"
    "                        APP-FOLDER, with '/') matches; * and ? as wildcards.\n"
    "                        The template, .git, Thumbs.db and desktop.ini are left\n"
    "                        out always\n"
    "  --template-encoding   auto (UTF-8 when the template is valid UTF-8, else GBK),\n"
    "                        utf-8 or gbk\n"
    "  --dry-run             do every step and every check, then remove what was\n"
    "                        written; the exit code is the real run's\n"
    "  --single-file OUT.EXE also write the distribution as one program (new file):\n"
    "                        the launcher followed by a cabinet of OUT-FOLDER's files;\n"
    "                        it unpacks them into a temporary folder, runs SETUP.EXE\n"
    "                        there and removes the folder. [PM Info] items in the\n"
    "                        distribution's folder (second character S) are refused\n"
    "  --force               let --single-file replace an OUT.EXE that exists\n"
    "  --version             the kit's version\n"
    "  --launcher PATH       the launcher; by default " DIST_LAUNCHER " beside setupdist,\n"
    "                        then " DIST_SHARED_LAUNCHER " from its folder\n"
    "\n"
    "Exit code: 0 ready, 2 errors (nothing left in OUT-FOLDER), 64 wrong arguments.";

static const char *const aDefaultExcludes[] = { ".git", "Thumbs.db", "desktop.ini" };

typedef struct tagDISTRUN {
    std::string strTemplate, strApp, strOut, strSetupExe;
    std::string strSingleFile, strLauncher;
    std::vector<std::string> excludes;
    int nCompress, nEncoding;
    unsigned long cbCluster;
    bool bDryRun;
    bool bForce;                /* --single-file may replace its file */
    DISTPRINT pfnPrint;
    void *pContext;
    DISTTEMPLATE tmpl;
    DISTPLAN plan;
    unsigned long long uSpaceK;
    size_t nErrors;
    bool bMadeOut;
    std::string strFullApp, strFullTemplate;
    std::vector<std::string> walking;   /* full paths of the folders being walked */
    std::vector<std::string> made;      /* files and folders written, in order */
    unsigned long ulStart, ulLastProgress;
    size_t cbLauncher, cbSingleFile;
} DISTRUN;

static void Say(DISTRUN *pRun, const std::string &text)
{
    pRun->pfnPrint(pRun->pContext, false, text);
}

static void Error(DISTRUN *pRun, const std::string &text)
{
    pRun->pfnPrint(pRun->pContext, true, text);
    pRun->nErrors++;
}

static std::string Join(const std::string &dir, const std::string &rel)
{
    if (rel.empty())
        return dir;
    if (dir.empty())
        return rel;
    return dir.back() == chDistSep || dir.back() == '/' ? dir + rel : dir + chDistSep + rel;
}

/* ---- the command line --------------------------------------------------- */

static bool ParseCluster(const std::string &text, unsigned long *pcb)
{
    char *lpszEnd = NULL;
    unsigned long cb = strtoul(text.c_str(), &lpszEnd, 10);
    if (lpszEnd && (*lpszEnd == 'K' || *lpszEnd == 'k')) {
        cb *= 1024;
        lpszEnd++;
    }
    if (text.empty() || text[0] < '0' || text[0] > '9' || !lpszEnd || *lpszEnd || cb < 512 || cb > 65536 ||
        (cb & (cb - 1)))
        return false;
    *pcb = cb;
    return true;
}

/* *pn = the index of value among the three words; false when none. */
static bool PickWord(const std::string &value, const char *const aWords[3], int *pn)
{
    for (int i = 0; i < 3; i++)
        if (value == aWords[i]) {
            *pn = i;
            return true;
        }
    return false;
}

/* One option with its value; FALSE with *pstrWhy when it is wrong. */
static bool ParseOption(DISTRUN *pRun, const std::string &arg, const std::string &value, std::string *pstrWhy)
{
    static const char *const aModes[] = { "auto", "always", "never" };
    static const char *const aEncodings[] = { "auto", "utf-8", "gbk" };
    if (arg == "--compress") {
        if (PickWord(value, aModes, &pRun->nCompress))
            return true;
        *pstrWhy = "--compress " + value + ": the mode is auto, always or never";
    } else if (arg == "--cluster") {
        if (ParseCluster(value, &pRun->cbCluster))
            return true;
        *pstrWhy = "--cluster " + value + ": a cluster is a power of two from 512 to 65536 bytes (or 1K to 64K)";
    } else if (arg == "--template-encoding") {
        if (PickWord(value, aEncodings, &pRun->nEncoding))
            return true;
        *pstrWhy = "--template-encoding " + value + ": the encoding is auto, utf-8 or gbk";
    } else if (arg == "--setup-exe") {
        pRun->strSetupExe = value;
        return true;
    } else if (arg == "--exclude") {
        pRun->excludes.push_back(value);
        return true;
    } else if (arg == "--single-file") {
        pRun->strSingleFile = value;
        return true;
    } else if (arg == "--launcher") {
        pRun->strLauncher = value;
        return true;
    }
    return false;
}

static bool ParseArgs(DISTRUN *pRun, const std::vector<std::string> &args, std::string *pstrWhy)
{
    static const char *const aValued[] = { "--compress", "--cluster", "--template-encoding", "--setup-exe",
                                           "--exclude", "--single-file", "--launcher" };
    std::vector<std::string> names;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &arg = args[i];
        bool bValued = false;
        for (const char *lpszOption : aValued)
            bValued = bValued || arg == lpszOption;
        if (arg == "--dry-run") {
            pRun->bDryRun = true;
        } else if (arg == "--force") {
            pRun->bForce = true;
        } else if (bValued && i + 1 == args.size()) {
            *pstrWhy = arg + " needs a value";
            return false;
        } else if (bValued) {
            if (!ParseOption(pRun, arg, args[++i], pstrWhy))
                return false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            *pstrWhy = arg + ": no such option";
            return false;
        } else {
            names.push_back(arg);
        }
    }
    if (names.size() != 3) {
        *pstrWhy = "three names are needed, TEMPLATE APP-FOLDER OUT-FOLDER; " + std::to_string(names.size()) +
                   (names.size() == 1 ? " is given" : " are given");
        return false;
    }
    if (!pRun->strLauncher.empty() && pRun->strSingleFile.empty()) {
        *pstrWhy = "--launcher is for --single-file";
        return false;
    }
    pRun->strTemplate = names[0];
    pRun->strApp = names[1];
    pRun->strOut = names[2];
    /* "out/" is "out"; a root ("/", "A:\") stays as it is. */
    std::string &out = pRun->strOut;
    while (out.size() > 1 && (out.back() == chDistSep || out.back() == '/') && out[out.size() - 2] != ':')
        out.pop_back();
    return true;
}

/* ---- reading ------------------------------------------------------------ */

/* The template's errors from the iFirst-th on, each at its line. */
static void ReportTemplateErrors(DISTRUN *pRun, size_t iFirst)
{
    for (size_t i = iFirst; i < pRun->tmpl.errors.size(); i++)
        Error(pRun, pRun->strTemplate + ":" + std::to_string(pRun->tmpl.errors[i].first) + ": error: " +
                        DistOsScriptToNative(pRun->tmpl.errors[i].second));
}

static void LoadTemplate(DISTRUN *pRun)
{
    std::vector<unsigned char> data;
    int nKind = DistOsKind(pRun->strTemplate);
    if (nKind != 0 || !DistOsReadFile(pRun->strTemplate, &data)) {
        Error(pRun, pRun->strTemplate + ": error: cannot read the template: " +
                        (nKind == 1 ? std::string("it is a folder") : DistOsLastError()));
        return;
    }
    std::string text, bad;
    UINT uLine = 0;
    if (!TemplateToScript(std::string(data.begin(), data.end()), pRun->nEncoding, &text, &uLine, &bad)) {
        Error(pRun, pRun->strTemplate + ":" + std::to_string(uLine) + ": error: " + bad +
                        (pRun->nEncoding == DIST_ENC_AUTO ? "" : " (--template-encoding)"));
        return;
    }
    ReadTemplate(text, &pRun->tmpl);
    ReportTemplateErrors(pRun, 0);
}

static void PlanError(DISTRUN *pRun, const std::string &rel, const std::string &why)
{
    pRun->plan.errors.push_back({ rel, why });
}

/* A native text in code page 936, which the name rules compare; as it
 * is when a character has no place there. */
static std::string RuleText(const std::string &native)
{
    std::string script;
    return DistOsToScript(native, &script) ? script : native;
}

/* A name of the application's folder that is left out, or "" when it is
 * taken: the template itself, the defaults, the patterns of --exclude
 * (on the name, or with a '/' on the path below the folder). */
static std::string LeftOutBy(const DISTRUN *pRun, const std::string &rel, const std::string &native)
{
    if (!pRun->strFullTemplate.empty() && DistOsFullPath(Join(pRun->strApp, rel)) == pRun->strFullTemplate)
        return "the template";
    std::string name = RuleText(native);
    for (const char *lpszName : aDefaultExcludes)
        if (SameDistName(name, lpszName))
            return "by default";
    /* The separators are replaced before the conversion: in code page 936
     * a trail byte may have a backslash's value. */
    std::string slashed = rel;
    std::replace(slashed.begin(), slashed.end(), chDistSep, '/');
    slashed = RuleText(slashed);
    for (const std::string &pattern : pRun->excludes)
        if (NameMatches(RuleText(pattern), pattern.find('/') == std::string::npos ? name : slashed))
            return "--exclude " + pattern;
    return "";
}

/* Is the full path within the application's folder? */
static bool WithinApp(const DISTRUN *pRun, const std::string &full)
{
    std::string app = pRun->strFullApp + chDistSep;
    return full == pRun->strFullApp || full.compare(0, app.size(), app) == 0;
}

/* One entry of a folder: refused, left out, or taken into the plan. */
static void TakeEntry(DISTRUN *pRun, int iFolder, const DISTENTRY &entry,
                      std::vector<std::pair<DISTENTRY, std::string>> *pSubfolders)
{
    DISTPLAN &plan = pRun->plan;
    std::string script, path = NativePath(plan, iFolder, entry.strName);
    std::string why = LeftOutBy(pRun, path, entry.strName);
    if (!why.empty()) {
        Say(pRun, "setupdist: left out " + Join(pRun->strApp, path) + " (" + why + ")");
        return;
    }
    if (entry.bLink && !entry.bFile && !entry.bFolder) {
        PlanError(pRun, path, "a link that leads nowhere (its target is missing, or the links form a loop)");
        return;
    }
    if (!entry.bFile && !entry.bFolder) {
        PlanError(pRun, path, "neither a file nor a folder");
        return;
    }
    if (!DistOsToScript(entry.strName, &script)) {
        PlanError(pRun, path, BadCharacter(entry.strName, DIST_ENC_UTF8));
        return;
    }
    std::string target = entry.bLink ? DistOsFullPath(Join(pRun->strApp, path)) : "";
    /* A link must not carry a file from elsewhere into a public download. */
    if (entry.bLink && !WithinApp(pRun, target)) {
        PlanError(pRun, path, "a link to " + target + ", outside the application's folder; copy the " +
                                  (entry.bFolder ? "folder" : "file") + " in, or leave the link out with --exclude");
        return;
    }
    if (entry.bFolder) {
        pSubfolders->push_back({ entry, script });
    } else {
        DISTFILE file = { iFolder, entry.strName, script, "", "", 0, entry.cbSize, false, 0, entry.llTime, false };
        plan.files.push_back(file);
    }
}

/* Walks one folder of the application: its files first, sorted, then its
 * subfolders, parents before children. A folder that is one of those
 * being walked is reached through a loop of links: named, not entered. */
static void WalkFolder(DISTRUN *pRun, int iFolder)
{
    DISTPLAN &plan = pRun->plan;
    std::string rel = plan.folders[iFolder].strNative;
    std::string full = DistOsFullPath(Join(pRun->strApp, rel));
    for (size_t k = 0; k < pRun->walking.size(); k++)
        if (pRun->walking[k] == full) {
            PlanError(pRun, rel, "a loop of links: this folder is " + full + ", which contains it");
            return;
        }
    std::vector<DISTENTRY> entries;
    if (!DistOsList(Join(pRun->strApp, rel), &entries)) {
        PlanError(pRun, rel, "cannot list the folder: " + DistOsLastError());
        return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const DISTENTRY &a, const DISTENTRY &b) { return a.strName < b.strName; });
    std::vector<std::pair<DISTENTRY, std::string>> subfolders;
    for (const DISTENTRY &entry : entries)
        TakeEntry(pRun, iFolder, entry, &subfolders);
    pRun->walking.push_back(full);
    for (const auto &sub : subfolders) {
        const DISTFOLDER &parent = plan.folders[iFolder];
        DISTFOLDER folder = { NativePath(plan, iFolder, sub.first.strName),
                              parent.strScript + (parent.strScript.empty() ? "" : "\\") + sub.second,
                              sub.second, iFolder, false, sub.first.llTime };
        plan.folders.push_back(folder);
        WalkFolder(pRun, (int)plan.folders.size() - 1);
    }
    pRun->walking.pop_back();
}

static bool WalkApp(DISTRUN *pRun)
{
    pRun->plan.chSep = chDistSep;
    int nKind = DistOsKind(pRun->strApp);
    if (nKind != 1) {
        Error(pRun, pRun->strApp + ": error: " +
                        (nKind == 0 ? "a file, not the application's folder" : "no such folder"));
        return false;
    }
    pRun->strFullApp = DistOsFullPath(pRun->strApp);
    pRun->strFullTemplate = DistOsFullPath(pRun->strTemplate);
    pRun->plan.folders.push_back({ "", "", "", -1, false, DistOsTime(pRun->strApp) });
    WalkFolder(pRun, 0);
    if (pRun->plan.files.empty() && pRun->plan.errors.empty())
        Error(pRun, pRun->strApp + ": error: the folder holds no files");
    return true;
}

/* The output folder's full path, links resolved, also when it does not
 * exist yet; "" when its parent does not exist. */
static std::string FullOutPath(const DISTRUN *pRun)
{
    if (DistOsKind(pRun->strOut) >= 0)
        return DistOsFullPath(pRun->strOut);
    size_t nCut = pRun->strOut.find_last_of(std::string("/") + chDistSep);
    std::string parent = nCut == std::string::npos ? "." : pRun->strOut.substr(0, nCut + 1);
    std::string fullParent = DistOsFullPath(parent);
    return fullParent.empty() ? "" : Join(fullParent, pRun->strOut.substr(nCut + 1));
}

static void CheckOutFolder(DISTRUN *pRun)
{
    int nKind = DistOsKind(pRun->strOut);
    std::vector<DISTENTRY> entries;
    std::string checkerPath;
    if (nKind == 0 || (nKind == 1 && (!DistOsList(pRun->strOut, &entries) || !entries.empty()))) {
        Error(pRun, pRun->strOut + ": error: " + (nKind == 0 ? "a file" : "not an empty folder") +
                        "; a distribution is laid out in a new or empty folder");
        return;
    }
    std::string fullOut = FullOutPath(pRun);
    if (fullOut.empty()) {
        Error(pRun, pRun->strOut + ": error: its parent folder does not exist");
        return;
    }
    if (!pRun->strFullApp.empty() && WithinApp(pRun, fullOut))
        Error(pRun, pRun->strOut + ": error: lies inside the application's folder (it is " + fullOut +
                        "), so the distribution would be packed into the next one");
    if (!DistOsCheckerPath(fullOut, &checkerPath))
        Error(pRun, pRun->strOut + ": error: the path has a character outside code page 936 (GBK); the script "
                                   "checker cannot read a distribution there");
}

static bool IsProgram(const std::string &path)
{
    std::vector<unsigned char> data;
    return DistOsReadFile(path, &data) && data.size() > 2 && data[0] == 'M' && data[1] == 'Z';
}

/* The file lpszName beside the tool, else the installed one (lpszShared,
 * relative to the tool's folder); empty when neither is there. */
static std::string FindByTool(const char *lpszName, const char *lpszShared)
{
    std::string beside = DistOsToolFolder() + lpszName;
    std::string shared = DistOsToolFolder() + lpszShared;
    return DistOsKind(beside) == 0 ? beside : DistOsKind(shared) == 0 ? shared : std::string();
}

/* --setup-exe, else the one beside the tool, else the installed one. */
static void FindSetupExe(DISTRUN *pRun)
{
    if (pRun->strSetupExe.empty()) {
        pRun->strSetupExe = FindByTool(DIST_SETUPEXE, DIST_SHARED_SETUP_EXE);
        if (pRun->strSetupExe.empty()) {
            Error(pRun, "setupdist: error: no SETUP.EXE beside the tool nor in " DIST_SHARED_SETUP_EXE
                        " from its folder; name one with --setup-exe");
            return;
        }
    }
    int nKind = DistOsKind(pRun->strSetupExe);
    if (nKind == 1)
        Error(pRun, pRun->strSetupExe + ": error: a folder; --setup-exe names the SETUP.EXE file itself");
    else if (nKind < 0)
        Error(pRun, pRun->strSetupExe + ": error: no such file (--setup-exe)");
    else if (!IsProgram(pRun->strSetupExe))
        Error(pRun, pRun->strSetupExe + ": error: not a Windows program");
}

/* --single-file: no item may point into the distribution's folder, which
 * is removed after the installation; the launcher is --launcher, else the
 * one beside the tool, else the installed one; the one
 * file is new. */
static void CheckSingleFile(DISTRUN *pRun)
{
    if (pRun->strSingleFile.empty())
        return;
    for (UINT uLine : pRun->tmpl.sourceItems)
        Error(pRun, pRun->strTemplate + ":" + std::to_string(uLine) +
                        ": error: this [PM Info] item lies in the distribution's folder (its second character is "
                        "S); the one file runs SETUP.EXE from a temporary folder that is removed afterwards, so "
                        "the item would lead nowhere: leave the line out of the template for --single-file");
    if (pRun->strLauncher.empty())
        pRun->strLauncher = FindByTool(DIST_LAUNCHER, DIST_SHARED_LAUNCHER);
    int nKind = pRun->strLauncher.empty() ? -1 : DistOsKind(pRun->strLauncher);
    std::vector<unsigned char> data;
    if (pRun->strLauncher.empty())
        Error(pRun, "setupdist: error: no " DIST_LAUNCHER " beside the tool nor in " DIST_SHARED_LAUNCHER
                    " from its folder; name one with --launcher");
    else if (nKind < 0)
        Error(pRun, pRun->strLauncher + ": error: no such file (--launcher)");
    else if (nKind == 1)
        Error(pRun, pRun->strLauncher + ": error: a folder; --launcher names the launcher file itself");
    else if (!DistOsReadFile(pRun->strLauncher, &data) || PayloadEnd(data.data(), data.size()) == 0)
        Error(pRun, pRun->strLauncher + ": error: not a Windows program (--launcher)");
    int nOut = DistOsKind(pRun->strSingleFile);
    if (nOut == 1)
        Error(pRun, pRun->strSingleFile + ": error: a folder; --single-file names the file to write");
    else if (nOut >= 0 && !pRun->bForce)
        Error(pRun, pRun->strSingleFile + ": error: already exists; --force replaces it");
}

/* The plan's errors, each naming its file below the application's folder. */
static void ReportPlanErrors(DISTRUN *pRun)
{
    for (const auto &error : pRun->plan.errors)
        Error(pRun, Join(pRun->strApp, error.first) + ": error: " + error.second);
    pRun->plan.errors.clear();
}

/* The script's size against its limit, told at the first line that
 * passes it: the file of a [Files] line, the folder of a wildcard line or
 * the template's line. */
static void CheckScriptSize(DISTRUN *pRun, const std::vector<DISTLINE> &lines)
{
    size_t cb = 0;
    for (const DISTLINE &line : lines) {
        cb += line.strText.size() + 2;
        if (cb < MAXSCRIPT)
            continue;
        std::string where = DIST_SCRIPT;
        if (line.iFile >= 0)
            where = Join(pRun->strApp, FileNativePath(pRun->plan, pRun->plan.files[line.iFile]));
        else if (line.iFolder >= 0)
            where = Join(pRun->strApp, pRun->plan.folders[line.iFolder].strNative);
        else if (line.uTemplateLine)
            where = pRun->strTemplate + ":" + std::to_string(line.uTemplateLine);
        Error(pRun, where + ": error: " DIST_SCRIPT " would be " + CountText(ScriptText(lines).size()) +
                        " bytes; a script holds at most 20479 (this line passes the limit)");
        return;
    }
}

/* ---- writing ------------------------------------------------------------ */

static std::string OutPath(const DISTRUN *pRun, const std::string &rel)
{
    return Join(pRun->strOut, rel);
}

static std::string StoredRel(const DISTRUN *pRun, const DISTFILE &file)
{
    std::string name = file.bPacked ? file.strPackedNative : file.strNative;
    return file.bMoved ? Join(pRun->plan.strTopFolder, name) : NativePath(pRun->plan, file.iFolder, name);
}

static bool WriteNew(DISTRUN *pRun, const std::string &rel, const unsigned char *pb, size_t cb)
{
    std::string path = OutPath(pRun, rel);
    if (!DistOsWriteNewFile(path, pb, cb)) {
        Error(pRun, path + ": error: cannot write the file: " + DistOsLastError());
        return false;
    }
    pRun->made.push_back(path);
    return true;
}

/* Gives a written file or folder the date of what it comes from. */
static bool SetTime(DISTRUN *pRun, const std::string &path, long long llTime)
{
    if (llTime < 0 || DistOsSetTime(path, llTime))
        return true;
    Error(pRun, path + ": error: cannot set the date: " + DistOsLastError());
    return false;
}

static bool MakeFolders(DISTRUN *pRun)
{
    if (DistOsKind(pRun->strOut) != 1) {
        if (!DistOsMakeFolder(pRun->strOut)) {
            Error(pRun, pRun->strOut + ": error: cannot make the folder: " + DistOsLastError());
            return false;
        }
        pRun->bMadeOut = true;
    }
    for (size_t i = 1; i < pRun->plan.folders.size(); i++) {
        std::string path = OutPath(pRun, pRun->plan.folders[i].strNative);
        if (!DistOsMakeFolder(path)) {
            Error(pRun, path + ": error: cannot make the folder: " + DistOsLastError());
            return false;
        }
        pRun->made.push_back(path);
    }
    if (!pRun->plan.strTopFolder.empty()) {
        std::string path = OutPath(pRun, pRun->plan.strTopFolder);
        if (!DistOsMakeFolder(path)) {
            Error(pRun, path + ": error: cannot make the folder: " + DistOsLastError());
            return false;
        }
        pRun->made.push_back(path);
    }
    return true;
}

/* Removes what this run wrote, newest first. */
static void Unmake(DISTRUN *pRun)
{
    for (size_t i = pRun->made.size(); i-- > 0;)
        if (!DistOsRemoveFile(pRun->made[i]))
            DistOsRemoveFolder(pRun->made[i]);
    if (pRun->bMadeOut)
        DistOsRemoveFolder(pRun->strOut);
    pRun->made.clear();
}

static void Progress(DISTRUN *pRun, size_t iFile, unsigned long long cbDone, unsigned long long cbAll)
{
    unsigned long ulNow = DistOsMilliseconds();
    if (ulNow - pRun->ulStart < PROGRESS_AFTER || ulNow - pRun->ulLastProgress < PROGRESS_EVERY)
        return;
    pRun->ulLastProgress = ulNow;
    DistOsProgress("setupdist: " + std::to_string(iFile) + " of " + std::to_string(pRun->plan.files.size()) +
                   " files, " + std::to_string(cbDone >> 20) + " of " + std::to_string(cbAll >> 20) + " MB");
}

/* Stores one file: compressed when asked and allowed, and in auto mode
 * when that makes it smaller. A file that begins like a compressed file
 * is always stored compressed: the LZ service would expand it otherwise. */
static bool StoreFile(DISTRUN *pRun, DISTFILE *pFile)
{
    std::string rel = FileNativePath(pRun->plan, *pFile);
    std::vector<unsigned char> data, packed;
    if (!DistOsReadFile(Join(pRun->strApp, rel), &data)) {
        Error(pRun, Join(pRun->strApp, rel) + ": error: cannot read the file: " + DistOsLastError());
        return false;
    }
    pFile->cbSize = data.size();
    bool bSignature = SzddHasSignature(data.data(), data.size());
    bool bCanPack = !pFile->strPackedScript.empty();
    if (bSignature && !bCanPack) {
        Error(pRun, Join(pRun->strApp, rel) + ": error: begins like a compressed file, so it must be stored "
                                              "compressed, and its compressed name is taken or too long (or an "
                                              "item starts it from the distribution)");
        return false;
    }
    pFile->bPacked = false;
    if (bCanPack && (bSignature || pRun->nCompress != COMPRESS_NEVER)) {
        if (!SzddCompress(data.data(), data.size(), pFile->chMissing, &packed)) {
            Error(pRun, Join(pRun->strApp, rel) + ": error: too large to compress");
            return false;
        }
        pFile->bPacked = bSignature || pRun->nCompress == COMPRESS_ALWAYS || packed.size() < data.size();
    }
    const std::vector<unsigned char> &stored = pFile->bPacked ? packed : data;
    pFile->cbStored = stored.size();
    return WriteNew(pRun, StoredRel(pRun, *pFile), stored.data(), stored.size()) &&
           SetTime(pRun, OutPath(pRun, StoredRel(pRun, *pFile)), pFile->llTime);
}

static bool Interrupted(DISTRUN *pRun)
{
    if (!DistOsInterrupted())
        return false;
    Error(pRun, "setupdist: error: interrupted");
    return true;
}

static bool StoreFiles(DISTRUN *pRun)
{
    unsigned long long cbAll = 0, cbDone = 0;
    for (const DISTFILE &file : pRun->plan.files)
        cbAll += file.cbSize;
    for (size_t i = 0; i < pRun->plan.files.size(); i++) {
        Progress(pRun, i, cbDone, cbAll);
        if (Interrupted(pRun) || !StoreFile(pRun, &pRun->plan.files[i]))
            return false;
        cbDone += pRun->plan.files[i].cbSize;
    }
    DistOsProgress("");
    return true;
}

static bool CopySetupExe(DISTRUN *pRun)
{
    std::vector<unsigned char> data;
    if (!DistOsReadFile(pRun->strSetupExe, &data)) {
        Error(pRun, pRun->strSetupExe + ": error: cannot read the file: " + DistOsLastError());
        return false;
    }
    return WriteNew(pRun, DIST_SETUPEXE, data.data(), data.size()) &&
           SetTime(pRun, OutPath(pRun, DIST_SETUPEXE), DistOsTime(pRun->strSetupExe));
}

/* The one file: the launcher, a cabinet of the distribution's files as
 * they lie in OUT-FOLDER (SETUP.EXE and SETUP.INF first), the trailer,
 * zero bytes to a multiple of 8. It is read back as the launcher reads
 * it before it is written. */
static bool WriteSingleFile(DISTRUN *pRun)
{
    std::vector<DISTCABFILE> files = { { OutPath(pRun, DIST_SETUPEXE), DIST_SETUPEXE },
                                       { OutPath(pRun, DIST_SCRIPT), DIST_SCRIPT } };
    for (const DISTFILE &file : pRun->plan.files) {
        std::string rel = StoredRel(pRun, file), name = rel;
        std::replace(name.begin(), name.end(), chDistSep, '\\');
        files.push_back({ OutPath(pRun, rel), name });
    }
    std::vector<unsigned char> out, cab;
    std::string why;
    if (!DistOsReadFile(pRun->strLauncher, &out)) {
        Error(pRun, pRun->strLauncher + ": error: cannot read the file: " + DistOsLastError());
        return false;
    }
    pRun->cbLauncher = out.size();
    if (!DistOsMakeCabinet(files, &cab, &why)) {
        Error(pRun, pRun->strSingleFile + ": error: cannot make the cabinet: " + why);
        return false;
    }
    if (cab.size() >= 0x7FFFFFFF) {
        Error(pRun, pRun->strSingleFile + ": error: the distribution is 2 GB or more; one file holds less");
        return false;
    }
    unsigned char abTrailer[PAYLOAD_TRAILER];
    MakePayloadTrailer(cab.data(), cab.size(), pRun->tmpl.strAppName.c_str(), abTrailer);
    out.insert(out.end(), cab.begin(), cab.end());
    out.insert(out.end(), abTrailer, abTrailer + sizeof(abTrailer));
    out.resize((out.size() + 7) / 8 * 8, 0);
    PAYLOAD payload;
    int nResult = FindPayload(out.data(), out.size(), &payload);
    if (nResult != PAYLOAD_OK || payload.nFiles != files.size()) {
        Error(pRun, pRun->strSingleFile + ": error: the launcher would not read the file made (result " +
                        std::to_string(nResult) + ", " + std::to_string(payload.nFiles) + " files)");
        return false;
    }
    /* --force: the new file is written whole beside the old one, which
     * it replaces only then. */
    std::string written = DistOsKind(pRun->strSingleFile) >= 0 ? pRun->strSingleFile + ".new" : pRun->strSingleFile;
    if (!DistOsWriteNewFile(written, out.data(), out.size())) {
        Error(pRun, written + ": error: cannot write the file: " + DistOsLastError());
        return false;
    }
    /* One rename: the old file stays whole if it fails. */
    if (written != pRun->strSingleFile && !DistOsRename(written, pRun->strSingleFile)) {
        Error(pRun, pRun->strSingleFile + ": error: cannot replace the file: " + DistOsLastError());
        DistOsRemoveFile(written);
        return false;
    }
    pRun->made.push_back(pRun->strSingleFile);
    pRun->cbSingleFile = out.size();
    return true;
}

/* A finding of the checker, told at the template's line it comes from
 * or at the made script's line. */
static void ReportFinding(DISTRUN *pRun, const std::vector<DISTLINE> &lines, const FINDING &finding)
{
    std::string where = std::string(DIST_SCRIPT) + (finding.uLine ? ":" + std::to_string(finding.uLine) : "");
    std::string text = DistOsScriptToNative(finding.strText);
    if (finding.uLine > 0 && finding.uLine <= lines.size()) {
        const DISTLINE &line = lines[finding.uLine - 1];
        if (line.uTemplateLine)
            where = pRun->strTemplate + ":" + std::to_string(line.uTemplateLine);
        else
            text += " (made line: " + DistOsScriptToNative(line.strText) + ")";
    }
    if (finding.nSeverity == SEV_ERROR)
        Error(pRun, where + ": error: " + text);
    else
        pRun->pfnPrint(pRun->pContext, true, where + ": warning: " + text);
}

/* Runs the script checker on the written script, as SETUP.EXE would
 * read it in the output folder. */
static std::vector<FINDING> CheckWrittenScript(const DISTRUN *pRun, UINT *puResult)
{
    std::string path;
    *puResult = LOAD_CANTOPEN;
    if (!DistOsCheckerPath(OutPath(pRun, DIST_NEWSCRIPT), &path))
        return { { 0, SEV_ERROR, "the output folder's path has a character the script checker cannot read" } };
    std::unique_ptr<CSetupInf> pInf(new CSetupInf);
    std::vector<FINDING> findings = CheckScript(*pInf, path.c_str(), puResult);
    OsSetProgramFolder(NULL);
    return findings;
}

/* The script's date: the newest of what it is made from, so that a run
 * on the same inputs gives the same folder. */
static long long ScriptTime(const DISTRUN *pRun)
{
    long long llTime = DistOsTime(pRun->strTemplate);
    for (const DISTFOLDER &folder : pRun->plan.folders)
        llTime = std::max(llTime, folder.llTime);
    for (const DISTFILE &file : pRun->plan.files)
        llTime = std::max(llTime, file.llTime);
    return llTime;
}

/* The folders' dates, last: writing into a folder changes its date. */
static bool SetFolderTimes(DISTRUN *pRun)
{
    for (size_t i = pRun->plan.folders.size(); i-- > 1;)
        if (!SetTime(pRun, OutPath(pRun, pRun->plan.folders[i].strNative), pRun->plan.folders[i].llTime))
            return false;
    if (!pRun->plan.strTopFolder.empty() &&
        !SetTime(pRun, OutPath(pRun, pRun->plan.strTopFolder), pRun->plan.folders[0].llTime))
        return false;
    return !pRun->bMadeOut || SetTime(pRun, pRun->strOut, pRun->plan.folders[0].llTime);
}

/* Writes the script under its temporary name, checks the distribution
 * with the checker's code and names the script SETUP.INF only when the
 * checker finds no error. */
static bool FinishScript(DISTRUN *pRun, const std::vector<DISTLINE> &lines)
{
    std::string text = ScriptText(lines);
    if (!WriteNew(pRun, DIST_NEWSCRIPT, (const unsigned char *)text.data(), text.size()) ||
        !SetTime(pRun, OutPath(pRun, DIST_NEWSCRIPT), ScriptTime(pRun)))
        return false;
    UINT uResult = 0;
    std::vector<FINDING> findings = CheckWrittenScript(pRun, &uResult);
    for (const FINDING &finding : findings)
        ReportFinding(pRun, lines, finding);
    if (uResult != LOAD_OK || CheckExitCode(findings) == 2) {
        Error(pRun, "setupdist: error: the script checker finds errors in the made script");
        return false;
    }
    std::string from = OutPath(pRun, DIST_NEWSCRIPT), to = OutPath(pRun, DIST_SCRIPT);
    if (!DistOsRename(from, to)) {
        Error(pRun, to + ": error: cannot name the script: " + DistOsLastError());
        return false;
    }
    pRun->made.back() = to;
    return true;
}

/* ---- telling ------------------------------------------------------------ */

static void PrintPlan(DISTRUN *pRun)
{
    for (const DISTFILE &file : pRun->plan.files) {
        char sz[64];
        snprintf(sz, sizeof(sz), "%12llu -> %12llu  ", file.cbSize, file.cbStored);
        Say(pRun, "  " + std::string(sz) + (file.bPacked ? "compressed  " : "stored      ") +
                      StoredRel(pRun, file) +
                      (file.bPacked && file.strPackedNative != file.strNative ? " (" + file.strNative + ")" : ""));
    }
}

static void PrintSummary(DISTRUN *pRun, size_t cbScript)
{
    unsigned long long cbSize = 0, cbStored = 0;
    size_t nPacked = 0;
    for (const DISTFILE &file : pRun->plan.files) {
        cbSize += file.cbSize;
        cbStored += file.cbStored;
        nPacked += file.bPacked;
    }
    Say(pRun, "setupdist: " + std::to_string(pRun->plan.files.size()) + " files (" + std::to_string(nPacked) +
                  " compressed) in " + std::to_string(pRun->plan.folders.size()) +
                  (pRun->plan.folders.size() == 1 ? " folder: " : " folders: ") +
                  std::to_string(cbSize) + " bytes installed, " + std::to_string(cbStored) +
                  " on the distribution; SpaceNeeded=" + std::to_string(pRun->uSpaceK) + " (" +
                  std::to_string(pRun->cbCluster) + "-byte clusters); " DIST_SCRIPT " " +
                  std::to_string(cbScript) + " bytes");
    Say(pRun, pRun->bDryRun ? "setupdist: dry run: every step done and checked, nothing kept"
                            : "setupdist: " + pRun->strOut + " is ready (" DIST_SETUPEXE " from " +
                                  pRun->strSetupExe + ")");
    if (!pRun->strSingleFile.empty() && !pRun->bDryRun)
        Say(pRun, "setupdist: " + pRun->strSingleFile + " is ready: one file of " + std::to_string(pRun->cbSingleFile) +
                      " bytes (the launcher " + pRun->strLauncher + ", " + std::to_string(pRun->cbLauncher) +
                      " bytes, and the distribution's files)");
}

/* Would the top's files, a [Files] line each, pass the script's limits?
 * Judged on the longest script the run can write: each file under its
 * compressed name where it may have one. */
static bool TopLinesDoNotFit(const DISTRUN *pRun)
{
    DISTPLAN plan = pRun->plan;
    size_t nLines = 0;
    for (DISTFILE &file : plan.files) {
        file.bPacked = !file.strPackedScript.empty();
        nLines += plan.folders[file.iFolder].bWild ? 0 : 1;
    }
    return nLines > DIST_MAXLINES ||
           ScriptText(MakeScript(pRun->tmpl, plan, pRun->uSpaceK, true)).size() >= MAXSCRIPT;
}

/* The top's files beside SETUP.EXE, a line each, as long as they fit;
 * else those that fit a wildcard line in a subfolder of their own, and
 * the template's items that start one of them from the distribution
 * pointed there. */
static void LayOut(DISTRUN *pRun)
{
    LPCSTR lpszDefDir = pRun->tmpl.bHasDefDir ? pRun->tmpl.strDefDir.c_str() : NULL;
    DISTPLAN walked = pRun->plan;
    CheckLayout(&pRun->plan, lpszDefDir, false);
    if (!TopLinesDoNotFit(pRun))
        return;
    pRun->plan = walked;
    CheckLayout(&pRun->plan, lpszDefDir, true);
    if (pRun->plan.strTopFolder.empty())
        return;
    size_t nMoved = std::count_if(pRun->plan.files.begin(), pRun->plan.files.end(),
                                  [](const DISTFILE &file) { return file.bMoved; });
    Say(pRun, "setupdist: a [Files] line each would not fit the script: the top's " + std::to_string(nMoved) +
                  " files go into " + pRun->plan.strTopFolder + " on the distribution, installed by one "
                  "wildcard line");
    size_t nErrors = pRun->tmpl.errors.size();
    PointSourceItems(&pRun->tmpl, &pRun->plan);
    ReportTemplateErrors(pRun, nErrors);
}

/* Everything that can be known without writing: the template, the tree,
 * the output folder, SETUP.EXE, every limit. All are told in one run. */
static bool Plan(DISTRUN *pRun)
{
    LoadTemplate(pRun);
    bool bTree = WalkApp(pRun);
    CheckOutFolder(pRun);
    FindSetupExe(pRun);
    CheckSingleFile(pRun);
    if (!bTree)
        return false;
    pRun->uSpaceK = std::max<unsigned long long>(SpaceNeededK(&pRun->plan, pRun->cbCluster),
                                                 pRun->tmpl.uSpaceNeeded);
    LayOut(pRun);
    ReportPlanErrors(pRun);
    CheckScriptSize(pRun, MakeScript(pRun->tmpl, pRun->plan, pRun->uSpaceK, false));
    return pRun->nErrors == 0;
}

/* Writes the distribution. A dry run writes it the same way, checks it
 * and then removes it. */
static bool Build(DISTRUN *pRun)
{
    pRun->ulStart = pRun->ulLastProgress = DistOsMilliseconds();
    if (!MakeFolders(pRun) || !StoreFiles(pRun))
        return false;
    std::vector<DISTLINE> lines = MakeScript(pRun->tmpl, pRun->plan, pRun->uSpaceK, true);
    CheckScriptSize(pRun, lines);
    if (pRun->nErrors || Interrupted(pRun) || !CopySetupExe(pRun) || !FinishScript(pRun, lines) ||
        !SetFolderTimes(pRun) || Interrupted(pRun) ||
        (!pRun->strSingleFile.empty() && !WriteSingleFile(pRun)))
        return false;
    if (pRun->bDryRun) {
        PrintPlan(pRun);
        Unmake(pRun);
    }
    PrintSummary(pRun, ScriptText(lines).size());
    return true;
}

int RunSetupDist(const std::vector<std::string> &args, DISTPRINT pfnPrint, void *pContext)
{
    std::unique_ptr<DISTRUN> pRun(new DISTRUN());
    pRun->nCompress = COMPRESS_AUTO;
    pRun->nEncoding = DIST_ENC_AUTO;
    pRun->cbCluster = 4096;
    pRun->pfnPrint = pfnPrint;
    pRun->pContext = pContext;
    if (std::find(args.begin(), args.end(), "--help") != args.end() ||
        std::find(args.begin(), args.end(), "-h") != args.end()) {
        Say(pRun.get(), std::string(szUsage) + "\n" + szHelp);
        return DIST_EXIT_OK;
    }
    if (args.size() == 1 && args[0] == "--version") {
        Say(pRun.get(), "setupdist " SETUP_KIT_VERSION);
        return DIST_EXIT_OK;
    }
    std::string why;
    if (!ParseArgs(pRun.get(), args, &why)) {
        pfnPrint(pContext, true, "setupdist: error: " + why);
        pfnPrint(pContext, true, szUsage);
        return DIST_EXIT_USAGE;
    }
    if (Plan(pRun.get()) && Build(pRun.get()))
        return DIST_EXIT_OK;
    Unmake(pRun.get());
    DistOsProgress("");
    pfnPrint(pContext, true, "setupdist: " + std::to_string(pRun->nErrors) +
                                 (pRun->nErrors == 1 ? " error" : " errors") + "; no distribution made");
    return DIST_EXIT_FAILED;
}
