/*
 * DistPlan.h - the layout of a distribution: the application's folders
 * and files, each under its native name (the file system's) and its
 * script name (code page 936), checked against every limit of the script
 * and of the copy step before anything is written.
 */
#ifndef DISTPLAN_H
#define DISTPLAN_H

#include <string>
#include <vector>
#include "Setupinf.h"

#define DIST_MAXFOLDERS (MAXDIR - 1)    /* the reader's check fires at MAXDIR */
#define DIST_MAXFILES   MAXFILE         /* the full table, through wildcard lines */
#define DIST_MAXLINES   (MAXFILE - 1)   /* explicit lines: the check fires at MAXFILE */
#define DIST_MAXSPACEK  65535           /* what SpaceNeeded can say */

/* The names SETUP.EXE, its script and the script while it is checked
 * take at the top of the distribution. */
#define DIST_SETUPEXE   "SETUP.EXE"
#define DIST_SCRIPT     "SETUP.INF"
#define DIST_NEWSCRIPT  "SETUP.IN$"

/* The subfolder of the distribution that holds the top's files when a
 * line each would not fit the script; a number replaces its end when an
 * application's top-level name takes it. */
#define DIST_TOPFOLDER  "TOPFILES"

typedef struct tagDISTFOLDER {
    std::string strNative;      /* path below the top, native names and separator; "" the top */
    std::string strScript;      /* the same in code page 936 with backslashes */
    std::string strName;        /* its own name in code page 936; "" the top */
    int iParent;                /* -1 for the top */
    bool bWild;                 /* its files go through one wildcard line */
    long long llTime;           /* the source folder's modification time */
} DISTFOLDER;                   /* its directory id is its index */

typedef struct tagDISTFILE {
    int iFolder;
    std::string strNative;      /* the file's name */
    std::string strScript;
    std::string strPackedNative;    /* name of the compressed form; "" when it cannot have one */
    std::string strPackedScript;
    char chMissing;             /* the character the compressed name lost, or 0 */
    unsigned long long cbSize;
    bool bPacked;               /* stored compressed */
    unsigned long long cbStored;
    long long llTime;           /* the source's modification time */
    bool bMoved;                /* a top file stored in the plan's strTopFolder */
} DISTFILE;

typedef struct tagDISTPLAN {
    std::vector<DISTFOLDER> folders;
    std::vector<DISTFILE> files;
    std::vector<std::pair<std::string, std::string>> errors;   /* native path, why */
    char chSep;                 /* the native path separator */
    std::string strTopFolder;   /* where the top's moved files lie, "" when none moved */
    int iTopSrcId;              /* its source id: no folder's id */
} DISTPLAN;

/* A folder's or file's path below the top, native, for messages. */
std::string NativePath(const DISTPLAN &plan, int iFolder, const std::string &name);
std::string FileNativePath(const DISTPLAN &plan, const DISTFILE &file);

/* Checks the layout and adds an error for each limit it passes: counts
 * (once, with the real count), names, names alike but for letter case,
 * the names SETUP.EXE and its script take, folder and file paths once
 * installed below lpszDefDir (the script's DefDir, code page 936; NULL
 * when it has none), and the length of each [Files] line. A folder below
 * the top whose files all fit a wildcard line gets one (bWild), and its
 * files are stored under their own names, compressed or not: the LZ
 * service expands a compressed file whatever its name. Elsewhere each
 * file gets the name of its compressed form where that form stays within
 * every limit too. With bMoveTop the top's files that fit a wildcard line
 * are stored in a subfolder of the distribution instead, under their own
 * names, and its wildcard line installs them into the destination's top;
 * the others keep a line each beside SETUP.EXE. */
void CheckLayout(DISTPLAN *pPlan, LPCSTR lpszDefDir, bool bMoveTop);

/* The space the files take once installed, in K: each file's expanded
 * size rounded up to whole clusters of cbCluster bytes. When it passes
 * DIST_MAXSPACEK an error says by how much. */
unsigned long long SpaceNeededK(DISTPLAN *pPlan, unsigned long cbCluster);

/* The [Files] line of a file, with its display name cut to keep the line
 * within the reader's 255 characters. */
std::string FileLine(const DISTPLAN &plan, const DISTFILE &file, bool bPacked);

#endif
