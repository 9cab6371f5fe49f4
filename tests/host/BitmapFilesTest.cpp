/*
 * BitmapFilesTest.cpp - the committed pictures of setup/resources (drawn by
 * tools/bmpgen) keep the form the program relies on: 8-bit, 40-byte
 * header, uncompressed, bottom-up, 236 colours in one shared table, pixels
 * at byte 984 of the DIB, a seamless BACK tile and plain backgrounds.
 */
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdint.h>
#include <stdlib.h>
#include <algorithm>
#include <set>
#include <string>
#include <vector>
#include "DibCalc.h"

static std::string ResourceDir()
{
    return std::string(SETUP_SOURCE_DIR) + "/setup/resources/";
}

static uint32_t U32(const std::string &s, size_t off)
{
    const unsigned char *p = (const unsigned char *)s.data() + off;
    return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
}

static uint32_t U16(const std::string &s, size_t off)
{
    const unsigned char *p = (const unsigned char *)s.data() + off;
    return p[0] | p[1] << 8;
}

struct Picture {
    std::string file;       /* the whole .BMP file */
    std::string dib;        /* what the resource holds: the file without its 14-byte header */
    int cx, cy;
    int Index(int x, int y) const   /* y counted from the top */
    {
        int stride = (cx + 3) & ~3;
        return (unsigned char)dib[984 + (size_t)(cy - 1 - y) * stride + x];
    }
    /* Colour of a pixel as red, green, blue from the shared table. */
    int Channel(int x, int y, int c) const
    {
        return (unsigned char)dib[40 + 4 * Index(x, y) + 2 - c];
    }
};

static Picture Load(const char *lpszName, int cx, int cy)
{
    Picture pic;
    pic.cx = cx;
    pic.cy = cy;
    FILE *fp = fopen((ResourceDir() + lpszName).c_str(), "rb");
    if (!fp)
        return pic;
    char buf[4096];
    size_t cb;
    while ((cb = fread(buf, 1, sizeof(buf), fp)) > 0)
        pic.file.append(buf, cb);
    fclose(fp);
    if (pic.file.size() > 14)
        pic.dib = pic.file.substr(14);
    return pic;
}

class BitmapFiles : public ::testing::Test {
protected:
    Picture back = Load("BACK.BMP", 190, 130);
    Picture setup = Load("SETUP.BMP", 400, 300);
    Picture status = Load("STATUS.BMP", 400, 200);
};

TEST_F(BitmapFiles, HeadersAndSizes)
{
    for (const Picture *p : { &back, &setup, &status }) {
        const std::string &f = p->file, &d = p->dib;
        int stride = (p->cx + 3) & ~3;
        ASSERT_EQ(f.size(), 14u + 984u + (size_t)stride * p->cy) << p->cx << "x" << p->cy;
        EXPECT_EQ(f.substr(0, 2), "BM");
        EXPECT_EQ(U32(f, 2), f.size());
        EXPECT_EQ(U32(f, 10), 14u + 984u);
        EXPECT_EQ(U32(d, 0), 40u);
        EXPECT_EQ((int32_t)U32(d, 4), p->cx);
        EXPECT_EQ((int32_t)U32(d, 8), p->cy);        /* positive: bottom-up */
        EXPECT_EQ(U16(d, 12), 1u);
        EXPECT_EQ(U16(d, 14), 8u);
        EXPECT_EQ(U32(d, 16), 0u);                   /* uncompressed */
        EXPECT_EQ(U32(d, 20), 0u);                   /* image size */
        EXPECT_EQ(U32(d, 32), 236u);
        EXPECT_EQ(U32(d, 36), 236u);
        EXPECT_EQ(DibColorCount(d.data()), 236);
        EXPECT_EQ(DibPixelBits(d.data()), (const BYTE *)d.data() + 984);
        EXPECT_TRUE(DibFits(d.data(), (DWORD)d.size()));
    }
}

TEST_F(BitmapFiles, OneSharedTableAndEveryPixelInIt)
{
    ASSERT_EQ(back.dib.size() > 984 && setup.dib.size() > 984 && status.dib.size() > 984, true);
    std::string table = back.dib.substr(40, 944);
    EXPECT_EQ(setup.dib.substr(40, 944), table);
    EXPECT_EQ(status.dib.substr(40, 944), table);
    std::set<uint32_t> colours;
    for (int i = 0; i < 236; i++) {
        EXPECT_EQ(table[4 * i + 3], 0) << "reserved byte of entry " << i;
        colours.insert(U32(table, 4 * i));
    }
    EXPECT_EQ(colours.size(), 236u) << "entries are not all different";

    for (const Picture *p : { &back, &setup, &status }) {
        int stride = (p->cx + 3) & ~3;
        for (int y = 0; y < p->cy; y++) {
            for (int x = 0; x < p->cx; x++)
                ASSERT_LT(p->Index(x, y), 236) << x << "," << y << " of " << p->cx << "x" << p->cy;
            for (int x = p->cx; x < stride; x++)
                ASSERT_EQ(p->dib[984 + (size_t)y * stride + x], 0) << "row padding";
        }
    }
}

/* Mean colour difference between column a and b (or rows, when fRows). */
static double Step(const Picture &p, int a, int b, bool fRows)
{
    long sum = 0;
    int n = fRows ? p.cx : p.cy;
    for (int i = 0; i < n; i++)
        for (int c = 0; c < 3; c++)
            sum += fRows ? labs(p.Channel(i, a, c) - p.Channel(i, b, c))
                         : labs(p.Channel(a, i, c) - p.Channel(b, i, c));
    return (double)sum / n;
}

TEST_F(BitmapFiles, BackTilesWithoutASeam)
{
    ASSERT_EQ(back.dib.size(), 984u + 192u * 130u);
    /* Across the seam the picture changes no more than between any two
     * neighbouring columns or rows inside it. */
    double maxColStep = 0, maxRowStep = 0;
    for (int x = 0; x + 1 < back.cx; x++)
        maxColStep = std::max(maxColStep, Step(back, x, x + 1, false));
    for (int y = 0; y + 1 < back.cy; y++)
        maxRowStep = std::max(maxRowStep, Step(back, y, y + 1, true));
    EXPECT_GT(maxColStep, 0) << "a flat tile would pass anything";
    EXPECT_LE(Step(back, back.cx - 1, 0, false), maxColStep);
    EXPECT_LE(Step(back, back.cy - 1, 0, true), maxRowStep);
}

TEST_F(BitmapFiles, IllustrationsOnAPlainBackground)
{
    for (const Picture *p : { &setup, &status }) {
        ASSERT_EQ(p->dib.size(), 984u + (size_t)p->cx * p->cy);
        int bg = p->Index(0, 0);
        /* A frame of 8 pixels all round is the background alone. */
        for (int y = 0; y < p->cy; y++)
            for (int x = 0; x < p->cx; x++) {
                if (x < 8 || y < 8 || x >= p->cx - 8 || y >= p->cy - 8) {
                    ASSERT_EQ(p->Index(x, y), bg) << x << "," << y;
                }
            }
        /* And there is a picture on it. */
        std::set<int> used;
        long nOther = 0;
        for (int y = 0; y < p->cy; y++)
            for (int x = 0; x < p->cx; x++) {
                used.insert(p->Index(x, y));
                nOther += p->Index(x, y) != bg;
            }
        EXPECT_GT(nOther, (long)p->cx * p->cy / 5);
        EXPECT_GE(used.size(), 24u);
    }
    EXPECT_EQ(setup.Index(0, 0), status.Index(0, 0));
}
