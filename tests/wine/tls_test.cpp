// TLS under Wine against tests/wine/tls/tls_peer.py, run by run-tls-test.sh
// where its test authority is trusted: the handshake and the records
// however the server's bytes are cut, and each refusal with its line and
// nothing of the user's sent.
#include "client/control_ids.h"
#include "net/certificate_check.h"
#include "net/tls_session.h"
#include "protocol/tokens.h"
#include "support/chat_fixture.h"

#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>

namespace {

const unsigned short kControlPort = 17675;

// The peer's control line: the scenario of the next connection, and what
// came of it once that connection has ended.
class PeerControl {
public:
    PeerControl()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(kControlPort);
        if (connect(m_socket, (sockaddr*)&address, sizeof address) != 0)
            ADD_FAILURE() << "no TLS peer on port " << kControlPort << " (run-tls-test.sh starts it)";
        u_long nonBlocking = 1;
        ioctlsocket(m_socket, FIONBIO, &nonBlocking);
    }
    ~PeerControl()
    {
        closesocket(m_socket);
        WSACleanup();
    }

    void Expect(const std::string& scenario)
    {
        const std::string line = scenario + "\n";
        send(m_socket, line.data(), (int)line.size(), 0);
    }

    // Pumps the window's messages while it waits.
    std::string Report()
    {
        std::string report;
        PumpUntil([&] {
            char chunk[4096];
            const int n = recv(m_socket, chunk, sizeof chunk, 0);
            if (n > 0)
                report.append(chunk, n);
            return report.find('\n') != std::string::npos;
        }, 20000);
        return report.substr(0, report.find('\n'));
    }

private:
    SOCKET m_socket;
};

class TlsTest : public ::testing::Test {
protected:
    CIrcClient& Client() { return window.Client(); }

    // Logs in to localhost on the TLS port, with a NickServ password.
    void ConnectFor(const std::string& scenario)
    {
        control.Expect(scenario);
        CIrcClient& client = Client();
        CopyText(client.m_szServer, sizeof client.m_szServer, "localhost");
        CopyText(client.m_szNick, sizeof client.m_szNick, "tester");
        CopyText(client.m_szUserName, sizeof client.m_szUserName, "username");
        CopyText(client.m_szRealName, sizeof client.m_szRealName, "description");
        SetWindowTextA(client.GetControl(IDC_PASSWORD), "secret");
        client.OpenTab(client.m_szServer);
        ASSERT_TRUE(client.Connect(6697, true));
        client.m_connected = 1;
        client.m_loginState = 2;
    }

    bool Shows(const std::string& text) const
    {
        return window.OutputText("localhost").find(text) != std::string::npos;
    }

    PeerControl control;
    TestChatWindow window;
};

// How the server's encrypted bytes reach the client.
class AcceptedTls : public TlsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AcceptedTls, RegistrationGoesEncryptedAndEveryLineComesBack)
{
    ConnectFor(std::string("good ") + GetParam());
    ASSERT_TRUE(PumpUntil([&] { return Shows("pong received"); }, 20000)) << window.OutputText("localhost");

    EXPECT_TRUE(Shows("*** Соединение зашифровано (TLS 1."));
    const std::string output = window.OutputText("localhost");
    const size_t user = output.find("got USER username # # :description");
    const size_t nick = output.find("got NICK tester");
    const size_t identify = output.find("got PRIVMSG NickServ :identify secret");
    const size_t join = output.find("got JOIN :#marketbay");
    EXPECT_TRUE(user < nick && nick < identify && identify < join && join != std::string::npos) << output;

    Client().LeaveServer();
    EXPECT_EQ("accepted CAP LS 302|USER username # # :description|NICK tester|PRIVMSG NickServ :identify secret|"
              "JOIN :#marketbay then QUIT :http://talvo.example/irc|close_notify",
              control.Report());
}

INSTANTIATE_TEST_SUITE_P(Delivery, AcceptedTls,
                         ::testing::Values("whole", "split", "batched", "big", "asking", "large"),
                         [](const ::testing::TestParamInfo<const char*>& row) { return std::string(row.param); });

class PanelTls : public TlsTest, public ::testing::WithParamInterface<const char*> {};

