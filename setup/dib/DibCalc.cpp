/*
 * DibCalc.cpp - the arithmetic of packed DIBs: colour count, where the
 * pixels start, whether a block can be read safely, and the palette record.
 * No platform calls; built and tested on the host as well.
 */
#include <stdint.h>
#include <string.h>
#include "DibCalc.h"

#define BI_RGB_       0
#define BI_RLE8_      1
#define BI_RLE4_      2
#define BI_BITFIELDS_ 3
#define MASKEND       52    /* a 40-byte header's three masks end here */

static DWORD Get16(const void *lpDib, unsigned off)
{
    const BYTE *p = (const BYTE *)lpDib + off;
    return (DWORD)p[0] | ((DWORD)p[1] << 8);
}

static DWORD Get32(const void *lpDib, unsigned off)
{
    const BYTE *p = (const BYTE *)lpDib + off;
    return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
}

static DWORD BitCount(const void *lpDib)
{
    return Get32(lpDib, 0) == DIB_CORESIZE ? Get16(lpDib, 10) : Get16(lpDib, 14);
}

/* Where the colour table starts: after the header, and after the three
 * masks that follow a 40-byte header when the pixels are bit fields. */
static uint64_t TableOffset(const void *lpDib)
{
    DWORD cbHeader = Get32(lpDib, 0);
    if (cbHeader != DIB_CORESIZE && cbHeader >= 20 && cbHeader < MASKEND &&
        Get32(lpDib, 16) == BI_BITFIELDS_)
        return MASKEND;
    return cbHeader;
}

/* Entries the colour table really holds. Only depths up to 8 bits have an
 * implied full table; for deeper pixels (2 to the 16 or 32 entries would
 * place the pixels far outside any bitmap) the table is what colours-used
 * says, as the platform reads it. */
static uint64_t TableEntries(const void *lpDib)
{
    DWORD cbHeader = Get32(lpDib, 0);
    DWORD bpp = BitCount(lpDib);
    uint64_t entries = 0;
    if (cbHeader != DIB_CORESIZE && cbHeader >= 36)
        entries = Get32(lpDib, 32);
    if (entries == 0 && bpp <= 8)
        entries = (uint64_t)1 << bpp;
    return entries;
}

static uint64_t PixelOffset(const void *lpDib)
{
    unsigned cbEntry = Get32(lpDib, 0) == DIB_CORESIZE ? 3 : 4;
    return TableOffset(lpDib) + TableEntries(lpDib) * cbEntry;
}

WORD DibColorCount(const void *lpDib)
{
    DWORD bpp;
    if (Get32(lpDib, 0) == DIB_CORESIZE) {
        bpp = Get16(lpDib, 10);
    } else {
        DWORD dwUsed = Get32(lpDib, 32);
        if (dwUsed != 0)
            return (WORD)(dwUsed & 0xFFFF);
        bpp = Get16(lpDib, 14);
    }
    switch (bpp) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    }
    return 0;
}

DWORD DibPixelOffset(const void *lpDib)
{
    uint64_t off = PixelOffset(lpDib);
    return off > 0xFFFFFFFFu ? 0xFFFFFFFFu : (DWORD)off;
}

const BYTE *DibPixelBits(const void *lpDib)
{
    return (const BYTE *)lpDib + DibPixelOffset(lpDib);
}

static BOOL DepthAndCompressionOk(DWORD bpp, DWORD dwCompression)
{
    switch (dwCompression) {
    case BI_RGB_:
        return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    case BI_RLE8_:
        return bpp == 8;
    case BI_RLE4_:
        return bpp == 4;
    case BI_BITFIELDS_:
        return bpp == 16 || bpp == 32;
    }
    return FALSE;
}

BOOL DibFits(const void *lpDib, DWORD cbDib)
{
    if (!lpDib || cbDib < 4)
        return FALSE;
    DWORD cbHeader = Get32(lpDib, 0);
    int64_t cx, cy;
    DWORD bpp, dwCompression = BI_RGB_;
    if (cbHeader == DIB_CORESIZE) {
        if (cbDib < DIB_CORESIZE)
            return FALSE;
        cx = Get16(lpDib, 4);
        cy = Get16(lpDib, 6);
        bpp = Get16(lpDib, 10);
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)
            return FALSE;
    } else {
        if (cbHeader < DIB_INFOSIZE || cbHeader > cbDib)
            return FALSE;
        cx = (int32_t)Get32(lpDib, 4);
        cy = (int32_t)Get32(lpDib, 8);
        bpp = Get16(lpDib, 14);
        dwCompression = Get32(lpDib, 16);
        if (!DepthAndCompressionOk(bpp, dwCompression))
            return FALSE;
        if (dwCompression != BI_RGB_ && dwCompression != BI_BITFIELDS_ && cy < 0)
            return FALSE;       /* run-length data is always bottom-up */
    }
    if (cx <= 0 || cy == 0)
        return FALSE;
    if (cy < 0)
        cy = -cy;

    uint64_t off = PixelOffset(lpDib);
    if (off > cbDib)
        return FALSE;
    uint64_t cbPixels;
    if (dwCompression == BI_RLE8_ || dwCompression == BI_RLE4_) {
        /* The platform decodes run-length data within its stated size. */
        cbPixels = Get32(lpDib, 20);
        if (cbPixels == 0)
            return FALSE;
    } else {
        uint64_t cbRow = ((uint64_t)cx * bpp + 31) / 32 * 4;
        cbPixels = cbRow * (uint64_t)cy;
    }
    return cbPixels <= cbDib - off;
}

UINT DibPaletteRecord(const void *lpDib, void *lpRecord, UINT cbRecord)
{
    if (Get32(lpDib, 0) != DIB_INFOSIZE)
        return 0;
    UINT n = DibColorCount(lpDib);
    if (n == 0 || cbRecord < 8 + 4 * n)
        return 0;
    const BYTE *pTable = (const BYTE *)lpDib + TableOffset(lpDib);
    BYTE *pRec = (BYTE *)lpRecord;
    pRec[0] = 0x00;             /* version 0x300 */
    pRec[1] = 0x03;
    pRec[2] = (BYTE)(n & 0xFF);
    pRec[3] = (BYTE)(n >> 8);
    for (UINT i = 0; i < n; i++) {
        BYTE *pEntry = pRec + 4 + 4 * i;
        pEntry[0] = pTable[4 * i + 2];      /* the table stores blue, green, red */
        pEntry[1] = pTable[4 * i + 1];
        pEntry[2] = pTable[4 * i];
        pEntry[3] = 0;
    }
    return n;
}
