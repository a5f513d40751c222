// One received line: cut it, choose the tab for its output, dispatch it.
#include "client/irc_client.h"

#include "protocol/wire_text.h"
#include "output/received_text.h"
#include "protocol/line_parser.h"
#include "protocol/tokens.h"

int CIrcClient::SplitTokens(const char* line, char* const tokens[], int maxTokens, char* rest)
{
    return ::SplitTokens(line, tokens, kTokenSize, maxTokens, rest, kArgsSize);
}

void CIrcClient::ProcessLine()
{
    HWND serverOutput = FindTab(m_szServer);

    // Names keep their wire bytes; what the handlers print of the line is
    // shown in the line's encoding.
    CReceivedTextScope text(JudgeReceivedLine(m_ioBuf, sizeof m_ioBuf));
    ParsedLine line;
    if (!ParseLine(m_ioBuf, line))
        return;

    if (!line.hasPrefix) {
        HandleServerLine(line, serverOutput);
        return;
    }
    if (IsIgnoredSender(line.sender))
        return;
    DispatchPrefixedLine(line, ChooseOutputControl(line, serverOutput));
}

HWND CIrcClient::ChooseOutputControl(const ParsedLine& line, HWND serverOutput)
{
    switch (ChooseOutputTab(line, m_szNick, serverOutput != NULL)) {
    case OutputTab::Server:
        return serverOutput;
    case OutputTab::Channel:
        return FindTab(m_szChannel);
    case OutputTab::Target:
        return FindTab(line.target);
    case OutputTab::Sender:
        if (!FindTab(line.sender))
            OpenTab(line.sender);
        return FindTab(line.sender);
    case OutputTab::TargetOpened:
        OpenTab(line.target);
        return FindTab(line.target);
    }
    return NULL;
}

void CIrcClient::DispatchPrefixedLine(const ParsedLine& line, HWND output)
{
    const int numeric = ReadCommandNumber(line.command);
    if (numeric != 0) {
        OnNumericReply(numeric, line, output);
        return;
    }

    typedef void (CIrcClient::*Handler)(const ParsedLine&, HWND);
    static const struct {
        const char* command;
        Handler handler;
    } kHandlers[] = {
        { "JOIN",    &CIrcClient::OnJoin },
        { "KICK",    &CIrcClient::OnKick },
        { "MODE",    &CIrcClient::OnMode },
        { "NICK",    &CIrcClient::OnNick },
        { "PART",    &CIrcClient::OnPart },
        { "PRIVMSG", &CIrcClient::OnPrivmsg },
        { "QUIT",    &CIrcClient::OnQuit },
        { "TOPIC",   &CIrcClient::OnTopic },
        { "NOTICE",  &CIrcClient::OnNotice },
    };
    for (const auto& row : kHandlers) {
        if (EqualsIgnoringAsciiCase(line.command, row.command)) {
            (this->*row.handler)(line, output);
            return;
        }
    }
    PrintLine(output, "\r\n[debug:%s] <%s> %s", line.command, line.token3, line.rest);
}
