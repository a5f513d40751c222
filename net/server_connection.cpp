// The connection's life: opening it, its socket's events, and the received
// lines.
#include "net/server_connection.h"

#include "net/certificate_check.h"
#include "net/host_lookup.h"
#include "net/line_assembler.h"
#include "net/own_ping.h"
#include "net/send_clock.h"
#include "net/send_queue.h"
#include "net/tls_session.h"
#include "protocol/tokens.h"

#include <string.h>

namespace {

// How long one FD_READ may go on reading before the window handles its
// other messages again, and so how long a line read at its start waits
// before the insertion that shows it begins: a flood is shown in steps of
// many lines each, and typing keeps working. Counted by g_pfnSendTicks.
const DWORD kReadBudgetMs = 50;
// While lines keep coming, a read that finds the socket empty waits this
// long for more before the window shows what it has: a server's flood
// arrives a few lines at a time, and each insertion costs the rich edit a
// layout and a drawing whatever it holds.
const DWORD kLineGapMs = 5;

} // namespace

class CServerConnection::CDeletionWatch {
public:
    explicit CDeletionWatch(CServerConnection& connection)
        : m_connection(connection), m_pOuter(connection.m_pWatch), m_deleted(false)
    {
        connection.m_pWatch = this;
    }
    ~CDeletionWatch()
    {
        if (!m_deleted)
            m_connection.m_pWatch = m_pOuter;
    }

    CDeletionWatch(const CDeletionWatch&) = delete;
    CDeletionWatch& operator=(const CDeletionWatch&) = delete;

    CServerConnection& Connection() const { return m_connection; }
    bool Deleted() const { return m_deleted; }
    // Every watch on the stack hears of it, the outer ones too.
    static void TellDeleted(CDeletionWatch* watch)
    {
        for (; watch; watch = watch->m_pOuter)
            watch->m_deleted = true;
    }

private:
    CServerConnection& m_connection;
    CDeletionWatch* m_pOuter;
    bool m_deleted;
};

CServerConnection::CServerConnection(HWND window, IConnectionEvents& events, const char* host, char* line,
                                     size_t capacity)
    : m_hWindow(window), m_events(events), m_pWatch(NULL), m_socket(0), m_pLookup(NULL), m_pTls(NULL),
      m_pCheck(NULL), m_pQueue(NULL), m_pLine(line), m_lineCapacity(capacity), m_lineLen(0), m_arrivedLen(0),
      m_arrived(), m_readStopped(false), m_closedInHandshake(false), m_lastReadEnd(0), m_lastHeardAt(0),
      m_pinged(false), m_welcomed(false), m_refusedServicesLogin(false), m_refusedJoin(false), m_caps(),
      m_linesWaited(false), m_answersFullAt(0), m_szHost()
{
    CopyText(m_szHost, sizeof m_szHost, host);
    ResetServerRules(m_rules);
}

// Without the socket library there is no connection, and no reference of
// it to give back; from here on the destructor gives it back.
CServerConnection* CServerConnection::Start(HWND window, IConnectionEvents& events, const char* host,
                                            unsigned short port, bool tls, char* line, size_t capacity,
                                            ConnectionFailure* failure)
{
    WSADATA wsaData;
    if (WSAStartup(MAKEWORD(2, 2), &wsaData) != 0) {
        *failure = ConnectionFailure::SocketLibrary;
        return NULL;
    }
    CServerConnection* connection = new CServerConnection(window, events, host, line, capacity);
    events.OnConnecting();

    // A dotted address connects at once; a name is resolved by a worker,
    // and the connection goes on from its answer: the window never waits
    // for a resolver.
    in_addr address;
    address.s_addr = inet_addr(connection->m_szHost);
    if (address.s_addr != INADDR_NONE) {
        if (connection->OpenSocket(address, port, tls))
            return connection;
        *failure = ConnectionFailure::Socket;
    } else if ((connection->m_pLookup = CHostLookup::Start(window, connection->m_szHost, port, tls))) {
        return connection;
    } else {
        *failure = ConnectionFailure::NoAnswer;
    }
    delete connection;
    return NULL;
}

