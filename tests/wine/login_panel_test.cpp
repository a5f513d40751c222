// The login panel driven through its real controls against a scripted peer:
// what the server receives, the message boxes the user sees, and the state
// the panel is left in.
#include "client/control_ids.h"
#include "client/message_box.h"
#include "support/chat_fixture.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

typedef std::vector<std::pair<std::string, std::string>> Boxes;

Boxes g_boxes;

void RecordBox(const char* text, const char* caption) { g_boxes.push_back(std::make_pair(text, caption)); }

const std::string kRegistration = "CAP LS 302\r\nUSER username # # :description\r\nNICK ";
const std::string kJoin = "JOIN :#marketbay\r\n";
const std::string kQuit = "QUIT :http://talvo.example/irc\r\n";
const char kOtherData[] = "Введите другие данные";
const char kMissing[] = "Не хватает данных";
const char kNotConnected[] = "Подключение не осуществлено";

std::string Repeat(size_t length, char c = 'k') { return std::string(length, c); }

class LoginPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_boxes.clear();
        SetMessageBoxHook(&RecordBox);
    }
    void TearDown() override { SetMessageBoxHook(NULL); }

    CIrcClient& Client() { return window.Client(); }
    HWND Control(int id) const { return GetDlgItem(window.Dialog(), id); }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

    // The panel as the user fills it; the server list gets the loopback
    // server, which a user cannot type.
    void Fill(const std::string& nick, const std::string& password, const std::string& email,
              const std::string& port)
    {
        SetWindowTextA(Control(IDC_NICK), nick.c_str());
        SetWindowTextA(Control(IDC_PASSWORD), password.c_str());
        SetWindowTextA(Control(IDC_EMAIL), email.c_str());
        SetWindowTextA(Control(IDC_PORT), port.c_str());
        HWND servers = Control(IDC_SERVER_LIST);
        if (SendMessageA(servers, CB_GETCOUNT, 0, 0) == 0)
            SendMessageA(servers, CB_ADDSTRING, 0, (LPARAM) "127.0.0.1");
        SendMessageA(servers, CB_SETCURSEL, 0, 0);
    }

    // Presses "Зайти" and waits until the registration has reached `server`;
    // the server, answering no CAP, welcomes the user, its NickServ answers
    // a services login, and the client joins the channel.
    bool LogIn(IrcPeer& server, const std::string& nick = "tester", const std::string& password = "",
               const std::string& email = "")
    {
        Fill(nick, password, email, std::to_string(server.Port()));
        Client().OnLoginButton();
        if (!PumpUntil([&] {
                const std::string& sent = server.Received();
                return server.TryAccept() && sent.find("\r\nNICK ") != std::string::npos && sent.back() == '\n';
            }))
            return false;
        server.Send(":irc.test 001 tester :Welcome\r\n");
        if (!password.empty()) {
            if (!PumpUntil([&] { return server.Received().find("PRIVMSG NickServ") != std::string::npos; }))
                return false;
            server.Send(":NickServ!s@services NOTICE tester :Done\r\n");
        }
        return PumpUntil([&] { return server.Received().find(kJoin) != std::string::npos; });
    }

    // The server's bytes, taken in once the condition holds.
    bool ServerSends(const std::string& bytes, const std::function<bool()>& taken)
    {
        peer.Send(bytes);
        return PumpUntil(taken);
    }

    std::string Text(int id) const
    {
        char text[256] = "";
        GetWindowTextA(Control(id), text, sizeof text);
        return text;
    }

    std::string Sent(size_t mark, size_t length)
    {
        PumpUntil([&] { return peer.Received().size() >= mark + length; }, 2000);
        return peer.Received().substr(mark);
    }

    bool ShowsImage(int id, const char* path) const { return ButtonShowsImage(Control(id), path); }

    void ExpectPanel(bool connected, const char* login, const char* logout, const char* changeNick)
    {
        for (int id : { IDC_NICK, IDC_PASSWORD, IDC_EMAIL, IDC_SERVER_LIST, IDC_PORT })
            EXPECT_EQ(!connected, Enabled(id)) << "control " << id;
        EXPECT_TRUE(ShowsImage(IDC_LOGIN, login));
        EXPECT_TRUE(ShowsImage(IDC_LOGOUT, logout));
        EXPECT_TRUE(ShowsImage(IDC_CHANGE_NICK, changeNick));
    }

    void ExpectLoginPanel()
    {
        EXPECT_EQ(0, Client().m_loginState);
        EXPECT_EQ(0, Client().m_connected);
        ExpectPanel(false, "IRCSkin/INPUT.BMP", "IRCSkin/OUTPUT_DISABLE.BMP", "IRCSkin/CHANGENICK_DISABLE.BMP");
    }

    IrcPeer peer;
    TestChatWindow window;
};

