// Links in a conversation's output: a left click opens a web address in the
// browser and nothing else, and the link keeps the line's colours.
#include "output/link_click.h"
#include "protocol/colours.h"
#include "support/message_pump.h"
#include "support/output_reading.h"
#include "support/test_window.h"

#include <commdlg.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_opened;

HINSTANCE WINAPI RecordOpen(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT)
{
    g_opened.push_back(std::string(verb) + " " + file);
    return (HINSTANCE)33;
}

struct Link {
    const char* text;
    const char* opened;  // empty: nothing opens
};

const Link kLinks[] = {
    { "http://example.com/a", "open http://example.com/a" },
    { "HTTPS://example.com/b", "open HTTPS://example.com/b" },
    { "www.example.org", "open http://www.example.org" },
    { "ftp://example.com/f", "" },
    { "file:///C:/x.exe", "" },
    { "javascript:alert(1)", "" },
};

CHARRANGE FindText(HWND output, const char* text)
{
    FINDTEXTA find = { { 0, -1 }, text };
    const LONG at = (LONG)SendMessageA(output, EM_FINDTEXT, FR_DOWN | FR_MATCHCASE, (LPARAM)&find);
    return CHARRANGE{ at, at + lstrlenA(text) };
}

bool IsLink(HWND output, LONG position)
{
    SendMessageA(output, EM_SETSEL, position, position + 1);
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(output, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    SendMessageA(output, EM_SETSEL, position, position);
    return (format.dwEffects & CFE_LINK) != 0;
}

class LinkClickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_open = g_pfnShellExecute;
        g_pfnShellExecute = &RecordOpen;
        g_opened.clear();
        CIrcClient& client = m_window.Client();
        lstrcpynA(client.m_szServer, "irc.example.net", sizeof client.m_szServer);
        client.OpenTab(client.m_szServer);
        client.OpenTab("#marketbay");
        m_output = client.FindTab("#marketbay");
        std::string links;
        for (const Link& link : kLinks)
            links += std::string(" ") + link.text;
        // A nick and a word in colours of their own on both sides of links.
        client.PrintLine(m_output, "\r\n%s<\x03" "4alice\x03" "15> see%s \x03" "3green", COLOUR_CHAT, links.c_str());
        client.PrintLine(m_output, "\r\n%s<\x03" "4alice\x03" "15> see plain \x03" "3green", COLOUR_CHAT);
        PumpPending();
    }
    void TearDown() override { g_pfnShellExecute = m_open; }

    TestChatWindow m_window;
    HWND m_output = NULL;
    HINSTANCE(WINAPI* m_open)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) = NULL;
};

// The control's page hears of the click as the control tells it.
TEST_F(LinkClickTest, OpensWebAddressesOnly)
{
    for (const Link& link : kLinks) {
        g_opened.clear();
        ENLINK click = {};
        click.nmhdr = { m_output, (UINT_PTR)GetDlgCtrlID(m_output), EN_LINK };
        click.msg = WM_LBUTTONUP;
        click.chrg = FindText(m_output, link.text);
        SendMessageA(GetParent(m_output), WM_NOTIFY, click.nmhdr.idFrom, (LPARAM)&click);
        EXPECT_EQ(link.opened, g_opened.empty() ? "" : g_opened.back()) << link.text;
    }
}

LPARAM PointOf(HWND output, const char* text)
{
    POINTL at = {};
    SendMessageA(output, EM_POSFROMCHAR, (WPARAM)&at, FindText(output, text).cpMin);
    return MAKELPARAM(at.x + 2, at.y + 4);
}

// The control finds the link itself and tells its page of a real click; a
// selection dragged onto the link opens nothing.
TEST_F(LinkClickTest, ClickOnTheLinkOpensIt)
{
    ASSERT_TRUE(IsLink(m_output, FindText(m_output, "example.com/a").cpMin));
    const LPARAM link = PointOf(m_output, "example.com/a");
    SendMessageA(m_output, WM_LBUTTONDOWN, MK_LBUTTON, PointOf(m_output, "see"));
    SendMessageA(m_output, WM_MOUSEMOVE, MK_LBUTTON, link);
    SendMessageA(m_output, WM_LBUTTONUP, 0, link);
    EXPECT_TRUE(g_opened.empty());
    SendMessageA(m_output, WM_LBUTTONDOWN, MK_LBUTTON, link);
    SendMessageA(m_output, WM_LBUTTONUP, 0, link);
    EXPECT_EQ(std::vector<std::string>{ "open http://example.com/a" }, g_opened);
}

// The same line without links is the measure: every character around
// them keeps its colour and effects, and the link itself the line's colour
// (the control draws its underline, which is no character format).
TEST_F(LinkClickTest, LinkKeepsTheColoursAroundIt)
{
    const LONG linked = FindText(m_output, "<alice> see http").cpMin;
    const LONG plain = FindText(m_output, "<alice> see plain").cpMin;
    EXPECT_TRUE(IsLink(m_output, linked + 12));
    for (LONG i = 0; i < 13; ++i)
        EXPECT_EQ(StyleAt(m_output, plain + i), StyleAt(m_output, linked + i)) << i;
    const LONG linkedEnd = FindText(m_output, "alert(1) green").cpMax;
    const LONG plainEnd = FindText(m_output, "plain green").cpMax;
    for (LONG i = 1; i <= 6; ++i)
        EXPECT_EQ(StyleAt(m_output, plainEnd - i), StyleAt(m_output, linkedEnd - i)) << i;
}

} // namespace