CServerConnection::~CServerConnection()
{
    CDeletionWatch::TellDeleted(m_pWatch);
    KillTimer(m_hWindow, kSendTimer);
    KillTimer(m_hWindow, kHandshakeTimer);
    KillTimer(m_hWindow, kLivenessTimer);
    delete m_pQueue;
    ForgetCertificateCheck();
    delete m_pTls;
    if (m_socket != 0)
        closesocket(m_socket);
    // A lookup still waiting is let go of: its answer goes nowhere.
    if (m_pLookup)
        m_pLookup->Release();
    WSACleanup();
}

bool CServerConnection::IsBeingConnected() const
{
    return m_pLookup != NULL || (m_pTls && !m_pTls->IsEstablished());
}

void CServerConnection::Fail(ConnectionFailure failure)
{
    const FailureReport report = { failure, TlsRefusal::None, 0 };
    m_events.OnFailed(report);
}

// The answer of a lookup this connection has let go of is not its own; its
// request may even be freed, so it is only compared, never read.
INT_PTR CServerConnection::OnHostResolved(WPARAM request)
{
    CHostLookup* lookup = m_pLookup;
    if (!lookup || (WPARAM)lookup != request || !lookup->IsAnswered())
        return 0;
    m_pLookup = NULL;
    const bool found = lookup->Found();
    const in_addr address = lookup->Address();
    const unsigned short port = lookup->Port();
    const bool tls = lookup->Tls();
    lookup->Release();

    if (!found)
        Fail(ConnectionFailure::NoAnswer);
    else if (!OpenSocket(address, port, tls))
        Fail(ConnectionFailure::Socket);
    return 1;
}

// A connection the user asked to encrypt is encrypted from its first byte;
// from here on its TLS session says so. This is the one place that selects
// the socket's events.
bool CServerConnection::OpenSocket(in_addr address, unsigned short port, bool tls)
{
    sockaddr_in server;
    memset(&server, 0, sizeof server);
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr = address;

    m_socket = socket(AF_INET, SOCK_STREAM, 0);
    if (m_socket == INVALID_SOCKET) {
        m_socket = 0;
        return false;
    }

    if (tls)
        OpenTlsSession();
    OpenSendQueue();
    WSAAsyncSelect(m_socket, m_hWindow, WM_SOCKET_EVENT, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE);
    connect(m_socket, (const sockaddr*)&server, sizeof server);
    return true;
}

INT_PTR CServerConnection::OnSocketEvent(WORD event, int error)
{
    switch (event) {
    case FD_READ:    OnSocketRead();         return 1;
    case FD_WRITE:   OnSocketWrite();        return 1;
    case FD_CONNECT: OnSocketConnect(error); return 1;
    case FD_CLOSE:   OnSocketClose();        return 1;
    default:         return 0;
    }
}

INT_PTR CServerConnection::OnTimer(WPARAM id)
{
    switch (id) {
    case kSendTimer:      FlushSendQueue();   return 1;
    case kHandshakeTimer: OnHandshakeTimer(); return 1;
    case kLivenessTimer:  OnLivenessTimer();  return 1;
    default:              return 0;
    }
}

void CServerConnection::OnSocketConnect(int error)
{
    if (m_socket == INVALID_SOCKET || error != 0) {
        Fail(ConnectionFailure::Connect);
        return;
    }
    // On TLS registration waits for the handshake and the certificate's
    // check.
    if (m_pTls) {
        StartTlsHandshake();
        return;
    }
    WatchLiveness();
    m_events.OnConnected(NULL);
}

void CServerConnection::OnSocketClose()
{
    // A server that closes during the handshake is refused with its reason.
    if (IsBeingConnected())
        ContinueTlsHandshake(true);
    else
        TakeLastLinesAndClose();
}

