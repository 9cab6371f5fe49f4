/*
 * TryWalk.cpp - walks through an installation as a user would, with the
 * defaults, for setupdist --try:
 *
 *   TRYWALK.EXE [--dest FOLDER] [--one-file] PROGRAM SHOTDIR FACTS
 *
 * PROGRAM is a distribution's SETUP.EXE, or with --one-file a one file
 * whose launcher starts SETUP.EXE. The walk presses Install, keeps the
 * default folder (or types FOLDER), OK, watches the copy and the group,
 * answers every message box as it comes and takes a screenshot (BMP) of
 * every window into SHOTDIR. FACTS receives what it saw, in UTF-8, a fact
 * a line, its fields separated by a TAB:
 *
 *   build ARCH | step NAME MS | shot FILE TITLE | box CAPTION TEXT |
 *   dest FOLDER | group NAME | item DESCRIPTION COMMAND | setup CODE |
 *   stopped WHY
 *
 * Texts are read as UTF-16, so the facts hold under any system locale.
 * Exit code 0 when the walk reached the program's end, 1 when it stopped.
 */
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <algorithm>
#include <set>
#include "SetupDriver.h"
#include "resource.h"

#define WALK_IDLE_MS 120000    /* no new window for this long: stuck */

typedef struct tagWALK {
    FILE *pFacts;
    std::string shots;
    int nShot;
    std::set<HWND> handled;
    std::set<HWND> explorers;   /* Program Manager windows before the run */
    DWORD dwReady;              /* when the program last had the user's answer */
    DWORD dwTotal;              /* the program's own time, every step's */
    bool bCopied, bGroupShot;
} WALK;

static std::string Utf8(const std::wstring &text)
{
    char sz[4096];
    int cb = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), sz, sizeof(sz), NULL, NULL);
    return std::string(sz, cb > 0 ? cb : 0);
}

/* A text for one field: a TAB or line break would split the fact. */
static std::string Field(const std::wstring &text)
{
    std::string out;
    for (char ch : Utf8(text)) {
        if (ch == '\n')
            out += "\\n";
        else if (ch != '\r')
            out += ch == '\t' ? ' ' : ch;
    }
    return out;
}

static void Fact(WALK *pWalk, const char *lpszKey, const std::string &a, const std::string &b = std::string())
{
    fprintf(pWalk->pFacts, "%s\t%s%s%s\n", lpszKey, a.c_str(), b.empty() ? "" : "\t", b.c_str());
    fflush(pWalk->pFacts);
}

static std::wstring TextW(HWND hwnd)
{
    WCHAR wsz[1024];
    int cch = GetWindowTextW(hwnd, wsz, 1024);
    return std::wstring(wsz, cch > 0 ? cch : 0);
}

/* The time the program took since it last had an answer: the walk's own
 * pauses (pictures) are not the program's. */
static void Step(WALK *pWalk, const char *lpszName)
{
    DWORD dwNow = GetTickCount();
    Fact(pWalk, "step", lpszName, std::to_string(dwNow - pWalk->dwReady));
    pWalk->dwTotal += dwNow - pWalk->dwReady;
    pWalk->dwReady = dwNow;
}

static void Shot(WALK *pWalk, const char *lpszKind, HWND hwnd)
{
    Sleep(400);    /* let the windows finish painting */
    std::string name = std::to_string(++pWalk->nShot) + "-" + lpszKind;
    if (SaveScreenshotIn(pWalk->shots, name))
        Fact(pWalk, "shot", name, Field(hwnd ? TextW(hwnd) : std::wstring()));
}

/* The program's main thread, to hold it still for a picture. */
static HANDLE OpenMainThread(DWORD dwPid)
{
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te;
    te.dwSize = sizeof(te);
    HANDLE hThread = NULL;
    for (BOOL bMore = Thread32First(hSnap, &te); bMore && !hThread; bMore = Thread32Next(hSnap, &te))
        if (te.th32OwnerProcessID == dwPid)
            hThread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, te.th32ThreadID);
    CloseHandle(hSnap);
    return hThread;
}

