// What the client sends, through its queue, against the scripted peer:
// whole lines in order whatever the socket takes, the pace of typed text on
// a clock the test steps, PONG before waiting text, QUIT before everything,
// and a paste of many lines.
#include "client/control_ids.h"
#include "client/typed_text.h"
#include "support/chat_fixture.h"
#include "support/output_reading.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <thread>
#include <vector>

namespace {

const char kChannel[] = "#marketbay";

class OutgoingTest : public ChannelChatTest {
protected:
    void SetUp() override
    {
        ChannelChatTest::SetUp();
        mark = peer.Received().size();
    }

    HWND Input() const { return GetDlgItem(window.Dialog(), IDC_INPUT); }

    // Lines sent since the mark, waiting briefly for at least `count`.
    std::vector<std::string> LinesSent(size_t count = 0)
    {
        PumpUntil([&] { return Lines(peer.Received().substr(mark)).size() >= count; }, 1000);
        return Lines(peer.Received().substr(mark));
    }

    // The server sends `count` PINGs numbered from 0, each carrying `token`,
    // 200 to a write, and reads none of the answers meanwhile.
    void SendPings(int count, const std::string& token)
    {
        for (int sent = 0; sent < count;) {
            std::string batch;
            for (int i = 0; i < 200 && sent < count; ++i, ++sent)
                batch += "PING :" + std::to_string(sent) + token + "\r\n";
            ServerSendsUnanswered(batch);
        }
    }

    static std::vector<std::string> Lines(const std::string& bytes)
    {
        std::vector<std::string> lines;
        for (size_t at = 0, end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2)
            lines.push_back(bytes.substr(at, end - at));
        return lines;
    }

    // The user pastes the text into the input line and presses Enter.
    void Paste(const std::string& text)
    {
        std::wstring wide(text.size() + 1, L'\0');
        wide.resize(MultiByteToWideChar(1251, 0, text.c_str(), -1, &wide[0], (int)wide.size()) - 1);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
        memcpy(GlobalLock(memory), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        ASSERT_TRUE(OpenClipboard(window.Dialog()));
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
        SendMessageA(Input(), WM_PASTE, 0, 0);
    }

    // Text as the input line holds it: a paragraph break between lines.
    static std::string AsHeld(std::string text)
    {
        for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 1))
            text.erase(at + 1, 1);
        return text;
    }

    void PressEnter()
    {
        Client().m_ownLinePending = 1;
        Client().OnEnterInInputLine();
    }

    // Numbered lines "line 1" ... "line count", joined by CR LF.
    static std::string NumberedLines(int count, size_t padding = 0)
    {
        std::string text;
        for (int i = 1; i <= count; ++i) {
            text += (i > 1 ? "\r\n" : "") + ("line " + std::to_string(i)) + std::string(padding, '.');
        }
        return text;
    }

    static std::vector<std::string> Privmsgs(int from, int to, size_t padding = 0)
    {
        std::vector<std::string> lines;
        for (int i = from; i <= to; ++i)
            lines.push_back("PRIVMSG #marketbay :line " + std::to_string(i) + std::string(padding, '.'));
        return lines;
    }

    static std::vector<std::string> Joined(std::vector<std::string> first, const std::vector<std::string>& second)
    {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    }

    size_t mark = 0;
};

TEST_F(OutgoingTest, TypedTextGoesFiveLinesAtOnceThenOneEveryTwoSeconds)
{
    Client().TrimAndSend(NumberedLines(9).c_str());
    EXPECT_EQ(Privmsgs(1, 5), LinesSent(5));
    EXPECT_EQ("*** Строк в очереди на отправку: 4 (по одной в 2 секунды)", LastLine(kChannel));

    clock.Advance(1999);
    Client().OnSocketWrite();
    EXPECT_EQ(Privmsgs(1, 5), LinesSent()) << "not yet";
    clock.Advance(1);
    Client().OnSocketWrite();
    EXPECT_EQ(Privmsgs(1, 6), LinesSent(6));

    // The dialog's timer lets the next one go when its time has come.
    clock.Advance(2000);
    EXPECT_TRUE(PumpUntil([&] { return LinesSent().size() == 7; }, 3000));
    EXPECT_EQ(Privmsgs(1, 7), LinesSent());

    LetQueuedLinesGo();
    EXPECT_EQ(Privmsgs(1, 9), LinesSent());
    EXPECT_EQ("*** Все строки отправлены", LastLine(kChannel));
}

// Typing lets lines that waited go too; the note that they have gone is the
// client's, in its colour, and the typed line stays the user's own.
TEST_F(OutgoingTest, LinesThatWaitedAreSaidToHaveGoneInTheClientsColour)
{
    Client().TrimAndSend(NumberedLines(6).c_str());
    ASSERT_EQ(Privmsgs(1, 5), LinesSent(5));
    clock.Advance(4000);
    Client().m_ownLinePending = 1;
    Client().TrimAndSend("line 7");
    EXPECT_EQ(Privmsgs(1, 7), LinesSent(7));
    HWND output = Client().FindTab(kChannel);
    EXPECT_EQ("*** Все строки отправлены", LastLine(kChannel));
    EXPECT_EQ("0,0,127", StyleOf(output, "*** Все строки", CFE_BOLD));
    EXPECT_EQ("0,0,252 bold", StyleOf(output, "<tester> line 7", CFE_BOLD));
}

