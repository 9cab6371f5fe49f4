/*
 * InfCheck.cpp - the script checker, and the findings of the reading. The
 * script is read once, by the program's own reader; a line observer notes,
 * for every line, its number, its section, the checks the reader reported
 * while acting on it and the table counts before it, so each record and
 * each check can be traced back to its line. The checks the reader cannot
 * make alone then run on the filled database, and on the distribution
 * folder beside the script (InfDisk.cpp).
 */
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <map>
#include "InfCheck.h"
#include "InfCheckState.h"
#include "SetupinfOs.h"
#include "SetupinfView.h"

static const char *const aKeys[] = {
    "AppName", "DefDir", "SpaceNeeded", "DefPMGroup", "ShowSubDirCreateStats", "InstallToHD",
};

static const char *const aHeaderNames[] = {
    "[End]", "[App]", "[Version]", "[SrcDirs]", "[DstDirs]", "[Files]", "[PM Info]",
};

void Add(CHECKSTATE *pState, UINT uLine, int nSeverity, const std::string &strText)
{
    FINDING finding;
    finding.uLine = uLine;
    finding.nSeverity = nSeverity;
    finding.strText = strText;
    pState->findings.push_back(finding);
}

std::string Quote(const std::string &s)
{
    return "'" + s + "'";
}

/* ---- reading with the observer ------------------------------------------ */

/* The reader checks the cut of a line before it reports the line. */
static const char szLineCutCheck[] = "strlen(lpszPos)<sizeof(szLine)";

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

/* ---- the reader's own checks ------------------------------------------- */

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

/* The id texts of a wildcard line, cut as the reader cuts them. */
static BOOL WildcardIds(const std::string &text, std::string *pSrc, std::string *pDst)
{
    size_t hyphen = text.find('-');
    if (hyphen == std::string::npos)
        return FALSE;
    size_t comma = text.find(',', hyphen + 1);
    if (comma == std::string::npos)
        return FALSE;
    *pSrc = text.substr(1, hyphen - 1);
    *pDst = text.substr(hyphen + 1, comma - hyphen - 1);
    return TRUE;
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

static void ReportReaderChecks(CHECKSTATE *pState)
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

/* ---- why a script is rejected ------------------------------------------ */

/* Editor line numbers of the bytes of the script: CR LF, LF and a lone CR
 * each end a line, as the reader counts them. */
static std::vector<UINT> LineOfOffsets(const std::vector<char> &text)
{
    std::vector<UINT> lineOf(text.size() + 1, 1);
    UINT uLine = 1;
    for (size_t i = 0; i < text.size(); i++) {
        lineOf[i] = uLine;
        BOOL bBreak = text[i] == '\n' ? (i == 0 || text[i - 1] != '\r')
                                      : text[i] == '\r';
        if (bBreak)
            uLine++;
    }
    lineOf[text.size()] = uLine;
    return lineOf;
}

/* The script's lines as written, without their line ends. */
static std::vector<std::string> RawLines(const std::vector<char> &text)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size() && text[i]; i++) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                i++;
            lines.push_back("");
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

static void ReportRejection(CHECKSTATE *pState, const std::vector<char> &text,
                            const std::vector<UINT> &lineOf)
{
    if (std::find(pState->loadChecks.begin(), pState->loadChecks.end(), "cbRead<MAXSCRIPT") !=
        pState->loadChecks.end()) {
        Add(pState, lineOf[std::min<size_t>(MAXSCRIPT - 1, text.size())], SEV_ERROR,
            "script longer than 20479 bytes (it passes the limit in this line); "
            "the whole script is rejected");
        return;
    }
    if (pState->lines.empty())
        return;

    const SCRIPTLINE &last = pState->lines.back();
    if (last.strText[0] == '[') {
        std::string hint = "; headers are case-sensitive and stand alone on their line";
        for (const char *lpszHeader : aHeaderNames)
            if (SameName(last.strText, lpszHeader))
                hint = "; did you mean " + std::string(lpszHeader) + "?";
        Add(pState, last.uLine, SEV_ERROR,
            "unknown section header " + Quote(last.strText) + hint + " (the script is rejected)");
        return;
    }

    const void *pNul = memchr(text.data(), '\0', text.size());
    if (pNul) {
        Add(pState, lineOf[(const char *)pNul - text.data()], SEV_ERROR,
            "a zero byte ends the script here, before [End]; the script is rejected");
        return;
    }
    /* The last line with text, or the last line at all. */
    UINT uLine = last.uLine;
    for (size_t k = pState->lines.size(); k-- > 0;)
        if (!pState->lines[k].strText.empty()) {
            uLine = pState->lines[k].uLine;
            break;
        }
    Add(pState, uLine, SEV_ERROR, "the script ends without an [End] line; it is rejected");
}

