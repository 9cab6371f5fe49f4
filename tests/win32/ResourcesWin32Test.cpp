/*
 * ResourcesWin32Test.cpp - the resources of SETUP.EXE as the program reads
 * them under Wine with code page 936: the fifteen strings byte for byte,
 * the four dialog templates field by field, every resource in language
 * 1028, and the shipped file's headers.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "meter.h"
#include "SetupDriver.h"
#include "resource.h"

#define LANG_RES MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL)    /* 1028 */

class SetupExe : public ::testing::Test {
protected:
    void SetUp() override
    {
        hExe = LoadLibraryExA((TestProgramFolder() + "SETUP.EXE").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(hExe != NULL);
    }
    void TearDown() override
    {
        FreeLibrary(hExe);
    }
    HMODULE hExe = NULL;
};

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
    EXPECT_EQ(LoadStringA(hExe, 1016, sz, sizeof(sz)), 0);
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

/* ---- Dialog templates, decoded from their bytes. ---- */

struct Item {
    DWORD dwStyle;
    int x, y, cx, cy;
    WORD wId;
    std::string cls, text;      /* UTF-8; predefined classes by name */
};

struct Template {
    DWORD dwStyle = 0, dwExStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string caption, face;
    WORD wPoints = 0;
    std::vector<Item> items;
};

static std::string Utf8(const WCHAR *p, size_t cch)
{
    char sz[512];
    int cb = WideCharToMultiByte(CP_UTF8, 0, p, (int)cch, sz, sizeof(sz), NULL, NULL);
    return std::string(sz, cb > 0 ? cb : 0);
}

/* A name or ordinal field; ordinals of the predefined classes become names. */
static std::string NameOrOrdinal(const WORD *&p)
{
    if (*p == 0xFFFF) {
        WORD w = p[1];
        p += 2;
        switch (w) {
        case 0x80: return "BUTTON";
        case 0x81: return "EDIT";
        case 0x82: return "STATIC";
        case 0x83: return "LISTBOX";
        case 0x85: return "COMBOBOX";
        }
        return "#" + std::to_string(w);
    }
    const WORD *start = p;
    while (*p)
        p++;
    std::string s = Utf8((const WCHAR *)start, p - start);
    p++;
    return s;
}

static Template Decode(const BYTE *pBytes)
{
    Template t;
    const DLGTEMPLATE *pDlg = (const DLGTEMPLATE *)pBytes;
    t.dwStyle = pDlg->style;
    t.dwExStyle = pDlg->dwExtendedStyle;
    t.x = pDlg->x;
    t.y = pDlg->y;
    t.cx = pDlg->cx;
    t.cy = pDlg->cy;
    const WORD *p = (const WORD *)(pDlg + 1);
    NameOrOrdinal(p);                   /* menu */
    NameOrOrdinal(p);                   /* class */
    t.caption = NameOrOrdinal(p);
    if (t.dwStyle & DS_SETFONT) {
        t.wPoints = *p++;
        t.face = NameOrOrdinal(p);
    }
    for (int i = 0; i < pDlg->cdit; i++) {
        p = (const WORD *)(((ULONG_PTR)p + 3) & ~(ULONG_PTR)3);
        const DLGITEMTEMPLATE *pItem = (const DLGITEMTEMPLATE *)p;
        Item item;
        item.dwStyle = pItem->style;
        item.x = pItem->x;
        item.y = pItem->y;
        item.cx = pItem->cx;
        item.cy = pItem->cy;
        item.wId = pItem->id;
        p = (const WORD *)(pItem + 1);
        item.cls = NameOrOrdinal(p);
        item.text = NameOrOrdinal(p);
        p = (const WORD *)((const BYTE *)(p + 1) + *p);     /* creation data */
        t.items.push_back(item);
    }
    return t;
}

static void ExpectItems(const Template &t, const std::vector<Item> &want, int nDialog)
{
    ASSERT_EQ(t.items.size(), want.size()) << "dialog " << nDialog;
    for (size_t i = 0; i < want.size(); i++) {
        const Item &g = t.items[i], &w = want[i];
        EXPECT_EQ(g.wId, w.wId) << "dialog " << nDialog << " item " << i;
        EXPECT_EQ(g.cls, w.cls) << "dialog " << nDialog << " item " << i;
        EXPECT_EQ(g.dwStyle, w.dwStyle) << std::hex << "dialog " << nDialog << " item " << i;
        EXPECT_EQ(g.text, w.text) << "dialog " << nDialog << " item " << i;
        EXPECT_EQ(g.x, w.x) << "dialog " << nDialog << " item " << i;
        EXPECT_EQ(g.y, w.y) << "dialog " << nDialog << " item " << i;
        EXPECT_EQ(g.cx, w.cx) << "dialog " << nDialog << " item " << i;
        EXPECT_EQ(g.cy, w.cy) << "dialog " << nDialog << " item " << i;
    }
}

TEST_F(SetupExe, AnsiCodePageIs936)
{
    EXPECT_EQ(GetACP(), 936u) << "Wine must run with LANG=zh_CN.UTF-8";
}

TEST_F(SetupExe, SetupExeStringsLoadAsGbk)
{
    std::string exe = TestProgramFolder() + "SETUP.EXE";
    HMODULE h = LoadLibraryExA(exe.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(h, (HMODULE)NULL) << exe;
    char sz[200];
    memset(sz, 0xA5, sizeof(sz));
    int cch = LoadStringA(h, STR_SUCCESS, sz, sizeof(sz));
    EXPECT_EQ(std::string(sz, cch), "\xc8\xed\xbc\xfe\xb0\xb2\xd7\xb0\xb3\xc9\xb9\xa6\x21");
    FreeLibrary(h);
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

class Dialogs : public SetupExe {
protected:
    Template Load(int nId)
    {
        HRSRC hrsrc = FindResourceExA(hExe, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(nId), LANG_RES);
        if (!hrsrc)
            return Template();
        return Decode((const BYTE *)LockResource(LoadResource(hExe, hrsrc)));
    }
};

#define CHILD (WS_CHILD | WS_VISIBLE)

TEST_F(Dialogs, Splash)
{
    Template t = Load(IDD_SPLASH);
    EXPECT_EQ(t.dwStyle, (DWORD)(WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 192);
    EXPECT_EQ(t.cy, 33);
    EXPECT_EQ(t.caption, "");
    EXPECT_EQ(t.wPoints, 10);
    EXPECT_EQ(t.face, "宋体");
    ExpectItems(t, { { CHILD | WS_GROUP | SS_CENTER, 8, 8, 120, 20, 0xFFFF, "STATIC",
                       "初使化安装程序\n请稍等......" } }, 1);
}

TEST_F(Dialogs, Welcome)
{
    Template t = Load(IDD_WELCOME);
    EXPECT_EQ(t.dwStyle, 0x80C800C0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 300);
    EXPECT_EQ(t.cy, 100);
    EXPECT_EQ(t.caption, "Caption");
    EXPECT_EQ(t.wPoints, 10);
    EXPECT_EQ(t.face, "宋体");
    ExpectItems(t, {
        { CHILD | SS_ETCHEDFRAME, 7, 7, 191, 187, IDC_PICTURE, "STATIC", "" },
        { CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON, 220, 80, 32, 16, IDOK, "BUTTON", "安装" },
        { CHILD | WS_TABSTOP | BS_PUSHBUTTON, 260, 80, 32, 16, IDCANCEL, "BUTTON", "退出" },
    }, 2);
}

TEST_F(Dialogs, DestinationFolder)
{
    Template t = Load(IDD_DESTDIR);
    EXPECT_EQ(t.dwStyle, 0x80C800C0u);
    EXPECT_EQ(t.x, 70);
    EXPECT_EQ(t.y, 27);
    EXPECT_EQ(t.cx, 332);
    EXPECT_EQ(t.cy, 201);
    EXPECT_EQ(t.caption, "请选择安装路径");
    EXPECT_EQ(t.wPoints, 10);
    EXPECT_EQ(t.face, "宋体");
    const DWORD dwLabel = CHILD | WS_GROUP | SS_LEFT;
    ExpectItems(t, {
        { dwLabel | WS_TABSTOP, 18, 8, 92, 8, 0xFFFF, "STATIC", "输入目录名:" },
        { CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 114, 9, 104, 12, IDC_PATH, "EDIT", "" },
        { dwLabel | WS_TABSTOP, 18, 26, 92, 8, 0xFFFF, "STATIC", "所需磁盘空间:" },
        { dwLabel | WS_TABSTOP, 116, 28, 92, 8, IDC_SPACENEEDED, "STATIC", "A" },
        { dwLabel, 18, 42, 52, 10, 0xFFFF, "STATIC", "目录:" },
        { CHILD | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT, 65, 57, 176, 82, IDC_DIRLIST,
          "LISTBOX", "" },
        { dwLabel, 20, 157, 28, 8, 0xFFFF, "STATIC", "驱动器:" },
        { CHILD | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT, 65, 154, 33, 45, IDC_DRIVES, "COMBOBOX", "" },
        { dwLabel, 141, 155, 62, 8, 0xFFFF, "STATIC", "磁盘空间:" },
        { dwLabel, 214, 156, 28, 8, IDC_FREESPACE, "STATIC", "B" },
        { CHILD | WS_TABSTOP | BS_PUSHBUTTON, 66, 177, 40, 14, IDOK, "BUTTON", "确定" },
        { CHILD | WS_TABSTOP | BS_PUSHBUTTON, 199, 177, 40, 14, IDCANCEL, "BUTTON", "取消" },
    }, 3);
}

TEST_F(Dialogs, Progress)
{
    Template t = Load(IDD_PROGRESS);
    EXPECT_EQ(t.dwStyle, 0x80C800C0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 188);
    EXPECT_EQ(t.cy, 68);
    EXPECT_EQ(t.caption, "Caption");
    EXPECT_EQ(t.wPoints, 10);
    EXPECT_EQ(t.face, "宋体");
    ExpectItems(t, {
        { CHILD | SS_ETCHEDFRAME, 7, 7, 191, 187, IDC_STATUSPIC, "STATIC", "" },
        { CHILD | WS_GROUP | SS_LEFT, 4, 4, 144, 12, IDC_ACTION, "STATIC", "" },
        { CHILD | WS_GROUP | SS_LEFT, 4, 6, 144, 12, IDC_ITEM, "STATIC", "" },
        { CHILD | WS_BORDER, 16, 28, 156, 12, IDC_METER, "RQ_METER", "" },
        { CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON, 76, 48, 40, 40, IDCANCEL, "BUTTON", "取消" },
    }, 4);
}

static INT_PTR CALLBACK QuietDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

TEST_F(Dialogs, EveryTemplateMakesItsDialog)
{
    HINSTANCE hSelf = GetModuleHandleA(NULL);
    ASSERT_EQ(RegisterMeterClass(hSelf), 1);
    const int aCount[] = { 1, 3, 12, 5 };
    for (int id = IDD_SPLASH; id <= IDD_PROGRESS; id++) {
        HRSRC hrsrc = FindResourceExA(hExe, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(id), LANG_RES);
        ASSERT_TRUE(hrsrc != NULL) << id;
        const DLGTEMPLATE *pTemplate = (const DLGTEMPLATE *)LockResource(LoadResource(hExe, hrsrc));
        HWND hDlg = CreateDialogIndirectParamA(hSelf, pTemplate, NULL, QuietDlgProc, 0);
        ASSERT_TRUE(hDlg != NULL) << id;
        int n = 0;
        for (HWND h = GetWindow(hDlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
            n++;
        EXPECT_EQ(n, aCount[id - 1]) << id;
        if (id == IDD_PROGRESS) {
            char szClass[32];
            GetClassNameA(GetDlgItem(hDlg, IDC_METER), szClass, sizeof(szClass));
            EXPECT_STREQ(szClass, METER_CLASS);
            EXPECT_EQ(SendDlgItemMessageA(hDlg, IDC_METER, MM_GETRANGE, 0, 0), 0);
        }
        if (id == IDD_DESTDIR) {
            char sz[64];
            GetWindowTextA(hDlg, sz, sizeof(sz));
            /* "请选择安装路径" in code page 936. */
            EXPECT_STREQ(sz, "\xc7\xeb\xd1\xa1\xd4\xf1\xb0\xb2\xd7\xb0\xc2\xb7\xbe\xb6");
        }
        DestroyWindow(hDlg);
    }
    UnregisterMeterClass(hSelf);
}
