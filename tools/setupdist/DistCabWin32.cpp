/*
 * DistCabWin32.cpp - the cabinet of the one-file distribution on Windows,
 * written with the platform's FCI into a temporary file and read back.
 * FCI passes names as narrow texts; here they are UTF-8, turned wide at
 * every file call.
 */
#include <windows.h>
#include <fcntl.h>
#include <fci.h>
#include <stdio.h>
#include "DistOs.h"
#include "SystemDll.h"

typedef struct tagCABRUN {
    const std::vector<DISTCABFILE> *pFiles;
    size_t iFile;               /* the file being added */
    DWORD dwError;              /* the first failed call's reason */
} CABRUN;

static std::wstring WideName(const char *lpszUtf8)
{
    WCHAR wsz[MAX_PATH * 2];
    int cwch = MultiByteToWideChar(CP_UTF8, 0, lpszUtf8, -1, wsz, sizeof(wsz) / sizeof(wsz[0]));
    return cwch > 0 ? std::wstring(wsz) : std::wstring();
}

static bool Utf8Name(const WCHAR *lpwsz, char *lpsz, int cb)
{
    return WideCharToMultiByte(CP_UTF8, 0, lpwsz, -1, lpsz, cb, NULL, NULL) > 0;
}

static void Failed(void *pv, int *err)
{
    CABRUN *pRun = (CABRUN *)pv;
    *err = (int)GetLastError();
    if (!pRun->dwError)
        pRun->dwError = GetLastError();
}

static FNFCIFILEPLACED(CabPlaced)
{
    (void)pccab, (void)pszFile, (void)cbFile, (void)fContinuation, (void)pv;
    return 0;
}

static FNFCIALLOC(CabAlloc)
{
    return HeapAlloc(GetProcessHeap(), 0, cb);
}

static FNFCIFREE(CabFree)
{
    HeapFree(GetProcessHeap(), 0, memory);
}

static FNFCIOPEN(CabOpen)
{
    (void)pmode;
    DWORD dwAccess = (oflag & (_O_WRONLY | _O_RDWR)) ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    DWORD dwCreate = (oflag & _O_CREAT) ? ((oflag & _O_TRUNC) ? CREATE_ALWAYS : OPEN_ALWAYS) : OPEN_EXISTING;
    HANDLE h = CreateFileW(WideName(pszFile).c_str(), dwAccess, FILE_SHARE_READ, NULL, dwCreate,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        Failed(pv, err);
        return -1;
    }
    return (INT_PTR)h;
}

static FNFCIREAD(CabRead)
{
    DWORD cbDone = 0;
    if (!ReadFile((HANDLE)hf, memory, cb, &cbDone, NULL)) {
        Failed(pv, err);
        return (UINT)-1;
    }
    return cbDone;
}

static FNFCIWRITE(CabWrite)
{
    DWORD cbDone = 0;
    if (!WriteFile((HANDLE)hf, memory, cb, &cbDone, NULL) || cbDone != cb) {
        Failed(pv, err);
        return (UINT)-1;
    }
    return cbDone;
}

static FNFCICLOSE(CabClose)
{
    if (!CloseHandle((HANDLE)hf)) {
        Failed(pv, err);
        return -1;
    }
    return 0;
}

static FNFCISEEK(CabSeek)
{
    DWORD dwMethod = seektype == SEEK_CUR ? FILE_CURRENT : seektype == SEEK_END ? FILE_END : FILE_BEGIN;
    DWORD dwPos = SetFilePointer((HANDLE)hf, dist, NULL, dwMethod);
    if (dwPos == INVALID_SET_FILE_POINTER) {
        Failed(pv, err);
        return -1;
    }
    return (long)dwPos;
}

static FNFCIDELETE(CabDelete)
{
    if (!DeleteFileW(WideName(pszFile).c_str())) {
        Failed(pv, err);
        return -1;
    }
    return 0;
}

/* FCI's scratch files: new names in the temporary folder that FCI
 * itself makes (and deletes). */
static FNFCIGETTEMPFILE(CabTempFile)
{
    WCHAR wszDir[MAX_PATH], wszName[MAX_PATH];
    (void)pv;
    if (!GetTempPathW(MAX_PATH, wszDir) || !GetTempFileNameW(wszDir, L"cab", 0, wszName))
        return FALSE;
    DeleteFileW(wszName);
    return Utf8Name(wszName, pszTempName, cbTempName);
}

static FNFCIGETNEXTCABINET(CabNext)
{
    (void)pccab, (void)cbPrevCab, (void)pv;
    return FALSE;
}

static FNFCISTATUS(CabStatus)
{
    (void)typeStatus, (void)cb1, (void)cb2, (void)pv;
    return 0;
}

/* The file's date (local, as the cabinet keeps it) and the UTF-8 flag of
 * its name in the cabinet. */
