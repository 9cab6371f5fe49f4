/*
 * DestDirDlg.cpp - the destination folder dialog: a typed path, a folder
 * list and a drive list, the space needed and the space free. OK checks
 * the path, the space and the folder (creating one level) and hands the
 * path back for szDestDir.
 */
#include <windows.h>
#include <direct.h>
#include <limits.h>
#include <string.h>
#include "DestPath.h"
#include "Setupinf.h"
#include "resource.h"
#include "Setupdlg.h"
#include "SetupGlobals.h"

#define DIRLIST_ATTRS   (DDL_EXCLUSIVE | DDL_DIRECTORY)
#define DRIVELIST_ATTRS (DDL_EXCLUSIVE | DDL_DRIVES)
#define CCH_READ        127     /* control texts and list read-backs */

/* The working path: the listed folder, a backslash and the chosen entry. */
static char szPath[MAXPATHTEXT];

static char UpperLetter(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

unsigned long long GetDiskFreeK(char chDrive)
{
    char szRoot[4] = { UpperLetter(chDrive), ':', '\\', '\0' };
    DWORD dwSectorsPerCluster = 0, dwBytesPerSector = 0, dwFreeClusters = 0, dwClusters = 0;
    GetDiskFreeSpaceA(szRoot, &dwSectorsPerCluster, &dwBytesPerSector, &dwFreeClusters, &dwClusters);
    return (unsigned long long)dwFreeClusters * dwBytesPerSector * dwSectorsPerCluster / 1024;
}

static void ShowFreeSpace(HWND hDlg)
{
    char szWork[MAXPATHTEXT];
    FormatKBytes(szWork, sizeof(szWork), GetDiskFreeK(szPath[0]));
    SetDlgItemTextA(hDlg, IDC_FREESPACE, szWork);
}

/* szPath from the script's default folder, on drive chDrive when one is
 * given. A default without a drive is reported and goes on the chosen
 * drive, or the current one, before the letter is set, so the letter
 * never takes the place of one of its characters. One too long for that,
 * or cut in the script, leaves the drive's root, never a cut folder. */
static void SetPathFromDefDir(char chDrive)
{
    char szDefDir[MAXTEXT];
    if (!theSetupInf.GetDefDir(szDefDir))
        DefDirRoot(szDefDir);
    DefDirToPath(szDefDir, szPath);
    if (!SETUP_CHECK(szPath[1] == ':', "szPath[1]==':'") && !chDrive)
        chDrive = (char)('a' + _getdrive() - 1);
    if (chDrive)
        PutOnDrive(szPath, chDrive);
}

void ListWorkingPath(HWND hDlg)
{
    char szWork[MAXPATHTEXT];
    char szLast[MAXPATHTEXT];
    int i = LastBackslash(szPath);
    SETUP_CHECK(i != 0, "i!=0");

    SplitWorkingPath(szPath, szWork, szLast);
    DlgDirListA(hDlg, szWork, IDC_DIRLIST, 0, DIRLIST_ATTRS);

    /* The last component stands as a plain entry and is selected; a drive
     * root has none and selects nothing. */
    if (!szLast[0])
        return;
    if (SendDlgItemMessageA(hDlg, IDC_DIRLIST, LB_FINDSTRING, (WPARAM)-1, (LPARAM)szLast) == LB_ERR)
        SendDlgItemMessageA(hDlg, IDC_DIRLIST, LB_ADDSTRING, 0, (LPARAM)szLast);
    LRESULT nIndex = SendDlgItemMessageA(hDlg, IDC_DIRLIST, LB_FINDSTRING, (WPARAM)-1, (LPARAM)szLast);
    if (nIndex != LB_ERR)
        SendDlgItemMessageA(hDlg, IDC_DIRLIST, LB_SETCURSEL, nIndex, 0);
}

static void OnDestInit(HWND hDlg)
{
    char szWork[MAXPATHTEXT];
    char szEmpty[MAXPATHTEXT] = "";

    CenterDialog(hDlg);
    SetPathFromDefDir(0);
    SetDlgItemTextA(hDlg, IDC_PATH, szPath);
    FormatKBytes(szWork, sizeof(szWork), theSetupInf.GetSpaceNeeded());
    SetDlgItemTextA(hDlg, IDC_SPACENEEDED, szWork);
    ListWorkingPath(hDlg);

    DlgDirListComboBoxA(hDlg, szEmpty, IDC_DRIVES, 0, DRIVELIST_ATTRS);
    char szDrive[6] = { '[', '-', szPath[0], '-', ']', '\0' };
    LRESULT nIndex = SendDlgItemMessageA(hDlg, IDC_DRIVES, CB_FINDSTRING, (WPARAM)-1, (LPARAM)szDrive);
    if (nIndex != CB_ERR)
        SendDlgItemMessageA(hDlg, IDC_DRIVES, CB_SETCURSEL, nIndex, 0);
    ShowFreeSpace(hDlg);
}

static int DestMessage(HWND hDlg, UINT uId, UINT uStyle, LPCSTR lpszArg)
{
    return SetupMessageBox(hInst, hDlg, uId, szTitle, uStyle, lpszArg);
}

/* The current folder of drive chDrive as a full path, for a name typed
 * relative to it; NULL when it cannot be had whole. */
static LPCSTR GetDriveFolder(char chDrive, LPSTR lpszFolder, DWORD cchFolder)
{
    char szDrive[3] = { chDrive, ':', '\0' };
    DWORD cch = GetFullPathNameA(szDrive, cchFolder, lpszFolder, NULL);
    return cch && cch < cchFolder ? lpszFolder : NULL;
}

/* The typed folder as a full path in lpszFull; FALSE when there is none
 * (an empty field, which shows nothing) or it is refused by name. */
static BOOL ReadTypedFolder(HWND hDlg, LPSTR lpszFull)
{
    char szWork[MAXPATHTEXT];
    char szDriveFolder[MAX_PATH];
    szWork[0] = '\0';
    GetDlgItemTextA(hDlg, IDC_PATH, szWork, CCH_READ);
    if (!szWork[0])
        return FALSE;
    LowerPath(szWork);
    RemoveTrailingBackslash(szWork);
    /* A longer text would be read cut: never install to a cut folder.
     * Nor to a relative one: the folder steps change the current folder,
     * which would move it under the files. Nor to one whose full path
     * (a drive-relative text grows) leaves no room for its backslash. */
    if (GetWindowTextLengthA(GetDlgItem(hDlg, IDC_PATH)) >= CCH_READ || IsBadDirName(szWork) ||
        !MakeFullDestPath(szWork, GetDriveFolder(szWork[0], szDriveFolder, sizeof(szDriveFolder)), lpszFull) ||
        !TakesBackslash(lpszFull)) {
        DestMessage(hDlg, STR_BADDIRNAME, MB_ICONINFORMATION, NULL);
        return FALSE;
    }
    return TRUE;
}

/* Whether drive chDrive has the space the script needs; when it has not,
 * the user is told how much is free and how much is needed. */
static BOOL HasSpaceOn(HWND hDlg, char chDrive)
{
    UINT uNeeded = theSetupInf.GetSpaceNeeded();
    unsigned long long ullFree = GetDiskFreeK(chDrive);
    if (!IsSpaceShort(uNeeded, ullFree))
        return TRUE;
    /* The message's %ld cannot show more than LONG_MAX. */
    long lFree = ullFree > LONG_MAX ? LONG_MAX : (long)ullFree;
    SetupMessageBox(hInst, hDlg, STR_DISKSPACE, szTitle, MB_ICONINFORMATION, chDrive, lFree, (long)uNeeded);
    return FALSE;
}

/* Makes every level of the full path that is missing, from the drive's
 * root down (a default such as c:\games\mines on a machine without
 * c:\games). FALSE with the level that could not be made in lpszLevel. */
static BOOL MakeEveryLevel(LPCSTR lpszFull, LPSTR lpszLevel)
{
    size_t cch = strlen(lpszFull);
    for (size_t ich = NextLevelEnd(lpszFull, 2); ich > 2 && ich <= cch; ich = NextLevelEnd(lpszFull, ich)) {
        StoreText(lpszLevel, MAXPATHTEXT, lpszFull);
        lpszLevel[ich] = '\0';
        DWORD dwAttr = GetFileAttributesA(lpszLevel);
        if (dwAttr == INVALID_FILE_ATTRIBUTES ? _mkdir(lpszLevel) != 0 : !(dwAttr & FILE_ATTRIBUTE_DIRECTORY))
            return FALSE;
        if (ich == cch)
            break;
    }
    return TRUE;
}

/* The folder's drive and the folder become current, every missing level
 * made; when they cannot, the user is told which level failed. */
static BOOL EnterDestFolder(HWND hDlg, LPCSTR lpszFull)
{
    char szLevel[MAXPATHTEXT];
    StoreText(szLevel, sizeof(szLevel), lpszFull);
    if (_chdrive(lpszFull[0] - 96) == 0 && MakeEveryLevel(lpszFull, szLevel) && _chdir(lpszFull) == 0)
        return TRUE;
    DestMessage(hDlg, STR_MKDIRFAIL, MB_ICONINFORMATION, szLevel);
    return FALSE;
}

/* OK: the typed folder checked by name, then for space, then entered; the
 * dialog stays open after any message. */
static void OnDestOk(HWND hDlg, WPARAM wParam)
{
    char szFull[MAXPATHTEXT];
    if (!ReadTypedFolder(hDlg, szFull) || !HasSpaceOn(hDlg, szFull[0]) || !EnterDestFolder(hDlg, szFull))
        return;
    StoreText(szPath, sizeof(szPath), szFull);
    EndDialog(hDlg, wParam);
}

static void OnDestCancel(HWND hDlg)
{
    if (DestMessage(hDlg, STR_CONFIRMEXIT, MB_YESNO, NULL) == IDYES)
        EndDialog(hDlg, IDCANCEL);
}

/* The selected folder entry without its trailing backslash; "" when
 * nothing is selected. */
static void ReadSelectedFolder(HWND hDlg, LPSTR lpszWork)
{
    lpszWork[0] = '\0';
    if (SendDlgItemMessageA(hDlg, IDC_DIRLIST, LB_GETCURSEL, 0, 0) == LB_ERR)
        return;
    DlgDirSelectExA(hDlg, lpszWork, CCH_READ, IDC_DIRLIST);
    RemoveTrailingBackslash(lpszWork);
}

static void OnFolderClick(HWND hDlg)
{
    char szWork[MAXPATHTEXT];
    ReadSelectedFolder(hDlg, szWork);
    /* A path that would pass the limit is not made: nothing changes. */
    if (szWork[0] && ReplaceLastComponent(szPath, szWork))
        SetDlgItemTextA(hDlg, IDC_PATH, szPath);
}

static void OnFolderDoubleClick(HWND hDlg)
{
    char szWork[MAXPATHTEXT];
    ReadSelectedFolder(hDlg, szWork);
    if (strcmp(szWork, "..") == 0)
        GoUpPath(szPath);

    char szSpec[MAXPATHTEXT];
    StoreText(szSpec, sizeof(szSpec), szPath);
    if (!AppendComponent(szSpec, "") || !DlgDirListA(hDlg, szSpec, IDC_DIRLIST, 0, DIRLIST_ATTRS))
        return;

    /* The path names the first entry of the folder entered. In a folder
     * without entries, or where the entry would pass the limit, the
     * folder itself stands. */
    SendDlgItemMessageA(hDlg, IDC_DIRLIST, LB_SETCURSEL, 0, 0);
    ReadSelectedFolder(hDlg, szWork);
    if (szWork[0])
        AppendComponent(szPath, szWork);
    SetDlgItemTextA(hDlg, IDC_PATH, szPath);
}

static void OnDriveChange(HWND hDlg)
{
    char szWork[MAXPATHTEXT];
    szWork[0] = '\0';
    DlgDirSelectComboBoxExA(hDlg, szWork, CCH_READ, IDC_DRIVES);
    if (!szWork[0] || UpperLetter(szWork[0]) == UpperLetter(szPath[0]))
        return;
    SetPathFromDefDir(szWork[0]);
    SetDlgItemTextA(hDlg, IDC_PATH, szPath);
    ListWorkingPath(hDlg);
    ShowFreeSpace(hDlg);
}

static BOOL OnDestCommand(HWND hDlg, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        OnDestOk(hDlg, wParam);
        return TRUE;
    case IDCANCEL:
        OnDestCancel(hDlg);
        return TRUE;
    case IDC_DIRLIST:
        if (HIWORD(wParam) == LBN_SELCHANGE)
            OnFolderClick(hDlg);
        else if (HIWORD(wParam) == LBN_DBLCLK)
            OnFolderDoubleClick(hDlg);
        return TRUE;
    case IDC_DRIVES:
        if (HIWORD(wParam) == CBN_SELCHANGE)
            OnDriveChange(hDlg);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK DestDirDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_COMMAND:
        return OnDestCommand(hDlg, wParam);
    case WM_INITDIALOG:
        OnDestInit(hDlg);
        return TRUE;
    }
    return FALSE;
}

int RunDestDirDialog(HWND hwndOwner)
{
    INT_PTR nResult = DialogBoxParamW(hInst, MAKEINTRESOURCEW(IDD_DESTDIR), hwndOwner, DestDirDlgProc, 0);
    /* A dialog that could not be made (-1) is a failure, not an OK. */
    if (nResult == IDCANCEL || nResult == -1)
        return 0;
    StoreText(szDestDir, sizeof(szDestDir), szPath);
    if (!PathEndsInBackslash(szDestDir) && !AppendComponent(szDestDir, "")) {
        /* A 127-character folder has no room for its backslash. */
        return 0;
    }
    return 1;
}
