/*
 * TryReport.h - after a trial installation under Wine: what the walker
 * recorded (walk.txt), the installation checked against the distribution
 * it came from, the screenshots as PNG, and the report (index.html and
 * report.json) that shows it all. Texts are UTF-8 throughout; the
 * script's code page 936 texts are converted on the way in.
 */
#ifndef TRYREPORT_H
#define TRYREPORT_H

#include <string>
#include <vector>

#define TRY_OK "ok"

typedef struct tagTRYSTEP {
    std::string strName;
    long lMs;
} TRYSTEP;

typedef struct tagTRYSHOT {
    std::string strName;        /* the file's name without .bmp: "1-welcome" */
    std::string strTitle;       /* the window's title */
    std::string strProblem;     /* why it has no picture, "" when its PNG was written */
} TRYSHOT;

typedef struct tagTRYBOX {
    std::string strCaption, strText;
} TRYBOX;

typedef struct tagTRYITEM {
    std::string strDescription;
    std::string strCommand;     /* as Program Manager holds it ("" when it holds none) */
    std::string strCheck;       /* TRY_OK or what is wrong; "" in the facts */
} TRYITEM;

/* What the walker saw, line by line from walk.txt. */
typedef struct tagTRYFACTS {
    std::string strBuild;
    std::vector<TRYSTEP> steps;         /* in order, the total left out */
    long lTotalMs;                      /* -1 when not recorded */
    std::vector<TRYSHOT> shots;
    std::vector<TRYBOX> boxes;
    std::string strDest;                /* the Windows folder installed to */
    std::string strDestUnix;            /* the same on Linux */
    bool bGroup;
    std::string strGroup;
    std::vector<TRYITEM> items;
    bool bExitCode;
    long lExitCode;
    bool bStopped;
    std::string strStopped;
} TRYFACTS;

typedef struct tagTRYFILE {
    std::string strName;        /* below the destination, with backslashes */
    long long llSize;           /* the file as it is to be installed; -1 unknown */
    std::string strCheck;
} TRYFILE;

typedef struct tagTRYFOLDER {
    std::string strName;        /* the Windows folder */
    std::string strCheck;
} TRYFOLDER;

/* The installation as checked. Every check is TRY_OK or says what is
 * wrong; the first that is not, in the order stopped, exit code, files,
 * folders, group, items, is the first difference. */
typedef struct tagTRYCHECK {
    std::string strScriptProblem;       /* "" when the script was read */
    std::string strDefDir;              /* the script's default folder, shown beside the one taken */
    std::string strExitCheck;
    std::vector<TRYFILE> files;
    std::vector<TRYFOLDER> folders;
    std::string strGroup;               /* the script's group */
    std::string strGroupCheck;
    std::vector<TRYITEM> items;         /* the script's items, then any it lacks */
    bool bInstalled;
    std::string strFirstDifference;     /* "" when installed */
} TRYCHECK;

/* Reads walk.txt's text into *pFacts. Lines are TAB-separated facts;
 * unknown keys and short lines are passed over. In a box's text "\n"
 * stands for a line break. */
void ReadWalkFacts(const std::string &text, TRYFACTS *pFacts);

/* Checks what the facts say was installed against the distribution in
 * distDir (native path): the exit code, each file of its SETUP.INF below
 * the destination (present, its content expanded when stored compressed,
 * its date to the second), each destination folder, the group and its
 * items. A content difference is given as an offset from 0. */
void CheckTryInstall(const std::string &distDir, const TRYFACTS &facts, TRYCHECK *pCheck);

/* A BMP as GDI writes it (24 or 32 bits, bottom-up or top-down, not
 * compressed) as a PNG of 8-bit RGB. FALSE, with *pstrWhy, when the BMP is
 * not of that kind or is cut short. */
bool BmpToPng(const std::vector<unsigned char> &bmp, std::vector<unsigned char> *pPng, std::string *pstrWhy);

/* The report's two files' texts. */
std::string TryReportHtml(const TRYFACTS &facts, const TRYCHECK &check);
std::string TryReportJson(const TRYFACTS &facts, const TRYCHECK &check);

/* The whole step: reads walkFile, checks the installation against
 * distDir, converts each shot in shotsDir to reportDir/NAME.png and
 * writes reportDir/index.html and reportDir/report.json (the folder is
 * made when missing; nothing is removed). Returns 0 when installed and
 * reported, 1 otherwise, with the first difference in *pFirstDifference
 * (may be NULL), followed by why the report could not be written when it
 * could not. */
int TryReport(const std::string &walkFile, const std::string &shotsDir, const std::string &distDir,
              const std::string &reportDir, std::string *pFirstDifference);

#endif
