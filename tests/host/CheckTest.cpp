/*
 * CheckTest.cpp - the script checker: every finding on a small script,
 * with its line across CR LF, LF-only and lone-CR line ends, the exit
 * codes. (The demo distribution, which the target build lays out, is
 * checked by scripts/check-parity.sh.)
 */
#include <locale.h>
#include <memory>
#include "Console.h"
#include "InfCheck.h"
#include "ReaderFixture.h"

class CheckTest : public ReaderTest {
protected:
    /* Writes text as SETUP.INF and checks it with a fresh database. */
    std::vector<FINDING> Check(const std::string &text, UINT *puResult = NULL)
    {
        MakeFile("SETUP.INF", text);
        return CheckPath(Path("SETUP.INF"), puResult);
    }

    static std::vector<FINDING> CheckPath(const std::string &path, UINT *puResult = NULL)
    {
        std::unique_ptr<CSetupInf> pInf(new CSetupInf);
        UINT uResult = 0;
        std::vector<FINDING> findings = CheckScript(*pInf, path.c_str(), &uResult);
        if (puResult)
            *puResult = uResult;
        return findings;
    }

    /* "LINE: error: TEXT" lines, for failure messages. */
    static std::string Dump(const std::vector<FINDING> &findings)
    {
        std::string s;
        for (const FINDING &f : findings)
            s += FormatFinding("", f) + "\n";
        return s;
    }

    /* TRUE when a finding of that line and severity holds the text. */
    static bool Has(const std::vector<FINDING> &findings, UINT uLine, int nSeverity,
                    const std::string &text)
    {
        for (const FINDING &f : findings)
            if (f.uLine == uLine && f.nSeverity == nSeverity &&
                f.strText.find(text) != std::string::npos)
                return true;
        return false;
    }
};

#define EXPECT_FINDING(findings, line, sev, text) \
    EXPECT_TRUE(Has(findings, line, sev, text)) << "want " << line << " " << text << " in\n" << Dump(findings)

/* A clean base with one of everything; tests append to or alter it. */
static const char szCleanApp[] =
    "[App]\r\nAppName=Demo\r\nDefDir=C:\\DEMO\\\r\nSpaceNeeded=64\r\nDefPMGroup=G,Group\r\n"
    "InstallToHD=Yes\r\n";

/* ---- line numbers ------------------------------------------------------ */

TEST_F(CheckTest, ObserverCountsLinesAsAnEditorDoes)
{
    /* CR LF, LF, a lone CR (which swallows the next character) and a lone
     * CR that swallows another lone CR: the lines an editor shows. */
    std::vector<std::pair<UINT, std::string>> seen;
    CSetupInf one;
    one.SetLineObserver([](LPVOID lpContext, UINT uLine, int, LPCSTR lpszLine) {
        ((std::vector<std::pair<UINT, std::string>> *)lpContext)->push_back({ uLine, lpszLine });
    }, &seen);
    char szText[] = "[App]\r\nA=1\nB=2\rxC=3\r\rD=4\r\r\nE=5\r\n[End]\r\n";
    ASSERT_TRUE(one.Parse(szText, NULL));
    std::vector<std::pair<UINT, std::string>> want = {
        { 1, "[App]" }, { 2, "A=1" }, { 3, "B=2" }, { 4, "C=3" }, { 6, "D=4" }, { 7, "" },
        { 8, "E=5" }, { 9, "[End]" },
    };
    EXPECT_EQ(seen, want);
}

TEST_F(CheckTest, SameFindingsOnTheSameLinesWhateverTheLineEnds)
{
    const std::string lines[] = {
        "[App]", "AppName=Demo", "Colour=Red", "[SrcDirs]", "1 disk1", "[End]",
    };
    /* (Lone CRs throughout are one finding: see the encoding table.) */
    for (const char *lpszEnd : { "\r\n", "\n" }) {
        std::string text;
        for (const std::string &line : lines)
            text += line + lpszEnd;
        std::vector<FINDING> findings = Check(text);
        SCOPED_TRACE(std::string("line end ") + (lpszEnd[0] == '\n' ? "LF" : "CR LF"));
        EXPECT_FINDING(findings, 1, SEV_WARNING, "no DefPMGroup");
        EXPECT_FINDING(findings, 3, SEV_WARNING, "unknown key 'Colour'");
        EXPECT_FINDING(findings, 5, SEV_ERROR, "directory line without '='");
        EXPECT_EQ(findings.size(), 3u) << Dump(findings);
    }
}

