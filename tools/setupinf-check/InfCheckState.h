/*
 * InfCheckState.h - what the checker's files share while one script is
 * checked: the lines as the reader saw them, the records traced back to
 * their lines, the folder listings and the findings so far; and the
 * prototypes of each file. Private to tools/setupinf-check.
 *
 * Calls go one way: InfCheck.cpp calls the files of one theme each, and
 * every file may call InfCheckState.cpp, which calls none of them.
 */
#ifndef INFCHECKSTATE_H
#define INFCHECKSTATE_H

#include <map>
#include <string>
#include <vector>
#include "InfCheck.h"

typedef struct tagSCRIPTLINE {
    UINT uLine;
    int  nSection;              /* section the line was read in */
    std::string strText;        /* trimmed, as the reader saw it */
    UINT uFirstSrc, uFirstDst, uFirstFile, uFirstItem;   /* counts before it */
    std::vector<std::string> checks;                     /* reader checks it fired */
    unsigned uLostChecks;       /* fired beyond what the check log keeps */
} SCRIPTLINE;

/* Entries of one folder of the distribution, listed once. */
typedef struct tagDIRLIST {
    BOOL bListed;
    std::vector<std::string> names;
    std::vector<BOOL> dirs;
    std::vector<unsigned long long> sizes;
} DIRLIST;

typedef struct tagCHECKSTATE {
    const CSetupInf *pInf;
    std::vector<SCRIPTLINE> lines;
    std::vector<std::string> loadChecks;    /* fired before the first line */
    std::string strBase;                    /* distribution folder, a prefix */
    std::map<std::string, DIRLIST> listings;
    std::vector<FINDING> findings;
    /* The line that made each record. */
    std::vector<UINT> srcLine, dstLine, fileLine, itemLine;
    std::vector<BOOL> fileWild;
    std::map<std::string, UINT> keyLines;   /* last line of each known key */
    std::vector<std::string> rawLines;      /* the script's lines as written, from line 1 */
    UINT uAppLine, uEndLine;
} CHECKSTATE;

/* InfCheckState.cpp ------------------------------------------------------ */

/* The check the reader makes when it cuts a line, before it reports it. */
extern const char szLineCutCheck[];
/* Adds a finding on line uLine. */
void Add(CHECKSTATE *pState, UINT uLine, int nSeverity, const std::string &strText);
/* The text between single quotes, as findings show names. */
std::string Quote(const std::string &s);
/* The last line of key lpszKey in [App], 0 when it has none; the line a
 * finding about the [App] section as a whole goes on. */
UINT KeyLine(const CHECKSTATE *pState, const char *lpszKey);
UINT AppAnchor(const CHECKSTATE *pState);
/* Names compared as Windows compares file names in code page 936: ASCII
 * letters in either case, double-byte characters byte for byte. */
BOOL SameName(const std::string &a, const std::string &b);
/* The folder names of a relative path, split at backslashes (and slashes),
 * empty parts and "." left out; the first n of them joined again. */
std::vector<std::string> PathParts(const std::string &path);
std::string JoinParts(const std::vector<std::string> &parts, size_t n);
/* A directory's folder as the script gives it. */
std::string DirText(const DIRENTRY *pDir);
/* The source and destination id texts of a wildcard line, cut as the
 * reader cuts them; FALSE when the line has not both. */
BOOL WildcardIds(const std::string &text, std::string *pSrc, std::string *pDst);

/* InfReadChecks.cpp: the checks the reader reported, each at its line. */
void ReportReaderChecks(CHECKSTATE *pState);

/* InfForm.cpp: the script's bytes. The editor line of each byte (and of
 * the end); the lines as written; why the reader rejected the script; a
 * script saved in the wrong form ("" when it is not); lone CRs. */
std::vector<UINT> LineOfOffsets(const std::vector<char> &text);
std::vector<std::string> RawLines(const std::vector<char> &text);
void ReportRejection(CHECKSTATE *pState, const std::vector<char> &text, const std::vector<UINT> &lineOf);
std::string EncodingMistake(const std::vector<char> &text);
void ReportLoneCrs(CHECKSTATE *pState, const std::vector<char> &text, const std::vector<UINT> &lineOf);

/* InfApp.cpp: one key line of [App] (its key noted in keyLines); the
 * settings of [App] as the reader stored them. */
void CheckKeyLine(CHECKSTATE *pState, const SCRIPTLINE &line);
void CheckAppSettings(CHECKSTATE *pState);

/* InfDirs.cpp: the directory ids, the destination folders' order, the
 * wildcard lines' destination ids. */
void CheckDirectories(CHECKSTATE *pState);

/* InfDisk.cpp: the findings on the distribution folder: missing source
 * files, the space the files take expanded, items whose program will not
 * be there. */
void CheckOnDisk(CHECKSTATE *pState);

#endif
