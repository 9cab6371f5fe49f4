/*
 * DestPath.cpp - the destination dialog's path rules.
 */
#include <string.h>
#include "DestPath.h"
#include "SetupOs.h"

void LowerPath(LPSTR lpszPath)
{
    for (LPSTR p = lpszPath; *p; p++) {
        if (OsIsLeadByte(*p) && p[1])
            p++;
        else if (*p >= 'A' && *p <= 'Z')
            *p = (char)(*p - 'A' + 'a');
    }
}

int LastBackslash(LPCSTR lpszPath)
{
    LPCSTR p = FindLastBackslash(lpszPath);
    return p ? (int)(p - lpszPath) : -1;
}

void RemoveTrailingBackslash(LPSTR lpszPath)
{
    if (PathEndsInBackslash(lpszPath))
        lpszPath[strlen(lpszPath) - 1] = '\0';
}

void DefDirToPath(LPCSTR lpszDefDir, LPSTR lpszPath)
{
    StoreText(lpszPath, MAXPATHTEXT, lpszDefDir);
    RemoveTrailingBackslash(lpszPath);
    LowerPath(lpszPath);
}

void DefDirRoot(LPSTR lpszDefDir)
{
    if (lpszDefDir[0] && lpszDefDir[1] == ':')
        lpszDefDir[2] = '\0';
    else
        lpszDefDir[0] = '\0';
}

