/*
 * call_times.cpp - linked into SETUPTRC.EXE only, the copy bench's
 * SETUP.EXE with its system calls timed. When the environment variable
 * SETUP_CALL_TIMES names a file, the program's import slots of the calls
 * its copy and group steps make are pointed, before WinMain, at wrappers
 * that pass each call on unchanged and note when it started and ended;
 * at exit one line per call goes to that file (bench/call-times.pl reads
 * it). Without the variable nothing is patched and the program is
 * SETUP.EXE.
 */
#include <windows.h>
#include <ddeml.h>
#include <direct.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <type_traits>

/* One call: the wrapped function's index in aTimed, its start and end on
 * the performance clock, and what bench/call-times.pl needs to tell calls
 * apart (a handle, a message, a byte count, a size). */
typedef struct tagCALLTIME {
    LONGLONG t0, t1;
    LONGLONG n;
    ULONG_PTR a;
    DWORD b;
    int nFn;
} CALLTIME;

#define MAXCALLS 400000
static CALLTIME aCalls[MAXCALLS];
static LONG cCalls;
static char szOutput[MAX_PATH];

/* A call's record, or NULL when the table is full. */
static CALLTIME *Note(int nFn, const LARGE_INTEGER &t0, ULONG_PTR a, DWORD b, LONGLONG n)
{
    LARGE_INTEGER t1;
    QueryPerformanceCounter(&t1);
    LONG i = InterlockedIncrement(&cCalls) - 1;
    if (i >= MAXCALLS)
        return NULL;
    CALLTIME *p = &aCalls[i];
    p->t0 = t0.QuadPart;
    p->t1 = t1.QuadPart;
    p->nFn = nFn;
    p->a = a;
    p->b = b;
    p->n = n;
    return p;
}

/* The wrapped functions: DLL, name, wrapper, and the real function once
 * patched. The wrappers find their real function by their index. */
typedef struct tagTIMEDFN {
    const char *lpszDll, *lpszName;
    void *pfnWrapper;
    void *pfnReal;
} TIMEDFN;
extern TIMEDFN aTimed[];

/* A call's first argument when it is a handle or a number, else 0. */
template <typename T, typename... R> static ULONG_PTR FirstNumber(T v, R...)
{
    if constexpr (std::is_integral_v<T> || std::is_pointer_v<T>)
        return (ULONG_PTR)v;
    return 0;
}

/* A call timed with nothing noted beyond its first argument. */
template <int nFn, typename R, typename... A> static R WINAPI Timed(A... args)
{
    LARGE_INTEGER t0;
    QueryPerformanceCounter(&t0);
    R r = ((R(WINAPI *)(A...))aTimed[nFn].pfnReal)(args...);
    Note(nFn, t0, FirstNumber(args...), 0, 0);
    return r;
}

/* The C run-time's calls, which are not WINAPI. */
template <int nFn> static int TimedCrt(const char *lpszDir)
{
    LARGE_INTEGER t0;
    QueryPerformanceCounter(&t0);
    int r = ((int (*)(const char *))aTimed[nFn].pfnReal)(lpszDir);
    Note(nFn, t0, 0, 0, 0);
    return r;
}

enum { FN_CREATEFILE, FN_READFILE, FN_WRITEFILE, FN_SENDMESSAGE };

/* A source's size is noted with its opening, after the clock stopped. */
static HANDLE WINAPI TimedCreateFileA(LPCSTR lpszName, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES psa,
                                      DWORD dwDisposition, DWORD dwFlags, HANDLE hTemplate)
{
    LARGE_INTEGER t0, size;
    QueryPerformanceCounter(&t0);
    HANDLE h = ((HANDLE(WINAPI *)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE))
                aTimed[FN_CREATEFILE].pfnReal)(lpszName, dwAccess, dwShare, psa, dwDisposition, dwFlags, hTemplate);
    CALLTIME *p = Note(FN_CREATEFILE, t0, (ULONG_PTR)h, (dwAccess & GENERIC_READ ? 0x100 : 0) | dwDisposition, -1);
    if (p && h != INVALID_HANDLE_VALUE && (dwAccess & GENERIC_READ) && GetFileSizeEx(h, &size))
        p->n = size.QuadPart;
    return h;
}

/* A read notes its count, and whether it begins with a compressed file's
 * mark. */
static BOOL WINAPI TimedReadFile(HANDLE h, LPVOID pv, DWORD cb, LPDWORD pcbRead, LPOVERLAPPED po)
{
    LARGE_INTEGER t0;
    QueryPerformanceCounter(&t0);
    BOOL bOk = ((BOOL(WINAPI *)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED))aTimed[FN_READFILE].pfnReal)(
        h, pv, cb, pcbRead, po);
    DWORD cbRead = bOk && pcbRead ? *pcbRead : 0;
    Note(FN_READFILE, t0, (ULONG_PTR)h, cbRead >= 4 && memcmp(pv, "SZDD", 4) == 0, cbRead);
    return bOk;
}

