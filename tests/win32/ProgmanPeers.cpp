/*
 * ProgmanPeers.cpp - what the Program Manager tests talk to or watch: a
 * Program Manager of the test's own that records every command, Wine's
 * own one made unreachable and back, and the client's calls of
 * DdeDisconnect and DdeFreeDataHandle counted.
 *
 * Wine's Program Manager lives in its desktop process (explorer.exe
 * /desktop): the session script starts it, and Wine starts it again when a
 * program asks for the desktop window and it has ended (it ends a while
 * after its last program). Its DDE name windows are top-level windows of
 * class WineDdeServerName. Tests that must not reach it make those windows
 * message-only, which no connect reaches, and top-level again afterwards.
 */
#include "ProgmanPeers.h"
#include "SetupDriver.h"

/* ---- a Program Manager of the test's own, on a thread of its own ---- */

RECORDINGSERVER srv;

static HDDEDATA CALLBACK ServerCallback(UINT uType, UINT, HCONV, HSZ hsz1, HSZ, HDDEDATA hData,
                                        ULONG_PTR, ULONG_PTR)
{
    switch (uType) {
    case XTYP_CONNECT:      /* hsz1 is the topic */
        return (HDDEDATA)(ULONG_PTR)(DdeCmpStringHandles(hsz1, srv.hszName) == 0);
    case XTYP_CONNECT_CONFIRM:
        InterlockedIncrement(&srv.cConnects);
        return (HDDEDATA)0;
    case XTYP_DISCONNECT:
        InterlockedIncrement(&srv.cDisconnects);
        return (HDDEDATA)0;
    case XTYP_EXECUTE: {
        DWORD cb = DdeGetData(hData, NULL, 0, 0);
        std::string bytes(cb, '\0');
        if (cb)
            DdeGetData(hData, (LPBYTE)&bytes[0], cb, 0);
        EnterCriticalSection(&srv.cs);
        srv.commands.push_back(bytes);
        LeaveCriticalSection(&srv.cs);
        if (srv.nAnswer == ANSWER_SLOW)
            Sleep(SLOW_MS);
        return (HDDEDATA)(ULONG_PTR)(srv.nAnswer == ANSWER_REFUSE ? DDE_FNOTPROCESSED : DDE_FACK);
    }
    }
    return (HDDEDATA)0;
}

static DWORD WINAPI ServerThread(LPVOID)
{
    MSG msg;
    PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);    /* the queue exists before Ready */
    if (DdeInitializeA(&srv.idInst, ServerCallback,
                       APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_FAIL_REQUESTS |
                       CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS, 0) == DMLERR_NO_ERROR) {
        srv.hszName = DdeCreateStringHandleA(srv.idInst, "PROGMAN", CP_WINANSI);
        srv.bRegistered = DdeNameService(srv.idInst, srv.hszName, NULL, DNS_REGISTER) != NULL;
    }
    SetEvent(srv.hReady);
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    if (srv.idInst) {
        DdeNameService(srv.idInst, NULL, NULL, DNS_UNREGISTER);
        DdeFreeStringHandle(srv.idInst, srv.hszName);
        DdeUninitialize(srv.idInst);
    }
    return 0;
}

static void StopServer()
{
    if (!srv.hThread)
        return;
    PostThreadMessageA(srv.idThread, WM_QUIT, 0, 0);
    WaitForSingleObject(srv.hThread, 10000);
    CloseHandle(srv.hThread);
    CloseHandle(srv.hReady);
    DeleteCriticalSection(&srv.cs);
    srv.hThread = NULL;
}

static bool StartServer()
{
    InitializeCriticalSection(&srv.cs);
    srv.commands.clear();
    srv.cConnects = srv.cDisconnects = 0;
    srv.nAnswer = ANSWER_ACK;
    srv.idInst = 0;
    srv.bRegistered = false;
    srv.hReady = CreateEventA(NULL, TRUE, FALSE, NULL);
    srv.hThread = CreateThread(NULL, 0, ServerThread, NULL, 0, &srv.idThread);
    WaitForSingleObject(srv.hReady, 10000);
    return srv.bRegistered;
}

std::vector<std::string> Commands()
{
    EnterCriticalSection(&srv.cs);
    std::vector<std::string> v = srv.commands;
    LeaveCriticalSection(&srv.cs);
    return v;
}

