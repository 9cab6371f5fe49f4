/*
 * DestPathTest.cpp - the destination dialog's path rules.
 */
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include "DestPath.h"

static std::string Apply(void (*fn)(LPSTR), const char *lpszIn)
{
    char sz[MAXPATHTEXT];
    strcpy(sz, lpszIn);
    fn(sz);
    return sz;
}

TEST(DestPath, LowerPathChangesOnlyAsciiCapitalsAndKeepsDoubleByteCharacters)
{
    EXPECT_EQ(Apply(LowerPath, "C:\\APPS\\Demo_1[X]"), "c:\\apps\\demo_1[x]");
    /* 0xB0 0x41 is one character whose trail byte is an 'A'. */
    EXPECT_EQ(Apply(LowerPath, "C:\\\xB0\x41Z"), "c:\\\xB0\x41z");
    EXPECT_EQ(Apply(LowerPath, ""), "");
}

TEST(DestPath, TrailingBackslashAndLastBackslash)
{
    EXPECT_EQ(Apply(RemoveTrailingBackslash, "c:\\apps\\"), "c:\\apps");
    EXPECT_EQ(Apply(RemoveTrailingBackslash, "c:\\apps\\\\"), "c:\\apps\\");
    EXPECT_EQ(Apply(RemoveTrailingBackslash, "c:\\"), "c:");
    EXPECT_EQ(Apply(RemoveTrailingBackslash, "c:\\\x81\x5C"), "c:\\\x81\x5C");
    EXPECT_EQ(LastBackslash("c:\\apps\\demo"), 7);
    EXPECT_EQ(LastBackslash("c:"), -1);
    EXPECT_EQ(LastBackslash("\\x"), 0);
    EXPECT_EQ(LastBackslash("c:\\a\x81\x5C" "b"), 2);
}

TEST(DestPath, DefDirBecomesTheWorkingPath)
{
    char sz[MAXPATHTEXT];
    DefDirToPath("C:\\APPS\\DEMO\\", sz);
    EXPECT_STREQ(sz, "c:\\apps\\demo");
    DefDirToPath("D:\\", sz);
    EXPECT_STREQ(sz, "d:");
    DefDirToPath("E:GAMES", sz);
    EXPECT_STREQ(sz, "e:games");
    std::string longDir = "C:\\" + std::string(124, 'X');
    DefDirToPath(longDir.c_str(), sz);
    EXPECT_EQ(std::string(sz), "c:\\" + std::string(124, 'x'));
    DefDirToPath(std::string(140, 'Y').c_str(), sz);
    EXPECT_EQ(strlen(sz), 127u);
    /* A default cut in the script is offered as its drive's root. */
    char szCut[MAXPATHTEXT] = "D:\\APPS\\\xB5";
    DefDirRoot(szCut);
    EXPECT_STREQ(szCut, "D:");
    char szNoDrive[MAXPATHTEXT] = "APPS";
    DefDirRoot(szNoDrive);
    EXPECT_STREQ(szNoDrive, "");
}

TEST(DestPath, APathWithoutDriveGoesOnTheGivenDrivesRoot)
{
    const struct { const char *in, *out; } cases[] = {
        { "apps\\demo", "c:\\apps\\demo" }, { "\\apps", "c:\\apps" }, { "", "c:" },
        { "d:\\keep", "c:\\keep" }, { "x", "c:\\x" },
    };
    for (const auto &c : cases) {
        char sz[MAXPATHTEXT];
        strcpy(sz, c.in);
        PutOnDrive(sz, 'c');
        EXPECT_STREQ(sz, c.out) << c.in;
    }
    char sz[MAXPATHTEXT];
    memset(sz, 'z', 127);
    sz[127] = '\0';
    EXPECT_FALSE(PutOnDrive(sz, 'C'));
    EXPECT_STREQ(sz, "c:") << "a folder that would be cut gives way to the root";
}

TEST(DestPath, TypedFoldersBecomeFullPathsOrAreRefused)
{
    const std::string longFolder = "c:\\" + std::string(130, 'z');
    const struct { const char *typed, *driveFolder, *full; } cases[] = {
        { "c:", NULL, "c:" }, { "c:/a\\\\b\\.\\c\\..\\d", NULL, "c:\\a\\b\\d" }, { "c:\\..\\x", NULL, "" },
        { "c:\\\xB0\x5C\\x", NULL, "c:\\\xB0\x5C\\x" }, { "c:games", "C:\\Me", "c:\\me\\games" },
        { "c:.", "c:\\", "c:" }, { "c:..\\x", "c:\\a\\b", "c:\\a\\x" }, { "c:games", NULL, "" },
        { "c:games", "d:\\a", "" }, { "c:x", longFolder.c_str(), "" },
    };
    for (const auto &c : cases) {
        char sz[MAXPATHTEXT];
        EXPECT_EQ(MakeFullDestPath(c.typed, c.driveFolder, sz), c.full[0] != '\0') << c.typed;
        EXPECT_STREQ(sz, c.full) << c.typed;
    }
}

TEST(DestPath, SplitGivesTheListedFolderAndTheLastComponent)
{
    char szListed[MAXPATHTEXT], szLast[MAXPATHTEXT];
    SplitWorkingPath("c:\\apps\\demo", szListed, szLast);
    EXPECT_STREQ(szListed, "c:\\apps\\");
    EXPECT_STREQ(szLast, "demo");
    SplitWorkingPath("c:\\apps", szListed, szLast);
    EXPECT_STREQ(szListed, "c:\\");
    EXPECT_STREQ(szLast, "apps");
    SplitWorkingPath("c:", szListed, szLast);
    EXPECT_STREQ(szListed, "c:\\");
    EXPECT_STREQ(szLast, "");
}

