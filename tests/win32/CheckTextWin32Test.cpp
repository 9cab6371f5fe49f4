/*
 * CheckTextWin32Test.cpp - a dialog's consistency check reports the fixed
 * text and file that a publisher's debugger shows.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <new>
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
    char szScript[] = "[App]\r\nDefDir=NODRIVE\\\r\n[End]\r\n";
    ASSERT_TRUE(theSetupInf.Parse(szScript, NULL));
    SetupCheckReset();
    DestroyWindow(CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_DESTDIR), NULL, DestDirDlgProc, 0));
    FreeLibrary(hInst);
    hInst = NULL;
    ASSERT_GE(SetupCheckCount(), 1u);
    EXPECT_STREQ(SetupCheckGet(0)->szExpr, "szPath[1]==':'");
    EXPECT_STREQ(SetupCheckGet(0)->szFile, "DestDirDlg.cpp");
}
