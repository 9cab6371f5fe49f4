/*
 * Dib.h - the palettes and device bitmaps made from the program's bitmap
 * resources (the arithmetic is in DibCalc.h).
 */
#ifndef DIB_H
#define DIB_H

#include <windows.h>
#include "DibCalc.h"

/* A new logical palette from the colour table of the packed DIB at lpDib
 * (which must pass DibFits), or NULL: no DIB, a header other than 40 bytes,
 * no colour table, or no memory. The caller deletes it. */
HPALETTE DibPalette(const void *lpDib);

/* A new palette from the colour table of bitmap resource lpszName of
 * hInstance, or NULL (missing, malformed, or no palette possible). */
HPALETTE LoadBitmapPalette(HINSTANCE hInstance, LPCSTR lpszName);

/* A new device-dependent bitmap for the display of hwnd made from bitmap
 * resource lpszName of hInstance, or NULL. The resource's own palette is
 * realised in hwnd's DC while the bitmap is made. The caller deletes it. */
HBITMAP LoadDeviceBitmap(HWND hwnd, HINSTANCE hInstance, LPCSTR lpszName);

#endif
