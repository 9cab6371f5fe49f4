/*
 * CopyPath.cpp - bounded joining of the copy step's folders and names.
 */
#include <stdio.h>
#include <string.h>
#include "CopyPath.h"

BOOL JoinText(LPSTR lpszOut, LPCSTR lpszFirst, LPCSTR lpszSecond)
{
    int cch = snprintf(lpszOut, MAXCOPYPATH, "%s%s", lpszFirst, lpszSecond);
    if (cch < 0 || cch >= MAXCOPYPATH) {
        lpszOut[0] = '\0';
        return FALSE;
    }
    return TRUE;
}

BOOL JoinFileName(LPSTR lpszOut, LPCSTR lpszFolder, LPCSTR lpszName)
{
    LPCSTR lpszSep = PathEndsInBackslash(lpszFolder) ? "" : "\\";
    int cch = snprintf(lpszOut, MAXCOPYPATH, "%s%s%s", lpszFolder, lpszSep, lpszName);
    if (cch < 0 || cch >= MAXCOPYPATH) {
        lpszOut[0] = '\0';
        return FALSE;
    }
    return TRUE;
}

BOOL JoinLabel(LPSTR lpszOut, LPCSTR lpszFirst, LPCSTR lpszSecond)
{
    char szWhole[2 * MAXCOPYPATH];
    snprintf(szWhole, sizeof(szWhole), "%s%s", lpszFirst, lpszSecond);
    return StoreText(lpszOut, MAXCOPYPATH, szWhole);
}
