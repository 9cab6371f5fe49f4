/*
 * ProgmanTextTest.cpp - the Program Manager command texts and the item
 * command paths, on the host.
 */
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include "ProgmanText.h"

static std::string Command(int nCommand, const char *lpszGroup, const char *lpszName,
                           const char *lpszCmdLine)
{
    char sz[MAXPMCMD];
    memset(sz, 0xA5, sizeof(sz));
    EXPECT_TRUE(FormatProgmanCommand(sz, sizeof(sz), nCommand, lpszGroup, lpszName, lpszCmdLine))
        << "command " << nCommand;
    return sz;
}

TEST(ProgmanText, EachTemplateTakesItsArgumentsUnchanged)
{
    EXPECT_EQ(Command(PMCMD_CREATEGROUP, "Tools", NULL, NULL), "[CreateGroup(Tools)]");
    EXPECT_EQ(Command(PMCMD_SHOWGROUP, "Tools", NULL, NULL), "[ShowGroup(Tools,1)]");
    EXPECT_EQ(Command(PMCMD_DELETEGROUP, "Tools", NULL, NULL), "[DeleteGroup(Tools)]");
    EXPECT_EQ(Command(PMCMD_RELOAD, "Tools", NULL, NULL), "[Reload(Tools)]");
    /* Command line first, item name second; the group is not sent. */
    EXPECT_EQ(Command(PMCMD_ADDITEM, "Tools", "Readme", "C:\\APP\\README.TXT"),
              "[AddItem(C:\\APP\\README.TXT,Readme)]");
    EXPECT_EQ(Command(PMCMD_DELETEITEM, "Tools", "Readme", NULL), "[DeleteItem(Readme)]");
    /* Commas, parentheses, brackets and percent signs are not escaped. */
    EXPECT_EQ(Command(PMCMD_CREATEGROUP, "A,B (x)] [%s", NULL, NULL),
              "[CreateGroup(A,B (x)] [%s)]");
    EXPECT_EQ(Command(PMCMD_SHOWGROUP, "", NULL, NULL), "[ShowGroup(,1)]");
    /* Double-byte (code page 936) names pass through byte for byte. */
    EXPECT_EQ(Command(PMCMD_CREATEGROUP, "\xB9\xA4\xBE\xDF", NULL, NULL),
              "[CreateGroup(\xB9\xA4\xBE\xDF)]");
}

TEST(ProgmanText, TooLongTextIsRefusedNeverCut)
{
    /* "[ShowGroup(" + name + ",1)]" is the name's length + 15 characters. */
    char sz[32];
    std::string fits(sizeof(sz) - 1 - 15, 'g'), over = fits + "g";
    memset(sz, 0xA5, sizeof(sz));
    EXPECT_TRUE(FormatProgmanCommand(sz, sizeof(sz), PMCMD_SHOWGROUP, fits.c_str(), NULL, NULL));
    EXPECT_EQ(std::string(sz), "[ShowGroup(" + fits + ",1)]");
    memset(sz, 0xA5, sizeof(sz));
    EXPECT_FALSE(FormatProgmanCommand(sz, sizeof(sz), PMCMD_SHOWGROUP, over.c_str(), NULL, NULL));
    EXPECT_STREQ(sz, "");

    /* The longest AddItem the group step can build fits the real buffer. */
    std::string path(MAXPMPATH - 1, 'p'), name(MAXTEXT - 1, 'n');
    char szCmd[MAXPMCMD];
    EXPECT_TRUE(FormatProgmanCommand(szCmd, sizeof(szCmd), PMCMD_ADDITEM, "G", name.c_str(),
                                     path.c_str()));
    EXPECT_EQ(strlen(szCmd), 12 + path.size() + name.size());
    std::string huge(MAXPMCMD, 'h');
    EXPECT_FALSE(FormatProgmanCommand(szCmd, sizeof(szCmd), PMCMD_CREATEGROUP, huge.c_str(),
                                      NULL, NULL));
    EXPECT_STREQ(szCmd, "");
}

