#include "support/test_window.h"

#include "client/control_ids.h"
#include "client/input_keys.h"
#include "client/input_paste.h"
#include "output/scrollback_control.h"
#include "protocol/tokens.h"
#include "support/irc_peer.h"
#include "support/message_pump.h"

#include <gtest/gtest.h>
#include <richedit.h>

namespace {

void LoadControlLibraries()
{
    static bool loaded = false;
    if (loaded)
        return;
    INITCOMMONCONTROLSEX controls = { sizeof controls, ICC_TAB_CLASSES };
    InitCommonControlsEx(&controls);
    LoadLibraryA("riched20.dll");
    loaded = true;
}

// One host window serves every test of a process: destroying a top-level
// window costs about two seconds under Wine.
HWND SharedHostWindow()
{
    static HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                       0, 0, 800, 600, NULL, NULL, GetModuleHandleA(NULL), NULL);
    return host;
}

} // namespace

TestChatWindow::TestChatWindow()
    : m_client(new CIrcClient(NULL))
{
    LoadControlLibraries();
    // The chat dialog is a child window: a host window holds it, as in a host.
    m_hHostWnd = SharedHostWindow();
    m_hDialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_CHAT), m_hHostWnd,
                                   &TestChatWindow::DialogProc, (LPARAM)this);
    m_client->m_hHostWnd = m_hHostWnd;
    m_client->m_hDialog = m_hDialog;
    m_client->m_hInstance = GetModuleHandleA(NULL);
    m_client->m_hTabCtrl = GetDlgItem(m_hDialog, IDC_TABS);
    // As the module's window does: pastes into the input line are its own.
    TakeOverInputPastes(GetDlgItem(m_hDialog, IDC_INPUT));
    TakeOverInputKeys(GetDlgItem(m_hDialog, IDC_INPUT));
    ShowWindow(m_hDialog, SW_SHOW);
}

TestChatWindow::~TestChatWindow()
{
    m_client.reset();
    DestroyWindow(m_hDialog);
    PumpPending();
}

INT_PTR CALLBACK TestChatWindow::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    TestChatWindow* window = (TestChatWindow*)GetWindowLongPtrA(dialog, DWLP_USER);
    if (message == WM_SOCKET_EVENT && window && window->m_client)
        return window->m_client->OnSocketEvent(dialog, wParam, lParam);
    if (message == WM_HOST_RESOLVED && window && window->m_client)
        return window->m_client->OnHostResolved(wParam);
    if (message == WM_CERTIFICATE_CHECKED && window && window->m_client)
        return window->m_client->OnCertificateChecked(wParam);
    if (message == WM_TIMER && window && window->m_client)
        return window->m_client->OnDialogTimer(wParam);
    if (message == WM_SCROLLBACK && window && window->m_client)
        return window->m_client->OnScrollbackMessage(wParam, lParam);
    return FALSE;
}

bool TestChatWindow::ConnectTo(IrcPeer& peer, const char* nick)
{
    CIrcClient& client = *m_client;
    CopyText(client.m_szServer, sizeof client.m_szServer, "127.0.0.1");
    CopyText(client.m_szNick, sizeof client.m_szNick, nick);
    CopyText(client.m_szUserName, sizeof client.m_szUserName, "username");
    CopyText(client.m_szRealName, sizeof client.m_szRealName, "description");
    client.OpenTab(client.m_szServer);
    if (!client.Connect(peer.Port(), false))
        return false;

    client.m_connected = 1;
    client.m_loginState = 2;
    // Registration goes out on FD_CONNECT; the channel join waits for a
    // welcome, which is the test's to send.
    const std::string registered = std::string("NICK ") + nick + "\r\n";
    return PumpUntil([&] { return peer.TryAccept() && peer.Received().find(registered) != std::string::npos; });
}

namespace {

// Line breaks of every kind as '\n'.
std::string JoinLines(const std::string& text)
{
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            lines += text[i];
        }
    }
    return lines;
}

} // namespace

std::string TestChatWindow::OutputText(const char* tabName) const
{
    HWND output = m_client->FindTab(tabName);
    if (!output) {
        ADD_FAILURE() << "no tab " << tabName;
        return "(no tab)";
    }
    const int length = GetWindowTextLengthA(output);
    std::string text(length + 1, '\0');
    GetWindowTextA(output, &text[0], length + 1);
    text.resize(strlen(text.c_str()));
    return JoinLines(text);
}

std::string TestChatWindow::OutputUtf8(const char* tabName) const
{
    HWND output = m_client->FindTab(tabName);
    if (!output) {
        ADD_FAILURE() << "no tab " << tabName;
        return "(no tab)";
    }
    GETTEXTLENGTHEX length = { GTL_NUMCHARS | GTL_PRECISE, 1200 };
    const LRESULT units = SendMessageW(output, EM_GETTEXTLENGTHEX, (WPARAM)&length, 0);
    std::wstring wide(units + 1, L'\0');
    GETTEXTEX request = {};
    request.cb = (DWORD)(wide.size() * sizeof(wchar_t));
    request.flags = GT_DEFAULT;
    request.codepage = 1200;
    SendMessageW(output, EM_GETTEXTEX, (WPARAM)&request, (LPARAM)&wide[0]);
    wide.resize(wcslen(wide.c_str()));
    std::string text(wide.size() * 3 + 1, '\0');
    text.resize(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), (int)wide.size(), &text[0], (int)text.size(),
                                    NULL, NULL));
    return JoinLines(text);
}

std::vector<std::string> TestChatWindow::UserListEntries() const
{
    HWND list = GetDlgItem(m_hDialog, IDC_USER_LIST);
    std::vector<std::string> entries;
    const int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        std::string text(SendMessageA(list, LB_GETTEXTLEN, i, 0) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, i, (LPARAM)&text[0]);
        entries.push_back(text.c_str());
    }
    return entries;
}
