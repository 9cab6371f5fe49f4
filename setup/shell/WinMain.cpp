/*
 * WinMain.cpp - the program's entry and its one message loop. Kept apart
 * from the rest of the shell so that test programs can link everything
 * else.
 */
#include <windows.h>
#include "meter.h"
#include "Shell.h"
#include "SystemDll.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)lpCmdLine;
    (void)nCmdShow;
    /* Before anything can load a DLL: never one planted beside the program. */
    RestrictDllSearch();
    if (!SetupInitHook(hInstance))
        return SETUP_EXIT_LEFT;
    if (hPrevInstance)
        return 0;
    if (!InitInstance(hInstance)) {
        if (hwndBackdrop)
            DestroyWindow(hwndBackdrop);
        return SETUP_EXIT_FAILED;
    }

    MSG msg;
    msg.wParam = 0;
    for (;;) {
        if (PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&msg, NULL, 0, 0))
                break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            WaitMessage();
        }
    }
    UnregisterMeterClass(hInstance);
    return (int)msg.wParam;
}
