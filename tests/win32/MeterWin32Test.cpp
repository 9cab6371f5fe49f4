/*
 * MeterWin32Test.cpp - a real RQ_METER window under Wine, driven with its
 * messages and read back pixel by pixel.
 *
 * The expected picture is drawn independently: the percentage text once,
 * blue on white, centred as the control centres it; then every pixel left
 * of the bar edge has its colours exchanged (white <-> blue, which maps red
 * and green c to 255 - c and keeps blue at 255, smoothed glyph edges
 * included). A wrong colour, an off-by-one bar, a wrong text or two halves
 * that do not line up all show as differing pixels.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "SetupCheck.h"
#include "meter.h"
#include "Screenshot.h"

#define WHITE 0xFFFFFFu
#define BLUE  0x0000FFu

static Pixels Expected(const char *lpszText, int cx, int cy, int cxBar)
{
    Canvas canvas(cx, cy);
    RECT rc = { 0, 0, cx, cy };
    FillRect(canvas.hdc, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
    SetTextColor(canvas.hdc, RGB(0, 0, 255));
    SetBkMode(canvas.hdc, TRANSPARENT);
    SetTextAlign(canvas.hdc, TA_CENTER);
    SIZE s;
    GetTextExtentPointA(canvas.hdc, "X", 1, &s);
    TextOutA(canvas.hdc, cx / 2, (cy - s.cy) / 2, lpszText, lstrlenA(lpszText));
    Pixels p = canvas.Read();
    for (int y = 0; y < cy; y++)
        for (int x = 0; x < cxBar; x++) {
            DWORD &d = p.px[(size_t)y * cx + x];
            d = ((255 - (d >> 16 & 0xFF)) << 16) | ((255 - (d >> 8 & 0xFF)) << 8) | (d & 0xFF);
        }
    return p;
}

static int Channel(DWORD d, int shift)
{
    return (int)(d >> shift & 0xFF);
}

class Meter : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(RegisterMeterClass(GetModuleHandleA(NULL)), 1);
    }
    static void TearDownTestSuite()
    {
        UnregisterMeterClass(GetModuleHandleA(NULL));
    }
    void SetUp() override
    {
        hwndParent = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 340, 70,
                                     NULL, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(hwndParent != NULL);
        hwnd = CreateWindowA(METER_CLASS, "", WS_CHILD | WS_VISIBLE, 20, 20, W, H, hwndParent, (HMENU)100,
                             GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(hwnd != NULL);
        UpdateWindow(hwndParent);
        SetupCheckReset();
    }
    void TearDown() override
    {
        DestroyWindow(hwndParent);
    }
    /* Sets the meter and compares it with the expected picture. */
    void Show(WPARAM wPos, WPARAM wRange, const char *lpszText, int cxBar, const char *lpszShot = NULL)
    {
        EXPECT_EQ(SendMessageA(hwnd, MM_SETRANGE, wRange, 0), 0);
        EXPECT_EQ(SendMessageA(hwnd, MM_SETPOS, wPos, 0), 0);
        /* No message is pumped here: the set messages painted at once. */
        Pixels got = CaptureClient(hwnd);
        Pixels want = Expected(lpszText, W, H, cxBar);
        ASSERT_EQ(got.cx, W);
        ASSERT_EQ(got.cy, H);
        int nBad = 0, xBad = -1, yBad = -1;
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) {
                DWORD g = got.At(x, y), w = want.At(x, y);
                bool fOk = Channel(g, 0) == 255 && abs(Channel(g, 16) - Channel(w, 16)) <= 2 &&
                           abs(Channel(g, 8) - Channel(w, 8)) <= 2;
                if (!fOk && nBad++ == 0) {
                    xBad = x;
                    yBad = y;
                }
            }
        EXPECT_EQ(nBad, 0) << wPos << "/" << wRange << ": first at " << xBad << "," << yBad << " got "
                           << std::hex << (nBad ? got.At(xBad, yBad) : 0) << " want "
                           << (nBad ? want.At(xBad, yBad) : 0);
        EXPECT_EQ(SetupCheckCount(), 0u);
        if (lpszShot) {
            EXPECT_TRUE(SaveScreenshot(got, lpszShot, 3));
        }
        last = got;
    }
    int Count(DWORD colour, int x0, int x1) const
    {
        int n = 0;
        for (int y = 0; y < H; y++)
            for (int x = x0; x < x1; x++)
                n += last.At(x, y) == colour;
        return n;
    }
    static constexpr int W = 300, H = 30;
    HWND hwndParent = NULL, hwnd = NULL;
    Pixels last;
};

