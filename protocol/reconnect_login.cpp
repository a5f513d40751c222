// A link that replaces a dropped one registers the session again: a nick
// taken meanwhile, or one the server now refuses, gets a stand-in, the
// user's own nick with '_' appended, a few times before the user is asked.
#include "protocol/line_handlers.h"

#include "protocol/chat_window.h"
#include "protocol/colours.h"
#include "protocol/line_parser.h"
#include "protocol/server_rules.h"
#include "protocol/words.h"

#include <stdio.h>
#include <string.h>

namespace {

enum { kStandIns = 3 };

// The nick cut, never inside a UTF-8 character, so that it and its
// underscores fit in the server's nick length (NICKLEN); a server that
// takes fewer bytes than the underscores gets the underscores alone.
void MakeStandInNick(const char* nick, int underscores, int nickLength, char* standIn, size_t size)
{
    size_t length = strlen(nick);
    const size_t room = nickLength > underscores ? (size_t)(nickLength - underscores) : 0;
    if (length > room) {
        length = room;
        while (length > 0 && ((unsigned char)nick[length] & 0xC0) == 0x80)
            --length;
    }
    snprintf(standIn, size, "%.*s%.*s", (int)length, nick, underscores, "___");
}

} // namespace

void OnNickRefusedAtReconnect(IChatWindow& window, const ParsedLine& line, bool taken)
{
    Conversation* serverTab = window.FindConversation(window.ServerName());
    char refused[64];
    WordReader(line.rest).Next(refused, sizeof refused);
    const int tries = window.NickRetries();
    if (tries >= kStandIns) {
        if (taken)
            window.PrintLine(serverTab, "\r\n%s*** Ник %s занят. Выберите другой ник кнопкой \"Сменить ник\"",
                             COLOUR_ERROR, refused);
        else
            window.PrintLine(serverTab, "\r\n%s*** Сервер не принял ник %s. Выберите другой ник кнопкой "
                             "\"Сменить ник\"", COLOUR_ERROR, refused);
        return;
    }
    char standIn[kLongestNickRule + kStandIns + 1];
    MakeStandInNick(window.UserNick(), tries + 1, window.Rules().nickLength, standIn, sizeof standIn);
    if (taken)
        window.PrintLine(serverTab, "\r\n%s*** Ник %s занят, пробую %s", COLOUR_CONNECTION, refused, standIn);
    else
        window.PrintLine(serverTab, "\r\n%s*** Сервер не принял ник %s, пробую %s", COLOUR_CONNECTION, refused,
                         standIn);
    window.TryNick(standIn);
}
