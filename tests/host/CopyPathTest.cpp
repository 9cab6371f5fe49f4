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

TEST(CopyPath, SourcesAreRecognisedBeforeAnythingIsWritten)
{
    const std::string sig("SZDD\x88\xF0\x27\x33", 8);
    struct Case { std::string bytes; int nKind; DWORD dwSize; };
    const Case cases[] = {
        { "", SRC_PLAIN, 0 },
        { "SZDD", SRC_PLAIN, 0 },                                   /* too short to be signed */
        { sig.substr(0, 7) + "x", SRC_PLAIN, 0 },
        { sig + "A", SRC_DAMAGED, 0 },                                /* header cut short */
        { sig + std::string("A\0\x10\x27", 4), SRC_DAMAGED, 0 },     /* 12 of 14 bytes */
        { sig + std::string("B\0\x10\x27\0\0", 6), SRC_DAMAGED, 0 }, /* unknown method */
        { sig + std::string("A\0\x10\x27\0\0", 6), SRC_COMPRESSED, 10000 },
        { sig + std::string("A\0\xF0\xFF\xFF\xFF", 6), SRC_COMPRESSED, 0xFFFFFFF0u },  /* past 2 GB */
    };
    for (const Case &c : cases) {
        DWORD dwSize = 12345;
        EXPECT_EQ(ClassifySource((const BYTE *)c.bytes.data(), (UINT)c.bytes.size(), &dwSize), c.nKind)
            << c.bytes.size() << " bytes";
        EXPECT_EQ(dwSize, c.dwSize) << c.bytes.size() << " bytes";
    }
}
