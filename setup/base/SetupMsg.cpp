/*
 * SetupMsg.cpp - the one place where the program talks to the user.
 */
#include <windows.h>
#include <shlwapi.h>
#include <stdarg.h>
#include "SetupGlobals.h"

int SetupMessageBox(HINSTANCE hInstance, HWND hwndOwner, UINT uStringId,
                    LPCSTR lpszCaption, UINT uStyle, ...)
{
    char szFormat[200];
    char szMessage[200];
    va_list args;

    szFormat[0] = '\0';
    LoadStringA(hInstance, LOWORD(uStringId), szFormat, 199);
    va_start(args, uStyle);
    /* The bounded form of wvsprintfA, with the same rules: an over-long
     * argument is cut, never written past the buffer. */
    szMessage[0] = '\0';
    wvnsprintfA(szMessage, sizeof(szMessage), szFormat, args);
    va_end(args);
    return MessageBoxA(hwndOwner, szMessage, lpszCaption, LOWORD(uStyle));
}
