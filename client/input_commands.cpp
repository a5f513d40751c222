// The commands typed in the input line: what each sends and what the tabs
// show of it, with the lines that refuse one.
#include "client/irc_client.h"

#include "client/chat_connection.h"
#include "client/input_command.h"
#include "net/quit_reason.h"
#include "protocol/colours.h"
#include "protocol/wire_text.h"

#include <string.h>

namespace {

struct CommandUsage {
    InputCommand command;
    const char* usage;
};

// The commands that cannot go without their words. Texts printed through
// "%s" go in as the line's pieces, UTF-8: u8 keeps them so.
const CommandUsage kUsages[] = {
    { InputCommand::Me, u8"/me действие" },
    { InputCommand::Msg, u8"/msg ник текст" },
    { InputCommand::Query, u8"/query ник [текст]" },
    { InputCommand::Nick, u8"/nick ник" },
    { InputCommand::Unignore, u8"/unignore ник" },
};

const char* const kHelpLines[] = {
    u8"*** Команды:",
    u8"/me действие - действие от вашего имени",
    u8"/msg ник текст - личное сообщение, не переходя в его вкладку",
    u8"/query ник [текст] - личный разговор в своей вкладке",
    u8"/nick ник - сменить ник, как кнопкой \"Сменить ник\"",
    u8"/away [текст] - отошёл (с текстом) или вернулся (без него)",
    u8"/ignore [ник] - не показывать ник (без ника - список), /unignore ник - показывать снова",
    u8"/quit [причина] - выйти с сервера",
    u8"/help - этот список",
    u8"//текст - текст, который начинается с /",
};

const char* UsageOf(InputCommand command)
{
    for (const CommandUsage& row : kUsages) {
        if (row.command == command)
            return row.usage;
    }
    return nullptr;
}

bool NeedsWords(const TypedLine& typed)
{
    if (!UsageOf(typed.command))
        return false;
    const bool hasTarget = typed.target[0] != '\0';
    const bool hasText = typed.text[0] != '\0';
    switch (typed.command) {
    case InputCommand::Me:
        return !hasText;
    case InputCommand::Msg:
        return !hasTarget || !hasText;
    default:
        return !hasTarget;
    }
}

// Only asking for help needs no server.
bool NeedsConnection(InputCommand command) { return command != InputCommand::Help; }

} // namespace

bool CIrcClient::RunTypedCommand(const TypedLine& typed)
{
    HWND here = FindTab(GetCurrentTabName());
    // The lines the client prints are not the user's; the echo of what the
    // user sends is.
    const BYTE ownLine = m_ownLinePending;
    m_ownLinePending = 0;
    if (typed.command == InputCommand::Unknown) {
        PrintLine(here, "\r\n%s*** Неизвестная команда /%s. Список команд: /help", COLOUR_ERROR, typed.word);
        return false;
    }
    if (NeedsWords(typed)) {
        PrintLine(here, "\r\n%s*** Использование: %s", COLOUR_ERROR, UsageOf(typed.command));
        return false;
    }
    if (NeedsConnection(typed.command) && !IsRegistered()) {
        PrintLine(here, "\r\n%s*** Нет соединения с сервером: команда не выполнена", COLOUR_ERROR);
        return false;
    }
    const char* current = GetCurrentTabName();
    switch (typed.command) {
    case InputCommand::Me:
        m_ownLinePending = ownLine;
        return current[0] && SendToTarget(current, typed.text, SentText::Action, false);
    case InputCommand::Msg:
        m_ownLinePending = ownLine;
        return SendToTarget(typed.target, typed.text,
                            IsSecretLine(typed.line) ? SentText::Secret : SentText::Message, false);
    case InputCommand::Query:
        m_ownLinePending = ownLine;
        return SendToTarget(typed.target, typed.text, SentText::Message, true);
    case InputCommand::Quit:
        LogOut(typed.text[0] ? typed.text : kQuitReason);
        return true;
    case InputCommand::Nick:
        return ChangeNickByCommand(typed.target);
    case InputCommand::Away:
        CChatConnection::Of(m_hDialog)->SetAway(typed.text);
        return true;
    case InputCommand::Ignore:
    case InputCommand::Unignore:
        return ChangeIgnoreList(typed);
    case InputCommand::Help:
        for (const char* line : kHelpLines)
            PrintLine(here, "\r\n%s%s", COLOUR_EVENT, line);
        return true;
    default:
        return false;
    }
}

