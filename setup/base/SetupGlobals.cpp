/*
 * SetupGlobals.cpp - the program's globals and the placement of a dialog
 * in the middle of the screen.
 */
#include <windows.h>
#include "SetupGlobals.h"
#include "SetupText.h"

HINSTANCE hInst;
char szSourceDir[128];
char szDestDir[128];
char szTitle[128];
HPALETTE hPalette;
HBITMAP hbmSetup, hbmStatus;
UINT uExitCode = SETUP_EXIT_FAILED;

void ScriptToWide(LPCSTR lpszText, LPWSTR lpszWide, int cchWide)
{
    if (cchWide <= 0)
        return;
    /* Where the system lacks the page, its own is the best guess. */
    if (!MultiByteToWideChar(SCRIPT_CODEPAGE, 0, lpszText, -1, lpszWide, cchWide) &&
        !MultiByteToWideChar(CP_ACP, 0, lpszText, -1, lpszWide, cchWide))
        lpszWide[0] = L'\0';
    lpszWide[cchWide - 1] = L'\0';
}

void SetScriptText(HWND hwnd, LPCSTR lpszText)
{
    WCHAR szText[MAXTEXT];
    ScriptToWide(lpszText, szText, MAXTEXT);
    SetWindowTextW(hwnd, szText);
}

void SetLabelText(HWND hDlg, int nId, UINT uStringId, LPCSTR lpszText)
{
    WCHAR szText[MAXTEXT * 2];
    int cch = LoadStringW(hInst, uStringId, szText, MAXTEXT);
    if (!MultiByteToWideChar(CP_ACP, 0, lpszText, -1, szText + cch, MAXTEXT * 2 - cch))
        szText[cch] = L'\0';
    SetDlgItemTextW(hDlg, nId, szText);
}

void CenterDialog(HWND hwnd)
{
    RECT rc;
    GetWindowRect(hwnd, &rc);
    int x = (GetSystemMetrics(SM_CXSCREEN) - (rc.right - rc.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (rc.bottom - rc.top)) / 2;
    SetWindowPos(hwnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
