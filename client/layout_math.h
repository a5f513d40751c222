// Where the chat dialog's controls go, in pixels of its client area, for a
// given size and login state. No Windows types: built natively too.
#pragma once

struct Rect {
    int x, y, width, height;
};

inline bool operator==(const Rect& a, const Rect& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

enum LoginState { kStateIdle = 0, kStateNickChange = 1, kStateChatting = 2 };

enum class ButtonVisibility { Untouched, Shown, Hidden };

// The placements of one layout. Halvings truncate toward zero, and a window
// narrower than the fixed offsets gets negative values, passed on as they are.
struct DialogLayout {
    // Placed by state; the flags say which are placed at all.
    bool placeTabs, placeUserList, placeInput;
    Rect tabs, userList, input;
    ButtonVisibility commandButtons;

    // Placed in every state, visible or not.
    Rect controlsButton, soundButton;
    Rect serverList, port;
    Rect nick, password, email;
    Rect login, logout, changeNick;
};

DialogLayout ComputeLayout(int width, int height, int loginState, bool controlsShown);

// A tab's page inside a tab control of the given size.
Rect PageRect(int tabsWidth, int tabsHeight);

// The panels: which group of controls shows.
enum Panel { kPanelChat = 0, kPanelLogin = 1, kPanelNick = 2 };

struct PanelPlacement {
    Rect tabs;
    bool placeUserList;
    Rect userList;
};

PanelPlacement ComputePanelPlacement(int width, int height, Panel panel);

// The painted texts of the login panel: the labels left of their fields and
// the hint lines centred above them.
struct TextPosition {
    int x, y;
};

enum { kLabelNickRowY = 58, kLabelServerRowY = 88 };

TextPosition ServerLabelPosition(int width, int height);
TextPosition PortLabelPosition(int width, int height);
TextPosition NickLabelPosition(int width, int height);
TextPosition PasswordLabelPosition(int width, int height);
TextPosition EmailLabelPosition(int width, int height);
// A hint line `textWidth` pixels wide, centred, `fromBottom` pixels above the bottom.
TextPosition HintPosition(int width, int height, int textWidth, int fromBottom);
