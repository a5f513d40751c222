// The probe host: a plain Win32 host that loads TalvoIrc.dll through its
// exports only, embeds chat windows side by side, and lets an end-to-end
// driver act on them as a user would and read back what a user sees.
//
//   probe_host.exe --windows N --control PORT
//
// The host connects to the driver on 127.0.0.1:PORT and answers every
// command line with one line of JSON:
//
//   login W SERVER PORT NICK [PASSWORD [EMAIL]]   fill the login panel, press "Зайти"
//   logout W                                    press "Выйти"
//   nick W NEWNICK                              "Сменить ник", type the nick, press again
//   say W TEXT                                  type into the input line, press Enter
//   type W TEXT                                 type into the input line and leave it there
//   paste W TEXT                                paste TEXT (\n: a line break) into the input line, press Enter
//   select W INDEX                              click a tab
//   dblclick W NICK                             double-click a nick in the user list
//   state W                                     panel, input line, tabs with their texts, user list, sounds
//   colour W TAB TEXT                           colour and weight at the last TEXT in a tab
//   shot PATH                                   save a picture of the host window (BMP)
//   quit                                        close the windows and end
//
// W counts windows from 0. Texts travel as UTF-8. What the user types is
// Windows-1251, as the input line takes it from the keyboard; a paste goes
// through the clipboard as Unicode. The output controls are read as
// UTF-16, the ANSI controls (tabs, user list, fields) in code page 1251.
#include <winsock2.h>

#include "client/control_ids.h"
#include "include/talvo_irc.h"
#include "tools/host_kit.h"

#include <commctrl.h>
#include <richedit.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char kHostClass[] = "TalvoProbeHost";
const char kPaneClass[] = "TalvoProbePane";
const UINT WM_CONTROL_SOCKET = WM_APP + 1;
const UINT kCodePage = 1251;

TalvoReceiveMessageProc g_receiveMessage;
HWND g_host;
std::vector<HWND> g_panes;
std::vector<void*> g_windows;
SOCKET g_control = INVALID_SOCKET;
std::string g_received;

// Every page window created inside a tab control, oldest first. Tabs are
// only ever appended, so the living pages of one tab control, in creation
// order, belong to its tab items in order.
HHOOK g_cbtHook;
std::vector<HWND> g_pages;

// The module's requests to play a sound, counted instead of played.
struct SoundRequests {
    int count = 0;
    std::string name;
    DWORD flags = 0;
};
SoundRequests g_sounds;

// --- Text conversion -------------------------------------------------------

std::string Convert(const std::string& text, UINT from, UINT to)
{
    if (text.empty())
        return text;
    const int wideLength = MultiByteToWideChar(from, 0, text.data(), (int)text.size(), NULL, 0);
    std::wstring wide(wideLength, L'\0');
    MultiByteToWideChar(from, 0, text.data(), (int)text.size(), &wide[0], wideLength);
    const int length = WideCharToMultiByte(to, 0, wide.data(), wideLength, NULL, 0, NULL, NULL);
    std::string result(length, '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideLength, &result[0], length, NULL, NULL);
    return result;
}

std::string ToModule(const std::string& utf8) { return Convert(utf8, CP_UTF8, kCodePage); }
std::string FromModule(const std::string& text) { return Convert(text, kCodePage, CP_UTF8); }

// --- JSON replies ----------------------------------------------------------

std::string Quoted(const std::string& utf8)
{
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c == '\r' || c == '\n') {
            out += "\\n";
        } else if (c < 0x20) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += (char)c;
        }
    }
    return out + "\"";
}

const char* Bool(bool value) { return value ? "true" : "false"; }

std::string Error(const std::string& what) { return "{\"error\":" + Quoted(what) + "}"; }

const char kOk[] = "{\"ok\":true}";

// --- Observing the module --------------------------------------------------

// A stop (no name) is not a request.
BOOL WINAPI CountSoundRequest(LPCSTR name, HMODULE, DWORD flags)
{
    if (!name)
        return TRUE;
    ++g_sounds.count;
    g_sounds.name = name;
    g_sounds.flags = flags;
    return TRUE;
}

