/*
 * SetupinfHost.cpp - the script reader's platform operations on a POSIX
 * host, for the Linux build, its tests and the script checker. Paths may
 * use backslashes as the script does; they are read as slashes. Texts are
 * taken as code page 936 (GBK), the program's own code page. Listings
 * come back sorted by name so that results do not depend on the file
 * system's order.
 */
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <string>
#include <vector>
#include "SetupinfOs.h"

static std::string strProgramFolder;

/* Set by tests to make the next block allocations fail. */
int nHostFailAllocs;

BOOL OsIsLeadByte(char c)
{
    unsigned char b = (unsigned char)c;
    return b >= 0x81 && b <= 0xFE;
}

static std::string HostPath(LPCSTR lpszPath)
{
    std::string s(lpszPath);
    for (size_t i = 0; i < s.size(); i++) {
        if (OsIsLeadByte(s[i]) && i + 1 < s.size())
            i++;
        else if (s[i] == '\\')
            s[i] = '/';
    }
    return s;
}

LPSTR OsAllocBlock(UINT cb)
{
    if (nHostFailAllocs > 0) {
        nHostFailAllocs--;
        return NULL;
    }
    return (LPSTR)calloc(1, cb);
}

void OsFreeBlock(LPSTR lpBlock)
{
    free(lpBlock);
}

BOOL OsReadFile(LPCSTR lpszFileName, LPSTR lpBuf, UINT cbMax, UINT *pcbRead)
{
    *pcbRead = 0;
    std::string path = HostPath(lpszFileName);
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return FALSE;
    FILE *fp = fopen(path.c_str(), "rb");
    if (!fp)
        return FALSE;
    size_t cb = fread(lpBuf, 1, cbMax, fp);
    BOOL bOk = !ferror(fp);
    fclose(fp);
    *pcbRead = (UINT)cb;
    return bOk;
}

BOOL OsGetProgramFolder(HINSTANCE, LPSTR lpszDir, UINT cchDir)
{
    if (!strProgramFolder.empty())
        return StoreText(lpszDir, cchDir, strProgramFolder.c_str());

    char szPath[4096];
    ssize_t n = readlink("/proc/self/exe", szPath, sizeof(szPath) - 1);
    if (n <= 0)
        return FALSE;
    szPath[n] = '\0';
    char *lpszSlash = strrchr(szPath, '/');
    if (lpszSlash)
        lpszSlash[1] = '\0';
    return StoreText(lpszDir, cchDir, szPath);
}

void OsSetProgramFolder(LPCSTR lpszDir)
{
    strProgramFolder = lpszDir ? lpszDir : "";
}

struct HostListing {
    std::vector<std::string> names;
    std::vector<DWORD> attrs;
    size_t next;
};

static void FillEntry(OSFIND *pFind)
{
    HostListing *pList = (HostListing *)pFind->hFind;
    StoreText(pFind->szName, sizeof(pFind->szName), pList->names[pList->next].c_str());
    pFind->dwAttributes = pList->attrs[pList->next];
    pList->next++;
}

/* Only the "*.*" pattern the reader uses is understood: every entry of the
 * folder, "." and ".." included, as on Windows. */
BOOL OsFindFirst(LPCSTR lpszPattern, OSFIND *pFind)
{
    std::string pattern = HostPath(lpszPattern);
    size_t slash = pattern.rfind('/');
    std::string folder = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);

    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return FALSE;
    std::vector<std::string> names;
    while (struct dirent *ent = readdir(dir))
        names.push_back(ent->d_name);
    closedir(dir);
    if (names.empty())
        return FALSE;
    std::sort(names.begin(), names.end());

    HostListing *pList = new HostListing;
    pList->next = 0;
    for (const std::string &name : names) {
        struct stat st;
        DWORD attr = 0;
        if (stat((folder + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            attr = FILE_ATTRIBUTE_DIRECTORY;
        pList->names.push_back(name);
        pList->attrs.push_back(attr);
    }
    pFind->hFind = pList;
    FillEntry(pFind);
    return TRUE;
}

BOOL OsFindNext(OSFIND *pFind)
{
    HostListing *pList = (HostListing *)pFind->hFind;
    if (!pList || pList->next >= pList->names.size())
        return FALSE;
    FillEntry(pFind);
    return TRUE;
}

void OsFindClose(OSFIND *pFind)
{
    delete (HostListing *)pFind->hFind;
    pFind->hFind = NULL;
}
