/*
 * SetupText.h - the texts every part of the program handles: single-byte
 * strings in the ANSI code page (936: a character is one byte or a lead
 * byte and its trail) in fields of MAXTEXT, and folder paths in them.
 */
#ifndef SETUPTEXT_H
#define SETUPTEXT_H

#include <stddef.h>
#include "SetupTypes.h"

#define MAXTEXT   128       /* a text field, with its terminator */

/* Bytes of the character at lpsz: 2 for a lead byte with its trail. */
size_t TextCharBytes(LPCSTR lpsz);

/* Bytes of the UTF-8 character that begins at lpsz, of the cbLeft bytes
 * left in the text; 0 when no whole UTF-8 character begins there. For
 * the publisher's tools, which read texts written in UTF-8. */
size_t Utf8CharBytes(LPCSTR lpsz, size_t cbLeft);

/* The last backslash of the path, or NULL when it has none. Double-byte
 * characters are stepped over whole: in code page 936 a trail byte may
 * have the value of a backslash without being one. */
LPCSTR FindLastBackslash(LPCSTR lpszPath);

/* TRUE when the text's last character is a backslash (same rule). */
BOOL PathEndsInBackslash(LPCSTR lpszPath);

/* snprintf's contract on every platform: at most cchOut bytes written,
 * terminated whenever cchOut > 0; returns the length the whole text
 * needs, or a negative number. SETUP.EXE formats with the system's C
 * library instead of carrying a printf of its own, so only its common
 * forms are used: %s %c %d %u %lu %lX, widths and %.*s; no 64-bit ones
 * (see FormatULongLong). */
int FormatText(LPSTR lpszOut, size_t cchOut, LPCSTR lpszFormat, ...);

/* The decimal digits of ull into a field of cchOut. */
void FormatULongLong(LPSTR lpszOut, size_t cchOut, unsigned long long ull);

/* Copies lpszSrc into a field of cchField characters, cutting it if need
 * be; a cut never splits a double-byte character. Returns TRUE when the
 * whole text fitted. */
BOOL StoreText(LPSTR lpszField, UINT cchField, LPCSTR lpszSrc);

#endif
