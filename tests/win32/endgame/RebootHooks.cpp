/*
 * RebootHooks.cpp - the hooks of a publisher's build that asks for a
 * restart at the end; built into SETUP_REBOOT.EXE for the tests.
 */
#include <windows.h>
#include "Shell.h"

int SetupInitHook(HINSTANCE hInstance)
{
    (void)hInstance;
    return 1;
}

void SetupBeforeGroupHook(HINSTANCE hInstance, HWND hwnd, LPCSTR lpszDestDir)
{
    (void)hInstance;
    (void)hwnd;
    (void)lpszDestDir;
}

void SetupAfterInstallHook(HINSTANCE hInstance, HWND hwnd, LPCSTR lpszDestDir)
{
    (void)hInstance;
    (void)hwnd;
    (void)lpszDestDir;
}

int SetupNeedReboot(void)
{
    return 1;
}
