/*
 * CopyFiles.cpp - the file copy: every file of the script from its source
 * folder under szSourceDir to its destination folder under szDestDir,
 * expanded on the way when it is stored compressed, one meter step each.
 */
#include <windows.h>
#include <lzexpand.h>
#include "CopyPath.h"
#include "Setupinf.h"
#include "meter.h"
#include "resource.h"
#include "Setupdlg.h"
#include "SetupGlobals.h"

/* The copy reads and writes in blocks this large: the platform's own
 * LZCopy moves 1000 bytes a call, and under Wine every call costs. */
#define COPYBLOCK 65536

/* Whether two open handles are the same file, by identity rather than by
 * name: a short 8.3 name or a second drive letter for the same folder
 * names it differently. */
static BOOL IsSameFile(HANDLE hFirst, HANDLE hSecond)
{
    BY_HANDLE_FILE_INFORMATION first, second;
    if (!GetFileInformationByHandle(hFirst, &first) || !GetFileInformationByHandle(hSecond, &second))
        return FALSE;
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

/* Opens the destination for writing, empty; INVALID_HANDLE_VALUE on
 * failure. A file that is not there yet is made outright rather than made
 * and then emptied: under Wine on ext4 a file emptied and then written is
 * sent to disk when it is closed, and the copy would pay for that at
 * every file. An existing file is first compared with the source, which
 * must never be emptied before it is read; *pbSame tells that case, and
 * the file is then left as it is. A read-only file is refused. */
static HANDLE OpenDestFile(LPCSTR lpszDst, HANDLE hSrc, BOOL *pbSame)
{
    *pbSame = FALSE;
    HANDLE hDst = CreateFileA(lpszDst, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hDst != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
        return hDst;
    /* Opened for no access at all, it can be looked at even while it is
     * the source, open for reading without sharing writes. */
    HANDLE hLook = CreateFileA(lpszDst, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, 0, NULL);
    if (hLook == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;
    *pbSame = IsSameFile(hSrc, hLook);
    CloseHandle(hLook);
    if (*pbSame)
        return INVALID_HANDLE_VALUE;
    return CreateFileA(lpszDst, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}

/* Copies the open source into hDst through the platform's LZ service, so a
 * compressed file is expanded, and gives hDst the source's date and time.
 * Closes the source. 1 when all of it was copied, else 0. */
static int ExpandInto(HANDLE hSrcFile, HANDLE hDst)
{
    FILETIME ftWrite;
    BOOL bTime = GetFileTime(hSrcFile, NULL, NULL, &ftWrite);
    INT hSrc = LZInit((INT)(INT_PTR)hSrcFile);
    if (hSrc < 0) {
        CloseHandle(hSrcFile);
        return 0;
    }
    char buf[COPYBLOCK];
    LONG cbTotal = 0;
    INT cb;
    while ((cb = LZRead(hSrc, buf, sizeof(buf))) > 0) {
        DWORD cbWritten = 0;
        if (!WriteFile(hDst, buf, (DWORD)cb, &cbWritten, NULL) || cbWritten != (DWORD)cb) {
            cb = -1;
            break;
        }
        cbTotal += cb;
    }
    /* A truncated compressed file reads short without an error: the size
     * it should expand to is in its header. */
    BOOL bOk = cb == 0 && cbTotal == LZSeek(hSrc, 0, 2);
    LZClose(hSrc);
    if (bOk && bTime)
        SetFileTime(hDst, NULL, NULL, &ftWrite);
    return bOk ? 1 : 0;
}

int CopyOneFile(LPCSTR lpszSrcFolder, LPCSTR lpszSrcName, LPCSTR lpszDstFolder, LPCSTR lpszDstName)
{
    char szSrc[MAXCOPYPATH], szDst[MAXCOPYPATH];
    if (!JoinFileName(szSrc, lpszSrcFolder, lpszSrcName) || !JoinFileName(szDst, lpszDstFolder, lpszDstName))
        return 0;
    HANDLE hSrcFile = CreateFileA(szSrc, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (hSrcFile == INVALID_HANDLE_VALUE)
        return 0;
    BOOL bSame;
    HANDLE hDst = OpenDestFile(szDst, hSrcFile, &bSame);
    if (hDst == INVALID_HANDLE_VALUE) {
        CloseHandle(hSrcFile);
        return bSame ? 1 : 0;
    }
    int nOk = ExpandInto(hSrcFile, hDst);
    CloseHandle(hDst);
    /* Never leave a short file that looks complete; only the file this
     * call created or overwrote is removed. */
    if (!nOk)
        DeleteFileA(szDst);
    return nOk;
}

int CopyFiles(HWND hDlg)
{
    char szLabel[MAXCOPYPATH];
    char szPrefix[MAXCOPYPATH];
    char szDisplayName[MAXTEXT], szSrcDir[MAXTEXT], szSrcName[MAXTEXT], szDstDir[MAXTEXT], szDstName[MAXTEXT];
    char szSrcFolder[MAXCOPYPATH], szDstFolder[MAXCOPYPATH];

    szPrefix[0] = '\0';
    LoadStringA(hInst, STR_COPYTO, szPrefix, sizeof(szPrefix));
    JoinLabel(szLabel, szPrefix, szDestDir);
    SetDlgItemTextA(hDlg, IDC_ACTION, szLabel);

    UINT n = theSetupInf.GetNumFiles();
    SendDlgItemMessageA(hDlg, IDC_METER, MM_SETPOS, 0, 0);
    SendDlgItemMessageA(hDlg, IDC_METER, MM_SETRANGE, n, 0);

    for (UINT i = 0; i < n; i++) {
        DrainMessageQueue();
        if (IsCancelRequested(hDlg))
            return 0;
        /* An id without a directory, or a folder too long for its buffer,
         * fails the file: it is never copied from or to a guessed place. */
        BOOL bOk = theSetupInf.GetFile(i, szDisplayName, szSrcDir, szSrcName, szDstDir, szDstName);
        SetDlgItemTextA(hDlg, IDC_ITEM, szDisplayName);
        bOk = bOk && JoinText(szSrcFolder, szSourceDir, szSrcDir) &&
              JoinText(szDstFolder, szDestDir, szDstDir) &&
              CopyOneFile(szSrcFolder, szSrcName, szDstFolder, szDstName);
        if (!bOk) {
            SetupMessageBox(hInst, hDlg, STR_COPYERROR, szTitle, MB_ICONINFORMATION, szDisplayName);
            return 0;
        }
        SendDlgItemMessageA(hDlg, IDC_METER, MM_SETPOS, i + 1, 0);
    }
    return 1;
}
