// The client record behind the handlers' view of the window, and the entry
// of each received line.
#include "client/client_window.h"

#include "client/chat_connection.h"
#include "client/control_ids.h"
#include "client/input_keys.h"
#include "output/message_sound.h"
#include "output/output_batch.h"
#include "protocol/received_line.h"
#include "protocol/tokens.h"

namespace {

// A conversation is its output control.
HWND OutputOf(Conversation* conversation) { return reinterpret_cast<HWND>(conversation); }

} // namespace

void CIrcClient::ProcessLine()
{
    CClientWindow window(*this);
    HandleReceivedLine(window, m_ioBuf, sizeof m_ioBuf);
}

const char* CClientWindow::OwnNick() const { return m_client.m_szNick; }
const char* CClientWindow::ServerName() const { return m_client.m_szServer; }
const char* CClientWindow::ChannelName() const { return m_client.m_szChannel; }

void CClientWindow::SetChannelName(const char* channel)
{
    CopyText(m_client.m_szChannel, sizeof m_client.m_szChannel, channel);
}

void CClientWindow::ChangeOwnNick(const char* nick)
{
    if (CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog))
        chat->ForgetStandInNick();
    CopyText(m_client.m_szNick, sizeof m_client.m_szNick, nick);
    m_client.ShowOwnNick();
}

void CClientWindow::ShowOwnNick() { m_client.ShowOwnNick(); }

Conversation* CClientWindow::FindConversation(const char* name)
{
    return reinterpret_cast<Conversation*>(m_client.FindTab(name));
}

void CClientWindow::OpenConversation(const char* name) { m_client.OpenTab(name); }
const char* CClientWindow::SelectedConversationName() const { return m_client.GetCurrentTabName(); }

void CClientWindow::ShowSelectedConversation()
{
    HWND page = m_client.GetCurrentPage();
    if (page)
        ShowWindow(page, SW_SHOW);
}

void CClientWindow::MarkActivity(Conversation* conversation) { m_client.MarkTabActivity(OutputOf(conversation)); }

void CClientWindow::PrintLineArgs(Conversation* conversation, const char* format, va_list args)
{
    m_client.PrintLineArgs(OutputOf(conversation), format, args);
}

void CClientWindow::EnableInput(bool enable)
{
    EnableWindow(m_client.GetControl(IDC_INPUT), enable ? TRUE : FALSE);
}

// The record's user list carries an operator's mark from a removal to the
// next addition; here each addition is given its entry whole, so the carried
// mark is forgotten.
void CClientWindow::AddUser(const char* entry)
{
    m_client.m_nickPrefix = ' ';
    m_client.AddUser(entry);
}

void CClientWindow::AddUserNames(const char* names) { m_client.AddUserNames(names); }

bool CClientWindow::RemoveUser(const char* nick, char* symbols, size_t size)
{
    return m_client.RemoveUser(nick, symbols, size);
}

bool CClientWindow::HoldsStatus(const char* nick, char symbol) const { return m_client.HoldsStatus(nick, symbol); }

void CClientWindow::SetUserStatus(const char* nick, char symbol, bool held)
{
    m_client.SetUserStatus(nick, symbol, held);
}

void CClientWindow::ClearUserList() { m_client.ClearUserList(); }
bool CClientWindow::OpenNamesReply() { return m_client.OpenNamesReply(); }
void CClientWindow::CloseNamesReply() { m_client.CloseNamesReply(); }

void CClientWindow::SendLine(const char* lines) { m_client.SendLine("%s", lines); }
bool CClientWindow::SendPacedAnswer(const char* answer) { return m_client.SendPacedAnswer(answer); }
bool CClientWindow::IsRegistered() const { return m_client.IsRegistered(); }
void CClientWindow::OnWelcome() { m_client.OnWelcome(); }
const ServerRules& CClientWindow::Rules() const { return m_client.Rules(); }

bool CClientWindow::IsIgnored(const char* nick) const
{
    const CIgnoreList* ignored = m_client.FindIgnoredNicks();
    return ignored && ignored->Contains(Rules().caseMapping, nick);
}
void CClientWindow::ReadServerRules(const char* params) { m_client.ReadServerRules(params); }
void CClientWindow::OnNotRegistered(const char* rest) { m_client.OnNotRegistered(rest); }
int64_t CClientWindow::PingSendTime(int slot) const { return m_client.m_pingTimes[slot]; }

bool CClientWindow::IsReconnect() const
{
    const CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog);
    return chat && chat->IsReconnect();
}

const char* CClientWindow::UserNick() const
{
    const CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog);
    return chat ? chat->UserNick() : m_client.m_szNick;
}

int CClientWindow::NickRetries() const
{
    const CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog);
    return chat ? chat->NickRetries() : 0;
}

void CClientWindow::TryNick(const char* nick)
{
    if (CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog))
        chat->TryNick(nick);
}

void CClientWindow::AwaitNickServ()
{
    if (CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog))
        chat->AwaitNickServ();
}

void CClientWindow::OnNickServNotice(bool asksToIdentify)
{
    if (CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog))
        chat->OnNickServNotice(asksToIdentify);
}

CCapNegotiation* CClientWindow::Capabilities()
{
    CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog);
    return chat && chat->Server() ? &chat->Server()->Capabilities() : nullptr;
}

size_t CClientWindow::ReadSaslCredentials(char* credentials, size_t size)
{
    return m_client.ReadSaslCredentials(credentials, size);
}

void CClientWindow::OnSaslStarted()
{
    if (CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog))
        chat->OnSaslStarted();
}

void CClientWindow::OnSaslEnded()
{
    if (CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog))
        chat->OnSaslEnded();
}

void CClientWindow::OnLoggedIn()
{
    if (CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog))
        chat->ReleaseJoin();
}

void CClientWindow::ReturnToLoginPanel()
{
    if (CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog))
        chat->EndSession();
    m_client.ClearUserList();
    m_client.ResetTabs(false);
    m_client.ResetToLogin();
    // The server closes next: the login panel shows the server tab then.
    m_client.m_showTabsPending = 1;
}

void CClientWindow::OnServerError(const char* reason)
{
    CChatConnection* chat = CChatConnection::Of(m_client.m_hDialog);
    if (chat && chat->MayReconnect())
        chat->NoteDropReason(reason);
    else
        ReturnToLoginPanel();
}

void CClientWindow::LeaveForLoginPanel()
{
    m_client.m_showTabsPending = 1;
    m_client.ClearUserList();
    m_client.ResetToLogin();
    m_client.ResetTabs(false);
    m_client.LeaveServer();
}

int CClientWindow::MessageSoundRequests() const { return ::MessageSoundRequests(); }

void CClientWindow::PlayMessageSound()
{
    if (m_client.m_soundOn != 1)
        return;
    if (COutputBatch* batch = COutputBatch::OpenFor(m_client.m_hDialog))
        batch->AskForSound();
    else
        ::PlayMessageSound();
}

void CClientWindow::NoteChannelSpeaker(const char* nick)
{
    ::NoteChannelSpeaker(m_client.GetControl(IDC_INPUT), nick);
}
