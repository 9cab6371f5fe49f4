/*
 * SystemDll.cpp - DLLs from the system folder only.
 */
#include <windows.h>
#include "SystemDll.h"

typedef BOOL(WINAPI *SETDEFAULTDLLDIRECTORIES)(DWORD);

/* TRUE once the system restricts every search to its own folder. */
static BOOL bSearchSystem32;

void RestrictDllSearch(void)
{
    /* Present from Windows 8, and on 7 and Vista with update KB2533623. */
    FARPROC pfn = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    SETDEFAULTDLLDIRECTORIES pfnSet = (SETDEFAULTDLLDIRECTORIES)(void (*)(void))pfn;
    bSearchSystem32 = pfnSet && pfnSet(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

HMODULE LoadSystemDll(LPCWSTR lpszName)
{
    WCHAR szPath[MAX_PATH];
    if (bSearchSystem32)
        return LoadLibraryExW(lpszName, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    UINT cch = GetSystemDirectoryW(szPath, MAX_PATH);
    if (cch == 0 || cch + 1 + lstrlenW(lpszName) >= MAX_PATH)
        return NULL;
    szPath[cch] = L'\\';
    lstrcpynW(szPath + cch + 1, lpszName, MAX_PATH - cch - 1);
    /* Its own imports are then found beside it, in the system folder. */
    return LoadLibraryExW(szPath, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}
