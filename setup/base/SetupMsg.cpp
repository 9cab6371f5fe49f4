/*
 * SetupMsg.cpp - the one place where the program talks to the user.
 */
#include <windows.h>
#include <stdarg.h>
#include "SetupGlobals.h"
#include "SetupOs.h"

int SetupMessageBox(HINSTANCE hInstance, HWND hwndOwner, UINT uStringId,
                    LPCSTR lpszCaption, UINT uStyle, ...)
{
    char szFormat[200];
    char szMessage[200];
    va_list args;

    szFormat[0] = '\0';
    LoadStringA(hInstance, LOWORD(uStringId), szFormat, 199);
    va_start(args, uStyle);
    /* Bounded, with the rules of wvsprintfA for the forms the texts use
     * (%s, %c, %ld): an over-long argument is cut, never written past the
     * buffer. */
    szMessage[0] = '\0';
    OsFormatV(szMessage, sizeof(szMessage), szFormat, args);
    va_end(args);
    return MessageBoxA(hwndOwner, szMessage, lpszCaption, LOWORD(uStyle));
}
