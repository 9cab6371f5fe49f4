/*
 * CopyPathTest.cpp - the copy step's folder and path joining.
 */
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include "CopyPath.h"

TEST(CopyPath, FoldersJoinDirectlyAndPathsGetOneBackslash)
{
    char sz[MAXCOPYPATH];
    EXPECT_TRUE(JoinText(sz, "c:\\app\\", "data"));
    EXPECT_STREQ(sz, "c:\\app\\data");
    EXPECT_TRUE(JoinText(sz, "c:\\app\\", ""));
    EXPECT_STREQ(sz, "c:\\app\\");

    const struct { const char *folder, *name, *out; } cases[] = {
        { "c:\\app\\data", "a.txt", "c:\\app\\data\\a.txt" },
        { "c:\\app\\data\\", "a.txt", "c:\\app\\data\\a.txt" },
        { "c:\\app\\", "a.txt", "c:\\app\\a.txt" },
        { "c:\\\x81\x5C", "a.txt", "c:\\\x81\x5C\\a.txt" },   /* trail byte 0x5C is no backslash */
    };
    for (const auto &c : cases) {
        EXPECT_TRUE(JoinFileName(sz, c.folder, c.name));
        EXPECT_STREQ(sz, c.out) << c.folder;
    }
}

TEST(CopyPath, TooLongIsRefusedNotCut)
{
    char sz[MAXCOPYPATH];
    std::string folder = "c:\\" + std::string(120, 'f');        /* 123 characters */
    EXPECT_TRUE(JoinFileName(sz, folder.c_str(), "abc"));         /* 127 */
    EXPECT_EQ(strlen(sz), 127u);
    memset(sz, 0xA5, sizeof(sz));
    EXPECT_FALSE(JoinFileName(sz, folder.c_str(), "abcd"));
    EXPECT_STREQ(sz, "");
    EXPECT_TRUE(JoinText(sz, folder.c_str(), "1234"));
    EXPECT_FALSE(JoinText(sz, folder.c_str(), "12345"));
    EXPECT_STREQ(sz, "");
}

TEST(CopyPath, ALabelShowsWhatFitsWithDoubleByteCharactersWhole)
{
    char sz[MAXCOPYPATH];
    const std::string label = "\xBF\xBD\xB1\xB4\xB5\xBD:", dest = std::string(119, 'y');
    EXPECT_TRUE(JoinLabel(sz, label.c_str(), dest.c_str()));
    EXPECT_EQ(sz, label + dest);
    /* Another character would end at 128: it is left out whole. */
    EXPECT_FALSE(JoinLabel(sz, label.c_str(), (dest + "\xB0\xA1x").c_str()));
    EXPECT_EQ(sz, label + dest);
}
