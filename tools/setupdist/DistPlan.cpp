/*
 * DistPlan.cpp - the limits a distribution must keep, checked on its
 * layout before anything is written.
 */
#include <algorithm>
#include "DistNames.h"
#include "DistPlan.h"
#include "InfCheck.h"

#define MAXLINETEXT (MAXLINE - 1)
#define MAXPATHTEXT (MAXTEXT - 1)   /* every path the copy step composes */

std::string NativePath(const DISTPLAN &plan, int iFolder, const std::string &name)
{
    const std::string &dir = plan.folders[iFolder].strNative;
    if (dir.empty())
        return name;
    return name.empty() ? dir : dir + plan.chSep + name;
}

std::string FileNativePath(const DISTPLAN &plan, const DISTFILE &file)
{
    return NativePath(plan, file.iFolder, file.strNative);
}

static void AddError(DISTPLAN *pPlan, const std::string &name, const std::string &why)
{
    pPlan->errors.push_back({ name, why });
}

/* The text after "{display}" on a file's [Files] line. */
static std::string LineRest(const DISTFILE &file, bool bPacked)
{
    std::string id = std::to_string(file.iFolder);
    return "," + id + ":" + (bPacked ? file.strPackedScript : file.strScript) + "," + id + ":" +
           file.strScript + ",";
}

std::string FileLine(const DISTPLAN &, const DISTFILE &file, bool bPacked)
{
    std::string rest = LineRest(file, bPacked);
    size_t cchDisplay = rest.size() < MAXLINETEXT ? MAXLINETEXT - rest.size() : 0;
    return DisplayName(file.strScript, cchDisplay) + rest;
}

/* Does the line keep at least one character of display name? */
static bool LineFits(const DISTFILE &file, bool bPacked)
{
    return LineRest(file, bPacked).size() < MAXLINETEXT;
}

/* Length of a file's full path once installed: DefDir with its backslash,
 * the folder, a backslash, the name. */
static size_t InstalledLength(const std::string &defDir, const DISTFOLDER &folder, const std::string &name)
{
    size_t cch = defDir.size() + folder.strScript.size();
    if (!name.empty())
        cch += (folder.strScript.empty() ? 0 : 1) + name.size();
    return cch;
}

static void CheckFolders(DISTPLAN *pPlan, const std::string &defDir)
{
    if (pPlan->folders.size() > DIST_MAXFOLDERS)
        AddError(pPlan, "", CountText(pPlan->folders.size()) + " folders, the top one included; a script holds at "
                            "most 99");
    for (size_t i = 1; i < pPlan->folders.size(); i++) {
        const DISTFOLDER &folder = pPlan->folders[i];
        std::string name = NativePath(*pPlan, (int)i, "");
        std::string why = BadNameReason(folder.strName, true);
        if (!why.empty())
            AddError(pPlan, name, why);
        else if (folder.strScript.size() > MAXPATHTEXT)
            AddError(pPlan, name, "the folder's path is " + CountText(folder.strScript.size()) +
                                      " bytes; the script takes at most 127");
        else if (!defDir.empty() && InstalledLength(defDir, folder, "") > MAXPATHTEXT)
            AddError(pPlan, name, "installed below " + defDir + " its path is " +
                                      CountText(InstalledLength(defDir, folder, "")) + " bytes; at most 127");
    }
}

/* Names within one folder that Windows would take for one. Folders are
 * compared with the files of their parent. */
