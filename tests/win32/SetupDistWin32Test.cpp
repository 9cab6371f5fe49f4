/*
 * SetupDistWin32Test.cpp - what the distribution builder makes, read by
 * the platform: its compressed files expanded by the LZ service byte for
 * byte, and a distribution made by setupdist.exe from a tree with GBK
 * names installed by SETUP.EXE as a user would; the same as one file
 * (--single-file), made here with FCI or on Linux with libgcab and signed
 * there, unpacked by the launcher, and cut or changed copies refused.
 */
#include <windows.h>
#include <lzexpand.h>
#include <tlhelp32.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>
#include "SetupDriver.h"
#include "Launcher.h"
#include "SetupGlobals.h"
#include "Szdd.h"
#include "resource.h"
#include "SzddSamples.h"

static void WriteBytes(const std::string &path, const std::string &bytes)
{
    ASSERT_TRUE(WriteWholeFile(path, bytes)) << path;
}

/* Bytes from a fixed seed; bRandom for noise, else a small alphabet. */
static std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return (char)tolower(c); });
    return s;
}

/* Runs setupdist.exe (beside the test) with args; its output in *pOut. */
/* The group the test templates make: 程序 and 表, pointing into dest. */
static void ExpectTheTwoItems(const std::string &group, const std::string &dest)
{
    std::vector<GROUPITEM> items = GroupItems(group);
    ASSERT_EQ(items.size(), 2u);
    std::vector<std::pair<std::string, std::string>> want = {
        { Gbk(L"程序"), Lower(dest + "PROG.EXE") },
        { Gbk(L"表"), Lower(dest + Gbk(L"数据\\深\\表.TXT")) },
    };
    std::sort(want.begin(), want.end());
    for (size_t i = 0; i < want.size(); i++) {
        EXPECT_EQ(items[i].name, want[i].first);
        EXPECT_EQ(Lower(items[i].target), want[i].second);
    }
}

static DWORD RunSetupDist(const std::string &args, std::string *pOut)
{
    std::string log = TestProgramFolder() + "setupdist" + std::to_string(GetCurrentProcessId()) + ".log";
    SECURITY_ATTRIBUTES sa = { sizeof(sa), NULL, TRUE };
    HANDLE hLog = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                              CREATE_ALWAYS, 0, NULL);
    STARTUPINFOA si;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = hLog;
    PROCESS_INFORMATION pi;
    std::string exe = TestProgramFolder() + "setupdist.exe", cmd = "\"" + exe + "\" " + args;
    DWORD dwExit = EXIT_TIMED_OUT;
    /* Detached: a console of its own would start a console host, which
     * could outlive the test holding its output. */
    if (CreateProcessA(exe.c_str(), &cmd[0], NULL, NULL, TRUE, DETACHED_PROCESS, NULL, NULL, &si, &pi)) {
        if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0)
            GetExitCodeProcess(pi.hProcess, &dwExit);
        else
            TerminateProcess(pi.hProcess, EXIT_TIMED_OUT);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(hLog);
    *pOut = ReadWholeFile(log);
    DeleteFileA(log.c_str());
    return dwExit;
}

class DistWin32 : public ::testing::Test {
protected:
    void SetUp() override
    {
        tag = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++nSerial);
        dir = TestProgramFolder() + "dist" + tag + "\\";
        CreateDirectoryA(dir.c_str(), NULL);
    }
    void TearDown() override { RemoveTree(dir); }
    void MakeFile(const std::string &rel, const std::string &bytes)
    {
        for (size_t cut = rel.find('\\'); cut != std::string::npos; cut = rel.find('\\', cut + 1))
            CreateDirectoryA((dir + rel.substr(0, cut)).c_str(), NULL);
        WriteBytes(dir + rel, bytes);
    }

    static int nSerial;
    std::string tag, dir;
};

int DistWin32::nSerial;