bool CIrcClient::SendToTarget(const char* target, const char* text, SentText kind, bool select)
{
    HWND here = FindTab(GetCurrentTabName());
    const TargetRefusal refusal = CheckTarget(Rules(), target, m_szChannel);
    if (refusal != TargetRefusal::None)
        m_ownLinePending = 0;  // the line below is the client's
    switch (refusal) {
    case TargetRefusal::None:
        break;
    case TargetRefusal::OtherChannel:
        PrintLine(here, "\r\n%s*** Писать можно только на канал %s, не в %s", COLOUR_ERROR, m_szChannel, target);
        return false;
    default:
        PrintLine(here, "\r\n%s*** Нельзя писать \"%s\": такого ника быть не может", COLOUR_ERROR, target);
        return false;
    }
    if (!FindTab(target)) {
        const int selected = TabCtrl_GetCurSel(m_hTabCtrl);
        OpenTab(target);
        if (!select && selected >= 0)
            SelectTabAt(selected);
    } else if (select) {
        SelectTabAt(TabIndexOf(target));
    }
    return !text[0] || SendText(target, text, kind);
}

bool CIrcClient::IsPossibleNick(const char* nick)
{
    if (CheckTarget(Rules(), nick, "") == TargetRefusal::None)
        return true;
    PrintLine(FindTab(GetCurrentTabName()), "\r\n%s*** Ник \"%s\" невозможен", COLOUR_ERROR, nick);
    return false;
}

// As "Сменить ник", with the refusals as lines in the tab.
bool CIrcClient::ChangeNickByCommand(const char* nick)
{
    HWND here = FindTab(GetCurrentTabName());
    char refusal[128];
    if (!FitsNickLength(nick, refusal, sizeof refusal)) {
        // The panel's box text, in the module's code page.
        char piece[3 * sizeof refusal];
        Cp1251ToUtf8(refusal, strlen(refusal), piece, sizeof piece);
        PrintLine(here, "\r\n%s*** %s", COLOUR_ERROR, piece);
        return false;
    }
    if (!IsPossibleNick(nick))
        return false;
    SendNickChange(nick);
    return true;
}

bool CIrcClient::ChangeIgnoreList(const TypedLine& typed)
{
    HWND here = FindTab(GetCurrentTabName());
    CIgnoreList& ignored = IgnoredNicks();
    if (!typed.target[0]) {
        PrintLine(here, "\r\n%s*** %s", COLOUR_EVENT,
                  ignored.Count() ? u8"Не показываются:" : u8"Список игнорирования пуст");
        for (int i = 0; i < ignored.Count(); ++i)
            PrintLine(here, "\r\n%s    %s", COLOUR_EVENT, ignored.At(i));
        return true;
    }
    const char* nick = typed.target;
    if (!IsPossibleNick(nick))
        return false;
    const CaseMapping mapping = Rules().caseMapping;
    const bool adding = typed.command == InputCommand::Ignore;
    switch (adding ? ignored.Add(mapping, nick) : ignored.Remove(mapping, nick)) {
    case IgnoreChange::Done:
        PrintLine(here, adding ? "\r\n%s*** %s не показывается, пока открыто это окно"
                               : "\r\n%s*** %s снова показывается", COLOUR_EVENT, nick);
        return true;
    case IgnoreChange::Already:
        PrintLine(here, "\r\n%s*** %s уже не показывается", COLOUR_EVENT, nick);
        return true;
    case IgnoreChange::Full:
        PrintLine(here, "\r\n%s*** Список игнорирования полон: не больше %d ников", COLOUR_ERROR, kMaxIgnored);
        return false;
    case IgnoreChange::Absent:
        PrintLine(here, "\r\n%s*** %s нет в списке игнорирования", COLOUR_ERROR, nick);
        return false;
    }
    return false;
}

int CIrcClient::TabIndexOf(const char* name) const
{
    HWND output = FindTab(name);
    for (int i = 0; output && i < m_tabCount; ++i) {
        if (GetTabOutput(i) == output)
            return i;
    }
    return -1;
}

void CIrcClient::SelectTabAt(int index)
{
    if (index < 0 || index >= m_tabCount)
        return;
    HideAllPages();
    TabCtrl_SetCurSel(m_hTabCtrl, index);
    OnTabSelChange();
}
