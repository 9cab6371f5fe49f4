/*
 * SetupDistTest.cpp - the distribution builder on Linux: its compressor
 * checked against Debian's msexpand and mscompress, a whole layout from a
 * tree with UTF-8 names, and every limit refused with the file named and
 * nothing finished left behind. (The Win32 tests install what it makes.)
 */
#include <gtest/gtest.h>
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>
#include <functional>
#include <string>
#include <vector>
#include "DistNames.h"
#include "DistOs.h"
#include "FakePe.h"
#include "InfCheck.h"
#include "SetupDist.h"
#include "SetupinfHost.h"
#include "SetupinfOs.h"
#include "Szdd.h"
#include "SzddSamples.h"

/* Bytes from a fixed seed; bRandom for noise, else a small alphabet. */
class DistTest : public ::testing::Test {
public:
    void SetUp() override
    {
        char sz[] = "/tmp/setupdist-test-XXXXXX";
        ASSERT_NE(mkdtemp(sz), nullptr);
        dir = sz;
        MakeFile("SETUP.EXE", "MZ fake program");
        MakeFile("SETUP.TPL", szTemplate);
    }
    void TearDown() override
    {
        std::string cmd = "rm -rf '" + dir + "'";
        EXPECT_EQ(system(cmd.c_str()), 0);
    }
    void MakeFile(const std::string &rel, const std::string &bytes)
    {
        std::string path = dir + "/" + rel;
        FILE *fp = fopen(path.c_str(), "wb");
        if (!fp) {
            std::string cmd = "mkdir -p '" + path.substr(0, path.rfind('/')) + "'";
            ASSERT_EQ(system(cmd.c_str()), 0);
            fp = fopen(path.c_str(), "wb");
        }
        ASSERT_NE(fp, nullptr) << path;
        fwrite(bytes.data(), 1, bytes.size(), fp);
        fclose(fp);
    }
    std::string Read(const std::string &rel)
    {
        FILE *fp = fopen((dir + "/" + rel).c_str(), "rb");
        if (!fp)
            return "(missing)";
        std::string s;
        char ab[65536];
        size_t cb;
        while ((cb = fread(ab, 1, sizeof(ab), fp)) > 0)
            s.append(ab, cb);
        fclose(fp);
        return s;
    }
    bool Exists(const std::string &rel)
    {
        struct stat st;
        return stat((dir + "/" + rel).c_str(), &st) == 0;
    }
    /* msexpand's output for a file of the test folder. */
    std::string Expand(const std::string &rel)
    {
        std::string cmd = "msexpand < '" + dir + "/" + rel + "' > '" + dir + "/expanded' 2>/dev/null";
        return system(cmd.c_str()) == 0 ? Read("expanded") : "(msexpand failed)";
    }
    static void Collect(void *pContext, bool, const std::string &text)
    {
        *(std::string *)pContext += text + "\n";
    }
    int Run(std::vector<std::string> args, const std::string &app = "app", const std::string &out = "out")
    {
        said.clear();
        args.insert(args.begin(), { "--setup-exe", dir + "/SETUP.EXE" });
        args.insert(args.end(), { dir + "/SETUP.TPL", dir + "/" + app, dir + "/" + out });
        return RunSetupDist(args, Collect, &said);
    }

    static const char szTemplate[];
    std::string dir, said;
};

const char DistTest::szTemplate[] =
    "; test\n[App]\nAppName=Test\nDefDir=C:\\TEST\\\nDefPMGroup=,Test\n[PM Info]\nxDx说明.TXT,说明\n[End]\n";

/* Each sample compressed, expanded by msexpand byte for byte, and no
 * larger than what mscompress makes of it. */
TEST_F(DistTest, CompressorRoundTripsThroughMsexpandAndBeatsMscompress)
{
    const std::vector<SZDDSAMPLE> samples = SzddSamples();
    for (const auto &sample : samples) {
        std::vector<unsigned char> packed;
        ASSERT_TRUE(SzddCompress((const unsigned char *)sample.bytes.data(), sample.bytes.size(), 'T', &packed));
        ASSERT_GE(packed.size(), (size_t)SZDD_HEADER);
        EXPECT_TRUE(SzddHasSignature(packed.data(), packed.size()));
        EXPECT_EQ(packed[8], 'A');
        EXPECT_EQ(packed[9], 'T') << "the missing last character";
        EXPECT_EQ(packed[10] | packed[11] << 8 | packed[12] << 16 | packed[13] << 24, (int)sample.bytes.size());
        MakeFile("ours", std::string(packed.begin(), packed.end()));
        EXPECT_TRUE(Expand("ours") == sample.bytes) << sample.lpszName;

        MakeFile(sample.lpszName, sample.bytes);
        std::string cmd = "cd '" + dir + "' && mscompress " + sample.lpszName + " >/dev/null 2>&1";
        ASSERT_EQ(system(cmd.c_str()), 0);
        EXPECT_LE(packed.size(), Read(std::string(sample.lpszName) + "_").size()) << sample.lpszName;
    }
}

