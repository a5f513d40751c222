// The input line and the commands the client sends on the user's behalf.
#include "client/irc_client.h"

#include "client/control_ids.h"
#include "client/typed_text.h"
#include "net/outgoing_text.h"
#include "output/colours.h"
#include "protocol/tokens.h"

#include <string.h>

void CIrcClient::OnEnterInInputLine()
{
    HWND input = GetControl(IDC_INPUT);
    TrimAndSend(ReadInputText(input).c_str());
    // Set for this line's echo; a line that sent nothing must not pass it on
    // to the next line someone else writes.
    m_ownLinePending = 0;
    SetWindowTextA(input, "");
}

void CIrcClient::TrimAndSend(const char* text)
{
    if (!text)
        return;
    text += strspn(text, " \t");
    if (text[0])
        SendInputLine(text);
}

void CIrcClient::SendInputLine(const char* text)
{
    // A target with a line break (a name the server made up) could carry a
    // command of its own; no tab selected leaves no target at all.
    const char* target = GetCurrentTabName();
    if (!text || !target[0] || strpbrk(target, "\r\n"))
        return;

    HWND output = FindTab(target);
    const BYTE ownLine = m_ownLinePending;
    const size_t limit = PrivmsgTextLimit(strlen(target), strlen(m_szNick));
    const char* piece;
    size_t length;
    while (NextMessagePiece(&text, limit, &piece, &length)) {
        SendLine("PRIVMSG %s :%.*s\r\n", target, (int)length, piece);
        // Every piece is echoed as the user's own line, not only the first.
        m_ownLinePending = ownLine;
        PrintLine(output, "\r\n%s<%s> %.*s", COLOUR_CHAT, m_szNick, (int)length, piece);
    }
}

void CIrcClient::SendJoin(const char* channel)
{
    if (!channel || !channel[0])
        return;
    CopyText(m_szChannel, sizeof m_szChannel, channel);
    SendLine("JOIN :%s\r\n", m_szChannel);
}

void CIrcClient::SendNick(const char* nick)
{
    if (nick)
        SendLine("NICK :%s\r\n", nick);
}

void CIrcClient::SendQuit(const char* reason)
{
    if (reason)
        SendLine("QUIT :%s\r\n", reason);
}
