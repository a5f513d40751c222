// A host may destroy the window it gave a chat window before it sends
// MM_DESTROY_WINDOW, or never send it, even while the chat window waits in a
// message box. The chat window then goes with its dialog: it says goodbye to
// the server as MM_DESTROY_WINDOW would, leaves no socket, handle or memory
// behind, and is unknown to the module from then on.
#include "client/control_ids.h"
#include "client/irc_client.h"
#include "include/talvo_irc.h"
#include "net/quit_reason.h"
#include "support/irc_peer.h"
#include "support/message_pump.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kQuit = std::string("QUIT :") + kQuitReason + "\r\n";

// A leaked window keeps its client record (23 KB) and its tab table (100
// KB) at least, and its socket handle. Wine's own caches (fonts, the rich
// edit's and the window manager's) keep 200 bytes from one window to the
// next here, never a handle.
const long long kHeapTolerance = 4 * 1024;

// What the process holds: kernel handles (sockets among them) and the bytes
// in use on all its heaps, where the module's records are.
struct Holdings {
    long long handles;
    long long heapBytes;
};

long long HeapBytesInUse()
{
    std::vector<HANDLE> heaps(GetProcessHeaps(0, NULL) + 8);
    heaps.resize(GetProcessHeaps((DWORD)heaps.size(), heaps.data()));
    long long total = 0;
    for (HANDLE heap : heaps) {
        HeapLock(heap);
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heap, &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        }
        HeapUnlock(heap);
    }
    return total;
}

// Wine answers GetProcessHandleCount with 0: each handle value is asked
// instead. Wine gives out the lowest free values, far below the bound.
long long OpenHandles()
{
    long long open = 0;
    for (uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags;
        if (GetHandleInformation((HANDLE)value, &flags))
            ++open;
    }
    return open;
}

Holdings CountHoldings()
{
    return { OpenHandles(), HeapBytesInUse() };
}

// The connection's socket, as Windows Sockets names it in the read event it
// posts to the dialog for the peer's PING; INVALID_SOCKET if none comes.
SOCKET ConnectionSocket(HWND dialog, IrcPeer& peer)
{
    peer.Send("PING :socket\r\n");
    MSG posted;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(5)) {
        if (PeekMessageA(&posted, dialog, WM_SOCKET_EVENT, WM_SOCKET_EVENT, PM_NOREMOVE))
            return (SOCKET)posted.wParam;
    }
    return INVALID_SOCKET;
}

// How the host destroys the panel under a logged-in chat window.
enum class PanelEnd { WhileIdle, DuringMessageBox };

// The panel under the message box, destroyed by the box's own message loop.
HWND g_hPanelUnderBox;

void CALLBACK DestroyPanelUnderBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND box = FindWindowA("#32770", NULL);
    if (!box)
        return;
    KillTimer(NULL, timer);
    DestroyWindow(g_hPanelUnderBox);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

