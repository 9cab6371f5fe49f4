/*
 * ProgmanClientTest.cpp - the Program Manager DDE client under Wine, with
 * only the test's own server answering: the exact bytes each command
 * sends, refusals, a slow server, and starting and stopping.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "Progman.h"
#include "ProgmanPeers.h"
#include "SetupDriver.h"

class ProgmanClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CountDdeCalls());
        ASSERT_TRUE(OwnServerOnly());
        ASSERT_EQ(ProgmanStart(), 1);
        SetupCheckReset();
    }
    void TearDown() override
    {
        ProgmanStop();
        WineServerBack();
    }
};

TEST_F(ProgmanClient, EachWrapperSendsItsTextWithItsZeroInAConversationOfItsOwn)
{
    EXPECT_EQ(ProgmanShowGroup("Tools"), 1);
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(Commands()[0].size(), 21u);
    EXPECT_EQ(Commands()[0], std::string("[ShowGroup(Tools,1)]\0", 21));
    EXPECT_EQ(srv.cConnects, 1);
    EXPECT_EQ(ProgmanAddItem("Tools", "Readme", "C:\\APP\\README.TXT"), 1);
    EXPECT_EQ(ProgmanCreateGroup("Tools"), 1);
    EXPECT_EQ(ProgmanDeleteGroup("Tools"), 1);
    EXPECT_EQ(ProgmanReload("Tools"), 1);
    EXPECT_EQ(ProgmanDeleteItem("Tools", "Readme"), 1);
    std::vector<std::string> expected = {
        Sent("[ShowGroup(Tools,1)]"), Sent("[AddItem(C:\\APP\\README.TXT,Readme)]"),
        Sent("[CreateGroup(Tools)]"), Sent("[DeleteGroup(Tools)]"), Sent("[Reload(Tools)]"),
        Sent("[DeleteItem(Readme)]") };
    EXPECT_EQ(Commands(), expected);
    EXPECT_EQ(srv.cConnects, 6);
    EXPECT_TRUE(AllClosed()) << srv.cDisconnects << " of " << srv.cConnects;
}

TEST_F(ProgmanClient, NamesAreSentUnchangedAndTheLongestItemWhole)
{
    EXPECT_EQ(ProgmanCreateGroup("A,B (x)"), 1);
    EXPECT_EQ(ProgmanShowGroup("Q(1),[2]"), 1);
    /* The longest AddItem the group step can build: a 251-character
     * command path and a 127-character name. */
    std::string path = "C:\\" + std::string(248, 'p'), name(127, 'n');
    EXPECT_EQ(ProgmanAddItem("G", name.c_str(), path.c_str()), 1);
    std::vector<std::string> expected = {
        Sent("[CreateGroup(A,B (x))]"), Sent("[ShowGroup(Q(1),[2],1)]"),
        Sent("[AddItem(" + path + "," + name + ")]") };
    EXPECT_EQ(Commands(), expected);
    EXPECT_EQ(SetupCheckCount(), 0u);
}

TEST_F(ProgmanClient, TooLongTextIsNeitherSentNorCut)
{
    std::string group(MAXPMCMD, 'g');
    EXPECT_EQ(ProgmanCreateGroup(group.c_str()), 0);
    EXPECT_EQ(ProgmanShowGroup(group.c_str()), 0);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(srv.cConnects, 0);
    EXPECT_EQ(SetupCheckCount(), 2u) << "a refused text is reported";
    EXPECT_EQ(ProgmanShowGroup("Tools"), 1) << "the client goes on";
}

TEST_F(ProgmanClient, RefusedCommandFailsAndTheNextConnectsAfresh)
{
    srv.nAnswer = ANSWER_REFUSE;
    EXPECT_EQ(ProgmanDeleteItem("Tools", "Nothing"), 0);
    EXPECT_TRUE(AllClosed());
    srv.nAnswer = ANSWER_ACK;
    EXPECT_EQ(ProgmanShowGroup("Tools"), 1);
    EXPECT_EQ(srv.cConnects, 2);
    EXPECT_TRUE(AllClosed());
    EXPECT_EQ(Commands().size(), 2u);
}

TEST_F(ProgmanClient, SlowAnswerFailsAfterTheTimeOut)
{
    srv.nAnswer = ANSWER_SLOW;
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(ProgmanShowGroup("Tools"), 0);
    DWORD dwTook = GetTickCount() - dwStart, dwGaveUp = dwDisconnectTick - dwStart;
    printf("slow server: transaction given up after %lu ms, command returned after %lu ms\n",
           (unsigned long)dwGaveUp, (unsigned long)dwTook);
    EXPECT_GE(dwGaveUp, 2500u);
    EXPECT_LE(dwGaveUp, 3400u);
    /* The disconnect waits for the busy server to take it, which it does
     * once it has sent its late acknowledgement. */
    EXPECT_LE(dwTook, (DWORD)SLOW_MS + 1500);
    EXPECT_TRUE(AllClosed());
    srv.nAnswer = ANSWER_ACK;
    EXPECT_EQ(ProgmanShowGroup("Tools"), 1);
    EXPECT_EQ(srv.cConnects, 2);
    EXPECT_TRUE(AllClosed());
}

TEST_F(ProgmanClient, NeverStartedOrFailedStartConnectsNothing)
{
    ProgmanStop();
    EXPECT_EQ(idDdeInst, 0u);
    EXPECT_EQ(hszProgman, (HSZ)NULL);
    EXPECT_EQ(ProgmanShowGroup("Tools"), 0);

    /* An identifier that is not 0 makes the library refuse to start. */
    idDdeInst = 0x4711;
    EXPECT_EQ(ProgmanStart(), 0);
    EXPECT_EQ(hszProgman, (HSZ)NULL);
    EXPECT_EQ(ProgmanCreateGroup("Tools"), 0);
    EXPECT_EQ(ProgmanAddItem("Tools", "Readme", "C:\\R.TXT"), 0);
    ProgmanStop();
    EXPECT_EQ(idDdeInst, 0x4711u) << "nothing to stop";
    idDdeInst = 0;
    EXPECT_EQ(srv.cConnects, 0);
    EXPECT_TRUE(Commands().empty());
}

TEST_F(ProgmanClient, StopTwiceAndCommandsAfterStopAreHarmless)
{
    EXPECT_EQ(ProgmanShowGroup("Tools"), 1);
    ProgmanStop();
    ProgmanStop();
    EXPECT_EQ(ProgmanShowGroup("Tools"), 0);
    EXPECT_EQ(ProgmanDeleteItem("Tools", "Readme"), 0);
    EXPECT_EQ(srv.cConnects, 1);
    /* Back at the stopped values, so the client starts again. */
    EXPECT_EQ(ProgmanStart(), 1);
    EXPECT_EQ(ProgmanShowGroup("Tools"), 1);
    EXPECT_EQ(srv.cConnects, 2);
}
