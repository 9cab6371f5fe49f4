/*
 * SetupDriver.h - runs SETUP.EXE as a user would, for Win32 tests under
 * Wine: lays out a distribution folder, starts the program, finds its
 * windows and message boxes, reads them, presses buttons, types, picks
 * list entries, and waits for the end. Every wait has a time limit and a
 * run that outlives its test is killed, so a hung program fails fast.
 */
#ifndef SETUPDRIVER_H
#define SETUPDRIVER_H

#include <windows.h>
#include <string>
#include <vector>
#include "DibPixels.h"

#define DRIVER_TIMEOUT   10000      /* ms, default for every wait */
#define EXIT_TIMED_OUT   0xDEAD     /* WaitExit's answer when the program hung */

/* A wide text in the ANSI code page (936): tests write Chinese as L"". */
std::string Gbk(const wchar_t *lpwsz);

/* The folder of the running test program, with its backslash. */
std::string TestProgramFolder();

/* Deletes folder dir (ending in a backslash) with everything in it;
 * copies folder src into dst, made when missing. */
void RemoveTree(const std::string &dir);
void CopyTree(const std::string &src, const std::string &dst);

/* A whole file's bytes, or "(missing)" when it cannot be read. */
std::string ReadWholeFile(const std::string &path);
/* Writes a whole file (made or emptied first); false when it cannot. */
bool WriteWholeFile(const std::string &path, const std::string &bytes);
bool FileExists(const std::string &path);

/* The prefix's Start Menu programs folder, where Program Manager groups
 * live, with its backslash. */
std::string ProgramsFolder();

/* The shortcuts of a program group: each item's name and the path it
 * points at (both in code page 936), sorted by name. */
struct GROUPITEM {
    std::string name;
    std::string target;
    std::string args;
};
std::vector<GROUPITEM> GroupItems(const std::string &group);

/* Wine's Program Manager opens a folder window for a group it creates or
 * shows (one or two, not always). They are closed as they come, until
 * none has come for a while, so that nothing later meets them. TRUE when
 * none is left. */
bool CloseGroupWindows(const std::string &group);

/* Text of a window of any process (WM_GETTEXT, ANSI, with a time limit). */
std::string WindowText(HWND hwnd);
/* The same as UTF-16 (WM_GETTEXT, wide): what the user reads, whatever the
 * code page of the test program. */
std::wstring WindowTextW(HWND hwnd);
std::string ClassName(HWND hwnd);
RECT WindowRect(HWND hwnd);

/* "left,top WIDTHxHEIGHT" of a window, and of a cx by cy one centred on
 * the screen: compared as texts, a wrong place shows whole. */
std::string PlaceText(HWND hwnd);
std::string CentredPlaceText(int cx, int cy);

/* Entries of a list box or combo box of another process, in code page 936
 * (read with the wide calls: the ANSI ones come back unconverted). */
std::vector<std::string> ListItems(HWND hwndList);
int ListSelection(HWND hwndList);

/* Writes a 24-bit BMP of the whole screen, for a person to look at;
 * scripts/test.sh turns every BMP of build/win/screenshots into a PNG. */
bool SaveScreenshot(const std::string &name);
/* The same into folder dir (ending in a backslash). */
bool SaveScreenshotIn(const std::string &dir, const std::string &name);

/* DLLs planted beside a program, as a download may plant them: the
 * marking DLL (planted.dll) copied into dir under each name the shipped
 * programs load beyond the KnownDLLs; the names whose mark (NAME.loaded)
 * is in dir, each mark removed; and the control, the names that an
 * unguarded program in dir loads by the default search. Wine loads them
 * in Windows' order only as scripts/wine-env.sh sets it up. */
bool PlantDlls(const std::string &dir);
std::vector<std::string> TakeMarks(const std::string &dir);
std::vector<std::string> LoadedByDefaultSearch(const std::string &dir);

/* The colour of one screen pixel. */
COLORREF ScreenPixel(int x, int y);

class SetupRun {
public:
    /* A fresh distribution folder beside the test program holding a copy
     * of SETUP.EXE; root, when given, is used instead (a drive root). */
    explicit SetupRun(const std::string &root = "", bool bCopySetup = true);
    ~SetupRun();

    const std::string &Dir() const { return m_dir; }
    void WriteFile(const std::string &relPath, const std::string &bytes);
    void WriteScript(const std::string &bytes) { WriteFile("SETUP.INF", bytes); }
    void MakeDir(const std::string &relPath);

