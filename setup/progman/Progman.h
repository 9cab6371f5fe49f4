/*
 * Progman.h - the Program Manager DDE client and the program group step.
 *
 * The backdrop window calls ProgmanStart when it is created and ProgmanStop
 * when it is destroyed; in between every command is a conversation of its
 * own: connect, one execute transaction, disconnect.
 */
#ifndef PROGMAN_H
#define PROGMAN_H

#include <windows.h>
#include <ddeml.h>
#include "ProgmanText.h"

#define PMTIMEOUT 3000          /* ms an execute may take before it fails */

extern DWORD idDdeInst;         /* DDE instance; 0 while stopped */
extern HSZ hszProgman;          /* "PROGMAN", service and topic; null while stopped */

/* Starts the client-only DDE instance. Returns 1 when it can send commands,
 * 0 when starting failed (every command then returns 0 at once). */
int ProgmanStart(void);

/* Releases the string handle and the instance. Both globals go back to
 * their stopped values, so a second call, or a command sent afterwards,
 * touches no released handle. */
void ProgmanStop(void);

/* Sends command nCommand (PMCMD_*) filled with the arguments its template
 * names; the others may be null. Returns 1 when Program Manager accepted
 * it; 0 when the client is stopped, the text does not fit MAXPMCMD (then
 * nothing is sent), nobody answers, the command is refused or no answer
 * came within PMTIMEOUT. */
int ProgmanExecute(LPCSTR lpszGroup, LPCSTR lpszItemName, LPCSTR lpszItemCmdLine,
                   int nCommand);

int ProgmanCreateGroup(LPCSTR lpszGroup);
int ProgmanShowGroup(LPCSTR lpszGroup);
int ProgmanDeleteGroup(LPCSTR lpszGroup);
int ProgmanReload(LPCSTR lpszGroup);
/* Item commands act on Program Manager's active group; lpszGroup is not
 * sent. */
int ProgmanAddItem(LPCSTR lpszGroup, LPCSTR lpszItemName, LPCSTR lpszItemCmdLine);
int ProgmanDeleteItem(LPCSTR lpszGroup, LPCSTR lpszItemName);

/* The client takes part in no transaction started by another party. */
HDDEDATA CALLBACK ProgmanCallback(UINT uType, UINT uFmt, HCONV hConv, HSZ hsz1, HSZ hsz2,
                                  HDDEDATA hData, ULONG_PTR dwData1, ULONG_PTR dwData2);

/* The program group step: creates and shows the script's group, then for
 * each item deletes it and adds it again, 2 + 2n commands in that order.
 * The results are not consulted; returns 1. */
int BuildProgramGroup(HWND hwnd);

#endif
