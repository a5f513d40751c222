// One received line: cut it, choose the conversation for its output,
// dispatch it.
#include "protocol/received_line.h"

#include "protocol/chat_window.h"
#include "protocol/line_handlers.h"
#include "protocol/line_parser.h"
#include "protocol/message_tags.h"
#include "protocol/received_encoding.h"
#include "protocol/tokens.h"
#include "protocol/wire_text.h"

namespace {

Conversation* ChooseConversation(IChatWindow& window, const ParsedLine& line, Conversation* server)
{
    switch (ChooseOutputTab(line, window.Rules(), window.OwnNick(), server != nullptr)) {
    case OutputTab::Server:
        return server;
    case OutputTab::Channel:
        return window.FindConversation(window.ChannelName());
    case OutputTab::Target:
        return window.FindConversation(line.target);
    case OutputTab::Sender:
        if (!window.FindConversation(line.sender))
            window.OpenConversation(line.sender);
        return window.FindConversation(line.sender);
    case OutputTab::TargetOpened:
        window.OpenConversation(line.target);
        return window.FindConversation(line.target);
    }
    return nullptr;
}

void DispatchPrefixedLine(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    const int numeric = ReadCommandNumber(line.command);
    if (numeric != 0) {
        OnNumericReply(window, numeric, line, conversation);
        return;
    }

    typedef void (*Handler)(IChatWindow&, const ParsedLine&, Conversation*);
    static const struct {
        const char* command;
        Handler handler;
    } kHandlers[] = {
        { "AUTHENTICATE", &OnAuthenticateLine },
        { "CAP",     &OnCap },
        { "JOIN",    &OnJoin },
        { "KICK",    &OnKick },
        { "MODE",    &OnMode },
        { "NICK",    &OnNick },
        { "PART",    &OnPart },
        { "PRIVMSG", &OnPrivmsg },
        { "QUIT",    &OnQuit },
        { "TOPIC",   &OnTopic },
        { "NOTICE",  &OnNotice },
    };
    for (const auto& row : kHandlers) {
        if (EqualsIgnoringAsciiCase(line.command, row.command)) {
            row.handler(window, line, conversation);
            return;
        }
    }
    window.PrintLine(conversation, "\r\n[debug:%s] <%s> %s", line.command, line.token3, line.rest);
}

} // namespace

void HandleReceivedLine(IChatWindow& window, char* text, size_t capacity)
{
    Conversation* server = window.FindConversation(window.ServerName());

    // Names keep their wire bytes; what the handlers print of the line is
    // shown in the line's encoding, on which its tags have no say.
    char* body = text + (SkipTagSection(text) - text);
    CReceivedTextScope encoding(JudgeReceivedLine(body, capacity - (size_t)(body - text)));
    ParsedLine line;
    if (!ParseLine(text, line))
        return;

    if (!line.hasPrefix) {
        HandleServerLine(window, line, server);
        return;
    }
    // An ignored nick's message must not even open its talk.
    if (IsIgnoredSender(line.sender) || IsIgnoredMessage(window, line))
        return;
    DispatchPrefixedLine(window, line, ChooseConversation(window, line, server));
}
