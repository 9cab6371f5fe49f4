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
#include <signal.h>
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
static volatile sig_atomic_t bInterrupted;

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
        DISTENTRY entry = { name, false, false, false, 0, -1 };
        std::string path = dir + "/" + name;
        entry.bLink = lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
        if (stat(path.c_str(), &st) == 0) {
            entry.bFolder = S_ISDIR(st.st_mode);
            entry.bFile = S_ISREG(st.st_mode);
            entry.cbSize = entry.bFile ? (unsigned long long)st.st_size : 0;
            entry.llTime = (long long)st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
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
    if (!bOk) {
        int nErr = errno;
        unlink(path.c_str());
        errno = nErr;
    }
    return bOk;
}

std::string DistOsLastError()
{
    return strerror(errno);
}

long long DistOsTime(const std::string &path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return -1;
    return (long long)st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
}

bool DistOsSetTime(const std::string &path, long long llTime)
{
    struct timespec ts[2];
    ts[0].tv_sec = ts[1].tv_sec = (time_t)(llTime / 1000000000LL);
    ts[0].tv_nsec = ts[1].tv_nsec = (long)(llTime % 1000000000LL);
    return utimensat(AT_FDCWD, path.c_str(), ts, 0) == 0;
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

bool DistOsTextToScript(const std::string &text, int nEncoding, std::string *pScript)
{
    if (nEncoding == DIST_ENC_UTF8)
        return HostConvert(text, "CP936", "UTF-8", pScript);
    std::string utf8;
    if (!HostConvert(text, "UTF-8", "CP936", &utf8))
        return false;
    *pScript = text;
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

static void OnInterrupt(int)
{
    bInterrupted = 1;
}

void DistOsWatchInterrupts()
{
    struct sigaction sa;
    memset(&sa, 0, sizeof(sa));
    sa.sa_handler = OnInterrupt;
    /* A signal the shell set to be ignored (a background job) stays so. */
    for (int nSignal : { SIGINT, SIGTERM }) {
        struct sigaction saOld;
        if (sigaction(nSignal, NULL, &saOld) == 0 && saOld.sa_handler != SIG_IGN)
            sigaction(nSignal, &sa, NULL);
    }
}

bool DistOsInterrupted()
{
    return bInterrupted != 0;
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
