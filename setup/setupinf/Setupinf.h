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
    /* FALSE when the folder was cut: it names another folder, so nothing
     * is made in it, copied from it or to it. */
    BOOL IsWhole() const { return bWhole; }
    void MarkCut() { bWhole = FALSE; }
private:
    UINT uDirId;
    char szDir[MAXTEXT];
    BOOL bWhole;
};

/* One file to copy: {display},{src id}:{src name},{dst id}:{dst name}, */
class FILEENTRY {
public:
    /* bLineCut: the line was itself cut to fit the line buffer. */
    FILEENTRY(LPSTR lpszLine, BOOL bLineCut = FALSE);
    /* FALSE when a file name was cut to fit its field or, on a cut line,
     * the line lost its closing comma, so the last name ran into the cut:
     * the entry would name another file. It stays in the table so that
     * its copy fails with its name; a cut display name is only shown. */
    BOOL IsWhole() const { return bWhole; }
    void MarkCut() { bWhole = FALSE; }
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
    BOOL bWhole;
};

/* One line of [PM Info]: {item specification},{description} */
class PMITEM {
public:
    PMITEM(LPSTR lpszLine);
    void GetItem(LPSTR lpszDescription, LPSTR lpszItemSpec) const;
    /* FALSE when the specification was cut: it names another program. */
    BOOL IsWhole() const { return bWhole; }
private:
    char szItemSpec[MAXTEXT];
    char szDescription[MAXTEXT];
    BOOL bWhole;
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
    /* FALSE when the default folder was cut: it is then not a folder to
     * offer (a cut before a double-byte character names another one). */
    BOOL GetDefDir(LPSTR lpszDefDir) const;
    UINT GetSpaceNeeded() const { return uSpaceNeeded; }
    void GetDefPMGroup(LPSTR lpszFirst, LPSTR lpszGroupName) const;
    BOOL GetShowSubDirCreateStats() const { return bShowSubDirCreateStats; }
    BOOL GetInstallToHD() const { return bInstallToHD; }
    UINT GetNumDstDirs() const { return uNumDstDirs; }
    UINT GetNumFiles() const { return uNumFiles; }
    UINT GetNumPMItems() const { return uNumPMItems; }
    /* Destination directory i; FALSE when its folder was cut (nothing is
     * to be made there) or there is no such directory. */
    BOOL GetDstDir(UINT i, LPSTR lpszDir) const;

    /* File i resolved to texts. FALSE when it cannot be copied as the
     * script means it: a source or destination id without a directory (an
     * empty folder text), a directory whose folder was cut, or a file name
     * that was cut. TRUE otherwise. */
    BOOL GetFile(UINT i, LPSTR lpszDisplayName, LPSTR lpszSrcDir, LPSTR lpszSrcName,
                 LPSTR lpszDstDir, LPSTR lpszDstName) const;
    /* Item i; FALSE when its specification was cut (not to be sent). */
    BOOL GetPMItem(UINT i, LPSTR lpszDescription, LPSTR lpszItemSpec) const;

    /* The first file or item that found no room in its full table (""
     * when none): the install must not end as if it had been copied. */
    void GetLostFile(LPSTR lpszDisplayName) const;

    /* The first name of a folder, file, group or item that holds a byte
     * outside ASCII (a code page 936 character), copied to lpszName;
     * FALSE, and "", when every one is ASCII. */
    BOOL FindNonAsciiName(LPSTR lpszName) const;
    BOOL GetPMItemLost() const { return bPMItemLost; }

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
    void AddFailingFile(LPCSTR lpszDisplayName);
    BOOL StoreFile(FILEENTRY *pFile, LPCSTR lpszDisplayName);

    int  nSection;
    char szAppName[MAXTEXT];
    char szDefDir[MAXTEXT];
    BOOL bDefDirCut;
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
    char szLostFile[MAXTEXT];
    BOOL bPMItemLost;
    LINEOBSERVER pfnLineObserver;
    LPVOID       lpObserverContext;
};

extern CSetupInf theSetupInf;

#endif
