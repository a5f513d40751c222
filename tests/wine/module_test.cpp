// The test process plays the host: it loads TalvoIrc.dll, finds its exports
// by name and drives chat windows through the host messages and the DLL's
// own dialog procedure.
#include "client/control_ids.h"
#include "include/talvo_irc.h"
#include "module/tab_menu.h"
#include "support/irc_peer.h"
#include "support/message_pump.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

const std::string kJoin = "JOIN :#marketbay\r\n";
// The channel join goes after the welcome.
const std::string kRegistration = "CAP LS 302\r\nUSER username # # :description\r\nNICK tester\r\n" + kJoin;
const std::string kQuit = "QUIT :http://talvo.example/irc\r\n";

struct LoadedModule {
    HMODULE library;
    TalvoInitializeProc initialize;
    TalvoGetModuleInfoProc getModuleInfo;
    TalvoReceiveMessageProc receiveMessage;
};

const LoadedModule& Module()
{
    static const LoadedModule module = [] {
        HMODULE library = LoadLibraryA("TalvoIrc.dll");
        return LoadedModule{ library, TALVO_GET_PROC(TalvoInitializeProc, library, "Initialize"),
                             TALVO_GET_PROC(TalvoGetModuleInfoProc, library, "GetModuleInfo"),
                             TALVO_GET_PROC(TalvoReceiveMessageProc, library, "ReceiveMessage") };
    }();
    return module;
}

int32_t Send(int32_t code, void* payload)
{
    return Module().receiveMessage(0, code, payload, 0);
}

// One host window for the whole process: destroying a top-level window costs
// about two seconds under Wine.
HWND HostWindow()
{
    static HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                                       0, 0, 800, 600, NULL, NULL, GetModuleHandleA(NULL), NULL);
    return host;
}

std::string Text(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A chat window created with MM_CREATE_WINDOW; destroyed at the end unless
// the test did it.
class HostedWindow {
public:
    HostedWindow()
    {
        m_record.hParent = HostWindow();
        m_result = Send(MM_CREATE_WINDOW, &m_record);
        // The newest child of the host is on top of its z-order.
        m_hDialog = GetWindow(HostWindow(), GW_CHILD);
    }
    ~HostedWindow()
    {
        if (m_alive)
            Destroy();
        PumpPending();
    }

    int32_t Destroy()
    {
        m_alive = false;
        return Send(MM_DESTROY_WINDOW, m_record.pWindow);
    }

    int32_t CreateResult() const { return m_result; }
    void* Handle() const { return m_record.pWindow; }
    HWND Dialog() const { return m_hDialog; }
    HWND Control(int id) const { return GetDlgItem(m_hDialog, id); }
    void Click(int id) const { SendMessageA(Control(id), BM_CLICK, 0, 0); }

    // As a user would, with the peer's address added to the server list
    // first (a user can only pick a listed server). True once welcomed (the
    // peer answers no CAP) and on the channel.
    bool LogInTo(IrcPeer& peer)
    {
        HWND servers = Control(IDC_SERVER_LIST);
        SendMessageA(servers, CB_ADDSTRING, 0, (LPARAM)"127.0.0.1");
        SendMessageA(servers, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)"127.0.0.1");
        SetWindowTextA(Control(IDC_PORT), std::to_string(peer.Port()).c_str());
        SetWindowTextA(Control(IDC_NICK), "tester");
        Click(IDC_LOGIN);
        const std::string beforeWelcome = kRegistration.substr(0, kRegistration.size() - kJoin.size());
        if (!PumpUntil([&] { return peer.TryAccept() && peer.Received() == beforeWelcome; }))
            return false;
        peer.Send(":irc.test 001 tester :Welcome\r\n");
        return PumpUntil([&] { return peer.Received() == kRegistration; });
    }

    // The input line's EN_MSGFILTER notification for a key message of Enter.
    void PressEnter(UINT keyMessage) const
    {
        MSGFILTER filter = {};
        filter.nmhdr = { Control(IDC_INPUT), IDC_INPUT, EN_MSGFILTER };
        filter.msg = keyMessage;
        filter.wParam = VK_RETURN;
        SendMessageA(m_hDialog, WM_NOTIFY, IDC_INPUT, (LPARAM)&filter);
    }

private:
    CreateWindowRecord m_record = {};
    int32_t m_result = -1;
    HWND m_hDialog = NULL;
    bool m_alive = true;
};

// What the client sent after registering, once it sent anything.
std::string SentAfterRegistration(IrcPeer& peer)
{
    PumpUntil([&] { return peer.Received().size() > kRegistration.size(); }, 2000);
    return peer.Received().substr(kRegistration.size());
}

