// Laying the chat dialog out for its panels, and the two small buttons at
// its top right. The coordinates come from layout_math.
#include "client/irc_client.h"

#include "client/control_ids.h"
#include "client/layout_math.h"

#include <initializer_list>

namespace {

// Every placement also brings the control to the top of the z-order.
void Place(HWND control, const Rect& rect)
{
    SetWindowPos(control, HWND_TOP, rect.x, rect.y, rect.width, rect.height, 0);
}

void ShowControls(const CIrcClient& client, std::initializer_list<int> ids, int command)
{
    for (int id : ids)
        ShowWindow(client.GetControl(id), command);
}

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

} // namespace

void CIrcClient::FitToWindow(HWND window)
{
    RECT area;
    GetClientRect(window, &area);
    SetWindowPos(m_hDialog, HWND_TOP, 0, 0, Width(area), Height(area), 0);
    LayoutControls(area.left, area.top, area.right, area.bottom, m_loginState);
}

void CIrcClient::LayoutControls(int left, int top, int right, int bottom, int loginState)
{
    const DialogLayout layout = ComputeLayout(right - left, bottom - top, loginState, m_controlsShown != 0);

    if (layout.commandButtons != ButtonVisibility::Untouched)
        ShowControls(*this, { IDC_LOGIN, IDC_LOGOUT, IDC_CHANGE_NICK },
                     layout.commandButtons == ButtonVisibility::Shown ? SW_SHOW : SW_HIDE);
    if (layout.placeTabs)
        Place(m_hTabCtrl, layout.tabs);
    if (layout.placeUserList)
        Place(GetControl(IDC_USER_LIST), layout.userList);
    if (layout.placeInput)
        Place(GetControl(IDC_INPUT), layout.input);

    Place(GetControl(IDC_CONTROLS), layout.controlsButton);
    Place(GetControl(IDC_SOUND), layout.soundButton);

    if (m_tabCount > 0) {
        RECT tabs;
        GetWindowRect(m_hTabCtrl, &tabs);
        const Rect pageRect = PageRect(Width(tabs), Height(tabs));
        for (int i = 0; i < m_tabCount; ++i) {
            HWND page = m_tabs[i].hPage;
            if (!page)
                continue;
            Place(page, pageRect);
            RECT pageWindow;
            GetWindowRect(page, &pageWindow);
            Place(GetDlgItem(page, IDC_OUTPUT), { 0, 0, Width(pageWindow), Height(pageWindow) });
        }
    }

    Place(GetControl(IDC_SERVER_LIST), layout.serverList);
    Place(GetControl(IDC_PORT), layout.port);
    Place(GetControl(IDC_NICK), layout.nick);
    Place(GetControl(IDC_PASSWORD), layout.password);
    Place(GetControl(IDC_EMAIL), layout.email);
    Place(GetControl(IDC_LOGIN), layout.login);
    Place(GetControl(IDC_LOGOUT), layout.logout);
    Place(GetControl(IDC_CHANGE_NICK), layout.changeNick);
}

void CIrcClient::ApplyPanel(const RECT& dialogRect, int panel)
{
    switch (panel) {
    case kPanelChat:
        ShowControls(*this, { IDC_CONTROLS, IDC_SOUND }, SW_SHOW);
        ShowControls(*this, { IDC_EMAIL, IDC_PASSWORD, IDC_PORT, IDC_NICK, IDC_SERVER_LIST }, SW_HIDE);
        ShowControls(*this, { IDC_INPUT, IDC_USER_LIST }, SW_SHOW);
        break;
    case kPanelLogin:
        ShowControls(*this, { IDC_CONTROLS, IDC_SOUND }, SW_HIDE);
        ShowControls(*this, { IDC_EMAIL, IDC_PASSWORD, IDC_PORT, IDC_NICK, IDC_SERVER_LIST }, SW_SHOW);
        ShowControls(*this, { IDC_INPUT, IDC_USER_LIST }, SW_HIDE);
        break;
    case kPanelNick:
        ShowControls(*this, { IDC_EMAIL, IDC_PASSWORD, IDC_NICK }, SW_SHOW);
        ShowControls(*this, { IDC_PORT, IDC_SERVER_LIST, IDC_INPUT }, SW_HIDE);
        break;
    default:
        return;
    }

    const PanelPlacement placement = ComputePanelPlacement(Width(dialogRect), Height(dialogRect), (Panel)panel);
    Place(m_hTabCtrl, placement.tabs);
    if (placement.placeUserList)
        Place(GetControl(IDC_USER_LIST), placement.userList);
    if (panel == kPanelLogin)
        SetWindowTextA(GetControl(IDC_CHANGE_NICK), "Сменить ник");
}

void CIrcClient::ShowChatPanel()
{
    RECT dialogRect;
    GetWindowRect(m_hDialog, &dialogRect);
    ApplyPanel(dialogRect, kPanelChat);
    ShowWindow(m_hTabCtrl, SW_SHOW);
}

void CIrcClient::ShowLoginPanel()
{
    RECT dialogRect;
    GetWindowRect(m_hDialog, &dialogRect);
    ApplyPanel(dialogRect, kPanelLogin);
    // The chat layout may have hidden the command buttons; the login panel
    // needs "Зайти", so it always shows them. m_controlsShown keeps the
    // user's choice for the next chat layout.
    ShowControls(*this, { IDC_LOGIN, IDC_LOGOUT, IDC_CHANGE_NICK }, SW_SHOW);
    if (m_showTabsPending) {
        ShowWindow(m_hTabCtrl, SW_SHOW);
        m_showTabsPending = 0;
    } else {
        ShowWindow(m_hTabCtrl, SW_HIDE);
    }
}

void CIrcClient::UpdateNickPanel()
{
    RECT dialogRect;
    GetWindowRect(m_hDialog, &dialogRect);
    if (m_loginState == kStateNickChange)
        ApplyPanel(dialogRect, kPanelNick);
    else if (m_loginState == kStateChatting)
        ApplyPanel(dialogRect, kPanelChat);
}

void CIrcClient::ResetToLogin()
{
    m_loginState = kStateIdle;
    ShowLoginPanel();
    FitToWindow(m_hHostWnd);
    SetDisconnectedButtons();
}

void CIrcClient::ToggleSound()
{
    m_soundOn = m_soundOn == 1 ? 0 : 1;
    SetButtonImage(IDC_SOUND, m_soundOn ? "IRCSkin/SOUND_ENABLE.BMP" : "IRCSkin/SOUND_DISABLE.BMP");
}

void CIrcClient::ToggleControls()
{
    m_controlsShown = m_controlsShown == 1 ? 0 : 1;
    SetButtonImage(IDC_CONTROLS, m_controlsShown ? "IRCSkin/HIDE_CONTROLS.BMP" : "IRCSkin/SHOW_CONTROLS.BMP");
    ShowControls(*this, { IDC_LOGIN, IDC_LOGOUT, IDC_CHANGE_NICK }, m_controlsShown ? SW_SHOW : SW_HIDE);
    FitToWindow(m_hHostWnd);
}