static void CheckClashes(DISTPLAN *pPlan)
{
    std::vector<std::vector<std::pair<std::string, std::string>>> names(pPlan->folders.size());
    for (size_t i = 1; i < pPlan->folders.size(); i++) {
        const DISTFOLDER &folder = pPlan->folders[i];
        names[folder.iParent].push_back({ folder.strName, NativePath(*pPlan, (int)i, "") });
    }
    for (const DISTFILE &file : pPlan->files)
        names[file.iFolder].push_back({ file.strScript, FileNativePath(*pPlan, file) });
    for (const char *lpszOwn : { DIST_SETUPEXE, DIST_SCRIPT, DIST_NEWSCRIPT })
        for (const auto &entry : names[0])
            if (SameDistName(entry.first, lpszOwn))
                AddError(pPlan, entry.second, std::string("the distribution's own ") + lpszOwn + " takes this name");
    for (const auto &list : names)
        for (size_t a = 0; a < list.size(); a++)
            for (size_t b = a + 1; b < list.size(); b++)
                if (SameDistName(list[a].first, list[b].first))
                    AddError(pPlan, list[b].second,
                             "Windows takes it for " + list[a].second + " (letter case is not told apart)");
}

/* Whether name is free in the folder: no file's or subfolder's name, no
 * other compressed name, nor one of the top's own names. */
static bool NameIsFree(const DISTPLAN &plan, int iFolder, const std::string &name, size_t iSelf)
{
    for (size_t i = 0; i < plan.files.size(); i++) {
        const DISTFILE &file = plan.files[i];
        if (file.iFolder == iFolder && i != iSelf &&
            (SameDistName(file.strScript, name) || SameDistName(file.strPackedScript, name)))
            return false;
    }
    for (size_t i = 1; i < plan.folders.size(); i++)
        if (plan.folders[i].iParent == iFolder && SameDistName(plan.folders[i].strName, name))
            return false;
    if (iFolder == 0)
        for (const char *lpszOwn : { DIST_SETUPEXE, DIST_SCRIPT, DIST_NEWSCRIPT, plan.strTopFolder.c_str() })
            if (SameDistName(name, lpszOwn))
                return false;
    return true;
}

/* A compressed name the file can have, or none. The source path on the
 * disk is taken as short as it can be ("A:\"). */
static void GivePackedName(DISTPLAN *pPlan, size_t iFile)
{
    DISTFILE &file = pPlan->files[iFile];
    const DISTFOLDER &folder = pPlan->folders[file.iFolder];
    char chMissing = 0;
    std::string packed = PackedName(file.strScript, &chMissing);
    file.strPackedScript = packed;
    if (packed.size() > MAXPATHTEXT || !LineFits(file, true) ||
        InstalledLength("A:\\", folder, packed) > MAXPATHTEXT ||
        !NameIsFree(*pPlan, file.iFolder, packed, iFile)) {
        file.strPackedScript.clear();
        return;
    }
    file.chMissing = chMissing;
    /* The same rule on the native name gives the same change. */
    file.strPackedNative = file.strNative.substr(0, file.strNative.size() - (chMissing ? 1 : 0)) + "_";
}

/* Does the line the reader makes of a wildcard line's file stay within
 * its 255 characters? ("NAME, ID:NAME, ID:NAME,", cchIds for both ids) */
static bool WildLineFits(const std::string &name, size_t cchIds)
{
    return 3 * name.size() + cchIds + 7 < MAXLINE;
}

/* Folders below the top whose files all take a wildcard line; the top
 * holds SETUP.EXE and its script, which a wildcard line would copy too. */
static void ChooseWildcards(DISTPLAN *pPlan)
{
    std::vector<bool> fits(pPlan->folders.size(), true), holds(pPlan->folders.size(), false);
    for (const DISTFILE &file : pPlan->files) {
        size_t cchIds = 2 * std::to_string(file.iFolder).size();
        holds[file.iFolder] = true;
        fits[file.iFolder] = fits[file.iFolder] && WildLineFits(file.strScript, cchIds) &&
                             BadNameReason(file.strScript, false).empty();
    }
    for (size_t i = 1; i < pPlan->folders.size(); i++)
        pPlan->folders[i].bWild = holds[i] && fits[i];
}

/* Stores the top's files that fit a wildcard line in a subfolder of the
 * distribution with a source id of its own; the destination's top keeps
 * id 0. Its name keeps to 8.3 and differs from every top-level name. A
 * name that fits a wildcard line (82 bytes at most) keeps its source
 * path, A:\TOPFILES\NAME, within 127. */
