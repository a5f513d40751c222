// One connection to an IRC server, whole: the socket and its events, the
// socket library reference, the name lookup, TLS and its certificate check,
// the outgoing queue and its pace, the received lines, and what the server
// said of our registration. Deleting it ends every part at once.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "net/connection_events.h"
#include "net/window_messages.h"
#include "protocol/capabilities.h"
#include "protocol/server_rules.h"

#include <stddef.h>
#include <stdint.h>

class CCertificateCheck;
class CHostLookup;
class CSendQueue;
class CTlsSession;

class CServerConnection {
public:
    // Starts connecting to host: a dotted address at once, a name once a
    // worker has resolved it. The window gets the socket's messages, the
    // workers' answers and the timers. Lines are assembled in line
    // (capacity bytes, all zero). NULL, with *failure set, when the
    // connection could not even start.
    static CServerConnection* Start(HWND window, IConnectionEvents& events, const char* host,
                                    unsigned short port, bool tls, char* line, size_t capacity,
                                    ConnectionFailure* failure);
    ~CServerConnection();

    CServerConnection(const CServerConnection&) = delete;
    CServerConnection& operator=(const CServerConnection&) = delete;

    // 0 while the name is being resolved.
    SOCKET Socket() const { return m_socket; }
    int32_t PendingLineLength() const { return m_lineLen; }
    // Name lookup, TLS handshake, certificate check: nothing of the user's
    // may go out yet.
    bool IsBeingConnected() const;

    // The window's messages about the connection; each returns 0 for what
    // is not this connection's.
    INT_PTR OnSocketEvent(WORD event, int error);
    INT_PTR OnHostResolved(WPARAM request);
    INT_PTR OnCertificateChecked(WPARAM request);
    INT_PTR OnTimer(WPARAM id);
    // Reads what has arrived, for a bounded time, handing each line to the
    // events; called from OnTextArrived.
    void TakeArrivedLines();

    // The outgoing side (net/send_line.cpp). Each line of text goes
    // into the queue whole, within one IRC line; returns the bytes queued.
    int QueueLines(const char* text);
    bool CanQueueTypedLines(size_t count, size_t bytes) const;
    size_t CountWaitingLines() const;
    // The user leaves: QUIT goes before everything that waits, which is
    // dropped.
    void SendQuitFirst(const char* quitLine);
    // The connection is about to end for good: what a full socket held
    // back (the QUIT, the rest of a line, TLS records) goes first.
    void FinishSending();
    void OnSocketWrite();

    // Registration (net/registration.cpp): commands the server refused
    // with 451 before its welcome are asked for again after it.
    void OnNotRegistered(const char* rest);
    void OnWelcome();
    bool IsRegistered() const { return m_welcomed; }
    void ForgetRegistration();
    // What the server announced of its rules (ISUPPORT); the defaults
    // until it does.
    const ServerRules& Rules() const { return m_rules; }
    void ReadRules(const char* params) { ReadServerRules(m_rules, params); }
    // What this link negotiated with the server (CAP, SASL).
    CCapNegotiation& Capabilities() { return m_caps; }
    // The longest line this server takes, CR LF included: its LINELEN, as
    // far as the queue holds.
    size_t LineLimit() const;
    // A link that replaces a dropped one starts from what that server said.
    void HoldToRules(const ServerRules& rules) { m_rules = rules; }
    // CTCP answers are paced per connection (net/send_line.cpp): false
    // when one would go beyond the pace.
    bool TakeCtcpAnswerTurn();
    void ForgetCtcpAnswers() { m_answersFullAt = 0; }

private:
    // Told by the destructor that the connection is gone, for every event
    // still running on the stack.
    class CDeletionWatch;

    CServerConnection(HWND window, IConnectionEvents& events, const char* host, char* line, size_t capacity);

    bool OpenSocket(in_addr address, unsigned short port, bool tls);
    void OnSocketRead();
    void OnSocketConnect(int error);
    void OnSocketClose();
    // Shows what the server sent before its close, then reports the close.
    void TakeLastLinesAndClose();
    int ReceiveFromServer(char* bytes, int capacity);
    // Whether more text can be read within `milliseconds`.
    bool WaitForMoreText(DWORD milliseconds) const;
    // The line assembler's handler: context is the read's CDeletionWatch.
    static bool DeliverLine(void* context);
    void Fail(ConnectionFailure failure);
    // A made connection is watched for silence (net/liveness.cpp).
    void WatchLiveness();
    void OnLivenessTimer();

    // TLS (net/tls_connection.cpp).
    void OpenTlsSession();
    void StartTlsHandshake();
    void ContinueTlsHandshake(bool closed);
    void OnTlsEstablished();
    void ForgetCertificateCheck();
    void RefuseTlsConnection();
    void OnHandshakeTimer();
    // Buffered TLS input has no FD_READ of its own: one is posted for it.
    void AnnounceBufferedInput();

    void OpenSendQueue();
    void FlushSendQueue();

    HWND m_hWindow;
    IConnectionEvents& m_events;
    CDeletionWatch* m_pWatch;
    SOCKET m_socket;
    CHostLookup* m_pLookup;
    CTlsSession* m_pTls;
    CCertificateCheck* m_pCheck;
    CSendQueue* m_pQueue;
    char* m_pLine;
    size_t m_lineCapacity;
    int32_t m_lineLen;
    // The first chunk of arrived text, until TakeArrivedLines takes it. A
    // chunk holds about a hundred lines of a busy channel: every read is a
    // call into the system (under Wine a round trip to the wine server), and
    // one of 1 KB took in about seven.
    int m_arrivedLen;
    char m_arrived[16384];
    // The window asked for no more lines of this read.
    bool m_readStopped;
    // The server's close came with the TLS handshake's last records.
    bool m_closedInHandshake;
    // When the last read ended (g_pfnSendTicks).
    DWORD m_lastReadEnd;
    // When the server was last heard from (g_pfnSendTicks), and whether our
    // PING has gone since.
    uint32_t m_lastHeardAt;
    bool m_pinged;
    bool m_welcomed;
    bool m_refusedServicesLogin;
    bool m_refusedJoin;
    ServerRules m_rules;
    CCapNegotiation m_caps;
    // The last flush left lines waiting: their end is told when none are left.
    bool m_linesWaited;
    // The CTCP answers' bucket: the tick when it is full again (net/pace.h).
    uint32_t m_answersFullAt;
    // The server's name as given, for the lookup and TLS's server name.
    char m_szHost[1024];
};
