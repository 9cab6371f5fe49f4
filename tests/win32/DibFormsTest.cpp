/*
 * DibFormsTest.cpp - palettes and device bitmaps from hand-made DIBs of
 * other forms than the shipped pictures', written into a copy of
 * SETUP.EXE with UpdateResource, under Wine.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include "Dib.h"
#include "Screenshot.h"
#include "SetupExeFile.h"

static void Put(std::string &s, size_t off, DWORD v, int cb)
{
    if (s.size() < off + cb)
        s.resize(off + cb, '\0');
    for (int i = 0; i < cb; i++)
        s[off + i] = (char)(v >> (8 * i));
}

static std::string InfoHeader(DWORD cbHeader, LONG cx, LONG cy, WORD bpp, DWORD dwUsed, DWORD dwCompression = BI_RGB)
{
    std::string s(cbHeader, '\0');
    Put(s, 0, cbHeader, 4);
    Put(s, 4, (DWORD)cx, 4);
    Put(s, 8, (DWORD)cy, 4);
    Put(s, 12, 1, 2);
    Put(s, 14, bpp, 2);
    Put(s, 16, dwCompression, 4);
    Put(s, 32, dwUsed, 4);
    return s;
}

static std::string Quad(DWORD rgb)
{
    std::string s;
    Put(s, 0, rgb, 4);      /* blue, green, red, 0 */
    return s;
}

static std::string Triple(DWORD rgb)
{
    return Quad(rgb).substr(0, 3);
}

/* Pixels of every test picture: 3 x 2, top row red green blue, bottom row
 * white black yellow. */
static const DWORD aColours[2][3] = { { 0xFF0000, 0x00FF00, 0x0000FF }, { 0xFFFFFF, 0x000000, 0xFFFF00 } };

/* An indexed picture: table entry i + 1 holds colour i (entry 0 is a grey
 * no pixel uses), rows bottom-up, padded to 4 bytes. */
static std::string IndexedPixels(int bpp)
{
    std::string rows;
    for (int y = 1; y >= 0; y--) {
        std::string row(4, '\0');
        for (int x = 0; x < 3; x++) {
            int index = 1 + y * 3 + x;
            if (bpp == 8)
                row[x] = (char)index;
            else
                row[x / 2] |= (char)(x % 2 ? index : index << 4);
        }
        rows += row;
    }
    return rows;
}

static std::string IndexedTable(int nEntries, bool fCore)
{
    std::string table = fCore ? Triple(0x808080) : Quad(0x808080);
    for (int i = 0; i < nEntries - 1; i++) {
        DWORD rgb = i < 6 ? aColours[i / 3][i % 3] : 0x123456;
        table += fCore ? Triple(rgb) : Quad(rgb);
    }
    return table;
}

static std::string Rgb24Pixels(void)
{
    std::string rows;
    for (int y = 1; y >= 0; y--) {
        std::string row;
        for (int x = 0; x < 3; x++)
            row += Triple(aColours[y][x]);
        rows += row + std::string(3, '\0');
    }
    return rows;
}

static std::string Bitfields565Pixels(void)
{
    std::string rows;
    for (int y = 1; y >= 0; y--) {
        std::string row;
        for (int x = 0; x < 3; x++) {
            DWORD c = aColours[y][x];
            DWORD v = ((c >> 16 & 0xFF) >> 3) << 11 | ((c >> 8 & 0xFF) >> 2) << 5 | (c & 0xFF) >> 3;
            Put(row, row.size(), v, 2);
        }
        rows += row + std::string(2, '\0');
    }
    return rows;
}

