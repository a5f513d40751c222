#include "client/chat_connection.h"

#include "client/control_ids.h"
#include "client/irc_client.h"
#include "client/drop_reasons.h"
#include "output/redraw_pause.h"
#include "output/output_batch.h"
#include "protocol/colours.h"
#include "protocol/tokens.h"

#include <stdio.h>
#include <string.h>

#include <initializer_list>

namespace {

// The connections of this thread's windows, newest first. A window
// property would do, but under Wine reading one is a round trip to the
// window server, and the handlers of every line look the connection up many
// times (its rules fold every name they compare).
thread_local CChatConnection* t_pFirstConnection;

// Each line is its own format: PrintLine converts the format from code page
// 1251, while its arguments go in as UTF-8.
struct FailureLine {
    ConnectionFailure failure;
    TlsRefusal refusal;
    const char* format;  // the colour, then the code of the failure ("" if none)
};

const FailureLine kFailureLines[] = {
    { ConnectionFailure::SocketLibrary, TlsRefusal::None, "\r\n%s*** Ошибка инициализации сокета.%s" },
    { ConnectionFailure::NoAnswer, TlsRefusal::None, "\r\n%s*** Невозможно получить ответ от IRC сервера.%s" },
    { ConnectionFailure::Socket, TlsRefusal::None, "\r\n%s*** Ошибка сокета.%s" },
    { ConnectionFailure::Connect, TlsRefusal::None, "\n%s*** Невозможно подключиться к IRC серверу%s" },
    { ConnectionFailure::TlsRefused, TlsRefusal::UnknownIssuer,
      "\r\n%s*** Сертификат сервера выдан неизвестным центром сертификации. Соединение разорвано.%s" },
    { ConnectionFailure::TlsRefused, TlsRefusal::WrongName,
      "\r\n%s*** Сертификат сервера выдан на другое имя. Соединение разорвано.%s" },
    { ConnectionFailure::TlsRefused, TlsRefusal::Expired,
      "\r\n%s*** Срок действия сертификата сервера истёк. Соединение разорвано.%s" },
    { ConnectionFailure::TlsRefused, TlsRefusal::BadCertificate,
      "\r\n%s*** Сертификат сервера не прошёл проверку. Соединение разорвано.%s" },
    { ConnectionFailure::TlsRefused, TlsRefusal::NotTls,
      "\r\n%s*** Сервер ответил без шифрования: на этом порту нет TLS. Соединение разорвано.%s" },
    { ConnectionFailure::TlsRefused, TlsRefusal::ClosedEarly,
      "\r\n%s*** Сервер закрыл соединение, не закончив установку шифрования.%s" },
    { ConnectionFailure::TlsRefused, TlsRefusal::HandshakeFailed,
      "\r\n%s*** Не удалось установить зашифрованное соединение с сервером.%s" },
    { ConnectionFailure::TlsRefused, TlsRefusal::TimedOut,
      "\r\n%s*** Сервер не закончил установку шифрования за 30 секунд. Соединение разорвано.%s" },
    { ConnectionFailure::TlsRefused, TlsRefusal::FlightTooLarge,
      "\r\n%s*** Сервер прислал при установке шифрования больше 128 КБ (слишком длинная цепочка сертификатов). "
      "Соединение разорвано.%s" },
    { ConnectionFailure::TlsRefused, TlsRefusal::HostTooLong,
      "\r\n%s*** Имя сервера длиннее 253 знаков: зашифрованное соединение с ним невозможно. Соединение разорвано.%s" },
};
static_assert(kTlsHandshakeTimeoutMs == 30000, "the line of TimedOut names the timeout");
static_assert(kTlsLargestFlight == 128 * 1024, "the line of FlightTooLarge names the limit");
static_assert(kTlsLongestHostName == 253, "the line of HostTooLong names the limit");

} // namespace

CChatConnection::CChatConnection(CIrcClient& client, unsigned short port, bool tls)
    : m_client(client), m_pNext(NULL), m_pServer(NULL), m_port(port), m_tls(tls), m_delay(), m_reconnectAt(0),
      m_replacesDropped(false), m_sessionEnded(false), m_szDropReason(), m_szWaitingTab(), m_szUserNick(),
      m_nickRetries(0), m_nickServAwaitedSince(0), m_awaitingNickServ(false), m_nickServAwaited(false),
      m_saslStartedAt(0), m_joinAwaitedSince(0), m_joinAwaited(false),
      m_szAwayText()
{
    ResetServerRules(m_droppedRules);
}

CChatConnection::~CChatConnection()
{
    KillTimer(m_client.m_hDialog, kReconnectTimer);
    for (UINT_PTR timer : { kIdentifyTimer, kSaslTimer, kJoinTimer })
        KillTimer(m_client.m_hDialog, timer);
    delete m_pServer;
}

CChatConnection* CChatConnection::Start(CIrcClient& client, unsigned short port, bool tls)
{
    CChatConnection* chat = new CChatConnection(client, port, tls);
    ConnectionFailure failure = ConnectionFailure::Socket;
    if (!chat->StartLink(&failure)) {
        const FailureReport report = { failure, TlsRefusal::None, 0 };
        chat->ShowFailure(report);
        delete chat;
        return NULL;
    }
    chat->m_pNext = t_pFirstConnection;
    t_pFirstConnection = chat;
    return chat;
}

bool CChatConnection::StartLink(ConnectionFailure* failure)
{
    m_pServer = CServerConnection::Start(m_client.m_hDialog, *this, m_client.m_szServer, m_port, m_tls,
                                         m_client.m_ioBuf, sizeof m_client.m_ioBuf, failure);
    return m_pServer != NULL;
}

