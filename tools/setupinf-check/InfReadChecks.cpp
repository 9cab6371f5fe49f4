/*
 * InfReadChecks.cpp - the checks the reader itself reported while it read
 * the script, each told in words at its line: what was cut and what that
 * does to the copy, what was left out, which table is full.
 */
#include <string.h>
#include <algorithm>
#include "InfCheckState.h"
#include "SetupinfView.h"

/* The text of a reader check that fired on the line. bLeftOut: the line
 * is a directory or explicit file line whose entry cannot be used. */
static std::string CheckText(const SCRIPTLINE &line, const std::string &expr, BOOL bLeftOut)
{
    static const struct {
        const char *lpszExpr;
        const char *lpszText;
    } aTexts[] = {
        { "strlen(lpszValue)<sizeof(szAppName)", "AppName longer than 127 bytes is cut" },
        { "strlen(lpszValue)<sizeof(szDefDir)", "DefDir longer than 127 bytes is cut" },
        { "strlen(lpszValue)<sizeof(szPMGroupFirst)",
          "DefPMGroup: text before the comma longer than 127 bytes is cut" },
        { "strlen(lpszName)<sizeof(szPMGroupName)",
          "DefPMGroup: group name longer than 127 bytes is cut" },
        { "strlen(p+1)<sizeof(szDir)", "folder longer than 127 bytes; the files that use it fail to copy" },
        { "strchr(lpszLine,'=')!=NULL", "directory line without '=' ({id}={folder}); it is left out" },
        { "strlen(lpszLine)<sizeof(szDisplayName)",
          "display name longer than 127 bytes; it is shown cut" },
        { "c!=NULL&&(q==NULL||c<q)",
          "missing ':' between a directory id and its file name ({display},{id}:{name},{id}:{name},)" },
        { "q!=NULL", "missing ',' after a file name ({display},{id}:{name},{id}:{name},)" },
        { "strlen(t)<cchName", "file name longer than 127 bytes; the file fails to copy" },
        { "strlen(lpszLine)<sizeof(szItemSpec)",
          "item specification longer than 127 bytes; the item is not made and setup reports a group error" },
        { "strlen(p+1)<sizeof(szDescription)", "item description longer than 127 bytes is cut" },
        { "uNumSrcDirs<MAXDIR", "source directory table full: at most 99 source directories" },
        { "uNumDstDirs<MAXDIR", "destination directory table full: at most 99 destination directories" },
        { "uNumFiles<MAXFILE", "file table full (1000 files); files beyond it are left out" },
        { "uNumPMItems<MAXPMITEM", "more than 20 Program Manager items; this one is left out" },
        { "pDir!=NULL", "out of memory; the directory is left out" },
        { "pFile!=NULL", "out of memory; the file is left out" },
        { "pItem!=NULL", "out of memory; the item is left out" },
        { "strlen(lpszLine+1)<sizeof(szSrcId)",
          "source id text longer than 11 bytes; the line fails to copy" },
        { "strlen(lpszDstId)<sizeof(szDstId)",
          "destination id text longer than 11 bytes; the line fails to copy" },
        { "OsGetProgramFolder(szProgramDir)",
          "the distribution folder's path is too long to list; the line fails to copy" },
        { "cch>0&&cch<(int)sizeof(szPattern)",
          "folder path of this wildcard line is longer than 255 bytes; the line fails to copy" },
        { "strchr(lpszName,',')==NULL",
          "a file in this wildcard's folder has a comma in its name; it fails to copy" },
        { "strlen(lpszName)<MAXTEXT",
          "a file in this wildcard's folder has a name longer than 127 bytes; it fails to copy" },
        { "cch>0&&cch<(int)sizeof(szLine)",
          "a file in this wildcard's folder makes a line longer than 255 bytes; it fails to copy" },
    };
    if (expr == szLineCutCheck) {
        std::string text = "line longer than 255 bytes; ";
        if (bLeftOut)
            return text + (line.nSection == SECT_FILES ? "the file fails to copy"
                                                       : "the files that use the directory fail to copy");
        return text + "the rest of it is cut off";
    }
    if (expr == "p!=NULL") {
        if (line.nSection == SECT_APP)
            return "key line without '=' ({key}={value}); it is ignored";
        if (line.nSection == SECT_PMINFO)
            return "item line without ',' ({item specification},{description})";
        if (line.strText[0] == '*')
            return "wildcard line needs a hyphen and a comma (*{source id}-{destination id},); "
                   "it is left out";
        return "missing ',' after the display name ({display},{id}:{name},{id}:{name},)";
    }
    for (size_t i = 0; i < sizeof(aTexts) / sizeof(aTexts[0]); i++)
        if (expr == aTexts[i].lpszExpr)
            return aTexts[i].lpszText;
    return "the reader's consistency check " + Quote(expr) + " failed";
}

