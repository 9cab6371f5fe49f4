/*
 * DestPath.cpp - the destination dialog's path rules.
 */
#include <stdio.h>
#include <string.h>
#include "DestPath.h"
#include "SetupinfOs.h"

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
    int nLast = -1;
    for (int i = 0; lpszPath[i]; i++) {
        if (OsIsLeadByte(lpszPath[i]) && lpszPath[i + 1])
            i++;
        else if (lpszPath[i] == '\\')
            nLast = i;
    }
    return nLast;
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

BOOL PutOnDrive(LPSTR lpszPath, char chDrive)
{
    if (lpszPath[0] && lpszPath[1] == ':')
        return TRUE;
    char szOld[MAXPATHTEXT];
    StoreText(szOld, sizeof(szOld), lpszPath);
    int cch = snprintf(lpszPath, MAXPATHTEXT, "%c:\\%s", chDrive, szOld[0] == '\\' ? szOld + 1 : szOld);
    RemoveTrailingBackslash(lpszPath);
    return cch > 0 && cch < MAXPATHTEXT;
}

void SplitWorkingPath(LPCSTR lpszPath, LPSTR lpszListed, LPSTR lpszLast)
{
    int i = LastBackslash(lpszPath);
    if (i < 0) {
        /* A drive root without its backslash ("c:"): list the root. */
        snprintf(lpszListed, MAXPATHTEXT, "%s\\", lpszPath);
        lpszLast[0] = '\0';
        return;
    }
    snprintf(lpszListed, MAXPATHTEXT, "%.*s", i + 1, lpszPath);
    StoreText(lpszLast, MAXPATHTEXT, lpszPath + i + 1);
}

BOOL ReplaceLastComponent(LPSTR lpszPath, LPCSTR lpszEntry)
{
    char szNew[MAXPATHTEXT];
    int i = LastBackslash(lpszPath);
    int cch = i < 0 ? snprintf(szNew, sizeof(szNew), "%s\\%s", lpszPath, lpszEntry)
                    : snprintf(szNew, sizeof(szNew), "%.*s%s", i + 1, lpszPath, lpszEntry);
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

BOOL IsBadDirName(LPCSTR lpszText)
{
    size_t cch = strlen(lpszText);
    if (cch < 2 || lpszText[1] != ':')
        return TRUE;
    return cch >= 2 && lpszText[cch - 1] == '.' && lpszText[cch - 2] == '.';
}

BOOL IsSpaceShort(UINT uNeededK, unsigned long long ullFreeK)
{
    return uNeededK >= ullFreeK;
}

void FormatKBytes(LPSTR lpszBuf, UINT cchBuf, unsigned long long ullK)
{
    snprintf(lpszBuf, cchBuf, "%lluK Bytes", ullK);
}
