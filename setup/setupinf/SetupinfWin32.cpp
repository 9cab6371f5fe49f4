/*
 * SetupinfWin32.cpp - the script reader's platform operations on Windows.
 */
#include <windows.h>
#include <string.h>
#include "SetupinfOs.h"

static char szProgramFolderOverride[MAX_PATH];

LPSTR OsAllocBlock(UINT cb)
{
    HGLOBAL hMem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb);
    if (!hMem)
        return NULL;
    LPSTR lpBlock = (LPSTR)GlobalLock(hMem);
    if (!lpBlock)
        GlobalFree(hMem);
    return lpBlock;
}

void OsFreeBlock(LPSTR lpBlock)
{
    HGLOBAL hMem = GlobalHandle(lpBlock);
    if (hMem) {
        GlobalUnlock(hMem);
        GlobalFree(hMem);
    }
}

BOOL OsReadFile(LPCSTR lpszFileName, LPSTR lpBuf, UINT cbMax, UINT *pcbRead)
{
    *pcbRead = 0;
    /* CreateFileA rather than OpenFile: the latter refuses paths of 128
     * characters or more and the result is otherwise the same. */
    HANDLE hFile = CreateFileA(lpszFileName, GENERIC_READ, FILE_SHARE_READ, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD cbRead = 0;
    BOOL bOk = ReadFile(hFile, lpBuf, cbMax, &cbRead, NULL);
    CloseHandle(hFile);
    if (!bOk)
        return FALSE;
    *pcbRead = cbRead;
    return TRUE;
}

BOOL OsGetProgramFolder(HINSTANCE hInstance, LPSTR lpszDir, UINT cchDir)
{
    char szPath[MAX_PATH];
    if (szProgramFolderOverride[0])
        return StoreText(lpszDir, cchDir, szProgramFolderOverride);

    DWORD cch = GetModuleFileNameA(hInstance, szPath, sizeof(szPath));
    if (cch == 0 || cch >= sizeof(szPath))
        return FALSE;
    /* A byte search would stop at a trail byte of the value 0x5C. */
    LPCSTR lpszSlash = FindLastBackslash(szPath);
    szPath[lpszSlash ? lpszSlash - szPath + 1 : 0] = '\0';
    return StoreText(lpszDir, cchDir, szPath);
}

void OsSetProgramFolder(LPCSTR lpszDir)
{
    szProgramFolderOverride[0] = '\0';
    if (lpszDir)
        StoreText(szProgramFolderOverride, sizeof(szProgramFolderOverride), lpszDir);
}

static void CopyFindData(OSFIND *pFind, const WIN32_FIND_DATAA *pData)
{
    StoreText(pFind->szName, sizeof(pFind->szName), pData->cFileName);
    pFind->dwAttributes = pData->dwFileAttributes;
    pFind->cbSize = ((unsigned long long)pData->nFileSizeHigh << 32) | pData->nFileSizeLow;
}

BOOL OsFindFirst(LPCSTR lpszPattern, OSFIND *pFind)
{
    WIN32_FIND_DATAA data;
    memset(&data, 0, sizeof(data));
    HANDLE hFind = FindFirstFileA(lpszPattern, &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    pFind->hFind = hFind;
    CopyFindData(pFind, &data);
    return TRUE;
}

BOOL OsFindNext(OSFIND *pFind)
{
    WIN32_FIND_DATAA data;
    memset(&data, 0, sizeof(data));
    if (!FindNextFileA((HANDLE)pFind->hFind, &data))
        return FALSE;
    CopyFindData(pFind, &data);
    return TRUE;
}

void OsFindClose(OSFIND *pFind)
{
    FindClose((HANDLE)pFind->hFind);
    pFind->hFind = NULL;
}