TEST_F(CheckTest, LoneCrIsAWarningOnItsLine)
{
    std::vector<FINDING> findings =
        Check(std::string(szCleanApp) + "[DstDirs]\r\n0=\r\n1=a\r22=b\r\n[End]\r\n");
    EXPECT_FINDING(findings, 9, SEV_WARNING, "skips the first character of the next line");
    EXPECT_EQ(findings.size(), 1u) << Dump(findings);
    EXPECT_EQ(CheckExitCode(findings), 1);
}

/* ---- a script the reader rejects ---------------------------------------- */

TEST_F(CheckTest, RejectedScriptsNameTheCauseAndItsLine)
{
    UINT uResult = 0;
    std::vector<FINDING> findings = Check("[App]\r\nAppName=A\r\n\r\n[files]\r\n[End]\r\n", &uResult);
    EXPECT_EQ(uResult, 3u);
    EXPECT_FINDING(findings, 4, SEV_ERROR, "did you mean [Files]?");

    findings = Check("[App]\r\n[PM Info] ; items\r\n[End]\r\n");
    EXPECT_FINDING(findings, 2, SEV_ERROR, "unknown section header '[PM Info] ; items'");

    findings = Check("[App]\nAppName=A\n\n");
    EXPECT_FINDING(findings, 2, SEV_ERROR, "without an [End] line");
    EXPECT_EQ(findings.size(), 1u) << Dump(findings);

    findings = Check(std::string("[App]\r\nAppName=A\r\n\0[End]\r\n", 21));
    EXPECT_FINDING(findings, 3, SEV_ERROR, "a zero byte ends the script");

    /* Byte 20480 lies in line 3: the whole script is rejected, nothing else. */
    std::string big = "[App]\r\n;" + std::string(20000, 'c') + "\r\n;" + std::string(600, 'c') + "\r\n[End]\r\n";
    findings = Check(big, &uResult);
    EXPECT_EQ(uResult, 3u);
    EXPECT_FINDING(findings, 3, SEV_ERROR, "longer than 20479 bytes");
    EXPECT_EQ(findings.size(), 1u) << Dump(findings);

    findings = CheckPath(Path("NOSUCH.INF"), &uResult);
    EXPECT_EQ(uResult, 2u);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(FormatFinding("NOSUCH.INF", findings[0]), "NOSUCH.INF: error: cannot open the script");
    EXPECT_EQ(CheckExitCode(findings), 2);
}

/* ---- the reader's own checks ------------------------------------------- */

TEST_F(CheckTest, EveryReaderCheckIsAnErrorOnItsLine)
{
    std::string items;
    for (int i = 0; i < 21; i++)
        items += "xSxSETUP.INF,Item " + std::to_string(i) + "\r\n";
    std::vector<FINDING> findings = Check(
        std::string(szCleanApp) +                                   /* lines 1-6 */
        "AppName\r\n"                                               /* 7 */
        "DefPMGroup=G," + std::string(130, 'g') + "\r\n"            /* 8 */
        "[SrcDirs]\r\n0=\r\n1 disk1\r\n"                            /* 9-11 */
        "[DstDirs]\r\n0=\r\n1=" + std::string(300, 'd') + "\r\n"    /* 12-14 */
        "[Files]\r\nNo comma\r\nA,0 SETUP.INF,0:A,\r\nB,0:SETUP.INF,0:B\r\n"   /* 15-18 */
        "*0 0,\r\n*0-0\r\n*123456789012-0,\r\n"                     /* 19-21 */
        "[PM Info]\r\nxSxSETUP.INF\r\n" + items + "[End]\r\n");     /* 22-23, 24-44 */
    EXPECT_FINDING(findings, 7, SEV_ERROR, "key line without '='");
    EXPECT_FINDING(findings, 8, SEV_ERROR, "group name longer than 127 bytes");
    EXPECT_FINDING(findings, 11, SEV_ERROR, "directory line without '='");
    EXPECT_FINDING(findings, 14, SEV_ERROR, "line longer than 255 bytes");
    EXPECT_FINDING(findings, 14, SEV_ERROR, "folder longer than 127 bytes");
    EXPECT_FINDING(findings, 16, SEV_ERROR, "missing ',' after the display name");
    EXPECT_FINDING(findings, 17, SEV_ERROR, "missing ':' between a directory id");
    EXPECT_FINDING(findings, 18, SEV_ERROR, "missing ',' after a file name");
    EXPECT_FINDING(findings, 19, SEV_ERROR, "wildcard line needs a hyphen and a comma");
    EXPECT_FINDING(findings, 20, SEV_ERROR, "wildcard line needs a hyphen and a comma");
    EXPECT_FINDING(findings, 21, SEV_ERROR, "source id text longer than 11 bytes");
    EXPECT_FINDING(findings, 23, SEV_ERROR, "item line without ','");
    EXPECT_FINDING(findings, 43, SEV_ERROR, "more than 20 Program Manager items");
    EXPECT_FINDING(findings, 44, SEV_ERROR, "more than 20 Program Manager items");
    /* The 20th item is the last one kept: nothing on its line. */
    EXPECT_FALSE(Has(findings, 42, SEV_ERROR, "")) << Dump(findings);
}

