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

/* Whether two paths name the same file: copying a file onto itself would
 * empty it before it is read. */
static BOOL IsSameFile(LPCSTR lpszFirst, LPCSTR lpszSecond)
{
    char szFirst[MAX_PATH], szSecond[MAX_PATH];
    if (!GetFullPathNameA(lpszFirst, sizeof(szFirst), szFirst, NULL) ||
        !GetFullPathNameA(lpszSecond, sizeof(szSecond), szSecond, NULL))
        return FALSE;
    return lstrcmpiA(szFirst, szSecond) == 0;
}

/* Opens the destination for writing, empty, as a handle LZCopy takes;
 * HFILE_ERROR on failure. A file that is not there yet is made outright
 * rather than made and then emptied, as OpenFile does: under Wine on
 * ext4 a file emptied and then written is sent to disk when it is
 * closed, and the copy would pay for that at every file. An existing
 * file still goes through OpenFile, which empties it and refuses a
 * read-only one. */
static HFILE CreateDestFile(LPCSTR lpszDst)
{
    HANDLE hFile = CreateFileA(lpszDst, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile != INVALID_HANDLE_VALUE)
        return (HFILE)(INT_PTR)hFile;
    if (GetLastError() != ERROR_FILE_EXISTS)
        return HFILE_ERROR;
    /* LZOpenFileA in create mode is not used: it may fall back to another
     * name (the last character replaced by '_') when the real one cannot
     * be made, and report success. */
    OFSTRUCT of;
    return OpenFile(lpszDst, &of, OF_CREATE);
}

int CopyOneFile(LPCSTR lpszSrcFolder, LPCSTR lpszSrcName, LPCSTR lpszDstFolder, LPCSTR lpszDstName)
{
    char szSrc[MAXCOPYPATH], szDst[MAXCOPYPATH];
    if (!JoinFileName(szSrc, lpszSrcFolder, lpszSrcName) || !JoinFileName(szDst, lpszDstFolder, lpszDstName))
        return 0;
    if (IsSameFile(szSrc, szDst))
        return GetFileAttributesA(szSrc) != INVALID_FILE_ATTRIBUTES;

    OFSTRUCT ofSrc;
    INT hSrc = LZOpenFileA(szSrc, &ofSrc, OF_READ);
    if (hSrc < 0)
        return 0;
    HFILE hDst = CreateDestFile(szDst);
    if (hDst == HFILE_ERROR) {
        LZClose(hSrc);
        return 0;
    }
    LONG cbCopied = LZCopy(hSrc, (INT)hDst);
    /* A truncated compressed file copies short without an error: the
     * size it should expand to is at its end. */
    LONG cbExpected = cbCopied >= 0 ? LZSeek(hSrc, 0, 2) : -1;
    LZClose(hSrc);
    _lclose(hDst);
    if (cbCopied < 0 || cbCopied != cbExpected) {
        /* Never leave a short file that looks complete; only the file this
         * call created or overwrote is removed. */
        DeleteFileA(szDst);
        return 0;
    }
    return 1;
}

int CopyFiles(HWND hDlg)
{
    char szLabel[MAXCOPYPATH];
    char szPrefix[MAXCOPYPATH];
    char szDisplayName[MAXTEXT], szSrcDir[MAXTEXT], szSrcName[MAXTEXT], szDstDir[MAXTEXT], szDstName[MAXTEXT];
    char szSrcFolder[MAXCOPYPATH], szDstFolder[MAXCOPYPATH];

    szPrefix[0] = '\0';
    LoadStringA(hInst, STR_COPYTO, szPrefix, MAXCOPYPATH);
    BOOL bLabelFits = JoinText(szLabel, szPrefix, szDestDir);
    SetDlgItemTextA(hDlg, IDC_ACTION, bLabelFits ? szLabel : szPrefix);

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
        bOk = bOk && bLabelFits && JoinText(szSrcFolder, szSourceDir, szSrcDir) &&
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
