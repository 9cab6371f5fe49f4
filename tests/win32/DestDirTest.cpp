/*
 * DestDirTest.cpp - the destination folder dialog driven as a user would;
 * the chosen folder is checked by where the copy step then writes.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include "SetupDriver.h"
#include "SetupGlobals.h"
#include "resource.h"

static const char *kApp = "DestTest";

static std::string Script(const std::string &defDir, unsigned uSpace)
{
    return "[App]\r\nAppName=DestTest\r\nDefDir=" + defDir + "\r\nSpaceNeeded=" + std::to_string(uSpace) +
           "\r\nDefPMGroup=,KsDestTest\r\nInstallToHD=Yes\r\n"
           "[SrcDirs]\r\n1=\r\n[DstDirs]\r\n1=\r\n[Files]\r\nReadme,1:README.TXT,1:README.TXT,\r\n[End]\r\n";
}

static std::string Field(HWND hDlg)
{
    return WindowText(GetDlgItem(hDlg, IDC_PATH));
}

static int IndexOf(const std::vector<std::string> &items, const std::string &text)
{
    for (size_t i = 0; i < items.size(); i++)
        if (items[i] == text)
            return (int)i;
    return -1;
}

class DestDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryA("C:\\apps", NULL);
        CreateDirectoryA("C:\\apps\\tools", NULL);
        CreateDirectoryA("C:\\apps\\other", NULL);
    }
    /* Starts the program and presses Install: the destination dialog. */
    HWND Open(const std::string &defDir = "C:\\APPS\\DEMO\\", unsigned uSpace = 2048)
    {
        run.WriteScript(Script(defDir, uSpace));
        run.WriteFile("README.TXT", "readme\r\n");
        if (!run.Start() || !run.AcceptWelcome(kApp))
            return NULL;
        return run.WaitDestDialog();
    }
    /* OK with the field's text; the box that answers, or NULL. */
    HWND OkWith(HWND hDlg, const std::string &text, DWORD dwMs = DRIVER_TIMEOUT)
    {
        TypeText(hDlg, IDC_PATH, text);
        PressButton(hDlg, IDOK);
        return run.WaitMessageBox(dwMs);
    }
    /* After a successful OK: the copy, the group, the final message. */
    void ExpectInstalledTo(const std::string &folder)
    {
        HWND hwndBox = run.WaitMessageBox(20000);
        ASSERT_NE(hwndBox, (HWND)NULL);
        EXPECT_EQ(BoxText(hwndBox), Gbk(L"软件安装成功!"));
        PressButton(hwndBox, IDOK);
        EXPECT_EQ(run.WaitExit(), 0u);
        EXPECT_NE(GetFileAttributesA((folder + "README.TXT").c_str()), INVALID_FILE_ATTRIBUTES)
            << folder;
    }
    SetupRun run;
};

