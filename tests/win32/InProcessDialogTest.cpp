/*
 * InProcessDialogTest.cpp - the program's dialog code run inside the test
 * program with SETUP.EXE's templates: the welcome and progress dialogs
 * when their pictures could not be made (the bitmaps left null), and the
 * progress dialog's meter and reset around the folder step.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <new>
#include "Dib.h"
#include "SetupDriver.h"
#include "Setupinf.h"
#include "Setupdlg.h"
#include "Shell.h"
#include "meter.h"
#include "resource.h"

class InProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        hInst = LoadLibraryExA((TestProgramFolder() + "SETUP.EXE").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(hInst, (HINSTANCE)NULL);
        /* The dialogs look up the meter class under their templates' module. */
        ASSERT_TRUE(RegisterMeterClass(hInst));
        hPalette = LoadBitmapPalette(hInst, "BACK");
        hbmSetup = hbmStatus = NULL;
        lstrcpynA(szTitle, "NoPicture", sizeof(szTitle));
        dir = TestProgramFolder() + "inprocess" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(dir.c_str(), NULL);
        lstrcpynA(szDestDir, dir.c_str(), sizeof(szDestDir));
    }
    /* The database made afresh from a script, whatever other tests left. */
    void LoadScript(const std::string &script)
    {
        theSetupInf.~CSetupInf();
        new (&theSetupInf) CSetupInf();
        HANDLE h = CreateFileA((dir + "SETUP.INF").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        DWORD cb = 0;
        WriteFile(h, script.data(), (DWORD)script.size(), &cb, NULL);
        CloseHandle(h);
        ASSERT_EQ(theSetupInf.Load((dir + "SETUP.INF").c_str(), hInst), 0u);
    }
    /* The progress dialog, made and shown as the copy step does. */
    HWND ShowProgressDialog()
    {
        HWND hDlg = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_PROGRESS), NULL, ProgressDlgProc, 0);
        if (hDlg)
            ShowWindow(hDlg, SW_SHOW);
        return hDlg;
    }
    LRESULT Meter(HWND hDlg, UINT message)
    {
        return SendDlgItemMessageA(hDlg, IDC_METER, message, 0, 0);
    }
    std::string dir;
    void TearDown() override
    {
        SetCurrentDirectoryA(TestProgramFolder().c_str());    /* the folder step entered dir */
        RemoveTree(dir);
        UnregisterMeterClass(hInst);
        DeleteObject(hPalette);
        hPalette = NULL;
        FreeLibrary(hInst);
        hInst = NULL;
    }
};

/* What a person sees in the dialog while it is up, then Install. */
static DWORD WINAPI LookAndInstall(LPVOID lpResult)
{
    COLORREF *pcrCentre = (COLORREF *)lpResult;
    HWND hDlg = NULL;
    if (!WaitFor([&] { return (hDlg = FindWindowA("#32770", "NoPicture")) != NULL && IsWindowVisible(hDlg); }))
        return 1;
    Sleep(300);
    RECT rc = WindowRect(GetDlgItem(hDlg, IDC_PICTURE));
    *pcrCentre = ScreenPixel((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
    return 0;
}

TEST_F(InProcess, WelcomeDialogDrawsItsFrameAloneAndWorks)
{
    COLORREF crCentre = CLR_INVALID;
    HANDLE hThread = CreateThread(NULL, 0, LookAndInstall, &crCentre, 0, NULL);
    ASSERT_NE(hThread, (HANDLE)NULL);
    EXPECT_EQ(RunWelcomeDialog(NULL), 1);
    EXPECT_EQ(WaitForSingleObject(hThread, 10000), WAIT_OBJECT_0);
    CloseHandle(hThread);
    EXPECT_EQ(crCentre, GetSysColor(COLOR_BTNFACE)) << "nothing drawn inside the frame";
}

TEST_F(InProcess, DialogsWithoutTheirPictureControlPaintNoOtherWindow)
{
    HWND hwndOther = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 900, 10, 50, 50, NULL, NULL, NULL, NULL);
    for (DLGPROC proc : { WelcomeDlgProc, ProgressDlgProc }) {
        UpdateWindow(hwndOther);
        HWND hDlg = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_SPLASH), NULL, proc, 0);  /* no picture */
        ASSERT_NE(hDlg, (HWND)NULL);
        UpdateWindow(hDlg);
        EXPECT_FALSE(GetUpdateRect(hwndOther, NULL, FALSE));
        DestroyWindow(hDlg);
    }
    DestroyWindow(hwndOther);
}

TEST_F(InProcess, ProgressDialogRunsItsStepWithoutItsPicture)
{
    LoadScript("[App]\r\nAppName=NoPicture\r\n[End]\r\n");
    EXPECT_EQ(RunCopyStep(NULL), 1);
}

TEST_F(InProcess, NoFoldersToMakeShowTheMeterFullAtOnce)
{
    LoadScript("[App]\r\nAppName=NoPicture\r\nShowSubDirCreateStats=Yes\r\n[End]\r\n");
    HWND hDlg = ShowProgressDialog();
    ASSERT_NE(hDlg, (HWND)NULL);
    EXPECT_TRUE(CreateDestDirs(hDlg));
    EXPECT_EQ(Meter(hDlg, MM_GETPOS), 1);
    EXPECT_EQ(Meter(hDlg, MM_GETRANGE), 1);
    DestroyWindow(hDlg);
}

TEST_F(InProcess, FoldersMadeHiddenThenTheDialogShowsReset)
{
    LoadScript("[App]\r\nAppName=NoPicture\r\n[DstDirs]\r\n1=one\r\n2=two\r\n[End]\r\n");
    HWND hDlg = ShowProgressDialog();
    ASSERT_NE(hDlg, (HWND)NULL);
    EXPECT_TRUE(CreateDestDirs(hDlg));
    EXPECT_TRUE(FileExists(dir + "one") && FileExists(dir + "two"));
    /* Shown again for the files: no texts, the meter at 0 of 0. */
    EXPECT_TRUE(IsWindowVisible(hDlg));
    EXPECT_EQ(WindowText(GetDlgItem(hDlg, IDC_ACTION)), "");
    EXPECT_EQ(WindowText(GetDlgItem(hDlg, IDC_ITEM)), "");
    EXPECT_EQ(Meter(hDlg, MM_GETPOS), 0);
    EXPECT_EQ(Meter(hDlg, MM_GETRANGE), 0);
    DestroyWindow(hDlg);
}

TEST_F(InProcess, ACancelConfirmedBeforeTheFirstFileCopiesNothing)
{
    /* Confirmed while the last folder was made: the copy loop must see it
     * before its first file. */
    LoadScript("[App]\r\nAppName=NoPicture\r\n[SrcDirs]\r\n1=\r\n[DstDirs]\r\n1=out\r\n"
               "[Files]\r\nA,1:SETUP.INF,1:A.TXT,\r\n[End]\r\n");
    lstrcpynA(szSourceDir, dir.c_str(), sizeof(szSourceDir));
    CreateDirectoryA((dir + "out").c_str(), NULL);
    HWND hDlg = ShowProgressDialog();
    ASSERT_NE(hDlg, (HWND)NULL);
    EnableWindow(GetDlgItem(hDlg, IDCANCEL), FALSE);
    EXPECT_EQ(CopyFiles(hDlg), 0);
    EXPECT_FALSE(FileExists(dir + "out\\A.TXT"));
    EXPECT_EQ(Meter(hDlg, MM_GETPOS), 0);
    DestroyWindow(hDlg);
}