// Waits, dispatching nothing, until a read event is posted to the dialog.
bool ReadEventPosted(HWND dialog)
{
    MSG posted;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(5)) {
        if (PeekMessageA(&posted, dialog, WM_SOCKET_EVENT, WM_SOCKET_EVENT, PM_NOREMOVE) &&
            WSAGETSELECTEVENT(posted.lParam) == FD_READ)
            return true;
    }
    return false;
}

struct HostCall {
    int32_t hostValue2, code, reserved;
    WindowInterface component;
};
std::vector<HostCall> g_hostCalls;

int32_t __cdecl RecordHostCall(int32_t hostValue2, int32_t code, intptr_t payload, int32_t reserved)
{
    HostCall call = { hostValue2, code, reserved, {} };
    memcpy(&call.component, (const void*)payload, sizeof call.component);
    g_hostCalls.push_back(call);
    return 0;
}

std::vector<unsigned char> Bytes(const std::vector<unsigned char>& buffer, size_t from)
{
    return std::vector<unsigned char>(buffer.begin() + from, buffer.end());
}

} // namespace

TEST(ModuleExports, ModuleInfoAndNameRequestsFillTheHostsBuffers)
{
    ASSERT_TRUE(Module().initialize && Module().getModuleInfo && Module().receiveMessage);
    std::vector<unsigned char> info(sizeof(ModuleInfo), 0xcc);
    EXPECT_EQ(0, Module().getModuleInfo((ModuleInfo*)info.data()));
    EXPECT_EQ(0, Module().getModuleInfo(NULL));
    std::vector<unsigned char> expected(sizeof(ModuleInfo), 0);
    memcpy(&expected[0], "Talvo Irc", 9);
    memcpy(&expected[255], "Talvo Irc", 9);
    const int32_t integers[4] = { 2, 0, 1, 4 };
    memcpy(&expected[1279], integers, sizeof integers);
    EXPECT_EQ(expected, info);

    // The name with its NUL, then only the 12 bytes after the name field.
    std::vector<unsigned char> name(512, 0xcc);
    EXPECT_EQ(MM_OK, Send(MM_GET_NAME, name.data()));
    EXPECT_STREQ("Talvo Irc", (const char*)name.data());
    EXPECT_EQ(0xcc, name[10]);
    EXPECT_EQ(std::vector<unsigned char>(12, 0), Bytes(name, 500));

    std::vector<unsigned char> wideName(1012, 0xcc);
    EXPECT_EQ(MM_OK, Send(MM_GET_NAME_W, wideName.data()));
    EXPECT_EQ(0, memcmp(L"Talvo Irc", wideName.data(), sizeof L"Talvo Irc"));
    EXPECT_EQ(0xcc, wideName[20]);
    EXPECT_EQ(std::vector<unsigned char>(12, 0), Bytes(wideName, 1000));

    EXPECT_EQ(MM_FAILED, Send(MM_GET_NAME, NULL));
    EXPECT_EQ(MM_FAILED, Send(MM_GET_NAME_W, NULL));
}

// The only test that calls Initialize.
TEST(ModuleExports, TheComponentIsAnnouncedOnlyOnceTheHostInitialized)
{
    EXPECT_EQ(MM_OK, Send(MM_QUERY_COMPONENTS, NULL));
    EXPECT_TRUE(g_hostCalls.empty());

    Module().initialize(&RecordHostCall, 11, 22, 33);
    EXPECT_EQ(MM_OK, Send(MM_QUERY_COMPONENTS, NULL));
    ASSERT_EQ(1u, g_hostCalls.size());
    const HostCall& call = g_hostCalls[0];
    EXPECT_EQ(22, call.hostValue2);
    EXPECT_EQ(MM_ADD_COMPONENT, call.code);
    EXPECT_EQ(0, call.reserved);
    WindowInterface expected = {};
    strcpy(expected.szKind, "Windowcomponent");
    strcpy(expected.szOwner, "Talvo Irc");
    strcpy(expected.szName, "MyWindow");
    EXPECT_EQ(0, memcmp(&expected, &call.component, offsetof(WindowInterface, hostValue3)));
    EXPECT_EQ(33, call.component.hostValue3);
    // The module object is the DLL's static global.
    MEMORY_BASIC_INFORMATION memory = {};
    VirtualQuery(call.component.pModule, &memory, sizeof memory);
    EXPECT_EQ((void*)Module().library, memory.AllocationBase);
}