TEST_F(DestDir, StartsAtTheDefaultFolderWithSpaceAndDrive)
{
    HWND hDlg = Open();
    ASSERT_NE(hDlg, (HWND)NULL);
    EXPECT_EQ(Field(hDlg), "c:\\apps\\demo");
    std::vector<std::string> items = ListItems(GetDlgItem(hDlg, IDC_DIRLIST));
    EXPECT_GE(IndexOf(items, "[tools]"), 0);
    EXPECT_GE(IndexOf(items, "[other]"), 0);
    EXPECT_GE(IndexOf(items, "[..]"), 0);
    int nDemo = IndexOf(items, "demo");
    ASSERT_GE(nDemo, 0);
    EXPECT_EQ(ListSelection(GetDlgItem(hDlg, IDC_DIRLIST)), nDemo);
    EXPECT_EQ(WindowText(GetDlgItem(hDlg, IDC_SPACENEEDED)), "2048K Bytes");

    HWND hwndDrives = GetDlgItem(hDlg, IDC_DRIVES);
    std::vector<std::string> drives = ListItems(hwndDrives);
    EXPECT_EQ(ListSelection(hwndDrives), IndexOf(drives, "[-c-]"));
    DWORD dwSpc = 0, dwBps = 0, dwFree = 0, dwTotal = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA("C:\\", &dwSpc, &dwBps, &dwFree, &dwTotal));
    unsigned long long ullK = (unsigned long long)dwFree * dwBps * dwSpc / 1024;
    std::string shown = WindowText(GetDlgItem(hDlg, IDC_FREESPACE));
    unsigned long long ullShown = strtoull(shown.c_str(), NULL, 10);
    EXPECT_EQ(shown.substr(shown.size() - 7), "K Bytes");
    EXPECT_LT(ullShown > ullK ? ullShown - ullK : ullK - ullShown, 10240u) << shown << " vs " << ullK;

    RECT rc = WindowRect(hDlg);
    EXPECT_EQ(rc.left, (GetSystemMetrics(SM_CXSCREEN) - (rc.right - rc.left)) / 2);
    EXPECT_EQ(rc.top, (GetSystemMetrics(SM_CYSCREEN) - (rc.bottom - rc.top)) / 2);
    EXPECT_TRUE(SaveScreenshot("destdir"));
}

TEST_F(DestDir, TypedFolderIsCreatedAndBecomesTheDestination)
{
    HWND hDlg = Open();
    ASSERT_NE(hDlg, (HWND)NULL);
    EXPECT_EQ(OkWith(hDlg, "D:\\Games\\", 0), (HWND)NULL);
    ExpectInstalledTo("D:\\games\\");
}

TEST_F(DestDir, DriveRootIsAccepted)
{
    HWND hDlg = Open();
    ASSERT_NE(hDlg, (HWND)NULL);
    EXPECT_EQ(OkWith(hDlg, "d:\\", 0), (HWND)NULL);
    ExpectInstalledTo("D:\\");
}

TEST_F(DestDir, BadNamesAreRefusedAndTheDialogStays)
{
    HWND hDlg = Open();
    ASSERT_NE(hDlg, (HWND)NULL);
    /* The last is too long to be read whole: it is refused, never cut. */
    /* A part ending in a blank would be made without it. */
    const std::string aBad[] = { "games", "\\games", "d", "c:\\games\\..", "c:\\games..",
                                 "c:\\" + std::string(130, 'g'), "c:\\games ", "c:\\a\\ \\b", "c:\\a\\.. " };
    for (const std::string &bad : aBad) {
        HWND hwndBox = OkWith(hDlg, bad);
        ASSERT_NE(hwndBox, (HWND)NULL) << bad;
        EXPECT_EQ(BoxText(hwndBox), Gbk(L"请选择正确的目录名.")) << bad;
        EXPECT_EQ(WindowText(hwndBox), kApp);
        PressButton(hwndBox, IDOK);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(hwndBox); }));
        EXPECT_EQ(Field(hDlg), bad);
    }
    /* An empty field: nothing at all. */
    EXPECT_EQ(OkWith(hDlg, "", 500), (HWND)NULL);
    EXPECT_TRUE(IsWindowVisible(hDlg));
}

/* Every missing level is made, from the drive's root down: the default
 * three levels below a folder that is not there. */
TEST_F(DestDir, ADefaultThreeLevelsDownIsMadeLevelByLevel)
{
    std::string tag = std::to_string(GetCurrentProcessId());
    HWND hDlg = Open("D:\\A" + tag + "\\B\\C\\");
    ASSERT_NE(hDlg, (HWND)NULL);
    EXPECT_EQ(Field(hDlg), "d:\\a" + tag + "\\b\\c");
    PressButton(hDlg, IDOK);
    ExpectInstalledTo("d:\\a" + tag + "\\b\\c\\");
    RemoveTree("D:\\A" + tag + "\\");
}

/* A typed folder too; a level that cannot be made (a file in its place)
 * is the one the message names, and the dialog stays. */
