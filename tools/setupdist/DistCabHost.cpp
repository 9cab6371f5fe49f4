/*
 * DistCabHost.cpp - the cabinet of the one-file distribution on Linux,
 * written with libgcab into memory.
 */
#include <libgcab.h>
#include "DistOs.h"

static bool IsAscii(const std::string &text)
{
    for (unsigned char ch : text)
        if (ch >= 0x80)
            return false;
    return true;
}

/* Adds one file; its date comes from the file, the UTF-8 flag is set
 * after that, as adding fills in the attributes. */
static bool AddCabFile(GCabFolder *pFolder, const DISTCABFILE &entry, GError **ppError)
{
    GFile *pFile = g_file_new_for_path(entry.strPath.c_str());
    GCabFile *pCabFile = gcab_file_new_with_file(entry.strName.c_str(), pFile);
    bool bOk = gcab_folder_add_file(pFolder, pCabFile, FALSE, NULL, ppError);
    if (bOk && !IsAscii(entry.strName))
        gcab_file_set_attributes(pCabFile, gcab_file_get_attributes(pCabFile) | GCAB_FILE_ATTRIBUTE_NAME_IS_UTF);
    g_object_unref(pCabFile);
    g_object_unref(pFile);
    return bOk;
}

/* The files the cabinet has taken, shown as it reads them: a large
 * distribution takes a while. */
typedef struct tagCABPROGRESS {
    size_t iFile, nFiles;
} CABPROGRESS;

static gboolean ShowCabFile(GCabFile *pCabFile, gpointer pv)
{
    (void)pCabFile;
    CABPROGRESS *pProgress = (CABPROGRESS *)pv;
    pProgress->iFile++;
    DistOsProgress("setupdist: cabinet: " + std::to_string(pProgress->iFile) + " of " +
                   std::to_string(pProgress->nFiles) + " files");
    return TRUE;
}

bool DistOsMakeCabinet(const std::vector<DISTCABFILE> &files, std::vector<unsigned char> *pCab, std::string *pstrWhy)
{
    GError *pError = NULL;
    GCabCabinet *pCabinet = gcab_cabinet_new();
    GCabFolder *pFolder = gcab_folder_new(GCAB_COMPRESSION_NONE);
    GOutputStream *pOut = g_memory_output_stream_new_resizable();
    CABPROGRESS progress = { 0, files.size() };
    bool bOk = true;
    for (size_t i = 0; bOk && i < files.size(); i++)
        bOk = AddCabFile(pFolder, files[i], &pError);
    bOk = bOk && gcab_cabinet_add_folder(pCabinet, pFolder, &pError) &&
          gcab_cabinet_write_simple(pCabinet, pOut, ShowCabFile, &progress, NULL, &pError) &&
          g_output_stream_close(pOut, NULL, &pError);
    if (bOk) {
        const unsigned char *pb = (const unsigned char *)g_memory_output_stream_get_data(G_MEMORY_OUTPUT_STREAM(pOut));
        pCab->assign(pb, pb + g_memory_output_stream_get_data_size(G_MEMORY_OUTPUT_STREAM(pOut)));
    }
    if (pError) {
        *pstrWhy = pError->message;
        g_error_free(pError);
    }
    g_object_unref(pOut);
    g_object_unref(pFolder);
    g_object_unref(pCabinet);
    return bOk;
}
