/*
 * ProgressDlg.cpp - the copy step: the modeless progress dialog with the
 * STATUS picture and the meter, around the work loops (WorkLoop.cpp,
 * CopyFiles.cpp). The Cancel button is the cancel flag: a confirmed
 * cancel disables it, and the work loops look at it before each item.
 */
#include <windows.h>
#include "meter.h"
#include "resource.h"
#include "Setupdlg.h"
#include "SetupGlobals.h"

/* Ends the step that stops: a Cancel the user confirmed has disabled the
 * button, and the program then ends with its own code. */
static int StopCopyStep(HWND hDlg)
{
    if (IsWindow(hDlg)) {
        if (!IsWindowEnabled(GetDlgItem(hDlg, IDCANCEL)))
            uExitCode = SETUP_EXIT_CANCELLED;
        DestroyWindow(hDlg);
    }
    return 0;
}

int RunCopyStep(HWND hwndOwner)
{
    /* A file in use found half-way would leave two versions mixed. */
    if (!CheckFilesInUse(hwndOwner)) {
        uExitCode = SETUP_EXIT_LEFT;
        return 0;
    }
    HWND hDlg = CreateDialogParamW(hInst, MAKEINTRESOURCEW(IDD_PROGRESS), hwndOwner, ProgressDlgProc, 0);
    if (!hDlg)
        return 0;
    ShowWindow(hDlg, SW_SHOW);
    UpdateWindow(hDlg);
    if (!CreateDestDirs(hDlg) || !CopyFiles(hDlg))
        return StopCopyStep(hDlg);
    DestroyWindow(hDlg);
    return 1;
}

void LayoutProgressDlg(HWND hDlg)
{
    PlaceDialog400(hDlg, TRUE);
    MoveWindow(GetDlgItem(hDlg, IDC_STATUSPIC), 0, 0, 400, 200, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDC_ACTION), 20, 210, 300, 20, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDC_ITEM), 20, 240, 300, 20, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDC_METER), 50, 270, 300, 30, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDCANCEL), 150, 320, 100, 20, FALSE);
    SetScriptText(hDlg, szTitle);
}

/* Becoming visible resets the dialog: Cancel enabled, no texts, meter 0/0. */
static void ResetProgressDlg(HWND hDlg)
{
    EnableWindow(GetDlgItem(hDlg, IDCANCEL), TRUE);
    SetDlgItemTextA(hDlg, IDC_ACTION, "");
    SetDlgItemTextA(hDlg, IDC_ITEM, "");
    SendDlgItemMessageA(hDlg, IDC_METER, MM_SETPOS, 0, 0);
    SendDlgItemMessageA(hDlg, IDC_METER, MM_SETRANGE, 0, 0);
}

static void OnProgressCancel(HWND hDlg)
{
    /* The question stops the copy: show where it stands. */
    HoldProgressPaint(hDlg, FALSE);
    if (SetupMessageBox(hInst, hDlg, STR_CONFIRMABORT, szTitle, MB_YESNO | MB_ICONQUESTION) == IDYES)
        EnableWindow(GetDlgItem(hDlg, IDCANCEL), FALSE);
}

/* OK (Enter) and Cancel (Esc, the close box) both ask to stop. */
static INT_PTR OnProgressCommand(HWND hDlg, WPARAM wParam)
{
    if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)
        return FALSE;
    OnProgressCancel(hDlg);
    return TRUE;
}

INT_PTR CALLBACK ProgressDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_PAINT:
        return PaintDialogPicture(hDlg, IDC_STATUSPIC, hbmStatus);
    case WM_SHOWWINDOW:
        if (wParam)
            ResetProgressDlg(hDlg);
        return FALSE;
    case WM_INITDIALOG:
        LayoutProgressDlg(hDlg);
        return TRUE;
    case WM_COMMAND:
        return OnProgressCommand(hDlg, wParam);
    }
    return FALSE;
}