TEST_F(DestDir, ATypedFolderTwoLevelsDownIsMadeAndABlockedLevelIsNamed)
{
    std::string tag = std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(WriteWholeFile("D:\\F" + tag, ""));
    HWND hDlg = Open();
    ASSERT_NE(hDlg, (HWND)NULL);
    HWND hwndBox = OkWith(hDlg, "D:\\F" + tag + "\\App");
    ASSERT_NE(hwndBox, (HWND)NULL);
    EXPECT_EQ(BoxText(hwndBox), Gbk(L"创建 d:\\f") + tag + Gbk(L" 目录失败.请选择其它的目录."));
    PressButton(hwndBox, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(hwndBox); }));
    EXPECT_EQ(OkWith(hDlg, "d:\\x" + tag + "\\y", 0), (HWND)NULL);
    ExpectInstalledTo("d:\\x" + tag + "\\y\\");
    DeleteFileA(("D:\\F" + tag).c_str());
    RemoveTree("D:\\X" + tag + "\\");
}

TEST_F(DestDir, ADriveWithoutSpaceIsRefusedEvenForNothing)
{
    /* Q: is mapped to a folder that does not exist: 0 K free. */
    HWND hDlg = Open("Q:\\APP\\", 0);
    ASSERT_NE(hDlg, (HWND)NULL);
    EXPECT_EQ(WindowText(GetDlgItem(hDlg, IDC_FREESPACE)), "0K Bytes");
    HWND hwndBox = OkWith(hDlg, "Q:\\APP");
    ASSERT_NE(hwndBox, (HWND)NULL);
    EXPECT_EQ(BoxText(hwndBox),
              Gbk(L"驱动器 q:有磁盘空间 0K.安装程序需要量0K 磁盘空间,请选择另外的驱动器."));
}

TEST_F(DestDir, SpaceMessageFreeThenNeededAndADriveRelativeNameMadeFull)
{
    HWND hDlg = Open("Q:\\APP\\", 2048);
    ASSERT_NE(hDlg, (HWND)NULL);
    HWND hwndBox = OkWith(hDlg, "Q:\\APP");
    ASSERT_NE(hwndBox, (HWND)NULL);
    EXPECT_EQ(BoxText(hwndBox), Gbk(L"驱动器 q:有磁盘空间 0K.安装程序需要量2048K 磁盘空间,请选择另外的驱动器."));
    PressButton(hwndBox, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(hwndBox); }));
    std::string name = "rel" + std::to_string(GetCurrentProcessId());
    EXPECT_EQ(OkWith(hDlg, "d:" + name, 0), (HWND)NULL);
    ExpectInstalledTo("D:\\" + name + "\\");     /* D:'s current folder is its root */
}

