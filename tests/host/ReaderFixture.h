/*
 * ReaderFixture.h - a temporary distribution folder for reader tests: the
 * script is written there and the folder stands for the program's folder.
 */
#ifndef READERFIXTURE_H
#define READERFIXTURE_H

#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "Setupinf.h"
#include "SetupinfView.h"

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /* Writes text as the folder's SETUP.INF and loads it into inf. */
    UINT Load(const std::string &text);
    /* Creates a file (and its folders) below the distribution folder. */
    void MakeFile(const std::string &relPath, const std::string &content = "x");
    void MakeDir(const std::string &relPath);
    std::string Path(const std::string &relPath) const { return dir + "/" + relPath; }

    /* The expressions of the checks that fired, in order. */
    static std::vector<std::string> Checks();

    /* Text fields of file i and directory i, for short assertions. */
    std::string FileText(UINT i) const;
    std::string DstDirText(UINT i) const;
    std::string ItemText(UINT i) const;

    std::string dir;
    CSetupInf inf;
    CSetupInfView view{inf};
};

#endif
