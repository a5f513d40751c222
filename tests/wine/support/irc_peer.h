// A scripted IRC server on loopback: accepts one client, sends it chunks
// exactly as given and records every byte the client sends.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

class IrcPeer {
public:
    IrcPeer();
    ~IrcPeer();

    unsigned short Port() const { return m_port; }

    // Non-blocking: true once a client is connected.
    bool TryAccept();
    bool Connected() const { return m_client != INVALID_SOCKET; }

    void Send(const std::string& bytes);
    void CloseClient();

    // Everything the client has sent so far (reads what is waiting).
    const std::string& Received();
    // True once the client has closed its side.
    bool ClientClosed();
    // Drops the first copy of `bytes` at or after `from` from the record,
    // so that a fixture's own exchange stays out of what the tests compare.
    bool Forget(const std::string& bytes, size_t from);

private:
    void Drain();

    SOCKET m_listener = INVALID_SOCKET;
    SOCKET m_client = INVALID_SOCKET;
    unsigned short m_port = 0;
    bool m_clientClosed = false;
    std::string m_received;
};

// Logs the chat dialog of a loaded module in to `peer` as "tester", the way
// a user does on the login panel, and welcomes it without any CAP reply;
// true once the client has sent its JOIN.
bool LogInToPeer(HWND dialog, IrcPeer& peer);
