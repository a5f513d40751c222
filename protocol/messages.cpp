// Messages and notices from users and services, CTCP included.
#include "client/irc_client.h"

#include "protocol/colours.h"
#include "output/message_sound.h"
#include "protocol/ctcp.h"
#include "protocol/line_parser.h"
#include "protocol/tokens.h"

#include <stdint.h>
#include <string.h>
#include <time.h>

namespace {

const char kVersionAnswer[] = "Talvo IRC module";

// Answers go out through "%s": nothing from the network is ever a format.
// Requests beyond the pace, or from a sender no answer can address alone,
// are still shown, only not answered.
void SendCtcpAnswer(CIrcClient& client, const char* nick, const char* word, const char* parameter)
{
    char answer[kCtcpAnswerLimit + 1];
    if (ComposeCtcpAnswer(answer, sizeof answer, nick, word, parameter) != 0)
        client.SendPacedAnswer(answer);
}

// Requests neither mark their tab nor play the sound.
void OnCtcpRequest(CIrcClient& client, const ParsedLine& line, HWND output)
{
    CtcpMessage request;
    CutCtcpRequest(line.rest, request);
    const char* word = request.word;
    const char* parameter = request.parameter ? request.parameter : "";
    const char* prefix = line.token1 + 1;

    if (EqualsIgnoringAsciiCase(word, "ACTION")) {
        if (line.target[0] == '#')
            CopyText(client.m_szChannel, sizeof client.m_szChannel, line.target);
        client.PrintLine(output, "\r\n%s* %s %s", COLOUR_ACTION, line.sender, parameter);
    } else if (EqualsIgnoringAsciiCase(word, "PING")) {
        SendCtcpAnswer(client, line.sender, "PING", parameter);
        client.PrintLine(output, "\r\n%s*** ctcp/ping request from %s", COLOUR_CTCP, prefix);
    } else if (EqualsIgnoringAsciiCase(word, "VERSION")) {
        SendCtcpAnswer(client, line.sender, "VERSION", kVersionAnswer);
        client.PrintLine(output, "\r\n%s*** ctcp/version request from %s", COLOUR_CTCP, prefix);
    } else if (!request.parameter) {
        client.PrintLine(output, "\r\n%s*** ctcp/%s request from %s", COLOUR_CTCP, word, line.sender);
    } else {
        client.PrintLine(output, "\r\n%s*** ctcp/%s request from %s%s %s", COLOUR_CTCP, word,
                         line.sender, parameter[0] ? ":" : "", parameter);
    }
}

void OnCtcpReply(CIrcClient& client, const ParsedLine& line, HWND output)
{
    CtcpMessage reply;
    CutCtcpReply(line.rest, reply);
    if (!EqualsIgnoringAsciiCase(reply.word, "PING")) {
        client.PrintLine(output, "\r\n%s[%s %s reply]: %s", COLOUR_CTCP, line.sender, reply.word,
                         reply.parameter ? reply.parameter : "");
        return;
    }
    const int slot = ReadPingSlot(reply, kPingSlots);
    // An entry never stamped would show the whole age of the calendar.
    if (slot < 0 || client.m_pingTimes[slot] == 0)
        return;
    const time_t now = time(NULL);
    client.PrintLine(output, "\r\n%s[%s PING reply]: %.0f сек", COLOUR_CTCP, line.sender,
                     difftime(now, (time_t)client.m_pingTimes[slot]));
}

} // namespace

void CIrcClient::OnPrivmsg(const ParsedLine& line, HWND output)
{
    if (IsCtcp(line.rest)) {
        OnCtcpRequest(*this, line, output);
        return;
    }
    MarkTabActivity(output);
    const bool toChannel = line.target[0] == '#';
    if (toChannel)
        CopyText(m_szChannel, sizeof m_szChannel, line.target);
    const int soundsBefore = MessageSoundRequests();
    PrintLine(output, "\r\n%s<%s> %s", COLOUR_CHAT, line.sender, line.rest);
    // The target is lowercased: an own nick with capitals never matches. A
    // message that names the user has asked for the sound already: once is
    // enough.
    if (!toChannel && strcmp(line.target, m_szNick) == 0 && m_soundOn == 1 &&
        MessageSoundRequests() == soundsBefore)
        PlayMessageSound();
}

void CIrcClient::OnNotice(const ParsedLine& line, HWND output)
{
    if (IsCtcp(line.rest)) {
        OnCtcpReply(*this, line, output);
        return;
    }
    PrintLine(output, "\r\n%s-%s- %s", COLOUR_NOTICE, line.sender, line.rest);
}
