/*
 * setupinf-check - reads a SETUP.INF with the program's own reader, as
 * SETUP.EXE would if it lay beside the script (usage in szHelp).
 */
#include <memory>
#include <stdio.h>
#include <string.h>
#include <string>
#include "Console.h"
#include "InfCheck.h"
#include "InfJson.h"
#include "Setupinf.h"
#include "SetupinfOs.h"

static const char szUsage[] = "usage: setupinf-check [--json] PATH/SETUP.INF\n";

static const char szHelp[] =
    "\n"
    "Reads the script as SETUP.EXE would if it lay beside it, with the distribution\n"
    "folder around it, and prints one line per finding, PATH:LINE: error|warning: TEXT,\n"
    "then a summary.\n"
    "\n"
    "  --json   the findings (severity, line, message) and what the reader made of\n"
    "           the script, as one JSON object; texts as Unicode characters\n"
    "  --version  the kit's version\n"
    "\n"
    "Exit code: 0 clean, 1 warnings only, 2 errors, 64 wrong arguments.\n";

/* The findings and the database as one JSON object. The database is read
 * apart, so that it keeps the reader's own checks. */
static int PrintJson(LPCSTR lpszArg)
{
    std::string path = ConsolePath(lpszArg);
    OsSetProgramFolder(ScriptFolder(path.c_str()).c_str());
    UINT uResult = theSetupInf.Load(path.c_str(), NULL);
    std::string database = InfToJson(theSetupInf, uResult);
    std::unique_ptr<CSetupInf> pInf(new CSetupInf);
    std::vector<FINDING> findings = CheckScript(*pInf, path.c_str(), &uResult);
    printf("%s\n", FindingsToJson(findings, database).c_str());
    return CheckExitCode(findings);
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
    if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        printf("%s%s", szUsage, szHelp);
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("setupinf-check %s\n", SETUP_KIT_VERSION);
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "--json") == 0)
        return PrintJson(argv[2]);
    if (argc == 2 && argv[1][0] != '-')
        return PrintFindings(argv[1]);
    fprintf(stderr, "%s", szUsage);
    return 64;
}
