/*
 * ProgramGroup.cpp - what a Program Manager group left on disk: Wine's
 * server keeps each group as a folder of shortcuts under the Start Menu.
 */
#include "SetupDriver.h"
#include <shlobj.h>
#include <algorithm>

std::string ProgramsFolder()
{
    char szPath[MAX_PATH];
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_PROGRAMS, NULL, SHGFP_TYPE_CURRENT, szPath)))
        return "";
    return std::string(szPath) + "\\";
}

/* The path a shortcut points at, or "" when it cannot be read; its
 * arguments into *pArgs. */
static std::string ShortcutTarget(const std::string &lnkPath, std::string *pArgs)
{
    std::string target;
    IShellLinkA *pLink = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void **)&pLink)))
        return target;
    IPersistFile *pFile = NULL;
    WCHAR wszPath[MAX_PATH];
    if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, (void **)&pFile)) &&
        MultiByteToWideChar(CP_ACP, 0, lnkPath.c_str(), -1, wszPath, MAX_PATH) &&
        SUCCEEDED(pFile->Load(wszPath, STGM_READ))) {
        char szTarget[MAX_PATH];
        if (pLink->GetPath(szTarget, MAX_PATH, NULL, 0) == S_OK)
            target = szTarget;
        if (pLink->GetArguments(szTarget, MAX_PATH) == S_OK)
            *pArgs = szTarget;
    }
    if (pFile)
        pFile->Release();
    pLink->Release();
    return target;
}

std::vector<GROUPITEM> GroupItems(const std::string &group)
{
    CoInitialize(NULL);
    std::vector<GROUPITEM> items;
    std::string dir = ProgramsFolder() + group + "\\";
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "*.lnk").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            GROUPITEM item;
            item.name = name.substr(0, name.size() - 4);
            item.target = ShortcutTarget(dir + name, &item.args);
            items.push_back(item);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    std::sort(items.begin(), items.end(),
              [](const GROUPITEM &a, const GROUPITEM &b) { return a.name < b.name; });
    return items;
}

bool CloseGroupWindows(const std::string &group)
{
    LPCSTR lpszCaption = group.c_str();
    WaitFor([=] { return FindWindowExA(NULL, NULL, "ExplorerWClass", lpszCaption) != NULL; });
    for (DWORD dwLastSeen = GetTickCount(); GetTickCount() - dwLastSeen < 1500; Sleep(50)) {
        HWND hwnd = FindWindowExA(NULL, NULL, "ExplorerWClass", lpszCaption);
        if (hwnd) {
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            dwLastSeen = GetTickCount();
        }
    }
    return FindWindowExA(NULL, NULL, "ExplorerWClass", lpszCaption) == NULL;
}
