/*
 * ProgmanText.cpp - command texts and item command paths for the Program
 * Manager client.
 */
#include <string.h>
#include "ProgmanText.h"

static const char *const aszTemplates[PMCMD_COUNT] = {
    "[CreateGroup(%s)]",
    "[ShowGroup(%s,1)]",
    "[DeleteGroup(%s)]",
    "[Reload(%s)]",
    "[AddItem(%s,%s)]",
    "[DeleteItem(%s)]",
};

BOOL FormatProgmanCommand(LPSTR lpszCommand, UINT cchCommand, int nCommand,
                          LPCSTR lpszGroup, LPCSTR lpszItemName, LPCSTR lpszItemCmdLine)
{
    LPCSTR lpszFirst = lpszGroup;
    LPCSTR lpszSecond = "";

    if (cchCommand == 0)
        return FALSE;
    lpszCommand[0] = '\0';
    if (!SETUP_CHECK(nCommand >= 0 && nCommand < PMCMD_COUNT, "nCommand>=0&&nCommand<PMCMD_COUNT"))
        return FALSE;
    if (nCommand == PMCMD_ADDITEM) {
        lpszFirst = lpszItemCmdLine;
        lpszSecond = lpszItemName;
    } else if (nCommand == PMCMD_DELETEITEM) {
        lpszFirst = lpszItemName;
    }
    if (!SETUP_CHECK(lpszFirst != NULL && lpszSecond != NULL, "lpszFirst!=NULL&&lpszSecond!=NULL"))
        return FALSE;

    int cch = FormatText(lpszCommand, cchCommand, aszTemplates[nCommand], lpszFirst, lpszSecond);
    if (cch < 0 || (UINT)cch >= cchCommand) {
        lpszCommand[0] = '\0';
        return FALSE;
    }
    return TRUE;
}

BOOL MakeItemCommandPath(LPSTR lpszPath, UINT cchPath, LPCSTR lpszItemSpec,
                         LPCSTR lpszSourceDir, LPCSTR lpszDestDir)
{
    size_t cchSpec = strlen(lpszItemSpec);
    LPCSTR lpszBase = lpszDestDir;
    LPCSTR lpszRel = cchSpec > 3 ? lpszItemSpec + 3 : "";

    if (cchPath == 0)
        return FALSE;
    if (cchSpec >= 2 && (lpszItemSpec[1] == 'S' || lpszItemSpec[1] == 's'))
        lpszBase = lpszSourceDir;

    int cch = FormatText(lpszPath, cchPath, "%s%s", lpszBase, lpszRel);
    if (cch < 0 || (UINT)cch >= cchPath) {
        lpszPath[0] = '\0';
        return FALSE;
    }
    return TRUE;
}
