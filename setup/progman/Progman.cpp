/*
 * Progman.cpp - the Program Manager DDE client and the program group step.
 */
#include <windows.h>
#include <ddeml.h>
#include "Setupinf.h"
#include "SetupGlobals.h"
#include "Progman.h"
#include "resource.h"

DWORD idDdeInst;
HSZ hszProgman;

/* Every connect asks for nothing particular: no country, code page,
 * language or security. Never written. */
static CONVCONTEXT ccProgman = { sizeof(CONVCONTEXT), 0, 0, 0, 0, 0,
                                    { 0, SecurityAnonymous, 0, 0 } };

HDDEDATA CALLBACK ProgmanCallback(UINT uType, UINT uFmt, HCONV hConv, HSZ hsz1, HSZ hsz2,
                                  HDDEDATA hData, ULONG_PTR dwData1, ULONG_PTR dwData2)
{
    (void)uType; (void)uFmt; (void)hConv; (void)hsz1; (void)hsz2;
    (void)hData; (void)dwData1; (void)dwData2;
    return (HDDEDATA)0;
}

int ProgmanStart(void)
{
    if (hszProgman)
        return 1;
    if (DdeInitializeA(&idDdeInst, ProgmanCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return 0;
    hszProgman = DdeCreateStringHandleA(idDdeInst, "PROGMAN", CP_WINANSI);
    if (!hszProgman) {
        /* Half started is not started: nothing is left to release. */
        DdeUninitialize(idDdeInst);
        idDdeInst = 0;
        return 0;
    }
    return 1;
}

void ProgmanStop(void)
{
    if (!hszProgman)
        return;
    DdeFreeStringHandle(idDdeInst, hszProgman);
    DdeUninitialize(idDdeInst);
    hszProgman = NULL;
    idDdeInst = 0;
}

int ProgmanExecute(LPCSTR lpszGroup, LPCSTR lpszItemName, LPCSTR lpszItemCmdLine,
                   int nCommand)
{
    char szCommand[MAXPMCMD];
    DWORD dwResult = 0;
    int nResult = 1;

    if (!hszProgman)
        return 0;
    /* Built before connecting: a text that does not fit is never sent cut. */
    if (!SETUP_CHECK(FormatProgmanCommand(szCommand, sizeof(szCommand), nCommand,
                                          lpszGroup, lpszItemName, lpszItemCmdLine),
                     "FormatProgmanCommand(szCommand)"))
        return 0;

    HCONV hConv = DdeConnect(idDdeInst, hszProgman, hszProgman, &ccProgman);

    /* Not application-owned: the library takes it with the transaction.
     * Without a conversation no transaction is made, and the data stays
     * ours to free. */
    HDDEDATA hData = DdeCreateDataHandle(idDdeInst, (LPBYTE)szCommand,
                                         (DWORD)lstrlenA(szCommand) + 1, 0, NULL, CF_TEXT, 0);
    BOOL bAccepted = hConv && DdeClientTransaction((LPBYTE)hData, (DWORD)-1, hConv, NULL, 0,
                                                   XTYP_EXECUTE, PMTIMEOUT, &dwResult);
    if (!hConv)
        DdeFreeDataHandle(hData);
    if (!bAccepted) {
        DdeGetLastError(idDdeInst);     /* reading it resets it */
        nResult = 0;
    }
    DdeDisconnect(hConv);
    return nResult;
}

int ProgmanCreateGroup(LPCSTR lpszGroup)
{
    return ProgmanExecute(lpszGroup, NULL, NULL, PMCMD_CREATEGROUP);
}

int ProgmanShowGroup(LPCSTR lpszGroup)
{
    return ProgmanExecute(lpszGroup, NULL, NULL, PMCMD_SHOWGROUP);
}

int ProgmanDeleteGroup(LPCSTR lpszGroup)
{
    return ProgmanExecute(lpszGroup, NULL, NULL, PMCMD_DELETEGROUP);
}

int ProgmanReload(LPCSTR lpszGroup)
{
    return ProgmanExecute(lpszGroup, NULL, NULL, PMCMD_RELOAD);
}

int ProgmanAddItem(LPCSTR lpszGroup, LPCSTR lpszItemName, LPCSTR lpszItemCmdLine)
{
    return ProgmanExecute(lpszGroup, lpszItemName, lpszItemCmdLine, PMCMD_ADDITEM);
}

int ProgmanDeleteItem(LPCSTR lpszGroup, LPCSTR lpszItemName)
{
    return ProgmanExecute(lpszGroup, lpszItemName, NULL, PMCMD_DELETEITEM);
}

int BuildProgramGroup(HWND hwnd)
{
    char szFirst[MAXTEXT], szGroup[MAXTEXT];
    char szDescription[MAXTEXT], szItemSpec[MAXTEXT];
    char szCmdPath[MAXPMPATH];

    theSetupInf.GetDefPMGroup(szFirst, szGroup);
    /* Every command is attempted; a group or item that was not made is
     * told once, after all of them. */
    BOOL bOk = ProgmanCreateGroup(szGroup);
    ProgmanShowGroup(szGroup);
    for (UINT i = 0; i < theSetupInf.GetNumPMItems(); i++) {
        /* A specification cut in the script names another program, and
         * one too long with its folder would be sent cut: never sent. */
        if (!theSetupInf.GetPMItem(i, szDescription, szItemSpec) ||
            !SETUP_CHECK(MakeItemCommandPath(szCmdPath, sizeof(szCmdPath), szItemSpec,
                                             szSourceDir, szDestDir),
                         "MakeItemCommandPath(szCmdPath)")) {
            bOk = FALSE;
            continue;
        }
        ProgmanDeleteItem(szGroup, szDescription);
        if (!ProgmanAddItem(szGroup, szDescription, szCmdPath))
            bOk = FALSE;
    }
    /* A script that names no group and no item asked for none: its empty
     * group is still sent, but a refusal of it is no failure to tell. */
    if (!szGroup[0] && theSetupInf.GetNumPMItems() == 0)
        bOk = TRUE;
    if (!bOk || theSetupInf.GetPMItemLost())
        SetupMessageBox(hInst, hwnd, STR_GROUPERROR, szTitle, MB_ICONINFORMATION);
    /* The files are in place: the installation goes on to its end. */
    return 1;
}
