/*
 * DibCalc.h - packed device-independent bitmaps (header, colour table,
 * pixel rows in one block, as bitmap resources store them): their
 * arithmetic, without platform calls.
 *
 * The arithmetic reads the block through byte offsets only, so it works on
 * any alignment and on the Linux host build.
 */
#ifndef DIBCALC_H
#define DIBCALC_H

#include "SetupTypes.h"

#define DIB_CORESIZE 12     /* header size of the core form */
#define DIB_INFOSIZE 40     /* header size of the information form */

/* Number of colour-table entries of the packed DIB at lpDib, 0 when it has
 * none. For every header but the core one, a non-zero colours-used field
 * decides (its low 16 bits). */
WORD DibColorCount(const void *lpDib);

/* Byte offset of the first pixel row from the start of the packed DIB:
 * header, masks (bit fields in a 40-byte header) and colour table. For
 * 16 and 32 bits per pixel the table is only what colours-used says. */
DWORD DibPixelOffset(const void *lpDib);

/* Address of the first byte of pixel data: lpDib + DibPixelOffset. */
const BYTE *DibPixelBits(const void *lpDib);

/* TRUE when every byte that DibColorCount, DibPixelOffset, DibPaletteRecord
 * and the platform's bitmap creation read lies in the cbDib bytes at lpDib,
 * and the form is one the platform draws (core header, or an information
 * header of at least 40 bytes; 1, 4, 8, 16, 24 or 32 bits per pixel;
 * uncompressed, bit fields, or run-length data whose size is given). */
BOOL DibFits(const void *lpDib, DWORD cbDib);

/* Fills lpRecord, cbRecord bytes, with a logical palette record (version
 * 0x300, count, then red, green, blue, 0 per entry) made from the colour
 * table of a DIB with a 40-byte header. Returns the number of entries, or
 * 0 (record untouched) when the header is not 40 bytes, the DIB has no
 * colour table or the record is smaller than 8 + 4 x entries bytes. */
UINT DibPaletteRecord(const void *lpDib, void *lpRecord, UINT cbRecord);

#endif
