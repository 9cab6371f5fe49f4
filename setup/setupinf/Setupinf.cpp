/*
 * Setupinf.cpp - the install database: the records of directory, file
 * and item lines, which the database owns until the process ends, and
 * what the program reads of them. The reader (SetupinfReader.cpp) and the
 * wildcard listing (SetupinfWildcard.cpp) fill it. Nothing here calls the
 * platform.
 */
#include <new>
#include <stdlib.h>
#include <string.h>
#include "Setupinf.h"

CSetupInf theSetupInf;

static BOOL IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

LPSTR TrimBlanks(LPSTR lpsz)
{
    LPSTR p = lpsz;
    while (IsBlank(*p))
        p++;
    if (p != lpsz)
        memmove(lpsz, p, strlen(p) + 1);
    size_t n = strlen(lpsz);
    while (n > 0 && IsBlank(lpsz[n - 1]))
        lpsz[--n] = '\0';
    return lpsz;
}

WORD StrToWord(LPCSTR lpsz)
{
    WORD w = 0;
    for (; *lpsz >= '0' && *lpsz <= '9'; lpsz++)
        w = (WORD)(w * 10 + (*lpsz - '0'));
    return w;
}

/* ---- records ---------------------------------------------------------- */

DIRENTRY::DIRENTRY(LPSTR lpszLine)
{
    LPSTR p = strchr(lpszLine, '=');
    if (p)
        *p = '\0';
    uDirId = StrToWord(lpszLine);
    szDir[0] = '\0';
    bWhole = TRUE;
    if (p && !SETUP_CHECK(StoreText(szDir, sizeof(szDir), p + 1), "strlen(p+1)<sizeof(szDir)"))
        bWhole = FALSE;
}

void DIRENTRY::GetDir(LPSTR lpszDir) const
{
    StoreText(lpszDir, MAXTEXT, szDir);
}

/* Reads "{id}:{name}," from a trimmed field (the id was taken by the
 * caller). The name runs to the next comma, or to the end of the line when
 * that comma is missing. A field without its colon gives no name, rather
 * than a name taken from the next field. *pbFits becomes FALSE when the
 * name is cut. Returns the text after the comma, or NULL when the line
 * has no more fields. */
static LPSTR TakeName(LPSTR lpszField, LPSTR lpszName, UINT cchName, BOOL *pbFits)
{
    LPSTR q = strchr(lpszField, ',');
    LPSTR c = strchr(lpszField, ':');
    if (!SETUP_CHECK(c != NULL && (q == NULL || c < q), "c!=NULL&&(q==NULL||c<q)"))
        return q ? q + 1 : NULL;
    LPSTR t = TrimBlanks(c + 1);
    q = strchr(t, ',');
    SETUP_CHECK(q != NULL, "q!=NULL");
    if (q)
        *q = '\0';
    if (!SETUP_CHECK(StoreText(lpszName, cchName, t), "strlen(t)<cchName"))
        *pbFits = FALSE;
    return q ? q + 1 : NULL;
}

FILEENTRY::FILEENTRY(LPSTR lpszLine, BOOL bLineCut)
{
    szDisplayName[0] = szSrcName[0] = szDstName[0] = szExtra[0] = '\0';
    uSrcDirId = uDstDirId = 0;
    bWhole = TRUE;

    LPSTR p = strchr(lpszLine, ',');
    SETUP_CHECK(p != NULL, "p!=NULL");
    if (p)
        *p = '\0';
    /* Only shown: a cut display name still names its file well enough. */
    SETUP_CHECK(StoreText(szDisplayName, sizeof(szDisplayName), lpszLine),
                "strlen(lpszLine)<sizeof(szDisplayName)");
    BOOL bClosed = FALSE;
    if (p) {
        LPSTR lpszRest = TrimBlanks(p + 1);
        uSrcDirId = StrToWord(lpszRest);
        lpszRest = TakeName(lpszRest, szSrcName, sizeof(szSrcName), &bWhole);
        if (lpszRest) {
            lpszRest = TrimBlanks(lpszRest);
            uDstDirId = StrToWord(lpszRest);
            bClosed = TakeName(lpszRest, szDstName, sizeof(szDstName), &bWhole) != NULL;
        }
    }
    if (bLineCut && !bClosed)
        bWhole = FALSE;
}

