/*
 * SetupOsHost.cpp - the shared base's platform services on the Linux host
 * build: code page 936's lead bytes, and no debugger to tell.
 */
#include <stdio.h>
#include "SetupOs.h"

BOOL OsIsLeadByte(char c)
{
    unsigned char b = (unsigned char)c;
    return b >= 0x81 && b <= 0xFE;
}

void OsDebugString(LPCSTR lpszText)
{
    (void)lpszText;
}

int OsFormatV(LPSTR lpszOut, size_t cchOut, LPCSTR lpszFormat, va_list args)
{
    return vsnprintf(lpszOut, cchOut, lpszFormat, args);
}
