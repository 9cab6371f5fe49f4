/*
 * EndToEndTest.cpp - whole installations of the demo distribution, driven
 * as a user would, with Wine's own Program Manager making the groups.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include "SetupDriver.h"
#include "SetupGlobals.h"
#include "resource.h"

static std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return (char)tolower(c); });
    return s;
}

/* A file of the source tree, through Wine's Z: drive. */
static std::string SourceTreeFile(const std::string &relPath)
{
    std::string root = SETUP_SOURCE_DIR;
    std::replace(root.begin(), root.end(), '/', '\\');
    return "Z:" + root + "\\" + relPath;
}

static std::string Replace(std::string s, const std::string &from, const std::string &to)
{
    size_t at = s.find(from);
    if (at != std::string::npos)
        s.replace(at, from.size(), to);
    return s;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tag = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++nSerial);
        dest = "D:\\e2e" + tag + "\\";
        group = Gbk(L"端到端") + tag;
        CopyTree(TestProgramFolder() + "demo\\", run.Dir());
    }
    void TearDown() override
    {
        RemoveTree(ProgramsFolder() + group + "\\");
    }
    /* The demo's own script, installing to dest into group. */
    void UseDemoScript()
    {
        std::string script = ReadWholeFile(run.Dir() + "SETUP.INF");
        script = Replace(script, "DefDir=C:\\DEMO\\", "DefDir=" + dest);
        script = Replace(script, "DefPMGroup=DEMO.GRP," + Gbk(L"演示"), "DefPMGroup=DEMO.GRP," + group);
        ASSERT_NE(script.find(group), std::string::npos);
        run.WriteScript(script);
    }
    HWND StartAndInstall()
    {
        return run.Start() ? run.AcceptWelcome(Gbk(L"演示程序").c_str()) : NULL;
    }
    bool GroupExists() { return FileExists(ProgramsFolder() + group); }

    static int nSerial;
    SetupRun run;
    std::string dest, group;
};

int EndToEnd::nSerial;

TEST_F(EndToEnd, FullInstallationCopiesEverythingAndMakesTheGroup)
{
    UseDemoScript();
    ASSERT_NE(StartAndInstall(), (HWND)NULL);
    HWND hDest = run.WaitDestDialog();
    ASSERT_NE(hDest, (HWND)NULL);
    EXPECT_EQ(WindowText(GetDlgItem(hDest, IDC_PATH)), Lower(dest.substr(0, dest.size() - 1)));
    PressButton(hDest, IDOK);
    DWORD dwExit = 0;
    EXPECT_EQ(run.FinalMessage(30000, &dwExit), Gbk(L"软件安装成功!"));
    EXPECT_EQ(dwExit, 0u);

    /* The application's folder that setupdist made the demo from: demo\app
     * and the demo program; most of it is stored compressed, in a folder
     * with a wildcard line under the file's own name. */
    EXPECT_TRUE(FileExists(run.Dir() + "DEMO.EX_"));
    EXPECT_EQ(ReadWholeFile(run.Dir() + "HELP\\CN\\MANUAL.TXT").substr(0, 4), "SZDD");
    const char *const apszFiles[] = {
        "DEMO.EXE", "README.TXT", "DATA\\DATA1.DAT", "DATA\\DATA2.DAT", "HELP\\HELP.TXT", "HELP\\CN\\MANUAL.TXT",
    };
    for (const char *lpszFile : apszFiles) {
        std::string original = ReadWholeFile(lpszFile == apszFiles[0]
                                                 ? TestProgramFolder() + lpszFile
                                                 : SourceTreeFile(std::string("demo\\app\\") + lpszFile));
        ASSERT_NE(original, "(missing)") << lpszFile;
        EXPECT_TRUE(ReadWholeFile(dest + lpszFile) == original) << lpszFile;
    }

    std::vector<GROUPITEM> items = GroupItems(group);
    ASSERT_EQ(items.size(), 3u);
    std::vector<std::pair<std::string, std::string>> want = {
        { Gbk(L"说明文件"), Lower(dest) + "readme.txt" },
        { Gbk(L"演示程序"), Lower(dest) + "demo.exe" },
        { Gbk(L"重新安装"), Lower(run.Dir()) + "setup.exe" },     /* "S": the source folder */
    };
    std::sort(want.begin(), want.end());
    for (size_t i = 0; i < want.size(); i++) {
        EXPECT_EQ(items[i].name, want[i].first);
        EXPECT_EQ(Lower(items[i].target), want[i].second) << items[i].name;
    }
    RemoveTree(dest);
}

