/*
 * CheckTextWin32Test.cpp - a dialog's consistency check reports the fixed
 * text and file that a publisher's debugger shows.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <new>
#include <string>
#include <vector>
#include "SetupDriver.h"
#include "Setupinf.h"
#include "Setupdlg.h"
#include "Shell.h"
#include "resource.h"

TEST(CheckText, DefaultFolderWithoutADriveFailsTheDestinationCheck)
{
    hInst = LoadLibraryExA((TestProgramFolder() + "SETUP.EXE").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(hInst, (HINSTANCE)NULL);
    theSetupInf.~CSetupInf();
    new (&theSetupInf) CSetupInf();
    std::string script = "[App]\r\nAppName=T\r\nDefDir=NODRIVE\\\r\n[End]\r\n";
    std::vector<char> text(script.begin(), script.end());
    text.push_back('\0');
    ASSERT_TRUE(theSetupInf.Parse(text.data(), NULL));

    SetupCheckReset();
    HWND hDlg = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_DESTDIR), NULL, DestDirDlgProc, 0);
    EXPECT_NE(hDlg, (HWND)NULL);
    DestroyWindow(hDlg);
    FreeLibrary(hInst);
    hInst = NULL;
    ASSERT_GE(SetupCheckCount(), 1u);
    EXPECT_STREQ(SetupCheckGet(0)->szExpr, "szPath[1]==':'");
    EXPECT_STREQ(SetupCheckGet(0)->szFile, "DestDirDlg.cpp");
}
