#include "tools/host_kit.h"

#include "client/control_ids.h"

#include <stdio.h>

TalvoReceiveMessageProc LoadModuleReceiver()
{
    HMODULE library = LoadLibraryA("TalvoIrc.dll");
    return library ? TALVO_GET_PROC(TalvoReceiveMessageProc, library, "ReceiveMessage") : NULL;
}

HWND CreateChatWindow(TalvoReceiveMessageProc receiveMessage, const char* title, bool visible,
                      CreateWindowRecord& record)
{
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0);
    HWND host = CreateWindowExA(0, "STATIC", title, style, 0, 0, 760, 560, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
    record = CreateWindowRecord();
    record.hParent = host;
    if (receiveMessage(0, MM_CREATE_WINDOW, &record, 0) != MM_OK)
        return NULL;
    return GetWindow(host, GW_CHILD);
}

HWND OpenChatWindow(const char* tool, const char* title, bool visible,
                    TalvoReceiveMessageProc& receiveMessage, CreateWindowRecord& record)
{
    receiveMessage = LoadModuleReceiver();
    if (!receiveMessage) {
        fprintf(stderr, "%s: cannot load TalvoIrc.dll or its exports\n", tool);
        return NULL;
    }
    HWND dialog = CreateChatWindow(receiveMessage, title, visible, record);
    if (!dialog)
        fprintf(stderr, "%s: the module could not create a chat window\n", tool);
    return dialog;
}

SOCKET ListenOnLoopback(unsigned short& port)
{
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (listener == INVALID_SOCKET || bind(listener, (sockaddr*)&address, sizeof address) != 0 ||
        listen(listener, 1) != 0) {
        if (listener != INVALID_SOCKET)
            closesocket(listener);
        return INVALID_SOCKET;
    }
    int length = sizeof address;
    getsockname(listener, (sockaddr*)&address, &length);
    port = ntohs(address.sin_port);
    u_long nonBlocking = 1;
    ioctlsocket(listener, FIONBIO, &nonBlocking);
    return listener;
}

void PumpPending()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void PumpFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        PumpPending();
        MsgWaitForMultipleObjects(0, NULL, FALSE, 1, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
    PumpPending();
}

void LogInToLoopback(HWND dialog, const char* nick, unsigned short port)
{
    SetDlgItemTextA(dialog, IDC_NICK, nick);
    HWND servers = GetDlgItem(dialog, IDC_SERVER_LIST);
    if (SendMessageA(servers, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "127.0.0.1") == CB_ERR)
        SendMessageA(servers, CB_ADDSTRING, 0, (LPARAM) "127.0.0.1");
    SendMessageA(servers, CB_SELECTSTRING, (WPARAM)-1, (LPARAM) "127.0.0.1");
    char text[8];
    snprintf(text, sizeof text, "%u", (unsigned)port);
    SetDlgItemTextA(dialog, IDC_PORT, text);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_LOGIN, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDC_LOGIN));
}

double CommittedPrivateMegabytes()
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    size_t committed = 0;
    const char* address = (const char*)system.lpMinimumApplicationAddress;
    MEMORY_BASIC_INFORMATION region;
    while (address < (const char*)system.lpMaximumApplicationAddress &&
           VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            committed += region.RegionSize;
        address = (const char*)region.BaseAddress + region.RegionSize;
    }
    return committed / (1024.0 * 1024.0);
}
