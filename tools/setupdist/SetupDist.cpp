/*
 * SetupDist.cpp - the builder's steps: the command line read
 * (DistOptions.cpp), the template read, the application's tree walked
 * (DistWalk.cpp) and planned, every limit checked before anything is
 * written; then the distribution written (DistWrite.cpp) and, with
 * --single-file, its one file (DistOneFile.cpp). A failure or an
 * interrupt after the first write removes what was written; a dry run
 * does it all and then removes it too, so its result is the real run's.
 */
#include <algorithm>
#include <memory>
#include "DistOs.h"
#include "DistRun.h"
#include "SetupDist.h"

/* The template's errors from the iFirst-th on, each at its line. */
static void ReportTemplateErrors(DISTRUN *pRun, size_t iFirst)
{
    for (size_t i = iFirst; i < pRun->tmpl.errors.size(); i++)
        Error(pRun, pRun->strTemplate + ":" + std::to_string(pRun->tmpl.errors[i].first) + ": error: " +
                        DistOsScriptToNative(pRun->tmpl.errors[i].second));
}

static void LoadTemplate(DISTRUN *pRun)
{
    std::vector<unsigned char> data;
    int nKind = DistOsKind(pRun->strTemplate);
    if (nKind != 0 || !DistOsReadFile(pRun->strTemplate, &data)) {
        Error(pRun, pRun->strTemplate + ": error: cannot read the template: " +
                        (nKind == 1 ? std::string("it is a folder") : DistOsLastError()));
        return;
    }
    std::string text, bad;
    UINT uLine = 0;
    if (!TemplateToScript(std::string(data.begin(), data.end()), pRun->nEncoding, &text, &uLine, &bad)) {
        Error(pRun, pRun->strTemplate + ":" + std::to_string(uLine) + ": error: " + bad +
                        (pRun->nEncoding == DIST_ENC_AUTO ? "" : " (--template-encoding)"));
        return;
    }
    ReadTemplate(text, &pRun->tmpl);
    ReportTemplateErrors(pRun, 0);
}

/* The output folder's full path, links resolved, also when it does not
 * exist yet; "" when its parent does not exist. */
static std::string FullOutPath(const DISTRUN *pRun)
{
    if (DistOsKind(pRun->strOut) >= 0)
        return DistOsFullPath(pRun->strOut);
    size_t nCut = pRun->strOut.find_last_of(std::string("/") + chDistSep);
    std::string parent = nCut == std::string::npos ? "." : pRun->strOut.substr(0, nCut + 1);
    std::string fullParent = DistOsFullPath(parent);
    return fullParent.empty() ? "" : Join(fullParent, pRun->strOut.substr(nCut + 1));
}

static void CheckOutFolder(DISTRUN *pRun)
{
    int nKind = DistOsKind(pRun->strOut);
    std::vector<DISTENTRY> entries;
    std::string checkerPath;
    if (nKind == 0 || (nKind == 1 && (!DistOsList(pRun->strOut, &entries) || !entries.empty()))) {
        Error(pRun, pRun->strOut + ": error: " + (nKind == 0 ? "a file" : "not an empty folder") +
                        "; a distribution is laid out in a new or empty folder");
        return;
    }
    std::string fullOut = FullOutPath(pRun);
    if (fullOut.empty()) {
        Error(pRun, pRun->strOut + ": error: its parent folder does not exist");
        return;
    }
    if (!pRun->strFullApp.empty() && WithinApp(pRun, fullOut))
        Error(pRun, pRun->strOut + ": error: lies inside the application's folder (it is " + fullOut +
                        "), so the distribution would be packed into the next one");
    if (!DistOsCheckerPath(fullOut, &checkerPath))
        Error(pRun, pRun->strOut + ": error: the path has a character outside code page 936 (GBK); the script "
                                   "checker cannot read a distribution there");
}

static bool IsProgram(const std::string &path)
{
    std::vector<unsigned char> data;
    return DistOsReadFile(path, &data) && data.size() > 2 && data[0] == 'M' && data[1] == 'Z';
}

/* --setup-exe, else the one beside the tool, else the installed one. */
static void FindSetupExe(DISTRUN *pRun)
{
    if (pRun->strSetupExe.empty()) {
        pRun->strSetupExe = FindByTool(DIST_SETUPEXE, DIST_SHARED_SETUP_EXE);
        if (pRun->strSetupExe.empty()) {
            Error(pRun, "setupdist: error: no SETUP.EXE beside the tool nor in " DIST_SHARED_SETUP_EXE
                        " from its folder; name one with --setup-exe");
            return;
        }
    }
    int nKind = DistOsKind(pRun->strSetupExe);
    if (nKind == 1)
        Error(pRun, pRun->strSetupExe + ": error: a folder; --setup-exe names the SETUP.EXE file itself");
    else if (nKind < 0)
        Error(pRun, pRun->strSetupExe + ": error: no such file (--setup-exe)");
    else if (!IsProgram(pRun->strSetupExe))
        Error(pRun, pRun->strSetupExe + ": error: not a Windows program");
}

