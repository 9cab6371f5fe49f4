/*
 * ProgmanText.h - the texts the Program Manager client sends: the command
 * text of each DDE command and an item's command path. No Win32 call, so
 * the host build tests them.
 */
#ifndef PROGMANTEXT_H
#define PROGMANTEXT_H

#include "SetupCheck.h"
#include "SetupText.h"

/* Commands (nCommand) and their templates. */
#define PMCMD_CREATEGROUP 0     /* "[CreateGroup(%s)]"  group name */
#define PMCMD_SHOWGROUP   1     /* "[ShowGroup(%s,1)]"  group name */
#define PMCMD_DELETEGROUP 2     /* "[DeleteGroup(%s)]"  group name */
#define PMCMD_RELOAD      3     /* "[Reload(%s)]"       group name */
#define PMCMD_ADDITEM     4     /* "[AddItem(%s,%s)]"   command line, item name */
#define PMCMD_DELETEITEM  5     /* "[DeleteItem(%s)]"   item name */
#define PMCMD_COUNT       6

/* A command path is a base folder prefix (at most 127 characters) and the
 * specification from its fourth character on (at most 124): 251 with the
 * terminator fits, so a long path is never cut. */
#define MAXPMPATH 256

/* A command text holds the longest AddItem the group step can build: a
 * full command path and a full item name with the template's 12
 * characters. Anything longer is refused, never cut. */
#define MAXPMCMD  (MAXPMPATH + MAXTEXT + 16)

/* Fills lpszCommand (cchCommand characters) with the text of nCommand, each
 * argument inserted unchanged. Returns TRUE when the whole text fitted;
 * FALSE with an empty text when it would not fit, when nCommand is unknown
 * or when an argument the command needs is null. */
BOOL FormatProgmanCommand(LPSTR lpszCommand, UINT cchCommand, int nCommand,
                          LPCSTR lpszGroup, LPCSTR lpszItemName, LPCSTR lpszItemCmdLine);

/* Command path of an item: lpszSourceDir when the specification's second
 * character is "S" or "s", lpszDestDir otherwise, followed by the
 * specification from its fourth character on. A specification of three
 * characters or fewer gives the base folder alone (one of fewer than two
 * characters has no selector and takes lpszDestDir); nothing past its end
 * is read. Returns TRUE when the whole path fitted in cchPath characters;
 * FALSE with an empty path otherwise. */
BOOL MakeItemCommandPath(LPSTR lpszPath, UINT cchPath, LPCSTR lpszItemSpec,
                         LPCSTR lpszSourceDir, LPCSTR lpszDestDir);

#endif
