/*
 * InfJson.cpp - the install database written as one JSON object, keys in
 * a fixed order.
 */
#include <stdio.h>
#include "Console.h"
#include "InfJson.h"
#include "SetupinfView.h"

static void AddEscape(std::string *ps, unsigned long ul)
{
    char szEsc[24];     /* room for any unsigned long, though callers pass 16 bits */
    snprintf(szEsc, sizeof(szEsc), "\\u%04lx", ul);
    *ps += szEsc;
}

std::string JsonText(LPCSTR lpsz)
{
    std::string utf8 = ConsoleUnicode(lpsz), s = "\"";
    for (size_t i = 0; i < utf8.size();) {
        unsigned char b = (unsigned char)utf8[i];
        size_t cb = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        unsigned long ul = cb == 1 ? b : b & (0x7F >> cb);
        for (size_t k = 1; k < cb && i + k < utf8.size(); k++)
            ul = ul << 6 | ((unsigned char)utf8[i + k] & 0x3F);
        i += cb;
        if (ul == '"' || ul == '\\') {
            s += '\\';
            s += (char)ul;
        } else if (ul >= 0x20 && ul <= 0x7E) {
            s += (char)ul;
        } else if (ul > 0xFFFF) {
            AddEscape(&s, 0xD800 + ((ul - 0x10000) >> 10));
            AddEscape(&s, 0xDC00 + ((ul - 0x10000) & 0x3FF));
        } else {
            AddEscape(&s, ul);
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

std::string FindingsToJson(const std::vector<FINDING> &findings, const std::string &database)
{
    std::string s = "{" + Key("findings") + "[";
    size_t nErrors = 0;
    for (size_t i = 0; i < findings.size(); i++) {
        const FINDING &f = findings[i];
        nErrors += f.nSeverity == SEV_ERROR;
        s += (i ? "," : "");
        s += "{" + Key("severity") + (f.nSeverity == SEV_ERROR ? "\"error\"" : "\"warning\"") +
             "," + Key("line") + Number(f.uLine) + "," + Key("message") + JsonText(f.strText.c_str()) + "}";
    }
    return s + "]," + Key("errors") + Number(nErrors) + "," + Key("warnings") +
           Number(findings.size() - nErrors) + "," + Key("database") + database + "}";
}
