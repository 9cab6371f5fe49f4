/*
 * CopyPath.cpp - bounded joining of the copy step's folders and names.
 */
#include <string.h>
#include "CopyPath.h"

BOOL JoinText(LPSTR lpszOut, LPCSTR lpszFirst, LPCSTR lpszSecond)
{
    int cch = FormatText(lpszOut, MAXCOPYPATH, "%s%s", lpszFirst, lpszSecond);
    if (cch < 0 || cch >= MAXCOPYPATH) {
        lpszOut[0] = '\0';
        return FALSE;
    }
    return TRUE;
}

BOOL JoinFileName(LPSTR lpszOut, LPCSTR lpszFolder, LPCSTR lpszName)
{
    LPCSTR lpszSep = PathEndsInBackslash(lpszFolder) ? "" : "\\";
    int cch = FormatText(lpszOut, MAXCOPYPATH, "%s%s%s", lpszFolder, lpszSep, lpszName);
    if (cch < 0 || cch >= MAXCOPYPATH) {
        lpszOut[0] = '\0';
        return FALSE;
    }
    return TRUE;
}

BOOL JoinLabel(LPSTR lpszOut, LPCSTR lpszFirst, LPCSTR lpszSecond)
{
    char szWhole[2 * MAXCOPYPATH];
    FormatText(szWhole, sizeof(szWhole), "%s%s", lpszFirst, lpszSecond);
    return StoreText(lpszOut, MAXCOPYPATH, szWhole);
}

int ClassifySource(const BYTE *pb, UINT cb, DWORD *pdwSize)
{
    static const BYTE abSignature[8] = { 'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33 };
    *pdwSize = 0;
    if (cb < sizeof(abSignature) || memcmp(pb, abSignature, sizeof(abSignature)) != 0)
        return SRC_PLAIN;
    /* Only method 'A' is known; a file that starts like a compressed one
     * and cannot be read as one is never installed as it is. */
    if (cb < LZHEADER || pb[8] != 'A')
        return SRC_DAMAGED;
    *pdwSize = (DWORD)pb[10] | (DWORD)pb[11] << 8 | (DWORD)pb[12] << 16 | (DWORD)pb[13] << 24;
    return SRC_COMPRESSED;
}
