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
#include "Shell.h"

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

/* szPath from the script's default folder. One without a drive is
 * reported and put on the current drive, so the dialog stays usable. */
static void SetPathFromDefDir(char chDrive)
{
    char szDefDir[MAXTEXT];
    theSetupInf.GetDefDir(szDefDir);
    DefDirToPath(szDefDir, szPath);
    if (chDrive)
        szPath[0] = chDrive;
    if (!SETUP_CHECK(szPath[1] == ':', "szPath[1]==':'"))
        PutOnDrive(szPath, (char)('a' + _getdrive() - 1));
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

/* The folder becomes the current folder, created (one level) if need be. */
static BOOL EnterOrCreate(LPCSTR lpszDir)
{
    if (_chdir(lpszDir) == 0)
        return TRUE;
    return _mkdir(lpszDir) == 0 && _chdir(lpszDir) == 0;
}

static void OnDestOk(HWND hDlg, WPARAM wParam)
{
    char szWork[MAXPATHTEXT];
    szWork[0] = '\0';
    GetDlgItemTextA(hDlg, IDC_PATH, szWork, CCH_READ);
    if (!szWork[0])
        return;
    /* A longer text would be read cut: never install to a cut folder. */
    if (GetWindowTextLengthA(GetDlgItem(hDlg, IDC_PATH)) >= CCH_READ) {
        DestMessage(hDlg, STR_BADDIRNAME, MB_ICONINFORMATION, NULL);
        return;
    }
    LowerPath(szWork);
    RemoveTrailingBackslash(szWork);
    if (IsBadDirName(szWork)) {
        DestMessage(hDlg, STR_BADDIRNAME, MB_ICONINFORMATION, NULL);
        return;
    }
    char chDrive = szWork[0];
    UINT uNeeded = theSetupInf.GetSpaceNeeded();
    if (IsSpaceShort(uNeeded, GetDiskFreeK(chDrive))) {
        /* The message's %ld cannot show more than LONG_MAX. */
        unsigned long long ullFree = GetDiskFreeK(chDrive);
        long lFree = ullFree > LONG_MAX ? LONG_MAX : (long)ullFree;
        SetupMessageBox(hInst, hDlg, STR_DISKSPACE, szTitle, MB_ICONINFORMATION, chDrive, lFree, (long)uNeeded);
        return;
    }
    if (_chdrive(chDrive - 96) != 0 || !EnterOrCreate(szWork)) {
        DestMessage(hDlg, STR_MKDIRFAIL, MB_ICONINFORMATION, szWork);
        return;
    }
    StoreText(szPath, sizeof(szPath), szWork);
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

INT_PTR CALLBACK DestDirDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        OnDestInit(hDlg);
        return TRUE;
    case WM_COMMAND:
        return OnDestCommand(hDlg, wParam);
    }
    return FALSE;
}

int RunDestDirDialog(HWND hwndOwner)
{
    INT_PTR nResult = DialogBoxParamA(hInst, MAKEINTRESOURCEA(IDD_DESTDIR), hwndOwner, DestDirDlgProc, 0);
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
