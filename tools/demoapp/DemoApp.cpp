/*
 * DemoApp.cpp - the application the demo distribution installs: it says
 * that it was installed and where it runs from, so a person trying the
 * demo can start it from its Program Manager item and see the result.
 */
#include <windows.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpszCmdLine, int nCmdShow)
{
    (void)hInstance;
    (void)hPrevInstance;
    (void)lpszCmdLine;
    (void)nCmdShow;
    WCHAR szPath[MAX_PATH];
    DWORD cch = GetModuleFileNameW(NULL, szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        lstrcpynW(szPath, L"?", MAX_PATH);
    WCHAR szText[MAX_PATH + 64];
    lstrcpynW(szText, L"演示程序已经安装好了.\n\n", MAX_PATH + 64);
    lstrcpynW(szText + lstrlenW(szText), szPath, MAX_PATH + 64 - lstrlenW(szText));
    MessageBoxW(NULL, szText, L"演示程序", MB_OK | MB_ICONINFORMATION);
    return 0;
}
