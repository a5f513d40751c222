// Conversation tabs driven through the real tab control, pages and user list,
// checked by what the user sees: tab texts, icons, selection, enabled states.
#include "client/control_ids.h"
#include "protocol/tokens.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

const char kServer[] = "irc.example.net";
const char kChannel[] = "#marketbay";

class TabsTest : public ::testing::Test {
protected:
    TabsTest() : client(window.Client())
    {
        CopyText(client.m_szServer, sizeof client.m_szServer, kServer);
        CopyText(client.m_szChannel, sizeof client.m_szChannel, kChannel);
        client.InitTabControl();
        for (int id : { IDC_TABS, IDC_USER_LIST, IDC_INPUT })
            ShowWindow(Control(id), SW_SHOW);
    }

    HWND Control(int id) const { return GetDlgItem(window.Dialog(), id); }
    LRESULT Tabs(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return SendMessageA(client.m_hTabCtrl, message, wParam, lParam);
    }
    void Open(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            client.OpenTab(name);
    }
    // The dialog's handling of TCN_SELCHANGING and TCN_SELCHANGE.
    void Select(int index)
    {
        client.HideAllPages();
        Tabs(TCM_SETCURSEL, index);
        client.OnTabSelChange();
    }
    std::string ItemText(int index, int* image = NULL) const
    {
        char text[2048] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        // A failed read leaves the item zeroed, and image 0 reads as unread.
        if (!Tabs(TCM_GETITEMA, index, (LPARAM)&item)) {
            ADD_FAILURE() << "no tab item " << index;
            return "(no item)";
        }
        if (image)
            *image = item.iImage;
        return text;
    }
    int ItemImage(int index) const
    {
        int image = -2;
        ItemText(index, &image);
        return image;
    }
    bool PageShown(int index) const { return IsWindowVisible(client.m_tabs[index].hPage) != FALSE; }
    bool InputEnabled() const { return IsWindowEnabled(Control(IDC_INPUT)) != FALSE; }

    // As a NAMES reply lists them.
    void AddUsers(std::initializer_list<const char*> entries)
    {
        for (const char* entry : entries)
            client.AddUserNames(entry);
    }
    void ClickUser(const char* entry)
    {
        HWND list = Control(IDC_USER_LIST);
        const LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, -1, (LPARAM)entry);
        SendMessageA(list, LB_SETCURSEL, index, 0);
        client.OnUserListSelChange();
    }
    void SetInput(const char* text) { SetWindowTextA(Control(IDC_INPUT), text); }
    std::string Input() const
    {
        char text[4096] = "";
        GetWindowTextA(Control(IDC_INPUT), text, sizeof text);
        return text;
    }

    TestChatWindow window;
    CIrcClient& client;
};

TEST_F(TabsTest, FindTabIsExactAndLeavesSelection)
{
    Open({ kServer, kChannel });
    EXPECT_EQ(client.FindTab(kChannel), GetDlgItem(client.m_tabs[1].hPage, IDC_OUTPUT));
    EXPECT_NE(client.FindTab(kServer), (HWND)NULL);
    EXPECT_EQ(Tabs(TCM_GETCURSEL), 1);
    for (const char* name : { "#MarketBay", "#market", "", (const char*)NULL })
        EXPECT_EQ(client.FindTab(name), (HWND)NULL);
}

TEST_F(TabsTest, NewTabDropsOneLeadingPrefixAndIsSelected)
{
    const char* rows[][2] = { { "@alice", "alice" }, { "+bob", "bob" }, { " carol", "carol" },
                              { "@+dave", "+dave" }, { "eve", "eve" } };
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        EnableWindow(Control(IDC_INPUT), FALSE);
        client.OpenTab(row[0]);
        const int index = client.m_tabCount - 1;
        EXPECT_EQ(ItemText(index), row[1]);
        EXPECT_STREQ(client.m_tabs[index].szName, row[1]);
        EXPECT_EQ(ItemImage(index), -1);
        EXPECT_EQ(Tabs(TCM_GETCURSEL), index);
        EXPECT_TRUE(PageShown(index));
        EXPECT_TRUE(index == 0 || !PageShown(index - 1));
        EXPECT_TRUE(InputEnabled());
    }
    EXPECT_EQ(Tabs(TCM_GETITEMCOUNT), 5);

    client.OpenTab(std::string(1500, 'x').c_str());
    EXPECT_EQ(ItemText(5), std::string(1023, 'x'));
    EXPECT_EQ(strlen(client.m_tabs[5].szName), 1023u);
}

