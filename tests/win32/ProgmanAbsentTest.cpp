/*
 * ProgmanAbsentTest.cpp - the Program Manager DDE client under Wine when
 * no Program Manager answers at all.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include "Progman.h"
#include "ProgmanPeers.h"
#include "SetupDriver.h"

static BOOL CALLBACK DestroyDdeClientWindow(HWND hwnd, LPARAM)
{
    if (ClassName(hwnd).compare(0, 13, "WineDdeClient") == 0)
        DestroyWindow(hwnd);
    return TRUE;
}

TEST(ProgmanAbsent, EveryCommandFailsAndItsNullConversationIsStillClosed)
{
    ASSERT_TRUE(WineProgmanRunning());
    ASSERT_TRUE(CountDdeCalls());
    SetWineProgmanReachable(false);
    ASSERT_EQ(ProgmanStart(), 1);
    LONG cBefore = cNullDisconnects, cFreed = cDataFreed;
    EXPECT_EQ(ProgmanCreateGroup("Tools"), 0);
    EXPECT_EQ(ProgmanShowGroup("Tools"), 0);
    EXPECT_EQ(ProgmanDeleteGroup("Tools"), 0);
    EXPECT_EQ(ProgmanReload("Tools"), 0);
    EXPECT_EQ(ProgmanAddItem("Tools", "Readme", "C:\\R.TXT"), 0);
    EXPECT_EQ(ProgmanDeleteItem("Tools", "Readme"), 0);
    EXPECT_EQ(cNullDisconnects - cBefore, 6);
    EXPECT_EQ(cDataFreed - cFreed, 6) << "the data each command made for no conversation";
    ProgmanStop();
    SetWineProgmanReachable(true);
    /* Wine leaves the client window of each failed connect behind, a
     * top-level window of this thread. Later tests wait without reading
     * messages, and every connect in the session, which asks each
     * top-level window in turn, would wait for these. */
    EnumThreadWindows(GetCurrentThreadId(), DestroyDdeClientWindow, 0);
}