struct RefusalCase {
    const char* description;
    std::string nick, password, email, port;
    const char* text;
    const char* caption;
};

std::ostream& operator<<(std::ostream& out, const RefusalCase& row) { return out << row.description; }

class LoginRefusalTest : public LoginPanelTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(LoginRefusalTest, ShowsItsBoxAndConnectsNothing)
{
    const RefusalCase& row = GetParam();
    Fill(row.nick, row.password, row.email, row.port == "peer" ? std::to_string(peer.Port()) : row.port);
    Client().OnLoginButton();

    EXPECT_EQ(Boxes({ { row.text, row.caption } }), g_boxes);
    EXPECT_EQ(0u, Client().m_socket);
    EXPECT_FALSE(PumpUntil([&] { return peer.TryAccept(); }, 100));
    ExpectLoginPanel();
}

INSTANTIATE_TEST_SUITE_P(Panel, LoginRefusalTest, ::testing::Values(
    RefusalCase{ "no nick", "", "", "", "peer", kMissing, kNotConnected },
    RefusalCase{ "a line break alone is no nick", "\r\nNICK x", "", "", "peer", kMissing, kNotConnected },
    RefusalCase{ "port 0", "tester", "", "", "0", kMissing, kNotConnected },
    RefusalCase{ "empty port", "tester", "", "", "", kMissing, kNotConnected },
    RefusalCase{ "port 65536 is 0 in 16 bits", "tester", "", "", "65536", kMissing, kNotConnected },
    RefusalCase{ "a '+' alone", "tester", "", "", "+", kMissing, kNotConnected },
    RefusalCase{ "two '+'", "tester", "", "", "++7000", kMissing, kNotConnected },
    RefusalCase{ "port +0", "tester", "", "", "+0", kMissing, kNotConnected },
    RefusalCase{ "letters", "tester", "", "", "abc", kMissing, kNotConnected },
    RefusalCase{ "nick of 31", Repeat(31), "", "", "peer", "Слишком длинный ник", kOtherData },
    RefusalCase{ "password of 4, e-mail", "n", Repeat(4), "a@b.cd", "peer", "Слишком короткий пароль", kOtherData },
    RefusalCase{ "password of 21, e-mail", "n", Repeat(21), "a@b.cd", "peer", "Слишком длинный пароль", kOtherData },
    RefusalCase{ "e-mail of 4", "n", "secret", Repeat(4), "peer", "Слишком короткий e-mail", kOtherData },
    RefusalCase{ "e-mail of 31", "n", "secret", Repeat(31), "peer", "Слишком длинный e-mail", kOtherData },
    RefusalCase{ "password of 4 alone", "n", Repeat(4), "", "peer", "Слишком короткий пароль", kOtherData },
    RefusalCase{ "password of 21 alone", "n", Repeat(21), "", "peer", "Слишком длинный пароль", kOtherData },
    RefusalCase{ "e-mail without password", "n", "", "a@b.cd", "peer",
                 "Введите пароль если Ваш ник зарегистрирован или\n\t очистите поле ввода \"E-mail\"",
                 "Информация" }));

struct LoginCase {
    const char* description;
    std::string nick, password, email;
    std::string wire;  // what follows "USER ... NICK "
};

std::ostream& operator<<(std::ostream& out, const LoginCase& row) { return out << row.description; }

class LoginAcceptedTest : public LoginPanelTest, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(LoginAcceptedTest, RegistersLogsInToServicesThenJoins)
{
    const LoginCase& row = GetParam();
    ASSERT_TRUE(LogIn(peer, row.nick, row.password, row.email));

