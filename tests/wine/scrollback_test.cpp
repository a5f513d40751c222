// The scrollback as a reader sees it: the newest lines in the output control
// with their colours and bold, the older ones back above them when the
// reader scrolls to the top, the bounds of each conversation and of the
// window, and the reader's place kept.
#include "protocol/colours.h"
#include "output/output_batch.h"
#include "support/chat_fixture.h"
#include "support/message_pump.h"
#include "support/output_reading.h"
#include "support/test_window.h"

#include <commdlg.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

class ScrollbackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        lstrcpynA(Client().m_szNick, "tester", sizeof Client().m_szNick);
        lstrcpynA(Client().m_szServer, "irc.example.net", sizeof Client().m_szServer);
        Client().OpenTab(Client().m_szServer);
        Client().OpenTab("#marketbay");
    }

    CIrcClient& Client() { return window.Client(); }
    HWND Output(const char* tab) { return Client().FindTab(tab); }

    // Lines `from` to `to` as the server's traffic would bring them: a
    // hundred to a read, and the dialog's messages handled between reads.
    void PrintLines(const char* tab, int from, int to)
    {
        for (int first = from; first <= to; first += 100) {
            COutputBatch batch(window.Dialog());
            for (int n = first; n <= to && n < first + 100; ++n)
                Client().PrintLine(Output(tab), "\r\n%s<user%d> \x02" "bold%d.\x02 \x03" "4red%d.\x03 plain%d.",
                                   COLOUR_CHAT, n, n, n, n);
        }
        PumpPending();
    }

    // The text of lines `from` to `to`, as the tab shows them.
    static std::string Lines(int from, int to)
    {
        std::string text;
        char line[128];
        for (int n = from; n <= to; ++n) {
            snprintf(line, sizeof line, "\n<user%d> bold%d. red%d. plain%d.", n, n, n, n);
            text += line;
        }
        return text;
    }

    // The reader scrolls to the top; the stored lines come back above.
    void ScrollToTop(const char* tab)
    {
        SendMessageA(Output(tab), WM_VSCROLL, SB_TOP, 0);
        PumpPending();
    }

    // The colour and effects of the line's three words.
    std::string StylesOfLine(const char* tab, int n)
    {
        char word[32];
        std::string styles;
        for (const char* name : { "bold", "red", "plain" }) {
            snprintf(word, sizeof word, "%s%d.", name, n);
            styles += StyleOf(Output(tab), word) + "|";
        }
        return styles;
    }

    // The reader scrolls until line `n` is at the top of the view.
    void ScrollLineToTop(const char* tab, int n)
    {
        HWND output = Output(tab);
        char word[32];
        snprintf(word, sizeof word, "<user%d>", n);
        FINDTEXTA find = { { 0, -1 }, word };
        const LONG position = (LONG)SendMessageA(output, EM_FINDTEXT, FR_DOWN | FR_MATCHCASE, (LPARAM)&find);
        POINTL at = {};
        POINTL top = {};
        SendMessageA(output, EM_POSFROMCHAR, (WPARAM)&at, position);
        SendMessageA(output, EM_POSFROMCHAR, (WPARAM)&top, 0);
        POINT view = { 0, at.y - top.y };
        SendMessageA(output, EM_SETSCROLLPOS, 0, (LPARAM)&view);
    }

    // The number of the line in view at the top of the tab, read from its
    // text; 0 for the empty line the text starts with.
    int LineAtTop(const char* tab)
    {
        HWND output = Output(tab);
        const LRESULT row = SendMessageA(output, EM_GETFIRSTVISIBLELINE, 0, 0);
        const LONG start = (LONG)SendMessageA(output, EM_LINEINDEX, row, 0);
        char text[64] = "";
        TEXTRANGEA range = { { start, start + 60 }, text };
        SendMessageA(output, EM_GETTEXTRANGE, 0, (LPARAM)&range);
        int n = 0;
        sscanf(text, "<user%d>", &n);
        return n;
    }

    // Every line numbered `first` to `last` once, in order, and nothing else.
    static bool HoldsExactly(const std::string& text, int* first, int last)
    {
        if (sscanf(text.c_str(), "\n<user%d>", first) != 1)
            return false;
        return text == Lines(*first, last);
    }

    TestChatWindow window;
};

bool IsAtBottom(HWND output)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(output, SB_VERT, &info);
    return info.nPos + (int)info.nPage >= info.nMax;
}