// Points the DLL's import of winmm's PlaySoundA at the counter: the module
// plays its sound only through that import.
bool InterceptSoundRequests(HMODULE library)
{
    BYTE* base = (BYTE*)library;
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
    const IMAGE_NT_HEADERS* headers = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const IMAGE_IMPORT_DESCRIPTOR* descriptor = (const IMAGE_IMPORT_DESCRIPTOR*)(base + imports.VirtualAddress);
    for (; descriptor->Name; ++descriptor) {
        if (lstrcmpiA((const char*)(base + descriptor->Name), "winmm.dll") != 0)
            continue;
        const DWORD lookup = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk
                                                            : descriptor->FirstThunk;
        const IMAGE_THUNK_DATA* names = (const IMAGE_THUNK_DATA*)(base + lookup);
        IMAGE_THUNK_DATA* slots = (IMAGE_THUNK_DATA*)(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const IMAGE_IMPORT_BY_NAME* name = (const IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData);
            if (strcmp((const char*)name->Name, "PlaySoundA") != 0)
                continue;
            DWORD protection;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            slots->u1.Function = (ULONG_PTR)&CountSoundRequest;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

bool HasClass(HWND window, const char* name)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    return strcmp(className, name) == 0;
}

LRESULT CALLBACK OnCbtEvent(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const CBT_CREATEWNDA* create = (const CBT_CREATEWNDA*)lParam;
        if (create->lpcs->hwndParent && HasClass(create->lpcs->hwndParent, WC_TABCONTROLA))
            g_pages.push_back((HWND)wParam);
    } else if (code == HCBT_DESTROYWND) {
        g_pages.erase(std::remove(g_pages.begin(), g_pages.end(), (HWND)wParam), g_pages.end());
    }
    return CallNextHookEx(g_cbtHook, code, wParam, lParam);
}

// The tab control may hold other children (its scroll arrows); pages are dialogs.
std::vector<HWND> PagesOf(HWND tabs)
{
    std::vector<HWND> pages;
    for (HWND page : g_pages) {
        if (GetParent(page) == tabs && HasClass(page, "#32770"))
            pages.push_back(page);
    }
    return pages;
}

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &wide[0], (int)wide.size()));
    return wide;
}

std::string Utf8(const std::wstring& wide)
{
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), &utf8[0], (int)utf8.size(), NULL,
                                    NULL));
    return utf8;
}

// The output text as UTF-16, one '\r' per line break, so that offsets in it
// are the control's character positions.
std::wstring OutputText(HWND output)
{
    GETTEXTLENGTHEX lengthQuery = { GTL_DEFAULT, 1200 };
    const LRESULT length = SendMessageW(output, EM_GETTEXTLENGTHEX, (WPARAM)&lengthQuery, 0);
    if (length <= 0)
        return L"";
    std::wstring text(length + 1, L'\0');
    GETTEXTEX query = {};
    query.cb = (DWORD)(text.size() * sizeof(wchar_t));
    query.flags = GT_DEFAULT;
    query.codepage = 1200;
    SendMessageW(output, EM_GETTEXTEX, (WPARAM)&query, (LPARAM)&text[0]);
    text.resize(wcslen(text.c_str()));
    return text;
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return FromModule(text);
}

// --- The chat windows ------------------------------------------------------

