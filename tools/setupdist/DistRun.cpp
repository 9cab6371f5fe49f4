/*
 * DistRun.cpp - the helpers every step of the builder uses: its messages,
 * its paths, the programs it finds beside itself, the script's size
 * against its limit. They call no other step.
 */
#include "DistNames.h"
#include "DistOs.h"
#include "DistRun.h"

void Say(DISTRUN *pRun, const std::string &text)
{
    pRun->pfnPrint(pRun->pContext, false, text);
}

void Error(DISTRUN *pRun, const std::string &text)
{
    pRun->pfnPrint(pRun->pContext, true, text);
    pRun->nErrors++;
}

std::string Join(const std::string &dir, const std::string &rel)
{
    if (rel.empty())
        return dir;
    if (dir.empty())
        return rel;
    return dir.back() == chDistSep || dir.back() == '/' ? dir + rel : dir + chDistSep + rel;
}

std::string OutPath(const DISTRUN *pRun, const std::string &rel)
{
    return Join(pRun->strOut, rel);
}

std::string StoredRel(const DISTRUN *pRun, const DISTFILE &file)
{
    std::string name = file.bPacked ? file.strPackedNative : file.strNative;
    return file.bMoved ? Join(pRun->plan.strTopFolder, name) : NativePath(pRun->plan, file.iFolder, name);
}

/* The file lpszName beside the tool, else the installed one (lpszShared,
 * relative to the tool's folder); empty when neither is there. */
std::string FindByTool(const char *lpszName, const char *lpszShared)
{
    std::string beside = DistOsToolFolder() + lpszName;
    std::string shared = DistOsToolFolder() + lpszShared;
    return DistOsKind(beside) == 0 ? beside : DistOsKind(shared) == 0 ? shared : std::string();
}

/* The script's size against its limit, told at the first line that
 * passes it: the file of a [Files] line, the folder of a wildcard line or
 * the template's line. */
void CheckScriptSize(DISTRUN *pRun, const std::vector<DISTLINE> &lines)
{
    size_t cb = 0;
    for (const DISTLINE &line : lines) {
        cb += line.strText.size() + 2;
        if (cb < MAXSCRIPT)
            continue;
        std::string where = DIST_SCRIPT;
        if (line.iFile >= 0)
            where = Join(pRun->strApp, FileNativePath(pRun->plan, pRun->plan.files[line.iFile]));
        else if (line.iFolder >= 0)
            where = Join(pRun->strApp, pRun->plan.folders[line.iFolder].strNative);
        else if (line.uTemplateLine)
            where = pRun->strTemplate + ":" + std::to_string(line.uTemplateLine);
        Error(pRun, where + ": error: " DIST_SCRIPT " would be " + CountText(ScriptText(lines).size()) +
                        " bytes; a script holds at most 20479 (this line passes the limit)");
        return;
    }
}