TEST_F(CheckTest, EntriesWithCutNamesAreToldTheyFail)
{
    std::vector<FINDING> findings = Check(std::string(szCleanApp) +
        "[SrcDirs]\r\n0=\r\n[DstDirs]\r\n0=\r\n[Files]\r\n" +                       /* 7-11 */
        "F,0:" + std::string(130, 's') + ",0:b,\r\n" +                                 /* 12 */
        "G,0:" + std::string(127, 's') + ",0:" + std::string(200, 'd') + ",\r\n" +      /* 13 */
        std::string(130, 'D') + ",0:SETUP.INF,0:b,\r\n" +                           /* 14 */
        "[End]\r\n");
    EXPECT_FINDING(findings, 12, SEV_ERROR, "file name longer than 127 bytes; the file fails to copy");
    EXPECT_FINDING(findings, 13, SEV_ERROR, "line longer than 255 bytes; the file fails to copy");
    EXPECT_FINDING(findings, 13, SEV_ERROR, "missing ',' after a file name");
    EXPECT_FINDING(findings, 14, SEV_ERROR, "display name longer than 127 bytes; it is shown cut");
    EXPECT_EQ(findings.size(), 4u) << Dump(findings);
}

TEST_F(CheckTest, FileTableFullAtTheThousandthFile)
{
    std::string text = std::string(szCleanApp) + "[SrcDirs]\r\n0=\r\n[DstDirs]\r\n0=\r\n[Files]\r\n";
    MakeFile("A");
    for (int i = 0; i < 1001; i++)
        text += "S,0:A,0:B,\r\n";                                   /* lines 12-1012 */
    std::vector<FINDING> findings = Check(text + "[End]\r\n");
    EXPECT_FINDING(findings, 1011, SEV_ERROR, "file table full");
    EXPECT_FINDING(findings, 1012, SEV_ERROR, "file table full");
    EXPECT_FALSE(Has(findings, 1010, SEV_ERROR, "")) << Dump(findings);
}

TEST_F(CheckTest, WildcardFileWithACommaIsToldOnceWithItsCount)
{
    MakeFile("disk1/GOOD.DAT");
    MakeFile("disk1/A,B.DAT");
    MakeFile("disk1/C,D.DAT");
    std::vector<FINDING> findings = Check(std::string(szCleanApp) +
        "[SrcDirs]\r\n1=disk1\r\n[DstDirs]\r\n0=\r\n[Files]\r\n*1-0,\r\n[End]\r\n");
    EXPECT_FINDING(findings, 12, SEV_ERROR, "has a comma in its name; it fails to copy (2 times)");
    EXPECT_EQ(findings.size(), 1u) << Dump(findings);
}

/* ---- what the reader cannot see alone: errors --------------------------- */