// The first count words of a line, cut at single spaces; rest is what follows.
std::vector<std::string> Words(const std::string& line, size_t count, std::string& rest)
{
    std::vector<std::string> words;
    size_t at = 0;
    while (words.size() < count && at < line.size()) {
        const size_t end = std::min(line.find(' ', at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    rest = at < line.size() ? line.substr(at) : "";
    return words;
}

HWND Dialog(size_t window) { return GetWindow(g_panes[window], GW_CHILD); }

HWND Control(size_t window, int id) { return GetDlgItem(Dialog(window), id); }

bool Usable(HWND control) { return IsWindowVisible(control) && IsWindowEnabled(control); }

// What a click on a button sends to its dialog.
void Press(size_t window, int id)
{
    SendMessageA(Dialog(window), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Control(window, id));
}

void SetText(size_t window, int id, const std::string& utf8)
{
    SetWindowTextA(Control(window, id), ToModule(utf8).c_str());
}

std::string LogIn(size_t window, const std::string& fields)
{
    std::string extra;
    const std::vector<std::string> words = Words(fields, 5, extra);
    if (words.size() < 3 || !extra.empty())
        return Error("usage: login W SERVER PORT NICK [PASSWORD [EMAIL]]");
    if (!Usable(Control(window, IDC_NICK)) || !Usable(Control(window, IDC_LOGIN)))
        return Error("the login panel is not open");
    // A user can only pick a listed server, so it is listed first.
    HWND servers = Control(window, IDC_SERVER_LIST);
    const std::string server = ToModule(words[0]);
    LRESULT index = SendMessageA(servers, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)server.c_str());
    if (index == CB_ERR)
        index = SendMessageA(servers, CB_ADDSTRING, 0, (LPARAM)server.c_str());
    SendMessageA(servers, CB_SETCURSEL, index, 0);
    SendMessageA(Dialog(window), WM_COMMAND, MAKEWPARAM(IDC_SERVER_LIST, CBN_SELCHANGE), (LPARAM)servers);
    SetText(window, IDC_PORT, words[1]);
    SetText(window, IDC_NICK, words[2]);
    SetText(window, IDC_PASSWORD, words.size() > 3 ? words[3] : "");
    SetText(window, IDC_EMAIL, words.size() > 4 ? words[4] : "");
    Press(window, IDC_LOGIN);
    return kOk;
}

// The command buttons may be hidden in the chat layout; their commands still
// reach the dialog as a click would send them.
std::string LogOut(size_t window)
{
    Press(window, IDC_LOGOUT);
    return kOk;
}

std::string ChangeNick(size_t window, const std::string& nick)
{
    Press(window, IDC_CHANGE_NICK);
    if (!Usable(Control(window, IDC_NICK)))
        return Error("the nick field did not open");
    SetText(window, IDC_NICK, nick);
    Press(window, IDC_CHANGE_NICK);
    return kOk;
}

// Enter reaches the dialog as the input line's message filter reports it.
void PressEnter(size_t window, HWND input)
{
    MSGFILTER filter = {};
    filter.nmhdr.hwndFrom = input;
    filter.nmhdr.idFrom = IDC_INPUT;
    filter.nmhdr.code = EN_MSGFILTER;
    filter.msg = WM_KEYUP;
    filter.wParam = VK_RETURN;
    SendMessageA(Dialog(window), WM_NOTIFY, IDC_INPUT, (LPARAM)&filter);
}

// Typing gives the input line only what the keyboard's code page holds.
std::string Type(size_t window, const std::string& text)
{
    HWND input = Control(window, IDC_INPUT);
    if (!Usable(input))
        return Error("the input line is not usable");
    if (FromModule(ToModule(text)) != text)
        return Error("code page 1251 cannot type this; paste it");
    SetWindowTextA(input, ToModule(text).c_str());
    return kOk;
}

std::string Say(size_t window, const std::string& text)
{
    const std::string typed = Type(window, text);
    if (typed == kOk)
        PressEnter(window, Control(window, IDC_INPUT));
    return typed;
}

// Probe hosts of scenarios that run at once share the prefix's clipboard:
// each holds this lock from putting its text there until its input line has
// pasted it, so that none pastes another's text or finds the clipboard open.
class CClipboardTurn {
public:
    CClipboardTurn() : m_hMutex(CreateMutexA(NULL, FALSE, "TalvoProbeClipboard"))
    {
        m_held = m_hMutex && WaitForSingleObject(m_hMutex, 30000) != WAIT_TIMEOUT;
    }
    ~CClipboardTurn()
    {
        if (m_held)
            ReleaseMutex(m_hMutex);
        if (m_hMutex)
            CloseHandle(m_hMutex);
    }
    bool IsHeld() const { return m_held; }

private:
    HANDLE m_hMutex;
    bool m_held;
};

// The text goes on the clipboard as Unicode, and the input line pastes it
// as it would on Ctrl+V.
std::string Paste(size_t window, const std::string& text)
{
    HWND input = Control(window, IDC_INPUT);
    if (!Usable(input))
        return Error("the input line is not usable");
    std::wstring wide = Wide(text);
    for (size_t at = wide.find(L"\\n"); at != std::wstring::npos; at = wide.find(L"\\n", at + 2))
        wide.replace(at, 2, L"\r\n");
    CClipboardTurn turn;
    if (!turn.IsHeld())
        return Error("another probe host kept the clipboard for 30 s");
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(memory), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    if (!OpenClipboard(g_host)) {
        GlobalFree(memory);
        return Error("the clipboard is not available");
    }
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    SetWindowTextA(input, "");
    SendMessageA(input, WM_PASTE, 0, 0);
    PressEnter(window, input);
    return kOk;
}

std::string Shot(const std::string& path)
{
    return SaveWindowPicture(g_host, path) ? kOk : Error("cannot save " + path);
}

std::string SelectTab(size_t window, int index)
{
    HWND tabs = Control(window, IDC_TABS);
    if (!IsWindowVisible(tabs))
        return Error("the tabs are not shown");
    if (index < 0 || index >= (int)SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0))
        return Error("no such tab");
    NMHDR header = { tabs, IDC_TABS, (UINT)TCN_SELCHANGING };
    SendMessageA(Dialog(window), WM_NOTIFY, IDC_TABS, (LPARAM)&header);
    SendMessageA(tabs, TCM_SETCURSEL, index, 0);
    header.code = (UINT)TCN_SELCHANGE;
    SendMessageA(Dialog(window), WM_NOTIFY, IDC_TABS, (LPARAM)&header);
    return kOk;
}

std::string ListEntry(HWND list, int index)
{
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR)
        return "";
    std::string entry(length + 1, '\0');
    SendMessageA(list, LB_GETTEXT, index, (LPARAM)&entry[0]);
    entry.resize(length);
    return entry;
}

