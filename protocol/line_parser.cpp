#include "protocol/line_parser.h"

#include "protocol/message_tags.h"
#include "protocol/tokens.h"

#include <string.h>

namespace {

const char* SkipOneColon(const char* text) { return text[0] == ':' ? text + 1 : text; }

} // namespace

bool ParseLine(const char* line, ParsedLine& parsed)
{
    if (line[0] == '\0')
        return false;

    char text[kLineTextSize];
    CopyText(text, sizeof text, line);
    char* lineFeed = strchr(text, '\n');
    if (lineFeed)
        *lineFeed = '\0';
    // Tags are read by no one: the line is handled as it would be without them.
    const char* body = SkipTagSection(text);
    if (body[0] == '\0')
        return false;

    char* const tokens[3] = { parsed.token1, parsed.token2, parsed.token3 };
    SplitTokens(body, tokens, kTokenSize, 3, parsed.args, kArgsSize);

    parsed.sender[0] = '\0';
    parsed.target = "";
    parsed.rest = "";
    parsed.hasPrefix = parsed.token1[0] == ':';

    if (!parsed.hasPrefix) {
        CopyText(parsed.text, sizeof parsed.text, body);
        char* space = strchr(parsed.text, ' ');
        parsed.command = parsed.text;
        parsed.params = "";
        if (space) {
            *space = '\0';
            parsed.params = SkipOneColon(space + 1);
        }
        return true;
    }

    parsed.text[0] = '\0';
    parsed.command = parsed.token2;
    parsed.params = "";

    // The target is lowercased in the token itself: every later use sees it so.
    LowerAsciiInPlace(parsed.token3);
    parsed.target = SkipOneColon(parsed.token3);

    CopyText(parsed.sender, sizeof parsed.sender, parsed.token1 + 1);
    char* bang = strchr(parsed.sender, '!');
    if (bang)
        *bang = '\0';

    parsed.rest = SkipOneColon(parsed.args);
    return true;
}

bool IsIgnoredSender(const char* sender)
{
    return strcmp(sender, "channelwarden") == 0;
}

OutputTab ChooseOutputTab(const ParsedLine& parsed, const char* ownNick,
                          bool serverTabExists)
{
    const char* command = parsed.command;
    if (strcmp(command, "NOTICE") == 0)
        return OutputTab::Server;
    if (strcmp(command, "NICK") == 0 || strcmp(command, "KICK") == 0 ||
        strcmp(command, "PART") == 0 || strcmp(command, "MODE") == 0 ||
        strcmp(command, "QUIT") == 0)
        return OutputTab::Channel;
    if (strcmp(command, "PRIVMSG") == 0)
        return parsed.target[0] == '#' ? OutputTab::Target : OutputTab::Sender;
    if (strcmp(command, "JOIN") == 0 || strcmp(command, "333") == 0)
        return OutputTab::Channel;
    if (strcmp(parsed.target, ownNick) == 0)
        return OutputTab::Server;
    if (serverTabExists)
        return OutputTab::Server;
    return OutputTab::TargetOpened;
}
