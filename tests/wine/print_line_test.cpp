// Lines written into a real output control, read back as the user sees them:
// the text and the character format at chosen characters.
#include "protocol/colours.h"
#include "output/received_text.h"
#include "output/message_sound.h"
#include "output/output_batch.h"
#include "output/rich_stream.h"
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
        message == EM_STREAMIN || message == EM_GETCHARFORMAT || message == EM_SETCHARFORMAT ||
        message == WM_VSCROLL)
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

// Every byte a server may send reaches the control as the same characters a
// plain insertion of the code page 1251 text would give, line breaks of
// every kind included: from an old client's line in code page 1251, and the
// same characters from a line in UTF-8.
TEST_F(PrintLineTest, TextReadsBackAsInsertedPlainly)
{
    const char* cp1251 = "a\tb {c} d\\e \x01 f\rg\nh\n\ri\r\r\nj\r\r\r\nk\n\r\r\nl Кириллица \x7f\xff \\par {\\b x}";
    const char* utf8 = u8"a\tb {c} d\\e \x01 f\rg\nh\n\ri\r\r\nj\r\r\r\nk\n\r\r\nl Кириллица \x7f\u044f \\par {\\b x}";
    HWND plain = CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | ES_MULTILINE, 0, 0, 100, 100,
                                 window.Dialog(), NULL, NULL, NULL);
    SendMessageA(plain, EM_REPLACESEL, FALSE, (LPARAM)cp1251);
    char inserted[256] = "";
    GetWindowTextA(plain, inserted, sizeof inserted);
    DestroyWindow(plain);

    const struct {
        LineEncoding encoding;
        const char* text;
    } lines[] = { { LineEncoding::Windows1251, cp1251 }, { LineEncoding::Utf8, utf8 } };
    for (const auto& line : lines) {
        SetWindowTextA(output, "");
        {
            CReceivedTextScope received(line.encoding);
            Client().PrintLine(output, "%s", line.text);
        }
        char shown[256] = "";
        GetWindowTextA(output, shown, sizeof shown);
        EXPECT_STREQ(inserted, shown) << (line.encoding == LineEncoding::Utf8 ? "UTF-8" : "Windows-1251");
        EXPECT_EQ("192,192,192", StyleOf("Кириллица"));
    }
}

// Lines wait in an open batch and reach the control, in order and with their
// formats, when it closes; a batch opened inside writes the outer one first.
TEST_F(PrintLineTest, BatchedLinesAppearWhenTheBatchCloses)
{
    {
        COutputBatch outer(window.Dialog());
        Client().PrintLine(output, "\r\n%s<%s> %s", COLOUR_CHAT, "alice", "first");
        EXPECT_EQ("", Text());
        {
            COutputBatch inner(window.Dialog());
            EXPECT_EQ("\n<alice> first", Text());
            Client().PrintLine(output, "\r\n%s*** %s", COLOUR_CONNECTION, "second");
        }
        EXPECT_EQ("\n<alice> first\n*** second", Text());
        Client().PrintLine(output, "\r\n%s<%s> %s", COLOUR_CHAT, "bob", "hi tester");
        EXPECT_EQ("\n<alice> first\n*** second", Text());
    }
    EXPECT_EQ("\n<alice> first\n*** second\n<bob> hi tester", Text());
    EXPECT_EQ("91,140,79 bold", StyleOf("first"));
    EXPECT_EQ("0,0,127", StyleOf("second"));
    EXPECT_EQ("255,0,0 bold", StyleOf("<bob>"));
    EXPECT_TRUE(COutputBatch::OpenFor(window.Dialog()) == NULL);
}

// A batch's seams leave no trace: lines that reach one control in one
// batch read back, text and formats, exactly as the same lines do in
// another control that takes them one batch each.
TEST_F(PrintLineTest, BatchSeamsLeaveNoTrace)
{
    Client().OpenTab("alice");
    HWND single = Client().FindTab("alice");
    ASSERT_TRUE(single != NULL);
    const char* const kLines[] = {
        "\x02bold to the end",
        "plain after bold",
        "\x03" "4red\x1f under\x0f reset",
        "\x03" "12,1blue on black \x02bold\x02 not",
        "Кириллица \x1funder",
        "hi tester: mention",
        "last \x03" "3green",
    };
    {
        COutputBatch batch(window.Dialog());
        for (const char* line : kLines)
            Client().PrintLine(output, "\r\n%s<%s> %s", COLOUR_CHAT, "bob", line);
    }
    for (const char* line : kLines)
        Client().PrintLine(single, "\r\n%s<%s> %s", COLOUR_CHAT, "bob", line);

    const LONG kAll = 0x7fffffff;
    EXPECT_EQ(window.OutputText("#marketbay"), window.OutputText("alice"));
    EXPECT_EQ(ReadRichText(output, 0, kAll), ReadRichText(single, 0, kAll));
}

// A line reaches the control in one rich-text insertion and ends scrolled to
// the bottom; a dropped line sends nothing at all, a line without text only
// the scroll.
TEST_F(PrintLineTest, OutputMessagesInOrder)
{
    MessageList log;
    g_log = &log;
    g_controlProc = (WNDPROC)SetWindowLongPtrA(output, GWLP_WNDPROC, (LONG_PTR)&LogOutputMessage);
    Client().PrintLine(output, "\r\n%s*** ab", COLOUR_CONNECTION);
    Client().PrintLine(output, "\r\n%s%s", COLOUR_CHAT, "No origin specified");
    Client().PrintLine(output, "%s", COLOUR_CHAT);
    SetWindowLongPtrA(output, GWLP_WNDPROC, (LONG_PTR)g_controlProc);
    EXPECT_EQ("\n*** ab", Text());

    const MessageList expected = {
        { EM_SETSEL, 0x7fffffff }, { EM_STREAMIN, SF_RTF | SFF_SELECTION },  // the status line
        { EM_SETSEL, 0x7fffffff }, { WM_VSCROLL, SB_BOTTOM },
        { EM_SETSEL, 0x7fffffff }, { WM_VSCROLL, SB_BOTTOM },                // no text to insert
    };
    EXPECT_EQ(expected, log);
}

} // namespace
