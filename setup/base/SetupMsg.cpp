/*
 * SetupMsg.cpp - the one place where the program talks to the user. The
 * texts are loaded and shown as UTF-16, so they read right under any
 * ANSI code page, not only under 936.
 */
#include <windows.h>
#include <stdarg.h>
#include "SetupGlobals.h"
#include "SetupText.h"
#include "resource.h"

#define MAXMESSAGE 512      /* room for the message in two languages */

/* The code page of a message's string arguments: the file names of the
 * script are in its page, paths in the system's. */
static UINT ArgCodePage(UINT uStringId)
{
    return uStringId == STR_COPYERROR || uStringId == STR_CODEPAGE ? SCRIPT_CODEPAGE : CP_ACP;
}

/* Appends lpsz (in code page uPage) at lpszOut[ich], cut to cchOut. */
static int AppendNarrow(LPWSTR lpszOut, int ich, int cchOut, LPCSTR lpsz, UINT uPage)
{
    int cch = MultiByteToWideChar(uPage, 0, lpsz, -1, NULL, 0);
    LPWSTR lpszWide = cch > 0 ? (LPWSTR)LocalAlloc(LMEM_FIXED, cch * sizeof(WCHAR)) : NULL;
    if (!lpszWide)
        return ich;
    MultiByteToWideChar(uPage, 0, lpsz, -1, lpszWide, cch);
    for (int i = 0; lpszWide[i] && ich < cchOut - 1; i++)
        lpszOut[ich++] = lpszWide[i];
    LocalFree(lpszWide);
    return ich;
}

/* Fills the fields the texts use (%s, %c, %ld and %d, %%) as wvsprintfA
 * would, into lpszOut of cchOut characters, cut to fit. */
static void FormatMessageText(LPWSTR lpszOut, int cchOut, LPCWSTR lpszFormat, UINT uPage, va_list args)
{
    char szOne[2] = { 0, 0 };
    char szNumber[16];
    int ich = 0;
    for (LPCWSTR p = lpszFormat; *p && ich < cchOut - 1; p++) {
        if (*p != L'%' || !p[1]) {
            lpszOut[ich++] = *p;
            continue;
        }
        if (*++p == L'l' && p[1])
            p++;
        switch (*p) {
        case L's':
            ich = AppendNarrow(lpszOut, ich, cchOut, va_arg(args, LPCSTR), uPage);
            break;
        case L'c':
            szOne[0] = (char)va_arg(args, int);
            ich = AppendNarrow(lpszOut, ich, cchOut, szOne, uPage);
            break;
        case L'd':
            wsprintfA(szNumber, "%ld", va_arg(args, long));
            ich = AppendNarrow(lpszOut, ich, cchOut, szNumber, CP_ACP);
            break;
        default:
            lpszOut[ich++] = *p;
            break;
        }
    }
    lpszOut[ich] = L'\0';
}

int SetupMessageBox(HINSTANCE hInstance, HWND hwndOwner, UINT uStringId,
                    LPCSTR lpszCaption, UINT uStyle, ...)
{
    WCHAR szFormat[MAXMESSAGE];
    WCHAR szMessage[MAXMESSAGE];
    WCHAR szCaption[MAXTEXT];
    va_list args;

    szFormat[0] = L'\0';
    LoadStringW(hInstance, LOWORD(uStringId), szFormat, MAXMESSAGE);
    va_start(args, uStyle);
    FormatMessageText(szMessage, MAXMESSAGE, szFormat, ArgCodePage(LOWORD(uStringId)), args);
    va_end(args);
    if (lpszCaption)
        ScriptToWide(lpszCaption, szCaption, MAXTEXT);
    return MessageBoxW(hwndOwner, szMessage, lpszCaption ? szCaption : NULL, LOWORD(uStyle));
}
