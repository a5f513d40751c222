// Takes pictures of the chat window in its panels, as a user would see them:
// the login panel, the chat panel with coloured lines, a user list and an
// unread tab, and the nick-change panel. The module is loaded through its
// exports; a scripted server on loopback plays a short session.
//
//   screenshots.exe DIR     writes DIR/login-panel.bmp, chat-panel.bmp, nick-change.bmp
#include <winsock2.h>

#include "client/control_ids.h"
#include "include/talvo_irc.h"
#include "tools/host_kit.h"

#include <commctrl.h>

#include <stdio.h>

#include <string>

namespace {

TalvoReceiveMessageProc g_receiveMessage;

void Pump(int milliseconds)
{
    const DWORD start = GetTickCount();
    while ((int)(GetTickCount() - start) < milliseconds) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

// A one-client IRC server that sends what it is told.
class ScriptedServer {
public:
    ScriptedServer()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_listener = ListenOnLoopback(m_port);
    }
    ~ScriptedServer()
    {
        closesocket(m_client);
        closesocket(m_listener);
        WSACleanup();
    }

    unsigned short Port() const { return m_port; }

    bool WaitForClient()
    {
        for (int i = 0; i < 500 && m_client == INVALID_SOCKET; ++i) {
            m_client = accept(m_listener, NULL, NULL);
            Pump(10);
        }
        return m_client != INVALID_SOCKET;
    }

    void Say(const std::string& line)
    {
        const std::string text = line + "\r\n";
        send(m_client, text.data(), (int)text.size(), 0);
        Pump(150);
    }

private:
    SOCKET m_listener = INVALID_SOCKET;
    SOCKET m_client = INVALID_SOCKET;
    unsigned short m_port = 0;
};

void Click(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
    Pump(200);
}

// Selects a tab the way a click on it does.
void SelectTab(HWND dialog, int index)
{
    HWND tabs = GetDlgItem(dialog, IDC_TABS);
    NMHDR header = { tabs, IDC_TABS, (UINT)TCN_SELCHANGING };
    SendMessageA(dialog, WM_NOTIFY, IDC_TABS, (LPARAM)&header);
    SendMessageA(tabs, TCM_SETCURSEL, index, 0);
    header.code = (UINT)TCN_SELCHANGE;
    SendMessageA(dialog, WM_NOTIFY, IDC_TABS, (LPARAM)&header);
    Pump(100);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    CreateWindowRecord record;
    HWND dialog = OpenChatWindow("screenshots", "Talvo IRC", true, g_receiveMessage, record);
    if (!dialog)
        return 1;
    HWND host = record.hParent;
    Pump(300);

    SetDlgItemTextA(dialog, IDC_NICK, "tester");
    SaveWindowPicture(host, dir + "/login-panel.bmp");

    ScriptedServer server;
    const std::string port = std::to_string(server.Port());
    HWND servers = GetDlgItem(dialog, IDC_SERVER_LIST);
    SendMessageA(servers, CB_ADDSTRING, 0, (LPARAM) "127.0.0.1");
    SendMessageA(servers, CB_SELECTSTRING, (WPARAM)-1, (LPARAM) "127.0.0.1");
    SetDlgItemTextA(dialog, IDC_PORT, port.c_str());
    Click(dialog, IDC_LOGIN);
    if (!server.WaitForClient()) {
        fprintf(stderr, "screenshots: the window did not connect\n");
        return 1;
    }
    server.Say(":irc.test 001 tester :Добро пожаловать в тестовую сеть, tester");
    server.Say(":tester!u@127.0.0.1 JOIN :#marketbay");
    server.Say(":irc.test 332 tester #marketbay :Рынок: меняемся и торгуемся");
    server.Say(":irc.test 353 tester = #marketbay :@tester +alice bob dave");
    server.Say(":irc.test 366 tester #marketbay :End of /NAMES list.");
    server.Say(":alice!a@example.net PRIVMSG #marketbay :Привет всем! \x03" "4красный\x03" "3 зелёный \x02жирный\x02 \x1fподчёркнутый\x1f");
    server.Say(":bob!b@example.net PRIVMSG #marketbay :tester, посмотри мой товар");
    server.Say(":carol!c@example.net JOIN :#marketbay");
    server.Say(":carol!c@example.net PRIVMSG tester :Есть минутка?");
    SelectTab(dialog, 1);
    server.Say(":carol!c@example.net PRIVMSG tester :Жду ответа");
    server.Say(":bob!b@example.net PRIVMSG #marketbay :\x01" "ACTION машет рукой\x01");
    SaveWindowPicture(host, dir + "/chat-panel.bmp");

    Click(dialog, IDC_CONTROLS);
    Click(dialog, IDC_CHANGE_NICK);
    SaveWindowPicture(host, dir + "/nick-change.bmp");

    g_receiveMessage(0, MM_DESTROY_WINDOW, record.pWindow, 0);
    return 0;
}
