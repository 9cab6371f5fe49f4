/*
 * ScriptTest.cpp - reading a whole script: sections, headers, comments,
 * line ends, size limits, result codes and the [App] keys.
 */
#include <string.h>
#include <algorithm>
#include "ReaderFixture.h"

class ScriptTest : public ReaderTest {};

extern int nHostFailAllocs;

TEST_F(ScriptTest, HeadersMatchWithBlanksAroundButOnlyExactly)
{
    EXPECT_EQ(Load("  [App]\t\r\nAppName=A\r\n\t[End]  \r\n"), 0u);
    EXPECT_STREQ(view.AppName(), "A");
}

TEST_F(ScriptTest, HeaderInOtherCaseRejectsButKeepsWhatWasRead)
{
    EXPECT_EQ(Load("[App]\r\nAppName=A\r\n[SrcDirs]\r\n1=x\r\n[files]\r\n[End]\r\n"), 3u);
    EXPECT_STREQ(view.AppName(), "A");
    EXPECT_EQ(view.NumSrcDirs(), 1u);
    EXPECT_EQ(view.Section(), SECT_NONE);
}

TEST_F(ScriptTest, HeaderWithACommentOnItsLineRejects)
{
    EXPECT_EQ(Load("[App] ; the app\r\n[End]\r\n"), 3u);
}

TEST_F(ScriptTest, EntryLineStartingWithABracketIsTakenForAHeader)
{
    EXPECT_EQ(Load("[Files]\r\n[x],1:a,1:a,\r\n[End]\r\n"), 3u);
}

TEST_F(ScriptTest, NothingAfterEndIsRead)
{
    EXPECT_EQ(Load("[App]\r\nAppName=A\r\n[End]\r\n[Bogus]\r\n[App]\r\nAppName=B\r\n"), 0u);
    EXPECT_STREQ(view.AppName(), "A");
}

TEST_F(ScriptTest, ScriptWithoutEndIsRejected)
{
    EXPECT_EQ(Load("[App]\r\nAppName=A\r\n"), 3u);
    EXPECT_EQ(Load("[App]\r\nAppName=A"), 3u);
    EXPECT_EQ(Load(""), 3u);
    EXPECT_STREQ(view.AppName(), "A");
}

TEST_F(ScriptTest, EndWithoutLineBreakIsEnough)
{
    EXPECT_EQ(Load("[App]\r\nAppName=A\r\n[End]"), 0u);
}

TEST_F(ScriptTest, CommentsEmptyLinesVersionAndPreambleAreIgnored)
{
    ASSERT_EQ(Load("AppName=Before\r\n; comment\r\n\r\n[Version]\r\nAppName=V\r\n1=x\r\n"
                   "[App]\r\n   ; indented comment\r\nAppName=A;not a comment\r\n"
                   "[SrcDirs]\r\n;1=commented\r\n\t\r\n1=a;b\r\n[End]\r\n"), 0u);
    EXPECT_STREQ(view.AppName(), "A;not a comment");
    ASSERT_EQ(view.NumSrcDirs(), 1u);
    char szDir[MAXTEXT];
    view.SrcDir(0)->GetDir(szDir);
    EXPECT_STREQ(szDir, "a;b");
}

TEST_F(ScriptTest, RepeatedSectionsAddToWhatIsThere)
{
    ASSERT_EQ(Load("[DstDirs]\r\n1=a\r\n[App]\r\nAppName=A\r\n[DstDirs]\r\n2=b\r\n[End]\r\n"), 0u);
    EXPECT_EQ(DstDirText(0), "1=a");
    EXPECT_EQ(DstDirText(1), "2=b");
}

TEST_F(ScriptTest, LineEndsCrLfLfAndMixed)
{
    ASSERT_EQ(Load("[DstDirs]\n1=a\r\n2=b\n\n3=c\r\n[End]\n"), 0u);
    ASSERT_EQ(inf.GetNumDstDirs(), 3u);
    EXPECT_EQ(DstDirText(0), "1=a");
    EXPECT_EQ(DstDirText(1), "2=b");
    EXPECT_EQ(DstDirText(2), "3=c");
}

TEST_F(ScriptTest, LoneCrSwallowsTheNextCharacter)
{
    ASSERT_EQ(Load("[DstDirs]\r\n1=a\r22=b\r\n[End]\r\n"), 0u);
    EXPECT_EQ(DstDirText(0), "1=a");
    EXPECT_EQ(DstDirText(1), "2=b");
}

TEST_F(ScriptTest, CrAtTheVeryEndReadsNothingBeyondTheText)
{
    EXPECT_EQ(Load("[End]\r"), 0u);
    CSetupInf other;
    char szText[] = "[App]\r";
    EXPECT_FALSE(other.Parse(szText, NULL));
}

