/*
 * Payload.cpp - the one-file distribution's layout (Payload.h): the PE
 * security directory, the trailer, and the cabinet's structure and
 * checksums, all read from bytes in memory.
 */
#include <string.h>
#include "Payload.h"

static uint32_t Get16(const unsigned char *pb)
{
    return (uint32_t)pb[0] | (uint32_t)pb[1] << 8;
}

static uint32_t Get32(const unsigned char *pb)
{
    return Get16(pb) | Get16(pb + 2) << 16;
}

static void Put32(unsigned char *pb, uint32_t u)
{
    for (int i = 0; i < 4; i++)
        pb[i] = (unsigned char)(u >> (8 * i));
}

uint32_t PayloadCrc32(uint32_t uCrc, const unsigned char *pb, size_t cb)
{
    uint32_t aTable[256];
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        aTable[n] = c;
    }
    uCrc = ~uCrc;
    for (size_t i = 0; i < cb; i++)
        uCrc = aTable[(uCrc ^ pb[i]) & 0xFF] ^ (uCrc >> 8);
    return ~uCrc;
}

size_t PayloadEnd(const unsigned char *pb, size_t cb)
{
    if (cb < 0x40 || pb[0] != 'M' || pb[1] != 'Z')
        return 0;
    size_t ibPe = Get32(pb + 0x3C);
    if (ibPe > cb || cb - ibPe < 24 || memcmp(pb + ibPe, "PE\0\0", 4) != 0)
        return 0;
    size_t cbOptional = Get16(pb + ibPe + 20), ibOptional = ibPe + 24;
    if (cbOptional > cb - ibOptional || cbOptional < 2)
        return 0;
    /* PE32 and PE32+ differ only in where the data directories begin. */
    uint32_t uMagic = Get16(pb + ibOptional);
    size_t ibCount = uMagic == 0x10B ? 92 : uMagic == 0x20B ? 108 : 0;
    if (ibCount == 0 || ibCount + 4 + 5 * 8 > cbOptional)
        return uMagic == 0x10B || uMagic == 0x20B ? cb : 0;
    if (Get32(pb + ibOptional + ibCount) < 5)
        return cb;
    const unsigned char *pbSecurity = pb + ibOptional + ibCount + 4 + 4 * 8;
    size_t ibSignature = Get32(pbSecurity), cbSignature = Get32(pbSecurity + 4);
    /* A signature cut off with the file's end still leaves the payload before it. */
    return cbSignature == 0 || ibSignature == 0 || ibSignature > cb ? cb : ibSignature;
}

void MakePayloadTrailer(const unsigned char *pbCabinet, size_t cbCabinet, const char *lpszTitle,
                        unsigned char *pbTrailer)
{
    memset(pbTrailer, 0, PAYLOAD_TRAILER);
    size_t cbTitle = 0;
    while (lpszTitle[cbTitle]) {
        size_t cbChar = (unsigned char)lpszTitle[cbTitle] >= 0x81 && lpszTitle[cbTitle + 1] ? 2 : 1;
        if (cbTitle + cbChar > PAYLOAD_TITLE_MAX)
            break;
        cbTitle += cbChar;
    }
    memcpy(pbTrailer, lpszTitle, cbTitle);
    Put32(pbTrailer + PAYLOAD_TITLE_MAX, (uint32_t)cbCabinet);
    uint32_t uCrc = PayloadCrc32(0, pbCabinet, cbCabinet);
    uCrc = PayloadCrc32(uCrc, pbTrailer, PAYLOAD_TITLE_MAX + 4);
    Put32(pbTrailer + PAYLOAD_TITLE_MAX + 4, uCrc);
    memcpy(pbTrailer + PAYLOAD_TITLE_MAX + 8, PAYLOAD_MAGIC, 8);
}

/* The cabinet format's own checksum: the bytes taken as little-endian
 * words XORed, the last one to three bytes as one word, high byte first. */
static uint32_t CabChecksum(const unsigned char *pb, size_t cb, uint32_t uSeed)
{
    uint32_t u = uSeed, uLast = 0;
    size_t i = 0;
    for (; i + 4 <= cb; i += 4)
        u ^= Get32(pb + i);
    for (; i < cb; i++)
        uLast = uLast << 8 | pb[i];
    return u ^ uLast;
}

/* The data blocks of one folder: inside the cabinet, checksums right.
 * Adds the folder's unpacked size to *pcbUnpacked. */
static bool CheckFolderData(const unsigned char *pb, size_t cb, const unsigned char *pbFolder, size_t cbDataReserve,
                            uint64_t *pcbUnpacked)
{
    size_t ib = Get32(pbFolder);
    unsigned nBlocks = Get16(pbFolder + 4);
    *pcbUnpacked = 0;
    for (unsigned i = 0; i < nBlocks; i++) {
        if (ib > cb || cb - ib < 8 + cbDataReserve)
            return false;
        size_t cbData = Get16(pb + ib + 4), ibData = ib + 8 + cbDataReserve;
        if (cbData > cb - ibData)
            return false;
        uint32_t uSum = Get32(pb + ib);
        if (uSum != 0 && CabChecksum(pb + ib + 4, 4, CabChecksum(pb + ibData, cbData, 0)) != uSum)
            return false;
        *pcbUnpacked += Get16(pb + ib + 6);
        ib = ibData + cbData;
    }
    return true;
}