/* Bytes of the UTF-8 character at text[i], 0 when none begins there. */
static size_t Utf8Bytes(const std::vector<char> &text, size_t i)
{
    return i < text.size() ? Utf8CharBytes(&text[i], text.size() - i) : 0;
}

/* A script saved in the wrong form: with a byte-order mark, as UTF-16,
 * as UTF-8 with Chinese text (shown garbled), or with lone CRs for line
 * ends. "" when it is none of these. */
static std::string EncodingMistake(const std::vector<char> &text)
{
    static const char szSave[] = "; save it as GBK (ANSI) with CR LF line ends";
    std::string start(text.begin(), text.begin() + std::min<size_t>(text.size(), 3));
    if (start == "\xEF\xBB\xBF")
        return std::string("the script begins with a UTF-8 byte-order mark, which SETUP.EXE reads as text") + szSave;
    if (start.compare(0, 2, "\xFF\xFE") == 0 || start.compare(0, 2, "\xFE\xFF") == 0 ||
        (text.size() > 1 && (text[0] == 0 || text[1] == 0)))
        return std::string("the script is UTF-16; SETUP.EXE reads single bytes") + szSave;
    BOOL bCr = FALSE, bLf = FALSE, bMultibyte = FALSE, bUtf8 = TRUE;
    for (size_t i = 0, cb = 1; i < text.size() && text[i]; i += cb) {
        bCr = bCr || text[i] == '\r';
        bLf = bLf || text[i] == '\n';
        cb = bUtf8 ? Utf8Bytes(text, i) : 1;
        bUtf8 = bUtf8 && cb > 0;
        bMultibyte = bMultibyte || cb > 2;
        cb = cb ? cb : 1;
    }
    if (bCr && !bLf)
        return std::string("every line ends in a lone CR; the reader needs CR LF") + szSave;
    if (bUtf8 && bMultibyte)
        return std::string("the script is UTF-8; SETUP.EXE reads GBK, so every Chinese text would show garbled") +
               szSave;
    return "";
}

/* A CR without its LF ends a line for the reader, which then skips the
 * character after it unseen. */
static void ReportLoneCrs(CHECKSTATE *pState, const std::vector<char> &text,
                          const std::vector<UINT> &lineOf)
{
    UINT uLastLine = pState->lines.empty() ? 0 : pState->lines.back().uLine;
    BOOL bSkip = FALSE;
    for (size_t i = 0; i < text.size() && text[i]; i++) {
        if (bSkip) {
            bSkip = FALSE;
            continue;
        }
        if (text[i] != '\r' || (i + 1 < text.size() && text[i + 1] == '\n'))
            continue;
        if (lineOf[i] > uLastLine)
            break;
        if (i + 1 < text.size() && text[i + 1])
            Add(pState, lineOf[i], SEV_WARNING,
                "line ends in a lone CR (no LF): the reader skips the first character of the "
                "next line");
        else
            Add(pState, lineOf[i], SEV_WARNING, "line ends in a lone CR (no LF)");
        bSkip = TRUE;
    }
}

/* ---- [App] ------------------------------------------------------------- */

static BOOL IsKnownKey(const std::string &key)
{
    for (const char *lpszKey : aKeys)
        if (key == lpszKey)
            return TRUE;
    return FALSE;
}

/* SpaceNeeded is read digit by digit into 16 bits: anything but a number
 * of K up to 65535 reads as another one. */
static void CheckSpaceValue(CHECKSTATE *pState, UINT uLine, const std::string &value)
{
    std::string read = std::to_string(StrToWord(value.c_str()));
    size_t nDigits = value.find_first_not_of("0123456789");
    if (nDigits == std::string::npos)
        nDigits = value.size();
    if (value[0] == ' ' || value[0] == '\t')
        Add(pState, uLine, SEV_WARNING, "SpaceNeeded begins with a blank, so the reader reads it as 0");
    else if (nDigits < value.size())
        Add(pState, uLine, SEV_WARNING, "SpaceNeeded " + Quote(value) + " has a unit or other text after its "
                                        "digits; it is a number of K, and the reader reads " + read);
    else if (nDigits > 5 || atol(value.c_str()) > 65535)
        Add(pState, uLine, SEV_WARNING, "SpaceNeeded " + value + " is over 65535, the most it can say; the reader "
                                        "reads " + read);
}

