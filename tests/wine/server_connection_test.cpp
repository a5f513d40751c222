// The server connection on its own, against a scripted peer on loopback,
// with a window of events that ends it the way a KICK or a refusal does:
// by deleting it from inside an event.
#include "net/send_clock.h"
#include "net/server_connection.h"
#include "support/chat_fixture.h"

#include <string>
#include <vector>

namespace {

// Records the lines; deletes the connection on the line that says so.
class EndingWindow final : public IConnectionEvents {
public:
    explicit EndingWindow(const char* endingLine) : m_endingLine(endingLine)
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &WindowProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "TalvoConnectionTestWindow";
        RegisterClassA(&windowClass);
        m_hWindow = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                    windowClass.hInstance, NULL);
        SetWindowLongPtrA(m_hWindow, GWLP_USERDATA, (LONG_PTR)this);
    }
    ~EndingWindow()
    {
        delete m_pConnection;
        DestroyWindow(m_hWindow);
    }

    bool Start(unsigned short port)
    {
        ConnectionFailure failure;
        m_pConnection = CServerConnection::Start(m_hWindow, *this, "127.0.0.1", port, false, m_line, sizeof m_line,
                                                 &failure);
        return m_pConnection != NULL;
    }
    CServerConnection* Connection() const { return m_pConnection; }
    bool IsConnected() const { return m_connected; }
    const std::vector<std::string>& Lines() const { return m_lines; }

    void OnConnecting() override {}
    void OnConnected(const char*) override { m_connected = true; }
    // Asks for more every time: only the deletion stops the read.
    bool OnLineReceived() override
    {
        m_lines.push_back(m_line);
        if (m_lines.back() == m_endingLine) {
            delete m_pConnection;
            m_pConnection = NULL;
        }
        return true;
    }
    void OnTextArrived() override
    {
        m_pConnection->TakeArrivedLines();
        m_reads.push_back(m_lines.size());
    }
    // The lines received by the end of each read.
    const std::vector<size_t>& Reads() const { return m_reads; }
    void OnFailed(const FailureReport&) override {}
    void OnClosed(CloseReason) override {}
    void OnAllLinesSent() override {}
    void OnSendAgainAfterWelcome(bool, bool) override {}

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        EndingWindow* self = (EndingWindow*)GetWindowLongPtrA(window, GWLP_USERDATA);
        if (message == WM_SOCKET_EVENT && self && self->m_pConnection &&
            (SOCKET)wParam == self->m_pConnection->Socket())
            return self->m_pConnection->OnSocketEvent(WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
        return DefWindowProcA(window, message, wParam, lParam);
    }

    std::string m_endingLine;
    HWND m_hWindow = NULL;
    CServerConnection* m_pConnection = NULL;
    bool m_connected = false;
    char m_line[2048] = "";
    std::vector<std::string> m_lines;
    std::vector<size_t> m_reads;
};

// A clock that moves on 10 ms every time it is read.
DWORD g_tickingNow;
DWORD WINAPI ReadTickingClock()
{
    return g_tickingNow += 10;
}

TEST(ServerConnection, LineThatEndsItLeavesTheRestOfTheChunkAndNothingHeld)
{
    IrcPeer peer;
    EndingWindow window("ERROR :Closing link");
    ASSERT_TRUE(window.Start(peer.Port()));
    ASSERT_TRUE(PumpUntil([&] { return peer.TryAccept() && window.IsConnected(); }));
    const SOCKET socket = window.Connection()->Socket();

    peer.Send("PING :one\r\nERROR :Closing link\r\nPING :two\r\nPING :thr");
    ASSERT_TRUE(PumpUntil([&] { return window.Connection() == NULL; }));

    EXPECT_EQ((std::vector<std::string>{ "PING :one", "ERROR :Closing link" }), window.Lines());
    int type = 0, length = sizeof type;
    EXPECT_EQ(SOCKET_ERROR, getsockopt(socket, SOL_SOCKET, SO_TYPE, (char*)&type, &length));
    // Only the peer's socket library reference is left.
    EXPECT_EQ(WinsockReferencesAtStart() + 1, WinsockReferences());
}

// However much keeps coming, a read ends once it has spent its 50 ms: the
// lines read so far are shown, and the rest come in the reads after it, in
// order and whole.
TEST(ServerConnection, ReadEndsWithinItsBoundAndTheRestFollows)
{
    IrcPeer peer;
    EndingWindow window("never");
    ASSERT_TRUE(window.Start(peer.Port()));
    ASSERT_TRUE(PumpUntil([&] { return peer.TryAccept() && window.IsConnected(); }));
    DWORD(WINAPI* previous)() = g_pfnSendTicks;
    g_pfnSendTicks = &ReadTickingClock;

    std::string flood;
    const int kLines = 4000;  // 240 KB: several times what one read takes in
    for (int i = 0; i < kLines; ++i)
        flood += ":a!u@h PRIVMSG #marketbay :line " + std::to_string(100000 + i) + std::string(30, '.') + "\r\n";
    peer.Send(flood);
    const bool allRead = PumpUntil([&] { return window.Lines().size() == kLines; });
    g_pfnSendTicks = previous;

    ASSERT_TRUE(allRead);
    ASSERT_FALSE(window.Reads().empty());
    // Five readings of the clock at most before the bound: each read takes a
    // chunk, so the first read ended long before the last line was in.
    EXPECT_LT(window.Reads().front(), (size_t)kLines / 2);
    for (int i = 0; i < kLines; ++i)
        ASSERT_EQ(":a!u@h PRIVMSG #marketbay :line " + std::to_string(100000 + i) + std::string(30, '.'),
                  window.Lines()[i]);
}

} // namespace