TEST_F(DistWin32, LzServiceExpandsTheCompressorsOutputExactly)
{
    const std::vector<SZDDSAMPLE> samples = SzddSamples();
    for (const auto &sample : samples) {
        std::vector<unsigned char> packed;
        ASSERT_TRUE(SzddCompress((const unsigned char *)sample.bytes.data(), sample.bytes.size(), 'T', &packed));
        std::string src = dir + sample.lpszName + ".TX_", dst = dir + sample.lpszName + ".TXT";
        WriteBytes(src, std::string(packed.begin(), packed.end()));
        OFSTRUCT ofSrc, ofDst;
        INT hSrc = LZOpenFileA(&src[0], &ofSrc, OF_READ);
        ASSERT_GE(hSrc, 0) << sample.lpszName;
        EXPECT_EQ(LZSeek(hSrc, 0, 2), (LONG)sample.bytes.size()) << sample.lpszName;
        LZSeek(hSrc, 0, 0);
        INT hDst = LZOpenFileA(&dst[0], &ofDst, OF_CREATE);
        ASSERT_GE(hDst, 0);
        EXPECT_EQ(LZCopy(hSrc, hDst), (LONG)sample.bytes.size()) << sample.lpszName;
        LZClose(hSrc);
        LZClose(hDst);
        EXPECT_TRUE(ReadWholeFile(dst) == sample.bytes) << sample.lpszName;
    }
}

/* A tree with nested folders, GBK names, compressible and incompressible
 * files and an empty one: made into a distribution by setupdist.exe and
 * installed by SETUP.EXE, it comes back byte for byte, and the group's
 * items point where the template says. */
TEST_F(DistWin32, SetupInstallsWhatTheBuilderMadeFromATree)
{
    const std::pair<std::string, std::string> tree[] = {
        { Gbk(L"说明.TXT"), Lines(40000) },
        { "PROG.EXE", ReadWholeFile(TestProgramFolder() + "DEMO.EXE") },
        { "BIN\\RANDOM.BIN", Bytes(30000, 5, true) },
        { "BIN\\EMPTY.DAT", "" },
        { Gbk(L"数据\\深\\表.TXT"), Lines(3000) },
    };
    for (const auto &file : tree)
        MakeFile("app\\" + file.first, file.second);
    std::string dest = "D:\\rt" + tag + "\\", group = Gbk(L"往返") + tag;
    MakeFile("SETUP.TPL", "[App]\r\nAppName=" + Gbk(L"往返") + "\r\nDefDir=" + dest +
                              "\r\nDefPMGroup=," + group + "\r\n[PM Info]\r\nxDxPROG.EXE," + Gbk(L"程序") +
                              "\r\nxDx" + Gbk(L"数据\\深\\表.TXT") + "," + Gbk(L"表") + "\r\n");
    std::string out;
    ASSERT_EQ(RunSetupDist("\"" + dir + "SETUP.TPL\" \"" + dir + "app\" \"" + dir + "out\"", &out), 0u) << out;
    EXPECT_TRUE(FileExists(dir + "out\\" + Gbk(L"说明.TX_"))) << out;
    EXPECT_TRUE(FileExists(dir + "out\\BIN\\RANDOM.BIN")) << "stored as it is";
    ASSERT_TRUE(FileExists(dir + "out\\SETUP.EXE")) << "the one beside setupdist.exe";

    SetupRun run(dir + "out\\");
    ASSERT_TRUE(run.Start());
    ASSERT_NE(run.AcceptWelcome(Gbk(L"往返").c_str(), 30000), (HWND)NULL);
    ASSERT_NE(run.ConfirmDestination(), (HWND)NULL);
    DWORD dwExit = 1;
    EXPECT_EQ(run.FinalMessage(30000, &dwExit), Gbk(L"软件安装成功!"));
    EXPECT_EQ(dwExit, 0u);
    CloseGroupWindows(group);

    for (const auto &file : tree)
        EXPECT_TRUE(ReadWholeFile(dest + file.first) == file.second) << file.first;
    ExpectTheTwoItems(group, dest);
    RemoveTree(ProgramsFolder() + group + "\\");
    RemoveTree(dest);
}

TEST_F(DistWin32, ALimitIsAnErrorNamingTheFileAndLeavesNoScript)
{
    MakeFile("app\\" + Gbk(L"数据\\甲,乙.TXT"), "x");
    MakeFile("SETUP.TPL", "[App]\r\nAppName=X\r\nDefDir=C:\\X\\\r\n");
    std::string out;
    EXPECT_EQ(RunSetupDist("\"" + dir + "SETUP.TPL\" \"" + dir + "app\" \"" + dir + "out\"", &out), 2u);
    EXPECT_NE(out.find(Gbk(L"数据\\甲,乙.TXT") + ": error:"), std::string::npos) << out;
    EXPECT_FALSE(FileExists(dir + "out\\SETUP.INF"));
    EXPECT_FALSE(FileExists(dir + "out"));
}

/* The reader's full table: 1000 files with long names in four folders go
 * through wildcard lines, SETUP.EXE installs every one, and each keeps the
 * date of the application's file. */
