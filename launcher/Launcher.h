/*
 * Launcher.h - the one-file distribution's launcher: finds the cabinet in
 * its own file, unpacks it into a new folder under the temporary folder,
 * runs SETUP.EXE there, waits for it and removes the folder.
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

typedef struct tagUNPACK {
    const BYTE *pbCabinet;
    DWORD cbCabinet;
    WCHAR szDir[MAX_PATH];      /* the folder unpacked into, without a trailing backslash */
    WCHAR szFailed[MAX_PATH];   /* the file being written when it failed */
    int nCause;
    ULONGLONG cbDone, cbAll;
    HWND hwndProgress;          /* the progress window, or NULL */
} UNPACK;

/* Unpacks the cabinet into pUnpack->szDir with the platform's FDI:
 * TRUE when every file is written; else pUnpack->nCause tells why. */
BOOL UnpackCabinet(UNPACK *pUnpack);

/* Shows the share of bytes done in the progress window and lets it paint. */
void ShowUnpackProgress(UNPACK *pUnpack);

#endif
