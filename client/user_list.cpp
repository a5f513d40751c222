// The channel's user list (list box 1065): entries are nicks after the
// status symbols their members hold, ranked by the highest status, then by
// nick in the server's case mapping; each goes in at its place.
#include "client/user_list.h"

#include "client/irc_client.h"

#include "client/control_font.h"
#include "client/control_ids.h"
#include "protocol/member_status.h"
#include "protocol/wire_text.h"
#include "protocol/tokens.h"
#include "protocol/words.h"

#include <stdio.h>
#include <string.h>

namespace {

enum { kNickSize = 1024, kSymbolsSize = kMaxStatusModes + 1 };

const char kNamesReplyProperty[] = "TalvoNamesReplyOpen";

// An entry's item data: the count of its status symbols, then its wire form.
const char* ItemData(HWND list, int index)
{
    const LRESULT data = SendMessageA(list, LB_GETITEMDATA, index, 0);
    return data == LB_ERR || data == 0 ? nullptr : (const char*)data;
}

// The statuses and the nick of the entry at `index`.
StatusSet StatusesAt(HWND list, const ServerRules& rules, int index, const char** nick)
{
    return ReadStatusSet(rules, UserListWireEntry(list, index), nick);
}

// The first index whose entry does not come before an entry of these
// statuses and nick; with `past`, the first whose entry comes after it.
int BoundOf(HWND list, const ServerRules& rules, StatusSet statuses, const char* nick, bool past)
{
    int low = 0;
    int high = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const char* listedNick;
        const StatusSet listed = StatusesAt(list, rules, middle, &listedNick);
        const int order = CompareMembers(rules, listed, listedNick, statuses, nick);
        if (order < 0 || (past && order == 0))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

int InsertEntry(HWND list, const ServerRules& rules, StatusSet statuses, const char* nick)
{
    char symbols[kSymbolsSize];
    WriteStatusSymbols(rules, statuses, symbols, sizeof symbols);
    char wire[kNickSize];
    const size_t symbolCount = strlen(symbols);
    snprintf(wire, sizeof wire, "%s%s", symbols, nick);
    // Only the highest status shows, as in other clients' lists.
    char text[kNickSize];
    snprintf(text, sizeof text, "%.1s%s", symbols, nick);
    char shown[kNickSize];
    ShowNameInCp1251(text, shown, sizeof shown);

    const int place = BoundOf(list, rules, statuses, nick, true);
    const LRESULT index = SendMessageA(list, LB_INSERTSTRING, place, (LPARAM)shown);
    if (index < 0)
        return -1;
    const size_t size = strlen(wire) + 1;
    char* data = new char[size + 1];
    data[0] = (char)symbolCount;
    memcpy(data + 1, wire, size);
    SendMessageA(list, LB_SETITEMDATA, index, (LPARAM)data);
    return (int)index;
}

// Takes a NAMES word or an entry: its symbols in any order, then the nick.
void AddEntry(HWND list, const ServerRules& rules, const char* entry)
{
    const char* nick;
    const StatusSet statuses = ReadStatusSet(rules, entry, &nick);
    InsertEntry(list, rules, statuses, nick);
}

void DeleteEntryAt(HWND list, int index)
{
    delete[] ItemData(list, index);
    SendMessageA(list, LB_DELETESTRING, index, 0);
}

// The entry of the nick, whatever its symbols, or -1. The list is in order:
// the nick is searched by halves among the entries of each rank in turn,
// which reads a few entries where a search from the top reads every one, and
// in a channel of ten thousand would make every departure slow.
int FindEntry(HWND list, const ServerRules& rules, const char* nick)
{
    const int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    const int ranks = (int)strlen(rules.statusSymbols);
    for (int rank = 0; rank <= ranks; ++rank) {
        const StatusSet statuses = rank < ranks ? 1u << rank : 0;
        const int index = BoundOf(list, rules, statuses, nick, false);
        if (index >= count)
            continue;
        const char* listedNick;
        const StatusSet listed = StatusesAt(list, rules, index, &listedNick);
        if (CompareMembers(rules, listed, listedNick, statuses, nick) == 0)
            return index;
    }
    return -1;
}

} // namespace

const char* UserListWireEntry(HWND list, int index)
{
    const char* data = ItemData(list, index);
    return data ? data + 1 : "";
}

const char* UserListNick(HWND list, int index)
{
    const char* data = ItemData(list, index);
    return data ? data + 1 + data[0] : "";
}

void CIrcClient::ClearUserList()
{
    HWND list = GetControl(IDC_USER_LIST);
    const int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i)
        delete[] ItemData(list, i);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
}

