/*
 * DistScript.h - the publisher's template and the complete SETUP.INF
 * made from it. The template holds the publisher's words ([App],
 * [PM Info], comments, [Version]); the builder adds the folders, the
 * files, SpaceNeeded and, when the template lacks it, InstallToHD.
 * Texts are code page 936.
 */
#ifndef DISTSCRIPT_H
#define DISTSCRIPT_H

#include <string>
#include <vector>
#include "DistPlan.h"

typedef struct tagDISTLINE {
    std::string strText;        /* without its line end */
    UINT uTemplateLine;         /* the template's line it comes from, or 0 */
    int iFile;                  /* the file of a [Files] line, or -1 */
} DISTLINE;

typedef struct tagDISTTEMPLATE {
    std::vector<DISTLINE> lines;        /* up to [End], which is left out */
    std::vector<std::string> errors;    /* "LINE: why" */
    size_t iGenerated;          /* where the made sections go: before the first [PM Info] */
    int iAppHeader;             /* the first [App] header, or -1 */
    bool bHasDefDir, bHasSpaceNeeded, bHasInstallToHD;
    std::string strDefDir;
    UINT uSpaceNeeded;          /* the largest value given */
} DISTTEMPLATE;

/* Reads the template's text as the script reader reads a script (lines
 * end at CR LF, LF or a lone CR). A section the builder makes, an unknown
 * header or an InstallToHD other than Yes is an error. */
void ReadTemplate(const std::string &text, DISTTEMPLATE *pTemplate);

/* The lines of SETUP.INF: the template's, SpaceNeeded set to uSpaceK,
 * [SrcDirs] for every folder that holds files, [DstDirs] for every folder
 * (parents first), a [Files] line per file under the name it is stored
 * under (bStored) or its own name, and [End]. */
std::vector<DISTLINE> MakeScript(const DISTTEMPLATE &tmpl, const DISTPLAN &plan, unsigned long long uSpaceK,
                                 bool bStored);

/* The lines joined with CR LF. */
std::string ScriptText(const std::vector<DISTLINE> &lines);

#endif
