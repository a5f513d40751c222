// Capability negotiation and SASL PLAIN against a scripted server, and the
// channel join after the welcome: each row plays the server's side and
// reads back, line by line, what the client put on the wire.
#include "client/control_ids.h"
#include "support/chat_fixture.h"

#include <ostream>
#include <string>
#include <vector>

namespace {

const char kServerTab[] = "127.0.0.1";
const char kRegistration[] = "CAP LS 302\r\nUSER username # # :description\r\nNICK tester\r\n";
const char kFallback[] = "*** Вход по SASL не удался, ник будет опознан через NickServ";
// "tester\0tester\0secret" in base64.
const char kCredentials[] = "AUTHENTICATE dGVzdGVyAHRlc3RlcgBzZWNyZXQ=\r\n";
const char kIdentify[] = "PRIVMSG NickServ :identify secret\r\n";
const char kJoin[] = "JOIN :#marketbay\r\n";
const char kWelcome[] = ":irc.test 001 tester :Welcome\r\n";
const char kNickServ[] = ":NickServ!s@services NOTICE tester :Password accepted\r\n";
const char kGreeting[] =
    ":NickServ!s@services NOTICE tester :This nickname is registered. Please choose a different nickname, or "
    "identify via \x02/msg NickServ identify <password>\x02.\r\n";

struct Step {
    const char* server;  // what the server sends ("" for nothing)
    DWORD advance;       // then time passes, in ms
    const char* sent;    // what the client sends after it ("" for nothing)
};

struct ScenarioRow {
    const char* description;
    const char* password;
    std::vector<Step> steps;
    bool fallback;  // the server tab says that NickServ will identify the nick
};

void PrintTo(const ScenarioRow& row, std::ostream* out) { *out << row.description; }

class CapSaslTest : public ConnectedChatTest, public ::testing::WithParamInterface<ScenarioRow> {
protected:
    // The login panel's password goes in before the connection is made.
    void SetUp() override
    {
        SetDlgItemTextA(window.Dialog(), IDC_PASSWORD, GetParam().password);
        ConnectedChatTest::SetUp();
    }
};

TEST_P(CapSaslTest, NegotiatesThenJoinsAfterTheWelcome)
{
    const ScenarioRow& row = GetParam();
    std::string expected = kRegistration;
    ASSERT_EQ(expected, SentSince(0, expected.size()));
    for (size_t i = 0; i < row.steps.size(); ++i) {
        const Step& step = row.steps[i];
        if (step.server[0])
            ServerSends(step.server);
        clock.Advance(step.advance);
        expected += step.sent;
        // The timers look at the clock four times a second: nothing comes
        // within three looks when nothing is due.
        if (step.sent[0])
            PumpUntil([&] { return peer.Received().size() >= expected.size(); });
        else if (step.advance)
            PumpUntil([&] { return peer.Received().size() > expected.size(); }, 750);
        EXPECT_EQ(expected, peer.Received()) << "after step " << i + 1;
    }
    const std::string shown = window.OutputText(kServerTab);
    EXPECT_EQ(row.fallback, shown.find(kFallback) != std::string::npos) << shown;
    EXPECT_EQ(std::string::npos, shown.find("secret")) << shown;
    EXPECT_EQ(std::string::npos, shown.find("dGVzdGVy")) << shown;
}

INSTANTIATE_TEST_SUITE_P(Server, CapSaslTest, ::testing::Values(
    ScenarioRow{ "a list over two lines, ACK, SASL success: no identify, the join right after the welcome", "secret",
                 { { ":irc.test CAP * LS * :multi-prefix away-notify\r\n", 0, "" },
                   { ":irc.test CAP * LS :sasl=PLAIN,EXTERNAL extended-join\r\n", 0, "CAP REQ :multi-prefix sasl\r\n" },
                   { ":irc.test CAP tester ACK :multi-prefix sasl\r\n", 0, "AUTHENTICATE PLAIN\r\n" },
                   { "AUTHENTICATE +\r\n", 0, kCredentials },
                   { ":irc.test 900 tester tester!u@h tester :You are now logged in as tester\r\n", 0, "" },
                   { ":irc.test 903 tester :SASL authentication successful\r\n", 0, "CAP END\r\n" },
                   { kWelcome, 0, kJoin } }, false },
    ScenarioRow{ "NAK: CAP END, the identify after the welcome, the join after NickServ's notice", "secret",
                 { { ":irc.test CAP * LS :multi-prefix sasl\r\n", 0, "CAP REQ :multi-prefix sasl\r\n" },
                   { ":irc.test CAP * NAK :multi-prefix sasl\r\n", 0, "CAP END\r\n" },
                   { kWelcome, 0, kIdentify },
                   { kNickServ, 0, kJoin } }, false },
    ScenarioRow{ "904: NickServ identifies after the welcome, the join after its notice", "secret",
                 { { ":irc.test CAP * LS :sasl\r\n", 0, "CAP REQ :sasl\r\n" },
                   { ":irc.test CAP * ACK :sasl\r\n", 0, "AUTHENTICATE PLAIN\r\n" },
                   { "AUTHENTICATE +\r\n", 0, kCredentials },
                   { ":irc.test 904 tester :SASL authentication failed\r\n", 0, "CAP END\r\n" },
                   { kWelcome, 0, kIdentify },
                   { kNickServ, 0, kJoin } }, true },
    ScenarioRow{ "908 goes before 904, which ends the exchange", "secret",
                 { { ":irc.test CAP * LS :sasl=PLAIN\r\n", 0, "CAP REQ :sasl\r\n" },
                   { ":irc.test CAP * ACK :sasl\r\n", 0, "AUTHENTICATE PLAIN\r\n" },
                   { "AUTHENTICATE +\r\n", 0, kCredentials },
                   { ":irc.test 908 tester PLAIN :are available SASL mechanisms\r\n", 0, "" },
                   { ":irc.test 904 tester :SASL authentication failed\r\n", 0, "CAP END\r\n" },
                   { kWelcome, 0, kIdentify },
                   { ":irc.test 900 tester tester!u@h tester :You are now logged in as tester\r\n", 0, kJoin } },
                 true },
    ScenarioRow{ "a server silent for 15 s after AUTHENTICATE PLAIN is given up on", "secret",
                 { { ":irc.test CAP * LS :sasl\r\n", 0, "CAP REQ :sasl\r\n" },
                   { ":irc.test CAP * ACK :sasl\r\n", 0, "AUTHENTICATE PLAIN\r\n" },
                   { "", 14999, "" },
                   { "", 1, "AUTHENTICATE *\r\nCAP END\r\n" },
                   { "AUTHENTICATE +\r\n:irc.test 906 tester :SASL authentication aborted\r\n", 0, "" },
                   { kWelcome, 0, kIdentify },
                   { kNickServ, 0, kJoin } }, true },
    ScenarioRow{ "a server without CAP (421) registers as before; NickServ's greeting is no answer", "secret",
                 { { ":irc.test 421 tester CAP :Unknown command\r\n", 0, "" },
                   { kWelcome, 0, kIdentify },
                   { kGreeting, 1, "" },
                   { kNickServ, 0, kJoin } }, false },
    ScenarioRow{ "the join waits 10 s at most for NickServ", "secret",
                 { { kWelcome, 0, kIdentify },
                   { "", 9999, "" },
                   { "", 1, kJoin } }, false },
    ScenarioRow{ "without a password: no SASL, CAP END after the ACK, the join at the welcome", "",
                 { { ":irc.test CAP * LS :multi-prefix sasl\r\n", 0, "CAP REQ :multi-prefix\r\n" },
                   { ":irc.test CAP * ACK :multi-prefix\r\n", 0, "CAP END\r\n" },
                   { kWelcome, 0, kJoin } }, false }));

} // namespace