TEST_F(DistTest, PackedNamesFollowTheUsualConvention)
{
    char ch = 1;
    EXPECT_EQ(PackedName("README.TXT", &ch), "README.TX_");
    EXPECT_EQ(ch, 'T');
    EXPECT_EQ(PackedName("README", &ch), "README_");
    EXPECT_EQ(ch, 0);
    EXPECT_EQ(PackedName("PAGE.HTML", &ch), "PAGE.HTML_");
    /* A double-byte last character whose trail byte looks like 'A'. */
    EXPECT_EQ(PackedName("X.A\xB1\x41", &ch), "X.A\xB1\x41_");
    EXPECT_EQ(ch, 0);
}

TEST_F(DistTest, LaysOutATreeThatTheCheckerPasses)
{
    std::string text = Lines(20000), random = Bytes(10000, 3, true);
    std::string signature = std::string("SZDD\x88\xF0\x27\x33", 8) + Bytes(92, 4, false);
    MakeFile("app/说明.TXT", text);
    MakeFile("app/数据/RANDOM.BIN", random);
    MakeFile("app/数据/EMPTY.DAT", "");
    MakeFile("app/数据/深/[1].TXT", "bracketed!");
    MakeFile("app/PACKED.DAT", signature);

    ASSERT_EQ(Run({}), DIST_EXIT_OK) << said;
    std::string script = Read("out/SETUP.INF");
    EXPECT_NE(script.find("[App]\r\nSpaceNeeded=40\r\n"), std::string::npos)
        << "5 + 3 + 0 + 1 + 1 clusters of 4K\n" << script;
    EXPECT_NE(script.find("[DstDirs]\r\n0=\r\n1=\xCA\xFD\xBE\xDD\r\n2=\xCA\xFD\xBE\xDD\\\xC9\xEE\r\n"),
              std::string::npos) << script;
    EXPECT_NE(script.find("\r\n\xCB\xB5\xC3\xF7.TXT,0:\xCB\xB5\xC3\xF7.TX_,0:\xCB\xB5\xC3\xF7.TXT,\r\n"),
              std::string::npos) << script;
    EXPECT_NE(script.find("\r\n[Files]\r\n"), std::string::npos) << script;
    EXPECT_NE(script.find("\r\n*1-1,\r\n*2-2,\r\n[PM Info]"), std::string::npos)
        << "a wildcard line for each subfolder, after the top's own lines\n" << script;
    EXPECT_EQ(Read("out/数据/深/[1].TXT"), "bracketed!");
    EXPECT_NE(script.find("\r\nInstallToHD=Yes\r\n"), std::string::npos);
    EXPECT_FALSE(Exists("out/SETUP.IN$"));
    EXPECT_EQ(Read("out/SETUP.EXE"), "MZ fake program");

    EXPECT_EQ(Read("out/说明.TX_").substr(8, 6), std::string("AT\x20\x4E\0\0", 6));
    EXPECT_TRUE(Expand("out/说明.TX_") == text);
    EXPECT_TRUE(Read("out/数据/RANDOM.BIN") == random) << "stored as it is: compressing makes it larger";
    EXPECT_EQ(Read("out/数据/EMPTY.DAT"), "");
    EXPECT_TRUE(Expand("out/PACKED.DA_") == signature) << "the LZ service would expand it as it is";

    ASSERT_EQ(Run({ "--compress", "never" }, "app", "never"), DIST_EXIT_OK) << said;
    EXPECT_TRUE(Read("never/说明.TXT") == text);
    EXPECT_TRUE(Expand("never/PACKED.DA_") == signature);

    ASSERT_EQ(Run({ "--dry-run", "--cluster", "32K" }, "app", "dry"), DIST_EXIT_OK) << said;
    EXPECT_NE(said.find("compressed  说明.TX_"), std::string::npos) << said;
    EXPECT_NE(said.find("SpaceNeeded=128"), std::string::npos) << said;
    EXPECT_FALSE(Exists("dry"));
}

