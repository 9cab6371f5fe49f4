/*
 * SetupinfWin32Test.cpp - the reader's Windows layer under Wine: reading
 * the script, the program's folder and folder listings.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "Setupinf.h"
#include "SetupinfOs.h"
#include "SetupinfView.h"
#include "SetupDriver.h"
#include "resource.h"

/* A scratch folder beside the test program, so wildcard lines, which list
 * folders relative to the program, can reach it. */
class Win32Reader : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int nSerial;
        rel = "wt" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++nSerial) + "\\";
        dir = TestProgramFolder() + rel;
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), NULL)) << dir;
        SetupCheckReset();
    }
    void TearDown() override
    {
        OsSetProgramFolder(NULL);
        RemoveTree(dir);
    }
    void Write(const std::string &relPath, const std::string &bytes)
    {
        std::string path = dir + relPath;
        size_t cut = path.rfind('\\');
        CreateDirectoryA(path.substr(0, cut).c_str(), NULL);
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
        DWORD cb = 0;
        ASSERT_TRUE(WriteFile(h, bytes.data(), (DWORD)bytes.size(), &cb, NULL));
        CloseHandle(h);
        ASSERT_EQ(cb, bytes.size());
    }
    std::string rel, dir;
};

TEST_F(Win32Reader, ProgramFolderIsTheModuleFolderUnlessSet)
{
    char sz[MAXLINE];
    memset(sz, 0xA5, sizeof(sz));
    ASSERT_TRUE(OsGetProgramFolder(NULL, sz, sizeof(sz)));
    EXPECT_EQ(std::string(sz), TestProgramFolder());
    EXPECT_FALSE(OsGetProgramFolder(NULL, sz, 4));
    EXPECT_EQ(strlen(sz), 3u);
    OsSetProgramFolder(dir.c_str());
    ASSERT_TRUE(OsGetProgramFolder(NULL, sz, sizeof(sz)));
    EXPECT_EQ(std::string(sz), dir);
}

TEST_F(Win32Reader, ReadFileReadsUpToTheLimitInOneCall)
{
    Write("a.bin", std::string("ab\0cd\r\n", 7));
    char buf[16];
    memset(buf, 0xA5, sizeof(buf));
    UINT cb = 99;
    ASSERT_TRUE(OsReadFile((dir + "a.bin").c_str(), buf, 5, &cb));
    EXPECT_EQ(cb, 5u);
    EXPECT_EQ(std::string(buf, 5), std::string("ab\0cd", 5));
    EXPECT_EQ((unsigned char)buf[5], 0xA5);
    EXPECT_FALSE(OsReadFile((dir + "none.bin").c_str(), buf, 5, &cb));
    EXPECT_EQ(cb, 0u);
}

TEST_F(Win32Reader, ListingGivesFilesAndFoldersWithTheDirectoryBit)
{
    Write("f1.txt", "1");
    Write("sub\\inner.txt", "2");
    OSFIND find;
    memset(&find, 0, sizeof(find));
    std::vector<std::string> files, dirs;
    ASSERT_TRUE(OsFindFirst((dir + "*.*").c_str(), &find));
    do
        (find.dwAttributes & FILE_ATTRIBUTE_DIRECTORY ? dirs : files).push_back(find.szName);
    while (OsFindNext(&find));
    OsFindClose(&find);
    std::sort(dirs.begin(), dirs.end());
    EXPECT_EQ(files, std::vector<std::string>{ "f1.txt" });
    EXPECT_EQ(dirs, (std::vector<std::string>{ ".", "..", "sub" }));
    EXPECT_FALSE(OsFindFirst((dir + "nosuch\\*.*").c_str(), &find));
}

