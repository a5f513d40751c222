// A failure while the module keeps the rich text a control writes out (the
// memory running out): it comes back to the module's own code, never
// through the rich edit, and the control is not rebuilt from part of it.
#include "protocol/colours.h"
#include "output/output_batch.h"
#include "output/rich_stream.h"
#include "output/scrollback_control.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

namespace {

void RunOutOfMemory(std::string&, const char*, size_t)
{
    throw std::bad_alloc();
}

// The control settles (its view follows the new lines) while the check its
// lines asked for waits: the test makes that check itself.
void PumpAllButTheScrollbackCheck()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, WM_SCROLLBACK - 1, PM_REMOVE) ||
           PeekMessageA(&message, NULL, WM_SCROLLBACK + 1, 0xffff, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

TEST(RichStreamTest, FailedWriteOutLeavesTheChannelAsItWas)
{
    TestChatWindow window;
    CIrcClient& client = window.Client();
    lstrcpynA(client.m_szServer, "irc.example.net", sizeof client.m_szServer);
    client.OpenTab(client.m_szServer);
    client.OpenTab("#marketbay");
    HWND channel = client.FindTab("#marketbay");
    for (int first = 1; first <= 1300; first += 100) {
        COutputBatch batch(window.Dialog());
        for (int n = first; n < first + 100; ++n)
            client.PrintLine(channel, "\r\n%s<user%d> line %d", COLOUR_CHAT, n, n);
    }
    PumpAllButTheScrollbackCheck();
    const std::string shown = window.OutputText("#marketbay");

    const auto keepWrittenRichText = g_pfnKeepWrittenRichText;
    g_pfnKeepWrittenRichText = &RunOutOfMemory;
    EXPECT_THROW(client.KeepScrollbackBounds(), std::bad_alloc);
    g_pfnKeepWrittenRichText = keepWrittenRichText;
    EXPECT_EQ(channel, client.FindTab("#marketbay"));
    EXPECT_EQ(shown, window.OutputText("#marketbay"));

    // Once keeping works again, the control gives up its older lines: the
    // reader's view stayed at the bottom.
    client.KeepScrollbackBounds();
    EXPECT_EQ(std::string::npos, window.OutputText("#marketbay").find("<user1100> "));
}

} // namespace
