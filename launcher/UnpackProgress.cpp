/*
 * UnpackProgress.cpp - the window that shows how far the unpacking is:
 * the progress bar's class, the window opened with the application's
 * title, and the share of bytes done shown while FDI writes. It calls
 * no other file of the launcher.
 */
#include <windows.h>
#include <commctrl.h>
#include "Launcher.h"
#include "LauncherRes.h"
#include "SystemDll.h"

/* lParam of WM_INITDIALOG: the caption. */
static INT_PTR CALLBACK UnpackDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextW(hDlg, (const WCHAR *)lParam);
        SendDlgItemMessageW(hDlg, IDC_UNPACK_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        return TRUE;
    case WM_CLOSE:
        /* Unpacking cannot be stopped half-way; the window stays. */
        return TRUE;
    }
    return FALSE;
}

/* The progress bar's window class, from the system folder's comctl32
 * (not a KnownDLL). Without it the window is left out. */
void InitProgressClass(void)
{
    typedef decltype(&InitCommonControlsEx) INITCOMMONCONTROLSEX_FN;
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_PROGRESS_CLASS };
    HMODULE hComctl = LoadSystemDll(L"comctl32.dll");
    INITCOMMONCONTROLSEX_FN pfnInit =
        hComctl ? (INITCOMMONCONTROLSEX_FN)(void (*)(void))GetProcAddress(hComctl, "InitCommonControlsEx") : NULL;
    if (pfnInit)
        pfnInit(&icc);
}

HWND OpenUnpackProgress(HINSTANCE hInstance, const WCHAR *lpszTitle)
{
    return CreateDialogParamW(hInstance, MAKEINTRESOURCEW(IDD_UNPACK), NULL, UnpackDlgProc, (LPARAM)lpszTitle);
}

void ShowUnpackProgress(UNPACK *pUnpack)
{
    MSG msg;
    if (!pUnpack->hwndProgress || pUnpack->cbAll == 0)
        return;
    WPARAM nPercent = (WPARAM)(pUnpack->cbDone * 100 / pUnpack->cbAll);
    SendDlgItemMessageW(pUnpack->hwndProgress, IDC_UNPACK_BAR, PBM_SETPOS, nPercent, 0);
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
        if (!IsDialogMessageW(pUnpack->hwndProgress, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
}
