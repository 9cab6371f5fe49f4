/*
 * DemoWalk.cpp - walks through an installation of the demo distribution as
 * a user would, for scripts/run.sh on a machine without a display:
 *
 *   demo_walk.exe DISTDIR SHOTDIR
 *
 * Install, the default folder, OK, the copy, the group, the final message;
 * a screenshot of every step goes into SHOTDIR. Prints where the program
 * was installed and the group's items (UTF-8), or why the walk stopped.
 */
#include <windows.h>
#include <stdio.h>
#include "SetupDriver.h"
#include "resource.h"

static std::string g_shots;

/* Prints a text of code page 936 as UTF-8 for the Linux terminal. */
static void PrintGbk(const std::string &text)
{
    WCHAR wsz[1024];
    char sz[4096];
    int cwch = MultiByteToWideChar(936, 0, text.c_str(), -1, wsz, 1024);
    if (cwch && WideCharToMultiByte(CP_UTF8, 0, wsz, -1, sz, sizeof(sz), NULL, NULL))
        fputs(sz, stdout);
}

static void Shot(const char *lpszName)
{
    Sleep(400);    /* let the windows finish painting */
    if (SaveScreenshotIn(g_shots, lpszName))
        printf("screenshot: %s.bmp\n", lpszName);
}

/* A window's text as the system keeps it: read without a message, so it
 * can be read while the program is busy or paused. */
static std::string TextNow(HWND hwnd)
{
    char sz[256];
    int cch = GetWindowTextA(hwnd, sz, sizeof(sz));
    return std::string(sz, cch > 0 ? cch : 0);
}

/* The demo's files are small and the copy is over in a moment. When the
 * item label moves on to the next file, the program has just drawn the
 * state after the one before: it is paused there for the picture. */
static void ShotDuringCopy(SetupRun &run)
{
    HWND hDlg = run.WaitDialogWith(IDC_METER, 30000);
    std::string copyTo = Gbk(L"拷贝到:");
    HWND hwndAction = GetDlgItem(hDlg, IDC_ACTION), hwndItem = GetDlgItem(hDlg, IDC_ITEM);
    bool bCopying = hDlg && WaitFor([&] {
        return !IsWindow(hDlg) || TextNow(hwndAction).compare(0, copyTo.size(), copyTo) == 0;
    }, 10000) && IsWindow(hDlg);
    if (bCopying) {
        std::string first = TextNow(hwndItem);
        DWORD dwEnd = GetTickCount() + 10000;
        while (IsWindow(hDlg) && TextNow(hwndItem) == first && (LONG)(GetTickCount() - dwEnd) < 0)
            Sleep(0);
        bCopying = IsWindow(hDlg) && SuspendThread(run.MainThread()) != (DWORD)-1;
    }
    Shot("3-copy");
    if (bCopying)
        ResumeThread(run.MainThread());
}

/* Wine's Program Manager shows a new group in a window of its own, over
 * the final message: the user would look at the group, then close it. */
static void ShotOfGroup(const std::string &group)
{
    WaitFor([&] { return FindWindowExA(NULL, NULL, "ExplorerWClass", group.c_str()) != NULL; }, 5000);
    Shot("4-group");
    CloseGroupWindows(group);
}

static int Fail(const char *lpszWhy)
{
    printf("demo walk stopped: %s\n", lpszWhy);
    Shot("failed");
    return 1;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: demo_walk DISTDIR SHOTDIR\n");
        return 64;
    }
    std::string dist = argv[1];
    if (dist.back() != '\\')
        dist += '\\';
    g_shots = argv[2];
    if (g_shots.back() != '\\')
        g_shots += '\\';

    SetupRun run(dist);
    if (!run.Start())
        return Fail("SETUP.EXE did not start");
    std::string appName = Gbk(L"演示程序");
    HWND hWelcome = run.WaitWindow("#32770", appName.c_str(), 30000);
    if (!hWelcome)
        return Fail("no welcome dialog");
    Shot("1-welcome");
    PressButton(hWelcome, IDOK);

    HWND hDest = run.WaitDestDialog(30000);
    if (!hDest)
        return Fail("no destination dialog");
    std::string destDir = WindowText(GetDlgItem(hDest, IDC_PATH));
    Shot("2-destination");
    PressButton(hDest, IDOK);

    ShotDuringCopy(run);

    HWND hwndBox = run.WaitMessageBox(60000);
    if (!hwndBox)
        return Fail("no final message");
    std::string text = BoxText(hwndBox);
    std::string group = Gbk(L"演示");
    ShotOfGroup(group);
    Shot("5-finish");
    PressButton(hwndBox, IDOK);
    DWORD dwExit = run.WaitExit(30000);
    if (text != Gbk(L"软件安装成功!") || dwExit != 0)
        return Fail("the installation did not end with its success message");

    printf("installed to: ");
    PrintGbk(destDir);
    printf("\n");
    printf("Program Manager group: ");
    PrintGbk(group + " (" + ProgramsFolder() + group + ")");
    printf("\n");
    for (const GROUPITEM &item : GroupItems(group)) {
        printf("  item: ");
        PrintGbk(item.name + " -> " + item.target);
        printf("\n");
    }
    return 0;
}
