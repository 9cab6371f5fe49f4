/*
 * Hooks.cpp - customisation points for a publisher's own build of the
 * program. The delivered bodies permit, do nothing, and ask no restart.
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
    return 0;
}
