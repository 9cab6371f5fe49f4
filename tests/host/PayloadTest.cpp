/*
 * PayloadTest.cpp - the one-file layout: a cabinet made by setupdist's
 * cabinet writer found behind a program, also after signing, and every
 * cut or changed byte refused before anything would be unpacked.
 */
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>
#include "DistOs.h"
#include "FakePe.h"
#include "Payload.h"

class PayloadTest : public ::testing::Test {
public:
    void SetUp() override
    {
        char sz[] = "/tmp/payload-test-XXXXXX";
        ASSERT_NE(mkdtemp(sz), nullptr);
        dir = sz;
        const char *const aNames[] = { "SETUP.EXE", "说明.TXT", "EMPTY" };
        const std::string aBytes[] = { FakePe(), std::string(70000, 'x') + "尾", "" };
        for (int i = 0; i < 3; i++) {
            FILE *fp = fopen((dir + "/" + std::to_string(i)).c_str(), "wb");
            ASSERT_NE(fp, nullptr);
            fwrite(aBytes[i].data(), 1, aBytes[i].size(), fp);
            fclose(fp);
            files.push_back({ dir + "/" + std::to_string(i), std::string("子\\") + aNames[i] });
            cbAll += aBytes[i].size();
        }
        std::string why;
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(DistOsMakeCabinet(files, &bytes, &why)) << why;
        cab.assign(bytes.begin(), bytes.end());
    }
    void TearDown() override
    {
        EXPECT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0);
    }
    /* A program with the payload behind it, as setupdist writes it. */
    std::string OneFile(bool b64 = false, const char *lpszTitle = "演示程序")
    {
        unsigned char abTrailer[PAYLOAD_TRAILER];
        MakePayloadTrailer((const unsigned char *)cab.data(), cab.size(), lpszTitle, abTrailer);
        std::string file = FakePe(b64) + cab + std::string((const char *)abTrailer, sizeof(abTrailer));
        file.resize((file.size() + 7) / 8 * 8, '\0');
        return file;
    }
    static int Find(const std::string &file, PAYLOAD *pPayload)
    {
        return FindPayload((const unsigned char *)file.data(), file.size(), pPayload);
    }

    std::string dir, cab;
    std::vector<DISTCABFILE> files;
    uint64_t cbAll = 0;
};

/* Unsigned and signed, PE32 and PE32+: the cabinet is found where it was
 * put, with its title, files and sizes; the title is cut whole. */
TEST_F(PayloadTest, FoundBehindTheProgramAlsoAfterSigning)
{
    static const struct {
        bool b64, bSigned;
    } aCases[] = { { false, false }, { false, true }, { true, false }, { true, true } };
    for (const auto &c : aCases) {
        std::string file = OneFile(c.b64);
        if (c.bSigned)
            file = FakeSign(file, c.b64);
        PAYLOAD payload;
        ASSERT_EQ(Find(file, &payload), PAYLOAD_OK) << "64-bit " << c.b64 << ", signed " << c.bSigned;
        EXPECT_EQ(file.substr(payload.ibCabinet, payload.cbCabinet), cab);
        EXPECT_STREQ(payload.szTitle, "演示程序");
        EXPECT_EQ(payload.nFiles, 3u);
        EXPECT_EQ(payload.cbUnpacked, cbAll);
    }
    PAYLOAD payload;
    std::string title = "A" + std::string(20, 'B');
    for (int i = 0; i < 30; i++)
        title += "题";
    ASSERT_EQ(Find(OneFile(false, title.c_str()), &payload), PAYLOAD_OK);
    EXPECT_EQ(std::string(payload.szTitle), title.substr(0, 63)) << "a GBK character is kept whole";
    EXPECT_EQ(PayloadCrc32(0, (const unsigned char *)"123456789", 9), 0xCBF43926u);
}

/* Every damage is found before unpacking, with its own result. */
TEST_F(PayloadTest, CutOrChangedFilesAreRefused)
{
    const std::string good = FakeSign(OneFile());
    const size_t ibCab = FakePe().size(), ibTrailer = ibCab + cab.size();
    static const struct {
        const char *lpszWhat;
        size_t ib;          /* the byte changed, or where the file is cut */
        bool bCut;
        int nResult;
    } aCases[] = {
        { "cut in the cabinet", 1, true, PAYLOAD_MISSING },
        { "cut in the trailer", 2, true, PAYLOAD_MISSING },
        { "a byte of a file", 3, false, PAYLOAD_DAMAGED },
        { "a byte of the title", 4, false, PAYLOAD_DAMAGED },
        { "the cabinet's size", 5, false, PAYLOAD_DAMAGED },
        { "not a program", 0, false, PAYLOAD_NOTPE },
    };
    const size_t aib[] = { 0, ibCab + cab.size() / 2, ibTrailer + 70, ibCab + cab.size() - 100, ibTrailer + 1,
                           ibTrailer + PAYLOAD_TITLE_MAX };
    for (const auto &c : aCases) {
        std::string file = good;
        if (c.bCut)
            file.resize(aib[c.ib]);
        else
            file[aib[c.ib]] ^= 0x40;
        PAYLOAD payload;
        EXPECT_EQ(Find(file, &payload), c.nResult) << c.lpszWhat;
    }
}

/* The cabinet's own checks: its size, a block's checksum, its data, a set. */
TEST_F(PayloadTest, CabinetChecksumsAndStructureAreChecked)
{
    unsigned ibData = (unsigned char)cab[36] | (unsigned char)cab[37] << 8;
    static const struct {
        const char *lpszWhat;
        int nByte;          /* which byte is changed: -1 none */
        int nResult;
    } aCases[] = {
        { "as written", -1, PAYLOAD_OK },
        { "the cabinet's size", 8, PAYLOAD_BADCABINET },
        { "a set's flag", 30, PAYLOAD_BADCABINET },
        { "a block's checksum", 0, PAYLOAD_BADCABINET },
        { "a block's data", 1, PAYLOAD_BADCABINET },
    };
    for (const auto &c : aCases) {
        std::string bytes = cab;
        size_t ib = c.nByte == 0 ? ibData : c.nByte == 1 ? ibData + 8 + 10 : (size_t)c.nByte;
        if (c.nByte >= 0)
            bytes[ib] ^= 1;
        PAYLOAD payload;
        EXPECT_EQ(CheckCabinet((const unsigned char *)bytes.data(), bytes.size(), &payload), c.nResult)
            << c.lpszWhat;
    }
}

TEST(PayloadNames, OnlyNamesBelowTheFolderAreSafe)
{
    static const struct {
        const char *lpszName;
        bool bSafe;
    } aCases[] = {
        { "SETUP.EXE", true }, { "DATA\\说明.TXT", true }, { "A\\B\\C", true }, { "..\\X", false },
        { "A\\..\\X", false }, { "\\X", false }, { "C:X", false }, { "A\\\\B", false }, { "A\\", false },
        { "", false }, { ".\\X", false }, { "/etc/x", false },
        /* Device names Windows reserves, in any part, any case, with an extension. */
        { "NUL", false }, { "nul.txt", false }, { "DIR\\CON.txt", false }, { "PRN\\X", false },
        { "Aux .Txt", false }, { "com1", false }, { "LPT9.DAT.GZ", false }, { "CONIN$", false },
        { "conout$.log", false }, { "COM10", true }, { "NULL", true }, { "CONSOLE.TXT", true },
        { "A\\LPT", true }, { "X.NUL", true }, { " NUL", true },
    };
    for (const auto &c : aCases)
        EXPECT_EQ(SafePayloadName(c.lpszName), c.bSafe) << c.lpszName;
}
