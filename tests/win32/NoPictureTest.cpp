/*
 * NoPictureTest.cpp - the welcome and progress dialogs when their picture
 * could not be made: run inside the test program with the program's own
 * code and SETUP.EXE's templates, the bitmaps left null.
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

class NoPicture : public ::testing::Test {
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
    }
    void TearDown() override
    {
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

TEST_F(NoPicture, WelcomeDialogDrawsItsFrameAloneAndWorks)
{
    COLORREF crCentre = CLR_INVALID;
    HANDLE hThread = CreateThread(NULL, 0, LookAndInstall, &crCentre, 0, NULL);
    ASSERT_NE(hThread, (HANDLE)NULL);
    EXPECT_EQ(RunWelcomeDialog(NULL), 1);
    EXPECT_EQ(WaitForSingleObject(hThread, 10000), WAIT_OBJECT_0);
    CloseHandle(hThread);
    EXPECT_EQ(crCentre, GetSysColor(COLOR_BTNFACE)) << "nothing drawn inside the frame";
}

TEST_F(NoPicture, ProgressDialogRunsItsStep)
{
    /* Nothing to create or copy: the step shows its dialog and succeeds.
     * The database is made afresh, whatever other tests left in it. */
    theSetupInf.~CSetupInf();
    new (&theSetupInf) CSetupInf();
    lstrcpynA(szDestDir, (TestProgramFolder() + "nopicture\\").c_str(), sizeof(szDestDir));
    EXPECT_EQ(RunCopyStep(NULL), 1);
}
