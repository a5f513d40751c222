// Lines written into a real output control, read back as the user sees them:
// the text and the character format at chosen characters.
#include "output/colours.h"
#include "output/message_sound.h"
#include "support/output_reading.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

typedef std::vector<std::pair<UINT, WPARAM>> MessageList;

// The output messages a control receives while the log is installed.
MessageList* g_log;
WNDPROC g_controlProc;

LRESULT CALLBACK LogOutputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == EM_SETSEL || message == EM_SCROLLCARET || message == EM_REPLACESEL ||
        message == EM_GETCHARFORMAT || message == EM_SETCHARFORMAT || message == WM_VSCROLL)
        g_log->push_back(std::make_pair(message, wParam));
    return CallWindowProcA(g_controlProc, window, message, wParam, lParam);
}

class PrintLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        lstrcpynA(Client().m_szNick, "tester", sizeof Client().m_szNick);
        Client().OpenTab("#marketbay");
        output = Client().FindTab("#marketbay");
        ASSERT_TRUE(output != NULL);
    }

    CIrcClient& Client() { return window.Client(); }
    std::string Text() const { return window.OutputText("#marketbay"); }

    // "r,g,b" and " bold", " underline" for the first character of `word`.
    std::string StyleOf(const char* word) const { return ::StyleOf(output, word); }

    TestChatWindow window;
    HWND output = NULL;
};

TEST_F(PrintLineTest, ChatAndStatusLines)
{
    Client().PrintLine(output, "\r\n%s<%s> %s", COLOUR_CHAT, "alice", "hello all");
    Client().PrintLine(output, "\r\n%s*** Соединяюсь с %s...", COLOUR_CONNECTION, "irc.example.net");
    EXPECT_EQ("\n<alice> hello all\n*** Соединяюсь с irc.example.net...", Text());
    EXPECT_EQ("91,140,79 bold", StyleOf("<alice>"));
    EXPECT_EQ("91,140,79 bold", StyleOf("all"));
    EXPECT_EQ("0,0,127", StyleOf("***"));
    EXPECT_EQ("0,0,127", StyleOf("Соединяюсь"));
}

TEST_F(PrintLineTest, StyleCodesInTheText)
{
    Client().PrintLine(output, "\r\n%sred \x02" "bold\x02 plain \x1f" "under\x0f" "kept\x1f" "on\x1f" "off",
                       COLOUR_CTCP);
    Client().PrintLine(output, "\r\n%szero\x03" "1one\x03" "99same\x03" "3,5green", COLOUR_ERROR);
    EXPECT_EQ("\nred bold plain underkeptonoff\nzeroonesame,5green", Text());
    EXPECT_EQ("255,0,0", StyleOf("red"));
    EXPECT_EQ("255,0,0 bold", StyleOf("bold"));
    EXPECT_EQ("255,0,0 underline", StyleOf("under"));
    // The plain code turns bold off only: underline stays on in the control.
    EXPECT_EQ("255,0,0 underline", StyleOf("kept"));
    EXPECT_EQ("255,0,0 underline", StyleOf("on"));
    EXPECT_EQ("255,0,0", StyleOf("off"));
    EXPECT_EQ("0,0,0", StyleOf("one"));
    EXPECT_EQ("0,0,0", StyleOf("same"));
    EXPECT_EQ("0,147,0", StyleOf(",5green"));
}

TEST_F(PrintLineTest, MentionAndOwnLine)
{
    const int sounds = MessageSoundRequests();
    Client().PrintLine(output, "\r\n%s<%s> %s", COLOUR_CHAT, "alice", "hi tester");
    EXPECT_EQ(sounds + 1, MessageSoundRequests());
    Client().m_ownLinePending = 1;
    Client().PrintLine(output, "\r\n%s<%s> %s", COLOUR_CHAT, "tester", "my words");
    EXPECT_EQ(0, Client().m_ownLinePending);
    Client().PrintLine(output, "\r\n%s*** a > b %s", COLOUR_CONNECTION, "tester");
    EXPECT_EQ("\n<alice> hi tester\n<tester> my words\n*** a > b tester", Text());
    EXPECT_EQ("255,0,0 bold", StyleOf("<alice>"));
    EXPECT_EQ("0,0,252 bold", StyleOf("words"));
    EXPECT_EQ("255,0,0 bold", StyleOf("***"));
    EXPECT_EQ(sounds + 2, MessageSoundRequests());
}

TEST_F(PrintLineTest, MentionWithSoundOffIsSilent)
{
    Client().m_soundOn = 0;
    const int sounds = MessageSoundRequests();
    Client().PrintLine(output, "\r\n%s<%s> %s", COLOUR_CHAT, "alice", "hi tester");
    Client().PrintLine(output, "\r\n%s<%s> %s", COLOUR_CHAT, "alice", "no mention");
    EXPECT_EQ("255,0,0 bold", StyleOf("hi"));
    EXPECT_EQ("91,140,79 bold", StyleOf("no"));
    EXPECT_EQ(sounds, MessageSoundRequests());
}

TEST_F(PrintLineTest, ShowsTheControlEvenWithoutFormat)
{
    ShowWindow(output, SW_HIDE);
    Client().PrintLine(output, NULL);
    EXPECT_TRUE(GetWindowLongA(output, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(PrintLineTest, WithoutControlTheLineIsLostButTheOwnFlagUsed)
{
    Client().m_ownLinePending = 1;
    Client().PrintLine(NULL, "\r\n%s<%s> %s", COLOUR_CHAT, "tester", "nowhere");
    EXPECT_EQ(0, Client().m_ownLinePending);
    EXPECT_EQ("", Text());
}

// Wine's rich edit already scrolls the caret into view on EM_SETSEL, so the
// final WM_VSCROLL is seen only in the messages the control receives. A
// dropped line sends none at all: it neither shows nor scrolls.
TEST_F(PrintLineTest, OutputMessagesInOrder)
{
    MessageList log;
    g_log = &log;
    g_controlProc = (WNDPROC)SetWindowLongPtrA(output, GWLP_WNDPROC, (LONG_PTR)&LogOutputMessage);
    Client().PrintLine(output, "\r\n%s*** ab", COLOUR_CONNECTION);
    Client().PrintLine(output, "\r\n%s%s %s", COLOUR_CHAT, "421", "No origin specified(null)");
    Client().PrintLine(output, "%s", COLOUR_CHAT);
    SetWindowLongPtrA(output, GWLP_WNDPROC, (LONG_PTR)g_controlProc);
    EXPECT_EQ("\n*** ab", Text());

    const MessageList end = { { EM_SETSEL, 0x7fffffff } };
    const MessageList apply = { { EM_GETCHARFORMAT, SCF_DEFAULT }, { EM_SETCHARFORMAT, SCF_SELECTION } };
    const MessageList insert = { { EM_REPLACESEL, FALSE }, { EM_SCROLLCARET, 0 }, { EM_SETSEL, 0x7fffffff } };
    const MessageList bottom = { { WM_VSCROLL, SB_BOTTOM } };
    MessageList expected;
    for (const MessageList* part : { &end, &apply, &insert, &apply, &insert, &bottom,  // the status line
                                     &end, &apply, &apply, &bottom }) {                // no text to insert
        expected.insert(expected.end(), part->begin(), part->end());
    }
    EXPECT_EQ(expected, log);
}

} // namespace