static void CheckKeyLine(CHECKSTATE *pState, const SCRIPTLINE &line)
{
    size_t eq = line.strText.find('=');
    if (eq == std::string::npos)
        return;                         /* the reader reports it */
    std::string key = line.strText.substr(0, eq);
    std::string value = line.strText.substr(eq + 1);

    std::vector<char> buf(key.begin(), key.end());
    buf.push_back('\0');
    std::string trimmed = TrimBlanks(buf.data());
    if (trimmed != key && IsKnownKey(trimmed)) {
        Add(pState, line.uLine, SEV_WARNING,
            "blank before '=': the reader ignores this line (write " + trimmed + "=...)");
        return;
    }
    if (!IsKnownKey(key)) {
        std::string hint;
        for (const char *lpszKey : aKeys)
            if (SameName(trimmed, lpszKey))
                hint = "; keys are case-sensitive: did you mean " + std::string(lpszKey) + "?";
        Add(pState, line.uLine, SEV_WARNING, "unknown key " + Quote(trimmed) + " is ignored" + hint);
        return;
    }

    std::map<std::string, UINT>::iterator it = pState->keyLines.find(key);
    if (it != pState->keyLines.end())
        Add(pState, line.uLine, SEV_WARNING,
            key + " given again (before at line " + std::to_string(it->second) +
            "); this later value is the one used");
    pState->keyLines[key] = line.uLine;

    if (key == "DefPMGroup" && value.find(',') == std::string::npos)
        Add(pState, line.uLine, SEV_WARNING,
            "DefPMGroup without a comma: the whole value becomes the group name "
            "(write DefPMGroup={first},{group name})");
    if (key == "SpaceNeeded")
        CheckSpaceValue(pState, line.uLine, value);
}

UINT KeyLine(const CHECKSTATE *pState, const char *lpszKey)
{
    std::map<std::string, UINT>::const_iterator it = pState->keyLines.find(lpszKey);
    return it == pState->keyLines.end() ? 0 : it->second;
}

/* A finding about a key that is missing goes to the [App] header. */
UINT AppAnchor(const CHECKSTATE *pState)
{
    return pState->uAppLine ? pState->uAppLine : pState->uEndLine;
}

/* The folder DefDir is in, when it is below the drive's root and not one
 * every Windows has (C:\\GAMES of C:\\GAMES\\MINES\\); "" otherwise. */
static std::string NewParentOf(LPCSTR lpszDefDir)
{
    static const char *const aStandard[] = { "Program Files", "Program Files (x86)", "ProgramData", "Users",
                                             "Windows" };
    std::string dir = lpszDefDir;
    if (PathEndsInBackslash(dir.c_str()))
        dir.pop_back();
    LPCSTR lpszLast = FindLastBackslash(dir.c_str());
    if (!lpszLast || lpszLast - dir.c_str() <= 2)
        return "";
    std::string parent = dir.substr(0, lpszLast - dir.c_str());
    std::string below = parent.substr(3);
    for (char &c : below)
        c = (char)tolower((unsigned char)c);
    for (const char *lpszStandard : aStandard) {
        std::string standard = lpszStandard;
        for (char &c : standard)
            c = (char)tolower((unsigned char)c);
        if (parent[2] == '\\' && below == standard)
            return "";
    }
    return parent;
}

/* Program Manager reads commas and parentheses in a command's texts as
 * its own separators; the program sends the texts as they are. */
static void CheckGroupTexts(CHECKSTATE *pState)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    static const char szSeparators[] = ",()";
    UINT uGroupLine = KeyLine(pState, "DefPMGroup");
    if (!uGroupLine)
        Add(pState, AppAnchor(pState), SEV_WARNING,
            "no DefPMGroup in [App]: the Program Manager group gets no name (write DefPMGroup=,{group name})");
    else if (strpbrk(view.PMGroupName(), szSeparators))
        Add(pState, uGroupLine, SEV_WARNING,
            "the group name " + Quote(view.PMGroupName()) + " has a comma or a parenthesis, which Program "
            "Manager reads as the end of the name");
    for (UINT i = 0; i < inf.GetNumPMItems(); i++) {
        char szDescription[MAXTEXT], szSpec[MAXTEXT];
        view.PMItem(i)->GetItem(szDescription, szSpec);
        if (strpbrk(szDescription, szSeparators))
            Add(pState, pState->itemLine[i], SEV_WARNING,
                "the description " + Quote(szDescription) + " has a comma or a parenthesis, which Program "
                "Manager reads as the end of the item's title");
    }
}

