/*
 * InfCheck.cpp - the script checker. The script is read once, by the
 * program's own reader; a line observer notes, for every line, its number,
 * its section, the checks the reader reported while acting on it and the
 * table counts before it, so each record and each check can be traced back
 * to its line. The findings come from one file per theme: the reader's own
 * checks (InfReadChecks.cpp), the script's form (InfForm.cpp), [App]
 * (InfApp.cpp), the directories (InfDirs.cpp) and the distribution folder
 * beside the script (InfDisk.cpp); this file runs them and orders what
 * they find.
 */
#include <string.h>
#include <algorithm>
#include "InfCheck.h"
#include "InfCheckState.h"
#include "SetupinfOs.h"
#include "SetupinfView.h"

/* ---- reading with the observer ------------------------------------------ */

/* Moves the checks fired since the last call to the line they belong to:
 * the line just reported (bNewLine) or the one before it. */
static void HarvestChecks(CHECKSTATE *pState, BOOL bNewLine)
{
    std::vector<SCRIPTLINE> &lines = pState->lines;
    size_t nPrev = lines.size() - (bNewLine ? 1 : 0);
    for (unsigned i = 0; const CHECKRECORD *pRec = SetupCheckGet(i); i++) {
        if (bNewLine && strcmp(pRec->szExpr, szLineCutCheck) == 0)
            lines.back().checks.push_back(pRec->szExpr);
        else if (nPrev == 0)
            pState->loadChecks.push_back(pRec->szExpr);
        else
            lines[nPrev - 1].checks.push_back(pRec->szExpr);
    }
    if (SetupCheckCount() > MAXCHECKLOG && nPrev > 0)
        lines[nPrev - 1].uLostChecks += SetupCheckCount() - MAXCHECKLOG;
    SetupCheckReset();
}

static void ObserveLine(LPVOID lpContext, UINT uLine, int nSection, LPCSTR lpszLine)
{
    CHECKSTATE *pState = (CHECKSTATE *)lpContext;
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    SCRIPTLINE line;
    line.uLine = uLine;
    line.nSection = nSection;
    line.strText = lpszLine;
    line.uFirstSrc = view.NumSrcDirs();
    line.uFirstDst = inf.GetNumDstDirs();
    line.uFirstFile = inf.GetNumFiles();
    line.uFirstItem = inf.GetNumPMItems();
    line.uLostChecks = 0;
    pState->lines.push_back(line);
    HarvestChecks(pState, TRUE);
}

/* Gives each record the line that made it. */
static void MapRecords(CHECKSTATE *pState)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    pState->srcLine.assign(view.NumSrcDirs(), 0);
    pState->dstLine.assign(inf.GetNumDstDirs(), 0);
    pState->fileLine.assign(inf.GetNumFiles(), 0);
    pState->fileWild.assign(inf.GetNumFiles(), FALSE);
    pState->itemLine.assign(inf.GetNumPMItems(), 0);
    const std::vector<SCRIPTLINE> &lines = pState->lines;
    for (size_t k = 0; k < lines.size(); k++) {
        BOOL bLast = k + 1 == lines.size();
        const SCRIPTLINE &l = lines[k];
        for (UINT i = l.uFirstSrc; i < (bLast ? view.NumSrcDirs() : lines[k + 1].uFirstSrc); i++)
            pState->srcLine[i] = l.uLine;
        for (UINT i = l.uFirstDst; i < (bLast ? inf.GetNumDstDirs() : lines[k + 1].uFirstDst); i++)
            pState->dstLine[i] = l.uLine;
        for (UINT i = l.uFirstFile; i < (bLast ? inf.GetNumFiles() : lines[k + 1].uFirstFile); i++) {
            pState->fileLine[i] = l.uLine;
            pState->fileWild[i] = l.strText[0] == '*';
        }
        for (UINT i = l.uFirstItem; i < (bLast ? inf.GetNumPMItems() : lines[k + 1].uFirstItem); i++)
            pState->itemLine[i] = l.uLine;
    }
}

/* ---- the whole check ---------------------------------------------------- */

static void CheckLines(CHECKSTATE *pState)
{
    BOOL bHeaderSeen = FALSE;
    for (const SCRIPTLINE &line : pState->lines) {
        bHeaderSeen = bHeaderSeen || line.strText[0] == '[';
        if (!bHeaderSeen && !line.strText.empty() && line.strText[0] != ';')
            Add(pState, line.uLine, SEV_WARNING,
                "text before the first section header is ignored (keys belong under [App])");
        if (line.strText == "[App]" && !pState->uAppLine)
            pState->uAppLine = line.uLine;
        if (line.strText == "[End]")
            pState->uEndLine = line.uLine;
        if (line.nSection == SECT_APP && line.strText[0] != '[' && line.strText[0] != ';' &&
            !line.strText.empty())
            CheckKeyLine(pState, line);
    }
}