static char LowerLetter(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

BOOL PutOnDrive(LPSTR lpszPath, char chDrive)
{
    chDrive = LowerLetter(chDrive);
    if (lpszPath[0] && lpszPath[1] == ':') {
        lpszPath[0] = chDrive;
        return TRUE;
    }
    char szOld[MAXPATHTEXT];
    StoreText(szOld, sizeof(szOld), lpszPath);
    int cch = FormatText(lpszPath, MAXPATHTEXT, "%c:\\%s", chDrive, szOld[0] == '\\' ? szOld + 1 : szOld);
    if (cch > 0 && cch < MAXPATHTEXT) {
        RemoveTrailingBackslash(lpszPath);
        return TRUE;
    }
    FormatText(lpszPath, MAXPATHTEXT, "%c:", chDrive);
    return FALSE;
}

/* Appends the parts of lpszParts, separated by backslashes or slashes, to
 * the full path lpszFull ("c:" and its folders): empty and "." parts are
 * skipped, ".." takes the last folder off. FALSE when ".." climbs above
 * the root or the path would not fit. */
static BOOL AppendParts(LPSTR lpszFull, LPCSTR lpszParts)
{
    for (LPCSTR p = lpszParts; *p;) {
        char szPart[MAXPATHTEXT];
        size_t cch = 0;
        for (; *p && *p != '\\' && *p != '/'; cch++, p++) {
            if (cch + 2 >= sizeof(szPart))
                return FALSE;
            if (OsIsLeadByte(*p) && p[1])
                szPart[cch++] = *p++;
            szPart[cch] = *p;
        }
        szPart[cch] = '\0';
        if (*p)
            p++;
        if (strcmp(szPart, "..") == 0) {
            int i = LastBackslash(lpszFull);
            if (i < 0)
                return FALSE;
            lpszFull[i] = '\0';
        } else if (szPart[0] && strcmp(szPart, ".") != 0 && !AppendComponent(lpszFull, szPart)) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL MakeFullDestPath(LPCSTR lpszTyped, LPCSTR lpszDriveFolder, LPSTR lpszFull)
{
    lpszFull[0] = '\0';
    if (!lpszTyped[0] || lpszTyped[1] != ':')
        return FALSE;
    char chDrive = LowerLetter(lpszTyped[0]);
    LPCSTR lpszRest = lpszTyped + 2;
    FormatText(lpszFull, MAXPATHTEXT, "%c:", chDrive);
    BOOL bOk;
    if (!*lpszRest || *lpszRest == '\\' || *lpszRest == '/')
        bOk = AppendParts(lpszFull, lpszRest);
    else
        bOk = lpszDriveFolder && LowerLetter(lpszDriveFolder[0]) == chDrive && lpszDriveFolder[1] == ':' &&
              (lpszDriveFolder[2] == '\\' || lpszDriveFolder[2] == '/') &&
              AppendParts(lpszFull, lpszDriveFolder + 2) && AppendParts(lpszFull, lpszRest);
    if (!bOk) {
        lpszFull[0] = '\0';
        return FALSE;
    }
    LowerPath(lpszFull);
    return TRUE;
}

void SplitWorkingPath(LPCSTR lpszPath, LPSTR lpszListed, LPSTR lpszLast)
{
    int i = LastBackslash(lpszPath);
    if (i < 0) {
        /* A drive root without its backslash ("c:"): list the root. */
        FormatText(lpszListed, MAXPATHTEXT, "%s\\", lpszPath);
        lpszLast[0] = '\0';
        return;
    }
    FormatText(lpszListed, MAXPATHTEXT, "%.*s", i + 1, lpszPath);
    StoreText(lpszLast, MAXPATHTEXT, lpszPath + i + 1);
}

BOOL ReplaceLastComponent(LPSTR lpszPath, LPCSTR lpszEntry)
{
    char szNew[MAXPATHTEXT];
    int i = LastBackslash(lpszPath);
    int cch = i < 0 ? FormatText(szNew, sizeof(szNew), "%s\\%s", lpszPath, lpszEntry)
                    : FormatText(szNew, sizeof(szNew), "%.*s%s", i + 1, lpszPath, lpszEntry);
    if (cch < 0 || cch >= (int)sizeof(szNew))
        return FALSE;
    memcpy(lpszPath, szNew, cch + 1);
    return TRUE;
}

BOOL AppendComponent(LPSTR lpszPath, LPCSTR lpszEntry)
{
    size_t cchPath = strlen(lpszPath), cchEntry = strlen(lpszEntry);
    if (cchPath + 1 + cchEntry >= MAXPATHTEXT)
        return FALSE;
    lpszPath[cchPath] = '\\';
    memcpy(lpszPath + cchPath + 1, lpszEntry, cchEntry + 1);
    return TRUE;
}

void GoUpPath(LPSTR lpszPath)
{
    /* The backslash before the listed folder's name is the last one in
     * the text without its final "\..". */
    size_t cch = strlen(lpszPath);
    if (cch < 4)
        return;
    char szHead[MAXPATHTEXT];
    StoreText(szHead, sizeof(szHead), lpszPath);
    szHead[cch - 3] = '\0';
    int i = LastBackslash(szHead);
    if (i >= 0)
        lpszPath[i] = '\0';
}

/* A part (between backslashes or slashes) that ends in a blank. A trail
 * byte is never taken for a blank, nor for a backslash. */
static BOOL HasTrimmedPart(LPCSTR lpszPath)
{
    for (LPCSTR p = lpszPath; *p; p += TextCharBytes(p))
        if ((*p == ' ' || *p == '\t') && (p[1] == '\\' || p[1] == '/' || p[1] == '\0'))
            return TRUE;
    return FALSE;
}

BOOL IsBadDirName(LPCSTR lpszText)
{
    size_t cch = strlen(lpszText);
    if (cch < 2 || lpszText[1] != ':')
        return TRUE;
    if (lpszText[cch - 1] == '.' && lpszText[cch - 2] == '.')
        return TRUE;
    return HasTrimmedPart(lpszText + 2);
}

size_t NextLevelEnd(LPCSTR lpszFull, size_t ich)
{
    size_t cch = strlen(lpszFull);
    if (ich >= cch)
        return cch;
    /* The backslash at ich ends the level before. */
    for (ich += TextCharBytes(lpszFull + ich); ich < cch; ich += TextCharBytes(lpszFull + ich))
        if (lpszFull[ich] == '\\')
            return ich;
    return cch;
}

BOOL TakesBackslash(LPCSTR lpszFull)
{
    return PathEndsInBackslash(lpszFull) || strlen(lpszFull) + 1 < MAXPATHTEXT;
}

BOOL IsSpaceShort(UINT uNeededK, unsigned long long ullFreeK)
{
    return uNeededK >= ullFreeK;
}

void FormatKBytes(LPSTR lpszBuf, UINT cchBuf, unsigned long long ullK)
{
    char szDigits[24];
    FormatULongLong(szDigits, sizeof(szDigits), ullK);
    FormatText(lpszBuf, cchBuf, "%sK Bytes", szDigits);
}