void FILEENTRY::GetNames(LPSTR lpszDisplayName, LPSTR lpszSrcName, LPSTR lpszDstName) const
{
    StoreText(lpszDisplayName, MAXTEXT, szDisplayName);
    StoreText(lpszSrcName, MAXTEXT, szSrcName);
    StoreText(lpszDstName, MAXTEXT, szDstName);
}

PMITEM::PMITEM(LPSTR lpszLine)
{
    szItemSpec[0] = szDescription[0] = '\0';
    LPSTR p = strchr(lpszLine, ',');
    SETUP_CHECK(p != NULL, "p!=NULL");
    if (p)
        *p = '\0';
    bWhole = SETUP_CHECK(StoreText(szItemSpec, sizeof(szItemSpec), lpszLine),
                         "strlen(lpszLine)<sizeof(szItemSpec)");
    if (p)
        SETUP_CHECK(StoreText(szDescription, sizeof(szDescription), TrimBlanks(p + 1)),
                    "strlen(p+1)<sizeof(szDescription)");
}

void PMITEM::GetItem(LPSTR lpszDescription, LPSTR lpszItemSpec) const
{
    StoreText(lpszDescription, MAXTEXT, szDescription);
    StoreText(lpszItemSpec, MAXTEXT, szItemSpec);
}

/* ---- the database ----------------------------------------------------- */

CSetupInf::CSetupInf()
{
    nSection = SECT_NONE;
    szAppName[0] = szDefDir[0] = szPMGroupFirst[0] = szPMGroupName[0] = '\0';
    bDefDirCut = FALSE;
    szLostFile[0] = '\0';
    bPMItemLost = FALSE;
    uSpaceNeeded = 0;
    bShowSubDirCreateStats = bInstallToHD = FALSE;
    uNumSrcDirs = uNumDstDirs = uNumFiles = uNumPMItems = 0;
    memset(pSrcDirs, 0, sizeof(pSrcDirs));
    memset(pDstDirs, 0, sizeof(pDstDirs));
    memset(pFiles, 0, sizeof(pFiles));
    memset(pPMItems, 0, sizeof(pPMItems));
    pfnLineObserver = NULL;
    lpObserverContext = NULL;
}

CSetupInf::~CSetupInf()
{
    for (UINT i = 0; i < uNumSrcDirs; i++)
        delete pSrcDirs[i];
    for (UINT i = 0; i < uNumDstDirs; i++)
        delete pDstDirs[i];
    for (UINT i = 0; i < uNumFiles; i++)
        delete pFiles[i];
    for (UINT i = 0; i < uNumPMItems; i++)
        delete pPMItems[i];
}

void CSetupInf::GetAppName(LPSTR lpszAppName) const
{
    StoreText(lpszAppName, MAXTEXT, szAppName);
}

BOOL CSetupInf::GetDefDir(LPSTR lpszDefDir) const
{
    StoreText(lpszDefDir, MAXTEXT, szDefDir);
    return !bDefDirCut;
}

void CSetupInf::GetDefPMGroup(LPSTR lpszFirst, LPSTR lpszGroupName) const
{
    StoreText(lpszFirst, MAXTEXT, szPMGroupFirst);
    StoreText(lpszGroupName, MAXTEXT, szPMGroupName);
}

BOOL CSetupInf::GetDstDir(UINT i, LPSTR lpszDir) const
{
    lpszDir[0] = '\0';
    if (!SETUP_CHECK(i < uNumDstDirs, "i<uNumDstDirs"))
        return FALSE;
    pDstDirs[i]->GetDir(lpszDir);
    return pDstDirs[i]->IsWhole();
}

