/*
 * MeterFiguresTest.cpp - the meter's percentage text and bar width.
 */
#include <gtest/gtest.h>
#include <limits.h>
#include <string.h>
#include <string>
#include "meterfig.h"

struct Shown { std::string text; int cxBar; };

static Shown Figures(UINT uPos, UINT uRange, int cx)
{
    char sz[METER_TEXTMAX];
    memset(sz, 0xA5, sizeof(sz));
    int cxBar = MeterFigures(uPos, uRange, cx, sz, sizeof(sz));
    return { std::string(sz, strnlen(sz, sizeof(sz))), cxBar };
}

TEST(MeterFigures, ClampsRangeAndPosition)
{
    struct Case { UINT uPos, uRange; int cx; const char *text; int cxBar; };
    const Case cases[] = {
        { 0, 0, 300, "0%", 0 },         /* range 0 paints as 1 */
        { 5, 0, 300, "100%", 300 },     /* and the position is clamped to it */
        { 1, 3, 300, "33%", 100 },
        { 1, 3, 299, "33%", 99 },       /* 99.67 truncated */
        { 2, 3, 299, "66%", 199 },      /* 66.67 and 199.33 truncated */
        { 7, 4, 300, "100%", 300 },
        { 4, 4, 300, "100%", 300 },
        { 3, 4, 301, "75%", 225 },
        { 6666, 6667, 300, "99%", 299 },
        { 1, 65535, 300, "0%", 0 },
        { 65535, 65535, 300, "100%", 300 },
        { 0, 65535, 300, "0%", 0 },
        { 1, 2, 1, "50%", 0 },
        { 1, 2, 0, "50%", 0 },
    };
    for (const Case &c : cases) {
        Shown s = Figures(c.uPos, c.uRange, c.cx);
        EXPECT_EQ(s.text, c.text) << c.uPos << "/" << c.uRange;
        EXPECT_EQ(s.cxBar, c.cxBar) << c.uPos << "/" << c.uRange << " over " << c.cx;
    }
}

TEST(MeterFigures, WideControlsDoNotOverflow)
{
    EXPECT_EQ(Figures(1, 65535, INT_MAX).cxBar, 32768);
    EXPECT_EQ(Figures(65534, 65535, INT_MAX).cxBar, 2147450878);
    EXPECT_EQ(Figures(65535, 65535, INT_MAX).cxBar, INT_MAX);
    EXPECT_EQ(Figures(1, 2, -40).cxBar, 0);
}

TEST(MeterFigures, TextIsCutToItsBuffer)
{
    char sz[4];
    memset(sz, 0xA5, sizeof(sz));
    EXPECT_EQ(MeterFigures(1, 1, 10, sz, 3), 10);
    EXPECT_STREQ(sz, "10");
    EXPECT_EQ((unsigned char)sz[3], 0xA5);
    memset(sz, 0xA5, sizeof(sz));
    MeterFigures(1, 1, 10, sz, 0);
    EXPECT_EQ((unsigned char)sz[0], 0xA5);
}

TEST(MeterFigures, LooksSameOnlyWhenBarAndTextAgree)
{
    EXPECT_TRUE(MeterLooksSame(5, 1000, 6, 1000, 300));     /* 1 px, "0%" both */
    EXPECT_FALSE(MeterLooksSame(9, 1000, 10, 1000, 300));   /* "0%" -> "1%" */
    EXPECT_FALSE(MeterLooksSame(3, 1000, 4, 1000, 1000));   /* 3 px -> 4 px */
    EXPECT_TRUE(MeterLooksSame(1, 2, 2, 4, 300));           /* a new range, the same picture */
    EXPECT_FALSE(MeterLooksSame(5, 0, 0, 10, 300));         /* "100%" -> "0%" */
    EXPECT_FALSE(MeterLooksSame(9, 1000, 10, 1000, 10));    /* 0 px both, "0%" -> "1%" */
}
