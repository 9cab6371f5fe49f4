/*
 * ShippedPicturesTest.cpp - palettes and device bitmaps of the three
 * pictures shipped in SETUP.EXE, under Wine.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "Dib.h"
#include "Screenshot.h"
#include "SetupExeFile.h"

/* Colour of pixel (x, y), counted from the top, of an 8-bit bottom-up DIB
 * with a 40-byte header, from its own table. */
static DWORD Dib8Colour(const std::string &dib, int x, int y)
{
    int cx = *(const LONG *)&dib[4], cy = *(const LONG *)&dib[8];
    DWORD off = DibPixelOffset(dib.data());
    BYTE index = (BYTE)dib[off + (size_t)(cy - 1 - y) * ((cx + 3) & ~3) + x];
    const BYTE *entry = (const BYTE *)dib.data() + 40 + 4 * index;
    return (DWORD)entry[2] << 16 | entry[1] << 8 | entry[0];
}

class ShippedPictures : public SetupExeFile {
protected:
    void SetUp() override
    {
        SetupExeFile::SetUp();
        hwnd = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(hwnd != NULL);
    }
    void TearDown() override
    {
        DestroyWindow(hwnd);
        SetupExeFile::TearDown();
    }
    HWND hwnd = NULL;
};

TEST_F(ShippedPictures, PaletteOfBackIsItsTable)
{
    std::string back = ResourceBytes(hExe, "BACK");
    ASSERT_EQ(back.size(), 984u + 192u * 130u);
    EXPECT_EQ(DibColorCount(back.data()), 236);
    EXPECT_EQ(DibPixelBits(back.data()), (const BYTE *)back.data() + 984);

    HPALETTE hpal = LoadBitmapPalette(hExe, "BACK");
    ASSERT_TRUE(hpal != NULL);
    EXPECT_EQ(GetPaletteEntries(hpal, 0, 0, NULL), 236u);
    PALETTEENTRY pe[256];
    memset(pe, 0xA5, sizeof(pe));
    ASSERT_EQ(GetPaletteEntries(hpal, 0, 256, pe), 236u);
    for (int i = 0; i < 236; i++) {
        const BYTE *entry = (const BYTE *)back.data() + 40 + 4 * i;
        EXPECT_EQ(pe[i].peRed, entry[2]) << i;
        EXPECT_EQ(pe[i].peGreen, entry[1]) << i;
        EXPECT_EQ(pe[i].peBlue, entry[0]) << i;
        EXPECT_EQ(pe[i].peFlags, 0) << i;
    }
    DeleteObject(hpal);

    /* All three carry the same table, so each gives the same palette. */
    for (const char *lpszName : { "SETUP", "STATUS" })
        EXPECT_EQ(ResourceBytes(hExe, lpszName).substr(0, 984).substr(32), back.substr(32, 952)) << lpszName;
}

TEST_F(ShippedPictures, DeviceBitmapsShowEveryPixelInItsColour)
{
    struct Pic { const char *lpszName; int cx, cy; };
    for (const Pic &pic : { Pic{ "BACK", 190, 130 }, Pic{ "SETUP", 400, 300 }, Pic{ "STATUS", 400, 200 } }) {
        HBITMAP hbm = LoadDeviceBitmap(hwnd, hExe, pic.lpszName);
        ASSERT_TRUE(hbm != NULL) << pic.lpszName;
        BITMAP bm;
        ASSERT_EQ(GetObject(hbm, sizeof(bm), &bm), (int)sizeof(bm));
        EXPECT_EQ(bm.bmWidth, pic.cx) << pic.lpszName;
        EXPECT_EQ(bm.bmHeight, pic.cy) << pic.lpszName;
        Pixels got = CaptureBitmap(hbm);
        std::string dib = ResourceBytes(hExe, pic.lpszName);
        int nBad = 0;
        for (int y = 0; y < pic.cy; y++)
            for (int x = 0; x < pic.cx; x++)
                nBad += got.At(x, y) != Dib8Colour(dib, x, y);
        EXPECT_EQ(nBad, 0) << pic.lpszName;
        EXPECT_TRUE(SaveScreenshot(got, pic.lpszName));
        if (pic.cx == 190) {
            EXPECT_TRUE(SaveScreenshot(CaptureBitmap(hbm, 4, 4), "BACK_tiled"));
        }
        DeleteObject(hbm);
    }
}

TEST_F(ShippedPictures, MissingNameGivesNull)
{
    EXPECT_TRUE(LoadBitmapPalette(hExe, "NOSUCH") == NULL);
    EXPECT_TRUE(LoadDeviceBitmap(hwnd, hExe, "NOSUCH") == NULL);
    EXPECT_TRUE(DibPalette(NULL) == NULL);
}