int CheckCabinet(const unsigned char *pb, size_t cb, PAYLOAD *pPayload)
{
    if (cb < 36 || memcmp(pb, "MSCF", 4) != 0 || Get32(pb + 8) != cb)
        return PAYLOAD_BADCABINET;
    unsigned nFolders = Get16(pb + 26), nFiles = Get16(pb + 28), uFlags = Get16(pb + 30);
    size_t ib = 36, cbFolderReserve = 0, cbDataReserve = 0;
    if (uFlags & 3)     /* a cabinet of a set: the launcher has one alone */
        return PAYLOAD_BADCABINET;
    if (uFlags & 4) {
        if (cb < 40)
            return PAYLOAD_BADCABINET;
        ib = 40 + Get16(pb + 36);
        cbFolderReserve = pb[38];
        cbDataReserve = pb[39];
    }
    uint64_t aUnpacked[64];
    if (nFolders == 0 || nFolders > 64)
        return PAYLOAD_BADCABINET;
    for (unsigned i = 0; i < nFolders; i++, ib += 8 + cbFolderReserve)
        if (ib > cb || cb - ib < 8 + cbFolderReserve ||
            !CheckFolderData(pb, cb, pb + ib, cbDataReserve, &aUnpacked[i]))
            return PAYLOAD_BADCABINET;
    pPayload->nFiles = nFiles;
    pPayload->cbUnpacked = 0;
    ib = Get32(pb + 16);
    for (unsigned i = 0; i < nFiles; i++) {
        if (ib > cb || cb - ib < 17)
            return PAYLOAD_BADCABINET;
        const char *lpszName = (const char *)pb + ib + 16;
        size_t cchName = strnlen(lpszName, cb - ib - 16);
        uint64_t cbFile = Get32(pb + ib), ibStart = Get32(pb + ib + 4);
        unsigned iFolder = Get16(pb + ib + 8);
        if (cchName == cb - ib - 16 || iFolder >= nFolders || ibStart + cbFile > aUnpacked[iFolder] ||
            !SafePayloadName(lpszName))
            return PAYLOAD_BADCABINET;
        pPayload->cbUnpacked += cbFile;
        ib += 16 + cchName + 1;
    }
    return PAYLOAD_OK;
}

int FindPayload(const unsigned char *pb, size_t cb, PAYLOAD *pPayload)
{
    size_t ibEnd = PayloadEnd(pb, cb);
    if (ibEnd == 0)
        return PAYLOAD_NOTPE;
    /* setupdist pads to a multiple of 8, as a signer would. */
    for (int i = 0; i < 7 && ibEnd > 0 && pb[ibEnd - 1] == 0; i++)
        ibEnd--;
    if (ibEnd < PAYLOAD_TRAILER || memcmp(pb + ibEnd - 8, PAYLOAD_MAGIC, 8) != 0)
        return PAYLOAD_MISSING;
    const unsigned char *pbTrailer = pb + ibEnd - PAYLOAD_TRAILER;
    size_t cbCabinet = Get32(pbTrailer + PAYLOAD_TITLE_MAX), ibTrailer = ibEnd - PAYLOAD_TRAILER;
    if (cbCabinet > ibTrailer)
        return PAYLOAD_DAMAGED;
    uint32_t uCrc = PayloadCrc32(0, pbTrailer - cbCabinet, cbCabinet + PAYLOAD_TITLE_MAX + 4);
    if (uCrc != Get32(pbTrailer + PAYLOAD_TITLE_MAX + 4))
        return PAYLOAD_DAMAGED;
    pPayload->ibCabinet = ibTrailer - cbCabinet;
    pPayload->cbCabinet = cbCabinet;
    memcpy(pPayload->szTitle, pbTrailer, PAYLOAD_TITLE_MAX);
    pPayload->szTitle[PAYLOAD_TITLE_MAX] = '\0';
    return CheckCabinet(pb + pPayload->ibCabinet, cbCabinet, pPayload);
}

bool SafePayloadName(const char *lpszName)
{
    if (!*lpszName || *lpszName == '\\' || *lpszName == '/' || strchr(lpszName, ':'))
        return false;
    for (const char *p = lpszName; *p;) {
        size_t cch = strcspn(p, "\\/");
        if (cch == 0 || (cch == 2 && p[0] == '.' && p[1] == '.') || (cch == 1 && p[0] == '.') ||
            IsDeviceName(p, cch))
            return false;
        p += cch;
        if (*p && !*++p)
            return false;
    }
    return true;
}

bool IsDeviceName(const char *lpszName, size_t cch)
{
    static const char *const aDevices[] = { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$" };
    /* Windows looks at the part before the first dot, its trailing blanks dropped. */
    size_t cchBase = 0;
    while (cchBase < cch && lpszName[cchBase] != '.')
        cchBase++;
    while (cchBase > 0 && lpszName[cchBase - 1] == ' ')
        cchBase--;
    char achBase[8];
    if (cchBase > sizeof(achBase))
        return false;
    for (size_t i = 0; i < cchBase; i++)
        achBase[i] = lpszName[i] >= 'a' && lpszName[i] <= 'z' ? (char)(lpszName[i] - 'a' + 'A') : lpszName[i];
    for (const char *lpszDevice : aDevices)
        if (strlen(lpszDevice) == cchBase && memcmp(achBase, lpszDevice, cchBase) == 0)
            return true;
    return cchBase == 4 && (memcmp(achBase, "COM", 3) == 0 || memcmp(achBase, "LPT", 3) == 0) &&
           achBase[3] >= '1' && achBase[3] <= '9';
}
