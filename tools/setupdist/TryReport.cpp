/*
 * TryReport.cpp - the walker's facts read from walk.txt, and the report
 * step as a whole: check, pictures, page and JSON written to the report
 * folder.
 */
#include <stdlib.h>
#include "DistOs.h"
#include "TryReport.h"

static std::vector<std::string> SplitTabs(const std::string &line)
{
    std::vector<std::string> fields;
    size_t i = 0;
    for (;;) {
        size_t j = line.find('\t', i);
        fields.push_back(line.substr(i, j == std::string::npos ? std::string::npos : j - i));
        if (j == std::string::npos)
            return fields;
        i = j + 1;
    }
}

/* A whole decimal number (with an optional sign); FALSE for anything else. */
static bool ParseNumber(const std::string &text, long *pl)
{
    if (text.empty())
        return false;
    char *pEnd = NULL;
    long l = strtol(text.c_str(), &pEnd, 10);
    if (*pEnd != '\0')
        return false;
    *pl = l;
    return true;
}

/* A box's text keeps its line breaks as the two characters \ and n. */
static std::string BoxText(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            i++;
        } else {
            out += text[i];
        }
    }
    return out;
}

/* A shot names a file in the shots folder and one in the report folder:
 * it must stay a plain name. */
static bool SafeShotName(const std::string &name)
{
    return !name.empty() && name[0] != '.' && name.find_first_of("/\\:") == std::string::npos;
}

static void ReadFact(const std::vector<std::string> &f, TRYFACTS *pFacts)
{
    const std::string &key = f[0];
    std::string second = f.size() > 2 ? f[2] : "";
    long l = 0;
    if (key == "stopped") {
        pFacts->bStopped = true;
        pFacts->strStopped = f.size() > 1 ? f[1] : "";
    }
    if (f.size() < 2)
        return;
    if (key == "build") {
        pFacts->strBuild = f[1];
    } else if (key == "step" && ParseNumber(second, &l)) {
        if (f[1] == "total")
            pFacts->lTotalMs = l;
        else
            pFacts->steps.push_back({ f[1], l });
    } else if (key == "shot") {
        pFacts->shots.push_back({ f[1], second, SafeShotName(f[1]) ? "" : "its name is not a plain file name" });
    } else if (key == "box") {
        pFacts->boxes.push_back({ f[1], BoxText(second) });
    } else if (key == "dest") {
        /* As typed in the dialog; SETUP.EXE ends the folder with a
         * backslash before it joins names to it. */
        pFacts->strDest = f[1];
        if (!pFacts->strDest.empty() && pFacts->strDest.back() != '\\')
            pFacts->strDest += '\\';
    } else if (key == "dest-unix") {
        pFacts->strDestUnix = f[1];
    } else if (key == "group") {
        pFacts->bGroup = true;
        pFacts->strGroup = f[1];
    } else if (key == "item") {
        pFacts->items.push_back({ f[1], second, "" });
    } else if (key == "setup" && ParseNumber(f[1], &l)) {
        pFacts->bExitCode = true;
        pFacts->lExitCode = l;
    }
}

void ReadWalkFacts(const std::string &text, TRYFACTS *pFacts)
{
    *pFacts = TRYFACTS();
    pFacts->lTotalMs = -1;
    size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (i < text.size()) {
        size_t j = text.find('\n', i);
        if (j == std::string::npos)
            j = text.size();
        std::string line = text.substr(i, j - i);
        i = j + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            ReadFact(SplitTabs(line), pFacts);
    }
}

/* Writes a whole file under a new name first, so a report read while
 * it is written is never half the new one. */
static bool WriteWhole(const std::string &path, const std::string &bytes, std::string *pstrWhy)
{
    std::string fresh = path + ".new";
    DistOsRemoveFile(fresh);
    if (DistOsWriteNewFile(fresh, (const unsigned char *)bytes.data(), bytes.size()) && DistOsRename(fresh, path))
        return true;
    *pstrWhy = path + ": cannot write the report: " + DistOsLastError();
    DistOsRemoveFile(fresh);
    return false;
}

/* Each shot's BMP as a PNG beside the page; a shot that cannot be shown
 * says why instead. */
static void ConvertShots(const std::string &shotsDir, const std::string &reportDir, TRYFACTS *pFacts)
{
    for (TRYSHOT &shot : pFacts->shots) {
        if (!shot.strProblem.empty())
            continue;
        std::vector<unsigned char> bmp, png;
        std::string bmpPath = shotsDir + chDistSep + shot.strName + ".bmp";
        if (!DistOsReadFile(bmpPath, &bmp))
            shot.strProblem = bmpPath + " cannot be read: " + DistOsLastError();
        else if (!BmpToPng(bmp, &png, &shot.strProblem))
            shot.strProblem = bmpPath + ": " + shot.strProblem;
        else
            WriteWhole(reportDir + chDistSep + shot.strName + ".png", std::string(png.begin(), png.end()),
                       &shot.strProblem);
    }
}

int TryReport(const std::string &walkFile, const std::string &shotsDir, const std::string &distDir,
              const std::string &reportDir, std::string *pFirstDifference)
{
    TRYFACTS facts;
    TRYCHECK check;
    std::vector<unsigned char> walk;
    bool bWalk = DistOsReadFile(walkFile, &walk);
    std::string walkWhy = bWalk ? "" : walkFile + ": cannot be read: " + DistOsLastError();
    ReadWalkFacts(std::string(walk.begin(), walk.end()), &facts);
    CheckTryInstall(distDir, facts, &check);
    if (!bWalk) {
        check.bInstalled = false;
        check.strFirstDifference = walkWhy;
    }

    std::string why;
    if (DistOsKind(reportDir) != 1 && !DistOsMakeFolder(reportDir))
        why = reportDir + ": cannot make the folder: " + DistOsLastError();
    if (why.empty()) {
        ConvertShots(shotsDir, reportDir, &facts);
        if (WriteWhole(reportDir + chDistSep + "index.html", TryReportHtml(facts, check), &why))
            WriteWhole(reportDir + chDistSep + "report.json", TryReportJson(facts, check), &why);
    }
    if (pFirstDifference) {
        *pFirstDifference = check.strFirstDifference;
        if (!why.empty())
            *pFirstDifference += (pFirstDifference->empty() ? "" : "; ") + why;
    }
    return check.bInstalled && why.empty() ? 0 : 1;
}