TEST_F(ScrollbackTest, ChannelShowsItsNewestLinesAndTheOlderComeBackAtTheTop)
{
    PrintLines("#marketbay", 1, 1300);

    // 1,300 lines are more than 200 shown and a block: the newest 200 stay,
    // with their formats, and the reader is still at the bottom.
    EXPECT_EQ(Lines(1101, 1300), window.OutputText("#marketbay"));
    EXPECT_TRUE(IsAtBottom(Output("#marketbay")));
    const std::string styles = StylesOfLine("#marketbay", 1300);
    EXPECT_NE(std::string::npos, styles.find(" bold|")) << styles;
    EXPECT_EQ(styles, StylesOfLine("#marketbay", 1101));

    ScrollToTop("#marketbay");
    // The text that was at the top is still in the same place, the stored
    // lines above it. (Reading formats below selects text, which scrolls.)
    EXPECT_EQ(1100, LineAtTop("#marketbay"));
    EXPECT_EQ(Lines(1, 1300), window.OutputText("#marketbay"));
    EXPECT_EQ(styles, StylesOfLine("#marketbay", 1));
    EXPECT_EQ(styles, StylesOfLine("#marketbay", 1100));
    EXPECT_EQ(styles, StylesOfLine("#marketbay", 1101));

    // New lines scroll to the bottom, and the control gives up its older
    // lines again once it holds a block too many.
    PrintLines("#marketbay", 1301, 1400);
    EXPECT_TRUE(IsAtBottom(Output("#marketbay")));
    EXPECT_EQ(Lines(1201, 1400), window.OutputText("#marketbay"));
    ScrollToTop("#marketbay");
    EXPECT_EQ(Lines(1, 1400), window.OutputText("#marketbay"));
}

TEST_F(ScrollbackTest, ConversationsKeepTheirNewestLinesUpToTheirBound)
{
    Client().OpenTab("alice");
    PrintLines("#marketbay", 1, 7500);
    PrintLines("alice", 1, 3000);

    ScrollToTop("#marketbay");
    int first = 0;
    EXPECT_TRUE(HoldsExactly(window.OutputText("#marketbay"), &first, 7500)) << first;
    // Older lines go in whole blocks: at least 5,000 kept, never a block more.
    EXPECT_GE(7500 - first + 1, 5000);
    EXPECT_LE(7500 - first + 1, 6200);

    ScrollToTop("alice");
    EXPECT_TRUE(HoldsExactly(window.OutputText("alice"), &first, 3000)) << first;
    EXPECT_GE(3000 - first + 1, 2000);
    EXPECT_LE(3000 - first + 1, 2600);
}

// With the channel the largest conversation, the window's bound takes its
// oldest lines; a reader scrolled up in it keeps the same text in view, and
// every other conversation keeps all its lines.
TEST_F(ScrollbackTest, WindowTrimsTheLargestConversationAndKeepsTheReadersPlace)
{
    PrintLines(Client().m_szServer, 1, 1000);
    PrintLines("#marketbay", 1, 5000);
    const char* const peers[] = { "peer1", "peer2", "peer3", "peer4", "peer5", "peer6", "peer7" };
    for (const char* peer : peers) {
        Client().OpenTab(peer);
        PrintLines(peer, 1, 2000);
    }
    SendMessageA(Client().m_hTabCtrl, TCM_SETCURSEL, 1, 0);
    Client().OnTabSelChange();
    ScrollToTop("#marketbay");
    ASSERT_EQ(Lines(1, 5000), window.OutputText("#marketbay"));
    // The stored lines came back above the newest 200; the reader scrolls
    // further up, to the middle.
    ScrollLineToTop("#marketbay", 2500);
    const int reading = LineAtTop("#marketbay");
    ASSERT_EQ(2500, reading);

    // 20,000 lines in the window; a thousand more are over its bound.
    Client().OpenTab("peer8");
    PrintLines("peer8", 1, 1000);
    SendMessageA(Client().m_hTabCtrl, TCM_SETCURSEL, 1, 0);
    Client().OnTabSelChange();

    // The window goes a block under its bound: 2,000 lines of the channel.
    EXPECT_EQ(Lines(2001, 5000), window.OutputText("#marketbay"));
    EXPECT_EQ(reading, LineAtTop("#marketbay"));
    ScrollToTop("peer8");
    EXPECT_EQ(Lines(1, 1000), window.OutputText("peer8"));
    for (const char* peer : peers) {
        ScrollToTop(peer);
        EXPECT_EQ(Lines(1, 2000), window.OutputText(peer)) << peer;
    }
    ScrollToTop(Client().m_szServer);
    EXPECT_EQ(Lines(1, 1000), window.OutputText(Client().m_szServer));
}

