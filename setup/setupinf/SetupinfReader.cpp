/*
 * SetupinfReader.cpp - the reader of SETUP.INF: the script read into one
 * block, each line cut out into a line buffer, the section headers and the
 * [App] keys read; directory, file and item lines go to the database
 * (Setupinf.cpp), wildcard lines to their listing (SetupinfWildcard.cpp).
 */
#include <string.h>
#include "Setupinf.h"
#include "SetupinfOs.h"

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
