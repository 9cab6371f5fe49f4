/*
 * SafetyTest.cpp - SETUP.EXE where it meets what it did not make: DLLs
 * planted beside it, and a system of another code page. The second suite
 * runs only in the test "win32.other_code_page", which starts this program
 * under an English locale (code page 1252); there the driver's ANSI texts
 * mean nothing, so everything is read as UTF-16, as the user reads it.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "Launcher.h"
#include "SetupDriver.h"
#include "SetupGlobals.h"
#include "resource.h"

TEST(PlantedDll, NoneIsLoadedBesideSetupExeThroughAWholeInstallation)
{
    static int nSerial;
    std::string tag = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++nSerial);
    std::string dest = "D:\\planted" + tag + "\\", group = "Planted" + tag;
    SetupRun run;
    run.WriteScript("[App]\r\nAppName=Planted\r\nDefDir=" + dest + "\r\nDefPMGroup=," + group +
                    "\r\nInstallToHD=Y\r\n[SrcDirs]\r\n1=\r\n[DstDirs]\r\n1=\r\n[Files]\r\nA,1:A.TXT,1:A.TXT,\r\n"
                    "[PM Info]\r\nxDxA.TXT,A\r\n[End]\r\n");
    run.WriteFile("A.TXT", "a");
    ASSERT_TRUE(PlantDlls(run.Dir()));
    /* The control: an unguarded program there loads them. */
    ASSERT_EQ(LoadedByDefaultSearch(run.Dir()), std::vector<std::string>({ "cabinet.dll", "comctl32.dll" }));
    ASSERT_TRUE(run.Start());
    ASSERT_NE(run.AcceptWelcome("Planted"), (HWND)NULL);
    ASSERT_NE(run.ConfirmDestination(), (HWND)NULL);
    DWORD dwExit = 1;
    EXPECT_EQ(run.FinalMessage(30000, &dwExit), Gbk(L"软件安装成功!"));
    EXPECT_EQ(dwExit, (DWORD)SETUP_EXIT_OK);
    EXPECT_EQ(ReadWholeFile(dest + "A.TXT"), "a");
    EXPECT_EQ(TakeMarks(run.Dir()), std::vector<std::string>());
    CloseGroupWindows(group);
    RemoveTree(ProgramsFolder() + group + "\\");
    RemoveTree(dest);
}

/* ---- a system of another code page ---- */

/* Code page 936 bytes of a text, whatever the test program's page. */
static std::string Cp936(const wchar_t *lpwsz)
{
    char sz[512];
    int cb = WideCharToMultiByte(936, 0, lpwsz, -1, sz, sizeof(sz), NULL, NULL);
    return std::string(sz, cb > 0 ? cb - 1 : 0);
}

class OtherCodePage : public ::testing::Test {
protected:
    void SetUp() override
    {
        char sz[16];
        if (!GetEnvironmentVariableA("OTHER_CODEPAGE", sz, sizeof(sz)))
            GTEST_SKIP() << "run by the test win32.other_code_page, under an English locale";
        ASSERT_EQ(GetACP(), 1252u) << "the English locale did not take: is en_US.UTF-8 generated?";
        static int nSerial;
        tag = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++nSerial);
        dest = "D:\\cp" + tag + "\\";
    }
    void TearDown() override { RemoveTree(dest); }

    /* A script with a Chinese title and the given file line. */
    void WriteScript(const std::string &filesLine)
    {
        run.WriteScript("[App]\r\nAppName=" + Cp936(L"演示") + "\r\nDefDir=" + dest + "\r\nDefPMGroup=,\r\n" +
                        "InstallToHD=Y\r\n[SrcDirs]\r\n1=\r\n[DstDirs]\r\n1=\r\n[Files]\r\n" + filesLine +
                        "\r\n[End]\r\n");
        run.WriteFile("A.TXT", "a");
    }

    SetupRun run;
    std::string tag, dest;
};

