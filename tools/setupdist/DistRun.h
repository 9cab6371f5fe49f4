/*
 * DistRun.h - what the builder's steps share while one run lasts: the
 * run's options and state, and the prototypes of each step's file.
 * Private to tools/setupdist.
 *
 * Calls go one way: SetupDist.cpp calls the other files; DistWrite.cpp
 * calls DistOneFile.cpp; every file may call DistRun.cpp, which calls
 * none of them.
 */
#ifndef DISTRUN_H
#define DISTRUN_H

#include <string>
#include <vector>
#include "DistScript.h"
#include "SetupDist.h"

/* Where an installed setupdist finds its programs, from its own folder
 * (the build puts them beside it). */
#define DIST_SHARED_SETUP_EXE "../share/setupdist/SETUP.EXE"
#define DIST_LAUNCHER "LAUNCHER.EXE"
#define DIST_SHARED_LAUNCHER "../share/setupdist/LAUNCHER.EXE"

#define COMPRESS_AUTO   0
#define COMPRESS_ALWAYS 1
#define COMPRESS_NEVER  2

typedef struct tagDISTRUN {
    std::string strTemplate, strApp, strOut, strSetupExe;
    std::string strSingleFile, strLauncher;
    std::vector<std::string> excludes;
    int nCompress, nEncoding;
    unsigned long cbCluster;
    bool bDryRun;
    bool bForce;                /* --single-file may replace its file */
    DISTPRINT pfnPrint;
    void *pContext;
    DISTTEMPLATE tmpl;
    DISTPLAN plan;
    unsigned long long uSpaceK;
    size_t nErrors;
    bool bMadeOut;
    std::string strFullApp, strFullTemplate;
    std::vector<std::string> walking;   /* full paths of the folders being walked */
    std::vector<std::string> made;      /* files and folders written, in order */
    unsigned long ulStart, ulLastProgress;
    size_t cbLauncher, cbSingleFile;
} DISTRUN;

/* DistRun.cpp: a message (Error also counts it), paths joined with the
 * native separator, a path in the output folder, where a file of the plan
 * is stored there. */
void Say(DISTRUN *pRun, const std::string &text);
void Error(DISTRUN *pRun, const std::string &text);
std::string Join(const std::string &dir, const std::string &rel);
std::string OutPath(const DISTRUN *pRun, const std::string &rel);
std::string StoredRel(const DISTRUN *pRun, const DISTFILE &file);
std::string FindByTool(const char *lpszName, const char *lpszShared);
void CheckScriptSize(DISTRUN *pRun, const std::vector<DISTLINE> &lines);

/* DistOptions.cpp: the usage line, with the help after it when bHelp;
 * the arguments read into the run, FALSE with *pstrWhy when they are
 * wrong. */
std::string DistUsage(bool bHelp);
bool ParseArgs(DISTRUN *pRun, const std::vector<std::string> &args, std::string *pstrWhy);

/* DistWalk.cpp: the application's folder walked into pRun->plan, FALSE
 * when it is no folder; is a full path within that folder? */
bool WalkApp(DISTRUN *pRun);
bool WithinApp(const DISTRUN *pRun, const std::string &full);

/* DistOneFile.cpp: --single-file's inputs checked (errors counted in the
 * run); the one file written, FALSE when it is not. */
void CheckSingleFile(DISTRUN *pRun);
bool WriteSingleFile(DISTRUN *pRun);

/* DistTry.cpp (Linux) or DistTryWin32.cpp: setupdist --try DIST ...,
 * its exit code. */
int RunTry(const std::vector<std::string> &args, DISTPRINT pfnPrint, void *pContext);

/* DistWrite.cpp: the planned distribution written (and removed again by
 * a dry run), FALSE on the first failure; what the run wrote removed. */
bool Build(DISTRUN *pRun);
void Unmake(DISTRUN *pRun);

#endif
