// The window's side of registering a session again after a drop: the nick
// the user chose while the link tries stand-ins for it, and an identify that
// waits for NickServ, which comes back after the server.
#include "client/chat_connection.h"

#include "client/irc_client.h"
#include "net/send_clock.h"
#include "protocol/tokens.h"

#include <initializer_list>

namespace {

// NickServ is asked again this often, for this long.
enum { kIdentifyRetryMs = 10000, kIdentifyWaitMs = 60000 };

} // namespace

void CChatConnection::StartRegistration()
{
    if (m_szUserNick[0]) {
        CopyText(m_client.m_szNick, sizeof m_client.m_szNick, m_szUserNick);
        m_client.ShowOwnNick();
    }
    m_szUserNick[0] = '\0';
    m_nickRetries = 0;
    for (UINT_PTR timer : { kIdentifyTimer, kSaslTimer, kJoinTimer })
        KillTimer(m_client.m_hDialog, timer);
    m_awaitingNickServ = m_nickServAwaited = m_joinAwaited = false;
}

const char* CChatConnection::UserNick() const
{
    return m_szUserNick[0] ? m_szUserNick : m_client.m_szNick;
}

void CChatConnection::TryNick(const char* nick)
{
    if (!m_szUserNick[0])
        CopyText(m_szUserNick, sizeof m_szUserNick, m_client.m_szNick);
    ++m_nickRetries;
    CopyText(m_client.m_szNick, sizeof m_client.m_szNick, nick);
    m_client.ShowOwnNick();
    m_client.SendNick(nick);
}

void CChatConnection::SendServicesLogin()
{
    if (!m_szUserNick[0])
        m_client.SendServicesLogin();
}

// Once a link: the retries' own refusals do not start the wait again.
void CChatConnection::AwaitNickServ()
{
    if (m_nickServAwaited)
        return;
    m_nickServAwaited = m_awaitingNickServ = true;
    m_nickServAwaitedSince = g_pfnSendTicks();
    SetTimer(m_client.m_hDialog, kIdentifyTimer, kIdentifyRetryMs, NULL);
}

void CChatConnection::OnNickServNotice(bool asksToIdentify)
{
    if (!asksToIdentify)
        ReleaseJoin();
    if (!m_awaitingNickServ)
        return;
    m_awaitingNickServ = false;
    KillTimer(m_client.m_hDialog, kIdentifyTimer);
    SendServicesLogin();
}

void CChatConnection::OnIdentifyTimer()
{
    if (m_awaitingNickServ && g_pfnSendTicks() - m_nickServAwaitedSince < kIdentifyWaitMs) {
        SendServicesLogin();
        return;
    }
    m_awaitingNickServ = false;
    KillTimer(m_client.m_hDialog, kIdentifyTimer);
}
