/*
 * ResourcesWin32Test.cpp - the resources of SETUP.EXE as the program reads
 * them under Wine with code page 936: the fifteen strings byte for byte,
 * every resource in language 1028, and the shipped file's headers.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "SetupExeFile.h"
#include "SetupDriver.h"
#include "resource.h"

class SetupExe : public SetupExeFile {};

/* The texts in code page 936, written out with iconv -t GBK from the
 * UTF-8 texts. */
static const struct { UINT uId; const char *lpszGbk; } aStrings[] = {
    { STR_INITFAIL, "\xb3\xf5\xca\xb9\xbb\xaf\xb0\xb2\xd7\xb0\xb3\xcc\xd0\xf2\xca\xa7\xb0\xdc\x2e" },
    { STR_NOMEMORY, "\xc4\xda\xb4\xe6\xbf\xd5\xbc\xe4\xb2\xbb\xd7\xe3\x2e" },
    { STR_FILENOTFOUND, "\xd5\xd2\xb2\xbb\xb5\xbd\xce\xc4\xbc\xfe\x20\x25\x73\xa3\xac\xc7\xeb\xc8\xb7\xc8\xcf\xb0\xb2"
                        "\xd7\xb0\xc5\xcc\xca\xb1\xca\xc7\xb7\xf1\xd5\xfd\xc8\xb7" },
    { STR_DISKSPACE, "\xc7\xfd\xb6\xaf\xc6\xf7\x20\x25\x63\x3a\xd3\xd0\xb4\xc5\xc5\xcc\xbf\xd5\xbc\xe4\x20\x25\x6c"
                     "\x64\x4b\x2e\xb0\xb2\xd7\xb0\xb3\xcc\xd0\xf2\xd0\xe8\xd2\xaa\xc1\xbf\x25\x6c\x64\x4b\x20\xb4"
                     "\xc5\xc5\xcc\xbf\xd5\xbc\xe4\x2c\xc7\xeb\xd1\xa1\xd4\xf1\xc1\xed\xcd\xe2\xb5\xc4\xc7\xfd\xb6"
                     "\xaf\xc6\xf7\x2e" },
    { STR_INSTALLFAIL, "\xb0\xb2\xd7\xb0\xb2\xbb\xb3\xc9\xb9\xa6\x21\xc7\xeb\xd6\xd8\xd0\xc2\xd4\xcb\xd0\xd0\xb0\xb2"
                       "\xd7\xb0\xb3\xcc\xd0\xf2\x2e" },
    { STR_MKDIRFAIL, "\xb4\xb4\xbd\xa8\x20\x25\x73\x20\xc4\xbf\xc2\xbc\xca\xa7\xb0\xdc\x2e\xc7\xeb\xd1\xa1\xd4\xf1"
                     "\xc6\xe4\xcb\xfc\xb5\xc4\xc4\xbf\xc2\xbc\x2e" },
    { STR_CONFIRMABORT, "\xb0\xb2\xd7\xb0\xb3\xcc\xd0\xf2\xbb\xb9\xc3\xbb\xd3\xd0\xcd\xea\xb3\xc9\x2c\xc4\xe3\xca\xc7"
                        "\xb7\xf1\xd2\xaa\xcd\xcb\xb3\xf6\x3f" },
    { STR_COPYERROR, "\xbf\xbd\xb1\xb4\x20\x25\x73\x20\xb3\xf6\xb4\xed" },
    { STR_CONFIRMEXIT, "\xc4\xe3\xca\xc7\xb7\xf1\xd2\xaa\xcd\xcb\xb3\xf6\x3f" },
    { STR_BADDIRNAME, "\xc7\xeb\xd1\xa1\xd4\xf1\xd5\xfd\xc8\xb7\xb5\xc4\xc4\xbf\xc2\xbc\xc3\xfb\x2e" },
    { STR_SUCCESS, "\xc8\xed\xbc\xfe\xb0\xb2\xd7\xb0\xb3\xc9\xb9\xa6\x21" },
    { STR_GROUPERROR, "\xb4\xb4\xbd\xa8\xc8\xba\xd7\xe9\xb3\xf6\xb4\xed\x21" },
    { STR_SUCCESSREBOOT, "\xc8\xed\xbc\xfe\xb0\xb2\xd7\xb0\xb3\xc9\xb9\xa6\x21\xd7\xbc\xb1\xb8\xd6\xd8\xd0\xc2\xc6\xf4"
                         "\xb6\xaf\xb5\xe7\xc4\xd4\x21" },
    { STR_CREATEDIR, "\xb4\xb4\xbd\xa8\xc4\xbf\xc2\xbc" },
    { STR_COPYTO, "\xbf\xbd\xb1\xb4\xb5\xbd\x3a" },
};