const DIRENTRY *CSetupInf::FindSrcDir(UINT uId) const
{
    for (UINT i = 0; i < uNumSrcDirs; i++)
        if (pSrcDirs[i]->GetId() == uId)
            return pSrcDirs[i];
    return NULL;
}

const DIRENTRY *CSetupInf::FindDstDir(UINT uId) const
{
    for (UINT i = 0; i < uNumDstDirs; i++)
        if (pDstDirs[i]->GetId() == uId)
            return pDstDirs[i];
    return NULL;
}

BOOL CSetupInf::GetFile(UINT i, LPSTR lpszDisplayName, LPSTR lpszSrcDir, LPSTR lpszSrcName,
                        LPSTR lpszDstDir, LPSTR lpszDstName) const
{
    lpszDisplayName[0] = lpszSrcDir[0] = lpszSrcName[0] = '\0';
    lpszDstDir[0] = lpszDstName[0] = '\0';
    if (!SETUP_CHECK(i < uNumFiles, "i<uNumFiles"))
        return FALSE;

    const FILEENTRY *pFile = pFiles[i];
    const DIRENTRY *pSrcDir = FindSrcDir(pFile->GetSrcDirId());
    const DIRENTRY *pDstDir = FindDstDir(pFile->GetDstDirId());
    if (pSrcDir)
        pSrcDir->GetDir(lpszSrcDir);
    if (pDstDir)
        pDstDir->GetDir(lpszDstDir);
    pFile->GetNames(lpszDisplayName, lpszSrcName, lpszDstName);
    return pSrcDir != NULL && pDstDir != NULL && pSrcDir->IsWhole() && pDstDir->IsWhole() && pFile->IsWhole();
}

BOOL CSetupInf::GetPMItem(UINT i, LPSTR lpszDescription, LPSTR lpszItemSpec) const
{
    lpszDescription[0] = lpszItemSpec[0] = '\0';
    if (!SETUP_CHECK(i < uNumPMItems, "i<uNumPMItems"))
        return FALSE;
    pPMItems[i]->GetItem(lpszDescription, lpszItemSpec);
    return pPMItems[i]->IsWhole();
}

void CSetupInf::GetLostFile(LPSTR lpszDisplayName) const
{
    StoreText(lpszDisplayName, MAXTEXT, szLostFile);
}

/* Copies lpszText to lpszName when it holds a byte outside ASCII. */
static BOOL TakeIfNonAscii(LPCSTR lpszText, LPSTR lpszName)
{
    for (LPCSTR p = lpszText; *p; p++)
        if ((BYTE)*p >= 0x80) {
            StoreText(lpszName, MAXTEXT, lpszText);
            return TRUE;
        }
    return FALSE;
}

BOOL CSetupInf::FindNonAsciiName(LPSTR lpszName) const
{
    char szFirst[MAXTEXT], szSecond[MAXTEXT], szThird[MAXTEXT];
    lpszName[0] = '\0';
    if (TakeIfNonAscii(szDefDir, lpszName) || TakeIfNonAscii(szPMGroupName, lpszName))
        return TRUE;
    for (UINT i = 0; i < uNumSrcDirs; i++) {
        pSrcDirs[i]->GetDir(szFirst);
        if (TakeIfNonAscii(szFirst, lpszName))
            return TRUE;
    }
    for (UINT i = 0; i < uNumDstDirs; i++) {
        pDstDirs[i]->GetDir(szFirst);
        if (TakeIfNonAscii(szFirst, lpszName))
            return TRUE;
    }
    for (UINT i = 0; i < uNumFiles; i++) {
        pFiles[i]->GetNames(szThird, szFirst, szSecond);
        if (TakeIfNonAscii(szFirst, lpszName) || TakeIfNonAscii(szSecond, lpszName))
            return TRUE;
    }
    for (UINT i = 0; i < uNumPMItems; i++) {
        pPMItems[i]->GetItem(szFirst, szSecond);
        if (TakeIfNonAscii(szFirst, lpszName) || TakeIfNonAscii(szSecond, lpszName))
            return TRUE;
    }
    return FALSE;
}

