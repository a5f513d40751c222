// The demo host: a plain Win32 program that loads TalvoIrc.dll through its
// exports only and embeds one or more chat windows side by side.
//
//   demo_host.exe [--server HOST --port N --nick NICK[,NICK...]] [--seconds N]
//
// With --server, each window's login panel is filled in and "Зайти" pressed
// as a user would; the server is added to the list first, since a user can
// only pick one of the listed servers. With --seconds the host closes itself.
#include "client/control_ids.h"
#include "include/talvo_irc.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char kHostClass[] = "TalvoDemoHost";
const char kPaneClass[] = "TalvoDemoPane";
const UINT_PTR kCloseTimer = 1;
const UINT_PTR kStatusTimer = 2;

struct Options {
    std::string server;
    std::string port = "6667";
    std::vector<std::string> nicks;
    int seconds = 0;
};

struct Module {
    HMODULE library = NULL;
    TalvoInitializeProc initialize = NULL;
    TalvoGetModuleInfoProc getModuleInfo = NULL;
    TalvoReceiveMessageProc receiveMessage = NULL;
};

Module g_module;
std::vector<HWND> g_panes;    // one host area per chat window
std::vector<void*> g_windows; // the module's handles of the chat windows
std::vector<bool> g_joined;   // the window's input line has been enabled

int32_t __cdecl OnModuleCallback(int32_t, int32_t code, intptr_t payload, int32_t)
{
    if (code == MM_ADD_COMPONENT) {
        const WindowInterface* component = (const WindowInterface*)payload;
        printf("component: %s / %s / %s\n", component->szKind, component->szOwner, component->szName);
    }
    return 0;
}

bool LoadModule(Module& module)
{
    module.library = LoadLibraryA("TalvoIrc.dll");
    if (!module.library)
        return false;
    module.initialize = TALVO_GET_PROC(TalvoInitializeProc, module.library, "Initialize");
    module.getModuleInfo = TALVO_GET_PROC(TalvoGetModuleInfoProc, module.library, "GetModuleInfo");
    module.receiveMessage = TALVO_GET_PROC(TalvoReceiveMessageProc, module.library, "ReceiveMessage");
    return module.initialize && module.getModuleInfo && module.receiveMessage;
}

// The panes split the host's client area into equal columns.
void LayoutPanes(HWND host)
{
    RECT area;
    GetClientRect(host, &area);
    const int count = (int)g_panes.size();
    for (int i = 0; i < count; ++i) {
        const int left = area.right * i / count, right = area.right * (i + 1) / count;
        MoveWindow(g_panes[i], left, 0, right - left, area.bottom, TRUE);
    }
    for (void* window : g_windows)
        g_module.receiveMessage(0, MM_RESIZE_WINDOW, window, 0);
}

void DestroyChatWindows()
{
    for (void* window : g_windows)
        g_module.receiveMessage(0, MM_DESTROY_WINDOW, window, 0);
    g_windows.clear();
}

