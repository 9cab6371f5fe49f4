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

std::string ConsoleUnicode(const std::string &strAnsi)
{
    std::string utf8;
    if (HostConvert(strAnsi, "UTF-8", "CP936", &utf8))
        return utf8;
    utf8.clear();
    for (size_t i = 0; i < strAnsi.size();) {
        size_t cb = TextCharBytes(strAnsi.c_str() + i);
        std::string ch;
        utf8 += HostConvert(strAnsi.substr(i, cb), "UTF-8", "CP936", &ch) ? ch : "\xEF\xBF\xBD";
        i += cb;
    }
    return utf8;
}