std::string Sent(const std::string &text)
{
    return std::string(text.c_str(), text.size() + 1);
}

bool AllClosed()
{
    return WaitFor([] { return srv.cDisconnects == srv.cConnects; }, 5000);
}

/* ---- Wine's own Program Manager ---- */

/* Its name windows: top-level ones (hwndParent NULL) or message-only ones
 * (HWND_MESSAGE) of the desktop process. */
static std::vector<HWND> WineProgmanWindows(HWND hwndParent)
{
    DWORD pidDesktop = 0, pid = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &pidDesktop);
    std::vector<HWND> v;
    HWND hwnd = NULL;
    while ((hwnd = FindWindowExA(hwndParent, hwnd, "WineDdeServerName", NULL)) != NULL)
        if (GetWindowThreadProcessId(hwnd, &pid) && pid == pidDesktop)
            v.push_back(hwnd);
    return v;
}

/* Asking for the desktop window starts Wine's desktop when it is not
 * running; its Program Manager is there once its name windows are. */
bool WineProgmanRunning()
{
    return WaitFor([] { return !WineProgmanWindows(NULL).empty() ||
                               !WineProgmanWindows(HWND_MESSAGE).empty(); }, 15000);
}

void SetWineProgmanReachable(bool bReachable)
{
    for (HWND hwnd : WineProgmanWindows(bReachable ? HWND_MESSAGE : NULL))
        SetParent(hwnd, bReachable ? NULL : HWND_MESSAGE);
}

bool OwnServerOnly()
{
    if (!WineProgmanRunning())
        return false;
    SetWineProgmanReachable(false);
    return StartServer();
}

void WineServerBack()
{
    StopServer();
    SetWineProgmanReachable(true);
}

/* ---- the client's calls of DdeDisconnect and DdeFreeDataHandle, counted ---- */

volatile LONG cNullDisconnects, cDataFreed;
volatile DWORD dwDisconnectTick;
static BOOL (WINAPI *pfnDdeDisconnect)(HCONV);
static BOOL (WINAPI *pfnDdeFreeDataHandle)(HDDEDATA);

static BOOL WINAPI CountingDisconnect(HCONV hConv)
{
    dwDisconnectTick = GetTickCount();
    if (!hConv)
        InterlockedIncrement(&cNullDisconnects);
    return pfnDdeDisconnect(hConv);
}

static BOOL WINAPI CountingFreeData(HDDEDATA hData)
{
    InterlockedIncrement(&cDataFreed);
    return pfnDdeFreeDataHandle(hData);
}

/* Points this program's import slot of user32's lpszName at pfnCounting
 * and keeps the real function in *ppfnReal. */
static bool Count(const char *lpszName, void *pfnCounting, void **ppfnReal)
{
    DWORD_PTR dwReal = (DWORD_PTR)GetProcAddress(GetModuleHandleA("user32.dll"), lpszName);
    BYTE *pBase = (BYTE *)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS *pNt = (IMAGE_NT_HEADERS *)(pBase + ((IMAGE_DOS_HEADER *)pBase)->e_lfanew);
    IMAGE_DATA_DIRECTORY &imports = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR *p = (IMAGE_IMPORT_DESCRIPTOR *)(pBase + imports.VirtualAddress);
         p->Name; p++)
        for (IMAGE_THUNK_DATA *t = (IMAGE_THUNK_DATA *)(pBase + p->FirstThunk); t->u1.Function; t++) {
            if (t->u1.Function == (DWORD_PTR)pfnCounting)
                return true;
            if (t->u1.Function != dwReal)
                continue;
            *ppfnReal = (void *)t->u1.Function;
            DWORD dwOld;
            VirtualProtect(&t->u1.Function, sizeof(t->u1.Function), PAGE_READWRITE, &dwOld);
            t->u1.Function = (DWORD_PTR)pfnCounting;
            VirtualProtect(&t->u1.Function, sizeof(t->u1.Function), dwOld, &dwOld);
            return true;
        }
    return false;
}

bool CountDdeCalls()
{
    return Count("DdeDisconnect", (void *)CountingDisconnect, (void **)&pfnDdeDisconnect) &&
           Count("DdeFreeDataHandle", (void *)CountingFreeData, (void **)&pfnDdeFreeDataHandle);
}

/* ---- the client against the test's server ---- */