    EXPECT_EQ(kRegistration + row.wire + kJoin, peer.Received());
    EXPECT_EQ(Boxes(), g_boxes);
    EXPECT_EQ(1, Client().m_connected);
    EXPECT_EQ(2, Client().m_loginState);
    EXPECT_TRUE(Client().FindTab("127.0.0.1") && Client().FindTab("#marketbay"));
    EXPECT_FALSE(Enabled(IDC_INPUT));
    EXPECT_TRUE(Enabled(IDC_LOGOUT));
    ExpectPanel(true, "IRCSkin/INPUT_DISABLE.BMP", "IRCSkin/OUTPUT.BMP", "IRCSkin/CHANGENICK.BMP");
}

INSTANTIATE_TEST_SUITE_P(Panel, LoginAcceptedTest, ::testing::Values(
    LoginCase{ "nick alone", "tester", "", "", "tester\r\n" },
    LoginCase{ "nick of 30", Repeat(30), "", "", Repeat(30) + "\r\n" },
    LoginCase{ "password of 5 identifies", "n", "abcde", "", "n\r\nPRIVMSG NickServ :identify abcde\r\n" },
    LoginCase{ "password of 20 identifies", "n", Repeat(20), "", "n\r\nPRIVMSG NickServ :identify " + Repeat(20) + "\r\n" },
    LoginCase{ "password and e-mail of 5 register", "n", "abcde", "a@b.c",
               "n\r\nPRIVMSG NickServ :register abcde a@b.c\r\n" },
    LoginCase{ "password of 20 and e-mail of 30 register", "n", Repeat(20), Repeat(30, 'e'),
               "n\r\nPRIVMSG NickServ :register " + Repeat(20) + " " + Repeat(30, 'e') + "\r\n" },
    LoginCase{ "a line break ends every field", "evil\r\nQUIT :x", "abcde\r\nJOIN #y", "a@b.c\nPART #z",
               "evil\r\nPRIVMSG NickServ :register abcde a@b.c\r\n" }));

const char kPlainPassword[] = "*** Соединение не зашифровано: пароль уйдёт на сервер открытым текстом.";

struct PortCase {
    const char* description;
    const char* prefix;  // before the peer's port in the field
    std::string password;
    bool encrypted;
};

std::ostream& operator<<(std::ostream& out, const PortCase& row) { return out << row.description; }

class PortKindTest : public LoginPanelTest, public ::testing::WithParamInterface<PortCase> {};

// A TLS connection opens with the client's hello, a handshake record (type
// 22); a plain one with the registration, and a password sent on it is
// announced in the server tab before any of it goes.
TEST_P(PortKindTest, PlusMeansTlsAndAPasswordInClearIsAnnounced)
{
    const PortCase& row = GetParam();
    Fill("tester", row.password, "", row.prefix + std::to_string(peer.Port()));
    Client().OnLoginButton();
    ASSERT_TRUE(PumpUntil([&] { return peer.TryAccept() && !peer.Received().empty(); }));
    const std::string shownAtFirstByte = window.OutputText("127.0.0.1");

    EXPECT_EQ(peer.Port(), Client().m_port);
    EXPECT_EQ(row.encrypted, peer.Received()[0] == '\x16') << peer.Received();
    EXPECT_EQ(row.encrypted, peer.Received().find("USER ") == std::string::npos) << peer.Received();
    EXPECT_EQ(!row.encrypted && !row.password.empty(), shownAtFirstByte.find(kPlainPassword) != std::string::npos)
        << shownAtFirstByte;
}

INSTANTIATE_TEST_SUITE_P(Panel, PortKindTest, ::testing::Values(
    PortCase{ "plus_with_password", "+", "secret", true },
    PortCase{ "plain_with_password", "", "secret", false },
    PortCase{ "plain_without_password", "", "", false }),
    [](const ::testing::TestParamInfo<PortCase>& row) { return std::string(row.param.description); });

TEST_F(LoginPanelTest, Port65537IsPort1)
{
    Fill("tester", "", "", "65537");
    Client().OnLoginButton();
    EXPECT_EQ(1, Client().m_port);
    EXPECT_EQ(Boxes(), g_boxes);
    EXPECT_NE(0u, Client().m_socket);
}