// One check both rebuilds a conversation past its own bound and finds the
// window past its bound with that conversation the largest: the window's
// trim goes on with the rebuilt control, not the one it replaced.
TEST_F(ScrollbackTest, WindowTrimsAConversationRebuiltInTheSameCheck)
{
    char peer[16];
    for (int n = 1; n <= 10; ++n) {
        snprintf(peer, sizeof peer, "peer%d", n);
        Client().OpenTab(peer);
        PrintLines(peer, 1, 1900);
    }
    Client().OpenTab("busy");
    {
        COutputBatch batch(window.Dialog());
        for (int n = 1; n <= 2500; ++n)
            Client().PrintLine(Output("busy"), "\r\n%s<user%d> \x02" "bold%d.\x02 \x03" "4red%d.\x03 plain%d.",
                               COLOUR_CHAT, n, n, n, n);
    }
    PumpPending();

    ASSERT_TRUE(IsWindow(window.Dialog()));
    int first = 0;
    EXPECT_TRUE(HoldsExactly(window.OutputText("busy"), &first, 2500));
    EXPECT_EQ(2301, first);
    // The window took its oldest stored lines; what is left is an unbroken
    // run up to the newest line.
    ScrollToTop("busy");
    EXPECT_TRUE(HoldsExactly(window.OutputText("busy"), &first, 2500));
    EXPECT_GT(first, 1);
}

// The reader holds the channel's control with the mouse: the scroll bar's
// drag (or a selection) captures it and runs a message loop of its own.
// Neither the stored lines the drag to the top asks for nor a trim rebuild
// the control under it; both come once the mouse is let go.
TEST_F(ScrollbackTest, ControlHeldWithTheMouseIsRebuiltOnceLetGo)
{
    PrintLines("#marketbay", 1, 1300);
    const struct {
        std::function<void(HWND)> act;
        std::string whileHeld, onceLetGo;
    } rows[] = {
        { [](HWND output) {
              for (WORD code : { SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL })
                  SendMessageA(output, WM_VSCROLL, MAKEWPARAM(code, 0), 0);
          }, Lines(1101, 1300), Lines(1, 1300) },
        { [this](HWND) { PrintLines("#marketbay", 1301, 1400); }, Lines(1, 1400), Lines(1201, 1400) },
    };
    for (const auto& row : rows) {
        HWND held = Output("#marketbay");
        SetCapture(held);
        row.act(held);
        PumpPending();
        EXPECT_TRUE(IsWindow(held));
        EXPECT_EQ(held, Output("#marketbay"));
        EXPECT_EQ(row.whileHeld, window.OutputText("#marketbay"));
        ReleaseCapture();
        PumpPending();
        EXPECT_FALSE(IsWindow(held));
        EXPECT_EQ(row.onceLetGo, window.OutputText("#marketbay"));
    }
}

// Where the newest line, `length` characters at the end of the text, lies:
// the top of its first row, and how far its last row ends below the client
// area (rows are of one height, the text's first row empty).
struct LinePlace {
    LONG top;
    LONG belowClientArea;
};

LinePlace PlaceOfNewestLine(HWND output, size_t length)
{
    GETTEXTLENGTHEX how = { GTL_NUMCHARS, 1200 };
    const LONG end = (LONG)SendMessageA(output, EM_GETTEXTLENGTHEX, (WPARAM)&how, 0);
    POINTL top = {}, second = {}, first = {}, last = {};
    SendMessageA(output, EM_POSFROMCHAR, (WPARAM)&top, 0);
    SendMessageA(output, EM_POSFROMCHAR, (WPARAM)&second, SendMessageA(output, EM_LINEINDEX, 1, 0));
    SendMessageA(output, EM_POSFROMCHAR, (WPARAM)&first, end - (LONG)length);
    SendMessageA(output, EM_POSFROMCHAR, (WPARAM)&last, end);
    RECT area;
    GetClientRect(output, &area);
    return { first.y, last.y + second.y - top.y - area.bottom };
}

class ScrollbackBurstTest : public ChannelChatTest {};

// Twelve blocks of a thousand channel lines arrive one after the other,
// nobody touching the window; a PING behind them proves they were all read.
// Each line wraps to several rows.
TEST_F(ScrollbackBurstTest, NewestLineIsInViewAfterALongBurst)
{
    const std::string words(400, 'W');
    std::string block;
    char line[512];
    for (int n = 1; n <= 12000; ++n) {
        snprintf(line, sizeof line, ":alice!a@example.net PRIVMSG #marketbay :line %d %s\r\n", n,
                 words.c_str());
        block += line;
        if (n % 1000 == 0) {
            ServerSendsUnanswered(block);
            block.clear();
        }
    }
    const size_t mark = peer.Received().size();
    peer.Send("PING :burst-read\r\n");
    ASSERT_TRUE(PumpUntil([&] { return peer.Received().find("PONG :burst-read", mark) != std::string::npos; },
                          120000));
    PumpPending();

    const std::string newest = LastLine("#marketbay");
    EXPECT_EQ("<alice> line 12000 " + words, newest);
    const LinePlace place = PlaceOfNewestLine(Client().FindTab("#marketbay"), newest.size());
    EXPECT_GE(place.top, 0);
    EXPECT_LE(place.belowClientArea, 0);
    // The control gave its older lines to the store: it holds at most the
    // lines it keeps shown and a block.
    const std::string shown = window.OutputText("#marketbay");
    EXPECT_LE(std::count(shown.begin(), shown.end(), '\n'), 1200);
}

} // namespace
