/*
 * SetupExeFile.h - the build's SETUP.EXE loaded as data, for the tests
 * that read its resources.
 */
#ifndef SETUPEXEFILE_H
#define SETUPEXEFILE_H

#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "SetupDriver.h"

#define LANG_RES MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL)    /* 1028 */

inline HMODULE LoadSetupExeData()
{
    return LoadLibraryExA((TestProgramFolder() + "SETUP.EXE").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
}

/* The bytes of a bitmap resource in language 1028; "" when there is none. */
inline std::string ResourceBytes(HMODULE h, LPCSTR lpszName)
{
    HRSRC hrsrc = FindResourceExA(h, (LPCSTR)RT_BITMAP, lpszName, LANG_RES);
    if (!hrsrc)
        return std::string();
    const char *p = (const char *)LockResource(LoadResource(h, hrsrc));
    return std::string(p, SizeofResource(h, hrsrc));
}

class SetupExeFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        hExe = LoadSetupExeData();
        ASSERT_TRUE(hExe != NULL);
    }
    void TearDown() override
    {
        FreeLibrary(hExe);
    }
    HMODULE hExe = NULL;
};

#endif
