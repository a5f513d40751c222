// Everything the client sends goes through one queue per connection: whole
// lines, in order, paced as servers count them (net/send_queue.h). The
// socket takes what it can; FD_WRITE and a window timer send the rest.
#include "net/server_connection.h"

#include "net/pace.h"
#include "net/send_clock.h"
#include "net/send_queue.h"
#include "net/tls_session.h"
#include "protocol/wire_text.h"

#include <string.h>

namespace {

// How long one send may wait when leaving, for a server that reads slowly
// or not at all: the window waits at most this for each of the few sends.
const DWORD kLeavingSendTimeoutMs = 1000;

DWORD WINAPI ReadTickCount()
{
    return GetTickCount();
}

// A send that would block takes nothing now; FD_WRITE says when to go on.
int SendToSocket(void* context, const char* bytes, size_t length)
{
    const int sent = send((SOCKET)(uintptr_t)context, bytes, (int)length, 0);
    if (sent != SOCKET_ERROR)
        return sent;
    return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

// On a TLS connection each line goes out as one record.
int SendThroughTls(void* context, const char* bytes, size_t length)
{
    return ((CTlsSession*)context)->Send(bytes, length);
}

} // namespace

DWORD(WINAPI* g_pfnSendTicks)() = &ReadTickCount;

void CServerConnection::OpenSendQueue()
{
    m_pQueue = m_pTls ? new CSendQueue(&SendThroughTls, m_pTls)
                      : new CSendQueue(&SendToSocket, (void*)(uintptr_t)m_socket);
}

size_t CServerConnection::LineLimit() const
{
    return (size_t)m_rules.lineLength < kQueuedLineLimit ? (size_t)m_rules.lineLength : kQueuedLineLimit;
}

// Each line of the text (registration sends two at once) goes into the
// queue whole: one line of the server's length at most, cut on a character
// boundary if longer (the server would cut it anyway), and always ending in
// CR LF, so that a cut line never runs into the next command.
int CServerConnection::QueueLines(const char* text)
{
    if (!m_pQueue)
        return 0;
    int queued = 0;
    while (*text) {
        const size_t length = strcspn(text, "\r\n");
        const size_t kept = FitUtf8Length(text, length, LineLimit() - 2);
        char line[kQueuedLineLimit];
        memcpy(line, text, kept);
        memcpy(line + kept, "\r\n", 2);
        if (kept > 0 && m_pQueue->AddLine(line, kept + 2))
            queued += (int)(kept + 2);
        text += length;
        text += strspn(text, "\r\n");
    }
    FlushSendQueue();
    return queued;
}

bool CServerConnection::CanQueueTypedLines(size_t count, size_t bytes) const
{
    return !m_pQueue || m_pQueue->CanTakeOrdinaryLines(count, bytes);
}

size_t CServerConnection::CountWaitingLines() const
{
    return m_pQueue ? m_pQueue->CountWaitingLines() : 0;
}

// Sends what may go now, and wakes the window when the pace lets the next
// line go.
void CServerConnection::FlushSendQueue()
{
    if (!m_pQueue)
        return;
    const DWORD now = g_pfnSendTicks();
    // A full socket goes on at FD_WRITE, a failed one ends with FD_CLOSE.
    if (m_pQueue->SendWaiting(now) == SendProgress::Paced)
        SetTimer(m_hWindow, kSendTimer, m_pQueue->MillisecondsUntilNextLine(now), NULL);
    else
        KillTimer(m_hWindow, kSendTimer);

    const bool linesWaited = m_linesWaited;
    m_linesWaited = m_pQueue->CountWaitingLines() != 0;
    if (linesWaited && !m_linesWaited)
        m_events.OnAllLinesSent();
}

void CServerConnection::SendQuitFirst(const char* quitLine)
{
    if (!m_pQueue)
        return;
    m_pQueue->PutQuitFirst(quitLine, strlen(quitLine));
    FlushSendQueue();
    // An encrypted connection closes with close_notify behind the QUIT; a
    // QUIT still waiting for the socket ends the connection without it.
    if (m_pTls && m_pQueue->MillisecondsUntilNextLine(g_pfnSendTicks()) == kNoLineWaiting)
        m_pTls->SendCloseNotify();
}

// Nothing of the window hears of the socket again, so FD_WRITE can no
// longer send the rest: the socket blocks instead, for a bounded time.
void CServerConnection::FinishSending()
{
    if (m_socket == 0 || !m_pQueue || IsBeingConnected())
        return;
    WSAAsyncSelect(m_socket, m_hWindow, 0, 0);
    u_long nonBlocking = 0;
    ioctlsocket(m_socket, FIONBIO, &nonBlocking);
    const DWORD timeout = kLeavingSendTimeoutMs;
    setsockopt(m_socket, SOL_SOCKET, SO_SNDTIMEO, (const char*)&timeout, sizeof timeout);
    if (m_pTls && !m_pTls->FlushOutput())
        return;
    if (m_pQueue->SendWaiting(g_pfnSendTicks()) != SendProgress::Failed && m_pTls &&
        m_pQueue->MillisecondsUntilNextLine(g_pfnSendTicks()) == kNoLineWaiting)
        m_pTls->SendCloseNotify();
}

// Records a full socket left half sent go before any further line.
void CServerConnection::OnSocketWrite()
{
    if (m_pTls)
        m_pTls->FlushOutput();
    FlushSendQueue();
}

bool CServerConnection::TakeCtcpAnswerTurn()
{
    return TakeCtcpAnswer(m_answersFullAt, g_pfnSendTicks());
}
