/*
 * copy_bench.cpp - times SETUP.EXE's copy step under Wine.
 *
 *   copy_bench.exe DISTDIR DESTDIR
 *   copy_bench.exe --first-window EXE
 *
 * DISTDIR holds SETUP.EXE's SETUP.INF and payload (made by
 * bench/copy-bench.sh); the program starts SETUP.EXE there, presses
 * Install, types DESTDIR, presses OK and measures from that OK until the
 * progress dialog is gone, then answers the final message. It also
 * prints the time from the start of SETUP.EXE to its welcome dialog.
 * With --first-window, EXE is the bench's one-window program: the time
 * from its start to its window on screen, polled the same way.
 */
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include "SetupDriver.h"
#include "resource.h"

static double Seconds(const LARGE_INTEGER &t0, const LARGE_INTEGER &t1)
{
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return (double)(t1.QuadPart - t0.QuadPart) / freq.QuadPart;
}

static int FirstWindow(const char *lpszExe)
{
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    if (!CreateProcessA(lpszExe, NULL, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return 1;
    /* Polled as the driver polls for the welcome dialog. */
    HWND hwnd = NULL;
    bool bFound = WaitFor([&] {
        hwnd = FindWindowA("FirstWindow", "FirstWindow");
        return hwnd && IsWindowVisible(hwnd);
    }, 30000);
    QueryPerformanceCounter(&t1);
    if (bFound)
        printf("first window: %.3f s\n", Seconds(t0, t1));
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    bool bEnded = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return bFound && bEnded ? 0 : 2;
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "--first-window") == 0)
        return FirstWindow(argv[2]);
    if (argc != 3) {
        fprintf(stderr, "usage: copy_bench DISTDIR DESTDIR\n");
        return 64;
    }
    std::string dist = argv[1];
    if (dist.back() != '\\')
        dist += '\\';
    SetupRun run(dist);
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    if (!run.Start())
        return 1;
    /* The driver's waits find visible windows only: the welcome dialog is
     * on screen when it is found. */
    HWND hWelcome = run.WaitWindow("#32770", "CopyBench", 30000);
    if (!hWelcome)
        return 2;
    QueryPerformanceCounter(&t1);
    printf("welcome: %.3f s\n", Seconds(t0, t1));
    PressButton(hWelcome, IDOK);
    HWND hDest = run.WaitDestDialog(30000);
    if (!hDest)
        return 3;
    TypeText(hDest, IDC_PATH, argv[2]);
    QueryPerformanceCounter(&t0);
    PressButton(hDest, IDOK);
    if (!run.WaitDialogWith(IDC_METER, 30000))
        return 4;
    WaitFor([&] { return run.WaitDialogWith(IDC_METER, 0) == NULL; }, 600000);
    QueryPerformanceCounter(&t1);
    std::string text = run.FinalMessage(60000);
    if (text != Gbk(L"软件安装成功!")) {
        fprintf(stderr, "copy_bench: the installation did not succeed\n");
        return 5;
    }
    printf("copy step: %.3f s\n", Seconds(t0, t1));
    return 0;
}
