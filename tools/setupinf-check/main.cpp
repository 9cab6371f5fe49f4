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
#include "Console.h"
#include "InfCheck.h"
#include "InfJson.h"
#include "Setupinf.h"
#include "SetupinfOs.h"

/* The JSON keeps the script's bytes, escaped, whatever the console. */
static int PrintJson(LPCSTR lpszArg)
{
    std::string path = ConsolePath(lpszArg);
    OsSetProgramFolder(ScriptFolder(path.c_str()).c_str());
    UINT uResult = theSetupInf.Load(path.c_str(), NULL);
    printf("%s\n", InfToJson(theSetupInf, uResult).c_str());
    return (int)uResult;
}

/* Findings quote the script's texts: shown in the console's encoding. */
static int PrintFindings(LPCSTR lpszArg)
{
    UINT uResult = 0;
    std::vector<FINDING> findings = CheckScript(theSetupInf, ConsolePath(lpszArg).c_str(), &uResult);
    for (FINDING finding : findings) {
        finding.strText = ConsoleText(finding.strText);
        printf("%s\n", FormatFinding(lpszArg, finding).c_str());
    }
    printf("%s\n", FormatSummary(lpszArg, findings).c_str());
    return CheckExitCode(findings);
}

int main(int argc, char **argv)
{
    ConsoleInit();
    if (argc == 3 && strcmp(argv[1], "--json") == 0)
        return PrintJson(argv[2]);
    if (argc == 2 && argv[1][0] != '-')
        return PrintFindings(argv[1]);
    fprintf(stderr, "usage: setupinf-check [--json] PATH/SETUP.INF\n");
    return 64;
}
