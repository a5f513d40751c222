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
    return EqualsIgnoringAsciiCase(nick, window.OwnNick());
}

bool IsSelectedTab(const IChatWindow& window, const char* name)
{
    return strcmp(window.SelectedConversationName(), name) == 0;
}

enum { kSymbolsSize = kMaxStatusModes + 1 };

void RemoveMember(IChatWindow& window, const char* nick)
{
    char symbols[kSymbolsSize];
    window.RemoveUser(nick, symbols, sizeof symbols);
}

// A nick change keeps every status symbol the member held.
void RenameMember(IChatWindow& window, const char* oldNick, const char* newNick)
{
    char symbols[kSymbolsSize];
    window.RemoveUser(oldNick, symbols, sizeof symbols);
    char entry[kNickSize];
    snprintf(entry, sizeof entry, "%s%s", symbols, newNick);
    window.AddUser(entry);
}

// Applies a channel MODE line's changes ("+qo-v a b c") to the user list:
// each status mode of PREFIX to the member its parameter names; any other
// mode that takes a parameter (CHANMODES) consumes its own. False when the
// line changes nothing the user should hear of: every change gives a member
// a status already held.
bool ApplyModes(IChatWindow& window, const char* modes, const char* parameters)
{
    const ServerRules& rules = window.Rules();
    WordReader words(parameters);
    char parameter[kNickSize];
    bool given = true;
    int changes = 0;
    int alreadyHeld = 0;
    for (const char* mode = modes; *mode != '\0'; ++mode) {
        if (*mode == '+' || *mode == '-') {
            given = *mode == '+';
            continue;
        }
        ++changes;
        if (!ModeTakesParameter(rules, *mode, given))
            continue;
        words.Next(parameter, sizeof parameter);
        const char symbol = StatusSymbolOfMode(rules, *mode);
        // Some servers (inspircd) send the last parameter as a trailing one, ":nick".
        const char* nick = SkipOne(parameter, ':');
        if (!symbol || !nick[0])
            continue;
        if (given && window.HoldsStatus(nick, symbol))
            ++alreadyHeld;
        else
            window.SetUserStatus(nick, symbol, given);
    }
    return changes == 0 || alreadyHeld < changes;
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
    RemoveMember(window, line.sender);
    window.PrintLine(conversation, "\r\n%s*** %s уходит", COLOUR_CONNECTION, line.sender);
}

void OnQuit(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    // The quit message's first word is the line's target, hence lowercased.
    window.PrintLine(conversation, "\r\n%s*** %s (%s %s) выходит", COLOUR_CONNECTION, line.sender,
                     line.target, line.rest);
    RemoveMember(window, line.sender);
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
        RemoveMember(window, victim);
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
        RenameMember(window, window.OwnNick(), newNick);
        window.ChangeOwnNick(newNick);
        return;
    }

    window.PrintLine(conversation, "\r\n%s*** %s теперь известен как %s", COLOUR_EVENT, line.sender,
                     newNick);
    RenameMember(window, line.sender, newNick);
    // A private tab keeps the old nick as its name: typing there would
    // address a nick nobody has any more.
    const bool talksToOldNick = IsSelectedTab(window, line.sender) && window.FindConversation(line.sender);
    window.EnableInput(!talksToOldNick);
}

void OnMode(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    // User modes are not shown.
    if (line.target[0] != '#')
        return;

    WordReader words(line.rest);
    char mode[kNickSize];
    words.Next(mode, sizeof mode);
    const char* parameter = SkipOne(words.Remainder(), ':');
    if (!parameter[0]) {
        window.PrintLine(conversation, "\r\n%s*** ChanServ sets mode: %s", COLOUR_EVENT, mode);
        return;
    }
    if (!ApplyModes(window, mode, words.Remainder()))
        return;
    window.PrintLine(conversation, "\r\n%s*** ChanServ sets mode: %s %s", COLOUR_EVENT, mode, parameter);
}

void OnTopic(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    window.SetChannelName(line.target);
    window.PrintLine(conversation, "\r\n%s*** %s изменил тему на '%s'", COLOUR_EVENT, line.sender,
                     line.rest);
}
