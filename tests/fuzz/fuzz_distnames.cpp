/*
 * fuzz_distnames.cpp - libFuzzer target: the distribution builder's name
 * rules on arbitrary bytes, read as code page 936 names (a trail byte may
 * have the value of a backslash, 0x5C).
 *
 * The input is cut at zero bytes into names. Each name goes through the
 * single-name rules; then the names make a layout (a name that begins
 * with an even byte is a folder below the folder made last, the others
 * files in it) that the layout check judges whole. A crash, a cut inside
 * a double-byte character or a [Files] line over 255 bytes is a finding.
 */
#include <stdint.h>
#include <stdlib.h>
#include <string>
#include <vector>
#include "DistNames.h"
#include "DistPlan.h"

#define MAXFUZZNAMES 24

static void Require(bool bHolds)
{
    if (!bHolds)
        abort();
}

/* The text does not end in a lead byte without its trail. */
static bool WholeCharacters(const std::string &text)
{
    size_t i = 0;
    while (i < text.size())
        i += TextCharBytes(text.c_str() + i);
    return i == text.size();
}

static void CheckOneName(const std::string &name, const std::string &other, size_t cchMax)
{
    char chMissing = 0;
    std::string packed = PackedName(name, &chMissing);
    Require(!packed.empty() && packed.back() == '_');
    std::string display = DisplayName(name, cchMax);
    Require(display.size() <= std::max<size_t>(cchMax, 1) && WholeCharacters(display));
    Require(SameDistName(name, name));
    Require(SameDistName(name, other) == SameDistName(other, name));
    std::string why = BadNameReason(name, false);
    Require(!why.empty() || (name.size() < MAXTEXT && name.find(',') == std::string::npos));
    NameMatches(other, name);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    std::vector<std::string> names(1);
    for (size_t i = 0; i < cb && names.size() <= MAXFUZZNAMES; i++) {
        if (pb[i] == 0)
            names.push_back("");
        else
            names.back() += (char)pb[i];
    }
    for (size_t i = 0; i < names.size(); i++)
        CheckOneName(names[i], names[(i + 1) % names.size()], cb % 140);

    DISTPLAN plan;
    plan.chSep = '/';
    plan.folders.push_back({ "", "", "", -1, false, 0 });
    for (const std::string &name : names) {
        int iLast = (int)plan.folders.size() - 1;
        if (!name.empty() && ((unsigned char)name[0] & 1) == 0) {
            const DISTFOLDER &parent = plan.folders[iLast];
            plan.folders.push_back({ parent.strNative + (iLast ? "/" : "") + name,
                                     parent.strScript + (iLast ? "\\" : "") + name, name, iLast, false, 0 });
        } else {
            plan.files.push_back({ iLast, name, name, "", "", 0, name.size(), false, 0, 0, false });
        }
    }
    CheckLayout(&plan, "C:\\APP\\", (cb & 1) != 0);    /* both layouts of the top */
    SpaceNeededK(&plan, 4096);
    for (const DISTFILE &file : plan.files) {
        if (!file.strPackedScript.empty())
            Require(FileLine(plan, file, true).size() < MAXLINE);
        if (plan.errors.empty())
            Require(FileLine(plan, file, false).size() < MAXLINE);
    }
    return 0;
}
