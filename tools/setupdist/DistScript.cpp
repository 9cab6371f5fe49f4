/*
 * DistScript.cpp - from the publisher's template to the complete script.
 */
#include "DistScript.h"

static std::string Trimmed(const std::string &line)
{
    size_t nFirst = line.find_first_not_of(" \t");
    if (nFirst == std::string::npos)
        return "";
    return line.substr(nFirst, line.find_last_not_of(" \t") - nFirst + 1);
}

static void AddError(DISTTEMPLATE *pTemplate, UINT uLine, const std::string &why)
{
    pTemplate->errors.push_back(std::to_string(uLine) + ": " + why);
}

/* A header line: TRUE to read on, FALSE at [End]. */
static bool ReadHeader(DISTTEMPLATE *pTemplate, const std::string &header, UINT uLine, int *pnSection)
{
    static const struct {
        const char *lpszHeader;
        int nSection;
    } aHeaders[] = {
        { "[End]", SECT_END }, { "[App]", SECT_APP }, { "[Version]", SECT_VERSION },
        { "[SrcDirs]", SECT_SRCDIRS }, { "[DstDirs]", SECT_DSTDIRS }, { "[Files]", SECT_FILES },
        { "[PM Info]", SECT_PMINFO },
    };
    *pnSection = SECT_NONE;
    for (const auto &h : aHeaders)
        if (header == h.lpszHeader)
            *pnSection = h.nSection;
    if (*pnSection == SECT_END)
        return false;
    if (*pnSection == SECT_SRCDIRS || *pnSection == SECT_DSTDIRS || *pnSection == SECT_FILES)
        AddError(pTemplate, uLine, header + " is made by setupdist from the application's folder; "
                                   "leave it out of the template");
    else if (*pnSection == SECT_NONE)
        AddError(pTemplate, uLine, "unknown section header '" + header + "' (the script would be rejected)");
    if (*pnSection == SECT_APP && pTemplate->iAppHeader < 0)
        pTemplate->iAppHeader = (int)pTemplate->lines.size();
    if (*pnSection == SECT_PMINFO && pTemplate->iGenerated == std::string::npos)
        pTemplate->iGenerated = pTemplate->lines.size();
    return true;
}

static void ReadKeyLine(DISTTEMPLATE *pTemplate, const std::string &line, UINT uLine)
{
    size_t nEq = line.find('=');
    if (nEq == std::string::npos)
        return;
    std::string key = line.substr(0, nEq), value = line.substr(nEq + 1);
    if (key == "DefDir") {
        pTemplate->bHasDefDir = true;
        pTemplate->strDefDir = value;
    } else if (key == "SpaceNeeded") {
        UINT uValue = StrToWord(value.c_str());
        if (!pTemplate->bHasSpaceNeeded || uValue > pTemplate->uSpaceNeeded)
            pTemplate->uSpaceNeeded = uValue;
        pTemplate->bHasSpaceNeeded = true;
    } else if (key == "InstallToHD") {
        pTemplate->bHasInstallToHD = true;
        if (value[0] != 'Y' && value[0] != 'y')
            AddError(pTemplate, uLine, "InstallToHD is not Yes: SETUP.EXE would copy none of the files");
    }
}

void ReadTemplate(const std::string &text, DISTTEMPLATE *pTemplate)
{
    pTemplate->lines.clear();
    pTemplate->errors.clear();
    pTemplate->iGenerated = std::string::npos;
    pTemplate->iAppHeader = -1;
    pTemplate->bHasDefDir = pTemplate->bHasSpaceNeeded = pTemplate->bHasInstallToHD = false;
    pTemplate->uSpaceNeeded = 0;
    int nSection = SECT_NONE;
    UINT uLine = 0;
    for (size_t nPos = 0; nPos < text.size();) {
        size_t nEnd = text.find_first_of("\r\n", nPos);
        if (nEnd == std::string::npos)
            nEnd = text.size();
        std::string line = text.substr(nPos, nEnd - nPos);
        nPos = nEnd + (text.compare(nEnd, 2, "\r\n") == 0 ? 2 : 1);
        uLine++;
        std::string trimmed = Trimmed(line);
        if (trimmed[0] == '[' && !ReadHeader(pTemplate, trimmed, uLine, &nSection))
            break;
        if (nSection == SECT_APP && trimmed[0] != '[' && trimmed[0] != ';')
            ReadKeyLine(pTemplate, trimmed, uLine);
        pTemplate->lines.push_back({ line, uLine, -1 });
    }
    if (pTemplate->iGenerated == std::string::npos)
        pTemplate->iGenerated = pTemplate->lines.size();
}

