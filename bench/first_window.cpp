/*
 * first_window.cpp - the least a Win32 GUI program does before its first
 * window is on screen: register a class, create the window, show it, run
 * the message loop. The copy bench times SETUP.EXE's welcome dialog
 * against this program's window, started the same way.
 *
 * With the argument "three" it first shows and destroys a small pop-up
 * and then covers the screen with a second one, as SETUP.EXE does with
 * its please-wait box and backdrop before the welcome dialog, doing
 * nothing else: what three windows cost the least.
 */
#include <windows.h>

static HWND hwndMain;

static LRESULT CALLBACK FirstWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        if (hwnd == hwndMain)
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

static HWND CreateShown(LPCSTR lpszCaption, DWORD dwStyle, int x, int y, int cx, int cy, HINSTANCE hInstance)
{
    HWND hwnd = CreateWindowA("FirstWindow", lpszCaption, dwStyle, x, y, cx, cy, NULL, NULL, hInstance, NULL);
    if (hwnd) {
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
    }
    return hwnd;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = FirstWindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "FirstWindow";
    if (!RegisterClassA(&wc))
        return 1;
    if (lstrcmpA(lpCmdLine, "three") == 0) {
        HWND hwndBox = CreateShown("", WS_POPUP | WS_DLGFRAME, 400, 350, 300, 60, hInstance);
        DestroyWindow(hwndBox);
        if (!CreateShown("", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                         hInstance))
            return 1;
    }
    hwndMain = CreateWindowA("FirstWindow", "FirstWindow", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             400, 300, NULL, NULL, hInstance, NULL);
    if (!hwndMain)
        return 1;
    ShowWindow(hwndMain, nCmdShow);
    UpdateWindow(hwndMain);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
