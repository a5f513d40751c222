// A chat window connected to a scripted peer, and the server's side of the
// conversation as the tests play it.
#pragma once

#include "support/irc_peer.h"
#include "support/message_pump.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <string>

class ConnectedChatTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(window.ConnectTo(peer)); }

    CIrcClient& Client() { return window.Client(); }

    // Sends bytes as one chunk and waits until the client has taken them in.
    void ServerSends(const std::string& bytes);

    // What the client sent from `mark` on, after waiting (briefly) for at
    // least `length` bytes.
    std::string SentSince(size_t mark, size_t length);

    IrcPeer peer;
    TestChatWindow window;
};

// Connected, with the "#marketbay" tab open beside the server's.
class ChannelChatTest : public ConnectedChatTest {
protected:
    void SetUp() override;

    // What follows the last line break in a tab's output.
    std::string LastLine(const char* tab) const;
};

// The button shows the bitmap of this skin file.
bool ButtonShowsImage(HWND button, const char* path);

// A loopback port that nobody listens on.
unsigned short UnusedPort();

// Socket library references held by this process (WSAStartup calls not yet
// balanced by WSACleanup); counted without changing them.
int WinsockReferences();
