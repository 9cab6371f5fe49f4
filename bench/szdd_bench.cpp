/*
 * szdd_bench.cpp - the builder's compressor on files, the way mscompress
 * is used: szdd_bench FILE... writes FILE_ beside each FILE and prints
 * the bytes in and out and the time, for bench/dist-bench.sh.
 */
#include <stdio.h>
#include <time.h>
#include <string>
#include <vector>
#include "DistOs.h"
#include "Szdd.h"

static bool WriteAll(const std::string &path, const std::vector<unsigned char> &data)
{
    FILE *fp = fopen(path.c_str(), "wb");
    if (!fp)
        return false;
    bool bOk = fwrite(data.data(), 1, data.size(), fp) == data.size();
    return fclose(fp) == 0 && bOk;
}

int main(int argc, char **argv)
{
    struct timespec tsStart, tsEnd;
    clock_gettime(CLOCK_MONOTONIC, &tsStart);
    unsigned long long cbIn = 0, cbOut = 0;
    for (int i = 1; i < argc; i++) {
        std::vector<unsigned char> data, packed;
        std::string out = std::string(argv[i]) + "_";
        if (!DistOsReadFile(argv[i], &data) || !SzddCompress(data.data(), data.size(), 0, &packed) ||
            !WriteAll(out, packed)) {
            fprintf(stderr, "szdd_bench: %s failed\n", argv[i]);
            return 1;
        }
        cbIn += data.size();
        cbOut += packed.size();
    }
    clock_gettime(CLOCK_MONOTONIC, &tsEnd);
    double dSeconds = (tsEnd.tv_sec - tsStart.tv_sec) + (tsEnd.tv_nsec - tsStart.tv_nsec) / 1e9;
    printf("%d files, %llu bytes -> %llu bytes, %.3f s\n", argc - 1, cbIn, cbOut, dSeconds);
    return 0;
}
