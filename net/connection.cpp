// Opening the server connection, receiving from it, and its close.
#include "client/irc_client.h"

#include "client/control_ids.h"
#include "client/redraw_pause.h"
#include "net/line_assembler.h"
#include "net/quit_reason.h"
#include "output/colours.h"
#include "output/output_batch.h"

#include <string.h>

namespace {

// How long one FD_READ may go on reading before the window handles its
// other messages again: a flood is shown in steps, and typing keeps working.
const DWORD kReadBudgetMs = 50;

} // namespace

bool CIrcClient::Connect(unsigned short port)
{
    HWND serverOutput = FindTab(m_szServer);

    // A connection left open by "Выйти" (its close not yet seen) ends here,
    // so that neither its socket nor its socket library reference leaks.
    if (m_socket != 0)
        EndConnection();

    WSADATA wsaData;
    const bool started = WSAStartup(MAKEWORD(2, 2), &wsaData) == 0;
    if (!started)
        SendMessageA(serverOutput, EM_REPLACESEL, 0, (LPARAM)"Ошибка инициализации сокета.");

    memcpy(m_szServerHost, m_szServer, sizeof m_szServerHost);

    sockaddr_in address;
    memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr(m_szServerHost);

    PrintLine(serverOutput, "\r\n%s*** Соединяюсь с %s...", COLOUR_CONNECTION, m_szServerHost);

    if (address.sin_addr.s_addr == INADDR_NONE) {
        hostent* host = gethostbyname(m_szServerHost);
        if (!host || host->h_length != 4 || !host->h_addr_list[0]) {
            PrintLine(serverOutput, "\r\n%s*** Невозможно получить ответ от IRC сервера.",
                      COLOUR_CONNECTION);
            if (started)
                WSACleanup();
            return false;
        }
        memcpy(&address.sin_addr, host->h_addr_list[0], 4);
    }

    m_socket = socket(AF_INET, SOCK_STREAM, 0);
    if (m_socket == INVALID_SOCKET) {
        PrintLine(serverOutput, "\r\n%s*** Ошибка сокета.", COLOUR_CONNECTION);
        m_socket = 0;
        if (started)
            WSACleanup();
        return false;
    }

    OpenSendQueue();
    SelectSocketEvents();
    connect(m_socket, (const sockaddr*)&address, sizeof address);
    return true;
}

// Reads what has arrived, chunk by chunk, for up to kReadBudgetMs, and
// shows the lines and user list changes of all of it at once: a burst costs
// one redraw per read instead of one per line. Data left over brings another
// FD_READ.
void CIrcClient::OnSocketRead()
{
    if (!m_connected)
        return;

    // Windows Sockets posts FD_READ for every arrival, so most of a burst's
    // notifications find its data already read.
    char chunk[1024];
    int received = recv(m_socket, chunk, sizeof chunk, 0);
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
                 (received = recv(socket, chunk, sizeof chunk, 0)) > 0);
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
    if (m_socket != 0) {
        closesocket(m_socket);
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
    EndConnection();
}

void CIrcClient::OnSocketClose()
{
    EndConnection();
    if (m_tabCount > 0)
        ResetTabs(false);
    m_loginState = 0;
    ResetToLogin();
    ClearUserList();
    SetWindowTextA(GetControl(IDC_INPUT), "");
}
