/*
 * DistOneFile.cpp - --single-file: its inputs checked with the plan, and
 * the one program written from the finished distribution folder: the
 * launcher, the cabinet, the trailer, read back as the launcher reads it
 * before it is written.
 */
#include <algorithm>
#include "DistOs.h"
#include "DistRun.h"
#include "Payload.h"

/* --single-file: no item may point into the distribution's folder, which
 * is removed after the installation; the launcher is --launcher, else the
 * one beside the tool, else the installed one; the one
 * file is new. */
void CheckSingleFile(DISTRUN *pRun)
{
    if (pRun->strSingleFile.empty())
        return;
    for (UINT uLine : pRun->tmpl.sourceItems)
        Error(pRun, pRun->strTemplate + ":" + std::to_string(uLine) +
                        ": error: this [PM Info] item lies in the distribution's folder (its second character is "
                        "S); the one file runs SETUP.EXE from a temporary folder that is removed afterwards, so "
                        "the item would lead nowhere: leave the line out of the template for --single-file");
    if (pRun->strLauncher.empty())
        pRun->strLauncher = FindByTool(DIST_LAUNCHER, DIST_SHARED_LAUNCHER);
    int nKind = pRun->strLauncher.empty() ? -1 : DistOsKind(pRun->strLauncher);
    std::vector<unsigned char> data;
    if (pRun->strLauncher.empty())
        Error(pRun, "setupdist: error: no " DIST_LAUNCHER " beside the tool nor in " DIST_SHARED_LAUNCHER
                    " from its folder; name one with --launcher");
    else if (nKind < 0)
        Error(pRun, pRun->strLauncher + ": error: no such file (--launcher)");
    else if (nKind == 1)
        Error(pRun, pRun->strLauncher + ": error: a folder; --launcher names the launcher file itself");
    else if (!DistOsReadFile(pRun->strLauncher, &data) || PayloadEnd(data.data(), data.size()) == 0)
        Error(pRun, pRun->strLauncher + ": error: not a Windows program (--launcher)");
    int nOut = DistOsKind(pRun->strSingleFile);
    if (nOut == 1)
        Error(pRun, pRun->strSingleFile + ": error: a folder; --single-file names the file to write");
    else if (nOut >= 0 && !pRun->bForce)
        Error(pRun, pRun->strSingleFile + ": error: already exists; --force replaces it");
}

/* The one file: the launcher, a cabinet of the distribution's files as
 * they lie in OUT-FOLDER (SETUP.EXE and SETUP.INF first), the trailer,
 * zero bytes to a multiple of 8. It is read back as the launcher reads
 * it before it is written. */
bool WriteSingleFile(DISTRUN *pRun)
{
    std::vector<DISTCABFILE> files = { { OutPath(pRun, DIST_SETUPEXE), DIST_SETUPEXE },
                                       { OutPath(pRun, DIST_SCRIPT), DIST_SCRIPT } };
    for (const DISTFILE &file : pRun->plan.files) {
        std::string rel = StoredRel(pRun, file), name = rel;
        std::replace(name.begin(), name.end(), chDistSep, '\\');
        files.push_back({ OutPath(pRun, rel), name });
    }
    std::vector<unsigned char> out, cab;
    std::string why;
    if (!DistOsReadFile(pRun->strLauncher, &out)) {
        Error(pRun, pRun->strLauncher + ": error: cannot read the file: " + DistOsLastError());
        return false;
    }
    pRun->cbLauncher = out.size();
    if (!DistOsMakeCabinet(files, &cab, &why)) {
        Error(pRun, pRun->strSingleFile + ": error: cannot make the cabinet: " + why);
        return false;
    }
    if (cab.size() >= 0x7FFFFFFF) {
        Error(pRun, pRun->strSingleFile + ": error: the distribution is 2 GB or more; one file holds less");
        return false;
    }
    unsigned char abTrailer[PAYLOAD_TRAILER];
    MakePayloadTrailer(cab.data(), cab.size(), pRun->tmpl.strAppName.c_str(), abTrailer);
    out.insert(out.end(), cab.begin(), cab.end());
    out.insert(out.end(), abTrailer, abTrailer + sizeof(abTrailer));
    out.resize((out.size() + 7) / 8 * 8, 0);
    PAYLOAD payload;
    int nResult = FindPayload(out.data(), out.size(), &payload);
    if (nResult != PAYLOAD_OK || payload.nFiles != files.size()) {
        Error(pRun, pRun->strSingleFile + ": error: the launcher would not read the file made (result " +
                        std::to_string(nResult) + ", " + std::to_string(payload.nFiles) + " files)");
        return false;
    }
    /* --force: the new file is written whole beside the old one, which
     * it replaces only then. */
    std::string written = DistOsKind(pRun->strSingleFile) >= 0 ? pRun->strSingleFile + ".new" : pRun->strSingleFile;
    if (!DistOsWriteNewFile(written, out.data(), out.size())) {
        Error(pRun, written + ": error: cannot write the file: " + DistOsLastError());
        return false;
    }
    /* One rename: the old file stays whole if it fails. */
    if (written != pRun->strSingleFile && !DistOsRename(written, pRun->strSingleFile)) {
        Error(pRun, pRun->strSingleFile + ": error: cannot replace the file: " + DistOsLastError());
        DistOsRemoveFile(written);
        return false;
    }
    pRun->made.push_back(pRun->strSingleFile);
    pRun->cbSingleFile = out.size();
    return true;
}
