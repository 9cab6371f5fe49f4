/*
 * EntriesTest.cpp - directory, file and item lines, wildcard lines, and the
 * capacities of the tables.
 */
#include <new>
#include "ReaderFixture.h"

class EntriesTest : public ReaderTest {};

/* The reader makes its records with the nothrow new: this one fails the
 * next nFailRecords of them. */
static int nFailRecords;

void *operator new(size_t cb, const std::nothrow_t &) noexcept
{
    if (nFailRecords > 0) {
        nFailRecords--;
        return nullptr;
    }
    try {
        return ::operator new(cb);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

static std::string Lines(const std::string &head, unsigned n, const std::string &body)
{
    std::string s = head;
    for (unsigned i = 0; i < n; i++)
        s += body + "\r\n";
    return s;
}

TEST_F(EntriesTest, DirectoryLineIdsAndFolders)
{
    ASSERT_EQ(Load("[DstDirs]\r\n12 =a\r\n3x= b\\\r\n=c\r\nname=d\r\n4=\r\n70001=e\r\n5=f=g\r\n[End]\r\n"), 0u);
    EXPECT_EQ(DstDirText(0), "12=a");
    EXPECT_EQ(DstDirText(1), "3= b\\");
    EXPECT_EQ(DstDirText(2), "0=c");
    EXPECT_EQ(DstDirText(3), "0=d");
    EXPECT_EQ(DstDirText(4), "4=");
    EXPECT_EQ(DstDirText(5), "4465=e");
    EXPECT_EQ(DstDirText(6), "5=f=g");
}

TEST_F(EntriesTest, DirectoryLineWithoutEqualsSignIsLeftOutAndReported)
{
    ASSERT_EQ(Load("[SrcDirs]\r\n1 src\r\n[DstDirs]\r\n2\r\n2=ok\r\n[End]\r\n"), 0u);
    EXPECT_EQ(view.NumSrcDirs(), 0u);
    ASSERT_EQ(inf.GetNumDstDirs(), 1u);
    EXPECT_EQ(DstDirText(0), "2=ok");
    EXPECT_EQ(Checks(), (std::vector<std::string>{ "strchr(lpszLine,'=')!=NULL",
                                                   "strchr(lpszLine,'=')!=NULL" }));
}

TEST_F(EntriesTest, DirectoryTablesHoldAHundredAndReportFromTheHundredth)
{
    ASSERT_EQ(Load(Lines("[SrcDirs]\r\n", 99, "1=s") + Lines("[DstDirs]\r\n", 99, "2=d") + "[End]\r\n"), 0u);
    EXPECT_TRUE(Checks().empty());

    CSetupInf full;
    CSetupInfView v(full);
    MakeFile("FULL.INF", Lines("[SrcDirs]\r\n", 101, "1=s") + Lines("[DstDirs]\r\n", 102, "2=d") + "[End]\r\n");
    ASSERT_EQ(full.Load(Path("FULL.INF").c_str(), NULL), 0u);
    EXPECT_EQ(v.NumSrcDirs(), 100u);
    EXPECT_EQ(full.GetNumDstDirs(), 100u);
    std::vector<std::string> expect(2, "uNumSrcDirs<MAXDIR");
    expect.insert(expect.end(), 3, "uNumDstDirs<MAXDIR");
    EXPECT_EQ(Checks(), expect);
}

TEST_F(EntriesTest, ExplicitFileLineFields)
{
    ASSERT_EQ(Load("[Files]\r\n"
                   "Read me ,1 :read me.txt , 2: README.TXT ,ignored,more\r\n"
                   "C:colon name,3:a:b,4:c:d,\r\n"
                   " Lead,  7x: s ,8y:t,\r\n"
                   "[End]\r\n"), 0u);
    EXPECT_EQ(FileText(0), "Read me |1:read me.txt |2:README.TXT ");
    EXPECT_EQ(FileText(1), "C:colon name|3:a:b|4:c:d");
    /* The line's trim removes the blank before "Lead". */
    EXPECT_EQ(FileText(2), "Lead|7:s |8:t");
    EXPECT_TRUE(Checks().empty());
}

TEST_F(EntriesTest, FileLinesWithMissingSeparatorsAreReportedAndNeverGuessed)
{
    ASSERT_EQ(Load("[Files]\r\n"
                   "NoComma\r\n"
                   "NoColon,1 a,2:b,\r\n"
                   "NoSrcComma,1:a\r\n"
                   "NoLastComma,1:a,2:b\r\n"
                   "NoDstColon,1:a,2 b,\r\n"
                   "[End]\r\n"), 0u);
    ASSERT_EQ(inf.GetNumFiles(), 5u);
    EXPECT_EQ(FileText(0), "NoComma|0:|0:");
    EXPECT_EQ(FileText(1), "NoColon|1:|2:b");
    EXPECT_EQ(FileText(2), "NoSrcComma|1:a|0:");
    EXPECT_EQ(FileText(3), "NoLastComma|1:a|2:b");
    EXPECT_EQ(FileText(4), "NoDstColon|1:a|2:");
    const std::string colon = "c!=NULL&&(q==NULL||c<q)";
    EXPECT_EQ(Checks(), (std::vector<std::string>{ "p!=NULL", colon, "q!=NULL", "q!=NULL", colon }));
}

TEST_F(EntriesTest, EntriesWhoseNamesWereCutStayMarkedSoTheyFailVisibly)
{
    const std::string n128(128, 'n'), n127(127, 'k');
    ASSERT_EQ(Load("[SrcDirs]\r\n1=" + n128 + "\r\n"                          /* folder cut */
                   "2" + std::string(200, ' ') + "=" + std::string(100, 'f') + "\r\n" /* cut with its line */
                   "[Files]\r\n" + n128 + ",1:a,2:b,\r\n"                    /* display name cut */
                   "Src,1:" + n128 + ",2:b,\r\n"                             /* source name cut */
                   "Dst,1:" + n127 + ",2:" + n127 + ",\r\n"                   /* the line lost its last comma */
                   "Kept,1:a,2:b," + std::string(300, 'x') + "\r\n"           /* the cut is past the names */
                   "[PM Info]\r\n" + n128 + ",Cut\r\n[End]\r\n"), 0u);     /* item specification cut */
    ASSERT_EQ(view.NumSrcDirs(), 2u);
    EXPECT_FALSE(view.SrcDir(0)->IsWhole());
    EXPECT_FALSE(view.SrcDir(1)->IsWhole());
    EXPECT_EQ(ItemText(0), n128.substr(0, 127) + "|Cut|cut");
    ASSERT_EQ(inf.GetNumFiles(), 4u);
    EXPECT_EQ(FileText(0), n128.substr(1) + "|1:a|2:b") << "a cut display name is only shown";
    EXPECT_EQ(FileText(1), "Src|1:" + n128.substr(1) + "|2:b|cut");
    EXPECT_EQ(FileText(2).substr(FileText(2).size() - 4), "|cut");
    EXPECT_EQ(FileText(3), "Kept|1:a|2:b");
    /* Every file of a cut directory fails its copy, never goes elsewhere. */
    char sz[5][MAXTEXT];
    EXPECT_FALSE(inf.GetFile(3, sz[0], sz[1], sz[2], sz[3], sz[4]));
    EXPECT_EQ(Checks(), (std::vector<std::string>{ "strlen(p+1)<sizeof(szDir)", "strlen(lpszPos)<sizeof(szLine)",
        "strlen(lpszLine)<sizeof(szDisplayName)", "strlen(t)<cchName", "strlen(lpszPos)<sizeof(szLine)",
        "q!=NULL", "strlen(lpszPos)<sizeof(szLine)", "strlen(lpszLine)<sizeof(szItemSpec)" }));
}

TEST_F(EntriesTest, RecordsThatCannotBeMadeAreNeitherStoredNorCounted)
{
    nFailRecords = 4;
    ASSERT_EQ(Load("[SrcDirs]\r\n1=a\r\n[DstDirs]\r\n2=b\r\n[Files]\r\nF,1:a,2:b,\r\n"
                   "[PM Info]\r\nxSxa,A\r\n[DstDirs]\r\n3=kept\r\n[End]\r\n"), 0u);
    EXPECT_EQ(view.NumSrcDirs() + inf.GetNumFiles() + inf.GetNumPMItems(), 0u);
    EXPECT_EQ(DstDirText(0), "3=kept");
    EXPECT_EQ(Checks(), (std::vector<std::string>{ "pDir!=NULL", "pDir!=NULL", "pFile!=NULL", "pItem!=NULL" }));
}

TEST_F(EntriesTest, FileTableHoldsAThousandAndReportsFromTheThousandth)
{
    ASSERT_EQ(Load(Lines("[Files]\r\n", 999, "f,1:f,1:f,") + "[End]\r\n"), 0u);
    EXPECT_TRUE(Checks().empty());

    CSetupInf full;
    CSetupInfView v(full);
    MakeFile("FULL.INF", Lines("[Files]\r\n", 1002, "f,1:f,1:f,") + "[End]\r\n");
    ASSERT_EQ(full.Load(Path("FULL.INF").c_str(), NULL), 0u);
    EXPECT_EQ(full.GetNumFiles(), 1000u);
    EXPECT_EQ(Checks(), std::vector<std::string>(3, "uNumFiles<MAXFILE"));
}

TEST_F(EntriesTest, ItemLines)
{
    ASSERT_EQ(Load("[PM Info]\r\nxSxAPP.EXE,  演示 , one, two \r\nab,\r\nNoComma\r\n[End]\r\n"), 0u);
    ASSERT_EQ(inf.GetNumPMItems(), 3u);
    EXPECT_EQ(ItemText(0), "xSxAPP.EXE|演示 , one, two");
    EXPECT_EQ(ItemText(1), "ab|");
    EXPECT_EQ(ItemText(2), "NoComma|");
    EXPECT_EQ(Checks(), (std::vector<std::string>{ "p!=NULL" }));
}

TEST_F(EntriesTest, ItemTableHoldsTwentyAndReportsEachExtraLine)
{
    ASSERT_EQ(Load(Lines("[PM Info]\r\n", 22, "xDxa.exe,A") + "[End]\r\n"), 0u);
    EXPECT_EQ(inf.GetNumPMItems(), 20u);
    EXPECT_TRUE(inf.GetPMItemLost()) << "the group step must tell that items are missing";
    EXPECT_EQ(Checks(), std::vector<std::string>(2, "uNumPMItems<MAXPMITEM"));
}

/* ---- wildcard lines ---- */

TEST_F(EntriesTest, WildcardListsTheSourceFolderInPlace)
{
    MakeFile("disk1/b.dat");
    MakeFile("disk1/a.txt");
    MakeFile("disk1/.hidden");
    MakeDir("disk1/sub");
    MakeFile("disk1/sub/inner.txt");
    ASSERT_EQ(Load("[SrcDirs]\r\n4=disk1\r\n[Files]\r\nFirst,4:x,1:x,\r\n*4-9,ignored\r\nLast,4:y,1:y,\r\n[End]\r\n"), 0u);
    ASSERT_EQ(inf.GetNumFiles(), 5u);
    EXPECT_EQ(FileText(0), "First|4:x|1:x");
    EXPECT_EQ(FileText(1), ".hidden|4:.hidden|9:.hidden");
    EXPECT_EQ(FileText(2), "a.txt|4:a.txt|9:a.txt");
    EXPECT_EQ(FileText(3), "b.dat|4:b.dat|9:b.dat");
    EXPECT_EQ(FileText(4), "Last|4:y|1:y");
    EXPECT_TRUE(Checks().empty());
}

TEST_F(EntriesTest, WildcardFolderFormsAndTheProgramFolderItself)
{
    MakeFile("d2/two.txt");
    MakeFile("d3/three.txt");
    ASSERT_EQ(Load("[SrcDirs]\r\n1=d2\\\r\n2=d3/\r\n3=\r\n[Files]\r\n*1-1,\r\n*2-1,\r\n*3-1,\r\n[End]\r\n"), 0u);
    ASSERT_EQ(inf.GetNumFiles(), 3u);
    EXPECT_EQ(FileText(0), "two.txt|1:two.txt|1:two.txt");
    EXPECT_EQ(FileText(1), "three.txt|2:three.txt|1:three.txt");
    /* The empty folder lists the program's folder: only the script is there. */
    EXPECT_EQ(FileText(2), "SETUP.INF|3:SETUP.INF|1:SETUP.INF");
}

TEST_F(EntriesTest, WildcardIdTextsAreReadLikeNumbersAndKeptForTheEntries)
{
    MakeFile("w/f.txt");
    ASSERT_EQ(Load("[SrcDirs]\r\n7=w\r\n[Files]\r\n* 7 - 8 ,\r\n*07-0,\r\n[End]\r\n"), 0u);
    ASSERT_EQ(inf.GetNumFiles(), 2u);
    EXPECT_EQ(FileText(0), "f.txt|7:f.txt|8:f.txt");
    EXPECT_EQ(FileText(1), "f.txt|7:f.txt|0:f.txt");
}

TEST_F(EntriesTest, WildcardProblemsAreReportedAndFailTheirCopy)
{
    MakeFile("w/f.txt");
    ASSERT_EQ(Load("[Files]\r\n*1-1,\r\n[SrcDirs]\r\n1=w\r\n2=missing\r\n[Files]\r\n"
                   "*1 1,\r\n*1-1\r\n*123456789012-1,\r\n*1-123456789012,\r\n*2-1,\r\n[End]\r\n"), 0u);
    /* No source directory, or a cut id: one failing entry named by the
     * line; no separators: a consistency check; a missing folder: nothing. */
    ASSERT_EQ(inf.GetNumFiles(), 3u);
    EXPECT_EQ(FileText(0), "*1-1|0:?|0:?|cut");
    EXPECT_EQ(FileText(1), "*123456789012-1|0:?|0:?|cut");
    EXPECT_EQ(FileText(2), "*1-123456789012|0:?|0:?|cut");
    EXPECT_EQ(Checks(), (std::vector<std::string>{
        "ii!=uNumSrcDirs", "p!=NULL", "p!=NULL",
        "strlen(lpszLine+1)<sizeof(szSrcId)",
        "strlen(lpszDstId)<sizeof(szDstId)" }));
}

TEST_F(EntriesTest, WildcardSourceIdsBeyondSixteenBitsFindNoDirectory)
{
    /* 65537 and 2^32 + 1 would both wrap to 1; the hyphen ends the id, so
     * "*-1-1," has the empty id 0. */
    MakeFile("w/f.txt");
    ASSERT_EQ(Load("[SrcDirs]\r\n1=w\r\n[Files]\r\n*65537-1,\r\n*4294967297-1,\r\n*-1-1,\r\n[End]\r\n"), 0u);
    ASSERT_EQ(inf.GetNumFiles(), 3u);
    EXPECT_EQ(FileText(2), "*-1-1|0:?|0:?|cut");
    EXPECT_EQ(Checks(), std::vector<std::string>(3, "ii!=uNumSrcDirs"));
}

TEST_F(EntriesTest, WildcardFilesWithCommaOrOverlongNameFailTheirCopy)
{
    MakeFile("w/a,b.txt");
    MakeFile("w/" + std::string(130, 'n'));
    MakeFile("w/ok.txt");
    ASSERT_EQ(Load("[SrcDirs]\r\n1=w\r\n[Files]\r\n*1-1,\r\n[End]\r\n"), 0u);
    ASSERT_EQ(inf.GetNumFiles(), 3u);
    std::vector<std::string> texts = { FileText(0), FileText(1), FileText(2) };
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{ "a;b.txt|0:?|0:?|cut", std::string(127, 'n') + "|0:?|0:?|cut",
                                                "ok.txt|1:ok.txt|1:ok.txt" }));
    EXPECT_EQ(Checks(), (std::vector<std::string>{ "strchr(lpszName,',')==NULL",
                                                   "strlen(lpszName)<MAXTEXT" }));
}

