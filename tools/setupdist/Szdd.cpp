/*
 * Szdd.cpp - the SZDD compressor, and a plain expander.
 *
 * The expander keeps a ring of 4096 bytes, filled with spaces, and writes
 * the first expanded byte at 4096 - 16. A flag byte tells, from its low
 * bit up, whether each of the next eight items is a literal byte (1) or a
 * match (0) of two bytes: the ring position's low 8 bits, then its high 4
 * bits over the length less 3 (lengths 3 to 18). Bytes are copied one at
 * a time, so a match may overlap what it writes.
 *
 * The compressor works on the input preceded by 4096 spaces, which is
 * exactly what the ring holds before the first byte: a position b of
 * that text sits at ring position (b - 16) mod 4096. Hash chains find
 * the longest match at every position; since a literal costs 9 bits
 * and a match 17 whatever its length, a backward pass over each block
 * then picks the cheapest sequence of literals and matches.
 */
#include <string.h>
#include "Szdd.h"

#define RINGSIZE    4096
#define RINGSTART   (RINGSIZE - 16)
#define MINMATCH    3
#define MAXMATCH    18
#define LONGMATCH   4               /* the chain that finds the longer matches */
#define HASHBITS    15
#define LONGDEPTH   48              /* candidates tried per position, per chain */
#define SHORTDEPTH  8
#define BLOCKSIZE   65536           /* positions parsed together */
#define COSTLITERAL 9
#define COSTMATCH   17

