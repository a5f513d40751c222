#include "tools/host_kit.h"

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
