// A session whose registered link drops makes it again, after a wait that
// grows with every failed attempt; the window keeps its tabs, their text,
// the user list and the input line meanwhile.
#include "client/chat_connection.h"

#include "client/irc_client.h"
#include "client/control_ids.h"
#include "client/drop_reasons.h"
#include "net/send_clock.h"
#include "protocol/colours.h"
#include "protocol/tokens.h"

#include <stdarg.h>

#include <initializer_list>

namespace {

// The clock, not the timer, says when the wait is over, so that a test can
// step through it.
const UINT kReconnectCheckMs = 250;

} // namespace

bool CChatConnection::MayReconnect() const
{
    return m_client.m_connected && !m_sessionEnded && (m_replacesDropped || (m_pServer && m_pServer->IsRegistered()));
}

void CChatConnection::NoteDropReason(const char* reason)
{
    CopyText(m_szDropReason, sizeof m_szDropReason, reason);
}

// A later welcome on the link only sends again what was refused before it.
void CChatConnection::OnWelcome()
{
    const bool first = !m_pServer->IsRegistered();
    m_pServer->OnWelcome();
    if (!first)
        return;
    m_delay.MarkRegistered(g_pfnSendTicks());
    if (m_replacesDropped)
        ShowInTabs("\r\n%s*** Соединение восстановлено", COLOUR_CONNECTION);
    LoginAfterWelcome();
    if (m_replacesDropped && m_szAwayText[0])
        m_client.SendLine("AWAY :%s\r\n", m_szAwayText);
}

void CChatConnection::SetAway(const char* text)
{
    CopyText(m_szAwayText, sizeof m_szAwayText, text);
    if (m_szAwayText[0])
        m_client.SendLine("AWAY :%s\r\n", m_szAwayText);
    else
        m_client.SendLine("AWAY\r\n");
}

INT_PTR CChatConnection::OnTimer(WPARAM id)
{
    switch (id) {
    case kReconnectTimer: OnReconnectTimer(); return 1;
    case kIdentifyTimer:  OnIdentifyTimer();  return 1;
    case kSaslTimer:      OnSaslTimer();      return 1;
    case kJoinTimer:      OnJoinTimer();      return 1;
    default:              return m_pServer ? m_pServer->OnTimer(id) : 0;
    }
}

// The server tab, and the channel's when it is open.
void CChatConnection::ShowInTabs(const char* format, ...) const
{
    HWND server = m_client.FindTab(m_client.m_szServer);
    HWND channel = m_client.FindTab(m_client.m_szChannel);
    for (HWND output : { server, channel == server ? NULL : channel }) {
        if (!output)
            continue;
        va_list args;
        va_start(args, format);
        m_client.PrintLineArgs(output, format, args);
        va_end(args);
    }
}

// Lines still queued are dropped, not sent on the next link: they were
// meant for a moment that is gone, and the user is told how many.
void CChatConnection::DropLink(const char* reason)
{
    const size_t unsent = m_pServer->CountWaitingLines();
    if (unsent > 0)
        m_client.PrintLine(m_client.FindTab(m_szWaitingTab[0] ? m_szWaitingTab : m_client.m_szServer),
                           "\r\n%s*** Не отправлено строк: %u", COLOUR_CONNECTION, (unsigned)unsent);
    m_szWaitingTab[0] = '\0';
    m_droppedRules = m_pServer->Rules();
    delete m_pServer;
    m_pServer = NULL;
    m_client.ForgetLink();
    // No identify goes out while there is no link; the next one registers
    // under the user's own nick.
    StartRegistration();
    // Typing waits for the channel join of the next link.
    EnableWindow(m_client.GetControl(IDC_INPUT), FALSE);
    WaitForNextAttempt(reason);
    m_szDropReason[0] = '\0';
}

void CChatConnection::WaitForNextAttempt(const char* reason)
{
    const DWORD now = g_pfnSendTicks();
    const uint32_t wait = m_delay.TakeNextWait(now);
    m_reconnectAt = now + wait;
    m_replacesDropped = true;
    ShowInTabs("\r\n%s*** Соединение потеряно (%s). Повторное подключение через %u с (попытка %d)",
               COLOUR_CONNECTION, reason, (unsigned)((wait + 999) / 1000), m_delay.Attempt());
    SetTimer(m_client.m_hDialog, kReconnectTimer, kReconnectCheckMs, NULL);
}

// The same registration goes out again once the new link is made
// (OnConnected), the channel join with it.
void CChatConnection::OnReconnectTimer()
{
    if ((int32_t)(g_pfnSendTicks() - m_reconnectAt) < 0)
        return;
    KillTimer(m_client.m_hDialog, kReconnectTimer);
    ConnectionFailure failure = ConnectionFailure::Socket;
    if (StartLink(&failure))
        m_pServer->HoldToRules(m_droppedRules);
    else
        WaitForNextAttempt(DescribeFailure(failure));
}
