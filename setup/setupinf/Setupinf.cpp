/*
 * Setupinf.cpp - the install database and the reader of SETUP.INF.
 *
 * The reader makes one pass over the script held in one block, cuts each
 * line out into a line buffer and turns directory, file and item lines into
 * heap records that the database owns until the process ends. Nothing here
 * calls the platform except through SetupinfOs.h.
 */
#include <new>
#include <stdlib.h>
#include <string.h>
#include "Setupinf.h"
#include "SetupinfOs.h"

CSetupInf theSetupInf;

static const struct {
    LPCSTR lpszHeader;
    int    nSection;
} aHeaders[] = {
    { "[End]",     SECT_END },
    { "[App]",     SECT_APP },
    { "[Version]", SECT_VERSION },
    { "[SrcDirs]", SECT_SRCDIRS },
    { "[DstDirs]", SECT_DSTDIRS },
    { "[Files]",   SECT_FILES },
    { "[PM Info]", SECT_PMINFO },
};

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

/* The decimal value of an id text as the C library reads it: blanks
 * skipped, an optional sign, digits up to the first other character.
 * Clamped, so no text can overflow it. */
static long IdTextValue(LPCSTR lpsz)
{
    while (IsBlank(*lpsz))
        lpsz++;
    BOOL bNegative = *lpsz == '-';
    if (*lpsz == '-' || *lpsz == '+')
        lpsz++;
    long lValue = 0;
    for (; *lpsz >= '0' && *lpsz <= '9'; lpsz++)
        if (lValue < 100000000L)
            lValue = lValue * 10 + (*lpsz - '0');
    return bNegative ? -lValue : lValue;
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

/* ---- the reader ------------------------------------------------------- */

UINT CSetupInf::Load(LPCSTR lpszFileName, HINSTANCE hInstance)
{
    LPSTR lpText = OsAllocBlock(MAXSCRIPT);
    if (!lpText)
        return LOAD_NOMEMORY;

    UINT cbRead = 0;
    if (!OsReadFile(lpszFileName, lpText, MAXSCRIPT, &cbRead)) {
        OsFreeBlock(lpText);
        return LOAD_CANTOPEN;
    }

    /* A file that fills the whole block leaves no room for the terminator
     * and may have been cut short: it is rejected, never read in part. */
    BOOL bRead = FALSE;
    if (SETUP_CHECK(cbRead < MAXSCRIPT, "cbRead<MAXSCRIPT")) {
        lpText[cbRead] = '\0';
        bRead = Parse(lpText, hInstance);
    }
    OsFreeBlock(lpText);
    return bRead ? LOAD_OK : LOAD_REJECTED;
}

BOOL CSetupInf::Parse(LPSTR lpszText, HINSTANCE hInstance)
{
    char szLine[MAXLINE];
    LPSTR lpszPos = lpszText;
    UINT uNextLine = 1;

    while (nSection != SECT_END) {
        /* The text ran out before [End]: the script is incomplete. */
        if (!lpszPos)
            return FALSE;
        UINT uLine = uNextLine++;

        /* A CR ends a line and the character after it is skipped unseen
         * (the LF of CR LF); an LF alone also ends a line. */
        LPSTR lpszEnd = lpszPos + strcspn(lpszPos, "\r\n");
        LPSTR lpszNext = NULL;
        if (*lpszEnd == '\r') {
            lpszNext = lpszEnd[1] ? lpszEnd + 2 : lpszEnd + 1;
            /* A lone CR that swallows another lone CR skips a whole line. */
            if (lpszEnd[1] == '\r' && lpszEnd[2] != '\n')
                uNextLine++;
        } else if (*lpszEnd == '\n')
            lpszNext = lpszEnd + 1;
        *lpszEnd = '\0';
        BOOL bLineCut = !SETUP_CHECK(StoreText(szLine, sizeof(szLine), lpszPos),
                                     "strlen(lpszPos)<sizeof(szLine)");
        lpszPos = lpszNext;

        TrimBlanks(szLine);
        if (pfnLineObserver)
            pfnLineObserver(lpObserverContext, uLine, nSection, szLine);
        if (szLine[0] == '[') {
            nSection = SECT_NONE;
            UINT i;
            for (i = 0; i < sizeof(aHeaders) / sizeof(aHeaders[0]); i++)
                if (strcmp(szLine, aHeaders[i].lpszHeader) == 0)
                    break;
            if (i == sizeof(aHeaders) / sizeof(aHeaders[0]))
                return FALSE;
            nSection = aHeaders[i].nSection;
            continue;
        }
        if (szLine[0] == '\0' || szLine[0] == ';')
            continue;

        switch (nSection) {
        case SECT_APP:
            ParseKeyLine(szLine);
            break;
        case SECT_SRCDIRS:
            AddSrcDir(szLine, bLineCut);
            break;
        case SECT_DSTDIRS:
            AddDstDir(szLine, bLineCut);
            break;
        case SECT_FILES:
            if (szLine[0] == '*')
                ExpandWildcard(szLine, hInstance);
            else
                AddFile(szLine, bLineCut);
            break;
        case SECT_PMINFO:
            AddPMItem(szLine);
            break;
        default:    /* before any header, and [Version] */
            break;
        }
    }
    return TRUE;
}

static BOOL IsYes(LPCSTR lpszValue)
{
    return lpszValue[0] == 'Y' || lpszValue[0] == 'y';
}

void CSetupInf::ParseKeyLine(LPSTR lpszLine)
{
    LPSTR p = strchr(lpszLine, '=');
    if (!SETUP_CHECK(p != NULL, "p!=NULL"))
        return;
    *p = '\0';
    LPSTR lpszValue = p + 1;

    if (strcmp(lpszLine, "AppName") == 0) {
        SETUP_CHECK(StoreText(szAppName, sizeof(szAppName), lpszValue),
                    "strlen(lpszValue)<sizeof(szAppName)");
    } else if (strcmp(lpszLine, "DefDir") == 0) {
        bDefDirCut = !SETUP_CHECK(StoreText(szDefDir, sizeof(szDefDir), lpszValue),
                                  "strlen(lpszValue)<sizeof(szDefDir)");
    } else if (strcmp(lpszLine, "SpaceNeeded") == 0) {
        uSpaceNeeded = StrToWord(lpszValue);
    } else if (strcmp(lpszLine, "DefPMGroup") == 0) {
        /* Without a comma the whole value is the group's name. */
        LPSTR c = strchr(lpszValue, ',');
        LPSTR lpszName = lpszValue;
        szPMGroupFirst[0] = '\0';
        if (c) {
            *c = '\0';
            SETUP_CHECK(StoreText(szPMGroupFirst, sizeof(szPMGroupFirst), TrimBlanks(lpszValue)),
                        "strlen(lpszValue)<sizeof(szPMGroupFirst)");
            lpszName = c + 1;
        }
        SETUP_CHECK(StoreText(szPMGroupName, sizeof(szPMGroupName), TrimBlanks(lpszName)),
                    "strlen(lpszName)<sizeof(szPMGroupName)");
    } else if (strcmp(lpszLine, "ShowSubDirCreateStats") == 0) {
        bShowSubDirCreateStats = IsYes(lpszValue);
    } else if (strcmp(lpszLine, "InstallToHD") == 0) {
        bInstallToHD = IsYes(lpszValue);
    }
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

/* One entry that cannot be copied, standing for a wildcard line or file
 * that cannot be read as the script means it: the copy then fails with
 * its name instead of leaving files out without a word. */
void CSetupInf::AddFailingFile(LPCSTR lpszDisplayName)
{
    char szLine[MAXLINE];
    char szShown[MAXTEXT];
    StoreText(szShown, sizeof(szShown), lpszDisplayName);
    /* Its commas would split the entry's line. */
    for (LPSTR p = szShown; *p; p += TextCharBytes(p))
        if (*p == ',')
            *p = ';';
    FormatText(szLine, sizeof(szLine), "%s, 0:?, 0:?,", szShown);
    FILEENTRY *pFile = new (std::nothrow) FILEENTRY(szLine);
    if (SETUP_CHECK(pFile != NULL, "pFile!=NULL"))
        pFile->MarkCut();
    StoreFile(pFile, szShown);
}

void CSetupInf::ExpandWildcard(LPSTR lpszLine, HINSTANCE hInstance)
{
    char szSrcId[MAXIDTEXT];
    char szDstId[MAXIDTEXT];
    char szFolder[MAXLINE];
    char szProgramDir[MAXLINE];
    char szPattern[MAXLINE];
    char szShown[MAXTEXT];

    /* A line that cannot be listed as written stands as one entry that
     * fails with the line's own text, never as nothing. */
    StoreText(szShown, sizeof(szShown), lpszLine);
    szShown[strcspn(szShown, ",")] = '\0';
    LPSTR p = strchr(lpszLine, '-');
    if (!SETUP_CHECK(p != NULL, "p!=NULL"))
        return;
    *p = '\0';
    LPSTR lpszDstId = p + 1;
    p = strchr(lpszDstId, ',');
    if (!SETUP_CHECK(p != NULL, "p!=NULL"))
        return;
    *p = '\0';

    /* A cut id text could name another directory. */
    if (!SETUP_CHECK(StoreText(szSrcId, sizeof(szSrcId), lpszLine + 1),
                     "strlen(lpszLine+1)<sizeof(szSrcId)") ||
        !SETUP_CHECK(StoreText(szDstId, sizeof(szDstId), lpszDstId),
                     "strlen(lpszDstId)<sizeof(szDstId)")) {
        AddFailingFile(szShown);
        return;
    }

    long lSrcId = IdTextValue(szSrcId);
    UINT ii;
    for (ii = 0; ii < uNumSrcDirs; ii++)
        if ((long)pSrcDirs[ii]->GetId() == lSrcId)
            break;
    if (!SETUP_CHECK(ii != uNumSrcDirs, "ii!=uNumSrcDirs") || !pSrcDirs[ii]->IsWhole()) {
        AddFailingFile(szShown);
        return;
    }

    /* An empty folder stands for the program's folder itself. */
    pSrcDirs[ii]->GetDir(szFolder);
    size_t n = strlen(szFolder);
    if (n > 0 && !PathEndsInBackslash(szFolder)) {
        szFolder[n] = '\\';
        szFolder[n + 1] = '\0';
    }

    int cch = 0;
    if (!SETUP_CHECK(OsGetProgramFolder(hInstance, szProgramDir, sizeof(szProgramDir)),
                     "OsGetProgramFolder(szProgramDir)") ||
        !SETUP_CHECK((cch = FormatText(szPattern, sizeof(szPattern), "%s%s*.*", szProgramDir, szFolder)) > 0 &&
                     cch < (int)sizeof(szPattern), "cch>0&&cch<(int)sizeof(szPattern)")) {
        AddFailingFile(szShown);
        return;
    }

    OSFIND find;
    memset(&find, 0, sizeof(find));
    if (!OsFindFirst(szPattern, &find))
        return;
    do {
        if (!(find.dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
            AddWildcardFile(find.szName, szSrcId, szDstId);
    } while (OsFindNext(&find));
    OsFindClose(&find);
}

void CSetupInf::AddWildcardFile(LPCSTR lpszName, LPCSTR lpszSrcId, LPCSTR lpszDstId)
{
    char szLine[MAXLINE];

    /* A comma would split the generated line, and a name cut to fit would
     * copy the wrong file: such a file is reported and fails its copy. */
    int cch = 0;
    if (!SETUP_CHECK(strchr(lpszName, ',') == NULL, "strchr(lpszName,',')==NULL") ||
        !SETUP_CHECK(strlen(lpszName) < MAXTEXT, "strlen(lpszName)<MAXTEXT") ||
        !SETUP_CHECK((cch = FormatText(szLine, sizeof(szLine), "%s, %s:%s, %s:%s,", lpszName, lpszSrcId,
                                     lpszName, lpszDstId, lpszName)) > 0 && cch < (int)sizeof(szLine),
                     "cch>0&&cch<(int)sizeof(szLine)")) {
        AddFailingFile(lpszName);
        return;
    }
    if (!SETUP_CHECK(uNumFiles < MAXFILE, "uNumFiles<MAXFILE")) {
        StoreFile(NULL, lpszName);
        return;
    }
    FILEENTRY *pFile = new (std::nothrow) FILEENTRY(szLine);
    SETUP_CHECK(pFile != NULL, "pFile!=NULL");
    StoreFile(pFile, lpszName);
}