/* The copy of a small distribution is over in a moment. When the item
 * label moves on to the next file, the program has just drawn the state
 * after the one before: it is held there for the picture. */
static void ShotDuringCopy(WALK *pWalk, DWORD dwPid, HWND hDlg)
{
    std::wstring copyTo = L"\x62F7\x8D1D\x5230:";    /* 拷贝到: */
    HWND hwndAction = GetDlgItem(hDlg, IDC_ACTION), hwndItem = GetDlgItem(hDlg, IDC_ITEM);
    bool bCopying = WaitFor([&] {
        return !IsWindow(hDlg) || TextW(hwndAction).compare(0, copyTo.size(), copyTo) == 0;
    }, 10000) && IsWindow(hDlg);
    HANDLE hThread = NULL;
    if (bCopying) {
        std::wstring first = TextW(hwndItem);
        DWORD dwEnd = GetTickCount() + 10000;
        while (IsWindow(hDlg) && TextW(hwndItem) == first && (LONG)(GetTickCount() - dwEnd) < 0)
            Sleep(0);
        hThread = IsWindow(hDlg) ? OpenMainThread(dwPid) : NULL;
        if (hThread && SuspendThread(hThread) == (DWORD)-1) {
            CloseHandle(hThread);
            hThread = NULL;
        }
    }
    DWORD dwPaused = GetTickCount();
    Shot(pWalk, "copy", hDlg);
    if (hThread) {
        ResumeThread(hThread);
        CloseHandle(hThread);
        pWalk->dwReady += GetTickCount() - dwPaused;
    }
}

static std::set<HWND> Explorers()
{
    std::set<HWND> found;
    for (HWND hwnd = NULL; (hwnd = FindWindowExW(NULL, hwnd, L"ExplorerWClass", NULL)) != NULL;)
        if (IsWindowVisible(hwnd))
            found.insert(hwnd);
    return found;
}

/* Wine's Program Manager shows a new group in a window of its own, over
 * the final message: the user would look at it, then close it. */
static void ShotOfGroup(WALK *pWalk)
{
    HWND hGroup = NULL;
    WaitFor([&] {
        for (HWND hwnd : Explorers())
            if (!pWalk->explorers.count(hwnd))
                hGroup = hwnd;
        return hGroup != NULL;
    }, 3000);
    pWalk->bGroupShot = true;
    if (!hGroup)
        return;
    Shot(pWalk, "group", hGroup);
    /* It may show the group more than once: close each new one until
     * none has come for a second. */
    for (DWORD dwLastSeen = GetTickCount(); GetTickCount() - dwLastSeen < 1000; Sleep(50))
        for (HWND hwnd : Explorers())
            if (!pWalk->explorers.count(hwnd)) {
                PostMessageW(hwnd, WM_CLOSE, 0, 0);
                dwLastSeen = GetTickCount();
            }
}

/* A message box: its text, a picture, then the answer a user would give
 * to go on: OK, else Cancel (a retry would loop), else No. */
static void AnswerBox(WALK *pWalk, HWND hBox)
{
    Step(pWalk, pWalk->bCopied ? "group" : "copy");
    if (pWalk->bCopied && !pWalk->bGroupShot)
        ShotOfGroup(pWalk);
    Fact(pWalk, "box", Field(TextW(hBox)), Field(TextW(GetDlgItem(hBox, 0xFFFF))));
    Shot(pWalk, "message", hBox);
    int nButton = GetDlgItem(hBox, IDOK) ? IDOK : GetDlgItem(hBox, IDCANCEL) ? IDCANCEL : IDNO;
    PressButton(hBox, nButton);
    pWalk->dwReady = GetTickCount();
}

