/*
 * DistOptions.cpp - the builder's command line: its options and their
 * values read into the run, the three names, the usage and help texts.
 */
#include <stdlib.h>
#include "DistOs.h"
#include "DistRun.h"

static const char szUsage[] =
    "usage: setupdist [--compress auto|always|never] [--cluster BYTES] [--setup-exe PATH]\n"
    "                 [--exclude PATTERN]... [--template-encoding auto|utf-8|gbk] [--dry-run]\n"
    "                 [--single-file OUT.EXE [--force] [--launcher PATH]]\n"
    "                 TEMPLATE APP-FOLDER OUT-FOLDER\n"
    "       setupdist --try DIST [--report DIR] [--dest FOLDER] [--locale NAME] [--keep]";

static const char szHelp[] =
    "\n"
    "Lays out a distribution in OUT-FOLDER (new or empty): SETUP.EXE, SETUP.INF made\n"
    "from TEMPLATE ([App] and [PM Info]; the folders and files are added) and the\n"
    "files of APP-FOLDER, compressed where that makes them smaller, with their dates.\n"
    "\n"
    "  --compress MODE       auto (default), always or never\n"
    "  --cluster BYTES       cluster size for SpaceNeeded: 512 to 64K, a power of two\n"
    "                        (default 4096)\n"
    "  --setup-exe PATH      the SETUP.EXE to ship; by default the one beside setupdist,\n"
    "                        then " DIST_SHARED_SETUP_EXE " from its folder\n"
    "  --exclude PATTERN     leave out files and folders whose name (or path below\n"
    "                        APP-FOLDER, with '/') matches; * and ? as wildcards.\n"
    "                        The template, .git, Thumbs.db and desktop.ini are left\n"
    "                        out always\n"
    "  --template-encoding   auto (UTF-8 when the template is valid UTF-8, else GBK),\n"
    "                        utf-8 or gbk\n"
    "  --dry-run             do every step and every check, then remove what was\n"
    "                        written; the exit code is the real run's\n"
    "  --single-file OUT.EXE also write the distribution as one program (new file):\n"
    "                        the launcher followed by a cabinet of OUT-FOLDER's files;\n"
    "                        it unpacks them into a temporary folder, runs SETUP.EXE\n"
    "                        there and removes the folder. [PM Info] items in the\n"
    "                        distribution's folder (second character S) are refused\n"
    "  --force               let --single-file replace an OUT.EXE that exists\n"
    "  --version             the kit's version\n"
    "  --launcher PATH       the launcher; by default " DIST_LAUNCHER " beside setupdist,\n"
    "                        then " DIST_SHARED_LAUNCHER " from its folder\n"
    "\n"
    "--try installs DIST (a distribution folder, or a one file) under Wine in a\n"
    "throw-away prefix, walking through it as a user would with the defaults, checks\n"
    "every file, folder and item, and writes a report page with a picture of every\n"
    "window (Linux; needs Wine, and Xvfb without a display):\n"
    "  --report DIR          where the report goes; by default DIST.try beside DIST\n"
    "  --dest FOLDER         type this folder instead of taking the default one\n"
    "  --locale NAME         run under this system locale (default zh_CN.UTF-8)\n"
    "  --keep                keep the Wine prefix and say where it is\n"
    "\n"
    "Exit code: 0 ready, 2 errors (nothing left in OUT-FOLDER), 64 wrong arguments;\n"
    "with --try: 0 installed and every check holds, 1 it does not, 69 a package\n"
    "missing.";

std::string DistUsage(bool bHelp)
{
    return bHelp ? std::string(szUsage) + "\n" + szHelp : std::string(szUsage);
}

static bool ParseCluster(const std::string &text, unsigned long *pcb)
{
    char *lpszEnd = NULL;
    unsigned long cb = strtoul(text.c_str(), &lpszEnd, 10);
    if (lpszEnd && (*lpszEnd == 'K' || *lpszEnd == 'k')) {
        cb *= 1024;
        lpszEnd++;
    }
    if (text.empty() || text[0] < '0' || text[0] > '9' || !lpszEnd || *lpszEnd || cb < 512 || cb > 65536 ||
        (cb & (cb - 1)))
        return false;
    *pcb = cb;
    return true;
}

/* *pn = the index of value among the three words; false when none. */
static bool PickWord(const std::string &value, const char *const aWords[3], int *pn)
{
    for (int i = 0; i < 3; i++)
        if (value == aWords[i]) {
            *pn = i;
            return true;
        }
    return false;
}

/* One option with its value; FALSE with *pstrWhy when it is wrong. */
static bool ParseOption(DISTRUN *pRun, const std::string &arg, const std::string &value, std::string *pstrWhy)
{
    static const char *const aModes[] = { "auto", "always", "never" };
    static const char *const aEncodings[] = { "auto", "utf-8", "gbk" };
    if (arg == "--compress") {
        if (PickWord(value, aModes, &pRun->nCompress))
            return true;
        *pstrWhy = "--compress " + value + ": the mode is auto, always or never";
    } else if (arg == "--cluster") {
        if (ParseCluster(value, &pRun->cbCluster))
            return true;
        *pstrWhy = "--cluster " + value + ": a cluster is a power of two from 512 to 65536 bytes (or 1K to 64K)";
    } else if (arg == "--template-encoding") {
        if (PickWord(value, aEncodings, &pRun->nEncoding))
            return true;
        *pstrWhy = "--template-encoding " + value + ": the encoding is auto, utf-8 or gbk";
    } else if (arg == "--setup-exe") {
        pRun->strSetupExe = value;
        return true;
    } else if (arg == "--exclude") {
        pRun->excludes.push_back(value);
        return true;
    } else if (arg == "--single-file") {
        pRun->strSingleFile = value;
        return true;
    } else if (arg == "--launcher") {
        pRun->strLauncher = value;
        return true;
    }
    return false;
}

bool ParseArgs(DISTRUN *pRun, const std::vector<std::string> &args, std::string *pstrWhy)
{
    static const char *const aValued[] = { "--compress", "--cluster", "--template-encoding", "--setup-exe",
                                           "--exclude", "--single-file", "--launcher" };
    std::vector<std::string> names;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &arg = args[i];
        bool bValued = false;
        for (const char *lpszOption : aValued)
            bValued = bValued || arg == lpszOption;
        if (arg == "--dry-run") {
            pRun->bDryRun = true;
        } else if (arg == "--force") {
            pRun->bForce = true;
        } else if (bValued && i + 1 == args.size()) {
            *pstrWhy = arg + " needs a value";
            return false;
        } else if (bValued) {
            if (!ParseOption(pRun, arg, args[++i], pstrWhy))
                return false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            *pstrWhy = arg + ": no such option";
            return false;
        } else {
            names.push_back(arg);
        }
    }
    if (names.size() != 3) {
        *pstrWhy = "three names are needed, TEMPLATE APP-FOLDER OUT-FOLDER; " + std::to_string(names.size()) +
                   (names.size() == 1 ? " is given" : " are given");
        return false;
    }
    if (!pRun->strLauncher.empty() && pRun->strSingleFile.empty()) {
        *pstrWhy = "--launcher is for --single-file";
        return false;
    }
    pRun->strTemplate = names[0];
    pRun->strApp = names[1];
    pRun->strOut = names[2];
    /* "out/" is "out"; a root ("/", "A:\") stays as it is. */
    std::string &out = pRun->strOut;
    while (out.size() > 1 && (out.back() == chDistSep || out.back() == '/') && out[out.size() - 2] != ':')
        out.pop_back();
    return true;
}
