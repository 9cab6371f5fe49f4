/*
 * StartupTest.cpp - SETUP.EXE from the user's side: start-up failures, the
 * backdrop, the welcome dialog and leaving it.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include "SetupDriver.h"
#include "resource.h"

static const char *kScript =
    "[App]\r\nAppName=\xd1\xdd\xca\xbe\xb3\xcc\xd0\xf2\r\nInstallToHD=Yes\r\n[End]\r\n";    /* 演示程序 */
static const char *kAppName = "\xd1\xdd\xca\xbe\xb3\xcc\xd0\xf2";

static std::string NotFoundText(const std::string &scriptPath)
{
    return Gbk(L"找不到文件 ") + scriptPath + Gbk(L"，请确认安装盘时是否正确");
}

/* A failed start shows one box, without owner and with the default
 * caption, after the please-wait dialog is gone; then the program ends. */
static void ExpectNotFoundBox(SetupRun &run, const std::string &scriptPath)
{
    HWND hwndBox = run.WaitMessageBox();
    ASSERT_NE(hwndBox, (HWND)NULL);
    EXPECT_EQ(BoxText(hwndBox), NotFoundText(scriptPath));
    EXPECT_EQ(WindowText(hwndBox), Gbk(L"错误"));
    EXPECT_EQ(GetWindow(hwndBox, GW_OWNER), (HWND)NULL);
    EXPECT_EQ(run.Windows().size(), 1u) << "the please-wait dialog must be gone";
    PressButton(hwndBox, IDOK);
    EXPECT_EQ(run.WaitExit(), 0u);
}

TEST(Startup, MissingScriptIsReportedWithItsFullPath)
{
    SetupRun run;
    ASSERT_TRUE(run.Start());
    ExpectNotFoundBox(run, run.Dir() + "SETUP.INF");
}

TEST(Startup, InvalidScriptGivesTheSameMessage)
{
    SetupRun run;
    run.WriteScript("[App]\r\nAppName=X\r\n[Options]\r\n[End]\r\n");
    ASSERT_TRUE(run.Start());
    ExpectNotFoundBox(run, run.Dir() + "SETUP.INF");
}

TEST(Startup, FromADriveRootTheScriptIsTheRootsSetupInf)
{
    SetupRun run("R:\\");
    ASSERT_TRUE(run.Start());
    ExpectNotFoundBox(run, "R:\\SETUP.INF");
    DeleteFileA("R:\\SETUP.EXE");
}

TEST(Startup, ALongFolderStillFindsItsScript)
{
    /* Over 90 characters: the script path is given room. */
    std::string folder = "R:\\" + std::string(60, 'a') + "\\" + std::string(40, 'b') + "\\";
    CreateDirectoryA(("R:\\" + std::string(60, 'a')).c_str(), NULL);
    CreateDirectoryA(folder.c_str(), NULL);
    ASSERT_GT(folder.size(), 90u);
    SetupRun run(folder);
    run.WriteScript(kScript);
    ASSERT_TRUE(run.Start());
    HWND hDlg = run.WaitWindow("#32770", kAppName);
    ASSERT_NE(hDlg, (HWND)NULL);
    EXPECT_EQ(run.WaitMessageBox(300), (HWND)NULL);
}

TEST(Startup, AFolderTooLongToInstallFromIsRefused)
{
    std::string folder = "R:\\" + std::string(70, 'c') + "\\" + std::string(70, 'd') + "\\";
    CreateDirectoryA(("R:\\" + std::string(70, 'c')).c_str(), NULL);
    CreateDirectoryA(folder.c_str(), NULL);
    SetupRun run(folder);
    run.WriteScript(kScript);
    ASSERT_TRUE(run.Start());
    ExpectNotFoundBox(run, folder + "SETUP.INF");
}

TEST(Startup, RunsFromAFolderHoldingOnlyItselfAndItsScript)
{
    /* The runtime is linked in: no DLL of the compiler is needed. */
    SetupRun run;
    run.WriteScript(kScript);
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((run.Dir() + "*").c_str(), &fd);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
    std::vector<std::string> names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(fd.cFileName);
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);
    EXPECT_EQ(names.size(), 2u);
    ASSERT_TRUE(run.Start());
    HWND hDlg = run.WaitWindow("#32770", kAppName);
    ASSERT_NE(hDlg, (HWND)NULL);
    PressButton(hDlg, IDCANCEL);
    EXPECT_NE(run.AnswerBox(IDYES), "(no box)");
    EXPECT_EQ(run.WaitExit(), 0u);
}

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
    RECT rc = WindowRect(hDlg);
    EXPECT_EQ(rc.left, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2);
    EXPECT_EQ(rc.top, (GetSystemMetrics(SM_CYSCREEN) - 400) / 2);
    EXPECT_EQ(rc.right - rc.left, 400);
    EXPECT_EQ(rc.bottom - rc.top, 400);
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
    EXPECT_EQ(run.WaitExit(), 0u);
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
