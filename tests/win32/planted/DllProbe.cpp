/*
 * DllProbe.cpp - loads each DLL named on its command line by name, with
 * the default search, as an unguarded program would: the control that
 * shows a planted DLL is found where the tests plant it.
 */
#include <windows.h>
#include <shellapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int nArgs = 0;
    LPWSTR *ppszArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    int nLoaded = 0;
    for (int i = 1; ppszArgs && i < nArgs; i++)
        if (LoadLibraryW(ppszArgs[i]))
            nLoaded++;
    return nLoaded;
}
