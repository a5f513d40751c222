// Conversation tabs: the table of TabEntry slots kept in step with the items
// of the tab control and their page windows.
#include "client/irc_client.h"

#include "client/control_font.h"
#include "client/control_ids.h"
#include "output/link_click.h"
#include "output/page_output.h"
#include "client/typed_text.h"
#include "client/user_list.h"
#include "protocol/wire_text.h"
#include "output/scrollback_control.h"
#include "protocol/server_rules.h"
#include "protocol/tokens.h"

#include <stdio.h>
#include <string.h>

namespace {

enum { kEntrySize = 1024 };

// Names compare as the server compares them: under its case mapping
// "Nick[a]" and "nick{a}" are one user, and one tab.
bool IsSameName(const CIrcClient& client, const char* a, const char* b)
{
    return EqualsFolded(client.Rules().caseMapping, a, b);
}

bool IsInUserList(const CIrcClient& client, HWND list, const char* nick)
{
    const int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        if (IsSameName(client, UserListNick(list, i), nick))
            return true;
    }
    return false;
}

int FindSlot(const CIrcClient& client, const char* name)
{
    for (int i = 0; i < client.m_tabCount; ++i) {
        if (IsSameName(client, client.m_tabs[i].szName, name))
            return i;
    }
    return -1;
}

// The tab control answers -1 with no items; anything outside the open slots
// is treated the same so that no slot beyond the table is ever read.
int SelectedSlot(const CIrcClient& client)
{
    const int index = (int)SendMessageA(client.m_hTabCtrl, TCM_GETCURSEL, 0, 0);
    return index >= 0 && index < client.m_tabCount ? index : -1;
}

void SetTabImage(const CIrcClient& client, int index, int image)
{
    char shown[kEntrySize];
    ShowNameInCp1251(client.m_tabs[index].szName, shown, sizeof shown);
    TCITEMA item;
    memset(&item, 0, sizeof item);
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = shown;
    item.iImage = image;
    SendMessageA(client.m_hTabCtrl, TCM_SETITEMA, index, (LPARAM)&item);
}

// After a close the channel tab is selected, whichever tab was closed.
void SelectChannelTab(CIrcClient& client)
{
    client.HideAllPages();
    SendMessageA(client.m_hTabCtrl, TCM_SETCURSEL, 1, 0);
    ShowWindow(client.m_tabs[1].hPage, SW_SHOW);
    InvalidateRect(client.m_hDialog, NULL, TRUE);
    EnableWindow(client.GetControl(IDC_INPUT), TRUE);
    if (client.m_tabs[1].bRead == 0) {
        client.ClearTabMark(1);
        client.m_tabs[1].bRead = 1;
    }
}

} // namespace

void CIrcClient::InitTabControl()
{
    m_hTabCtrl = GetControl(IDC_TABS);
    SetTahomaFont(m_hTabCtrl, FW_NORMAL);
}

HWND CIrcClient::FindTab(const char* name) const
{
    if (!name || !name[0])
        return NULL;
    const int index = FindSlot(*this, name);
    return index < 0 ? NULL : OutputOf(m_tabs[index].hPage);
}

HWND CIrcClient::GetTabOutput(int index) const
{
    return index >= 0 && index < m_tabCount ? OutputOf(m_tabs[index].hPage) : NULL;
}

