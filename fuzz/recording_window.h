// A chat window that records what the handlers of received lines do to it:
// its conversations and what each shows, the user list, the lines sent,
// the sounds. The native table test and the line fuzzer judge the
// handlers by it.
#pragma once

#include "protocol/capabilities.h"
#include "protocol/chat_window.h"
#include "protocol/ignore_list.h"

#include <map>
#include <string>
#include <vector>

struct RecordedConversation {
    std::string name;
    bool open = true;
    bool unread = false;
    std::vector<std::string> lines;  // as shown, each less its leading line breaks
};

// One printed line, where it went: the conversation's name, or "" when it
// was lost (no conversation, or one closed).
struct RecordedLine {
    std::string conversation;
    std::string text;
};

class CRecordingWindow final : public IChatWindow {
public:
    CRecordingWindow(const char* nick, const char* server, const char* channel);

    const char* OwnNick() const override { return nick.c_str(); }
    const char* ServerName() const override { return server.c_str(); }
    const char* ChannelName() const override { return channel.c_str(); }
    void SetChannelName(const char* name) override;
    void ChangeOwnNick(const char* name) override;
    void ShowOwnNick() override {}

    Conversation* FindConversation(const char* name) override;
    void OpenConversation(const char* name) override;
    const char* SelectedConversationName() const override;
    void ShowSelectedConversation() override {}
    void MarkActivity(Conversation* conversation) override;
    void PrintLineArgs(Conversation* conversation, const char* format, va_list args) override;
    void EnableInput(bool enable) override { inputEnabled = enable; }

    void AddUser(const char* entry) override;
    void AddUserNames(const char* names) override;
    bool RemoveUser(const char* nick, char* symbols, size_t size) override;
    bool HoldsStatus(const char* nick, char symbol) const override;
    void SetUserStatus(const char* nick, char symbol, bool held) override;
    void ClearUserList() override { users.clear(); }
    bool OpenNamesReply() override;
    void CloseNamesReply() override { namesOpen = false; }

    void SendLine(const char* lines) override { sent.push_back(lines); }
    bool SendPacedAnswer(const char* answer) override;
    bool IsRegistered() const override { return registered; }
    void OnWelcome() override { registered = true; }
    const ServerRules& Rules() const override { return rules; }
    void ReadServerRules(const char* params) override { ::ReadServerRules(rules, params); }
    void OnNotRegistered(const char*) override {}
    int64_t PingSendTime(int slot) const override;
    bool IsReconnect() const override { return reconnect; }
    const char* UserNick() const override { return userNick.c_str(); }
    int NickRetries() const override { return nickRetries; }
    void TryNick(const char* name) override;
    void AwaitNickServ() override;
    void OnNickServNotice(bool asksToIdentify) override;
    CCapNegotiation* Capabilities() override { return &caps; }
    size_t ReadSaslCredentials(char* credentials, size_t size) override;
    void OnSaslStarted() override { saslRunning = true; }
    void OnSaslEnded() override { saslRunning = false; }
    void OnLoggedIn() override { loggedIn = true; }
    void ReturnToLoginPanel() override;
    void OnServerError(const char* reason) override;
    void LeaveForLoginPanel() override;

    bool IsIgnored(const char* name) const override { return ignored.Contains(rules.caseMapping, name); }
    int MessageSoundRequests() const override { return sounds; }
    void PlayMessageSound() override;
    void NoteChannelSpeaker(const char* nick) override { speakers.push_back(nick); }

    // The open conversation of that name, as the server's mapping compares, or null.
    const RecordedConversation* Find(const std::string& name) const;

    std::string nick, server, channel;
    std::string userNick;  // the nick the user chose: nick, or what a stand-in stands for
    std::string password = "secret";  // NickServ's, as the login panel holds it
    std::vector<RecordedConversation> conversations;  // in the order opened; closed ones stay
    int selected = -1;
    std::vector<RecordedLine> printed;
    std::vector<std::string> users;  // wire entries ("@+anna"), in the list's order
    std::vector<std::string> sent;  // as given, CR LF included
    std::map<int, int64_t> pingTimes;
    std::string dropReason;  // a registered session's ERROR: it makes its link again
    ServerRules rules;  // the defaults until a 005 says otherwise
    CIgnoreList ignored;
    int sounds = 0;
    std::vector<std::string> speakers;
    bool soundOn = true;
    bool ownLinePending = false;
    bool registered = true;
    bool connected = true;
    bool onLoginPanel = false;
    bool inputEnabled = true;
    bool namesOpen = false;
    bool reconnect = false;
    int nickRetries = 0;
    bool awaitingNickServ = false;
    bool nickServAwaited = false;
    // The link's negotiation (not started unless a test starts it), SASL's
    // time limit running, and services' 900.
    CCapNegotiation caps;
    bool saslRunning = false;
    bool loggedIn = false;

private:
    void CloseAllButServer();
    // Lists an entry, its symbols in any order, at its place.
    void InsertUser(const char* entry);
    // The index of the nick's entry, whatever its symbols; -1 for none.
    int FindUser(const char* nick) const;
};
