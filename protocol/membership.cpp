// Channel membership events: JOIN, PART, QUIT, KICK, NICK, MODE, TOPIC.
#include "client/irc_client.h"

#include "client/control_ids.h"
#include "protocol/colours.h"
#include "protocol/line_parser.h"
#include "protocol/tokens.h"
#include "protocol/words.h"

#include <stdio.h>
#include <string.h>

namespace {

enum { kNickSize = 1024 };

bool IsOwnNick(const CIrcClient& client, const char* nick)
{
    return EqualsIgnoringAsciiCase(nick, client.m_szNick);
}

bool IsSelectedTab(const CIrcClient& client, const char* name)
{
    return strcmp(client.GetCurrentTabName(), name) == 0;
}

void EnableInput(const CIrcClient& client, bool enable)
{
    EnableWindow(client.GetControl(IDC_INPUT), enable ? TRUE : FALSE);
}

// Only a nick change carries an operator's mark from the removed nick to the
// added one; every other removal forgets it, so that a later join is not
// listed as an operator.
void DropUser(CIrcClient& client, const char* nick)
{
    client.RemoveUser(nick);
    client.m_nickPrefix = ' ';
}

// The channel modes that change the user list: each sets or clears one mark.
struct MarkMode {
    const char* word;
    char mark;
    bool sets;
};

const MarkMode kMarkModes[] = {
    { "+v", '+', true },
    { "-v", '+', false },
    { "+o", '@', true },
    { "-o", '@', false },
};

// Applies a mark mode to the list. False when the mode changes nothing the
// user should hear of: the mark is already there.
bool ApplyMarkMode(CIrcClient& client, const char* word, const char* nick)
{
    for (const MarkMode& mode : kMarkModes) {
        if (strcmp(word, mode.word) != 0)
            continue;
        char marked[kNickSize];
        snprintf(marked, sizeof marked, "%c%s", mode.mark, nick);
        const bool listed = !client.NotInUserList(marked);
        if (mode.sets) {
            if (listed)
                return false;
            DropUser(client, nick);
            client.AddUser(marked);
        } else if (listed) {
            DropUser(client, marked);
            client.AddUser(nick);
        }
        return true;
    }
    return true;
}

} // namespace

void CIrcClient::OnJoin(const ParsedLine& line, HWND output)
{
    if (IsOwnNick(*this, line.sender)) {
        // The line goes to the tab of the channel left behind.
        CopyText(m_szChannel, sizeof m_szChannel, line.target);
        PrintLine(output, "\r\n%s*** Вы находитесь на канале %s", COLOUR_EVENT, m_szChannel);
        EnableInput(*this, true);
        return;
    }

    AddUser(line.sender);
    PrintLine(output, "\r\n%s*** %s приходит", COLOUR_EVENT, line.sender);
    HWND privateOutput = FindTab(line.sender);
    if (!privateOutput)
        return;
    PrintLine(privateOutput, "\r\n%s*** %s вернулся", COLOUR_EVENT, line.sender);
    if (IsSelectedTab(*this, line.sender))
        EnableInput(*this, true);
}

void CIrcClient::OnPart(const ParsedLine& line, HWND output)
{
    if (IsOwnNick(*this, line.sender))
        return;
    DropUser(*this, line.sender);
    PrintLine(output, "\r\n%s*** %s уходит", COLOUR_CONNECTION, line.sender);
}

void CIrcClient::OnQuit(const ParsedLine& line, HWND output)
{
    const int selected = (int)SendMessageA(m_hTabCtrl, TCM_GETCURSEL, 0, 0);
    // The quit message's first word is the line's target, hence lowercased.
    PrintLine(output, "\r\n%s*** %s (%s %s) выходит", COLOUR_CONNECTION, line.sender, line.target,
              line.rest);
    DropUser(*this, line.sender);
    if (selected >= 0 && selected < m_tabCount && m_tabs[selected].hPage)
        ShowWindow(m_tabs[selected].hPage, SW_SHOW);

    HWND privateOutput = FindTab(line.sender);
    if (privateOutput)
        PrintLine(privateOutput, "\r\n%s*** %s уходит", COLOUR_EVENT, line.sender);
    if (IsSelectedTab(*this, line.sender))
        EnableInput(*this, false);
}

void CIrcClient::OnKick(const ParsedLine& line, HWND output)
{
    WordReader words(line.rest);
    char victim[kNickSize];
    words.Next(victim, sizeof victim);
    const char* reason = SkipOne(words.Remainder(), ':');

    if (!EqualsIgnoringAsciiCase(victim, m_szNick)) {
        PrintLine(output, "\r\n%s*** %s был выкинут с канал пользователем %s", COLOUR_CONNECTION,
                  victim, line.sender);
        DropUser(*this, victim);
        return;
    }

    const char* kicked = "\r\n%s*** ты был выкинут с канала %s пользователем %s (%s)";
    PrintLine(output, kicked, COLOUR_CONNECTION, line.target, line.sender, reason);
    // The channel tab closes below; the server tab stays in sight and tells
    // the user why.
    HWND serverOutput = FindTab(m_szServer);
    if (serverOutput != output)
        PrintLine(serverOutput, kicked, COLOUR_CONNECTION, line.target, line.sender, reason);
    m_showTabsPending = 1;
    ClearUserList();
    ResetToLogin();
    ResetTabs(false);
    // "Зайти" answers only while disconnected: the login panel must not sit
    // on a connection that is still open.
    LeaveServer();
}

void CIrcClient::OnNick(const ParsedLine& line, HWND output)
{
    const char* newNick = line.target;
    if (IsOwnNick(*this, line.sender)) {
        PrintLine(output, "\r\n%s*** теперь твой ник %s", COLOUR_EVENT, newNick);
        RemoveUser(m_szNick);
        CopyText(m_szNick, sizeof m_szNick, newNick);
        ShowOwnNick();
        AddUser(newNick);
        return;
    }

    RemoveUser(line.sender);
    PrintLine(output, "\r\n%s*** %s теперь известен как %s", COLOUR_EVENT, line.sender, newNick);
    AddUser(newNick);
    // A private tab keeps the old nick as its name: typing there would
    // address a nick nobody has any more.
    const bool talksToOldNick = IsSelectedTab(*this, line.sender) && FindTab(line.sender);
    EnableInput(*this, !talksToOldNick);
}

void CIrcClient::OnMode(const ParsedLine& line, HWND output)
{
    // User modes are not shown.
    if (line.target[0] != '#')
        return;

    WordReader words(line.rest);
    char mode[kNickSize];
    words.Next(mode, sizeof mode);
    // Some servers (inspircd) send the nick as a trailing parameter, ":nick".
    const char* parameter = SkipOne(words.Remainder(), ':');
    if (!parameter[0]) {
        PrintLine(output, "\r\n%s*** ChanServ sets mode: %s", COLOUR_EVENT, mode);
        return;
    }
    if (!ApplyMarkMode(*this, mode, parameter))
        return;
    PrintLine(output, "\r\n%s*** ChanServ sets mode: %s %s", COLOUR_EVENT, mode, parameter);
}

void CIrcClient::OnTopic(const ParsedLine& line, HWND output)
{
    CopyText(m_szChannel, sizeof m_szChannel, line.target);
    PrintLine(output, "\r\n%s*** %s изменил тему на '%s'", COLOUR_EVENT, line.sender, line.rest);
}
