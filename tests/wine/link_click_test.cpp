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

LONG Find(HWND output, const char* text)
{
    FINDTEXTA find = { { 0, -1 }, text };
    return (LONG)SendMessageA(output, EM_FINDTEXT, FR_DOWN | FR_MATCHCASE, (LPARAM)&find);
}

LPARAM PointOf(HWND output, const char* text)
{
    POINTL at = {};
    SendMessageA(output, EM_POSFROMCHAR, (WPARAM)&at, Find(output, text) + 1);
    return MAKELPARAM(at.x + 2, at.y + 4);
}

// The control marks every link it knows, web or not (Wine's only with a
// lower-case scheme), and tells its page of clicks on them; a selection
// dragged onto a link is no click. The same line without links is the
// measure of the colours: the control draws a link's underline, which is no
// character format.
TEST(LinkClickTest, OpensWebLinksAndKeepsTheLinesColours)
{
    const auto open = g_pfnShellExecute;
    g_pfnShellExecute = &RecordOpen;
    TestChatWindow window;
    CIrcClient& client = window.Client();
    lstrcpynA(client.m_szServer, "irc.example.net", sizeof client.m_szServer);
    client.OpenTab(client.m_szServer);
    client.OpenTab("#marketbay");
    HWND output = client.FindTab("#marketbay");
    const char* const links[] = { "http://example.com/a", "https://Example.com/b", "www.example.org",
                                  "ftp://example.com/f", "file:///C:/x.exe", "mailto:a@example.com" };
    std::string text;
    for (const char* link : links)
        text += std::string(" ") + link;
    client.PrintLine(output, "\r\n%s<\x03" "4alice\x03" "15> see%s \x03" "3green", COLOUR_CHAT, text.c_str());
    client.PrintLine(output, "\r\n%s<\x03" "4alice\x03" "15> see plain \x03" "3green", COLOUR_CHAT);
    PumpPending();

    const LONG linked = Find(output, "<alice> see http");
    const LONG plain = Find(output, "<alice> see plain");
    for (LONG i = 0; i < 13; ++i)
        EXPECT_EQ(StyleAt(output, plain + i), StyleAt(output, linked + i)) << i;
    const LONG linkedEnd = Find(output, ".com green") + 4;
    const LONG plainEnd = Find(output, "plain green") + 5;
    for (LONG i = 0; i < 6; ++i)
        EXPECT_EQ(StyleAt(output, plainEnd + i), StyleAt(output, linkedEnd + i)) << i;

    SendMessageA(output, WM_LBUTTONDOWN, MK_LBUTTON, PointOf(output, "see"));
    SendMessageA(output, WM_MOUSEMOVE, MK_LBUTTON, PointOf(output, links[0]));
    SendMessageA(output, WM_LBUTTONUP, 0, PointOf(output, links[0]));
    for (const char* link : links) {
        SendMessageA(output, WM_LBUTTONDOWN, MK_LBUTTON, PointOf(output, link));
        SendMessageA(output, WM_LBUTTONUP, 0, PointOf(output, link));
    }
    const std::vector<std::string> web = { "open http://example.com/a", "open https://Example.com/b",
                                           "open http://www.example.org" };
    EXPECT_EQ(web, g_opened);
    g_pfnShellExecute = open;
}

} // namespace
