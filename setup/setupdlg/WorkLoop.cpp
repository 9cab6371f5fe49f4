/*
 * WorkLoop.cpp - what the work loops of the copy step share, and the
 * first of them: the queue drained before each item, the Cancel button
 * polled as the cancel flag, and the creation of the destination folders.
 */
#include <windows.h>
#include <direct.h>
#include "CopyPath.h"
#include "Setupinf.h"
#include "meter.h"
#include "resource.h"
#include "Setupdlg.h"
#include "SetupGlobals.h"

void DrainMessageQueue(void)
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            /* The program is ending: leave the quit for the main loop. */
            PostQuitMessage((int)msg.wParam);
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

BOOL IsCancelRequested(HWND hDlg, HWND hwndCancel)
{
    /* The dialog gone (the program closing) counts as a cancel too. */
    return !IsWindow(hDlg) || !IsWindowEnabled(hwndCancel);
}

void HoldProgressPaint(HWND hDlg, BOOL bHold)
{
    static const int aIds[] = { IDC_ITEM, IDC_METER };
    for (int nId : aIds) {
        HWND hwnd = GetDlgItem(hDlg, nId);
        SendMessageA(hwnd, WM_SETREDRAW, !bHold, 0);
        if (!bHold)
            RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
}

BOOL EnterOrMakeFolder(LPCSTR lpszDir)
{
    if (_chdir(lpszDir) == 0)
        return TRUE;
    return _mkdir(lpszDir) == 0 && _chdir(lpszDir) == 0;
}

int CreateDestDirs(HWND hDlg)
{
    char szPath[MAXCOPYPATH];
    char szDir[MAXTEXT];

    ShowWindow(hDlg, theSetupInf.GetShowSubDirCreateStats() ? SW_SHOW : SW_HIDE);
    UpdateWindow(hDlg);
    SetLabelText(hDlg, IDC_ACTION, STR_CREATEDIR, "");

    UINT n = theSetupInf.GetNumDstDirs();
    SendDlgItemMessageA(hDlg, IDC_METER, MM_SETPOS, 1, 0);
    SendDlgItemMessageA(hDlg, IDC_METER, MM_SETRANGE, n + 1, 0);
    SetDlgItemTextA(hDlg, IDC_ITEM, szDestDir);

    BOOL bOk = TRUE;
    HWND hwndCancel = GetDlgItem(hDlg, IDCANCEL);
    for (UINT i = 0; i < n; i++) {
        DrainMessageQueue();
        if (IsCancelRequested(hDlg, hwndCancel)) {
            bOk = FALSE;
            break;
        }
        /* A folder cut in the script names another folder: none is made;
         * the files that go there fail with their names. */
        if (!theSetupInf.GetDstDir(i, szDir)) {
            SendDlgItemMessageA(hDlg, IDC_METER, MM_SETPOS, i + 2, 0);
            continue;
        }
        /* A path too long for the buffer is refused, never cut: its
         * message names it in full, as far as the message holds. */
        char szShown[2 * MAXCOPYPATH];
        FormatText(szShown, sizeof(szShown), "%s%s", szDestDir, szDir);
        BOOL bFits = JoinText(szPath, szDestDir, szDir);
        SetDlgItemTextA(hDlg, IDC_ITEM, szShown);
        if (!bFits || !EnterOrMakeFolder(szPath)) {
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
