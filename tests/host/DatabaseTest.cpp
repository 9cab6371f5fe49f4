/*
 * DatabaseTest.cpp - the install database's accessors and the small text
 * helpers of the reader.
 */
#include <string.h>
#include "ReaderFixture.h"

class DatabaseTest : public ReaderTest {};

TEST_F(DatabaseTest, TrimBlanksRemovesSpacesAndTabsAtBothEnds)
{
    const struct { const char *in, *out; } cases[] = {
        { "", "" }, { "   ", "" }, { "\t \t", "" }, { "a", "a" },
        { "  a b  ", "a b" }, { "\tx\t", "x" }, { "a \t", "a" }, { " \t a", "a" },
        { "\na ", "\na" },                     /* only spaces and tabs are blanks */
    };
    for (const auto &c : cases) {
        char sz[32];
        strcpy(sz, c.in);
        EXPECT_EQ(TrimBlanks(sz), sz);
        EXPECT_STREQ(sz, c.out) << "input [" << c.in << "]";
    }
}

TEST_F(DatabaseTest, StrToWordReadsLeadingDigitsModulo65536)
{
    const struct { const char *in; unsigned out; } cases[] = {
        { "", 0 }, { "0", 0 }, { "1500", 1500 }, { "1500K", 1500 }, { " 1500", 0 },
        { "+5", 0 }, { "-5", 0 }, { "65535", 65535 }, { "65536", 0 }, { "70000", 4464 },
        { "12a34", 12 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(StrToWord(c.in), c.out) << "input [" << c.in << "]";
    /* Twenty nines, reduced step by step modulo 65536. */
    unsigned w = 0;
    for (int i = 0; i < 20; i++)
        w = (w * 10 + 9) % 65536;
    EXPECT_EQ(StrToWord("99999999999999999999"), w);
}

TEST_F(DatabaseTest, StoreTextCutsAndTerminatesWithinTheField)
{
    char sz[8];
    memset(sz, 0xA5, sizeof(sz));
    EXPECT_TRUE(StoreText(sz, 8, "1234567"));
    EXPECT_STREQ(sz, "1234567");
    memset(sz, 0xA5, sizeof(sz));
    EXPECT_FALSE(StoreText(sz, 8, "12345678"));
    EXPECT_STREQ(sz, "1234567");
    EXPECT_FALSE(StoreText(sz, 4, "abcdef"));
    EXPECT_STREQ(sz, "abc");
    EXPECT_EQ((unsigned char)sz[7], '\0');     /* earlier copy's terminator untouched */

    /* A cut never leaves a lead byte without its trail byte. */
    memset(sz, 0xA5, sizeof(sz));
    EXPECT_FALSE(StoreText(sz, 4, "ab\xd1\xdd"));
    EXPECT_STREQ(sz, "ab");
    EXPECT_FALSE(StoreText(sz, 4, "a\xd1\xdd\xca\xbe"));
    EXPECT_STREQ(sz, "a\xd1\xdd");
}

TEST_F(DatabaseTest, FreshObjectIsEmpty)
{
    CSetupInf fresh;
    CSetupInfView v(fresh);
    char sz1[MAXTEXT], sz2[MAXTEXT];
    EXPECT_EQ(v.Section(), SECT_NONE);
    EXPECT_EQ(fresh.GetNumDstDirs() + fresh.GetNumFiles() + fresh.GetNumPMItems() + v.NumSrcDirs(), 0u);
    EXPECT_EQ(fresh.GetSpaceNeeded(), 0u);
    EXPECT_FALSE(fresh.GetInstallToHD());
    EXPECT_FALSE(fresh.GetShowSubDirCreateStats());
    memset(sz1, 0xA5, sizeof(sz1));
    fresh.GetAppName(sz1);
    EXPECT_STREQ(sz1, "");
    EXPECT_TRUE(fresh.GetDefDir(sz1));
    EXPECT_STREQ(sz1, "");
    fresh.GetDefPMGroup(sz1, sz2);
    EXPECT_STREQ(sz1, "");
    EXPECT_STREQ(sz2, "");
    for (UINT i = 0; i < MAXDIR; i++)
        ASSERT_EQ(v.SrcDir(i), nullptr);
}

TEST_F(DatabaseTest, OnlyEndLoadsAnEmptyDatabase)
{
    ASSERT_EQ(Load("[End]\r\n"), 0u);
    EXPECT_EQ(view.Section(), SECT_END);
    EXPECT_EQ(view.NumSrcDirs() + inf.GetNumDstDirs() + inf.GetNumFiles() + inf.GetNumPMItems(), 0u);
    EXPECT_STREQ(view.AppName(), "");
    EXPECT_EQ(inf.GetSpaceNeeded(), 0u);
    EXPECT_FALSE(inf.GetInstallToHD());
    EXPECT_TRUE(Checks().empty());
}

TEST_F(DatabaseTest, GetFileResolvesIdsInTheirOwnTablesFirstEntryWins)
{
    ASSERT_EQ(Load("[SrcDirs]\r\n1=src1\r\n2=src2\r\n1=later\r\n"
                   "[DstDirs]\r\n2=dst2\r\n1=dst1\\\r\n"
                   "[Files]\r\nReadme ,1:read me ,1:README.TXT,\r\nTwo,2:b,2:c,\r\n[End]\r\n"), 0u);
    char szDisp[MAXTEXT], szSrcDir[MAXTEXT], szSrc[MAXTEXT], szDstDir[MAXTEXT], szDst[MAXTEXT];
    ASSERT_TRUE(inf.GetFile(0, szDisp, szSrcDir, szSrc, szDstDir, szDst));
    EXPECT_STREQ(szDisp, "Readme ");
    EXPECT_STREQ(szSrcDir, "src1");
    EXPECT_STREQ(szSrc, "read me ");
    EXPECT_STREQ(szDstDir, "dst1\\");
    EXPECT_STREQ(szDst, "README.TXT");
    ASSERT_TRUE(inf.GetFile(1, szDisp, szSrcDir, szSrc, szDstDir, szDst));
    EXPECT_STREQ(szSrcDir, "src2");
    EXPECT_STREQ(szDstDir, "dst2");
    EXPECT_EQ(inf.FindSrcDir(1), view.SrcDir(0));
    EXPECT_EQ(inf.FindSrcDir(3), nullptr);
    EXPECT_EQ(inf.FindDstDir(1), view.DstDir(1));
}

TEST_F(DatabaseTest, GetFileWithUnknownDirectoryFailsAndGuessesNoFolder)
{
    ASSERT_EQ(Load("[SrcDirs]\r\n1=src\r\n[DstDirs]\r\n1=dst\r\n"
                   "[Files]\r\nA,1:a,7:a,\r\nB,7:b,1:b,\r\n[End]\r\n"), 0u);
    char szDisp[MAXTEXT], szSrcDir[MAXTEXT], szSrc[MAXTEXT], szDstDir[MAXTEXT], szDst[MAXTEXT];
    memset(szDstDir, 0xA5, sizeof(szDstDir));
    EXPECT_FALSE(inf.GetFile(0, szDisp, szSrcDir, szSrc, szDstDir, szDst));
    EXPECT_STREQ(szSrcDir, "src");
    EXPECT_STREQ(szDstDir, "");
    EXPECT_FALSE(inf.GetFile(1, szDisp, szSrcDir, szSrc, szDstDir, szDst));
    EXPECT_STREQ(szSrcDir, "");
    EXPECT_STREQ(szDstDir, "dst");
}

/* A name cut to fit its field, or with its line, would copy another file
 * or install one under a wrong name: the copy step takes GetFile's FALSE
 * as a failed file and names it by its display name. The first two lines
 * are the controls: a name of 127 bytes is whole. */
TEST_F(DatabaseTest, GetFileFailsAFileWhoseNameWasCutAndGivesItsDisplayName)
{
    const std::string n127(127, 'n'), n128(128, 'n'), shown(125, 'L');
    const struct {
        const char *lpszCase;
        std::string line, display;
        bool bWhole;
    } cases[] = {
        { "127-byte source name fits", "SrcFits,1:" + n127 + ",2:b,", "SrcFits", true },
        { "127-byte destination name fits", "DstFits,1:a,2:" + n127 + ",", "DstFits", true },
        { "source name cut", "Src,1:" + n128 + ",2:b,", "Src", false },
        { "destination name cut", "Dst,1:a,2:" + n128 + ",", "Dst", false },
        /* The line stops at 255 bytes, 123 into the destination name. */
        { "destination name cut with its line", shown + ",1:a,2:" + std::string(130, 'd') + ",", shown, false },
    };
    std::string script = "[SrcDirs]\r\n1=src\r\n[DstDirs]\r\n2=dst\r\n[Files]\r\n";
    for (const auto &c : cases)
        script += c.line + "\r\n";
    ASSERT_EQ(Load(script + "[End]\r\n"), 0u);
    ASSERT_EQ(inf.GetNumFiles(), sizeof(cases) / sizeof(cases[0]));
    for (UINT i = 0; i < inf.GetNumFiles(); i++) {
        char szDisp[MAXTEXT], szSrcDir[MAXTEXT], szSrc[MAXTEXT], szDstDir[MAXTEXT], szDst[MAXTEXT];
        memset(szDisp, 0xA5, sizeof(szDisp));
        bool bWhole = inf.GetFile(i, szDisp, szSrcDir, szSrc, szDstDir, szDst) != FALSE;
        EXPECT_EQ(bWhole, cases[i].bWhole) << cases[i].lpszCase << ": source " << szSrc << ", destination " << szDst;
        EXPECT_EQ(std::string(szDisp), cases[i].display) << cases[i].lpszCase;
    }
}

TEST_F(DatabaseTest, IndicesBeyondTheCountsAreRefusedWithACheck)
{
    ASSERT_EQ(Load("[DstDirs]\r\n1=d\r\n[PM Info]\r\nx S a.exe,A\r\n[End]\r\n"), 0u);
    char sz1[MAXTEXT], sz2[MAXTEXT], sz3[MAXTEXT], sz4[MAXTEXT], sz5[MAXTEXT];
    memset(sz1, 0xA5, sizeof(sz1));
    inf.GetDstDir(1, sz1);
    EXPECT_STREQ(sz1, "");
    EXPECT_FALSE(inf.GetFile(0, sz1, sz2, sz3, sz4, sz5));
    EXPECT_EQ(inf.GetPMItem(5, sz1, sz2), 0);
    EXPECT_STREQ(sz2, "");
    EXPECT_EQ(Checks(), (std::vector<std::string>{ "i<uNumDstDirs", "i<uNumFiles", "i<uNumPMItems" }));
}

TEST_F(DatabaseTest, GroupAndItemAccessorsHandOutTheirPartsInOrder)
{
    ASSERT_EQ(Load("[App]\r\nDefPMGroup= first , Group, with comma \r\n"
                   "[PM Info]\r\nxSxapp.exe, My App, v2 \r\n[End]\r\n"), 0u);
    char szFirst[MAXTEXT], szName[MAXTEXT];
    inf.GetDefPMGroup(szFirst, szName);
    EXPECT_STREQ(szFirst, "first");
    EXPECT_STREQ(szName, "Group, with comma");
    char szDescription[MAXTEXT], szSpec[MAXTEXT];
    EXPECT_TRUE(inf.GetPMItem(0, szDescription, szSpec));
    EXPECT_STREQ(szDescription, "My App, v2");
    EXPECT_STREQ(szSpec, "xSxapp.exe");
}

/* Under a code page other than 936 a name outside ASCII would be written
 * garbled: each kind of name is found, the title and display names are not
 * names. "\xd3\xce\xcf\xb7" is GBK for a Chinese word. */
TEST_F(DatabaseTest, FindNonAsciiNameFindsEachKindOfNameOnly)
{
    const std::string ascii = "[App]\r\nAppName=\xd3\xce\xcf\xb7\r\nDefDir=C:\\GAME\\\r\nDefPMGroup=,Game\r\n"
                              "[SrcDirs]\r\n1=src\r\n[DstDirs]\r\n1=dst\r\n"
                              "[Files]\r\n\xd3\xce\xcf\xb7,1:a.txt,1:b.txt,\r\n[PM Info]\r\nxDxb.txt,Play\r\n[End]\r\n";
    struct Case { const char *lpszFrom, *lpszTo; };
    const Case aCases[] = {
        { "", "" },                                                     /* all ASCII */
        { "DefDir=C:\\GAME\\", "DefDir=C:\\\xd3\xce\xcf\xb7\\" },
        { "DefPMGroup=,Game", "DefPMGroup=,\xd3\xce\xcf\xb7" },
        { "1=src", "1=\xd3\xce\xcf\xb7" },
        { "1=dst", "1=\xd3\xce\xcf\xb7" },
        { "1:a.txt", "1:\xd3\xce\xcf\xb7" },
        { "1:b.txt", "1:\xd3\xce\xcf\xb7" },
        { "xDxb.txt", "xDx\xd3\xce\xcf\xb7" },
        { ",Play", ",\xd3\xce\xcf\xb7" },
    };
    for (const Case &c : aCases) {
        std::string script = ascii;
        if (c.lpszFrom[0])
            script.replace(script.find(c.lpszFrom), strlen(c.lpszFrom), c.lpszTo);
        MakeFile("SETUP.INF", script);
        CSetupInf one;
        ASSERT_EQ(one.Load(Path("SETUP.INF").c_str(), NULL), 0u) << c.lpszTo;
        char szName[MAXTEXT];
        memset(szName, 0xA5, sizeof(szName));
        bool bFound = one.FindNonAsciiName(szName) != FALSE;
        EXPECT_EQ(bFound, c.lpszFrom[0] != 0) << c.lpszTo;
        std::string name = szName;
        EXPECT_TRUE(bFound ? name.find("\xd3\xce\xcf\xb7") != std::string::npos : name.empty()) << name;
    }
}

TEST_F(DatabaseTest, PathEndsInBackslashStepsOverDoubleByteCharacters)
{
    EXPECT_FALSE(PathEndsInBackslash(""));
    EXPECT_TRUE(PathEndsInBackslash("\\"));
    EXPECT_TRUE(PathEndsInBackslash("a\\b\\"));
    EXPECT_FALSE(PathEndsInBackslash("a\\b"));
    /* 0x81 0x5C is one character whose trail byte has a backslash's value. */
    EXPECT_FALSE(PathEndsInBackslash("dir\x81\x5C"));
    EXPECT_TRUE(PathEndsInBackslash("dir\x81\x5C\\"));
    EXPECT_TRUE(PathEndsInBackslash("\x81\\\\"));     /* lead byte, trail 0x5C, then a real one */
    EXPECT_FALSE(PathEndsInBackslash("x\x81"));       /* a lone lead byte at the end */

    /* The one search for a program's folder, in the reader and at start-up. */
    const char szPath[] = "C:\\A\x81\x5C" "B\\\x81\x5C.EXE";
    EXPECT_EQ(FindLastBackslash(szPath), szPath + 7);   /* strrchr: + 9 */
    EXPECT_EQ(FindLastBackslash("SETUP.EXE"), nullptr);
}