TEST_F(DistWin32, AThousandFilesInstallWithTheirDates)
{
    FILETIME ftSource = { 0x12345600, 0x01C0A000 };
    for (int i = 0; i < 1000; i++) {
        std::string rel = "app\\FOLDER" + std::to_string(i % 4) + "\\A-LONG-DESCRIPTIVE-FILE-NAME-" +
                          std::to_string(i) + ".TXT";
        MakeFile(rel, Lines(200) + std::to_string(i));
        HANDLE h = CreateFileA((dir + rel).c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        SetFileTime(h, NULL, NULL, &ftSource);
        CloseHandle(h);
    }
    std::string dest = "D:\\k" + tag + "\\";
    MakeFile("SETUP.TPL", "[App]\r\nAppName=K\r\nDefDir=" + dest + "\r\nDefPMGroup=,K" + tag + "\r\n");
    std::string out;
    ASSERT_EQ(RunSetupDist("\"" + dir + "SETUP.TPL\" \"" + dir + "app\" \"" + dir + "out\"", &out), 0u) << out;
    EXPECT_NE(ReadWholeFile(dir + "out\\SETUP.INF").find("\r\n*4-4,\r\n"), std::string::npos);

    SetupRun run(dir + "out\\");
    ASSERT_TRUE(run.Start());
    ASSERT_NE(run.AcceptWelcome("K", 30000), (HWND)NULL);
    ASSERT_NE(run.ConfirmDestination(), (HWND)NULL);
    DWORD dwExit = 1;
    EXPECT_EQ(run.FinalMessage(180000, &dwExit), Gbk(L"软件安装成功!"));
    CloseGroupWindows("K" + tag);

    int nSame = 0, nDated = 0;
    for (int i = 0; i < 1000; i++) {
        std::string path = dest + "FOLDER" + std::to_string(i % 4) + "\\A-LONG-DESCRIPTIVE-FILE-NAME-" +
                           std::to_string(i) + ".TXT";
        nSame += ReadWholeFile(path) == Lines(200) + std::to_string(i);
        WIN32_FILE_ATTRIBUTE_DATA data;
        nDated += GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
                  CompareFileTime(&data.ftLastWriteTime, &ftSource) == 0;
    }
    EXPECT_EQ(nSame, 1000);
    EXPECT_EQ(nDated, 1000);
    RemoveTree(ProgramsFolder() + "K" + tag + "\\");
    RemoveTree(dest);
}

/* ---- one file (--single-file) ------------------------------------------ */

/* The names in a folder, "." and ".." left out. */
static std::vector<std::string> FolderEntries(const std::string &dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((dir + "*").c_str(), &fd);
    for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileA(hFind, &fd))
        if (strcmp(fd.cFileName, ".") != 0 && strcmp(fd.cFileName, "..") != 0)
            names.push_back(fd.cFileName);
    if (hFind != INVALID_HANDLE_VALUE)
        FindClose(hFind);
    return names;
}

/* Every file below app equals the one of that name below dest. */
static void ExpectSameTree(const std::string &app, const std::string &dest)
{
    for (const std::string &name : FolderEntries(app)) {
        if (GetFileAttributesA((app + name).c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            ExpectSameTree(app + name + "\\", dest + name + "\\");
        else
            EXPECT_TRUE(FileExists(dest + name) && ReadWholeFile(dest + name) == ReadWholeFile(app + name))
                << dest + name;
    }
}

/* The names in a folder given by its wide path, "." and ".." left out. */
static size_t CountEntriesW(const std::wstring &dir)
{
    size_t n = 0;
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((dir + L"*").c_str(), &fd);
    for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileW(hFind, &fd))
        n += lstrcmpW(fd.cFileName, L".") != 0 && lstrcmpW(fd.cFileName, L"..") != 0;
    if (hFind != INVALID_HANDLE_VALUE)
        FindClose(hFind);
    return n;
}

static std::wstring Wide(const std::string &text)
{
    WCHAR sz[MAX_PATH * 2];
    int cch = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, sz, MAX_PATH * 2);
    return std::wstring(sz, cch > 0 ? cch - 1 : 0);
}