void CIrcClient::OpenTab(const char* name)
{
    // A full table refuses the new tab and leaves everything as it was.
    if (m_tabCount >= kMaxTabs)
        return;

    RECT tabRect;
    GetWindowRect(m_hTabCtrl, &tabRect);

    name = ConversationName(Rules(), name);
    // The slot keeps the name as the server wrote it, the address of every
    // line typed here; the tab shows what code page 1251 can of it.
    char tabName[1024];
    CopyText(tabName, sizeof tabName, name);
    char shown[kEntrySize];
    ShowNameInCp1251(tabName, shown, sizeof shown);

    TCITEMA item;
    memset(&item, 0, sizeof item);
    item.mask = TCIF_TEXT;
    item.pszText = shown;
    item.cchTextMax = sizeof shown;
    item.iImage = -1;
    if (SendMessageA(m_hTabCtrl, TCM_INSERTITEMA, m_tabCount, (LPARAM)&item) == -1)
        return;

    HWND page = CreateDialogParamA(m_hInstance, MAKEINTRESOURCEA(IDD_PAGE), m_hTabCtrl,
                                   &ConversationPageProc, 0);
    HWND output = GetDlgItem(page, IDC_OUTPUT);
    RememberOutput(page, output);
    MoveWindow(page, 3, 25, tabRect.right - tabRect.left - 12,
               tabRect.bottom - tabRect.top - 32, TRUE);
    RECT pageRect;
    GetWindowRect(page, &pageRect);
    MoveWindow(output, 0, 0, pageRect.right - pageRect.left, pageRect.bottom - pageRect.top, TRUE);

    HideAllPages();

    ConfigureOutput(output, m_hDialog);

    TabEntry& slot = m_tabs[m_tabCount];
    memcpy(slot.szName, tabName, sizeof slot.szName);
    slot.szName[sizeof slot.szName - 1] = '\0';
    slot.hPage = page;
    slot.bRead = 1;

    ShowWindow(page, SW_SHOW);
    SendMessageA(m_hTabCtrl, TCM_SETCURSEL, m_tabCount, 0);
    EnableWindow(GetControl(IDC_INPUT), TRUE);

    ++m_tabCount;
    if (m_tabCount > m_tabHighWater)
        ++m_tabHighWater;

    SetFocus(GetControl(IDC_INPUT));
    SendMessageA(GetControl(IDC_USER_LIST), LB_SETCURSEL, (WPARAM)-1, 0);
    InvalidateRect(m_hDialog, NULL, TRUE);
}

void CIrcClient::HideAllPages()
{
    for (int i = 0; i < m_tabCount; ++i) {
        if (m_tabs[i].hPage)
            ShowWindow(m_tabs[i].hPage, SW_HIDE);
    }
}

void CIrcClient::OnTabSelChange()
{
    const int index = SelectedSlot(*this);
    if (index < 0 || !m_tabs[index].hPage)
        return;
    TabEntry& slot = m_tabs[index];
    ShowWindow(slot.hPage, SW_SHOW);

    // A private talk can be written to only while its user is in the channel.
    BOOL canWrite;
    if (IsSameName(*this, slot.szName, m_szServer))
        canWrite = FALSE;
    else if (IsSameName(*this, slot.szName, m_szChannel))
        canWrite = TRUE;
    else
        canWrite = IsInUserList(*this, GetControl(IDC_USER_LIST), slot.szName);
    EnableWindow(GetControl(IDC_INPUT), canWrite);

    if (slot.bRead == 0) {
        ClearTabMark(index);
        slot.bRead = 1;
    }
}

void CIrcClient::CloseCurrentTab()
{
    const int index = SelectedSlot(*this);
    if (index < 0)
        return;
    SendMessageA(m_hTabCtrl, TCM_DELETEITEM, index, 0);
    DestroyWindow(m_tabs[index].hPage);

    for (int i = index; i + 1 < m_tabCount; ++i)
        m_tabs[i] = m_tabs[i + 1];
    m_tabs[m_tabCount - 1].hPage = NULL;
    --m_tabCount;

    SelectChannelTab(*this);
}

void CIrcClient::CloseAllPrivateTabs()
{
    for (int i = 0; i < m_tabCount; ++i) {
        TabEntry& slot = m_tabs[i];
        if (IsSameName(*this, slot.szName, m_szServer) || IsSameName(*this, slot.szName, m_szChannel))
            continue;
        if (slot.hPage) {
            DestroyWindow(slot.hPage);
            slot.hPage = NULL;
        }
        // The private items always follow the server and channel items.
        SendMessageA(m_hTabCtrl, TCM_DELETEITEM, 2, 0);
    }
    m_tabCount = 2;
    SelectChannelTab(*this);
}