TEST_F(TabsTest, ClosingFourthOfFiveKeepsFifthsMarkAndSelectsChannel)
{
    Open({ kServer, kChannel, "A", "B", "C" });
    Select(1);
    client.MarkTabActivity(client.FindTab("C"));
    Select(3);
    EXPECT_TRUE(client.IsPrivateTabSelected());
    EXPECT_STREQ(client.GetCurrentTabName(), "B");
    HWND closedPage = client.m_tabs[3].hPage;

    client.CloseCurrentTab();
    EXPECT_EQ(client.m_tabCount, 4);
    EXPECT_EQ(Tabs(TCM_GETITEMCOUNT), 4);
    EXPECT_FALSE(IsWindow(closedPage));
    EXPECT_EQ(client.m_tabs[4].hPage, (HWND)NULL);
    EXPECT_STREQ(client.m_tabs[3].szName, "C");
    EXPECT_EQ(client.m_tabs[3].bRead, 0);
    EXPECT_EQ(ItemText(3), "C");
    EXPECT_EQ(ItemImage(3), 0);
    EXPECT_EQ(Tabs(TCM_GETCURSEL), 1);
    EXPECT_EQ(client.GetCurrentPage(), client.m_tabs[1].hPage);
    EXPECT_TRUE(PageShown(1));
    EXPECT_FALSE(PageShown(3));
}

TEST_F(TabsTest, CloseAllLeavesServerAndChannelWithChannelRead)
{
    Open({ kServer, kChannel, "A", "B" });
    client.MarkTabActivity(client.FindTab(kChannel));
    ASSERT_EQ(ItemImage(1), 0);
    HWND privatePages[] = { client.m_tabs[2].hPage, client.m_tabs[3].hPage };

    client.CloseAllPrivateTabs();
    EXPECT_EQ(client.m_tabCount, 2);
    EXPECT_EQ(Tabs(TCM_GETITEMCOUNT), 2);
    EXPECT_EQ(ItemText(0), kServer);
    EXPECT_EQ(ItemText(1), kChannel);
    EXPECT_EQ(Tabs(TCM_GETCURSEL), 1);
    EXPECT_TRUE(PageShown(1));
    EXPECT_EQ(ItemImage(1), -1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(IsWindow(privatePages[i]));
        EXPECT_EQ(client.m_tabs[2 + i].hPage, (HWND)NULL);
    }
}

TEST_F(TabsTest, ResetKeepsOnlyServerTabThenRemovesAll)
{
    // The closed slot above the open ones still carries its name.
    Open({ kServer, kChannel, "A", "B" });
    client.CloseCurrentTab();
    Select(2);
    HWND channelPage = client.m_tabs[1].hPage;

    client.ResetTabs(false);
    EXPECT_EQ(client.m_tabCount, 1);
    EXPECT_EQ(Tabs(TCM_GETITEMCOUNT), 1);
    EXPECT_EQ(ItemText(0), kServer);
    EXPECT_EQ(Tabs(TCM_GETCURSEL), 0);
    EXPECT_TRUE(PageShown(0));
    EXPECT_FALSE(IsWindow(channelPage));

    HWND serverPage = client.m_tabs[0].hPage;
    client.ResetTabs(true);
    EXPECT_EQ(Tabs(TCM_GETITEMCOUNT), 0);
    EXPECT_FALSE(IsWindow(serverPage));
    EXPECT_EQ(client.GetCurrentPage(), (HWND)NULL);
    EXPECT_STREQ(client.GetCurrentTabName(), "");
    EXPECT_FALSE(client.IsPrivateTabSelected());
}

TEST_F(TabsTest, UnreadMarkShowsOnceOnUnselectedTabUntilSelected)
{
    Open({ kServer, kChannel, "A" });
    client.MarkTabActivity(client.FindTab("A"));
    EXPECT_EQ(ItemImage(2), -1);

    client.MarkTabActivity(client.FindTab(kChannel));
    client.MarkTabActivity(client.FindTab(kChannel));
    EXPECT_EQ(ItemImage(1), 0);
    EXPECT_EQ(client.m_tabs[1].bRead, 0);
    EXPECT_TRUE(GetWindowLongA(client.m_hTabCtrl, GWL_STYLE) & TCS_FORCEICONLEFT);

    Select(1);
    EXPECT_EQ(ItemImage(1), -1);
    EXPECT_EQ(ItemText(1), kChannel);
    client.MarkTabActivity(client.FindTab(kChannel));
    EXPECT_EQ(ItemImage(1), -1);

    // Text for no open tab marks no tab.
    client.MarkTabActivity(Control(IDC_NICK));
    client.MarkTabActivity(NULL);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ItemImage(i), -1) << i;
}