CChatConnection* CChatConnection::Of(HWND dialog)
{
    for (CChatConnection* chat = t_pFirstConnection; chat; chat = chat->m_pNext)
        if (chat->m_client.m_hDialog == dialog)
            return chat;
    return NULL;
}

void CChatConnection::End(HWND dialog)
{
    for (CChatConnection** link = &t_pFirstConnection; *link; link = &(*link)->m_pNext) {
        if ((*link)->m_client.m_hDialog == dialog) {
            CChatConnection* chat = *link;
            *link = chat->m_pNext;
            delete chat;
            return;
        }
    }
}

void CChatConnection::ShowWaitingLines(const char* tab)
{
    const size_t waiting = m_pServer ? m_pServer->CountWaitingLines() : 0;
    if (waiting == 0)
        return;
    m_client.PrintLine(m_client.FindTab(tab), "\r\n%s*** Строк в очереди на отправку: %u (по одной в 2 секунды)",
                       COLOUR_CONNECTION, (unsigned)waiting);
    CopyText(m_szWaitingTab, sizeof m_szWaitingTab, tab);
}

void CChatConnection::OnConnecting()
{
    memcpy(m_client.m_szServerHost, m_client.m_szServer, sizeof m_client.m_szServerHost);
    m_client.PrintLine(m_client.FindTab(m_client.m_szServer), "\r\n%s*** Соединяюсь с %s...", COLOUR_CONNECTION,
                       m_client.m_szServerHost);
}

// Anyone on the way can read a NickServ password sent in clear: the user is
// told before it goes.
void CChatConnection::OnConnected(const char* tlsProtocol)
{
    HWND serverOutput = m_client.FindTab(m_client.m_szServer);
    if (tlsProtocol)
        m_client.PrintLine(serverOutput, "\r\n%s*** Соединение зашифровано (%s), сертификат сервера проверен.",
                           COLOUR_CONNECTION, tlsProtocol);
    else if (GetWindowTextLengthA(m_client.GetControl(IDC_PASSWORD)) > 0)
        m_client.PrintLine(serverOutput, "\r\n%s*** Соединение не зашифровано: пароль уйдёт на сервер открытым "
                           "текстом. Для шифрования укажите порт с \"+\" (например, +6697).", COLOUR_CONNECTION);
    StartRegistration();
    m_client.SendRegistration();
}

// The line may end the connection, and this object with it.
bool CChatConnection::OnLineReceived()
{
    CIrcClient& client = m_client;
    client.ProcessLine();
    return client.m_connected != 0;
}

// The lines and user list changes of everything read in one go are shown at
// once: a burst costs one redraw per read instead of one per line.
void CChatConnection::OnTextArrived()
{
    CIrcClient& client = m_client;
    // After "Выйти" nothing more is read, not even what came before the close.
    if (!client.m_connected)
        return;
    {
        COutputBatch batch(client.m_hDialog);
        CRedrawPause userList(client.GetControl(IDC_USER_LIST));
        m_pServer->TakeArrivedLines();
    }
    // A burst keeps the window's queue full of read notifications, ahead of
    // the check the batch asked for: the scrollback is kept in bounds here.
    client.KeepScrollbackBounds();
}

// A refused certificate would be refused again: it ends the session.
void CChatConnection::OnFailed(const FailureReport& report)
{
    if (MayReconnect() && !IsCertificateRefusal(report.refusal)) {
        DropLink(DescribeFailure(report.failure));
        return;
    }
    ShowFailure(report);
    m_client.AbandonConnection();
}

void CChatConnection::OnClosed(CloseReason reason)
{
    if (MayReconnect()) {
        DropLink(m_szDropReason[0] ? m_szDropReason : DescribeClose(reason));
        return;
    }
    HWND serverOutput = m_client.FindTab(m_client.m_szServer);
    if (reason == CloseReason::TlsError)
        m_client.PrintLine(serverOutput, "\r\n%s*** Ошибка зашифрованного соединения. Соединение разорвано.",
                           COLOUR_CONNECTION);
    else if (reason == CloseReason::NoAnswer)
        m_client.PrintLine(serverOutput, "\r\n%s*** Сервер не отвечает. Соединение разорвано.", COLOUR_CONNECTION);
    m_client.OnConnectionClosed();
}

void CChatConnection::OnAllLinesSent()
{
    if (!m_szWaitingTab[0])
        return;
    m_client.PrintLine(m_client.FindTab(m_szWaitingTab), "\r\n%s*** Все строки отправлены", COLOUR_CONNECTION);
    m_szWaitingTab[0] = '\0';
}

void CChatConnection::OnSendAgainAfterWelcome(bool servicesLogin, bool join)
{
    if (servicesLogin)
        SendServicesLogin();
    if (join)
        m_client.SendJoin("#marketbay");
}

// The two refusals that can have many causes name their code.
void CChatConnection::ShowFailure(const FailureReport& report) const
{
    char code[32] = "";
    if (report.refusal == TlsRefusal::HandshakeFailed || report.refusal == TlsRefusal::BadCertificate)
        snprintf(code, sizeof code, " Код 0x%08lX.", (unsigned long)report.code);
    for (const FailureLine& line : kFailureLines) {
        if (line.failure == report.failure && line.refusal == report.refusal)
            m_client.PrintLine(m_client.FindTab(m_client.m_szServer), line.format, COLOUR_CONNECTION, code);
    }
}