/* The plan's errors, each naming its file below the application's folder. */
static void ReportPlanErrors(DISTRUN *pRun)
{
    static const std::string below = "installed below ", after = " its path is ";
    for (auto &error : pRun->plan.errors) {
        /* The plan names DefDir as the script holds it (GBK). */
        size_t nEnd = error.second.find(after);
        if (error.second.compare(0, below.size(), below) == 0 && nEnd != std::string::npos)
            error.second.replace(below.size(), nEnd - below.size(),
                                 DistOsScriptToNative(error.second.substr(below.size(), nEnd - below.size())));
        Error(pRun, Join(pRun->strApp, error.first) + ": error: " + error.second);
    }
    pRun->plan.errors.clear();
}

/* Would the top's files, a [Files] line each, pass the script's limits?
 * Judged on the longest script the run can write: each file under its
 * compressed name where it may have one. */
static bool TopLinesDoNotFit(const DISTRUN *pRun)
{
    DISTPLAN plan = pRun->plan;
    size_t nLines = 0;
    for (DISTFILE &file : plan.files) {
        file.bPacked = !file.strPackedScript.empty();
        nLines += plan.folders[file.iFolder].bWild ? 0 : 1;
    }
    return nLines > DIST_MAXLINES ||
           ScriptText(MakeScript(pRun->tmpl, plan, pRun->uSpaceK, true)).size() >= MAXSCRIPT;
}

/* The top's files beside SETUP.EXE, a line each, as long as they fit;
 * else those that fit a wildcard line in a subfolder of their own, and
 * the template's items that start one of them from the distribution
 * pointed there. */
static void LayOut(DISTRUN *pRun)
{
    LPCSTR lpszDefDir = pRun->tmpl.bHasDefDir ? pRun->tmpl.strDefDir.c_str() : NULL;
    DISTPLAN walked = pRun->plan;
    CheckLayout(&pRun->plan, lpszDefDir, false);
    if (!TopLinesDoNotFit(pRun))
        return;
    pRun->plan = walked;
    CheckLayout(&pRun->plan, lpszDefDir, true);
    if (pRun->plan.strTopFolder.empty())
        return;
    size_t nMoved = std::count_if(pRun->plan.files.begin(), pRun->plan.files.end(),
                                  [](const DISTFILE &file) { return file.bMoved; });
    Say(pRun, "setupdist: a [Files] line each would not fit the script: the top's " + std::to_string(nMoved) +
                  " files go into " + pRun->plan.strTopFolder + " on the distribution, installed by one "
                  "wildcard line");
    size_t nErrors = pRun->tmpl.errors.size();
    PointSourceItems(&pRun->tmpl, &pRun->plan);
    ReportTemplateErrors(pRun, nErrors);
}

/* Everything that can be known without writing: the template, the tree,
 * the output folder, SETUP.EXE, every limit. All are told in one run. */
static bool Plan(DISTRUN *pRun)
{
    LoadTemplate(pRun);
    bool bTree = WalkApp(pRun);
    CheckOutFolder(pRun);
    FindSetupExe(pRun);
    CheckSingleFile(pRun);
    if (!bTree)
        return false;
    pRun->uSpaceK = std::max<unsigned long long>(SpaceNeededK(&pRun->plan, pRun->cbCluster),
                                                 pRun->tmpl.uSpaceNeeded);
    LayOut(pRun);
    ReportPlanErrors(pRun);
    CheckScriptSize(pRun, MakeScript(pRun->tmpl, pRun->plan, pRun->uSpaceK, false));
    return pRun->nErrors == 0;
}

int RunSetupDist(const std::vector<std::string> &args, DISTPRINT pfnPrint, void *pContext)
{
    std::unique_ptr<DISTRUN> pRun(new DISTRUN());
    pRun->nCompress = COMPRESS_AUTO;
    pRun->nEncoding = DIST_ENC_AUTO;
    pRun->cbCluster = 4096;
    pRun->pfnPrint = pfnPrint;
    pRun->pContext = pContext;
    if (std::find(args.begin(), args.end(), "--help") != args.end() ||
        std::find(args.begin(), args.end(), "-h") != args.end()) {
        Say(pRun.get(), DistUsage(true));
        return DIST_EXIT_OK;
    }
    if (args.size() == 1 && args[0] == "--version") {
        Say(pRun.get(), "setupdist " SETUP_KIT_VERSION);
        return DIST_EXIT_OK;
    }
    if (!args.empty() && args[0] == "--try")
        return RunTry(args, pfnPrint, pContext);
    std::string why;
    if (!ParseArgs(pRun.get(), args, &why)) {
        pfnPrint(pContext, true, "setupdist: error: " + why);
        pfnPrint(pContext, true, DistUsage(false));
        return DIST_EXIT_USAGE;
    }
    if (Plan(pRun.get()) && Build(pRun.get()))
        return DIST_EXIT_OK;
    Unmake(pRun.get());
    DistOsProgress("");
    pfnPrint(pContext, true, "setupdist: " + std::to_string(pRun->nErrors) +
                                 (pRun->nErrors == 1 ? " error" : " errors") + "; no distribution made");
    return DIST_EXIT_FAILED;
}
