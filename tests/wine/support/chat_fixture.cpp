#include "support/chat_fixture.h"

#include "net/send_clock.h"

#include <vector>

DWORD FakeSendClock::s_now = 1000000;

FakeSendClock::FakeSendClock() : m_pfnPrevious(g_pfnSendTicks)
{
    g_pfnSendTicks = &FakeSendClock::Now;
}

FakeSendClock::~FakeSendClock()
{
    g_pfnSendTicks = m_pfnPrevious;
}

void ConnectedChatTest::SetUp()
{
    ASSERT_TRUE(window.ConnectTo(peer));
    clock.Advance(10000);
}

void ConnectedChatTest::LetQueuedLinesGo()
{
    // The queue holds at most 128 lines.
    for (int step = 0; step < 200; ++step) {
        const size_t before = peer.Received().size();
        clock.Advance(2000);
        Client().OnSocketWrite();
        if (!PumpUntil([&] { return peer.Received().size() > before; }, 100))
            break;
    }
}

void ConnectedChatTest::ServerSendsUnanswered(const std::string& bytes)
{
    peer.Send(bytes);
    SOCKET socket = Client().m_socket;
    EXPECT_TRUE(PumpUntil([&] {
        unsigned long waiting = 0;
        return ioctlsocket(socket, FIONREAD, &waiting) != 0 || waiting == 0;
    })) << "the client left bytes unread";
    PumpPending();
}

void ConnectedChatTest::ServerSends(const std::string& bytes)
{
    // A line cut short cannot carry the PING behind it.
    if (bytes.empty() || bytes.back() != '\n') {
        ServerSendsUnanswered(bytes);
        return;
    }
    // The answer comes only once every line before the PING was handled; a
    // line that ends the connection proves it by the close.
    static int s_syncCount = 0;
    const std::string token = "fixture-sync-" + std::to_string(++s_syncCount) + "\r\n";
    const std::string answer = "PONG :" + token;
    const size_t mark = peer.Received().size();
    peer.Send(bytes + "PING :" + token);
    const bool read = PumpUntil([&] {
        return peer.Received().find(answer, mark) != std::string::npos || peer.ClientClosed();
    });
    EXPECT_TRUE(read) << "the client never answered the PING behind these bytes";
    peer.Forget(answer, mark);
    PumpPending();
}

std::string ConnectedChatTest::SentSince(size_t mark, size_t length)
{
    PumpUntil([&] { return peer.Received().size() >= mark + length; }, 2000);
    return peer.Received().substr(mark);
}

void ChannelChatTest::SetUp()
{
    ConnectedChatTest::SetUp();
    Client().OpenTab("#marketbay");
}

std::string ChannelChatTest::LastLine(const char* tab) const
{
    const std::string text = window.OutputText(tab);
    return text.substr(text.rfind('\n') + 1);
}

bool ButtonShowsImage(HWND button, const char* path)
{
    HBITMAP shown = (HBITMAP)SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0);
    HBITMAP expected = (HBITMAP)LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    std::vector<char> shownBits(1 << 16), expectedBits(1 << 16);
    const LONG size = shown ? GetBitmapBits(shown, (LONG)shownBits.size(), shownBits.data()) : 0;
    const bool same = size > 0 &&
                      size == GetBitmapBits(expected, (LONG)expectedBits.size(), expectedBits.data()) &&
                      shownBits == expectedBits;
    DeleteObject(expected);
    return same;
}

namespace {

// System libraries of the process (the TLS ones) may hold references of
// their own from the start.
const int kReferencesAtStart = WinsockReferences();

} // namespace

int WinsockReferencesAtStart()
{
    return kReferencesAtStart;
}

int WinsockReferences()
{
    int count = 0;
    while (WSACleanup() == 0)
        ++count;
    WSADATA data;
    for (int i = 0; i < count; ++i)
        WSAStartup(MAKEWORD(2, 2), &data);
    return count;
}

unsigned short UnusedPort()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, (sockaddr*)&address, sizeof address);
    int length = sizeof address;
    getsockname(probe, (sockaddr*)&address, &length);
    closesocket(probe);
    WSACleanup();
    return ntohs(address.sin_port);
}