TEST_F(OtherCodePage, ChineseNamesInstallNothingAndSayWhyInBothLanguages)
{
    WriteScript(Cp936(L"说明") + ",1:A.TXT,1:" + Cp936(L"说明.TXT") + ",");
    ASSERT_TRUE(run.Start());
    HWND hwndBox = run.WaitMessageBox();
    ASSERT_NE(hwndBox, (HWND)NULL);
    std::wstring text = WindowTextW(GetDlgItem(hwndBox, 0xFFFF));
    EXPECT_EQ(text.substr(0, 8), L"说明.TXT:\n");
    EXPECT_NE(text.find(L"乱码"), std::wstring::npos);
    EXPECT_NE(text.find(L"Change system locale"), std::wstring::npos);
    EXPECT_EQ(WindowTextW(hwndBox), L"演示");
    EXPECT_EQ(run.Windows().size(), 1u) << "nothing but the message";
    PressButton(hwndBox, IDOK);
    EXPECT_EQ(run.WaitExit(), (DWORD)SETUP_EXIT_FAILED);
    EXPECT_EQ(GetFileAttributesA(dest.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing is written";
}

TEST_F(OtherCodePage, AsciiNamesInstallAndEveryTextReadsRight)
{
    WriteScript(Cp936(L"说明") + ",1:A.TXT,1:B.TXT,");
    ASSERT_TRUE(run.Start());
    /* Found as soon as it exists, its caption set as it opens. */
    HWND hWelcome = run.WaitDialogWith(IDC_PICTURE);
    ASSERT_NE(hWelcome, (HWND)NULL);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(hWelcome) && WindowTextW(hWelcome) == L"演示"; }))
        << "the caption reads " << WindowText(hWelcome);
    PressButton(hWelcome, IDOK);
    HWND hDest = run.WaitDialogWith(IDC_PATH);
    ASSERT_NE(hDest, (HWND)NULL);
    EXPECT_EQ(WindowTextW(hDest), L"请选择安装路径");
    PressButton(hDest, IDOK);
    HWND hwndBox = run.WaitMessageBox(20000);
    ASSERT_NE(hwndBox, (HWND)NULL);
    EXPECT_EQ(WindowTextW(GetDlgItem(hwndBox, 0xFFFF)), L"软件安装成功!");
    EXPECT_EQ(WindowTextW(hwndBox), L"演示");
    PressButton(hwndBox, IDOK);
    EXPECT_EQ(run.WaitExit(), (DWORD)SETUP_EXIT_OK);
    EXPECT_EQ(ReadWholeFile(dest + "B.TXT"), "a");
}

/* The launcher's messages too: a launcher without its payload is a cut
 * download. */
TEST_F(OtherCodePage, TheLaunchersMessageReadsRight)
{
    std::string exe = run.Dir() + "cut.exe";
    ASSERT_TRUE(CopyFileA((TestProgramFolder() + "LAUNCHER.EXE").c_str(), exe.c_str(), FALSE));
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    ASSERT_TRUE(CreateProcessA(exe.c_str(), NULL, NULL, NULL, FALSE, 0, NULL, run.Dir().c_str(), &si, &pi));
    SetupRun launcher;
    ASSERT_TRUE(launcher.Attach(pi.dwProcessId));
    HWND hwndBox = launcher.WaitMessageBox();
    ASSERT_NE(hwndBox, (HWND)NULL);
    EXPECT_EQ(WindowTextW(GetDlgItem(hwndBox, 0xFFFF)), L"安装程序文件不完整 (也许没有下载完), 请重新下载.");
    EXPECT_EQ(WindowTextW(hwndBox), L"安装程序");
    PressButton(hwndBox, IDOK);
    DWORD dwExit = EXIT_TIMED_OUT;
    if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &dwExit);
    EXPECT_EQ(dwExit, (DWORD)LAUNCH_EXIT_DAMAGED);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}
