/*
 * SetupCheck.h - developer consistency checks, one mechanism for the whole
 * program.
 *
 * SETUP_CHECK(expr, text) evaluates expr exactly once, in every build. When
 * it is false the check is recorded with text, the source file's name and
 * the line; the caller then goes on along a safe path. The text names the
 * violated expression in one fixed spelling without blanks ("p!=NULL"),
 * given apart from the code so that a reformatting never changes what a
 * debugger, the script checker or its users see. The macro yields the
 * truth of expr, so a caller can write
 *     if (!SETUP_CHECK(p != NULL, "p!=NULL")) return;
 */
#ifndef SETUPCHECK_H
#define SETUPCHECK_H

#define SETUP_CHECK(expr, text) \
    SetupCheck((expr) ? 1 : 0, text, __FILE__, __LINE__)

#define MAXCHECKLOG 64

typedef struct tagCHECKRECORD {
    char szExpr[128];   /* the check's text, cut if longer */
    char szFile[32];    /* source file name without folders */
    int  nLine;
} CHECKRECORD;

/* Records a failed check; returns fOk unchanged. */
int SetupCheck(int fOk, const char *lpszExpr, const char *lpszFile, int nLine);

/* Number of checks that failed since start or since SetupCheckReset. The log
 * keeps the first MAXCHECKLOG of them; the count goes on beyond. */
unsigned SetupCheckCount(void);

/* The i-th recorded check, or NULL when i is not below the kept count. */
const CHECKRECORD *SetupCheckGet(unsigned i);

void SetupCheckReset(void);

#endif
