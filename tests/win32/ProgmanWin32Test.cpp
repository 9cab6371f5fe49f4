/*
 * ProgmanWin32Test.cpp - the Program Manager DDE client and the program
 * group step under Wine: the exact bytes each command sends, to a server
 * of the test's own, and their effect on disk through Wine's own one.
 *
 * Wine's Program Manager lives in its desktop process (explorer.exe
 * /desktop): the session script starts it, and Wine starts it again when a
 * program asks for the desktop window and it has ended (it ends a while
 * after its last program). Its DDE name windows are top-level windows of
 * class WineDdeServerName. Tests that must not reach it make those windows
 * message-only, which no connect reaches, and top-level again afterwards.
 */
#include <windows.h>
#include <ddeml.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "Progman.h"
#include "Setupinf.h"
#include "Shell.h"
#include "SetupDriver.h"

/* ---- a Program Manager of the test's own, on a thread of its own ---- */

#define ANSWER_ACK    0
#define ANSWER_REFUSE 1
#define ANSWER_SLOW   2         /* acknowledges after SLOW_MS */
#define SLOW_MS       3500

static struct {
    CRITICAL_SECTION cs;
    std::vector<std::string> commands;  /* every execute's bytes, in order */
    volatile LONG cConnects, cDisconnects, nAnswer;
    DWORD idInst;
    HSZ hszName;
    HANDLE hThread, hReady;
    DWORD idThread;
    bool bRegistered;
} srv;

static HDDEDATA CALLBACK ServerCallback(UINT uType, UINT, HCONV, HSZ hsz1, HSZ, HDDEDATA hData,
                                        ULONG_PTR, ULONG_PTR)
{
    switch (uType) {
    case XTYP_CONNECT:      /* hsz1 is the topic */
        return (HDDEDATA)(ULONG_PTR)(DdeCmpStringHandles(hsz1, srv.hszName) == 0);
    case XTYP_CONNECT_CONFIRM:
        InterlockedIncrement(&srv.cConnects);
        return (HDDEDATA)0;
    case XTYP_DISCONNECT:
        InterlockedIncrement(&srv.cDisconnects);
        return (HDDEDATA)0;
    case XTYP_EXECUTE: {
        DWORD cb = DdeGetData(hData, NULL, 0, 0);
        std::string bytes(cb, '\0');
        if (cb)
            DdeGetData(hData, (LPBYTE)&bytes[0], cb, 0);
        EnterCriticalSection(&srv.cs);
        srv.commands.push_back(bytes);
        LeaveCriticalSection(&srv.cs);
        if (srv.nAnswer == ANSWER_SLOW)
            Sleep(SLOW_MS);
        return (HDDEDATA)(ULONG_PTR)(srv.nAnswer == ANSWER_REFUSE ? DDE_FNOTPROCESSED : DDE_FACK);
    }
    }
    return (HDDEDATA)0;
}

static DWORD WINAPI ServerThread(LPVOID)
{
    MSG msg;
    PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);    /* the queue exists before Ready */
    if (DdeInitializeA(&srv.idInst, ServerCallback,
                       APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_FAIL_REQUESTS |
                       CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS, 0) == DMLERR_NO_ERROR) {
        srv.hszName = DdeCreateStringHandleA(srv.idInst, "PROGMAN", CP_WINANSI);
        srv.bRegistered = DdeNameService(srv.idInst, srv.hszName, NULL, DNS_REGISTER) != NULL;
    }
    SetEvent(srv.hReady);
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    if (srv.idInst) {
        DdeNameService(srv.idInst, NULL, NULL, DNS_UNREGISTER);
        DdeFreeStringHandle(srv.idInst, srv.hszName);
        DdeUninitialize(srv.idInst);
    }
    return 0;
}

static void StopServer()
{
    if (!srv.hThread)
        return;
    PostThreadMessageA(srv.idThread, WM_QUIT, 0, 0);
    WaitForSingleObject(srv.hThread, 10000);
    CloseHandle(srv.hThread);
    CloseHandle(srv.hReady);
    DeleteCriticalSection(&srv.cs);
    srv.hThread = NULL;
}

