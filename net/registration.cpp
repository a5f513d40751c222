// Registration with the server and NickServ once the connection is made.
#include "client/irc_client.h"

#include "client/control_ids.h"
#include "client/typed_text.h"
#include "protocol/colours.h"
#include "protocol/tokens.h"
#include "protocol/words.h"

#include <stdint.h>

namespace {

const char kRefusedProperty[] = "TalvoRefusedBeforeWelcome";
// Set from the welcome on: the server knows the client by its nick.
const char kWelcomedProperty[] = "TalvoWelcomed";
enum : intptr_t { kRefusedServicesLogin = 1, kRefusedJoin = 2 };

} // namespace

void CIrcClient::OnSocketConnect(int error)
{
    if (m_socket == INVALID_SOCKET || error != 0) {
        PrintLine(FindTab(m_szServer), "\n%s*** Невозможно подключиться к IRC серверу", COLOUR_CONNECTION);
        AbandonConnection();
        return;
    }
    // On TLS registration waits for the handshake and the certificate's
    // check.
    if (Tls()) {
        StartTlsHandshake();
        return;
    }
    // Anyone on the way can read a NickServ password sent in clear: the
    // user is told before it goes.
    if (GetWindowTextLengthA(GetControl(IDC_PASSWORD)) > 0)
        PrintLine(FindTab(m_szServer), "\r\n%s*** Соединение не зашифровано: пароль уйдёт на сервер открытым "
                  "текстом. Для шифрования укажите порт с \"+\" (например, +6697).", COLOUR_CONNECTION);
    SendRegistration();
}

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

    if (password[0] && email[0])
        SendRegister(password, email);
    else if (password[0])
        SendIdentify(password);
}

// Everything goes out at connect time, but some servers (inspircd) welcome a
// client only on a timer tick after its USER and NICK and refuse what came
// before with 451. The refused commands are sent again after the welcome.
// The record has no room for the flags: the dialog keeps them as a property.
void CIrcClient::OnNotRegistered(const char* rest)
{
    char command[16];
    WordReader(rest).Next(command, sizeof command);
    intptr_t refused = (intptr_t)GetPropA(m_hDialog, kRefusedProperty);
    if (EqualsIgnoringAsciiCase(command, "PRIVMSG"))
        refused |= kRefusedServicesLogin;
    else if (EqualsIgnoringAsciiCase(command, "JOIN"))
        refused |= kRefusedJoin;
    if (refused)
        SetPropA(m_hDialog, kRefusedProperty, (HANDLE)refused);
}

void CIrcClient::OnWelcome()
{
    SetPropA(m_hDialog, kWelcomedProperty, (HANDLE)1);
    const intptr_t refused = (intptr_t)RemovePropA(m_hDialog, kRefusedProperty);
    if (refused & kRefusedServicesLogin)
        SendServicesLogin();
    if (refused & kRefusedJoin)
        SendJoin("#marketbay");
}

void CIrcClient::ForgetRegistration()
{
    RemovePropA(m_hDialog, kRefusedProperty);
    RemovePropA(m_hDialog, kWelcomedProperty);
}

bool CIrcClient::IsRegistered() const
{
    return GetPropA(m_hDialog, kWelcomedProperty) != NULL;
}

void CIrcClient::SendRegister(const char* password, const char* email)
{
    SendLine("PRIVMSG NickServ :register %s %s\r\n", password, email);
}

void CIrcClient::SendIdentify(const char* password)
{
    SendLine("PRIVMSG NickServ :identify %s\r\n", password);
}
