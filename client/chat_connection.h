// The window's session with its server: it owns the current connection,
// shows in the tabs what the connection's events mean, and keeps what the
// window remembers of it. A registered link that drops is made again after
// a growing wait (client/reconnect.cpp); the session survives it. The
// dialog reaches it through one window property.
#pragma once

#include "net/reconnect_delay.h"
#include "net/server_connection.h"

class CIrcClient;

class CChatConnection final : public IConnectionEvents {
public:
    // Starts connecting client to its server (m_szServer); NULL, with the
    // reason in the server tab, when the connection could not even start.
    static CChatConnection* Start(CIrcClient& client, unsigned short port, bool tls);
    // The dialog's connection, or NULL.
    static CChatConnection* Of(HWND dialog);
    // Ends the dialog's connection, every part of it at once.
    static void End(HWND dialog);
    ~CChatConnection();

    CChatConnection(const CChatConnection&) = delete;
    CChatConnection& operator=(const CChatConnection&) = delete;

    // NULL while the session waits to make its link again.
    CServerConnection* Server() const { return m_pServer; }
    // The link being made replaces one that dropped: the session goes on.
    bool IsReconnect() const { return m_replacesDropped; }
    // A drop of the link would be made good: the session was welcomed and
    // the server has not ended it.
    bool MayReconnect() const;
    // The server ended the session (a ban, a wrong password): no new link.
    void EndSession() { m_sessionEnded = true; }
    // The server's ERROR: its text is the reason of the close that follows.
    void NoteDropReason(const char* reason);
    void OnWelcome();
    // The reconnect timer, or the connection's own.
    INT_PTR OnTimer(WPARAM id);

    // Registration of a link that replaces a dropped one
    // (client/reconnect_login.cpp). A new link registers under the user's
    // own nick again, nothing waiting.
    void StartRegistration();
    const char* UserNick() const;
    int NickRetries() const { return m_nickRetries; }
    void TryNick(const char* nick);
    // The server took a nick the user chose.
    void ForgetStandInNick() { m_szUserNick[0] = '\0'; }
    // NickServ login, never under a stand-in.
    void SendServicesLogin();
    void AwaitNickServ();
    void OnNickServNotice(bool asksToIdentify);
    void OnIdentifyTimer();

    // The services login around the welcome (client/services_login.cpp):
    // SASL's time limit, then NickServ's identify unless SASL logged the
    // nick in, and the channel join, which waits for NickServ's answer.
    void OnSaslStarted();
    void OnSaslEnded();
    void OnSaslTimer();
    void LoginAfterWelcome();
    void ReleaseJoin();
    void OnJoinTimer();

    // Typed lines the pace holds back are counted in tab until they have
    // all gone; a QUIT drops them, and nothing more is said of them.
    void ShowWaitingLines(const char* tab);
    void ForgetWaitingLines() { m_szWaitingTab[0] = '\0'; }
    // Sets the user away with text, or back with none; a link made again
    // after a drop sets it again after its welcome.
    void SetAway(const char* text);
    // The nicks the user ignores, for the session's life.

    void OnConnecting() override;
    void OnConnected(const char* tlsProtocol) override;
    bool OnLineReceived() override;
    void OnTextArrived() override;
    void OnFailed(const FailureReport& report) override;
    void OnClosed(CloseReason reason) override;
    void OnAllLinesSent() override;
    void OnSendAgainAfterWelcome(bool servicesLogin, bool join) override;

private:
    CChatConnection(CIrcClient& client, unsigned short port, bool tls);

    bool StartLink(ConnectionFailure* failure);
    void ShowFailure(const FailureReport& report) const;
    void ShowInTabs(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    // The link is gone (reason in UTF-8): what it still held back is
    // counted, and the next attempt waits.
    void DropLink(const char* reason);
    void WaitForNextAttempt(const char* reason);
    void OnReconnectTimer();

    CIrcClient& m_client;
    CChatConnection* m_pNext;  // the next connection of this thread's windows
    CServerConnection* m_pServer;
    unsigned short m_port;
    bool m_tls;
    CReconnectDelay m_delay;
    // When the next attempt is due (g_pfnSendTicks).
    uint32_t m_reconnectAt;
    bool m_replacesDropped;
    bool m_sessionEnded;
    // The server's ERROR text, as received, for the close that follows.
    char m_szDropReason[512];
    // The tab told that typed lines wait.
    char m_szWaitingTab[1024];
    // The user's nick while the link registers under a stand-in ("" when
    // not), the stand-ins tried, and the identify that waits for NickServ:
    // since when, and whether it did on this link already.
    char m_szUserNick[1027];
    int m_nickRetries;
    // What the dropped link's server announced: the next link holds to it
    // until its own 005, so that a stand-in fits the server's NICKLEN.
    ServerRules m_droppedRules;
    DWORD m_nickServAwaitedSince;
    bool m_awaitingNickServ;
    bool m_nickServAwaited;
    // When the SASL exchange began, and the channel join waiting since when.
    DWORD m_saslStartedAt;
    DWORD m_joinAwaitedSince;
    bool m_joinAwaited;
    // The away text the user set, UTF-8; "" when not away.
    char m_szAwayText[256];
};