TEST_F(EntriesTest, WildcardGeneratedLineOver255FailsItsCopy)
{
    /* 3 x 80 + 2 x 11 + 7 = 269 characters. */
    std::string name(80, 'm');
    MakeFile("w/" + name);
    ASSERT_EQ(Load("[SrcDirs]\r\n1=w\r\n[Files]\r\n*00000000001-00000000001,\r\n*1-1,\r\n[End]\r\n"), 0u);
    ASSERT_EQ(inf.GetNumFiles(), 2u);
    EXPECT_EQ(FileText(0), name + "|0:?|0:?|cut");
    EXPECT_EQ(FileText(1), name + "|1:" + name + "|1:" + name);
    EXPECT_EQ(Checks(), (std::vector<std::string>{ "cch>0&&cch<(int)sizeof(szLine)" }));
}

TEST_F(EntriesTest, WildcardsStopAtTheFileCapacity)
{
    for (int i = 0; i < 30; i++)
        MakeFile("w/f" + std::to_string(100 + i));
    ASSERT_EQ(Load(Lines("[SrcDirs]\r\n1=w\r\n[Files]\r\n", 980, "f,1:f,1:f,") + "*1-1,\r\n[End]\r\n"), 0u);
    EXPECT_EQ(inf.GetNumFiles(), 1000u);
    EXPECT_EQ(FileText(999), "f119|1:f119|1:f119");
    /* The files beyond the table are not forgotten: the copy names the first. */
    char szLost[MAXTEXT];
    inf.GetLostFile(szLost);
    EXPECT_STREQ(szLost, "f120");
    EXPECT_EQ(Checks(), std::vector<std::string>(10, "uNumFiles<MAXFILE"));
}

TEST_F(EntriesTest, WildcardFolderEndingInADoubleByteCharacterGetsItsBackslash)
{
    /* The folder's last character is 0x81 0x5C; its trail byte is no
     * backslash. On Linux the folder's name is that character in UTF-8. */
    MakeFile("w\xe4\xb9\x97/f.txt");
    ASSERT_EQ(Load("[SrcDirs]\r\n1=w\x81\x5C\r\n[Files]\r\n*1-1,\r\n[End]\r\n"), 0u);
    ASSERT_EQ(inf.GetNumFiles(), 1u);
    EXPECT_EQ(FileText(0), "f.txt|1:f.txt|1:f.txt");
}
