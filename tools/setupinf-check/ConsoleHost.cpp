/*
 * ConsoleHost.cpp - the checker's console on Linux: texts converted to the
 * terminal's encoding, paths from the UTF-8 names of the file system.
 */
#include <langinfo.h>
#include <locale.h>
#include "Console.h"
#include "SetupinfHost.h"

void ConsoleInit(void)
{
    setlocale(LC_CTYPE, "");
}

std::string ConsoleText(const std::string &strAnsi)
{
    return HostTextFromAnsi(strAnsi, nl_langinfo(CODESET));
}

std::string ConsolePath(const char *lpszArg)
{
    return HostNameToAnsi(lpszArg);
}
