// Messages and notices from users and services, CTCP included.
#include "protocol/line_handlers.h"

#include "protocol/chat_window.h"
#include "protocol/colours.h"
#include "protocol/ctcp.h"
#include "protocol/line_parser.h"
#include "protocol/tokens.h"

#include <stdint.h>
#include <time.h>

namespace {

const char kVersionAnswer[] = "Talvo IRC module";

// Services tell a registered nick how to identify ("/msg NickServ identify
// <password>"); their answers to an identify do not say it.
bool AsksToIdentify(const char* text)
{
    static const char kCommand[] = "/msg nickserv";
    const size_t length = sizeof kCommand - 1;
    for (; *text; ++text) {
        size_t i = 0;
        while (i < length && FoldCase(CaseMapping::Ascii, text[i]) == kCommand[i])
            ++i;
        if (i == length)
            return true;
    }
    return false;
}

// Answers go out through "%s": nothing from the network is ever a format.
// Requests beyond the pace, or from a sender no answer can address alone,
// are still shown, only not answered.
void SendCtcpAnswer(IChatWindow& window, const char* nick, const char* word, const char* parameter)
{
    char answer[kCtcpAnswerLimit + 1];
    if (ComposeCtcpAnswer(answer, sizeof answer, nick, word, parameter) != 0)
        window.SendPacedAnswer(answer);
}

// Requests neither mark their tab nor play the sound.
void OnCtcpRequest(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    CtcpMessage request;
    CutCtcpRequest(line.rest, request);
    const char* word = request.word;
    const char* parameter = request.parameter ? request.parameter : "";
    const char* prefix = line.token1 + 1;

    if (EqualsIgnoringAsciiCase(word, "ACTION")) {
        if (IsChannelName(window.Rules(), line.target))
            window.SetChannelName(line.target);
        window.PrintLine(conversation, "\r\n%s* %s %s", COLOUR_ACTION, line.sender, parameter);
    } else if (EqualsIgnoringAsciiCase(word, "PING")) {
        SendCtcpAnswer(window, line.sender, "PING", parameter);
        window.PrintLine(conversation, "\r\n%s*** ctcp/ping request from %s", COLOUR_CTCP, prefix);
    } else if (EqualsIgnoringAsciiCase(word, "VERSION")) {
        SendCtcpAnswer(window, line.sender, "VERSION", kVersionAnswer);
        window.PrintLine(conversation, "\r\n%s*** ctcp/version request from %s", COLOUR_CTCP, prefix);
    } else if (!request.parameter) {
        window.PrintLine(conversation, "\r\n%s*** ctcp/%s request from %s", COLOUR_CTCP, word, line.sender);
    } else {
        window.PrintLine(conversation, "\r\n%s*** ctcp/%s request from %s%s %s", COLOUR_CTCP, word,
                         line.sender, parameter[0] ? ":" : "", parameter);
    }
}

void OnCtcpReply(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    CtcpMessage reply;
    CutCtcpReply(line.rest, reply);
    if (!EqualsIgnoringAsciiCase(reply.word, "PING")) {
        window.PrintLine(conversation, "\r\n%s[%s %s reply]: %s", COLOUR_CTCP, line.sender, reply.word,
                         reply.parameter ? reply.parameter : "");
        return;
    }
    const int slot = ReadPingSlot(reply, kPingSlots);
    // An entry never stamped would show the whole age of the calendar.
    const int64_t sent = slot < 0 ? 0 : window.PingSendTime(slot);
    if (sent == 0)
        return;
    const time_t now = time(NULL);
    window.PrintLine(conversation, "\r\n%s[%s PING reply]: %.0f сек", COLOUR_CTCP, line.sender,
                     difftime(now, (time_t)sent));
}

} // namespace

bool IsIgnoredMessage(IChatWindow& window, const ParsedLine& line)
{
    return (EqualsIgnoringAsciiCase(line.command, "PRIVMSG") || EqualsIgnoringAsciiCase(line.command, "NOTICE")) &&
           window.IsIgnored(line.sender);
}

void OnPrivmsg(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    if (IsCtcp(line.rest)) {
        OnCtcpRequest(window, line, conversation);
        return;
    }
    window.MarkActivity(conversation);
    const ServerRules& rules = window.Rules();
    const bool toChannel = IsChannelName(rules, line.target);
    if (toChannel) {
        window.SetChannelName(line.target);
        window.NoteChannelSpeaker(line.sender);
    }
    const int soundsBefore = window.MessageSoundRequests();
    window.PrintLine(conversation, "\r\n%s<%s> %s", COLOUR_CHAT, line.sender, line.rest);
    // A message that names the user has asked for the sound already: once is
    // enough.
    if (!toChannel && EqualsFolded(rules.caseMapping, line.target, window.OwnNick()) &&
        window.MessageSoundRequests() == soundsBefore)
        window.PlayMessageSound();
}

void OnNotice(IChatWindow& window, const ParsedLine& line, Conversation* conversation)
{
    if (IsCtcp(line.rest)) {
        OnCtcpReply(window, line, conversation);
        return;
    }
    window.PrintLine(conversation, "\r\n%s-%s- %s", COLOUR_NOTICE, line.sender, line.rest);
    if (EqualsIgnoringAsciiCase(line.sender, "NickServ"))
        window.OnNickServNotice(AsksToIdentify(line.rest));
}
