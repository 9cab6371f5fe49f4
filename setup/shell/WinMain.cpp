/*
 * WinMain.cpp - the program's entry and its one message loop. Kept apart
 * from the rest of the shell so that test programs can link everything
 * else.
 */
#include <windows.h>
#include "meter.h"
#include "Shell.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)lpCmdLine;
    (void)nCmdShow;
    if (!SetupInitHook(hInstance))
        return 0;
    if (hPrevInstance)
        return 0;
    if (!InitInstance(hInstance)) {
        if (hwndBackdrop)
            DestroyWindow(hwndBackdrop);
        return 0;
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