TEST_F(ScriptTest, LongLinesAreCutAt255AndReported)
{
    std::string folder255(253, 'd');                     /* "1=" + 253 = 255 characters */
    ASSERT_EQ(Load("[DstDirs]\r\n1=" + folder255 + "\r\n[End]\r\n"), 0u);
    /* The line fits; the folder does not fit its field of 128, and cut it
     * would name another folder: nothing is made there. */
    EXPECT_EQ(Checks(), (std::vector<std::string>{ "strlen(p+1)<sizeof(szDir)" }));
    EXPECT_EQ(DstDirText(0), "1=" + folder255.substr(0, 127) + "|cut");

    CSetupInf other;
    SetupCheckReset();
    std::string text = "[App]\r\nAppName=" + std::string(300, 'n') + "\r\n[End]\r\n";
    std::vector<char> buf(text.begin(), text.end());
    buf.push_back('\0');
    EXPECT_TRUE(other.Parse(buf.data(), NULL));
    std::vector<std::string> checks = Checks();
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_EQ(checks[0], "strlen(lpszPos)<sizeof(szLine)");
    EXPECT_EQ(checks[1], "strlen(lpszValue)<sizeof(szAppName)");
}

TEST_F(ScriptTest, ScriptSizeLimitIs20479Bytes)
{
    /* Comment lines fill the script so that its last line, [End], ends at
     * byte 20479; the key just before it proves the end was read. */
    const std::string tail = "AppName=Last\r\n[End]";
    std::string text = "[App]\r\n";
    while (text.size() + tail.size() < 20479) {
        size_t room = 20479 - text.size() - tail.size();
        text += room >= 3 ? ";" + std::string(std::min<size_t>(room - 3, 200), 'p') + "\r\n"
                          : std::string(room, ' ');
    }
    text += tail;
    ASSERT_EQ(text.size(), 20479u);
    EXPECT_EQ(Load(text), 0u);
    EXPECT_STREQ(view.AppName(), "Last");
    EXPECT_TRUE(Checks().empty());

    /* One byte more, even with [End] at the very start, is rejected whole. */
    CSetupInf other;
    MakeFile("BIG.INF", "[End]\r\n" + text.substr(7) + " ");
    EXPECT_EQ(other.Load(Path("BIG.INF").c_str(), NULL), 3u);
    EXPECT_EQ(Checks(), (std::vector<std::string>{ "cbRead<MAXSCRIPT" }));
}

TEST_F(ScriptTest, ResultCodesForMissingFileFolderAndMemory)
{
    EXPECT_EQ(inf.Load(Path("NOSUCH.INF").c_str(), NULL), 2u);
    MakeDir("ADIR");
    EXPECT_EQ(inf.Load(Path("ADIR").c_str(), NULL), 2u);
    MakeFile("SETUP.INF", "[End]\r\n");
    nHostFailAllocs = 1;
    EXPECT_EQ(inf.Load(Path("SETUP.INF").c_str(), NULL), 1u);
    EXPECT_EQ(nHostFailAllocs, 0);
    EXPECT_EQ(view.Section(), SECT_NONE);
}

TEST_F(ScriptTest, ParseOnAFinishedDatabaseReadsNothing)
{
    ASSERT_EQ(Load("[End]\r\n"), 0u);
    char szText[] = "[App]\r\nAppName=late\r\n[Bogus]\r\n";
    EXPECT_TRUE(inf.Parse(szText, NULL));
    EXPECT_STREQ(view.AppName(), "");
}

TEST_F(ScriptTest, EmbeddedNulEndsTheText)
{
    std::string text("[End]\r\n\0[Bogus]\r\n", 17);
    EXPECT_EQ(Load(text), 0u);
    CSetupInf other;
    MakeFile("NUL.INF", std::string("[App]\r\n\0[End]\r\n", 15));
    EXPECT_EQ(other.Load(Path("NUL.INF").c_str(), NULL), 3u);
}

/* ---- [App] keys ---- */

TEST_F(ScriptTest, AppKeysAreExactAndValuesKeepTheirBlanks)
{
    ASSERT_EQ(Load("[App]\r\nAppName= 演示程序 \r\nAppName =Ignored\r\nappname=Ignored\r\n"
                   "DefDir=C:\\APPS\\DEMO\\\r\nUnknown=1\r\n[End]\r\n"), 0u);
    /* Trailing blanks go with the line's trim; the leading one stays. */
    EXPECT_STREQ(view.AppName(), " 演示程序");
    EXPECT_STREQ(view.DefDir(), "C:\\APPS\\DEMO\\");

    /* The value runs from the first equals sign to the end. */
    CSetupInf other;
    char szText[] = "[App]\r\nAppName=a=b\r\n[End]\r\n";
    ASSERT_TRUE(other.Parse(szText, NULL));
    EXPECT_STREQ(CSetupInfView(other).AppName(), "a=b");
}

