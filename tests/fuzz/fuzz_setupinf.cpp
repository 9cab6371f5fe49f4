/*
 * fuzz_setupinf.cpp - libFuzzer target: arbitrary bytes as SETUP.INF on a
 * distribution that the input helps to make.
 *
 * The whole input is written as the script of a temporary distribution
 * and read by Load, so the size limit and the read are driven as well as
 * the parse. The reader stops at the first zero byte; the lines after the
 * last zero byte name files that are made afresh in the folder "fz" of
 * the distribution (a script reaches it with "1=fz" and "*1-1,"), beside
 * fixed folders whose names a bad distribution may hold: commas, names
 * over 127 bytes, Chinese names in UTF-8, a name that is not UTF-8.
 * Every wildcard line thus goes through the host layer's folder listing.
 */
#include <dirent.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <algorithm>
#include <string>
#include "Setupinf.h"
#include "SetupinfOs.h"

#define MAXFUZZNAMES 8

static std::string strDist;     /* the distribution folder, with its slash */

static void Touch(const std::string &path)
{
    int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd >= 0)
        close(fd);
}

static void RemoveDistribution()
{
    std::string cmd = "rm -rf '" + strDist + "'";
    if (system(cmd.c_str()) != 0)
        fprintf(stderr, "fuzz: could not remove %s\n", strDist.c_str());
}

static void MakeDistribution()
{
    char szTemplate[] = "/tmp/setupinf-fuzz-XXXXXX";
    if (!mkdtemp(szTemplate))
        abort();
    strDist = std::string(szTemplate) + "/";
    atexit(RemoveDistribution);
    std::string cmd = "cd " + strDist + " && mkdir -p disk1/sub disk2 fz odd \xe7\xa8\x8b\xe5\xba\x8f"
                      " && touch disk1/a.txt disk1/b.exe disk2/c.dat top.txt";
    if (system(cmd.c_str()) != 0)
        abort();
    Touch(strDist + "odd/a,b.txt");
    Touch(strDist + "odd/" + std::string(130, 'L'));
    Touch(strDist + "odd/" + std::string(90, 'M'));
    Touch(strDist + "odd/.hidden");
    Touch(strDist + "odd/\xb3\xcc\xd0\xf2.bin");                 /* GBK bytes: not UTF-8 */
    Touch(strDist + "\xe7\xa8\x8b\xe5\xba\x8f/\xe4\xb8\xbb.exe");   /* 程序/主.exe */
    OsSetProgramFolder(strDist.c_str());
}

/* Empties "fz" and makes there the files named by the lines after the
 * input's last zero byte. */
static void MakeFuzzFiles(const uint8_t *data, size_t size)
{
    std::string fz = strDist + "fz/";
    if (DIR *dir = opendir(fz.c_str())) {
        while (struct dirent *ent = readdir(dir))
            if (strcmp(ent->d_name, ".") != 0 && strcmp(ent->d_name, ".."))
                unlink((fz + ent->d_name).c_str());
        closedir(dir);
    }
    const uint8_t *pZero = (const uint8_t *)memrchr(data, 0, size);
    if (!pZero)
        return;
    std::string tail((const char *)pZero + 1, data + size - (pZero + 1));
    size_t nNames = 0;
    for (size_t start = 0; start < tail.size() && nNames < MAXFUZZNAMES; nNames++) {
        size_t end = tail.find('\n', start);
        if (end == std::string::npos)
            end = tail.size();
        std::string name = tail.substr(start, std::min<size_t>(end - start, 250));
        start = end + 1;
        for (char &c : name)
            if (c == '/')
                c = '_';
        if (!name.empty() && name != "." && name != "..")
            Touch(fz + name);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (strDist.empty())
        MakeDistribution();
    MakeFuzzFiles(data, size);
    std::string script = strDist + "SETUP.INF";
    FILE *fp = fopen(script.c_str(), "wb");
    if (!fp || fwrite(data, 1, size, fp) != size)
        abort();
    fclose(fp);
    {
        CSetupInf inf;
        inf.Load(script.c_str(), NULL);
        char sz[6][MAXTEXT];
        for (UINT i = 0; i < inf.GetNumFiles(); i++)
            inf.GetFile(i, sz[0], sz[1], sz[2], sz[3], sz[4]);
        for (UINT i = 0; i < inf.GetNumDstDirs(); i++)
            inf.GetDstDir(i, sz[5]);
        for (UINT i = 0; i < inf.GetNumPMItems(); i++)
            inf.GetPMItem(i, sz[0], sz[1]);
    }
    SetupCheckReset();
    return 0;
}
