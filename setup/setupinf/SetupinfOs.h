/*
 * SetupinfOs.h - the platform operations the script reader needs: the
 * read buffer, reading the script, the program's folder and a folder
 * listing. SetupinfWin32.cpp implements them with the Windows kernel;
 * SetupinfHost.cpp with POSIX calls for the Linux host build and its tools.
 */
#ifndef SETUPINFOS_H
#define SETUPINFOS_H

#include "Setupinf.h"
#include "SetupOs.h"

#define MAXFINDNAME 260

typedef struct tagOSFIND {
    void *hFind;                   /* the platform's listing handle */
    char  szName[MAXFINDNAME];     /* name of the current entry */
    DWORD dwAttributes;            /* FILE_ATTRIBUTE_DIRECTORY for folders */
    unsigned long long cbSize;     /* size of a file in bytes */
} OSFIND;

/* A zero-filled block of cb bytes, or NULL. Release with OsFreeBlock. */
LPSTR OsAllocBlock(UINT cb);
void  OsFreeBlock(LPSTR lpBlock);

/* Reads up to cbMax bytes of the file in one read. Returns FALSE when the
 * file cannot be opened or read; *pcbRead holds the count read. */
BOOL OsReadFile(LPCSTR lpszFileName, LPSTR lpBuf, UINT cbMax, UINT *pcbRead);

/* The folder of the program that hInstance names, ending in a separator.
 * Returns FALSE when it does not fit in cchDir characters. */
BOOL OsGetProgramFolder(HINSTANCE hInstance, LPSTR lpszDir, UINT cchDir);

/* Makes OsGetProgramFolder answer lpszDir (a folder prefix) from now on,
 * so a tool can read a script that lies beside another program. NULL
 * restores the default. */
void OsSetProgramFolder(LPCSTR lpszDir);

/* Folder listing by wildcard pattern ("folder\*.*"). OsFindFirst returns
 * FALSE when nothing matches; after TRUE call OsFindClose. */
BOOL OsFindFirst(LPCSTR lpszPattern, OSFIND *pFind);
BOOL OsFindNext(OSFIND *pFind);
void OsFindClose(OSFIND *pFind);

#endif