static bool StartServer()
{
    InitializeCriticalSection(&srv.cs);
    srv.commands.clear();
    srv.cConnects = srv.cDisconnects = 0;
    srv.nAnswer = ANSWER_ACK;
    srv.idInst = 0;
    srv.bRegistered = false;
    srv.hReady = CreateEventA(NULL, TRUE, FALSE, NULL);
    srv.hThread = CreateThread(NULL, 0, ServerThread, NULL, 0, &srv.idThread);
    WaitForSingleObject(srv.hReady, 10000);
    return srv.bRegistered;
}

static std::vector<std::string> Commands()
{
    EnterCriticalSection(&srv.cs);
    std::vector<std::string> v = srv.commands;
    LeaveCriticalSection(&srv.cs);
    return v;
}

/* A command as it must arrive: its text and the terminating zero. */
static std::string Sent(const std::string &text)
{
    return std::string(text.c_str(), text.size() + 1);
}

/* Every conversation opened so far has been closed again. */
static bool AllClosed()
{
    return WaitFor([] { return srv.cDisconnects == srv.cConnects; }, 5000);
}

/* ---- Wine's own Program Manager ---- */

/* Its name windows: top-level ones (hwndParent NULL) or message-only ones
 * (HWND_MESSAGE) of the desktop process. */
static std::vector<HWND> WineProgmanWindows(HWND hwndParent)
{
    DWORD pidDesktop = 0, pid = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &pidDesktop);
    std::vector<HWND> v;
    HWND hwnd = NULL;
    while ((hwnd = FindWindowExA(hwndParent, hwnd, "WineDdeServerName", NULL)) != NULL)
        if (GetWindowThreadProcessId(hwnd, &pid) && pid == pidDesktop)
            v.push_back(hwnd);
    return v;
}

/* Asking for the desktop window starts Wine's desktop when it is not
 * running; its Program Manager is there once its name windows are. */
static bool WineProgmanRunning()
{
    return WaitFor([] { return !WineProgmanWindows(NULL).empty() ||
                               !WineProgmanWindows(HWND_MESSAGE).empty(); }, 15000);
}

static void SetWineProgmanReachable(bool bReachable)
{
    for (HWND hwnd : WineProgmanWindows(bReachable ? HWND_MESSAGE : NULL))
        SetParent(hwnd, bReachable ? NULL : HWND_MESSAGE);
}

/* Between these two only the test's server answers "PROGMAN". */
static bool OwnServerOnly()
{
    if (!WineProgmanRunning())
        return false;
    SetWineProgmanReachable(false);
    return StartServer();
}

static void WineServerBack()
{
    StopServer();
    SetWineProgmanReachable(true);
}

/* ---- the client's calls of DdeDisconnect and DdeFreeDataHandle, counted ---- */

static volatile LONG cNullDisconnects, cDataFreed;
static volatile DWORD dwDisconnectTick;     /* when the last one was called */
static BOOL (WINAPI *pfnDdeDisconnect)(HCONV);
static BOOL (WINAPI *pfnDdeFreeDataHandle)(HDDEDATA);

static BOOL WINAPI CountingDisconnect(HCONV hConv)
{
    dwDisconnectTick = GetTickCount();
    if (!hConv)
        InterlockedIncrement(&cNullDisconnects);
    return pfnDdeDisconnect(hConv);
}

static BOOL WINAPI CountingFreeData(HDDEDATA hData)
{
    InterlockedIncrement(&cDataFreed);
    return pfnDdeFreeDataHandle(hData);
}

/* Points this program's import slot of user32's lpszName at pfnCounting
 * and keeps the real function in *ppfnReal. */
