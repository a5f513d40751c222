// TLS on the server connection: the handshake between FD_CONNECT and the
// registration, the certificate's verdict in the server tab, and the
// refusals. Nothing of the user's goes out before the certificate passed.
#include "client/irc_client.h"

#include "net/certificate_check.h"
#include "net/send_clock.h"
#include "net/tls_session.h"
#include "protocol/colours.h"

#include <stdio.h>

namespace {

// The record has no room for the session: the dialog keeps it as a
// property for as long as the connection lasts.
const char kTlsProperty[] = "TalvoConnectionTls";
// The certificate's check, while the dialog waits for its answer.
const char kCheckProperty[] = "TalvoCertificateCheck";

// The handshake's time is looked at this often; the clock, not the timer,
// says when it is up, so that a test can step through it.
const UINT kHandshakeCheckMs = 1000;

// Each line is its own format: PrintLine converts the format from code page
// 1251, while its arguments go in as UTF-8.
struct RefusalLine {
    TlsRefusal refusal;
    const char* format;  // the colour, then the code of the failure ("" if none)
};

const RefusalLine kRefusalLines[] = {
    { TlsRefusal::UnknownIssuer,
      "\r\n%s*** Сертификат сервера выдан неизвестным центром сертификации. Соединение разорвано.%s" },
    { TlsRefusal::WrongName, "\r\n%s*** Сертификат сервера выдан на другое имя. Соединение разорвано.%s" },
    { TlsRefusal::Expired, "\r\n%s*** Срок действия сертификата сервера истёк. Соединение разорвано.%s" },
    { TlsRefusal::BadCertificate, "\r\n%s*** Сертификат сервера не прошёл проверку. Соединение разорвано.%s" },
    { TlsRefusal::NotTls,
      "\r\n%s*** Сервер ответил без шифрования: на этом порту нет TLS. Соединение разорвано.%s" },
    { TlsRefusal::ClosedEarly, "\r\n%s*** Сервер закрыл соединение, не закончив установку шифрования.%s" },
    { TlsRefusal::HandshakeFailed, "\r\n%s*** Не удалось установить зашифрованное соединение с сервером.%s" },
    { TlsRefusal::TimedOut,
      "\r\n%s*** Сервер не закончил установку шифрования за 30 секунд. Соединение разорвано.%s" },
    { TlsRefusal::FlightTooLarge,
      "\r\n%s*** Сервер прислал при установке шифрования больше 128 КБ (слишком длинная цепочка сертификатов). "
      "Соединение разорвано.%s" },
    { TlsRefusal::HostTooLong,
      "\r\n%s*** Имя сервера длиннее 253 знаков: зашифрованное соединение с ним невозможно. Соединение разорвано.%s" },
};
static_assert(kTlsHandshakeTimeoutMs == 30000, "the line of TimedOut names the timeout");
static_assert(kTlsLargestFlight == 128 * 1024, "the line of FlightTooLarge names the limit");
static_assert(kTlsLongestHostName == 253, "the line of HostTooLong names the limit");

} // namespace

CTlsSession* CIrcClient::Tls() const
{
    return (CTlsSession*)GetPropA(m_hDialog, kTlsProperty);
}

void CIrcClient::OpenTlsSession()
{
    CloseTlsSession();
    SetPropA(m_hDialog, kTlsProperty, (HANDLE) new CTlsSession(m_socket, m_szServerHost, g_pfnSendTicks()));
    SetTimer(m_hDialog, kHandshakeTimer, kHandshakeCheckMs, NULL);
}

void CIrcClient::CloseTlsSession()
{
    KillTimer(m_hDialog, kHandshakeTimer);
    ForgetCertificateCheck();
    delete (CTlsSession*)RemovePropA(m_hDialog, kTlsProperty);
}

// A server that takes the connection and never answers would otherwise
// leave the window connecting for ever.
void CIrcClient::OnHandshakeTimer()
{
    CTlsSession* tls = Tls();
    const TlsStep step = tls ? tls->CheckHandshakeTime(g_pfnSendTicks()) : TlsStep::Established;
    if (step == TlsStep::Refused)
        RefuseTlsConnection();
    else if (step == TlsStep::Established)
        KillTimer(m_hDialog, kHandshakeTimer);
}

