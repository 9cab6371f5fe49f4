/*
 * parse_bench.cpp - time to read a full-size script.
 *
 *   parse_bench [ROUNDS]
 *
 * builds a 20479-byte SETUP.INF with 1000 file lines in a temporary folder,
 * loads it ROUNDS times (default 2000) with a fresh database each time and
 * prints the mean time per load. bench/run.sh adds the instruction count.
 */
#include <chrono>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>
#include <string>
#include "Setupinf.h"
#include "SetupinfOs.h"

static std::string MakeScript()
{
    std::string s = "[App]\r\nAppName=Bench\r\nDefDir=C:\\BENCH\\\r\nSpaceNeeded=9000\r\n"
                    "DefPMGroup=,Bench\r\nInstallToHD=Yes\r\n"
                    "[SrcDirs]\r\n1=\r\n[DstDirs]\r\n1=\r\n[Files]\r\n";
    for (int i = 0; i < 1000; i++) {
        char szLine[64];
        snprintf(szLine, sizeof(szLine), "F%03d,1:%03d,1:%03d,\r\n", i, i, i);
        s += szLine;
    }
    const std::string tail = "[End]";
    while (s.size() + tail.size() < 20479) {
        size_t room = 20479 - s.size() - tail.size();
        s += room >= 3 ? ";" + std::string(room - 3 < 200 ? room - 3 : 200, 'c') + "\r\n"
                       : std::string(room, ' ');
    }
    return s + tail;
}

int main(int argc, char **argv)
{
    int nRounds = argc > 1 ? atoi(argv[1]) : 2000;
    char szTemplate[] = "/tmp/setupinf-bench-XXXXXX";
    if (!mkdtemp(szTemplate))
        return 1;
    std::string path = std::string(szTemplate) + "/SETUP.INF";
    std::string script = MakeScript();
    FILE *fp = fopen(path.c_str(), "wb");
    if (!fp || fwrite(script.data(), 1, script.size(), fp) != script.size())
        return 1;
    fclose(fp);

    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < nRounds; i++) {
        CSetupInf inf;
        if (inf.Load(path.c_str(), NULL) != 0 || inf.GetNumFiles() != 1000)
            return 1;
    }
    auto t1 = std::chrono::steady_clock::now();
    double us = std::chrono::duration<double, std::micro>(t1 - t0).count() / (nRounds > 0 ? nRounds : 1);
    printf("script %zu bytes, 1000 file lines, %d loads: %.1f us per load\n",
           script.size(), nRounds, us);
    remove(path.c_str());
    rmdir(szTemplate);
    return 0;
}