TEST(ProgmanText, UnknownCommandOrMissingArgumentIsRefused)
{
    char sz[MAXPMCMD];
    SetupCheckReset();
    for (int n : { -1, PMCMD_COUNT, 100 }) {
        strcpy(sz, "old");
        EXPECT_FALSE(FormatProgmanCommand(sz, sizeof(sz), n, "G", "N", "C")) << n;
        EXPECT_STREQ(sz, "");
    }
    EXPECT_FALSE(FormatProgmanCommand(sz, sizeof(sz), PMCMD_CREATEGROUP, NULL, "N", "C"));
    EXPECT_FALSE(FormatProgmanCommand(sz, sizeof(sz), PMCMD_ADDITEM, "G", NULL, "C"));
    EXPECT_FALSE(FormatProgmanCommand(sz, sizeof(sz), PMCMD_ADDITEM, "G", "N", NULL));
    EXPECT_FALSE(FormatProgmanCommand(sz, sizeof(sz), PMCMD_DELETEITEM, "G", NULL, "C"));
    EXPECT_EQ(SetupCheckCount(), 7u);
    EXPECT_STREQ(SetupCheckGet(0)->szExpr, "nCommand>=0&&nCommand<PMCMD_COUNT");
    EXPECT_STREQ(SetupCheckGet(3)->szExpr, "lpszFirst!=NULL&&lpszSecond!=NULL");
    /* The arguments a command does not name may be null. */
    EXPECT_TRUE(FormatProgmanCommand(sz, sizeof(sz), PMCMD_DELETEITEM, NULL, "N", NULL));
    EXPECT_STREQ(sz, "[DeleteItem(N)]");
}

static std::string CmdPath(const char *lpszSpec, const char *lpszSrc = "A:\\",
                           const char *lpszDst = "C:\\TOOLS\\")
{
    char sz[MAXPMPATH];
    memset(sz, 0xA5, sizeof(sz));
    EXPECT_TRUE(MakeItemCommandPath(sz, sizeof(sz), lpszSpec, lpszSrc, lpszDst)) << lpszSpec;
    return sz;
}

TEST(ProgmanText, SecondCharacterSelectsTheBaseFolder)
{
    EXPECT_EQ(CmdPath("xD:BIN\\TOOL.EXE"), "C:\\TOOLS\\BIN\\TOOL.EXE");
    EXPECT_EQ(CmdPath("xS:README.TXT"), "A:\\README.TXT");
    EXPECT_EQ(CmdPath("xs:README.TXT"), "A:\\README.TXT");
    EXPECT_EQ(CmdPath("Sd:X.EXE"), "C:\\TOOLS\\X.EXE");     /* only position 1 counts */
    EXPECT_EQ(CmdPath("xT:X.EXE"), "C:\\TOOLS\\X.EXE");     /* any other letter: destination */
    /* Positions 0 and 2 are not examined; the rest is appended unchanged. */
    EXPECT_EQ(CmdPath("?S?a b\\c,d.exe"), "A:\\a b\\c,d.exe");
    /* Destination skipped: both folders equal, both selectors agree. */
    EXPECT_EQ(CmdPath("xS:P.EXE", "A:\\", "A:\\"), CmdPath("xD:P.EXE", "A:\\", "A:\\"));
}

TEST(ProgmanText, ShortSpecificationGivesTheBaseFolderAlone)
{
    EXPECT_EQ(CmdPath("xS:"), "A:\\");
    EXPECT_EQ(CmdPath("xD:"), "C:\\TOOLS\\");
    EXPECT_EQ(CmdPath("xs"), "A:\\");
    EXPECT_EQ(CmdPath("xd"), "C:\\TOOLS\\");
    EXPECT_EQ(CmdPath("S"), "C:\\TOOLS\\");     /* no selector: the destination */
    EXPECT_EQ(CmdPath(""), "C:\\TOOLS\\");

    /* Nothing past the specification's end is read: a two-character
     * specification at the very end of a heap block (ASan watches). */
    char *lpszSpec = new char[3];
    memcpy(lpszSpec, "xs", 3);
    EXPECT_EQ(CmdPath(lpszSpec), "A:\\");
    delete[] lpszSpec;
}

TEST(ProgmanText, LongestPathsGetRoomAndOverlongOnesAreRefused)
{
    std::string base(MAXTEXT - 2, 'b'), rel(MAXTEXT - 4, 'r');
    base += "\\";
    std::string spec = "xD:" + rel;
    EXPECT_EQ(CmdPath(spec.c_str(), "A:\\", base.c_str()), base + rel);
    EXPECT_EQ((base + rel).size(), 251u);

    char sz[16];
    memset(sz, 0xA5, sizeof(sz));
    EXPECT_TRUE(MakeItemCommandPath(sz, sizeof(sz), "xS:0123456789ab", "A:\\", "C:\\"));
    EXPECT_STREQ(sz, "A:\\0123456789ab");     /* 15 characters: exactly fits */
    memset(sz, 0xA5, sizeof(sz));
    EXPECT_FALSE(MakeItemCommandPath(sz, sizeof(sz), "xS:0123456789abc", "A:\\", "C:\\"));
    EXPECT_STREQ(sz, "");
}
