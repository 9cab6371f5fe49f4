/*
 * Screenshot.cpp - pixels read back from the screen, windows and bitmaps,
 * and BMP files of them.
 */
#include "Screenshot.h"
#include "SetupDriver.h"

Canvas::Canvas(int cxNew, int cyNew) : cx(cxNew), cy(cyNew)
{
    BITMAPINFO bmi;
    memset(&bmi, 0, sizeof(bmi));
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    hdc = CreateCompatibleDC(NULL);
    hbm = CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, (void **)&bits, NULL, 0);
    hbmOld = (HBITMAP)SelectObject(hdc, hbm);
}

Canvas::~Canvas()
{
    SelectObject(hdc, hbmOld);
    DeleteObject(hbm);
    DeleteDC(hdc);
}

Pixels Canvas::Read() const
{
    GdiFlush();
    Pixels p;
    p.cx = cx;
    p.cy = cy;
    p.px.assign(bits, bits + (size_t)cx * cy);
    for (DWORD &d : p.px)
        d &= 0xFFFFFF;
    return p;
}

/* The client area of hwnd as it is on the screen now. */
Pixels CaptureClient(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    Canvas canvas(rc.right, rc.bottom);
    HDC hdc = GetDC(hwnd);
    BitBlt(canvas.hdc, 0, 0, rc.right, rc.bottom, hdc, 0, 0, SRCCOPY);
    ReleaseDC(hwnd, hdc);
    return canvas.Read();
}

/* A device bitmap drawn cxTiles x cyTiles times side by side. */
Pixels CaptureBitmap(HBITMAP hbm, int cxTiles, int cyTiles)
{
    BITMAP bm;
    GetObject(hbm, sizeof(bm), &bm);
    Canvas canvas(bm.bmWidth * cxTiles, bm.bmHeight * cyTiles);
    HDC hdcSrc = CreateCompatibleDC(NULL);
    HBITMAP hbmOld = (HBITMAP)SelectObject(hdcSrc, hbm);
    for (int i = 0; i < cxTiles; i++)
        for (int j = 0; j < cyTiles; j++)
            BitBlt(canvas.hdc, i * bm.bmWidth, j * bm.bmHeight, bm.bmWidth, bm.bmHeight, hdcSrc, 0, 0, SRCCOPY);
    SelectObject(hdcSrc, hbmOld);
    DeleteDC(hdcSrc);
    return canvas.Read();
}

/* The screen as it is now. */
Pixels CaptureScreen()
{
    Canvas canvas(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HDC hdc = GetDC(NULL);
    BitBlt(canvas.hdc, 0, 0, canvas.cx, canvas.cy, hdc, 0, 0, SRCCOPY);
    ReleaseDC(NULL, hdc);
    return canvas.Read();
}

/* Writes p as a 24-bit BMP file at path, magnified nZoom times so that
 * small controls can be looked at. */
bool WriteBmpFile(const std::string &path, const Pixels &p, int nZoom)
{
    int cx = p.cx * nZoom, cy = p.cy * nZoom;
    int stride = (cx * 3 + 3) & ~3;
    std::string bytes(54 + (size_t)stride * cy, '\0');
    BITMAPFILEHEADER *pFile = (BITMAPFILEHEADER *)&bytes[0];
    BITMAPINFOHEADER *pInfo = (BITMAPINFOHEADER *)&bytes[14];
    pFile->bfType = 0x4D42;
    pFile->bfSize = (DWORD)bytes.size();
    pFile->bfOffBits = 54;
    pInfo->biSize = 40;
    pInfo->biWidth = cx;
    pInfo->biHeight = cy;
    pInfo->biPlanes = 1;
    pInfo->biBitCount = 24;
    for (int y = 0; y < cy; y++)
        for (int x = 0; x < cx; x++) {
            DWORD d = p.At(x / nZoom, y / nZoom);
            char *q = &bytes[54 + (size_t)(cy - 1 - y) * stride + 3 * x];
            q[0] = (char)(d & 0xFF);
            q[1] = (char)((d >> 8) & 0xFF);
            q[2] = (char)((d >> 16) & 0xFF);
        }
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD cb = 0;
    BOOL fOk = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &cb, NULL);
    CloseHandle(h);
    return fOk && cb == bytes.size();
}

/* p as lpszName.bmp in the test program's screenshots folder. */
bool SaveScreenshot(const Pixels &p, const char *lpszName, int nZoom)
{
    std::string dir = TestProgramFolder() + "screenshots\\";
    CreateDirectoryA(dir.c_str(), NULL);
    return WriteBmpFile(dir + lpszName + ".bmp", p, nZoom);
}

