/*
 * DlgPicture.cpp - what the welcome and progress dialogs share on screen:
 * their 400 x 400 place at the screen's centre, and their picture, a
 * device bitmap centred in a framed static control, drawn with the shared
 * palette realised in the dialog's paint DC.
 */
#include <windows.h>
#include "Setupdlg.h"
#include "SetupGlobals.h"

/* Both dialogs are laid out in pixels, whatever their templates say. */
#define CXDIALOG 400
#define CYDIALOG 400

void PlaceDialog400(HWND hDlg, BOOL bRepaint)
{
    int x = (GetSystemMetrics(SM_CXSCREEN) - CXDIALOG) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - CYDIALOG) / 2;
    MoveWindow(hDlg, x, y, CXDIALOG, CYDIALOG, bRepaint);
}

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
