/*
 * CopyPath.h - joining the folders and names of the copy step, bounded:
 * a path that would not fit is refused, never cut; only a label is.
 */
#ifndef COPYPATH_H
#define COPYPATH_H

#include "SetupText.h"

#define MAXCOPYPATH 128     /* every composed folder, path and label */

/* lpszFirst followed directly by lpszSecond ("c:\app\" and "data" give
 * "c:\app\data"). FALSE, and lpszOut empty, when it would not fit. */
BOOL JoinText(LPSTR lpszOut, LPCSTR lpszFirst, LPCSTR lpszSecond);

/* A folder and a file name, with a backslash between them only where the
 * folder lacks one. FALSE, and lpszOut empty, when it would not fit. */
BOOL JoinFileName(LPSTR lpszOut, LPCSTR lpszFolder, LPCSTR lpszName);

/* A label: lpszFirst followed by lpszSecond, as much as fits in
 * MAXCOPYPATH, cut between characters (double-byte ones stay whole). It
 * only tells the user, so a cut one does no harm. TRUE when all fitted. */
BOOL JoinLabel(LPSTR lpszOut, LPCSTR lpszFirst, LPCSTR lpszSecond);

/* What the first cb bytes of a source file say it is. */
#define SRC_PLAIN       0   /* copied as it is */
#define SRC_COMPRESSED  1   /* expanded; *pdwSize is its size once expanded */
#define SRC_DAMAGED     2   /* has the compressed file's signature but an
                             * unknown method or a header cut short */
#define LZHEADER        14  /* signature, method, last character, size */
int ClassifySource(const BYTE *pb, UINT cb, DWORD *pdwSize);

#endif