// A click selects the entry, the second click of a double click opens it.
std::string DoubleClickUser(size_t window, const std::string& nick)
{
    HWND list = Control(window, IDC_USER_LIST);
    if (!IsWindowVisible(list))
        return Error("the user list is not shown");
    const std::string wanted = ToModule(nick);
    const int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        std::string entry = ListEntry(list, i);
        entry.erase(0, entry.find_first_not_of("~&@%+"));
        if (entry != wanted)
            continue;
        SendMessageA(list, LB_SETCURSEL, i, 0);
        SendMessageA(Dialog(window), WM_COMMAND, MAKEWPARAM(IDC_USER_LIST, LBN_SELCHANGE), (LPARAM)list);
        SendMessageA(Dialog(window), WM_COMMAND, MAKEWPARAM(IDC_USER_LIST, LBN_DBLCLK), (LPARAM)list);
        return kOk;
    }
    return Error("no such user in the list");
}

std::string State(size_t window)
{
    static const struct {
        const char* name;
        int id;
    } kControls[] = {
        { "tabs", IDC_TABS },         { "users", IDC_USER_LIST },     { "login", IDC_LOGIN },
        { "logout", IDC_LOGOUT },     { "changeNick", IDC_CHANGE_NICK }, { "input", IDC_INPUT },
        { "nick", IDC_NICK },         { "password", IDC_PASSWORD },   { "email", IDC_EMAIL },
        { "server", IDC_SERVER_LIST }, { "port", IDC_PORT },          { "sound", IDC_SOUND },
        { "controls", IDC_CONTROLS },
    };
    std::string out = "{\"bits\":" + std::to_string(sizeof(void*) * 8) + ",\"panel\":{";
    for (const auto& control : kControls) {
        HWND handle = Control(window, control.id);
        out += std::string(&control == kControls ? "" : ",") + Quoted(control.name) + ":{\"visible\":" +
               Bool(IsWindowVisible(handle)) + ",\"enabled\":" + Bool(IsWindowEnabled(handle)) + "}";
    }
    out += "},\"nickField\":" + Quoted(WindowText(Control(window, IDC_NICK)));
    out += ",\"inputField\":" + Quoted(WindowText(Control(window, IDC_INPUT)));

    HWND tabs = Control(window, IDC_TABS);
    const std::vector<HWND> pages = PagesOf(tabs);
    const int count = (int)SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0);
    out += ",\"selected\":" + std::to_string((int)SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
    out += ",\"pages\":" + std::to_string(pages.size()) + ",\"tabList\":[";
    for (int i = 0; i < count; ++i) {
        char name[1024] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = name;
        item.cchTextMax = sizeof name;
        SendMessageA(tabs, TCM_GETITEMA, i, (LPARAM)&item);
        const std::wstring text = i < (int)pages.size() ? OutputText(GetDlgItem(pages[i], IDC_OUTPUT)) : L"";
        out += std::string(i ? "," : "") + "{\"name\":" + Quoted(FromModule(name)) + ",\"unread\":" +
               Bool(item.iImage == 0) + ",\"text\":" + Quoted(Utf8(text)) + "}";
    }
    out += "],\"users\":[";
    HWND list = Control(window, IDC_USER_LIST);
    const int users = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < users; ++i)
        out += std::string(i ? "," : "") + Quoted(FromModule(ListEntry(list, i)));
    out += "],\"sounds\":{\"count\":" + std::to_string(g_sounds.count) + ",\"name\":" +
           Quoted(g_sounds.name) + ",\"flags\":" + std::to_string(g_sounds.flags) + "}}";
    return out;
}

