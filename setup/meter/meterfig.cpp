/*
 * meterfig.cpp - the meter's figures: percentage text and bar width. No
 * platform calls; built and tested on the host as well.
 */
#include <stdio.h>
#include "meter.h"

int MeterFigures(UINT uPos, UINT uRange, int cxClient, char *lpszText, UINT cbText)
{
    if (uRange == 0)
        uRange = 1;
    if (uPos > uRange)
        uPos = uRange;
    if (cbText > 0)
        snprintf(lpszText, cbText, "%lu%%", (unsigned long)((unsigned long long)uPos * 100 / uRange));
    if (cxClient <= 0)
        return 0;
    return (int)((long long)cxClient * uPos / uRange);
}
