/*
 * ProgressDlg.cpp - the copy step: the modeless progress dialog with the
 * STATUS picture and the meter, and the creation of the destination
 * folders. The Cancel button is the cancel flag: a confirmed cancel
 * disables it, and the work loops look at it before each item.
 */
#include <windows.h>
#include <direct.h>
#include <stdio.h>
#include "CopyPath.h"
#include "Setupinf.h"
#include "meter.h"
#include "resource.h"
#include "Setupdlg.h"
#include "SetupGlobals.h"

int RunCopyStep(HWND hwndOwner)
{
    HWND hDlg = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_PROGRESS), hwndOwner, ProgressDlgProc, 0);
    if (!hDlg)
        return 0;
    ShowWindow(hDlg, SW_SHOW);
    UpdateWindow(hDlg);
    if (!CreateDestDirs(hDlg)) {
        DestroyWindow(hDlg);
        return 0;
    }
    int nResult = CopyFiles(hDlg);
    if (IsWindow(hDlg))
        DestroyWindow(hDlg);
    return nResult ? 1 : 0;
}

/* The folder exists afterwards (one level created if need be) and is the
 * current folder. */
static BOOL MakeDestFolder(LPCSTR lpszPath)
{
    if (_chdir(lpszPath) == 0)
        return TRUE;
    if (_mkdir(lpszPath) != 0)
        return FALSE;
    _chdir(lpszPath);
    return TRUE;
}

int CreateDestDirs(HWND hDlg)
{
    char szPath[MAXCOPYPATH];
    char szDir[MAXTEXT];

    ShowWindow(hDlg, theSetupInf.GetShowSubDirCreateStats() ? SW_SHOW : SW_HIDE);
    UpdateWindow(hDlg);
    szPath[0] = '\0';
    LoadStringA(hInst, STR_CREATEDIR, szPath, MAXCOPYPATH);
    SetDlgItemTextA(hDlg, IDC_ACTION, szPath);

    UINT n = theSetupInf.GetNumDstDirs();
    SendDlgItemMessageA(hDlg, IDC_METER, MM_SETPOS, 1, 0);
    SendDlgItemMessageA(hDlg, IDC_METER, MM_SETRANGE, n + 1, 0);
    SetDlgItemTextA(hDlg, IDC_ITEM, szDestDir);

    BOOL bOk = TRUE;
    for (UINT i = 0; i < n; i++) {
        DrainMessageQueue();
        if (IsCancelRequested(hDlg)) {
            bOk = FALSE;
            break;
        }
        theSetupInf.GetDstDir(i, szDir);
        /* A path too long for the buffer is refused, never cut: its
         * message names it in full, as far as the message holds. */
        char szShown[2 * MAXCOPYPATH];
        snprintf(szShown, sizeof(szShown), "%s%s", szDestDir, szDir);
        BOOL bFits = JoinText(szPath, szDestDir, szDir);
        SetDlgItemTextA(hDlg, IDC_ITEM, szShown);
        if (!bFits || !MakeDestFolder(szPath)) {
            SetupMessageBox(hInst, hDlg, STR_MKDIRFAIL, szTitle, MB_ICONINFORMATION, szShown);
            bOk = FALSE;
            break;
        }
        SendDlgItemMessageA(hDlg, IDC_METER, MM_SETPOS, i + 2, 0);
    }
    if (IsWindow(hDlg))
        ShowWindow(hDlg, SW_SHOW);
    return bOk;
}

void LayoutProgressDlg(HWND hDlg)
{
    int x = (GetSystemMetrics(SM_CXSCREEN) - 400) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - 400) / 2;
    MoveWindow(hDlg, x, y, 400, 400, TRUE);
    MoveWindow(GetDlgItem(hDlg, IDC_STATUSPIC), 0, 0, 400, 200, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDC_ACTION), 20, 210, 300, 20, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDC_ITEM), 20, 240, 300, 20, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDC_METER), 50, 270, 300, 30, FALSE);
    MoveWindow(GetDlgItem(hDlg, IDCANCEL), 150, 320, 100, 20, FALSE);
    SetWindowTextA(hDlg, szTitle);
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
    if (SetupMessageBox(hInst, hDlg, STR_CONFIRMABORT, szTitle, MB_YESNO | MB_ICONQUESTION) == IDYES)
        EnableWindow(GetDlgItem(hDlg, IDCANCEL), FALSE);
}

INT_PTR CALLBACK ProgressDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        LayoutProgressDlg(hDlg);
        return TRUE;
    case WM_SHOWWINDOW:
        if (wParam)
            ResetProgressDlg(hDlg);
        return FALSE;
    case WM_PAINT:
        return PaintDialogPicture(hDlg, IDC_STATUSPIC, hbmStatus);
    case WM_COMMAND:
        if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)
            return FALSE;
        OnProgressCancel(hDlg);
        return TRUE;
    }
    return FALSE;
}