TEST_F(Win32Reader, LoadReadsAGbkScriptAndListsFoldersBesideTheProgram)
{
    Write("disk1\\b.dat", "b");
    Write("disk1\\a.txt", "a");
    Write("disk1\\sub\\c.txt", "c");
    /* "演示" in code page 936. */
    Write("SETUP.INF", "[App]\r\nAppName=\xd1\xdd\xca\xbe\r\n[SrcDirs]\r\n1=" + rel + "disk1\r\n"
                       "[Files]\r\n*1-2,\r\n[End]\r\n");
    CSetupInf inf;
    ASSERT_EQ(inf.Load((dir + "SETUP.INF").c_str(), NULL), 0u);
    char szName[MAXTEXT];
    inf.GetAppName(szName);
    EXPECT_STREQ(szName, "\xd1\xdd\xca\xbe");
    ASSERT_EQ(inf.GetNumFiles(), 2u);
    std::vector<std::string> names;
    for (UINT i = 0; i < 2; i++) {
        char szDisp[MAXTEXT], szSrcDir[MAXTEXT], szSrc[MAXTEXT], szDstDir[MAXTEXT], szDst[MAXTEXT];
        inf.GetFile(i, szDisp, szSrcDir, szSrc, szDstDir, szDst);
        EXPECT_STREQ(szDisp, szSrc);
        EXPECT_STREQ(szDst, szSrc);
        names.push_back(szSrc);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{ "a.txt", "b.dat" }));
    EXPECT_EQ(SetupCheckCount(), 0u);
}

TEST_F(Win32Reader, ResultCodesAndLongPaths)
{
    CSetupInf missing;
    EXPECT_EQ(missing.Load((dir + "SETUP.INF").c_str(), NULL), 2u);

    /* A script path well over 128 characters still opens. */
    std::string deep = std::string(60, 'd') + "\\" + std::string(60, 'e') + "\\";
    CreateDirectoryA((dir + std::string(60, 'd')).c_str(), NULL);
    Write(deep + "SETUP.INF", "[App]\r\nAppName=Deep\r\n[End]\r\n");
    ASSERT_GT((dir + deep).size(), 128u);
    CSetupInf inf;
    EXPECT_EQ(inf.Load((dir + deep + "SETUP.INF").c_str(), NULL), 0u);

    CSetupInf bad;
    Write("BAD.INF", "[App]\r\n[Bogus]\r\n[End]\r\n");
    EXPECT_EQ(bad.Load((dir + "BAD.INF").c_str(), NULL), 3u);
}

TEST_F(Win32Reader, WildcardFolderEndingInATrailByteLikeABackslash)
{
    /* 0x81 0x5C is one code page 936 character. */
    Write("w\x81\x5C\\f.txt", "f");
    Write("SETUP.INF", "[SrcDirs]\r\n1=" + rel + "w\x81\x5C\r\n[Files]\r\n*1-1,\r\n[End]\r\n");
    CSetupInf inf;
    ASSERT_EQ(inf.Load((dir + "SETUP.INF").c_str(), NULL), 0u);
    ASSERT_EQ(inf.GetNumFiles(), 1u);
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
}

TEST_F(Win32Reader, WildcardTakesHiddenSystemAndReadOnlyFilesLikeAnyOther)
{
    const DWORD adwAttrs[] = { FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_READONLY };
    for (int i = 0; i < 3; i++) {
        Write("w\\" + std::to_string(i), "x");
        ASSERT_TRUE(SetFileAttributesA((dir + "w\\" + std::to_string(i)).c_str(), adwAttrs[i]));
    }
    Write("SETUP.INF", "[SrcDirs]\r\n1=" + rel + "w\r\n[Files]\r\n*1-1,\r\n[End]\r\n");
    CSetupInf inf;
    ASSERT_EQ(inf.Load((dir + "SETUP.INF").c_str(), NULL), 0u);
    EXPECT_EQ(inf.GetNumFiles(), 3u);
    for (int i = 0; i < 3; i++)
        SetFileAttributesA((dir + "w\\" + std::to_string(i)).c_str(), FILE_ATTRIBUTE_NORMAL);
}
