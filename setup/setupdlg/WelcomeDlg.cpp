/*
 * WelcomeDlg.cpp - the first screen: the SETUP picture above Install and
 * Exit, laid out in pixels as a 400 x 400 window at the screen's centre.
 */
#include <windows.h>
#include "resource.h"
#include "Setupdlg.h"
#include "SetupGlobals.h"

int RunWelcomeDialog(HWND hwndOwner)
{
    INT_PTR nResult = DialogBoxParamW(hInst, MAKEINTRESOURCEW(IDD_WELCOME), hwndOwner, WelcomeDlgProc, 0);
    /* A dialog that could not be made (-1) is no consent to install. */
    return nResult == IDCANCEL || nResult == -1 ? 0 : 1;
}

void LayoutWelcomeDlg(HWND hDlg)
{
    PlaceDialog400(hDlg, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDC_PICTURE), 0, 0, 400, 300, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDOK), 70, 330, 60, 30, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDCANCEL), 270, 330, 60, 30, FALSE);
    SetScriptText(hDlg, szTitle);
}

static void OnWelcomeCommand(HWND hDlg, WPARAM wParam)
{
    if (LOWORD(wParam) == IDCANCEL &&
        SetupMessageBox(hInst, hDlg, STR_CONFIRMEXIT, szTitle, MB_YESNO) != IDYES)
        return;
    EndDialog(hDlg, wParam);
}

INT_PTR CALLBACK WelcomeDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        LayoutWelcomeDlg(hDlg);
        UpdateWindow(hDlg);
        return TRUE;
    case WM_PAINT:
        return PaintDialogPicture(hDlg, IDC_PICTURE, hbmSetup);
    case WM_COMMAND:
        OnWelcomeCommand(hDlg, wParam);
        return TRUE;
    }
    return FALSE;
}
