/*
 * SetupGlobals.cpp - the program's globals and the placement of a dialog
 * in the middle of the screen.
 */
#include <windows.h>
#include "SetupGlobals.h"

HINSTANCE hInst;
char szSourceDir[128];
char szDestDir[128];
char szTitle[128];
HPALETTE hPalette;
HBITMAP hbmSetup, hbmStatus;

void CenterDialog(HWND hwnd)
{
    RECT rc;
    GetWindowRect(hwnd, &rc);
    int x = (GetSystemMetrics(SM_CXSCREEN) - (rc.right - rc.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (rc.bottom - rc.top)) / 2;
    SetWindowPos(hwnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
