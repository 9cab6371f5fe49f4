/*
 * Setupdlg.h - the dialogs of the installation steps. Each Run function
 * takes the backdrop window as owner and returns 1 to go on, 0 to stop.
 */
#ifndef SETUPDLG_H
#define SETUPDLG_H

#include <windows.h>

/* Welcome picture with Install and Exit. */
int RunWelcomeDialog(HWND hwndOwner);
INT_PTR CALLBACK WelcomeDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
void LayoutWelcomeDlg(HWND hDlg);

/* Destination folder: sets szDestDir (with its backslash) on OK. */
int RunDestDirDialog(HWND hwndOwner);
INT_PTR CALLBACK DestDirDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
void ListWorkingPath(HWND hDlg);

/* Free space of drive chDrive's root in K; 0 when it cannot be read. */
unsigned long long GetDiskFreeK(char chDrive);

/* The copy step: progress dialog, destination folders, file copy. */
int RunCopyStep(HWND hwndOwner);
int CreateDestDirs(HWND hDlg);
INT_PTR CALLBACK ProgressDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
void LayoutProgressDlg(HWND hDlg);
int CopyFiles(HWND hDlg);
/* Before anything is written: every destination file that exists is
 * opened for writing alone; the first that a program holds is named, with
 * Retry and Cancel. 0 when the user cancels. */
int CheckFilesInUse(HWND hwndOwner);
int CopyOneFile(LPCSTR lpszSrcFolder, LPCSTR lpszSrcName, LPCSTR lpszDstFolder, LPCSTR lpszDstName);

/* Shared by the welcome and progress dialogs: their 400 x 400 place at
 * the screen's centre; the picture in a framed control (the WM_PAINT
 * answer: FALSE, nothing done, when the dialog lacks that control). */
void PlaceDialog400(HWND hDlg, BOOL bRepaint);
BOOL PaintDialogPicture(HWND hDlg, int nIdPicture, HBITMAP hbm);

/* Shared by the work loops: the queue drain between items; the Cancel
 * button (hwndCancel, the dialog's IDCANCEL, looked up once per loop) as
 * the cancel flag (a dialog gone counts as a cancel). */
void DrainMessageQueue(void);
BOOL IsCancelRequested(HWND hDlg, HWND hwndCancel);

/* The progress dialog's label and meter paint at most every
 * PAINTINTERVAL ms while held: under Wine a paint costs more than copying
 * a small file. Releasing them paints what they hold at once. */
#define PAINTINTERVAL 50
void HoldProgressPaint(HWND hDlg, BOOL bHold);

/* The folder becomes the current folder, made (one level) if need be;
 * FALSE when it can be neither entered nor made and entered. */
BOOL EnterOrMakeFolder(LPCSTR lpszDir);

#endif