// Says once for each window when it shows and when it can talk on the
// channel (the module enables the input line when the join is confirmed),
// so that a script knows what the user sees.
void ReportJoins()
{
    for (size_t i = 0; i < g_panes.size(); ++i) {
        HWND dialog = GetWindow(g_panes[i], GW_CHILD);
        if (g_joined[i] || !IsWindowVisible(dialog) || !IsWindowEnabled(GetDlgItem(dialog, IDC_INPUT)))
            continue;
        g_joined[i] = true;
        printf("chat window %u: on the channel\n", (unsigned)i + 1);
        fflush(stdout);
    }
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        LayoutPanes(window);
        return 0;
    case WM_TIMER:
        if (wParam == kCloseTimer)
            DestroyWindow(window);
        else if (wParam == kStatusTimer)
            ReportJoins();
        return 0;
    case WM_DESTROY:
        DestroyChatWindows();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Fills in a window's login panel and presses "Зайти", as a user would.
void LogIn(HWND pane, const Options& options, const std::string& nick)
{
    HWND dialog = GetWindow(pane, GW_CHILD);
    HWND servers = GetDlgItem(dialog, IDC_SERVER_LIST);
    SendMessageA(servers, CB_ADDSTRING, 0, (LPARAM)options.server.c_str());
    SendMessageA(servers, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)options.server.c_str());
    SetDlgItemTextA(dialog, IDC_PORT, options.port.c_str());
    SetDlgItemTextA(dialog, IDC_NICK, nick.c_str());
    SendMessageA(GetDlgItem(dialog, IDC_LOGIN), BM_CLICK, 0, 0);
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc)
            return false;
        const std::string value = argv[++i];
        if (name == "--server") {
            options.server = value;
        } else if (name == "--port") {
            options.port = value;
        } else if (name == "--seconds") {
            options.seconds = atoi(value.c_str());
        } else if (name == "--nick") {
            for (size_t start = 0; start <= value.size();) {
                const size_t comma = value.find(',', start);
                const size_t end = comma == std::string::npos ? value.size() : comma;
                options.nicks.push_back(value.substr(start, end - start));
                start = end + 1;
            }
        } else {
            return false;
        }
    }
    if (options.nicks.empty())
        options.nicks.push_back("demo");
    return true;
}

void RegisterClasses(HINSTANCE instance)
{
    WNDCLASSA host = {};
    host.lpfnWndProc = HostProc;
    host.hInstance = instance;
    host.hCursor = LoadCursor(NULL, IDC_ARROW);
    host.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    host.lpszClassName = kHostClass;
    RegisterClassA(&host);

    WNDCLASSA pane = host;
    pane.lpfnWndProc = DefWindowProcA;
    pane.lpszClassName = kPaneClass;
    RegisterClassA(&pane);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        fprintf(stderr, "usage: demo_host [--server HOST --port N --nick NICK[,NICK...]] [--seconds N]\n");
        return 2;
    }
    if (!LoadModule(g_module)) {
        fprintf(stderr, "demo_host: cannot load TalvoIrc.dll or its exports (error %lu)\n", GetLastError());
        return 1;
    }

    ModuleInfo info;
    g_module.getModuleInfo(&info);
    printf("module: %s\n", info.szName);
    g_module.initialize(OnModuleCallback, 0, 0, 0);
    g_module.receiveMessage(0, MM_QUERY_COMPONENTS, NULL, 0);

    HINSTANCE instance = GetModuleHandleA(NULL);
    RegisterClasses(instance);
    const int count = (int)options.nicks.size();
    HWND host = CreateWindowExA(0, kHostClass, "Talvo IRC", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                20, 20, 700 * count, 560, NULL, NULL, instance, NULL);
    for (int i = 0; i < count; ++i) {
        HWND pane = CreateWindowExA(0, kPaneClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                    0, 0, 0, 0, host, NULL, instance, NULL);
        CreateWindowRecord record = {};
        record.hParent = pane;
        if (g_module.receiveMessage(0, MM_CREATE_WINDOW, &record, 0) != MM_OK) {
            fprintf(stderr, "demo_host: the module could not create a chat window\n");
            return 1;
        }
        g_panes.push_back(pane);
        g_windows.push_back(record.pWindow);
        g_joined.push_back(false);
    }
    ShowWindow(host, SW_SHOW);
    LayoutPanes(host);
    for (int i = 0; i < count; ++i) {
        if (!IsWindowVisible(GetWindow(g_panes[i], GW_CHILD))) {
            fprintf(stderr, "demo_host: chat window %d is not visible\n", i + 1);
            return 1;
        }
    }
    printf("chat windows shown: %d\n", count);
    fflush(stdout);

    if (!options.server.empty()) {
        for (int i = 0; i < count; ++i)
            LogIn(g_panes[i], options, options.nicks[i]);
        SetTimer(host, kStatusTimer, 200, NULL);
    }
    if (options.seconds > 0)
        SetTimer(host, kCloseTimer, options.seconds * 1000, NULL);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
