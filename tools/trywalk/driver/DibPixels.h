/*
 * DibPixels.h - the picture oracle of the Win32 tests.
 */
#ifndef DIBPIXELS_H
#define DIBPIXELS_H

#include <windows.h>

/* The expected screen colour of pixel (x, y) of one of SETUP.EXE's
 * 8-bit bitmap resources (rows stored bottom-up). */
class DibPixels {
public:
    explicit DibPixels(const char *lpszName);
    ~DibPixels();
    bool Ok() const;
    int Width() const;
    int Height() const;
    COLORREF At(int x, int y) const;

private:
    HMODULE m_hMod;
    const BITMAPINFOHEADER *m_pHeader;
};

#endif