TEST_F(DistTest, EachLimitIsAnErrorNamingTheFileAndNothingIsFinished)
{
    auto two = [](const char *lpszA, const char *lpszB) {
        return [=](DistTest *t, const std::string &app) {
            t->MakeFile(app + "/" + lpszA, "");
            t->MakeFile(app + "/" + lpszB, "");
        };
    };
    const struct {
        const char *lpszWhat;
        std::string named;
        std::function<void(DistTest *, const std::string &)> make;
    } cases[] = {
        { "1000 files with a line each", "1,000 files need a [Files] line of their own",
          [](DistTest *t, const std::string &app) {
              for (int i = 0; i < 999; i++) {
                  char sz[16];
                  snprintf(sz, sizeof(sz), "/SUB/F%04d", i);
                  t->MakeFile(app + sz, "");
              }
              t->MakeFile(app + "/SUB/" + std::string(90, 'W'), "");    /* too long for a wildcard line */
          } },
        { "100 folders", "100 folders, the top one included; a script holds at most 99",
          [](DistTest *t, const std::string &app) {
              for (int i = 0; i < 99; i++) {
                  char sz[16];
                  snprintf(sz, sizeof(sz), "/D%02d/X", i);
                  t->MakeFile(app + sz, "");
              }
          } },
        { "a name over 127 bytes", "NNNNNNNN.TXT", [](DistTest *t, const std::string &app) {
              t->MakeFile(app + "/" + std::string(124, 'N') + ".TXT", "");
          } },
        { "a path over 127 bytes once installed", std::string(40, 'R'),
          [](DistTest *t, const std::string &app) {
              t->MakeFile(app + "/" + std::string(40, 'P') + "/" + std::string(40, 'Q') + "/" +
                              std::string(40, 'R') + "/S.TXT", "");
          } },
        /* 淺 is 0x9C 0x5C in GBK: DefDir does not end in a backslash, so
         * SETUP.EXE adds one, and C:\ + 98 + 2 + 1 + 24 bytes make 128. */
        { "a path over 127 bytes below a DefDir whose last trail byte is 0x5C", "DD淺\\ its path is 128 bytes; at most 127",
          [](DistTest *t, const std::string &app) {
              t->MakeFile(app + "/" + std::string(20, 'N') + ".TXT", "");
              t->MakeFile("SETUP.TPL", "[App]\nAppName=T\nDefDir=C:\\" + std::string(98, 'D') + "淺\nDefPMGroup=,T\n");
          } },
        { "a comma", "A,B.TXT", [](DistTest *t, const std::string &app) { t->MakeFile(app + "/A,B.TXT", ""); } },
        { "a character outside GBK", "\xF0\x9F\x98\x80.TXT",
          [](DistTest *t, const std::string &app) { t->MakeFile(app + "/\xF0\x9F\x98\x80.TXT", ""); } },
        { "a character outside GBK, named", "/Straße.txt: error: 'ß' (U+00DF) has no place in code page 936",
          [](DistTest *t, const std::string &app) { t->MakeFile(app + "/Straße.txt", ""); } },
        { "names alike but for case", "A.TXT", two("a.txt", "A.TXT") },
        { "Greek letters alike but for case", "/α.txt: error: Windows takes it for Α.txt", two("α.txt", "Α.txt") },
        { "fullwidth letters alike but for case", "/ａ.txt: error: Windows takes it for Ａ.txt",
          two("ａ.txt", "Ａ.txt") },
        { "Cyrillic letters alike but for case", "/а.txt: error: Windows takes it for А.txt", two("а.txt", "А.txt") },
        { "a device name", "/CONIN$.TXT: error: a device name Windows reserves", two("A.TXT", "CONIN$.TXT") },
        { "a link to a file outside the folder",
          "/LINK.TXT: error: a link to " + dir + "/OUTSIDE.TXT, outside the application's folder; copy the file in",
          [](DistTest *t, const std::string &app) {
              t->MakeFile("OUTSIDE.TXT", "secret");
              t->MakeFile(app + "/A.TXT", "a");
              ASSERT_EQ(symlink((t->dir + "/OUTSIDE.TXT").c_str(), (t->dir + "/" + app + "/LINK.TXT").c_str()), 0);
          } },
        { "a script over 20479 bytes", std::string(86, 'L') + "10", [](DistTest *t, const std::string &app) {
              for (int i = 0; i < 90; i++)
                  t->MakeFile(app + "/SUB/" + std::string(86, 'L') + std::to_string(1000 + i) + ".TXT", "");
          } },
        { "more than 65535K to install", "the files take 71,680K", [](DistTest *t, const std::string &app) {
              t->MakeFile(app + "/BIG.DAT", "");
              ASSERT_EQ(truncate((t->dir + "/" + app + "/BIG.DAT").c_str(), 70 << 20), 0);
          } },
        { "a section the builder makes, in the template", "SETUP.TPL:3: error: [Files]",
          [](DistTest *t, const std::string &app) {
              t->MakeFile(app + "/A.TXT", "a");
              t->MakeFile("SETUP.TPL", "[App]\nDefDir=C:\\A\\\n[Files]\nA,0:A,0:A,\n");
          } },
        { "a checker error (no DefDir)", "DefDir", [](DistTest *t, const std::string &app) {
              t->MakeFile(app + "/A.TXT", "a");
              t->MakeFile("SETUP.TPL", "[App]\nAppName=X\n[End]\n");
          } },
    };
    int k = 0;
    for (const auto &c : cases) {
        std::string app = "app" + std::to_string(k), out = "out" + std::to_string(k++);
        c.make(this, app);
        EXPECT_EQ(Run({}, app, out), DIST_EXIT_FAILED) << c.lpszWhat;
        EXPECT_NE(said.find(c.named), std::string::npos) << c.lpszWhat << ":\n" << said;
        EXPECT_NE(said.find(": error: "), std::string::npos) << c.lpszWhat;
        EXPECT_FALSE(Exists(out)) << c.lpszWhat << ": a failed run leaves no folder it made";
    }
}

