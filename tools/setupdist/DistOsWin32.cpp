/*
 * DistOsWin32.cpp - the builder's system calls on Windows. Paths are kept
 * as UTF-8 and handed to the wide calls, so any name of the file system
 * is read; names go into the script in code page 936 whatever the
 * system's own code page, and one that has no place there is refused.
 */
#include <windows.h>
#include <shellapi.h>
#include <io.h>
#include <stdio.h>
#include "DistOs.h"

#define CP_SCRIPT 936

const char chDistSep = '\\';

static bool bProgressShown;
static volatile LONG lInterrupted;

static std::wstring Wide(const std::string &text, UINT uCodePage = CP_UTF8)
{
    int cwch = MultiByteToWideChar(uCodePage, 0, text.data(), (int)text.size(), NULL, 0);
    std::wstring w(cwch > 0 ? cwch : 0, L'\0');
    if (cwch > 0)
        MultiByteToWideChar(uCodePage, 0, text.data(), (int)text.size(), &w[0], cwch);
    return w;
}

/* A wide text in a code page; FALSE when a character has no place there. */
static bool Narrow(const std::wstring &w, UINT uCodePage, std::string *pOut)
{
    pOut->clear();
    if (w.empty())
        return true;
    BOOL bDefaulted = FALSE;
    BOOL *pbDefaulted = uCodePage == CP_UTF8 ? NULL : &bDefaulted;
    DWORD dwFlags = uCodePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int cb = WideCharToMultiByte(uCodePage, dwFlags, w.data(), (int)w.size(), NULL, 0, NULL, pbDefaulted);
    if (cb <= 0 || bDefaulted)
        return false;
    pOut->resize(cb);
    WideCharToMultiByte(uCodePage, dwFlags, w.data(), (int)w.size(), &(*pOut)[0], cb, NULL, NULL);
    return true;
}

static std::string Utf8(const std::wstring &w)
{
    std::string s;
    Narrow(w, CP_UTF8, &s);
    return s;
}

static std::wstring WidePath(const std::string &path)
{
    std::wstring w = Wide(path);
    for (wchar_t &c : w)
        if (c == L'/')
            c = L'\\';
    return w;
}

std::vector<std::string> DistOsArgs(int argc, char **argv)
{
    int nArgs = 0;
    LPWSTR *ppArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (!ppArgs)
        return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < nArgs; i++)
        args.push_back(Utf8(ppArgs[i]));
    LocalFree(ppArgs);
    return args;
}

