// The tab menu and the chat dialog as the module's resources hold them.
#include "client/control_ids.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

namespace {

TEST(ResourcesTest, TabMenuOffersCloseAndCloseAll)
{
    HMENU menu = LoadMenuA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDM_TAB_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(popup), 2);
    char text[64];
    GetMenuStringA(popup, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Закрыть");
    GetMenuStringA(popup, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Закрыть все");
    EXPECT_EQ(GetMenuItemID(popup, 0), (UINT)IDM_CLOSE_TAB);
    EXPECT_EQ(GetMenuItemID(popup, 1), (UINT)IDM_CLOSE_ALL_TABS);
    DestroyMenu(menu);
}

// Before the first layout only the login panel shows.
const struct {
    int id;
    const char* className;
    bool visible;
    LONG style;
    const char* text;
} kChatControls[] = {
    { IDC_TABS, "SysTabControl32", false, 0, "" },
    { IDC_USER_LIST, "ListBox", false, LBS_NOTIFY, "" },
    { IDC_LOGIN, "Button", true, BS_BITMAP, "Зайти" },
    { IDC_LOGOUT, "Button", true, BS_BITMAP, "Выйти" },
    { IDC_CHANGE_NICK, "Button", true, BS_BITMAP, "Сменить ник" },
    { IDC_INPUT, "RichEdit20A", false, 0, "" },
    { IDC_NICK, "Edit", true, 0, "" },
    { IDC_PASSWORD, "Edit", true, ES_PASSWORD, "" },
    { IDC_EMAIL, "Edit", true, 0, "" },
    { IDC_SERVER_LIST, "ComboBox", true, CBS_DROPDOWNLIST, "" },
    { IDC_PORT, "Edit", true, 0, "" },
    { IDC_SOUND, "Button", false, BS_BITMAP | BS_FLAT, "" },
    { IDC_CONTROLS, "Button", false, BS_BITMAP | BS_FLAT, "" },
};

TEST(ResourcesTest, ChatDialogControlsHaveTheirClassStyleAndVisibility)
{
    TestChatWindow window;
    for (const auto& row : kChatControls) {
        SCOPED_TRACE(row.id);
        HWND control = GetDlgItem(window.Dialog(), row.id);
        char text[64] = "";
        GetClassNameA(control, text, sizeof text);
        EXPECT_EQ(_stricmp(text, row.className), 0) << text;
        EXPECT_EQ(IsWindowVisible(control) != FALSE, row.visible);
        EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & row.style, row.style);
        GetWindowTextA(control, text, sizeof text);
        EXPECT_STREQ(text, row.text);
    }
    // The five servers keep their fixed order.
    HWND servers = GetDlgItem(window.Dialog(), IDC_SERVER_LIST);
    EXPECT_FALSE(GetWindowLongA(servers, GWL_STYLE) & CBS_SORT);
}

} // namespace
