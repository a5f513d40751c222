// Text across the wire: UTF-8 lines and old clients' Windows-1251 lines as
// the user reads them (the output read back as UTF-16), names shown in the
// ANSI controls but answered with the bytes the server sent, and what the
// user types going out in UTF-8.
#include "client/control_ids.h"
#include "protocol/tokens.h"
#include "support/chat_fixture.h"

#include <string>
#include <vector>

namespace {

const char kServerTab[] = "127.0.0.1";
const char kChannel[] = "#marketbay";

// A line's text in code page 1251, as an old client sends it.
std::string Cp1251(const char* utf8)
{
    std::wstring wide(strlen(utf8) + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], (int)wide.size()) - 1);
    std::string text(wide.size() * 2 + 1, '\0');
    text.resize(WideCharToMultiByte(1251, 0, wide.c_str(), -1, &text[0], (int)text.size(), NULL, NULL) - 1);
    return text;
}

class EncodingTest : public ChannelChatTest {
protected:
    void SetUp() override
    {
        ChannelChatTest::SetUp();
        CopyText(Client().m_szChannel, sizeof Client().m_szChannel, kChannel);
        mark = peer.Received().size();
    }

    // The last line of a tab, as the user reads it, in UTF-8.
    std::string Shown(const char* tab) const
    {
        const std::string text = window.OutputUtf8(tab);
        return text.substr(text.rfind('\n') + 1);
    }

    std::string TabText(int index)
    {
        char text[256] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        TabCtrl_GetItem(Client().m_hTabCtrl, index, &item);
        return text;
    }

    HWND Control(int id) const { return GetDlgItem(window.Dialog(), id); }

    // The user types into the input line (code page 1251) and presses Enter.
    void Type(const std::string& cp1251)
    {
        SetWindowTextA(Control(IDC_INPUT), cp1251.c_str());
        Client().m_ownLinePending = 1;
        Client().OnEnterInInputLine();
    }

    std::string Sent(size_t length) { return SentSince(mark, length); }

    size_t mark = 0;
};

struct ShownLine {
    const char* description;
    std::string line;  // as the server sends it, without CR LF
    const char* tab;
    const char* shown;  // the tab's last line, UTF-8
};

std::ostream& operator<<(std::ostream& out, const ShownLine& row) { return out << row.description; }

class EveryKindOfLine : public EncodingTest, public ::testing::WithParamInterface<ShownLine> {};

TEST_P(EveryKindOfLine, ReadsAsItsSenderWroteIt)
{
    ServerSends(GetParam().line + "\r\n");
    EXPECT_EQ(GetParam().shown, Shown(GetParam().tab));
}

INSTANTIATE_TEST_SUITE_P(Utf8, EveryKindOfLine, ::testing::Values(
    ShownLine{ "channel message", u8":Вася!u@h PRIVMSG #marketbay :Привет, мир", kChannel, u8"<Вася> Привет, мир" },
    ShownLine{ "accents, a check mark, CJK", u8":anya!u@h PRIVMSG #marketbay :café ✓ 漢字", kChannel,
               u8"<anya> café ✓ 漢字" },
    ShownLine{ "emoji: a surrogate pair in the control", u8":anya!u@h PRIVMSG #marketbay :ok \U0001F600!",
               kChannel, u8"<anya> ok \U0001F600!" },
    ShownLine{ "notice", u8":Вася!u@h NOTICE tester :café ✓", kServerTab, u8"-Вася- café ✓" },
    ShownLine{ "action", u8":Вася!u@h PRIVMSG #marketbay :\x01" "ACTION машет \U0001F44B\x01", kChannel,
               u8"* Вася машет \U0001F44B" },
    ShownLine{ "topic", u8":Вася!u@h TOPIC #marketbay :Цены ✓", kServerTab,
               u8"*** Вася изменил тему на 'Цены ✓'" },
    ShownLine{ "quit reason", u8":Вася!u@h QUIT :Ушёл домой ✓", kChannel, u8"*** Вася (Ушёл домой ✓) выходит" },
    ShownLine{ "kick", u8":op!u@h KICK #marketbay Вася :за флуд", kChannel,
               u8"*** Вася был выкинут с канал пользователем op" },
    ShownLine{ "nick change", u8":Вася!u@h NICK Василий", kChannel, u8"*** Вася теперь известен как Василий" },
    ShownLine{ "numeric text", u8":irc.example.net 372 tester :- Добро пожаловать ✓", kServerTab,
               u8"- Добро пожаловать ✓" },
    ShownLine{ "server notice", u8"NOTICE AUTH :*** Привет ✓", kServerTab, u8"-127.0.0.1- *** Привет ✓" }));

