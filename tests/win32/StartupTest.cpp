/*
 * StartupTest.cpp - SETUP.EXE from the user's side: start-up failures,
 * where it finds its script, and what it needs beside it.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include "SetupDriver.h"
#include "SetupGlobals.h"
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
    EXPECT_EQ(run.WaitExit(), (DWORD)SETUP_EXIT_FAILED);
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

/* Fifteen levels of eight letters: no shorter (8.3) name fits either. */
TEST(Startup, AFolderTooLongToInstallFromIsRefused)
{
    std::string folder = "R:\\";
    for (int i = 0; i < 15; i++) {
        folder += "abcdefgh\\";
        CreateDirectoryA(folder.c_str(), NULL);
    }
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
    EXPECT_EQ(run.WaitExit(), (DWORD)SETUP_EXIT_LEFT);
}