static FNFCIGETOPENINFO(CabOpenInfo)
{
    CABRUN *pRun = (CABRUN *)pv;
    BY_HANDLE_FILE_INFORMATION info;
    FILETIME ftLocal;
    INT_PTR hf = CabOpen(pszName, _O_RDONLY, 0, err, pv);
    if (hf == -1)
        return -1;
    if (!GetFileInformationByHandle((HANDLE)hf, &info) ||
        !FileTimeToLocalFileTime(&info.ftLastWriteTime, &ftLocal) || !FileTimeToDosDateTime(&ftLocal, pdate, ptime)) {
        *pdate = 0x21;  /* 1980-01-01 */
        *ptime = 0;
    }
    *pattribs = _A_ARCH;
    for (unsigned char ch : (*pRun->pFiles)[pRun->iFile].strName)
        if (ch >= 0x80)
            *pattribs |= _A_NAME_IS_UTF;
    return hf;
}

static std::string SystemReason(DWORD dwError, const ERF &erf)
{
    char sz[160];
    if (dwError) {
        WCHAR wsz[256];
        DWORD cwch = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwError, 0, wsz,
                                    sizeof(wsz) / sizeof(wsz[0]), NULL);
        while (cwch > 0 && (wsz[cwch - 1] == L'\r' || wsz[cwch - 1] == L'\n' || wsz[cwch - 1] == L'.'))
            wsz[--cwch] = L'\0';
        if (cwch && Utf8Name(wsz, sz, sizeof(sz)))
            return sz;
    }
    snprintf(sz, sizeof(sz), "FCI error %d", erf.erfOper);
    return sz;
}

/* cabinet.dll is not a KnownDLL: imported, it would be looked for first
 * beside setupdist.exe, which may lie in a Downloads folder. */
typedef decltype(&FCICreate) FCICREATE;
typedef decltype(&FCIAddFile) FCIADDFILE;
typedef decltype(&FCIFlushCabinet) FCIFLUSHCABINET;
typedef decltype(&FCIDestroy) FCIDESTROY;

bool DistOsMakeCabinet(const std::vector<DISTCABFILE> &files, std::vector<unsigned char> *pCab, std::string *pstrWhy)
{
    HMODULE hCabinet = LoadSystemDll(L"cabinet.dll");
    FCICREATE pfnCreate = (FCICREATE)(void (*)(void))GetProcAddress(hCabinet, "FCICreate");
    FCIADDFILE pfnAddFile = (FCIADDFILE)(void (*)(void))GetProcAddress(hCabinet, "FCIAddFile");
    FCIFLUSHCABINET pfnFlush = (FCIFLUSHCABINET)(void (*)(void))GetProcAddress(hCabinet, "FCIFlushCabinet");
    FCIDESTROY pfnDestroy = (FCIDESTROY)(void (*)(void))GetProcAddress(hCabinet, "FCIDestroy");
    if (!hCabinet || !pfnCreate || !pfnAddFile || !pfnFlush || !pfnDestroy) {
        *pstrWhy = "the system's cabinet.dll cannot be loaded";
        return false;
    }
    CABRUN run = { &files, 0, 0 };
    ERF erf;
    CCAB ccab;
    ZeroMemory(&erf, sizeof(erf));
    ZeroMemory(&ccab, sizeof(ccab));
    ccab.cb = 0x7FFFFFFF;
    ccab.cbFolderThresh = 0x7FFFFFFF;
    if (!CabTempFile(ccab.szCab, sizeof(ccab.szCab), &run)) {
        *pstrWhy = "no name for a temporary file";
        return false;
    }
    HFCI hfci = pfnCreate(&erf, CabPlaced, CabAlloc, CabFree, CabOpen, CabRead, CabWrite, CabClose, CabSeek,
                          CabDelete, CabTempFile, &ccab, &run);
    bool bOk = hfci != NULL;
    for (; bOk && run.iFile < files.size(); run.iFile++) {
        std::string source = files[run.iFile].strPath, name = files[run.iFile].strName;
        DistOsProgress("setupdist: cabinet: " + std::to_string(run.iFile + 1) + " of " +
                       std::to_string(files.size()) + " files");
        bOk = pfnAddFile(hfci, &source[0], &name[0], FALSE, CabNext, CabStatus, CabOpenInfo, tcompTYPE_NONE);
    }
    bOk = bOk && pfnFlush(hfci, FALSE, CabNext, CabStatus);
    if (hfci)
        pfnDestroy(hfci);
    if (!bOk)
        *pstrWhy = SystemReason(run.dwError, erf);
    else if (!DistOsReadFile(ccab.szCab, pCab)) {
        *pstrWhy = "cannot read the written cabinet: " + DistOsLastError();
        bOk = false;
    }
    DeleteFileW(WideName(ccab.szCab).c_str());
    return bOk;
}