/* The key of an [App] line, as the reader cuts it. */
static std::string KeyOf(const std::string &line)
{
    std::string trimmed = Trimmed(line);
    size_t nEq = trimmed.find('=');
    return nEq == std::string::npos ? "" : trimmed.substr(0, nEq);
}

static void AddGenerated(std::vector<DISTLINE> *pLines, const std::string &text, int iFile = -1)
{
    pLines->push_back({ text, 0, iFile });
}

/* The [App] keys the builder adds when the template has none. */
static void AddAppKeys(std::vector<DISTLINE> *pLines, const DISTTEMPLATE &tmpl, unsigned long long uSpaceK)
{
    if (!tmpl.bHasSpaceNeeded)
        AddGenerated(pLines, "SpaceNeeded=" + std::to_string(uSpaceK));
    if (!tmpl.bHasInstallToHD)
        AddGenerated(pLines, "InstallToHD=Yes");
}

static void AddTreeSections(std::vector<DISTLINE> *pLines, const DISTPLAN &plan, bool bStored)
{
    AddGenerated(pLines, "; made by setupdist from the application's folder");
    AddGenerated(pLines, "[SrcDirs]");
    for (size_t i = 0; i < plan.folders.size(); i++)
        for (const DISTFILE &file : plan.files)
            if (file.iFolder == (int)i) {
                AddGenerated(pLines, std::to_string(i) + "=" + plan.folders[i].strScript);
                break;
            }
    AddGenerated(pLines, "[DstDirs]");
    for (size_t i = 0; i < plan.folders.size(); i++)
        AddGenerated(pLines, std::to_string(i) + "=" + plan.folders[i].strScript);
    AddGenerated(pLines, "[Files]");
    for (size_t i = 0; i < plan.files.size(); i++) {
        const DISTFILE &file = plan.files[i];
        AddGenerated(pLines, FileLine(plan, file, bStored ? file.bPacked : false), (int)i);
    }
}

std::vector<DISTLINE> MakeScript(const DISTTEMPLATE &tmpl, const DISTPLAN &plan, unsigned long long uSpaceK,
                                 bool bStored)
{
    std::vector<DISTLINE> lines;
    int nSection = SECT_NONE;
    for (size_t i = 0; i <= tmpl.lines.size(); i++) {
        if (i == tmpl.iGenerated) {
            if (tmpl.iAppHeader < 0) {
                AddGenerated(&lines, "[App]");
                AddAppKeys(&lines, tmpl, uSpaceK);
            }
            AddTreeSections(&lines, plan, bStored);
            nSection = SECT_FILES;
        }
        if (i == tmpl.lines.size())
            break;
        DISTLINE line = tmpl.lines[i];
        std::string trimmed = Trimmed(line.strText);
        if (trimmed[0] == '[')
            nSection = trimmed == "[App]" ? SECT_APP : SECT_NONE;
        else if (nSection == SECT_APP && KeyOf(line.strText) == "SpaceNeeded")
            line.strText = "SpaceNeeded=" + std::to_string(uSpaceK);
        lines.push_back(line);
        if ((int)i == tmpl.iAppHeader)
            AddAppKeys(&lines, tmpl, uSpaceK);
    }
    AddGenerated(&lines, "[End]");
    return lines;
}

std::string ScriptText(const std::vector<DISTLINE> &lines)
{
    std::string text;
    for (const DISTLINE &line : lines)
        text += line.strText + "\r\n";
    return text;
}
