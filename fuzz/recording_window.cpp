// The recorded window: conversations as names, each printed line walked
// through the module's own formatting into a checked control, the user list
// as the list box keeps it (ranked, nicks compared by the server's case
// mapping), sent lines as they were given.
#include "recording_window.h"

#include "checked_output.h"
#include "output/received_text.h"
#include "protocol/local_time.h"
#include "protocol/member_status.h"
#include "protocol/numeric_time.h"
#include "protocol/tokens.h"
#include "protocol/words.h"

#include <stdint.h>
#include <string.h>
#include <time.h>

#include <algorithm>

namespace {

// The module's tab table and a bound on the list, so that a flood stays small.
enum { kMaxConversations = 100, kMaxUsers = 4096, kNickSize = 1024 };

int IndexOf(Conversation* conversation) { return (int)(uintptr_t)conversation - 1; }
Conversation* HandleOf(int index) { return (Conversation*)(uintptr_t)(index + 1); }

std::string FirstWord(const char* text)
{
    char word[kNickSize];
    WordReader(text).Next(word, sizeof word);
    return word;
}

} // namespace

// The calendar text of the module's runtime, with the native calendar
// standing in for it.
void LocalTimeText(int64_t seconds, char* text, size_t size)
{
    struct tm calendar;
    const time_t value = (time_t)seconds;
    if (seconds >= 0 && gmtime_r(&value, &calendar) && FormatCalendarTime(calendar, text, size))
        return;
    CopyText(text, size, kUnknownTime);
}

CRecordingWindow::CRecordingWindow(const char* ownNick, const char* serverName, const char* channelName)
    : nick(ownNick), server(serverName), channel(channelName), userNick(ownNick)
{
    ResetServerRules(rules);
}

void CRecordingWindow::SetChannelName(const char* name)
{
    char copy[1027];
    CopyText(copy, sizeof copy, name);
    channel = copy;
}

void CRecordingWindow::ChangeOwnNick(const char* name)
{
    char copy[1027];
    CopyText(copy, sizeof copy, name);
    nick = userNick = copy;
}

// As the module: the nick goes out, the stand-in is the nick in use.
void CRecordingWindow::TryNick(const char* name)
{
    ++nickRetries;
    nick = name;
    sent.push_back("NICK :" + nick + "\r\n");
}

// As the module, less its timer: one wait a link, ended by NickServ's notice.
void CRecordingWindow::AwaitNickServ()
{
    if (nickServAwaited)
        return;
    nickServAwaited = awaitingNickServ = true;
}

void CRecordingWindow::OnNickServNotice(bool)
{
    if (!awaitingNickServ)
        return;
    awaitingNickServ = false;
    if (nick == userNick)
        sent.push_back("PRIVMSG NickServ :identify " + password + "\r\n");
}

// As the module: the user's nick twice, then the password.
size_t CRecordingWindow::ReadSaslCredentials(char* credentials, size_t size)
{
    const std::string message = userNick + '\0' + userNick + '\0' + password;
    if (message.size() > size)
        return 0;
    memcpy(credentials, message.data(), message.size());
    return message.size();
}

Conversation* CRecordingWindow::FindConversation(const char* name)
{
    if (!name || !name[0])
        return nullptr;
    for (size_t i = 0; i < conversations.size(); ++i) {
        if (conversations[i].open && EqualsFolded(rules.caseMapping, conversations[i].name.c_str(), name))
            return HandleOf((int)i);
    }
    return nullptr;
}

const RecordedConversation* CRecordingWindow::Find(const std::string& name) const
{
    if (name.empty())
        return nullptr;
    for (const RecordedConversation& conversation : conversations) {
        if (conversation.open && EqualsFolded(rules.caseMapping, conversation.name.c_str(), name.c_str()))
            return &conversation;
    }
    return nullptr;
}

void CRecordingWindow::OpenConversation(const char* name)
{
    int open = 0;
    for (const RecordedConversation& conversation : conversations)
        open += conversation.open ? 1 : 0;
    if (open >= kMaxConversations)
        return;
    name = ConversationName(rules, name);
    char copy[1024];
    CopyText(copy, sizeof copy, name);
    conversations.push_back(RecordedConversation{ copy, true, false, {} });
    selected = (int)conversations.size() - 1;
    inputEnabled = true;
}

const char* CRecordingWindow::SelectedConversationName() const
{
    return selected >= 0 && conversations[selected].open ? conversations[selected].name.c_str() : "";
}

void CRecordingWindow::MarkActivity(Conversation* conversation)
{
    const int index = IndexOf(conversation);
    if (index >= 0 && index < (int)conversations.size() && conversations[index].open && index != selected)
        conversations[index].unread = true;
}

