/*
 * Shell.h - the top of the program: the entry's helpers, the backdrop,
 * the installation sequence and the customisation hooks. The globals the
 * parts below share are in SetupGlobals.h.
 */
#ifndef SHELL_H
#define SHELL_H

#include <windows.h>
#include "SetupGlobals.h"

/* Installation steps, posted to the backdrop as WM_COMMAND's wParam. */
#define STEP_WELCOME    0
#define STEP_CHOOSEDIR  1
#define STEP_COPY       2
#define STEP_GROUP      3
#define STEP_FINISH     4

#define BACKDROP_CLASS  "RQ_KORVALSETUPV1"
#define BACKDROP_CLASS_W L"RQ_KORVALSETUPV1"

extern HWND hwndBackdrop;
extern int bStartPending;       /* 1 until step 0 starts */

/* Customisation hooks; the delivered bodies are neutral. */
int  SetupInitHook(HINSTANCE hInstance);
void SetupBeforeGroupHook(HINSTANCE hInstance, HWND hwnd, LPCSTR lpszDestDir);
void SetupAfterInstallHook(HINSTANCE hInstance, HWND hwnd, LPCSTR lpszDestDir);
int  SetupNeedReboot(void);

/* Start-up: the program's folder, the script, the meter class and the
 * backdrop window. FALSE when the program must end. */
BOOL InitInstance(HINSTANCE hInstance);

/* Runs installation step wParam for the backdrop window. */
void RunInstallStep(HWND hwnd, WPARAM wParam);

#endif