class DestroyOrder : public ::testing::Test {
protected:
    // The socket library stays loaded for the whole test, so that its first
    // use and its last release are not counted as a window's.
    void SetUp() override
    {
        WSADATA data;
        ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &data));
        m_hLibrary = LoadLibraryA("TalvoIrc.dll");
        ASSERT_TRUE(m_hLibrary != NULL);
        m_receiveMessage = TALVO_GET_PROC(TalvoReceiveMessageProc, m_hLibrary, "ReceiveMessage");
        m_hHost = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 760, 560, NULL, NULL,
                                  GetModuleHandleA(NULL), NULL);
    }

    void TearDown() override
    {
        DestroyWindow(m_hHost);
        EXPECT_TRUE(FreeLibrary(m_hLibrary));
        WSACleanup();
    }

    int32_t Send(int32_t code, void* payload) { return m_receiveMessage(0, code, payload, 0); }

    // A chat window on a panel of the host, logged in to a fresh peer.
    void LogInOnPanel()
    {
        m_hPanel = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 760, 560,
                                   m_hHost, NULL, GetModuleHandleA(NULL), NULL);
        m_record = {};
        m_record.hParent = m_hPanel;
        ASSERT_EQ(MM_OK, Send(MM_CREATE_WINDOW, &m_record));
        m_hDialog = GetWindow(m_hPanel, GW_CHILD);
        m_peer.reset(new IrcPeer);
        ASSERT_TRUE(LogInToPeer(m_hDialog, *m_peer)) << m_peer->Received();
        m_socket = ConnectionSocket(m_hDialog, *m_peer);
        ASSERT_NE(INVALID_SOCKET, m_socket);
        ASSERT_TRUE(PumpUntil([&] { return m_peer->Received().find("PONG :socket\r\n") != std::string::npos; }));
    }

    void ClickChangeNick()
    {
        SendMessageA(m_hDialog, WM_COMMAND, MAKEWPARAM(IDC_CHANGE_NICK, BN_CLICKED),
                     (LPARAM)GetDlgItem(m_hDialog, IDC_CHANGE_NICK));
    }

    // The host destroys the panel without telling the module first: the
    // server hears the QUIT and the close, and the socket is gone. In a
    // message box, the user's new nick came with too short a password.
    void DestroyPanel(PanelEnd end)
    {
        const size_t answered = m_peer->Received().size();
        if (end == PanelEnd::WhileIdle) {
            DestroyWindow(m_hPanel);
        } else {
            ClickChangeNick();
            SetDlgItemTextA(m_hDialog, IDC_NICK, "newnick");
            SetDlgItemTextA(m_hDialog, IDC_PASSWORD, "abc");
            g_hPanelUnderBox = m_hPanel;
            SetTimer(NULL, 0, 20, &DestroyPanelUnderBox);
            ClickChangeNick();
        }
        EXPECT_FALSE(IsWindow(m_hDialog));
        EXPECT_TRUE(PumpUntil([&] { return m_peer->ClientClosed(); })) << "the connection stayed open";
        EXPECT_EQ(kQuit, m_peer->Received().substr(answered));
        int type = 0;
        int length = sizeof type;
        EXPECT_EQ(SOCKET_ERROR, getsockopt(m_socket, SOL_SOCKET, SO_TYPE, (char*)&type, &length));
        EXPECT_EQ(WSAENOTSOCK, WSAGetLastError());
        m_peer.reset();
    }

    // The host's late messages find no such window.
    void SendLateMessages()
    {
        for (int32_t code : { MM_RESIZE_WINDOW, MM_SHOW_WINDOW, MM_DESTROY_WINDOW })
            EXPECT_EQ(MM_FAILED, Send(code, m_record.pWindow)) << code;
        PumpPending();
    }

    HMODULE m_hLibrary = NULL;
    TalvoReceiveMessageProc m_receiveMessage = NULL;
    HWND m_hHost = NULL;
    HWND m_hPanel = NULL;
    HWND m_hDialog = NULL;
    CreateWindowRecord m_record = {};
    std::unique_ptr<IrcPeer> m_peer;
    SOCKET m_socket = INVALID_SOCKET;
};

TEST_F(DestroyOrder, AWindowWhoseParentGoesFirstSaysGoodbyeAndLeavesNothingBehind)
{
    // The first round loads for good what windows use (the rich edit
    // library, fonts, the message box's); the second is counted, before the
    // late messages, which a host may never send.
    for (int round = 0; round < 2; ++round) {
        for (PanelEnd end : { PanelEnd::WhileIdle, PanelEnd::DuringMessageBox }) {
            const Holdings before = CountHoldings();
            ASSERT_NO_FATAL_FAILURE(LogInOnPanel());
            DestroyPanel(end);
            const Holdings after = CountHoldings();
            SendLateMessages();
            if (round == 0)
                continue;
            EXPECT_EQ(before.handles, after.handles) << "panel end " << (int)end;
            EXPECT_NEAR(before.heapBytes, after.heapBytes, kHeapTolerance)
                << "panel end " << (int)end << ": heap bytes in use grew by " << after.heapBytes - before.heapBytes;
        }
    }
}

} // namespace
