// Every message of a chat dialog, routed to the operation that handles it.
#include "module/widget.h"

#include "client/control_ids.h"
#include "client/irc_client.h"
#include "module/module.h"
#include "module/tab_menu.h"
#include "output/scrollback_control.h"

namespace {

const COLORREF kControlBackground = RGB(240, 240, 240);

bool IsEnterReleased(const MSGFILTER& filter)
{
    return filter.msg == WM_KEYUP && filter.wParam == VK_RETURN;
}

// The input line takes many lines from a paste, but Enter sends them: its
// press and its character (CR, or LF with Ctrl) never reach the control.
bool IsEnterTyped(const MSGFILTER& filter)
{
    return (filter.msg == WM_KEYDOWN && filter.wParam == VK_RETURN) ||
           (filter.msg == WM_CHAR && (filter.wParam == '\r' || filter.wParam == '\n'));
}

// The flag draws the echo of the line in the user's own colour.
void SendOwnLine(CIrcClient& client)
{
    client.m_ownLinePending = 1;
    client.OnEnterInInputLine();
}

void CloseDialog(CIrcClient& client, HWND dialog, WORD id)
{
    client.OnDialogClose();
    EndDialog(dialog, id);
}

} // namespace

// No exception may reach the dialog manager: it is not C++ code.
INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return g_module.RouteDialogMessage(dialog, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

INT_PTR CWidget::OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    CIrcClient& client = *m_client;
    switch (message) {
    case WM_PAINT:           client.PaintBackground(); client.PaintLabels(); return 1;
    case WM_DRAWITEM:        return 1;
    case WM_NOTIFY:          return OnNotify(dialog, message, wParam, lParam);
    case WM_COMMAND:         OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return 1;
    case WM_INITDIALOG:      return 1;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: SetBkColor((HDC)wParam, kControlBackground); return (INT_PTR)g_module.ControlBrush();
    case WM_SOCKET_EVENT:    return client.OnSocketEvent(dialog, wParam, lParam);
    case WM_HOST_RESOLVED:   return client.OnHostResolved(wParam);
    case WM_CERTIFICATE_CHECKED: return client.OnCertificateChecked(wParam);
    case WM_TIMER:           return client.OnDialogTimer(wParam);
    case WM_SCROLLBACK:      return client.OnScrollbackMessage(wParam, lParam);
    default:                 return 0;
    }
}

// Notifications keep their own result 0 (no DWLP_MSGRESULT), so that the
// input line processes its keys, except those of Enter.
INT_PTR CWidget::OnNotify(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    const NMHDR* header = (const NMHDR*)lParam;
    if (!header)
        return 1;
    CIrcClient& client = *m_client;
    switch (header->code) {
    case TCN_SELCHANGING: client.HideAllPages(); return 1;
    case TCN_SELCHANGE:   client.OnTabSelChange(); return 1;
    case NM_RCLICK:       return OnTabRightClick(dialog) ? 1 : DefWindowProcA(dialog, message, wParam, lParam);
    case EN_MSGFILTER: {
        const MSGFILTER& filter = *(const MSGFILTER*)lParam;
        if (IsEnterTyped(filter))
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 1);
        else if (IsEnterReleased(filter) && client.m_connected)
            SendOwnLine(client);
        return 1;
    }
    default:              return 1;
    }
}

// The first row that matches acts. The login buttons answer only in their
// connection state: "Зайти" while disconnected, the other two while connected.
void CWidget::OnCommand(HWND dialog, WORD id, WORD code)
{
    CIrcClient& client = *m_client;
    const bool connected = client.m_connected != 0;
    if (id == IDC_USER_LIST && code == LBN_SELCHANGE)             client.OnUserListSelChange();
    else if (id == IDC_USER_LIST && code == LBN_DBLCLK)           client.OnUserListDblClk();
    else if (id == IDOK || id == IDCANCEL)                        CloseDialog(client, dialog, id);
    else if (id == IDC_LOGIN && !connected)                       client.OnLoginButton();
    else if (id == IDC_LOGOUT && connected)                       client.OnLogoutButton();
    else if (id == IDC_CHANGE_NICK && connected)                  client.OnChangeNickButton();
    else if (id == IDC_SOUND)                                     client.ToggleSound();
    else if (id == IDC_CONTROLS)                                  client.ToggleControls();
    else if (id == IDM_CLOSE_TAB)                                 client.CloseCurrentTab();
    else if (id == IDM_CLOSE_ALL_TABS)                            client.CloseAllPrivateTabs();
    else if (id == IDC_SERVER_LIST && code == CBN_SELCHANGE)      SetFocus(client.GetControl(IDC_NICK));
}

bool CWidget::OnTabRightClick(HWND dialog)
{
    POINT cursor;
    RECT area;
    GetCursorPos(&cursor);
    GetClientRect(dialog, &area);
    ScreenToClient(dialog, &cursor);
    if (!PtInRect(&area, cursor))
        return false;
    ClientToScreen(dialog, &cursor);
    ShowTabMenu(dialog, cursor.x, cursor.y);
    return true;
}

// A chosen item comes back later as WM_COMMAND 40005 or 40006.
void CWidget::ShowTabMenu(HWND dialog, int x, int y)
{
    HMENU menu = LoadTabMenu(m_hInstance, *m_client);
    if (!menu)
        return;
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, x, y, 0, dialog, NULL);
    DestroyMenu(menu);
}
