#include "support/irc_peer.h"

#include "client/control_ids.h"
#include "support/message_pump.h"

#include <gtest/gtest.h>

#include <ws2tcpip.h>

IrcPeer::IrcPeer()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);

    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (bind(m_listener, (sockaddr*)&address, sizeof address) != 0 ||
        listen(m_listener, 4) != 0) {
        ADD_FAILURE() << "peer cannot listen on loopback: " << WSAGetLastError();
        return;
    }
    int length = sizeof address;
    getsockname(m_listener, (sockaddr*)&address, &length);
    m_port = ntohs(address.sin_port);
    u_long nonBlocking = 1;
    ioctlsocket(m_listener, FIONBIO, &nonBlocking);
}

IrcPeer::~IrcPeer()
{
    CloseClient();
    closesocket(m_listener);
    WSACleanup();
}

bool IrcPeer::TryAccept()
{
    if (m_client != INVALID_SOCKET)
        return true;
    m_client = accept(m_listener, NULL, NULL);
    if (m_client == INVALID_SOCKET)
        return false;
    u_long nonBlocking = 1;
    ioctlsocket(m_client, FIONBIO, &nonBlocking);
    int noDelay = 1;
    setsockopt(m_client, IPPROTO_TCP, TCP_NODELAY, (const char*)&noDelay, sizeof noDelay);
    m_clientClosed = false;
    return true;
}

void IrcPeer::Send(const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const int n = send(m_client, bytes.data() + sent, (int)(bytes.size() - sent), 0);
        if (n > 0) {
            sent += n;
        } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
            Sleep(1);
        } else {
            ADD_FAILURE() << "peer send failed: " << WSAGetLastError();
            return;
        }
    }
}

void IrcPeer::CloseClient()
{
    if (m_client == INVALID_SOCKET)
        return;
    Drain();
    shutdown(m_client, SD_BOTH);
    closesocket(m_client);
    m_client = INVALID_SOCKET;
}

void IrcPeer::Drain()
{
    if (m_client == INVALID_SOCKET)
        return;
    char chunk[4096];
    for (;;) {
        const int n = recv(m_client, chunk, sizeof chunk, 0);
        if (n > 0) {
            m_received.append(chunk, n);
            continue;
        }
        if (n == 0)
            m_clientClosed = true;
        return;
    }
}

const std::string& IrcPeer::Received()
{
    Drain();
    return m_received;
}

bool IrcPeer::ClientClosed()
{
    Drain();
    return m_clientClosed;
}

bool IrcPeer::Forget(const std::string& bytes, size_t from)
{
    const size_t at = m_received.find(bytes, from);
    if (at == std::string::npos)
        return false;
    m_received.erase(at, bytes.size());
    return true;
}

bool LogInToPeer(HWND dialog, IrcPeer& peer)
{
    HWND servers = GetDlgItem(dialog, IDC_SERVER_LIST);
    SendMessageA(servers, CB_ADDSTRING, 0, (LPARAM) "127.0.0.1");
    SendMessageA(servers, CB_SELECTSTRING, (WPARAM)-1, (LPARAM) "127.0.0.1");
    SetDlgItemTextA(dialog, IDC_PORT, std::to_string(peer.Port()).c_str());
    SetDlgItemTextA(dialog, IDC_NICK, "tester");
    SendMessageA(GetDlgItem(dialog, IDC_LOGIN), BM_CLICK, 0, 0);
    if (!PumpUntil([&] { return peer.TryAccept() && peer.Received().find("NICK tester\r\n") != std::string::npos; }))
        return false;
    peer.Send(":irc.test 001 tester :Welcome\r\n");
    return PumpUntil([&] { return peer.Received().find("JOIN") != std::string::npos; });
}
