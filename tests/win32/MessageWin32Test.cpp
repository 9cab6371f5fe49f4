/*
 * MessageWin32Test.cpp - SetupMessageBox under Wine with code page 936:
 * the box's text byte for byte, its caption, owner, buttons and result.
 *
 * A thread timer runs inside the box's own modal loop, reads the box and
 * presses a button, so each call returns by itself.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "SetupDriver.h"
#include "Shell.h"
#include "resource.h"

static std::string ModuleFolder()
{
    char szPath[MAX_PATH];
    DWORD cch = GetModuleFileNameA(NULL, szPath, sizeof(szPath));
    std::string s(szPath, cch);
    return s.substr(0, s.rfind('\\') + 1);
}

/* What the timer saw of the box. */
struct Seen {
    bool fFound;
    std::string text, caption;
    HWND hwndOwner;
    bool fYes, fNo, fOk;
};

static Seen seen;
static WORD wAnswer;

static BOOL CALLBACK FindBox(HWND hwnd, LPARAM lParam)
{
    char szClass[16];
    GetClassNameA(hwnd, szClass, sizeof(szClass));
    if (lstrcmpA(szClass, "#32770") != 0 || !IsWindowVisible(hwnd))
        return TRUE;
    *(HWND *)lParam = hwnd;
    return FALSE;
}

static void CALLBACK ReadAndAnswer(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    HWND hBox = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, (LPARAM)&hBox);
    if (!hBox)
        return;
    KillTimer(NULL, idTimer);
    char sz[2048];
    memset(sz, 0xA5, sizeof(sz));
    int cch = GetDlgItemTextA(hBox, 0xFFFF, sz, sizeof(sz));
    seen.text.assign(sz, cch > 0 ? cch : 0);
    cch = GetWindowTextA(hBox, sz, sizeof(sz));
    seen.caption.assign(sz, cch > 0 ? cch : 0);
    seen.hwndOwner = GetWindow(hBox, GW_OWNER);
    seen.fYes = GetDlgItem(hBox, IDYES) != NULL;
    seen.fNo = GetDlgItem(hBox, IDNO) != NULL;
    seen.fOk = GetDlgItem(hBox, IDOK) != NULL;
    seen.fFound = true;
    PostMessageA(hBox, WM_COMMAND, wAnswer, 0);
}