static BOOL WINAPI TimedWriteFile(HANDLE h, LPCVOID pv, DWORD cb, LPDWORD pcbWritten, LPOVERLAPPED po)
{
    LARGE_INTEGER t0;
    QueryPerformanceCounter(&t0);
    BOOL bOk = ((BOOL(WINAPI *)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED))aTimed[FN_WRITEFILE].pfnReal)(
        h, pv, cb, pcbWritten, po);
    Note(FN_WRITEFILE, t0, (ULONG_PTR)h, 0, cb);
    return bOk;
}

/* A message sent notes the message. */
static LRESULT WINAPI TimedSendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    LARGE_INTEGER t0;
    QueryPerformanceCounter(&t0);
    LRESULT r = ((LRESULT(WINAPI *)(HWND, UINT, WPARAM, LPARAM))aTimed[FN_SENDMESSAGE].pfnReal)(
        hwnd, message, wParam, lParam);
    Note(FN_SENDMESSAGE, t0, (ULONG_PTR)hwnd, message, (LONGLONG)wParam);
    return r;
}

TIMEDFN aTimed[] = {
    { "kernel32.dll", "CreateFileA", (void *)TimedCreateFileA, NULL },
    { "kernel32.dll", "ReadFile", (void *)TimedReadFile, NULL },
    { "kernel32.dll", "WriteFile", (void *)TimedWriteFile, NULL },
    { "user32.dll", "SendMessageA", (void *)TimedSendMessageA, NULL },
    { "kernel32.dll", "CloseHandle", (void *)Timed<4, BOOL, HANDLE>, NULL },
    { "kernel32.dll", "GetFileTime", (void *)Timed<5, BOOL, HANDLE, LPFILETIME, LPFILETIME, LPFILETIME>, NULL },
    { "kernel32.dll", "SetFileTime",
      (void *)Timed<6, BOOL, HANDLE, const FILETIME *, const FILETIME *, const FILETIME *>, NULL },
    { "kernel32.dll", "MoveFileExA", (void *)Timed<7, BOOL, LPCSTR, LPCSTR, DWORD>, NULL },
    { "kernel32.dll", "GetFileAttributesA", (void *)Timed<8, DWORD, LPCSTR>, NULL },
    { "kernel32.dll", "FindFirstFileA", (void *)Timed<9, HANDLE, LPCSTR, LPWIN32_FIND_DATAA>, NULL },
    { "kernel32.dll", "FindNextFileA", (void *)Timed<10, BOOL, HANDLE, LPWIN32_FIND_DATAA>, NULL },
    { "kernel32.dll", "DeleteFileA", (void *)Timed<11, BOOL, LPCSTR>, NULL },
    { "msvcrt.dll", "_mkdir", (void *)TimedCrt<12>, NULL },
    { "msvcrt.dll", "_chdir", (void *)TimedCrt<13>, NULL },
    { "user32.dll", "PeekMessageA", (void *)Timed<14, BOOL, LPMSG, HWND, UINT, UINT, UINT>, NULL },
    { "user32.dll", "DispatchMessageA", (void *)Timed<15, LRESULT, const MSG *>, NULL },
    { "user32.dll", "RedrawWindow", (void *)Timed<16, BOOL, HWND, const RECT *, HRGN, UINT>, NULL },
    { "user32.dll", "SetWindowTextW", (void *)Timed<17, BOOL, HWND, LPCWSTR>, NULL },
    { "user32.dll", "SetDlgItemTextW", (void *)Timed<18, BOOL, HWND, int, LPCWSTR>, NULL },
    { "user32.dll", "SetDlgItemTextA", (void *)Timed<19, BOOL, HWND, int, LPCSTR>, NULL },
    { "user32.dll", "SendDlgItemMessageA", (void *)Timed<20, LRESULT, HWND, int, UINT, WPARAM, LPARAM>, NULL },
    { "user32.dll", "CreateDialogParamW",
      (void *)Timed<21, HWND, HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM>, NULL },
    { "user32.dll", "DestroyWindow", (void *)Timed<22, BOOL, HWND>, NULL },
    { "user32.dll", "ShowWindow", (void *)Timed<23, BOOL, HWND, int>, NULL },
    { "user32.dll", "UpdateWindow", (void *)Timed<24, BOOL, HWND>, NULL },
    { "user32.dll", "MessageBoxW", (void *)Timed<25, int, HWND, LPCWSTR, LPCWSTR, UINT>, NULL },
    { "user32.dll", "DdeInitializeA", (void *)Timed<26, UINT, LPDWORD, PFNCALLBACK, DWORD, DWORD>, NULL },
    { "user32.dll", "DdeCreateStringHandleA", (void *)Timed<27, HSZ, DWORD, LPCSTR, int>, NULL },
    { "user32.dll", "DdeConnect", (void *)Timed<28, HCONV, DWORD, HSZ, HSZ, PCONVCONTEXT>, NULL },
    { "user32.dll", "DdeCreateDataHandle",
      (void *)Timed<29, HDDEDATA, DWORD, LPBYTE, DWORD, DWORD, HSZ, UINT, UINT>, NULL },
    { "user32.dll", "DdeClientTransaction",
      (void *)Timed<30, HDDEDATA, LPBYTE, DWORD, HCONV, HSZ, UINT, UINT, DWORD, LPDWORD>, NULL },
    { "user32.dll", "DdeDisconnect", (void *)Timed<31, BOOL, HCONV>, NULL },
    { "user32.dll", "DdeUninitialize", (void *)Timed<32, BOOL, DWORD>, NULL },
    { "user32.dll", "DialogBoxParamW", (void *)Timed<33, INT_PTR, HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM>, NULL },
    { "user32.dll", "TranslateMessage", (void *)Timed<34, BOOL, const MSG *>, NULL },
    { "user32.dll", "IsWindowEnabled", (void *)Timed<35, BOOL, HWND>, NULL },
    { "user32.dll", "IsWindow", (void *)Timed<36, BOOL, HWND>, NULL },
    { "user32.dll", "GetDlgItem", (void *)Timed<37, HWND, HWND, int>, NULL },
};

