/*
 * ProgmanGroupStepTest.cpp - the program group step over a loaded script
 * under Wine: the commands it sends, to the test's own server, and their
 * effect on disk through Wine's own Program Manager.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "Progman.h"
#include "ProgmanPeers.h"
#include "Setupinf.h"
#include "SetupGlobals.h"
#include "SetupDriver.h"

/* A distribution folder, the source folder, with the destination folder
 * inside it; every item's program exists, and "xs" is a specification
 * shorter than three characters (the source folder alone). The database
 * reads one script per process, so the suite loads it once. */
class ProgmanGroupStep : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        pDist = new SetupRun();
        group = "KsPm" + std::to_string(GetCurrentProcessId());
        pDist->WriteFile("README.TXT", "r");
        pDist->WriteFile("TOOL.EXE", "t");
        pDist->WriteFile("dst\\BIN\\APP.EXE", "a");
        pDist->WriteScript("[App]\r\nAppName=PmTest\r\nDefPMGroup=Programs, " + group + "\r\n"
                           "[PM Info]\r\nxs:README.TXT,Readme\r\nxS:TOOL.EXE,Tool\r\n"
                           "xD:BIN\\APP.EXE,App\r\nxs,Short\r\n[End]\r\n");
        ASSERT_EQ(theSetupInf.Load((pDist->Dir() + "SETUP.INF").c_str(), NULL), (UINT)LOAD_OK);
        ASSERT_EQ(theSetupInf.GetNumPMItems(), 4u);
        lstrcpynA(szSourceDir, pDist->Dir().c_str(), sizeof(szSourceDir));
        lstrcpynA(szDestDir, (pDist->Dir() + "dst\\").c_str(), sizeof(szDestDir));
        /* The step's message comes from the program's string table. */
        hInst = LoadLibraryExA((TestProgramFolder() + "SETUP.EXE").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        lstrcpynA(szTitle, "PmTest", sizeof(szTitle));
    }
    static void TearDownTestSuite()
    {
        FreeLibrary(hInst);
        hInst = NULL;
        delete pDist;
        pDist = NULL;
        szSourceDir[0] = szDestDir[0] = '\0';
    }
    static SetupRun *pDist;
    static std::string group;
};

SetupRun *ProgmanGroupStep::pDist;
std::string ProgmanGroupStep::group;

/* The message boxes this program shows while the step runs, answered. */
static volatile LONG bStepDone;
static std::vector<std::string> boxTexts;

static BOOL CALLBACK AnswerOwnBox(HWND hwnd, LPARAM)
{
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hwnd, &dwPid);
    if (dwPid == GetCurrentProcessId() && IsWindowVisible(hwnd) && GetDlgItem(hwnd, 0xFFFF)) {
        boxTexts.push_back(BoxText(hwnd));
        PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !IsWindow(hwnd); });
    }
    return TRUE;
}

static DWORD WINAPI AnswerBoxesThread(LPVOID)
{
    while (!bStepDone) {
        EnumWindows(AnswerOwnBox, 0);
        Sleep(50);
    }
    return 0;
}

/* BuildProgramGroup with its boxes answered; their texts into *pTexts. */
static int BuildAnswering(std::vector<std::string> *pTexts)
{
    boxTexts.clear();
    bStepDone = FALSE;
    HANDLE hThread = CreateThread(NULL, 0, AnswerBoxesThread, NULL, 0, NULL);
    int nResult = BuildProgramGroup(NULL);
    bStepDone = TRUE;
    WaitForSingleObject(hThread, 10000);
    CloseHandle(hThread);
    *pTexts = boxTexts;
    return nResult;
}

TEST_F(ProgmanGroupStep, SendsCreateShowThenDeleteAndAddPerItemWhateverTheAnswers)
{
    ASSERT_TRUE(OwnServerOnly());
    ASSERT_EQ(ProgmanStart(), 1);
    std::string src = szSourceDir, dst = szDestDir;
    std::vector<std::string> expected = {
        Sent("[CreateGroup(" + group + ")]"), Sent("[ShowGroup(" + group + ",1)]"),
        Sent("[DeleteItem(Readme)]"), Sent("[AddItem(" + src + "README.TXT,Readme)]"),
        Sent("[DeleteItem(Tool)]"), Sent("[AddItem(" + src + "TOOL.EXE,Tool)]"),
        Sent("[DeleteItem(App)]"), Sent("[AddItem(" + dst + "BIN\\APP.EXE,App)]"),
        Sent("[DeleteItem(Short)]"), Sent("[AddItem(" + src + ",Short)]") };
    std::vector<std::string> boxes;
    EXPECT_EQ(BuildAnswering(&boxes), 1);
    EXPECT_EQ(Commands(), expected);
    EXPECT_EQ(srv.cConnects, 10);
    EXPECT_TRUE(boxes.empty()) << boxes[0];

    /* Every command refused: all are still sent, the failure is told
     * once, and the installation goes on. */
    srv.nAnswer = ANSWER_REFUSE;
    EXPECT_EQ(BuildAnswering(&boxes), 1);
    EXPECT_EQ(boxes, std::vector<std::string>{ Gbk(L"创建群组出错!") });
    EXPECT_EQ(Commands().size(), 20u);
    EXPECT_EQ(srv.cConnects, 20);
    EXPECT_TRUE(AllClosed());
    ProgmanStop();
    WineServerBack();
}

TEST_F(ProgmanGroupStep, WinesProgmanMakesTheGroupAndOneShortcutPerItem)
{
    std::string folder = ProgramsFolder() + group + "\\";
    ASSERT_TRUE(WineProgmanRunning());
    ASSERT_EQ(ProgmanStart(), 1);
    std::vector<std::string> boxes;
    EXPECT_EQ(BuildAnswering(&boxes), 1);
    EXPECT_TRUE(boxes.empty()) << boxes[0];
    /* One shortcut per item, pointing at the item's command path. */
    std::string src = szSourceDir, dst = szDestDir;
    std::vector<std::string> shortcuts;
    for (const GROUPITEM &item : GroupItems(group))
        shortcuts.push_back(item.name + " -> " + item.target);
    EXPECT_EQ(shortcuts, (std::vector<std::string>{
                             "App -> " + dst + "BIN\\APP.EXE", "Readme -> " + src + "README.TXT",
                             "Short -> " + src, "Tool -> " + src + "TOOL.EXE" }));

    /* Deleting an item that exists removes its shortcut; deleting it
     * again is refused. */
    EXPECT_EQ(ProgmanDeleteItem(group.c_str(), "Tool"), 1);
    EXPECT_FALSE(FileExists(folder + "Tool.lnk"));
    EXPECT_EQ(ProgmanDeleteItem(group.c_str(), "Tool"), 0);
    ProgmanStop();

    EXPECT_TRUE(CloseGroupWindows(group));
    RemoveTree(folder);
}
