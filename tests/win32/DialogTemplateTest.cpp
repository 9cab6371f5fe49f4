/*
 * DialogTemplateTest.cpp - the four dialog templates of SETUP.EXE under
 * Wine, decoded from their bytes and checked field by field, and each
 * made into its dialog.
 */
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "meter.h"
#include "SetupExeFile.h"
#include "resource.h"

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

class Dialogs : public SetupExeFile {
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
