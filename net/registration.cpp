// What the server said of our registration on this connection. The
// services login and the channel join wait for the welcome, but some
// servers (inspircd) welcome a client only on a timer tick after its USER
// and NICK and refuse anything that came before with 451: the window is
// asked to send those again after the welcome.
#include "net/server_connection.h"

#include "protocol/tokens.h"
#include "protocol/words.h"

void CServerConnection::OnNotRegistered(const char* rest)
{
    char command[16];
    WordReader(rest).Next(command, sizeof command);
    if (EqualsIgnoringAsciiCase(command, "PRIVMSG"))
        m_refusedServicesLogin = true;
    else if (EqualsIgnoringAsciiCase(command, "JOIN"))
        m_refusedJoin = true;
}

void CServerConnection::OnWelcome()
{
    m_welcomed = true;
    const bool servicesLogin = m_refusedServicesLogin;
    const bool join = m_refusedJoin;
    m_refusedServicesLogin = m_refusedJoin = false;
    if (servicesLogin || join)
        m_events.OnSendAgainAfterWelcome(servicesLogin, join);
}

void CServerConnection::ForgetRegistration()
{
    m_welcomed = false;
    ResetServerRules(m_rules);
    m_refusedServicesLogin = m_refusedJoin = false;
    m_caps = CCapNegotiation();
}