void CIrcClient::ResetTabs(bool all)
{
    if (all) {
        for (int i = 0; i < m_tabHighWater; ++i) {
            if (m_tabs[i].hPage) {
                DestroyWindow(m_tabs[i].hPage);
                m_tabs[i].hPage = NULL;
            }
        }
        SendMessageA(m_hTabCtrl, TCM_DELETEALLITEMS, 0, 0);
        m_tabCount = 0;
        return;
    }

    for (int i = 0; i < m_tabHighWater; ++i) {
        if (IsSameName(*this, m_tabs[i].szName, m_szServer))
            continue;
        SendMessageA(m_hTabCtrl, TCM_DELETEITEM, 1, 0);
        if (m_tabs[i].hPage) {
            DestroyWindow(m_tabs[i].hPage);
            m_tabs[i].hPage = NULL;
        }
    }
    HideAllPages();
    SendMessageA(m_hTabCtrl, TCM_SETCURSEL, 0, 0);
    ShowWindow(m_tabs[0].hPage, SW_SHOW);
    m_tabCount = 1;
}

bool CIrcClient::IsPrivateTabSelected() const
{
    const int index = SelectedSlot(*this);
    if (index < 0)
        return false;
    const char* name = m_tabs[index].szName;
    return !IsSameName(*this, name, m_szServer) && !IsSameName(*this, name, m_szChannel);
}

const char* CIrcClient::GetCurrentTabName() const
{
    const int index = SelectedSlot(*this);
    return index < 0 ? "" : m_tabs[index].szName;
}

HWND CIrcClient::GetCurrentPage() const
{
    const int index = SelectedSlot(*this);
    return index < 0 ? NULL : m_tabs[index].hPage;
}

void CIrcClient::MarkTabActivity(HWND output)
{
    // Text for no open tab marks nothing.
    int index = -1;
    for (int i = 0; i < m_tabCount; ++i) {
        if (m_tabs[i].hPage && OutputOf(m_tabs[i].hPage) == output) {
            index = i;
            break;
        }
    }
    if (index < 0)
        return;
    TabEntry& slot = m_tabs[index];
    if (GetCurrentPage() == slot.hPage) {
        slot.bRead = 1;
        return;
    }
    if (slot.bRead != 0) {
        SetTabMark(index);
        slot.bRead = 0;
    }
}

void CIrcClient::SetTabMark(int index)
{
    const LONG style = GetWindowLongA(m_hTabCtrl, GWL_STYLE);
    SetWindowLongA(m_hTabCtrl, GWL_STYLE, style | TCS_FORCEICONLEFT);
    SetTabImage(*this, index, 0);
    SendMessageA(m_hTabCtrl, TCM_SETIMAGELIST, 0, (LPARAM)m_hImageList);
}

void CIrcClient::ClearTabMark(int index)
{
    SetTabImage(*this, index, -1);
}

void CIrcClient::OnUserListSelChange()
{
    char nick[kEntrySize];
    if (!GetSelectedUser(nick, sizeof nick))
        return;

    // The input line is read and written as UTF-8: the nick goes in with the
    // bytes the server listed it with, whatever code page 1251 can show.
    HWND input = GetControl(IDC_INPUT);
    if (ReadInputText(input).find(nick) != std::string::npos)
        return;
    char address[kEntrySize + 2];
    snprintf(address, sizeof address, "%s: ", nick);
    InsertInputText(input, address);
    SetFocus(input);
}

void CIrcClient::OnUserListDblClk()
{
    // The first click of the double click has put "nick: " there.
    SetWindowTextA(GetControl(IDC_INPUT), "");
    char user[kEntrySize];
    if (IsUserSelected() && NeedsPrivateTab() && GetSelectedUser(user, sizeof user))
        OpenTab(user);
}

bool CIrcClient::IsUserSelected() const
{
    return SendMessageA(GetControl(IDC_USER_LIST), LB_GETCURSEL, 0, 0) >= 0;
}

// The selected user's nick as the server wrote it, without its status symbols.
bool CIrcClient::GetSelectedUser(char* user, size_t size) const
{
    HWND list = GetControl(IDC_USER_LIST);
    const int selected = (int)SendMessageA(list, LB_GETCURSEL, 0, 0);
    const char* nick = selected < 0 ? "" : UserListNick(list, selected);
    CopyText(user, size, nick);
    return nick[0] != '\0';
}

bool CIrcClient::NeedsPrivateTab() const
{
    char nick[kEntrySize];
    return GetSelectedUser(nick, sizeof nick) && FindSlot(*this, nick) < 0;
}