TEST_F(SetupExe, FifteenStringsLoadAsTheirGbkBytes)
{
    ASSERT_EQ(GetACP(), 936u);
    UINT uExpectId = 1001;
    for (const auto &s : aStrings) {
        EXPECT_EQ(s.uId, uExpectId++);
        char sz[200];
        memset(sz, 0xA5, sizeof(sz));
        int cch = LoadStringA(hExe, s.uId, sz, 199);
        EXPECT_EQ(std::string(sz, cch > 0 ? cch : 0), s.lpszGbk) << s.uId;
        EXPECT_EQ(sz[cch], '\0') << s.uId;
        EXPECT_EQ((unsigned char)sz[cch + 1], 0xA5) << s.uId;
    }
    char sz[8] = "x";
    EXPECT_EQ(LoadStringA(hExe, 1000, sz, sizeof(sz)), 0);
    EXPECT_EQ(LoadStringA(hExe, 1018, sz, sizeof(sz)), 0);
}

TEST_F(SetupExe, EveryResourceIsInLanguage1028)
{
    /* Strings 1001-1007 are in block 63, 1008-1015 in block 64. */
    for (int block : { 63, 64 })
        EXPECT_TRUE(FindResourceExA(hExe, (LPCSTR)RT_STRING, MAKEINTRESOURCEA(block), LANG_RES) != NULL) << block;
    for (int id : { IDD_SPLASH, IDD_WELCOME, IDD_DESTDIR, IDD_PROGRESS })
        EXPECT_TRUE(FindResourceExA(hExe, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(id), LANG_RES) != NULL) << id;
    for (const char *lpszName : { "BACK", "SETUP", "STATUS" })
        EXPECT_TRUE(FindResourceExA(hExe, (LPCSTR)RT_BITMAP, lpszName, LANG_RES) != NULL) << lpszName;
    EXPECT_TRUE(FindResourceExA(hExe, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(IDD_SPLASH),
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)) == NULL);
}

TEST_F(SetupExe, AnsiCodePageIs936)
{
    EXPECT_EQ(GetACP(), 936u) << "Wine must run with LANG=zh_CN.UTF-8";
}

TEST_F(SetupExe, SetupExeStringsLoadAsGbk)
{
    char sz[200];
    memset(sz, 0xA5, sizeof(sz));
    int cch = LoadStringA(hExe, STR_SUCCESS, sz, sizeof(sz));
    EXPECT_EQ(std::string(sz, cch), "\xc8\xed\xbc\xfe\xb0\xb2\xd7\xb0\xb3\xc9\xb9\xa6\x21");
}

/* The file offset of an RVA of a PE image read as a file, or 0. */
static size_t RvaToOffset(const std::string &img, const IMAGE_NT_HEADERS32 *pNt, DWORD rva)
{
    const IMAGE_SECTION_HEADER *pSec = (const IMAGE_SECTION_HEADER *)((const BYTE *)&pNt->OptionalHeader +
                                                                      pNt->FileHeader.SizeOfOptionalHeader);
    for (WORD i = 0; i < pNt->FileHeader.NumberOfSections; i++, pSec++) {
        DWORD cb = std::max(pSec->Misc.VirtualSize, pSec->SizeOfRawData);
        if (rva >= pSec->VirtualAddress && rva - pSec->VirtualAddress < cb) {
            size_t off = rva - pSec->VirtualAddress + pSec->PointerToRawData;
            return off < img.size() ? off : 0;
        }
    }
    return 0;
}

/* The shipped SETUP.EXE is the i686 one, also when these tests run as a
 * 64-bit build, so it is read as a file rather than loaded. */
TEST_F(SetupExe, SetupExeIsA32BitGuiProgramWithoutRuntimeDlls)
{
    std::string exe = "Z:" SETUP_SHIPPED_EXE;
    std::replace(exe.begin(), exe.end(), '/', '\\');
    std::string img = ReadWholeFile(exe);
    ASSERT_GT(img.size(), 0x400u) << exe;
    const IMAGE_DOS_HEADER *pDos = (const IMAGE_DOS_HEADER *)img.data();
    ASSERT_EQ(pDos->e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_LT((size_t)pDos->e_lfanew + sizeof(IMAGE_NT_HEADERS32), img.size());
    const IMAGE_NT_HEADERS32 *pNt = (const IMAGE_NT_HEADERS32 *)(img.data() + pDos->e_lfanew);
    ASSERT_EQ(pNt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(pNt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    ASSERT_EQ(pNt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(pNt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_NE(pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE].VirtualAddress, 0u);
    size_t offImports = RvaToOffset(img, pNt, pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    ASSERT_NE(offImports, 0u);
    std::vector<std::string> dlls;
    for (size_t off = offImports; off + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= img.size(); off += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const IMAGE_IMPORT_DESCRIPTOR *p = (const IMAGE_IMPORT_DESCRIPTOR *)(img.data() + off);
        if (!p->Name)
            break;
        size_t offName = RvaToOffset(img, pNt, p->Name);
        ASSERT_NE(offName, 0u);
        std::string name = img.c_str() + offName;
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        dlls.push_back(name);
    }
    for (const std::string &name : dlls)
        EXPECT_TRUE(name.find("libstdc++") == std::string::npos && name.find("libgcc") == std::string::npos &&
                    name.find("libwinpthread") == std::string::npos) << name;
    EXPECT_NE(std::find(dlls.begin(), dlls.end(), "user32.dll"), dlls.end());
}