/* One window of the program, the first time it is seen. */
static void Handle(WALK *pWalk, DWORD dwPid, HWND hwnd, const std::string &dest)
{
    if (IsMessageBox(hwnd)) {
        AnswerBox(pWalk, hwnd);
    } else if (GetDlgItem(hwnd, IDC_PICTURE) && GetDlgItem(hwnd, IDOK)) {
        Step(pWalk, "start");
        Shot(pWalk, "welcome", hwnd);
        PressButton(hwnd, IDOK);
        pWalk->dwReady = GetTickCount();
    } else if (GetDlgItem(hwnd, IDC_PATH)) {
        Step(pWalk, "destination");
        if (!dest.empty())
            TypeText(hwnd, IDC_PATH, dest);
        Shot(pWalk, "destination", hwnd);
        /* Read once painted (the dialog fills it as it shows); an edit
         * control of another process answers only WM_GETTEXT. */
        Fact(pWalk, "dest", Field(WindowTextW(GetDlgItem(hwnd, IDC_PATH))));
        PressButton(hwnd, IDOK);
        pWalk->dwReady = GetTickCount();
    } else if (GetDlgItem(hwnd, IDC_METER)) {
        ShotDuringCopy(pWalk, dwPid, hwnd);
        return;    /* watched until it goes */
    } else {
        return;    /* the backdrop, the please-wait dialog: nothing to do */
    }
    pWalk->handled.insert(hwnd);
}

/* Walks until the program ends; FALSE (and why) when it got stuck. With
 * a one file, pMain is the launcher, whose own boxes (a damaged file) come
 * before SETUP.EXE, the process it starts. */
static bool Walk(WALK *pWalk, SetupRun *pMain, bool bOneFile, const std::string &dest, std::string *pWhy)
{
    SetupRun setup(TestProgramFolder(), false);
    bool bAttached = false;
    HWND hProgress = NULL;
    DWORD dwLastNew = GetTickCount();
    while (pMain->Running()) {
        if (bOneFile && !bAttached) {
            DWORD dwChild = ChildProcess(pMain->ProcessId(), 0);
            bAttached = dwChild && setup.Attach(dwChild);
        }
        /* Hidden ones too: the progress dialog of a small copy may come
         * and go between two looks. */
        std::vector<HWND> windows = pMain->Windows(true);
        if (bAttached) {
            std::vector<HWND> more = setup.Windows(true);
            windows.insert(windows.end(), more.begin(), more.end());
        }
        bool bNew = false;
        for (HWND hwnd : windows) {
            if (pWalk->handled.count(hwnd) || hwnd == hProgress ||
                (!IsWindowVisible(hwnd) && !GetDlgItem(hwnd, IDC_METER)))
                continue;
            DWORD dwPid = 0;
            GetWindowThreadProcessId(hwnd, &dwPid);
            if (GetDlgItem(hwnd, IDC_METER))
                hProgress = hwnd;
            Handle(pWalk, dwPid, hwnd, dest);
            bNew = true;
        }
        if (hProgress && !IsWindow(hProgress)) {
            Step(pWalk, "copy");
            pWalk->bCopied = true;
            hProgress = NULL;
        }
        if (bNew)
            dwLastNew = GetTickCount();
        else if (GetTickCount() - dwLastNew > WALK_IDLE_MS) {
            *pWhy = "no new window for " + std::to_string(WALK_IDLE_MS / 1000) + " s";
            return false;
        }
        Sleep(bNew ? 0 : 5);
    }
    return true;
}