TEST(DestPath, ClickingReplacesTheLastComponentWithinTheLimit)
{
    char sz[MAXPATHTEXT];
    strcpy(sz, "c:\\apps\\demo");
    EXPECT_TRUE(ReplaceLastComponent(sz, "tools"));
    EXPECT_STREQ(sz, "c:\\apps\\tools");
    EXPECT_TRUE(ReplaceLastComponent(sz, ".."));
    EXPECT_STREQ(sz, "c:\\apps\\..");
    strcpy(sz, "c:");
    EXPECT_TRUE(ReplaceLastComponent(sz, "tools"));
    EXPECT_STREQ(sz, "c:\\tools");

    std::string base = "c:\\" + std::string(120, 'p') + "\\x";
    strcpy(sz, base.c_str());
    EXPECT_TRUE(ReplaceLastComponent(sz, "abc"));     /* 124 + 3 = 127 */
    EXPECT_EQ(strlen(sz), 127u);
    strcpy(sz, base.c_str());
    EXPECT_FALSE(ReplaceLastComponent(sz, "abcd"));   /* would be 128 */
    EXPECT_EQ(std::string(sz), base);
}

TEST(DestPath, EnteringAppendsWithinTheLimit)
{
    char sz[MAXPATHTEXT];
    strcpy(sz, "c:\\apps\\tools");
    EXPECT_TRUE(AppendComponent(sz, ".."));
    EXPECT_STREQ(sz, "c:\\apps\\tools\\..");
    std::string base(125, 'q');
    strcpy(sz, base.c_str());
    EXPECT_TRUE(AppendComponent(sz, "r"));            /* 127 */
    strcpy(sz, base.c_str());
    EXPECT_FALSE(AppendComponent(sz, "rs"));
    EXPECT_EQ(std::string(sz), base);
}

TEST(DestPath, GoingUpEndsAtTheListedFoldersParent)
{
    EXPECT_EQ(Apply(GoUpPath, "c:\\apps\\tools\\.."), "c:\\apps");
    EXPECT_EQ(Apply(GoUpPath, "c:\\apps\\.."), "c:");
    EXPECT_EQ(Apply(GoUpPath, "c:\\.."), "c:\\..");   /* nothing above a root */
    EXPECT_EQ(Apply(GoUpPath, "c:\\\x81\x5C\\.."), "c:");
    EXPECT_EQ(Apply(GoUpPath, ".."), "..");
}

/* Each level of a destination ends at a backslash (not at a trail byte
 * of that value) or at the path's end. */
TEST(DestPath, LevelsEndAtEachBackslashFromTheRootDown)
{
    struct Case { const char *lpszFull; size_t ich, ichEnd; };
    const Case aCases[] = {
        { "c:\\games\\mines", 2, 8 }, { "c:\\games\\mines", 8, 14 }, { "c:\\games\\mines", 14, 14 },
        { "c:", 2, 2 }, { "c:\\\x81\x5C\\x", 2, 5 }, { "c:\\\x81\x5C\\x", 5, 7 },
    };
    for (const Case &c : aCases)
        EXPECT_EQ(NextLevelEnd(c.lpszFull, c.ich), c.ichEnd) << c.lpszFull << " from " << c.ich;
}

TEST(DestPath, BadNamesAndTheSpaceComparison)
{
    /* A part ending in a blank would be made without it. */
    const char *aBad[] = { "games", "\\games", "d", "c:\\games\\..", "c:\\games..", "1", ":",
                           "c:\\games ", "c:\\a\\ \\b", "c:\\a\\.. ", "c:\\a\t\\b", "c:\\a /b" };
    for (const char *p : aBad)
        EXPECT_TRUE(IsBadDirName(p)) << p;
    /* Blanks inside or before a name stay; a trail byte 0x5C is no backslash. */
    const char *aGood[] = { "c:", "d:\\games", "c:\\a.b", "c:.", "z:\\x\\.y", "c:\\my games", "c:\\ a",
                            "c:\\\xB5\x5C" };
    for (const char *p : aGood)
        EXPECT_FALSE(IsBadDirName(p)) << p;

    /* The folder must take its backslash in 127 characters. */
    EXPECT_TRUE(TakesBackslash(("c:\\" + std::string(123, 'x')).c_str()));    /* 126 */
    EXPECT_FALSE(TakesBackslash(("c:\\" + std::string(124, 'x')).c_str()));   /* 127 */
    EXPECT_TRUE(TakesBackslash("c:"));

    EXPECT_TRUE(IsSpaceShort(2048, 2048));
    EXPECT_FALSE(IsSpaceShort(2048, 2049));
    EXPECT_TRUE(IsSpaceShort(0, 0));
    EXPECT_FALSE(IsSpaceShort(65535, 5242880ULL));
    EXPECT_FALSE(IsSpaceShort(10, 0x100000000ULL + 5));   /* no wrap at 4 G K */
}

TEST(DestPath, SizesAreShownInFull)
{
    char sz[MAXPATHTEXT];
    FormatKBytes(sz, sizeof(sz), 2048);
    EXPECT_STREQ(sz, "2048K Bytes");
    FormatKBytes(sz, sizeof(sz), 5242880ULL);
    EXPECT_STREQ(sz, "5242880K Bytes");
    FormatKBytes(sz, sizeof(sz), 3000000000ULL);
    EXPECT_STREQ(sz, "3000000000K Bytes");
    char szSmall[6];
    memset(szSmall, 0xA5, sizeof(szSmall));
    FormatKBytes(szSmall, sizeof(szSmall), 123456);
    EXPECT_STREQ(szSmall, "12345");
}
