/*
 * SetupGlobals.h - the program's globals and the two services every window
 * of it uses: the message box from the string table and the placement of
 * a dialog in the middle of the screen. Below the dialogs, the group step
 * and the shell alike, so each of them reaches down only.
 */
#ifndef SETUPGLOBALS_H
#define SETUPGLOBALS_H

#include <windows.h>

extern HINSTANCE hInst;
extern char szSourceDir[128];   /* the program's folder, with its backslash */
extern char szDestDir[128];     /* the destination folder prefix */
extern char szTitle[128];       /* the script's AppName: every caption */
extern HPALETTE hPalette;       /* from BACK; selected for every picture */
extern HBITMAP hbmSetup, hbmStatus;

/* Centres a window on the primary screen; size and Z order unchanged. */
void CenterDialog(HWND hwnd);

/* Loads string uStringId, fills in the arguments (wvsprintfA rules, cut to
 * fit 200 characters) and shows it in a message box. Returns the button. */
int SetupMessageBox(HINSTANCE hInstance, HWND hwndOwner, UINT uStringId,
                    LPCSTR lpszCaption, UINT uStyle, ...);

#endif