class OtherForms : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        path = TestProgramFolder() + "dibforms" + std::to_string(GetCurrentProcessId()) + ".exe";
        ASSERT_TRUE(CopyFileA((TestProgramFolder() + "SETUP.EXE").c_str(), path.c_str(), FALSE));
        HANDLE hUpdate = BeginUpdateResourceA(path.c_str(), FALSE);
        ASSERT_TRUE(hUpdate != NULL);
        std::string shortBack;
        {
            HMODULE hExe = LoadSetupExeData();
            shortBack = ResourceBytes(hExe, "BACK");
            FreeLibrary(hExe);
        }
        shortBack.resize(shortBack.size() - 1);
        std::string bitfields = InfoHeader(40, 3, 2, 16, 0, BI_BITFIELDS);
        Put(bitfields, 40, 0xF800, 4);
        Put(bitfields, 44, 0x07E0, 4);
        Put(bitfields, 48, 0x001F, 4);
        std::string core(12, '\0');
        Put(core, 0, 12, 4);
        Put(core, 4, 3, 2);
        Put(core, 6, 2, 2);
        Put(core, 8, 1, 2);
        Put(core, 10, 4, 2);
        std::string huge = InfoHeader(40, 3, 2, 8, 0x10010) + IndexedTable(256, false) + IndexedPixels(8);
        const std::pair<const char *, std::string> forms[] = {
            { "RGB24", InfoHeader(40, 3, 2, 24, 0) + Rgb24Pixels() },
            { "RGB24USED16", InfoHeader(40, 3, 2, 24, 16) + IndexedTable(16, false) + Rgb24Pixels() },
            { "PAL8", InfoHeader(40, 3, 2, 8, 0) + IndexedTable(256, false) + IndexedPixels(8) },
            { "CORE4", core + IndexedTable(16, true) + IndexedPixels(4) },
            { "V4", InfoHeader(108, 3, 2, 8, 0) + IndexedTable(256, false) + IndexedPixels(8) },
            { "V5", InfoHeader(124, 3, 2, 8, 0) + IndexedTable(256, false) + IndexedPixels(8) },
            { "BF565", bitfields + Bitfields565Pixels() },
            { "SHORTBACK", shortBack },
            { "USED64K", huge },
        };
        for (const auto &form : forms)
            ASSERT_TRUE(UpdateResourceA(hUpdate, (LPCSTR)RT_BITMAP, form.first, LANG_RES, (void *)form.second.data(),
                                        (DWORD)form.second.size())) << form.first;
        ASSERT_TRUE(EndUpdateResourceA(hUpdate, FALSE));
        hForms = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(hForms != NULL);
    }
    static void TearDownTestSuite()
    {
        FreeLibrary(hForms);
        DeleteFileA(path.c_str());
    }
    void SetUp() override
    {
        hwnd = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(hwnd != NULL);
    }
    void TearDown() override
    {
        DestroyWindow(hwnd);
    }
    /* Palette entry count (0 for none), and whether the bitmap shows the
     * six test colours in their places. */
    void Check(const char *lpszName, UINT uPaletteEntries)
    {
        HPALETTE hpal = LoadBitmapPalette(hForms, lpszName);
        if (uPaletteEntries == 0) {
            EXPECT_TRUE(hpal == NULL) << lpszName;
        } else {
            ASSERT_TRUE(hpal != NULL) << lpszName;
            EXPECT_EQ(GetPaletteEntries(hpal, 0, 0, NULL), uPaletteEntries) << lpszName;
            PALETTEENTRY pe;
            GetPaletteEntries(hpal, 1, 1, &pe);
            EXPECT_EQ(RGB(pe.peRed, pe.peGreen, pe.peBlue), RGB(255, 0, 0)) << lpszName;
            DeleteObject(hpal);
        }
        HBITMAP hbm = LoadDeviceBitmap(hwnd, hForms, lpszName);
        ASSERT_TRUE(hbm != NULL) << lpszName;
        Pixels got = CaptureBitmap(hbm);
        DeleteObject(hbm);
        ASSERT_EQ(got.cx, 3) << lpszName;
        ASSERT_EQ(got.cy, 2) << lpszName;
        for (int y = 0; y < 2; y++)
            for (int x = 0; x < 3; x++)
                EXPECT_EQ(got.At(x, y), aColours[y][x]) << lpszName << " at " << x << "," << y;
    }
    static std::string path;
    static HMODULE hForms;
    HWND hwnd = NULL;
};

std::string OtherForms::path;
HMODULE OtherForms::hForms;

TEST_F(OtherForms, TrueColourWithAndWithoutATable)
{
    Check("RGB24", 0);          /* no palette, yet a bitmap */
    Check("RGB24USED16", 16);   /* pixels after the 16 entries */
}

TEST_F(OtherForms, FullTableAndCoreHeader)
{
    Check("PAL8", 256);
    Check("CORE4", 0);          /* no palette from a core header */
}

TEST_F(OtherForms, LongerHeadersGiveNoPaletteButABitmap)
{
    Check("V4", 0);
    Check("V5", 0);
}

TEST_F(OtherForms, BitFieldPixelsStartAfterTheirMasks)
{
    Check("BF565", 0);
}

TEST_F(OtherForms, ResourcesThatWouldBeReadBeyondTheirEndAreRefused)
{
    for (const char *lpszName : { "SHORTBACK", "USED64K" }) {
        EXPECT_TRUE(LoadBitmapPalette(hForms, lpszName) == NULL) << lpszName;
        EXPECT_TRUE(LoadDeviceBitmap(hwnd, hForms, lpszName) == NULL) << lpszName;
    }
}
