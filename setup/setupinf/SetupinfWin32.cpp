/*
 * SetupinfWin32.cpp - the script reader's platform operations on Windows.
 */
#include <windows.h>
#include <string.h>
#include <wchar.h>
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

/* lpszWide in the ANSI code page into lpszDir: TRUE when no character is
 * lost and it fits both cchDir and a script's folder (MAXTEXT). */
static BOOL ToAnsiFolder(LPCWSTR lpszWide, LPSTR lpszDir, UINT cchDir)
{
    BOOL bLost = FALSE;
    BOOL bUtf8 = GetACP() == CP_UTF8;   /* it loses nothing and tells nothing */
    int cb = WideCharToMultiByte(CP_ACP, bUtf8 ? 0 : WC_NO_BEST_FIT_CHARS, lpszWide, -1, lpszDir,
                                 (int)(cchDir < MAXTEXT ? cchDir : MAXTEXT), NULL, bUtf8 ? NULL : &bLost);
    return cb > 0 && !bLost;
}

BOOL OsGetProgramFolder(HINSTANCE hInstance, LPSTR lpszDir, UINT cchDir)
{
    WCHAR szPath[MAX_PATH], szShort[MAX_PATH];
    char szAnsi[MAX_PATH * 2];
    if (szProgramFolderOverride[0])
        return StoreText(lpszDir, cchDir, szProgramFolderOverride);

    DWORD cch = GetModuleFileNameW(hInstance, szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return FALSE;
    LPWSTR lpszSlash = wcsrchr(szPath, L'\\');
    szPath[lpszSlash ? lpszSlash - szPath + 1 : 0] = L'\0';
    /* The program reads its folder through the ANSI calls: a folder with a
     * character outside the code page, or longer than a script's folder
     * may be, is taken by its short (8.3) name where that does better. */
    if (ToAnsiFolder(szPath, lpszDir, cchDir))
        return TRUE;
    cch = GetShortPathNameW(szPath, szShort, MAX_PATH);
    if (cch > 0 && cch < MAX_PATH && ToAnsiFolder(szShort, lpszDir, cchDir))
        return TRUE;
    /* Neither: the long name as far as it fits, for the caller to refuse. */
    if (!WideCharToMultiByte(CP_ACP, 0, szPath, -1, szAnsi, sizeof(szAnsi), NULL, NULL))
        return FALSE;
    return StoreText(lpszDir, cchDir, szAnsi);
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
