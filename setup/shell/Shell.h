/*
 * Shell.h - the program's globals, the entry's helpers, the installation
 * sequence, the customisation hooks and the message helper.
 */
#ifndef SHELL_H
#define SHELL_H

#include <windows.h>

/* Installation steps, posted to the backdrop as WM_COMMAND's wParam. */
#define STEP_WELCOME    0
#define STEP_CHOOSEDIR  1
#define STEP_COPY       2
#define STEP_GROUP      3
#define STEP_FINISH     4

#define BACKDROP_CLASS  "RQ_KORVALSETUPV1"

extern HINSTANCE hInst;
extern char szSourceDir[128];   /* the program's folder, with its backslash */
extern char szDestDir[128];     /* the destination folder prefix */
extern char szTitle[128];       /* the script's AppName: every caption */
extern HWND hwndBackdrop;
extern HPALETTE hPalette;       /* from BACK; selected for every picture */
extern HBITMAP hbmBack, hbmSetup, hbmStatus;
extern int cxBack, cyBack;      /* BACK's size in pixels */
extern int bStartPending;       /* 1 until step 0 starts */

/* Customisation hooks; the delivered bodies are neutral. */
int  SetupInitHook(HINSTANCE hInstance);
void SetupBeforeGroupHook(HINSTANCE hInstance, HWND hwnd, LPCSTR lpszDestDir);
void SetupAfterInstallHook(HINSTANCE hInstance, HWND hwnd, LPCSTR lpszDestDir);
int  SetupNeedReboot(void);

/* Start-up: the program's folder, the script, the meter class and the
 * backdrop window. FALSE when the program must end. */
BOOL InitInstance(HINSTANCE hInstance);

/* Centres a window on the primary screen; size and Z order unchanged. */
void CenterDialog(HWND hwnd);

/* Runs installation step wParam for the backdrop window. */
void RunInstallStep(HWND hwnd, WPARAM wParam);

/* Loads string uStringId, fills in the arguments (wvsprintfA rules, cut to
 * fit 200 characters) and shows it in a message box. Returns the button. */
int SetupMessageBox(HINSTANCE hInstance, HWND hwndOwner, UINT uStringId,
                    LPCSTR lpszCaption, UINT uStyle, ...);

#endif
