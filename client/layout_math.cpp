#include "client/layout_math.h"

namespace {

// Left edges of the three rows of the login panel.
int ServerRowX(int width) { return (width - 244) / 2; }
int NickRowX(int width) { return (width - 411) / 2; }
int ButtonRowX(int width) { return (width - 290) / 2; }

} // namespace

DialogLayout ComputeLayout(int width, int height, int loginState, bool controlsShown)
{
    const int w = width, h = height;
    DialogLayout layout = {};
    layout.commandButtons = ButtonVisibility::Untouched;

    switch (loginState) {
    case kStateIdle:
        layout.placeTabs = true;
        layout.tabs = { 6, 6, w - 6, h - 155 };
        break;
    case kStateNickChange:
        layout.placeTabs = layout.placeUserList = true;
        layout.tabs = { 6, 6, w - 116, h - 80 };
        layout.userList = { w - 109, 29, 105, h - 103 };
        break;
    case kStateChatting: {
        // The input line moves up to make room for the command buttons.
        const int buttonsRow = controlsShown ? 40 : 0;
        layout.placeTabs = layout.placeUserList = layout.placeInput = true;
        layout.commandButtons = controlsShown ? ButtonVisibility::Shown : ButtonVisibility::Hidden;
        layout.tabs = { 6, 6, w - 116, h - 40 - buttonsRow };
        layout.userList = { w - 109, 29, 105, h - 63 - buttonsRow };
        layout.input = { 6, h - 30 - (controlsShown ? 30 : 0), w - 10, 20 };
        break;
    }
    default:
        break;
    }

    layout.controlsButton = { w - 52, 4, 22, 22 };
    layout.soundButton = { w - 26, 4, 22, 22 };
    const int serverX = ServerRowX(w) + 54;
    layout.serverList = { serverX, h - 90, 105, 14 };
    layout.port = { serverX + 160, h - 90, 38, 20 };
    const int nickX = NickRowX(w) + 33;
    layout.nick = { nickX, h - 60, 80, 20 };
    layout.password = { nickX + 149, h - 60, 80, 20 };
    layout.email = { nickX + 298, h - 60, 80, 20 };
    const int buttonX = ButtonRowX(w);
    layout.login = { buttonX, h - 30, 90, 25 };
    layout.logout = { buttonX + 100, h - 30, 90, 25 };
    layout.changeNick = { buttonX + 200, h - 30, 90, 25 };
    return layout;
}

Rect PageRect(int tabsWidth, int tabsHeight)
{
    return { 3, 25, tabsWidth - 12, tabsHeight - 32 };
}

PanelPlacement ComputePanelPlacement(int width, int height, Panel panel)
{
    PanelPlacement placement = {};
    if (panel == kPanelLogin) {
        placement.tabs = { 6, 6, width - 6, height - 155 };
        return placement;
    }
    placement.tabs = { 6, 6, width - 116, height - 80 };
    placement.placeUserList = true;
    placement.userList = { width - 109, 29, 105, height - 103 };
    return placement;
}

TextPosition ServerLabelPosition(int width, int height) { return { ServerRowX(width) + 5, height - kLabelServerRowY }; }
TextPosition PortLabelPosition(int width, int height) { return { ServerRowX(width) + 174, height - kLabelServerRowY }; }
TextPosition NickLabelPosition(int width, int height) { return { NickRowX(width) + 5, height - kLabelNickRowY }; }
TextPosition PasswordLabelPosition(int width, int height) { return { NickRowX(width) + 133, height - kLabelNickRowY }; }
TextPosition EmailLabelPosition(int width, int height) { return { NickRowX(width) + 282, height - kLabelNickRowY }; }

TextPosition HintPosition(int width, int height, int textWidth, int fromBottom)
{
    return { (width - textWidth) / 2, height - fromBottom };
}
