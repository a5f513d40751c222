// Registration with the server and NickServ once the connection is made.
// Everything goes out at connect time; what a server refuses before its
// welcome (inspircd welcomes only on a timer tick after USER and NICK) is
// sent again after it (CServerConnection::OnWelcome).
#include "client/irc_client.h"

#include "client/chat_connection.h"
#include "client/control_ids.h"
#include "client/typed_text.h"

void CIrcClient::SendRegistration()
{
    SendLine("USER %s # # :%s\r\nNICK %s\r\n", m_szUserName, m_szRealName, m_szNick);
    SendServicesLogin();
    SendJoin("#marketbay");
}

// The fields hold code page 1251; NickServ gets them in UTF-8, as every
// other client would send them.
void CIrcClient::SendServicesLogin()
{
    char password[3 * 1024];
    char email[3 * 1024];
    ReadWireField(GetControl(IDC_PASSWORD), password, sizeof password);
    ReadWireField(GetControl(IDC_EMAIL), email, sizeof email);

    // Back after a drop, the account exists: registering it again would fail.
    const CChatConnection* chat = CChatConnection::Of(m_hDialog);
    const bool reconnect = chat && chat->IsReconnect();
    if (password[0] && email[0] && !reconnect)
        SendRegister(password, email);
    else if (password[0])
        SendIdentify(password);
}

void CIrcClient::SendRegister(const char* password, const char* email)
{
    SendLine("PRIVMSG NickServ :register %s %s\r\n", password, email);
}

void CIrcClient::SendIdentify(const char* password)
{
    SendLine("PRIVMSG NickServ :identify %s\r\n", password);
}
