// Everything the client sends goes through one queue per connection: whole
// lines, in order, paced as servers count them (net/send_queue.h). The
// socket takes what it can; FD_WRITE and a dialog timer send the rest.
#include "client/irc_client.h"

#include "net/send_clock.h"
#include "net/send_queue.h"
#include "net/tls_session.h"
#include "protocol/wire_text.h"
#include "protocol/colours.h"
#include "protocol/ctcp.h"
#include "protocol/tokens.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

// The record has no room for the queue: the dialog keeps it as a property
// for as long as the connection lasts.
const char kSendsProperty[] = "TalvoConnectionSends";
// The pace of CTCP answers, as the bucket's tick (none reads as full).
const char kAnswerPaceProperty[] = "TalvoCtcpAnswersFullAt";

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

// One connection's outgoing side.
struct CIrcClient::ConnectionSends {
    ConnectionSends(SocketSend send, void* context) : queue(send, context) {}

    CSendQueue queue;
    // The tab told that typed lines wait, told again when they have all gone.
    char szWaitingTab[1024] = "";
};

CIrcClient::ConnectionSends* CIrcClient::Sends() const
{
    return (ConnectionSends*)GetPropA(m_hDialog, kSendsProperty);
}

void CIrcClient::OpenSendQueue()
{
    CloseSendQueue();
    CTlsSession* tls = Tls();
    ConnectionSends* sends = tls ? new ConnectionSends(&SendThroughTls, tls)
                                 : new ConnectionSends(&SendToSocket, (void*)(uintptr_t)m_socket);
    SetPropA(m_hDialog, kSendsProperty, (HANDLE)sends);
}

void CIrcClient::CloseSendQueue()
{
    KillTimer(m_hDialog, kSendTimer);
    delete (ConnectionSends*)RemovePropA(m_hDialog, kSendsProperty);
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
    return QueueLines(m_sendBuf);
}

// Each line of the text (registration sends two at once) goes into the
// queue whole: one IRC line at most, cut on a character boundary if longer
// (the server would cut it anyway), and always ending in CR LF, so that a
// cut line never runs into the next command. Returns the bytes queued.
int CIrcClient::QueueLines(const char* text)
{
    ConnectionSends* sends = Sends();
    if (!sends)
        return 0;
    int queued = 0;
    while (*text) {
        const size_t length = strcspn(text, "\r\n");
        const size_t kept = FitUtf8Length(text, length, kQueuedLineLimit - 2);
        char line[kQueuedLineLimit];
        memcpy(line, text, kept);
        memcpy(line + kept, "\r\n", 2);
        if (kept > 0 && sends->queue.AddLine(line, kept + 2))
            queued += (int)(kept + 2);
        text += length;
        text += strspn(text, "\r\n");
    }
    FlushSendQueue();
    return queued;
}

bool CIrcClient::CanQueueTypedLines(size_t count, size_t bytes) const
{
    ConnectionSends* sends = Sends();
    return !sends || sends->queue.CanTakeOrdinaryLines(count, bytes);
}

// Sends what may go now, and wakes the dialog when the pace lets the next
// line go.
void CIrcClient::FlushSendQueue()
{
    ConnectionSends* sends = Sends();
    if (!sends)
        return;
    const DWORD now = g_pfnSendTicks();
    // A full socket goes on at FD_WRITE, a failed one ends with FD_CLOSE.
    if (sends->queue.SendWaiting(now) == SendProgress::Paced)
        SetTimer(m_hDialog, kSendTimer, sends->queue.MillisecondsUntilNextLine(now), NULL);
    else
        KillTimer(m_hDialog, kSendTimer);

    if (sends->szWaitingTab[0] && sends->queue.CountWaitingLines() == 0) {
        PrintLine(FindTab(sends->szWaitingTab), "\r\n%s*** Все строки отправлены", COLOUR_CONNECTION);
        sends->szWaitingTab[0] = '\0';
    }
}

// Typed text is echoed when it is typed; lines the pace holds back are
// counted in the conversation until they have all gone.
void CIrcClient::ShowWaitingLines(const char* tab)
{
    ConnectionSends* sends = Sends();
    const size_t waiting = sends ? sends->queue.CountWaitingLines() : 0;
    if (waiting == 0)
        return;
    PrintLine(FindTab(tab), "\r\n%s*** Строк в очереди на отправку: %u (по одной в 2 секунды)",
              COLOUR_CONNECTION, (unsigned)waiting);
    CopyText(sends->szWaitingTab, sizeof sends->szWaitingTab, tab);
}

// The user leaves: QUIT goes before everything that waits, which is dropped.
void CIrcClient::SendQuitFirst(const char* quitLine)
{
    ConnectionSends* sends = Sends();
    if (!sends)
        return;
    sends->szWaitingTab[0] = '\0';
    sends->queue.PutQuitFirst(quitLine, strlen(quitLine));
    FlushSendQueue();
    // An encrypted connection closes with close_notify behind the QUIT; a
    // QUIT still waiting for the socket ends the connection without it.
    CTlsSession* tls = Tls();
    if (tls && sends->queue.MillisecondsUntilNextLine(g_pfnSendTicks()) == kNoLineWaiting)
        tls->SendCloseNotify();
}

// Nothing of the window hears of the socket again, so FD_WRITE can no
// longer send the rest: the socket blocks instead, for a bounded time.
void CIrcClient::FinishSending()
{
    ConnectionSends* sends = Sends();
    CTlsSession* tls = Tls();
    if (m_socket == 0 || !sends || IsBeingConnected())
        return;
    WSAAsyncSelect(m_socket, m_hDialog, 0, 0);
    u_long nonBlocking = 0;
    ioctlsocket(m_socket, FIONBIO, &nonBlocking);
    const DWORD timeout = kLeavingSendTimeoutMs;
    setsockopt(m_socket, SOL_SOCKET, SO_SNDTIMEO, (const char*)&timeout, sizeof timeout);
    if (tls && !tls->FlushOutput())
        return;
    if (sends->queue.SendWaiting(g_pfnSendTicks()) != SendProgress::Failed && tls &&
        sends->queue.MillisecondsUntilNextLine(g_pfnSendTicks()) == kNoLineWaiting)
        tls->SendCloseNotify();
}

// Records a full socket left half sent go before any further line.
void CIrcClient::OnSocketWrite()
{
    if (CTlsSession* tls = Tls())
        tls->FlushOutput();
    FlushSendQueue();
}

bool CIrcClient::SendPacedAnswer(const char* answer)
{
    uint32_t fullAt = (uint32_t)(uintptr_t)GetPropA(m_hDialog, kAnswerPaceProperty);
    if (!TakeCtcpAnswer(fullAt, g_pfnSendTicks()))
        return false;
    SetPropA(m_hDialog, kAnswerPaceProperty, (HANDLE)(uintptr_t)fullAt);
    SendLine("%s", answer);
    return true;
}

// A new connection is a new server's count of our lines.
void CIrcClient::ForgetCtcpAnswers()
{
    RemovePropA(m_hDialog, kAnswerPaceProperty);
}
