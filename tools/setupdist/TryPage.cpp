/*
 * TryPage.cpp - the trial installation's report: one page that works
 * opened from the file system (no script, nothing fetched, the style in
 * the page, the pictures beside it) and the same facts as JSON.
 */
#include <stdio.h>
#include "TryReport.h"

/* ---- the page ----------------------------------------------------------- */

static std::string Html(const std::string &text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

/* A file name as a relative link: every byte but the unreserved ones
 * escaped, so '#', '?' or '%' in a name stay in it. */
static std::string Link(const std::string &name)
{
    static const char szHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : name) {
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
            b == '_' || b == '~') {
            out += (char)b;
        } else {
            out += '%';
            out += szHex[b >> 4];
            out += szHex[b & 15];
        }
    }
    return out;
}

static std::string Seconds(long lMs)
{
    char sz[32];
    snprintf(sz, sizeof(sz), "%.1f s", lMs / 1000.0);
    return sz;
}

static std::string Cell(const std::string &text, const char *lpszClass = NULL)
{
    return std::string("<td") + (lpszClass ? std::string(" class=\"") + lpszClass + "\"" : "") + ">" + Html(text) +
           "</td>";
}

static std::string CheckCell(const std::string &check)
{
    return Cell(check, check == TRY_OK ? "ok" : "bad");
}

static std::string Head(const char *lpszFirst, const char *lpszSecond, const char *lpszThird = NULL)
{
    std::string row = std::string("<tr><th>") + lpszFirst + "</th><th>" + lpszSecond + "</th>";
    if (lpszThird)
        row += std::string("<th>") + lpszThird + "</th>";
    return row + "</tr>\n";
}

static const char szStyle[] =
    "body{font-family:sans-serif;margin:0 2em 2em;color:#222}\n"
    ".band{margin:0 -2em 1em;padding:.8em 2em;font-size:1.4em;color:#fff}\n"
    ".installed{background:#2e7d32}.failed{background:#c62828}\n"
    ".shots{display:flex;flex-wrap:wrap;gap:1em}\n"
    "figure{margin:0;width:240px}figure img{width:240px;border:1px solid #999}\n"
    "figcaption{font-size:.9em}\n"
    "table{border-collapse:collapse}th,td{border:1px solid #ccc;padding:.2em .6em;text-align:left;"
    "vertical-align:top}\n"
    ".num{text-align:right}.ok{color:#2e7d32}.bad{color:#c62828;font-weight:bold}\n"
    ".text{white-space:pre-wrap}\n";

static std::string ShotsSection(const TRYFACTS &facts)
{
    std::string out = "<h2>Screenshots</h2>\n";
    if (facts.shots.empty())
        return out + "<p>None.</p>\n";
    out += "<div class=\"shots\">\n";
    for (const TRYSHOT &shot : facts.shots) {
        std::string png = Link(shot.strName + ".png");
        out += "<figure>";
        if (shot.strProblem.empty())
            out += "<a href=\"" + png + "\"><img src=\"" + png + "\" width=\"240\" alt=\"" + Html(shot.strTitle) +
                   "\"></a>";
        else
            out += "<p class=\"bad\">" + Html(shot.strProblem) + "</p>";
        out += "<figcaption>" + Html(shot.strName) + "<br>" + Html(shot.strTitle) + "</figcaption></figure>\n";
    }
    return out + "</div>\n";
}

static std::string BoxesSection(const TRYFACTS &facts)
{
    std::string out = "<h2>Messages</h2>\n";
    if (facts.boxes.empty())
        return out + "<p>None.</p>\n";
    out += "<table>\n" + Head("Caption", "Text");
    for (const TRYBOX &box : facts.boxes)
        out += "<tr>" + Cell(box.strCaption) + Cell(box.strText, "text") + "</tr>\n";
    return out + "</table>\n";
}

static std::string FilesSection(const TRYCHECK &check)
{
    std::string out = "<h2>Files</h2>\n<table>\n" + Head("Name", "Size", "Check");
    for (const TRYFILE &file : check.files)
        out += "<tr>" + Cell(file.strName) + Cell(file.llSize < 0 ? "" : std::to_string(file.llSize), "num") +
               CheckCell(file.strCheck) + "</tr>\n";
    out += "</table>\n<h2>Folders</h2>\n<table>\n" + Head("Folder", "Check");
    for (const TRYFOLDER &folder : check.folders)
        out += "<tr>" + Cell(folder.strName) + CheckCell(folder.strCheck) + "</tr>\n";
    return out + "</table>\n";
}