// The port as the user writes it on the login panel: a '+' asks for TLS on
// any port, and the registered TLS port needs none.
TEST_P(PanelTls, PortFieldChoosesTls)
{
    control.Expect("good whole");
    HWND servers = Client().GetControl(IDC_SERVER_LIST);
    SendMessageA(servers, CB_ADDSTRING, 0, (LPARAM) "localhost");
    SendMessageA(servers, CB_SETCURSEL, 0, 0);
    SetWindowTextA(Client().GetControl(IDC_NICK), "tester");
    SetWindowTextA(Client().GetControl(IDC_PASSWORD), "secret");
    SetWindowTextA(Client().GetControl(IDC_PORT), GetParam());
    Client().OnLoginButton();
    ASSERT_TRUE(PumpUntil([&] { return Shows("pong received"); }, 20000)) << window.OutputText("localhost");

    EXPECT_TRUE(Shows("*** Соединение зашифровано (TLS 1."));
    EXPECT_FALSE(Shows("*** Соединение не зашифровано"));
    Client().LeaveServer();
    EXPECT_EQ("accepted CAP LS 302|USER username # # :description|NICK tester|PRIVMSG NickServ :identify secret|"
              "JOIN :#marketbay then QUIT :http://talvo.example/irc|close_notify",
              control.Report());
}

INSTANTIATE_TEST_SUITE_P(Ports, PanelTls, ::testing::Values("+7000", "6697"),
                         [](const ::testing::TestParamInfo<const char*>& row) {
                             return std::string(row.param[0] == '+' ? "plus" : "bare") + (row.param + (row.param[0] == '+'));
                         });

struct LeavingRow {
    const char* name;
    void (*leave)(CIrcClient& client);
};

class LeavingTls : public TlsTest, public ::testing::WithParamInterface<LeavingRow> {};

// The server sees the QUIT line, then the TLS close, before the TCP close.
TEST_P(LeavingTls, QuitThenCloseNotify)
{
    ConnectFor("good whole");
    ASSERT_TRUE(PumpUntil([&] { return Shows("pong received"); }, 20000));
    GetParam().leave(Client());
    EXPECT_EQ("accepted CAP LS 302|USER username # # :description|NICK tester|PRIVMSG NickServ :identify secret|"
              "JOIN :#marketbay then QUIT :http://talvo.example/irc|close_notify",
              control.Report());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LeavingTls,
    ::testing::Values(LeavingRow{ "logout", [](CIrcClient& client) { client.OnLogoutButton(); } },
                      LeavingRow{ "window_closed", [](CIrcClient& client) { client.OnDialogClose(); } }),
    [](const ::testing::TestParamInfo<LeavingRow>& row) { return std::string(row.param.name); });

TEST_F(TlsTest, SeveralRecordsInOneReadComeInOrder)
{
    ConnectFor("good batched");
    ASSERT_TRUE(PumpUntil([&] { return Shows("pong received"); }, 20000));
    const std::string output = window.OutputText("localhost");
    size_t last = 0;
    for (int i = 0; i < 20; ++i) {
        char record[16];
        snprintf(record, sizeof record, "record %02d", i);
        const size_t at = output.find(record);
        ASSERT_NE(std::string::npos, at) << record;
        EXPECT_LT(last, at) << record;
        last = at;
    }
    Client().LeaveServer();
    control.Report();
}

TEST_F(TlsTest, RecordLargerThanTheReadChunkIsWhole)
{
    ConnectFor("good big");
    ASSERT_TRUE(PumpUntil([&] { return Shows("pong received"); }, 20000));
    for (int i = 0; i < 70; ++i) {
        char line[16];
        snprintf(line, sizeof line, "big %03d xxx", i);
        EXPECT_TRUE(Shows(line)) << line;
    }
    Client().LeaveServer();
    control.Report();
}

struct RefusalRow {
    const char* scenario;
    const char* line;
    const char* report;  // the peer's: nothing of the user's came
};

class RefusedTls : public TlsTest, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(RefusedTls, EndsBeforeAnythingIsSentAndSaysWhy)
{
    ConnectFor(GetParam().scenario);
    ASSERT_TRUE(PumpUntil([&] { return Client().m_connected == 0; }, 20000));
    EXPECT_EQ(GetParam().report, control.Report());

