// The window side of the client, for the line handlers built natively: tabs
// as names, the output as the format walk into a checked control, the user
// list as a list of names, and sent lines checked against the rules a server
// holds the client to. The handlers themselves (protocol/) are the module's.
#include "recording_client.h"

#include "checked_output.h"
#include "one_target.h"
#include "net/send_clock.h"
#include "output/format_walk.h"
#include "output/message_sound.h"
#include "output/received_text.h"
#include "protocol/local_time.h"
#include "protocol/numeric_time.h"
#include "protocol/tokens.h"
#include "protocol/words.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <map>
#include <string>
#include <vector>

namespace {

// A tab's page and its output are told apart by their low bit.
HWND PageOf(int slot) { return (HWND)(uintptr_t)(2 * slot + 2); }
HWND OutputOfSlot(int slot) { return (HWND)(uintptr_t)(2 * slot + 3); }

const HWND kControl = (HWND)(uintptr_t)0x10000;

std::map<std::string, HANDLE> g_properties;
int g_selected = -1;
int g_sounds = 0;
uint32_t g_ticks = 0;
std::vector<std::string> g_users;

DWORD Ticks() { return g_ticks += 97; }

bool IsLiveOutput(const CIrcClient& client, HWND output)
{
    const uintptr_t value = (uintptr_t)output;
    return value % 2 == 1 && value >= 3 && (int)(value - 3) / 2 < client.m_tabCount;
}

// The lines a received line may make the client send: a PONG, a QUIT, or
// a CTCP answer to one target.
bool IsAnswer(const char* line, size_t length)
{
    if (strncmp(line, "NOTICE ", 7) == 0) {
        const std::string target(line + 7, strcspn(line + 7, " "));
        return IsOneTarget(target.c_str()) && line[length - 1] == '\x01';
    }
    return strncmp(line, "PONG :", 6) == 0 || strncmp(line, "QUIT :", 6) == 0;
}

void DeleteUser(const char* entry)
{
    for (size_t i = 0; i < g_users.size(); ++i) {
        if (EqualsIgnoringAsciiCase(g_users[i].c_str(), entry)) {
            g_users.erase(g_users.begin() + i);
            return;
        }
    }
}

bool HasUser(const char* entry)
{
    for (const std::string& user : g_users) {
        if (EqualsIgnoringAsciiCase(user.c_str(), entry))
            return true;
    }
    return false;
}

} // namespace

DWORD(WINAPI* g_pfnSendTicks)() = &Ticks;

HANDLE GetPropA(HWND, const char* name)
{
    const auto found = g_properties.find(name);
    return found == g_properties.end() ? nullptr : found->second;
}

BOOL SetPropA(HWND, const char* name, HANDLE value)
{
    g_properties[name] = value;
    return TRUE;
}

HANDLE RemovePropA(HWND window, const char* name)
{
    HANDLE value = GetPropA(window, name);
    g_properties.erase(name);
    return value;
}

BOOL EnableWindow(HWND, BOOL) { return TRUE; }
BOOL ShowWindow(HWND, int) { return TRUE; }

LRESULT SendMessageA(HWND, UINT message, WPARAM, LPARAM)
{
    Expect(message == TCM_GETCURSEL);
    return g_selected;
}

// The calendar text of the module's runtime, with the native calendar
// standing in for it; the module's own texts are UTF-8 here (clang keeps
// literals as they are written), so the placeholder goes in as it is.
void LocalTimeText(int64_t seconds, char* text, size_t size)
{
    struct tm calendar;
    const time_t value = (time_t)seconds;
    if (seconds >= 0 && gmtime_r(&value, &calendar) && FormatCalendarTime(calendar, text, size))
        return;
    CopyText(text, size, "?");
}

void PlayMessageSound() { ++g_sounds; }
int MessageSoundRequests() { return g_sounds; }

void ForgetRecordedWindow()
{
    g_properties.clear();
    g_selected = -1;
    g_users.clear();
}

CIrcClient::CIrcClient(HWND hDialog)
{
    memset(static_cast<void*>(this), 0, sizeof *this);
    m_hDialog = hDialog;
    m_nickPrefix = ' ';
    m_tabs = new TabEntry[kMaxTabs];
    m_soundOn = 1;
    m_connected = 1;
}

CIrcClient::~CIrcClient()
{
    delete[] m_tabs;
}

HWND CIrcClient::GetControl(int) const { return kControl; }

HWND CIrcClient::FindTab(const char* name) const
{
    if (!name || !name[0])
        return NULL;
    for (int i = 0; i < m_tabCount; ++i) {
        if (strcmp(m_tabs[i].szName, name) == 0)
            return OutputOfSlot(i);
    }
    return NULL;
}

