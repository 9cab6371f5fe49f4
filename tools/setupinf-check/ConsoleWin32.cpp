/*
 * ConsoleWin32.cpp - the checker's console on Windows: the console's code
 * page is the script's, so texts and paths pass as they are; JSON texts
 * go through the system's conversion from code page 936.
 */
#include <windows.h>
#include "Console.h"

void ConsoleInit(void)
{
}

std::string ConsoleText(const std::string &strAnsi)
{
    return strAnsi;
}

std::string ConsolePath(const char *lpszArg)
{
    return lpszArg;
}

std::string ConsoleUnicode(const std::string &strAnsi)
{
    if (strAnsi.empty())
        return "";
    int cwch = MultiByteToWideChar(936, 0, strAnsi.data(), (int)strAnsi.size(), NULL, 0);
    std::wstring w(cwch > 0 ? cwch : 0, L'\0');
    if (cwch > 0)
        MultiByteToWideChar(936, 0, strAnsi.data(), (int)strAnsi.size(), &w[0], cwch);
    int cb = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), NULL, 0, NULL, NULL);
    std::string utf8(cb > 0 ? cb : 0, '\0');
    if (cb > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &utf8[0], cb, NULL, NULL);
    return utf8;
}