    // The user's line is held in a u8 variable: the macros below would
    // otherwise stringize it into the test's code page.
    const std::string line = GetParam().line;
    EXPECT_TRUE(Shows(line)) << window.OutputText("localhost");
    EXPECT_FALSE(Shows("зашифровано ("));
    EXPECT_EQ(0u, Client().m_socket);
    EXPECT_EQ(0, Client().m_loginState);
    EXPECT_FALSE(Client().IsBeingConnected());
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusedTls,
    ::testing::Values(
        RefusalRow{ "other", "*** Сертификат сервера выдан на другое имя. Соединение разорвано.", "appdata 0" },
        RefusalRow{ "self", "*** Сертификат сервера выдан неизвестным центром сертификации. Соединение разорвано.",
                    "appdata 0" },
        RefusalRow{ "expired", "*** Срок действия сертификата сервера истёк. Соединение разорвано.", "appdata 0" },
        RefusalRow{ "plain", "*** Сервер ответил без шифрования: на этом порту нет TLS. Соединение разорвано.",
                    "plaintext none" },
        RefusalRow{ "close", "*** Сервер закрыл соединение, не закончив установку шифрования.", "closed" },
        RefusalRow{ "huge",
                    "*** Сервер прислал при установке шифрования больше 128 КБ (слишком длинная цепочка "
                    "сертификатов). Соединение разорвано.",
                    "handshake failed" }),
    [](const ::testing::TestParamInfo<RefusalRow>& row) { return std::string(row.param.scenario); });

