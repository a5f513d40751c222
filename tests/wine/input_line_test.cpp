// The input line: what Enter sends to the selected conversation and the echo
// the user sees in it.
#include "client/control_ids.h"
#include "client/typed_text.h"
#include "protocol/wire_text.h"
#include "protocol/colours.h"
#include "support/chat_fixture.h"
#include "support/output_reading.h"

#include <string>
#include <vector>

namespace {

const char kOwnLine[] = "0,0,252 bold";

class InputLineTest : public ChannelChatTest {
protected:
    void SetUp() override
    {
        ChannelChatTest::SetUp();
        mark = peer.Received().size();
    }

    HWND Input() const { return GetDlgItem(window.Dialog(), IDC_INPUT); }

    // The user types and releases Enter; the dialog marks the echo as the
    // user's own line first.
    void Type(const std::string& text)
    {
        SetWindowTextA(Input(), text.c_str());
        Client().m_ownLinePending = 1;
        Client().OnEnterInInputLine();
    }

    std::string Sent(size_t length) { return SentSince(mark, length); }

    // "r,g,b" and " bold" for the character at the start of `word` in the
    // tab's output, or "no <word>".
    std::string StyleOf(const char* tab, const char* word)
    {
        return ::StyleOf(Client().FindTab(tab), word, CFE_BOLD);
    }

