/*
 * TryReportTest.cpp - the trial installation's check and report. A small
 * distribution (its script in code page 936, one file stored compressed
 * by our compressor, one found through a wildcard line under a UTF-8
 * name, one whose name on disk differs in case), a tree installed as
 * SETUP.EXE installs it and the walker's facts; then each fault alone
 * gives its first difference. The PNG is decoded back with zlib; the page
 * and the JSON are checked for escaping and form.
 */
#include <gtest/gtest.h>
#include <string.h>
#include <zlib.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>
#include "DistOs.h"
#include "SetupinfHost.h"
#include "Szdd.h"
#include "TryReport.h"

#define SOURCE_TIME 981173106LL     /* 2001-02-03 04:05:06 UTC */
#define NSPERSEC    1000000000LL

static const char szScript[] =
    "[App]\r\nAppName=演示\r\nDefDir=C:\\演示\\\r\nDefPMGroup=,演示\r\n"
    "[SrcDirs]\r\n0=\r\n1=data\r\n2=more\r\n"
    "[DstDirs]\r\n0=\r\n1=数据\\\r\n2=空\r\n"
    "[Files]\r\n说明,0:README.TXT,0:README.TXT,\r\n大文件,1:BIG.DA_,1:BIG.DAT,\r\n*2-1,\r\n"
    "[PM Info]\r\nxDxREADME.TXT,说明\r\nxSxSETUP.EXE,再装一次\r\n[End]\r\n";

