/*
 * DibCalcTest.cpp - DIB arithmetic on hand-made headers: colour count,
 * pixel offset, the safe-reading check and the palette record.
 */
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <vector>
#include "DibCalc.h"

/* A packed DIB built byte by byte, little-endian, at an odd address inside
 * its buffer so that any aligned-only read would show under UBSan. */
class DibBytes {
public:
    void Put16(size_t off, uint32_t v)
    {
        Grow(off + 2);
        buf[1 + off] = (unsigned char)v;
        buf[2 + off] = (unsigned char)(v >> 8);
    }
    void Put32(size_t off, uint32_t v)
    {
        Put16(off, v & 0xFFFF);
        Put16(off + 2, v >> 16);
    }
    void Grow(size_t cb)
    {
        if (buf.size() < cb + 1)
            buf.resize(cb + 1, 0);
    }
    const void *Dib() const { return &buf[1]; }
    DWORD Size() const { return (DWORD)(buf.size() - 1); }
    std::vector<unsigned char> buf = std::vector<unsigned char>(1, 0);
};

/* Information header of cbHeader bytes; the colour table (entries of
 * blue = i, green = 2i, red = 3i) and the pixel rows follow. */
static DibBytes InfoDib(uint32_t cbHeader, int32_t cx, int32_t cy, uint32_t bpp, uint32_t dwUsed,
                        uint32_t uTable, uint32_t dwCompression = 0)
{
    DibBytes d;
    d.Put32(0, cbHeader);
    d.Grow(cbHeader);
    d.Put32(4, (uint32_t)cx);
    d.Put32(8, (uint32_t)cy);
    d.Put16(12, 1);
    d.Put16(14, bpp);
    d.Put32(16, dwCompression);
    d.Put32(32, dwUsed);
    d.Put32(36, dwUsed);
    for (uint32_t i = 0; i < uTable; i++)
        d.Put32(cbHeader + 4 * i, (i & 0xFF) | ((2 * i & 0xFF) << 8) | ((3 * i & 0xFF) << 16));
    uint64_t cbRow = ((uint64_t)(cx < 0 ? -cx : cx) * bpp + 31) / 32 * 4;
    d.Grow(cbHeader + 4 * uTable + cbRow * (uint64_t)(cy < 0 ? -cy : cy));
    return d;
}

static DibBytes CoreDib(uint32_t cx, uint32_t cy, uint32_t bpp)
{
    DibBytes d;
    d.Put32(0, 12);
    d.Put16(4, cx);
    d.Put16(6, cy);
    d.Put16(8, 1);
    d.Put16(10, bpp);
    uint32_t uTable = bpp <= 8 ? 1u << bpp : 0;
    d.Grow(12 + 3 * uTable + (cx * bpp + 31) / 32 * 4 * cy);
    return d;
}

static const BYTE *At(const DibBytes &d, size_t off)
{
    return (const BYTE *)d.Dib() + off;
}

TEST(DibCalc, TheProgramsOwnForm)
{
    DibBytes d = InfoDib(40, 190, 130, 8, 236, 236);
    EXPECT_EQ(DibColorCount(d.Dib()), 236);
    EXPECT_EQ(DibPixelOffset(d.Dib()), 984u);
    EXPECT_EQ(DibPixelBits(d.Dib()), At(d, 984));
    EXPECT_TRUE(DibFits(d.Dib(), d.Size()));
}

TEST(DibCalc, EdgeCasesOfColourCountAndPixelOffset)
{
    struct Case { const char *what; DibBytes d; int nColors; DWORD dwOffset; };
    Case cases[] = {
        { "24-bit, no colours used", InfoDib(40, 5, 3, 24, 0, 0), 0, 40 },
        { "24-bit, 16 colours used", InfoDib(40, 5, 3, 24, 16, 16), 16, 40 + 64 },
        { "8-bit, colours used 0", InfoDib(40, 5, 3, 8, 0, 256), 256, 40 + 1024 },
        { "4-bit, colours used 0", InfoDib(40, 5, 3, 4, 0, 16), 16, 40 + 64 },
        { "1-bit, colours used 0", InfoDib(40, 5, 3, 1, 0, 2), 2, 40 + 8 },
        { "core 4-bit", CoreDib(5, 3, 4), 16, 12 + 48 },
        { "core 24-bit", CoreDib(5, 3, 24), 0, 12 },
        { "108-byte header", InfoDib(108, 5, 3, 8, 0, 256), 256, 108 + 1024 },
        { "124-byte header", InfoDib(124, 5, 3, 8, 0, 256), 256, 124 + 1024 },
        { "124-byte header, 236 used", InfoDib(124, 5, 3, 8, 236, 236), 236, 124 + 944 },
        /* Deeper pixels have no implied table: 2 to the 16 entries would put
         * the pixels 256 K past a 40-byte header. */
        { "16-bit, colours used 0", InfoDib(40, 5, 3, 16, 0, 0), 0, 40 },
        { "32-bit, colours used 0", InfoDib(40, 5, 3, 32, 0, 0), 0, 40 },
        { "16-bit, 4 colours used", InfoDib(40, 5, 3, 16, 4, 4), 4, 40 + 16 },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DibColorCount(c.d.Dib()), c.nColors) << c.what;
        EXPECT_EQ(DibPixelOffset(c.d.Dib()), c.dwOffset) << c.what;
        EXPECT_EQ(DibPixelBits(c.d.Dib()), At(c.d, c.dwOffset)) << c.what;
        EXPECT_TRUE(DibFits(c.d.Dib(), c.d.Size())) << c.what;
    }
}

