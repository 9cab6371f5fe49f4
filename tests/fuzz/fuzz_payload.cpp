/*
 * fuzz_payload.cpp - libFuzzer target: the one-file distribution's reader
 * on arbitrary bytes, read three ways. As a whole launcher file (PE
 * headers, security directory, trailer, CRC, cabinet); as a cabinet put
 * behind a program with a trailer made for it, so that a changed cabinet
 * still passes the CRC and reaches the cabinet's own checks; cut at zero
 * bytes into names for the name rule. A crash, a payload found outside
 * the file, the two readings of a cabinet disagreeing, or a name let
 * through that leaves its folder is a finding.
 */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include "FakePe.h"
#include "Payload.h"

static void Require(bool bHolds)
{
    if (!bHolds)
        abort();
}

/* A name the rule lets through stays below the folder it is unpacked in. */
static void CheckName(const std::string &name)
{
    if (!SafePayloadName(name.c_str()))
        return;
    Require(name.find(':') == std::string::npos);
    size_t i = 0;
    do {
        size_t j = name.find_first_of("\\/", i);
        std::string part = name.substr(i, j == std::string::npos ? std::string::npos : j - i);
        Require(part != "" && part != "." && part != "..");
        i = j == std::string::npos ? j : j + 1;
    } while (i != std::string::npos);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    PAYLOAD payload;
    if (FindPayload(pb, cb, &payload) == PAYLOAD_OK)
        Require(payload.ibCabinet <= cb && payload.cbCabinet <= cb - payload.ibCabinet);

    /* The title is the input's first bytes, to drive its cutting too. */
    std::string title((const char *)pb, strnlen((const char *)pb, cb < 80 ? cb : 80));
    unsigned char abTrailer[PAYLOAD_TRAILER];
    MakePayloadTrailer(pb, cb, title.c_str(), abTrailer);
    std::string file = FakePe() + std::string((const char *)pb, cb) +
                       std::string((const char *)abTrailer, sizeof(abTrailer));
    PAYLOAD cabinet;
    int nResult = CheckCabinet(pb, cb, &cabinet);
    Require(FindPayload((const unsigned char *)file.data(), file.size(), &payload) == nResult);
    if (nResult == PAYLOAD_OK)
        Require(payload.ibCabinet == FakePe().size() && payload.cbCabinet == cb && payload.nFiles == cabinet.nFiles &&
                title.compare(0, strlen(payload.szTitle), payload.szTitle) == 0);

    for (size_t i = 0; i < cb; i += strnlen((const char *)pb + i, cb - i) + 1)
        CheckName(std::string((const char *)pb + i, strnlen((const char *)pb + i, cb - i)));
    return 0;
}