TEST_F(OutgoingTest, PongGoesBeforeWaitingTextAndQuitDropsIt)
{
    Client().TrimAndSend(NumberedLines(10).c_str());
    ASSERT_EQ(Privmsgs(1, 5), LinesSent(5));
    ServerSends("PING :alive\r\n");
    EXPECT_EQ(Joined(Privmsgs(1, 5), { "PONG :alive" }), LinesSent(6));

    // "Выйти": the user chose to leave, what waits is not sent.
    Client().OnLogoutButton();
    const std::vector<std::string> quit = { "QUIT :http://talvo.example/irc" };
    EXPECT_EQ(Joined(Joined(Privmsgs(1, 5), { "PONG :alive" }), quit), LinesSent(7));
    clock.Advance(60000);
    Client().OnSocketWrite();
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(Joined(Joined(Privmsgs(1, 5), { "PONG :alive" }), quit), LinesSent());
}

// Under Wine a send to a peer that reads nothing is taken whole until the
// socket's buffers are full (megabytes), then comes back short: the rest of
// that line waits, and so do all later lines, for FD_WRITE.
TEST_F(OutgoingTest, ASocketThatTakesPartOfALineLosesNothing)
{
    const std::string token(400, 't');
    const int pings = 12000;
    SendPings(pings, token);

    // Now the peer reads again until the last PONG is in.
    const std::string last = "PONG :" + std::to_string(pings - 1) + token + "\r\n";
    EXPECT_TRUE(PumpUntil([&] {
        const std::string& received = peer.Received();
        return received.size() >= last.size() && received.compare(received.size() - last.size(), last.size(), last) == 0;
    }, 60000)) << "the last PING is answered";

    // Every line is a whole PONG, in order; PONGs that waited behind a full
    // socket may have been replaced by later ones.
    std::vector<int> answered;
    for (const std::string& line : Lines(peer.Received().substr(mark))) {
        const int number = atoi(line.c_str() + strlen("PONG :"));
        answered.push_back(line == "PONG :" + std::to_string(number) + token ? number : -1);
    }
    int previous = -1;
    for (int number : answered) {
        ASSERT_GT(number, previous) << "a cut, mixed or out-of-order line";
        previous = number;
    }
    // Fewer answers than PINGs: the socket was full, and the PONGs waiting
    // behind it gave way to later ones.
    EXPECT_LT(answered.size(), (size_t)pings);
    printf("%u of %d PINGs answered one by one; the rest by a later PONG\n", (unsigned)answered.size(), pings);
}

// Leaving ends the connection at once (here the server refused the nick
// before its welcome): what a full socket held back, the rest of a line and
// the QUIT, still reaches a server that reads again.
TEST_F(OutgoingTest, LeavingSendsWhatAFullSocketHeldBack)
{
    const int small = 8192;
    setsockopt(Client().m_socket, SOL_SOCKET, SO_SNDBUF, (const char*)&small, sizeof small);
    const std::string token(400, 't');
    const int pings = 3000;
    SendPings(pings, token);

    std::thread server([&] { PumpUntil([&] { return peer.ClientClosed(); }, 20000); });
    Client().LeaveServer();
    server.join();

    std::vector<std::string> lines = Lines(peer.Received().substr(mark));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("QUIT :http://talvo.example/irc", lines.back());
    lines.pop_back();
    int previous = -1;
    for (const std::string& line : lines) {
        const int number = atoi(line.c_str() + strlen("PONG :"));
        ASSERT_EQ("PONG :" + std::to_string(number) + token, line) << "a cut or mixed line";
        ASSERT_GT(number, previous);
        previous = number;
    }
    EXPECT_LT(lines.size(), (size_t)pings) << "the socket was never full: nothing waited";
}

TEST_F(OutgoingTest, APasteOfManyLinesIsSentLineByLine)
{
    const std::string text = NumberedLines(40, 290);
    Paste(text);
    EXPECT_EQ(AsHeld(text), ReadInputText(Input())) << "the input line holds every line";

    PressEnter();
    EXPECT_EQ("", ReadInputText(Input()));
    LetQueuedLinesGo();
    EXPECT_EQ(Privmsgs(1, 40, 290), LinesSent(40));
}

TEST_F(OutgoingTest, TextBeyondWhatMayWaitIsRefusedAndKept)
{
    // As many lines as may wait; five of them go at once.
    Client().TrimAndSend(NumberedLines(128).c_str());
    Paste(NumberedLines(6));
    ASSERT_EQ(Privmsgs(1, 5), LinesSent(5));
    PressEnter();
    EXPECT_EQ("*** Текст не отправлен: слишком много строк ещё ждут отправки", LastLine(kChannel));
    EXPECT_EQ("255,0,0", StyleOf(Client().FindTab(kChannel), "*** Текст не", CFE_BOLD)) << "red, not the user's own line";
    EXPECT_EQ(AsHeld(NumberedLines(6)), ReadInputText(Input())) << "the input line keeps the refused text";
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(Privmsgs(1, 5), LinesSent()) << "nothing of it was sent";

    // Once the queue has room again the same text goes.
    LetQueuedLinesGo();
    clock.Advance(10000);
    mark = peer.Received().size();
    PressEnter();
    EXPECT_EQ(Privmsgs(1, 5), LinesSent(5));
}

} // namespace
