/*
 * Shell.cpp - start-up and the backdrop window: finds the program's folder,
 * reads SETUP.INF behind the please-wait dialog, and creates the
 * full-screen backdrop that carries the whole installation and owns the
 * palette, the bitmaps and the Program Manager client.
 */
#include <windows.h>
#include "Setupinf.h"
#include "SetupinfOs.h"
#include "resource.h"
#include "Shell.h"
#include "Dib.h"
#include "meter.h"
#include "Progman.h"

HWND hwndBackdrop;
int bStartPending = 1;

/* The backdrop's tile and its size in pixels. */
static HBITMAP hbmBack;
static int cxBack, cyBack;

static LRESULT CALLBACK BackdropWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

static INT_PTR CALLBACK SplashDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        CenterDialog(hDlg);
        UpdateWindow(hDlg);
        return TRUE;
    }
    return FALSE;
}

/* Reads the script beside the program; FALSE after telling the user. A
 * folder that does not fit szSourceDir cannot be installed from: it is
 * reported like a missing script, with its full path. */
static BOOL LoadScript(HINSTANCE hInstance)
{
    char szFolder[MAX_PATH];
    char szScript[MAX_PATH + 16];

    /* The same folder the reader's wildcard lines list. */
    if (!OsGetProgramFolder(hInstance, szFolder, sizeof(szFolder)))
        szFolder[0] = '\0';
    BOOL bFits = szFolder[0] && StoreText(szSourceDir, sizeof(szSourceDir), szFolder);
    if (!bFits)
        szSourceDir[0] = '\0';
    lstrcpynA(szDestDir, szSourceDir, sizeof(szDestDir));
    FormatText(szScript, sizeof(szScript), "%sSETUP.INF", szFolder);

    HWND hwndSplash = CreateDialogParamW(hInstance, MAKEINTRESOURCEW(IDD_SPLASH), NULL, SplashDlgProc, 0);
    /* It becomes visible only after WM_INITDIALOG, and nothing is
     * dispatched while the script is read: painted now, or its text
     * never shows. */
    if (hwndSplash)
        UpdateWindow(hwndSplash);
    UINT uResult = bFits ? theSetupInf.Load(szScript, hInstance) : LOAD_CANTOPEN;
    if (hwndSplash && IsWindow(hwndSplash))
        DestroyWindow(hwndSplash);

    if (uResult != LOAD_OK) {
        SetupMessageBox(hInstance, NULL, uResult == LOAD_NOMEMORY ? STR_NOMEMORY : STR_FILENOTFOUND,
                        NULL, 0, szScript);
        return FALSE;
    }
    return TRUE;
}

/* Names outside ASCII are code page 936 bytes; the system makes files
 * through its own page, so under another one they would be garbled names,
 * or not found. Such a script installs nothing there: FALSE after one
 * message in Chinese and English. */
static BOOL CheckCodePage(void)
{
    char szName[MAXTEXT];
    if (GetACP() == SCRIPT_CODEPAGE || !theSetupInf.FindNonAsciiName(szName))
        return TRUE;
    SetupMessageBox(hInst, NULL, STR_CODEPAGE, szTitle, MB_ICONSTOP, szName);
    return FALSE;
}

BOOL InitInstance(HINSTANCE hInstance)
{
    hInst = hInstance;
    if (!LoadScript(hInstance))
        return FALSE;
    theSetupInf.GetAppName(szTitle);
    if (!CheckCodePage() || !RegisterMeterClass(hInstance))
        return FALSE;

    WNDCLASSW wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = BackdropWndProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconW(NULL, MAKEINTRESOURCEW(32514));
    wc.hCursor = LoadCursorW(NULL, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = (HBRUSH)GetStockObject(NULL_BRUSH);
    wc.lpszClassName = BACKDROP_CLASS_W;
    /* A window of the wide interface: its caption, a text of the script,
     * reads right under any code page. */
    RegisterClassW(&wc);

    WCHAR szCaption[MAXTEXT];
    ScriptToWide(szTitle, szCaption, MAXTEXT);
    hwndBackdrop = CreateWindowExW(0, BACKDROP_CLASS_W, szCaption, WS_POPUP | WS_VISIBLE, 0, 0,
                                   GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                   NULL, NULL, hInstance, NULL);
    if (!hwndBackdrop)
        return FALSE;
    ShowWindow(hwndBackdrop, SW_SHOW);
    UpdateWindow(hwndBackdrop);
    return TRUE;
}

/* ---- the backdrop window ---- */

static void OnBackdropCreate(HWND hwnd)
{
    SetFocus(hwnd);
    hPalette = LoadBitmapPalette(hInst, "BACK");
    hbmBack = LoadDeviceBitmap(hwnd, hInst, "BACK");
    hbmSetup = LoadDeviceBitmap(hwnd, hInst, "SETUP");
    hbmStatus = LoadDeviceBitmap(hwnd, hInst, "STATUS");
    BITMAP bm;
    cxBack = cyBack = 0;
    if (hbmBack && GetObjectA(hbmBack, sizeof(bm), &bm)) {
        cxBack = bm.bmWidth;
        cyBack = bm.bmHeight;
    }
}

static void OnBackdropPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    HPALETTE hOldPal = SelectPalette(hdc, hPalette, FALSE);
    RealizePalette(hdc);
    if (cxBack && cyBack) {
        /* The tile as a brush covers the screen in one call, as many
         * copies of it side by side would. */
        RECT rc = { 0, 0, (GetSystemMetrics(SM_CXSCREEN) / cxBack + 1) * cxBack,
                    (GetSystemMetrics(SM_CYSCREEN) / cyBack + 1) * cyBack };
        HBRUSH hbr = CreatePatternBrush(hbmBack);
        FillRect(hdc, &rc, hbr);
        DeleteObject(hbr);
    }
    SelectPalette(hdc, hOldPal, FALSE);
    EndPaint(hwnd, &ps);
    if (bStartPending == 1)
        PostMessageA(hwnd, WM_COMMAND, STEP_WELCOME, 0);
}

static void RealizeBackdropPalette(HWND hwnd)
{
    HDC hdc = GetDC(hwnd);
    HPALETTE hOldPal = SelectPalette(hdc, hPalette, FALSE);
    RealizePalette(hdc);
    SelectPalette(hdc, hOldPal, FALSE);
    ReleaseDC(hwnd, hdc);
    InvalidateRect(hwnd, NULL, FALSE);
}

static void OnBackdropDestroy(void)
{
    DeleteObject(hPalette);
    DeleteObject(hbmBack);
    DeleteObject(hbmSetup);
    DeleteObject(hbmStatus);
    hPalette = NULL;
    hbmBack = hbmSetup = hbmStatus = NULL;
    ProgmanStop();
    UnregisterMeterClass(hInst);
    PostQuitMessage((int)uExitCode);
}

static LRESULT CALLBACK BackdropWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnBackdropCreate(hwnd);
        return 0;
    case WM_PAINT:
        OnBackdropPaint(hwnd);
        return 0;
    case WM_QUERYNEWPALETTE:
        RealizeBackdropPalette(hwnd);
        return 0;
    case WM_PALETTECHANGED:
        if ((HWND)wParam != hwnd)
            RealizeBackdropPalette(hwnd);
        return 0;
    case WM_COMMAND:
        RunInstallStep(hwnd, wParam);
        return 0;
    case WM_ENDSESSION:
        /* The session ends (the restart asked for, or the user logs
         * off): the system ends the program now, which ends it with the
         * code that says how far it came. */
        if (wParam)
            ExitProcess(uExitCode);
        return 0;
    case WM_DESTROY:
        OnBackdropDestroy();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