/* A wildcard line names its source directory by an id that must be
 * defined on an earlier line. */
static std::string UndefinedSourceText(CHECKSTATE *pState, const SCRIPTLINE &line)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    std::string src, dst;
    if (WildcardIds(line.strText, &src, &dst)) {
        long lId = strtol(src.c_str(), NULL, 10);
        for (UINT i = 0; i < view.NumSrcDirs(); i++)
            if ((long)view.SrcDir(i)->GetId() == lId)
                return "source directory " + std::to_string(lId) + " is defined only later, at line " +
                       std::to_string(pState->srcLine[i]) + "; a wildcard line needs it before";
        return "source directory " + std::to_string(lId) + " is not defined in [SrcDirs]";
    }
    return "the wildcard line's source directory is not defined before it";
}

/* Is the line a directory or explicit file line whose entry cannot be
 * used as written (none stored, or one marked cut)? */
static BOOL LeftOut(const CHECKSTATE *pState, const SCRIPTLINE &line)
{
    CSetupInfView view(*pState->pInf);
    const std::vector<UINT> *pRecLines;
    if (line.nSection == SECT_SRCDIRS)
        pRecLines = &pState->srcLine;
    else if (line.nSection == SECT_DSTDIRS)
        pRecLines = &pState->dstLine;
    else if (line.nSection == SECT_FILES && line.strText[0] != '*')
        pRecLines = &pState->fileLine;
    else
        return FALSE;
    if (line.strText.empty() || line.strText[0] == ';' || line.strText[0] == '[')
        return FALSE;
    std::vector<UINT>::const_iterator it = std::find(pRecLines->begin(), pRecLines->end(), line.uLine);
    if (it == pRecLines->end())
        return TRUE;
    UINT i = (UINT)(it - pRecLines->begin());
    if (line.nSection == SECT_FILES)
        return !view.File(i)->IsWhole();
    return !(line.nSection == SECT_SRCDIRS ? view.SrcDir(i) : view.DstDir(i))->IsWhole();
}

/* The count behind a length check, as the script has it: the value of
 * an [App] key, else the whole line. */
static std::string LengthCount(const CHECKSTATE *pState, const SCRIPTLINE &line)
{
    if (line.uLine == 0 || line.uLine > pState->rawLines.size())
        return "";
    std::string raw = pState->rawLines[line.uLine - 1];
    size_t eq = raw.find('=');
    if (line.nSection == SECT_APP && eq != std::string::npos) {
        std::vector<char> buf(raw.begin() + eq + 1, raw.end());
        buf.push_back('\0');
        return " (the value is " + std::to_string(strlen(TrimBlanks(buf.data()))) + " bytes)";
    }
    return " (the line is " + std::to_string(raw.size()) + " bytes)";
}

void ReportReaderChecks(CHECKSTATE *pState)
{
    for (const SCRIPTLINE &line : pState->lines) {
        for (const std::string &expr : line.checks) {
            std::string text = CheckText(line, expr, LeftOut(pState, line));
            if (expr == "ii!=uNumSrcDirs")
                text = UndefinedSourceText(pState, line);
            else if (text.find(" longer than ") != std::string::npos && text.find("wildcard") == std::string::npos)
                text += LengthCount(pState, line);
            Add(pState, line.uLine, SEV_ERROR, text);
        }
        if (line.uLostChecks)
            Add(pState, line.uLine, SEV_ERROR,
                std::to_string(line.uLostChecks) + " more consistency checks failed on this line");
    }
}
