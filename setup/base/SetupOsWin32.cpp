/*
 * SetupOsWin32.cpp - the shared base's platform services on Windows.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <new>
#include "SetupOs.h"

BOOL OsIsLeadByte(char c)
{
    return IsDBCSLeadByte((BYTE)c);
}

void OsDebugString(LPCSTR lpszText)
{
    OutputDebugStringA(lpszText);
}

/* The system's own C library (msvcrt): it leaves a cut text unterminated
 * and says -1, so the terminator and the whole length are added here. */
int OsFormatV(LPSTR lpszOut, size_t cchOut, LPCSTR lpszFormat, va_list args)
{
    va_list argsAgain;
    va_copy(argsAgain, args);
    int cch = _vsnprintf(lpszOut, cchOut, lpszFormat, args);
    if ((cch < 0 || (size_t)cch == cchOut) && cchOut > 0) {
        lpszOut[cchOut - 1] = '\0';
        cch = _vscprintf(lpszFormat, argsAgain);
    }
    va_end(argsAgain);
    return cch;
}

/* The records are made with the nothrow new and nothing throws: these
 * keep the C++ run-time library, with its exception machinery, out of
 * SETUP.EXE. They allocate as the library would (malloc), so programs
 * that link both agree on who frees what. */
void *operator new(size_t cb, const std::nothrow_t &) noexcept
{
    return malloc(cb ? cb : 1);
}

void operator delete(void *p) noexcept
{
    free(p);
}

void operator delete(void *p, size_t) noexcept
{
    free(p);
}
