/*
 * Launcher.cpp - the launcher's entry: its own file read, the payload
 * checked before anything is written, a new folder under the temporary
 * folder, the files unpacked with a progress window, SETUP.EXE run there
 * and waited for, the folder removed (or its removal left to the next
 * restart). Every failure is one message box; the exit code is 0.
 */
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>
#include "Launcher.h"
#include "LauncherRes.h"

static HINSTANCE hInst;
static char szTitle[PAYLOAD_TITLE_MAX + 1];
static UNPACK theUnpack;        /* large: kept off the stack */

/* One message box: the string table's text with an optional path in it. */
static void LaunchMessage(UINT idText, const WCHAR *lpszPath)
{
    char szFormat[256], szPath[MAX_PATH * 2], szText[512];
    if (!LoadStringA(hInst, idText, szFormat, sizeof(szFormat)))
        lstrcpynA(szFormat, "?", sizeof(szFormat));
    if (!lpszPath || !WideCharToMultiByte(CP_ACP, 0, lpszPath, -1, szPath, sizeof(szPath), NULL, NULL))
        szPath[0] = '\0';
    wnsprintfA(szText, sizeof(szText), szFormat, szPath);
    MessageBoxA(NULL, szText, szTitle, MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
}

static INT_PTR CALLBACK UnpackDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(hDlg, szTitle);
        SendDlgItemMessageA(hDlg, IDC_UNPACK_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        return TRUE;
    case WM_CLOSE:
        /* Unpacking cannot be stopped half-way; the window stays. */
        return TRUE;
    }
    return FALSE;
}