TEST_F(LoginPanelTest, RefusedConnectionShowsWhyInTheServerTab)
{
    Fill("tester", "", "", std::to_string(UnusedPort()));
    Client().OnLoginButton();
    ASSERT_TRUE(PumpUntil([&] { return Client().m_loginState == 0; }));

    ExpectLoginPanel();
    EXPECT_EQ(0u, Client().m_socket);
    EXPECT_TRUE(IsWindowVisible(Client().m_hTabCtrl));
    EXPECT_EQ("\n*** Соединяюсь с 127.0.0.1...\n*** Невозможно подключиться к IRC серверу",
              window.OutputText("127.0.0.1"));
}

TEST_F(LoginPanelTest, LogoutSendsOneQuitAndReturnsAtOnce)
{
    ASSERT_TRUE(LogIn(peer));
    SendMessageA(Control(IDC_USER_LIST), LB_ADDSTRING, 0, (LPARAM) "@friend");
    const HGDIOBJ replacedImage = (HGDIOBJ)SendMessageA(Control(IDC_LOGIN), BM_GETIMAGE, IMAGE_BITMAP, 0);
    const size_t mark = peer.Received().size();

    Client().OnLogoutButton();

    // Nothing waits for the server, which still holds the connection.
    ExpectLoginPanel();
    EXPECT_EQ(0, TabCtrl_GetItemCount(Client().m_hTabCtrl));
    EXPECT_FALSE(IsWindowVisible(Client().m_hTabCtrl));
    EXPECT_EQ(0, SendMessageA(Control(IDC_USER_LIST), LB_GETCOUNT, 0, 0));
    EXPECT_EQ(0u, GetObjectType(replacedImage));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(kQuit, peer.Received().substr(mark));
}

TEST_F(LoginPanelTest, DialogCloseSendsQuitAndShowsTheLoginPanel)
{
    ASSERT_TRUE(LogIn(peer));
    const size_t mark = peer.Received().size();
    Client().OnDialogClose();
    EXPECT_EQ(0, Client().m_loginState);
    EXPECT_EQ(0, Client().m_tabCount);
    EXPECT_EQ(kQuit, Sent(mark, kQuit.size()));
}

// After "Выйти" the connection waits only for the server's close: closing
// the window then says goodbye no second time.
TEST_F(LoginPanelTest, DialogCloseWithoutAConnectionSendsNothing)
{
    ASSERT_TRUE(LogIn(peer));
    const size_t mark = peer.Received().size();
    Client().OnLogoutButton();
    ASSERT_EQ(kQuit, Sent(mark, kQuit.size()));
    Client().OnDialogClose();
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(kQuit, peer.Received().substr(mark));
}

TEST_F(LoginPanelTest, LoggingInAgainBeforeTheCloseReleasesTheOldConnection)
{
    IrcPeer second;
    ASSERT_TRUE(LogIn(peer));
    Client().OnChangeNickButton();  // left open at the logout
    Client().OnLogoutButton();
    ASSERT_TRUE(LogIn(second, "again"));

    EXPECT_EQ(kRegistration + "again\r\n" + kJoin, second.Received());
    EXPECT_TRUE(PumpUntil([&] { return peer.ClientClosed(); }));
    EXPECT_EQ(kQuit, peer.Received().substr(peer.Received().size() - kQuit.size()));
    // A new login starts with the nick fields closed: the next press opens them.
    Client().OnChangeNickButton();
    EXPECT_EQ(1, Client().m_loginState);
    // The peers' references and the new connection's; counting ends every
    // socket, so it comes last.
    EXPECT_EQ(WinsockReferencesAtStart() + 3, WinsockReferences());
}

// What a server refused as sent before its welcome goes out again after its
// next one, once.
TEST_F(LoginPanelTest, CommandsRefusedBeforeAWelcomeGoOutAgainAfterIt)
{
    ASSERT_TRUE(LogIn(peer, "tester", "abcde"));
    size_t mark = peer.Received().size();
    peer.Send(":srv 451 tester PRIVMSG :You have not registered.\r\n"
              ":srv 451 tester JOIN :You have not registered.\r\n"
              ":srv 001 tester :Welcome\r\nPING :one\r\n");
    const std::string again = "PRIVMSG NickServ :identify abcde\r\n" + kJoin + "PONG :one\r\n";
    EXPECT_EQ(again, Sent(mark, again.size()));

    mark = peer.Received().size();
    peer.Send(":srv 001 tester :Welcome again\r\nPING :two\r\n");
    EXPECT_EQ("PONG :two\r\n", Sent(mark, 11));
}

