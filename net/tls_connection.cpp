// TLS on the server connection: the handshake between FD_CONNECT and the
// registration, the certificate's check, and the refusals. Nothing of the
// user's goes out before the certificate passed.
#include "net/server_connection.h"

#include "net/certificate_check.h"
#include "net/send_clock.h"
#include "net/tls_session.h"

namespace {

// The handshake's time is looked at this often; the clock, not the timer,
// says when it is up, so that a test can step through it.
const UINT kHandshakeCheckMs = 1000;

} // namespace

void CServerConnection::OpenTlsSession()
{
    m_pTls = new CTlsSession(m_socket, m_szHost, g_pfnSendTicks());
    SetTimer(m_hWindow, kHandshakeTimer, kHandshakeCheckMs, NULL);
}

// A server that takes the connection and never answers would otherwise
// leave the window connecting for ever.
void CServerConnection::OnHandshakeTimer()
{
    const TlsStep step = m_pTls ? m_pTls->CheckHandshakeTime(g_pfnSendTicks()) : TlsStep::Established;
    if (step == TlsStep::Refused)
        RefuseTlsConnection();
    else if (step == TlsStep::Established)
        KillTimer(m_hWindow, kHandshakeTimer);
}

void CServerConnection::StartTlsHandshake()
{
    if (m_pTls->StartHandshake() == TlsStep::Refused)
        RefuseTlsConnection();
}

void CServerConnection::ContinueTlsHandshake(bool closed)
{
    if (!m_pTls)
        return;
    // The handshake is over: what the server sends waits in the socket for
    // the certificate's verdict, and a server that closes is refused.
    if (m_pCheck) {
        if (closed) {
            m_pTls->Refuse(TlsRefusal::ClosedEarly);
            RefuseTlsConnection();
        }
        return;
    }
    switch (m_pTls->ContinueHandshake(closed)) {
    case TlsStep::Pending:     return;
    case TlsStep::Established:
        m_closedInHandshake = closed;
        OnTlsEstablished();
        return;
    case TlsStep::Refused:     RefuseTlsConnection(); return;
    }
}

// The window goes on while a worker checks the certificate: the connection
// stays being connected, under the handshake's time limit, until its answer.
void CServerConnection::OnTlsEstablished()
{
    m_pCheck = m_pTls->CheckServerCertificate(m_hWindow);
    if (!m_pCheck)
        RefuseTlsConnection();
}

void CServerConnection::ForgetCertificateCheck()
{
    if (m_pCheck)
        m_pCheck->Release();
    m_pCheck = NULL;
}

// Registration goes out only now. The answer of a check this connection
// has let go of (the time limit) may be freed already: it is only
// compared, never read.
INT_PTR CServerConnection::OnCertificateChecked(WPARAM request)
{
    if (!m_pCheck || (WPARAM)m_pCheck != request || !m_pCheck->IsAnswered())
        return 0;
    const uint32_t error = m_pCheck->Error();
    ForgetCertificateCheck();
    if (!m_pTls->AcceptCertificateVerdict(error)) {
        RefuseTlsConnection();
        return 1;
    }
    KillTimer(m_hWindow, kHandshakeTimer);
    // The server's bytes that came during the check wait unread, and their
    // FD_READ was not answered by a read: none would come again.
    PostMessageA(m_hWindow, WM_SOCKET_EVENT, (WPARAM)m_socket, WSAMAKESELECTREPLY(FD_READ, 0));
    // Nor would a close that came with the handshake's last records.
    if (m_closedInHandshake)
        PostMessageA(m_hWindow, WM_SOCKET_EVENT, (WPARAM)m_socket, WSAMAKESELECTREPLY(FD_CLOSE, 0));
    WatchLiveness();
    m_events.OnConnected(m_pTls->DescribeProtocol());
    return 1;
}

// No way past a refusal: the connection ends before anything is sent. The
// two refusals that can have many causes carry their code.
void CServerConnection::RefuseTlsConnection()
{
    FailureReport report = { ConnectionFailure::TlsRefused, m_pTls->Refusal(), 0 };
    if (report.refusal == TlsRefusal::HandshakeFailed)
        report.code = (uint32_t)m_pTls->HandshakeError();
    else if (report.refusal == TlsRefusal::BadCertificate)
        report.code = (uint32_t)m_pTls->CertificateError();
    m_events.OnFailed(report);
}

void CServerConnection::AnnounceBufferedInput()
{
    if (m_pTls && m_pTls->HasBufferedInput())
        PostMessageA(m_hWindow, WM_SOCKET_EVENT, (WPARAM)m_socket, WSAMAKESELECTREPLY(FD_READ, 0));
}
