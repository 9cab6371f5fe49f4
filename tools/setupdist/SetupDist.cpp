/*
 * SetupDist.cpp - the builder's steps: the template read, the
 * application's tree walked and planned, every limit checked before
 * anything is written; then the files stored (compressed where that
 * makes them smaller), SETUP.EXE copied, the script written under a
 * temporary name, checked with the checker's own code, and only then
 * named SETUP.INF. A failure after the first write removes what was
 * written.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <memory>
#include "DistOs.h"
#include "DistScript.h"
#include "InfCheck.h"
#include "SetupinfOs.h"
#include "SetupDist.h"
#include "Szdd.h"

/* The SETUP.EXE of the build, when the tool has none beside it. */
#ifndef SETUPDIST_BUILD_SETUP_EXE
#define SETUPDIST_BUILD_SETUP_EXE ""
#endif

#define COMPRESS_AUTO   0
#define COMPRESS_ALWAYS 1
#define COMPRESS_NEVER  2

#define PROGRESS_AFTER  1000    /* ms before the first progress line */
#define PROGRESS_EVERY  250

static const char szUsage[] =
    "usage: setupdist [--compress auto|always|never] [--cluster BYTES] [--setup-exe PATH]\n"
    "                 [--dry-run] TEMPLATE APP-FOLDER OUT-FOLDER";

typedef struct tagDISTRUN {
    std::string strTemplate, strApp, strOut, strSetupExe;
    int nCompress;
    unsigned long cbCluster;
    bool bDryRun;
    DISTPRINT pfnPrint;
    void *pContext;
    DISTTEMPLATE tmpl;
    DISTPLAN plan;
    unsigned long long uSpaceK;
    size_t nErrors;
    bool bMadeOut;
    std::vector<std::string> made;      /* files and folders written, in order */
    unsigned long ulStart, ulLastProgress;
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
    if (!lpszEnd || *lpszEnd || cb < 512 || cb > 65536 || (cb & (cb - 1)))
        return false;
    *pcb = cb;
    return true;
}

static bool ParseArgs(DISTRUN *pRun, const std::vector<std::string> &args)
{
    std::vector<std::string> names;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &arg = args[i];
        bool bHasValue = i + 1 < args.size();
        if (arg == "--dry-run") {
            pRun->bDryRun = true;
        } else if (arg == "--compress" && bHasValue) {
            const std::string &mode = args[++i];
            if (mode == "auto")
                pRun->nCompress = COMPRESS_AUTO;
            else if (mode == "always")
                pRun->nCompress = COMPRESS_ALWAYS;
            else if (mode == "never")
                pRun->nCompress = COMPRESS_NEVER;
            else
                return false;
        } else if (arg == "--cluster" && bHasValue) {
            if (!ParseCluster(args[++i], &pRun->cbCluster))
                return false;
        } else if (arg == "--setup-exe" && bHasValue) {
            pRun->strSetupExe = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return false;
        } else {
            names.push_back(arg);
        }
    }
    if (names.size() != 3)
        return false;
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

static void LoadTemplate(DISTRUN *pRun)
{
    std::vector<unsigned char> data;
    if (!DistOsReadFile(pRun->strTemplate, &data)) {
        Error(pRun, pRun->strTemplate + ": error: cannot read the template");
        return;
    }
    std::string text;
    unsigned uLine = 0;
    if (!DistOsTemplateToScript(std::string(data.begin(), data.end()), &text, &uLine)) {
        Error(pRun, pRun->strTemplate + ":" + std::to_string(uLine) +
                        ": error: the line is not in the template's encoding (UTF-8; on Windows the "
                        "system's code page) or holds a character that has no place in code page 936 (GBK)");
        return;
    }
    ReadTemplate(text, &pRun->tmpl);
    for (const std::string &error : pRun->tmpl.errors) {
        size_t nColon = error.find(": ");
        Error(pRun, pRun->strTemplate + ":" + error.substr(0, nColon) + ": error: " + error.substr(nColon + 2));
    }
}

static void PlanError(DISTRUN *pRun, const std::string &rel, const std::string &why)
{
    pRun->plan.errors.push_back({ rel, why });
}

/* Walks one folder of the application: its files first, sorted, then its
 * subfolders, parents before children. The walk stops one folder past
 * the limit, which also ends a loop of links. */
