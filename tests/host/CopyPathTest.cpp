/*
 * CopyPathTest.cpp - the copy step's folder and path joining, and the
 * expansion of compressed sources.
 */
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include "CopyPath.h"
#include "Szdd.h"
#include "SzddSamples.h"

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

/* Only the copy's own temporary names are taken for a killed copy's
 * leftovers. */
TEST(CopyPath, OnlyTheCopysOwnTemporaryNamesAreLeftovers)
{
    for (const char *lpszName : { "~SET0001.TMP", "~setAbcF.tmp", "~SETFFFF.Tmp" })
        EXPECT_TRUE(IsCopyTempName(lpszName)) << lpszName;
    for (const char *lpszName : { "~SET001.TMP", "~SET00001.TMP", "~SETG001.TMP", "~SET0001.TXT", "SET0001.TMP",
                                  "~SET0001.TMP.BAK", "", "~SET 001.TMP" })
        EXPECT_FALSE(IsCopyTempName(lpszName)) << lpszName;
}

/* Files listed in turn into two folders find each folder's finding; a
 * folder never looked into, or one the full list could not take, is
 * looked into. */
TEST(CopyPath, EachFolderIsLookedIntoOnce)
{
    static FOLDERLOOKS looks;
    memset(&looks, 0xA5, sizeof(looks));
    LooksStart(&looks);
    EXPECT_EQ(LookedFound(&looks, "C:\\APP\\BIN"), -1);
    NoteLook(&looks, "C:\\APP\\BIN", TRUE);
    NoteLook(&looks, "C:\\APP\\BIN\\SYSTEM", FALSE);
    for (int nTurn = 0; nTurn < 2; nTurn++) {
        EXPECT_EQ(LookedFound(&looks, "C:\\APP\\BIN"), TRUE) << "turn " << nTurn;
        EXPECT_EQ(LookedFound(&looks, "C:\\APP\\BIN\\SYSTEM"), FALSE) << "turn " << nTurn;
    }
    EXPECT_EQ(LookedFound(&looks, "C:\\APP\\BIN\\"), -1);
    EXPECT_EQ(LookedFound(&looks, "C:\\APP\\DOC"), -1);

    char szFolder[MAXCOPYPATH];
    for (int i = 2; i < MAXLOOKED; i++) {
        snprintf(szFolder, sizeof(szFolder), "C:\\APP\\F%d", i);
        NoteLook(&looks, szFolder, i % 2);
    }
    NoteLook(&looks, "C:\\APP\\DOC", TRUE);
    EXPECT_EQ(LookedFound(&looks, "C:\\APP\\DOC"), -1) << "the list was full";
    snprintf(szFolder, sizeof(szFolder), "C:\\APP\\F%d", MAXLOOKED - 1);
    EXPECT_EQ(LookedFound(&looks, szFolder), (MAXLOOKED - 1) % 2);
    EXPECT_EQ(LookedFound(&looks, "C:\\APP\\BIN"), TRUE);
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

/* The items of compressed file z, fed cbIn bytes at a time to an output
 * of cbOut bytes. */
static std::string ExpandAll(const std::string &z, size_t cbIn, UINT cbOut)
{
    EXPANDER ex;
    ExpandStart(&ex);
    std::string out;
    std::vector<BYTE> buf(cbOut);
    for (size_t i = LZHEADER; i < z.size();) {
        UINT cb = (UINT)std::min(cbIn, z.size() - i);
        while (cb > 0) {
            UINT cbUsed = 0;
            UINT n = ExpandItems(&ex, (const BYTE *)z.data() + i, cb, &cbUsed, buf.data(), cbOut);
            out.append((const char *)buf.data(), n);
            i += cbUsed;
            cb -= cbUsed;
        }
    }
    return out;
}

/* Our compressor's and mscompress's files expand to what they hold,
 * whatever the blocks they are read in, also split inside an item. */
TEST(CopyPath, CompressedSourcesExpandInAnyBlocks)
{
    char szDir[] = "/tmp/expand-XXXXXX";
    ASSERT_TRUE(mkdtemp(szDir));
    const std::string dir = szDir;
    for (const SZDDSAMPLE &s : SzddSamples()) {
        std::vector<unsigned char> ours;
        ASSERT_TRUE(SzddCompress((const unsigned char *)s.bytes.data(), s.bytes.size(), 0, &ours));
        std::ofstream(dir + "/" + s.lpszName, std::ios::binary) << s.bytes;
        std::string cmd = "cd '" + dir + "' && mscompress " + s.lpszName + " >/dev/null 2>&1";
        ASSERT_EQ(system(cmd.c_str()), 0) << s.lpszName;
        std::ifstream f(dir + "/" + s.lpszName + "_", std::ios::binary);
        const std::string theirs((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        /* mscompress mangles a file of one byte or none. */
        for (const std::string &z : { std::string(ours.begin(), ours.end()), s.bytes.size() > 1 ? theirs : "" }) {
            if (z.empty())
                continue;
            EXPECT_EQ(ExpandAll(z, 1, LZMAXITEM), s.bytes) << s.lpszName;
            EXPECT_EQ(ExpandAll(z, 7, 100), s.bytes) << s.lpszName;
            EXPECT_EQ(ExpandAll(z, z.size(), 65536), s.bytes) << s.lpszName;
        }
    }
    ASSERT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0);

    /* Any bytes at all expand the same in one piece or a byte at a time
     * (and, under the sanitizers, within their buffers). */
    const std::string garbage = std::string(LZHEADER, 'h') + Bytes(30000, 9, true);
    EXPECT_EQ(ExpandAll(garbage, 1, LZMAXITEM), ExpandAll(garbage, garbage.size(), 65536));
}