TEST_F(DestDir, FolderClicksRewriteTheField)
{
    HWND hDlg = Open();
    ASSERT_NE(hDlg, (HWND)NULL);
    HWND hwndList = GetDlgItem(hDlg, IDC_DIRLIST);
    TypeText(hDlg, IDC_PATH, "c:\\typed");
    PickListItem(hDlg, IDC_DIRLIST, IndexOf(ListItems(hwndList), "[tools]"));
    ASSERT_TRUE(WaitFor([&] { return Field(hDlg) == "c:\\apps\\tools"; })) << Field(hDlg);

    PickListItem(hDlg, IDC_DIRLIST, IndexOf(ListItems(hwndList), "[tools]"), true);
    ASSERT_TRUE(WaitFor([&] { return Field(hDlg) == "c:\\apps\\tools\\.."; })) << Field(hDlg);
    /* tools is empty: only the way up is listed, the dialog goes on. */
    std::vector<std::string> inTools = ListItems(hwndList);
    EXPECT_EQ(IndexOf(inTools, "[..]"), 0);
    for (const std::string &item : inTools)
        EXPECT_TRUE(item == "[..]" || item.rfind("[-", 0) == 0) << item;
    HWND hwndBox = OkWith(hDlg, "c:\\apps\\tools\\..");
    ASSERT_NE(hwndBox, (HWND)NULL);
    EXPECT_EQ(BoxText(hwndBox), Gbk(L"请选择正确的目录名."));
    PressButton(hwndBox, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(hwndBox); }));

    /* Up from tools: c:\apps is listed and its first entry, [..], named. */
    PickListItem(hDlg, IDC_DIRLIST, IndexOf(ListItems(hwndList), "[..]"), true);
    ASSERT_TRUE(WaitFor([&] { return Field(hDlg) == "c:\\apps\\.."; })) << Field(hDlg);
    EXPECT_GE(IndexOf(ListItems(hwndList), "[tools]"), 0);

    /* Up from a folder below the root: the root's first subfolder. */
    PickListItem(hDlg, IDC_DIRLIST, IndexOf(ListItems(hwndList), "[..]"), true);
    ASSERT_TRUE(WaitFor([&] { return Field(hDlg).rfind("c:\\", 0) == 0 && Field(hDlg).size() > 3 &&
                                     Field(hDlg).find("..") == std::string::npos; })) << Field(hDlg);
    std::vector<std::string> root = ListItems(hwndList);
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(IndexOf(root, "[..]"), -1);
    std::string first = root[0].substr(1, root[0].size() - 2);
    CharLowerBuffA(&first[0], (DWORD)first.size());
    std::string field = Field(hDlg);
    CharLowerBuffA(&field[0], (DWORD)field.size());
    EXPECT_EQ(field, "c:\\" + first);
}

TEST_F(DestDir, DriveChangeGoesToTheDefaultFolderOnTheNewDrive)
{
    HWND hDlg = Open();
    ASSERT_NE(hDlg, (HWND)NULL);
    HWND hwndDrives = GetDlgItem(hDlg, IDC_DRIVES);
    TypeText(hDlg, IDC_PATH, "c:\\typed");
    PickComboItem(hDlg, IDC_DRIVES, IndexOf(ListItems(hwndDrives), "[-c-]"));
    Sleep(300);
    EXPECT_EQ(Field(hDlg), "c:\\typed");           /* the same drive: nothing */
    int nD = IndexOf(ListItems(hwndDrives), "[-d-]");
    ASSERT_GE(nD, 0);
    PickComboItem(hDlg, IDC_DRIVES, nD);
    ASSERT_TRUE(WaitFor([&] { return Field(hDlg) == "d:\\apps\\demo"; })) << Field(hDlg);
    EXPECT_GE(IndexOf(ListItems(GetDlgItem(hDlg, IDC_DIRLIST)), "demo"), 0);
}