static void WalkFolder(DISTRUN *pRun, int iFolder)
{
    DISTPLAN &plan = pRun->plan;
    std::string rel = plan.folders[iFolder].strNative;
    std::vector<DISTENTRY> entries;
    if (!DistOsList(Join(pRun->strApp, rel), &entries)) {
        PlanError(pRun, rel.empty() ? "." : rel, "cannot list the folder");
        return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const DISTENTRY &a, const DISTENTRY &b) { return a.strName < b.strName; });
    std::vector<std::pair<std::string, std::string>> subfolders;
    for (const DISTENTRY &entry : entries) {
        std::string script, path = NativePath(plan, iFolder, entry.strName);
        if (!entry.bFile && !entry.bFolder) {
            PlanError(pRun, path, "neither a file nor a folder");
        } else if (!DistOsToScript(entry.strName, &script)) {
            PlanError(pRun, path, "a character of the name has no place in code page 936 (GBK)");
        } else if (entry.bFolder) {
            subfolders.push_back({ entry.strName, script });
        } else {
            DISTFILE file = { iFolder, entry.strName, script, "", "", 0, entry.cbSize, false, 0 };
            plan.files.push_back(file);
        }
    }
    for (const auto &sub : subfolders) {
        if (plan.folders.size() > DIST_MAXFOLDERS)
            return;
        const DISTFOLDER &parent = plan.folders[iFolder];
        DISTFOLDER folder = { NativePath(plan, iFolder, sub.first),
                              parent.strScript + (parent.strScript.empty() ? "" : "\\") + sub.second, iFolder };
        plan.folders.push_back(folder);
        WalkFolder(pRun, (int)plan.folders.size() - 1);
    }
}

static void WalkApp(DISTRUN *pRun)
{
    pRun->plan.chSep = chDistSep;
    if (DistOsKind(pRun->strApp) != 1) {
        Error(pRun, pRun->strApp + ": error: no such folder");
        return;
    }
    pRun->plan.folders.push_back({ "", "", -1 });
    WalkFolder(pRun, 0);
    if (pRun->plan.files.empty() && pRun->plan.errors.empty())
        Error(pRun, pRun->strApp + ": error: the folder holds no files");
}

static void CheckOutFolder(DISTRUN *pRun)
{
    int nKind = DistOsKind(pRun->strOut);
    std::vector<DISTENTRY> entries;
    if (nKind == 0 || (nKind == 1 && (!DistOsList(pRun->strOut, &entries) || !entries.empty()))) {
        Error(pRun, pRun->strOut + ": error: not an empty folder; a distribution is laid out in a new or "
                                   "empty folder");
        return;
    }
    size_t nCut = pRun->strOut.find_last_of(std::string("/") + chDistSep);
    std::string parent = nCut == std::string::npos ? "." : pRun->strOut.substr(0, nCut + 1);
    std::string fullParent = DistOsFullPath(parent), fullApp = DistOsFullPath(pRun->strApp);
    if (fullParent.empty()) {
        Error(pRun, pRun->strOut + ": error: its parent folder does not exist");
        return;
    }
    std::string app = fullApp + chDistSep, within = fullParent + chDistSep;
    if (!fullApp.empty() && within.compare(0, app.size(), app) == 0)
        Error(pRun, pRun->strOut + ": error: lies inside the application's folder");
}

static bool IsProgram(const std::string &path)
{
    std::vector<unsigned char> data;
    return DistOsReadFile(path, &data) && data.size() > 2 && data[0] == 'M' && data[1] == 'Z';
}

/* --setup-exe, else the one beside the tool, else the build's. */
static void FindSetupExe(DISTRUN *pRun)
{
    if (pRun->strSetupExe.empty()) {
        std::string beside = DistOsToolFolder() + DIST_SETUPEXE;
        pRun->strSetupExe = DistOsKind(beside) == 0 ? beside : SETUPDIST_BUILD_SETUP_EXE;
    }
    if (pRun->strSetupExe.empty() || DistOsKind(pRun->strSetupExe) != 0)
        Error(pRun, "setupdist: error: no SETUP.EXE beside the tool nor in the build; name one with --setup-exe");
    else if (!IsProgram(pRun->strSetupExe))
        Error(pRun, pRun->strSetupExe + ": error: not a Windows program");
}

/* The plan's errors, each naming its file below the application's folder. */
static void ReportPlanErrors(DISTRUN *pRun)
{
    for (const auto &error : pRun->plan.errors)
        Error(pRun, Join(pRun->strApp, error.first) + ": error: " + error.second);
    pRun->plan.errors.clear();
}

/* The first line that takes the script past its limit, as a name: the
 * file of a [Files] line or the template's line. */
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
        else if (line.uTemplateLine)
            where = pRun->strTemplate + ":" + std::to_string(line.uTemplateLine);
        Error(pRun, where + ": error: " DIST_SCRIPT " passes 20479 bytes at this line; the script would be "
                            "rejected (" + std::to_string(ScriptText(lines).size()) + " bytes)");
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
    return NativePath(pRun->plan, file.iFolder, file.bPacked ? file.strPackedNative : file.strNative);
}

static bool WriteNew(DISTRUN *pRun, const std::string &rel, const unsigned char *pb, size_t cb)
{
    std::string path = OutPath(pRun, rel);
    if (!DistOsWriteNewFile(path, pb, cb)) {
        Error(pRun, path + ": error: cannot write the file");
        return false;
    }
    pRun->made.push_back(path);
    return true;
}

