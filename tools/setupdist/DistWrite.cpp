/*
 * DistWrite.cpp - the distribution written: its folders, the files
 * (compressed where that makes them smaller) with their own dates,
 * SETUP.EXE, the script under a temporary name, checked with the
 * checker's own code and only then named SETUP.INF; what was written is
 * removed again after a failure, an interrupt or a dry run.
 */
#include <stdio.h>
#include <algorithm>
#include <memory>
#include "DistOs.h"
#include "DistRun.h"
#include "InfCheck.h"
#include "SetupinfOs.h"
#include "Szdd.h"

#define PROGRESS_AFTER  1000    /* ms before the first progress line */
#define PROGRESS_EVERY  250

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
void Unmake(DISTRUN *pRun)
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

/* Writes the distribution. A dry run writes it the same way, checks it
 * and then removes it. */
bool Build(DISTRUN *pRun)
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