static bool Count(const char *lpszName, void *pfnCounting, void **ppfnReal)
{
    DWORD_PTR dwReal = (DWORD_PTR)GetProcAddress(GetModuleHandleA("user32.dll"), lpszName);
    BYTE *pBase = (BYTE *)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS *pNt = (IMAGE_NT_HEADERS *)(pBase + ((IMAGE_DOS_HEADER *)pBase)->e_lfanew);
    IMAGE_DATA_DIRECTORY &imports = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR *p = (IMAGE_IMPORT_DESCRIPTOR *)(pBase + imports.VirtualAddress);
         p->Name; p++)
        for (IMAGE_THUNK_DATA *t = (IMAGE_THUNK_DATA *)(pBase + p->FirstThunk); t->u1.Function; t++) {
            if (t->u1.Function == (DWORD_PTR)pfnCounting)
                return true;
            if (t->u1.Function != dwReal)
                continue;
            *ppfnReal = (void *)t->u1.Function;
            DWORD dwOld;
            VirtualProtect(&t->u1.Function, sizeof(t->u1.Function), PAGE_READWRITE, &dwOld);
            t->u1.Function = (DWORD_PTR)pfnCounting;
            VirtualProtect(&t->u1.Function, sizeof(t->u1.Function), dwOld, &dwOld);
            return true;
        }
    return false;
}

static bool CountDdeCalls()
{
    return Count("DdeDisconnect", (void *)CountingDisconnect, (void **)&pfnDdeDisconnect) &&
           Count("DdeFreeDataHandle", (void *)CountingFreeData, (void **)&pfnDdeFreeDataHandle);
}

/* ---- the client against the test's server ---- */

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

/* ---- no Program Manager at all ---- */

static BOOL CALLBACK DestroyDdeClientWindow(HWND hwnd, LPARAM)
{
    if (ClassName(hwnd).compare(0, 13, "WineDdeClient") == 0)
        DestroyWindow(hwnd);
    return TRUE;
}

TEST(ProgmanAbsent, EveryCommandFailsAndItsNullConversationIsStillClosed)
{
    ASSERT_TRUE(WineProgmanRunning());
    ASSERT_TRUE(CountDdeCalls());
    SetWineProgmanReachable(false);
    ASSERT_EQ(ProgmanStart(), 1);
    LONG cBefore = cNullDisconnects, cFreed = cDataFreed;
    EXPECT_EQ(ProgmanCreateGroup("Tools"), 0);
    EXPECT_EQ(ProgmanShowGroup("Tools"), 0);
    EXPECT_EQ(ProgmanDeleteGroup("Tools"), 0);
    EXPECT_EQ(ProgmanReload("Tools"), 0);
    EXPECT_EQ(ProgmanAddItem("Tools", "Readme", "C:\\R.TXT"), 0);
    EXPECT_EQ(ProgmanDeleteItem("Tools", "Readme"), 0);
    EXPECT_EQ(cNullDisconnects - cBefore, 6);
    EXPECT_EQ(cDataFreed - cFreed, 6) << "the data each command made for no conversation";
    ProgmanStop();
    SetWineProgmanReachable(true);
    /* Wine leaves the client window of each failed connect behind, a
     * top-level window of this thread. Later tests wait without reading
     * messages, and every connect in the session, which asks each
     * top-level window in turn, would wait for these. */
    EnumThreadWindows(GetCurrentThreadId(), DestroyDdeClientWindow, 0);
}

/* ---- the program group step over a loaded script ---- */

/* A distribution folder, the source folder, with the destination folder
 * inside it; every item's program exists, and "xs" is a specification
 * shorter than three characters (the source folder alone). The database
 * reads one script per process, so the suite loads it once. */