INSTANTIATE_TEST_SUITE_P(Windows1251, EveryKindOfLine, ::testing::Values(
    ShownLine{ "channel message", Cp1251(u8":Вася!u@h PRIVMSG #marketbay :Привет, мир"), kChannel,
               u8"<Вася> Привет, мир" },
    ShownLine{ "notice", Cp1251(u8":Вася!u@h NOTICE tester :Ёлка «№1»"), kServerTab, u8"-Вася- Ёлка «№1»" },
    ShownLine{ "action", Cp1251(u8":Вася!u@h PRIVMSG #marketbay :\x01" "ACTION машет\x01"), kChannel,
               u8"* Вася машет" },
    ShownLine{ "quit reason", Cp1251(u8":Вася!u@h QUIT :Ушёл домой"), kChannel, u8"*** Вася (Ушёл домой) выходит" },
    ShownLine{ "numeric text", Cp1251(u8":irc.example.net 372 tester :- Добро пожаловать"), kServerTab,
               u8"- Добро пожаловать" }));

// Nothing that is not plain text shows as something it is not.
INSTANTIATE_TEST_SUITE_P(Unsafe, EveryKindOfLine, ::testing::Values(
    ShownLine{ "a byte-order mark is dropped", u8":anya!u@h PRIVMSG #marketbay :\uFEFFhi", kChannel, u8"<anya> hi" },
    ShownLine{ "a C1 control is replaced", ":anya!u@h PRIVMSG #marketbay :a\xC2\x85z", kChannel,
               u8"<anya> a\uFFFDz" },
    ShownLine{ "a bidi override is replaced", u8":anya!u@h PRIVMSG #marketbay :pay \u202Etxt.exe", kChannel,
               u8"<anya> pay \uFFFDtxt.exe" },
    ShownLine{ "an isolate is replaced", u8":anya!u@h PRIVMSG #marketbay :a\u2066b\u2069", kChannel,
               u8"<anya> a\uFFFDb\uFFFD" },
    ShownLine{ "a line separator is replaced", u8":anya!u@h PRIVMSG #marketbay :a\u2028<op> b", kChannel,
               u8"<anya> a\uFFFD<op> b" },
    // Not UTF-8, so the whole line is Windows-1251, where these bytes are letters.
    ShownLine{ "an overlong form makes the line Windows-1251", ":anya!u@h PRIVMSG #marketbay :\xC0\xAF",
               kChannel, u8"<anya> АЇ" },
    ShownLine{ "an encoded surrogate makes the line Windows-1251", ":anya!u@h PRIVMSG #marketbay :\xED\xA0\x80",
               kChannel, u8"<anya> н\u00A0Ђ" },
    ShownLine{ "a truncated sequence makes the line Windows-1251", ":anya!u@h PRIVMSG #marketbay :ok\xE2\x9C",
               kChannel, u8"<anya> okвњ" },
    ShownLine{ "the byte code page 1251 lacks", ":anya!u@h PRIVMSG #marketbay :\xE0\x98", kChannel,
               u8"<anya> а\uFFFD" }));

