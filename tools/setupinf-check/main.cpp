/*
 * setupinf-check - reads a SETUP.INF with the program's own reader, as
 * SETUP.EXE would if it lay beside the script.
 *
 *   setupinf-check --json PATH/SETUP.INF
 *
 * prints the install database as one JSON object and exits with the load
 * result (0 read, 1 no memory, 2 cannot open, 3 rejected).
 */
#include <stdio.h>
#include <string.h>
#include <string>
#include "InfJson.h"
#include "Setupinf.h"
#include "SetupinfOs.h"

/* The folder part of a path, with its separator; "" for a bare name. */
static std::string FolderOf(const char *lpszPath)
{
    std::string path(lpszPath);
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

int main(int argc, char **argv)
{
    if (argc != 3 || strcmp(argv[1], "--json") != 0) {
        fprintf(stderr, "usage: setupinf-check --json PATH/SETUP.INF\n");
        return 64;
    }
    /* Wildcard lines list the folders beside the script. */
    std::string folder = FolderOf(argv[2]);
    OsSetProgramFolder(folder.empty() ? ".\\" : folder.c_str());

    UINT uResult = theSetupInf.Load(argv[2], NULL);
    printf("%s\n", InfToJson(theSetupInf, uResult).c_str());
    return (int)uResult;
}
