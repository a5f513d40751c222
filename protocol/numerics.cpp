// Numeric replies of the server: a fixed line for each reply the client
// knows, the user list from NAMES, and one generic line for the others.
#include "client/irc_client.h"

#include "protocol/colours.h"
#include "protocol/line_parser.h"
#include "protocol/local_time.h"
#include "protocol/numeric_pieces.h"
#include "protocol/numeric_time.h"
#include "protocol/tokens.h"

namespace {

enum { kWelcome = 1, kNotRegistered = 451 };

} // namespace

void CIrcClient::OnNumericReply(int numeric, const ParsedLine& line, HWND output)
{
    const NumericKind kind = ClassifyNumeric(numeric);
    NumericPieces pieces;
    CutNumericPieces(kind, line.rest, pieces);
    const char* nick = pieces.words[0];
    char timeText[kTimeTextSize];

    switch (kind) {
    case NumericKind::Plain:
        PrintLine(output, "\r\n%s%s", COLOUR_CHAT, pieces.text);
        break;
    case NumericKind::WhoisUser:
        PrintLine(output, "\r\n%s%s is %s@%s * %s", COLOUR_CHAT, nick, pieces.words[1],
                  pieces.words[2], pieces.text);
        break;
    case NumericKind::WhoisServer:
        PrintLine(output, "\r\n%s%s using %s %s", COLOUR_CHAT, nick, pieces.words[1], pieces.text);
        break;
    case NumericKind::WhoisIdle:
        if (pieces.hasTime) {
            LocalTimeText(pieces.time, timeText, sizeof timeText);
            PrintLine(output, "\r\n%s%s idle %d seconds, signed on %s\n", COLOUR_CHAT, nick,
                      pieces.idleSeconds, timeText);
        } else {
            PrintLine(output, "\r\n%s%s idle %d seconds", COLOUR_CHAT, nick, pieces.idleSeconds);
        }
        break;
    case NumericKind::WhoisEnd:
        PrintLine(output, "\r\n%s%s End of /WHOIS list.", COLOUR_CHAT, nick);
        break;
    case NumericKind::WhoisChannels:
        PrintLine(output, "\r\n%s%s on %s", COLOUR_CHAT, nick, pieces.text);
        break;
    case NumericKind::Topic:
        // The topic belongs to the channel whatever tab the line chose.
        output = FindTab(m_szChannel);
        if (pieces.hasText)
            PrintLine(output, "\n%s*** Тема канала: %s", COLOUR_EVENT, pieces.text);
        else
            PrintLine(output, "\n%s*** Тема канала не установлена", COLOUR_EVENT);
        break;
    case NumericKind::TopicSetBy:
        LocalTimeText(pieces.time, timeText, sizeof timeText);
        PrintLine(output, "\n%s*** Установлено %s. Дата установки темы канала: %s", COLOUR_EVENT,
                  pieces.words[0], timeText);
        break;
    case NumericKind::Names:
        CopyText(m_szChannel, sizeof m_szChannel, pieces.words[0]);
        // A big channel's names come in several replies: keep them all.
        if (OpenNamesReply())
            ClearUserList();
        AddUserNames(pieces.text);
        PrintLine(output, "\r\n%sСписок пользователей на канале", COLOUR_CHAT);
        PrintLine(output, "\r\n%s%s %s", COLOUR_CHAT, pieces.words[0], pieces.text);
        break;
    case NumericKind::NamesEnd:
        CloseNamesReply();
        PrintLine(output, "\r\n%s Конец списка пользователей на канале", COLOUR_CHAT);
        break;
    case NumericKind::NoSuchNick:
        PrintLine(output, "\r\n%s Нет такого ника/канала", COLOUR_ERROR);
        break;
    case NumericKind::ErroneousNick:
        PrintLine(output, "\r\n%s Неверный ник", COLOUR_ERROR);
        // Refused as a new nick, the old one stays and so does the
        // connection; refused at registration, the connection ends.
        if (IsRegistered()) {
            ShowOwnNick();
            break;
        }
        ClearUserList();
        ResetTabs(false);
        ResetToLogin();
        ShowWindow(m_hTabCtrl, SW_SHOW);
        // Back on the login panel, "Зайти" works only without a connection.
        LeaveServer();
        break;
    case NumericKind::NickInUse:
        PrintLine(output, "\r\n%s Этот ник уже используется", COLOUR_ERROR);
        if (IsRegistered())
            ShowOwnNick();
        break;
    case NumericKind::Generic:
        PrintLine(output, "\r\n%s%.*s%s", COLOUR_CHAT, pieces.headLength, pieces.text, pieces.tail);
        break;
    }

    if (numeric == kWelcome)
        OnWelcome();
    else if (numeric == kNotRegistered)
        OnNotRegistered(line.rest);
}
