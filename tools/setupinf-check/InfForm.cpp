/*
 * InfForm.cpp - the script as bytes: why the reader rejects it (too
 * long, an unknown header, a zero byte, no [End]), a script saved in the
 * wrong encoding, lines that end in a lone CR.
 */
#include <string.h>
#include <algorithm>
#include "InfCheckState.h"

static const char *const aHeaderNames[] = {
    "[End]", "[App]", "[Version]", "[SrcDirs]", "[DstDirs]", "[Files]", "[PM Info]",
};

/* Editor line numbers of the bytes of the script: CR LF, LF and a lone CR
 * each end a line, as the reader counts them. */
std::vector<UINT> LineOfOffsets(const std::vector<char> &text)
{
    std::vector<UINT> lineOf(text.size() + 1, 1);
    UINT uLine = 1;
    for (size_t i = 0; i < text.size(); i++) {
        lineOf[i] = uLine;
        BOOL bBreak = text[i] == '\n' ? (i == 0 || text[i - 1] != '\r')
                                      : text[i] == '\r';
        if (bBreak)
            uLine++;
    }
    lineOf[text.size()] = uLine;
    return lineOf;
}

/* The script's lines as written, without their line ends. */
std::vector<std::string> RawLines(const std::vector<char> &text)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size() && text[i]; i++) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                i++;
            lines.push_back("");
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

void ReportRejection(CHECKSTATE *pState, const std::vector<char> &text,
                            const std::vector<UINT> &lineOf)
{
    if (std::find(pState->loadChecks.begin(), pState->loadChecks.end(), "cbRead<MAXSCRIPT") !=
        pState->loadChecks.end()) {
        Add(pState, lineOf[std::min<size_t>(MAXSCRIPT - 1, text.size())], SEV_ERROR,
            "script longer than 20479 bytes (it passes the limit in this line); "
            "the whole script is rejected");
        return;
    }
    if (pState->lines.empty())
        return;

    const SCRIPTLINE &last = pState->lines.back();
    if (last.strText[0] == '[') {
        std::string hint = "; headers are case-sensitive and stand alone on their line";
        for (const char *lpszHeader : aHeaderNames)
            if (SameName(last.strText, lpszHeader))
                hint = "; did you mean " + std::string(lpszHeader) + "?";
        Add(pState, last.uLine, SEV_ERROR,
            "unknown section header " + Quote(last.strText) + hint + " (the script is rejected)");
        return;
    }

    const void *pNul = memchr(text.data(), '\0', text.size());
    if (pNul) {
        Add(pState, lineOf[(const char *)pNul - text.data()], SEV_ERROR,
            "a zero byte ends the script here, before [End]; the script is rejected");
        return;
    }
    /* The last line with text, or the last line at all. */
    UINT uLine = last.uLine;
    for (size_t k = pState->lines.size(); k-- > 0;)
        if (!pState->lines[k].strText.empty()) {
            uLine = pState->lines[k].uLine;
            break;
        }
    Add(pState, uLine, SEV_ERROR, "the script ends without an [End] line; it is rejected");
}

/* Bytes of the UTF-8 character at text[i], 0 when none begins there. */
static size_t Utf8Bytes(const std::vector<char> &text, size_t i)
{
    return i < text.size() ? Utf8CharBytes(&text[i], text.size() - i) : 0;
}

/* A script saved in the wrong form: with a byte-order mark, as UTF-16,
 * as UTF-8 with Chinese text (shown garbled), or with lone CRs for line
 * ends. "" when it is none of these. */
std::string EncodingMistake(const std::vector<char> &text)
{
    static const char szSave[] = "; save it as GBK (ANSI) with CR LF line ends";
    std::string start(text.begin(), text.begin() + std::min<size_t>(text.size(), 3));
    if (start == "\xEF\xBB\xBF")
        return std::string("the script begins with a UTF-8 byte-order mark, which SETUP.EXE reads as text") + szSave;
    if (start.compare(0, 2, "\xFF\xFE") == 0 || start.compare(0, 2, "\xFE\xFF") == 0 ||
        (text.size() > 1 && (text[0] == 0 || text[1] == 0)))
        return std::string("the script is UTF-16; SETUP.EXE reads single bytes") + szSave;
    BOOL bCr = FALSE, bLf = FALSE, bMultibyte = FALSE, bUtf8 = TRUE;
    for (size_t i = 0, cb = 1; i < text.size() && text[i]; i += cb) {
        bCr = bCr || text[i] == '\r';
        bLf = bLf || text[i] == '\n';
        cb = bUtf8 ? Utf8Bytes(text, i) : 1;
        bUtf8 = bUtf8 && cb > 0;
        bMultibyte = bMultibyte || cb > 2;
        cb = cb ? cb : 1;
    }
    if (bCr && !bLf)
        return std::string("every line ends in a lone CR; the reader needs CR LF") + szSave;
    if (bUtf8 && bMultibyte)
        return std::string("the script is UTF-8; SETUP.EXE reads GBK, so every Chinese text would show garbled") +
               szSave;
    return "";
}

/* A CR without its LF ends a line for the reader, which then skips the
 * character after it unseen. */
void ReportLoneCrs(CHECKSTATE *pState, const std::vector<char> &text,
                          const std::vector<UINT> &lineOf)
{
    UINT uLastLine = pState->lines.empty() ? 0 : pState->lines.back().uLine;
    BOOL bSkip = FALSE;
    for (size_t i = 0; i < text.size() && text[i]; i++) {
        if (bSkip) {
            bSkip = FALSE;
            continue;
        }
        if (text[i] != '\r' || (i + 1 < text.size() && text[i + 1] == '\n'))
            continue;
        if (lineOf[i] > uLastLine)
            break;
        if (i + 1 < text.size() && text[i + 1])
            Add(pState, lineOf[i], SEV_WARNING,
                "line ends in a lone CR (no LF): the reader skips the first character of the "
                "next line");
        else
            Add(pState, lineOf[i], SEV_WARNING, "line ends in a lone CR (no LF)");
        bSkip = TRUE;
    }
}