TEST_F(CheckTest, IdsWithoutDirectoriesAndMissingSourceFiles)
{
    MakeFile("disk1/DATA.DAT");
    MakeDir("empty");
    std::vector<FINDING> findings = Check(std::string(szCleanApp) +
        "[SrcDirs]\r\n1=disk1\r\n3=empty\r\n[DstDirs]\r\n0=\r\n[Files]\r\n"  /* 7-12 */
        "Data,1:DATA.DAT,0:DATA.DAT,\r\n"           /* 13: clean */
        "Case,1:data.dat,0:DATA2.DAT,\r\n"          /* 14: clean, names ignore case */
        "Gone,1:GONE.DAT,0:GONE.DAT,\r\n"           /* 15: not on the disk */
        "Src,2:DATA.DAT,0:X,\r\n"                   /* 16: no source 2 */
        "Dst,1:DATA.DAT,7:X,\r\n"                   /* 17: no destination 7 */
        "*4-0,\r\n"                                 /* 18: source 4 comes later */
        "*5-0,\r\n"                                 /* 19: source 5 nowhere */
        "*3-9,\r\n"                                 /* 20: empty folder, destination 9 nowhere */
        "[SrcDirs]\r\n4=disk1\r\n[End]\r\n");       /* 21-23 */
    EXPECT_FINDING(findings, 15, SEV_ERROR, "source file 'disk1\\GONE.DAT' is not on the distribution");
    EXPECT_FINDING(findings, 16, SEV_ERROR, "source directory 2 is not defined");
    EXPECT_FINDING(findings, 17, SEV_ERROR, "destination directory 7 is not defined");
    EXPECT_FINDING(findings, 18, SEV_ERROR, "source directory 4 is defined only later, at line 22");
    EXPECT_FINDING(findings, 19, SEV_ERROR, "source directory 5 is not defined");
    EXPECT_FINDING(findings, 20, SEV_ERROR, "destination directory 9 is not defined");
    EXPECT_EQ(findings.size(), 6u) << Dump(findings);
}

TEST_F(CheckTest, DefDirNeedsADriveWhenInstalling)
{
    std::vector<FINDING> findings =
        Check("[App]\r\nAppName=A\r\nDefDir=\\DEMO\r\nInstallToHD=Y\r\n[End]\r\n");
    EXPECT_FINDING(findings, 3, SEV_ERROR, "DefDir '\\DEMO' does not begin with a drive letter");
    EXPECT_FINDING(findings, 1, SEV_WARNING, "no DefPMGroup");
    EXPECT_EQ(findings.size(), 2u) << Dump(findings);

    findings = Check("[App]\r\nAppName=A\r\nInstallToHD=Y\r\n[End]\r\n");
    EXPECT_FINDING(findings, 3, SEV_ERROR, "InstallToHD is set but there is no DefDir");

    /* A default below a folder a fresh Windows lacks: SETUP.EXE makes it. */
    findings = Check("[App]\r\nAppName=A\r\nDefDir=C:\\Games\\Mines\\\r\nDefPMGroup=,G\r\nInstallToHD=Y\r\n[End]\r\n");
    EXPECT_FINDING(findings, 3, SEV_WARNING, "DefDir 'C:\\Games\\Mines\\' is in C:\\Games, which a fresh Windows");
    EXPECT_EQ(findings.size(), 1u) << Dump(findings);
    for (const char *lpszDefDir : { "C:\\DEMO\\", "c:\\program files\\Demo\\", "D:\\Users\\Demo", "C:\\" }) {
        findings = Check(std::string("[App]\r\nAppName=A\r\nDefDir=") + lpszDefDir +
                         "\r\nDefPMGroup=,G\r\nInstallToHD=Y\r\n[End]\r\n");
        EXPECT_TRUE(findings.empty()) << lpszDefDir << Dump(findings);
    }

    /* Nothing is installed without InstallToHD: no destination needed. */
    findings = Check("[App]\r\nAppName=A\r\nDefDir=DEMO\r\nDefPMGroup=,G\r\n[End]\r\n");
    EXPECT_TRUE(findings.empty()) << Dump(findings);
}

TEST_F(CheckTest, FilesWithChineseNamesAreFoundUnderTheirUtf8Names)
{
    /* On Linux the distribution's names are UTF-8; the script is GBK:
     * 程序 = b3 cc d0 f2, 主程序 = d6 f7 b3 cc d0 f2. */
    MakeFile("\xe7\xa8\x8b\xe5\xba\x8f/\xe4\xb8\xbb\xe7\xa8\x8b\xe5\xba\x8f.EXE");
    const std::string main = "\xd6\xf7\xb3\xcc\xd0\xf2.EXE";
    std::vector<FINDING> findings = Check(std::string(szCleanApp) +
        "[SrcDirs]\r\n1=\xb3\xcc\xd0\xf2\r\n[DstDirs]\r\n0=\r\n1=BIN\r\n[Files]\r\n"
        "Main,1:" + main + ",0:" + main + ",\r\n*1-1,\r\n"
        "[PM Info]\r\nxDx" + main + ",Main\r\n[End]\r\n");
    EXPECT_TRUE(findings.empty()) << Dump(findings);
}