/* Ordered by line, errors first, then by text, so the order does not
 * depend on how a folder lists its files. Findings of one kind on one line
 * (a wildcard line may fire the same check for many files) are told once,
 * with their number. */
static std::vector<FINDING> SortAndMerge(std::vector<FINDING> findings)
{
    std::sort(findings.begin(), findings.end(), [](const FINDING &a, const FINDING &b) {
        if (a.uLine != b.uLine)
            return a.uLine < b.uLine;
        if (a.nSeverity != b.nSeverity)
            return a.nSeverity > b.nSeverity;
        return a.strText < b.strText;
    });
    std::vector<FINDING> merged;
    std::vector<unsigned> counts;
    for (const FINDING &f : findings) {
        if (!merged.empty() && merged.back().uLine == f.uLine &&
            merged.back().nSeverity == f.nSeverity && merged.back().strText == f.strText) {
            counts.back()++;
            continue;
        }
        merged.push_back(f);
        counts.push_back(1);
    }
    for (size_t k = 0; k < merged.size(); k++)
        if (counts[k] > 1)
            merged[k].strText += " (" + std::to_string(counts[k]) + " times)";
    return merged;
}

std::string ScriptFolder(LPCSTR lpszPath)
{
    std::string path(lpszPath);
    size_t cut = std::string::npos;
    for (size_t i = 0; i < path.size(); i++) {
        if (TextCharBytes(path.c_str() + i) == 2)
            i++;
        else if (path[i] == '/' || path[i] == '\\')
            cut = i;
    }
    return cut == std::string::npos ? std::string("./") : path.substr(0, cut + 1);
}

std::vector<FINDING> CheckScript(CSetupInf &inf, LPCSTR lpszPath, UINT *puResult)
{
    CHECKSTATE state;
    state.pInf = &inf;
    state.strBase = ScriptFolder(lpszPath);
    state.uAppLine = state.uEndLine = 0;
    OsSetProgramFolder(state.strBase.c_str());

    SetupCheckReset();
    inf.SetLineObserver(ObserveLine, &state);
    *puResult = inf.Load(lpszPath, NULL);
    inf.SetLineObserver(NULL, NULL);
    HarvestChecks(&state, FALSE);

    if (*puResult == LOAD_CANTOPEN || *puResult == LOAD_NOMEMORY) {
        Add(&state, 0, SEV_ERROR, *puResult == LOAD_CANTOPEN ? "cannot open the script"
                                                             : "out of memory reading the script");
        return state.findings;
    }

    /* The bytes as the reader got them, for line ends and the size limit. */
    std::vector<char> text(MAXSCRIPT);
    UINT cbRead = 0;
    if (!OsReadFile(lpszPath, text.data(), MAXSCRIPT, &cbRead))
        cbRead = 0;
    text.resize(cbRead);
    std::vector<UINT> lineOf = LineOfOffsets(text);

    std::string mistake = EncodingMistake(text);
    if (!mistake.empty()) {
        Add(&state, 1, SEV_ERROR, mistake);
        return state.findings;
    }
    state.rawLines = RawLines(text);
    MapRecords(&state);
    ReportReaderChecks(&state);
    CheckLines(&state);
    ReportLoneCrs(&state, text, lineOf);
    if (*puResult == LOAD_REJECTED) {
        ReportRejection(&state, text, lineOf);
    } else {
        CheckAppSettings(&state);
        CheckDirectories(&state);
        CheckOnDisk(&state);
    }
    return SortAndMerge(state.findings);
}

std::string FormatFinding(LPCSTR lpszName, const FINDING &finding)
{
    std::string s = lpszName;
    if (finding.uLine)
        s += ":" + std::to_string(finding.uLine);
    s += finding.nSeverity == SEV_ERROR ? ": error: " : ": warning: ";
    return s + finding.strText;
}

std::string FormatSummary(LPCSTR lpszName, const std::vector<FINDING> &findings)
{
    size_t nErrors = 0, nWarnings = 0;
    for (const FINDING &f : findings)
        (f.nSeverity == SEV_ERROR ? nErrors : nWarnings)++;
    return std::string(lpszName) + ": " + std::to_string(nErrors) +
           (nErrors == 1 ? " error, " : " errors, ") + std::to_string(nWarnings) +
           (nWarnings == 1 ? " warning" : " warnings");
}

int CheckExitCode(const std::vector<FINDING> &findings)
{
    int nCode = 0;
    for (const FINDING &f : findings)
        nCode = std::max(nCode, f.nSeverity == SEV_ERROR ? 2 : 1);
    return nCode;
}