/* Each wrong argument or path: its exit code, a message naming it, and no
 * folder left behind. The dry run alike. */
TEST_F(DistTest, ArgumentsAndPathsAreRefusedByName)
{
    MakeFile("app/A.TXT", "a");
    MakeFile("FILE", "f");
    ASSERT_EQ(symlink((dir + "/app").c_str(), (dir + "/inapp").c_str()), 0);
    const struct {
        std::vector<std::string> options;
        std::string app, out;
        int nExit;
        std::string named;
    } cases[] = {
        { {}, "nope", "out", DIST_EXIT_FAILED, "/nope: error: no such folder" },
        { { "--dry-run" }, "nope", "out", DIST_EXIT_FAILED, "/nope: error: no such folder" },
        { { "--dry-run" }, "FILE", "out", DIST_EXIT_FAILED, "/FILE: error: a file, not the application's folder" },
        { {}, "app", "inapp/out", DIST_EXIT_FAILED, "/inapp/out: error: lies inside the application's folder" },
        { {}, "app", "\xF0\x9F\x98\x80", DIST_EXIT_FAILED, "outside code page 936" },
        { { "--cluster", "3000" }, "app", "out", DIST_EXIT_USAGE, "error: --cluster 3000: a cluster is a power of two" },
        { { "--compress", "maybe" }, "app", "out", DIST_EXIT_USAGE, "error: --compress maybe: the mode is auto" },
        { { "--template-encoding", "latin1" }, "app", "out", DIST_EXIT_USAGE, "--template-encoding latin1: the" },
        { { "--setup-exe", dir }, "app", "out", DIST_EXIT_FAILED, ": error: a folder; --setup-exe names the SETUP.EXE" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Run(c.options, c.app, c.out), c.nExit) << c.named << "\n" << said;
        EXPECT_NE(said.find(c.named), std::string::npos) << said;
        EXPECT_FALSE(Exists(c.out)) << c.named;
        EXPECT_FALSE(Exists("app/out")) << c.named;
    }
    /* The version the build defines, alone on its line. */
    said.clear();
    EXPECT_EQ(RunSetupDist({ "--version" }, Collect, &said), DIST_EXIT_OK);
    EXPECT_EQ(said, "setupdist " SETUP_KIT_VERSION "\n");
}

/* Names compared and matched as Windows does: letters of code page 936
 * in either case, a double-byte character (whose trail byte may look like
 * a letter) never equal to ASCII, '?' one whole character. */
