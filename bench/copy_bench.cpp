/*
 * copy_bench.cpp - times SETUP.EXE's copy step under Wine.
 *
 *   copy_bench.exe DISTDIR DESTDIR
 *   copy_bench.exe --first-window EXE
 *   copy_bench.exe --welcome DISTDIR
 *   copy_bench.exe --three-windows EXE
 *
 * DISTDIR holds SETUP.EXE, its SETUP.INF and payload (laid out by
 * bench/copy-bench.sh); the program starts SETUP.EXE there, presses
 * Install, types DESTDIR, presses OK and measures from that OK until the
 * progress dialog is gone, and until the success box is on screen (the
 * group step included), then answers it. Meanwhile Wine's own Program
 * Manager is out of reach and a server of this program's own, which
 * acknowledges every command at once, answers the group step: its time is
 * then SETUP.EXE's, not that of Wine's desktop making shortcuts and
 * folder windows. Prints both times, the commands the server received
 * and the clock's readings at the three moments (for bench/call-times.pl).
 * With --welcome, the time from the start of SETUP.EXE in DISTDIR to its
 * welcome dialog on screen; SETUP.EXE is then ended. With --first-window,
 * EXE is the bench's one-window program: the time from its start to its
 * window on screen, timed the same way; with --three-windows, to the last
 * of its three windows.
 */
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include "SetupDriver.h"
#include "ProgmanPeers.h"
#include "resource.h"

static double Seconds(const LARGE_INTEGER &t0, const LARGE_INTEGER &t1)
{
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return (double)(t1.QuadPart - t0.QuadPart) / freq.QuadPart;
}

/* Starts EXE in folder lpszDir (NULL: this one) and prints, after
 * lpszWhat, the time until a window of the class and caption is visible;
 * then ends the program, asking first when bAsk. This program's own
 * window system is set up before the clock starts, so that both programs
 * timed this way are timed alike. */
static int TimeFirstWindow(LPCSTR lpszExe, LPSTR lpszArgs, LPCSTR lpszDir, LPCSTR lpszClass, LPCSTR lpszCaption,
                           LPCSTR lpszWhat, bool bAsk)
{
    FindWindowA(lpszClass, lpszCaption);
    /* Under Wine the first IsWindowVisible() that finds a visible window
     * loads this program's display driver (35-55 ms): done here, or that
     * would be timed as part of the other program's start. */
    IsWindowVisible(GetDesktopWindow());
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    if (!CreateProcessA(lpszExe, lpszArgs, NULL, NULL, FALSE, 0, NULL, lpszDir, &si, &pi))
        return 1;
    /* Polled every millisecond: the test driver's 20 ms would be a tenth
     * of the time measured. */
    HWND hwnd = NULL;
    bool bFound = WaitFor([&] {
        hwnd = FindWindowA(lpszClass, lpszCaption);
        return hwnd && IsWindowVisible(hwnd);
    }, 30000, 1);
    QueryPerformanceCounter(&t1);
    if (bFound)
        printf("%s: %.3f s\n", lpszWhat, Seconds(t0, t1));
    if (bAsk && bFound)
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    else
        TerminateProcess(pi.hProcess, 0);
    bool bEnded = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return bFound && bEnded ? 0 : 2;
}

/* Runs SETUP.EXE of dist (which holds it) into lpszDest and prints the
 * times from the destination dialog's OK; 0 when it succeeded. */
static int TimeInstallation(const std::string &dist, LPCSTR lpszDest)
{
    SetupRun run(dist, false);
    if (!run.Start())
        return 1;
    HWND hWelcome = run.WaitWindow("#32770", "CopyBench", 30000);
    if (!hWelcome)
        return 2;
    PressButton(hWelcome, IDOK);
    HWND hDest = run.WaitDestDialog(30000);
    if (!hDest)
        return 3;
    TypeText(hDest, IDC_PATH, lpszDest);
    LARGE_INTEGER t0, t1, t2, freq;
    QueryPerformanceCounter(&t0);
    PressButton(hDest, IDOK);
    if (!run.WaitDialogWith(IDC_METER, 30000))
        return 4;
    WaitFor([&] { return run.WaitDialogWith(IDC_METER, 0) == NULL; }, 600000);
    QueryPerformanceCounter(&t1);
    HWND hwndBox = run.WaitMessageBox(60000);
    QueryPerformanceCounter(&t2);
    std::string text = hwndBox ? BoxText(hwndBox) : "(no box)";
    if (hwndBox)
        PressButton(hwndBox, IDOK);
    if (text != Gbk(L"软件安装成功!") || run.WaitExit(30000) != 0) {
        fprintf(stderr, "copy_bench: the installation did not succeed: %s\n", text.c_str());
        return 5;
    }
    QueryPerformanceFrequency(&freq);
    printf("copy step: %.3f s\n", Seconds(t0, t1));
    printf("to the success box: %.3f s\n", Seconds(t0, t2));
    printf("group commands: %u\n", (unsigned)Commands().size());
    printf("clock: %lld %lld %lld per %lld\n", (long long)t0.QuadPart, (long long)t1.QuadPart,
           (long long)t2.QuadPart, (long long)freq.QuadPart);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "--first-window") == 0)
        return TimeFirstWindow(argv[2], NULL, NULL, "FirstWindow", "FirstWindow", "first window", true);
    if (argc == 3 && strcmp(argv[1], "--three-windows") == 0) {
        char szArgs[] = "first_window three";
        return TimeFirstWindow(argv[2], szArgs, NULL, "FirstWindow", "FirstWindow", "third window", true);
    }
    if (argc == 3 && strcmp(argv[1], "--welcome") == 0) {
        std::string dir = argv[2];
        /* The welcome dialog has the application's name as its caption. */
        return TimeFirstWindow((dir + "\\SETUP.EXE").c_str(), NULL, dir.c_str(), "#32770", "CopyBench", "welcome", false);
    }
    if (argc != 3) {
        fprintf(stderr, "usage: copy_bench DISTDIR DESTDIR\n");
        return 64;
    }
    std::string dist = argv[1];
    if (dist.back() != '\\')
        dist += '\\';
    if (!OwnServerOnly()) {
        fprintf(stderr, "copy_bench: no Program Manager server of its own\n");
        WineServerBack();
        return 6;
    }
    int nResult = TimeInstallation(dist, argv[2]);
    WineServerBack();
    return nResult;
}
