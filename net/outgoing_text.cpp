#include "net/outgoing_text.h"

#include "protocol/wire_text.h"

#include <string.h>

namespace {

const size_t kNickReserve = 30;    // the login panel's nick limit; a longer own nick counts as it is
const size_t kUserReserve = 10;    // "~username" as relayed; USERLEN of the common servers is 10
const size_t kHostReserve = 63;    // HOSTLEN of the common servers
const size_t kMinPieceLength = 64;

const char kLineBreaks[] = "\r\n";

// The last blank in the last quarter of the limit, 0 when there is none.
size_t FindBlankCut(const char* text, size_t limit)
{
    for (size_t blank = limit; blank > limit - limit / 4; --blank) {
        if (text[blank] == ' ')
            return blank;
    }
    return 0;
}

// The most whole characters the limit holds. A limit too small for even the
// first one cuts it: a line past the limit is worse than a broken character.
size_t FindHardCut(const char* text, size_t lineLength, size_t limit)
{
    const size_t fit = FitUtf8Length(text, lineLength, limit);
    return fit > 0 ? fit : limit;
}

} // namespace

void CutAtLineBreak(char* text)
{
    text[strcspn(text, kLineBreaks)] = '\0';
}

size_t PrivmsgTextLimit(size_t lineLength, size_t targetLength, size_t nickLength)
{
    const size_t nick = nickLength > kNickReserve ? nickLength : kNickReserve;
    // ":" nick "!" user "@" host " PRIVMSG " target " :" text "\r\n"
    const size_t overhead = 1 + nick + 1 + kUserReserve + 1 + kHostReserve +
                            strlen(" PRIVMSG ") + targetLength + strlen(" :") + strlen("\r\n");
    if (overhead + kMinPieceLength > lineLength)
        return kMinPieceLength;
    return lineLength - overhead;
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
        const size_t blank = FindBlankCut(text, limit);
        take = blank > 0 ? blank : FindHardCut(text, lineLength, limit);
        skip = blank > 0 ? 1 : 0;
    }
    *piece = text;
    *length = take;
    *cursor = text + take + skip;
    return true;
}
