// The input line and the commands the client sends on the user's behalf.
#include "client/irc_client.h"

#include "client/chat_connection.h"
#include "client/control_ids.h"
#include "client/input_command.h"
#include "client/input_keys.h"
#include "client/typed_text.h"
#include "net/outgoing_text.h"
#include "net/send_queue.h"
#include "protocol/colours.h"
#include "protocol/tokens.h"

#include <stdio.h>
#include <string.h>

// The input line holds what was typed or pasted, many lines of it maybe;
// text refused for want of room stays there for the user.
void CIrcClient::OnEnterInInputLine()
{
    HWND input = GetControl(IDC_INPUT);
    const std::string text = ReadInputText(input);
    const bool taken = TrimAndSend(text.c_str());
    // Set for this line's echo; a line that sent nothing must not pass it on
    // to the next line someone else writes.
    m_ownLinePending = 0;
    if (taken) {
        RememberSentInput(input, text.c_str());
        SetWindowTextA(input, "");
    }
}

bool CIrcClient::TrimAndSend(const char* text)
{
    if (!text)
        return true;
    text += strspn(text, " \t");
    if (!text[0])
        return true;
    TypedLine typed;
    ReadTypedLine(text, typed);
    return typed.command == InputCommand::Text ? SendInputLine(typed.text) : RunTypedCommand(typed);
}

bool CIrcClient::SendInputLine(const char* text)
{
    // A target with a line break (a name the server made up) could carry a
    // command of its own; no tab selected leaves no target at all.
    const char* target = GetCurrentTabName();
    if (!text || !target[0] || strpbrk(target, "\r\n"))
        return true;
    return SendText(target, text, SentText::Message);
}

bool CIrcClient::SendText(const char* target, const char* text, SentText kind)
{
    static const char kActionFrame[] = "\x01" "ACTION \x01";
    const size_t frame = kind == SentText::Action ? sizeof kActionFrame - 1 : 0;
    HWND output = FindTab(target);
    CChatConnection* chat = CChatConnection::Of(m_hDialog);
    const size_t lineLimit = chat && chat->Server() ? chat->Server()->LineLimit() : (size_t)kShortestLineRule;
    const size_t limit = PrivmsgTextLimit(lineLimit, strlen(target) + frame, strlen(m_szNick));
    // Each line break starts a message, a long line is sent in pieces; the
    // text goes out whole or, when the queue has no room for it, not at all.
    const size_t overhead = strlen("PRIVMSG ") + strlen(target) + strlen(" :\r\n") + frame;
    size_t count = 0, bytes = 0;
    const char* piece;
    size_t length;
    for (const char* rest = text; NextMessagePiece(&rest, limit, &piece, &length); ++count)
        bytes += overhead + length;
    if (chat && chat->Server() && !chat->Server()->CanQueueTypedLines(count, bytes)) {
        m_ownLinePending = 0;  // the line below is the client's, not the user's
        PrintLine(output, "\r\n%s*** Текст не отправлен: слишком много строк ещё ждут отправки",
                  COLOUR_ERROR);
        return false;
    }

    const BYTE ownLine = m_ownLinePending;
    // A password is not shown even in part: its echo is one masked line.
    if (kind == SentText::Secret) {
        char shown[kCommandWordSize + sizeof " ********"];
        MaskSecretText(text, true, shown, sizeof shown);
        PrintLine(output, "\r\n%s<%s> %s", COLOUR_CHAT, m_szNick, shown);
    }
    while (NextMessagePiece(&text, limit, &piece, &length)) {
        // Every piece is echoed as the user's own line, not only the first,
        // and before it is queued: what the queue then says of earlier
        // lines is not the user's line.
        m_ownLinePending = ownLine;
        if (kind == SentText::Action) {
            PrintLine(output, "\r\n%s* %s %.*s", COLOUR_ACTION, m_szNick, (int)length, piece);
            SendLine("PRIVMSG %s :\x01" "ACTION %.*s\x01\r\n", target, (int)length, piece);
            continue;
        }
        if (kind == SentText::Message)
            PrintLine(output, "\r\n%s<%s> %.*s", COLOUR_CHAT, m_szNick, (int)length, piece);
        SendLine("PRIVMSG %s :%.*s\r\n", target, (int)length, piece);
    }
    // Lines the pace holds back are counted in the conversation until they
    // have all gone.
    if ((chat = CChatConnection::Of(m_hDialog)))
        chat->ShowWaitingLines(target);
    return true;
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

// QUIT overtakes whatever waits, which is dropped: the user chose to leave.
void CIrcClient::SendQuit(const char* reason)
{
    if (!reason)
        return;
    char line[kQueuedLineLimit];
    snprintf(line, sizeof line, "QUIT :%.*s\r\n", (int)(sizeof line - sizeof "QUIT :\r\n"), reason);
    CChatConnection* chat = CChatConnection::Of(m_hDialog);
    if (chat && chat->Server()) {
        chat->ForgetWaitingLines();
        chat->Server()->SendQuitFirst(line);
    }
}