bool CIrcClient::OpenNamesReply()
{
    if (GetPropA(m_hDialog, kNamesReplyProperty))
        return false;
    SetPropA(m_hDialog, kNamesReplyProperty, (HANDLE)1);
    return true;
}

void CIrcClient::CloseNamesReply()
{
    RemovePropA(m_hDialog, kNamesReplyProperty);
}

void CIrcClient::AddUserNames(const char* names)
{
    HWND list = GetControl(IDC_USER_LIST);
    SetTahomaFont(list, FW_BOLD);
    WordReader words(names);
    char name[kNickSize];
    // A trailing space ends the list; two spaces in a row give an empty entry.
    while (words.Remainder()[0] != '\0') {
        words.Next(name, sizeof name);
        AddEntry(list, Rules(), name);
    }
}

void CIrcClient::AddUser(const char* nick)
{
    HWND list = GetControl(IDC_USER_LIST);
    SetTahomaFont(list, FW_BOLD);
    char name[kNickSize];
    if (m_nickPrefix == '@') {
        snprintf(name, sizeof name, "%c%s", m_nickPrefix, nick);
        m_nickPrefix = ' ';
    } else {
        WordReader(nick).Next(name, sizeof name);
    }
    AddEntry(list, Rules(), name);
}

bool CIrcClient::RemoveUser(const char* nick, char* symbols, size_t size)
{
    HWND list = GetControl(IDC_USER_LIST);
    char name[kNickSize];
    WordReader(nick).Next(name, sizeof name);
    CopyText(symbols, size, "");
    const int index = FindEntry(list, Rules(), name);
    if (index < 0)
        return false;
    const char* data = ItemData(list, index);
    if (data)
        snprintf(symbols, size, "%.*s", (int)data[0], data + 1);
    DeleteEntryAt(list, index);
    return true;
}

// The next AddUser lists an operator's nick with '@' again.
void CIrcClient::RemoveUser(const char* nick)
{
    char symbols[kSymbolsSize];
    const bool listed = RemoveUser(nick, symbols, sizeof symbols);
    m_nickPrefix = strchr(symbols, '@') ? '@' : listed && !symbols[0] ? ' ' : '+';
}

bool CIrcClient::HoldsStatus(const char* nick, char symbol) const
{
    HWND list = GetControl(IDC_USER_LIST);
    const int rank = StatusRank(Rules(), symbol);
    const int index = FindEntry(list, Rules(), nick);
    if (rank < 0 || index < 0)
        return false;
    const char* listedNick;
    return (StatusesAt(list, Rules(), index, &listedNick) & 1u << rank) != 0;
}

// The entry moves to its new place; a selected one stays selected.
void CIrcClient::SetUserStatus(const char* nick, char symbol, bool held)
{
    const int rank = StatusRank(Rules(), symbol);
    HWND list = GetControl(IDC_USER_LIST);
    const int index = FindEntry(list, Rules(), nick);
    if (rank < 0 || index < 0)
        return;
    char listedNick[kNickSize];
    const char* nickPart;
    const StatusSet before = StatusesAt(list, Rules(), index, &nickPart);
    CopyText(listedNick, sizeof listedNick, nickPart);
    const StatusSet after = held ? before | 1u << rank : before & ~(1u << rank);
    if (after == before)
        return;
    const bool selected = SendMessageA(list, LB_GETCURSEL, 0, 0) == index;
    DeleteEntryAt(list, index);
    const int place = InsertEntry(list, Rules(), after, listedNick);
    if (selected && place >= 0)
        SendMessageA(list, LB_SETCURSEL, place, 0);
}

bool CIrcClient::NotInUserList(const char* text) const
{
    HWND list = GetControl(IDC_USER_LIST);
    const int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        if (strcmp(UserListWireEntry(list, i), text) == 0)
            return false;
    }
    return true;
}
