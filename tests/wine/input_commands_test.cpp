// Commands typed in the input line: what each sends, what the tabs show of
// it, and the lines that refuse one, keeping the text for the user.
#include "client/chat_connection.h"
#include "client/control_ids.h"
#include "client/typed_text.h"
#include "support/chat_fixture.h"
#include "support/output_reading.h"

#include <string.h>

#include <string>

namespace {

struct CommandCase {
    const char* typed;
    const char* wire;      // what goes out before the next plain line
    const char* tab;       // where the last line is shown
    const char* shown;     // that line, UTF-8
    const char* selected;  // the tab in sight afterwards
    bool kept;             // the text stays in the input line
};

std::ostream& operator<<(std::ostream& out, const CommandCase& row) { return out << row.typed; }

class InputCommandsTest : public ChannelChatTest {
protected:
    HWND Input() const { return GetDlgItem(window.Dialog(), IDC_INPUT); }

    void Type(const char* text)
    {
        SetWindowTextA(Input(), text);
        Client().m_ownLinePending = 1;
        Client().OnEnterInInputLine();
    }

    std::string LastUtf8Line(const char* tab) const
    {
        const std::string text = window.OutputUtf8(tab);
        return text.substr(text.rfind('\n') + 1);
    }
};

class CommandTableTest : public InputCommandsTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandTableTest, SendsAndShows)
{
    const CommandCase& row = GetParam();
    ServerSends(":irc.test 001 tester :Welcome\r\n");
    const size_t mark = peer.Received().size();
    Type(row.typed);
    EXPECT_EQ(row.kept ? row.typed : "", ReadInputText(Input()));
    EXPECT_EQ(row.shown, LastUtf8Line(row.tab));
    EXPECT_STREQ(row.selected, Client().GetCurrentTabName());
    // The user's own lines in the own colour, the client's not.
    const bool echo = strstr(row.shown, "tester") != nullptr;
    const std::string style = StyleOf(Client().FindTab(row.tab), "tester", CFE_BOLD);
    EXPECT_EQ(echo, style.find("0,0,252") == 0) << row.shown << ": " << style;
    // A plain line after it shows that nothing else went out before.
    Type("next");
    const std::string expected = std::string(row.wire) + "PRIVMSG " + row.selected + " :next\r\n";
    EXPECT_EQ(expected, SentSince(mark, expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Typed, CommandTableTest, ::testing::Values(
    CommandCase{ "/me waves", "PRIVMSG #marketbay :\x01" "ACTION waves\x01\r\n", "#marketbay",
                 "* tester waves", "#marketbay", false },
    CommandCase{ "/msg anna hi there", "PRIVMSG anna :hi there\r\n", "anna", "<tester> hi there",
                 "#marketbay", false },
    CommandCase{ "/query bob hello", "PRIVMSG bob :hello\r\n", "bob", "<tester> hello", "bob", false },
    CommandCase{ "/msg NickServ identify hunter22", "PRIVMSG NickServ :identify hunter22\r\n", "NickServ",
                 "<tester> identify ********", "#marketbay", false },
    CommandCase{ "/nick newnick", "NICK :newnick\r\n", "#marketbay", "", "#marketbay", false },
    CommandCase{ "/nick nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn", "", "#marketbay",
                 u8"*** Сервер принимает ник не длиннее 30 символов", "#marketbay", true },
    CommandCase{ "/nick #nick", "", "#marketbay", u8"*** Ник \"#nick\" невозможен", "#marketbay", true },
    CommandCase{ "/away back soon", "AWAY :back soon\r\n", "#marketbay", "", "#marketbay", false },
    CommandCase{ "/away", "AWAY\r\n", "#marketbay", "", "#marketbay", false },
    CommandCase{ "/ignore", "", "#marketbay", u8"*** Список игнорирования пуст", "#marketbay", false },
    CommandCase{ "/unignore bob", "", "#marketbay", u8"*** bob нет в списке игнорирования", "#marketbay", true },
    CommandCase{ "/help", "", "#marketbay", u8"//текст - текст, который начинается с /", "#marketbay", false },
    CommandCase{ "/foo bar", "", "#marketbay", u8"*** Неизвестная команда /foo. Список команд: /help",
                 "#marketbay", true },
    CommandCase{ "/msg anna", "", "#marketbay", u8"*** Использование: /msg ник текст", "#marketbay", true },
    CommandCase{ "/msg #other hi", "", "#marketbay",
                 u8"*** Писать можно только на канал #marketbay, не в #other", "#marketbay", true },
    CommandCase{ "/msg an,na hi", "", "#marketbay",
                 u8"*** Нельзя писать \"an,na\": такого ника быть не может", "#marketbay", true }));

TEST_F(InputCommandsTest, BeforeTheWelcomeNothingGoes)
{
    Type("/msg anna hi");
    EXPECT_EQ("/msg anna hi", ReadInputText(Input()));
    EXPECT_EQ(u8"*** Нет соединения с сервером: команда не выполнена", LastUtf8Line("#marketbay"));
    EXPECT_EQ(nullptr, Client().FindTab("anna"));
}

// An ignored nick's lines are neither shown nor answered; the table holds
// a limited number of nicks.
TEST_F(InputCommandsTest, IgnoredNickIsNotShownNorAnswered)
{
    ServerSends(":irc.test 001 tester :Welcome\r\n");
    Type("/ignore Anna");
    EXPECT_EQ(u8"*** Anna не показывается, пока открыто это окно", LastUtf8Line("#marketbay"));
    const size_t mark = peer.Received().size();
    ServerSends(":anna!a@h PRIVMSG #marketbay :hidden\r\n:anna!a@h PRIVMSG tester :\x01VERSION\x01\r\n"
                ":bob!b@h PRIVMSG #marketbay :seen\r\n");
    EXPECT_EQ("<bob> seen", LastUtf8Line("#marketbay"));
    EXPECT_EQ(std::string::npos, window.OutputUtf8("#marketbay").find("hidden"));
    EXPECT_EQ(nullptr, Client().FindTab("anna"));
    EXPECT_EQ("", peer.Received().substr(mark)) << "no answer to the CTCP";

    for (int i = 1; i < 32; ++i)
        Type(("/ignore nick" + std::to_string(i)).c_str());
    Type("/ignore onemore");
    EXPECT_EQ(u8"*** Список игнорирования полон: не больше 32 ников", LastUtf8Line("#marketbay"));
    Type("/unignore ANNA");
    Type("/ignore onemore");
    Type("/ignore");
    const std::string output = window.OutputUtf8("#marketbay");
    const std::string listed = output.substr(output.rfind(u8"*** Не показываются:"));
    EXPECT_EQ(0u, listed.find(u8"*** Не показываются:\n    nick1\n    nick2\n")) << listed;
    EXPECT_EQ(std::string::npos, listed.find("Anna")) << "taken off the list";
    EXPECT_EQ("    onemore", LastUtf8Line("#marketbay")) << "the room Anna left";

    // The list is the window's: the session's end leaves it.
    Type("/quit");
    peer.CloseClient();
    ASSERT_TRUE(PumpUntil([&] { return CChatConnection::Of(window.Dialog()) == nullptr; }));
    ASSERT_NE(nullptr, Client().FindIgnoredNicks());
    EXPECT_TRUE(Client().FindIgnoredNicks()->Contains(CaseMapping::Ascii, "ONEMORE"));
}

TEST_F(InputCommandsTest, QuitSaysGoodbyeWithTheReason)
{
    ServerSends(":irc.test 001 tester :Welcome\r\n");
    const size_t mark = peer.Received().size();
    Type("/quit see you");
    EXPECT_EQ("QUIT :see you\r\n", SentSince(mark, 15));
    EXPECT_EQ(0, Client().m_connected);
}

} // namespace
