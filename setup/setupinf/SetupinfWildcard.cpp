/*
 * SetupinfWildcard.cpp - a wildcard line of [Files] listed: every file of
 * its source folder in the distribution becomes an entry of its own; a
 * line or a file that cannot be listed as written becomes one entry that
 * fails its copy with its name.
 */
#include <new>
#include <string.h>
#include "Setupinf.h"
#include "SetupinfOs.h"

/* The decimal value of an id text as the C library reads it: blanks
 * skipped, an optional sign, digits up to the first other character.
 * Clamped, so no text can overflow it. */
static long IdTextValue(LPCSTR lpsz)
{
    lpsz += strspn(lpsz, " \t");
    BOOL bNegative = *lpsz == '-';
    if (*lpsz == '-' || *lpsz == '+')
        lpsz++;
    long lValue = 0;
    for (; *lpsz >= '0' && *lpsz <= '9'; lpsz++)
        if (lValue < 100000000L)
            lValue = lValue * 10 + (*lpsz - '0');
    return bNegative ? -lValue : lValue;
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
