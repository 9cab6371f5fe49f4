/*
 * InfJson.cpp - the install database written as one JSON object, keys in
 * a fixed order.
 */
#include <stdio.h>
#include "InfJson.h"
#include "SetupinfView.h"

std::string JsonText(LPCSTR lpsz)
{
    std::string s = "\"";
    for (const unsigned char *p = (const unsigned char *)lpsz; *p; p++) {
        if (*p == '"' || *p == '\\') {
            s += '\\';
            s += (char)*p;
        } else if (*p >= 0x20 && *p <= 0x7E) {
            s += (char)*p;
        } else {
            char szEsc[8];
            snprintf(szEsc, sizeof(szEsc), "\\u%04x", *p);
            s += szEsc;
        }
    }
    return s + "\"";
}

static std::string Key(const char *lpszKey)
{
    return std::string("\"") + lpszKey + "\":";
}

static std::string Number(unsigned long n)
{
    return std::to_string(n);
}

static std::string DirArray(const CSetupInf &inf, BOOL bSource)
{
    CSetupInfView view(inf);
    std::string s = "[";
    UINT n = bSource ? view.NumSrcDirs() : inf.GetNumDstDirs();
    for (UINT i = 0; i < n; i++) {
        const DIRENTRY *pDir = bSource ? view.SrcDir(i) : view.DstDir(i);
        char szDir[MAXTEXT];
        pDir->GetDir(szDir);
        s += (i ? "," : "");
        s += "{" + Key("id") + Number(pDir->GetId()) + "," + Key("dir") + JsonText(szDir) + "}";
    }
    return s + "]";
}

static std::string FileArray(const CSetupInf &inf)
{
    CSetupInfView view(inf);
    std::string s = "[";
    for (UINT i = 0; i < inf.GetNumFiles(); i++) {
        const FILEENTRY *pFile = view.File(i);
        char szDisplay[MAXTEXT], szSrc[MAXTEXT], szDst[MAXTEXT];
        pFile->GetNames(szDisplay, szSrc, szDst);
        s += (i ? "," : "");
        s += "{" + Key("displayName") + JsonText(szDisplay) +
             "," + Key("srcDirId") + Number(pFile->GetSrcDirId()) +
             "," + Key("srcName") + JsonText(szSrc) +
             "," + Key("dstDirId") + Number(pFile->GetDstDirId()) +
             "," + Key("dstName") + JsonText(szDst) + "}";
    }
    return s + "]";
}

static std::string ItemArray(const CSetupInf &inf)
{
    CSetupInfView view(inf);
    std::string s = "[";
    for (UINT i = 0; i < inf.GetNumPMItems(); i++) {
        char szDescription[MAXTEXT], szItemSpec[MAXTEXT];
        view.PMItem(i)->GetItem(szDescription, szItemSpec);
        s += (i ? "," : "");
        s += "{" + Key("itemSpec") + JsonText(szItemSpec) +
             "," + Key("description") + JsonText(szDescription) + "}";
    }
    return s + "]";
}

static std::string CheckArray()
{
    std::string s = "[";
    for (UINT i = 0; const CHECKRECORD *pRec = SetupCheckGet(i); i++) {
        s += (i ? "," : "");
        s += "{" + Key("expr") + JsonText(pRec->szExpr) +
             "," + Key("file") + JsonText(pRec->szFile) +
             "," + Key("line") + Number(pRec->nLine) + "}";
    }
    return s + "]";
}

std::string InfToJson(const CSetupInf &inf, UINT uResult)
{
    CSetupInfView view(inf);
    return "{" + Key("result") + Number(uResult) +
           "," + Key("section") + Number(view.Section()) +
           "," + Key("appName") + JsonText(view.AppName()) +
           "," + Key("defDir") + JsonText(view.DefDir()) +
           "," + Key("spaceNeeded") + Number(inf.GetSpaceNeeded()) +
           "," + Key("pmGroupFirst") + JsonText(view.PMGroupFirst()) +
           "," + Key("pmGroupName") + JsonText(view.PMGroupName()) +
           "," + Key("showSubDirCreateStats") + (inf.GetShowSubDirCreateStats() ? "true" : "false") +
           "," + Key("installToHD") + (inf.GetInstallToHD() ? "true" : "false") +
           "," + Key("srcDirs") + DirArray(inf, TRUE) +
           "," + Key("dstDirs") + DirArray(inf, FALSE) +
           "," + Key("files") + FileArray(inf) +
           "," + Key("pmItems") + ItemArray(inf) +
           "," + Key("checks") + CheckArray() + "}";
}