/* ---- warnings ----------------------------------------------------------- */

TEST_F(CheckTest, AppSectionWarnings)
{
    std::vector<FINDING> findings = Check(
        "[Version]\r\n[App]\r\nDefDir=C:\\A\\\r\n"          /* 1-3 */
        "DefPMGroup=JustAName\r\n"                          /* 4 */
        "InstallToHD =Yes\r\n"                              /* 5 */
        "appname=A\r\n"                                     /* 6 */
        "Colour=Red\r\n"                                    /* 7 */
        "DefDir=D:\\A\\\r\n"                                /* 8 */
        "[End]\r\n");
    EXPECT_FINDING(findings, 2, SEV_WARNING, "no AppName in [App]");
    EXPECT_FINDING(findings, 4, SEV_WARNING, "DefPMGroup without a comma");
    EXPECT_FINDING(findings, 5, SEV_WARNING, "blank before '=': the reader ignores this line");
    EXPECT_FINDING(findings, 6, SEV_WARNING, "did you mean AppName?");
    EXPECT_FINDING(findings, 7, SEV_WARNING, "unknown key 'Colour'");
    EXPECT_FINDING(findings, 8, SEV_WARNING, "DefDir given again (before at line 3)");
    EXPECT_EQ(findings.size(), 6u) << Dump(findings);
    EXPECT_EQ(CheckExitCode(findings), 1);

    findings = Check("[App]\r\nAppName=\r\n[End]\r\n");
    EXPECT_FINDING(findings, 2, SEV_WARNING, "AppName is empty");
}

TEST_F(CheckTest, DestinationFoldersComeAfterTheirParents)
{
    std::vector<FINDING> findings = Check(std::string(szCleanApp) +
        "[DstDirs]\r\n0=\r\n1=BIN\\\r\n2=DATA\\SUB\r\n3=data\r\n"      /* 7-11 */
        "4=DOC\\EN\\\r\n5=BIN\\X\r\n[End]\r\n");                        /* 12-13 */
    EXPECT_FINDING(findings, 10, SEV_WARNING, "'DATA\\SUB' is listed before its parent 'DATA' (line 11)");
    EXPECT_FINDING(findings, 12, SEV_WARNING, "the parent 'DOC' of destination folder 'DOC\\EN' is not listed");
    EXPECT_EQ(findings.size(), 2u) << Dump(findings);
}

TEST_F(CheckTest, ItemsNeedAProgramThatWillBeThere)
{
    MakeFile("disk1/TOOL.EXE");
    std::vector<FINDING> findings = Check(std::string(szCleanApp) +
        "[SrcDirs]\r\n1=disk1\r\n[DstDirs]\r\n0=\r\n2=BIN\r\n[Files]\r\n"    /* 7-12 */
        "Tool,1:TOOL.EXE,2:TOOL.EXE,\r\n[PM Info]\r\n"                       /* 13-14 */
        "xDxBIN\\TOOL.EXE,Installed\r\n"            /* 15: clean */
        "xdxbin\\tool.exe /v,Arguments\r\n"         /* 16: clean */
        "xSxdisk1\\TOOL.EXE,On the disk\r\n"        /* 17: clean */
        "xsxTOOL.EXE,Not on the disk\r\n"           /* 18 */
        "xDxDISK1\\TOOL.EXE,Not installed\r\n"      /* 19 */
        "xS,Short\r\n"                              /* 20 */
        "[End]\r\n");
    EXPECT_FINDING(findings, 18, SEV_WARNING, "program 'TOOL.EXE' of this item is not on the distribution");
    EXPECT_FINDING(findings, 19, SEV_ERROR, "not among the files to be installed");
    EXPECT_FINDING(findings, 20, SEV_WARNING, "item specification 'xS' is shorter than three characters");
    EXPECT_EQ(findings.size(), 3u) << Dump(findings);

    /* Without InstallToHD the destination is the distribution itself. */
    findings = Check("[App]\r\nAppName=A\r\nDefPMGroup=,G\r\n[PM Info]\r\nxDxdisk1\\TOOL.EXE,Here\r\n"
                     "xDxBIN\\TOOL.EXE,There\r\n[End]\r\n");
    EXPECT_FINDING(findings, 6, SEV_WARNING, "InstallToHD is not set");
    EXPECT_EQ(findings.size(), 1u) << Dump(findings);
}

