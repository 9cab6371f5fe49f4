/*
 * SetupOs.h - the platform services of the shared base: the code page's
 * double-byte rule and the debugger's output. SetupOsWin32.cpp serves them
 * on Windows, SetupOsHost.cpp on the Linux host build.
 */
#ifndef SETUPOS_H
#define SETUPOS_H

#include <stdarg.h>
#include <stddef.h>
#include "SetupTypes.h"

/* TRUE when c is the lead byte of a double-byte character in the ANSI
 * code page (936 for this program's texts). */
BOOL OsIsLeadByte(char c);

/* Shows lpszText to a debugger watching the program; nothing elsewhere. */
void OsDebugString(LPCSTR lpszText);

/* vsnprintf with the C library of the platform (FormatText's contract). */
int OsFormatV(LPSTR lpszOut, size_t cchOut, LPCSTR lpszFormat, va_list args);

#endif