/* The groups under the Start Menu's Programs folder. */
static std::set<std::wstring> GroupFolders()
{
    std::set<std::wstring> found;
    WCHAR wszPrograms[MAX_PATH];
    if (FAILED(SHGetFolderPathW(NULL, CSIDL_PROGRAMS, NULL, SHGFP_TYPE_CURRENT, wszPrograms)))
        return found;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((std::wstring(wszPrograms) + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return found;
    do {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && fd.cFileName[0] != L'.')
            found.insert(std::wstring(wszPrograms) + L"\\" + fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return found;
}

/* The item a shortcut is: its command line (path and arguments). */
static std::wstring ShortcutCommand(const std::wstring &lnk)
{
    std::wstring command;
    IShellLinkW *pLink = NULL;
    IPersistFile *pFile = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkW, (void **)&pLink)))
        return command;
    WCHAR wsz[MAX_PATH];
    if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, (void **)&pFile)) &&
        SUCCEEDED(pFile->Load(lnk.c_str(), STGM_READ))) {
        if (pLink->GetPath(wsz, MAX_PATH, NULL, 0) == S_OK)
            command = wsz;
        if (pLink->GetArguments(wsz, MAX_PATH) == S_OK && wsz[0])
            command += std::wstring(L" ") + wsz;
    }
    if (pFile)
        pFile->Release();
    pLink->Release();
    return command;
}

/* The groups the run made, each with its items in name order. */
static void GroupFacts(WALK *pWalk, const std::set<std::wstring> &before)
{
    CoInitialize(NULL);
    for (const std::wstring &folder : GroupFolders()) {
        if (before.count(folder))
            continue;
        Fact(pWalk, "group", Field(folder.substr(folder.rfind(L'\\') + 1)));
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((folder + L"\\*.lnk").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do
                names.push_back(fd.cFileName);
            while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        std::sort(names.begin(), names.end());
        for (const std::wstring &name : names)
            Fact(pWalk, "item", Field(name.substr(0, name.size() - 4)),
                 Field(ShortcutCommand(folder + L"\\" + name)));
    }
}

static bool StartProgram(const std::string &program, PROCESS_INFORMATION *pPi)
{
    STARTUPINFOA si;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    std::string dir = program.substr(0, program.rfind('\\') + 1);
    std::string command = "\"" + program + "\"";
    return CreateProcessA(program.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, pPi) != 0;
}

int main(int argc, char **argv)
{
    std::string dest;
    bool bOneFile = false;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; i++) {
        if (strcmp(argv[i], "--dest") == 0 && i + 1 < argc)
            dest = argv[++i];
        else if (strcmp(argv[i], "--one-file") == 0)
            bOneFile = true;
        else
            break;
    }
    if (argc - i != 3) {
        fprintf(stderr, "usage: TRYWALK [--dest FOLDER] [--one-file] PROGRAM SHOTDIR FACTS\n");
        return 64;
    }
    WALK walk = {};
    walk.pFacts = fopen(argv[i + 2], "wb");
    if (!walk.pFacts) {
        fprintf(stderr, "trywalk: cannot write %s\n", argv[i + 2]);
        return 1;
    }
    walk.shots = argv[i + 1];
    if (walk.shots.back() != '\\')
        walk.shots += '\\';
    Fact(&walk, "build", sizeof(void *) == 8 ? "x86_64" : "i686");

    std::set<std::wstring> groupsBefore = GroupFolders();
    walk.explorers = Explorers();
    PROCESS_INFORMATION pi;
    std::string why;
    walk.dwReady = GetTickCount();
    if (!StartProgram(argv[i], &pi)) {
        Fact(&walk, "stopped", std::string("the program did not start: ") + argv[i]);
        return 1;
    }
    /* The program's own process: SETUP.EXE, or the one file's launcher,
     * which ends with SETUP.EXE's exit code. */
    SetupRun program(TestProgramFolder(), false);
    program.Attach(pi.dwProcessId);
    bool bWalked = Walk(&walk, &program, bOneFile, dest, &why);
    DWORD dwExit = program.WaitExit(bWalked ? 30000 : 0);
    if (!bWalked)
        Fact(&walk, "stopped", why);
    else
        Step(&walk, "finish");
    Fact(&walk, "step", "total", std::to_string(walk.dwTotal));
    Fact(&walk, "setup", std::to_string(dwExit));
    GroupFacts(&walk, groupsBefore);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    fclose(walk.pFacts);
    return bWalked ? 0 : 1;
}
