/*
 * SzddSamples.h - the files the compressor's round trips are tried on,
 * shared by the host test (msexpand) and the Win32 test (Wine's LZ
 * service): made from fixed seeds, so both see the same bytes.
 */
#ifndef SZDDSAMPLES_H
#define SZDDSAMPLES_H

#include <stddef.h>
#include <string>
#include <vector>

/* cb bytes from seed uSeed: random ones, or a few values that compress. */
inline std::string Bytes(size_t cb, unsigned uSeed, bool bRandom)
{
    std::string s(cb, '\0');
    for (size_t i = 0; i < cb; i++) {
        uSeed = uSeed * 1103515245u + 12345u;
        s[i] = (char)(bRandom ? uSeed >> 16 : "ABCD\0\1\r\n"[(uSeed >> 16) % 8]);
    }
    return s;
}

/* cb bytes of numbered text lines. */
inline std::string Lines(size_t cb)
{
    std::string s;
    for (int i = 0; s.size() < cb; i++)
        s += "line " + std::to_string(i) + ": the quick brown fox jumps over the lazy dog\r\n";
    return s.substr(0, cb);
}

struct SZDDSAMPLE {
    const char *lpszName;
    std::string bytes;
};

/* Empty, one byte, text, binary, random, runs, and repeats at the ring's
 * reach and one byte beyond it. */
inline std::vector<SZDDSAMPLE> SzddSamples()
{
    return {
        { "EMPTY", "" },
        { "ONE", "x" },
        { "TEXT", Lines(30000) },
        { "BINARY", Bytes(20000, 1, false) },
        { "RANDOM", Bytes(20000, 2, true) },
        { "ZEROS", std::string(70000, '\0') },
        { "SPACES", std::string(5000, ' ') + "end" },
        { "REACH", Bytes(4096, 6, true) + Bytes(4096, 6, true) },
        { "BEYOND", Bytes(4097, 7, true) + Bytes(4097, 7, true) },
    };
}

#endif