class OneFileWin32 : public DistWin32 {
protected:
    /* The tree of the round trip and its template, the group's name. */
    void MakeTree()
    {
        group = Gbk(L"单一文件") + tag;
        MakeFile("app\\" + Gbk(L"说明.TXT"), Lines(40000));
        MakeFile("app\\PROG.EXE", ReadWholeFile(TestProgramFolder() + "DEMO.EXE"));
        MakeFile("app\\BIN\\RANDOM.BIN", Bytes(30000, 5, true));
        MakeFile("app\\BIN\\EMPTY.DAT", "");
        MakeFile("app\\" + Gbk(L"数据\\深\\表.TXT"), Lines(3000));
        MakeFile("SETUP.TPL", "[App]\r\nAppName=" + Gbk(L"单一文件") + "\r\nDefDir=C:\\X\\\r\nDefPMGroup=," +
                                  group + "\r\n[PM Info]\r\nxDxPROG.EXE," + Gbk(L"程序") + "\r\nxDx" +
                                  Gbk(L"数据\\深\\表.TXT") + "," + Gbk(L"表") + "\r\n");
    }
    /* Starts a one-file distribution with its temporary folder temp, by
     * default in the test's folder (tempOther, a wide path, when set). */
    bool StartOneFile(const std::string &exe)
    {
        if (temp.empty())
            temp = dir + "temp\\";
        tempW = tempOther.empty() ? Wide(temp) : tempOther;
        CreateDirectoryW(tempW.c_str(), NULL);
        WCHAR szTemp[MAX_PATH] = L"", szTmp[MAX_PATH] = L"";
        GetEnvironmentVariableW(L"TEMP", szTemp, MAX_PATH);
        GetEnvironmentVariableW(L"TMP", szTmp, MAX_PATH);
        SetEnvironmentVariableW(L"TEMP", tempW.c_str());
        SetEnvironmentVariableW(L"TMP", tempW.c_str());
        STARTUPINFOA si;
        memset(&si, 0, sizeof(si));
        si.cb = sizeof(si);
        dwStart = GetTickCount();
        bool bStarted = CreateProcessA(exe.c_str(), NULL, NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, &pi) != 0;
        SetEnvironmentVariableW(L"TEMP", szTemp);
        SetEnvironmentVariableW(L"TMP", szTmp);
        return bStarted;
    }
    DWORD WaitLauncher()
    {
        DWORD dwExit = EXIT_TIMED_OUT;
        if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
            GetExitCodeProcess(pi.hProcess, &dwExit);
        else
            TerminateProcess(pi.hProcess, EXIT_TIMED_OUT);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        return dwExit;
    }
    /* A launcher that started nothing: the texts of its windows (a box
     * would say why), and then it is ended, so that it cannot meet the
     * tests that follow. */
    std::string EndLauncher()
    {
        SetupRun launcher;
        std::string texts;
        if (launcher.Attach(pi.dwProcessId))
            for (HWND hwnd : launcher.Windows())
                texts += "[" + WindowText(hwnd) + ": " + BoxText(hwnd) + "] ";
        TerminateProcess(pi.hProcess, EXIT_TIMED_OUT);
        WaitLauncher();
        HANDLE hChild = OpenProcess(PROCESS_TERMINATE, FALSE, ChildProcess(pi.dwProcessId, 0));
        if (hChild) {
            TerminateProcess(hChild, EXIT_TIMED_OUT);
            CloseHandle(hChild);
        }
        return texts;
    }
    /* The launcher runs SETUP.EXE, which installs the tree into D:; then
     * the files, the group's items, the exit code and the temporary folder
     * are checked. */
    void InstallOneFile(const std::string &exe, const std::string &app)
    {
        std::string dest = "D:\\one" + tag + "\\";
        ASSERT_TRUE(StartOneFile(exe)) << exe;
        SetupRun run;
        if (!run.Attach(ChildProcess(pi.dwProcessId, 30000))) {
            ADD_FAILURE() << "no SETUP.EXE started by " << exe << "; its windows: " << EndLauncher();
            return;
        }
        ASSERT_NE(run.AcceptWelcome(Gbk(L"单一文件").c_str(), 30000), (HWND)NULL);
        printf("%s: start to the welcome dialog %lu ms\n", exe.c_str(), GetTickCount() - dwStart);
        ASSERT_NE(run.ConfirmDestination(dest.c_str()), (HWND)NULL);
        EXPECT_EQ(run.FinalMessage(30000), Gbk(L"软件安装成功!"));
        EXPECT_EQ(WaitLauncher(), 0u) << "SETUP.EXE's code, passed on";
        CloseGroupWindows(group);
        ExpectSameTree(app, dest);
        ExpectTheTwoItems(group, dest);
        EXPECT_EQ(CountEntriesW(tempW), 0u) << "the launcher's folder is left in " << temp;
        RemoveTree(ProgramsFolder() + group + "\\");
        RemoveTree(dest);
    }
    /* A damaged one file: one message from the launcher, its exit code,
     * nothing started, no folder left. */
    void RefuseOneFile(const std::string &exe, const std::string &message, DWORD dwExpectExit)
    {
        std::vector<std::string> before = FolderEntries(temp);
        ASSERT_TRUE(StartOneFile(exe)) << exe;
        SetupRun run;
        ASSERT_TRUE(run.Attach(pi.dwProcessId));
        EXPECT_EQ(run.AnswerBox(IDOK, 30000), message) << exe;
        EXPECT_EQ(ChildProcess(pi.dwProcessId, 0), 0u) << "the launcher started a program";
        EXPECT_EQ(WaitLauncher(), dwExpectExit) << exe;
        EXPECT_EQ(FolderEntries(temp), before) << "a folder is left in " << temp;
    }

