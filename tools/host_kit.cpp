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

void LogInToLoopback(HWND dialog, const char* nick, const char* host, unsigned short port)
{
    SetDlgItemTextA(dialog, IDC_NICK, nick);
    HWND servers = GetDlgItem(dialog, IDC_SERVER_LIST);
    if (SendMessageA(servers, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)host) == CB_ERR)
        SendMessageA(servers, CB_ADDSTRING, 0, (LPARAM)host);
    SendMessageA(servers, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)host);
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

// What is queued runs first; then the window and all its children paint
// before the copy, and the bits come from the window's own DC, not the
// screen's: a window of another program over it (tests share one display)
// stays out of the picture.
bool SaveWindowPicture(HWND window, const std::string& path)
{
    PumpFor(300);
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = ((DWORD)width * 3 + 3) & ~3u;
    std::string pixels(stride * height, '\0');
    GetDIBits(memory, bitmap, 0, height, &pixels[0], (BITMAPINFO*)&info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + (DWORD)pixels.size();
    FILE* out = fopen(path.c_str(), "wb");
    if (!out)
        return false;
    fwrite(&file, sizeof file, 1, out);
    fwrite(&info, sizeof info, 1, out);
    fwrite(pixels.data(), 1, pixels.size(), out);
    fclose(out);
    return true;
}
