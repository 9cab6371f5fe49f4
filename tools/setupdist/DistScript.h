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
    int iFolder;                /* the folder of a wildcard line, or -1 */
} DISTLINE;

typedef struct tagDISTTEMPLATE {
    std::vector<DISTLINE> lines;        /* up to [End], which is left out */
    std::vector<std::pair<UINT, std::string>> errors;  /* line, why */
    size_t iGenerated;          /* where the made sections go: before the first [PM Info] */
    int iAppHeader;             /* the first [App] header, or -1 */
    bool bHasDefDir, bHasSpaceNeeded, bHasInstallToHD;
    std::string strDefDir;
    std::string strAppName;     /* AppName's value, or "" */
    UINT uSpaceNeeded;          /* the largest value given */
    std::vector<UINT> sourceItems;      /* lines of [PM Info] items in the distribution's folder ("(S)") */
} DISTTEMPLATE;

/* The template's bytes (nEncoding a DIST_ENC_ value) in code page 936.
 * FALSE when a character cannot be converted: *puLine gets its line and
 * *pstrBad names it. */
bool TemplateToScript(const std::string &bytes, int nEncoding, std::string *pScript, UINT *puLine,
                      std::string *pstrBad);

/* Reads the template's text as the script reader reads a script (lines
 * end at CR LF, LF or a lone CR). An empty template, keys before the
 * first header, a section the builder makes, an unknown header, no
 * DefDir, a SpaceNeeded that is not a number of K up to 65535 or an
 * InstallToHD other than Yes is an error at its line. */
void ReadTemplate(const std::string &text, DISTTEMPLATE *pTemplate);

/* Each [PM Info] item that starts a top file from the distribution (the
 * specification's second character S or s) whose file the plan moved to
 * its strTopFolder is pointed there, so that it starts the same file, and
 * the file is kept from being compressed. A specification that passes 127
 * bytes so is an error at its line. */
void PointSourceItems(DISTTEMPLATE *pTemplate, DISTPLAN *pPlan);

/* The lines of SETUP.INF: the template's, SpaceNeeded set to uSpaceK,
 * [SrcDirs] for every folder that holds files (the top's moved files
 * under an id of their own), [DstDirs] for every folder (parents first),
 * in [Files] a line per file of the folders without a wildcard line,
 * under the name it is stored under (bStored) or its own name, then the
 * wildcard lines (the moved files' first, into the destination's top),
 * and [End]. */
std::vector<DISTLINE> MakeScript(const DISTTEMPLATE &tmpl, const DISTPLAN &plan, unsigned long long uSpaceK,
                                 bool bStored);

/* The lines joined with CR LF. */
std::string ScriptText(const std::vector<DISTLINE> &lines);

/* Names the first character of a text in nEncoding that does not convert
 * to code page 936, with its code point: "'ß' (U+00DF) has no place in
 * code page 936 (GBK)". */
std::string BadCharacter(const std::string &text, int nEncoding);

#endif
