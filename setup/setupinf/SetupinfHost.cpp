/*
 * SetupinfHost.cpp - the script reader's platform operations on a POSIX
 * host, for the Linux build, its tests and the script checker. Paths may
 * use backslashes as the script does; they are read as slashes. Texts are
 * taken as code page 936 (GBK), the program's own code page, and the
 * names of files as UTF-8, as Wine keeps them on Linux: paths are
 * converted on the way in, listed names on the way out. Listings come
 * back sorted by name so that results do not depend on the file system's
 * order.
 */
#include <dirent.h>
#include <errno.h>
#include <iconv.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <string>
#include <vector>
#include "SetupinfHost.h"
#include "SetupinfOs.h"

#define ANSI_CODESET "CP936"

static std::string strProgramFolder;

/* Set by tests to make the next block allocations fail. */
int nHostFailAllocs;

/* Is the character at p, of cb bytes left, a code page 936 character that
 * the target lacks (skipped whole), rather than a broken byte? */
static size_t AnsiCharBytes(const char *p, size_t cb)
{
    unsigned char bTrail = cb > 1 ? (unsigned char)p[1] : 0;
    return OsIsLeadByte(*p) && bTrail >= 0x40 && bTrail != 0x7F && bTrail != 0xFF ? 2 : 1;
}

/* Converts the whole text with iconv. Without bLenient any failure gives
 * FALSE; with it, what cannot be converted becomes "?" (the input is then
 * code page 936). */
static BOOL Convert(const std::string &strIn, LPCSTR lpszTo, LPCSTR lpszFrom, BOOL bLenient,
                    std::string *pstrOut)
{
    iconv_t cd = iconv_open(lpszTo, lpszFrom);
    if (cd == (iconv_t)-1)
        return FALSE;
    std::vector<char> in(strIn.begin(), strIn.end());
    char *pIn = in.data();
    size_t cbIn = in.size();
    std::string out;
    BOOL bOk = TRUE;
    while (cbIn > 0) {
        char buf[256];
        char *pOut = buf;
        size_t cbOut = sizeof(buf);
        size_t n = iconv(cd, &pIn, &cbIn, &pOut, &cbOut);
        out.append(buf, pOut - buf);
        if (n != (size_t)-1 || errno == E2BIG)
            continue;
        if (!bLenient) {
            bOk = FALSE;
            break;
        }
        size_t cbSkip = AnsiCharBytes(pIn, cbIn);
        out += '?';
        pIn += cbSkip;
        cbIn -= cbSkip;
    }
    iconv_close(cd);
    if (bOk)
        *pstrOut = out;
    return bOk;
}

BOOL HostConvert(const std::string &strIn, LPCSTR lpszTo, LPCSTR lpszFrom, std::string *pstrOut)
{
    return Convert(strIn, lpszTo, lpszFrom, FALSE, pstrOut);
}

std::string HostPathFromAnsi(LPCSTR lpszPath)
{
    std::string s(lpszPath);
    for (size_t i = 0; i < s.size(); i++) {
        if (OsIsLeadByte(s[i]) && i + 1 < s.size())
            i++;
        else if (s[i] == '\\')
            s[i] = '/';
    }
    std::string host = s;
    Convert(s, "UTF-8", ANSI_CODESET, FALSE, &host);
    return host;
}

std::string HostNameToAnsi(LPCSTR lpszName)
{
    std::string ansi = lpszName;
    Convert(lpszName, ANSI_CODESET, "UTF-8", FALSE, &ansi);
    return ansi;
}

std::string HostTextFromAnsi(const std::string &strText, LPCSTR lpszCodeset)
{
    std::string shown;
    if (!Convert(strText, lpszCodeset, ANSI_CODESET, TRUE, &shown))
        return strText;
    return shown;
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
    std::string path = HostPathFromAnsi(lpszFileName);
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
    return StoreText(lpszDir, cchDir, HostNameToAnsi(szPath).c_str());
}

void OsSetProgramFolder(LPCSTR lpszDir)
{
    strProgramFolder = lpszDir ? lpszDir : "";
}

struct HostListing {
    std::vector<std::string> names;     /* in code page 936 */
    std::vector<DWORD> attrs;
    std::vector<unsigned long long> sizes;
    size_t next;
};

static void FillEntry(OSFIND *pFind)
{
    HostListing *pList = (HostListing *)pFind->hFind;
    StoreText(pFind->szName, sizeof(pFind->szName), pList->names[pList->next].c_str());
    pFind->dwAttributes = pList->attrs[pList->next];
    pFind->cbSize = pList->sizes[pList->next];
    pList->next++;
}

/* Only the "*.*" pattern the reader uses is understood: every entry of the
 * folder, "." and ".." included, as on Windows. */
BOOL OsFindFirst(LPCSTR lpszPattern, OSFIND *pFind)
{
    std::string pattern = HostPathFromAnsi(lpszPattern);
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
        BOOL bStat = stat((folder + "/" + name).c_str(), &st) == 0;
        pList->names.push_back(HostNameToAnsi(name.c_str()));
        pList->attrs.push_back(bStat && S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0);
        pList->sizes.push_back(bStat ? (unsigned long long)st.st_size : 0);
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
