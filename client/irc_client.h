// The whole state of one chat window, and every chat operation on it.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "client/input_command.h"
#include "net/window_messages.h"
#include "protocol/ctcp.h"
#include "protocol/ignore_list.h"
#include "protocol/server_rules.h"

#include <stdarg.h>
#include <stdint.h>

class CServerConnection;

enum { kMaxTabs = 100 };

// How NickServ hears of the user: the fields' password and e-mail register
// the nick, a password alone identifies it.
enum class ServicesLogin { None, Register, Identify };
enum { kServicesFieldSize = 3 * 1024 };

#pragma pack(push, 1)

struct TabEntry {
    char szName[1024];
    HWND hPage;
    BYTE bRead;

    TabEntry() : szName(), hPage(NULL), bRead(0) {}
};

// One flat record of fixed buffers, NUL-terminated and filled with explicit
// limits; the field order and widths are part of the module's layout.
class CIrcClient {
public:
    explicit CIrcClient(HWND hDialog);
    ~CIrcClient();

    CIrcClient(const CIrcClient&) = delete;
    CIrcClient& operator=(const CIrcClient&) = delete;

    bool IsOwnSocket(SOCKET socket) const;
    HWND GetControl(int id) const;

    // Server connection: the window's one CServerConnection, owned by its
    // CChatConnection (client/chat_connection.h).
    // tls: the user asked for an encrypted connection (client/login_rules.h).
    bool Connect(unsigned short port, bool tls);
    INT_PTR OnSocketEvent(HWND dialog, WPARAM wParam, LPARAM lParam);
    // The answer to Connect's name lookup; 1 when it was this window's.
    INT_PTR OnHostResolved(WPARAM request);
    // The server certificate's verdict; 1 when it was this window's.
    INT_PTR OnCertificateChecked(WPARAM request);
    // A connection still being made (name lookup, TLS handshake, the wait
    // to make a dropped link again): nothing of the user's may go out yet.
    bool IsBeingConnected() const;
    // Formats protocol text into m_sendBuf and queues its lines; returns the
    // bytes queued. Lines go out as the socket and the pace allow.
    int SendLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void OnSocketWrite();
    // The connection's timers (net/window_messages.h); 0 for any other
    // timer, and when there is no connection.
    INT_PTR OnDialogTimer(WPARAM id);
    void FillServerList();
    // Says goodbye and ends the connection at once, without waiting for the
    // server's close: the window is back on the login panel.
    void LeaveServer();
    // A connection attempt that failed: its line is shown already; the
    // login panel comes back with the server tab in sight.
    void AbandonConnection();
    // The server closed the connection: the login panel comes back.
    void OnConnectionClosed();
    // The session's link is gone: the record shows no connection.
    void ForgetLink();

    // Registration and services login.
    void SendRegistration();
    // password and email hold kServicesFieldSize bytes each.
    ServicesLogin ReadServicesLogin(char* password, char* email) const;
    void SendServicesLogin();
    // SASL PLAIN's message for an identify; its length, 0 for none.
    size_t ReadSaslCredentials(char* credentials, size_t size) const;
    bool HasServicesPassword() const;
    void SendRegister(const char* password, const char* email);
    void SendIdentify(const char* password);
    // A 451 reply (not registered yet) and the welcome (001): commands the
    // server refused before its welcome go out again after it.
    void OnNotRegistered(const char* rest);
    void OnWelcome();
    // The welcome has come on this connection.
    bool IsRegistered() const;
    // A new connection registers afresh: the refused commands and the
    // welcome of the last one are forgotten.
    void ForgetRegistration();
    // The rules the server of the connection announced; the defaults
    // without a connection.
    const ServerRules& Rules() const;
    void ReadServerRules(const char* params);
    // Answers to CTCP requests are paced per connection: an answer beyond
    // the pace is not sent (false).
    bool SendPacedAnswer(const char* answer);
    void ForgetCtcpAnswers();

    // Input line and outgoing commands.
    void OnEnterInInputLine();
    // Both return false when the text was refused as a whole (too much is
    // waiting to go): the user keeps it.
    bool TrimAndSend(const char* text);
    bool SendInputLine(const char* text);
    // Sends text to a nick or the channel as messages (actions), echoed in
    // its tab; false when the queue has no room for it.
    bool SendText(const char* target, const char* text, SentText kind);
    // A typed command (client/input_commands.cpp); false keeps its text in
    // the input line.
    bool RunTypedCommand(const TypedLine& typed);
    // Sends text (none opens the tab only) to a nick or the channel after
    // checking the name; the nick's tab opens, selected or behind the
    // selected one.
    bool SendToTarget(const char* target, const char* text, SentText kind, bool select);
    bool ChangeNickByCommand(const char* nick);
    // False, with a line that says so, for a name no nick can be.
    bool IsPossibleNick(const char* nick);
    // /ignore and /unignore: one nick more or less, or the list shown.
    bool ChangeIgnoreList(const TypedLine& typed);
    // The nicks the user ignores, for the window's life (one window
    // property, made by the first /ignore; FindIgnoredNicks gives null
    // before it).
    CIgnoreList& IgnoredNicks();
    const CIgnoreList* FindIgnoredNicks() const;
    void ForgetIgnoredNicks();
    void SendJoin(const char* channel);
    void SendNick(const char* nick);
    void SendQuit(const char* reason);
    // "Выйти": QUIT on an open connection; one still being made ends at once.
    void QuitServer(const char* reason);

