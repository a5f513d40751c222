// Opening the server connection, receiving from it, and its close.
#include "client/irc_client.h"

#include "client/control_ids.h"
#include "client/redraw_pause.h"
#include "net/host_lookup.h"
#include "net/line_assembler.h"
#include "net/quit_reason.h"
#include "net/tls_session.h"
#include "protocol/colours.h"
#include "output/output_batch.h"

#include <string.h>

namespace {

// How long one FD_READ may go on reading before the window handles its
// other messages again: a flood is shown in steps, and typing keeps working.
const DWORD kReadBudgetMs = 50;

// The record has no room for the lookup: the dialog keeps it as a property
// while it waits for its answer.
const char kLookupProperty[] = "TalvoHostLookup";

} // namespace

// A dotted address connects at once; a name is resolved by a worker, and
// the connection goes on from its answer (OnHostResolved): the window never
// waits for a resolver.
bool CIrcClient::Connect(unsigned short port, bool tls)
{
    HWND serverOutput = FindTab(m_szServer);

    // A connection left open by "Выйти" (its close not yet seen) ends here,
    // so that neither its socket nor its socket library reference leaks.
    if (m_socket != 0 || PendingLookup()) {
        FinishSending();
        EndConnection();
    }

    // Without the socket library there is no connection, and no reference
    // of it to give back.
    WSADATA wsaData;
    if (WSAStartup(MAKEWORD(2, 2), &wsaData) != 0) {
        PrintLine(serverOutput, "\r\n%s*** Ошибка инициализации сокета.", COLOUR_CONNECTION);
        return false;
    }

    memcpy(m_szServerHost, m_szServer, sizeof m_szServerHost);

    PrintLine(serverOutput, "\r\n%s*** Соединяюсь с %s...", COLOUR_CONNECTION, m_szServerHost);

    in_addr address;
    address.s_addr = inet_addr(m_szServerHost);
    if (address.s_addr != INADDR_NONE) {
        if (OpenSocket(address, port, tls))
            return true;
    } else if (CHostLookup* lookup = CHostLookup::Start(m_hDialog, m_szServerHost, port, tls)) {
        SetPropA(m_hDialog, kLookupProperty, (HANDLE)lookup);
        return true;
    } else {
        PrintLine(serverOutput, "\r\n%s*** Невозможно получить ответ от IRC сервера.", COLOUR_CONNECTION);
    }
    WSACleanup();
    return false;
}

CHostLookup* CIrcClient::PendingLookup() const
{
    return (CHostLookup*)GetPropA(m_hDialog, kLookupProperty);
}

bool CIrcClient::ForgetHostLookup()
{
    CHostLookup* lookup = (CHostLookup*)RemovePropA(m_hDialog, kLookupProperty);
    if (!lookup)
        return false;
    lookup->Release();
    return true;
}

// The answer of a lookup this window has let go of (a logout, a second
// Connect) is not its own; its request may even be freed, so it is only
// compared, never read.
INT_PTR CIrcClient::OnHostResolved(WPARAM request)
{
    CHostLookup* lookup = PendingLookup();
    if (!lookup || (WPARAM)lookup != request || !lookup->IsAnswered())
        return 0;
    RemovePropA(m_hDialog, kLookupProperty);
    const bool found = lookup->Found();
    const in_addr address = lookup->Address();
    const unsigned short port = lookup->Port();
    const bool tls = lookup->Tls();
    lookup->Release();

    if (!found) {
        PrintLine(FindTab(m_szServer), "\r\n%s*** Невозможно получить ответ от IRC сервера.",
                  COLOUR_CONNECTION);
        WSACleanup();
        AbandonConnection();
        return 1;
    }
    if (!OpenSocket(address, port, tls)) {
        WSACleanup();
        AbandonConnection();
    }
    return 1;
}