TEST(DibCalc, BitFieldMasksFollowAFortyByteHeader)
{
    DibBytes d = InfoDib(40, 4, 2, 32, 0, 0, 3);
    d.Grow(40 + 12 + 16 * 2);
    EXPECT_EQ(DibColorCount(d.Dib()), 0);
    EXPECT_EQ(DibPixelOffset(d.Dib()), 52u);
    EXPECT_TRUE(DibFits(d.Dib(), d.Size()));
    EXPECT_FALSE(DibFits(d.Dib(), d.Size() - 1));

    /* With colours used, the table comes after the masks, and the palette
     * is read from there, not from the masks. */
    DibBytes t = InfoDib(40, 4, 2, 16, 2, 0, 3);
    t.Put32(40, 0xF800);
    t.Put32(44, 0x07E0);
    t.Put32(48, 0x001F);
    t.Put32(52, 0x00102030);
    t.Put32(56, 0x00405060);
    t.Grow(60 + 8 * 2);
    EXPECT_EQ(DibPixelOffset(t.Dib()), 60u);
    EXPECT_TRUE(DibFits(t.Dib(), t.Size()));
    unsigned char rec[16];
    ASSERT_EQ(DibPaletteRecord(t.Dib(), rec, sizeof(rec)), 2u);
    const unsigned char want[16] = { 0x00, 0x03, 2, 0, 0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0 };
    EXPECT_EQ(memcmp(rec, want, 12), 0);

    /* A V4 header carries its masks inside. */
    DibBytes v4 = InfoDib(108, 4, 2, 16, 0, 0, 3);
    EXPECT_EQ(DibPixelOffset(v4.Dib()), 108u);
}

TEST(DibCalc, ColourCountTakesTheLowSixteenBitsOfColoursUsed)
{
    DibBytes d = InfoDib(40, 5, 3, 8, 0x10010, 0);
    EXPECT_EQ(DibColorCount(d.Dib()), 0x10);
    /* The table really is 0x10010 entries long: far beyond this block. */
    EXPECT_FALSE(DibFits(d.Dib(), d.Size()));
    DibBytes huge = InfoDib(40, 5, 3, 8, 0xFFFFFFFF, 0);
    EXPECT_EQ(DibPixelOffset(huge.Dib()), 0xFFFFFFFFu);
    EXPECT_FALSE(DibFits(huge.Dib(), huge.Size()));
}

