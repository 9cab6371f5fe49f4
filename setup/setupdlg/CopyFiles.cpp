/*
 * CopyFiles.cpp - the file copy: every file of the script from its source
 * folder under szSourceDir to its destination folder under szDestDir,
 * expanded on the way when it is stored compressed, one meter step each.
 */
#include <windows.h>
#include "CopyPath.h"
#include "Setupinf.h"
#include "meter.h"
#include "resource.h"
#include "Setupdlg.h"
#include "SetupGlobals.h"

/* The copy reads and writes in blocks this large: under Wine every call
 * to the system costs. */
#define COPYBLOCK 65536

/* A source of up to WHOLEMAX bytes, expanded, is read whole into abWhole
 * before its destination is opened: a damaged one then never touches it,
 * and the whole can go over an existing file in place. A larger plain
 * source passes through abWhole in blocks. */
#define WHOLEMAX (1024 * 1024)
#define NOTWHOLE ((DWORD)-1)
static char abWhole[WHOLEMAX + LZMAXITEM];

/* The progress dialog while CopyFiles runs, and when its label and meter
 * last painted: a copy of one large file paints a new name while it
 * runs, a run of small files only every PAINTINTERVAL ms. */
static HWND hwndProgress;
static DWORD dwLastPaint;

/* What the label and meter are to show: the file being copied and how
 * many are done. They are handed to the controls only when a paint is
 * due, before the queue is drained and before a message: under Wine each
 * text or position set is a call to the server, and a thousand of them
 * cost as much as copying a few hundred small files. */
static char szItemWanted[MAXTEXT];
static UINT uPosWanted;

/* The folders cleared of a killed copy's leftovers, each once per run. */
static FOLDERLOOKS looksCleared;

static void ShowProgress(void)
{
    if (!hwndProgress || !IsWindow(hwndProgress))
        return;
    SetScriptText(GetDlgItem(hwndProgress, IDC_ITEM), szItemWanted);
    SendDlgItemMessageA(hwndProgress, IDC_METER, MM_SETPOS, uPosWanted, 0);
}

/* TRUE when it painted: then the queue may be drained too. */
static BOOL PaintProgressIfDue(void)
{
    if (!hwndProgress || GetTickCount() - dwLastPaint < PAINTINTERVAL)
        return FALSE;
    ShowProgress();
    HoldProgressPaint(hwndProgress, FALSE);
    HoldProgressPaint(hwndProgress, TRUE);
    dwLastPaint = GetTickCount();
    return TRUE;
}

/* Removes a file the copy made; a read-only mark is cleared first (as
 * root, Wine writes such a file but refuses to delete it). */
static BOOL RemoveMadeFile(LPCSTR lpszPath)
{
    if (DeleteFileA(lpszPath))
        return TRUE;
    SetFileAttributesA(lpszPath, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(lpszPath);
}

/* Removes the files of the copy's own naming that a copy killed half-way
 * (power cut, task manager) left in the folder: only those older than
 * this run, so none that a copy of this run makes; one still open cannot
 * be deleted anyway. Nothing else is touched. */
static void RemoveLeftovers(LPCSTR lpszDstFolder, LPCSTR lpszSep)
{
    char szPath[MAX_PATH];
    FILETIME ftStart, ftExit, ftKernel, ftUser;
    WIN32_FIND_DATAA fd;
    if (LookedFound(&looksCleared, lpszDstFolder) >= 0 ||
        !GetProcessTimes(GetCurrentProcess(), &ftStart, &ftExit, &ftKernel, &ftUser))
        return;
    NoteLook(&looksCleared, lpszDstFolder, TRUE);
    FormatText(szPath, sizeof(szPath), "%s%s~SET????.TMP", lpszDstFolder, lpszSep);
    HANDLE hFind = FindFirstFileA(szPath, &fd);
    for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileA(hFind, &fd)) {
        int cch = FormatText(szPath, sizeof(szPath), "%s%s%s", lpszDstFolder, lpszSep, fd.cFileName);
        if (IsCopyTempName(fd.cFileName) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            CompareFileTime(&fd.ftLastWriteTime, &ftStart) < 0 && cch > 0 && cch < (int)sizeof(szPath))
            DeleteFileA(szPath);
    }
    if (hFind != INVALID_HANDLE_VALUE)
        FindClose(hFind);
}

