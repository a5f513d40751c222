// The window's side of its server connection: it owns the connection, shows
// in the tabs what the connection's events mean, and keeps what the window
// remembers of it. The dialog reaches it through one window property.
#pragma once

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

    CServerConnection& Server() const { return *m_pServer; }
    // The link being made replaces one that dropped: the session goes on.
    bool IsReconnect() const { return false; }

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
    void OnNickServNotice();
    void OnIdentifyTimer();

    // Typed lines the pace holds back are counted in tab until they have
    // all gone; a QUIT drops them, and nothing more is said of them.
    void ShowWaitingLines(const char* tab);
    void ForgetWaitingLines() { m_szWaitingTab[0] = '\0'; }

    void OnConnecting() override;
    void OnConnected(const char* tlsProtocol) override;
    bool OnLineReceived() override;
    void OnTextArrived() override;
    void OnFailed(const FailureReport& report) override;
    void OnClosed(bool tlsError) override;
    void OnAllLinesSent() override;
    void OnSendAgainAfterWelcome(bool servicesLogin, bool join) override;

private:
    explicit CChatConnection(CIrcClient& client);

    void ShowFailure(const FailureReport& report) const;

    CIrcClient& m_client;
    CServerConnection* m_pServer;
    // The tab told that typed lines wait.
    char m_szWaitingTab[1024];
    // The user's nick while the link registers under a stand-in ("" when
    // not), the stand-ins tried, and the identify that waits for NickServ:
    // since when, and whether it did on this link already.
    char m_szUserNick[1027];
    int m_nickRetries;
    DWORD m_nickServAwaitedSince;
    bool m_awaitingNickServ;
    bool m_nickServAwaited;
};