// As the module's: the format is the module's text in code page 1251 (as its
// literals are compiled), formatted in the line's encoding and walked into
// the control in order, never past the line's size.
void CRecordingWindow::PrintLineArgs(Conversation* conversation, const char* format, va_list args)
{
    char moduleFormat[1024];
    Utf8ToCp1251(format, strlen(format), moduleFormat, sizeof moduleFormat);
    char text[kFormattedLineSize];
    FormatLine(text, moduleFormat, args);
    Expect(strlen(text) < sizeof text);

    CheckedOutput output;
    const LineContext context = { nick.c_str(), ownLinePending, soundOn, rules.caseMapping };
    const bool ownLineDrawn = WalkFormattedLine(text, context, output);
    Expect(output.scrolled == (output.calls > 0) && (!ownLineDrawn || context.ownLine));
    if (ownLineDrawn)
        ownLinePending = false;
    sounds += output.sounds;

    const size_t start = output.text.find_first_not_of("\r\n");
    const std::string shown = start == std::string::npos ? "" : output.text.substr(start);
    const int index = IndexOf(conversation);
    const bool live = index >= 0 && index < (int)conversations.size() && conversations[index].open;
    // A handle outlives no closing.
    Expect(conversation == nullptr || live);
    printed.push_back(RecordedLine{ live ? conversations[index].name : "", shown });
    if (live)
        conversations[index].lines.push_back(shown);
}

void CRecordingWindow::InsertUser(const char* entry)
{
    if (users.size() >= kMaxUsers)
        return;
    const char* nick;
    const StatusSet statuses = ReadStatusSet(rules, entry, &nick);
    char symbols[kMaxStatusModes + 1];
    WriteStatusSymbols(rules, statuses, symbols, sizeof symbols);
    // As the list box: after every entry that comes before it or with it.
    auto comesBefore = [&](const char* name, const std::string& user) {
        const char* listedNick;
        const StatusSet listed = ReadStatusSet(rules, user.c_str(), &listedNick);
        return CompareMembers(rules, statuses, name, listed, listedNick) < 0;
    };
    const auto place = std::upper_bound(users.begin(), users.end(), nick, comesBefore);
    users.insert(place, std::string(symbols) + nick);
}

int CRecordingWindow::FindUser(const char* nick) const
{
    for (size_t i = 0; i < users.size(); ++i) {
        if (EqualsFolded(rules.caseMapping, SkipStatusSymbols(rules, users[i].c_str()), nick))
            return (int)i;
    }
    return -1;
}

void CRecordingWindow::AddUser(const char* entry) { InsertUser(FirstWord(entry).c_str()); }

void CRecordingWindow::AddUserNames(const char* names)
{
    WordReader words(names);
    char name[kNickSize];
    while (words.Remainder()[0] != '\0' && users.size() < kMaxUsers) {
        words.Next(name, sizeof name);
        InsertUser(name);
    }
}

bool CRecordingWindow::RemoveUser(const char* nick, char* symbols, size_t size)
{
    CopyText(symbols, size, "");
    const int index = FindUser(FirstWord(nick).c_str());
    if (index < 0)
        return false;
    const std::string& entry = users[index];
    const size_t count = SkipStatusSymbols(rules, entry.c_str()) - entry.c_str();
    CopyText(symbols, size, entry.substr(0, count).c_str());
    users.erase(users.begin() + index);
    return true;
}

bool CRecordingWindow::HoldsStatus(const char* nick, char symbol) const
{
    const int rank = StatusRank(rules, symbol);
    const int index = FindUser(nick);
    if (rank < 0 || index < 0)
        return false;
    const char* listedNick;
    return (ReadStatusSet(rules, users[index].c_str(), &listedNick) & 1u << rank) != 0;
}

void CRecordingWindow::SetUserStatus(const char* nick, char symbol, bool held)
{
    const int rank = StatusRank(rules, symbol);
    const int index = FindUser(nick);
    if (rank < 0 || index < 0)
        return;
    const char* listedNick;
    const StatusSet before = ReadStatusSet(rules, users[index].c_str(), &listedNick);
    const StatusSet after = held ? before | 1u << rank : before & ~(1u << rank);
    if (after == before)
        return;
    char symbols[kMaxStatusModes + 1];
    WriteStatusSymbols(rules, after, symbols, sizeof symbols);
    const std::string entry = symbols + std::string(listedNick);
    users.erase(users.begin() + index);
    InsertUser(entry.c_str());
}

bool CRecordingWindow::OpenNamesReply()
{
    if (namesOpen)
        return false;
    namesOpen = true;
    return true;
}

bool CRecordingWindow::SendPacedAnswer(const char* answer)
{
    sent.push_back(answer);
    return true;
}

int64_t CRecordingWindow::PingSendTime(int slot) const
{
    const auto found = pingTimes.find(slot);
    return found == pingTimes.end() ? 0 : found->second;
}

void CRecordingWindow::ReturnToLoginPanel()
{
    users.clear();
    CloseAllButServer();
    onLoginPanel = true;
}

void CRecordingWindow::OnServerError(const char* reason)
{
    if (registered)
        dropReason = reason;
    else
        ReturnToLoginPanel();
}

void CRecordingWindow::LeaveForLoginPanel()
{
    ReturnToLoginPanel();
    sent.push_back("QUIT :leaving\r\n");
    connected = false;
    registered = false;
    namesOpen = false;
}

void CRecordingWindow::PlayMessageSound()
{
    if (soundOn)
        ++sounds;
}

void CRecordingWindow::CloseAllButServer()
{
    selected = -1;
    for (size_t i = 0; i < conversations.size(); ++i) {
        RecordedConversation& conversation = conversations[i];
        if (conversation.open && conversation.name == server && selected < 0)
            selected = (int)i;
        else
            conversation.open = false;
    }
}
