/*
 * Launcher.cpp - the launcher's entry: its own file read, the payload
 * checked before anything is written, a new folder of its own under the
 * temporary folder, the files unpacked with a progress window, SETUP.EXE
 * run there and waited for, what was unpacked removed. Every failure is
 * one message box and an exit code of its own; once SETUP.EXE ran, its
 * exit code is the launcher's. Texts go through the wide interface, so
 * they read right under any ANSI code page.
 */
#include <windows.h>
#include <sddl.h>
#include <shlwapi.h>
#include "Launcher.h"
#include "LauncherRes.h"
#include "SystemDll.h"

static HINSTANCE hInst;
static WCHAR szTitle[PAYLOAD_TITLE_MAX + 1];
static UNPACK theUnpack;        /* large: kept off the stack */

/* One message box: the string table's text with an optional path in it. */
static void LaunchMessage(UINT idText, const WCHAR *lpszPath)
{
    WCHAR szFormat[256], szText[512];
    if (!LoadStringW(hInst, idText, szFormat, 256))
        lstrcpynW(szFormat, L"?", 256);
    wnsprintfW(szText, 512, szFormat, lpszPath ? lpszPath : L"");
    MessageBoxW(NULL, szText, szTitle, MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
}

/* A security descriptor that lets in the user, SYSTEM and Administrators
 * only, not inherited from the temporary folder. FALSE when the system
 * cannot make one; the folder then takes the temporary folder's. */
static BOOL MakeOwnSecurity(SECURITY_ATTRIBUTES *pSecurity)
{
    union {
        TOKEN_USER user;
        BYTE ab[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
    } token;
    WCHAR szSddl[256];
    LPWSTR lpszSid = NULL;
    HANDLE hToken;
    DWORD cb;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return FALSE;
    BOOL bOk = GetTokenInformation(hToken, TokenUser, &token, sizeof(token), &cb) &&
               ConvertSidToStringSidW(token.user.User.Sid, &lpszSid);
    CloseHandle(hToken);
    if (!bOk)
        return FALSE;
    wnsprintfW(szSddl, 256, L"D:P(A;OICI;FA;;;%s)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", lpszSid);
    LocalFree(lpszSid);
    pSecurity->nLength = sizeof(*pSecurity);
    pSecurity->bInheritHandle = FALSE;
    return ConvertStringSecurityDescriptorToSecurityDescriptorW(szSddl, SDDL_REVISION_1,
                                                                &pSecurity->lpSecurityDescriptor, NULL);
}

/* A new folder of this launcher's own under the temporary folder: made
 * with one call that fails when the name exists, so two launchers never
 * share one. FALSE with the last name tried in pUnpack->szDir. */
static BOOL MakeOwnFolder(UNPACK *pUnpack)
{
    WCHAR szTemp[MAX_PATH];
    DWORD cchTemp = GetTempPathW(MAX_PATH, szTemp);
    if (cchTemp == 0 || cchTemp > MAX_PATH - 32) {
        /* A path too long for the buffer was not written into it. */
        lstrcpynW(pUnpack->szDir, cchTemp && cchTemp < MAX_PATH ? szTemp : L"%TEMP%", MAX_PATH);
        return FALSE;
    }
    DWORD dwSeed = GetCurrentProcessId() << 12 ^ GetTickCount();
    for (DWORD i = 0; i < 1000; i++) {
        wnsprintfW(pUnpack->szDir, MAX_PATH, L"%sSETUP%06lX.TMP", szTemp, (dwSeed + i) & 0xFFFFFF);
        if (MakeFolder(pUnpack, NULL, pUnpack->szDir, pUnpack->pSecurity))
            return TRUE;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return FALSE;
    }
    return FALSE;
}

/* TRUE when SETUP.EXE can work from lpszDir: the folder with its
 * backslash fits its 127 bytes in the ANSI code page, without a character
 * lost (it reads its own path and SETUP.INF's through that page). */
static BOOL FitsSetup(const WCHAR *lpszDir)
{
    char sz[127];
    BOOL bLost = FALSE;
    BOOL bUtf8 = GetACP() == CP_UTF8;   /* no lost characters to report */
    int cb = WideCharToMultiByte(CP_ACP, bUtf8 ? 0 : WC_NO_BEST_FIT_CHARS, lpszDir, -1, sz, sizeof(sz), NULL,
                                 bUtf8 ? NULL : &bLost);
    return cb > 0 && !bLost;
}

/* The folder SETUP.EXE is run from: the one made, or its short (8.3)
 * path when only that fits. FALSE when neither does. */
static BOOL FindRunFolder(const WCHAR *lpszDir, WCHAR *lpszRun)
{
    lstrcpynW(lpszRun, lpszDir, MAX_PATH);
    if (FitsSetup(lpszRun))
        return TRUE;
    DWORD cch = GetShortPathNameW(lpszDir, lpszRun, MAX_PATH);
    return cch > 0 && cch < MAX_PATH && FitsSetup(lpszRun);
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
 * waits for it to end. FALSE when it cannot be started; else its exit
 * code in *pdwExit. */
static BOOL RunSetup(const WCHAR *lpszDir, WCHAR *lpszSetup, DWORD *pdwExit)
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
    if (!GetExitCodeProcess(pi.hProcess, pdwExit))
        *pdwExit = LAUNCH_EXIT_NOSTART;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return TRUE;
}

/* The message and exit code of a failed unpack. */
static DWORD UnpackFailure(const UNPACK *pUnpack)
{
    switch (pUnpack->nCause) {
    case LAUNCH_DISKFULL:
        LaunchMessage(IDS_ERR_DISKFULL, pUnpack->szDir);
        return LAUNCH_EXIT_DISKFULL;
    case LAUNCH_WRITE:
        LaunchMessage(IDS_ERR_WRITE, pUnpack->szFailed);
        return LAUNCH_EXIT_WRITE;
    default:
        LaunchMessage(IDS_ERR_DAMAGED, NULL);
        return LAUNCH_EXIT_DAMAGED;
    }
}

/* Unpacks the checked payload into a folder of its own, runs SETUP.EXE
 * and removes what it unpacked. Returns the exit code. */
static DWORD Launch(const BYTE *pbFile, const PAYLOAD *pPayload, UNPACK *pUnpack)
{
    WCHAR szTemp[MAX_PATH], szRun[MAX_PATH], szSetup[MAX_PATH];
    ULARGE_INTEGER cbFree;
    DWORD dwExit;
    pUnpack->pbCabinet = pbFile + pPayload->ibCabinet;
    pUnpack->cbCabinet = (DWORD)pPayload->cbCabinet;
    pUnpack->cbAll = pPayload->cbUnpacked;
    if (GetTempPathW(MAX_PATH, szTemp) && GetDiskFreeSpaceExW(szTemp, &cbFree, NULL, NULL) &&
        cbFree.QuadPart < pPayload->cbUnpacked) {
        LaunchMessage(IDS_ERR_DISKFULL, szTemp);
        return LAUNCH_EXIT_DISKFULL;
    }
    if (!MakeOwnFolder(pUnpack)) {
        LaunchMessage(IDS_ERR_TEMPDIR, pUnpack->szDir);
        return LAUNCH_EXIT_WRITE;
    }
    if (!FindRunFolder(pUnpack->szDir, szRun)) {
        LaunchMessage(IDS_ERR_TEMPPATH, pUnpack->szDir);
        RemoveMade(pUnpack);
        return LAUNCH_EXIT_NOSTART;
    }
    pUnpack->hwndProgress = OpenUnpackProgress(hInst, szTitle);
    ShowUnpackProgress(pUnpack);
    BOOL bUnpacked = UnpackCabinet(pUnpack);
    if (pUnpack->hwndProgress)
        DestroyWindow(pUnpack->hwndProgress);
    pUnpack->hwndProgress = NULL;
    if (!bUnpacked) {
        dwExit = UnpackFailure(pUnpack);
    } else if (!RunSetup(szRun, szSetup, &dwExit)) {
        LaunchMessage(IDS_ERR_RUN, szSetup);
        dwExit = LAUNCH_EXIT_NOSTART;
    }
    RemoveMade(pUnpack);
    return dwExit;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nCmdShow;
    WCHAR szSelf[MAX_PATH] = L"";
    SECURITY_ATTRIBUTES security;
    PAYLOAD payload;
    DWORD cbFile = 0, dwExit;
    RestrictDllSearch();
    hInst = hInstance;
    InitProgressClass();
    LoadStringW(hInst, IDS_TITLE, szTitle, PAYLOAD_TITLE_MAX + 1);
    const BYTE *pbFile = MapOwnFile(&cbFile, szSelf);
    if (!pbFile) {
        LaunchMessage(IDS_ERR_SELF, szSelf);
        return LAUNCH_EXIT_DAMAGED;
    }
    int nResult = FindPayload(pbFile, cbFile, &payload);
    if (nResult != PAYLOAD_OK) {
        LaunchMessage(nResult == PAYLOAD_MISSING ? IDS_ERR_CUT : IDS_ERR_DAMAGED, NULL);
        dwExit = LAUNCH_EXIT_DAMAGED;
    } else {
        /* The title is the script's, in code page 936 whatever the system's. */
        if (payload.szTitle[0])
            MultiByteToWideChar(936, 0, payload.szTitle, -1, szTitle, PAYLOAD_TITLE_MAX + 1);
        theUnpack.pSecurity = MakeOwnSecurity(&security) ? &security : NULL;
        dwExit = Launch(pbFile, &payload, &theUnpack);
        if (theUnpack.pSecurity)
            LocalFree(security.lpSecurityDescriptor);
    }
    UnmapViewOfFile(pbFile);
    return (int)dwExit;
}
