/*
 * main.cpp - the setupdist command (SetupDist.h tells what it does).
 */
#include "DistOs.h"
#include "SetupDist.h"

static void Print(void *, bool bError, const std::string &text)
{
    DistOsPrint(bError, text);
}

int main(int argc, char **argv)
{
    DistOsWatchInterrupts();
    return RunSetupDist(DistOsArgs(argc, argv), Print, NULL);
}