TEST(ModuleExports, UnknownCodesAreIgnoredAndUnknownWindowsRefused)
{
    for (int32_t code : { 5002, 5006, 5021, 4999, 5023, 70000, -1 })
        EXPECT_EQ(MM_OK, Send(code, NULL)) << code;
    int notAWindow = 0;
    for (int32_t code : { MM_DESTROY_WINDOW, MM_RESIZE_WINDOW, MM_SHOW_WINDOW }) {
        EXPECT_EQ(MM_FAILED, Send(code, &notAWindow)) << code;
        EXPECT_EQ(MM_FAILED, Send(code, NULL)) << code;
    }
    EXPECT_EQ(MM_FAILED, Send(MM_CREATE_WINDOW, NULL));
}

TEST(HostedWindows, TwoWindowsLiveSideBySideUntilEachIsDestroyed)
{
    HostedWindow first;
    HostedWindow second;
    for (const HostedWindow* window : { &first, &second }) {
        EXPECT_EQ(MM_OK, window->CreateResult());
        ASSERT_TRUE(window->Handle() && window->Dialog());
        EXPECT_TRUE(IsWindowVisible(window->Dialog()));
        EXPECT_EQ(5, SendMessageA(window->Control(IDC_SERVER_LIST), CB_GETCOUNT, 0, 0));
        EXPECT_EQ("6697", Text(window->Control(IDC_PORT)));
    }
    EXPECT_NE(first.Handle(), second.Handle());
    EXPECT_NE(first.Dialog(), second.Dialog());

    ShowWindow(first.Dialog(), SW_HIDE);
    EXPECT_EQ(MM_OK, Send(MM_SHOW_WINDOW, first.Handle()));
    EXPECT_TRUE(IsWindowVisible(first.Dialog()));

    SetWindowPos(HostWindow(), NULL, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(MM_OK, Send(MM_RESIZE_WINDOW, second.Handle()));
    RECT hostArea, dialogArea;
    GetClientRect(HostWindow(), &hostArea);
    GetClientRect(second.Dialog(), &dialogArea);
    EXPECT_EQ(hostArea.right, dialogArea.right);
    EXPECT_EQ(hostArea.bottom, dialogArea.bottom);

    // Choosing another server moves the focus to the nick.
    SetFocus(second.Control(IDC_PORT));
    SendMessageA(second.Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SERVER_LIST, CBN_SELCHANGE),
                 (LPARAM)second.Control(IDC_SERVER_LIST));
    EXPECT_EQ(second.Control(IDC_NICK), GetFocus());

    EXPECT_EQ(MM_OK, first.Destroy());
    EXPECT_FALSE(IsWindow(first.Dialog()));
    EXPECT_EQ(MM_FAILED, Send(MM_DESTROY_WINDOW, first.Handle()));
    EXPECT_EQ(MM_FAILED, Send(MM_SHOW_WINDOW, first.Handle()));
    EXPECT_TRUE(IsWindow(second.Dialog()));
}

// The port field as the user types into it: digits, and one '+' (TLS) first.
TEST(HostedWindows, PortFieldTakesDigitsAndOneLeadingPlus)
{
    HostedWindow window;
    HWND port = window.Control(IDC_PORT);
    SetWindowTextA(port, "7000");
    SendMessageA(port, EM_SETSEL, 0, 0);
    for (char typed : std::string("+-+a5"))
        SendMessageA(port, WM_CHAR, (WPARAM)typed, 0);
    EXPECT_EQ("+57000", Text(port));
}

TEST(HostedWindows, ButtonsKeysAndSocketEventsActOnlyInTheirConnectionState)
{
    IrcPeer peer;
    HostedWindow window;
    HWND input = window.Control(IDC_INPUT);
    SetWindowTextA(input, "early");
    window.PressEnter(WM_KEYUP);
    EXPECT_EQ("early", Text(input)) << "not connected: Enter leaves the line to the control";

    ASSERT_TRUE(window.LogInTo(peer)) << peer.Received();

    // "Зайти" while connected: the tabs are not rebuilt, nothing is sent.
    HWND tabs = window.Control(IDC_TABS);
    const HWND firstPage = GetWindow(tabs, GW_CHILD);
    window.Click(IDC_LOGIN);
    SetWindowTextA(input, "hello");
    window.PressEnter(WM_KEYDOWN);
    PumpPending();
    EXPECT_EQ(kRegistration, peer.Received());
    EXPECT_EQ(firstPage, GetWindow(tabs, GW_CHILD));
    EXPECT_EQ("hello", Text(input));

    window.PressEnter(WM_KEYUP);
    EXPECT_EQ("PRIVMSG #marketbay :hello\r\n", SentAfterRegistration(peer));
    EXPECT_EQ("", Text(input));

    // A read event of another socket leaves the waiting PING unread.
    peer.Send("PING :abc\r\n");
    ASSERT_TRUE(ReadEventPosted(window.Dialog()));
    const SOCKET foreign = socket(AF_INET, SOCK_STREAM, 0);
    SendMessageA(window.Dialog(), WM_SOCKET_EVENT, foreign, FD_READ);
    closesocket(foreign);
    EXPECT_EQ("PRIVMSG #marketbay :hello\r\n", peer.Received().substr(kRegistration.size()));
    EXPECT_TRUE(PumpUntil([&] { return peer.Received().find("PONG :abc\r\n") != std::string::npos; }));

    window.Click(IDC_LOGOUT);
    PumpUntil([&] { return peer.Received().find("QUIT") != std::string::npos; });
    // Back at the login panel: destroying the window sends nothing more.
    peer.CloseClient();
    PumpPending();
    EXPECT_EQ(MM_OK, window.Destroy());
    EXPECT_EQ("PRIVMSG #marketbay :hello\r\nPONG :abc\r\n" + kQuit, SentAfterRegistration(peer));
}

