/*
 * InfCheck.h - the script checker's findings: what the reader reports
 * while it reads a SETUP.INF, and what it cannot see alone (ids without a
 * directory, missing source files, folder order, ...), each with its line.
 */
#ifndef INFCHECK_H
#define INFCHECK_H

#include <string>
#include <vector>
#include "Setupinf.h"

#define SEV_WARNING 1
#define SEV_ERROR   2

typedef struct tagFINDING {
    UINT uLine;          /* script line, counted as an editor counts them */
    int  nSeverity;      /* SEV_WARNING or SEV_ERROR */
    std::string strText;
} FINDING;

/* The folder part of a script path, with its separator; ".\" for a bare
 * name. Wildcard lines and source files are looked up below it. */
std::string ScriptFolder(LPCSTR lpszPath);

/* Loads lpszPath into inf (a database in its constructed state) with the
 * program's own reader, as SETUP.EXE would if it lay beside the script,
 * and returns the findings ordered by line. *puResult gets Load's result. */
std::vector<FINDING> CheckScript(CSetupInf &inf, LPCSTR lpszPath, UINT *puResult);

/* "NAME:LINE: error: TEXT" or "NAME:LINE: warning: TEXT". */
std::string FormatFinding(LPCSTR lpszName, const FINDING &finding);

/* "NAME: 2 errors, 1 warning". */
std::string FormatSummary(LPCSTR lpszName, const std::vector<FINDING> &findings);

/* The bytes a file of cb bytes takes once installed: whole clusters of
 * cbCluster bytes. The builder's SpaceNeeded and the checker's agree. */
inline unsigned long long InstalledBytes(unsigned long long cb, unsigned long cbCluster)
{
    return (cb + cbCluster - 1) / cbCluster * cbCluster;
}

#define CHECK_CLUSTER 4096      /* the cluster the checker assumes */

/* 0 no findings, 1 warnings only, 2 errors. */
int CheckExitCode(const std::vector<FINDING> &findings);

#endif