// One message at a time, the condition looked at after each: a pump that
// empties the queue first would read the whole stream before looking.
bool PumpEachUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        if (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        else
            MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

// A server sends a line, 50,000 records that hold nothing, and a line, at
// once: the window shows the first line, and so handles its messages again,
// long before it has read its way through to the second (held, it would
// show both at once).
TEST_F(TlsTest, EmptyRecordsLeaveTheWindowFree)
{
    ConnectFor("empty");
    ASSERT_TRUE(PumpEachUntil([&] { return Shows("streaming"); }, 20000)) << window.OutputText("localhost");
    EXPECT_FALSE(Shows("stream over"));

    ASSERT_TRUE(PumpUntil([&] { return Shows("stream over"); }, 20000));
    Client().LeaveServer();
    EXPECT_EQ("streamed 50000 empty records, then QUIT :http://talvo.example/irc|close_notify", control.Report());
}

// A name cut to fit would go out as SNI for another server.
TEST(TlsHostName, LongerThanDnsAllowsIsRefusedNotCut)
{
    for (const size_t length : { kTlsLongestHostName, kTlsLongestHostName + 1 }) {
        CTlsSession session(INVALID_SOCKET, std::string(length, 'a').c_str(), 0);
        EXPECT_EQ(TlsStep::Refused, session.StartHandshake()) << length;
        EXPECT_EQ(length > kTlsLongestHostName, session.Refusal() == TlsRefusal::HostTooLong) << length;
    }
}

class SilentServerTest : public TlsTest {
protected:
    FakeSendClock clock;
};

// A server that takes the connection and never answers the hello: given up
// on when the handshake's 30 seconds are up, by the clock.
TEST_F(SilentServerTest, HandshakeIsGivenUpAfterThirtySeconds)
{
    ConnectFor("silent");
    // The time is counted from the socket's opening, once the name is resolved.
    ASSERT_TRUE(PumpUntil([&] { return Client().m_socket != 0; }));
    clock.Advance(29999);
    EXPECT_FALSE(PumpUntil([&] { return Client().m_connected == 0; }, 2500)) << "not yet";
    EXPECT_TRUE(Client().IsBeingConnected());

    clock.Advance(1);
    ASSERT_TRUE(PumpUntil([&] { return Client().m_connected == 0; }, 2500));
    const std::string line = "*** Сервер не закончил установку шифрования за 30 секунд. Соединение разорвано.";
    EXPECT_TRUE(Shows(line)) << window.OutputText("localhost");
    EXPECT_EQ(0u, Client().m_socket);
    EXPECT_EQ(0, Client().m_loginState);
    EXPECT_FALSE(Client().IsBeingConnected());
    EXPECT_EQ("hello only", control.Report());
}

TEST_F(TlsTest, LogoutDuringTheHandshakeEndsIt)
{
    ConnectFor("good split");
    ASSERT_TRUE(PumpUntil([&] { return Client().m_socket != 0; }));
    ASSERT_TRUE(Client().IsBeingConnected());
    Client().OnLogoutButton();
    EXPECT_EQ(0u, Client().m_socket);
    EXPECT_FALSE(Client().IsBeingConnected());
    EXPECT_EQ("handshake failed", control.Report());
}

// Holds the certificate's check on its worker until let go, then runs the
// real one.
class HeldCertificateCheck {
public:
    HeldCertificateCheck()
    {
        s_entered = CreateEventA(NULL, TRUE, FALSE, NULL);
        s_letGo = CreateEventA(NULL, TRUE, FALSE, NULL);
        s_real = g_pfnCheckCertificate;
        g_pfnCheckCertificate = &Hold;
    }
    ~HeldCertificateCheck()
    {
        LetGo();
        if (s_worker) {
            WaitForSingleObject(s_worker, 20000);
            CloseHandle(s_worker);
            s_worker = NULL;
        }
        g_pfnCheckCertificate = s_real;
        CloseHandle(s_entered);
        CloseHandle(s_letGo);
    }

    // Pumps the window's messages until the worker is in the check.
    bool Entered() { return PumpUntil([] { return WaitForSingleObject(s_entered, 0) == WAIT_OBJECT_0; }, 20000); }
    DWORD WorkerThread() const { return s_thread; }
    void LetGo() { SetEvent(s_letGo); }
    // Pumps until the let-go worker has posted its answer and ended, then
    // handles the answer.
    bool Answered()
    {
        const bool ended = PumpUntil([] { return WaitForSingleObject(s_worker, 0) == WAIT_OBJECT_0; }, 20000);
        PumpPending();
        return ended;
    }

private:
    static uint32_t Hold(PCCERT_CONTEXT certificate, const wchar_t* host)
    {
        s_thread = GetCurrentThreadId();
        s_worker = OpenThread(SYNCHRONIZE, FALSE, s_thread);
        SetEvent(s_entered);
        WaitForSingleObject(s_letGo, 20000);
        return s_real(certificate, host);
    }

    static inline HANDLE s_entered, s_letGo, s_worker;
    static inline volatile DWORD s_thread;
    static inline uint32_t (*s_real)(PCCERT_CONTEXT certificate, const wchar_t* host);
};

struct PendingCheckRow {
    const char* name;
    // What happens while the check is held; the worker is let go after it.
    void (*act)(CIrcClient& client, FakeSendClock& clock);
    bool connects;
    const char* line;  // the server tab's, where the tab stays
};

class PendingCheck : public TlsTest, public ::testing::WithParamInterface<PendingCheckRow> {
protected:
    FakeSendClock clock;
    HeldCertificateCheck held;
};

// The handshake is over and the check waits on its worker: the window goes
// on, nothing of the user's goes out, and the time limit, a logout or a
// closed window end the wait; an answer that comes after goes nowhere. A
// server's notice sent before the verdict is read once it passed.
TEST_P(PendingCheck, WindowGoesOnAndNothingIsSentBeforeTheVerdict)
{
    ConnectFor("early");
    ASSERT_TRUE(held.Entered());
    EXPECT_NE(GetCurrentThreadId(), held.WorkerThread());
    EXPECT_TRUE(Client().IsBeingConnected());
    EXPECT_FALSE(Shows("зашифровано ("));

    GetParam().act(Client(), clock);
    held.LetGo();
    ASSERT_TRUE(held.Answered());
    if (GetParam().line) {
        const std::string line = GetParam().line;
        ASSERT_TRUE(PumpUntil([&] { return Shows(line); }, 20000)) << window.OutputText("localhost");
        EXPECT_EQ(GetParam().connects, Shows("зашифровано ("));
    }
    EXPECT_EQ(GetParam().connects, Client().m_socket != 0 && !Client().IsBeingConnected());

    if (GetParam().connects)
        Client().LeaveServer();
    const std::string report = control.Report();
    EXPECT_EQ(GetParam().connects, report != "appdata 0") << report;
}

INSTANTIATE_TEST_SUITE_P(
    Ends, PendingCheck,
    ::testing::Values(
        PendingCheckRow{ "answered", [](CIrcClient&, FakeSendClock&) {}, true, "*** early notice" },
        PendingCheckRow{ "time_limit",
                         [](CIrcClient& client, FakeSendClock& clock) {
                             clock.Advance(kTlsHandshakeTimeoutMs);
                             PumpUntil([&] { return client.m_connected == 0; }, 5000);
                         },
                         false,
                         "*** Сервер не закончил установку шифрования за 30 секунд. Соединение разорвано." },
        PendingCheckRow{ "logout", [](CIrcClient& client, FakeSendClock&) { client.OnLogoutButton(); }, false,
                         nullptr },
        PendingCheckRow{ "window_closed", [](CIrcClient& client, FakeSendClock&) { client.OnDialogClose(); },
                         false, nullptr }),
    [](const ::testing::TestParamInfo<PendingCheckRow>& row) { return std::string(row.param.name); });

} // namespace
