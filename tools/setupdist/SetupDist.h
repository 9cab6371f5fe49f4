/*
 * SetupDist.h - the distribution builder: from the publisher's template
 * and the application's folder to a distribution folder that SETUP.EXE
 * installs, checked with the script checker before it is finished.
 *
 *   setupdist [options] TEMPLATE APP-FOLDER OUT-FOLDER
 */
#ifndef SETUPDIST_H
#define SETUPDIST_H

#include <string>
#include <vector>

#define DIST_EXIT_OK     0
#define DIST_EXIT_FAILED 2      /* nothing finished: no SETUP.INF in OUT-FOLDER */
#define DIST_EXIT_USAGE  64

/* Where the builder's messages go: bError for the error stream. */
typedef void (*DISTPRINT)(void *pContext, bool bError, const std::string &text);

/* Runs the builder on the arguments (without the program's name). */
int RunSetupDist(const std::vector<std::string> &args, DISTPRINT pfnPrint, void *pContext);

#endif