class TryTest : public ::testing::Test {
public:
    void SetUp() override
    {
        char sz[] = "/tmp/try-report-test-XXXXXX";
        ASSERT_NE(mkdtemp(sz), nullptr);
        dir = sz;
        for (int i = 0; i < 10000; i++)
            big += (char)("0123456789 abcdefghij\n"[(i * 7 + i / 100) % 22]);
        ASSERT_TRUE(SzddCompress((const unsigned char *)big.data(), big.size(), 'T', &packed));
        std::string script;
        ASSERT_TRUE(HostConvert(szScript, "CP936", "UTF-8", &script));
        Write("dist/SETUP.INF", script);
        Write("dist/Readme.txt", "read me\r\n", SOURCE_TIME);
        Write("dist/data/BIG.DA_", std::string(packed.begin(), packed.end()), SOURCE_TIME);
        Write("dist/more/中文.TXT", "中文", SOURCE_TIME);
        Write("shots/1-welcome.bmp", Bmp(4, 3, 24, false));
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void Write(const std::string &rel, const std::string &bytes, long long llTime = -1)
    {
        std::string path = dir + "/" + rel;
        std::filesystem::create_directories(path.substr(0, path.rfind('/')));
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        if (llTime >= 0) {
            ASSERT_TRUE(DistOsSetTime(path, llTime * NSPERSEC)) << path;
        }
    }
    /* The tree as SETUP.EXE leaves it, and the walker's facts about it. */
    void Install()
    {
        std::filesystem::remove_all(dir + "/inst");
        Write("inst/README.TXT", "read me\r\n", SOURCE_TIME);
        Write("inst/数据/BIG.DAT", big, SOURCE_TIME);
        Write("inst/数据/中文.TXT", "中文", SOURCE_TIME);
        std::filesystem::create_directories(dir + "/inst/空");
        walk = "build\ti686\nstep\tstart\t1500\nstep\twelcome\t812\nstep\ttotal\t9000\n"
               "shot\t1-welcome\t演示 安装\nbox\t演示\t安装完成。\\n再见\n"
               "dest\tC:\\演示\\\ndest-unix\t" + dir + "/inst/\ngroup\t演示\n"
               "item\t说明\tC:\\演示\\README.TXT\nitem\t再装一次\tZ:\\tmp\\dist\\SETUP.EXE\n"
               "setup\t0\nlater\tkey\n";
    }
    void Replace(const std::string &from, const std::string &to)
    {
        size_t i = walk.find(from);
        ASSERT_NE(i, std::string::npos) << from;
        walk.replace(i, from.size(), to);
    }
    int Run(std::string *pFirst)
    {
        Write("walk.txt", walk);
        return TryReport(dir + "/walk.txt", dir + "/shots", dir + "/dist", dir + "/report", pFirst);
    }
    static std::string Bmp(int nWidth, int nHeight, int nBits, bool bTopDown);

    std::string dir, big, walk;
    std::vector<unsigned char> packed;
};

typedef struct tagTRYCASE {
    const char *lpszName;
    std::function<void(TryTest *)> change;
    std::string strWant;        /* the first difference; "" installed */
} TRYCASE;

TEST_F(TryTest, EachFaultAloneIsTheFirstDifference)
{
    std::string packedSize = std::to_string(packed.size());
    const std::vector<TRYCASE> cases = {
        { "as installed", [](TryTest *) {}, "" },
        { "command in other letter case",
          [](TryTest *t) { t->Replace("C:\\演示\\README.TXT", "c:\\演示\\readme.txt"); }, "" },
        { "date within the second",
          [](TryTest *t) { DistOsSetTime(t->dir + "/inst/README.TXT", SOURCE_TIME * NSPERSEC + 600000000); }, "" },
        { "file missing", [](TryTest *t) { std::filesystem::remove(t->dir + "/inst/README.TXT"); },
          "README.TXT: missing" },
        { "one byte changed",
          [](TryTest *t) { std::string b = t->big; b[4096] ^= 1; t->Write("inst/数据/BIG.DAT", b, SOURCE_TIME); },
          "数据\\BIG.DAT: differs at byte 4096" },
        { "installed still compressed",
          [](TryTest *t) {
              t->Write("inst/数据/BIG.DAT", std::string(t->packed.begin(), t->packed.end()), SOURCE_TIME);
          },
          "数据\\BIG.DAT: size " + packedSize + ", expected 10000" },
        { "wrong date", [](TryTest *t) { t->Write("inst/数据/中文.TXT", "中文", SOURCE_TIME + 2); },
          "数据\\中文.TXT: date 2001-02-03 04:05:08, expected 2001-02-03 04:05:06 (UTC)" },
        { "folder missing", [](TryTest *t) { std::filesystem::remove(t->dir + "/inst/空"); },
          "folder C:\\演示\\空: missing" },
        { "group renamed", [](TryTest *t) { t->Replace("group\t演示", "group\t演示2"); },
          "group: named 演示2, expected 演示" },
        { "item elsewhere", [](TryTest *t) { t->Replace("C:\\演示\\README.TXT", "C:\\别处\\README.TXT"); },
          "item 说明: command C:\\别处\\README.TXT, expected C:\\演示\\README.TXT" },
        { "item from the distribution renamed", [](TryTest *t) { t->Replace("dist\\SETUP.EXE", "dist\\SETUP2.EXE"); },
          "item 再装一次: command Z:\\tmp\\dist\\SETUP2.EXE, expected the distribution's SETUP.EXE" },
        { "exit code 1603", [](TryTest *t) { t->Replace("setup\t0", "setup\t1603"); },
          "SETUP.EXE ended with 1603 (a step failed)" },
        { "stopped before all else",
          [](TryTest *t) {
              t->Replace("setup\t0", "setup\t1603\nstopped\tno dialog came");
              std::filesystem::remove(t->dir + "/inst/README.TXT");
          },
          "the walk stopped: no dialog came" },
    };
    for (const TRYCASE &c : cases) {
        Install();
        c.change(this);
        std::string first = "(untouched)";
        int nResult = Run(&first);
        EXPECT_EQ(first, c.strWant) << c.lpszName;
        EXPECT_EQ(nResult, c.strWant.empty() ? 0 : 1) << c.lpszName;
    }
}

TEST_F(TryTest, ReportHoldsEveryFactInOrder)
{
    Install();
    std::string first;
    ASSERT_EQ(Run(&first), 0) << first;
    std::ifstream in(dir + "/report/index.html");
    std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    /* The shots come first, then the messages, files, group and times. */
    size_t iLast = 0;
    for (const char *lpsz : { "class=\"band installed\"",
                              "<a href=\"1-welcome.png\"><img src=\"1-welcome.png\" width=\"240\"",
                              "安装完成。\n再见",
                              "数据\\BIG.DAT</td><td class=\"num\">10000</td><td class=\"ok\">ok",
                              "C:\\演示\\空</td>",
                              "再装一次</td><td>Z:\\tmp\\dist\\SETUP.EXE</td><td class=\"ok\">",
                              "<td class=\"num\">0.8 s</td>", "<td class=\"num\">9.0 s</td>", "i686",
                              "default</th><td>C:\\演示\\</td>" }) {
        size_t i = html.find(lpsz, iLast);
        EXPECT_NE(i, std::string::npos) << lpsz;
        iLast = i == std::string::npos ? iLast : i;
    }
    EXPECT_TRUE(std::filesystem::exists(dir + "/report/1-welcome.png"));
    EXPECT_TRUE(std::filesystem::exists(dir + "/shots/1-welcome.bmp")) << "the orchestrator removes";
}

/* ---- pictures ------------------------------------------------------------ */

/* Pixel (x, y) of the test pictures, counted from the top. */
static void Colour(int x, int y, unsigned char *pbRgb)
{
    pbRgb[0] = (unsigned char)(x * 40 + y);
    pbRgb[1] = (unsigned char)(y * 60 + x);
    pbRgb[2] = (unsigned char)(200 - x - 7 * y);
}

static void Le(std::string *ps, unsigned long ul, int cb)
{
    for (int i = 0; i < cb; i++)
        *ps += (char)(ul >> (8 * i));
}

std::string TryTest::Bmp(int nWidth, int nHeight, int nBits, bool bTopDown)
{
    int cbStride = (nWidth * nBits / 8 + 3) & ~3;
    std::string bmp = "BM";
    Le(&bmp, 54 + cbStride * nHeight, 4);
    Le(&bmp, 0, 4);
    Le(&bmp, 54, 4);
    Le(&bmp, 40, 4);
    Le(&bmp, nWidth, 4);
    Le(&bmp, (unsigned long)(bTopDown ? -nHeight : nHeight), 4);
    Le(&bmp, 1, 2);
    Le(&bmp, nBits, 2);
    bmp.append(24, '\0');
    for (int row = 0; row < nHeight; row++) {
        std::string line;
        for (int x = 0; x < nWidth; x++) {
            unsigned char ab[3];
            Colour(x, bTopDown ? row : nHeight - 1 - row, ab);
            line += { (char)ab[2], (char)ab[1], (char)ab[0] };
            if (nBits == 32)
                line += '\x7F';
        }
        line.resize(cbStride, '\xA5');
        bmp += line;
    }
    return bmp;
}

static unsigned long Be32(const unsigned char *pb)
{
    return (unsigned long)pb[0] << 24 | pb[1] << 16 | pb[2] << 8 | pb[3];
}

/* The pixels of an 8-bit RGB PNG, every chunk's CRC checked; "" or why not. */
static std::string ReadPng(const std::vector<unsigned char> &png, int *pnWidth, int *pnHeight,
                           std::vector<unsigned char> *pRgb)
{
    static const unsigned char abSig[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    if (png.size() < 8 || memcmp(png.data(), abSig, 8) != 0)
        return "no signature";
    std::vector<unsigned char> idat;
    size_t i = 8;
    for (bool bEnd = false; !bEnd;) {
        if (i + 12 > png.size())
            return "cut short";
        size_t cb = Be32(&png[i]);
        std::string type(png.begin() + i + 4, png.begin() + i + 8);
        if (i + 12 + cb > png.size() || crc32(0, &png[i + 4], (uInt)(cb + 4)) != Be32(&png[i + 8 + cb]))
            return type + ": bad length or CRC";
        const unsigned char *pb = &png[i + 8];
        if (type == "IHDR") {
            *pnWidth = (int)Be32(pb);
            *pnHeight = (int)Be32(pb + 4);
            if (pb[8] != 8 || pb[9] != 2 || pb[12] != 0)
                return "not 8-bit RGB";
        }
        if (type == "IDAT")
            idat.insert(idat.end(), pb, pb + cb);
        bEnd = type == "IEND";
        i += 12 + cb;
    }
    size_t cbRow = 1 + 3 * (size_t)*pnWidth;
    std::vector<unsigned char> raw(cbRow * *pnHeight + 1);
    uLongf cbRaw = raw.size();
    if (uncompress(raw.data(), &cbRaw, idat.data(), idat.size()) != Z_OK || cbRaw != cbRow * *pnHeight)
        return "IDAT does not inflate to the picture";
    pRgb->clear();
    for (int y = 0; y < *pnHeight; y++) {
        if (raw[cbRow * y] != 0)
            return "a row filter other than none";
        pRgb->insert(pRgb->end(), &raw[cbRow * y + 1], &raw[cbRow * (y + 1)]);
    }
    return "";
}

TEST(TryPng, BmpFormsGdiWritesComeBackPixelForPixel)
{
    const struct { int nWidth, nHeight, nBits; bool bTopDown; } forms[] = {
        { 3, 2, 24, false }, { 5, 4, 24, true }, { 2, 3, 32, false }, { 1, 1, 32, true },
    };
    for (const auto &form : forms) {
        std::string bmp = TryTest::Bmp(form.nWidth, form.nHeight, form.nBits, form.bTopDown);
        std::vector<unsigned char> png, rgb;
        std::string why;
        ASSERT_TRUE(BmpToPng(std::vector<unsigned char>(bmp.begin(), bmp.end()), &png, &why)) << why;
        int nWidth = 0, nHeight = 0;
        ASSERT_EQ(ReadPng(png, &nWidth, &nHeight, &rgb), "") << form.nBits << (form.bTopDown ? " top-down" : "");
        ASSERT_EQ(nWidth, form.nWidth);
        ASSERT_EQ(nHeight, form.nHeight);
        for (int y = 0; y < nHeight; y++)
            for (int x = 0; x < nWidth; x++) {
                unsigned char ab[3];
                Colour(x, y, ab);
                EXPECT_EQ(memcmp(ab, &rgb[3 * (y * nWidth + x)], 3), 0) << x << "," << y << " of " << form.nBits;
            }
    }
}

TEST(TryPng, OtherBmpsAreRefusedWithTheirReason)
{
    std::string good = TryTest::Bmp(3, 2, 24, false);
    const struct { const char *lpszName; size_t iByte; char b; size_t cbKeep; const char *lpszWhy; } cases[] = {
        { "8 bits a pixel", 28, 8, 0, "8 bits a pixel" },
        { "run-length", 30, 1, 0, "compressed" },
        { "cut short", 0, 'B', good.size() - 1, "cut short" },
        { "no pixels", 18, 0, 0, "without pixels" },
    };
    for (const auto &c : cases) {
        std::string bmp = good;
        bmp[c.iByte] = c.b;
        if (c.cbKeep)
            bmp.resize(c.cbKeep);
        std::vector<unsigned char> png(1, 0xA5);
        std::string why;
        EXPECT_FALSE(BmpToPng(std::vector<unsigned char>(bmp.begin(), bmp.end()), &png, &why)) << c.lpszName;
        EXPECT_NE(why.find(c.lpszWhy), std::string::npos) << c.lpszName << ": " << why;
        EXPECT_TRUE(png.empty()) << c.lpszName;
    }
}

/* ---- the page and the JSON ---------------------------------------------- */

/* A strict JSON reader that only says whether the value at *pi is well formed. */
static bool JsonValue(const std::string &s, size_t *pi);

static void SkipBlanks(const std::string &s, size_t *pi)
{
    while (*pi < s.size() && strchr(" \t\r\n", s[*pi]))
        ++*pi;
}

static bool JsonString(const std::string &s, size_t *pi)
{
    for (++*pi; *pi < s.size(); ++*pi) {
        unsigned char b = (unsigned char)s[*pi];
        if (b == '"') {
            ++*pi;
            return true;
        }
        if (b < 0x20)
            return false;
        if (b == '\\') {
            char c = ++*pi < s.size() ? s[*pi] : 0;
            if (c == 'u' &&
                (*pi + 4 >= s.size() || strspn(s.substr(*pi + 1, 4).c_str(), "0123456789abcdefABCDEF") != 4))
                return false;
            if (!strchr("\"\\/bfnrtu", c) || !c)
                return false;
            *pi += c == 'u' ? 4 : 0;
        }
    }
    return false;
}

static bool JsonList(const std::string &s, size_t *pi, char chEnd, bool bKeys)
{
    ++*pi;
    SkipBlanks(s, pi);
    if (*pi < s.size() && s[*pi] == chEnd) {
        ++*pi;
        return true;
    }
    for (;;) {
        SkipBlanks(s, pi);
        if (bKeys) {
            if (*pi >= s.size() || s[*pi] != '"' || !JsonString(s, pi))
                return false;
            SkipBlanks(s, pi);
            if (*pi >= s.size() || s[(*pi)++] != ':')
                return false;
        }
        if (!JsonValue(s, pi))
            return false;
        SkipBlanks(s, pi);
        char c = *pi < s.size() ? s[(*pi)++] : 0;
        if (c == chEnd)
            return true;
        if (c != ',')
            return false;
    }
}

static bool JsonValue(const std::string &s, size_t *pi)
{
    SkipBlanks(s, pi);
    if (*pi >= s.size())
        return false;
    char c = s[*pi];
    if (c == '{' || c == '[')
        return JsonList(s, pi, c == '{' ? '}' : ']', c == '{');
    if (c == '"')
        return JsonString(s, pi);
    for (const char *lpsz : { "true", "false", "null" })
        if (s.compare(*pi, strlen(lpsz), lpsz) == 0) {
            *pi += strlen(lpsz);
            return true;
        }
    size_t cch = strspn(s.c_str() + *pi, "-0123456789.eE+");
    *pi += cch;
    return cch > 0;
}

TEST(TryPage, TextsAreEscapedAndTheJsonIsWellFormed)
{
    TRYFACTS facts;
    ReadWalkFacts("\xEF\xBB\xBF" "box\t<警告>\ta<b & \"c\"\\n\x01" "end\xFF\r\n"
                  "shot\t2-a#b\t'标题'\r\nsetup\t1604\r\n",
                  &facts);
    TRYCHECK check;
    CheckTryInstall("/nonexistent-distribution", facts, &check);
    ASSERT_FALSE(check.bInstalled);
    std::string html = TryReportHtml(facts, check), json = TryReportJson(facts, check);

    EXPECT_NE(html.find("<td>&lt;警告&gt;</td><td class=\"text\">a&lt;b &amp; &quot;c&quot;\n\x01" "end"),
              std::string::npos) << html;
    EXPECT_NE(html.find("failed</strong>: SETUP.EXE ended with 1604 (cancelled)"), std::string::npos);
    EXPECT_NE(html.find("<a href=\"2-a%23b.png\">"), std::string::npos);
    EXPECT_NE(html.find("&#39;标题&#39;"), std::string::npos);
    EXPECT_NE(html.find("<html lang=\"zh-CN\">"), std::string::npos);
    for (const char *lpsz : { "<警告>", "<script", "http:", "https:", "<link", "@import" })
        EXPECT_EQ(html.find(lpsz), std::string::npos) << lpsz;

    size_t i = 0;
    EXPECT_TRUE(JsonValue(json, &i)) << "stops at " << i << " in\n" << json;
    SkipBlanks(json, &i);
    EXPECT_EQ(i, json.size());
    for (const char *lpsz : { "\"caption\": \"<警告>\", \"text\": \"a<b & \\\"c\\\"\\n\\u0001end\\ufffd\"",
                              "\"verdict\": \"failed\"", "\"exit_code\": 1604", "\"stopped\": null",
                              "\"file\": \"2-a#b.png\"",
                              "\"first_difference\": \"SETUP.EXE ended with 1604 (cancelled)\"" })
        EXPECT_NE(json.find(lpsz), std::string::npos) << lpsz << " in\n" << json;
}
