/*
 * CopyPath.cpp - bounded joining of the copy step's folders and names,
 * the list of folders already looked into, and the expansion of its
 * compressed sources.
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

BOOL IsCopyTempName(LPCSTR lpszName)
{
    /* '#' stands for a hexadecimal digit; letters in any case. */
    static const char szForm[] = "~SET####.TMP";
    if (strlen(lpszName) != sizeof(szForm) - 1)
        return FALSE;
    for (size_t i = 0; szForm[i]; i++) {
        char c = lpszName[i] >= 'a' && lpszName[i] <= 'z' ? (char)(lpszName[i] - 'a' + 'A') : lpszName[i];
        if (szForm[i] == '#' ? !strchr("0123456789ABCDEF", c) || !c : c != szForm[i])
            return FALSE;
    }
    return TRUE;
}

void LooksStart(FOLDERLOOKS *pLooks)
{
    pLooks->cFolders = 0;
    pLooks->iLast = 0;
}

int LookedFound(FOLDERLOOKS *pLooks, LPCSTR lpszFolder)
{
    /* Files mostly come a folder at a time: the last one first. */
    if (pLooks->iLast < pLooks->cFolders && strcmp(pLooks->aszFolder[pLooks->iLast], lpszFolder) == 0)
        return pLooks->abFound[pLooks->iLast];
    for (UINT i = 0; i < pLooks->cFolders; i++)
        if (strcmp(pLooks->aszFolder[i], lpszFolder) == 0) {
            pLooks->iLast = i;
            return pLooks->abFound[i];
        }
    return -1;
}

void NoteLook(FOLDERLOOKS *pLooks, LPCSTR lpszFolder, BOOL bFound)
{
    UINT i = pLooks->cFolders;
    /* A folder cut to fit would stand for another one. */
    if (i >= MAXLOOKED || !StoreText(pLooks->aszFolder[i], MAXCOPYPATH, lpszFolder))
        return;
    pLooks->abFound[i] = bFound ? TRUE : FALSE;
    pLooks->iLast = i;
    pLooks->cFolders = i + 1;
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

void ExpandStart(EXPANDER *pex)
{
    memset(pex->abRing, ' ', sizeof(pex->abRing));
    pex->iRing = LZRING - 16;
    pex->uFlags = 0;
    pex->nHeld = -1;
}

static void PutByte(EXPANDER *pex, BYTE b, BYTE *pbOut, UINT *piOut)
{
    pex->abRing[pex->iRing] = b;
    pex->iRing = (pex->iRing + 1) & (LZRING - 1);
    pbOut[(*piOut)++] = b;
}

UINT ExpandItems(EXPANDER *pex, const BYTE *pbIn, UINT cbIn, UINT *pcbUsed, BYTE *pbOut, UINT cbOut)
{
    UINT iIn = 0, iOut = 0;
    while (iOut + LZMAXITEM <= cbOut) {
        if (pex->nHeld < 0) {
            /* A flag byte gives eight bits; the marker above them
             * reaches bit 8 when they are used up. */
            if (!(pex->uFlags & 0x100)) {
                if (iIn == cbIn)
                    break;
                pex->uFlags = pbIn[iIn++] | 0xFF00u;
            }
            if (iIn == cbIn)
                break;
            BOOL bLiteral = pex->uFlags & 1;
            pex->uFlags >>= 1;
            if (bLiteral) {
                PutByte(pex, pbIn[iIn++], pbOut, &iOut);
                continue;
            }
            pex->nHeld = pbIn[iIn++];
        }
        if (iIn == cbIn)
            break;
        UINT b = pbIn[iIn++];
        UINT iFrom = (UINT)pex->nHeld | (b & 0xF0u) << 4, cb = (b & 0x0Fu) + 3;
        pex->nHeld = -1;
        BYTE *pbTo = pex->abRing + pex->iRing;
        if (iFrom + cb <= LZRING && pex->iRing + cb <= LZRING && (iFrom >= pex->iRing || pex->iRing - iFrom >= cb)) {
            /* Most matches neither wrap nor take bytes they put. */
            memmove(pbTo, pex->abRing + iFrom, cb);
            memcpy(pbOut + iOut, pbTo, cb);
            iOut += cb;
            pex->iRing = (pex->iRing + cb) & (LZRING - 1);
            continue;
        }
        /* Else one byte at a time, each put before the next is taken. */
        for (; cb > 0; cb--) {
            PutByte(pex, pex->abRing[iFrom], pbOut, &iOut);
            iFrom = (iFrom + 1) & (LZRING - 1);
        }
    }
    *pcbUsed = iIn;
    return iOut;
}
