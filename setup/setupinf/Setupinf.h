/*
 * Setupinf.h - the install database and the SETUP.INF reader.
 *
 * theSetupInf is filled once at start-up by Load and only read afterwards.
 * Every text is a single-byte string of at most 127 characters in a field
 * of MAXTEXT; accessors copy texts into caller buffers of at least MAXTEXT.
 */
#ifndef SETUPINF_H
#define SETUPINF_H

#include "SetupTypes.h"
#include "SetupCheck.h"
#include "SetupText.h"

#define MAXLINE   256       /* physical line, with its terminator */
#define MAXSCRIPT 20480     /* read buffer; a script holds at most 20479 bytes */
#define MAXIDTEXT 12        /* wildcard id text, with its terminator */

#define MAXDIR    100
#define MAXFILE   1000
#define MAXPMITEM 20

/* Section states of the reader (nSection). */
#define SECT_NONE    0
#define SECT_VERSION 1
#define SECT_APP     2
#define SECT_SRCDIRS 3
#define SECT_DSTDIRS 4
#define SECT_FILES   5
#define SECT_PMINFO  6
#define SECT_END     7

/* Result codes of CSetupInf::Load. */
#define LOAD_OK        0
#define LOAD_NOMEMORY  1
#define LOAD_CANTOPEN  2
#define LOAD_REJECTED  3

/* Watches the reader line by line, for tools such as the script checker.
 * Called for every line Parse reads, once it is trimmed and before it is
 * acted on, with the section it is read in and its line number as an
 * editor counts lines (CR LF, LF and a lone CR each end one). */
typedef void (*LINEOBSERVER)(LPVOID lpContext, UINT uLine, int nSection, LPCSTR lpszLine);

/* Removes leading and trailing spaces and tabs in place; returns lpsz. */
LPSTR TrimBlanks(LPSTR lpsz);

/* Value of the decimal digits at the start of lpsz, modulo 65536. */
WORD StrToWord(LPCSTR lpsz);

/* One line of [SrcDirs] or [DstDirs]: {id}={folder}. */
class DIRENTRY {
public:
    DIRENTRY(LPSTR lpszLine);
    UINT GetId() const { return uDirId; }
    void GetDir(LPSTR lpszDir) const;
private:
    UINT uDirId;
    char szDir[MAXTEXT];
};

/* One file to copy: {display},{src id}:{src name},{dst id}:{dst name}, */
class FILEENTRY {
public:
    FILEENTRY(LPSTR lpszLine);
    /* FALSE when a name was cut to fit its field or, on a line that was
     * itself cut (bLineCut), when the line lost its closing comma, so the
     * last name ran into the cut: the entry would name another file. */
    BOOL IsWhole(BOOL bLineCut) const { return bFits && (bClosed || !bLineCut); }
    UINT GetSrcDirId() const { return uSrcDirId; }
    UINT GetDstDirId() const { return uDstDirId; }
    void GetNames(LPSTR lpszDisplayName, LPSTR lpszSrcName, LPSTR lpszDstName) const;
private:
    char szDisplayName[MAXTEXT];
    UINT uSrcDirId;
    char szSrcName[MAXTEXT];
    UINT uDstDirId;
    char szDstName[MAXTEXT];
    char szExtra[MAXTEXT];
    BOOL bFits;         /* every name fitted its field */
    BOOL bClosed;       /* the comma after the destination name was there */
};

/* One line of [PM Info]: {item specification},{description} */
class PMITEM {
public:
    PMITEM(LPSTR lpszLine);
    void GetItem(LPSTR lpszDescription, LPSTR lpszItemSpec) const;
private:
    char szItemSpec[MAXTEXT];
    char szDescription[MAXTEXT];
};

class CSetupInf {
public:
    CSetupInf();
    ~CSetupInf();

    /* Reads the script lpszFileName. Returns LOAD_OK, LOAD_NOMEMORY,
     * LOAD_CANTOPEN, or LOAD_REJECTED for an unknown section header, a
     * missing [End] or a file of MAXSCRIPT bytes or more. */
    UINT Load(LPCSTR lpszFileName, HINSTANCE hInstance);

    /* Reads the text, cutting it in place. TRUE when [End] was reached. */
    BOOL Parse(LPSTR lpszText, HINSTANCE hInstance);

    void GetAppName(LPSTR lpszAppName) const;
    void GetDefDir(LPSTR lpszDefDir) const;
    UINT GetSpaceNeeded() const { return uSpaceNeeded; }
    void GetDefPMGroup(LPSTR lpszFirst, LPSTR lpszGroupName) const;
    BOOL GetShowSubDirCreateStats() const { return bShowSubDirCreateStats; }
    BOOL GetInstallToHD() const { return bInstallToHD; }
    UINT GetNumDstDirs() const { return uNumDstDirs; }
    UINT GetNumFiles() const { return uNumFiles; }
    UINT GetNumPMItems() const { return uNumPMItems; }
    void GetDstDir(UINT i, LPSTR lpszDir) const;

    /* File i resolved to texts. A source or destination id without a
     * directory gives an empty folder text and FALSE; TRUE otherwise. */
    BOOL GetFile(UINT i, LPSTR lpszDisplayName, LPSTR lpszSrcDir, LPSTR lpszSrcName,
                 LPSTR lpszDstDir, LPSTR lpszDstName) const;
    int GetPMItem(UINT i, LPSTR lpszDescription, LPSTR lpszItemSpec) const;

    const DIRENTRY *FindSrcDir(UINT uId) const;
    const DIRENTRY *FindDstDir(UINT uId) const;

    /* Has Parse report each line to pfn; NULL stops it. SETUP.EXE sets none. */
    void SetLineObserver(LINEOBSERVER pfn, LPVOID lpContext)
    {
        pfnLineObserver = pfn;
        lpObserverContext = lpContext;
    }

private:
    friend class CSetupInfView;

    void ParseKeyLine(LPSTR lpszLine);
    void AddSrcDir(LPSTR lpszLine, BOOL bLineCut);
    void AddDstDir(LPSTR lpszLine, BOOL bLineCut);
    void AddFile(LPSTR lpszLine, BOOL bLineCut);
    void AddPMItem(LPSTR lpszLine);
    void ExpandWildcard(LPSTR lpszLine, HINSTANCE hInstance);
    void AddWildcardFile(LPCSTR lpszName, LPCSTR lpszSrcId, LPCSTR lpszDstId);

    int  nSection;
    char szAppName[MAXTEXT];
    char szDefDir[MAXTEXT];
    UINT uSpaceNeeded;
    char szPMGroupFirst[MAXTEXT];
    char szPMGroupName[MAXTEXT];
    BOOL bShowSubDirCreateStats;
    UINT uNumSrcDirs;
    UINT uNumDstDirs;
    UINT uNumFiles;
    UINT uNumPMItems;
    BOOL bInstallToHD;
    DIRENTRY  *pSrcDirs[MAXDIR];
    DIRENTRY  *pDstDirs[MAXDIR];
    FILEENTRY *pFiles[MAXFILE];
    PMITEM    *pPMItems[MAXPMITEM];
    LINEOBSERVER pfnLineObserver;
    LPVOID       lpObserverContext;
};

extern CSetupInf theSetupInf;

#endif
