// The chat dialog laid out in a host area of 640 by 480 pixels, read back
// from the real controls.
#include "client/control_ids.h"
#include "support/chat_fixture.h"

#include <string>

namespace {

// x, y, width, height of a control in the dialog's client coordinates.
std::string PlaceOf(HWND dialog, HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(NULL, dialog, (POINT*)&rect, 2);
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
           std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top);
}

bool Visible(HWND control) { return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

class LayoutTest : public ConnectedChatTest {
protected:
    void SetUp() override
    {
        ConnectedChatTest::SetUp();
        area = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 640, 480,
                               GetParent(window.Dialog()), NULL, NULL, NULL);
        Client().m_hHostWnd = area;
        Client().OpenTab("#marketbay");
    }
    void TearDown() override { DestroyWindow(area); }

    HWND Control(int id) { return GetDlgItem(window.Dialog(), id); }
    std::string Place(int id) { return PlaceOf(window.Dialog(), Control(id)); }

    HWND area = NULL;
};

TEST_F(LayoutTest, LoginPanel)
{
    Client().ResetToLogin();
    EXPECT_EQ(0, Client().m_loginState);
    EXPECT_EQ("6,6 634x325", PlaceOf(window.Dialog(), Client().m_hTabCtrl));
    EXPECT_EQ(0, Place(IDC_SERVER_LIST).find("252,390 105x"));
    EXPECT_EQ("412,390 38x20", Place(IDC_PORT));
    EXPECT_EQ("147,420 80x20", Place(IDC_NICK));
    EXPECT_EQ("296,420 80x20", Place(IDC_PASSWORD));
    EXPECT_EQ("445,420 80x20", Place(IDC_EMAIL));
    EXPECT_EQ("175,450 90x25", Place(IDC_LOGIN));
    EXPECT_EQ("275,450 90x25", Place(IDC_LOGOUT));
    EXPECT_EQ("375,450 90x25", Place(IDC_CHANGE_NICK));
    for (int id : { IDC_NICK, IDC_PASSWORD, IDC_EMAIL, IDC_SERVER_LIST, IDC_PORT, IDC_LOGIN })
        EXPECT_TRUE(Visible(Control(id))) << id;
    for (int id : { IDC_INPUT, IDC_USER_LIST, IDC_SOUND, IDC_CONTROLS, IDC_TABS })
        EXPECT_FALSE(Visible(Control(id))) << id;
}

TEST_F(LayoutTest, ChatPanelWithAndWithoutCommandButtons)
{
    Client().m_loginState = 2;
    Client().ShowChatPanel();
    Client().FitToWindow(area);
    EXPECT_EQ("6,6 524x440", PlaceOf(window.Dialog(), Client().m_hTabCtrl));
    EXPECT_EQ("531,29 105x417", Place(IDC_USER_LIST));
    EXPECT_EQ("6,450 630x20", Place(IDC_INPUT));
    EXPECT_EQ("588,4 22x22", Place(IDC_CONTROLS));
    EXPECT_EQ("614,4 22x22", Place(IDC_SOUND));
    EXPECT_FALSE(Visible(Control(IDC_LOGOUT)));
    EXPECT_TRUE(Visible(Control(IDC_INPUT)));
    EXPECT_TRUE(Visible(Client().m_hTabCtrl));
    // The page of each tab and its output control follow the tab control.
    HWND page = GetParent(Client().FindTab("#marketbay"));
    EXPECT_EQ("3,25 512x408", PlaceOf(Client().m_hTabCtrl, page));
    EXPECT_EQ("0,0 512x408", PlaceOf(page, Client().FindTab("#marketbay")));

    Client().ToggleControls();
    EXPECT_EQ(1, Client().m_controlsShown);
    EXPECT_TRUE(Visible(Control(IDC_LOGOUT)));
    EXPECT_EQ("6,6 524x400", PlaceOf(window.Dialog(), Client().m_hTabCtrl));
    EXPECT_EQ("6,420 630x20", Place(IDC_INPUT));

    Client().ToggleControls();
    EXPECT_EQ(0, Client().m_controlsShown);
    EXPECT_FALSE(Visible(Control(IDC_LOGOUT)));
    EXPECT_EQ("6,450 630x20", Place(IDC_INPUT));
}

TEST_F(LayoutTest, NickChangePanel)
{
    Client().m_loginState = 1;
    Client().UpdateNickPanel();
    Client().FitToWindow(area);
    EXPECT_EQ("6,6 524x400", PlaceOf(window.Dialog(), Client().m_hTabCtrl));
    EXPECT_EQ("531,29 105x377", Place(IDC_USER_LIST));
    for (int id : { IDC_NICK, IDC_PASSWORD, IDC_EMAIL })
        EXPECT_TRUE(Visible(Control(id))) << id;
    for (int id : { IDC_PORT, IDC_SERVER_LIST, IDC_INPUT })
        EXPECT_FALSE(Visible(Control(id))) << id;
}

TEST_F(LayoutTest, BackOnTheLoginPanelTheCommandButtonsShow)
{
    Client().m_loginState = 2;
    Client().ShowChatPanel();
    Client().FitToWindow(area);
    ASSERT_FALSE(Visible(Control(IDC_LOGIN)));

    peer.CloseClient();
    ASSERT_TRUE(PumpUntil([&] { return Client().m_socket == 0; }));
    for (int id : { IDC_LOGIN, IDC_LOGOUT, IDC_CHANGE_NICK })
        EXPECT_TRUE(Visible(Control(id))) << id;
    EXPECT_EQ(0, Client().m_controlsShown);
}

TEST_F(LayoutTest, ErrorThenCloseKeepsTheServerTabInSight)
{
    Client().m_loginState = 2;
    Client().ShowChatPanel();
    ServerSends("ERROR :Closing link: (tester@127.0.0.1) [Killed]\r\n");
    EXPECT_EQ(1, Client().m_showTabsPending);

    peer.CloseClient();
    ASSERT_TRUE(PumpUntil([&] { return Client().m_socket == 0; }));
    EXPECT_TRUE(Visible(Client().m_hTabCtrl));
    EXPECT_EQ(0, Client().m_showTabsPending);
    EXPECT_NE(std::string::npos, window.OutputText("127.0.0.1").find("[Killed]"));

    Client().ResetToLogin();
    EXPECT_FALSE(Visible(Client().m_hTabCtrl));
}

TEST_F(LayoutTest, SmallButtonsShowTheirState)
{
    Client().ToggleSound();
    EXPECT_EQ(0, Client().m_soundOn);
    EXPECT_TRUE(ButtonShowsImage(Control(IDC_SOUND), "IRCSkin/SOUND_DISABLE.BMP"));
    Client().ToggleSound();
    EXPECT_EQ(1, Client().m_soundOn);
    EXPECT_TRUE(ButtonShowsImage(Control(IDC_SOUND), "IRCSkin/SOUND_ENABLE.BMP"));

    Client().ToggleControls();
    EXPECT_TRUE(ButtonShowsImage(Control(IDC_CONTROLS), "IRCSkin/HIDE_CONTROLS.BMP"));
    Client().ToggleControls();
    EXPECT_TRUE(ButtonShowsImage(Control(IDC_CONTROLS), "IRCSkin/SHOW_CONTROLS.BMP"));
}

} // namespace
