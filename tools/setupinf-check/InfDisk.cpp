/*
 * InfDisk.cpp - the checker's findings on the distribution folder beside
 * the script: source files that are missing, the space the files take
 * once expanded, and items whose program will not be there. Names are
 * matched as Windows matches them, without regard to case.
 */
#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include <algorithm>
#include <map>
#include "InfCheckState.h"
#include "SetupinfOs.h"
#include "SetupinfView.h"

/* A relative path written one way, for comparing and for messages. */
static std::string NormalPath(const std::string &path)
{
    std::vector<std::string> parts = PathParts(path);
    return JoinParts(parts, parts.size());
}

static const DIRLIST &ListFolder(CHECKSTATE *pState, const std::string &folder)
{
    DIRLIST &list = pState->listings[folder];
    if (list.bListed)
        return list;
    list.bListed = TRUE;
    OSFIND find;
    memset(&find, 0, sizeof(find));
    if (!OsFindFirst((folder + "*.*").c_str(), &find))
        return list;
    do {
        list.names.push_back(find.szName);
        list.dirs.push_back((find.dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        list.sizes.push_back(find.cbSize);
    } while (OsFindNext(&find));
    OsFindClose(&find);
    return list;
}

/* Looks up a file by its path relative to the distribution folder, folder
 * by folder, as Windows would (letter case ignored). On success
 * *pstrFound is the path to open and *pcbSize, when given, the file's
 * size. */
static BOOL FindOnDisk(CHECKSTATE *pState, const std::string &relPath, std::string *pstrFound,
                       unsigned long long *pcbSize = NULL, BOOL bFolder = FALSE)
{
    std::vector<std::string> parts = PathParts(relPath);
    if (parts.empty())
        return FALSE;
    std::string folder = pState->strBase;
    for (size_t i = 0; i < parts.size(); i++) {
        BOOL bWantDir = i + 1 < parts.size() || bFolder;
        const DIRLIST &list = ListFolder(pState, folder);
        size_t j;
        for (j = 0; j < list.names.size(); j++)
            if (list.dirs[j] == bWantDir && SameName(list.names[j], parts[i]))
                break;
        if (j == list.names.size())
            return FALSE;
        folder += list.names[j] + (bWantDir ? "/" : "");
        if (pcbSize)
            *pcbSize = list.sizes[j];
    }
    *pstrFound = folder;
    return TRUE;
}

static const unsigned char abSzdd[8] = { 'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33 };

/* The length the items of a compressed (SZDD) file expand to: a flag
 * byte, then eight items, each a literal byte (bit set) or a match of two
 * bytes whose low four bits of the second are the length less 3. */
static unsigned long long ItemsLength(const std::vector<char> &data)
{
    unsigned long long cb = 0;
    size_t i = 14;
    while (i < data.size()) {
        unsigned char bFlags = (unsigned char)data[i++];
        for (int k = 0; k < 8 && i < data.size(); k++) {
            if (bFlags & (1 << k)) {
                cb++;
                i++;
            } else if (i + 1 < data.size()) {
                cb += ((unsigned char)data[i + 1] & 0x0F) + 3;
                i += 2;
            } else {
                return cb;              /* cut inside a match */
            }
        }
    }
    return cb;
}

/* The size a file of cbFile bytes has once copied: the expanded size of a
 * compressed (SZDD) file as its header gives it, the file's own size
 * otherwise. A compressed file is expanded too: *pcbItems gets what its
 * items give, which is less than the header says when it is cut. */
static BOOL ExpandedSize(const std::string &path, unsigned long long cbFile, unsigned long long *pcb,
                         unsigned long long *pcbItems)
{
    unsigned char abHeader[14];
    UINT cbRead = 0;
    if (!OsReadFile(path.c_str(), (LPSTR)abHeader, sizeof(abHeader), &cbRead))
        return FALSE;
    *pcb = *pcbItems = cbFile;
    if (cbRead < sizeof(abHeader) || memcmp(abHeader, abSzdd, sizeof(abSzdd)) != 0)
        return TRUE;
    *pcb = abHeader[10] | (abHeader[11] << 8) | (abHeader[12] << 16) | ((unsigned long long)abHeader[13] << 24);
    std::vector<char> data((size_t)std::min<unsigned long long>(cbFile, 0x7FFFFFFF));
    if (!OsReadFile(path.c_str(), data.data(), (UINT)data.size(), &cbRead))
        return FALSE;
    data.resize(cbRead);
    *pcbItems = ItemsLength(data);
    return TRUE;
}

static std::string SourcePath(const DIRENTRY *pDir, LPCSTR lpszName)
{
    return DirText(pDir) + "\\" + lpszName;
}

/* A name as Windows compares it, for a lookup: ASCII letters in capitals,
 * double-byte characters as they are. */
static std::string NameKey(const std::string &name)
{
    std::string key = name;
    for (size_t i = 0; i < key.size(); i++) {
        if (TextCharBytes(key.c_str() + i) == 2)
            i++;
        else
            key[i] = (char)toupper((unsigned char)key[i]);
    }
    return key;
}

/* A destination file written twice: the later copy replaces the first. */
static void CheckDestinations(CHECKSTATE *pState)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    std::map<std::string, UINT> first;
    for (UINT i = 0; i < inf.GetNumFiles(); i++) {
        const FILEENTRY *pFile = view.File(i);
        const DIRENTRY *pDstDir = inf.FindDstDir(pFile->GetDstDirId());
        char szDisplay[MAXTEXT], szSrc[MAXTEXT], szDst[MAXTEXT];
        pFile->GetNames(szDisplay, szSrc, szDst);
        /* A cut entry is never copied (and was reported where it was read). */
        if (!pDstDir || szDst[0] == '\0' || !pFile->IsWhole() || !pDstDir->IsWhole())
            continue;
        std::string path = NormalPath(SourcePath(pDstDir, szDst));
        std::map<std::string, UINT>::iterator it = first.find(NameKey(path));
        if (it == first.end())
            first[NameKey(path)] = pState->fileLine[i];
        else
            Add(pState, pState->fileLine[i], SEV_WARNING,
                "destination file " + Quote(path) + " is written again (first at line " +
                    std::to_string(it->second) + "); this copy replaces the earlier one");
    }
}

/* Ids without a directory, source files missing from the distribution,
 * compressed files that are cut, and the space the files take once
 * copied, in whole clusters. */
static void CheckFiles(CHECKSTATE *pState, unsigned long long *pcbTotal)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    std::map<std::string, BOOL> expanded;
    *pcbTotal = 0;
    for (UINT i = 0; i < inf.GetNumFiles(); i++) {
        const FILEENTRY *pFile = view.File(i);
        char szDisplay[MAXTEXT], szSrc[MAXTEXT], szDst[MAXTEXT];
        pFile->GetNames(szDisplay, szSrc, szDst);
        /* A cut entry was reported where it was read. */
        if (!pFile->IsWhole())
            continue;
        const DIRENTRY *pSrcDir = pState->pInf->FindSrcDir(pFile->GetSrcDirId());
        if (!pState->fileWild[i]) {
            if (!pSrcDir)
                Add(pState, pState->fileLine[i], SEV_ERROR,
                    "source directory " + std::to_string(pFile->GetSrcDirId()) +
                    " is not defined in [SrcDirs]");
            if (!pState->pInf->FindDstDir(pFile->GetDstDirId()))
                Add(pState, pState->fileLine[i], SEV_ERROR,
                    "destination directory " + std::to_string(pFile->GetDstDirId()) +
                    " is not defined in [DstDirs]");
        }
        if (!pSrcDir || !pSrcDir->IsWhole() || szSrc[0] == '\0')
            continue;
        std::string found;
        unsigned long long cbFile = 0;
        std::string source = Quote(NormalPath(SourcePath(pSrcDir, szSrc)));
        if (!FindOnDisk(pState, SourcePath(pSrcDir, szSrc), &found, &cbFile)) {
            BOOL bFolder = FindOnDisk(pState, SourcePath(pSrcDir, szSrc), &found, NULL, TRUE);
            Add(pState, pState->fileLine[i], SEV_ERROR,
                "source file " + source + (bFolder ? " is a folder on the distribution, not a file"
                                                   : " is not on the distribution"));
            continue;
        }
        unsigned long long cb = 0, cbItems = 0;
        if (!ExpandedSize(found, cbFile, &cb, &cbItems))
            continue;
        *pcbTotal += InstalledBytes(cb, CHECK_CLUSTER);
        if (cbItems < cb && !expanded[found])
            Add(pState, pState->fileLine[i], SEV_ERROR,
                "compressed file " + source + " is cut or damaged: it expands to " + std::to_string(cbItems) +
                    " bytes, its header says " + std::to_string(cb));
        expanded[found] = TRUE;
    }
}

static void CheckSpaceNeeded(CHECKSTATE *pState, unsigned long long cbTotal)
{
    const CSetupInf &inf = *pState->pInf;
    unsigned long long cKNeeded = (cbTotal + 1023) / 1024;
    if (!inf.GetInstallToHD() || inf.GetSpaceNeeded() >= cKNeeded)
        return;
    UINT uLine = KeyLine(pState, "SpaceNeeded");
    Add(pState, uLine ? uLine : AppAnchor(pState), SEV_WARNING,
        "SpaceNeeded is " + std::to_string(inf.GetSpaceNeeded()) + "K but the files to copy take " +
        std::to_string(cKNeeded) + "K once expanded, in clusters of " + std::to_string(CHECK_CLUSTER) +
        " bytes");
}

/* Is the path, relative to the destination folder, one of the files that
 * the copy step writes? */
static BOOL IsInstalled(CHECKSTATE *pState, const std::string &relPath)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    std::string want = NormalPath(relPath);
    for (UINT i = 0; i < inf.GetNumFiles(); i++) {
        const FILEENTRY *pFile = view.File(i);
        const DIRENTRY *pDstDir = pState->pInf->FindDstDir(pFile->GetDstDirId());
        char szDisplay[MAXTEXT], szSrc[MAXTEXT], szDst[MAXTEXT];
        pFile->GetNames(szDisplay, szSrc, szDst);
        if (!pDstDir || !pFile->IsWhole())
            continue;
        if (SameName(NormalPath(SourcePath(pDstDir, szDst)), want))
            return TRUE;
    }
    return FALSE;
}

