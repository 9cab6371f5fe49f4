/*
 * InfApp.cpp - the findings on [App]: keys unknown, misspelt or given
 * twice, SpaceNeeded as the reader reads it, DefDir, InstallToHD, and
 * the group and item texts Program Manager would split.
 */
#include <ctype.h>
#include <stdlib.h>
#include <string.h>
#include <map>
#include "InfCheckState.h"
#include "SetupinfView.h"

static const char *const aKeys[] = {
    "AppName", "DefDir", "SpaceNeeded", "DefPMGroup", "ShowSubDirCreateStats", "InstallToHD",
};

static BOOL IsKnownKey(const std::string &key)
{
    for (const char *lpszKey : aKeys)
        if (key == lpszKey)
            return TRUE;
    return FALSE;
}

/* SpaceNeeded is read digit by digit into 16 bits: anything but a number
 * of K up to 65535 reads as another one. */
static void CheckSpaceValue(CHECKSTATE *pState, UINT uLine, const std::string &value)
{
    std::string read = std::to_string(StrToWord(value.c_str()));
    size_t nDigits = value.find_first_not_of("0123456789");
    if (nDigits == std::string::npos)
        nDigits = value.size();
    if (value[0] == ' ' || value[0] == '\t')
        Add(pState, uLine, SEV_WARNING, "SpaceNeeded begins with a blank, so the reader reads it as 0");
    else if (nDigits < value.size())
        Add(pState, uLine, SEV_WARNING, "SpaceNeeded " + Quote(value) + " has a unit or other text after its "
                                        "digits; it is a number of K, and the reader reads " + read);
    else if (nDigits > 5 || atol(value.c_str()) > 65535)
        Add(pState, uLine, SEV_WARNING, "SpaceNeeded " + value + " is over 65535, the most it can say; the reader "
                                        "reads " + read);
}

void CheckKeyLine(CHECKSTATE *pState, const SCRIPTLINE &line)
{
    size_t eq = line.strText.find('=');
    if (eq == std::string::npos)
        return;                         /* the reader reports it */
    std::string key = line.strText.substr(0, eq);
    std::string value = line.strText.substr(eq + 1);

    std::vector<char> buf(key.begin(), key.end());
    buf.push_back('\0');
    std::string trimmed = TrimBlanks(buf.data());
    if (trimmed != key && IsKnownKey(trimmed)) {
        Add(pState, line.uLine, SEV_WARNING,
            "blank before '=': the reader ignores this line (write " + trimmed + "=...)");
        return;
    }
    if (!IsKnownKey(key)) {
        std::string hint;
        for (const char *lpszKey : aKeys)
            if (SameName(trimmed, lpszKey))
                hint = "; keys are case-sensitive: did you mean " + std::string(lpszKey) + "?";
        Add(pState, line.uLine, SEV_WARNING, "unknown key " + Quote(trimmed) + " is ignored" + hint);
        return;
    }

    std::map<std::string, UINT>::iterator it = pState->keyLines.find(key);
    if (it != pState->keyLines.end())
        Add(pState, line.uLine, SEV_WARNING,
            key + " given again (before at line " + std::to_string(it->second) +
            "); this later value is the one used");
    pState->keyLines[key] = line.uLine;

    if (key == "DefPMGroup" && value.find(',') == std::string::npos)
        Add(pState, line.uLine, SEV_WARNING,
            "DefPMGroup without a comma: the whole value becomes the group name "
            "(write DefPMGroup={first},{group name})");
    if (key == "SpaceNeeded")
        CheckSpaceValue(pState, line.uLine, value);
}

/* The folder DefDir is in, when it is below the drive's root and not one
 * every Windows has (C:\\GAMES of C:\\GAMES\\MINES\\); "" otherwise. */
static std::string NewParentOf(LPCSTR lpszDefDir)
{
    static const char *const aStandard[] = { "Program Files", "Program Files (x86)", "ProgramData", "Users",
                                             "Windows" };
    std::string dir = lpszDefDir;
    if (PathEndsInBackslash(dir.c_str()))
        dir.pop_back();
    LPCSTR lpszLast = FindLastBackslash(dir.c_str());
    if (!lpszLast || lpszLast - dir.c_str() <= 2)
        return "";
    std::string parent = dir.substr(0, lpszLast - dir.c_str());
    std::string below = parent.substr(3);
    for (char &c : below)
        c = (char)tolower((unsigned char)c);
    for (const char *lpszStandard : aStandard) {
        std::string standard = lpszStandard;
        for (char &c : standard)
            c = (char)tolower((unsigned char)c);
        if (parent[2] == '\\' && below == standard)
            return "";
    }
    return parent;
}

/* Program Manager reads commas and parentheses in a command's texts as
 * its own separators; the program sends the texts as they are. */
static void CheckGroupTexts(CHECKSTATE *pState)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    static const char szSeparators[] = ",()";
    UINT uGroupLine = KeyLine(pState, "DefPMGroup");
    if (!uGroupLine)
        Add(pState, AppAnchor(pState), SEV_WARNING,
            "no DefPMGroup in [App]: the Program Manager group gets no name (write DefPMGroup=,{group name})");
    else if (strpbrk(view.PMGroupName(), szSeparators))
        Add(pState, uGroupLine, SEV_WARNING,
            "the group name " + Quote(view.PMGroupName()) + " has a comma or a parenthesis, which Program "
            "Manager reads as the end of the name");
    for (UINT i = 0; i < inf.GetNumPMItems(); i++) {
        char szDescription[MAXTEXT], szSpec[MAXTEXT];
        view.PMItem(i)->GetItem(szDescription, szSpec);
        if (strpbrk(szDescription, szSeparators))
            Add(pState, pState->itemLine[i], SEV_WARNING,
                "the description " + Quote(szDescription) + " has a comma or a parenthesis, which Program "
                "Manager reads as the end of the item's title");
    }
}

void CheckAppSettings(CHECKSTATE *pState)
{
    const CSetupInf &inf = *pState->pInf;
    CSetupInfView view(inf);
    if (view.AppName()[0] == '\0') {
        UINT uLine = KeyLine(pState, "AppName");
        Add(pState, uLine ? uLine : AppAnchor(pState), SEV_WARNING,
            uLine ? "AppName is empty: windows and messages get no title"
                  : "no AppName in [App]: windows and messages get no title");
    }
    CheckGroupTexts(pState);
    if (!inf.GetInstallToHD()) {
        if (inf.GetNumFiles() > 0)
            Add(pState, pState->fileLine[0], SEV_ERROR,
                "InstallToHD is not Yes, so none of the " + std::to_string(inf.GetNumFiles()) +
                    " files of [Files] is copied (write InstallToHD=Yes in [App])");
        return;
    }
    LPCSTR lpszDefDir = view.DefDir();
    if (!isalpha((unsigned char)lpszDefDir[0]) || lpszDefDir[1] != ':') {
        UINT uLine = KeyLine(pState, "DefDir");
        if (uLine)
            Add(pState, uLine, SEV_ERROR,
                "DefDir " + Quote(lpszDefDir) + " does not begin with a drive letter and a colon");
        else
            Add(pState, KeyLine(pState, "InstallToHD"), SEV_ERROR,
                "InstallToHD is set but there is no DefDir (a folder such as C:\\APP\\)");
        return;
    }
    std::string parent = NewParentOf(lpszDefDir);
    if (!parent.empty())
        Add(pState, KeyLine(pState, "DefDir"), SEV_WARNING,
            "DefDir " + Quote(lpszDefDir) + " is in " + parent +
                ", which a fresh Windows does not have; SETUP.EXE will make it");
}
