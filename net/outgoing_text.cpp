#include "net/outgoing_text.h"

#include <string.h>

namespace {

const size_t kIrcLineLimit = 512;  // including "\r\n"
const size_t kNickReserve = 30;    // the login panel's nick limit; a longer own nick counts as it is
const size_t kUserReserve = 10;    // "~username" as relayed; USERLEN of the common servers is 10
const size_t kHostReserve = 63;    // HOSTLEN of the common servers
const size_t kMinPieceLength = 64;

const char kLineBreaks[] = "\r\n";

} // namespace

void CutAtLineBreak(char* text)
{
    text[strcspn(text, kLineBreaks)] = '\0';
}

size_t PrivmsgTextLimit(size_t targetLength, size_t nickLength)
{
    const size_t nick = nickLength > kNickReserve ? nickLength : kNickReserve;
    // ":" nick "!" user "@" host " PRIVMSG " target " :" text "\r\n"
    const size_t overhead = 1 + nick + 1 + kUserReserve + 1 + kHostReserve +
                            strlen(" PRIVMSG ") + targetLength + strlen(" :") + strlen("\r\n");
    if (overhead + kMinPieceLength > kIrcLineLimit)
        return kMinPieceLength;
    return kIrcLineLimit - overhead;
}

bool NextMessagePiece(const char** cursor, size_t limit, const char** piece, size_t* length)
{
    const char* text = *cursor + strspn(*cursor, kLineBreaks);
    *cursor = text;
    if (!*text)
        return false;

    const size_t lineLength = strcspn(text, kLineBreaks);
    size_t take = lineLength;
    size_t skip = 0;
    if (lineLength > limit) {
        take = limit;
        for (size_t blank = limit; blank > limit - limit / 4; --blank) {
            if (text[blank] == ' ') {
                take = blank;
                skip = 1;
                break;
            }
        }
    }
    *piece = text;
    *length = take;
    *cursor = text + take + skip;
    return true;
}