TEST(DibCalc, FitsRefusesWhatWouldBeReadOutsideTheBlock)
{
    DibBytes d = InfoDib(40, 190, 130, 8, 236, 236);
    EXPECT_EQ(d.Size(), 984u + 192u * 130u);     /* rows padded to 4 bytes */
    EXPECT_TRUE(DibFits(d.Dib(), d.Size()));
    EXPECT_FALSE(DibFits(d.Dib(), d.Size() - 1));
    EXPECT_FALSE(DibFits(d.Dib(), 983));
    EXPECT_FALSE(DibFits(d.Dib(), 39));
    EXPECT_FALSE(DibFits(d.Dib(), 3));
    EXPECT_FALSE(DibFits(NULL, 1000));

    DibBytes topDown = InfoDib(40, 33, -3, 1, 0, 2);
    EXPECT_EQ(topDown.Size(), 48u + 8u * 3u);
    EXPECT_TRUE(DibFits(topDown.Dib(), topDown.Size()));
    EXPECT_FALSE(DibFits(topDown.Dib(), topDown.Size() - 1));

    DibBytes core = CoreDib(5, 3, 4);
    EXPECT_TRUE(DibFits(core.Dib(), core.Size()));
    EXPECT_FALSE(DibFits(core.Dib(), core.Size() - 1));
    EXPECT_FALSE(DibFits(core.Dib(), 11));

    struct Bad { const char *what; DibBytes d; };
    Bad bad[] = {
        { "header of 20 bytes", InfoDib(20, 5, 3, 8, 0, 256) },
        { "header larger than the block", InfoDib(40, 0, 0, 8, 0, 0) },
        { "zero width", InfoDib(40, 0, 3, 8, 0, 256) },
        { "negative width", InfoDib(40, -5, 3, 8, 0, 256) },
        { "zero height", InfoDib(40, 5, 0, 8, 0, 256) },
        { "2 bits per pixel", InfoDib(40, 5, 3, 2, 0, 4) },
        { "0 bits per pixel", InfoDib(40, 5, 3, 0, 0, 0) },
        { "bit fields at 24 bits", InfoDib(40, 5, 3, 24, 0, 3, 3) },
        { "JPEG data", InfoDib(40, 5, 3, 24, 0, 0, 4) },
        { "RLE8 without its size", InfoDib(40, 5, 3, 8, 0, 256, 1) },
        { "RLE4 at 8 bits", InfoDib(40, 5, 3, 8, 0, 256, 2) },
        { "RLE8 top-down", InfoDib(40, 5, -3, 8, 0, 256, 1) },
        { "core 16-bit", CoreDib(5, 3, 16) },
    };
    bad[1].d.buf.resize(1 + 30);
    for (const Bad &b : bad)
        EXPECT_FALSE(DibFits(b.d.Dib(), b.d.Size())) << b.what;
}

TEST(DibCalc, RunLengthDataMustLieWithinItsStatedSize)
{
    DibBytes d = InfoDib(40, 5, 3, 8, 0, 256, 1);
    d.Put32(20, 10);
    d.Grow(1064 + 10);
    EXPECT_TRUE(DibFits(d.Dib(), 1064 + 10));
    EXPECT_FALSE(DibFits(d.Dib(), 1064 + 9));
}

TEST(DibCalc, PaletteRecordSwapsToRedGreenBlue)
{
    DibBytes d = InfoDib(40, 2, 2, 8, 236, 236);
    std::vector<unsigned char> rec(8 + 4 * 236 + 4, 0xA5);
    ASSERT_EQ(DibPaletteRecord(d.Dib(), rec.data(), 8 + 4 * 236), 236u);
    EXPECT_EQ(rec[0] | rec[1] << 8, 0x300);
    EXPECT_EQ(rec[2] | rec[3] << 8, 236);
    for (unsigned i = 0; i < 236; i++) {
        const unsigned char *e = &rec[4 + 4 * i];
        ASSERT_EQ(e[0], (3 * i) & 0xFF) << "red of " << i;
        ASSERT_EQ(e[1], (2 * i) & 0xFF) << "green of " << i;
        ASSERT_EQ(e[2], i & 0xFF) << "blue of " << i;
        ASSERT_EQ(e[3], 0) << "flags of " << i;
    }
    /* Nothing past the record is written. */
    for (size_t i = 8 + 4 * 236; i < rec.size(); i++)
        EXPECT_EQ(rec[i], 0xA5) << i;
}

TEST(DibCalc, NoPaletteRecordWithoutAFortyByteHeaderOrTable)
{
    unsigned char rec[8 + 4 * 256];
    struct Case { const char *what; DibBytes d; };
    Case cases[] = {
        { "core 4-bit", CoreDib(5, 3, 4) },
        { "108-byte header", InfoDib(108, 5, 3, 8, 0, 256) },
        { "124-byte header", InfoDib(124, 5, 3, 8, 0, 256) },
        { "24-bit, no colours used", InfoDib(40, 5, 3, 24, 0, 0) },
    };
    for (const Case &c : cases) {
        memset(rec, 0xA5, sizeof(rec));
        EXPECT_EQ(DibPaletteRecord(c.d.Dib(), rec, sizeof(rec)), 0u) << c.what;
        EXPECT_EQ(rec[0], 0xA5) << c.what;
    }

    DibBytes full = InfoDib(40, 5, 3, 8, 0, 256);
    memset(rec, 0xA5, sizeof(rec));
    EXPECT_EQ(DibPaletteRecord(full.Dib(), rec, sizeof(rec) - 1), 0u);
    EXPECT_EQ(rec[0], 0xA5);
    EXPECT_EQ(DibPaletteRecord(full.Dib(), rec, sizeof(rec)), 256u);

    DibBytes some = InfoDib(40, 5, 3, 24, 16, 16);
    EXPECT_EQ(DibPaletteRecord(some.Dib(), rec, sizeof(rec)), 16u);
    EXPECT_EQ(rec[4 + 4 * 15], 45);
}