/* A new file in the destination folder, its path in lpszTmp (MAX_PATH). */
static HANDLE CreateFileBeside(LPCSTR lpszDstFolder, LPSTR lpszTmp)
{
    LPCSTR lpszSep = PathEndsInBackslash(lpszDstFolder) ? "" : "\\";
    for (DWORD dwTry = 0; dwTry < 64; dwTry++) {
        int cch = FormatText(lpszTmp, MAX_PATH, "%s%s~SET%04lX.TMP", lpszDstFolder, lpszSep,
                           (unsigned long)((GetCurrentProcessId() + dwTry) & 0xFFFF));
        if (cch < 0 || cch >= MAX_PATH)
            break;
        HANDLE h = CreateFileA(lpszTmp, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return h;
    }
    lpszTmp[0] = '\0';
    return INVALID_HANDLE_VALUE;
}

/* How many names an open file has. GetFileInformationByHandle tells too,
 * but under Wine it also asks another process for the volume's serial, at
 * half a millisecond a file; the standard information (from Vista) is all
 * that is needed. */
typedef BOOL(WINAPI *GETFILEINFOEX)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
static DWORD FileNameCount(HANDLE h)
{
    static GETFILEINFOEX pfnGetInfoEx;
    static BOOL bLooked;
    if (!bLooked) {
        FARPROC pfn = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFileInformationByHandleEx");
        pfnGetInfoEx = (GETFILEINFOEX)(void (*)(void))pfn;
        bLooked = TRUE;
    }
    FILE_STANDARD_INFO fsi;
    if (pfnGetInfoEx && pfnGetInfoEx(h, FileStandardInfo, &fsi, sizeof(fsi)))
        return fsi.NumberOfLinks;
    BY_HANDLE_FILE_INFORMATION bhfi;
    return GetFileInformationByHandle(h, &bhfi) ? bhfi.nNumberOfLinks : 0;
}

/* Opens the destination for writing. A file that is not there yet is made
 * outright: under Wine on ext4 a file emptied and then written is sent to
 * disk when it is closed, and every file of a fresh install would pay for
 * that. An existing file stays untouched until the copy is complete: the
 * copy goes into a new file beside it (its path in lpszTmp, else "") that
 * then takes its place, so a failure costs the user nothing, also when
 * the source is the destination under another name. A read-only file or
 * a folder is refused.
 *
 * A source already read whole (cbWhole bytes, else NOTWHOLE) is written
 * over a plain existing file in place when that file holds at least as
 * many bytes: no space is taken, so only a failing disk could stop the
 * write, and the new file and the rename, three times the cost under Wine,
 * are saved on every small file of a reinstall. *pbInPlace tells which. */
static HANDLE OpenDestFile(LPCSTR lpszDst, LPCSTR lpszDstFolder, LPSTR lpszTmp, DWORD cbWhole, BOOL *pbInPlace)
{
    lpszTmp[0] = '\0';
    *pbInPlace = FALSE;
    HANDLE hDst = CreateFileA(lpszDst, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hDst != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
        return hDst;
    WIN32_FILE_ATTRIBUTE_DATA fad;
    if (!GetFileAttributesExA(lpszDst, GetFileExInfoStandard, &fad) ||
        (fad.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return INVALID_HANDLE_VALUE;
    /* A folder with files of an earlier install may hold a killed copy's. */
    RemoveLeftovers(lpszDstFolder, PathEndsInBackslash(lpszDstFolder) ? "" : "\\");
    const DWORD dwNotPlain = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;
    if (cbWhole != NOTWHOLE && !(fad.dwFileAttributes & dwNotPlain) &&
        (fad.nFileSizeHigh > 0 || fad.nFileSizeLow >= cbWhole)) {
        hDst = CreateFileA(lpszDst, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        /* A file with another name too is replaced, not written through. */
        *pbInPlace = hDst != INVALID_HANDLE_VALUE && FileNameCount(hDst) == 1;
        if (*pbInPlace)
            return hDst;
        if (hDst != INVALID_HANDLE_VALUE)
            CloseHandle(hDst);
    }
    return CreateFileBeside(lpszDstFolder, lpszTmp);
}

static BOOL WriteAll(HANDLE hDst, const char *pb, DWORD cb)
{
    DWORD cbWritten = 0;
    return cb == 0 || (WriteFile(hDst, pb, cb, &cbWritten, NULL) && cbWritten == cb);
}

/* The rest of a plain source after its first cbFirst bytes in buf, which
 * holds at least COPYBLOCK. */
static BOOL CopyPlain(HANDLE hSrc, HANDLE hDst, char *buf, DWORD cbFirst)
{
    DWORD cb = cbFirst;
    do {
        if (!WriteAll(hDst, buf, cb))
            return FALSE;
        PaintProgressIfDue();
        if (!ReadFile(hSrc, buf, COPYBLOCK, &cb, NULL))
            return FALSE;
    } while (cb > 0);
    return TRUE;
}

/* A plain source into abWhole, its first cbFirst bytes from buf: FALSE
 * when a read fails. *pcbHeld gets how much abWhole holds, *pcbWhole
 * that size too when it is the whole source, else NOTWHOLE. */
static BOOL ReadPlainWhole(HANDLE hSrc, const char *buf, DWORD cbFirst, DWORD *pcbHeld, DWORD *pcbWhole)
{
    CopyMemory(abWhole, buf, cbFirst);
    DWORD cb = cbFirst, cbRead = 1;
    while (cbRead > 0 && cb < WHOLEMAX) {
        if (!ReadFile(hSrc, abWhole + cb, WHOLEMAX - cb, &cbRead, NULL))
            return FALSE;
        cb += cbRead;
    }
    *pcbHeld = cb;
    *pcbWhole = cbRead == 0 ? cb : NOTWHOLE;
    return TRUE;
}

/* A compressed source, expanded; its first cbFirst bytes, header
 * included, are in buf. Expanded here rather than by the platform's LZ
 * service, which under Wine reads one byte a call. Without hDst the whole
 * goes into abWhole (dwSize is then at most WHOLEMAX); with it, each
 * piece is written there as it comes. A stream cut short or running long,
 * or a failed read, is refused: the whole must be the size its header
 * gave, counted in 64 bits. */
static BOOL Expand(HANDLE hSrc, HANDLE hDst, BYTE *buf, DWORD cbFirst, DWORD dwSize)
{
    EXPANDER ex;
    unsigned long long cbTotal = 0;
    const BYTE *pb = buf + LZHEADER;
    DWORD cb = cbFirst - LZHEADER;
    ExpandStart(&ex);
    do {
        /* cbTotal stays within dwSize, so LZMAXITEM bytes are always free. */
        while (cb > 0) {
            UINT cbUsed = 0;
            BYTE *pbOut = (BYTE *)abWhole + (hDst ? 0 : (size_t)cbTotal);
            UINT cbOut = ExpandItems(&ex, pb, cb, &cbUsed, pbOut, (UINT)(sizeof(abWhole) - (pbOut - (BYTE *)abWhole)));
            cbTotal += cbOut;
            if (cbTotal > dwSize || (hDst && !WriteAll(hDst, (const char *)pbOut, cbOut)))
                return FALSE;
            pb += cbUsed;
            cb -= cbUsed;
        }
        if (hDst)
            PaintProgressIfDue();
        if (!ReadFile(hSrc, buf, COPYBLOCK, &cb, NULL))
            return FALSE;
        pb = buf;
    } while (cb > 0);
    return cbTotal == dwSize;
}

/* Puts a complete copy in place, or removes what a failed one made: the
 * new file, or the file beside the one it was to replace, which then
 * stays exactly as it was. A file written in place is never removed: it
 * is not one the copy made. */
static int FinishDestFile(BOOL bOk, LPCSTR lpszDst, LPCSTR lpszTmp, BOOL bInPlace)
{
    if (bOk && lpszTmp[0] && !MoveFileExA(lpszTmp, lpszDst, MOVEFILE_REPLACE_EXISTING))
        bOk = FALSE;
    if (!bOk && !bInPlace)
        SETUP_CHECK(RemoveMadeFile(lpszTmp[0] ? lpszTmp : lpszDst), "RemoveMadeFile(lpszMade)");
    return bOk ? 1 : 0;
}

int CopyOneFile(LPCSTR lpszSrcFolder, LPCSTR lpszSrcName, LPCSTR lpszDstFolder, LPCSTR lpszDstName)
{
    char szSrc[MAXCOPYPATH], szDst[MAXCOPYPATH], szTmp[MAX_PATH];
    if (!JoinFileName(szSrc, lpszSrcFolder, lpszSrcName) || !JoinFileName(szDst, lpszDstFolder, lpszDstName))
        return 0;
    HANDLE hSrc = CreateFileA(szSrc, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (hSrc == INVALID_HANDLE_VALUE)
        return 0;

    /* The source is read and recognised before the destination is
     * touched: a damaged one never costs the file it was to replace. */
    char buf[COPYBLOCK];
    DWORD cbFirst = 0, dwSize = 0;
    FILETIME ftWrite;
    BOOL bTime = GetFileTime(hSrc, NULL, NULL, &ftWrite);
    int nKind = ReadFile(hSrc, buf, sizeof(buf), &cbFirst, NULL) ? ClassifySource((BYTE *)buf, cbFirst, &dwSize)
                                                                    : SRC_DAMAGED;
    DWORD cbWhole = NOTWHOLE, cbHeld = 0;
    if (nKind == SRC_PLAIN && !ReadPlainWhole(hSrc, buf, cbFirst, &cbHeld, &cbWhole))
        nKind = SRC_DAMAGED;
    else if (nKind == SRC_COMPRESSED && dwSize <= WHOLEMAX) {
        if (Expand(hSrc, NULL, (BYTE *)buf, cbFirst, dwSize))
            cbWhole = dwSize;
        else
            nKind = SRC_DAMAGED;
    }
    HANDLE hDst = INVALID_HANDLE_VALUE;
    BOOL bInPlace = FALSE;
    if (nKind != SRC_DAMAGED)
        hDst = OpenDestFile(szDst, lpszDstFolder, szTmp, cbWhole, &bInPlace);
    if (hDst == INVALID_HANDLE_VALUE) {
        CloseHandle(hSrc);
        return 0;
    }

    BOOL bOk;
    if (cbWhole != NOTWHOLE)
        bOk = WriteAll(hDst, abWhole, cbWhole) && (!bInPlace || SetEndOfFile(hDst));
    else if (nKind == SRC_COMPRESSED)
        bOk = Expand(hSrc, hDst, (BYTE *)buf, cbFirst, dwSize);
    else
        bOk = CopyPlain(hSrc, hDst, abWhole, cbHeld);
    /* Closed before the copy takes its place: it may be that very file. */
    CloseHandle(hSrc);
    if (bOk && bTime)
        SetFileTime(hDst, NULL, NULL, &ftWrite);
    /* A write the system delayed may fail only now. */
    if (!CloseHandle(hDst))
        bOk = FALSE;
    return FinishDestFile(bOk, szDst, szTmp, bInPlace);
}

/* TRUE when a folder holds a file: one that holds none (a fresh install)
 * has none of the script's files to look at. */
static BOOL FolderHoldsFiles(LPCSTR lpszFolder)
{
    char szPattern[MAX_PATH];
    WIN32_FIND_DATAA fd;
    int cch = FormatText(szPattern, sizeof(szPattern), "%s%s*", lpszFolder, PathEndsInBackslash(lpszFolder) ? "" : "\\");
    HANDLE hFind = cch > 0 && cch < (int)sizeof(szPattern) ? FindFirstFileA(szPattern, &fd) : INVALID_HANDLE_VALUE;
    BOOL bFile = FALSE;
    for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore && !bFile; bMore = FindNextFileA(hFind, &fd))
        bFile = !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (hFind != INVALID_HANDLE_VALUE)
        FindClose(hFind);
    return bFile;
}

/* TRUE when the file exists and another program holds it so that it
 * cannot be opened for writing alone. Opening it writes nothing. Any
 * other refusal (no access) is the copy's to report when its turn comes. */
static BOOL IsFileInUse(LPCSTR lpszPath)
{
    HANDLE h = CreateFileA(lpszPath, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return FALSE;
    }
    DWORD dwError = GetLastError();
    return dwError == ERROR_SHARING_VIOLATION || dwError == ERROR_LOCK_VIOLATION;
}

/* The first destination file in use, its path in lpszInUse; FALSE when
 * none is. */
static BOOL FindFileInUse(LPSTR lpszInUse)
{
    char szDisplayName[MAXTEXT], szSrcDir[MAXTEXT], szSrcName[MAXTEXT], szDstDir[MAXTEXT], szDstName[MAXTEXT];
    char szFolder[MAXCOPYPATH], szDst[MAXCOPYPATH];
    FOLDERLOOKS looks;
    LooksStart(&looks);
    for (UINT i = 0; i < theSetupInf.GetNumFiles(); i++) {
        if (!theSetupInf.GetFile(i, szDisplayName, szSrcDir, szSrcName, szDstDir, szDstName) ||
            !JoinText(szFolder, szDestDir, szDstDir) || !JoinFileName(szDst, szFolder, szDstName))
            continue;
        int nHolds = LookedFound(&looks, szFolder);
        if (nHolds < 0) {
            nHolds = FolderHoldsFiles(szFolder);
            NoteLook(&looks, szFolder, nHolds);
        }
        if (nHolds && IsFileInUse(szDst)) {
            StoreText(lpszInUse, MAXCOPYPATH, szDst);
            return TRUE;
        }
    }
    return FALSE;
}

int CheckFilesInUse(HWND hwndOwner)
{
    char szInUse[MAXCOPYPATH];
    while (FindFileInUse(szInUse))
        if (SetupMessageBox(hInst, hwndOwner, STR_FILEINUSE, szTitle, MB_RETRYCANCEL | MB_ICONEXCLAMATION, szInUse) !=
            IDRETRY)
            return 0;
    return 1;
}

/* A failed file's message, over the label and meter as they stand. */
static int CopyFailed(HWND hDlg, LPCSTR lpszDisplayName)
{
    StoreText(szItemWanted, sizeof(szItemWanted), lpszDisplayName);
    ShowProgress();
    HoldProgressPaint(hDlg, FALSE);
    SetupMessageBox(hInst, hDlg, STR_COPYERROR, szTitle, MB_ICONINFORMATION, lpszDisplayName);
    return 0;
}

/* The loop of CopyFiles; the label and meter are held by the caller. The
 * queue is drained when they paint, so a click on Cancel is seen between
 * two files, with the label naming the last one copied. */
static int CopyEveryFile(HWND hDlg)
{
    char szDisplayName[MAXTEXT], szSrcDir[MAXTEXT], szSrcName[MAXTEXT], szDstDir[MAXTEXT], szDstName[MAXTEXT];
    char szSrcFolder[MAXCOPYPATH], szDstFolder[MAXCOPYPATH];
    HWND hwndCancel = GetDlgItem(hDlg, IDCANCEL);

    UINT n = theSetupInf.GetNumFiles();
    for (UINT i = 0; i < n; i++) {
        if (PaintProgressIfDue())
            DrainMessageQueue();
        if (IsCancelRequested(hDlg, hwndCancel))
            return 0;
        /* An id without a directory, a name or folder cut in the script,
         * or a folder too long for its buffer fails the file: it is never
         * copied from or to a guessed place. */
        BOOL bOk = theSetupInf.GetFile(i, szDisplayName, szSrcDir, szSrcName, szDstDir, szDstName);
        StoreText(szItemWanted, sizeof(szItemWanted), szDisplayName);
        bOk = bOk && JoinText(szSrcFolder, szSourceDir, szSrcDir) &&
              JoinText(szDstFolder, szDestDir, szDstDir) &&
              CopyOneFile(szSrcFolder, szSrcName, szDstFolder, szDstName);
        if (!bOk)
            return CopyFailed(hDlg, szDisplayName);
        uPosWanted = i + 1;
    }
    /* A file the script lists beyond the full table was not copied. */
    theSetupInf.GetLostFile(szDisplayName);
    if (szDisplayName[0])
        return CopyFailed(hDlg, szDisplayName);
    return 1;
}

int CopyFiles(HWND hDlg)
{
    SetLabelText(hDlg, IDC_ACTION, STR_COPYTO, szDestDir);

    SendDlgItemMessageA(hDlg, IDC_METER, MM_SETPOS, 0, 0);
    SendDlgItemMessageA(hDlg, IDC_METER, MM_SETRANGE, theSetupInf.GetNumFiles(), 0);

    hwndProgress = hDlg;
    szItemWanted[0] = '\0';
    uPosWanted = 0;
    dwLastPaint = GetTickCount() - PAINTINTERVAL;
    HoldProgressPaint(hDlg, TRUE);
    int nResult = CopyEveryFile(hDlg);
    ShowProgress();
    hwndProgress = NULL;
    if (IsWindow(hDlg))
        HoldProgressPaint(hDlg, FALSE);
    return nResult;
}
