/*
 * DistNames.cpp - name rules of the distribution builder.
 */
#include <string.h>
#include <vector>
#include "DistNames.h"
#include "Setupinf.h"

bool IsLeadAt(const std::string &text, size_t i)
{
    unsigned char b = (unsigned char)text[i];
    return b >= 0x81 && b <= 0xFE && i + 1 < text.size();
}

/* Offsets of the characters of a text. */
static std::vector<size_t> CharStarts(const std::string &text)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); i += IsLeadAt(text, i) ? 2 : 1)
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

const char *BadNameReason(const std::string &name, bool bFolder)
{
    if (name.size() >= MAXTEXT)
        return "name longer than 127 bytes (the script's limit)";
    for (size_t i = 0; i < name.size(); i += IsLeadAt(name, i) ? 2 : 1) {
        unsigned char b = (unsigned char)name[i];
        if (IsLeadAt(name, i))
            continue;
        if (b < 0x20 || strchr("<>:\"/\\|?*", b))
            return "a character Windows does not allow in names";
        if (b == ',' && !bFolder)
            return "a comma, which ends the name on a [Files] line";
    }
    if (name[0] == ' ' || name[0] == '\t')
        return "a leading blank, which the script reader drops";
    if (CharStarts(name).back() == name.size() - 1 && (name.back() == '.' || name.back() == ' '))
        return "a trailing dot or blank, which Windows drops";
    if (IsDeviceName(name))
        return "a device name Windows reserves";
    return NULL;
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
        if (IsLeadAt(a, i)) {
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
