/*
 * CopyPath.h - the copy step's work that needs no system: joining its
 * folders and names, bounded (a path that would not fit is refused, never
 * cut; only a label is), and recognising and expanding compressed sources.
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

/* TRUE for a name the copy gives the file it makes beside one it
 * replaces: "~SET" and four hexadecimal digits, ".TMP" (any case). */
BOOL IsCopyTempName(LPCSTR lpszName);

/* The destination folders a pass over the script has looked into, each
 * with what it found there: files listed in turn into two folders do not
 * make it list a folder again (under Wine every listing reads the folder
 * anew). A script names at most MAXLOOKED folders; were the list full, a
 * folder not on it would simply be looked into again. */
#define MAXLOOKED 100
typedef struct tagFOLDERLOOKS {
    UINT cFolders;
    UINT iLast;             /* the folder asked for last */
    BOOL abFound[MAXLOOKED];
    char aszFolder[MAXLOOKED][MAXCOPYPATH];
} FOLDERLOOKS;

/* Empties the list: nothing has been looked into. */
void LooksStart(FOLDERLOOKS *pLooks);

/* What was found in lpszFolder (TRUE or FALSE), or -1 when it has not
 * been looked into; the same folder is the same text. */
int LookedFound(FOLDERLOOKS *pLooks, LPCSTR lpszFolder);

/* Notes what was found in lpszFolder; nothing when the list is full. */
void NoteLook(FOLDERLOOKS *pLooks, LPCSTR lpszFolder, BOOL bFound);

/* What the first cb bytes of a source file say it is. */
#define SRC_PLAIN       0   /* copied as it is */
#define SRC_COMPRESSED  1   /* expanded; *pdwSize is its size once expanded */
#define SRC_DAMAGED     2   /* has the compressed file's signature but an
                             * unknown method or a header cut short */
#define LZHEADER        14  /* signature, method, last character, size */
int ClassifySource(const BYTE *pb, UINT cb, DWORD *pdwSize);

/* After the header, a compressed source is LZ77 items over a ring of
 * 4096 bytes that starts filled with blanks, eight items behind each flag
 * byte: a set bit is one byte as it is, a clear one two bytes telling
 * where in the ring to copy from and how much (3 to 18 bytes). The
 * platform's LZ service reads such a file one byte a call; this reads it
 * in blocks, which may end anywhere, also inside an item. */
#define LZRING      4096
#define LZMAXITEM   18      /* the most bytes one item gives */
typedef struct tagEXPANDER {
    BYTE abRing[LZRING];
    UINT iRing;             /* where the next byte goes */
    UINT uFlags;            /* the flag bits still to use, over a marker bit */
    int nHeld;              /* a match's first byte whose second is to come, or -1 */
} EXPANDER;

void ExpandStart(EXPANDER *pex);

/* Expands the items in the cbIn bytes at pbIn into pbOut, which holds
 * cbOut bytes (at least LZMAXITEM), until the input is used up or the
 * next item might not fit. *pcbUsed gets how much input was used; the
 * rest is to be passed again. Returns the number of bytes put in pbOut. */
UINT ExpandItems(EXPANDER *pex, const BYTE *pbIn, UINT cbIn, UINT *pcbUsed, BYTE *pbOut, UINT cbOut);

#endif