TEST_F(Meter, ClassAsRegistered)
{
    WNDCLASSA wc;
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(NULL), METER_CLASS, &wc));
    EXPECT_EQ(wc.style, (UINT)(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(wc.cbClsExtra, 0);
    EXPECT_EQ(wc.cbWndExtra, 8);
    EXPECT_EQ(wc.hbrBackground, (HBRUSH)GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(wc.hCursor, LoadCursor(NULL, IDC_ARROW));
    EXPECT_TRUE(wc.lpfnWndProc != NULL);
    /* A second registration for the same instance is refused, and reported. */
    EXPECT_EQ(RegisterMeterClass(GetModuleHandleA(NULL)), 0);
}

TEST_F(Meter, StartsAtZeroAndKeepsSixteenBitWords)
{
    EXPECT_EQ(SendMessageA(hwnd, MM_GETPOS, 0, 0), 0);
    EXPECT_EQ(SendMessageA(hwnd, MM_GETRANGE, 0, 0), 0);
    SendMessageA(hwnd, MM_SETPOS, 65537, 0);
    EXPECT_EQ(SendMessageA(hwnd, MM_GETPOS, 0, 0), 1);
    SendMessageA(hwnd, MM_SETRANGE, 0x12345678, 0);
    EXPECT_EQ(SendMessageA(hwnd, MM_GETRANGE, 0, 0), 0x5678);
    SendMessageA(hwnd, MM_SETPOS, 65535, 0);
    EXPECT_EQ(SendMessageA(hwnd, MM_GETPOS, 0, 0), 65535);      /* zero-extended */
    EXPECT_EQ(SendMessageA(hwnd, MM_GETRANGE, 0, 0), 0x5678);   /* the other word is untouched */
    EXPECT_EQ(GetWindowWord(hwnd, 0), 65535);
    EXPECT_EQ(GetWindowWord(hwnd, 4), 0x5678);
}

TEST_F(Meter, EmptyIsWhiteWithBlueText)
{
    Show(0, 0, "0%", 0, "meter_0_of_0");
    EXPECT_EQ(last.At(0, 0), WHITE);
    EXPECT_EQ(last.At(W - 1, H - 1), WHITE);
    EXPECT_GT(Count(BLUE, 0, W), 10);
}

TEST_F(Meter, PositionOverRangeZeroIsAllBlueWithWhiteText)
{
    Show(5, 0, "100%", W);
    EXPECT_EQ(last.At(0, 0), BLUE);
    EXPECT_EQ(last.At(W - 1, H - 1), BLUE);
    EXPECT_GT(Count(WHITE, 0, W), 10);
}

TEST_F(Meter, OneThirdIsABarOfAThirdAndTruncates)
{
    Show(1, 3, "33%", W / 3, "meter_1_of_3");
    EXPECT_EQ(last.At(W / 3 - 1, 0), BLUE);
    EXPECT_EQ(last.At(W / 3, 0), WHITE);
    EXPECT_EQ(last.At(W / 3 - 1, H - 1), BLUE);
    EXPECT_EQ(last.At(W / 3, H - 1), WHITE);
}

TEST_F(Meter, PositionAboveRangeIsFull)
{
    Show(7, 4, "100%", W, "meter_7_of_4");
}

TEST_F(Meter, BarEdgeInsideTheTextSplitsTheGlyphs)
{
    Show(1, 2, "50%", W / 2, "meter_1_of_2");
    /* The edge runs through the text: white glyph parts on the left,
     * blue ones on the right, both from the same drawing position. */
    EXPECT_GT(Count(WHITE, W / 2 - 20, W / 2), 5);
    EXPECT_GT(Count(BLUE, W / 2, W / 2 + 20), 5);
}

TEST_F(Meter, EveryStepRepaintsWithoutAPump)
{
    Show(0, 10, "0%", 0);
    for (int i = 1; i <= 10; i++) {
        char sz[8];
        wsprintfA(sz, "%d%%", i * 10);
        Show(i, 10, sz, W * i / 10);
    }
    Show(3, 10, "30%", 90);     /* and back down */
}

/* A set that changes nothing on screen paints nothing: a mark drawn over
 * the meter stays until the picture changes. */
TEST_F(Meter, SetsThatLookTheSameDoNotRepaint)
{
    Show(5, 1000, "0%", 1);
    HDC hdc = GetDC(hwnd);
    SetPixel(hdc, W - 1, 0, RGB(255, 0, 0));
    ReleaseDC(hwnd, hdc);
    SendMessageA(hwnd, MM_SETPOS, 6, 0);
    EXPECT_EQ(CaptureClient(hwnd).At(W - 1, 0), 0xFF0000u) << "a set that draws the same pixels repainted";
    Show(10, 1000, "1%", 3);
}

TEST_F(Meter, ResizingRepaintsTheWholeControl)
{
    Show(1, 4, "25%", 75);
    SetWindowPos(hwnd, NULL, 0, 0, 200, 40, SWP_NOMOVE | SWP_NOZORDER);
    UpdateWindow(hwnd);
    Pixels got = CaptureClient(hwnd);
    ASSERT_EQ(got.cx, 200);
    EXPECT_EQ(got.At(49, 0), BLUE);
    EXPECT_EQ(got.At(50, 0), WHITE);
    EXPECT_EQ(got.At(49, 39), BLUE);
}

TEST_F(Meter, ZeroWidthIsAFailedCheck)
{
    SetupCheckReset();
    HDC hdc = GetDC(NULL);
    EXPECT_GT(MeterTextHeight(hdc, "X", 1), 0);
    EXPECT_EQ(SetupCheckCount(), 0u);
    MeterTextHeight(hdc, "", 0);
    ReleaseDC(NULL, hdc);
    ASSERT_EQ(SetupCheckCount(), 1u);
    EXPECT_STREQ(SetupCheckGet(0)->szExpr, "s.cx!=0");
    EXPECT_STREQ(SetupCheckGet(0)->szFile, "meter.cpp");
    SetupCheckReset();
}