bool DistOsList(const std::string &dir, std::vector<DISTENTRY> *pEntries)
{
    pEntries->clear();
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((WidePath(dir) + L"\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        bool bFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        DISTENTRY entry = { Utf8(name), bFolder, !bFolder, (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
                            bFolder ? 0 : ((unsigned long long)data.nFileSizeHigh << 32) | data.nFileSizeLow,
                            ((long long)data.ftLastWriteTime.dwHighDateTime << 32) |
                                data.ftLastWriteTime.dwLowDateTime };
        pEntries->push_back(entry);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    return true;
}

int DistOsKind(const std::string &path)
{
    DWORD dwAttr = GetFileAttributesW(WidePath(path).c_str());
    if (dwAttr == INVALID_FILE_ATTRIBUTES)
        return -1;
    return (dwAttr & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

bool DistOsReadFile(const std::string &path, std::vector<unsigned char> *pData)
{
    pData->clear();
    HANDLE hFile = CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    if (GetFileSizeEx(hFile, &size))
        pData->reserve((size_t)size.QuadPart);
    unsigned char ab[65536];
    DWORD cb = 0;
    BOOL bOk;
    while ((bOk = ReadFile(hFile, ab, sizeof(ab), &cb, NULL)) && cb > 0)
        pData->insert(pData->end(), ab, ab + cb);
    CloseHandle(hFile);
    return bOk != FALSE;
}

bool DistOsWriteNewFile(const std::string &path, const unsigned char *pb, size_t cb)
{
    std::wstring wpath = WidePath(path);
    HANDLE hFile = CreateFileW(wpath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    bool bOk = true;
    while (cb > 0 && bOk) {
        DWORD cbChunk = cb > 0x100000 ? 0x100000 : (DWORD)cb, cbWritten = 0;
        bOk = WriteFile(hFile, pb, cbChunk, &cbWritten, NULL) && cbWritten == cbChunk;
        pb += cbChunk;
        cb -= cbChunk;
    }
    if (!CloseHandle(hFile))
        bOk = false;
    if (!bOk) {
        DWORD dwErr = GetLastError();
        DeleteFileW(wpath.c_str());
        SetLastError(dwErr);
    }
    return bOk;
}

std::string DistOsLastError()
{
    WCHAR wsz[512];
    DWORD dwErr = GetLastError();
    DWORD cwch = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwErr, 0, wsz,
                                sizeof(wsz) / sizeof(wsz[0]), NULL);
    while (cwch > 0 && (wsz[cwch - 1] == L'\r' || wsz[cwch - 1] == L'\n' || wsz[cwch - 1] == L'.'))
        cwch--;
    if (cwch == 0)
        return "system error " + std::to_string(dwErr);
    return Utf8(std::wstring(wsz, cwch));
}

/* A file or folder opened for its times or its final path. */
static HANDLE OpenAny(const std::string &path, DWORD dwAccess)
{
    return CreateFileW(WidePath(path).c_str(), dwAccess, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
}

long long DistOsTime(const std::string &path)
{
    HANDLE h = OpenAny(path, FILE_READ_ATTRIBUTES);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    FILETIME ft;
    BOOL bOk = GetFileTime(h, NULL, NULL, &ft);
    CloseHandle(h);
    return bOk ? ((long long)ft.dwHighDateTime << 32) | ft.dwLowDateTime : -1;
}

bool DistOsSetTime(const std::string &path, long long llTime)
{
    HANDLE h = OpenAny(path, FILE_WRITE_ATTRIBUTES);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FILETIME ft;
    ft.dwLowDateTime = (DWORD)llTime;
    ft.dwHighDateTime = (DWORD)(llTime >> 32);
    BOOL bOk = SetFileTime(h, NULL, &ft, &ft);
    CloseHandle(h);
    return bOk != FALSE;
}

bool DistOsMakeFolder(const std::string &path)
{
    return CreateDirectoryW(WidePath(path).c_str(), NULL) != FALSE;
}

bool DistOsRemoveFile(const std::string &path)
{
    return DeleteFileW(WidePath(path).c_str()) != FALSE;
}

bool DistOsRemoveFolder(const std::string &path)
{
    return RemoveDirectoryW(WidePath(path).c_str()) != FALSE;
}

bool DistOsRename(const std::string &from, const std::string &to)
{
    return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

std::string DistOsFullPath(const std::string &path)
{
    HANDLE h = OpenAny(path, 0);
    if (h == INVALID_HANDLE_VALUE)
        return "";
    WCHAR wsz[MAX_PATH * 4];
    DWORD cwch = GetFinalPathNameByHandleW(h, wsz, sizeof(wsz) / sizeof(wsz[0]), FILE_NAME_NORMALIZED);
    CloseHandle(h);
    if (cwch == 0 || cwch >= sizeof(wsz) / sizeof(wsz[0]))
        return "";
    std::wstring w(wsz, cwch);
    if (w.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        w = L"\\" + w.substr(7);
    else if (w.compare(0, 4, L"\\\\?\\") == 0)
        w = w.substr(4);
    std::string full = Utf8(w);
    while (full.size() > 3 && full.back() == '\\')
        full.pop_back();
    return full;
}

std::string DistOsToolFolder()
{
    WCHAR wsz[MAX_PATH * 4];
    DWORD cwch = GetModuleFileNameW(NULL, wsz, sizeof(wsz) / sizeof(wsz[0]));
    if (cwch == 0 || cwch >= sizeof(wsz) / sizeof(wsz[0]))
        return ".\\";
    std::string path = Utf8(std::wstring(wsz, cwch));
    return path.substr(0, path.rfind('\\') + 1);
}

bool DistOsToScript(const std::string &native, std::string *pScript)
{
    return Narrow(Wide(native), CP_SCRIPT, pScript);
}

bool DistOsTextToScript(const std::string &text, int nEncoding, std::string *pScript)
{
    if (text.empty()) {
        pScript->clear();
        return true;
    }
    UINT uFrom = nEncoding == DIST_ENC_UTF8 ? CP_UTF8 : CP_SCRIPT;
    if (MultiByteToWideChar(uFrom, MB_ERR_INVALID_CHARS, text.data(), (int)text.size(), NULL, 0) <= 0)
        return false;
    return Narrow(Wide(text, uFrom), CP_SCRIPT, pScript);
}

std::string DistOsScriptToNative(const std::string &script)
{
    return Utf8(Wide(script, CP_SCRIPT));
}

void DistOsPrint(bool bError, const std::string &text)
{
    FILE *fp = bError ? stderr : stdout;
    std::string out;
    if (!Narrow(Wide(text), CP_ACP, &out))
        out = text;
    if (bError)
        fflush(stdout);
    fprintf(fp, "%s\n", out.c_str());
    fflush(fp);
}

static BOOL WINAPI OnInterrupt(DWORD)
{
    InterlockedExchange(&lInterrupted, 1);
    return TRUE;
}

void DistOsWatchInterrupts()
{
    SetConsoleCtrlHandler(OnInterrupt, TRUE);
}

bool DistOsInterrupted()
{
    return InterlockedCompareExchange(&lInterrupted, 0, 0) != 0;
}

unsigned long DistOsMilliseconds()
{
    return GetTickCount();
}

void DistOsProgress(const std::string &text)
{
    if (!_isatty(_fileno(stderr)) || (text.empty() && !bProgressShown))
        return;
    fprintf(stderr, "\r%-78s\r", text.c_str());
    bProgressShown = !text.empty();
}

bool DistOsCheckerPath(const std::string &native, std::string *pPath)
{
    return Narrow(WidePath(native), CP_ACP, pPath);
}
