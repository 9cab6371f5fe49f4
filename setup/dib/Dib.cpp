/*
 * Dib.cpp - palettes and device bitmaps made from the program's bitmap
 * resources. The resource is used in place and released before returning.
 */
#include <windows.h>
#include "Dib.h"

HPALETTE DibPalette(const void *lpDib)
{
    if (!lpDib)
        return NULL;
    UINT n = DibColorCount(lpDib);
    if (n == 0)
        return NULL;
    UINT cb = 8 + 4 * n;
    HLOCAL hRecord = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, cb);
    if (!hRecord)
        return NULL;
    HPALETTE hpal = NULL;
    void *lpRecord = LocalLock(hRecord);
    if (lpRecord) {
        if (DibPaletteRecord(lpDib, lpRecord, cb))
            hpal = CreatePalette((const LOGPALETTE *)lpRecord);
        LocalUnlock(hRecord);
    }
    LocalFree(hRecord);
    return hpal;
}

/* The bytes of bitmap resource lpszName and their count; *phRes is what
 * FreeResource takes back. NULL when missing or not safely readable. */
static const void *LockBitmapResource(HINSTANCE hInstance, LPCSTR lpszName, HGLOBAL *phRes)
{
    *phRes = NULL;
    HRSRC hrsrc = FindResourceA(hInstance, lpszName, (LPCSTR)RT_BITMAP);
    if (!hrsrc)
        return NULL;
    HGLOBAL hRes = LoadResource(hInstance, hrsrc);
    if (!hRes)
        return NULL;
    const void *lpDib = LockResource(hRes);
    if (!lpDib || !DibFits(lpDib, SizeofResource(hInstance, hrsrc))) {
        FreeResource(hRes);
        return NULL;
    }
    *phRes = hRes;
    return lpDib;
}

HPALETTE LoadBitmapPalette(HINSTANCE hInstance, LPCSTR lpszName)
{
    HGLOBAL hRes;
    const void *lpDib = LockBitmapResource(hInstance, lpszName, &hRes);
    if (!lpDib)
        return NULL;
    HPALETTE hpal = DibPalette(lpDib);
    FreeResource(hRes);
    return hpal;
}

HBITMAP LoadDeviceBitmap(HWND hwnd, HINSTANCE hInstance, LPCSTR lpszName)
{
    HGLOBAL hRes;
    const void *lpDib = LockBitmapResource(hInstance, lpszName, &hRes);
    if (!lpDib)
        return NULL;
    HPALETTE hpal = DibPalette(lpDib);
    HBITMAP hbm = NULL;
    HDC hdc = GetDC(hwnd);
    if (hdc) {
        HPALETTE hpalOld = NULL;
        if (hpal) {
            hpalOld = SelectPalette(hdc, hpal, FALSE);
            RealizePalette(hdc);
        }
        hbm = CreateDIBitmap(hdc, (const BITMAPINFOHEADER *)lpDib, CBM_INIT, DibPixelBits(lpDib),
                             (const BITMAPINFO *)lpDib, DIB_RGB_COLORS);
        /* The palette is deleted below: it must not stay selected. */
        if (hpalOld)
            SelectPalette(hdc, hpalOld, FALSE);
        ReleaseDC(hwnd, hdc);
    }
    if (hpal)
        DeleteObject(hpal);
    FreeResource(hRes);
    return hbm;
}