static const unsigned char abSignature[8] = { 'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33 };

bool SzddHasSignature(const unsigned char *pb, size_t cb)
{
    return cb >= sizeof(abSignature) && memcmp(pb, abSignature, sizeof(abSignature)) == 0;
}

/* Two hash chains: positions by their first 4 bytes, walked deep for the
 * long matches, and by their first 3, walked a little for the rest. Texts
 * of short repeats (records, tables) fill a single 3-byte chain with
 * candidates that cannot win. */
typedef struct tagCHAIN {
    std::vector<int> head;              /* newest position of each hash */
    std::vector<int> prev;              /* older position, by position mod RINGSIZE */
} CHAIN;

typedef struct tagMATCHER {
    std::vector<unsigned char> text;    /* RINGSIZE spaces, then the input */
    CHAIN shortChain, longChain;
} MATCHER;

static unsigned Hash(const unsigned char *p, int cb)
{
    unsigned u = p[0] | (p[1] << 8) | (p[2] << 16) | (cb > 3 ? (unsigned)p[3] << 24 : 0);
    return (u * 2654435761u) >> (32 - HASHBITS);
}

static void InitChain(CHAIN *pc)
{
    pc->head.assign(1 << HASHBITS, -1);
    pc->prev.assign(RINGSIZE, -1);
}

static void InsertInto(CHAIN *pc, const unsigned char *pText, int b, int cb)
{
    unsigned h = Hash(pText + b, cb);
    pc->prev[b & (RINGSIZE - 1)] = pc->head[h];
    pc->head[h] = b;
}

static void Insert(MATCHER *pm, int b)
{
    size_t cbLeft = pm->text.size() - b;
    if (cbLeft >= MINMATCH)
        InsertInto(&pm->shortChain, pm->text.data(), b, MINMATCH);
    if (cbLeft >= LONGMATCH)
        InsertInto(&pm->longChain, pm->text.data(), b, LONGMATCH);
}

/* Walks a chain from the newest candidate for position b; returns the
 * longest match found (at most nMax), or nBest when none is longer.
 * Positions before b are inserted, so an entry within the ring's reach
 * is never a stale slot. */
static int Walk(const MATCHER *pm, const CHAIN *pc, int cbHash, int b, int nMax, int nDepth,
                int nBest, int *pnFrom)
{
    const unsigned char *pText = pm->text.data();
    int nCand = pc->head[Hash(pText + b, cbHash)];
    for (; nCand >= 0 && b - nCand <= RINGSIZE && nDepth > 0; nDepth--) {
        if (pText[nCand + nBest] == pText[b + nBest]) {
            int n = 0;
            while (n < nMax && pText[nCand + n] == pText[b + n])
                n++;
            if (n > nBest) {
                nBest = n;
                *pnFrom = nCand;
                if (n == nMax)
                    break;
            }
        }
        nCand = pc->prev[nCand & (RINGSIZE - 1)];
    }
    return nBest;
}

/* The longest match for position b, at most nMax long, or 0 when there
 * is none of MINMATCH; *pnFrom gets its start. */
static int Longest(const MATCHER *pm, int b, int nMax, int *pnFrom)
{
    if (nMax < MINMATCH)
        return 0;
    int n = 0;
    if (nMax >= LONGMATCH) {
        n = Walk(pm, &pm->longChain, LONGMATCH, b, nMax, LONGDEPTH, 0, pnFrom);
        if (n >= LONGMATCH)
            return n;
    }
    n = Walk(pm, &pm->shortChain, MINMATCH, b, nMax, SHORTDEPTH, n > MINMATCH - 1 ? n : MINMATCH - 1, pnFrom);
    return n >= MINMATCH ? n : 0;
}

/* Appends items to the output, a flag byte ahead of every eight. */
typedef struct tagEMITTER {
    std::vector<unsigned char> *pOut;
    size_t iFlag;
    int nItems;
} EMITTER;

static void StartItem(EMITTER *pe, bool bLiteral)
{
    if (pe->nItems == 8 || pe->iFlag == (size_t)-1) {
        pe->iFlag = pe->pOut->size();
        pe->pOut->push_back(0);
        pe->nItems = 0;
    }
    if (bLiteral)
        (*pe->pOut)[pe->iFlag] |= (unsigned char)(1 << pe->nItems);
    pe->nItems++;
}

/* Parses positions [b, bEnd) of the text for the fewest bits and emits
 * them. Matches are kept within the block. */
static void ParseBlock(MATCHER *pm, int b, int bEnd, EMITTER *pe)
{
    int n = bEnd - b;
    std::vector<unsigned char> len(n);
    std::vector<int> from(n);
    for (int i = 0; i < n; i++) {
        int nMax = bEnd - (b + i) < MAXMATCH ? bEnd - (b + i) : MAXMATCH;
        len[i] = (unsigned char)Longest(pm, b + i, nMax, &from[i]);
        Insert(pm, b + i);
    }

    /* cost[i]: fewest bits for positions i..n-1; take[i]: the length
     * chosen there (1 for a literal). */
    std::vector<unsigned> cost(n + 1);
    std::vector<unsigned char> take(n);
    cost[n] = 0;
    for (int i = n - 1; i >= 0; i--) {
        cost[i] = cost[i + 1] + COSTLITERAL;
        take[i] = 1;
        for (int l = MINMATCH; l <= len[i]; l++) {
            if (cost[i + l] + COSTMATCH < cost[i]) {
                cost[i] = cost[i + l] + COSTMATCH;
                take[i] = (unsigned char)l;
            }
        }
    }

    const unsigned char *pText = pm->text.data();
    for (int i = 0; i < n; i += take[i]) {
        if (take[i] == 1) {
            StartItem(pe, true);
            pe->pOut->push_back(pText[b + i]);
        } else {
            unsigned uPos = (unsigned)(from[i] - (RINGSIZE - RINGSTART)) & (RINGSIZE - 1);
            StartItem(pe, false);
            pe->pOut->push_back((unsigned char)(uPos & 0xFF));
            pe->pOut->push_back((unsigned char)(((uPos >> 4) & 0xF0) | (take[i] - MINMATCH)));
        }
    }
}

bool SzddCompress(const unsigned char *pb, size_t cb, char chMissing, std::vector<unsigned char> *pOut)
{
    if (cb > 0xFFFFFFFFu || cb > (size_t)0x7FFFFFFF - RINGSIZE)
        return false;
    pOut->assign(abSignature, abSignature + sizeof(abSignature));
    pOut->push_back('A');
    pOut->push_back((unsigned char)chMissing);
    for (int i = 0; i < 4; i++)
        pOut->push_back((unsigned char)(cb >> (8 * i)));
    if (cb == 0)
        return true;
    pOut->reserve(SZDD_HEADER + cb + cb / 8 + 1);

    MATCHER m;
    m.text.assign(RINGSIZE, ' ');
    m.text.insert(m.text.end(), pb, pb + cb);
    InitChain(&m.shortChain);
    InitChain(&m.longChain);
    /* Deeper in the spaces every candidate reads the same MAXMATCH bytes. */
    for (int b = RINGSIZE - MAXMATCH - 1; b < RINGSIZE; b++)
        Insert(&m, b);

    EMITTER e = { pOut, (size_t)-1, 0 };
    int bEnd = (int)m.text.size();
    for (int b = RINGSIZE; b < bEnd; b += BLOCKSIZE)
        ParseBlock(&m, b, bEnd - b < BLOCKSIZE ? bEnd : b + BLOCKSIZE, &e);
    return true;
}

bool SzddExpand(const unsigned char *pb, size_t cb, std::vector<unsigned char> *pOut)
{
    pOut->clear();
    if (cb < SZDD_HEADER || !SzddHasSignature(pb, cb) || pb[8] != 'A')
        return false;
    size_t cbWant = (size_t)pb[10] | (size_t)pb[11] << 8 | (size_t)pb[12] << 16 | (size_t)pb[13] << 24;
    unsigned char abRing[RINGSIZE];
    memset(abRing, ' ', sizeof(abRing));
    unsigned uRing = RINGSTART;
    size_t i = SZDD_HEADER;
    /* A stream that runs past the stated size is refused before it can
     * take much memory. */
    while (i < cb && pOut->size() <= cbWant) {
        unsigned uFlags = pb[i++];
        for (int nBit = 0; nBit < 8 && i < cb; nBit++, uFlags >>= 1) {
            if (uFlags & 1) {
                abRing[uRing] = pb[i++];
                pOut->push_back(abRing[uRing]);
                uRing = (uRing + 1) & (RINGSIZE - 1);
                continue;
            }
            if (i + 1 >= cb)
                return false;
            unsigned uPos = pb[i] | (pb[i + 1] & 0xF0u) << 4, uLen = (pb[i + 1] & 0x0Fu) + MINMATCH;
            i += 2;
            for (; uLen > 0; uLen--) {
                abRing[uRing] = abRing[uPos];
                pOut->push_back(abRing[uRing]);
                uRing = (uRing + 1) & (RINGSIZE - 1);
                uPos = (uPos + 1) & (RINGSIZE - 1);
            }
        }
    }
    return pOut->size() == cbWant;
}
