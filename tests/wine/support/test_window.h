// The chat dialog with its client record, as the tests drive it: the
// dialog's socket events reach the client as they do in the module.
#pragma once

#include "client/irc_client.h"

#include <memory>
#include <string>
#include <vector>

class IrcPeer;

class TestChatWindow {
public:
    TestChatWindow();
    ~TestChatWindow();

    CIrcClient& Client() { return *m_client; }
    HWND Dialog() const { return m_hDialog; }

    // Opens the server tab and connects to the peer on loopback, as the
    // login panel does; returns once FD_CONNECT was handled and the peer
    // holds the connection.
    bool ConnectTo(IrcPeer& peer, const char* nick = "tester");

    // Text of a tab's output control, line breaks as '\n'. A missing tab
    // fails the test: its emptiness proves nothing.
    // As an ANSI window reads it (code page 1251), and as it is: read as
    // UTF-16 (code page 1200) and given in UTF-8.
    std::string OutputText(const char* tabName) const;
    std::string OutputUtf8(const char* tabName) const;

    // The user list's entries, top to bottom.
    std::vector<std::string> UserListEntries() const;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<CIrcClient> m_client;
    HWND m_hHostWnd = NULL;
    HWND m_hDialog = NULL;
};