    /* Makes dir\one.exe from the tree with setupdist.exe. */
    void MakeOneFile()
    {
        MakeTree();
        std::string out;
        ASSERT_EQ(RunSetupDist("--single-file \"" + dir + "one.exe\" \"" + dir + "SETUP.TPL\" \"" + dir + "app\" \"" +
                                   dir + "out\"",
                               &out),
                  0u)
            << out;
    }

    std::string group, temp;
    std::wstring tempW, tempOther;
    PROCESS_INFORMATION pi;
    DWORD dwStart;
};

/* The round trip on Windows: setupdist.exe writes the cabinet with FCI. */
TEST_F(OneFileWin32, SetupInstallsTheTreeFromOneFileAndTheFolderGoes)
{
    MakeOneFile();
    InstallOneFile(dir + "one.exe", dir + "app\\");
}

/* Two launchers at once unpack into two folders and each removes its
 * own; a temporary disk too small for the files is one message. */
TEST_F(OneFileWin32, TwoAtOnceUseTwoFoldersAndAFullDiskIsOneMessage)
{
    MakeTree();
    MakeFile("app\\BIG.BIN", Bytes(2 << 20, 9, true));
    std::string out, exe = dir + "one.exe";
    ASSERT_EQ(RunSetupDist("--single-file \"" + exe + "\" \"" + dir + "SETUP.TPL\" \"" + dir + "app\" \"" + dir +
                               "out\"",
                           &out),
              0u)
        << out;
    PROCESS_INFORMATION launchers[2];
    DWORD adwSetup[2];
    for (int i = 0; i < 2; i++) {
        ASSERT_TRUE(StartOneFile(exe));
        launchers[i] = pi;
    }
    for (int i = 0; i < 2; i++)
        adwSetup[i] = ChildProcess(launchers[i].dwProcessId, 30000);
    std::vector<std::string> folders = FolderEntries(temp);
    EXPECT_EQ(folders.size(), 2u);
    for (const std::string &folder : folders)
        EXPECT_TRUE(FileExists(temp + folder + "\\BIG.BIN")) << folder;
    for (int i = 0; i < 2; i++) {
        HANDLE hSetup = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, adwSetup[i]);
        ASSERT_NE(hSetup, (HANDLE)NULL) << "no SETUP.EXE of launcher " << i;
        TerminateProcess(hSetup, 0);
        WaitForSingleObject(hSetup, 5000);
        CloseHandle(hSetup);
        pi = launchers[i];
        EXPECT_EQ(WaitLauncher(), 0u);
    }
    EXPECT_TRUE(FolderEntries(temp).empty()) << "a folder is left in " << temp;

    ULARGE_INTEGER cbFree, cbTotal;
    if (!GetDiskFreeSpaceExA("F:\\", &cbFree, &cbTotal, NULL) || cbTotal.QuadPart > 4u << 20)
        GTEST_SKIP() << "F: is not the session's 1 MB disk (no file system could be mounted)";
    temp = "F:\\";
    RefuseOneFile(exe, Gbk(L"临时文件夹 F:\\ 所在的磁盘空间不足, 无法解压安装文件."), LAUNCH_EXIT_DISKFULL);
}

/* Files made on Linux by single-file-test.sh (libgcab, osslsigncode) in
 * the folder SINGLE_FILE_DIR names: the plain and the signed one install,
 * the cut and the changed one are refused. */