    size_t mark = 0;
};

TEST_F(InputLineTest, LeadingBlanksGoTrailingStayAndTheEchoIsOwnColour)
{
    Type(" \t hello\tthere \t");
    EXPECT_EQ("PRIVMSG #marketbay :hello\tthere \t\r\n", Sent(36));
    EXPECT_EQ(0, GetWindowTextLengthA(Input()));
    EXPECT_EQ("\n<tester> hello\tthere \t", window.OutputText("#marketbay"));
    EXPECT_EQ(kOwnLine, StyleOf("#marketbay", "<tester>"));
    EXPECT_EQ(kOwnLine, StyleOf("#marketbay", "there"));
}

TEST_F(InputLineTest, BlanksOnlySendNothingAndMarkNoLaterLine)
{
    Type(" \t  ");
    EXPECT_EQ(0, GetWindowTextLengthA(Input()));
    EXPECT_EQ(0, Client().m_ownLinePending);
    Client().PrintLine(Client().FindTab("#marketbay"), "\r\n%s<%s> %s", COLOUR_CHAT, "alice", "later");
    EXPECT_NE(kOwnLine, StyleOf("#marketbay", "later"));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ("", peer.Received().substr(mark));
}

TEST_F(InputLineTest, DoubledSlashTextIsPlainMessage)
{
    Type("//quit now");
    EXPECT_EQ("PRIVMSG #marketbay :/quit now\r\n", Sent(31));
}

TEST_F(InputLineTest, ServerTabAddressesTheServer)
{
    TabCtrl_SetCurSel(Client().m_hTabCtrl, 0);
    Type("hello server");
    EXPECT_EQ("PRIVMSG 127.0.0.1 :hello server\r\n", Sent(33));
    const std::string output = window.OutputText("127.0.0.1");
    EXPECT_EQ("\n<tester> hello server", output.substr(output.rfind('\n')));
    EXPECT_EQ(kOwnLine, StyleOf("127.0.0.1", "<tester>"));
}

TEST_F(InputLineTest, LineBreaksNeverReachTheWireInsideAMessage)
{
    // The single-line input control keeps only a first line (so under
    // Wine); any other caller's text is split into messages at its breaks.
    Client().m_ownLinePending = 1;
    Client().TrimAndSend("one\r\nQUIT :bye\n\r\nthree");
    const std::string expected =
        "PRIVMSG #marketbay :one\r\nPRIVMSG #marketbay :QUIT :bye\r\nPRIVMSG #marketbay :three\r\n";
    EXPECT_EQ(expected, Sent(expected.size()));
    EXPECT_EQ("\n<tester> one\n<tester> QUIT :bye\n<tester> three", window.OutputText("#marketbay"));
    EXPECT_EQ(kOwnLine, StyleOf("#marketbay", "three"));
}

// A server that announces a longer LINELEN relays longer lines: 800 bytes
// go as one message where 512-byte lines would take three.
TEST_F(InputLineTest, TheServersLineLengthMakesLongerPieces)
{
    ServerSends(":irc.test 005 tester LINELEN=1024 :are supported by this server\r\n");
    mark = peer.Received().size();
    const std::string text(800, 'a');
    Type(text);
    const std::string line = "PRIVMSG #marketbay :" + text + "\r\n";
    LetQueuedLinesGo();
    EXPECT_EQ(line, Sent(line.size()));
}

// Typed in code page 1251, sent in UTF-8: the pieces count the UTF-8
// bytes and never cut a letter in two.
TEST_F(InputLineTest, LongTextIsSplitIntoLinesTheServerCanRelay)
{
    std::string typed;
    for (int i = 0; typed.size() < 1500; ++i)
        typed += "слово" + std::to_string(i) + " ";
    typed.pop_back();
    Type(typed);
    std::string text(3 * typed.size() + 1, '\0');
    text.resize(Cp1251ToUtf8(typed.data(), typed.size(), &text[0], text.size()));

    // The relayed line adds ":nick!user@host " of at most 1 + 30 + 1 + 10 +
    // 1 + 63 + 1 bytes to what was sent.
    const std::string prefix = "PRIVMSG #marketbay :";
    std::vector<std::string> pieces;
    LetQueuedLinesGo();
    const std::string sent = peer.Received().substr(mark);
    for (size_t at = 0; at < sent.size();) {
        const size_t end = sent.find("\r\n", at);
        ASSERT_NE(std::string::npos, end) << "every line ends in CR LF";
        const std::string line = sent.substr(at, end + 2 - at);
        EXPECT_LE(107 + line.size(), 512u) << line;
        EXPECT_TRUE(IsUtf8Text(line.data(), line.size(), false)) << line;
        ASSERT_EQ(0u, line.find(prefix));
        pieces.push_back(line.substr(prefix.size(), line.size() - prefix.size() - 2));
        at = end + 2;
    }
    ASSERT_GE(pieces.size(), 4u);

    std::string joined = pieces[0], echo;
    for (size_t i = 1; i < pieces.size(); ++i)
        joined += " " + pieces[i];
    for (const std::string& piece : pieces)
        echo += "\n<tester> " + piece;
    EXPECT_EQ(text, joined);
    // Echoed as typed; the pieces beyond the pace's burst are counted while
    // they wait.
    EXPECT_EQ(echo + u8"\n*** Строк в очереди на отправку: " + std::to_string(pieces.size() - 5) +
                  u8" (по одной в 2 секунды)\n*** Все строки отправлены",
              window.OutputUtf8("#marketbay"));
    EXPECT_EQ(kOwnLine, StyleOf("#marketbay", "178"));
}

// Wine's shaping (64-bit) dies of a combining mark that begins a run: a
// pasted one stands on a dotted circle, whether the paste came as a message
// or as Ctrl+V; and pasted text that reads as rich text stays text.
TEST_F(InputLineTest, APastedLoneMarkStandsOnADottedCircle)
{
    const wchar_t pasted[] = L"{\\rtf1 a}\u05B8";
    for (const bool byKey : { false, true }) {
        SetWindowTextA(Input(), "");
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof pasted);
        memcpy(GlobalLock(memory), pasted, sizeof pasted);
        GlobalUnlock(memory);
        ASSERT_TRUE(OpenClipboard(window.Dialog()));
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = byKey ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageA(Input(), byKey ? WM_KEYDOWN : WM_PASTE, byKey ? 'V' : 0, 0);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        EXPECT_EQ(u8"{\\rtf1 a}\u25CC\u200D\u05B8", ReadInputText(Input())) << (byKey ? "Ctrl+V" : "WM_PASTE");
    }
}

