/*
 * DistTry.cpp - setupdist --try DIST [--report DIR] [--dest FOLDER]
 * [--locale NAME] [--keep]: the kit's setupdist-try.sh installs DIST
 * under Wine in a throw-away prefix, walked through by TRYWALK.EXE; then
 * the installation is checked and the report written (TryReport.h).
 */
#include <errno.h>
#include <ftw.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include "DistOs.h"
#include "DistRun.h"
#include "TryReport.h"

#define TRY_EXIT_FAILED  1
#define TRY_EXIT_MISSING 69    /* a package to install: the script said which */

typedef struct tagTRYRUN {
    std::string strDist, strReport, strDest, strLocale;
    bool bKeep;
} TRYRUN;

static bool ParseTry(const std::vector<std::string> &args, TRYRUN *pTry, std::string *pstrWhy)
{
    for (size_t i = 1; i < args.size(); i++) {
        const std::string &arg = args[i];
        bool bValued = arg == "--report" || arg == "--dest" || arg == "--locale";
        if (bValued && i + 1 >= args.size()) {
            *pstrWhy = arg + " needs a value";
            return false;
        }
        if (arg == "--report")
            pTry->strReport = args[++i];
        else if (arg == "--dest")
            pTry->strDest = args[++i];
        else if (arg == "--locale")
            pTry->strLocale = args[++i];
        else if (arg == "--keep")
            pTry->bKeep = true;
        else if (arg.compare(0, 2, "--") == 0 || !pTry->strDist.empty()) {
            *pstrWhy = "--try takes one distribution and the options --report, --dest, --locale and --keep, "
                       "not " + arg;
            return false;
        } else
            pTry->strDist = arg;
    }
    if (pTry->strDist.empty())
        *pstrWhy = "--try needs a distribution: its folder or a one file";
    return !pTry->strDist.empty();
}

/* DIST.try beside a folder; beside a one file, its name without .exe. */
static std::string DefaultReport(std::string dist)
{
    while (dist.size() > 1 && dist.back() == '/')
        dist.pop_back();
    if (DistOsKind(dist) == 0 && dist.size() > 4 && strcasecmp(dist.c_str() + dist.size() - 4, ".exe") == 0)
        dist.resize(dist.size() - 4);
    return dist + ".try";
}

/* Runs argv with the terminal's output; its exit code, -1 when it could
 * not run or was killed. */
static int RunScript(const std::vector<std::string> &args)
{
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(NULL);
    pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int nStatus = 0;
    while (pid > 0 && waitpid(pid, &nStatus, 0) < 0 && errno == EINTR)
        ;
    return pid > 0 && WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

/* The folders above the report's, made as mkdir -p would. */
static void MakeParents(const std::string &dir)
{
    for (size_t i = dir.find('/', 1); i != std::string::npos; i = dir.find('/', i + 1))
        if (DistOsKind(dir.substr(0, i)) < 0)
            DistOsMakeFolder(dir.substr(0, i));
}

static int RemoveOne(const char *lpszPath, const struct stat *, int, struct FTW *)
{
    remove(lpszPath);
    return 0;
}

int RunTry(const std::vector<std::string> &args, DISTPRINT pfnPrint, void *pContext)
{
    TRYRUN tr = {};
    std::string why;
    if (!ParseTry(args, &tr, &why)) {
        pfnPrint(pContext, true, "setupdist: error: " + why);
        pfnPrint(pContext, true, DistUsage(false));
        return DIST_EXIT_USAGE;
    }
    int nKind = DistOsKind(tr.strDist);
    if (nKind < 0 || (nKind == 1 && DistOsKind(Join(tr.strDist, "SETUP.EXE")) != 0)) {
        pfnPrint(pContext, true, tr.strDist + ": error: " +
                                     (nKind < 0 ? "no such file or folder" : "no SETUP.EXE in this folder") +
                                     "; --try takes a distribution folder or a one file");
        return DIST_EXIT_USAGE;
    }
    std::string script = FindByTool("setupdist-try.sh", "../share/setupdist/setupdist-try.sh");
    if (script.empty()) {
        pfnPrint(pContext, true, "setupdist: error: no setupdist-try.sh beside the tool nor in "
                                 "../share/setupdist from its folder: the kit is incomplete");
        return TRY_EXIT_MISSING;
    }
    const char *lpszTmp = getenv("TMPDIR");
    std::string work = std::string(lpszTmp && *lpszTmp ? lpszTmp : "/tmp") + "/setupdist-try.XXXXXX";
    if (!mkdtemp(&work[0])) {
        pfnPrint(pContext, true, "setupdist: error: cannot make a folder for the Wine prefix: " + DistOsLastError());
        return TRY_EXIT_FAILED;
    }
    std::vector<std::string> command = { "/bin/bash", script, work, DistOsFullPath(tr.strDist) };
    if (!tr.strDest.empty())
        command.insert(command.end(), { "--dest", tr.strDest });
    if (!tr.strLocale.empty())
        command.insert(command.end(), { "--locale", tr.strLocale });
    pfnPrint(pContext, false, "setupdist: installing " + tr.strDist + " under Wine (" +
                                  (tr.strLocale.empty() ? std::string("zh_CN.UTF-8") : tr.strLocale) + ")...");
    /* 0 walked, 1 the walk stopped: both leave facts to report. */
    int nScript = RunScript(command);
    bool bFacts = (nScript == 0 || nScript == 1) && DistOsKind(work + "/walk.txt") == 0;
    int nExit = nScript == TRY_EXIT_MISSING || nScript == DIST_EXIT_USAGE ? nScript : TRY_EXIT_FAILED;
    if (!bFacts && nExit == TRY_EXIT_FAILED)
        pfnPrint(pContext, true, "setupdist: error: the trial installation could not run (" + script +
                                     " ended with " + std::to_string(nScript) + "); no report written");
    if (bFacts) {
        std::string report = tr.strReport.empty() ? DefaultReport(tr.strDist) : tr.strReport;
        std::string first;
        MakeParents(report);
        nExit = TryReport(work + "/walk.txt", work + "/shots", work + "/dist", report, &first);
        if (nExit == 0)
            pfnPrint(pContext, false, "setupdist: installed; every check holds. The report: " + report + "/index.html");
        else
            pfnPrint(pContext, true, "setupdist: " + (first.empty() ? std::string("not installed") : first) +
                                         "; the report: " + report + "/index.html");
    }
    if (tr.bKeep)
        pfnPrint(pContext, false, "setupdist: the Wine prefix is kept in " + work + "/wineprefix");
    else
        nftw(work.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
    return nExit;
}
