/*
 * SetupDriver.cpp - the GUI test driver: SETUP.EXE run as a user would.
 */
#include "SetupDriver.h"
#include "Screenshot.h"
#include "resource.h"
#include <string.h>
#include <tlhelp32.h>

#define SEND_TIMEOUT 3000

std::string TestProgramFolder()
{
    char szPath[MAX_PATH];
    DWORD cch = GetModuleFileNameA(NULL, szPath, sizeof(szPath));
    std::string s(szPath, cch);
    return s.substr(0, s.rfind('\\') + 1);
}

/* Wide, so that names the code page cannot spell (the tests make some)
 * go too: a folder left behind would fail the next run that picks its name. */
static void RemoveTreeW(const std::wstring &dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"*.*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTreeW(dir + name + L"\\");
            } else {
                SetFileAttributesW((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW((dir + name).c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

void RemoveTree(const std::string &dir)
{
    /* An empty folder would be the current one: never emptied by mistake. */
    if (dir.empty())
        return;
    WCHAR szDir[MAX_PATH * 2];
    if (MultiByteToWideChar(CP_ACP, 0, dir.c_str(), -1, szDir, MAX_PATH * 2))
        RemoveTreeW(szDir);
}

bool WriteWholeFile(const std::string &path, const std::string &bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD cb = 0;
    bool bOk = h != INVALID_HANDLE_VALUE && WriteFile(h, bytes.data(), (DWORD)bytes.size(), &cb, NULL) &&
               cb == bytes.size();
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return bOk;
}

std::string ReadWholeFile(const std::string &path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return "(missing)";
    std::string s;
    char buf[65536];
    DWORD cb = 0;
    while (ReadFile(h, buf, sizeof(buf), &cb, NULL) && cb)
        s.append(buf, cb);
    CloseHandle(h);
    return s;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CopyTree(const std::string &src, const std::string &dst)
{
    CreateDirectoryA(dst.c_str(), NULL);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((src + "*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(src + name + "\\", dst + name + "\\");
        else
            CopyFileA((src + name).c_str(), (dst + name).c_str(), FALSE);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

std::string WindowText(HWND hwnd)
{
    char sz[1024];
    DWORD_PTR cch = 0;
    sz[0] = '\0';
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(sz), (LPARAM)sz, SMTO_ABORTIFHUNG,
                             SEND_TIMEOUT, &cch))
        return "";
    return std::string(sz, cch < sizeof(sz) ? cch : sizeof(sz) - 1);
}

std::wstring WindowTextW(HWND hwnd)
{
    WCHAR sz[1024];
    DWORD_PTR cch = 0;
    sz[0] = L'\0';
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, (LPARAM)sz, SMTO_ABORTIFHUNG, SEND_TIMEOUT, &cch))
        return L"";
    return std::wstring(sz, cch < 1024 ? cch : 1023);
}

static const char *const aPlantedNames[] = { "cabinet.dll", "comctl32.dll" };

bool PlantDlls(const std::string &dir)
{
    for (const char *lpszName : aPlantedNames)
        if (!CopyFileA((TestProgramFolder() + "planted.dll").c_str(), (dir + lpszName).c_str(), FALSE))
            return false;
    return true;
}

std::vector<std::string> TakeMarks(const std::string &dir)
{
    std::vector<std::string> loaded;
    for (const char *lpszName : aPlantedNames)
        if (DeleteFileA((dir + lpszName + ".loaded").c_str()))
            loaded.push_back(lpszName);
    return loaded;
}

std::vector<std::string> LoadedByDefaultSearch(const std::string &dir)
{
    std::string probe = dir + "dllprobe.exe", command = "\"" + probe + "\"";
    for (const char *lpszName : aPlantedNames)
        command += std::string(" ") + lpszName;
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    CopyFileA((TestProgramFolder() + "dllprobe.exe").c_str(), probe.c_str(), FALSE);
    if (CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, &pi)) {
        WaitForSingleObject(pi.hProcess, DRIVER_TIMEOUT);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    DeleteFileA(probe.c_str());
    return TakeMarks(dir);
}

std::string ClassName(HWND hwnd)
{
    char sz[256];
    int cch = GetClassNameA(hwnd, sz, sizeof(sz));
    return std::string(sz, cch > 0 ? cch : 0);
}

RECT WindowRect(HWND hwnd)
{
    RECT rc = { 0, 0, 0, 0 };
    GetWindowRect(hwnd, &rc);
    return rc;
}

static std::string PlaceOf(LONG x, LONG y, LONG cx, LONG cy)
{
    return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(cx) + "x" + std::to_string(cy);
}

std::string PlaceText(HWND hwnd)
{
    RECT rc = WindowRect(hwnd);
    return PlaceOf(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

std::string CentredPlaceText(int cx, int cy)
{
    return PlaceOf((GetSystemMetrics(SM_CXSCREEN) - cx) / 2, (GetSystemMetrics(SM_CYSCREEN) - cy) / 2, cx, cy);
}

static std::string ToAnsi(const std::wstring &w)
{
    char sz[1024];
    int cb = WideCharToMultiByte(CP_ACP, 0, w.c_str(), (int)w.size(), sz, sizeof(sz), NULL, NULL);
    return std::string(sz, cb > 0 ? cb : 0);
}

std::string Gbk(const wchar_t *lpwsz)
{
    return ToAnsi(lpwsz);
}

std::vector<std::string> ListItems(HWND hwndList)
{
    bool bCombo = ClassName(hwndList) == "ComboBox";
    UINT uCount = bCombo ? CB_GETCOUNT : LB_GETCOUNT;
    UINT uLen = bCombo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    UINT uText = bCombo ? CB_GETLBTEXT : LB_GETTEXT;
    std::vector<std::string> items;
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(hwndList, uCount, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT, &n))
        return items;
    for (DWORD_PTR i = 0; i < n && (LONG_PTR)n > 0; i++) {
        DWORD_PTR cch = 0;
        SendMessageTimeoutW(hwndList, uLen, i, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT, &cch);
        if ((LONG_PTR)cch < 0 || cch > 500)
            cch = 0;
        WCHAR wsz[512];
        wsz[0] = 0;
        DWORD_PTR got = 0;
        SendMessageTimeoutW(hwndList, uText, i, (LPARAM)wsz, SMTO_ABORTIFHUNG, SEND_TIMEOUT, &got);
        wsz[cch] = 0;
        items.push_back(ToAnsi(wsz));
    }
    return items;
}

int ListSelection(HWND hwndList)
{
    bool bCombo = ClassName(hwndList) == "ComboBox";
    DWORD_PTR sel = (DWORD_PTR)-1;
    SendMessageTimeoutW(hwndList, bCombo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG,
                        SEND_TIMEOUT, &sel);
    return (int)sel;
}

COLORREF ScreenPixel(int x, int y)
{
    HDC hdc = GetDC(NULL);
    COLORREF cr = GetPixel(hdc, x, y);
    ReleaseDC(NULL, hdc);
    return cr;
}

bool SaveScreenshot(const std::string &name)
{
    return SaveScreenshotIn(TestProgramFolder() + "screenshots\\", name);
}

bool SaveScreenshotIn(const std::string &dir, const std::string &name)
{
    CreateDirectoryA(dir.c_str(), NULL);
    return WriteBmpFile(dir + name + ".bmp", CaptureScreen());
}

/* The process that dwParent started, or 0 after dwMs. */
DWORD ChildProcess(DWORD dwParent, DWORD dwMs)
{
    DWORD dwChild = 0;
    WaitFor(
        [&] {
            HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
            PROCESSENTRY32 pe;
            pe.dwSize = sizeof(pe);
            for (BOOL bMore = Process32First(hSnap, &pe); bMore && !dwChild; bMore = Process32Next(hSnap, &pe))
                if (pe.th32ParentProcessID == dwParent)
                    dwChild = pe.th32ProcessID;
            CloseHandle(hSnap);
            return dwChild != 0;
        },
        dwMs);
    return dwChild;
}

/* ---- one run of the program ---- */

SetupRun::SetupRun(const std::string &root, bool bCopySetup)
{
    static int nSerial;
    memset(&m_pi, 0, sizeof(m_pi));
    m_bOwnDir = root.empty();
    m_dir = root.empty() ? TestProgramFolder() + "run" + std::to_string(GetCurrentProcessId()) + "_" +
                               std::to_string(++nSerial) + "\\"
                         : root;
    CreateDirectoryA(m_dir.c_str(), NULL);
    if (bCopySetup)
        CopyFileA((TestProgramFolder() + "SETUP.EXE").c_str(), (m_dir + "SETUP.EXE").c_str(), FALSE);
}

SetupRun::~SetupRun()
{
    if (m_pi.hProcess) {
        if (Running())
            WaitExit(0);
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
    }
    if (m_bOwnDir)
        RemoveTree(m_dir);
}

void SetupRun::MakeDir(const std::string &relPath)
{
    std::string path = m_dir;
    size_t start = 0;
    while (start <= relPath.size()) {
        size_t cut = relPath.find('\\', start);
        if (cut == std::string::npos)
            cut = relPath.size();
        path = m_dir + relPath.substr(0, cut);
        CreateDirectoryA(path.c_str(), NULL);
        start = cut + 1;
    }
}

void SetupRun::WriteFile(const std::string &relPath, const std::string &bytes)
{
    size_t cut = relPath.rfind('\\');
    if (cut != std::string::npos)
        MakeDir(relPath.substr(0, cut));
    HANDLE h = CreateFileA((m_dir + relPath).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD cb = 0;
    ::WriteFile(h, bytes.data(), (DWORD)bytes.size(), &cb, NULL);
    CloseHandle(h);
}

bool SetupRun::Start()
{
    STARTUPINFOA si;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    std::string exe = m_dir + "SETUP.EXE";
    return CreateProcessA(exe.c_str(), NULL, NULL, NULL, FALSE, 0, NULL, m_dir.c_str(), &si, &m_pi) != 0;
}

bool SetupRun::Attach(DWORD dwProcessId)
{
    m_pi.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, dwProcessId);
    m_pi.dwProcessId = dwProcessId;
    return m_pi.hProcess != NULL;
}

bool SetupRun::Running()
{
    return m_pi.hProcess && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

HWND SetupRun::AcceptWelcome(LPCSTR lpszApp, DWORD dwMs)
{
    HWND hWelcome = WaitWindow("#32770", lpszApp, dwMs);
    if (hWelcome)
        PressButton(hWelcome, IDOK);
    return hWelcome;
}

HWND SetupRun::WaitDestDialog(DWORD dwMs)
{
    return WaitWindow("#32770", Gbk(L"请选择安装路径").c_str(), dwMs);
}

HWND SetupRun::ConfirmDestination(LPCSTR lpszPath, DWORD dwMs)
{
    HWND hDest = WaitDestDialog(dwMs);
    if (!hDest)
        return NULL;
    if (lpszPath)
        TypeText(hDest, IDC_PATH, lpszPath);
    PressButton(hDest, IDOK);
    return hDest;
}

std::string SetupRun::AnswerBox(int nButton, DWORD dwMs)
{
    HWND hwndBox = WaitMessageBox(dwMs);
    if (!hwndBox)
        return "(no box)";
    std::string text = BoxText(hwndBox);
    PressButton(hwndBox, nButton);
    return text;
}

std::string SetupRun::FinalMessage(DWORD dwMs, DWORD *pdwExit)
{
    std::string text = AnswerBox(IDOK, dwMs);
    DWORD dwExit = WaitExit();
    if (pdwExit)
        *pdwExit = dwExit;
    return text;
}

DWORD SetupRun::WaitExit(DWORD dwMs)
{
    if (!m_pi.hProcess)
        return EXIT_TIMED_OUT;
    if (WaitForSingleObject(m_pi.hProcess, dwMs) != WAIT_OBJECT_0) {
        TerminateProcess(m_pi.hProcess, EXIT_TIMED_OUT);
        WaitForSingleObject(m_pi.hProcess, 5000);
        return EXIT_TIMED_OUT;
    }
    DWORD dwExit = EXIT_TIMED_OUT;
    GetExitCodeProcess(m_pi.hProcess, &dwExit);
    return dwExit;
}

struct FindWindowsData {
    DWORD dwPid;
    bool bHiddenToo;
    std::vector<HWND> hwnds;
};

static BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam)
{
    FindWindowsData *pData = (FindWindowsData *)lParam;
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hwnd, &dwPid);
    if (dwPid == pData->dwPid && (pData->bHiddenToo || IsWindowVisible(hwnd)))
        pData->hwnds.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> SetupRun::Windows(bool bHiddenToo)
{
    FindWindowsData data;
    data.dwPid = m_pi.dwProcessId;
    data.bHiddenToo = bHiddenToo;
    EnumWindows(CollectWindow, (LPARAM)&data);
    return data.hwnds;
}

HWND SetupRun::WaitDialogWith(int nId, DWORD dwMs)
{
    HWND hwndFound = NULL;
    WaitFor([&] {
        for (HWND hwnd : Windows(true))
            if (ClassName(hwnd) == "#32770" && GetDlgItem(hwnd, nId)) {
                hwndFound = hwnd;
                return true;
            }
        return false;
    }, dwMs);
    return hwndFound;
}

LRESULT SendTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD dwMs)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_NORMAL, dwMs, &result))
        return -1;
    return (LRESULT)result;
}

static bool Matches(HWND hwnd, LPCSTR lpszClass, LPCSTR lpszCaption)
{
    if (lpszClass && ClassName(hwnd) != lpszClass)
        return false;
    if (lpszCaption) {
        char sz[512];
        int cch = GetWindowTextA(hwnd, sz, sizeof(sz));
        if (std::string(sz, cch > 0 ? cch : 0) != lpszCaption)
            return false;
    }
    return true;
}

HWND SetupRun::WaitWindow(LPCSTR lpszClass, LPCSTR lpszCaption, DWORD dwMs)
{
    HWND hwndFound = NULL;
    WaitFor([&] {
        for (HWND hwnd : Windows())
            if (Matches(hwnd, lpszClass, lpszCaption)) {
                hwndFound = hwnd;
                return true;
            }
        return false;
    }, dwMs);
    return hwndFound;
}

bool SetupRun::WaitGone(LPCSTR lpszClass, LPCSTR lpszCaption, DWORD dwMs)
{
    return WaitFor([&] {
        for (HWND hwnd : Windows())
            if (Matches(hwnd, lpszClass, lpszCaption))
                return false;
        return true;
    }, dwMs);
}

/* A message box holds only its text (0xFFFF), its icon (1088) and its
 * buttons; the program's dialogs all have other controls. */
static BOOL CALLBACK CheckBoxChild(HWND hwnd, LPARAM lParam)
{
    int *pnButtons = (int *)lParam;
    int nId = GetDlgCtrlID(hwnd);
    if (nId >= IDOK && nId <= IDNO)
        (*pnButtons)++;
    else if (nId != 0xFFFF && nId != 1088)
        *pnButtons = -1000;
    return TRUE;
}

bool IsMessageBox(HWND hwnd)
{
    if (ClassName(hwnd) != "#32770" || !GetDlgItem(hwnd, 0xFFFF))
        return false;
    int nButtons = 0;
    EnumChildWindows(hwnd, CheckBoxChild, (LPARAM)&nButtons);
    return nButtons > 0;
}

HWND SetupRun::WaitMessageBox(DWORD dwMs)
{
    HWND hwndFound = NULL;
    WaitFor([&] {
        for (HWND hwnd : Windows())
            if (IsMessageBox(hwnd)) {
                hwndFound = hwnd;
                return true;
            }
        return false;
    }, dwMs);
    return hwndFound;
}

std::string BoxText(HWND hwndBox)
{
    return WindowText(GetDlgItem(hwndBox, 0xFFFF));
}

void PressButton(HWND hDlg, int nId)
{
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), (LPARAM)GetDlgItem(hDlg, nId));
}

void TypeText(HWND hDlg, int nId, const std::string &text)
{
    DWORD_PTR r = 0;
    SendMessageTimeoutA(GetDlgItem(hDlg, nId), WM_SETTEXT, 0, (LPARAM)text.c_str(), SMTO_ABORTIFHUNG,
                        SEND_TIMEOUT, &r);
}

void PickListItem(HWND hDlg, int nId, int nIndex, bool bDouble)
{
    HWND hwndList = GetDlgItem(hDlg, nId);
    DWORD_PTR r = 0;
    SendMessageTimeoutA(hwndList, LB_SETCURSEL, nIndex, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT, &r);
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nId, LBN_SELCHANGE), (LPARAM)hwndList);
    if (bDouble)
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nId, LBN_DBLCLK), (LPARAM)hwndList);
}

void PickComboItem(HWND hDlg, int nId, int nIndex)
{
    HWND hwndCombo = GetDlgItem(hDlg, nId);
    DWORD_PTR r = 0;
    SendMessageTimeoutA(hwndCombo, CB_SETCURSEL, nIndex, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT, &r);
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nId, CBN_SELCHANGE), (LPARAM)hwndCombo);
}