TEST_F(DistTest, NamesCompareAndMatchAsWindowsDoes)
{
    static const struct {
        const char *lpszA, *lpszB;
        bool bSame;
    } aNames[] = {
        { "readme.Txt", "README.TXT", true }, { "α.txt", "Α.TXT", true }, { "ａ.txt", "Ａ.txt", true },
        { "а.txt", "А.txt", true }, { "ё", "Ё", true }, { "ⅸ", "Ⅸ", true }, { "a.txt", "á.txt", false },
        { "α.txt", "a.txt", false }, { "淺a", "淺A", true },
    };
    std::string a, b;
    for (const auto &c : aNames) {
        ASSERT_TRUE(DistOsToScript(c.lpszA, &a) && DistOsToScript(c.lpszB, &b)) << c.lpszA;
        EXPECT_EQ(SameDistName(a, b), c.bSame) << c.lpszA << " " << c.lpszB;
        EXPECT_EQ(SameDistName(b, a), c.bSame) << c.lpszB << " " << c.lpszA;
    }
    EXPECT_FALSE(SameDistName("\xB1\x61", "\xB1\x41")) << "a trail byte is no letter";

    static const struct {
        const char *lpszPattern, *lpszText;
        bool bMatches;
    } aPatterns[] = {
        { "*.BAK", "old.bak", true }, { "Ω*", "ωmega.txt", true }, { "?.TXT", "说.txt", true },
        { "??.TXT", "说.txt", false }, { "*明", "说明", true }, { "*Я", "я", true }, { "a*", "á", false },
    };
    for (const auto &c : aPatterns) {
        ASSERT_TRUE(DistOsToScript(c.lpszPattern, &a) && DistOsToScript(c.lpszText, &b)) << c.lpszPattern;
        EXPECT_EQ(NameMatches(a, b), c.bMatches) << c.lpszPattern << " " << c.lpszText;
    }
}

/* Every character of code page 936 upper-cased as glibc upper-cases its
 * Unicode form one to one (Windows' rule for names), wherever the result
 * lies in the code page too. */
TEST_F(DistTest, UpperCaseAgreesWithUnicodeOverAllOfCodePage936)
{
    locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", (locale_t)0);
    ASSERT_NE(loc, (locale_t)0);
    int nPairs = 0;
    for (unsigned n = 1; n < 0xFF00; n++) {
        std::string ch = n < 0x100 ? std::string(1, (char)n) : std::string{ (char)(n >> 8), (char)n };
        std::string wide, upper;
        if ((n >= 0x100 && n < 0x8100) || !HostConvert(ch, "UTF-32LE", "CP936", &wide) || wide.size() != 4)
            continue;
        uint32_t u = 0;
        memcpy(&u, wide.data(), 4);
        uint32_t uUpper = (uint32_t)towupper_l((wint_t)u, loc);
        if (uUpper == u || !HostConvert(std::string((const char *)&uUpper, 4), "CP936", "UTF-32LE", &upper))
            upper = ch;
        nPairs += upper != ch;
        EXPECT_EQ(UpperDistName(ch), upper) << std::hex << n << " U+" << u;
    }
    freelocale(loc);
    EXPECT_GT(nPairs, 26) << "letters beyond ASCII were compared";
}

/* Names whose GBK second byte is 0x5C, the backslash's value: 淺 is 9C 5C. */
TEST_F(DistTest, NamesWithABackslashTrailByteBuildAndRoundTrip)
{
    const char *const aPaths[] = { "app/淺CON/嘰.TXT", "app/甲淺A/琝.TXT", "app/乙淺A/孿.TXT", "app/擻.TXT" };
    for (const char *lpszPath : aPaths)
        MakeFile(lpszPath, Lines(3000) + lpszPath);
    MakeFile("app/说明.TXT", "the template's item");
    ASSERT_EQ(Run({}), DIST_EXIT_OK) << said;
    std::string script = Read("out/SETUP.INF");
    EXPECT_NE(script.find("\r\n1=\xD2\xD2\x9C\x5C" "A\r\n2=\x9C\x5C" "CON\r\n"), std::string::npos) << script;
    for (const char *lpszPath : aPaths) {
        std::string rel = std::string("out") + (lpszPath + 3);
        std::string stored = Exists(rel) ? Read(rel) : rel.substr(0, rel.size() - 1) + "_";
        EXPECT_TRUE((Exists(rel) ? Expand(rel) : Expand(stored)) == Lines(3000) + lpszPath) << lpszPath;
    }
}

/* 1000 files with long names in four folders fit the script through
 * wildcard lines; one more is an error with the count. Every limit
 * passed is told in the same run. */
