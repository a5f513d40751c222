// Channel membership events: JOIN, PART, QUIT, KICK, NICK, MODE, TOPIC.
#include "protocol/line_handlers.h"

#include "protocol/chat_window.h"
#include "protocol/colours.h"
#include "protocol/line_parser.h"
#include "protocol/tokens.h"
#include "protocol/words.h"

#include <stdio.h>
#include <string.h>

namespace {

enum { kNickSize = 1024 };

bool IsOwnNick(const IChatWindow& window, const char* nick)
{
    return EqualsFolded(window.Rules().caseMapping, nick, window.OwnNick());
}

bool IsSelectedTab(const IChatWindow& window, const char* name)
{
    return EqualsFolded(window.Rules().caseMapping, window.SelectedConversationName(), name);
}

// Only a nick change carries an operator's mark from the removed nick to the
// added one; a voiced user's new nick is listed plain.
void AddRenamedUser(IChatWindow& window, bool wasOperator, const char* nick)
{
    char entry[kNickSize];
    snprintf(entry, sizeof entry, "%s%s", wasOperator ? "@" : "", nick);
    window.AddUser(entry);
}

// The channel modes that change the user list: each sets or clears one mark.
struct MarkMode {
    const char* word;
    char mark;
    bool sets;
};

const MarkMode kMarkModes[] = {
    { "+v", '+', true },
    { "-v", '+', false },
    { "+o", '@', true },
    { "-o", '@', false },
};

// Applies a mark mode to the list. False when the mode changes nothing the
// user should hear of: the mark is already there.
bool ApplyMarkMode(IChatWindow& window, const char* word, const char* nick)
{
    for (const MarkMode& mode : kMarkModes) {
        if (strcmp(word, mode.word) != 0)
            continue;
        char marked[kNickSize];
        snprintf(marked, sizeof marked, "%c%s", mode.mark, nick);
        const bool listed = window.IsListed(marked);
        if (mode.sets) {
            if (listed)
                return false;
            window.RemoveUser(nick);
            window.AddUser(marked);
        } else if (listed) {
            window.RemoveUser(marked);
            window.AddUser(nick);
        }
        return true;
    }
    return true;
}

} // namespace

void OnJoin(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    if (IsOwnNick(window, line.sender)) {
        // The line goes to the tab of the channel left behind.
        window.SetChannelName(line.target);
        window.PrintLine(conversation, "\r\n%s*** Вы находитесь на канале %s", COLOUR_EVENT,
                         window.ChannelName());
        window.EnableInput(true);
        return;
    }

    window.AddUser(line.sender);
    window.PrintLine(conversation, "\r\n%s*** %s приходит", COLOUR_EVENT, line.sender);
    Conversation* talk = window.FindConversation(line.sender);
    if (!talk)
        return;
    window.PrintLine(talk, "\r\n%s*** %s вернулся", COLOUR_EVENT, line.sender);
    if (IsSelectedTab(window, line.sender))
        window.EnableInput(true);
}

void OnPart(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    if (IsOwnNick(window, line.sender))
        return;
    window.RemoveUser(line.sender);
    window.PrintLine(conversation, "\r\n%s*** %s уходит", COLOUR_CONNECTION, line.sender);
}

void OnQuit(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    // The quit message's first word is the line's target, hence lowercased.
    window.PrintLine(conversation, "\r\n%s*** %s (%s %s) выходит", COLOUR_CONNECTION, line.sender,
                     line.target, line.rest);
    window.RemoveUser(line.sender);
    window.ShowSelectedConversation();

    Conversation* talk = window.FindConversation(line.sender);
    if (talk)
        window.PrintLine(talk, "\r\n%s*** %s уходит", COLOUR_EVENT, line.sender);
    if (IsSelectedTab(window, line.sender))
        window.EnableInput(false);
}

void OnKick(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    WordReader words(line.rest);
    char victim[kNickSize];
    words.Next(victim, sizeof victim);
    const char* reason = SkipOne(words.Remainder(), ':');

    if (!IsOwnNick(window, victim)) {
        window.PrintLine(conversation, "\r\n%s*** %s был выкинут с канал пользователем %s",
                         COLOUR_CONNECTION, victim, line.sender);
        window.RemoveUser(victim);
        return;
    }

    const char* kicked = "\r\n%s*** ты был выкинут с канала %s пользователем %s (%s)";
    window.PrintLine(conversation, kicked, COLOUR_CONNECTION, line.target, line.sender, reason);
    // The channel tab closes below; the server tab stays in sight and tells
    // the user why.
    Conversation* server = window.FindConversation(window.ServerName());
    if (server != conversation)
        window.PrintLine(server, kicked, COLOUR_CONNECTION, line.target, line.sender, reason);
    // "Зайти" answers only while disconnected: the login panel must not sit
    // on a connection that is still open.
    window.LeaveForLoginPanel();
}

void OnNick(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    const char* newNick = line.target;
    if (IsOwnNick(window, line.sender)) {
        window.PrintLine(conversation, "\r\n%s*** теперь твой ник %s", COLOUR_EVENT, newNick);
        const bool wasOperator = window.RemoveUser(window.OwnNick());
        window.ChangeOwnNick(newNick);
        AddRenamedUser(window, wasOperator, newNick);
        return;
    }

    const bool wasOperator = window.RemoveUser(line.sender);
    window.PrintLine(conversation, "\r\n%s*** %s теперь известен как %s", COLOUR_EVENT, line.sender,
                     newNick);
    AddRenamedUser(window, wasOperator, newNick);
    // A private tab keeps the old nick as its name: typing there would
    // address a nick nobody has any more, unless the new one differs only in
    // case, which the server takes for the same nick.
    const bool talksToOldNick = IsSelectedTab(window, line.sender) && window.FindConversation(line.sender) &&
                                !EqualsFolded(window.Rules().caseMapping, line.sender, newNick);
    window.EnableInput(!talksToOldNick);
}

void OnMode(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    // User modes are not shown.
    if (!IsChannelName(window.Rules(), line.target))
        return;

    WordReader words(line.rest);
    char mode[kNickSize];
    words.Next(mode, sizeof mode);
    // Some servers (inspircd) send the nick as a trailing parameter, ":nick".
    const char* parameter = SkipOne(words.Remainder(), ':');
    if (!parameter[0]) {
        window.PrintLine(conversation, "\r\n%s*** ChanServ sets mode: %s", COLOUR_EVENT, mode);
        return;
    }
    if (!ApplyMarkMode(window, mode, parameter))
        return;
    window.PrintLine(conversation, "\r\n%s*** ChanServ sets mode: %s %s", COLOUR_EVENT, mode, parameter);
}

void OnTopic(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    window.SetChannelName(line.target);
    window.PrintLine(conversation, "\r\n%s*** %s изменил тему на '%s'", COLOUR_EVENT, line.sender,
                     line.rest);
}