void CIrcClient::StartTlsHandshake()
{
    if (Tls()->StartHandshake() == TlsStep::Refused)
        RefuseTlsConnection();
}

void CIrcClient::ContinueTlsHandshake(bool closed)
{
    CTlsSession* tls = Tls();
    if (!tls)
        return;
    // The handshake is over: what the server sends waits in the socket for
    // the certificate's verdict, and a server that closes is refused.
    if (PendingCertificateCheck()) {
        if (closed) {
            tls->Refuse(TlsRefusal::ClosedEarly);
            RefuseTlsConnection();
        }
        return;
    }
    switch (tls->ContinueHandshake(closed)) {
    case TlsStep::Pending:     return;
    case TlsStep::Established: OnTlsEstablished(); return;
    case TlsStep::Refused:     RefuseTlsConnection(); return;
    }
}

// The window goes on while a worker checks the certificate: the connection
// stays being connected, under the handshake's time limit, until its answer.
void CIrcClient::OnTlsEstablished()
{
    CCertificateCheck* check = Tls()->CheckServerCertificate(m_hDialog);
    if (!check) {
        RefuseTlsConnection();
        return;
    }
    SetPropA(m_hDialog, kCheckProperty, (HANDLE)check);
}

CCertificateCheck* CIrcClient::PendingCertificateCheck() const
{
    return (CCertificateCheck*)GetPropA(m_hDialog, kCheckProperty);
}

void CIrcClient::ForgetCertificateCheck()
{
    if (CCertificateCheck* check = (CCertificateCheck*)RemovePropA(m_hDialog, kCheckProperty))
        check->Release();
}

// Registration, the NickServ password with it, goes out only now. The
// answer of a check this window has let go of (a logout, the time limit)
// may be freed already: it is only compared, never read.
INT_PTR CIrcClient::OnCertificateChecked(WPARAM request)
{
    CCertificateCheck* check = PendingCertificateCheck();
    if (!check || (WPARAM)check != request || !check->IsAnswered())
        return 0;
    const uint32_t error = check->Error();
    ForgetCertificateCheck();
    CTlsSession* tls = Tls();
    if (!tls->AcceptCertificateVerdict(error)) {
        RefuseTlsConnection();
        return 1;
    }
    KillTimer(m_hDialog, kHandshakeTimer);
    PrintLine(FindTab(m_szServer), "\r\n%s*** Соединение зашифровано (%s), сертификат сервера проверен.",
              COLOUR_CONNECTION, tls->DescribeProtocol());
    SendRegistration();
    // The server's bytes that came during the check wait unread, and their
    // FD_READ was not answered by a read: none would come again.
    PostMessageA(m_hDialog, WM_SOCKET_EVENT, (WPARAM)m_socket, WSAMAKESELECTREPLY(FD_READ, 0));
    return 1;
}

// No way past a refusal: the connection ends before anything is sent.
void CIrcClient::RefuseTlsConnection()
{
    const CTlsSession* tls = Tls();
    // The two refusals that can have many causes name theirs.
    char code[32] = "";
    if (tls->Refusal() == TlsRefusal::HandshakeFailed)
        snprintf(code, sizeof code, " Код 0x%08lX.", (unsigned long)tls->HandshakeError());
    else if (tls->Refusal() == TlsRefusal::BadCertificate)
        snprintf(code, sizeof code, " Код 0x%08lX.", (unsigned long)tls->CertificateError());
    for (const RefusalLine& line : kRefusalLines) {
        if (line.refusal == tls->Refusal())
            PrintLine(FindTab(m_szServer), line.format, COLOUR_CONNECTION, code);
    }
    AbandonConnection();
}

void CIrcClient::AnnounceBufferedInput()
{
    const CTlsSession* tls = Tls();
    if (tls && tls->HasBufferedInput())
        PostMessageA(m_hDialog, WM_SOCKET_EVENT, (WPARAM)m_socket, WSAMAKESELECTREPLY(FD_READ, 0));
}