static void CheckAppSettings(CHECKSTATE *pState)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    if (view.AppName()[0] == '\0') {
        UINT uLine = KeyLine(pState, "AppName");
        Add(pState, uLine ? uLine : AppAnchor(pState), SEV_WARNING,
            uLine ? "AppName is empty: windows and messages get no title"
                  : "no AppName in [App]: windows and messages get no title");
    }
    CheckGroupTexts(pState);
    if (!inf.GetInstallToHD()) {
        if (inf.GetNumFiles() > 0)
            Add(pState, pState->fileLine[0], SEV_ERROR,
                "InstallToHD is not Yes, so none of the " + std::to_string(inf.GetNumFiles()) +
                    " files of [Files] is copied (write InstallToHD=Yes in [App])");
        return;
    }
    LPCSTR lpszDefDir = view.DefDir();
    if (!isalpha((unsigned char)lpszDefDir[0]) || lpszDefDir[1] != ':') {
        UINT uLine = KeyLine(pState, "DefDir");
        if (uLine)
            Add(pState, uLine, SEV_ERROR,
                "DefDir " + Quote(lpszDefDir) + " does not begin with a drive letter and a colon");
        else
            Add(pState, KeyLine(pState, "InstallToHD"), SEV_ERROR,
                "InstallToHD is set but there is no DefDir (a folder such as C:\\APP\\)");
        return;
    }
    std::string parent = NewParentOf(lpszDefDir);
    if (!parent.empty())
        Add(pState, KeyLine(pState, "DefDir"), SEV_WARNING,
            "DefDir " + Quote(lpszDefDir) + " is in " + parent +
                ", which a fresh Windows does not have; SETUP.EXE will make it");
}

/* ---- directories and items ---------------------------------------------- */

std::string DirText(const DIRENTRY *pDir)
{
    char szDir[MAXTEXT];
    pDir->GetDir(szDir);
    return szDir;
}

/* Folders are created one level at a time in list order, so each parent
 * must come first. */
static void CheckDstDirOrder(CHECKSTATE *pState)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    std::vector<std::vector<std::string>> parts;
    for (UINT i = 0; i < inf.GetNumDstDirs(); i++)
        parts.push_back(PathParts(DirText(view.DstDir(i))));

    for (UINT i = 0; i < parts.size(); i++) {
        for (size_t n = 1; n < parts[i].size(); n++) {
            std::string parent = JoinParts(parts[i], n);
            UINT j;
            for (j = 0; j < parts.size(); j++)
                if (SameName(JoinParts(parts[j], parts[j].size()), parent))
                    break;
            if (j < i)
                continue;
            std::string folder = Quote(JoinParts(parts[i], parts[i].size()));
            if (j < parts.size())
                Add(pState, pState->dstLine[i], SEV_WARNING,
                    "destination folder " + folder + " is listed before its parent " +
                    Quote(parent) + " (line " + std::to_string(pState->dstLine[j]) +
                    "); folders are created in list order");
            else
                Add(pState, pState->dstLine[i], SEV_WARNING,
                    "the parent " + Quote(parent) + " of destination folder " + folder +
                    " is not listed; it must be created first");
            break;
        }
    }
}

/* The destination id of a wildcard line is checked on the line itself, so
 * that an empty folder does not hide a wrong id. */
static void CheckWildcardDestinations(CHECKSTATE *pState)
{
    for (const SCRIPTLINE &line : pState->lines) {
        if (line.nSection != SECT_FILES || line.strText[0] != '*')
            continue;
        std::string src, dst;
        if (!WildcardIds(line.strText, &src, &dst))
            continue;
        std::vector<char> buf(dst.begin(), dst.end());
        buf.push_back('\0');
        WORD wId = StrToWord(TrimBlanks(buf.data()));
        if (!pState->pInf->FindDstDir(wId))
            Add(pState, line.uLine, SEV_ERROR,
                "destination directory " + std::to_string(wId) + " is not defined in [DstDirs]");
    }
}

/* ---- the whole check ---------------------------------------------------- */

/* A directory id given again: every lookup finds the first. */
static void CheckDirIds(CHECKSTATE *pState, BOOL bSource)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    UINT n = bSource ? view.NumSrcDirs() : inf.GetNumDstDirs();
    const std::vector<UINT> &lines = bSource ? pState->srcLine : pState->dstLine;
    std::map<UINT, UINT> first;
    for (UINT i = 0; i < n && i < MAXDIR; i++) {
        const DIRENTRY *pDir = bSource ? view.SrcDir(i) : view.DstDir(i);
        if (!pDir)
            continue;
        std::map<UINT, UINT>::iterator it = first.find(pDir->GetId());
        if (it == first.end())
            first[pDir->GetId()] = lines[i];
        else
            Add(pState, lines[i], SEV_WARNING,
                std::string(bSource ? "source" : "destination") + " directory " + std::to_string(pDir->GetId()) +
                    " is given again (first at line " + std::to_string(it->second) +
                    "); every file finds the first, and this line is never used");
    }
}

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
        CheckDirIds(&state, TRUE);
        CheckDirIds(&state, FALSE);
        CheckDstDirOrder(&state);
        CheckWildcardDestinations(&state);
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