static std::string GroupSection(const TRYFACTS &facts, const TRYCHECK &check)
{
    std::string out = "<h2>Program group</h2>\n<table>\n" + Head("Group", "Check");
    out += "<tr>" + Cell(facts.bGroup ? facts.strGroup : check.strGroup) + CheckCell(check.strGroupCheck) +
           "</tr>\n</table>\n";
    if (check.items.empty())
        return out + "<p>No items.</p>\n";
    out += "<table>\n" + Head("Item", "Command line", "Check");
    for (const TRYITEM &item : check.items)
        out += "<tr>" + Cell(item.strDescription) + Cell(item.strCommand) + CheckCell(item.strCheck) + "</tr>\n";
    return out + "</table>\n";
}

static std::string RunSection(const TRYFACTS &facts, const TRYCHECK &check)
{
    std::string out = "<h2>Timings</h2>\n<table>\n" + Head("Step", "Time");
    for (const TRYSTEP &step : facts.steps)
        out += "<tr>" + Cell(step.strName) + Cell(Seconds(step.lMs), "num") + "</tr>\n";
    if (facts.lTotalMs >= 0)
        out += "<tr><th>total</th>" + Cell(Seconds(facts.lTotalMs), "num") + "</tr>\n";
    out += "</table>\n<h2>Run</h2>\n<table>\n";
    out += "<tr><th>SETUP.EXE build</th>" + Cell(facts.strBuild.empty() ? "not recorded" : facts.strBuild) +
           "</tr>\n";
    out += "<tr><th>Exit code</th>" + Cell(facts.bExitCode ? std::to_string(facts.lExitCode) : "not recorded") +
           CheckCell(check.strExitCheck) + "</tr>\n";
    out += "<tr><th>Destination</th>" + Cell(facts.strDest) + "</tr>\n";
    out += "<tr><th>The script's default</th>" + Cell(check.strDefDir) + "</tr>\n";
    if (facts.bStopped)
        out += "<tr><th>Walk stopped</th>" + Cell(facts.strStopped, "bad") + "</tr>\n";
    return out + "</table>\n";
}

std::string TryReportHtml(const TRYFACTS &facts, const TRYCHECK &check)
{
    std::string verdict = check.bInstalled ? "installed" : "failed";
    /* zh-CN picks Simplified Chinese glyphs for the script's texts. */
    std::string out = "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n";
    out += "<title>Trial installation: " + verdict + "</title>\n<style>\n" + szStyle + "</style>\n</head>\n<body>\n";
    out += "<div class=\"band " + verdict + "\"><strong>" + verdict + "</strong>";
    if (!check.bInstalled)
        out += ": " + Html(check.strFirstDifference);
    out += "</div>\n";
    out += ShotsSection(facts) + BoxesSection(facts) + FilesSection(check) + GroupSection(facts, check) +
           RunSection(facts, check);
    return out + "</body>\n</html>\n";
}

/* ---- the JSON ----------------------------------------------------------- */

/* Length of the well-formed UTF-8 character at the start of s, 0 when it
 * is not one (overlong forms and surrogates included, which a strict
 * reader refuses). */
static size_t Utf8Length(const unsigned char *s, size_t cb)
{
    size_t cch = s[0] < 0x80 ? 1 : s[0] < 0xC2 ? 0 : s[0] < 0xE0 ? 2 : s[0] < 0xF0 ? 3 : s[0] < 0xF5 ? 4 : 0;
    if (cch == 0 || cch > cb)
        return 0;
    for (size_t i = 1; i < cch; i++)
        if ((s[i] & 0xC0) != 0x80)
            return 0;
    if ((s[0] == 0xE0 && s[1] < 0xA0) || (s[0] == 0xED && s[1] >= 0xA0) || (s[0] == 0xF0 && s[1] < 0x90) ||
        (s[0] == 0xF4 && s[1] >= 0x90))
        return 0;
    return cch;
}

/* A JSON string: UTF-8 passes through, control characters and quotes
 * are escaped, and a byte that is not UTF-8 becomes U+FFFD so that the
 * file always parses. */