TEST_F(TabsTest, InputLineFollowsSelectedTab)
{
    Open({ kServer, kChannel, "bob", "carol" });
    AddUsers({ "@bob", "dave" });
    const bool enabled[] = { false, true, true, false };
    for (int i = 0; i < 4; ++i) {
        Select(i);
        EXPECT_EQ(InputEnabled(), enabled[i]) << i;
    }
    SendMessageA(Control(IDC_USER_LIST), LB_RESETCONTENT, 0, 0);
    AddUsers({ "Bob", "@@bobby" });
    Select(2);
    EXPECT_FALSE(InputEnabled());
}

TEST_F(TabsTest, ClickOnUserAddressesHimAtTheCaretOnce)
{
    AddUsers({ "@alice", "@+dave" });
    SetInput("hello");
    SendMessageA(Control(IDC_INPUT), EM_SETSEL, 0, 0);
    ClickUser("@alice");
    ClickUser("@alice");
    EXPECT_EQ(Input(), "alice: hello");

    SetInput("malice2");
    ClickUser("@alice");
    EXPECT_EQ(Input(), "malice2");

    // "@+dave" shows his highest status only.
    SetInput("");
    ClickUser("@dave");
    EXPECT_EQ(Input(), "dave: ");
}

TEST_F(TabsTest, DoubleClickOpensPrivateTabOnlyOnce)
{
    Open({ kServer, kChannel });
    AddUsers({ "+bob" });
    ClickUser("+bob");
    client.OnUserListDblClk();
    EXPECT_EQ(Input(), "");
    EXPECT_EQ(ItemText(2), "bob");
    EXPECT_EQ(Tabs(TCM_GETCURSEL), 2);

    Select(1);
    ClickUser("+bob");
    ASSERT_EQ(Input(), "bob: ");
    client.OnUserListDblClk();
    EXPECT_EQ(Input(), "");
    EXPECT_EQ(client.m_tabCount, 3);
    EXPECT_EQ(Tabs(TCM_GETCURSEL), 1);
}

TEST_F(TabsTest, OnlyEntriesTheClientListedAreAddressed)
{
    // An entry put into the box behind the client's back has no name for
    // the wire.
    SendMessageA(Control(IDC_USER_LIST), LB_ADDSTRING, 0, (LPARAM) "stranger");
    SetInput("hi");
    ClickUser("stranger");
    EXPECT_EQ(Input(), "hi");
    client.OnUserListDblClk();
    EXPECT_EQ(client.m_tabCount, 0);

    // A name past the nick limit is listed cut, and addressed as listed.
    const std::string name(2000, 'z');
    AddUsers({ name.c_str() });
    SetInput("");
    ClickUser(name.substr(0, 1023).c_str());
    EXPECT_EQ(Input(), name.substr(0, 1023) + ": ");
}

TEST_F(TabsTest, FullTableRefusesAnotherTab)
{
    char name[16];
    for (int i = 0; i < kMaxTabs; ++i) {
        snprintf(name, sizeof name, "t%d", i);
        client.OpenTab(name);
    }
    auto pages = [&] {
        int count = 0;
        for (HWND child = GetWindow(client.m_hTabCtrl, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT))
            count += GetDlgItem(child, IDC_OUTPUT) != NULL;
        return count;
    };
    ASSERT_EQ(pages(), kMaxTabs);

    client.OpenTab("extra");
    EXPECT_EQ(client.m_tabCount, kMaxTabs);
    EXPECT_EQ(client.m_tabHighWater, kMaxTabs);
    EXPECT_EQ(Tabs(TCM_GETITEMCOUNT), kMaxTabs);
    EXPECT_EQ(pages(), kMaxTabs);
    EXPECT_EQ(Tabs(TCM_GETCURSEL), kMaxTabs - 1);
    EXPECT_EQ(ItemText(kMaxTabs - 1), "t99");
    EXPECT_EQ(client.FindTab("extra"), (HWND)NULL);
}

} // namespace

namespace {

TEST(TabFont, OneTahomaForTheWindowReleasedWithIt)
{
    HFONT font = NULL;
    {
        TestChatWindow window;
        window.Client().InitTabControl();
        font = (HFONT)SendMessageA(window.Client().m_hTabCtrl, WM_GETFONT, 0, 0);
        LOGFONTA logFont = {};
        ASSERT_EQ((int)sizeof logFont, GetObjectA(font, sizeof logFont, &logFont));
        EXPECT_EQ(13, logFont.lfHeight);
        EXPECT_EQ(FW_NORMAL, logFont.lfWeight);
        EXPECT_STREQ("Tahoma", logFont.lfFaceName);
    }
    EXPECT_EQ(0u, GetObjectType(font));
}

} // namespace
