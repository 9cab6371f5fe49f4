/*
 * DistTryWin32.cpp - setupdist --try on Windows: it installs under Wine,
 * on Linux; here the distribution can be run as it is.
 */
#include "DistRun.h"

int RunTry(const std::vector<std::string> &, DISTPRINT pfnPrint, void *pContext)
{
    pfnPrint(pContext, true, "setupdist: --try runs on Linux (it installs under Wine); on Windows, run the "
                             "distribution's SETUP.EXE or the one file itself");
    return DIST_EXIT_USAGE;
}