/* Points this program's import slot of lpszDll's lpszName, looked up by
 * name, at pfnWrapper; the real function goes into *ppfnReal. */
static void Patch(const char *lpszDll, const char *lpszName, void *pfnWrapper, void **ppfnReal)
{
    BYTE *pBase = (BYTE *)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS *pNt = (IMAGE_NT_HEADERS *)(pBase + ((IMAGE_DOS_HEADER *)pBase)->e_lfanew);
    IMAGE_DATA_DIRECTORY &imports = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR *p = (IMAGE_IMPORT_DESCRIPTOR *)(pBase + imports.VirtualAddress); p->Name; p++) {
        if (lstrcmpiA((const char *)(pBase + p->Name), lpszDll) != 0)
            continue;
        IMAGE_THUNK_DATA *pName = (IMAGE_THUNK_DATA *)(pBase + p->OriginalFirstThunk);
        IMAGE_THUNK_DATA *pSlot = (IMAGE_THUNK_DATA *)(pBase + p->FirstThunk);
        for (; pName->u1.AddressOfData; pName++, pSlot++) {
            if (IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal) ||
                strcmp((const char *)((IMAGE_IMPORT_BY_NAME *)(pBase + pName->u1.AddressOfData))->Name, lpszName) != 0)
                continue;
            *ppfnReal = (void *)pSlot->u1.Function;
            DWORD dwOld;
            VirtualProtect(&pSlot->u1.Function, sizeof(pSlot->u1.Function), PAGE_READWRITE, &dwOld);
            pSlot->u1.Function = (ULONG_PTR)pfnWrapper;
            VirtualProtect(&pSlot->u1.Function, sizeof(pSlot->u1.Function), dwOld, &dwOld);
            return;
        }
    }
}

/* One line per call: its name, start and end in microseconds, then a, b
 * and n; the first line is the clock's frequency. */
static void WriteCallTimes(void)
{
    FILE *f = fopen(szOutput, "w");
    if (!f)
        return;
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    double dUs = 1e6 / (double)freq.QuadPart;
    LONG n = cCalls < MAXCALLS ? cCalls : MAXCALLS;
    fprintf(f, "calls %ld of %ld\n", (long)n, (long)cCalls);
    for (LONG i = 0; i < n; i++) {
        const CALLTIME *p = &aCalls[i];
        fprintf(f, "%s %.1f %.1f %lu %lu %.0f\n", aTimed[p->nFn].lpszName, p->t0 * dUs, p->t1 * dUs,
                (unsigned long)p->a, (unsigned long)p->b, (double)p->n);
    }
    fclose(f);
}

static void __attribute__((constructor)) StartCallTimes(void)
{
    DWORD cch = GetEnvironmentVariableA("SETUP_CALL_TIMES", szOutput, sizeof(szOutput));
    if (cch == 0 || cch >= sizeof(szOutput))
        return;
    for (TIMEDFN &fn : aTimed)
        Patch(fn.lpszDll, fn.lpszName, fn.pfnWrapper, &fn.pfnReal);
    atexit(WriteCallTimes);
}