TEST_F(InputLineTest, NoSelectedTabSendsNothing)
{
    Client().ResetTabs(true);
    Type("anyone?");
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ("", peer.Received().substr(mark));
}

// A key as the window gets it from a message loop that lets the dialog
// manager move the focus with Tab and the arrows, as a host's may.
void PressKey(HWND dialog, HWND input, WPARAM key)
{
    MSG press = { input, WM_KEYDOWN, key, 0, 0, {} };
    if (!IsDialogMessageA(dialog, &press))
        DispatchMessageA(&press);
    if (key == VK_TAB) {
        MSG typed = { input, WM_CHAR, '\t', 0, 0, {} };
        if (!IsDialogMessageA(dialog, &typed))
            DispatchMessageA(&typed);
    }
}

// Up and Down walk the lines sent from the window while the input holds one
// line, and give back the typing past the newest.
TEST_F(InputLineTest, UpAndDownWalkTheSentLines)
{
    Type("first");
    Type("/msg NickServ identify secret");
    Type("second");
    SetWindowTextA(Input(), "draft");
    SetFocus(Input());
    const struct {
        WPARAM key;
        const char* shown;
    } steps[] = {
        { VK_UP, "second" }, { VK_UP, "first" }, { VK_UP, "first" }, { VK_DOWN, "second" }, { VK_DOWN, "draft" },
    };
    for (const auto& step : steps) {
        PressKey(window.Dialog(), Input(), step.key);
        EXPECT_EQ(step.shown, ReadInputText(Input())) << (step.key == VK_UP ? "Up" : "Down");
    }

    // Two lines: Up moves the caret to the first, the text stays. The chat
    // panel shows the line; Wine's control moves a caret up only once a key
    // has placed it (not from where text or EM_SETSEL left it).
    ShowWindow(Input(), SW_SHOW);
    SetWindowTextA(Input(), "");
    InsertInputText(Input(), "one\ntwo");
    PressKey(window.Dialog(), Input(), VK_LEFT);
    PressKey(window.Dialog(), Input(), VK_UP);
    EXPECT_EQ("one\rtwo", ReadInputText(Input()));
    CHARRANGE caret;
    SendMessageA(Input(), EM_EXGETSEL, 0, (LPARAM)&caret);
    EXPECT_EQ(0, SendMessageA(Input(), EM_EXLINEFROMCHAR, 0, caret.cpMin));
}

// Tab completes from the user list, symbols left out, the channel's latest
// speaker first; Tab again takes the next; the focus stays in the line.
TEST_F(InputLineTest, TabCompletesNicksAndKeepsTheFocus)
{
    ServerSends(":irc.test 353 tester = #marketbay :@Alice +alfred bob\r\n"
                ":irc.test 366 tester #marketbay :End of /NAMES list.\r\n"
                ":alfred!a@h PRIVMSG #marketbay :hi\r\n");
    const struct {
        const char* typed;
        int tabs;
        const char* line;
    } rows[] = {
        { "AL", 1, "alfred: " }, { "al", 2, "Alice: " }, { "al", 3, "alfred: " }, { "hi B", 1, "hi bob " },
        { "zz", 1, "zz" },
    };
    for (const auto& row : rows) {
        SetWindowTextA(Input(), row.typed);
        SendMessageA(Input(), EM_SETSEL, -1, -1);
        SetFocus(Input());
        for (int tab = 0; tab < row.tabs; ++tab)
            PressKey(window.Dialog(), Input(), VK_TAB);
        EXPECT_EQ(row.line, ReadInputText(Input())) << row.typed << " and " << row.tabs << " Tab";
        EXPECT_EQ(Input(), GetFocus()) << row.typed;
    }
}

} // namespace
