/*
 * InfJsonTest.cpp - the checker's JSON form of the database.
 */
#include "InfJson.h"
#include "ReaderFixture.h"

class InfJsonTest : public ReaderTest {};

TEST_F(InfJsonTest, TextsAreTheirUnicodeCharacters)
{
    EXPECT_EQ(JsonText(""), "\"\"");
    EXPECT_EQ(JsonText("a \"b\" C:\\x ~"), "\"a \\\"b\\\" C:\\\\x ~\"");
    EXPECT_EQ(JsonText("\t\x7f"), "\"\\u0009\\u007f\"");
    /* "演示" in GBK, a 0x5C trail byte (淺) and a lone lead byte. */
    EXPECT_EQ(JsonText("\xd1\xdd\xca\xbe"), "\"\\u6f14\\u793a\"");
    EXPECT_EQ(JsonText("\x9c\\CON"), "\"\\u6dfaCON\"");
    EXPECT_EQ(JsonText("A\xcb"), "\"A\\ufffd\"");
}

TEST_F(InfJsonTest, FindingsCarrySeverityLineAndMessage)
{
    std::vector<FINDING> findings = { { 3, SEV_ERROR, "\xd1\xdd 'x'" }, { 9, SEV_WARNING, "w" } };
    EXPECT_EQ(FindingsToJson(findings, "{}"),
              "{\"findings\":[{\"severity\":\"error\",\"line\":3,\"message\":\"\\u6f14 'x'\"},"
              "{\"severity\":\"warning\",\"line\":9,\"message\":\"w\"}],"
              "\"errors\":1,\"warnings\":1,\"database\":{}}");
}

TEST_F(InfJsonTest, JsonHoldsEveryFieldInOrder)
{
    ASSERT_EQ(Load("[App]\r\nAppName=Demo\r\nDefDir=C:\\D\\\r\nSpaceNeeded=12\r\n"
                   "DefPMGroup=F,G\r\nShowSubDirCreateStats=y\r\n"
                   "[SrcDirs]\r\n1=s\r\n[DstDirs]\r\n2=d\r\n[Files]\r\nA,1:a,2:b,\r\nBad\r\n"
                   "[PM Info]\r\nxSxa.exe,Item\r\n[End]\r\n"), 0u);
    std::string json = InfToJson(inf, 0);
    std::string expect =
        "{\"result\":0,\"section\":7,\"appName\":\"Demo\",\"defDir\":\"C:\\\\D\\\\\","
        "\"spaceNeeded\":12,\"pmGroupFirst\":\"F\",\"pmGroupName\":\"G\","
        "\"showSubDirCreateStats\":true,\"installToHD\":false,"
        "\"srcDirs\":[{\"id\":1,\"dir\":\"s\"}],\"dstDirs\":[{\"id\":2,\"dir\":\"d\"}],"
        "\"files\":[{\"displayName\":\"A\",\"srcDirId\":1,\"srcName\":\"a\",\"dstDirId\":2,\"dstName\":\"b\"},"
        "{\"displayName\":\"Bad\",\"srcDirId\":0,\"srcName\":\"\",\"dstDirId\":0,\"dstName\":\"\"}],"
        "\"pmItems\":[{\"itemSpec\":\"xSxa.exe\",\"description\":\"Item\"}],"
        "\"checks\":[{\"expr\":\"p!=NULL\",\"file\":\"Setupinf.cpp\",\"line\":";
    ASSERT_EQ(json.substr(0, expect.size()), expect);
    EXPECT_EQ(json.substr(json.size() - 3), "}]}");
}