// Reads the format of one character: the first of the last occurrence.
std::string ColourAt(size_t window, int tab, const std::string& utf8)
{
    const std::vector<HWND> pages = PagesOf(Control(window, IDC_TABS));
    if (tab < 0 || tab >= (int)pages.size())
        return Error("no such tab");
    HWND output = GetDlgItem(pages[tab], IDC_OUTPUT);
    const size_t at = OutputText(output).rfind(Wide(utf8));
    if (at == std::string::npos)
        return "{\"found\":false}";

    CHARRANGE kept;
    SendMessageA(output, EM_EXGETSEL, 0, (LPARAM)&kept);
    CHARRANGE one = { (LONG)at, (LONG)at + 1 };
    SendMessageA(output, EM_EXSETSEL, 0, (LPARAM)&one);
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    SendMessageA(output, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    SendMessageA(output, EM_EXSETSEL, 0, (LPARAM)&kept);

    const COLORREF colour = format.crTextColor;
    char reply[128];
    snprintf(reply, sizeof reply, "{\"found\":true,\"colour\":[%d,%d,%d],\"bold\":%s}", GetRValue(colour),
             GetGValue(colour), GetBValue(colour), Bool((format.dwEffects & CFE_BOLD) != 0));
    return reply;
}

// --- The control connection ------------------------------------------------

std::string Execute(const std::string& line)
{
    std::string rest;
    const std::vector<std::string> head = Words(line, 2, rest);
    if (head.empty())
        return Error("empty command");
    const std::string command = head[0];
    if (command == "quit") {
        PostMessageA(g_host, WM_CLOSE, 0, 0);
        return kOk;
    }
    if (command == "shot")
        return head.size() < 2 ? Error("usage: shot PATH") : Shot(line.substr(strlen("shot ")));
    if (head.size() < 2)
        return Error("no window given");
    const size_t window = strtoul(head[1].c_str(), NULL, 10);
    if (window >= g_panes.size())
        return Error("no such window");

    if (command == "login")
        return LogIn(window, rest);
    if (command == "logout")
        return LogOut(window);
    if (command == "state")
        return State(window);
    if (rest.empty())
        return Error("missing text");
    if (command == "nick")
        return ChangeNick(window, rest);
    if (command == "say")
        return Say(window, rest);
    if (command == "type")
        return Type(window, rest);
    if (command == "paste")
        return Paste(window, rest);
    if (command == "select")
        return SelectTab(window, atoi(rest.c_str()));
    if (command == "dblclick")
        return DoubleClickUser(window, rest);
    if (command == "colour") {
        std::string text;
        const std::vector<std::string> tab = Words(rest, 1, text);
        if (text.empty())
            return Error("usage: colour W TAB TEXT");
        return ColourAt(window, atoi(tab[0].c_str()), text);
    }
    return Error("unknown command");
}

// The socket is non-blocking once selected for messages: a long reply waits
// for room, for at most ten seconds.
void Reply(const std::string& reply)
{
    const std::string text = reply + "\n";
    size_t sent = 0;
    for (int waits = 0; sent < text.size() && waits < 100;) {
        const int n = send(g_control, text.data() + sent, (int)(text.size() - sent), 0);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            return;
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(g_control, &writable);
        timeval wait = { 0, 100000 };
        select(0, NULL, &writable, NULL, &wait);
        ++waits;
    }
}

// Each line is taken out before it runs: a command that enters a modal loop
// may let the next one in.
void OnControlRead()
{
    char chunk[4096];
    const int received = recv(g_control, chunk, sizeof chunk, 0);
    if (received <= 0)
        return;
    g_received.append(chunk, received);
    size_t end;
    while ((end = g_received.find('\n')) != std::string::npos) {
        std::string line = g_received.substr(0, end);
        g_received.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        Reply(Execute(line));
    }
}

bool ConnectControl(unsigned short port)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    g_control = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (g_control == INVALID_SOCKET || connect(g_control, (const sockaddr*)&address, sizeof address) != 0)
        return false;
    WSAAsyncSelect(g_control, g_host, WM_CONTROL_SOCKET, FD_READ | FD_CLOSE);
    return true;
}

