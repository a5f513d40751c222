// The chat window as the handlers of received lines see it
// (protocol/chat_window.h): each operation forwards to the client record.
// A separate object, so that the record keeps its layout.
#pragma once

#include "client/irc_client.h"
#include "protocol/chat_window.h"

class CClientWindow final : public IChatWindow {
public:
    explicit CClientWindow(CIrcClient& client) : m_client(client) {}

    const char* OwnNick() const override;
    const char* ServerName() const override;
    const char* ChannelName() const override;
    void SetChannelName(const char* channel) override;
    void ChangeOwnNick(const char* nick) override;
    void ShowOwnNick() override;

    Conversation* FindConversation(const char* name) override;
    void OpenConversation(const char* name) override;
    const char* SelectedConversationName() const override;
    void ShowSelectedConversation() override;
    void MarkActivity(Conversation* conversation) override;
    void PrintLineArgs(Conversation* conversation, const char* format, va_list args) override;
    void EnableInput(bool enable) override;

    void AddUser(const char* entry) override;
    void AddUserNames(const char* names) override;
    bool RemoveUser(const char* nick, char* symbols, size_t size) override;
    bool HoldsStatus(const char* nick, char symbol) const override;
    void SetUserStatus(const char* nick, char symbol, bool held) override;
    void ClearUserList() override;
    bool OpenNamesReply() override;
    void CloseNamesReply() override;

    bool IsIgnored(const char* nick) const override;
    void SendLine(const char* lines) override;
    bool SendPacedAnswer(const char* answer) override;
    bool IsRegistered() const override;
    void OnWelcome() override;
    const ServerRules& Rules() const override;
    void ReadServerRules(const char* params) override;
    void OnNotRegistered(const char* rest) override;
    int64_t PingSendTime(int slot) const override;
    bool IsReconnect() const override;
    const char* UserNick() const override;
    int NickRetries() const override;
    void TryNick(const char* nick) override;
    void AwaitNickServ() override;
    void OnNickServNotice(bool asksToIdentify) override;
    CCapNegotiation* Capabilities() override;
    size_t ReadSaslCredentials(char* credentials, size_t size) override;
    void OnSaslStarted() override;
    void OnSaslEnded() override;
    void OnLoggedIn() override;
    void ReturnToLoginPanel() override;
    void OnServerError(const char* reason) override;
    void LeaveForLoginPanel() override;

    int MessageSoundRequests() const override;
    void PlayMessageSound() override;
    void NoteChannelSpeaker(const char* nick) override;

private:
    CIrcClient& m_client;
};