// The keys of Enter as the keyboard gives them to the input line: the
// press and its character never reach the control (it takes many lines from
// a paste), the release sends.
TEST(HostedWindows, EnterInTheInputLineSendsWithoutALineBreak)
{
    IrcPeer peer;
    HostedWindow window;
    ASSERT_TRUE(window.LogInTo(peer)) << peer.Received();
    HWND input = window.Control(IDC_INPUT);
    EnableWindow(input, TRUE);
    SetWindowTextA(input, "hello");
    SendMessageA(input, EM_SETSEL, 5, 5);
    SendMessageA(input, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    SendMessageA(input, WM_CHAR, '\r', 0x001C0001);
    EXPECT_EQ("hello", Text(input)) << "no line break in the input line";
    SendMessageA(input, WM_KEYUP, VK_RETURN, 0xC01C0001);
    EXPECT_EQ("PRIVMSG #marketbay :hello\r\n", SentAfterRegistration(peer));
    EXPECT_EQ("", Text(input));
}

TEST(HostedWindows, ALoggedInWindowSendsOneQuitWhenDestroyedOrClosed)
{
    IrcPeer destroyedPeer;
    HostedWindow destroyed;
    ASSERT_TRUE(destroyed.LogInTo(destroyedPeer)) << destroyedPeer.Received();
    EXPECT_EQ(MM_OK, destroyed.Destroy());
    EXPECT_FALSE(IsWindow(destroyed.Dialog()));
    EXPECT_TRUE(PumpUntil([&] { return destroyedPeer.ClientClosed(); }));
    EXPECT_EQ(kQuit, SentAfterRegistration(destroyedPeer));

    // The dialog's own close (IDCANCEL): EndDialog only hides a modeless
    // dialog, and the host's show request brings it back.
    IrcPeer closedPeer;
    HostedWindow closed;
    ASSERT_TRUE(closed.LogInTo(closedPeer)) << closedPeer.Received();
    SendMessageA(closed.Dialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(kQuit, SentAfterRegistration(closedPeer));
    EXPECT_FALSE(IsWindowVisible(closed.Dialog()));
    EXPECT_EQ(MM_OK, Send(MM_SHOW_WINDOW, closed.Handle()));
    EXPECT_TRUE(IsWindowVisible(closed.Dialog()));
}

// The menu as a right click prepares it; tracking it would block the test.
TEST(TabMenu, ItemsAreEnabledByTheSelectedTabAndTheNumberOfTabs)
{
    TestChatWindow window;
    CIrcClient& client = window.Client();
    strcpy(client.m_szServer, "irc.test");
    strcpy(client.m_szChannel, "#marketbay");
    client.OpenTab("irc.test");
    client.OpenTab("#marketbay");
    auto states = [&] {
        HMENU menu = LoadTabMenu(GetModuleHandleA(NULL), client);
        std::string text;
        for (int position : { 0, 1 }) {
            const UINT state = GetMenuState(GetSubMenu(menu, 0), position, MF_BYPOSITION);
            text += (state & (MF_GRAYED | MF_DISABLED)) ? "grayed " : "enabled ";
        }
        DestroyMenu(menu);
        return text;
    };
    EXPECT_EQ("grayed grayed ", states()) << "channel tab selected, two tabs";
    client.OpenTab("alice");
    EXPECT_EQ("enabled enabled ", states()) << "private tab selected, three tabs";
    SendMessageA(client.m_hTabCtrl, TCM_SETCURSEL, 0, 0);
    EXPECT_EQ("grayed enabled ", states()) << "server tab selected, three tabs";
}