// The receiver keeps 2047 bytes of a longer line; a letter torn there goes,
// and the line is still read as UTF-8.
TEST_F(EncodingTest, ALineCutInsideALetterLosesOnlyThatLetter)
{
    const std::string head = ":anya!u@h PRIVMSG #marketbay :";
    std::string text;
    while (head.size() + text.size() < 2048)
        text += u8"я";
    ASSERT_EQ(2048u, head.size() + text.size()) << "the cut falls inside the last letter";
    ServerSends(head + text + u8"tail\r\n");
    EXPECT_EQ("<anya> " + text.substr(0, text.size() - 2), Shown(kChannel));
}

TEST_F(EncodingTest, TabsShowWhatCodePage1251CanAndAnswerWithTheSendersBytes)
{
    const struct {
        const char* description;
        std::string nick;  // as the server sent it
        const char* tab;   // the tab's text, code page 1251
    } senders[] = {
        { "UTF-8 Cyrillic", u8"Вася", "Вася" },
        { "a letter code page 1251 lacks", u8"José", "Jos?" },
        { "an old client's Windows-1251", Cp1251(u8"Петя"), "Петя" },
    };
    int index = 2;
    for (const auto& sender : senders) {
        SCOPED_TRACE(sender.description);
        ServerSends(":" + sender.nick + "!u@h PRIVMSG tester :hi\r\n");
        EXPECT_EQ(sender.tab, TabText(index));
        ASSERT_EQ(index, TabCtrl_GetCurSel(Client().m_hTabCtrl));
        mark = peer.Received().size();
        Type("ok");
        EXPECT_EQ("PRIVMSG " + sender.nick + " :ok\r\n", Sent(16));
        ++index;
    }
}

TEST_F(EncodingTest, TheUserListShowsNamesAndAddressesThemWithTheirOwnBytes)
{
    // Outside the checks: their text is quoted in code page 1251 on failure.
    const std::string acute = u8"José", grave = u8"Josè";
    ServerSends(":irc.example.net 353 tester = #marketbay :@" + acute + " " + grave + u8" Вася\r\n");
    EXPECT_EQ(std::vector<std::string>({ "@Jos?", "Jos?", "Вася" }), window.UserListEntries());

    // A click puts the nick into the input line as the server wrote it.
    HWND list = Control(IDC_USER_LIST);
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    Client().OnUserListSelChange();
    Client().m_ownLinePending = 1;
    Client().OnEnterInInputLine();
    EXPECT_EQ("PRIVMSG #marketbay :" + grave + ": \r\n", Sent(29));

    // Names that show alike are told apart by their bytes.
    ServerSends(":" + grave + "!u@h QUIT :bye\r\n");
    EXPECT_EQ(std::vector<std::string>({ "@Jos?", "Вася" }), window.UserListEntries());
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    Client().OnUserListDblClk();
    EXPECT_EQ(acute, Client().GetCurrentTabName());
    EXPECT_EQ("Jos?", TabText(2));
}

TEST_F(EncodingTest, TypedCyrillicGoesOutInUtf8AndEchoesAsTyped)
{
    Type(Cp1251(u8"Привет, мир"));
    EXPECT_EQ(u8"PRIVMSG #marketbay :Привет, мир\r\n", Sent(42));
    EXPECT_EQ(u8"<tester> Привет, мир", Shown(kChannel));
}

TEST_F(EncodingTest, NickServFieldsAndANewNickGoOutInUtf8)
{
    SetWindowTextA(Control(IDC_PASSWORD), Cp1251(u8"пароль1").c_str());
    Client().SendServicesLogin();
    EXPECT_EQ(u8"PRIVMSG NickServ :identify пароль1\r\n", Sent(42));

    mark = peer.Received().size();
    Client().OnChangeNickButton();
    SetWindowTextA(Control(IDC_NICK), Cp1251(u8"Вася").c_str());
    SetWindowTextA(Control(IDC_PASSWORD), "");
    Client().OnChangeNickButton();
    EXPECT_EQ(u8"NICK :Вася\r\n", Sent(15));
}

} // namespace
