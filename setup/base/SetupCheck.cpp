/*
 * SetupCheck.cpp - the record of failed consistency checks.
 */
#include <string.h>
#include "SetupCheck.h"
#include "SetupOs.h"
#include "SetupText.h"

static CHECKRECORD aChecks[MAXCHECKLOG];
static unsigned uNumChecks;

static const char *BaseName(const char *lpszPath)
{
    const char *p = lpszPath;
    for (const char *q = lpszPath; *q; q++)
        if (*q == '/' || *q == '\\')
            p = q + 1;
    return p;
}

int SetupCheck(int fOk, const char *lpszExpr, const char *lpszFile, int nLine)
{
    if (fOk)
        return fOk;
    if (uNumChecks < MAXCHECKLOG) {
        CHECKRECORD *pRec = &aChecks[uNumChecks];
        FormatText(pRec->szExpr, sizeof(pRec->szExpr), "%s", lpszExpr);
        FormatText(pRec->szFile, sizeof(pRec->szFile), "%s", BaseName(lpszFile));
        pRec->nLine = nLine;
        /* A developer running the program under a debugger sees it at once. */
        char szMsg[200];
        FormatText(szMsg, sizeof(szMsg), "SETUP check failed: %s, %s(%d)\n",
                 pRec->szExpr, pRec->szFile, nLine);
        OsDebugString(szMsg);
    }
    uNumChecks++;
    return fOk;
}

unsigned SetupCheckCount(void)
{
    return uNumChecks;
}

const CHECKRECORD *SetupCheckGet(unsigned i)
{
    if (i >= uNumChecks || i >= MAXCHECKLOG)
        return NULL;
    return &aChecks[i];
}

void SetupCheckReset(void)
{
    memset(aChecks, 0, sizeof(aChecks));
    uNumChecks = 0;
}
