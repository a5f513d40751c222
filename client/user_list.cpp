// The channel's user list (list box 1065): entries are nicks, some with a
// leading '@' (operator) or '+' (voiced), kept in the box's sorted order.
#include "client/user_list.h"

#include "client/irc_client.h"

#include "client/control_font.h"
#include "client/control_ids.h"
#include "protocol/wire_text.h"
#include "protocol/tokens.h"
#include "protocol/words.h"

#include <stdio.h>
#include <string.h>

namespace {

enum { kNickSize = 1024 };

const char kNamesReplyProperty[] = "TalvoNamesReplyOpen";

void AddEntry(HWND list, const char* wire)
{
    char shown[kNickSize];
    ShowNameInCp1251(wire, shown, sizeof shown);
    const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)shown);
    if (index < 0)
        return;
    const size_t size = strlen(wire) + 1;
    char* copy = new char[size];
    memcpy(copy, wire, size);
    SendMessageA(list, LB_SETITEMDATA, index, (LPARAM)copy);
}

void DeleteEntryAt(HWND list, int index)
{
    delete[] (char*)SendMessageA(list, LB_GETITEMDATA, index, 0);
    SendMessageA(list, LB_DELETESTRING, index, 0);
}

// The entry listed as `wire`, ignoring the case of ASCII letters, or LB_ERR.
// The box keeps its entries sorted by a case-blind compare of their texts in
// its own locale; searching by halves reads a few entries where a search
// from the top reads every one of them, which in a channel of ten thousand
// makes every departure slow. Names that show alike (letters code page 1251
// lacks) stand side by side; their wire forms tell them apart.
// The box took its ANSI texts in the system code page, whatever its locale's
// own: the compare reads them the same way (LOCALE_USE_CP_ACP), or under a
// user locale of another code page its order is not the box's.
LRESULT FindEntry(HWND list, const char* wire)
{
    if (!wire[0])
        return LB_ERR;
    char shown[kNickSize];
    ShowNameInCp1251(wire, shown, sizeof shown);
    const LCID locale = (LCID)SendMessageA(list, LB_GETLOCALE, 0, 0);
    char entry[kNickSize];
    auto compareAt = [&](int index) {
        // Entries added here always fit; one that would not is never read.
        if (SendMessageA(list, LB_GETTEXTLEN, index, 0) >= (LRESULT)sizeof entry)
            return CSTR_GREATER_THAN;
        SendMessageA(list, LB_GETTEXT, index, (LPARAM)entry);
        return CompareStringA(locale, NORM_IGNORECASE | LOCALE_USE_CP_ACP, entry, -1, shown, -1);
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
    for (int index = low; index < count && compareAt(index) == CSTR_EQUAL; ++index) {
        if (EqualsIgnoringAsciiCase(UserListWireEntry(list, index), wire))
            return index;
    }
    return LB_ERR;
}

// Deletes the entry listed as `wire`, ignoring the case of ASCII letters.
bool DeleteEntry(HWND list, const char* wire)
{
    const LRESULT index = FindEntry(list, wire);
    if (index == LB_ERR)
        return false;
    DeleteEntryAt(list, (int)index);
    return true;
}

} // namespace

const char* UserListWireEntry(HWND list, int index)
{
    const LRESULT data = SendMessageA(list, LB_GETITEMDATA, index, 0);
    return data == LB_ERR || data == 0 ? "" : (const char*)data;
}

const char* NickOfUserListEntry(const char* entry)
{
    return entry[0] == '@' || entry[0] == '+' ? entry + 1 : entry;
}

void CIrcClient::ClearUserList()
{
    HWND list = GetControl(IDC_USER_LIST);
    const int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i)
        delete[] (char*)SendMessageA(list, LB_GETITEMDATA, i, 0);
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
        AddEntry(list, name);
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
    AddEntry(list, name);
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
    for (int i = 0; i < count; ++i) {
        if (strcmp(UserListWireEntry(list, i), text) == 0)
            return false;
    }
    return true;
}