// The close may come while bytes, or decrypted records, still wait unread:
// often the server's ERROR saying why. A window that asks for no more lines,
// or ends the connection on one, ends the draining too.
void CServerConnection::TakeLastLinesAndClose()
{
    CDeletionWatch watch(*this);
    m_readStopped = false;
    while (!m_readStopped) {
        const int received = ReceiveFromServer(m_arrived, sizeof m_arrived);
        if (received == 0 && m_pTls && m_pTls->HasBufferedInput())
            continue;
        if (received <= 0)
            break;
        m_arrivedLen = received;
        m_events.OnTextArrived();
        if (watch.Deleted())
            return;
    }
    m_events.OnClosed(CloseReason::ServerClosed);
}

int CServerConnection::ReceiveFromServer(char* bytes, int capacity)
{
    const int received = m_pTls ? m_pTls->Receive(bytes, capacity) : recv(m_socket, bytes, capacity, 0);
    if (received > 0) {
        m_lastHeardAt = g_pfnSendTicks();
        m_pinged = false;
    }
    return received;
}

// Windows Sockets posts FD_READ for every arrival, so most of a burst's
// notifications find its data already read.
void CServerConnection::OnSocketRead()
{
    if (IsBeingConnected()) {
        ContinueTlsHandshake(false);
        return;
    }
    const int received = ReceiveFromServer(m_arrived, sizeof m_arrived);
    if (received < 0 && m_pTls) {
        m_events.OnClosed(CloseReason::TlsError);
        return;
    }
    // 0 also when the session's share of records for one read held no text.
    if (received == 0)
        AnnounceBufferedInput();
    if (received <= 0)
        return;
    m_arrivedLen = received;
    m_events.OnTextArrived();
}

// Reads chunk after chunk for up to kReadBudgetMs; data left over brings
// another FD_READ. Lines that came less than the budget after the last read
// are a flow: then a read that finds nothing waits a moment for more.
void CServerConnection::TakeArrivedLines()
{
    CDeletionWatch watch(*this);
    const DWORD start = g_pfnSendTicks();
    const bool flowing = start - m_lastReadEnd < kReadBudgetMs;
    // A line's handler that lets the window's messages run may read again.
    char chunk[sizeof m_arrived];
    int received = m_arrivedLen;
    memcpy(chunk, m_arrived, (size_t)received);
    m_arrivedLen = 0;
    m_readStopped = false;
    do {
        const int32_t lineLen = AppendReceivedBytes(m_pLine, m_lineCapacity, m_lineLen, chunk, received,
                                                    &CServerConnection::DeliverLine, &watch);
        if (watch.Deleted())
            return;
        m_lineLen = lineLen;
        const DWORD spent = g_pfnSendTicks() - start;
        if (m_readStopped || spent >= kReadBudgetMs)
            break;
        received = ReceiveFromServer(chunk, sizeof chunk);
        const DWORD gap = kReadBudgetMs - spent < kLineGapMs ? kReadBudgetMs - spent : kLineGapMs;
        if (received <= 0 && flowing && WaitForMoreText(gap))
            received = ReceiveFromServer(chunk, sizeof chunk);
    } while (received > 0);
    m_lastReadEnd = g_pfnSendTicks();
    if (!m_readStopped)
        AnnounceBufferedInput();
}

bool CServerConnection::WaitForMoreText(DWORD milliseconds) const
{
    if (m_pTls && m_pTls->HasBufferedInput())
        return true;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_socket, &readable);
    timeval wait = { 0, (long)milliseconds * 1000 };
    return select(0, &readable, NULL, NULL, &wait) > 0;
}

// A line that ended the connection, or asked for no more, leaves the rest
// of the chunk unread.
bool CServerConnection::DeliverLine(void* context)
{
    const CDeletionWatch& watch = *static_cast<const CDeletionWatch*>(context);
    CServerConnection& connection = watch.Connection();
    if (IsOwnPingAnswer(connection.m_pLine))
        return true;
    const bool goOn = connection.m_events.OnLineReceived();
    if (watch.Deleted())
        return false;
    connection.m_readStopped = !goOn;
    return goOn;
}
