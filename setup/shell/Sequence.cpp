/*
 * Sequence.cpp - the installation steps, driven by WM_COMMAND messages
 * the backdrop posts to itself: each step runs to its end, then posts the
 * next step or the close. The whole wParam is the step number.
 */
#include <windows.h>
#include "Progman.h"
#include "Setupdlg.h"
#include "Setupinf.h"
#include "resource.h"
#include "Shell.h"

static void GoTo(HWND hwnd, WPARAM nStep)
{
    PostMessageA(hwnd, WM_COMMAND, nStep, 0);
}

static void Close(HWND hwnd)
{
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

static void GoOnOrClose(HWND hwnd, int nResult, WPARAM nNext)
{
    if (nResult)
        GoTo(hwnd, nNext);
    else
        Close(hwnd);
}

/* NT-family systems restart only for a process holding the shutdown
 * privilege; enabling it fails harmlessly where there is none to enable. */
static void EnableShutdownPrivilege(void)
{
    HANDLE hToken;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &hToken))
        return;
    TOKEN_PRIVILEGES tp;
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &tp.Privileges[0].Luid))
        AdjustTokenPrivileges(hToken, FALSE, &tp, 0, NULL, NULL);
    CloseHandle(hToken);
}

static void OnWelcome(HWND hwnd)
{
    /* Every paint before this step ran posted it: only the first counts. */
    if (!bStartPending)
        return;
    bStartPending = 0;
    uExitCode = SETUP_EXIT_LEFT;
    GoOnOrClose(hwnd, RunWelcomeDialog(hwnd), STEP_CHOOSEDIR);
}

static void OnChooseDir(HWND hwnd)
{
    if (!theSetupInf.GetInstallToHD()) {
        GoTo(hwnd, STEP_GROUP);
        return;
    }
    GoOnOrClose(hwnd, RunDestDirDialog(hwnd), STEP_COPY);
}

/* From here a stop is a failure, unless the user cancelled the copy
 * (RunCopyStep then says so). */
static void OnCopy(HWND hwnd)
{
    uExitCode = SETUP_EXIT_FAILED;
    GoOnOrClose(hwnd, RunCopyStep(hwnd), STEP_GROUP);
}

static void OnGroup(HWND hwnd)
{
    /* Started only now: it is needed from here on, and the welcome
     * dialog comes up sooner without it. */
    ProgmanStart();
    uExitCode = SETUP_EXIT_FAILED;
    SetupBeforeGroupHook(hInst, hwnd, szDestDir);
    GoOnOrClose(hwnd, BuildProgramGroup(hwnd), STEP_FINISH);
}

static void OnFinish(HWND hwnd)
{
    SetupAfterInstallHook(hInst, hwnd, szDestDir);
    if (SetupNeedReboot()) {
        uExitCode = SETUP_EXIT_REBOOT;
        SetupMessageBox(hInst, hwnd, STR_SUCCESSREBOOT, szTitle, MB_ICONINFORMATION);
        /* The end of the session closes the program; if the system
         * refuses, the backdrop stays. */
        EnableShutdownPrivilege();
        ExitWindowsEx(EWX_REBOOT, 0);
        return;
    }
    uExitCode = SETUP_EXIT_OK;
    SetupMessageBox(hInst, hwnd, STR_SUCCESS, szTitle, MB_ICONINFORMATION);
    Close(hwnd);
}

void RunInstallStep(HWND hwnd, WPARAM wParam)
{
    switch (wParam) {
    case STEP_WELCOME:
        OnWelcome(hwnd);
        break;
    case STEP_CHOOSEDIR:
        OnChooseDir(hwnd);
        break;
    case STEP_COPY:
        OnCopy(hwnd);
        break;
    case STEP_GROUP:
        OnGroup(hwnd);
        break;
    case STEP_FINISH:
        OnFinish(hwnd);
        break;
    default:    /* not a step: ignored */
        break;
    }
}
