/*
 * Screenshot.h - pixels read back from the screen, windows and bitmaps as
 * 32-bit top-down rows, and written as BMP files (by default into the
 * screenshots folder beside the test program; tests/win32/screenshots.sh
 * makes PNGs of them).
 */
#ifndef SCREENSHOT_H
#define SCREENSHOT_H

#include <windows.h>
#include <string>
#include <vector>

struct Pixels {
    int cx = 0, cy = 0;
    std::vector<DWORD> px;      /* 0x00RRGGBB, rows top-down */
    DWORD At(int x, int y) const { return px[(size_t)y * cx + x]; }
};

/* A 32-bit top-down DIB section selected into a new memory DC. */
struct Canvas {
    HDC hdc = NULL;
    HBITMAP hbm = NULL, hbmOld = NULL;
    DWORD *bits = NULL;
    int cx = 0, cy = 0;
    Canvas(int cxNew, int cyNew);
    ~Canvas();
    Pixels Read() const;
};

/* The client area of hwnd as it is on the screen now. */
Pixels CaptureClient(HWND hwnd);

/* A device bitmap drawn cxTiles x cyTiles times side by side. */
Pixels CaptureBitmap(HBITMAP hbm, int cxTiles = 1, int cyTiles = 1);

/* The screen as it is now. */
Pixels CaptureScreen();

/* Writes p as a 24-bit BMP file at path, magnified nZoom times so that
 * small controls can be looked at. */
bool WriteBmpFile(const std::string &path, const Pixels &p, int nZoom = 1);

/* p as lpszName.bmp in the test program's screenshots folder. */
bool SaveScreenshot(const Pixels &p, const char *lpszName, int nZoom = 1);

#endif
