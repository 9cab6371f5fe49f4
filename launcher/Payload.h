/*
 * Payload.h - the one-file distribution's layout, without Win32 calls, so
 * that setupdist (which writes it) and the launcher (which reads it) share
 * it and the host build tests it.
 *
 *   launcher program | cabinet | trailer | zero bytes up to a multiple of 8
 *   [ signature, when the file is signed: listed in the PE security directory ]
 *
 * The trailer: the title (code page 936, NUL-padded), the cabinet's size,
 * a CRC-32 of the cabinet, title and size, and a closing magic text.
 */
#ifndef PAYLOAD_H
#define PAYLOAD_H

#include <stddef.h>
#include <stdint.h>

#define PAYLOAD_TITLE_MAX   64
#define PAYLOAD_TRAILER     (PAYLOAD_TITLE_MAX + 16)
#define PAYLOAD_MAGIC       "KSPAYLD1"

/* FindPayload's results. */
#define PAYLOAD_OK          0
#define PAYLOAD_NOTPE       1   /* the file is no PE program */
#define PAYLOAD_MISSING     2   /* no trailer where one belongs: a cut file */
#define PAYLOAD_DAMAGED     3   /* the size or the CRC do not match */
#define PAYLOAD_BADCABINET  4   /* the cabinet's own structure or checksums are wrong */

typedef struct tagPAYLOAD {
    size_t ibCabinet;           /* offset of the cabinet in the file */
    size_t cbCabinet;
    char szTitle[PAYLOAD_TITLE_MAX + 1];
    uint64_t cbUnpacked;        /* the files' sizes added up */
    unsigned nFiles;
} PAYLOAD;

/* The CRC-32 (of zip and PNG) of cb bytes, continuing from uCrc (0 to start). */
uint32_t PayloadCrc32(uint32_t uCrc, const unsigned char *pb, size_t cb);

/* The end of the program's own bytes and payload: the offset of the
 * signature when the PE security directory lists one, else cb. 0 when the
 * bytes are no PE program. */
size_t PayloadEnd(const unsigned char *pb, size_t cb);

/* Writes the trailer for a cabinet of cbCabinet bytes (pbCabinet) and a
 * title into pbTrailer (PAYLOAD_TRAILER bytes); the title is cut at a
 * character boundary of code page 936 to fit. */
void MakePayloadTrailer(const unsigned char *pbCabinet, size_t cbCabinet, const char *lpszTitle,
                        unsigned char *pbTrailer);

/* Checks a cabinet: one cabinet alone (no set), its folders' data blocks
 * inside it, each block's checksum. Counts its files and their sizes
 * into pPayload. */
int CheckCabinet(const unsigned char *pb, size_t cb, PAYLOAD *pPayload);

/* Finds and checks the payload of a launcher's whole file: PAYLOAD_OK and
 * *pPayload filled, or the reason it cannot be used. */
int FindPayload(const unsigned char *pb, size_t cb, PAYLOAD *pPayload);

/* Is a name of the cabinet safe to unpack below a folder: relative, no
 * drive, no ".." or empty part, no part a device name? */
bool SafePayloadName(const char *lpszName);

/* Is a name (cch bytes, one part of a path) a device Windows reserves:
 * CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$ or CONOUT$, in
 * any case, alone or before a dot, with blanks before the dot? Only ASCII
 * bytes can match, so the names of code page 936 are judged right too. */
bool IsDeviceName(const char *lpszName, size_t cch);

#endif
