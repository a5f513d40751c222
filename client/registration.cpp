// Registration with the server and NickServ once the connection is made.
// CAP LS 302 goes before USER and NICK, so that the server holds the
// registration until the negotiation ends (protocol/capability_lines.cpp);
// the services login and the channel join wait for the welcome
// (client/services_login.cpp). A server without CAP registers the same.
#include "client/irc_client.h"

#include "client/chat_connection.h"
#include "client/control_ids.h"
#include "client/typed_text.h"
#include "net/server_connection.h"
#include "protocol/tokens.h"

#include <string.h>

void CIrcClient::SendRegistration()
{
    char password[kServicesFieldSize];
    char email[kServicesFieldSize];
    const bool sasl = ReadServicesLogin(password, email) == ServicesLogin::Identify;
    SecureZeroMemory(password, sizeof password);
    if (CServerConnection* server = Server())
        server->Capabilities().Start(sasl);
    // The channel is the window's from the connect on, as when its join
    // went at once; the join itself waits for the welcome.
    CopyText(m_szChannel, sizeof m_szChannel, "#marketbay");
    SendLine("CAP LS 302\r\nUSER %s # # :%s\r\nNICK %s\r\n", m_szUserName, m_szRealName, m_szNick);
}

// The fields hold code page 1251; NickServ gets them in UTF-8, as every
// other client would send them. Back after a drop, the account exists:
// registering it again would fail.
ServicesLogin CIrcClient::ReadServicesLogin(char* password, char* email) const
{
    ReadWireField(GetControl(IDC_PASSWORD), password, kServicesFieldSize);
    ReadWireField(GetControl(IDC_EMAIL), email, kServicesFieldSize);
    const CChatConnection* chat = CChatConnection::Of(m_hDialog);
    const bool reconnect = chat && chat->IsReconnect();
    if (!password[0])
        return ServicesLogin::None;
    return email[0] && !reconnect ? ServicesLogin::Register : ServicesLogin::Identify;
}

void CIrcClient::SendServicesLogin()
{
    char password[kServicesFieldSize];
    char email[kServicesFieldSize];
    switch (ReadServicesLogin(password, email)) {
    case ServicesLogin::None:     break;
    case ServicesLogin::Register: SendRegister(password, email); break;
    case ServicesLogin::Identify: SendIdentify(password); break;
    }
    SecureZeroMemory(password, sizeof password);
}

// SASL PLAIN's message: no authorization identity of its own (the nick
// again), the nick as the account, the password.
size_t CIrcClient::ReadSaslCredentials(char* credentials, size_t size) const
{
    char password[kServicesFieldSize];
    char email[kServicesFieldSize];
    size_t length = 0;
    if (ReadServicesLogin(password, email) == ServicesLogin::Identify) {
        const CChatConnection* chat = CChatConnection::Of(m_hDialog);
        const char* nick = chat ? chat->UserNick() : m_szNick;
        const size_t nickLength = strlen(nick);
        const size_t passwordLength = strlen(password);
        if (2 * nickLength + passwordLength + 2 <= size) {
            memcpy(credentials, nick, nickLength + 1);
            memcpy(credentials + nickLength + 1, nick, nickLength + 1);
            memcpy(credentials + 2 * nickLength + 2, password, passwordLength);
            length = 2 * nickLength + 2 + passwordLength;
        }
    }
    SecureZeroMemory(password, sizeof password);
    return length;
}

// As the login goes: a field holding only a line break is no password.
bool CIrcClient::HasServicesPassword() const
{
    char password[kServicesFieldSize];
    char email[kServicesFieldSize];
    const bool has = ReadServicesLogin(password, email) != ServicesLogin::None;
    SecureZeroMemory(password, sizeof password);
    return has;
}

void CIrcClient::SendRegister(const char* password, const char* email)
{
    SendLine("PRIVMSG NickServ :register %s %s\r\n", password, email);
}

void CIrcClient::SendIdentify(const char* password)
{
    SendLine("PRIVMSG NickServ :identify %s\r\n", password);
}
