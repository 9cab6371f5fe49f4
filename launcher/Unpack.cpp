/*
 * Unpack.cpp - the cabinet unpacked with the platform's FDI, read from
 * the launcher's own file in memory; names (UTF-8) become the wide names
 * of the distribution folder, dates are kept. FDI comes from the system
 * folder's cabinet.dll, loaded at run time: a static import would be
 * looked for beside the launcher first.
 */
#include <windows.h>
#include <fcntl.h>
#include <fdi.h>
#include "Launcher.h"
#include "SystemDll.h"

/* One handle of FDI's: the cabinet in memory, or a file being written. */
typedef struct tagUNPACKFILE {
    HANDLE hFile;               /* INVALID_HANDLE_VALUE for the cabinet */
    const BYTE *pb;
    DWORD cb, ib;
} UNPACKFILE;

/* FDI opens the cabinet by this name; the bytes are the payload's. */
static char szCabinetName[] = "payload.cab";
static char szNoPath[] = "";
static UNPACK *pTheUnpack;      /* FDI's open callback has no context */

static FNALLOC(UnpackAlloc)
{
    return HeapAlloc(GetProcessHeap(), 0, cb);
}

static FNFREE(UnpackFree)
{
    HeapFree(GetProcessHeap(), 0, pv);
}

static UNPACKFILE *NewUnpackFile(HANDLE hFile)
{
    UNPACKFILE *pFile = (UNPACKFILE *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(UNPACKFILE));
    if (pFile)
        pFile->hFile = hFile;
    return pFile;
}

static FNOPEN(UnpackOpen)
{
    (void)oflag;
    (void)pmode;
    if (lstrcmpA(pszFile, szCabinetName) != 0)
        return -1;
    UNPACKFILE *pFile = NewUnpackFile(INVALID_HANDLE_VALUE);
    if (!pFile)
        return -1;
    pFile->pb = pTheUnpack->pbCabinet;
    pFile->cb = pTheUnpack->cbCabinet;
    return (INT_PTR)pFile;
}

static FNREAD(UnpackRead)
{
    UNPACKFILE *pFile = (UNPACKFILE *)hf;
    if (pFile->hFile != INVALID_HANDLE_VALUE)
        return (UINT)-1;
    UINT cbRead = pFile->cb - pFile->ib < cb ? pFile->cb - pFile->ib : cb;
    CopyMemory(pv, pFile->pb + pFile->ib, cbRead);
    pFile->ib += cbRead;
    return cbRead;
}

static FNWRITE(UnpackWrite)
{
    UNPACKFILE *pFile = (UNPACKFILE *)hf;
    DWORD cbWritten = 0;
    if (pFile->hFile == INVALID_HANDLE_VALUE)
        return (UINT)-1;
    if (!WriteFile(pFile->hFile, pv, cb, &cbWritten, NULL) || cbWritten != cb) {
        DWORD dwError = GetLastError();
        pTheUnpack->nCause = dwError == ERROR_DISK_FULL || dwError == ERROR_HANDLE_DISK_FULL ? LAUNCH_DISKFULL
                                                                                             : LAUNCH_WRITE;
        return (UINT)-1;
    }
    pTheUnpack->cbDone += cb;
    ShowUnpackProgress(pTheUnpack);
    return cb;
}

static FNCLOSE(UnpackClose)
{
    UNPACKFILE *pFile = (UNPACKFILE *)hf;
    BOOL bOk = pFile->hFile == INVALID_HANDLE_VALUE || CloseHandle(pFile->hFile);
    HeapFree(GetProcessHeap(), 0, pFile);
    return bOk ? 0 : -1;
}

static FNSEEK(UnpackSeek)
{
    UNPACKFILE *pFile = (UNPACKFILE *)hf;
    LONG ibFrom = seektype == SEEK_CUR ? (LONG)pFile->ib : seektype == SEEK_END ? (LONG)pFile->cb : 0;
    if (pFile->hFile != INVALID_HANDLE_VALUE || ibFrom + dist < 0 || (DWORD)(ibFrom + dist) > pFile->cb)
        return -1;
    pFile->ib = (DWORD)(ibFrom + dist);
    return (LONG)pFile->ib;
}

/* The folder this launcher made at lpszPath, or NULL. */
static MADE *FindFolder(UNPACK *pUnpack, const WCHAR *lpszPath)
{
    for (MADE *pMade = pUnpack->pMade; pMade; pMade = pMade->pNext)
        if (pMade->bFolder && lstrcmpiW(pMade->szPath, lpszPath) == 0)
            return pMade;
    return NULL;
}

/* The full wide path of a name of the cabinet, its folders made (or
 * made before by this launcher). NULL when it does not fit or a folder
 * cannot be made; else the folder the file goes into. */
