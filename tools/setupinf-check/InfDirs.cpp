/*
 * InfDirs.cpp - the findings on the directories: ids given twice, a
 * destination folder listed before its parent, a wildcard line's
 * destination id that no directory has.
 */
#include <map>
#include "InfCheckState.h"
#include "SetupinfView.h"

/* Folders are created one level at a time in list order, so each parent
 * must come first. */
static void CheckDstDirOrder(CHECKSTATE *pState)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    std::vector<std::vector<std::string>> parts;
    for (UINT i = 0; i < inf.GetNumDstDirs(); i++)
        parts.push_back(PathParts(DirText(view.DstDir(i))));

    for (UINT i = 0; i < parts.size(); i++) {
        for (size_t n = 1; n < parts[i].size(); n++) {
            std::string parent = JoinParts(parts[i], n);
            UINT j;
            for (j = 0; j < parts.size(); j++)
                if (SameName(JoinParts(parts[j], parts[j].size()), parent))
                    break;
            if (j < i)
                continue;
            std::string folder = Quote(JoinParts(parts[i], parts[i].size()));
            if (j < parts.size())
                Add(pState, pState->dstLine[i], SEV_WARNING,
                    "destination folder " + folder + " is listed before its parent " +
                    Quote(parent) + " (line " + std::to_string(pState->dstLine[j]) +
                    "); folders are created in list order");
            else
                Add(pState, pState->dstLine[i], SEV_WARNING,
                    "the parent " + Quote(parent) + " of destination folder " + folder +
                    " is not listed; it must be created first");
            break;
        }
    }
}

/* The destination id of a wildcard line is checked on the line itself, so
 * that an empty folder does not hide a wrong id. */
static void CheckWildcardDestinations(CHECKSTATE *pState)
{
    for (const SCRIPTLINE &line : pState->lines) {
        if (line.nSection != SECT_FILES || line.strText[0] != '*')
            continue;
        std::string src, dst;
        if (!WildcardIds(line.strText, &src, &dst))
            continue;
        std::vector<char> buf(dst.begin(), dst.end());
        buf.push_back('\0');
        WORD wId = StrToWord(TrimBlanks(buf.data()));
        if (!pState->pInf->FindDstDir(wId))
            Add(pState, line.uLine, SEV_ERROR,
                "destination directory " + std::to_string(wId) + " is not defined in [DstDirs]");
    }
}

/* A directory id given again: every lookup finds the first. */
static void CheckDirIds(CHECKSTATE *pState, BOOL bSource)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    UINT n = bSource ? view.NumSrcDirs() : inf.GetNumDstDirs();
    const std::vector<UINT> &lines = bSource ? pState->srcLine : pState->dstLine;
    std::map<UINT, UINT> first;
    for (UINT i = 0; i < n && i < MAXDIR; i++) {
        const DIRENTRY *pDir = bSource ? view.SrcDir(i) : view.DstDir(i);
        if (!pDir)
            continue;
        std::map<UINT, UINT>::iterator it = first.find(pDir->GetId());
        if (it == first.end())
            first[pDir->GetId()] = lines[i];
        else
            Add(pState, lines[i], SEV_WARNING,
                std::string(bSource ? "source" : "destination") + " directory " + std::to_string(pDir->GetId()) +
                    " is given again (first at line " + std::to_string(it->second) +
                    "); every file finds the first, and this line is never used");
    }
}

void CheckDirectories(CHECKSTATE *pState)
{
    CheckDirIds(pState, TRUE);
    CheckDirIds(pState, FALSE);
    CheckDstDirOrder(pState);
    CheckWildcardDestinations(pState);
}
