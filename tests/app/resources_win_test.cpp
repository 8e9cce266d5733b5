#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/about_box_win.h"
#include "app/resource_ids.h"
#include "dialog_robot_win.h"

namespace {

// The menu's entries as "text=id", "-" for a separator.
std::vector<std::wstring> entriesOf(HMENU menu) {
    std::vector<std::wstring> entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 64;
        GetMenuItemInfoW(menu, UINT(i), TRUE, &item);
        entries.push_back(item.fType & MFT_SEPARATOR ? L"-" : text + (L"=" + std::to_wstring(item.wID)));
    }
    return entries;
}

// The sizes listed in the icon group's directory (GRPICONDIR): a 0 byte means 256.
std::vector<int> iconGroupSizes(HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(kIconId), RT_GROUP_ICON);
    if (!found) return {};
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    int count = data[4] | data[5] << 8;
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = data + 6 + 14 * i;
        sizes.push_back(entry[0] ? entry[0] : 256);
        EXPECT_EQ(entry[0], entry[1]) << "square icons";
    }
    return sizes;
}

}  // namespace

TEST(Resources, TheMenuHasTheFileViewAndHelpCommands) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(102));  // the number others load it by
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 3);
    wchar_t title[16] = {};
    GetMenuStringW(menu, 0, title, 16, MF_BYPOSITION);
    EXPECT_STREQ(title, L"&File");
    GetMenuStringW(menu, 1, title, 16, MF_BYPOSITION);
    EXPECT_STREQ(title, L"&View");
    GetMenuStringW(menu, 2, title, 16, MF_BYPOSITION);
    EXPECT_STREQ(title, L"&Help");
    EXPECT_EQ(entriesOf(GetSubMenu(menu, 0)),
              (std::vector<std::wstring>{L"&New\tCtrl+N=40001", L"&Open...\tCtrl+O=40002", L"&Save\tCtrl+S=40003",
                                         L"S&ave As...=40004", L"-", L"E&xit\tAlt+F4=40005"}));
    EXPECT_EQ(entriesOf(GetSubMenu(menu, 1)), std::vector<std::wstring>{L"&Hear as on the Card=40007"});
    EXPECT_EQ(entriesOf(GetSubMenu(menu, 2)), std::vector<std::wstring>{L"&About...=40006"});
    DestroyMenu(menu);
}

TEST(Resources, TheIconComesInEverySizeUpTo256) {
    HMODULE module = GetModuleHandleW(nullptr);
    EXPECT_EQ(iconGroupSizes(module), (std::vector<int>{48, 16, 20, 24, 32, 40, 64, 96, 128, 256}));
    // Each size is decoded at that size, the 256-pixel PNG image included.
    for (int size : {16, 32, 48, 256}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        ASSERT_TRUE(info.hbmColor && GetObjectW(info.hbmColor, sizeof colour, &colour));
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        EXPECT_EQ(colour.bmBitsPixel, 32);  // with its alpha channel
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

namespace {

// Whether the control's text fits its width and height in its font.
bool textFits(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    wchar_t text[128] = {};
    int length = GetWindowTextW(control, text, 128);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text, length, &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    RECT client = {};
    GetClientRect(control, &client);
    return extent.cx <= client.right && extent.cy <= client.bottom;
}

}  // namespace

TEST(AboutBox, ShowsTheTitleAndTheLegalNoticeAndClosesWithOkOrEsc) {
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Esc" : "OK");
        // Read while the box is open; a box that does not close hangs the test.
        DialogRobot robot([&](HWND dialog) {
            EXPECT_EQ(windowText(dialog), u"About Corvane...");
            EXPECT_EQ(controlText(dialog, kAboutVersionText), u"Corvane v1.0.0");
            EXPECT_EQ(controlText(dialog, kAboutLegalNoticeText), u"\u00a9 2026 Quellbrook");
            EXPECT_NE(SendMessageW(GetDlgItem(dialog, -1), STM_GETICON, 0, 0), 0);
            EXPECT_TRUE(textFits(dialog, kAboutVersionText));
            EXPECT_TRUE(textFits(dialog, kAboutLegalNoticeText));
            if (escape)
                PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
            else
                pressButton(dialog, IDOK);
        });
        showAboutBox(dialogOwnerWindow());
        EXPECT_TRUE(robot.acted());
    }
}
