/*
 * DistWalk.cpp - the application's folder walked into the plan: its files
 * and subfolders in a fixed order, what is left out and why, links that
 * lead nowhere, out of the folder or round in a loop, names the script
 * cannot hold.
 */
#include <algorithm>
#include "DistNames.h"
#include "DistOs.h"
#include "DistRun.h"

static const char *const aDefaultExcludes[] = { ".git", "Thumbs.db", "desktop.ini" };

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
bool WithinApp(const DISTRUN *pRun, const std::string &full)
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

bool WalkApp(DISTRUN *pRun)
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
