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
extern UINT uExitCode;          /* the program's exit code; the steps set it */

/* Exit codes, as deployment tools read those of other installers: 0 is
 * success and only success. */
#define SETUP_EXIT_OK        0      /* installed */
#define SETUP_EXIT_REBOOT    3010   /* ERROR_SUCCESS_REBOOT_REQUIRED: installed, a restart asked for */
#define SETUP_EXIT_LEFT      1602   /* ERROR_INSTALL_USEREXIT: the user left before anything was written */
#define SETUP_EXIT_FAILED    1603   /* ERROR_INSTALL_FAILURE: a step failed */
#define SETUP_EXIT_CANCELLED 1604   /* ERROR_INSTALL_SUSPENDED: the user cancelled the copy half-way */

/* The script's texts are code page 936 whatever the system's: they are
 * shown through the wide interface, converted from that page. */
#define SCRIPT_CODEPAGE 936

/* A text of the script as UTF-16, cut to cchWide. */
void ScriptToWide(LPCSTR lpszText, LPWSTR lpszWide, int cchWide);

/* Shows a text of the script as a window's text (captions, labels). */
void SetScriptText(HWND hwnd, LPCSTR lpszText);

/* Shows string uStringId of the table followed by lpszText (a path in the
 * ANSI code page) as the text of control nId. */
void SetLabelText(HWND hDlg, int nId, UINT uStringId, LPCSTR lpszText);

/* Centres a window on the primary screen; size and Z order unchanged. */
void CenterDialog(HWND hwnd);

/* Loads string uStringId, fills in the arguments (%s, %c, %ld, as
 * wvsprintfA does; strings in the ANSI code page, or in the script's for
 * the messages that name a file of the script), cut to fit 512
 * characters, and shows it in a message box, through the wide interface
 * so that it reads right under any code page; the caption is a text of
 * the script. Returns the button. */
int SetupMessageBox(HINSTANCE hInstance, HWND hwndOwner, UINT uStringId,
                    LPCSTR lpszCaption, UINT uStyle, ...);

#endif
