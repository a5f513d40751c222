// The services login around the welcome: SASL's time limit before it, and
// after it NickServ's identify (unless SASL logged the nick in) with the
// channel join, which waits a while for NickServ's answer so that the
// channel sees the nick identified.
#include "client/chat_connection.h"

#include "client/client_window.h"
#include "client/irc_client.h"
#include "net/send_clock.h"
#include "protocol/line_handlers.h"

namespace {

// The clock, not the timers, says when a wait is over, so that a test can
// step through it.
enum { kServicesCheckMs = 250, kSaslLimitMs = 15000, kJoinWaitMs = 10000 };

const char kChannel[] = "#marketbay";

} // namespace

void CChatConnection::OnSaslStarted()
{
    m_saslStartedAt = g_pfnSendTicks();
    SetTimer(m_client.m_hDialog, kSaslTimer, kServicesCheckMs, NULL);
}

void CChatConnection::OnSaslEnded()
{
    KillTimer(m_client.m_hDialog, kSaslTimer);
}

void CChatConnection::OnSaslTimer()
{
    if (g_pfnSendTicks() - m_saslStartedAt < (DWORD)kSaslLimitMs)
        return;
    KillTimer(m_client.m_hDialog, kSaslTimer);
    CClientWindow window(m_client);
    GiveUpSasl(window);
}

// Under a stand-in nick NickServ hears nothing, and nothing is waited for.
void CChatConnection::LoginAfterWelcome()
{
    CCapNegotiation& caps = m_pServer->Capabilities();
    KillTimer(m_client.m_hDialog, kSaslTimer);
    caps.OnWelcome();
    if (caps.SaslSucceeded() || !m_client.HasServicesPassword() || m_szUserNick[0]) {
        m_client.SendJoin(kChannel);
        return;
    }
    SendServicesLogin();
    m_joinAwaited = true;
    m_joinAwaitedSince = g_pfnSendTicks();
    SetTimer(m_client.m_hDialog, kJoinTimer, kServicesCheckMs, NULL);
}

void CChatConnection::ReleaseJoin()
{
    if (!m_joinAwaited)
        return;
    m_joinAwaited = false;
    KillTimer(m_client.m_hDialog, kJoinTimer);
    m_client.SendJoin(kChannel);
}

void CChatConnection::OnJoinTimer()
{
    if (g_pfnSendTicks() - m_joinAwaitedSince >= (DWORD)kJoinWaitMs)
        ReleaseJoin();
}
