/*
 * meterfig.cpp - the meter's figures: percentage text and bar width. No
 * platform calls; built and tested on the host as well.
 */
#include <string.h>
#include "meterfig.h"
#include "SetupText.h"

int MeterFigures(UINT uPos, UINT uRange, int cxClient, char *lpszText, UINT cbText)
{
    if (uRange == 0)
        uRange = 1;
    if (uPos > uRange)
        uPos = uRange;
    if (cbText > 0)
        FormatText(lpszText, cbText, "%lu%%", (unsigned long)((unsigned long long)uPos * 100 / uRange));
    if (cxClient <= 0)
        return 0;
    return (int)((long long)cxClient * uPos / uRange);
}

BOOL MeterLooksSame(UINT uPos1, UINT uRange1, UINT uPos2, UINT uRange2, int cxClient)
{
    /* Wider than the text ever is, so the compiler sees it cannot be cut. */
    char sz1[16], sz2[16];
    int cx1 = MeterFigures(uPos1, uRange1, cxClient, sz1, sizeof(sz1));
    int cx2 = MeterFigures(uPos2, uRange2, cxClient, sz2, sizeof(sz2));
    return cx1 == cx2 && strcmp(sz1, sz2) == 0;
}
