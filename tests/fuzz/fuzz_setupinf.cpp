/*
 * fuzz_setupinf.cpp - libFuzzer target: arbitrary bytes as SETUP.INF.
 *
 * Each input is parsed by a fresh database, as Load would after reading the
 * file, with the program's folder set to a small distribution so wildcard
 * lines list real files and folders.
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include "Setupinf.h"
#include "SetupinfOs.h"

static void MakeDistribution()
{
    char szTemplate[] = "/tmp/setupinf-fuzz-XXXXXX";
    if (!mkdtemp(szTemplate))
        abort();
    std::string dir = szTemplate;
    std::string cmd = "mkdir -p " + dir + "/disk1/sub " + dir + "/disk2 && touch " + dir +
                      "/disk1/a.txt " + dir + "/disk1/b.exe " + dir + "/disk2/c.dat " + dir + "/top.txt";
    if (system(cmd.c_str()) != 0)
        abort();
    OsSetProgramFolder((dir + "/").c_str());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool bReady = false;
    if (!bReady) {
        MakeDistribution();
        bReady = true;
    }
    if (size >= MAXSCRIPT)
        return 0;
    char *lpText = (char *)calloc(1, MAXSCRIPT);
    memcpy(lpText, data, size);
    {
        CSetupInf inf;
        inf.Parse(lpText, NULL);
        char sz[6][MAXTEXT];
        for (UINT i = 0; i < inf.GetNumFiles(); i++)
            inf.GetFile(i, sz[0], sz[1], sz[2], sz[3], sz[4]);
        for (UINT i = 0; i < inf.GetNumDstDirs(); i++)
            inf.GetDstDir(i, sz[5]);
        for (UINT i = 0; i < inf.GetNumPMItems(); i++)
            inf.GetPMItem(i, sz[0], sz[1]);
    }
    SetupCheckReset();
    free(lpText);
    return 0;
}
