/*
 * Szdd.h - the SZDD compressed file format that the platform's LZ
 * expansion service reads: a 14-byte header, then LZ77 items over a
 * 4096-byte ring buffer, in groups of eight behind a flag byte. Written
 * by the builder, expanded by the check of a trial installation.
 */
#ifndef SZDD_H
#define SZDD_H

#include <stddef.h>
#include <vector>

#define SZDD_HEADER 14

/* TRUE when the bytes begin with the SZDD signature: the LZ service
 * expands such a file even when it was meant to be copied as it is. */
bool SzddHasSignature(const unsigned char *pb, size_t cb);

/* Compresses cb bytes of pb into *pOut (replacing its contents): the
 * header with chMissing as the name's missing last character (0 for
 * none), then the items, parsed for the fewest bytes. FALSE when the
 * expanded size does not fit the header's 32 bits. */
bool SzddCompress(const unsigned char *pb, size_t cb, char chMissing, std::vector<unsigned char> *pOut);

/* Expands a whole compressed file (header included) into *pOut. FALSE
 * when the header is not method 'A' or the items do not give exactly the
 * size the header states. Written apart from SETUP.EXE's own expander so
 * that a fault there shows as a difference rather than agreeing with
 * itself. */
bool SzddExpand(const unsigned char *pb, size_t cb, std::vector<unsigned char> *pOut);

#endif