TEST_F(LoginPanelTest, NickChangeInTwoPresses)
{
    ASSERT_TRUE(LogIn(peer));
    size_t mark = peer.Received().size();

    Client().OnChangeNickButton();
    EXPECT_EQ(1, Client().m_loginState);
    EXPECT_TRUE(Enabled(IDC_NICK) && Enabled(IDC_PASSWORD));
    EXPECT_FALSE(Enabled(IDC_EMAIL));
    EXPECT_TRUE(ShowsImage(IDC_CHANGE_NICK, "IRCSkin/CHANGENICK_ACTIVATE.BMP"));

    // An empty nick is refused and the fields stay open.
    SetWindowTextA(Control(IDC_NICK), "");
    Client().OnChangeNickButton();
    EXPECT_EQ(Boxes({ { "Недостаточно данных для смены ника", "Ник не изменен" } }), g_boxes);
    EXPECT_EQ(1, Client().m_loginState);
    EXPECT_TRUE(Enabled(IDC_NICK));
    EXPECT_STREQ("tester", Client().m_szNick);

    // A nick of 35 goes as its first 29, then the password identifies it.
    const std::string nick = Repeat(29, 'n');
    SetWindowTextA(Control(IDC_NICK), (nick + "sixsix").c_str());
    SetWindowTextA(Control(IDC_PASSWORD), "secret\r\nQUIT");
    Client().OnChangeNickButton();
    const std::string expected = "NICK :" + nick + "\r\nPRIVMSG NickServ :identify secret\r\n";
    EXPECT_EQ(expected, Sent(mark, expected.size()));
    EXPECT_EQ(2, Client().m_loginState);
    EXPECT_FALSE(Enabled(IDC_NICK) || Enabled(IDC_PASSWORD));
    EXPECT_TRUE(ShowsImage(IDC_CHANGE_NICK, "IRCSkin/CHANGENICK.BMP"));
    // The nick is the user's once the server says so.
    EXPECT_STREQ("tester", Client().m_szNick);
    EXPECT_TRUE(ServerSends(":tester!u@h NICK :" + nick + "\r\n", [&] { return Client().m_szNick == nick; }));
    EXPECT_EQ(nick, Text(IDC_NICK));

    // Without a password only the nick goes.
    mark = peer.Received().size();
    Client().OnChangeNickButton();
    SetWindowTextA(Control(IDC_NICK), "other");
    SetWindowTextA(Control(IDC_PASSWORD), "");
    Client().OnChangeNickButton();
    EXPECT_EQ("NICK :other\r\n", Sent(mark, 13));
    EXPECT_EQ(1u, g_boxes.size());
}

// A refused nick leaves the user with the nick the server knows, and the
// connection as it was.
TEST_F(LoginPanelTest, ARefusedNickChangeKeepsTheNick)
{
    ASSERT_TRUE(LogIn(peer));
    ASSERT_TRUE(ServerSends(":irc.test 001 tester :Welcome\r\n", [&] { return Client().IsRegistered(); }));
    const struct {
        const char* reply;
        const char* shown;
    } refusals[] = {
        { ":irc.test 433 tester taken :Nickname is already in use\r\n", " Этот ник уже используется" },
        { ":irc.test 432 tester b@d :Erroneous Nickname\r\n", " Неверный ник" },
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.reply);
        Client().OnChangeNickButton();
        SetWindowTextA(Control(IDC_NICK), "taken");
        Client().OnChangeNickButton();
        EXPECT_TRUE(ServerSends(refusal.reply, [&] { return window.OutputText("127.0.0.1").find(refusal.shown) !=
                                                            std::string::npos; }));
        EXPECT_STREQ("tester", Client().m_szNick);
        EXPECT_EQ("tester", Text(IDC_NICK));
        EXPECT_EQ(1, Client().m_connected);
        EXPECT_EQ(2, Client().m_tabCount);
    }
    // Refused at registration, a nick still ends the connection.
    Client().ForgetRegistration();
    peer.Send(":irc.test 432 tester b@d :Erroneous Nickname\r\n");
    EXPECT_TRUE(PumpUntil([&] { return Client().m_connected == 0; }));
}

} // namespace