/* An SZDD file of literals only: a flag byte of ones before every eight
 * bytes, the header giving cbHeader as the expanded size. */
static std::string LiteralSzdd(const std::string &bytes, size_t cbHeader)
{
    std::string s("SZDD\x88\xf0\x27\x33" "A\0", 10);
    for (int k = 0; k < 4; k++)
        s += (char)(cbHeader >> (8 * k));
    for (size_t i = 0; i < bytes.size(); i += 8)
        s += "\xff" + bytes.substr(i, 8);
    return s;
}

TEST_F(CheckTest, SpaceNeededCoversTheExpandedFilesInClusters)
{
    /* 3000 bytes plain and 5000 compressed: one cluster and two of 4K,
     * so 12K where the bytes alone would make 8K. */
    MakeFile("disk1/PLAIN.DAT", std::string(3000, 'p'));
    MakeFile("disk1/PACKED.DA_", LiteralSzdd(std::string(5000, 'q'), 5000));
    const std::string files = "[SrcDirs]\r\n1=disk1\r\n[DstDirs]\r\n0=\r\n[Files]\r\n"
                              "P,1:PLAIN.DAT,0:PLAIN.DAT,\r\nQ,1:PACKED.DA_,0:PACKED.DAT,\r\n[End]\r\n";
    std::string app = szCleanApp;
    app.replace(app.find("SpaceNeeded=64"), 14, "SpaceNeeded=12");
    std::vector<FINDING> findings = Check(app + files);
    EXPECT_TRUE(findings.empty()) << Dump(findings);

    app.replace(app.find("SpaceNeeded=12"), 14, "SpaceNeeded=11");
    findings = Check(app + files);
    EXPECT_FINDING(findings, 4, SEV_WARNING, "SpaceNeeded is 11K but the files to copy take 12K");
    EXPECT_EQ(findings.size(), 1u) << Dump(findings);
}

/* ---- scripts saved in the wrong form, or that install nothing ------------ */

TEST_F(CheckTest, EncodingMistakesAreOneErrorAtLineOne)
{
    const std::string body = std::string(szCleanApp) + "[End]\r\n";
    std::string utf16("\xff\xfe", 2);
    for (char c : body)
        utf16 += std::string(1, c) + '\0';
    const struct {
        const char *lpszWhat;
        std::string text;
        const char *lpszFinding;
    } cases[] = {
        { "byte-order mark", "\xef\xbb\xbf" + body, "UTF-8 byte-order mark" },
        { "UTF-16", utf16, "is UTF-16" },
        { "UTF-8 Chinese", "[App]\r\nAppName=\xe6\xbc\x94\xe7\xa4\xba\r\n[End]\r\n", "would show garbled" },
        { "lone CRs", "[App]\r AppName=A\r [End]\r", "every line ends in a lone CR" },
    };
    for (const auto &c : cases) {
        std::vector<FINDING> findings = Check(c.text);
        EXPECT_FINDING(findings, 1, SEV_ERROR, c.lpszFinding);
        EXPECT_EQ(findings.size(), 1u) << c.lpszWhat << "\n" << Dump(findings);
    }
    /* GBK Chinese is what the reader wants. */
    EXPECT_TRUE(Check(std::string(szCleanApp) + "AppName=\xd1\xdd\xca\xbe\r\n[End]\r\n").size() == 1u);
}