    bool Start();
    /* Drives a SETUP.EXE that another program started (a one-file
     * distribution's launcher) instead of starting one. */
    bool Attach(DWORD dwProcessId);
    DWORD ProcessId() const { return m_pi.dwProcessId; }
    HANDLE MainThread() const { return m_pi.hThread; }

    /* A visible top-level window of the program whose class and caption
     * match (NULL matches any), or NULL after the time limit. */
    HWND WaitWindow(LPCSTR lpszClass, LPCSTR lpszCaption, DWORD dwMs = DRIVER_TIMEOUT);
    /* Waits until no such window is left. */
    bool WaitGone(LPCSTR lpszClass, LPCSTR lpszCaption, DWORD dwMs = DRIVER_TIMEOUT);
    /* A message box of the program (a dialog with a static 0xFFFF). */
    HWND WaitMessageBox(DWORD dwMs = DRIVER_TIMEOUT);
    /* Every visible top-level window of the program now (or every one,
     * hidden ones too). */
    std::vector<HWND> Windows(bool bHiddenToo = false);
    /* A dialog of the program holding control nId, visible or not. */
    HWND WaitDialogWith(int nId, DWORD dwMs = DRIVER_TIMEOUT);

    /* The steps of an installation as a user takes them. Each waits for
     * its window and acts on it; the window, or NULL after the time limit.
     *   AcceptWelcome        the welcome dialog of app lpszApp: Install
     *   WaitDestDialog       the destination dialog, as it opens
     *   ConfirmDestination   that dialog: lpszPath typed (NULL keeps the
     *                        default), then OK */
    HWND AcceptWelcome(LPCSTR lpszApp, DWORD dwMs = DRIVER_TIMEOUT);
    HWND WaitDestDialog(DWORD dwMs = DRIVER_TIMEOUT);
    HWND ConfirmDestination(LPCSTR lpszPath = NULL, DWORD dwMs = DRIVER_TIMEOUT);
    /* A message box of the program answered with button nButton: its text,
     * or "(no box)" after the time limit. */
    std::string AnswerBox(int nButton, DWORD dwMs = DRIVER_TIMEOUT);
    /* The box that ends the installation: its text ("(no box)" after the
     * time limit); then OK, and the exit code into *pdwExit when given. */
    std::string FinalMessage(DWORD dwMs = 30000, DWORD *pdwExit = NULL);

    /* Ends the program: the exit code, or EXIT_TIMED_OUT after killing it. */
    DWORD WaitExit(DWORD dwMs = DRIVER_TIMEOUT);
    bool Running();

private:
    std::string m_dir;
    bool m_bOwnDir;
    PROCESS_INFORMATION m_pi;
};

/* A message sent to a window of the program, answered when the program
 * next reads its queue; -1 when it does not answer in time. */
LRESULT SendTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD dwMs = 5000);

/* The process that dwParent started, or 0 after dwMs. */
DWORD ChildProcess(DWORD dwParent, DWORD dwMs);

/* A message box: a dialog of only a text, an icon and buttons. */
bool IsMessageBox(HWND hwnd);

/* The text of a message box. */
std::string BoxText(HWND hwndBox);

/* Presses a button of a dialog or message box. The click is posted, so a
 * box the click opens does not block the test. */
void PressButton(HWND hDlg, int nId);

/* Types into an edit control: the text is set and the dialog is told, as
 * it would be by the keyboard (EN_CHANGE). */
void TypeText(HWND hDlg, int nId, const std::string &text);

/* Picks entry nIndex of a list box (or combo box), with the selection
 * change notification; bDouble adds the double click. */
void PickListItem(HWND hDlg, int nId, int nIndex, bool bDouble = false);
void PickComboItem(HWND hDlg, int nId, int nIndex);

/* Waits until fn() is true or the time runs out, asking every dwPoll ms. */
template <typename F> bool WaitFor(F fn, DWORD dwMs = DRIVER_TIMEOUT, DWORD dwPoll = 20)
{
    DWORD dwEnd = GetTickCount() + dwMs;
    for (;;) {
        if (fn())
            return true;
        if ((LONG)(GetTickCount() - dwEnd) >= 0)
            return false;
        Sleep(dwPoll);
    }
}

#endif