class Messages : public ::testing::Test {
protected:
    void SetUp() override
    {
        hExe = LoadLibraryExA((ModuleFolder() + "SETUP.EXE").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(hExe != NULL);
        seen = Seen();
        wAnswer = IDOK;
        SetTimer(NULL, 0, 20, ReadAndAnswer);
    }
    void TearDown() override
    {
        FreeLibrary(hExe);
    }
    HMODULE hExe = NULL;
};

/* GBK bytes of the fixed parts, from iconv -t GBK. */
#define GBK_FILENOTFOUND_1 "\xd5\xd2\xb2\xbb\xb5\xbd\xce\xc4\xbc\xfe\x20"
#define GBK_FILENOTFOUND_2 "\xa3\xac\xc7\xeb\xc8\xb7\xc8\xcf\xb0\xb2\xd7\xb0\xc5\xcc\xca\xb1\xca\xc7\xb7\xf1\xd5\xfd\xc8\xb7"
#define GBK_MKDIRFAIL_1 "\xb4\xb4\xbd\xa8\x20"
#define GBK_MKDIRFAIL_2 "\x20\xc4\xbf\xc2\xbc\xca\xa7\xb0\xdc\x2e\xc7\xeb\xd1\xa1\xd4\xf1\xc6\xe4\xcb\xfc\xb5\xc4\xc4\xbf\xc2\xbc\x2e"
#define GBK_COPYERROR_1 "\xbf\xbd\xb1\xb4\x20"
#define GBK_COPYERROR_2 "\x20\xb3\xf6\xb4\xed"
#define GBK_GAME "\xd3\xce\xcf\xb7"         /* a folder name in Chinese */
#define GBK_ERROR "\xb4\xed\xce\xf3"         /* the system's default caption */

TEST_F(Messages, FileNotFoundAtStartUp)
{
    int nResult = SetupMessageBox(hExe, NULL, STR_FILENOTFOUND, NULL, 0, "c:\\setup\\SETUP.INF");
    ASSERT_TRUE(seen.fFound);
    EXPECT_EQ(seen.text, GBK_FILENOTFOUND_1 "c:\\setup\\SETUP.INF" GBK_FILENOTFOUND_2);
    EXPECT_EQ(seen.caption, GBK_ERROR);
    EXPECT_TRUE(seen.hwndOwner == NULL);
    EXPECT_TRUE(seen.fOk);
    EXPECT_FALSE(seen.fYes);
    EXPECT_EQ(nResult, IDOK);
}

TEST_F(Messages, NoMemoryShowsNoPath)
{
    SetupMessageBox(hExe, NULL, STR_NOMEMORY, NULL, 0, "c:\\setup\\SETUP.INF");
    ASSERT_TRUE(seen.fFound);
    EXPECT_EQ(seen.text, "\xc4\xda\xb4\xe6\xbf\xd5\xbc\xe4\xb2\xbb\xd7\xe3\x2e");
}

TEST_F(Messages, DiskSpaceWithCharacterAndLongs)
{
    HWND hwndOwner = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(hwndOwner != NULL);
    int nResult = SetupMessageBox(hExe, hwndOwner, STR_DISKSPACE, "Demo", MB_ICONINFORMATION, 'd', 1000000L, 2048L);
    ASSERT_TRUE(seen.fFound);
    EXPECT_EQ(seen.text,
              "\xc7\xfd\xb6\xaf\xc6\xf7\x20\x64\x3a\xd3\xd0\xb4\xc5\xc5\xcc\xbf\xd5\xbc\xe4\x20\x31\x30\x30\x30\x30\x30"
              "\x30\x4b\x2e\xb0\xb2\xd7\xb0\xb3\xcc\xd0\xf2\xd0\xe8\xd2\xaa\xc1\xbf\x32\x30\x34\x38\x4b\x20\xb4\xc5\xc5"
              "\xcc\xbf\xd5\xbc\xe4\x2c\xc7\xeb\xd1\xa1\xd4\xf1\xc1\xed\xcd\xe2\xb5\xc4\xc7\xfd\xb6\xaf\xc6\xf7\x2e");
    EXPECT_EQ(seen.caption, "Demo");
    EXPECT_EQ(seen.hwndOwner, hwndOwner);
    EXPECT_EQ(nResult, IDOK);

    /* %ld is a signed 32-bit number. */
    SetTimer(NULL, 0, 20, ReadAndAnswer);
    SetupMessageBox(hExe, hwndOwner, STR_DISKSPACE, "Demo", MB_ICONINFORMATION, 'C', 2147483647L, -1L);
    EXPECT_NE(seen.text.find(" C:"), std::string::npos) << seen.text;
    EXPECT_NE(seen.text.find(" 2147483647K."), std::string::npos) << seen.text;
    EXPECT_NE(seen.text.find("\xc1\xbf-1K "), std::string::npos) << seen.text;
    DestroyWindow(hwndOwner);
}

TEST_F(Messages, FolderAndCopyErrorsWithChineseArguments)
{
    SetupMessageBox(hExe, NULL, STR_MKDIRFAIL, "Demo", MB_ICONINFORMATION, "d:\\" GBK_GAME "\\app");
    EXPECT_EQ(seen.text, GBK_MKDIRFAIL_1 "d:\\" GBK_GAME "\\app" GBK_MKDIRFAIL_2);
    SetTimer(NULL, 0, 20, ReadAndAnswer);
    SetupMessageBox(hExe, NULL, STR_COPYERROR, "Demo", MB_ICONINFORMATION, GBK_GAME ".exe");
    EXPECT_EQ(seen.text, GBK_COPYERROR_1 GBK_GAME ".exe" GBK_COPYERROR_2);
}

TEST_F(Messages, QuestionsReturnTheButtonPressed)
{
    wAnswer = IDNO;
    EXPECT_EQ(SetupMessageBox(hExe, NULL, STR_CONFIRMEXIT, "Demo", MB_YESNO), IDNO);
    EXPECT_TRUE(seen.fYes && seen.fNo);
    EXPECT_FALSE(seen.fOk);
    EXPECT_EQ(seen.text, "\xc4\xe3\xca\xc7\xb7\xf1\xd2\xaa\xcd\xcb\xb3\xf6\x3f");
    wAnswer = IDYES;
    SetTimer(NULL, 0, 20, ReadAndAnswer);
    EXPECT_EQ(SetupMessageBox(hExe, NULL, STR_CONFIRMABORT, "Demo", MB_YESNO | MB_ICONQUESTION), IDYES);
}

/* The message is cut at 511 characters: "找不到文件 " is six. */
TEST_F(Messages, OverLongArgumentsAreCutToTheBuffer)
{
    std::string path(600, 'a');
    SetupMessageBox(hExe, NULL, STR_FILENOTFOUND, NULL, 0, path.c_str());
    ASSERT_TRUE(seen.fFound);
    EXPECT_EQ(seen.text, GBK_FILENOTFOUND_1 + path.substr(0, 511 - 6));
}

/* The message of a script that needs code page 936: the name, then the
 * same advice in Chinese and in English. */
TEST_F(Messages, CodePageMessageNamesTheNameInTwoLanguages)
{
    SetupMessageBox(hExe, NULL, STR_CODEPAGE, "Demo", MB_ICONSTOP, GBK_GAME);
    ASSERT_TRUE(seen.fFound);
    EXPECT_EQ(seen.text.substr(0, 6), GBK_GAME ":\n");
    EXPECT_NE(seen.text.find(Gbk(L"乱码")), std::string::npos) << seen.text;
    EXPECT_NE(seen.text.find("Change system locale"), std::string::npos) << seen.text;
}
