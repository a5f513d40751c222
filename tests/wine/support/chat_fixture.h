// A chat window connected to a scripted peer, and the server's side of the
// conversation as the tests play it.
#pragma once

#include "support/irc_peer.h"
#include "support/message_pump.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <string>

// The clock the client paces its outgoing lines by, stepped by the test:
// lines the pace holds back go only when the test lets time pass.
class FakeSendClock {
public:
    FakeSendClock();
    ~FakeSendClock();

    FakeSendClock(const FakeSendClock&) = delete;
    FakeSendClock& operator=(const FakeSendClock&) = delete;

    void Advance(DWORD milliseconds) { s_now += milliseconds; }

private:
    static DWORD WINAPI Now() { return s_now; }

    static DWORD s_now;
    DWORD(WINAPI* m_pfnPrevious)();
};

// Connected, after a quiet moment: the pace lets a whole burst go.
class ConnectedChatTest : public ::testing::Test {
protected:
    void SetUp() override;

    CIrcClient& Client() { return window.Client(); }

    // Sends bytes as one chunk and waits until the client has taken them
    // in: whole lines are followed by a PING whose answer proves it (and is
    // kept out of Received()); the test fails when that proof never comes.
    void ServerSends(const std::string& bytes);
    // Sends bytes and waits until the client's socket holds none of them,
    // reading nothing the client sends: its own socket may fill. A weaker
    // proof: bytes still in flight on loopback look read.
    void ServerSendsUnanswered(const std::string& bytes);

    // What the client sent from `mark` on, after waiting (briefly) for at
    // least `length` bytes.
    std::string SentSince(size_t mark, size_t length);

    // Lets time pass, a line's interval at a time, for as long as the pace
    // lets held lines go, as the client's timer would send them.
    void LetQueuedLinesGo();

    FakeSendClock clock;
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
// Those held before any test ran; the count never drops below them.
int WinsockReferencesAtStart();
