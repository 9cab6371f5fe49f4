/*
 * InfJsonTest.cpp - the checker's JSON form of the database.
 */
#include "InfJson.h"
#include "ReaderFixture.h"

class InfJsonTest : public ReaderTest {};

TEST_F(InfJsonTest, TextEscapesQuotesBackslashesAndEveryNonPrintableByte)
{
    EXPECT_EQ(JsonText(""), "\"\"");
    EXPECT_EQ(JsonText("a \"b\" C:\\x ~"), "\"a \\\"b\\\" C:\\\\x ~\"");
    EXPECT_EQ(JsonText("\t\x7f"), "\"\\u0009\\u007f\"");
    /* GBK bytes of "演示" go out one by one, unchanged in value. */
    EXPECT_EQ(JsonText("\xd1\xdd\xca\xbe"), "\"\\u00d1\\u00dd\\u00ca\\u00be\"");
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