// --- The host window -------------------------------------------------------

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
        g_receiveMessage(0, MM_RESIZE_WINDOW, window, 0);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        LayoutPanes(window);
        return 0;
    case WM_CONTROL_SOCKET:
        if (WSAGETSELECTEVENT(lParam) == FD_READ)
            OnControlRead();
        else if (WSAGETSELECTEVENT(lParam) == FD_CLOSE)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        for (void* chat : g_windows)
            g_receiveMessage(0, MM_DESTROY_WINDOW, chat, 0);
        g_windows.clear();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int32_t __cdecl OnModuleCallback(int32_t, int32_t, intptr_t, int32_t)
{
    return 0;
}

bool ParseOptions(int argc, char** argv, int& windows, int& port)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--windows") == 0)
            windows = atoi(argv[i + 1]);
        else if (strcmp(argv[i], "--control") == 0)
            port = atoi(argv[i + 1]);
        else
            return false;
    }
    return argc % 2 == 1 && windows > 0 && windows <= 8 && port > 0 && port < 65536;
}

} // namespace

int main(int argc, char** argv)
{
    int count = 0, port = 0;
    if (!ParseOptions(argc, argv, count, port)) {
        fprintf(stderr, "usage: probe_host --windows N --control PORT\n");
        return 2;
    }
    HMODULE library = LoadLibraryA("TalvoIrc.dll");
    TalvoInitializeProc initialize = library ? TALVO_GET_PROC(TalvoInitializeProc, library, "Initialize") : NULL;
    g_receiveMessage = library ? TALVO_GET_PROC(TalvoReceiveMessageProc, library, "ReceiveMessage") : NULL;
    if (!initialize || !g_receiveMessage) {
        fprintf(stderr, "probe_host: cannot load TalvoIrc.dll or its exports (error %lu)\n", GetLastError());
        return 1;
    }
    if (!InterceptSoundRequests(library)) {
        fprintf(stderr, "probe_host: TalvoIrc.dll does not import PlaySoundA from winmm.dll\n");
        return 1;
    }
    initialize(OnModuleCallback, 0, 0, 0);
    g_cbtHook = SetWindowsHookExA(WH_CBT, OnCbtEvent, NULL, GetCurrentThreadId());

    HINSTANCE instance = GetModuleHandleA(NULL);
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

    g_host = CreateWindowExA(0, kHostClass, "Talvo IRC probe", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                             620 * count, 560, NULL, NULL, instance, NULL);
    for (int i = 0; i < count; ++i) {
        HWND paneWindow = CreateWindowExA(0, kPaneClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                                          0, g_host, NULL, instance, NULL);
        CreateWindowRecord record = {};
        record.hParent = paneWindow;
        if (g_receiveMessage(0, MM_CREATE_WINDOW, &record, 0) != MM_OK) {
            fprintf(stderr, "probe_host: the module could not create a chat window\n");
            return 1;
        }
        g_panes.push_back(paneWindow);
        g_windows.push_back(record.pWindow);
    }
    ShowWindow(g_host, SW_SHOW);
    LayoutPanes(g_host);

    if (!ConnectControl((unsigned short)port)) {
        fprintf(stderr, "probe_host: cannot reach the driver on 127.0.0.1:%d\n", port);
        return 1;
    }

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    UnhookWindowsHookEx(g_cbtHook);
    closesocket(g_control);
    WSACleanup();
    return 0;
}
