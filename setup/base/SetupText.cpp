/*
 * SetupText.cpp - texts and paths in the ANSI code page, stepped through
 * a character (one or two bytes) at a time.
 */
#include <stdarg.h>
#include <string.h>
#include "SetupText.h"
#include "SetupOs.h"

size_t TextCharBytes(LPCSTR lpsz)
{
    return OsIsLeadByte(*lpsz) && lpsz[1] ? 2 : 1;
}

size_t Utf8CharBytes(LPCSTR lpsz, size_t cbLeft)
{
    unsigned char b = (unsigned char)lpsz[0];
    size_t cb = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    if (cb == 0 || cb > cbLeft)
        return 0;
    for (size_t k = 1; k < cb; k++)
        if (((unsigned char)lpsz[k] & 0xC0) != 0x80)
            return 0;
    return cb;
}

BOOL StoreText(LPSTR lpszField, UINT cchField, LPCSTR lpszSrc)
{
    if (cchField == 0)
        return FALSE;
    size_t n = strlen(lpszSrc);
    BOOL bFits = n < cchField;
    if (!bFits) {
        /* A lone lead byte left at the cut would join the next byte of
         * whatever text follows (a caption, a DDE command) into one
         * character: cut before the character instead. */
        n = 0;
        while (n + TextCharBytes(lpszSrc + n) <= cchField - 1)
            n += TextCharBytes(lpszSrc + n);
    }
    memcpy(lpszField, lpszSrc, n);
    lpszField[n] = '\0';
    return bFits;
}

LPCSTR FindLastBackslash(LPCSTR lpszPath)
{
    LPCSTR lpszLast = NULL;
    for (LPCSTR p = lpszPath; *p; p += TextCharBytes(p))
        if (*p == '\\')
            lpszLast = p;
    return lpszLast;
}

BOOL PathEndsInBackslash(LPCSTR lpszPath)
{
    LPCSTR p = FindLastBackslash(lpszPath);
    return p != NULL && p[1] == '\0';
}

int FormatText(LPSTR lpszOut, size_t cchOut, LPCSTR lpszFormat, ...)
{
    va_list args;
    va_start(args, lpszFormat);
    int cch = OsFormatV(lpszOut, cchOut, lpszFormat, args);
    va_end(args);
    return cch;
}

void FormatULongLong(LPSTR lpszOut, size_t cchOut, unsigned long long ull)
{
    char szDigits[24];
    size_t n = sizeof(szDigits);
    szDigits[--n] = '\0';
    do
        szDigits[--n] = (char)('0' + ull % 10);
    while ((ull /= 10) != 0);
    StoreText(lpszOut, (UINT)cchOut, szDigits + n);
}
