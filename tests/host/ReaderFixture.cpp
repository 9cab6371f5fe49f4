/*
 * ReaderFixture.cpp - temporary distribution folders for reader tests.
 */
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <filesystem>
#include "ReaderFixture.h"
#include "SetupinfOs.h"

void ReaderTest::SetUp()
{
    char szTemplate[] = "/tmp/setupinf-test-XXXXXX";
    ASSERT_NE(mkdtemp(szTemplate), nullptr);
    dir = szTemplate;
    OsSetProgramFolder((dir + "/").c_str());
    SetupCheckReset();
}

void ReaderTest::TearDown()
{
    OsSetProgramFolder(NULL);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    EXPECT_FALSE(ec) << dir << ": " << ec.message();
}

UINT ReaderTest::Load(const std::string &text)
{
    MakeFile("SETUP.INF", text);
    return inf.Load(Path("SETUP.INF").c_str(), NULL);
}

void ReaderTest::MakeDir(const std::string &relPath)
{
    std::error_code ec;
    std::filesystem::create_directories(Path(relPath), ec);
    ASSERT_FALSE(ec) << relPath << ": " << ec.message();
}

void ReaderTest::MakeFile(const std::string &relPath, const std::string &content)
{
    size_t slash = relPath.rfind('/');
    if (slash != std::string::npos)
        MakeDir(relPath.substr(0, slash));
    FILE *fp = fopen(Path(relPath).c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    ASSERT_EQ(fwrite(content.data(), 1, content.size(), fp), content.size());
    fclose(fp);
}

std::vector<std::string> ReaderTest::Checks()
{
    std::vector<std::string> v;
    for (unsigned i = 0; const CHECKRECORD *pRec = SetupCheckGet(i); i++)
        v.push_back(pRec->szExpr);
    return v;
}

std::string ReaderTest::FileText(UINT i) const
{
    char szDisplay[MAXTEXT], szSrc[MAXTEXT], szDst[MAXTEXT];
    const FILEENTRY *pFile = view.File(i);
    if (!pFile)
        return "(none)";
    pFile->GetNames(szDisplay, szSrc, szDst);
    return std::string(szDisplay) + "|" + std::to_string(pFile->GetSrcDirId()) + ":" + szSrc +
           "|" + std::to_string(pFile->GetDstDirId()) + ":" + szDst + (pFile->IsWhole() ? "" : "|cut");
}

std::string ReaderTest::DstDirText(UINT i) const
{
    char szDir[MAXTEXT];
    const DIRENTRY *pDir = view.DstDir(i);
    if (!pDir)
        return "(none)";
    pDir->GetDir(szDir);
    return std::to_string(pDir->GetId()) + "=" + szDir + (pDir->IsWhole() ? "" : "|cut");
}

std::string ReaderTest::ItemText(UINT i) const
{
    char szDescription[MAXTEXT], szSpec[MAXTEXT];
    BOOL bWhole = inf.GetPMItem(i, szDescription, szSpec);
    return std::string(szSpec) + "|" + szDescription + (bWhole ? "" : "|cut");
}