static MADE *PrepareTarget(UNPACK *pUnpack, const char *lpszName, BOOL bUtf8, WCHAR *lpszPath, int cchPath)
{
    WCHAR szName[MAX_PATH];
    int cchDir = lstrlenW(pUnpack->szDir);
    MADE *pFolder = FindFolder(pUnpack, pUnpack->szDir);
    if (!MultiByteToWideChar(bUtf8 ? CP_UTF8 : CP_ACP, MB_ERR_INVALID_CHARS, lpszName, -1, szName, MAX_PATH) ||
        cchDir + 1 + lstrlenW(szName) >= cchPath)
        return NULL;
    lstrcpynW(lpszPath, pUnpack->szDir, cchPath);
    lpszPath[cchDir] = L'\\';
    lstrcpynW(lpszPath + cchDir + 1, szName, cchPath - cchDir - 1);
    for (WCHAR *p = lpszPath + cchDir + 1; *p && pFolder; p++)
        if (*p == L'\\' || *p == L'/') {
            *p = L'\0';
            MADE *pSub = FindFolder(pUnpack, lpszPath);
            pFolder = pSub ? pSub : MakeFolder(pUnpack, pFolder, lpszPath, NULL);
            *p = L'\\';
        }
    return pFolder;
}

static INT_PTR OpenTarget(UNPACK *pUnpack, PFDINOTIFICATION pfdin)
{
    WCHAR szPath[MAX_PATH];
    if (!SafePayloadName(pfdin->psz1)) {
        pUnpack->nCause = LAUNCH_DAMAGED;
        return -1;
    }
    MADE *pFolder = PrepareTarget(pUnpack, pfdin->psz1, (pfdin->attribs & _A_NAME_IS_UTF) != 0, szPath, MAX_PATH);
    BOOL bReady = pFolder != NULL;
    /* A new file only: never written through a name that exists. */
    HANDLE hFile = bReady ? CreateFileW(szPath, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL)
                          : INVALID_HANDLE_VALUE;
    if (hFile != INVALID_HANDLE_VALUE && !RecordMade(pUnpack, pFolder, szPath)) {
        CloseHandle(hFile);
        DeleteFileW(szPath);
        hFile = INVALID_HANDLE_VALUE;
    }
    UNPACKFILE *pFile = hFile != INVALID_HANDLE_VALUE ? NewUnpackFile(hFile) : NULL;
    if (!pFile) {
        DWORD dwError = GetLastError();
        pUnpack->nCause = dwError == ERROR_DISK_FULL ? LAUNCH_DISKFULL : LAUNCH_WRITE;
        lstrcpynW(pUnpack->szFailed, bReady ? szPath : pUnpack->szDir, MAX_PATH);
        if (hFile != INVALID_HANDLE_VALUE)
            CloseHandle(hFile);
        return -1;
    }
    lstrcpynW(pUnpack->szFailed, szPath, MAX_PATH);
    return (INT_PTR)pFile;
}

/* The file's date as the cabinet keeps it (local time). */
static BOOL CloseTarget(PFDINOTIFICATION pfdin)
{
    UNPACKFILE *pFile = (UNPACKFILE *)pfdin->hf;
    FILETIME ftLocal, ft;
    if (DosDateTimeToFileTime(pfdin->date, pfdin->time, &ftLocal) && LocalFileTimeToFileTime(&ftLocal, &ft))
        SetFileTime(pFile->hFile, NULL, NULL, &ft);
    return UnpackClose(pfdin->hf) == 0;
}

static FNFDINOTIFY(UnpackNotify)
{
    UNPACK *pUnpack = (UNPACK *)pfdin->pv;
    switch (fdint) {
    case fdintCOPY_FILE:
        return OpenTarget(pUnpack, pfdin);
    case fdintCLOSE_FILE_INFO:
        return CloseTarget(pfdin);
    case fdintNEXT_CABINET:
        pUnpack->nCause = LAUNCH_DAMAGED;
        return -1;
    default:
        return 0;
    }
}

/* FDI's three entries in the system's cabinet.dll. */
typedef decltype(&FDICreate) FDICREATE;
typedef decltype(&FDICopy) FDICOPY;
typedef decltype(&FDIDestroy) FDIDESTROY;

BOOL UnpackCabinet(UNPACK *pUnpack)
{
    ERF erf;
    ZeroMemory(&erf, sizeof(erf));
    pTheUnpack = pUnpack;
    pUnpack->nCause = LAUNCH_WRITE;
    HMODULE hCabinet = LoadSystemDll(L"cabinet.dll");
    if (!hCabinet)
        return FALSE;
    FDICREATE pfnCreate = (FDICREATE)(void (*)(void))GetProcAddress(hCabinet, "FDICreate");
    FDICOPY pfnCopy = (FDICOPY)(void (*)(void))GetProcAddress(hCabinet, "FDICopy");
    FDIDESTROY pfnDestroy = (FDIDESTROY)(void (*)(void))GetProcAddress(hCabinet, "FDIDestroy");
    HFDI hfdi = pfnCreate && pfnCopy && pfnDestroy ? pfnCreate(UnpackAlloc, UnpackFree, UnpackOpen, UnpackRead,
                                                               UnpackWrite, UnpackClose, UnpackSeek, cpuUNKNOWN, &erf)
                                                   : NULL;
    if (!hfdi) {
        FreeLibrary(hCabinet);
        return FALSE;
    }
    pUnpack->nCause = LAUNCH_OK;
    BOOL bOk = pfnCopy(hfdi, szCabinetName, szNoPath, 0, UnpackNotify, NULL, pUnpack);
    pfnDestroy(hfdi);
    FreeLibrary(hCabinet);
    if (!bOk && pUnpack->nCause == LAUNCH_OK)
        pUnpack->nCause = LAUNCH_DAMAGED;
    return bOk && pUnpack->nCause == LAUNCH_OK;
}
