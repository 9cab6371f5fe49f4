/*
 * DistOsHost.cpp - the builder's system calls on Linux. Names in the file
 * system are UTF-8 and are converted to code page 936 for the script;
 * the distribution keeps the UTF-8 names, which is how Wine and a CD or
 * a copy made for Windows read them.
 */
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include "DistOs.h"
#include "SetupinfHost.h"

const char chDistSep = '/';

static bool bProgressShown;

std::vector<std::string> DistOsArgs(int argc, char **argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool DistOsList(const std::string &dir, std::vector<DISTENTRY> *pEntries)
{
    pEntries->clear();
    DIR *pDir = opendir(dir.c_str());
    if (!pDir)
        return false;
    while (struct dirent *pEnt = readdir(pDir)) {
        std::string name = pEnt->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st;
        DISTENTRY entry = { name, false, false, 0 };
        if (stat((dir + "/" + name).c_str(), &st) == 0) {
            entry.bFolder = S_ISDIR(st.st_mode);
            entry.bFile = S_ISREG(st.st_mode);
            entry.cbSize = entry.bFile ? (unsigned long long)st.st_size : 0;
        }
        pEntries->push_back(entry);
    }
    closedir(pDir);
    return true;
}

int DistOsKind(const std::string &path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return -1;
    return S_ISDIR(st.st_mode) ? 1 : 0;
}

bool DistOsReadFile(const std::string &path, std::vector<unsigned char> *pData)
{
    pData->clear();
    FILE *fp = fopen(path.c_str(), "rb");
    if (!fp)
        return false;
    struct stat st;
    if (fstat(fileno(fp), &st) == 0 && S_ISREG(st.st_mode))
        pData->reserve((size_t)st.st_size);
    unsigned char ab[65536];
    size_t cb;
    while ((cb = fread(ab, 1, sizeof(ab), fp)) > 0)
        pData->insert(pData->end(), ab, ab + cb);
    bool bOk = !ferror(fp);
    fclose(fp);
    return bOk;
}

bool DistOsWriteNewFile(const std::string &path, const unsigned char *pb, size_t cb)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return false;
    bool bOk = true;
    while (cb > 0 && bOk) {
        ssize_t n = write(fd, pb, cb);
        if (n < 0 && errno == EINTR)
            continue;
        bOk = n > 0;
        if (bOk) {
            pb += n;
            cb -= (size_t)n;
        }
    }
    if (close(fd) != 0)
        bOk = false;
    if (!bOk)
        unlink(path.c_str());
    return bOk;
}

bool DistOsMakeFolder(const std::string &path)
{
    return mkdir(path.c_str(), 0755) == 0;
}

bool DistOsRemoveFile(const std::string &path)
{
    return unlink(path.c_str()) == 0;
}

bool DistOsRemoveFolder(const std::string &path)
{
    return rmdir(path.c_str()) == 0;
}

bool DistOsRename(const std::string &from, const std::string &to)
{
    return rename(from.c_str(), to.c_str()) == 0;
}

std::string DistOsFullPath(const std::string &path)
{
    char sz[PATH_MAX];
    return realpath(path.c_str(), sz) ? std::string(sz) : std::string();
}

std::string DistOsToolFolder()
{
    char sz[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", sz, sizeof(sz) - 1);
    if (n <= 0)
        return "./";
    std::string path(sz, (size_t)n);
    return path.substr(0, path.rfind('/') + 1);
}

bool DistOsToScript(const std::string &native, std::string *pScript)
{
    return HostConvert(native, "CP936", "UTF-8", pScript);
}

bool DistOsTemplateToScript(const std::string &bytes, std::string *pScript, unsigned *puLine)
{
    std::string text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
    pScript->clear();
    *puLine = 0;
    for (size_t nPos = 0; nPos < text.size();) {
        size_t nEnd = text.find('\n', nPos);
        nEnd = nEnd == std::string::npos ? text.size() : nEnd + 1;
        std::string line;
        ++*puLine;
        if (!HostConvert(text.substr(nPos, nEnd - nPos), "CP936", "UTF-8", &line))
            return false;
        *pScript += line;
        nPos = nEnd;
    }
    return true;
}

std::string DistOsScriptToNative(const std::string &script)
{
    std::string native;
    return HostConvert(script, "UTF-8", "CP936", &native) ? native : script;
}

void DistOsPrint(bool bError, const std::string &text)
{
    FILE *fp = bError ? stderr : stdout;
    if (bError)
        fflush(stdout);
    fprintf(fp, "%s\n", text.c_str());
}

unsigned long DistOsMilliseconds()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (unsigned long)ts.tv_sec * 1000 + (unsigned long)(ts.tv_nsec / 1000000);
}

void DistOsProgress(const std::string &text)
{
    if (!isatty(2) || (text.empty() && !bProgressShown))
        return;
    fprintf(stderr, "\r%s\033[K", text.c_str());
    bProgressShown = !text.empty();
}

bool DistOsCheckerPath(const std::string &native, std::string *pPath)
{
    return DistOsToScript(native, pPath);
}
