/*
 * DistPlan.cpp - the limits a distribution must keep, checked on its
 * layout before anything is written.
 */
#include "DistNames.h"
#include "DistPlan.h"

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
    for (size_t i = 0; i < pPlan->folders.size(); i++) {
        const DISTFOLDER &folder = pPlan->folders[i];
        std::string name = NativePath(*pPlan, (int)i, "");
        if (i == DIST_MAXFOLDERS)
            AddError(pPlan, name, "one folder too many: a script holds at most 99 folders, the top one included");
        if (i == 0)
            continue;
        std::string last = folder.strScript.substr(folder.strScript.rfind('\\') + 1);
        if (const char *lpszWhy = BadNameReason(last, true))
            AddError(pPlan, name, lpszWhy);
        else if (folder.strScript.size() > MAXPATHTEXT)
            AddError(pPlan, name, "folder path longer than 127 bytes (the script's limit)");
        else if (!defDir.empty() && InstalledLength(defDir, folder, "") > MAXPATHTEXT)
            AddError(pPlan, name, "installed below " + defDir + " its path is longer than 127 bytes");
    }
}

/* Names within one folder that Windows would take for one. Folders are
 * compared with the files of their parent. */
static void CheckClashes(DISTPLAN *pPlan)
{
    std::vector<std::vector<std::pair<std::string, std::string>>> names(pPlan->folders.size());
    for (size_t i = 1; i < pPlan->folders.size(); i++) {
        const DISTFOLDER &folder = pPlan->folders[i];
        names[folder.iParent].push_back({ folder.strScript.substr(folder.strScript.rfind('\\') + 1),
                                          NativePath(*pPlan, (int)i, "") });
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
    for (size_t i = 1; i < plan.folders.size(); i++) {
        const std::string &path = plan.folders[i].strScript;
        if (plan.folders[i].iParent == iFolder && SameDistName(path.substr(path.rfind('\\') + 1), name))
            return false;
    }
    if (iFolder == 0)
        for (const char *lpszOwn : { DIST_SETUPEXE, DIST_SCRIPT, DIST_NEWSCRIPT })
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

void CheckLayout(DISTPLAN *pPlan, LPCSTR lpszDefDir)
{
    std::string defDir = lpszDefDir ? lpszDefDir : "";
    if (!defDir.empty() && !PathEndsInBackslash(defDir.c_str()))
        defDir += "\\";
    CheckFolders(pPlan, defDir);
    CheckClashes(pPlan);
    for (size_t i = 0; i < pPlan->files.size(); i++) {
        DISTFILE &file = pPlan->files[i];
        std::string name = FileNativePath(*pPlan, file);
        const DISTFOLDER &folder = pPlan->folders[file.iFolder];
        if (i == DIST_MAXFILES)
            AddError(pPlan, name, "one file too many: a script holds at most 999 files");
        if (const char *lpszWhy = BadNameReason(file.strScript, false))
            AddError(pPlan, name, lpszWhy);
        else if (!LineFits(file, false))
            AddError(pPlan, name, "the name is too long for its [Files] line (255 characters)");
        else if (!defDir.empty() && InstalledLength(defDir, folder, file.strScript) > MAXPATHTEXT)
            AddError(pPlan, name, "installed below " + defDir + " its path is longer than 127 bytes");
        else
            GivePackedName(pPlan, i);
    }
}

unsigned long long SpaceNeededK(DISTPLAN *pPlan, unsigned long cbCluster)
{
    unsigned long long cbTotal = 0;
    bool bReported = false;
    for (const DISTFILE &file : pPlan->files) {
        cbTotal += (file.cbSize + cbCluster - 1) / cbCluster * cbCluster;
        if ((cbTotal + 1023) / 1024 > DIST_MAXSPACEK && !bReported) {
            AddError(pPlan, FileNativePath(*pPlan, file),
                     "the files up to this one take more than 65535K once installed, more than "
                     "SpaceNeeded can say");
            bReported = true;
        }
    }
    return (cbTotal + 1023) / 1024;
}