class ProgmanGroupStep : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        pDist = new SetupRun();
        group = "KsPm" + std::to_string(GetCurrentProcessId());
        pDist->WriteFile("README.TXT", "r");
        pDist->WriteFile("TOOL.EXE", "t");
        pDist->WriteFile("dst\\BIN\\APP.EXE", "a");
        pDist->WriteScript("[App]\r\nAppName=PmTest\r\nDefPMGroup=Programs, " + group + "\r\n"
                           "[PM Info]\r\nxs:README.TXT,Readme\r\nxS:TOOL.EXE,Tool\r\n"
                           "xD:BIN\\APP.EXE,App\r\nxs,Short\r\n[End]\r\n");
        ASSERT_EQ(theSetupInf.Load((pDist->Dir() + "SETUP.INF").c_str(), NULL), (UINT)LOAD_OK);
        ASSERT_EQ(theSetupInf.GetNumPMItems(), 4u);
        lstrcpynA(szSourceDir, pDist->Dir().c_str(), sizeof(szSourceDir));
        lstrcpynA(szDestDir, (pDist->Dir() + "dst\\").c_str(), sizeof(szDestDir));
    }
    static void TearDownTestSuite()
    {
        delete pDist;
        pDist = NULL;
        szSourceDir[0] = szDestDir[0] = '\0';
    }
    static SetupRun *pDist;
    static std::string group;
};

SetupRun *ProgmanGroupStep::pDist;
std::string ProgmanGroupStep::group;

TEST_F(ProgmanGroupStep, SendsCreateShowThenDeleteAndAddPerItemWhateverTheAnswers)
{
    ASSERT_TRUE(OwnServerOnly());
    ASSERT_EQ(ProgmanStart(), 1);
    std::string src = szSourceDir, dst = szDestDir;
    std::vector<std::string> expected = {
        Sent("[CreateGroup(" + group + ")]"), Sent("[ShowGroup(" + group + ",1)]"),
        Sent("[DeleteItem(Readme)]"), Sent("[AddItem(" + src + "README.TXT,Readme)]"),
        Sent("[DeleteItem(Tool)]"), Sent("[AddItem(" + src + "TOOL.EXE,Tool)]"),
        Sent("[DeleteItem(App)]"), Sent("[AddItem(" + dst + "BIN\\APP.EXE,App)]"),
        Sent("[DeleteItem(Short)]"), Sent("[AddItem(" + src + ",Short)]") };
    EXPECT_EQ(BuildProgramGroup(NULL), 1);
    EXPECT_EQ(Commands(), expected);
    EXPECT_EQ(srv.cConnects, 10);

    /* Every command refused: all are still sent, and the step succeeds. */
    srv.nAnswer = ANSWER_REFUSE;
    EXPECT_EQ(BuildProgramGroup(NULL), 1);
    EXPECT_EQ(Commands().size(), 20u);
    EXPECT_EQ(srv.cConnects, 20);
    EXPECT_TRUE(AllClosed());
    ProgmanStop();
    WineServerBack();
}

TEST_F(ProgmanGroupStep, WinesProgmanMakesTheGroupAndOneShortcutPerItem)
{
    std::string folder = ProgramsFolder() + group + "\\";
    ASSERT_TRUE(WineProgmanRunning());
    ASSERT_EQ(ProgmanStart(), 1);
    EXPECT_EQ(BuildProgramGroup(NULL), 1);
    /* One shortcut per item, pointing at the item's command path. */
    std::string src = szSourceDir, dst = szDestDir;
    std::vector<std::string> shortcuts;
    for (const GROUPITEM &item : GroupItems(group))
        shortcuts.push_back(item.name + " -> " + item.target);
    EXPECT_EQ(shortcuts, (std::vector<std::string>{
                             "App -> " + dst + "BIN\\APP.EXE", "Readme -> " + src + "README.TXT",
                             "Short -> " + src, "Tool -> " + src + "TOOL.EXE" }));

    /* Deleting an item that exists removes its shortcut; deleting it
     * again is refused. */
    EXPECT_EQ(ProgmanDeleteItem(group.c_str(), "Tool"), 1);
    EXPECT_FALSE(FileExists(folder + "Tool.lnk"));
    EXPECT_EQ(ProgmanDeleteItem(group.c_str(), "Tool"), 0);
    ProgmanStop();

    EXPECT_TRUE(CloseGroupWindows(group));
    RemoveTree(folder);
}
