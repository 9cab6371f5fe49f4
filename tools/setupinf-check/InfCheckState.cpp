/*
 * InfCheckState.cpp - what every file of the checker uses: a finding
 * added, a name quoted, the line of an [App] key, names and paths compared
 * as Windows compares them, the id texts of a wildcard line. It calls no
 * other file of the checker.
 */
#include <ctype.h>
#include "InfCheckState.h"

/* The reader checks the cut of a line before it reports the line. */
const char szLineCutCheck[] = "strlen(lpszPos)<sizeof(szLine)";

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

std::string DirText(const DIRENTRY *pDir)
{
    char szDir[MAXTEXT];
    pDir->GetDir(szDir);
    return szDir;
}

/* The id texts of a wildcard line, cut as the reader cuts them. */
BOOL WildcardIds(const std::string &text, std::string *pSrc, std::string *pDst)
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

/* Names compared as Windows compares file names in code page 936: ASCII
 * letters in either case, double-byte characters byte for byte. */
BOOL SameName(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return FALSE;
    for (size_t i = 0; i < a.size(); i++) {
        if (TextCharBytes(a.c_str() + i) == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return FALSE;
            i++;
        } else if (tolower((unsigned char)a[i]) != tolower((unsigned char)b[i])) {
            return FALSE;
        }
    }
    return TRUE;
}

/* The folder names of a relative path, split at backslashes (and slashes),
 * empty parts and "." left out. A trail byte is never taken for one. */
std::vector<std::string> PathParts(const std::string &path)
{
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 0; i < path.size(); i++) {
        if (TextCharBytes(path.c_str() + i) == 2) {
            part += path.substr(i, 2);
            i++;
        } else if (path[i] == '\\' || path[i] == '/') {
            if (!part.empty() && part != ".")
                parts.push_back(part);
            part.clear();
        } else {
            part += path[i];
        }
    }
    if (!part.empty() && part != ".")
        parts.push_back(part);
    return parts;
}

/* The first n parts joined with backslashes. */
std::string JoinParts(const std::vector<std::string> &parts, size_t n)
{
    std::string s;
    for (size_t i = 0; i < n && i < parts.size(); i++)
        s += (i ? "\\" : "") + parts[i];
    return s;
}
