/*
 * DistScript.cpp - from the publisher's template to the complete script.
 */
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include "DistNames.h"
#include "DistOs.h"
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
    pTemplate->errors.push_back({ uLine, why });
}

/* Bytes of the UTF-8 character at text[i], 0 when none begins there. */
static size_t Utf8CharBytes(const std::string &text, size_t i)
{
    return i < text.size() ? Utf8CharBytes(text.c_str() + i, text.size() - i) : 0;
}

static bool IsUtf8(const std::string &text)
{
    for (size_t i = 0, cb; i < text.size(); i += cb)
        if ((cb = Utf8CharBytes(text, i)) == 0)
            return false;
    return true;
}

static std::string HexBytes(const std::string &bytes)
{
    std::string s;
    for (unsigned char b : bytes) {
        char sz[8];
        snprintf(sz, sizeof(sz), "%s0x%02X", s.empty() ? "" : " ", b);
        s += sz;
    }
    return s;
}

std::string BadCharacter(const std::string &line, int nEncoding)
{
    std::string script;
    for (size_t i = 0; i < line.size();) {
        size_t cb = nEncoding == DIST_ENC_UTF8 ? Utf8CharBytes(line, i) : TextCharBytes(line.c_str() + i);
        if (cb == 0)
            return "the byte " + HexBytes(line.substr(i, 1)) + " is not UTF-8";
        std::string ch = line.substr(i, cb);
        if (!DistOsTextToScript(ch, nEncoding, &script)) {
            if (nEncoding != DIST_ENC_UTF8)
                return "the bytes " + HexBytes(ch) + " are not a GBK character";
            unsigned long ul = cb == 1 ? (unsigned char)ch[0] : (unsigned char)ch[0] & (0x7F >> cb);
            for (size_t k = 1; k < cb; k++)
                ul = ul << 6 | ((unsigned char)ch[k] & 0x3F);
            char sz[16];
            snprintf(sz, sizeof(sz), "U+%04lX", ul);
            return "'" + ch + "' (" + sz + ") has no place in code page 936 (GBK)";
        }
        i += cb;
    }
    return "a character cannot be converted";
}

bool TemplateToScript(const std::string &bytes, int nEncoding, std::string *pScript, UINT *puLine,
                      std::string *pstrBad)
{
    std::string text = bytes;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0 && nEncoding != DIST_ENC_GBK) {
        text = text.substr(3);
        nEncoding = DIST_ENC_UTF8;
    }
    if (nEncoding == DIST_ENC_AUTO)
        nEncoding = IsUtf8(text) ? DIST_ENC_UTF8 : DIST_ENC_GBK;
    pScript->clear();
    *puLine = 0;
    for (size_t nPos = 0; nPos < text.size();) {
        size_t nEnd = text.find('\n', nPos);
        nEnd = nEnd == std::string::npos ? text.size() : nEnd + 1;
        std::string line = text.substr(nPos, nEnd - nPos), script;
        ++*puLine;
        if (!DistOsTextToScript(line, nEncoding, &script)) {
            *pstrBad = BadCharacter(line, nEncoding);
            return false;
        }
        *pScript += script;
        nPos = nEnd;
    }
    return true;
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

/* SpaceNeeded's value: a number of K the reader takes whole. */
static void ReadSpaceNeeded(DISTTEMPLATE *pTemplate, const std::string &value, UINT uLine)
{
    UINT uValue = StrToWord(value.c_str());
    bool bDigits = !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
    if (!bDigits)
        AddError(pTemplate, uLine, "SpaceNeeded '" + value + "' is not a number of K (the reader would read " +
                                       std::to_string(uValue) + "); write digits only, such as SpaceNeeded=1500");
    else if (value.size() > 5 || atol(value.c_str()) > DIST_MAXSPACEK)
        AddError(pTemplate, uLine, "SpaceNeeded " + value + " is over 65535, the most it can say (the reader "
                                       "would read " + std::to_string(uValue) + ")");
    if (!pTemplate->bHasSpaceNeeded || uValue > pTemplate->uSpaceNeeded)
        pTemplate->uSpaceNeeded = uValue;
    pTemplate->bHasSpaceNeeded = true;
}

