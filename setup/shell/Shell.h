/*
 * Shell.h - the program's globals and the entry's helpers.
 */
#ifndef SHELL_H
#define SHELL_H

#include <windows.h>

extern HINSTANCE hInst;
extern char szSourceDir[128];   /* the program's folder, with its backslash */
extern char szDestDir[128];     /* the destination folder prefix */
extern char szTitle[128];       /* the script's AppName: every caption */

/* Customisation hook called first; 0 ends the program at once. */
int SetupInitHook(HINSTANCE hInstance);

/* Start-up: the program's folder, the script, the title. FALSE when the
 * program must end (the user was told why). */
BOOL InitInstance(HINSTANCE hInstance);

/* Loads string uStringId, fills in the arguments (wvsprintfA rules, cut to
 * fit 200 characters) and shows it in a message box. Returns the button. */
int SetupMessageBox(HINSTANCE hInstance, HWND hwndOwner, UINT uStringId,
                    LPCSTR lpszCaption, UINT uStyle, ...);

#endif
