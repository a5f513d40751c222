// The channel's user list (list box 1065): entries are nicks, some with a
// leading '@' (operator) or '+' (voiced), kept in the box's sorted order.
#include "client/irc_client.h"

#include "client/control_font.h"
#include "client/control_ids.h"
#include "protocol/words.h"

#include <stdio.h>
#include <string.h>

namespace {

enum { kNickSize = 1024 };

const char kNamesReplyProperty[] = "TalvoNamesReplyOpen";

// The first entry equal to text, ignoring case as the list box does, or
// LB_ERR. The box keeps its entries sorted by a case-blind compare in its
// own locale, the compare LB_FINDSTRINGEXACT matches with; searching by
// halves reads a few entries where the message reads every one of them,
// which in a channel of ten thousand makes every departure slow.
LRESULT FindEntry(HWND list, const char* text)
{
    if (!text[0])
        return LB_ERR;
    const LCID locale = (LCID)SendMessageA(list, LB_GETLOCALE, 0, 0);
    char entry[kNickSize];
    auto compareAt = [&](int index) {
        // Entries added here always fit; one that would not is never read.
        if (SendMessageA(list, LB_GETTEXTLEN, index, 0) >= (LRESULT)sizeof entry)
            return CSTR_GREATER_THAN;
        SendMessageA(list, LB_GETTEXT, index, (LPARAM)entry);
        return CompareStringA(locale, NORM_IGNORECASE, entry, -1, text, -1);
    };
    int low = 0;
    int high = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    const int count = high;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (compareAt(middle) == CSTR_LESS_THAN)
            low = middle + 1;
        else
            high = middle;
    }
    return low < count && compareAt(low) == CSTR_EQUAL ? low : LB_ERR;
}

// Deletes the first entry equal to text, ignoring case as the list box does.
bool DeleteEntry(HWND list, const char* text)
{
    const LRESULT index = FindEntry(list, text);
    if (index == LB_ERR)
        return false;
    SendMessageA(list, LB_DELETESTRING, index, 0);
    return true;
}

} // namespace

void CIrcClient::ClearUserList()
{
    SendMessageA(GetControl(IDC_USER_LIST), LB_RESETCONTENT, 0, 0);
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
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)name);
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
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)name);
}

void CIrcClient::RemoveUser(const char* nick)
{
    HWND list = GetControl(IDC_USER_LIST);
    char name[kNickSize];
    WordReader(nick).Next(name, sizeof name);
    char prefixed[kNickSize];

    if (DeleteEntry(list, name)) {
        m_nickPrefix = ' ';
        return;
    }
    snprintf(prefixed, sizeof prefixed, "@%s", name);
    if (DeleteEntry(list, prefixed)) {
        m_nickPrefix = '@';
        return;
    }
    m_nickPrefix = '+';
    snprintf(prefixed, sizeof prefixed, "+%s", name);
    DeleteEntry(list, prefixed);
}

bool CIrcClient::NotInUserList(const char* text) const
{
    HWND list = GetControl(IDC_USER_LIST);
    const int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    const size_t length = strlen(text);
    char entry[kNickSize];
    // Every entry added here is shorter than the buffer.
    if (length >= sizeof entry)
        return true;
    for (int i = 0; i < count; ++i) {
        // Only an entry of the same length can match, and it fits the buffer.
        if (SendMessageA(list, LB_GETTEXTLEN, i, 0) != (LRESULT)length)
            continue;
        if (SendMessageA(list, LB_GETTEXT, i, (LPARAM)entry) != LB_ERR && strcmp(entry, text) == 0)
            return false;
    }
    return true;
}