/* A directory line without its equals sign names no folder: it is left
 * out. One whose folder was cut, to fit its field or with its line (the
 * folder ends the line), names another folder: it is kept, marked, so
 * that its id still finds it and the files that use it fail visibly
 * instead of going to a wrong place (or to a later line's folder). */
static DIRENTRY *NewDirEntry(LPSTR lpszLine, BOOL bLineCut)
{
    if (!SETUP_CHECK(strchr(lpszLine, '=') != NULL, "strchr(lpszLine,'=')!=NULL"))
        return NULL;
    DIRENTRY *pDir = new (std::nothrow) DIRENTRY(lpszLine);
    if (SETUP_CHECK(pDir != NULL, "pDir!=NULL") && bLineCut)
        pDir->MarkCut();
    return pDir;
}

/* Appends a directory line to one of the two tables while it has room;
 * the full table is the check lpszCheck names. */
static void AddDirTo(DIRENTRY **ppTable, UINT *puNum, LPSTR lpszLine, BOOL bLineCut, LPCSTR lpszCheck)
{
    if (*puNum < MAXDIR) {
        DIRENTRY *pDir = NewDirEntry(lpszLine, bLineCut);
        if (pDir)
            ppTable[(*puNum)++] = pDir;
    }
    SETUP_CHECK(*puNum < MAXDIR, lpszCheck);
}

void CSetupInf::AddSrcDir(LPSTR lpszLine, BOOL bLineCut)
{
    AddDirTo(pSrcDirs, &uNumSrcDirs, lpszLine, bLineCut, "uNumSrcDirs<MAXDIR");
}

void CSetupInf::AddDstDir(LPSTR lpszLine, BOOL bLineCut)
{
    AddDirTo(pDstDirs, &uNumDstDirs, lpszLine, bLineCut, "uNumDstDirs<MAXDIR");
}

/* Stores a file entry while the table has room. A file that finds none
 * is remembered by its display name, so that the copy does not end as if
 * it had been installed. FALSE when the entry was not stored (and is
 * freed). */
BOOL CSetupInf::StoreFile(FILEENTRY *pFile, LPCSTR lpszDisplayName)
{
    if (uNumFiles < MAXFILE && pFile) {
        pFiles[uNumFiles++] = pFile;
        return TRUE;
    }
    delete pFile;
    if (!szLostFile[0])
        StoreText(szLostFile, sizeof(szLostFile), lpszDisplayName[0] ? lpszDisplayName : "?");
    return FALSE;
}

/* A file name cut to fit would copy another file, or install one under a
 * wrong name: such an entry is kept, marked, so that its copy fails with
 * its name. The cut was reported where it happened. */
void CSetupInf::AddFile(LPSTR lpszLine, BOOL bLineCut)
{
    char szShown[MAXTEXT];
    StoreText(szShown, sizeof(szShown), lpszLine);
    szShown[strcspn(szShown, ",")] = '\0';
    if (uNumFiles < MAXFILE) {
        FILEENTRY *pFile = new (std::nothrow) FILEENTRY(lpszLine, bLineCut);
        SETUP_CHECK(pFile != NULL, "pFile!=NULL");
        StoreFile(pFile, szShown);
    } else {
        StoreFile(NULL, szShown);
    }
    SETUP_CHECK(uNumFiles < MAXFILE, "uNumFiles<MAXFILE");
}

/* An item specification cut to fit would name another program: the item
 * is kept, marked, and the group step reports it instead of sending it.
 * A cut description only shortens the item's title. */
void CSetupInf::AddPMItem(LPSTR lpszLine)
{
    if (!SETUP_CHECK(uNumPMItems < MAXPMITEM, "uNumPMItems<MAXPMITEM")) {
        bPMItemLost = TRUE;
        return;
    }
    PMITEM *pItem = new (std::nothrow) PMITEM(lpszLine);
    if (SETUP_CHECK(pItem != NULL, "pItem!=NULL"))
        pPMItems[uNumPMItems++] = pItem;
    else
        bPMItemLost = TRUE;
}