static void CheckItems(CHECKSTATE *pState)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    for (UINT i = 0; i < inf.GetNumPMItems(); i++) {
        char szDescription[MAXTEXT], szSpec[MAXTEXT];
        view.PMItem(i)->GetItem(szDescription, szSpec);
        UINT uLine = pState->itemLine[i];
        if (!view.PMItem(i)->IsWhole())
            continue;
        if (strlen(szSpec) < 3) {
            Add(pState, uLine, SEV_WARNING,
                "item specification " + Quote(szSpec) +
                " is shorter than three characters; it names no program");
            continue;
        }
        std::string program = szSpec + 3;
        if (program.empty())
            continue;
        /* A command line may carry arguments after the program. */
        std::string bare = program.substr(0, program.find(' '));
        BOOL bSource = szSpec[1] == 'S' || szSpec[1] == 's';
        std::string found;
        if (bSource || !inf.GetInstallToHD()) {
            if (!FindOnDisk(pState, program, &found) && !FindOnDisk(pState, bare, &found))
                Add(pState, uLine, SEV_WARNING,
                    "program " + Quote(program) + " of this item is not on the distribution" +
                    (bSource ? "" : " (InstallToHD is not set, so it is run from there)"));
        } else if (!IsInstalled(pState, program) && !IsInstalled(pState, bare)) {
            /* Program Manager refuses an item whose program is not there:
             * every installation would end with "创建群组出错!". */
            Add(pState, uLine, SEV_ERROR,
                "program " + Quote(program) + " of this item is not among the files to be installed");
        }
    }
}

void CheckOnDisk(CHECKSTATE *pState)
{
    unsigned long long cbTotal = 0;
    CheckFiles(pState, &cbTotal);
    CheckDestinations(pState);
    CheckItems(pState);
    CheckSpaceNeeded(pState, cbTotal);
}
