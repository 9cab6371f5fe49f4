/*
 * setupinf-check - reads a SETUP.INF with the program's own reader, as
 * SETUP.EXE would if it lay beside the script.
 *
 *   setupinf-check PATH/SETUP.INF
 *
 * prints one line per finding, "PATH:LINE: error|warning: TEXT", then a
 * summary, and exits with 0 when the script is clean, 1 for warnings only
 * and 2 for errors.
 *
 *   setupinf-check --json PATH/SETUP.INF
 *
 * prints the install database as one JSON object and exits with the load
 * result (0 read, 1 no memory, 2 cannot open, 3 rejected).
 */
#include <stdio.h>
#include <string.h>
#include <string>
#include "InfCheck.h"
#include "InfJson.h"
#include "Setupinf.h"
#include "SetupinfOs.h"

static int PrintJson(LPCSTR lpszPath)
{
    OsSetProgramFolder(ScriptFolder(lpszPath).c_str());
    UINT uResult = theSetupInf.Load(lpszPath, NULL);
    printf("%s\n", InfToJson(theSetupInf, uResult).c_str());
    return (int)uResult;
}

static int PrintFindings(LPCSTR lpszPath)
{
    UINT uResult = 0;
    std::vector<FINDING> findings = CheckScript(theSetupInf, lpszPath, &uResult);
    for (const FINDING &finding : findings)
        printf("%s\n", FormatFinding(lpszPath, finding).c_str());
    printf("%s\n", FormatSummary(lpszPath, findings).c_str());
    return CheckExitCode(findings);
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "--json") == 0)
        return PrintJson(argv[2]);
    if (argc == 2 && argv[1][0] != '-')
        return PrintFindings(argv[1]);
    fprintf(stderr, "usage: setupinf-check [--json] PATH/SETUP.INF\n");
    return 64;
}
