/*
 * Cleanup.cpp - the launcher's folders and their removal. Each folder it
 * makes is recorded with its identity and held open, without sharing the
 * right to delete, until the end: on Windows nobody can then rename it and
 * put a link or junction in its place while SETUP.EXE runs. At the end
 * each folder is opened again, without following a link, and only one
 * that is still the folder made is entered; only the files and folders
 * made are removed, and nothing is left for removal at a restart (that
 * would run later, as SYSTEM, through whatever the path then leads to).
 */
#include <windows.h>
#include "Launcher.h"

/* The folder at lpszPath, opened without following a link; its identity
 * in *pId. INVALID_HANDLE_VALUE when it is not a folder of its own. */
static HANDLE OpenFolder(const WCHAR *lpszPath, BY_HANDLE_FILE_INFORMATION *pId)
{
    HANDLE h = CreateFileW(lpszPath, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return h;
    if (!GetFileInformationByHandle(h, pId) || !(pId->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (pId->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

MADE *RecordMade(UNPACK *pUnpack, MADE *pParent, const WCHAR *lpszPath)
{
    MADE *pMade = (MADE *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(MADE));
    if (!pMade)
        return NULL;
    pMade->pParent = pParent;
    pMade->hHold = INVALID_HANDLE_VALUE;
    lstrcpynW(pMade->szPath, lpszPath, MAX_PATH);
    pMade->pNext = pUnpack->pMade;
    pUnpack->pMade = pMade;
    return pMade;
}

MADE *MakeFolder(UNPACK *pUnpack, MADE *pParent, const WCHAR *lpszPath, SECURITY_ATTRIBUTES *pSecurity)
{
    /* A failure here leaves the last error for the caller: a name that
     * exists is tried again under another. */
    if (!CreateDirectoryW(lpszPath, pSecurity))
        return NULL;
    BY_HANDLE_FILE_INFORMATION id;
    HANDLE hHold = OpenFolder(lpszPath, &id);
    MADE *pMade = hHold != INVALID_HANDLE_VALUE ? RecordMade(pUnpack, pParent, lpszPath) : NULL;
    if (!pMade) {
        if (hHold != INVALID_HANDLE_VALUE)
            CloseHandle(hHold);
        RemoveDirectoryW(lpszPath);
        return NULL;
    }
    pMade->bFolder = TRUE;
    pMade->hHold = hHold;
    pMade->id = id;
    return pMade;
}

/* TRUE when the folder is still the one made: same volume and file index,
 * and not a link. Its handle is then a fresh one of that path. */
static BOOL CheckFolder(MADE *pMade)
{
    BY_HANDLE_FILE_INFORMATION id;
    HANDLE h = OpenFolder(pMade->szPath, &id);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    if (id.dwVolumeSerialNumber != pMade->id.dwVolumeSerialNumber || id.nFileIndexHigh != pMade->id.nFileIndexHigh ||
        id.nFileIndexLow != pMade->id.nFileIndexLow) {
        CloseHandle(h);
        return FALSE;
    }
    CloseHandle(pMade->hHold);
    pMade->hHold = h;
    return TRUE;
}

/* A folder is entered only when it and every folder above it checked. */
static BOOL Trusted(const MADE *pFolder)
{
    for (; pFolder; pFolder = pFolder->pParent)
        if (!pFolder->bTrusted)
            return FALSE;
    return TRUE;
}

void RemoveMade(UNPACK *pUnpack)
{
    MADE *pMade, *pNext;
    for (pMade = pUnpack->pMade; pMade; pMade = pMade->pNext)
        if (pMade->bFolder)
            pMade->bTrusted = CheckFolder(pMade);
    for (pMade = pUnpack->pMade; pMade; pMade = pMade->pNext)
        if (!pMade->bFolder && Trusted(pMade->pParent))
            DeleteFileW(pMade->szPath);   /* a link put in its place: the link goes, not its target */
    /* Newest first: a folder goes before the folder it is in. Its own
     * handle is closed first, the ones above it stay held. */
    for (pMade = pUnpack->pMade; pMade; pMade = pNext) {
        pNext = pMade->pNext;
        if (pMade->bFolder) {
            BOOL bRemove = Trusted(pMade);
            CloseHandle(pMade->hHold);
            if (bRemove)
                RemoveDirectoryW(pMade->szPath);
        }
        HeapFree(GetProcessHeap(), 0, pMade);
    }
    pUnpack->pMade = NULL;
}
