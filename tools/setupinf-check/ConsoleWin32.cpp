/*
 * ConsoleWin32.cpp - the checker's console on Windows: the console's code
 * page is the script's, so texts and paths pass as they are.
 */
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