TEST_F(CheckTest, ScriptsThatInstallNothingOrTheWrongThing)
{
    MakeFile("A.DAT");
    MakeDir("SUB");
    std::string cut = std::string("SZDD\x88\xf0\x27\x33" "A\0\x10\x27\0\0", 14) + "\xff" "12345678" "\xff" "1";
    MakeFile("CUT.DA_", cut);
    const std::string dirs = "[SrcDirs]\r\n0=\r\n[DstDirs]\r\n0=\r\n[Files]\r\n";   /* lines 7-11 */
    const std::string noHD = "[App]\r\nAppName=A\r\nDefDir=C:\\A\\\r\nSpaceNeeded=64\r\nDefPMGroup=,G\r\n;\r\n";
    const struct {
        std::string text;
        UINT uLine;
        int nSeverity;
        const char *lpszFinding;
        size_t nFindings;       /* with "given again" for a key written twice */
    } cases[] = {
        { noHD + dirs + "A,0:A.DAT,0:A.DAT,\r\n", 12, SEV_ERROR, "none of the 1 files of [Files] is copied", 1 },
        { "AppName=A\r\n" + std::string(szCleanApp) + "[End]\r\n", 1, SEV_WARNING, "before the first section", 1 },
        { std::string(szCleanApp) + dirs + "[DstDirs]\r\n0=SUB\r\n", 13, SEV_WARNING,
          "destination directory 0 is given again (first at line 10)", 1 },
        { std::string(szCleanApp) + dirs + "A,0:A.DAT,0:A.DAT,\r\nB,0:A.DAT,0:a.dat,\r\n", 13, SEV_WARNING,
          "destination file 'a.dat' is written again (first at line 12)", 1 },
        { std::string(szCleanApp) + "DefPMGroup=,My (Group)\r\n", 7, SEV_WARNING, "has a comma or a parenthesis", 2 },
        { std::string(szCleanApp) + "[PM Info]\r\nxSxA.DAT,Read me, now\r\n", 8, SEV_WARNING,
          "the description 'Read me, now' has a comma", 1 },
        { "[App]\r\nAppName=A\r\nDefDir=C:\\A\\\r\n", 1, SEV_WARNING, "no DefPMGroup", 1 },
        { std::string(szCleanApp) + "SpaceNeeded=70000\r\n", 7, SEV_WARNING, "over 65535, the most it can say; the reader reads 4464", 2 },
        { std::string(szCleanApp) + "SpaceNeeded=1500K\r\n", 7, SEV_WARNING, "has a unit", 2 },
        { std::string(szCleanApp) + "SpaceNeeded= 1500\r\n", 7, SEV_WARNING, "begins with a blank, so the reader reads it as 0", 2 },
        { std::string(szCleanApp) + dirs + "S,0:SUB,0:SUB,\r\n", 12, SEV_ERROR, "'SUB' is a folder on the distribution", 1 },
        { std::string(szCleanApp) + dirs + "C,0:CUT.DA_,0:CUT.DAT,\r\n", 12, SEV_ERROR,
          "'CUT.DA_' is cut or damaged: it expands to 9 bytes, its header says 10000", 1 },
    };
    for (const auto &c : cases) {
        std::vector<FINDING> findings = Check(c.text + "[End]\r\n");
        EXPECT_FINDING(findings, c.uLine, c.nSeverity, c.lpszFinding);
        EXPECT_EQ(findings.size(), c.nFindings) << c.lpszFinding << "\n" << Dump(findings);
    }
}

/* ---- output ------------------------------------------------------------- */

TEST_F(CheckTest, ScriptTextsAreShownInTheTerminalsEncoding)
{
    /* "program '说明.EXE'" in GBK, and a lone lead byte of a cut text. */
    const std::string text = "program '\xcb\xb5\xc3\xf7.EXE' \xcb";
    ASSERT_NE(setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    EXPECT_EQ(ConsoleText(text), "program '\xe8\xaf\xb4\xe6\x98\x8e.EXE' ?");
    ASSERT_NE(setlocale(LC_CTYPE, "C"), nullptr);
    EXPECT_EQ(ConsoleText(text), "program '??.EXE' ?");
    /* A path names a file: its UTF-8 name becomes the reader's GBK. */
    EXPECT_EQ(ConsolePath("d/\xe7\xa8\x8b\xe5\xba\x8f"), "d/\xb3\xcc\xd0\xf2");
}

TEST_F(CheckTest, FindingLinesSummaryAndExitCodes)
{
    FINDING warning = { 12, SEV_WARNING, "w" };
    FINDING error = { 3, SEV_ERROR, "e" };
    EXPECT_EQ(FormatFinding("A\\SETUP.INF", warning), "A\\SETUP.INF:12: warning: w");
    EXPECT_EQ(FormatFinding("SETUP.INF", error), "SETUP.INF:3: error: e");
    EXPECT_EQ(FormatSummary("S", {}), "S: 0 errors, 0 warnings");
    EXPECT_EQ(FormatSummary("S", { warning, error, error }), "S: 2 errors, 1 warning");
    EXPECT_EQ(CheckExitCode({}), 0);
    EXPECT_EQ(CheckExitCode({ warning, warning }), 1);
    EXPECT_EQ(CheckExitCode({ warning, error }), 2);
}