TEST_F(DistTest, AThousandFilesFitAndEveryLimitIsToldAtOnce)
{
    /* The template's item and 999 more. */
    MakeFile("app/说明.TXT", "");
    for (int i = 0; i < 999; i++)
        MakeFile("app/FOLDER" + std::to_string(i % 4) + "/A-LONG-DESCRIPTIVE-FILE-NAME-" + std::to_string(i) + ".DAT",
                 "");
    ASSERT_EQ(Run({ "--compress", "never" }), DIST_EXIT_OK) << said;
    EXPECT_LT(Read("out/SETUP.INF").size(), 2000u);

    MakeFile("app/FOLDER0/ONE-MORE.DAT", "");
    EXPECT_EQ(Run({}, "app", "more"), DIST_EXIT_FAILED);
    EXPECT_NE(said.find("/app: error: 1,001 files; a script holds at most 1000"), std::string::npos) << said;
    EXPECT_EQ(said.find(": error:"), said.rfind(": error:")) << said;

    MakeFile("app/" + std::string(130, 'N'), "");
    MakeFile("app/A,B.TXT", "");
    EXPECT_EQ(Run({}, "app", "more"), DIST_EXIT_FAILED);
    for (const char *lpszError : { "1,003 files", "the name is 130 bytes", "A,B.TXT: error: a comma" })
        EXPECT_NE(said.find(lpszError), std::string::npos) << lpszError << "\n" << said;
}

/* The top's files lie beside SETUP.EXE, a line each, while that fits the
 * script; else in a subfolder whose wildcard line installs them into the
 * destination's top, as the reader reads it, and an item that starts one
 * of them from the distribution follows it there, to its file as it is. */
TEST_F(DistTest, TopFilesMoveIntoASubfolderOnlyWhenALineEachWouldNotFit)
{
    const struct {
        const char *lpszWhat;
        int nTop;               /* top files with long names */
        std::string extra;      /* one more file, "" for none */
        std::string folder;     /* where the moved top files lie, "" when none moved */
        int nIntoTop, nBeside;  /* files installed into the top; files beside SETUP.EXE */
    } cases[] = {
        { "a small flat tree keeps today's layout", 3, "", "", 3, 3 },
        { "1000 files at the top", 1000, "", "TOPFILES", 1000, 0 },
        { "a top-level folder takes the name", 999, "topfiles/X.DAT", "TOPFILE1", 999, 0 },
        { "a name too long for a wildcard line stays beside", 999, std::string(90, 'W'), "TOPFILES", 1000, 1 },
    };
    auto name = [](int i) { return "A-LONG-DESCRIPTIVE-NAME-AT-THE-TOP-" + std::to_string(1000 + i) + ".DAT"; };
    std::string text = Lines(2000);    /* would be stored compressed */
    int k = 0;
    for (const auto &c : cases) {
        std::string app = "app" + std::to_string(k), out = "out" + std::to_string(k++);
        for (int i = 0; i < c.nTop; i++)
            MakeFile(app + "/" + name(i), i == 1 && !c.folder.empty() ? text : "x");
        if (!c.extra.empty())
            MakeFile(app + "/" + c.extra, "x");
        MakeFile("SETUP.TPL", "[App]\nAppName=T\nDefDir=C:\\T\\\nDefPMGroup=,T\n[PM Info]\nxSx" + name(1) +
                                  ",Read\n");
        ASSERT_EQ(Run({}, app, out), DIST_EXIT_OK) << c.lpszWhat << "\n" << said;
        EXPECT_TRUE(Exists(out + "/" + c.folder + "/" + name(1))) << c.lpszWhat;
        if (!c.folder.empty()) {
            EXPECT_TRUE(Read(out + "/" + c.folder + "/" + name(1)) == text) << c.lpszWhat;
        }

        CSetupInf inf;
        UINT uResult = 0;
        std::vector<FINDING> findings = CheckScript(inf, (dir + "/" + out + "/SETUP.INF").c_str(), &uResult);
        OsSetProgramFolder(NULL);
        ASSERT_EQ(uResult, (UINT)LOAD_OK) << c.lpszWhat;
        EXPECT_EQ(CheckExitCode(findings), 0) << c.lpszWhat << ": " << (findings.empty() ? "" : findings[0].strText);
        EXPECT_EQ(inf.GetNumFiles(), (UINT)(c.nTop + !c.extra.empty())) << c.lpszWhat;
        int nIntoTop = 0, nBeside = 0, nMoved = 0;
        for (UINT i = 0; i < inf.GetNumFiles(); i++) {
            char szDisplay[MAXTEXT], szSrcDir[MAXTEXT], szSrc[MAXTEXT], szDstDir[MAXTEXT], szDst[MAXTEXT];
            EXPECT_TRUE(inf.GetFile(i, szDisplay, szSrcDir, szSrc, szDstDir, szDst)) << c.lpszWhat << " " << i;
            nIntoTop += szDstDir[0] == '\0';
            nBeside += szSrcDir[0] == '\0';
            nMoved += szSrcDir[0] && szSrcDir == c.folder;
        }
        EXPECT_EQ(nIntoTop, c.nIntoTop) << c.lpszWhat;
        EXPECT_EQ(nBeside, c.nBeside) << c.lpszWhat;
        EXPECT_EQ(nMoved, c.nIntoTop - c.nBeside) << c.lpszWhat;
        char szDescription[MAXTEXT], szSpec[MAXTEXT];
        ASSERT_TRUE(inf.GetPMItem(0, szDescription, szSpec)) << c.lpszWhat;
        EXPECT_EQ(std::string(szSpec), "xSx" + (c.folder.empty() ? "" : c.folder + "\\") + name(1)) << c.lpszWhat;
    }
}

