/*
 * Launcher.h - the one-file distribution's launcher: finds the cabinet in
 * its own file, unpacks it into a new folder under the temporary folder,
 * runs SETUP.EXE there, waits for it and removes what it unpacked.
 *
 * Calls go one way: Launcher.cpp calls the other files, Unpack.cpp calls
 * Cleanup.cpp and UnpackProgress.cpp, and those two call none of them.
 */
#ifndef LAUNCHER_H
#define LAUNCHER_H

#include <windows.h>
#include "Payload.h"

/* Why an unpack failed: a LAUNCH_ code and the file it was at. */
#define LAUNCH_OK       0
#define LAUNCH_DISKFULL 1
#define LAUNCH_WRITE    2
#define LAUNCH_DAMAGED  3

/* The launcher's own exit codes; once SETUP.EXE ran, its code is passed
 * on instead. Values a deployment tool knows from other installers. */
#define LAUNCH_EXIT_DAMAGED   1620  /* ERROR_INSTALL_PACKAGE_INVALID: the file is cut or damaged */
#define LAUNCH_EXIT_DISKFULL  112   /* ERROR_DISK_FULL: no room to unpack */
#define LAUNCH_EXIT_WRITE     82    /* ERROR_CANNOT_MAKE: its folder or a file not written */
#define LAUNCH_EXIT_NOSTART   1627  /* ERROR_FUNCTION_FAILED: SETUP.EXE not started */

/* A file or folder the launcher made, newest first: only these are
 * removed at the end. A folder keeps its identity, and a handle that
 * keeps it from being renamed or replaced while SETUP.EXE runs. */
typedef struct tagMADE {
    struct tagMADE *pNext;
    struct tagMADE *pParent;    /* the folder it is in; NULL for the top */
    BOOL bFolder;
    HANDLE hHold;               /* folders: open from creation to removal */
    BY_HANDLE_FILE_INFORMATION id;
    BOOL bTrusted;              /* folders: checked to be still the one made */
    WCHAR szPath[MAX_PATH];
} MADE;

typedef struct tagUNPACK {
    const BYTE *pbCabinet;
    DWORD cbCabinet;
    WCHAR szDir[MAX_PATH];      /* the folder unpacked into, without a trailing backslash */
    WCHAR szFailed[MAX_PATH];   /* the file being written when it failed */
    int nCause;
    ULONGLONG cbDone, cbAll;
    HWND hwndProgress;          /* the progress window, or NULL */
    MADE *pMade;                /* what was made, newest first */
    SECURITY_ATTRIBUTES *pSecurity; /* for the top folder: the user, SYSTEM and Administrators only */
} UNPACK;

/* Cleanup.cpp ------------------------------------------------------------ */

/* Records lpszPath, just made below pParent, as made: it is removed at
 * the end. NULL when out of memory. */
MADE *RecordMade(UNPACK *pUnpack, MADE *pParent, const WCHAR *lpszPath);

/* Makes folder lpszPath with pSecurity (NULL: inherited) and records it
 * in pUnpack->pMade below pParent. NULL when it cannot be made, or exists. */
MADE *MakeFolder(UNPACK *pUnpack, MADE *pParent, const WCHAR *lpszPath, SECURITY_ATTRIBUTES *pSecurity);

/* Removes what was made, checking before each folder that it is still the
 * one made and no link put in its place; anything else stays. */
void RemoveMade(UNPACK *pUnpack);

/* UnpackProgress.cpp ----------------------------------------------------- */

/* Registers the progress bar's class, when the system has it. */
void InitProgressClass(void);

/* Opens the progress window with the caption lpszTitle (the caller keeps
 * the text); NULL when it cannot be made. The caller destroys it. */
HWND OpenUnpackProgress(HINSTANCE hInstance, const WCHAR *lpszTitle);

/* Shows the share of bytes done in the progress window and lets it paint. */
void ShowUnpackProgress(UNPACK *pUnpack);

/* Unpack.cpp ------------------------------------------------------------- */

/* Unpacks the cabinet into pUnpack->szDir with the platform's FDI:
 * TRUE when every file is written; else pUnpack->nCause tells why. */
BOOL UnpackCabinet(UNPACK *pUnpack);

#endif
