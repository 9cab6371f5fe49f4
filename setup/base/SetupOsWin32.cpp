/*
 * SetupOsWin32.cpp - the shared base's platform services on Windows.
 */
#include <windows.h>
#include "SetupOs.h"

BOOL OsIsLeadByte(char c)
{
    return IsDBCSLeadByte((BYTE)c);
}

void OsDebugString(LPCSTR lpszText)
{
    OutputDebugStringA(lpszText);
}
