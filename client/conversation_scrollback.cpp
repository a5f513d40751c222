// The window keeps its conversations' scrollback within bounds when asked.
#include "client/irc_client.h"

#include "output/scrollback_control.h"

static_assert(kMaxTabs <= kMaxConversations, "every tab's scrollback is kept in bounds");

void CIrcClient::KeepScrollbackBounds()
{
    HWND outputs[kMaxTabs];
    const int count = m_tabCount < kMaxTabs ? m_tabCount : kMaxTabs;
    for (int i = 0; i < count; ++i)
        outputs[i] = GetTabOutput(i);
    ::KeepScrollbackBounds(outputs, count);
}

INT_PTR CIrcClient::OnScrollbackMessage(WPARAM request, LPARAM output)
{
    if (request == kCheckScrollback) {
        CancelScrollbackCheck(m_hDialog);
        KeepScrollbackBounds();
    } else if (request == kShowStoredLines) {
        for (int i = 0; i < m_tabCount; ++i)
            if (GetTabOutput(i) == (HWND)output)
                ::ShowStoredLines((HWND)output);
    }
    return 1;
}
