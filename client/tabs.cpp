// Conversation tabs: the table of TabEntry slots kept in step with the items
// of the tab control and their page windows.
#include "client/irc_client.h"

#include "client/control_ids.h"
#include "protocol/tokens.h"

#include <string.h>

HWND CIrcClient::FindTab(const char* name) const
{
    if (!name || !name[0])
        return NULL;
    for (int i = 0; i < m_tabCount; ++i) {
        if (strcmp(m_tabs[i].szName, name) == 0)
            return GetDlgItem(m_tabs[i].hPage, IDC_OUTPUT);
    }
    return NULL;
}

void CIrcClient::OpenTab(const char* name)
{
    // A full table refuses the new tab and leaves everything as it was.
    if (m_tabCount >= kMaxTabs)
        return;

    RECT tabRect;
    GetWindowRect(m_hTabCtrl, &tabRect);

    if (name[0] == '+' || name[0] == '@' || name[0] == ' ')
        ++name;
    char tabName[1024];
    CopyText(tabName, sizeof tabName, name);

    TCITEMA item;
    memset(&item, 0, sizeof item);
    item.mask = TCIF_TEXT;
    item.pszText = tabName;
    item.cchTextMax = sizeof tabName;
    item.iImage = -1;
    if (SendMessageA(m_hTabCtrl, TCM_INSERTITEMA, m_tabCount, (LPARAM)&item) == -1)
        return;

    HWND page = CreateDialogParamA(m_hInstance, MAKEINTRESOURCEA(IDD_PAGE), m_hTabCtrl, NULL, 0);
    HWND output = GetDlgItem(page, IDC_OUTPUT);
    MoveWindow(page, 3, 25, tabRect.right - tabRect.left - 12,
               tabRect.bottom - tabRect.top - 32, TRUE);
    RECT pageRect;
    GetWindowRect(page, &pageRect);
    MoveWindow(output, 0, 0, pageRect.right - pageRect.left, pageRect.bottom - pageRect.top, TRUE);

    HideAllPages();

    SendMessageA(output, EM_AUTOURLDETECT, TRUE, 0);
    const LRESULT eventMask = SendMessageA(output, EM_GETEVENTMASK, 0, 0);
    SendMessageA(output, EM_SETEVENTMASK, 0, eventMask | ENM_LINK);
    SendMessageA(output, EM_SETBKGNDCOLOR, 0, RGB(240, 240, 240));

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
        if (strcmp(m_tabs[i].szName, m_szServer) == 0)
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