static void ReadKeyLine(DISTTEMPLATE *pTemplate, const std::string &line, UINT uLine)
{
    size_t nEq = line.find('=');
    if (nEq == std::string::npos)
        return;
    std::string key = line.substr(0, nEq), value = line.substr(nEq + 1);
    if (key == "AppName") {
        pTemplate->strAppName = value;
    } else if (key == "DefDir") {
        pTemplate->bHasDefDir = true;
        pTemplate->strDefDir = value;
        if (value.size() < 2 || !isalpha((unsigned char)value[0]) || value[1] != ':')
            AddError(pTemplate, uLine, "DefDir '" + value + "' does not begin with a drive letter and a colon "
                                           "(such as C:\\APP\\)");
    } else if (key == "SpaceNeeded") {
        ReadSpaceNeeded(pTemplate, value, uLine);
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
    pTemplate->strAppName.clear();
    pTemplate->sourceItems.clear();
    int nSection = SECT_NONE;
    bool bHeaderSeen = false, bTextSeen = false;
    UINT uLine = 0;
    for (size_t nPos = 0; nPos < text.size();) {
        size_t nEnd = text.find_first_of("\r\n", nPos);
        if (nEnd == std::string::npos)
            nEnd = text.size();
        std::string line = text.substr(nPos, nEnd - nPos);
        nPos = nEnd + (text.compare(nEnd, 2, "\r\n") == 0 ? 2 : 1);
        uLine++;
        std::string trimmed = Trimmed(line);
        bTextSeen = bTextSeen || !trimmed.empty();
        if (trimmed[0] == '[') {
            bHeaderSeen = true;
            if (!ReadHeader(pTemplate, trimmed, uLine, &nSection))
                break;
        } else if (!bHeaderSeen && !trimmed.empty() && trimmed[0] != ';') {
            AddError(pTemplate, uLine, "text before the first section header, which SETUP.EXE ignores "
                                       "(keys belong under [App])");
        } else if (nSection == SECT_APP && trimmed[0] != ';') {
            ReadKeyLine(pTemplate, trimmed, uLine);
        } else if (nSection == SECT_PMINFO && trimmed.size() > 1 && trimmed[0] != ';' &&
                   (trimmed[1] == 'S' || trimmed[1] == 's')) {
            pTemplate->sourceItems.push_back(uLine);
        }
        pTemplate->lines.push_back({ line, uLine, -1, -1 });
    }
    if (pTemplate->iGenerated == std::string::npos)
        pTemplate->iGenerated = pTemplate->lines.size();
    if (!bTextSeen)
        AddError(pTemplate, 1, "the template is empty; it needs at least [App] with AppName and DefDir");
    else if (!pTemplate->bHasDefDir)
        AddError(pTemplate, pTemplate->iAppHeader >= 0 ? pTemplate->lines[pTemplate->iAppHeader].uTemplateLine : 1,
                 "no DefDir in [App]: SETUP.EXE needs the folder it offers (such as DefDir=C:\\APP\\)");
}

void PointSourceItems(DISTTEMPLATE *pTemplate, DISTPLAN *pPlan)
{
    const std::string &folder = pPlan->strTopFolder;
    int nSection = SECT_NONE;
    for (DISTLINE &line : pTemplate->lines) {
        std::string trimmed = Trimmed(line.strText);
        if (trimmed[0] == '[')
            nSection = trimmed == "[PM Info]" ? SECT_PMINFO : SECT_NONE;
        if (nSection != SECT_PMINFO || trimmed[0] == '[' || trimmed[0] == ';')
            continue;
        std::string spec = trimmed.substr(0, trimmed.find(','));
        if (spec.size() <= 3 || (spec[1] != 'S' && spec[1] != 's'))
            continue;
        /* The program, with or without the arguments after it. */
        std::string program = spec.substr(3), bare = program.substr(0, program.find(' '));
        for (DISTFILE &file : pPlan->files) {
            if (!file.bMoved || (!SameDistName(program, file.strScript) && !SameDistName(bare, file.strScript)))
                continue;
            /* Started from the distribution, it must lie there as it is. */
            file.strPackedScript.clear();
            file.strPackedNative.clear();
            line.strText.insert(line.strText.find_first_not_of(" \t") + 3, folder + "\\");
            size_t cchSpec = spec.size() + folder.size() + 1;
            if (cchSpec >= MAXTEXT)
                AddError(pTemplate, line.uTemplateLine,
                         "the item's program lies in " + folder + "\\ with the other top files (a "
                         "[Files] line each would not fit the script), which makes the item specification " +
                             std::to_string(cchSpec) + " bytes; at most 127");
            break;
        }
    }
}

/* The key of an [App] line, as the reader cuts it. */
static std::string KeyOf(const std::string &line)
{
    std::string trimmed = Trimmed(line);
    size_t nEq = trimmed.find('=');
    return nEq == std::string::npos ? "" : trimmed.substr(0, nEq);
}

static void AddGenerated(std::vector<DISTLINE> *pLines, const std::string &text, int iFile = -1, int iFolder = -1)
{
    pLines->push_back({ text, 0, iFile, iFolder });
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
            if (file.iFolder == (int)i && !file.bMoved) {
                AddGenerated(pLines, std::to_string(i) + "=" + plan.folders[i].strScript);
                break;
            }
    if (!plan.strTopFolder.empty())
        AddGenerated(pLines, std::to_string(plan.iTopSrcId) + "=" + plan.strTopFolder);
    AddGenerated(pLines, "[DstDirs]");
    for (size_t i = 0; i < plan.folders.size(); i++)
        AddGenerated(pLines, std::to_string(i) + "=" + plan.folders[i].strScript);
    /* The explicit lines first: the reader checks its count after each
     * of them, and only a wildcard line may bring it to the full table. */
    AddGenerated(pLines, "[Files]");
    for (size_t i = 0; i < plan.files.size(); i++) {
        const DISTFILE &file = plan.files[i];
        if (!plan.folders[file.iFolder].bWild && !file.bMoved)
            AddGenerated(pLines, FileLine(plan, file, bStored ? file.bPacked : false), (int)i);
    }
    /* The top's moved files go to destination id 0, the top itself. */
    if (!plan.strTopFolder.empty())
        AddGenerated(pLines, "*" + std::to_string(plan.iTopSrcId) + "-0,", -1, 0);
    for (size_t i = 0; i < plan.folders.size(); i++)
        if (plan.folders[i].bWild)
            AddGenerated(pLines, "*" + std::to_string(i) + "-" + std::to_string(i) + ",", -1, (int)i);
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
