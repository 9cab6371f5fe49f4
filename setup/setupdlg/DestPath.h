/*
 * DestPath.h - the path rules of the destination folder dialog, free of
 * window calls. Paths are code page 936 texts: double-byte characters are
 * stepped over whole, so a trail byte is never taken for a backslash or a
 * letter.
 */
#ifndef DESTPATH_H
#define DESTPATH_H

#include "SetupText.h"

#define MAXPATHTEXT 128     /* szPath and the dialog's work buffers */

/* Lower-cases the letters A to Z in place; every other byte stays. */
void LowerPath(LPSTR lpszPath);

/* Removes one trailing backslash, if there is one. */
void RemoveTrailingBackslash(LPSTR lpszPath);

/* Position of the last backslash, or -1. */
int LastBackslash(LPCSTR lpszPath);

/* The working path from the script's default folder: copied, one
 * trailing backslash removed, lower-cased. */
void DefDirToPath(LPCSTR lpszDefDir, LPSTR lpszPath);

/* A default folder that was cut in the script becomes its drive ("C:"),
 * or nothing when it names none: a cut folder is never offered. */
void DefDirRoot(LPSTR lpszDefDir);

/* Puts the path on drive chDrive (lower-cased): one without a drive
 * letter and colon goes on the drive's root ("apps\demo" gives
 * "c:\apps\demo"), one with a drive gets the new letter. FALSE when the
 * result would not fit: the path is then the drive's root alone ("c:"),
 * so a cut folder never stands as a destination. */
BOOL PutOnDrive(LPSTR lpszPath, char chDrive);

/* The folder to list for a working path (up to and with its last
 * backslash; the path and a backslash when it has none, a drive root
 * such as "c:") and its last component ("" for such a root). */
void SplitWorkingPath(LPCSTR lpszPath, LPSTR lpszListed, LPSTR lpszLast);

/* Replaces the last component of the path by lpszEntry ("c:\apps\demo"
 * and "tools" give "c:\apps\tools"); a path without backslash gets one
 * first. FALSE, and the path unchanged, when the result would not fit. */
BOOL ReplaceLastComponent(LPSTR lpszPath, LPCSTR lpszEntry);

/* Appends a backslash and lpszEntry; FALSE, unchanged, when too long. */
BOOL AppendComponent(LPSTR lpszPath, LPCSTR lpszEntry);

/* Going up from a path that ends in "\..": ends it at the backslash
 * before the listed folder's name ("c:\apps\tools\.." gives "c:\apps",
 * "c:\apps\.." gives "c:"). A path with no such backslash is unchanged. */
void GoUpPath(LPSTR lpszPath);

/* A typed folder the dialog refuses by name: no colon as its second
 * character, ending in two dots, or a part that ends in a blank: the
 * folder would be made without it and every path under the typed name
 * would then fail. */
BOOL IsBadDirName(LPCSTR lpszText);

/* A typed folder (lower-cased, with a drive) as a full path in lpszFull:
 * the drive, the folders from its root, no "." or ".." parts and no
 * empty ones; no trailing backslash, so a root is "c:" as the dialog
 * shows it. "c:" and "c:\" name the root; a drive-relative text
 * ("c:games", "c:.") goes on from lpszDriveFolder, the drive's current
 * folder as a full path, or is refused when that is NULL or not a full
 * path of the same drive. FALSE when the text climbs above the root or
 * the result would not fit: such a folder is refused, never guessed at
 * or cut. */
BOOL MakeFullDestPath(LPCSTR lpszTyped, LPCSTR lpszDriveFolder, LPSTR lpszFull);

/* The end of the next level of a full path after position ich: the next
 * backslash, or the end of the path ("c:\games\mines" from 2 gives 8,
 * from 8 gives 14, from 14 gives 14). Every missing level of a
 * destination is made, from the drive's root down. */
size_t NextLevelEnd(LPCSTR lpszFull, size_t ich);

/* TRUE when the full path takes its trailing backslash within a field of
 * MAXPATHTEXT (at most 126 characters, or a root such as "c:"). */
BOOL TakesBackslash(LPCSTR lpszFull);

/* TRUE when the free space does not exceed the space needed (both in K). */
BOOL IsSpaceShort(UINT uNeededK, unsigned long long ullFreeK);

/* "%lluK Bytes": sizes in K shown in full, never negative. */
void FormatKBytes(LPSTR lpszBuf, UINT cchBuf, unsigned long long ullK);

#endif