static bool MakeFolders(DISTRUN *pRun)
{
    if (DistOsKind(pRun->strOut) != 1) {
        if (!DistOsMakeFolder(pRun->strOut)) {
            Error(pRun, pRun->strOut + ": error: cannot make the folder");
            return false;
        }
        pRun->bMadeOut = true;
    }
    for (size_t i = 1; i < pRun->plan.folders.size(); i++) {
        std::string path = OutPath(pRun, pRun->plan.folders[i].strNative);
        if (!DistOsMakeFolder(path)) {
            Error(pRun, path + ": error: cannot make the folder");
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
        Error(pRun, Join(pRun->strApp, rel) + ": error: cannot read the file");
        return false;
    }
    pFile->cbSize = data.size();
    bool bSignature = SzddHasSignature(data.data(), data.size());
    bool bCanPack = !pFile->strPackedScript.empty();
    if (bSignature && !bCanPack) {
        Error(pRun, Join(pRun->strApp, rel) + ": error: begins like a compressed file, so it must be stored "
                                              "compressed, and its compressed name is taken or too long");
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
    return pRun->bDryRun || WriteNew(pRun, StoredRel(pRun, *pFile), stored.data(), stored.size());
}

static bool StoreFiles(DISTRUN *pRun)
{
    unsigned long long cbAll = 0, cbDone = 0;
    for (const DISTFILE &file : pRun->plan.files)
        cbAll += file.cbSize;
    for (size_t i = 0; i < pRun->plan.files.size(); i++) {
        Progress(pRun, i, cbDone, cbAll);
        if (!StoreFile(pRun, &pRun->plan.files[i]))
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
        Error(pRun, pRun->strSetupExe + ": error: cannot read");
        return false;
    }
    return WriteNew(pRun, DIST_SETUPEXE, data.data(), data.size());
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

/* Writes the script under its temporary name, checks the distribution
 * with the checker's code and names the script SETUP.INF only when the
 * checker finds no error. */
static bool FinishScript(DISTRUN *pRun, const std::vector<DISTLINE> &lines)
{
    std::string text = ScriptText(lines);
    if (!WriteNew(pRun, DIST_NEWSCRIPT, (const unsigned char *)text.data(), text.size()))
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
        Error(pRun, to + ": error: cannot name the script");
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
                      StoredRel(pRun, file) + (file.bPacked ? " (" + file.strNative + ")" : ""));
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
    Say(pRun, pRun->bDryRun ? "setupdist: dry run, nothing written"
                            : "setupdist: " + pRun->strOut + " is ready (" DIST_SETUPEXE " from " +
                                  pRun->strSetupExe + ")");
}

/* Everything that can be known without writing: the template, the tree,
 * the output folder, SETUP.EXE, the limits. */
static bool Plan(DISTRUN *pRun)
{
    LoadTemplate(pRun);
    WalkApp(pRun);
    if (!pRun->bDryRun)
        CheckOutFolder(pRun);
    FindSetupExe(pRun);
    CheckLayout(&pRun->plan, pRun->tmpl.bHasDefDir ? pRun->tmpl.strDefDir.c_str() : NULL);
    pRun->uSpaceK = std::max<unsigned long long>(SpaceNeededK(&pRun->plan, pRun->cbCluster),
                                                 pRun->tmpl.uSpaceNeeded);
    ReportPlanErrors(pRun);
    if (pRun->nErrors == 0)
        CheckScriptSize(pRun, MakeScript(pRun->tmpl, pRun->plan, pRun->uSpaceK, false));
    return pRun->nErrors == 0;
}

static bool Build(DISTRUN *pRun)
{
    pRun->ulStart = pRun->ulLastProgress = DistOsMilliseconds();
    if (!pRun->bDryRun && !MakeFolders(pRun))
        return false;
    if (!StoreFiles(pRun))
        return false;
    std::vector<DISTLINE> lines = MakeScript(pRun->tmpl, pRun->plan, pRun->uSpaceK, true);
    CheckScriptSize(pRun, lines);
    if (pRun->nErrors)
        return false;
    if (pRun->bDryRun) {
        PrintPlan(pRun);
    } else if (!CopySetupExe(pRun) || !FinishScript(pRun, lines)) {
        return false;
    }
    PrintSummary(pRun, ScriptText(lines).size());
    return true;
}

int RunSetupDist(const std::vector<std::string> &args, DISTPRINT pfnPrint, void *pContext)
{
    std::unique_ptr<DISTRUN> pRun(new DISTRUN());
    pRun->nCompress = COMPRESS_AUTO;
    pRun->cbCluster = 4096;
    pRun->pfnPrint = pfnPrint;
    pRun->pContext = pContext;
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        Say(pRun.get(), szUsage);
        return DIST_EXIT_OK;
    }
    if (!ParseArgs(pRun.get(), args)) {
        pfnPrint(pContext, true, szUsage);
        return DIST_EXIT_USAGE;
    }
    if (Plan(pRun.get()) && Build(pRun.get()))
        return DIST_EXIT_OK;
    Unmake(pRun.get());
    DistOsProgress("");
    pfnPrint(pContext, true, "setupdist: " + std::to_string(pRun->nErrors) +
                                 (pRun->nErrors == 1 ? " error" : " errors") +
                                 (pRun->bDryRun ? "" : "; no distribution made"));
    return DIST_EXIT_FAILED;
}
