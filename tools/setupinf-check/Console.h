/*
 * Console.h - the checker's texts on the user's console. The script's
 * texts are in code page 936, which a Windows console in that code page
 * shows as they are; a Linux terminal has an encoding of its own, and the
 * names of its files are UTF-8. ConsoleHost.cpp and ConsoleWin32.cpp
 * implement this for each platform.
 */
#ifndef CONSOLE_H
#define CONSOLE_H

#include <string>

/* Takes the console's encoding from the environment; once, at start. */
void ConsoleInit(void);

/* A text in code page 936 (a finding's text) as the console shows it. */
std::string ConsoleText(const std::string &strAnsi);

/* A text in code page 936 as UTF-8, for JSON: a byte that begins no
 * character of code page 936 becomes U+FFFD. */
std::string ConsoleUnicode(const std::string &strAnsi);

/* A path given on the command line, in code page 936 for the reader. */
std::string ConsolePath(const char *lpszArg);

#endif
