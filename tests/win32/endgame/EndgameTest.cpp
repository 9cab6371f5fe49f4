/*
 * EndgameTest.cpp - installations that take away what other tests rely on:
 * one without Program Manager (Wine's server is closed for good) and one
 * that ends by asking the system to restart. This program runs last.
 */
#include <windows.h>
#include <ddeml.h>
#include <gtest/gtest.h>
#include <string>
#include "SetupDriver.h"
#include "SetupGlobals.h"
#include "resource.h"

static const char *kScript = "[App]\r\nAppName=Endgame\r\nDefPMGroup=,KsEndgame\r\n"
                             "[PM Info]\r\nxSxSETUP.EXE,Setup\r\n[End]\r\n";

/* Welcome, Install, then the final box (InstallToHD is not set). A box
 * telling that the group could not be made comes first where Program
 * Manager is gone: it is answered, and counted in *pnGroupErrors. */
static std::string InstallUntilTheFinalBox(SetupRun &run, HWND *phwndBox, int *pnGroupErrors)
{
    run.WriteScript(kScript);
    *phwndBox = NULL;
    *pnGroupErrors = 0;
    if (!run.Start())
        return "(not started)";
    HWND hWelcome = run.WaitWindow("#32770", "Endgame");
    if (!hWelcome)
        return "(no welcome)";
    PressButton(hWelcome, IDOK);
    for (;;) {
        HWND hwndBox = run.WaitMessageBox(30000);
        if (!hwndBox)
            return "(no box)";
        std::string text = BoxText(hwndBox);
        if (text != Gbk(L"创建群组出错!")) {
            *phwndBox = hwndBox;
            return text;
        }
        ++*pnGroupErrors;
        PressButton(hwndBox, IDOK);
        if (!WaitFor([&] { return !IsWindow(hwndBox); }))
            return "(the group error box stays)";
    }
}

static HDDEDATA CALLBACK NoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return NULL;
}

/* Whether a DDE client reaches a "PROGMAN" server now. Asked from a thread
 * of its own: windows the client leaves behind go with the thread, so no
 * window of this program that nobody serves delays a later DDE broadcast
 * of the program under test. */
static DWORD WINAPI ProgmanAnswersThread(LPVOID)
{
    DWORD idInst = 0;
    if (DdeInitializeA(&idInst, NoCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return 0;
    HSZ hsz = DdeCreateStringHandleA(idInst, "PROGMAN", CP_WINANSI);
    HCONV hConv = DdeConnect(idInst, hsz, hsz, NULL);
    if (hConv)
        DdeDisconnect(hConv);
    DdeFreeStringHandle(idInst, hsz);
    DdeUninitialize(idInst);
    return hConv != NULL;
}

static bool ProgmanAnswers()
{
    HANDLE hThread = CreateThread(NULL, 0, ProgmanAnswersThread, NULL, 0, NULL);
    DWORD dwAnswer = 0;
    if (!hThread)
        return false;
    WaitForSingleObject(hThread, 10000);
    GetExitCodeThread(hThread, &dwAnswer);
    CloseHandle(hThread);
    return dwAnswer == 1;
}

static BOOL CALLBACK CloseDdeServerProc(HWND hwnd, LPARAM lParam)
{
    char szClass[64];
    if (GetClassNameA(hwnd, szClass, sizeof(szClass)) && strncmp(szClass, "WineDdeServerName", 17) == 0) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        ++*(int *)lParam;
    }
    return TRUE;
}

TEST(Endgame, WithoutProgramManagerTheGroupErrorIsToldAndTheInstallationEnds)
{
    ASSERT_TRUE(ProgmanAnswers()) << "Wine's desktop serves PROGMAN to begin with";
    int nClosed = 0;
    EnumWindows(CloseDdeServerProc, (LPARAM)&nClosed);
    ASSERT_GT(nClosed, 0);
    ASSERT_TRUE(WaitFor([] { return !ProgmanAnswers(); }));

    SetupRun run;
    HWND hwndBox;
    int nGroupErrors = 0;
    EXPECT_EQ(InstallUntilTheFinalBox(run, &hwndBox, &nGroupErrors), Gbk(L"软件安装成功!"));
    EXPECT_EQ(nGroupErrors, 1) << "the failed group is told once, before the end";
    if (hwndBox)
        PressButton(hwndBox, IDOK);
    EXPECT_EQ(run.WaitExit(), (DWORD)SETUP_EXIT_OK) << "the files are in place: installed";
    EXPECT_FALSE(FileExists(ProgramsFolder() + "KsEndgame"));
}

/* A window of the test program that is asked, like every window, whether
 * the session may end, and says no. */
static volatile LONG g_nQueryEndSession;

static LRESULT CALLBACK WatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_QUERYENDSESSION) {
        InterlockedIncrement(&g_nQueryEndSession);
        return FALSE;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

static DWORD WINAPI WatchThread(LPVOID)
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = WatchProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "KsSessionWatch";
    RegisterClassA(&wc);
    CreateWindowA("KsSessionWatch", "KsSessionWatch", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, NULL, NULL,
                  wc.hInstance, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

TEST(Endgame, ARestartIsRequestedAfterItsMessage)
{
    HANDLE hThread = CreateThread(NULL, 0, WatchThread, NULL, 0, NULL);
    ASSERT_NE(hThread, (HANDLE)NULL);
    ASSERT_TRUE(WaitFor([] { return FindWindowA("KsSessionWatch", NULL) != NULL; }));

    SetupRun run;
    ASSERT_TRUE(CopyFileA((TestProgramFolder() + "SETUP_REBOOT.EXE").c_str(),
                          (run.Dir() + "SETUP.EXE").c_str(), FALSE));
    HWND hwndBox;
    int nGroupErrors = 0;
    EXPECT_EQ(InstallUntilTheFinalBox(run, &hwndBox, &nGroupErrors), Gbk(L"软件安装成功!准备重新启动电脑!"));
    ASSERT_NE(hwndBox, (HWND)NULL);
    EXPECT_EQ(WindowText(hwndBox), "Endgame");
    PressButton(hwndBox, IDOK);

    /* The system asks every window whether the session may end: ours
     * refuses, so the restart is recorded and refused. */
    EXPECT_TRUE(WaitFor([] { return g_nQueryEndSession > 0; }, 20000)) << "no restart was requested";
    printf("restart request: %ld query(ies) to the test's window\n", g_nQueryEndSession);
    HWND hwndBackdrop = run.WaitWindow("RQ_KORVALSETUPV1", "Endgame", 2000);
    printf("restart refused: %s\n", hwndBackdrop ? "the backdrop stayed" : "the program had ended");
    if (hwndBackdrop) {
        /* Refused: the backdrop stays, with no further message. */
        EXPECT_EQ(run.WaitMessageBox(500), (HWND)NULL);
        PostMessageA(hwndBackdrop, WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(run.WaitExit(), (DWORD)SETUP_EXIT_REBOOT) << "ended without a crash, saying a restart is due";
    PostMessageA(FindWindowA("KsSessionWatch", NULL), WM_CLOSE, 0, 0);
    PostThreadMessageA(GetThreadId(hThread), WM_QUIT, 0, 0);
    WaitForSingleObject(hThread, 5000);
    CloseHandle(hThread);
}
