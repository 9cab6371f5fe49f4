/*
 * ProgmanPeers.h - the Program Manager peers of the DDE client tests: a
 * server of the test's own that records the bytes of every execute, and
 * Wine's own Program Manager, which the tests hide and bring back.
 */
#ifndef PROGMANPEERS_H
#define PROGMANPEERS_H

#include <windows.h>
#include <ddeml.h>
#include <string>
#include <vector>

/* How the test's server answers an execute (srv.nAnswer). */
#define ANSWER_ACK    0
#define ANSWER_REFUSE 1
#define ANSWER_SLOW   2         /* acknowledges after SLOW_MS */
#define SLOW_MS       3500

typedef struct tagRECORDINGSERVER {
    CRITICAL_SECTION cs;
    std::vector<std::string> commands;  /* every execute's bytes, in order */
    volatile LONG cConnects, cDisconnects, nAnswer;
    DWORD idInst;
    HSZ hszName;
    HANDLE hThread, hReady;
    DWORD idThread;
    bool bRegistered;
} RECORDINGSERVER;

extern RECORDINGSERVER srv;

/* The commands the test's server has received so far. */
std::vector<std::string> Commands();

/* A command as it must arrive: its text and the terminating zero. */
std::string Sent(const std::string &text);

/* Every conversation opened so far has been closed again. */
bool AllClosed();

/* Wine's Program Manager is running (asking for it starts it). */
bool WineProgmanRunning();
void SetWineProgmanReachable(bool bReachable);

/* Between these two only the test's server answers "PROGMAN". */
bool OwnServerOnly();
void WineServerBack();

/* The client's DdeDisconnect calls with no conversation, its
 * DdeFreeDataHandle calls, and when the last DdeDisconnect was called;
 * counted from the first CountDdeCalls on. */
extern volatile LONG cNullDisconnects, cDataFreed;
extern volatile DWORD dwDisconnectTick;
bool CountDdeCalls();

#endif