/* Each template mistake at the template's line, before anything is
 * written, with and without --dry-run. */
TEST_F(DistTest, TemplateMistakesAreToldAtTheirLine)
{
    MakeFile("app/A.TXT", Lines(5000));
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        { "", "SETUP.TPL:1: error: the template is empty" },
        { "; only words\n[App]\nAppName=X\n", "SETUP.TPL:2: error: no DefDir in [App]" },
        { "AppName=X\n[App]\nDefDir=C:\\X\\\n", "SETUP.TPL:1: error: text before the first section header" },
        { "[App]\nDefDir=C:\\X\\\nSpaceNeeded=70000\n", "SETUP.TPL:3: error: SpaceNeeded 70000 is over 65535" },
        { "[App]\nDefDir=C:\\X\\\nSpaceNeeded=12MB\n", "SETUP.TPL:3: error: SpaceNeeded '12MB' is not a number" },
        { "[App]\nDefDir=X\n", "SETUP.TPL:2: error: DefDir 'X' does not begin with a drive letter" },
        { "[App]\nDefDir=C:\\X\\\nAppName=\xF0\x9F\x98\x80\n", "SETUP.TPL:3: error: '\xF0\x9F\x98\x80' (U+1F600) has no place" },
    };
    for (const auto &c : cases) {
        MakeFile("SETUP.TPL", c.text);
        for (const char *lpszMode : { "--dry-run", "--compress" }) {
            std::vector<std::string> options = { lpszMode };
            if (options[0] == "--compress")
                options.push_back("always");
            EXPECT_EQ(Run(options), DIST_EXIT_FAILED) << c.error;
            EXPECT_EQ(said.find("SETUP.TPL:"), said.find(c.error)) << lpszMode << ": " << said;
            EXPECT_FALSE(Exists("out")) << c.error;
        }
    }
    /* A SETUP.INF saved on Windows (GBK, CR LF) serves as a template. */
    MakeFile("SETUP.TPL", "[App]\r\nAppName=\xd1\xdd\xca\xbe\r\nDefDir=C:\\X\\\r\n[End]\r\n");
    ASSERT_EQ(Run({}), DIST_EXIT_OK) << said;
    EXPECT_NE(Read("out/SETUP.INF").find("AppName=\xd1\xdd\xca\xbe\r\n"), std::string::npos);
}

/* Stored files keep their sources' dates, so two runs make the same
 * folder, dates included; what is left out is named. */