TEST_F(DestDir, CancelAsksEscAndTheCloseBoxToo)
{
    HWND hDlg = Open();
    ASSERT_NE(hDlg, (HWND)NULL);
    PressButton(hDlg, IDCANCEL);
    HWND hwndBox = run.WaitMessageBox();
    ASSERT_NE(hwndBox, (HWND)NULL);
    EXPECT_EQ(BoxText(hwndBox), Gbk(L"你是否要退出?"));
    PressButton(hwndBox, IDNO);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(hwndBox); }));
    EXPECT_EQ(Field(hDlg), "c:\\apps\\demo");

    PostMessageA(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    hwndBox = run.WaitMessageBox();
    ASSERT_NE(hwndBox, (HWND)NULL) << "the close box";
    PressButton(hwndBox, IDNO);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(hwndBox); }));

    GUITHREADINFO gti;
    memset(&gti, 0, sizeof(gti));
    gti.cbSize = sizeof(gti);
    GetGUIThreadInfo(GetWindowThreadProcessId(hDlg, NULL), &gti);
    PostMessageA(gti.hwndFocus ? gti.hwndFocus : hDlg, WM_KEYDOWN, VK_ESCAPE, 0);
    hwndBox = run.WaitMessageBox();
    ASSERT_NE(hwndBox, (HWND)NULL) << "Esc";
    PressButton(hwndBox, IDYES);
    EXPECT_EQ(run.WaitExit(), (DWORD)SETUP_EXIT_LEFT);
    /* Nothing was chosen, so nothing was made at the default folder. */
    EXPECT_EQ(GetFileAttributesA("C:\\apps\\demo"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DestDir, DefaultAtADriveRootListsTheRootAndInstallsThere)
{
    HWND hDlg = Open("C:\\", 0);
    ASSERT_NE(hDlg, (HWND)NULL);
    EXPECT_EQ(Field(hDlg), "c:");
    std::vector<std::string> items = ListItems(GetDlgItem(hDlg, IDC_DIRLIST));
    EXPECT_GE(IndexOf(items, "[apps]"), 0);
    PressButton(hDlg, IDOK);
    ExpectInstalledTo("C:\\");
    DeleteFileA("C:\\README.TXT");
}

TEST_F(DestDir, DefaultWithoutADriveGoesOnTheProgramsDrive)
{
    /* Started from R:, so the folder the dialog makes lies on R:. */
    SetupRun fromR("R:\\nodrive\\");
    CreateDirectoryA("R:\\apps", NULL);
    fromR.WriteScript(Script("\\APPS\\NODRIVE\\", 0));
    fromR.WriteFile("README.TXT", "readme\r\n");
    ASSERT_TRUE(fromR.Start());
    ASSERT_NE(fromR.AcceptWelcome(kApp), (HWND)NULL);
    HWND hDlg = fromR.WaitDestDialog();
    ASSERT_NE(hDlg, (HWND)NULL);
    EXPECT_EQ(Field(hDlg), "r:\\apps\\nodrive");
    for (std::string drive : { "d", "r" }) {   /* on another drive too, then back */
        PickComboItem(hDlg, IDC_DRIVES, IndexOf(ListItems(GetDlgItem(hDlg, IDC_DRIVES)), "[-" + drive + "-]"));
        EXPECT_TRUE(WaitFor([&] { return Field(hDlg) == drive + ":\\apps\\nodrive"; })) << Field(hDlg);
    }
    PressButton(hDlg, IDOK);
    DWORD dwExit = 1;
    EXPECT_EQ(fromR.FinalMessage(20000, &dwExit), Gbk(L"软件安装成功!"));
    EXPECT_EQ(dwExit, 0u);
    EXPECT_TRUE(FileExists("R:\\apps\\nodrive\\README.TXT"));
}

TEST_F(DestDir, ADriveRelativeFolderMustTakeItsBackslash)
{
    HWND hDlg = Open();
    ASSERT_NE(hDlg, (HWND)NULL);
    /* D:'s current folder is its root: "d:" and 124 characters make 127. */
    std::string name = "r" + std::to_string(GetCurrentProcessId());
    HWND hwndBox = OkWith(hDlg, "d:" + name + std::string(124 - name.size(), 'x'));
    ASSERT_NE(hwndBox, (HWND)NULL);
    EXPECT_EQ(BoxText(hwndBox), Gbk(L"请选择正确的目录名."));
    PressButton(hwndBox, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(hwndBox); }));
    /* 126 is taken; its files then do not fit beside it and fail by name. */
    std::string fits = name + std::string(123 - name.size(), 'x');
    hwndBox = OkWith(hDlg, "d:" + fits, 20000);
    ASSERT_NE(hwndBox, (HWND)NULL);
    EXPECT_EQ(BoxText(hwndBox), Gbk(L"拷贝 Readme 出错"));
    EXPECT_TRUE(FileExists("D:\\" + fits));
}

TEST_F(DestDir, ADefaultFolderCutInTheScriptIsNotOffered)
{
    /* Cut before its last (double-byte) character it would name another
     * folder: its drive's root is offered instead. */
    HWND hDlg = Open("C:\\" + std::string(123, 'a') + "\xB0\xA1");
    ASSERT_NE(hDlg, (HWND)NULL);
    EXPECT_EQ(Field(hDlg), "c:");
}
