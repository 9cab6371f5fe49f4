/*
 * meter.cpp - the percentage meter control (window class RQ_METER).
 */
#include <windows.h>
#include "SetupCheck.h"
#include "meter.h"

#define GWW_POS     0
#define GWW_RANGE   4

#define CLR_BACK    RGB(255, 255, 255)
#define CLR_TEXT    RGB(0, 0, 255)

int RegisterMeterClass(HINSTANCE hInstance)
{
    WNDCLASSA wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MeterWndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 8;
    wc.hInstance = hInstance;
    wc.hIcon = NULL;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszMenuName = NULL;
    wc.lpszClassName = METER_CLASS;
    return RegisterClassA(&wc) != 0 ? 1 : 0;
}

BOOL UnregisterMeterClass(HINSTANCE hInstance)
{
    return UnregisterClassA(METER_CLASS, hInstance);
}

int MeterTextHeight(HDC hdc, LPCSTR lpsz, int cch)
{
    SIZE s;
    s.cx = 0;
    s.cy = 0;
    GetTextExtentPointA(hdc, lpsz, cch, &s);
    SETUP_CHECK(s.cx != 0, "s.cx!=0");
    return s.cy;
}

/* The background colour becomes the text colour and the other way round. */
static void SwapColors(HDC hdc)
{
    COLORREF crText = GetTextColor(hdc);
    SetTextColor(hdc, SetBkColor(hdc, crText));
}

/* Two passes with the same text at the same place: the bar part with the
 * colours swapped, then the rest. Each pass fills its part opaquely and
 * clips the text to it, so the halves of a glyph on the edge line up. */
static void PaintMeter(HWND hwnd)
{
    PAINTSTRUCT ps;
    char szText[METER_TEXTMAX];
    RECT rc;

    HDC hdc = BeginPaint(hwnd, &ps);
    SetBkColor(hdc, CLR_BACK);
    SetTextColor(hdc, CLR_TEXT);
    UINT uPos = (UINT)SendMessageA(hwnd, MM_GETPOS, 0, 0);
    UINT uRange = (UINT)SendMessageA(hwnd, MM_GETRANGE, 0, 0);
    GetClientRect(hwnd, &rc);
    int cx = rc.right, cy = rc.bottom;
    int cxBar = MeterFigures(uPos, uRange, cx, szText, sizeof(szText));
    int cch = lstrlenA(szText);

    SwapColors(hdc);
    SetRect(&rc, 0, 0, cxBar, cy);
    SetTextAlign(hdc, TA_CENTER);
    int y = (cy - MeterTextHeight(hdc, "X", 1)) / 2;
    ExtTextOutA(hdc, cx / 2, y, ETO_OPAQUE | ETO_CLIPPED, &rc, szText, cch, NULL);

    SwapColors(hdc);
    rc.left = rc.right;
    rc.right = cx;
    y = (cy - MeterTextHeight(hdc, "X", 1)) / 2;
    ExtTextOutA(hdc, cx / 2, y, ETO_OPAQUE | ETO_CLIPPED, &rc, szText, cch, NULL);
    EndPaint(hwnd, &ps);
}

/* A set that would draw the same pixels adds nothing to repaint: a copy
 * of a thousand files would otherwise wait for a thousand paints. What is
 * still to be painted is painted at once all the same. */
static LRESULT SetMeterWord(HWND hwnd, int nIndex, WPARAM wParam)
{
    UINT uPos = (WORD)GetWindowWord(hwnd, GWW_POS);
    UINT uRange = (WORD)GetWindowWord(hwnd, GWW_RANGE);
    SetWindowWord(hwnd, nIndex, LOWORD(wParam));
    /* Hidden, or held from painting by WM_SETREDRAW: it paints in full
     * when it shows again. */
    if (!IsWindowVisible(hwnd))
        return 0;
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (!MeterLooksSame(uPos, uRange, (WORD)GetWindowWord(hwnd, GWW_POS), (WORD)GetWindowWord(hwnd, GWW_RANGE),
                       rc.right))
        InvalidateRect(hwnd, NULL, FALSE);
    UpdateWindow(hwnd);
    return 0;
}

LRESULT CALLBACK MeterWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case MM_GETPOS:
        return (WORD)GetWindowWord(hwnd, GWW_POS);
    case MM_GETRANGE:
        return (WORD)GetWindowWord(hwnd, GWW_RANGE);
    case MM_SETPOS:
        return SetMeterWord(hwnd, GWW_POS, wParam);
    case MM_SETRANGE:
        return SetMeterWord(hwnd, GWW_RANGE, wParam);
    case WM_PAINT:
        PaintMeter(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
