/*
 * DlgPicture.cpp - the picture of the welcome and progress dialogs: a
 * device bitmap centred in a framed static control, drawn with the shared
 * palette realised in the dialog's paint DC.
 */
#include <windows.h>
#include "Setupdlg.h"
#include "SetupGlobals.h"

BOOL PaintDialogPicture(HWND hDlg, int nIdPicture, HBITMAP hbm)
{
    /* Without its control the dialog paints as any other: a null window
     * would stand for the whole screen in the calls below. */
    HWND hwndPicture = GetDlgItem(hDlg, nIdPicture);
    if (!hwndPicture)
        return FALSE;

    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hDlg, &ps);
    HPALETTE hOldPal = SelectPalette(hdc, hPalette, FALSE);
    RealizePalette(hdc);

    /* The etched frame paints itself first; the picture goes over it. */
    InvalidateRect(hwndPicture, NULL, TRUE);
    UpdateWindow(hwndPicture);

    /* A bitmap that could not be made leaves the frame alone. */
    BITMAP bm;
    if (hbm && GetObjectA(hbm, sizeof(bm), &bm)) {
        RECT rc;
        GetClientRect(hwndPicture, &rc);
        HDC hdcPicture = GetDC(hwndPicture);
        HDC hdcMem = CreateCompatibleDC(hdcPicture);
        HGDIOBJ hOldBmp = SelectObject(hdcMem, hbm);
        BitBlt(hdcPicture, (rc.right - bm.bmWidth) / 2, (rc.bottom - bm.bmHeight) / 2,
               bm.bmWidth, bm.bmHeight, hdcMem, 0, 0, SRCCOPY);
        SelectObject(hdcMem, hOldBmp);
        DeleteDC(hdcMem);
        ReleaseDC(hwndPicture, hdcPicture);
    }

    SelectPalette(hdc, hOldPal, FALSE);
    EndPaint(hDlg, &ps);
    return TRUE;
}

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

BOOL IsCancelRequested(HWND hDlg)
{
    /* The dialog gone (the program closing) counts as a cancel too. */
    return !IsWindow(hDlg) || !IsWindowEnabled(GetDlgItem(hDlg, IDCANCEL));
}
