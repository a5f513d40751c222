// Pixel layout of the chat dialog.
#include "client/layout_math.h"

#include <gtest/gtest.h>

// Found by the failure messages through Rect's namespace.
std::ostream& operator<<(std::ostream& out, const Rect& r)
{
    return out << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
}

namespace {

TEST(Layout, LoginStateAt640By480)
{
    const DialogLayout layout = ComputeLayout(640, 480, kStateIdle, false);
    EXPECT_TRUE(layout.placeTabs);
    EXPECT_FALSE(layout.placeUserList);
    EXPECT_FALSE(layout.placeInput);
    EXPECT_EQ(ButtonVisibility::Untouched, layout.commandButtons);
    EXPECT_EQ((Rect{ 6, 6, 634, 325 }), layout.tabs);
    EXPECT_EQ((Rect{ 252, 390, 105, 14 }), layout.serverList);
    EXPECT_EQ((Rect{ 412, 390, 38, 20 }), layout.port);
    EXPECT_EQ((Rect{ 147, 420, 80, 20 }), layout.nick);
    EXPECT_EQ((Rect{ 296, 420, 80, 20 }), layout.password);
    EXPECT_EQ((Rect{ 445, 420, 80, 20 }), layout.email);
    EXPECT_EQ((Rect{ 175, 450, 90, 25 }), layout.login);
    EXPECT_EQ((Rect{ 275, 450, 90, 25 }), layout.logout);
    EXPECT_EQ((Rect{ 375, 450, 90, 25 }), layout.changeNick);
    EXPECT_EQ((Rect{ 588, 4, 22, 22 }), layout.controlsButton);
    EXPECT_EQ((Rect{ 614, 4, 22, 22 }), layout.soundButton);
}

TEST(Layout, NickChangeAndChatStates)
{
    const DialogLayout nick = ComputeLayout(640, 480, kStateNickChange, false);
    EXPECT_EQ((Rect{ 6, 6, 524, 400 }), nick.tabs);
    EXPECT_EQ((Rect{ 531, 29, 105, 377 }), nick.userList);
    EXPECT_FALSE(nick.placeInput);
    EXPECT_EQ(ButtonVisibility::Untouched, nick.commandButtons);

    const DialogLayout hidden = ComputeLayout(640, 480, kStateChatting, false);
    EXPECT_EQ(ButtonVisibility::Hidden, hidden.commandButtons);
    EXPECT_EQ((Rect{ 6, 6, 524, 440 }), hidden.tabs);
    EXPECT_EQ((Rect{ 531, 29, 105, 417 }), hidden.userList);
    EXPECT_EQ((Rect{ 6, 450, 630, 20 }), hidden.input);

    const DialogLayout shown = ComputeLayout(640, 480, kStateChatting, true);
    EXPECT_EQ(ButtonVisibility::Shown, shown.commandButtons);
    EXPECT_EQ(hidden.tabs.height - 40, shown.tabs.height);
    EXPECT_EQ((Rect{ 531, 29, 105, 377 }), shown.userList);
    EXPECT_EQ((Rect{ 6, 420, 630, 20 }), shown.input);

    const DialogLayout other = ComputeLayout(640, 480, 7, true);
    EXPECT_FALSE(other.placeTabs || other.placeUserList || other.placeInput);
    EXPECT_EQ(ButtonVisibility::Untouched, other.commandButtons);
}

TEST(Layout, HalvingsTruncateTowardZero)
{
    const DialogLayout narrow = ComputeLayout(201, 100, kStateIdle, false);
    EXPECT_EQ(-21 + 54, narrow.serverList.x);   // (201 - 244) / 2 is -21
    EXPECT_EQ(-105 + 33, narrow.nick.x);        // (201 - 411) / 2 is -105
    EXPECT_EQ(-44, narrow.login.x);             // (201 - 290) / 2 is -44
    EXPECT_EQ(-55, narrow.tabs.height);         // negative sizes pass through
    EXPECT_EQ(-21 + 5, ServerLabelPosition(201, 100).x);
}

TEST(Layout, PagesAndPanels)
{
    EXPECT_EQ((Rect{ 3, 25, 512, 368 }), PageRect(524, 400));

    const PanelPlacement login = ComputePanelPlacement(640, 480, kPanelLogin);
    EXPECT_EQ((Rect{ 6, 6, 634, 325 }), login.tabs);
    EXPECT_FALSE(login.placeUserList);
    for (Panel panel : { kPanelChat, kPanelNick }) {
        const PanelPlacement placement = ComputePanelPlacement(640, 480, panel);
        EXPECT_EQ((Rect{ 6, 6, 524, 400 }), placement.tabs);
        EXPECT_EQ((Rect{ 531, 29, 105, 377 }), placement.userList);
    }
}

TEST(Layout, LabelsStandLeftOfTheirFields)
{
    const DialogLayout layout = ComputeLayout(640, 480, kStateIdle, false);
    EXPECT_EQ(layout.serverList.x - 49, ServerLabelPosition(640, 480).x);
    EXPECT_EQ(layout.serverList.y + 2, ServerLabelPosition(640, 480).y);
    EXPECT_EQ(layout.port.x - 40, PortLabelPosition(640, 480).x);
    EXPECT_EQ(layout.nick.x - 28, NickLabelPosition(640, 480).x);
    EXPECT_EQ(layout.nick.y + 2, NickLabelPosition(640, 480).y);
    EXPECT_EQ(layout.password.x - 49, PasswordLabelPosition(640, 480).x);
    EXPECT_EQ(layout.email.x - 49, EmailLabelPosition(640, 480).x);
    EXPECT_EQ(170, HintPosition(640, 480, 300, 140).x);
    EXPECT_EQ(340, HintPosition(640, 480, 300, 140).y);
}

} // namespace
