/*
 * meterfig.h - the percentage meter control's messages and figures,
 * without platform calls. The control (meter.h) is a bar
 * filled from the left with a centred percentage text whose part over the
 * bar is drawn in the opposite colours.
 *
 * Position and range are 16-bit window words (set values are cut to their
 * low 16 bits); lParam is ignored by all four messages. A set message
 * repaints at once, because its sender is usually a busy loop, unless the
 * meter would draw the same pixels as before.
 */
#ifndef METERFIG_H
#define METERFIG_H

#include "SetupTypes.h"

#define METER_CLASS   "RQ_METER"

#define MM_GETPOS     0x400     /* WM_USER + 0: returns the position */
#define MM_GETRANGE   0x401     /* WM_USER + 1: returns the range */
#define MM_SETPOS     0x402     /* WM_USER + 2: wParam = new position */
#define MM_SETRANGE   0x403     /* WM_USER + 3: wParam = new range */

#define METER_TEXTMAX 8         /* "100%" and its terminator fit */

/* What a meter of cxClient pixels shows for uPos out of uRange: writes the
 * percentage text ("0%" .. "100%") into lpszText (cbText bytes, cut to fit)
 * and returns the bar width in pixels. A range of 0 counts as 1 and a
 * position above the range as the range. */
int MeterFigures(UINT uPos, UINT uRange, int cxClient, char *lpszText, UINT cbText);

/* Whether a meter of cxClient pixels draws the same pixels for uPos1 out
 * of uRange1 as for uPos2 out of uRange2: the same bar width and text. */
BOOL MeterLooksSame(UINT uPos1, UINT uRange1, UINT uPos2, UINT uRange2, int cxClient);

#endif
