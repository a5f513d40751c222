// Numeric replies of the server: a fixed line for each reply the client
// knows, the user list from NAMES, and one generic line for the others.
#include "protocol/line_handlers.h"

#include "protocol/chat_window.h"
#include "protocol/colours.h"
#include "protocol/line_parser.h"
#include "protocol/local_time.h"
#include "protocol/numeric_pieces.h"
#include "protocol/numeric_time.h"
#include "protocol/tokens.h"
#include "protocol/words.h"

namespace {

enum {
    kWelcome = 1,
    kSupported = 5,
    kNotRegistered = 451,
    kPasswordMismatch = 464,
    kBannedHere = 465,
    kFirstSasl = 900,
    kLastSasl = 908,
};

// The reply's first word names NickServ.
bool IsNickServ(const char* rest)
{
    char nick[16];
    WordReader(rest).Next(nick, sizeof nick);
    return EqualsIgnoringAsciiCase(nick, "NickServ");
}

} // namespace

void OnNumericReply(IChatWindow& window, int numeric, const ParsedLine& line, Conversation* conversation)
{
    const NumericKind kind = ClassifyNumeric(numeric);
    NumericPieces pieces;
    CutNumericPieces(kind, line.rest, pieces);
    const char* nick = pieces.words[0];
    char timeText[kTimeTextSize];

    switch (kind) {
    case NumericKind::Plain:
        window.PrintLine(conversation, "\r\n%s%s", COLOUR_CHAT, pieces.text);
        break;
    case NumericKind::WhoisUser:
        window.PrintLine(conversation, "\r\n%s%s is %s@%s * %s", COLOUR_CHAT, nick, pieces.words[1],
                         pieces.words[2], pieces.text);
        break;
    case NumericKind::WhoisServer:
        window.PrintLine(conversation, "\r\n%s%s using %s %s", COLOUR_CHAT, nick, pieces.words[1],
                         pieces.text);
        break;
    case NumericKind::WhoisIdle:
        if (pieces.hasTime) {
            LocalTimeText(pieces.time, timeText, sizeof timeText);
            window.PrintLine(conversation, "\r\n%s%s idle %d seconds, signed on %s\n", COLOUR_CHAT, nick,
                             pieces.idleSeconds, timeText);
        } else {
            window.PrintLine(conversation, "\r\n%s%s idle %d seconds", COLOUR_CHAT, nick,
                             pieces.idleSeconds);
        }
        break;
    case NumericKind::WhoisEnd:
        window.PrintLine(conversation, "\r\n%s%s End of /WHOIS list.", COLOUR_CHAT, nick);
        break;
    case NumericKind::WhoisChannels:
        window.PrintLine(conversation, "\r\n%s%s on %s", COLOUR_CHAT, nick, pieces.text);
        break;
    case NumericKind::Topic:
        // The topic belongs to the channel whatever tab the line chose.
        conversation = window.FindConversation(window.ChannelName());
        if (pieces.hasText)
            window.PrintLine(conversation, "\n%s*** Тема канала: %s", COLOUR_EVENT, pieces.text);
        else
            window.PrintLine(conversation, "\n%s*** Тема канала не установлена", COLOUR_EVENT);
        break;
    case NumericKind::TopicSetBy:
        LocalTimeText(pieces.time, timeText, sizeof timeText);
        window.PrintLine(conversation, "\n%s*** Установлено %s. Дата установки темы канала: %s",
                         COLOUR_EVENT, pieces.words[0], timeText);
        break;
    case NumericKind::Names:
        window.SetChannelName(pieces.words[0]);
        // A big channel's names come in several replies: keep them all.
        if (window.OpenNamesReply())
            window.ClearUserList();
        window.AddUserNames(pieces.text);
        window.PrintLine(conversation, "\r\n%sСписок пользователей на канале", COLOUR_CHAT);
        window.PrintLine(conversation, "\r\n%s%s %s", COLOUR_CHAT, pieces.words[0], pieces.text);
        break;
    case NumericKind::NamesEnd:
        window.CloseNamesReply();
        window.PrintLine(conversation, "\r\n%s Конец списка пользователей на канале", COLOUR_CHAT);
        break;
    case NumericKind::NoSuchNick:
        window.PrintLine(conversation, "\r\n%s Нет такого ника/канала", COLOUR_ERROR);
        // Services come back after the server: the identify waits for them.
        if (window.IsReconnect() && IsNickServ(line.rest))
            window.AwaitNickServ();
        break;
    case NumericKind::ErroneousNick:
        if (!window.IsRegistered() && window.IsReconnect()) {
            OnNickRefusedAtReconnect(window, line, false);
            break;
        }
        window.PrintLine(conversation, "\r\n%s Неверный ник", COLOUR_ERROR);
        // Refused as a new nick, the old one stays and so does the
        // connection; refused at registration, the connection ends.
        if (window.IsRegistered()) {
            window.ShowOwnNick();
            break;
        }
        // Back on the login panel, "Зайти" works only without a connection.
        window.LeaveForLoginPanel();
        break;
    case NumericKind::NickInUse:
        if (!window.IsRegistered() && window.IsReconnect()) {
            OnNickRefusedAtReconnect(window, line, true);
            break;
        }
        window.PrintLine(conversation, "\r\n%s Этот ник уже используется", COLOUR_ERROR);
        if (window.IsRegistered())
            window.ShowOwnNick();
        break;
    case NumericKind::Generic:
        window.PrintLine(conversation, "\r\n%s%.*s%s", COLOUR_CHAT, pieces.headLength, pieces.text,
                         pieces.tail);
        break;
    }

    if (numeric == kWelcome)
        window.OnWelcome();
    else if (numeric == kSupported)
        window.ReadServerRules(line.rest);
    else if (numeric == kNotRegistered)
        window.OnNotRegistered(line.rest);
    // Coming back would be refused the same way: the session ends.
    else if (numeric == kPasswordMismatch || numeric == kBannedHere)
        window.ReturnToLoginPanel();
    else if (numeric >= kFirstSasl && numeric <= kLastSasl)
        OnSaslNumeric(window, numeric);
}