TEST_F(ScriptTest, SpaceNeededValues)
{
    const struct { const char *value; unsigned k; } cases[] = {
        { "1500", 1500 }, { "1500K", 1500 }, { " 1500", 0 }, { "70000", 4464 }, { "", 0 }, { "K", 0 },
    };
    for (const auto &c : cases) {
        CSetupInf one;
        std::string text = std::string("[App]\r\nSpaceNeeded=") + c.value + "\r\n[End]\r\n";
        std::vector<char> buf(text.begin(), text.end());
        buf.push_back('\0');
        ASSERT_TRUE(one.Parse(buf.data(), NULL));
        EXPECT_EQ(one.GetSpaceNeeded(), c.k) << "value [" << c.value << "]";
    }
}

TEST_F(ScriptTest, YesFlagsTakeOnlyAFirstYOrLowerY)
{
    const struct { const char *value; BOOL on; } cases[] = {
        { "Yes", 1 }, { "yes", 1 }, { "Y", 1 }, { "y", 1 }, { "No", 0 }, { "", 0 },
        { " Yes", 0 }, { "true", 0 }, { "1", 0 },
    };
    for (const auto &c : cases) {
        CSetupInf one;
        std::string text = std::string("[App]\r\nInstallToHD=") + c.value +
                           "\r\nShowSubDirCreateStats=" + c.value + "\r\n[End]\r\n";
        std::vector<char> buf(text.begin(), text.end());
        buf.push_back('\0');
        ASSERT_TRUE(one.Parse(buf.data(), NULL));
        EXPECT_EQ(one.GetInstallToHD(), c.on) << "value [" << c.value << "]";
        EXPECT_EQ(one.GetShowSubDirCreateStats(), c.on) << "value [" << c.value << "]";
    }
    CSetupInf absent;
    char szText[] = "[App]\r\n[End]\r\n";
    ASSERT_TRUE(absent.Parse(szText, NULL));
    EXPECT_FALSE(absent.GetInstallToHD());
}

TEST_F(ScriptTest, KeyGivenTwiceKeepsTheLaterValue)
{
    ASSERT_EQ(Load("[App]\r\nAppName=One\r\nInstallToHD=Yes\r\nDefPMGroup=a,B\r\n"
                   "AppName=Two\r\nInstallToHD=No\r\nDefPMGroup=OnlyName\r\n[End]\r\n"), 0u);
    EXPECT_STREQ(view.AppName(), "Two");
    EXPECT_FALSE(inf.GetInstallToHD());
    /* Without a comma the whole value names the group. */
    EXPECT_STREQ(view.PMGroupFirst(), "");
    EXPECT_STREQ(view.PMGroupName(), "OnlyName");
    EXPECT_TRUE(Checks().empty());
}

TEST_F(ScriptTest, KeyLineWithoutEqualsSignIsReportedAndIgnored)
{
    ASSERT_EQ(Load("[App]\r\nAppName\r\nInstallToHD=Y\r\n[End]\r\n"), 0u);
    EXPECT_STREQ(view.AppName(), "");
    EXPECT_TRUE(inf.GetInstallToHD());
    EXPECT_EQ(Checks(), (std::vector<std::string>{ "p!=NULL" }));
}

TEST_F(ScriptTest, TextsAreCutBeforeADoubleByteCharacterThatDoesNotFit)
{
    /* 126 letters and "演示": the 127th byte is a lead byte, which would
     * otherwise stand alone at the end of the title. */
    ASSERT_EQ(Load("[App]\r\nAppName=" + std::string(126, 'a') + "\xd1\xdd\xca\xbe\r\n[End]\r\n"), 0u);
    EXPECT_EQ(std::string(view.AppName()), std::string(126, 'a'));
    EXPECT_EQ(Checks(), (std::vector<std::string>{ "strlen(lpszValue)<sizeof(szAppName)" }));
}

TEST_F(ScriptTest, OverlongTextsAreCutTo127AndReportedEach)
{
    std::string long150(150, 'g');
    ASSERT_EQ(Load("[App]\r\nDefDir=" + long150 + "\r\nDefPMGroup=" + long150 + "," + long150 +
                   "\r\n[End]\r\n"), 0u);
    char szDefDir[MAXTEXT];
    EXPECT_FALSE(inf.GetDefDir(szDefDir)) << "a cut default folder is not to be offered";
    EXPECT_EQ(strlen(szDefDir), 127u);
    EXPECT_EQ(strlen(view.PMGroupFirst()), 127u);
    /* The physical line of DefPMGroup is itself cut at 255 characters. */
    EXPECT_EQ(std::string(view.PMGroupName()), std::string(255 - 11 - 151, 'g'));
    EXPECT_EQ(Checks().size(), 3u);
}
