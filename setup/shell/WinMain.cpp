/*
 * WinMain.cpp - the program's entry. Kept apart from the rest of the shell
 * so that test programs can link everything else.
 */
#include <windows.h>
#include "Shell.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR, int)
{
    if (!SetupInitHook(hInstance))
        return 0;
    if (hPrevInstance)
        return 0;
    InitInstance(hInstance);
    return 0;
}