    // Login panel and nick change.
    void OnLoginButton();
    bool ConnectFromPanel();
    bool ValidateLogin();
    void OnLogoutButton();
    // As "Выйти", saying goodbye with reason.
    void LogOut(const char* reason);
    void OnDialogClose();
    void OnChangeNickButton();
    // False, with the refusal's text, for a nick longer than the server's
    // NICKLEN.
    bool FitsNickLength(const char* nick, char* refusal, size_t size) const;
    // NICK, and the identify when the password field holds a password.
    void SendNickChange(const char* nick);
    // The nick field shows the nick the server knows the user by.
    void ShowOwnNick();
    void SetButtonImage(int id, const char* path);
    void SetConnectedButtons();
    void SetDisconnectedButtons();

    // Incoming lines: the line in m_ioBuf through the handlers of
    // protocol/, which reach the window through client/client_window.h.
    void ProcessLine();

    // Conversation tabs.
    void InitTabControl();
    HWND FindTab(const char* name) const;
    // The tab's index; -1 for none.
    int TabIndexOf(const char* name) const;
    void SelectTabAt(int index);
    void OpenTab(const char* name);
    void HideAllPages();
    void OnTabSelChange();
    void CloseCurrentTab();
    void CloseAllPrivateTabs();
    void ResetTabs(bool all);
    bool IsPrivateTabSelected() const;
    const char* GetCurrentTabName() const;
    HWND GetCurrentPage() const;
    HWND GetTabOutput(int index) const;
    void MarkTabActivity(HWND output);
    void SetTabMark(int index);
    void ClearTabMark(int index);
    void OnUserListSelChange();
    void OnUserListDblClk();
    bool IsUserSelected() const;
    bool GetSelectedUser(char* user, size_t size) const;
    bool NeedsPrivateTab() const;

    // Output.
    void PrintLine(HWND output, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void PrintLineArgs(HWND output, const char* format, va_list args);
    // Keeps every conversation's scrollback, and the window's, within its
    // bounds; a WM_SCROLLBACK request from the output side.
    void KeepScrollbackBounds();
    INT_PTR OnScrollbackMessage(WPARAM request, LPARAM output);

    // Layout and skin.
    void FitToWindow(HWND window);
    void LayoutControls(int left, int top, int right, int bottom, int loginState);
    void ApplyPanel(const RECT& dialogRect, int panel);
    void ShowChatPanel();
    void ShowLoginPanel();
    void UpdateNickPanel();
    void ResetToLogin();
    void ToggleSound();
    void ToggleControls();
    void PaintBackground();
    void PaintLabels();

    // Channel user list.
    void ClearUserList();
    void AddUserNames(const char* names);
    // One NAMES reply is a run of 353 lines closed by 366. Returns true for
    // the run's first line, which starts the list afresh.
    bool OpenNamesReply();
    void CloseNamesReply();
    // Lists the nick's first word, or the whole nick after '@' when the last
    // RemoveUser found an operator's entry.
    void AddUser(const char* nick);
    // Removes the first word's entry whatever its status symbols, the nick
    // compared by the server's case mapping; `symbols` gets those it held.
    bool RemoveUser(const char* nick, char* symbols, size_t size);
    // The same, remembering in m_nickPrefix '@' for an operator's entry, ' '
    // for a plain one and '+' for any other or none.
    void RemoveUser(const char* nick);
    bool HoldsStatus(const char* nick, char symbol) const;
    void SetUserStatus(const char* nick, char symbol, bool held);
    bool NotInUserList(const char* text) const;

    HFONT m_hFont;
    int64_t m_pingTimes[kPingSlots];
    SOCKET m_socket;
    uint16_t m_port;
    int32_t m_lineLen;
    BYTE m_showTabsPending;
    BYTE m_soundOn;
    BYTE m_controlsShown;
    char m_szServerHost[1024];
    char m_ioBuf[2048];
    char m_sendBuf[2048];
    char m_szServer[1024];
    char m_szUserName[1024];
    char m_szRealName[1024];
    char m_szAltNick[1024];
    char m_szInput[8192];  // unused: the input line is read whole, as UTF-8; kept for the layout
    char m_szChannel[1027];
    HWND m_hDialog;
    HWND m_hTabCtrl;
    HWND m_hHostWnd;
    HIMAGELIST m_hImageList;
    HBITMAP m_hBitmap;
    int32_t m_loginState;
    BYTE m_nickEditLocked;
    BYTE m_connected;
    BYTE m_ownLinePending;
    TabEntry* m_tabs;
    HINSTANCE m_hInstance;
    char m_nickPrefix;
    char m_szNick[1027];
    int32_t m_tabCount;
    int32_t m_tabHighWater;

private:
    // Ends every part of the connection; the record shows none.
    void EndConnection();
    // The window's connection, or NULL.
    CServerConnection* Server() const;
    // The record's fields show the connection's socket and pending line.
    void MirrorConnection();
    void FinishSending();
};

#pragma pack(pop)

// The same fields in both builds; the 64-bit one widens the nine handle,
// socket and pointer fields to 8 bytes.
#if defined(_WIN64)
static_assert(sizeof(TabEntry) == 1033, "TabEntry layout");
static_assert(sizeof(CIrcClient) == 23655, "CIrcClient layout");
#else
static_assert(sizeof(TabEntry) == 1029, "TabEntry layout");
static_assert(sizeof(CIrcClient) == 23619, "CIrcClient layout");
#endif