void CIrcClient::OpenTab(const char* name)
{
    if (m_tabCount >= kMaxTabs)
        return;
    if (name[0] == '+' || name[0] == '@' || name[0] == ' ')
        ++name;
    TabEntry& slot = m_tabs[m_tabCount];
    CopyText(slot.szName, sizeof slot.szName, name);
    slot.hPage = PageOf(m_tabCount);
    g_selected = m_tabCount++;
}

void CIrcClient::ResetTabs(bool all)
{
    m_tabCount = all || m_tabCount == 0 ? 0 : 1;
    g_selected = m_tabCount - 1;
}

const char* CIrcClient::GetCurrentTabName() const
{
    return g_selected >= 0 && g_selected < m_tabCount ? m_tabs[g_selected].szName : "";
}

void CIrcClient::MarkTabActivity(HWND output)
{
    Expect(output == NULL || IsLiveOutput(*this, output));
}

// As the module's: formatted in the line's encoding, walked into the
// control in order, never past the line's size.
void CIrcClient::PrintLine(HWND output, const char* format, ...)
{
    Expect(output == NULL || IsLiveOutput(*this, output));
    if (!format)
        return;
    char text[kFormattedLineSize];
    va_list args;
    va_start(args, format);
    FormatLine(text, format, args);
    va_end(args);
    Expect(strlen(text) < sizeof text);

    CheckedOutput checked;
    const LineContext context = { m_szNick, m_ownLinePending == 1, m_soundOn == 1 };
    const bool ownLineDrawn = WalkFormattedLine(text, context, checked);
    Expect(checked.scrolled == (checked.calls > 0) && (!ownLineDrawn || context.ownLine));
    if (ownLineDrawn)
        m_ownLinePending = 0;
}

// Each line whole, ended by CR LF and by nothing before it, within 512
// bytes, and one a received line may cause.
int CIrcClient::SendLine(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int length = vsnprintf(m_sendBuf, sizeof m_sendBuf, format, args);
    va_end(args);
    Expect(length >= 0 && (size_t)length < sizeof m_sendBuf);
    for (const char* line = m_sendBuf; *line;) {
        const size_t end = strcspn(line, "\r\n");
        Expect(end > 0 && strncmp(line + end, "\r\n", 2) == 0 && end + 2 <= 512 && IsAnswer(line, end));
        line += end + 2;
    }
    return length;
}

void CIrcClient::LeaveServer()
{
    SendLine("QUIT :%s\r\n", "leaving");
    m_connected = 0;
}

bool CIrcClient::SendPacedAnswer(const char* answer)
{
    SendLine("%s", answer);
    return true;
}

void CIrcClient::ResetToLogin() {}
void CIrcClient::ShowOwnNick() {}
bool CIrcClient::IsRegistered() const { return true; }
void CIrcClient::OnWelcome() {}
void CIrcClient::OnNotRegistered(const char*) {}

void CIrcClient::ClearUserList() { g_users.clear(); }

bool CIrcClient::OpenNamesReply()
{
    if (GetPropA(m_hDialog, "names"))
        return false;
    SetPropA(m_hDialog, "names", (HANDLE)1);
    return true;
}

void CIrcClient::CloseNamesReply() { RemovePropA(m_hDialog, "names"); }

void CIrcClient::AddUserNames(const char* names)
{
    WordReader words(names);
    char name[1024];
    while (words.Remainder()[0] != '\0' && g_users.size() < 4096) {
        words.Next(name, sizeof name);
        g_users.push_back(name);
    }
}

void CIrcClient::AddUser(const char* nick)
{
    char name[1024];
    if (m_nickPrefix == '@') {
        snprintf(name, sizeof name, "@%s", nick);
        m_nickPrefix = ' ';
    } else {
        WordReader(nick).Next(name, sizeof name);
    }
    if (g_users.size() < 4096)
        g_users.push_back(name);
}

// Records the form found as the module does: ' ', '@', or '+' for a voiced
// nick or none.
void CIrcClient::RemoveUser(const char* nick)
{
    char name[1024];
    WordReader(nick).Next(name, sizeof name);
    const std::string forms[] = { name, std::string("@") + name, std::string("+") + name };
    const char marks[] = { ' ', '@', '+' };
    for (int i = 0; i < 3; ++i) {
        if (HasUser(forms[i].c_str()) || i == 2) {
            DeleteUser(forms[i].c_str());
            m_nickPrefix = marks[i];
            return;
        }
    }
}

bool CIrcClient::NotInUserList(const char* text) const
{
    for (const std::string& user : g_users) {
        if (user == text)
            return false;
    }
    return true;
}
