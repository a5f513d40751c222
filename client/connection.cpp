// The window's operations on its server connection: thin forwards to the
// connection its CChatConnection owns, and what the window does when the
// connection ends.
#include "client/irc_client.h"

#include "client/chat_connection.h"
#include "client/control_ids.h"
#include "net/quit_reason.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

CServerConnection* CIrcClient::Server() const
{
    CChatConnection* chat = CChatConnection::Of(m_hDialog);
    return chat ? chat->Server() : NULL;
}

void CIrcClient::MirrorConnection()
{
    if (const CServerConnection* server = Server()) {
        m_socket = server->Socket();
        m_lineLen = server->PendingLineLength();
    }
}

bool CIrcClient::Connect(unsigned short port, bool tls)
{
    // A connection left open by "Выйти" (its close not yet seen) ends here.
    if (CChatConnection::Of(m_hDialog)) {
        FinishSending();
        EndConnection();
    }
    if (!CChatConnection::Start(*this, port, tls))
        return false;
    MirrorConnection();
    return true;
}

// wParam is the socket itself; events of any other (stale) socket are
// ignored, and after "Выйти" nothing more is read until the server's close.
INT_PTR CIrcClient::OnSocketEvent(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    if (!IsOwnSocket((SOCKET)wParam))
        return 0;
    CServerConnection* server = Server();
    const WORD event = WSAGETSELECTEVENT(lParam);
    if (!server || (event == FD_READ && !m_connected))
        return 1;
    if (!server->OnSocketEvent(event, WSAGETSELECTERROR(lParam)))
        return DefWindowProcA(dialog, WM_SOCKET_EVENT, wParam, lParam);
    MirrorConnection();
    return 1;
}

INT_PTR CIrcClient::OnHostResolved(WPARAM request)
{
    CServerConnection* server = Server();
    const INT_PTR handled = server ? server->OnHostResolved(request) : 0;
    MirrorConnection();
    return handled;
}

INT_PTR CIrcClient::OnCertificateChecked(WPARAM request)
{
    CServerConnection* server = Server();
    return server ? server->OnCertificateChecked(request) : 0;
}

INT_PTR CIrcClient::OnDialogTimer(WPARAM id)
{
    CChatConnection* chat = CChatConnection::Of(m_hDialog);
    const INT_PTR handled = chat ? chat->OnTimer(id) : 0;
    MirrorConnection();
    return handled;
}

bool CIrcClient::IsBeingConnected() const
{
    const CChatConnection* chat = CChatConnection::Of(m_hDialog);
    return chat && (!chat->Server() || chat->Server()->IsBeingConnected());
}

int CIrcClient::SendLine(const char* format, ...)
{
    if (!format)
        return 0;

    memset(m_sendBuf, 0, sizeof m_sendBuf);
    va_list args;
    va_start(args, format);
    vsnprintf(m_sendBuf, sizeof m_sendBuf, format, args);
    va_end(args);
    CServerConnection* server = Server();
    return server ? server->QueueLines(m_sendBuf) : 0;
}

void CIrcClient::OnSocketWrite()
{
    if (CServerConnection* server = Server())
        server->OnSocketWrite();
}

void CIrcClient::FinishSending()
{
    if (CServerConnection* server = Server())
        server->FinishSending();
}

// A pace already spent leaves the answer unsent.
bool CIrcClient::SendPacedAnswer(const char* answer)
{
    CServerConnection* server = Server();
    if (server && !server->TakeCtcpAnswerTurn())
        return false;
    SendLine("%s", answer);
    return true;
}

void CIrcClient::ForgetCtcpAnswers()
{
    if (CServerConnection* server = Server())
        server->ForgetCtcpAnswers();
}

void CIrcClient::OnNotRegistered(const char* rest)
{
    if (CServerConnection* server = Server())
        server->OnNotRegistered(rest);
}

void CIrcClient::OnWelcome()
{
    CChatConnection* chat = CChatConnection::Of(m_hDialog);
    if (chat && chat->Server())
        chat->OnWelcome();
}

bool CIrcClient::IsRegistered() const
{
    const CServerConnection* server = Server();
    return server && server->IsRegistered();
}

const ServerRules& CIrcClient::Rules() const
{
    static const ServerRules kDefaults = [] {
        ServerRules rules;
        ResetServerRules(rules);
        return rules;
    }();
    const CServerConnection* server = Server();
    return server ? server->Rules() : kDefaults;
}

void CIrcClient::ReadServerRules(const char* params)
{
    if (CServerConnection* server = Server())
        server->ReadRules(params);
}

void CIrcClient::ForgetRegistration()
{
    if (CServerConnection* server = Server())
        server->ForgetRegistration();
}

void CIrcClient::EndConnection()
{
    CChatConnection::End(m_hDialog);
    ForgetLink();
    m_connected = 0;
}

void CIrcClient::ForgetLink()
{
    memset(m_ioBuf, 0, sizeof m_ioBuf);
    m_lineLen = 0;
    m_socket = 0;
    CloseNamesReply();
}

void CIrcClient::LeaveServer()
{
    SendQuit(kQuitReason);
    FinishSending();
    EndConnection();
}

void CIrcClient::QuitServer(const char* reason)
{
    if (IsBeingConnected())
        EndConnection();
    else
        SendQuit(reason);
}

void CIrcClient::AbandonConnection()
{
    EnableWindow(GetControl(IDC_LOGOUT), FALSE);
    // The attempt is over: its socket and socket library reference go too.
    EndConnection();
    // The login panel keeps the server tab in sight: it says why.
    m_showTabsPending = 1;
    ResetToLogin();
}

void CIrcClient::OnConnectionClosed()
{
    EndConnection();
    if (m_tabCount > 0)
        ResetTabs(false);
    m_loginState = 0;
    ResetToLogin();
    ClearUserList();
    SetWindowTextA(GetControl(IDC_INPUT), "");
}
