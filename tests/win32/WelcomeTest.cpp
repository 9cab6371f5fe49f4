/*
 * WelcomeTest.cpp - SETUP.EXE from the user's side: the backdrop, the
 * welcome dialog and leaving it.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include "SetupDriver.h"
#include "SetupGlobals.h"
#include "resource.h"

static const char *kScript =
    "[App]\r\nAppName=\xd1\xdd\xca\xbe\xb3\xcc\xd0\xf2\r\nInstallToHD=Yes\r\n[End]\r\n";    /* 演示程序 */
static const char *kAppName = "\xd1\xdd\xca\xbe\xb3\xcc\xd0\xf2";

class Welcome : public ::testing::Test {
protected:
    void SetUp() override
    {
        run.WriteScript(kScript);
        ASSERT_TRUE(run.Start());
        hDlg = run.WaitWindow("#32770", kAppName);
        ASSERT_NE(hDlg, (HWND)NULL);
        hwndBackdrop = run.WaitWindow("RQ_KORVALSETUPV1", kAppName);
        ASSERT_NE(hwndBackdrop, (HWND)NULL);
        Sleep(300);    /* let the paints settle */
    }
    SetupRun run;
    HWND hDlg = NULL, hwndBackdrop = NULL;
};

TEST_F(Welcome, BackdropCoversTheScreenWithBackTiled)
{
    RECT rc = WindowRect(hwndBackdrop);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rc.bottom, GetSystemMetrics(SM_CYSCREEN));
    DibPixels back("BACK");
    ASSERT_TRUE(back.Ok());
    /* Tile corners and inner points outside the dialog. */
    const POINT aPoints[] = { { 0, 0 }, { 189, 129 }, { 190, 0 }, { 0, 130 }, { 381, 131 }, { 200, 600 },
                              { 1023, 767 }, { 950, 20 }, { 10, 700 }, { 760, 390 } };
    for (const POINT &pt : aPoints)
        EXPECT_EQ(ScreenPixel(pt.x, pt.y), back.At(pt.x % back.Width(), pt.y % back.Height()))
            << "at " << pt.x << "," << pt.y;
}

TEST_F(Welcome, DialogIsCentredWithTheAppNameAndThePicture)
{
    EXPECT_EQ(PlaceText(hDlg), CentredPlaceText(400, 400));
    EXPECT_EQ(WindowText(hDlg), kAppName);
    EXPECT_EQ(WindowText(GetDlgItem(hDlg, IDOK)), Gbk(L"安装"));
    EXPECT_EQ(WindowText(GetDlgItem(hDlg, IDCANCEL)), Gbk(L"退出"));

    HWND hwndPicture = GetDlgItem(hDlg, IDC_PICTURE);
    RECT rcClient;
    GetClientRect(hwndPicture, &rcClient);
    DibPixels setup("SETUP");
    ASSERT_TRUE(setup.Ok());
    POINT origin = { (rcClient.right - setup.Width()) / 2, (rcClient.bottom - setup.Height()) / 2 };
    ClientToScreen(hwndPicture, &origin);
    const POINT aPoints[] = { { 5, 5 }, { 200, 150 }, { 100, 250 }, { 300, 60 }, { 380, 290 } };
    for (const POINT &pt : aPoints)
        EXPECT_EQ(ScreenPixel(origin.x + pt.x, origin.y + pt.y), setup.At(pt.x, pt.y))
            << "picture at " << pt.x << "," << pt.y;
    EXPECT_TRUE(SaveScreenshot("welcome"));
}

TEST_F(Welcome, ExitAsksAndNoKeepsTheDialog)
{
    PressButton(hDlg, IDCANCEL);
    HWND hwndBox = run.WaitMessageBox();
    ASSERT_NE(hwndBox, (HWND)NULL);
    EXPECT_EQ(BoxText(hwndBox), Gbk(L"你是否要退出?"));
    EXPECT_EQ(WindowText(hwndBox), kAppName);
    EXPECT_EQ(GetWindow(hwndBox, GW_OWNER), hDlg);
    EXPECT_NE(GetDlgItem(hwndBox, IDYES), (HWND)NULL);
    EXPECT_NE(GetDlgItem(hwndBox, IDNO), (HWND)NULL);
    PressButton(hwndBox, IDNO);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(hwndBox); }));
    EXPECT_TRUE(IsWindowVisible(hDlg));

    PressButton(hDlg, IDCANCEL);
    hwndBox = run.WaitMessageBox();
    ASSERT_NE(hwndBox, (HWND)NULL);
    PressButton(hwndBox, IDYES);
    EXPECT_EQ(run.WaitExit(), (DWORD)SETUP_EXIT_LEFT);
}

TEST_F(Welcome, ExtraStartCommandsAndPaintsStartNothingNew)
{
    for (int i = 0; i < 3; i++) {
        PostMessageA(hwndBackdrop, WM_COMMAND, 0, 0);
        RedrawWindow(hwndBackdrop, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    PostMessageA(hwndBackdrop, WM_COMMAND, 5, 0);
    PostMessageA(hwndBackdrop, WM_COMMAND, 0x10000, 0);
    PostMessageA(hwndBackdrop, WM_COMMAND, 0x10001, 0);     /* not step 1: no folder dialog */
    Sleep(500);
    int nDialogs = 0;
    for (HWND hwnd : run.Windows())
        nDialogs += ClassName(hwnd) == "#32770";
    EXPECT_EQ(nDialogs, 1);
    EXPECT_TRUE(IsWindowVisible(hDlg));
    EXPECT_TRUE(run.Running());
}