TEST_F(EndToEnd, WithoutInstallToHdOnlyTheGroupIsMadeFromTheSource)
{
    run.WriteScript("[App]\r\nAppName=" + Gbk(L"演示程序") + "\r\nDefDir=" + dest +
                    "\r\nSpaceNeeded=1\r\nDefPMGroup=," + group +
                    "\r\n[SrcDirs]\r\n0=\r\n[DstDirs]\r\n0=\r\n[Files]\r\nReadme,0:README.TXT,0:README.TXT,\r\n"
                    "[PM Info]\r\nxDxREADME.TXT,Readme\r\nxSxSETUP.EXE,Setup\r\n[End]\r\n");
    ASSERT_NE(StartAndInstall(), (HWND)NULL);
    DWORD dwExit = 0;
    EXPECT_EQ(run.FinalMessage(30000, &dwExit), Gbk(L"软件安装成功!"));
    EXPECT_EQ(dwExit, 0u);
    EXPECT_FALSE(FileExists(dest)) << "nothing is copied";
    std::vector<GROUPITEM> items = GroupItems(group);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].name, "Readme");
    EXPECT_EQ(Lower(items[0].target), Lower(run.Dir()) + "readme.txt");
    EXPECT_EQ(items[1].name, "Setup");
    EXPECT_EQ(Lower(items[1].target), Lower(run.Dir()) + "setup.exe");
}

/* Leaving ends the program at once with exit code 0: no other message
 * follows, no group is made, and what was installed stays. (Cancelling
 * during the copy itself is driven in CopyTest.) */
TEST_F(EndToEnd, LeavingAtTheWelcomeEndsQuietly)
{
    UseDemoScript();
    ASSERT_TRUE(run.Start());
    HWND hWelcome = run.WaitWindow("#32770", Gbk(L"演示程序").c_str());
    ASSERT_NE(hWelcome, (HWND)NULL);
    PressButton(hWelcome, IDCANCEL);
    EXPECT_NE(run.AnswerBox(IDYES), "(no box)");
    EXPECT_EQ(run.WaitExit(), (DWORD)SETUP_EXIT_LEFT);
    EXPECT_FALSE(GroupExists());
}

TEST_F(EndToEnd, LeavingAtTheDestinationEndsQuietly)
{
    UseDemoScript();
    ASSERT_NE(StartAndInstall(), (HWND)NULL);
    HWND hDest = run.WaitDestDialog();
    ASSERT_NE(hDest, (HWND)NULL);
    PressButton(hDest, IDCANCEL);
    EXPECT_EQ(run.AnswerBox(IDYES), Gbk(L"你是否要退出?"));
    EXPECT_EQ(run.WaitExit(), (DWORD)SETUP_EXIT_LEFT);
    EXPECT_FALSE(FileExists(dest));
    EXPECT_FALSE(GroupExists());
}

TEST_F(EndToEnd, AFailedCopyEndsAfterItsMessageAndKeepsTheFilesBefore)
{
    /* README.TXT has a line of its own, after DEMO.EXE's and before the
     * wildcard lines of the subfolders. */
    UseDemoScript();
    ASSERT_TRUE(DeleteFileA((run.Dir() + "README.TXT").c_str()) ||
                DeleteFileA((run.Dir() + "README.TX_").c_str()));
    ASSERT_NE(StartAndInstall(), (HWND)NULL);
    HWND hDest = run.WaitDestDialog();
    ASSERT_NE(hDest, (HWND)NULL);
    PressButton(hDest, IDOK);
    DWORD dwExit = 1;
    EXPECT_EQ(run.FinalMessage(30000, &dwExit), Gbk(L"拷贝 README.TXT 出错"));
    EXPECT_EQ(dwExit, (DWORD)SETUP_EXIT_FAILED) << "no message after the failure's";
    EXPECT_TRUE(FileExists(dest + "DEMO.EXE"));
    EXPECT_FALSE(FileExists(dest + "README.TXT"));
    EXPECT_FALSE(FileExists(dest + "DATA\\DATA2.DAT"));
    EXPECT_FALSE(FileExists(dest + "HELP\\CN\\MANUAL.TXT"));
    EXPECT_FALSE(GroupExists());
    RemoveTree(dest);
}
