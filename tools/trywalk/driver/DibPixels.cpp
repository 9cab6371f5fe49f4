/*
 * DibPixels.cpp - the picture oracle: what a pixel of one of SETUP.EXE's
 * 8-bit bitmap resources must look like on the screen.
 */
#include "DibPixels.h"
#include "SetupDriver.h"

DibPixels::DibPixels(const char *lpszName)
{
    m_hMod = LoadLibraryExA((TestProgramFolder() + "SETUP.EXE").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC hRes = m_hMod ? FindResourceA(m_hMod, lpszName, (LPCSTR)RT_BITMAP) : NULL;
    m_pHeader = hRes ? (const BITMAPINFOHEADER *)LockResource(LoadResource(m_hMod, hRes)) : NULL;
}

DibPixels::~DibPixels()
{
    if (m_hMod)
        FreeLibrary(m_hMod);
}

bool DibPixels::Ok() const
{
    return m_pHeader && m_pHeader->biSize == sizeof(BITMAPINFOHEADER) && m_pHeader->biBitCount == 8;
}

int DibPixels::Width() const
{
    return m_pHeader->biWidth;
}

int DibPixels::Height() const
{
    return m_pHeader->biHeight;
}

COLORREF DibPixels::At(int x, int y) const
{
    const RGBQUAD *pColors = (const RGBQUAD *)((const BYTE *)m_pHeader + m_pHeader->biSize);
    UINT nColors = m_pHeader->biClrUsed ? m_pHeader->biClrUsed : 256;
    const BYTE *pBits = (const BYTE *)(pColors + nColors);
    int cbRow = (Width() + 3) & ~3;
    BYTE index = pBits[(Height() - 1 - y) * cbRow + x];
    return RGB(pColors[index].rgbRed, pColors[index].rgbGreen, pColors[index].rgbBlue);
}