void ShowUnpackProgress(UNPACK *pUnpack)
{
    MSG msg;
    if (!pUnpack->hwndProgress || pUnpack->cbAll == 0)
        return;
    WPARAM nPercent = (WPARAM)(pUnpack->cbDone * 100 / pUnpack->cbAll);
    SendDlgItemMessageA(pUnpack->hwndProgress, IDC_UNPACK_BAR, PBM_SETPOS, nPercent, 0);
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        if (!IsDialogMessageA(pUnpack->hwndProgress, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
}

/* Removes a folder and all it holds; what cannot go now is left for the
 * system to remove at the next restart. */
static void RemoveTree(const WCHAR *lpszDir)
{
    WCHAR szPattern[MAX_PATH], szPath[MAX_PATH];
    WIN32_FIND_DATAW fd;
    wnsprintfW(szPattern, MAX_PATH, L"%s\\*", lpszDir);
    HANDLE hFind = FindFirstFileW(szPattern, &fd);
    for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileW(hFind, &fd)) {
        if (lstrcmpW(fd.cFileName, L".") == 0 || lstrcmpW(fd.cFileName, L"..") == 0)
            continue;
        wnsprintfW(szPath, MAX_PATH, L"%s\\%s", lpszDir, fd.cFileName);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(szPath);
            continue;
        }
        SetFileAttributesW(szPath, FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(szPath))
            MoveFileExW(szPath, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    if (hFind != INVALID_HANDLE_VALUE)
        FindClose(hFind);
    if (!RemoveDirectoryW(lpszDir))
        MoveFileExW(lpszDir, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
}

/* A new folder of this launcher's own under the temporary folder: made
 * with one call that fails when the name exists, so two launchers never
 * share one. FALSE with the last name tried in pUnpack->szDir. */
static BOOL MakeOwnFolder(UNPACK *pUnpack)
{
    WCHAR szTemp[MAX_PATH];
    DWORD cchTemp = GetTempPathW(MAX_PATH, szTemp);
    if (cchTemp == 0 || cchTemp > MAX_PATH - 32) {
        lstrcpynW(pUnpack->szDir, cchTemp ? L"%TEMP%" : szTemp, MAX_PATH);
        return FALSE;
    }
    DWORD dwSeed = GetCurrentProcessId() << 12 ^ GetTickCount();
    for (DWORD i = 0; i < 1000; i++) {
        wnsprintfW(pUnpack->szDir, MAX_PATH, L"%sSETUP%06lX.TMP", szTemp, (dwSeed + i) & 0xFFFFFF);
        if (CreateDirectoryW(pUnpack->szDir, NULL))
            return TRUE;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return FALSE;
    }
    return FALSE;
}

/* The payload's bytes: the launcher's own file mapped for reading. */
static const BYTE *MapOwnFile(DWORD *pcb, WCHAR *lpszSelf)
{
    const BYTE *pb = NULL;
    if (!GetModuleFileNameW(NULL, lpszSelf, MAX_PATH))
        return NULL;
    HANDLE hFile = CreateFileW(lpszSelf, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0,
                               NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return NULL;
    *pcb = GetFileSize(hFile, NULL);
    HANDLE hMap = *pcb != INVALID_FILE_SIZE ? CreateFileMappingW(hFile, NULL, PAGE_READONLY, 0, 0, NULL) : NULL;
    if (hMap) {
        pb = (const BYTE *)MapViewOfFile(hMap, FILE_MAP_READ, 0, 0, 0);
        CloseHandle(hMap);
    }
    CloseHandle(hFile);
    return pb;
}

/* Runs SETUP.EXE of the folder, with the folder as its current one, and
 * waits for it to end. */
static BOOL RunSetup(const WCHAR *lpszDir, WCHAR *lpszSetup)
{
    WCHAR szCommand[MAX_PATH + 2];
    STARTUPINFOW si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    wnsprintfW(lpszSetup, MAX_PATH, L"%s\\SETUP.EXE", lpszDir);
    wnsprintfW(szCommand, MAX_PATH + 2, L"\"%s\"", lpszSetup);
    if (!CreateProcessW(lpszSetup, szCommand, NULL, NULL, FALSE, 0, NULL, lpszDir, &si, &pi))
        return FALSE;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return TRUE;
}

/* The message of a payload that FindPayload refuses. */
static UINT PayloadMessage(int nResult)
{
    return nResult == PAYLOAD_MISSING ? IDS_ERR_CUT : IDS_ERR_DAMAGED;
}

/* The message of a failed unpack. */
static UINT UnpackMessage(const UNPACK *pUnpack)
{
    switch (pUnpack->nCause) {
    case LAUNCH_DISKFULL:
        return IDS_ERR_DISKFULL;
    case LAUNCH_WRITE:
        return IDS_ERR_WRITE;
    default:
        return IDS_ERR_DAMAGED;
    }
}

/* Unpacks the checked payload into a folder of its own, runs SETUP.EXE
 * and removes the folder. */
static void Launch(const BYTE *pbFile, const PAYLOAD *pPayload, UNPACK *pUnpack)
{
    WCHAR szTemp[MAX_PATH], szSetup[MAX_PATH];
    ULARGE_INTEGER cbFree;
    pUnpack->pbCabinet = pbFile + pPayload->ibCabinet;
    pUnpack->cbCabinet = (DWORD)pPayload->cbCabinet;
    pUnpack->cbAll = pPayload->cbUnpacked;
    if (GetTempPathW(MAX_PATH, szTemp) && GetDiskFreeSpaceExW(szTemp, &cbFree, NULL, NULL) &&
        cbFree.QuadPart < pPayload->cbUnpacked) {
        LaunchMessage(IDS_ERR_DISKFULL, szTemp);
        return;
    }
    if (!MakeOwnFolder(pUnpack)) {
        LaunchMessage(IDS_ERR_TEMPDIR, pUnpack->szDir);
        return;
    }
    pUnpack->hwndProgress = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_UNPACK), NULL, UnpackDlgProc, 0);
    ShowUnpackProgress(pUnpack);
    BOOL bUnpacked = UnpackCabinet(pUnpack);
    if (pUnpack->hwndProgress)
        DestroyWindow(pUnpack->hwndProgress);
    pUnpack->hwndProgress = NULL;
    if (!bUnpacked)
        LaunchMessage(UnpackMessage(pUnpack), pUnpack->nCause == LAUNCH_DISKFULL ? pUnpack->szDir
                                                                                  : pUnpack->szFailed);
    else if (!RunSetup(pUnpack->szDir, szSetup))
        LaunchMessage(IDS_ERR_RUN, szSetup);
    RemoveTree(pUnpack->szDir);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nCmdShow;
    WCHAR szSelf[MAX_PATH] = L"";
    PAYLOAD payload;
    DWORD cbFile = 0;
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_PROGRESS_CLASS };
    hInst = hInstance;
    InitCommonControlsEx(&icc);
    LoadStringA(hInst, IDS_TITLE, szTitle, sizeof(szTitle));
    const BYTE *pbFile = MapOwnFile(&cbFile, szSelf);
    if (!pbFile) {
        LaunchMessage(IDS_ERR_SELF, szSelf);
        return 0;
    }
    int nResult = FindPayload(pbFile, cbFile, &payload);
    if (nResult != PAYLOAD_OK)
        LaunchMessage(PayloadMessage(nResult), NULL);
    else {
        if (payload.szTitle[0])
            lstrcpynA(szTitle, payload.szTitle, sizeof(szTitle));
        Launch(pbFile, &payload, &theUnpack);
    }
    UnmapViewOfFile(pbFile);
    return 0;
}