TEST_F(DistTest, DatesAreKeptRunsAreIdenticalAndExclusionsNamed)
{
    MakeFile("app/A.TXT", Lines(20000));
    MakeFile("app/BIN/B.DAT", Bytes(3000, 7, true));
    MakeFile("app/.git/config", "x");
    MakeFile("app/Thumbs.db", "x");
    MakeFile("app/OLD.BAK", "x");
    MakeFile("app/ΩMEGA.TXT", "x");
    MakeFile("app/SETUP.TPL", szTemplate);
    MakeFile("app/说明.TXT", "the template's item");
    std::string touch = "touch -d '2001-02-03 04:05:06' '" + dir + "/app/A.TXT' '" + dir + "/app/BIN/B.DAT' '" + dir +
                        "/app/说明.TXT'";
    ASSERT_EQ(system(touch.c_str()), 0);
    ASSERT_EQ(RunSetupDist({ "--setup-exe", dir + "/SETUP.EXE", "--exclude", "*.bak", "--exclude", "ω*",
                             dir + "/app/SETUP.TPL", dir + "/app", dir + "/one" },
                           Collect, &(said = "")), DIST_EXIT_OK) << said;
    for (const char *lpszLeft : { ".git (by default)", "Thumbs.db (by default)", "OLD.BAK (--exclude *.bak)",
                                  "ΩMEGA.TXT (--exclude ω*)", "SETUP.TPL (the template)" })
        EXPECT_NE(said.find(lpszLeft), std::string::npos) << lpszLeft << "\n" << said;
    EXPECT_EQ(Read("one/SETUP.INF").find("BAK"), std::string::npos);
    struct stat st;
    ASSERT_EQ(stat((dir + "/one/A.TX_").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 981173106) << "A.TXT's own date";

    sleep(1);
    ASSERT_EQ(RunSetupDist({ "--setup-exe", dir + "/SETUP.EXE", "--exclude", "*.bak", "--exclude", "ω*",
                             dir + "/app/SETUP.TPL", dir + "/app", dir + "/two" },
                           Collect, &(said = "")), DIST_EXIT_OK) << said;
    std::string tar = "cd '" + dir + "' && tar --sort=name --numeric-owner -C one -cf one.tar . && "
                      "tar --sort=name --numeric-owner -C two -cf two.tar . && cmp -s one.tar two.tar";
    EXPECT_EQ(system(tar.c_str()), 0) << "two runs, the same archive";
}

/* --single-file: the payload opens with cabextract and holds exactly the
 * distribution folder's files; a template item in the distribution's
 * folder is refused at its line and nothing is written. */
TEST_F(DistTest, SingleFileOpensWithCabextractAndRefusesSourceItems)
{
    MakeFile("LAUNCHER.EXE", FakePe());
    MakeFile("app/说明.TXT", std::string(5000, 'a'));
    MakeFile("app/子/深/数据.BIN", std::string(3000, '\x7f') + "尾");
    MakeFile("app/子/EMPTY", "");
    std::vector<std::string> one = { "--single-file", dir + "/one.exe", "--launcher", dir + "/LAUNCHER.EXE" };
    ASSERT_EQ(Run(one), 0) << said;
    EXPECT_NE(said.find("one.exe is ready"), std::string::npos) << said;
    std::string cmd = "cd '" + dir + "' && cabextract -q -d x one.exe && diff -r out x && cabextract -l one.exe > list";
    ASSERT_EQ(system(cmd.c_str()), 0) << "the cabinet's files differ from the folder's";
    for (const char *lpszName : { "SETUP.EXE", "SETUP.INF", "子/深/数据.BIN", "子/EMPTY" })
        EXPECT_NE(Read("list").find(lpszName), std::string::npos) << lpszName << " in\n" << Read("list");

    /* An existing file is replaced only with --force, whole. */
    std::string made = Read("one.exe");
    MakeFile("one.exe", "old");
    EXPECT_EQ(Run(one, "app", "again"), 2);
    EXPECT_NE(said.find("one.exe: error: already exists; --force replaces it"), std::string::npos) << said;
    EXPECT_EQ(Read("one.exe"), "old");
    one.push_back("--force");
    ASSERT_EQ(Run(one, "app", "again"), 0) << said;
    EXPECT_TRUE(Read("one.exe") == made) << "replaced by the same distribution's file";
    EXPECT_FALSE(Exists("one.exe.new"));
    one.pop_back();

    MakeFile("SETUP.TPL", std::string(szTemplate).replace(std::string(szTemplate).find("[End]"), 5,
                                                          "xSxSETUP.EXE,重新安装\n[End]"));
    one[1] = dir + "/two.exe";
    EXPECT_EQ(Run(one, "app", "out2"), 2);
    EXPECT_NE(said.find("SETUP.TPL:8: error: this [PM Info] item lies in the distribution's folder"),
              std::string::npos) << said;
    EXPECT_FALSE(Exists("two.exe") || Exists("out2"));
    EXPECT_EQ(Run({}, "app", "out3"), 0) << "without --single-file the item is the publisher's choice: " << said;
}
