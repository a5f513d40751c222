// A small host that shows one chat window logged in to an IRC server:
//   smoke_host.exe [server [port [nick [seconds]]]]
// It drives the chat record directly until the module's exported entry
// points take over; with seconds it closes by itself.
#include "client/control_ids.h"
#include "client/irc_client.h"
#include "protocol/tokens.h"

#include <stdlib.h>

#include <initializer_list>

namespace {

CIrcClient* g_client;

INT_PTR CALLBACK ChatDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SOCKET_EVENT && g_client)
        return g_client->OnSocketEvent(dialog, wParam, lParam);
    return FALSE;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int main(int argc, char** argv)
{
    const char* server = argc > 1 ? argv[1] : "127.0.0.1";
    const unsigned short port = (unsigned short)(argc > 2 ? atoi(argv[2]) : 6667);
    const char* nick = argc > 3 ? argv[3] : "demo";
    const int seconds = argc > 4 ? atoi(argv[4]) : 0;

    INITCOMMONCONTROLSEX controls = { sizeof controls, ICC_TAB_CLASSES };
    InitCommonControlsEx(&controls);
    LoadLibraryA("riched20.dll");

    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = HostWindowProc;
    hostClass.hInstance = instance;
    hostClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    hostClass.lpszClassName = "TalvoSmokeHost";
    RegisterClassA(&hostClass);
    HWND host = CreateWindowExA(0, "TalvoSmokeHost", "Talvo IRC", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                20, 20, 760, 560, NULL, NULL, instance, NULL);

    CIrcClient client(NULL);
    g_client = &client;
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_CHAT), host, ChatDialogProc, 0);
    client.m_hDialog = dialog;
    client.m_hInstance = instance;
    client.m_hHostWnd = host;
    client.m_hTabCtrl = GetDlgItem(dialog, IDC_TABS);
    RECT area;
    GetClientRect(host, &area);
    MoveWindow(dialog, 0, 0, area.right, area.bottom, TRUE);
    // The chat panel's controls instead of the login panel's.
    for (int id : { IDC_NICK, IDC_PASSWORD, IDC_EMAIL, IDC_SERVER_LIST, IDC_PORT,
                    IDC_LOGIN, IDC_LOGOUT, IDC_CHANGE_NICK })
        ShowWindow(client.GetControl(id), SW_HIDE);
    MoveWindow(client.m_hTabCtrl, 6, 6, area.right - 116, area.bottom - 110, TRUE);
    MoveWindow(client.GetControl(IDC_USER_LIST), area.right - 109, 29, 105, area.bottom - 133, TRUE);
    ShowWindow(client.m_hTabCtrl, SW_SHOW);
    ShowWindow(client.GetControl(IDC_USER_LIST), SW_SHOW);
    ShowWindow(dialog, SW_SHOW);
    client.FillServerList();

    CopyText(client.m_szServer, sizeof client.m_szServer, server);
    CopyText(client.m_szNick, sizeof client.m_szNick, nick);
    CopyText(client.m_szUserName, sizeof client.m_szUserName, "username");
    CopyText(client.m_szRealName, sizeof client.m_szRealName, "description");
    client.OpenTab(client.m_szServer);
    if (client.Connect(port)) {
        client.m_connected = 1;
        client.m_loginState = 2;
    }

    if (seconds > 0)
        SetTimer(host, 1, seconds * 1000, NULL);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    g_client = NULL;
    return 0;
}
