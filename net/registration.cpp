// Registration with the server and NickServ once the connection is made.
#include "client/irc_client.h"

#include "client/control_ids.h"
#include "net/outgoing_text.h"
#include "output/colours.h"

void CIrcClient::OnSocketConnect(int error)
{
    HWND serverOutput = FindTab(m_szServer);

    if (m_socket == INVALID_SOCKET || error != 0) {
        PrintLine(serverOutput, "\n%s*** Невозможно подключиться к IRC серверу", COLOUR_CONNECTION);
        EnableWindow(GetControl(IDC_LOGOUT), FALSE);
        // The attempt is over: its socket and socket library reference go too.
        EndConnection();
        // The login panel keeps the server tab in sight: it says why.
        m_showTabsPending = 1;
        ResetToLogin();
        return;
    }

    char password[1024] = "";
    char email[1024] = "";
    GetWindowTextA(GetControl(IDC_PASSWORD), password, sizeof password);
    GetWindowTextA(GetControl(IDC_EMAIL), email, sizeof email);
    CutAtLineBreak(password);
    CutAtLineBreak(email);

    SendLine("USER %s # # :%s\r\nNICK %s\r\n", m_szUserName, m_szRealName, m_szNick);
    if (password[0] && email[0])
        SendRegister(password, email);
    else if (password[0])
        SendIdentify(password);
    SendJoin("#marketbay");
}

void CIrcClient::SendRegister(const char* password, const char* email)
{
    SendLine("PRIVMSG NickServ :register %s %s\r\n", password, email);
}

void CIrcClient::SendIdentify(const char* password)
{
    SendLine("PRIVMSG NickServ :identify %s\r\n", password);
}