// A connection the user asked to encrypt is encrypted from its first byte;
// from here on its TLS session says so.
bool CIrcClient::OpenSocket(in_addr address, unsigned short port, bool tls)
{
    sockaddr_in server;
    memset(&server, 0, sizeof server);
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr = address;

    m_socket = socket(AF_INET, SOCK_STREAM, 0);
    if (m_socket == INVALID_SOCKET) {
        PrintLine(FindTab(m_szServer), "\r\n%s*** Ошибка сокета.", COLOUR_CONNECTION);
        m_socket = 0;
        return false;
    }

    if (tls)
        OpenTlsSession();
    OpenSendQueue();
    SelectSocketEvents();
    connect(m_socket, (const sockaddr*)&server, sizeof server);
    return true;
}

bool CIrcClient::IsBeingConnected() const
{
    const CTlsSession* tls = Tls();
    return PendingLookup() != NULL || (tls && !tls->IsEstablished());
}

int CIrcClient::ReceiveFromServer(char* bytes, int capacity)
{
    if (CTlsSession* tls = Tls())
        return tls->Receive(bytes, capacity);
    return recv(m_socket, bytes, capacity, 0);
}

// Reads what has arrived, chunk by chunk, for up to kReadBudgetMs, and
// shows the lines and user list changes of all of it at once: a burst costs
// one redraw per read instead of one per line. Data left over brings another
// FD_READ.
void CIrcClient::OnSocketRead()
{
    if (!m_connected)
        return;
    if (IsBeingConnected()) {
        ContinueTlsHandshake(false);
        return;
    }

    // Windows Sockets posts FD_READ for every arrival, so most of a burst's
    // notifications find its data already read.
    char chunk[1024];
    int received = ReceiveFromServer(chunk, sizeof chunk);
    if (received < 0 && Tls()) {
        PrintLine(FindTab(m_szServer), "\r\n%s*** Ошибка зашифрованного соединения. Соединение разорвано.",
                  COLOUR_CONNECTION);
        OnSocketClose();
        return;
    }
    // 0 also when the session's share of records for one read held no text.
    if (received == 0)
        AnnounceBufferedInput();
    if (received <= 0)
        return;

    {
        COutputBatch batch(m_hDialog);
        CRedrawPause userList(GetControl(IDC_USER_LIST));
        const SOCKET socket = m_socket;
        const DWORD start = GetTickCount();
        do {
            m_lineLen = AppendReceivedBytes(m_ioBuf, sizeof m_ioBuf, m_lineLen, chunk, received,
                                            &CIrcClient::DispatchReceivedLine, this);
        } while (m_connected && m_socket == socket && GetTickCount() - start < kReadBudgetMs &&
                 (received = ReceiveFromServer(chunk, sizeof chunk)) > 0);
        if (m_connected && m_socket == socket)
            AnnounceBufferedInput();
    }
    // A burst keeps the window's queue full of read notifications, ahead of
    // the check the batch asked for: the scrollback is kept in bounds here.
    KeepScrollbackBounds();
}

bool CIrcClient::DispatchReceivedLine(void* client)
{
    CIrcClient* self = static_cast<CIrcClient*>(client);
    self->ProcessLine();
    // A handler that ended the connection leaves the rest of the chunk unread.
    return self->m_connected != 0;
}

// Releases the socket and the socket library reference taken by Connect.
void CIrcClient::EndConnection()
{
    CloseSendQueue();
    CloseTlsSession();
    if (m_socket != 0) {
        closesocket(m_socket);
        WSACleanup();
    } else if (ForgetHostLookup()) {
        WSACleanup();
    }
    memset(m_ioBuf, 0, sizeof m_ioBuf);
    m_lineLen = 0;
    m_socket = 0;
    m_connected = 0;
    ForgetRegistration();
    ForgetCtcpAnswers();
    CloseNamesReply();
}

void CIrcClient::LeaveServer()
{
    SendQuit(kQuitReason);
    FinishSending();
    EndConnection();
}

void CIrcClient::QuitServer()
{
    if (IsBeingConnected())
        EndConnection();
    else
        SendQuit(kQuitReason);
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

void CIrcClient::OnSocketClose()
{
    // A server that closes during the handshake is refused with its reason.
    if (IsBeingConnected()) {
        ContinueTlsHandshake(true);
        return;
    }
    EndConnection();
    if (m_tabCount > 0)
        ResetTabs(false);
    m_loginState = 0;
    ResetToLogin();
    ClearUserList();
    SetWindowTextA(GetControl(IDC_INPUT), "");
}
