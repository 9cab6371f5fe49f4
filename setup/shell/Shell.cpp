/*
 * Shell.cpp - start-up: finds the program's folder and reads SETUP.INF
 * from it, reporting a script that cannot be read; the program's globals
 * and customisation hooks.
 */
#include <windows.h>
#include <stdio.h>
#include "Setupinf.h"
#include "resource.h"
#include "Shell.h"

HINSTANCE hInst;
char szSourceDir[128];
char szDestDir[128];
char szTitle[128];

int SetupInitHook(HINSTANCE hInstance)
{
    (void)hInstance;
    return 1;
}

/* The folder this program was started from, with its backslash, into
 * szSourceDir; empty when the path has no backslash or does not fit. */
static void GetSourceDir(HINSTANCE hInstance)
{
    char szPath[MAX_PATH];
    DWORD cch = GetModuleFileNameA(hInstance, szPath, sizeof(szPath));
    szSourceDir[0] = '\0';
    if (cch == 0 || cch >= sizeof(szPath))
        return;
    LPSTR lpszSlash = strrchr(szPath, '\\');
    if (!lpszSlash)
        return;
    lpszSlash[1] = '\0';
    StoreText(szSourceDir, sizeof(szSourceDir), szPath);
}

BOOL InitInstance(HINSTANCE hInstance)
{
    char szScript[100];

    hInst = hInstance;
    GetSourceDir(hInstance);
    lstrcpynA(szDestDir, szSourceDir, sizeof(szDestDir));

    /* A folder too long for the script path is reported like a missing
     * script, with as much of the path as fits, never read from a cut path. */
    int cch = snprintf(szScript, sizeof(szScript), "%sSETUP.INF", szSourceDir);
    UINT uResult = LOAD_CANTOPEN;
    if (cch > 0 && cch < (int)sizeof(szScript) && szSourceDir[0])
        uResult = theSetupInf.Load(szScript, hInstance);
    if (uResult != LOAD_OK) {
        SetupMessageBox(hInstance, NULL, uResult == LOAD_NOMEMORY ? STR_NOMEMORY : STR_FILENOTFOUND,
                        NULL, 0, szScript);
        return FALSE;
    }
    theSetupInf.GetAppName(szTitle);
    return TRUE;
}
