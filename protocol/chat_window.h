// What the handlers of received lines need of a chat window: its
// conversations, the channel's user list, its names, and the sending side of
// its connection. No Windows types: the handlers build natively too.
#pragma once

#include "protocol/server_rules.h"

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

class CCapNegotiation;

// A conversation as the window knows it, handed out by FindConversation;
// null for none. A line printed into none is lost.
struct Conversation;

class IChatWindow {
public:
    // The nick the server knows the user by, the server's name (its tab's
    // too) and the channel the user is on.
    virtual const char* OwnNick() const = 0;
    virtual const char* ServerName() const = 0;
    virtual const char* ChannelName() const = 0;
    virtual void SetChannelName(const char* channel) = 0;
    // The server took a new nick for the user: the nick field shows it.
    virtual void ChangeOwnNick(const char* nick) = 0;
    // A refused change: the nick field shows the nick the server knows.
    virtual void ShowOwnNick() = 0;

    virtual Conversation* FindConversation(const char* name) = 0;
    // Opens a tab named ConversationName(Rules(), name) and selects it; with
    // the tab table full nothing opens. Names compare by the server's case
    // mapping.
    virtual void OpenConversation(const char* name) = 0;
    virtual const char* SelectedConversationName() const = 0;
    // Puts the selected conversation's page in sight again.
    virtual void ShowSelectedConversation() = 0;
    // Text came for a conversation: a tab not in sight is marked unread.
    virtual void MarkActivity(Conversation* conversation) = 0;
    // Formats a line, its pieces in the received line's encoding, and writes
    // it at the end of the conversation.
    virtual void PrintLineArgs(Conversation* conversation, const char* format, va_list args) = 0;
    void PrintLine(Conversation* conversation, const char* format, ...) __attribute__((format(printf, 3, 4)))
    {
        va_list args;
        va_start(args, format);
        PrintLineArgs(conversation, format, args);
        va_end(args);
    }
    virtual void EnableInput(bool enable) = 0;

    // The channel's user list: entries are nicks, each after the status
    // symbols of the server's PREFIX its member holds ("@+anna"), ordered by
    // the highest status, then by nick. AddUser takes the entry's first word;
    // the other operations compare nicks by the server's case mapping.
    virtual void AddUser(const char* entry) = 0;
    virtual void AddUserNames(const char* names) = 0;
    // Removes the nick's entry whatever its symbols; `symbols` gets those it
    // held, highest first. False, and "" in `symbols`, when not listed.
    virtual bool RemoveUser(const char* nick, char* symbols, size_t size) = 0;
    virtual bool HoldsStatus(const char* nick, char symbol) const = 0;
    // Gives a listed member one status symbol or takes it away, keeping the
    // others.
    virtual void SetUserStatus(const char* nick, char symbol, bool held) = 0;
    virtual void ClearUserList() = 0;
    // One NAMES reply is a run of 353 lines closed by 366. True for the
    // run's first line.
    virtual bool OpenNamesReply() = 0;
    virtual void CloseNamesReply() = 0;

    // Queues whole protocol lines, CR LF included, as they are.
    virtual void SendLine(const char* lines) = 0;
    // Answers to CTCP requests are paced: one beyond the pace is not sent.
    virtual bool SendPacedAnswer(const char* answer) = 0;
    // The welcome (001) has come on this connection.
    virtual bool IsRegistered() const = 0;
    // What the server announced of its rules (005); the defaults until then.
    virtual const ServerRules& Rules() const = 0;
    virtual void ReadServerRules(const char* params) = 0;
    // Commands the server refused before its welcome (451) go out again after it.
    virtual void OnWelcome() = 0;
    virtual void OnNotRegistered(const char* rest) = 0;
    // When the CTCP PING numbered `slot` went out, in seconds since 1970;
    // 0 for never.
    virtual int64_t PingSendTime(int slot) const = 0;
    // The link being made replaces one that dropped: the session goes on.
    virtual bool IsReconnect() const = 0;
    // The nick the user chose, on the login panel or by a nick change; the
    // server may know the user by a stand-in for it (TryNick).
    virtual const char* UserNick() const = 0;
    // Stand-ins tried on this link so far.
    virtual int NickRetries() const = 0;
    // Registers under a stand-in for the user's nick: NickServ hears no
    // identify under it.
    virtual void TryNick(const char* nick) = 0;
    // NickServ was not there for the identify: it goes again when NickServ
    // speaks, or on a timer for a while.
    virtual void AwaitNickServ() = 0;
    // NickServ spoke: an identify waiting for it goes now, and a channel
    // join waiting for NickServ's answer, unless the notice only asks the
    // user to identify (services greet a registered nick so, often just
    // after the identify went).
    virtual void OnNickServNotice(bool asksToIdentify) = 0;
    // Capability negotiation of this link (protocol/capabilities.h); null
    // when there is no link.
    virtual CCapNegotiation* Capabilities() = 0;
    // SASL PLAIN's message: the user's nick twice and the NickServ password,
    // NUL-separated, as wire text. Its length; 0 when there is none.
    virtual size_t ReadSaslCredentials(char* credentials, size_t size) = 0;
    // The SASL exchange began (its time limit runs) or ended.
    virtual void OnSaslStarted() = 0;
    virtual void OnSaslEnded() = 0;
    // Services logged the user in (900): a channel join waiting for it goes.
    virtual void OnLoggedIn() = 0;
    // The server ends the session (a ban, a wrong password) and closes: the
    // login panel comes back now, the server tab with it once the connection
    // is closed.
    virtual void ReturnToLoginPanel() = 0;
    // The server ends the link (ERROR) and closes: a session that may go on
    // makes its link again, with reason shown as the drop's; any other ends
    // as with ReturnToLoginPanel.
    virtual void OnServerError(const char* reason) = 0;
    // The session is over for the window (kicked, nick refused at
    // registration): it leaves the server, and the login panel comes back
    // with the server tab in sight, saying why.
    virtual void LeaveForLoginPanel() = 0;

    // The user chose not to see the nick: its messages, notices, actions
    // and CTCP are neither shown nor answered.
    virtual bool IsIgnored(const char* nick) const = 0;

    // How often the message sound was asked for; a printed line that names
    // the user asks for it too.
    virtual int MessageSoundRequests() const = 0;
    // Plays the message sound, when the user has it on.
    virtual void PlayMessageSound() = 0;
    // A message to the channel from nick, who is then offered first when
    // the user completes a nick.
    virtual void NoteChannelSpeaker(const char* nick) = 0;

protected:
    ~IChatWindow() = default;
};