static std::string Json(const std::string &text)
{
    std::string out = "\"";
    const unsigned char *pb = (const unsigned char *)text.data();
    for (size_t i = 0; i < text.size();) {
        size_t cch = Utf8Length(pb + i, text.size() - i);
        unsigned char b = pb[i];
        char sz[8];
        if (cch == 0) {
            out += "\\ufffd";
            cch = 1;
        } else if (b == '"' || b == '\\') {
            out += '\\';
            out += (char)b;
        } else if (b == '\n') {
            out += "\\n";
        } else if (b < 0x20 || b == 0x7F) {
            snprintf(sz, sizeof(sz), "\\u%04x", b);
            out += sz;
        } else {
            out.append(text, i, cch);
        }
        i += cch;
    }
    return out + "\"";
}

static std::string Field(const char *lpszKey, const std::string &value)
{
    return std::string("\"") + lpszKey + "\": " + value;
}

/* Objects, one a line, as the array's text. */
static std::string Array(const std::vector<std::string> &objects)
{
    std::string out = "[";
    for (size_t i = 0; i < objects.size(); i++)
        out += (i ? ",\n    " : "\n    ") + objects[i];
    return out + (objects.empty() ? "]" : "\n  ]");
}

std::string TryReportJson(const TRYFACTS &facts, const TRYCHECK &check)
{
    std::vector<std::string> steps, shots, boxes, files, folders, items;
    for (const TRYSTEP &step : facts.steps)
        steps.push_back("{" + Field("name", Json(step.strName)) + ", " + Field("ms", std::to_string(step.lMs)) + "}");
    for (const TRYSHOT &shot : facts.shots)
        shots.push_back("{" + Field("file", shot.strProblem.empty() ? Json(shot.strName + ".png") : "null") + ", " +
                        Field("title", Json(shot.strTitle)) + ", " + Field("problem", Json(shot.strProblem)) + "}");
    for (const TRYBOX &box : facts.boxes)
        boxes.push_back("{" + Field("caption", Json(box.strCaption)) + ", " + Field("text", Json(box.strText)) + "}");
    for (const TRYFILE &file : check.files)
        files.push_back("{" + Field("name", Json(file.strName)) + ", " +
                        Field("size", file.llSize < 0 ? "null" : std::to_string(file.llSize)) + ", " +
                        Field("check", Json(file.strCheck)) + "}");
    for (const TRYFOLDER &folder : check.folders)
        folders.push_back("{" + Field("name", Json(folder.strName)) + ", " + Field("check", Json(folder.strCheck)) +
                          "}");
    for (const TRYITEM &item : check.items)
        items.push_back("{" + Field("description", Json(item.strDescription)) + ", " +
                        Field("command", Json(item.strCommand)) + ", " + Field("check", Json(item.strCheck)) + "}");

    std::string out = "{\n";
    out += "  " + Field("verdict", Json(check.bInstalled ? "installed" : "failed")) + ",\n";
    out += "  " + Field("first_difference", Json(check.strFirstDifference)) + ",\n";
    out += "  " + Field("build", Json(facts.strBuild)) + ",\n";
    out += "  " + Field("exit_code", facts.bExitCode ? std::to_string(facts.lExitCode) : "null") + ",\n";
    out += "  " + Field("stopped", facts.bStopped ? Json(facts.strStopped) : "null") + ",\n";
    out += "  " + Field("destination", Json(facts.strDest)) + ",\n";
    out += "  " + Field("default_folder", Json(check.strDefDir)) + ",\n";
    out += "  " + Field("steps", Array(steps)) + ",\n";
    out += "  " + Field("total_ms", facts.lTotalMs >= 0 ? std::to_string(facts.lTotalMs) : "null") + ",\n";
    out += "  " + Field("shots", Array(shots)) + ",\n";
    out += "  " + Field("boxes", Array(boxes)) + ",\n";
    out += "  " + Field("files", Array(files)) + ",\n";
    out += "  " + Field("folders", Array(folders)) + ",\n";
    out += "  " + Field("group", Json(facts.bGroup ? facts.strGroup : "")) + ",\n";
    out += "  " + Field("group_check", Json(check.strGroupCheck)) + ",\n";
    out += "  " + Field("items", Array(items)) + "\n";
    return out + "}\n";
}