static void MoveTop(DISTPLAN *pPlan)
{
    pPlan->iTopSrcId = (int)pPlan->folders.size();
    size_t cchIds = std::to_string(pPlan->iTopSrcId).size() + 1;
    std::vector<bool> holds(pPlan->folders.size(), false);
    bool bAny = false;
    for (DISTFILE &file : pPlan->files) {
        file.bMoved = file.iFolder == 0 && WildLineFits(file.strScript, cchIds) &&
                      BadNameReason(file.strScript, false).empty();
        holds[file.iFolder] = holds[file.iFolder] || !file.bMoved;
        bAny = bAny || file.bMoved;
    }
    if (!bAny)
        return;
    std::string name = DIST_TOPFOLDER;
    for (int n = 1; !NameIsFree(*pPlan, 0, name, std::string::npos); n++) {
        std::string number = std::to_string(n);
        name = std::string(DIST_TOPFOLDER).substr(0, 8 - number.size()) + number;
    }
    pPlan->strTopFolder = name;
    /* Top files left with a line each keep the top's own source entry. */
    size_t nSrcDirs = 1 + std::count(holds.begin(), holds.end(), true);
    if (nSrcDirs > DIST_MAXFOLDERS)
        AddError(pPlan, "", CountText(nSrcDirs) + " source folders with " + name + ", which holds the top's files; "
                            "a script holds at most 99");
}

void CheckLayout(DISTPLAN *pPlan, LPCSTR lpszDefDir, bool bMoveTop)
{
    std::string defDir = lpszDefDir ? lpszDefDir : "";
    if (!defDir.empty() && !PathEndsInBackslash(defDir.c_str()))
        defDir += "\\";
    CheckFolders(pPlan, defDir);
    CheckClashes(pPlan);
    ChooseWildcards(pPlan);
    if (bMoveTop)
        MoveTop(pPlan);
    size_t nLines = 0;
    for (size_t i = 0; i < pPlan->files.size(); i++) {
        DISTFILE &file = pPlan->files[i];
        std::string name = FileNativePath(*pPlan, file);
        const DISTFOLDER &folder = pPlan->folders[file.iFolder];
        std::string why = BadNameReason(file.strScript, false);
        bool bWild = folder.bWild || file.bMoved;
        nLines += bWild ? 0 : 1;
        if (!why.empty()) {
            AddError(pPlan, name, why);
        } else if (!bWild && !LineFits(file, false)) {
            AddError(pPlan, name, "the name is too long for its [Files] line: without a display name the line "
                                  "is " + CountText(LineRest(file, false).size()) + " bytes; at most 255");
        } else if (!defDir.empty() && InstalledLength(defDir, folder, file.strScript) > MAXPATHTEXT) {
            AddError(pPlan, name, "installed below " + defDir + " its path is " +
                                      CountText(InstalledLength(defDir, folder, file.strScript)) +
                                      " bytes; at most 127");
        } else if (bWild) {
            file.strPackedScript = file.strScript;
            file.strPackedNative = file.strNative;
        } else {
            GivePackedName(pPlan, i);
        }
    }
    if (pPlan->files.size() > DIST_MAXFILES)
        AddError(pPlan, "", CountText(pPlan->files.size()) + " files; a script holds at most 1000");
    else if (nLines > DIST_MAXLINES)
        AddError(pPlan, "", CountText(nLines) + " files need a [Files] line of their own (the top folder's, and "
                            "those of folders no wildcard line can take); at most 999");
}

unsigned long long SpaceNeededK(DISTPLAN *pPlan, unsigned long cbCluster)
{
    unsigned long long cbTotal = 0;
    for (const DISTFILE &file : pPlan->files)
        cbTotal += InstalledBytes(file.cbSize, cbCluster);
    unsigned long long uK = (cbTotal + 1023) / 1024;
    if (uK > DIST_MAXSPACEK)
        AddError(pPlan, "", "the files take " + CountText(uK) + "K once installed; SpaceNeeded can say at most "
                            "65535K");
    return uK;
}
