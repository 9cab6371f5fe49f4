/*
 * Dib.h - packed device-independent bitmaps (header, colour table, pixel
 * rows in one block, as bitmap resources store them): their arithmetic,
 * and the palettes and device bitmaps made from the program's resources.
 *
 * The arithmetic reads the block through byte offsets only, so it works on
 * any alignment and on the Linux host build.
 */
#ifndef DIB_H
#define DIB_H

#ifdef _WIN32
#include <windows.h>
#else
#include "HostTypes.h"
typedef unsigned char BYTE;
#endif

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

#ifdef _WIN32
/* A new logical palette from the colour table of the packed DIB at lpDib
 * (which must pass DibFits), or NULL: no DIB, a header other than 40 bytes,
 * no colour table, or no memory. The caller deletes it. */
HPALETTE DibPalette(const void *lpDib);

/* A new palette from the colour table of bitmap resource lpszName of
 * hInstance, or NULL (missing, malformed, or no palette possible). */
HPALETTE LoadBitmapPalette(HINSTANCE hInstance, LPCSTR lpszName);

/* A new device-dependent bitmap for the display of hwnd made from bitmap
 * resource lpszName of hInstance, or NULL. The resource's own palette is
 * realised in hwnd's DC while the bitmap is made. The caller deletes it. */
HBITMAP LoadDeviceBitmap(HWND hwnd, HINSTANCE hInstance, LPCSTR lpszName);
#endif

#endif