TEST_F(OneFileWin32, FilesMadeOnLinuxInstallSignedOrNotAndDamageIsRefused)
{
    char szMade[MAX_PATH];
    if (!GetEnvironmentVariableA("SINGLE_FILE_DIR", szMade, sizeof(szMade)))
        GTEST_SKIP() << "run by single-file-test.sh, which makes the files";
    std::string made = std::string(szMade) + "\\";
    group = Gbk(L"单一文件") + "L";
    for (const char *lpszName : { "plain.exe", "signed.exe" })
        InstallOneFile(made + lpszName, made + "app\\");
    RefuseOneFile(made + "cut.exe", Gbk(L"安装程序文件不完整 (也许没有下载完), 请重新下载."), LAUNCH_EXIT_DAMAGED);
    RefuseOneFile(made + "changed.exe", Gbk(L"安装程序文件已损坏, 请重新下载."), LAUNCH_EXIT_DAMAGED);
}

/* Downloaded beside a planted cabinet.dll and comctl32.dll and run with
 * Windows' order of loading: neither is loaded. */
TEST_F(OneFileWin32, PlantedDllsBesideItAreNotLoaded)
{
    MakeOneFile();
    ASSERT_TRUE(PlantDlls(dir));
    /* The control: an unguarded program there loads them. */
    ASSERT_EQ(LoadedByDefaultSearch(dir), std::vector<std::string>({ "cabinet.dll", "comctl32.dll" }));
    InstallOneFile(dir + "one.exe", dir + "app\\");
    EXPECT_EQ(TakeMarks(dir), std::vector<std::string>());
}

/* A temporary folder whose path SETUP.EXE cannot name in code page 936
 * (Korean), or that is too long for it: the launcher runs it from the
 * short path, and it installs. */
TEST_F(OneFileWin32, ATempFolderSetupCannotNameRunsFromItsShortPath)
{
    MakeOneFile();
    for (const std::wstring &leaf : { std::wstring(L"\xD55C\xAE00"), std::wstring(120, L'x') }) {
        tempOther = Wide(dir) + leaf + L"\\";
        ASSERT_TRUE(CreateDirectoryW(tempOther.c_str(), NULL));
        InstallOneFile(dir + "one.exe", dir + "app\\");
        tag += "x";
    }
}

/* Run by links-test.sh, which puts the links in while SETUP.EXE runs. */
TEST_F(OneFileWin32, LinksPutInItsFolderWhileSetupRunsAreNotFollowed)
{
    char szHandshake[MAX_PATH];
    if (!GetEnvironmentVariableA("LINKS_DIR", szHandshake, sizeof(szHandshake)))
        GTEST_SKIP() << "run by links-test.sh, which makes the links";
    std::string handshake = std::string(szHandshake) + "\\";
    DeleteFileA((handshake + "linked.txt").c_str());
    MakeOneFile();
    ASSERT_TRUE(StartOneFile(dir + "one.exe"));
    SetupRun run;
    ASSERT_TRUE(run.Attach(ChildProcess(pi.dwProcessId, 30000)));
    HWND hWelcome = run.WaitWindow("#32770", Gbk(L"单一文件").c_str(), 30000);
    ASSERT_NE(hWelcome, (HWND)NULL);
    std::vector<std::string> folders = FolderEntries(temp);
    ASSERT_EQ(folders.size(), 1u);
    std::string own = temp + folders[0] + "\\";
    ASSERT_TRUE(FileExists(own + "BIN\\EMPTY.DAT"));
    std::ofstream(handshake + "ready.txt") << own;
    ASSERT_TRUE(WaitFor([&] { return FileExists(handshake + "linked.txt"); }, 30000)) << "no links made";
    std::string names = ReadWholeFile(handshake + "linked.txt");
    PressButton(hWelcome, IDCANCEL);
    EXPECT_NE(run.AnswerBox(IDYES), "(no box)");
    EXPECT_EQ(WaitLauncher(), (DWORD)SETUP_EXIT_LEFT) << "SETUP.EXE's code, passed on";
    EXPECT_EQ(ReadWholeFile(handshake + "victim1\\KEEP.TXT"), "keep\n");
    for (size_t i = 0, j; (j = names.find('\n', i)) != std::string::npos; i = j + 1)
        EXPECT_EQ(ReadWholeFile(handshake + "victim2\\" + names.substr(i, j - i)), "victim\n")
            << names.substr(i, j - i);
    EXPECT_FALSE(FileExists(own + "SETUP.EXE"));
    EXPECT_FALSE(FileExists(own + "SETUP.INF"));
}
