/*
 * DistNames.cpp - name rules of the distribution builder.
 */
#include <string.h>
#include <vector>
#include "DistNames.h"
#include "Setupinf.h"

/* Offsets of the characters of a text. */
static std::vector<size_t> CharStarts(const std::string &text)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); i += TextCharBytes(text.c_str() + i))
        starts.push_back(i);
    return starts;
}

static char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

static bool IsDeviceName(const std::string &name)
{
    static const char *const aDevices[] = { "CON", "PRN", "AUX", "NUL" };
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (const char *lpszDevice : aDevices)
        if (SameDistName(base, lpszDevice))
            return true;
    return base.size() == 4 && (SameDistName(base.substr(0, 3), "COM") || SameDistName(base.substr(0, 3), "LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

bool NameMatches(const std::string &pattern, const std::string &text)
{
    /* The last '*' seen and where the text stood: on a mismatch it takes
     * one more character. */
    size_t p = 0, t = 0, pStar = std::string::npos, tStar = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            pStar = p++;
            tStar = t;
        } else if (p < pattern.size() && (pattern[p] == '?' || Upper(pattern[p]) == Upper(text[t]))) {
            p++;
            t++;
        } else if (pStar != std::string::npos) {
            p = pStar + 1;
            t = ++tStar;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        p++;
    return p == pattern.size();
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
    if (IsDeviceName(name))
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
    for (size_t i = 0; i < a.size(); i++) {
        if (TextCharBytes(a.c_str() + i) == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            i++;
        } else if (Upper(a[i]) != Upper(b[i])) {
            return false;
        }
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
