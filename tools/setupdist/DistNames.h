/*
 * DistNames.h - the rules for names on a distribution: what a script line
 * and the user's file system can take, the compressed file's name, and
 * names compared as Windows compares them. Names are code page 936 texts:
 * double-byte characters are stepped over whole.
 */
#ifndef DISTNAMES_H
#define DISTNAMES_H

#include <string>

/* Why a file or folder name cannot go on a distribution, or "" when it
 * can. Checks what Windows refuses or changes (reserved device names,
 * characters such as '?' or ':', a trailing dot or blank), what the
 * script reader would drop (a leading blank), a comma in a file name
 * (it ends the name on a [Files] line) and the limit of 127 bytes. */
std::string BadNameReason(const std::string &name, bool bFolder);

/* Does text match the pattern? '*' any run of characters, '?' one,
 * letters in either case (as SameDistName). */
bool NameMatches(const std::string &pattern, const std::string &text);

/* A count as publishers read it: 1,204. */
std::string CountText(unsigned long long n);

/* The usual name of the compressed form: the last character of a
 * three-character extension replaced by '_', which *pchMissing gets;
 * otherwise '_' appended and *pchMissing 0. */
std::string PackedName(const std::string &name, char *pchMissing);

/* The name with each letter upper-cased as Windows does to compare
 * names (every UTF-16 unit by itself): ASCII, and the Greek, Cyrillic,
 * fullwidth Latin letters and Roman numerals of code page 936. Each
 * character keeps its length. */
std::string UpperDistName(const std::string &name);

/* Does Windows take the two names of code page 936 for one? */
bool SameDistName(const std::string &a, const std::string &b);

/* The display name of a [Files] line for a file name: the name without
 * the leading characters that would make the line something else ('['
 * a header, ';' a comment, '*' a wildcard line), cut to cchMax bytes at
 * a character boundary. */
std::string DisplayName(const std::string &name, size_t cchMax);


#endif
