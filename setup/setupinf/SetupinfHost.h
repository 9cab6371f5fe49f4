/*
 * SetupinfHost.h - the host layer's own conversions, for the Linux tools
 * and tests. The program works in code page 936 as on Windows; on Linux
 * the names of files are UTF-8, as Wine keeps them, and a terminal has an
 * encoding of its own.
 */
#ifndef SETUPINFHOST_H
#define SETUPINFHOST_H

#include <string>
#include "Setupinf.h"

/* The host's name of a path written in code page 936 with backslashes or
 * slashes: slashes, UTF-8. A text that is not code page 936 is kept as
 * its bytes. */
std::string HostPathFromAnsi(LPCSTR lpszPath);

/* A host name (UTF-8) in code page 936; kept as its bytes when it is not
 * UTF-8 or has a character that code page 936 lacks. */
std::string HostNameToAnsi(LPCSTR lpszName);

/* A whole text from the encoding lpszFrom into lpszTo (iconv's names);
 * FALSE, with *pstrOut untouched, when a character cannot be converted. */
BOOL HostConvert(const std::string &strIn, LPCSTR lpszTo, LPCSTR lpszFrom, std::string *pstrOut);

/* A code page 936 text in the encoding lpszCodeset (as nl_langinfo names
 * it), for display: a character that cannot be shown becomes "?". */
std::string HostTextFromAnsi(const std::string &strText, LPCSTR lpszCodeset);

#endif
