/*
 * TryPng.cpp - a screenshot as GDI writes it (a BMP of 24 or 32 bits a
 * pixel, not compressed) turned into a PNG that any browser shows: 8-bit
 * RGB, one IDAT chunk deflated by zlib.
 */
#include <stdlib.h>
#include <string.h>
#include <zlib.h>
#include "TryReport.h"

#define BMP_FILEHEADER  14
#define BMP_INFOHEADER  40
#define BMP_RGB         0
#define BMP_BITFIELDS   3
#define PNG_MAXSIDE     16384
#define PNG_MAXPIXELS   (1L << 25)      /* 8K by 4K: well past any screen */

static unsigned long Le32(const unsigned char *pb)
{
    return (unsigned long)pb[0] | (unsigned long)pb[1] << 8 | (unsigned long)pb[2] << 16 | (unsigned long)pb[3] << 24;
}

static void PutBe32(std::vector<unsigned char> *pOut, unsigned long ul)
{
    for (int nShift = 24; nShift >= 0; nShift -= 8)
        pOut->push_back((unsigned char)(ul >> nShift));
}

/* Appends a chunk: its length, type, data and the CRC of type and data. */
static void PutChunk(std::vector<unsigned char> *pOut, const char *lpszType, const unsigned char *pb, size_t cb)
{
    PutBe32(pOut, (unsigned long)cb);
    size_t iType = pOut->size();
    pOut->insert(pOut->end(), lpszType, lpszType + 4);
    pOut->insert(pOut->end(), pb, pb + cb);
    uLong ulCrc = crc32(0L, Z_NULL, 0);
    ulCrc = crc32(ulCrc, pOut->data() + iType, (uInt)(4 + cb));
    PutBe32(pOut, ulCrc);
}

/* The 32-bit form GDI writes with masks must still be plain BGRX. */
static bool PlainMasks(const std::vector<unsigned char> &bmp)
{
    const size_t iMasks = BMP_FILEHEADER + BMP_INFOHEADER;
    return bmp.size() >= iMasks + 12 && Le32(&bmp[iMasks]) == 0x00FF0000 && Le32(&bmp[iMasks + 4]) == 0x0000FF00 &&
           Le32(&bmp[iMasks + 8]) == 0x000000FF;
}

/* Why the BMP cannot be read, or "" with its size and layout. */
static std::string ReadBmpHeader(const std::vector<unsigned char> &bmp, long *plWidth, long *plHeight,
                                 bool *pbTopDown, unsigned *puBytes)
{
    if (bmp.size() < BMP_FILEHEADER + BMP_INFOHEADER || bmp[0] != 'B' || bmp[1] != 'M')
        return "not a BMP";
    if (Le32(&bmp[14]) < BMP_INFOHEADER)
        return "a BMP of the old kind";
    unsigned uBits = bmp[28] | bmp[29] << 8;
    unsigned long ulCompression = Le32(&bmp[30]);
    long lHeight = (long)(int)(unsigned)Le32(&bmp[22]);
    *plWidth = (long)(int)(unsigned)Le32(&bmp[18]);
    if (uBits != 24 && uBits != 32)
        return "a BMP of " + std::to_string(uBits) + " bits a pixel; 24 or 32 are read";
    if (!(ulCompression == BMP_RGB || (ulCompression == BMP_BITFIELDS && uBits == 32 && PlainMasks(bmp))))
        return "a compressed BMP";
    *pbTopDown = lHeight < 0;
    *plHeight = labs(lHeight);
    if (*plWidth <= 0 || *plHeight <= 0)
        return "a BMP without pixels";
    if (*plWidth > PNG_MAXSIDE || *plHeight > PNG_MAXSIDE || *plWidth * *plHeight > PNG_MAXPIXELS)
        return "a BMP too large to convert";
    *puBytes = uBits / 8;
    return "";
}

bool BmpToPng(const std::vector<unsigned char> &bmp, std::vector<unsigned char> *pPng, std::string *pstrWhy)
{
    long lWidth = 0, lHeight = 0;
    bool bTopDown = false;
    unsigned uBytes = 0;
    pPng->clear();
    *pstrWhy = ReadBmpHeader(bmp, &lWidth, &lHeight, &bTopDown, &uBytes);
    if (!pstrWhy->empty())
        return false;
    size_t cbStride = ((size_t)lWidth * uBytes + 3) & ~(size_t)3;
    size_t iPixels = Le32(&bmp[10]);
    if (iPixels > bmp.size() || (bmp.size() - iPixels) / cbStride < (size_t)lHeight) {
        *pstrWhy = "a BMP cut short";
        return false;
    }

    /* Each row behind filter byte 0: the pictures are flat colours, which
     * deflate takes well as they are. */
    size_t cbRow = 1 + (size_t)lWidth * 3;
    std::vector<unsigned char> raw(cbRow * (size_t)lHeight);
    for (long y = 0; y < lHeight; y++) {
        const unsigned char *pbIn = &bmp[iPixels + cbStride * (size_t)(bTopDown ? y : lHeight - 1 - y)];
        unsigned char *pbOut = &raw[cbRow * (size_t)y];
        *pbOut++ = 0;
        for (long x = 0; x < lWidth; x++, pbIn += uBytes) {
            *pbOut++ = pbIn[2];
            *pbOut++ = pbIn[1];
            *pbOut++ = pbIn[0];
        }
    }
    uLongf cbDeflated = compressBound((uLong)raw.size());
    std::vector<unsigned char> deflated(cbDeflated);
    if (compress2(deflated.data(), &cbDeflated, raw.data(), (uLong)raw.size(), Z_BEST_COMPRESSION) != Z_OK) {
        *pstrWhy = "zlib cannot compress the picture";
        return false;
    }

    static const unsigned char abSignature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    std::vector<unsigned char> header;
    PutBe32(&header, (unsigned long)lWidth);
    PutBe32(&header, (unsigned long)lHeight);
    const unsigned char abRest[5] = { 8, 2, 0, 0, 0 };    /* 8 bits, RGB, deflate, no interlace */
    header.insert(header.end(), abRest, abRest + sizeof(abRest));
    pPng->assign(abSignature, abSignature + sizeof(abSignature));
    PutChunk(pPng, "IHDR", header.data(), header.size());
    PutChunk(pPng, "IDAT", deflated.data(), cbDeflated);
    PutChunk(pPng, "IEND", NULL, 0);
    return true;
}
