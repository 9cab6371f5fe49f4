/*
 * DistNames.cpp - name rules of the distribution builder.
 */
#include <string.h>
#include <vector>
#include "DistNames.h"
#include "Payload.h"
#include "Setupinf.h"

/* Offsets of the characters of a text. */
static std::vector<size_t> CharStarts(const std::string &text)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); i += TextCharBytes(text.c_str() + i))
        starts.push_back(i);
    return starts;
}

/* The case pairs of code page 936 beyond ASCII, as Windows upper-cases
 * their UTF-16 forms: the lead byte, the trail bytes of the lower-case
 * letters, and how far the upper-case ones lie from them. Every other
 * character of the code page with a case has no partner in it. */
static const struct {
    unsigned char bLead, bFirst, bLast;
    int nToUpper;
} aCasePairs[] = {
    { 0xA2, 0xA1, 0xAA, 0x50 },     /* small Roman numerals */
    { 0xA3, 0xE1, 0xFA, -0x20 },    /* fullwidth Latin */
    { 0xA6, 0xC1, 0xD8, -0x20 },    /* Greek */
    { 0xA7, 0xD1, 0xF1, -0x30 },    /* Cyrillic */
};

/* Upper-cases in place the character of cb bytes at pch. */
static void UpperChar(char *pch, size_t cb)
{
    unsigned char b = (unsigned char)pch[0];
    if (cb == 1) {
        if (b >= 'a' && b <= 'z')
            pch[0] = (char)(b - 'a' + 'A');
        return;
    }
    unsigned char bTrail = (unsigned char)pch[1];
    for (const auto &pair : aCasePairs)
        if (b == pair.bLead && bTrail >= pair.bFirst && bTrail <= pair.bLast)
            pch[1] = (char)(bTrail + pair.nToUpper);
}

std::string UpperDistName(const std::string &name)
{
    std::string upper = name;
    for (size_t i = 0, cb; i < upper.size(); i += cb) {
        cb = TextCharBytes(upper.c_str() + i);
        UpperChar(&upper[i], cb);
    }
    return upper;
}

bool NameMatches(const std::string &pattern, const std::string &text)
{
    /* The last '*' seen and where the text stood: on a mismatch it takes
     * one more character. Upper-casing keeps every character's length. */
    std::string p = UpperDistName(pattern), t = UpperDistName(text);
    size_t ip = 0, it = 0, ipStar = std::string::npos, itStar = 0;
    while (it < t.size()) {
        if (ip < p.size() && p[ip] == '*') {
            ipStar = ip++;
            itStar = it;
        } else if (ip < p.size() && p[ip] == '?') {
            ip++;
            it += TextCharBytes(t.c_str() + it);
        } else if (ip < p.size() && p[ip] == t[it]) {
            ip++;
            it++;
        } else if (ipStar != std::string::npos) {
            ip = ipStar + 1;
            it = itStar += TextCharBytes(t.c_str() + itStar);
        } else {
            return false;
        }
    }
    while (ip < p.size() && p[ip] == '*')
        ip++;
    return ip == p.size();
}

std::string CountText(unsigned long long n)
{
    std::string s = std::to_string(n);
    for (size_t i = s.size(); i > 3; i -= 3)
        s.insert(i - 3, ",");
    return s;
}

std::string BadNameReason(const std::string &name, bool bFolder)
{
    if (name.empty())
        return "an empty name";
    if (name.size() >= MAXTEXT)
        return "the name is " + CountText(name.size()) +
               " bytes; the script takes at most 127 (a Chinese character is two)";
    /* The reader finds the comma byte by byte, even where it would be a
     * trail byte. */
    if (name.find(',') != std::string::npos && !bFolder)
        return "a comma, which ends the name on a [Files] line";
    for (size_t i = 0; i < name.size(); i += TextCharBytes(name.c_str() + i)) {
        unsigned char b = (unsigned char)name[i];
        if (TextCharBytes(name.c_str() + i) == 2)
            continue;
        if (b < 0x20 || strchr("<>:\"/\\|?*", b))
            return "a character Windows does not allow in names";
    }
    if (name[0] == ' ' || name[0] == '\t')
        return "a leading blank, which the script reader drops";
    if (CharStarts(name).back() == name.size() - 1 && (name.back() == '.' || name.back() == ' '))
        return "a trailing dot or blank, which Windows drops";
    if (IsDeviceName(name.c_str(), name.size()))
        return "a device name Windows reserves";
    return "";
}

std::string PackedName(const std::string &name, char *pchMissing)
{
    std::vector<size_t> starts = CharStarts(name);
    size_t nDot = std::string::npos;
    for (size_t k = 0; k < starts.size(); k++)
        if (name[starts[k]] == '.')
            nDot = k;
    *pchMissing = 0;
    /* Three characters after the dot, the last an ASCII one, the same
     * byte in the file system's names. */
    if (nDot != std::string::npos && starts.size() - nDot - 1 == 3 &&
        starts.back() == name.size() - 1 && (unsigned char)name.back() < 0x80) {
        *pchMissing = name.back();
        return name.substr(0, name.size() - 1) + "_";
    }
    return name + "_";
}

bool SameDistName(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    /* Character by character, the same bytes first: the layout's checks
     * compare every pair of names. */
    for (size_t i = 0, cb; i < a.size(); i += cb) {
        cb = TextCharBytes(a.c_str() + i);
        if (a[i] == b[i] && (cb == 1 || a[i + 1] == b[i + 1]))
            continue;
        if (TextCharBytes(b.c_str() + i) != cb)
            return false;
        char achA[2] = { a[i], cb == 2 ? a[i + 1] : '\0' }, achB[2] = { b[i], cb == 2 ? b[i + 1] : '\0' };
        UpperChar(achA, cb);
        UpperChar(achB, cb);
        if (achA[0] != achB[0] || achA[1] != achB[1])
            return false;
    }
    return true;
}

std::string DisplayName(const std::string &name, size_t cchMax)
{
    size_t nStart = name.find_first_not_of("[;* \t");
    std::string display = nStart == std::string::npos ? std::string("_") : name.substr(nStart);
    std::vector<size_t> starts = CharStarts(display);
    for (size_t k = starts.size(); k > 0 && display.size() > cchMax; k--)
        display.resize(starts[k - 1]);
    return display;
}
