/*
 * Planted.cpp - a DLL as a drive-by download would plant it beside a
 * program: when anything loads it, it leaves NAME.loaded beside itself,
 * NAME being the name it was loaded by (it is copied as cabinet.dll,
 * comctl32.dll, ...). The Win32 tests look for that file.
 */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    (void)lpReserved;
    if (dwReason != DLL_PROCESS_ATTACH)
        return TRUE;
    WCHAR szPath[MAX_PATH + 8];
    DWORD cch = GetModuleFileNameW(hInstance, szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return TRUE;
    lstrcpyW(szPath + cch, L".loaded");
    HANDLE h = CreateFileW(szPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return TRUE;
}
