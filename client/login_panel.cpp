// The login panel's three buttons: connecting, logging out and the nick
// change in two presses, with the panel's checks and their message boxes.
#include "client/irc_client.h"

#include "client/control_ids.h"
#include "client/login_rules.h"
#include "client/message_box.h"
#include "client/typed_text.h"
#include "net/outgoing_text.h"
#include "net/quit_reason.h"
#include "protocol/wire_text.h"
#include "protocol/tokens.h"

#include <initializer_list>

#include <stdio.h>
#include <string.h>

namespace {

const char kOtherData[] = "Введите другие данные";
const char kNickNotChanged[] = "Ник не изменен";

struct RefusalMessage {
    LoginRefusal refusal;
    const char* text;
    const char* caption;
};

const RefusalMessage kRefusalMessages[] = {
    { LoginRefusal::MissingData, "Не хватает данных", "Подключение не осуществлено" },
    { LoginRefusal::NickTooLong, "Слишком длинный ник", kOtherData },
    { LoginRefusal::PasswordTooShort, "Слишком короткий пароль", kOtherData },
    { LoginRefusal::PasswordTooLong, "Слишком длинный пароль", kOtherData },
    { LoginRefusal::EmailTooShort, "Слишком короткий e-mail", kOtherData },
    { LoginRefusal::EmailTooLong, "Слишком длинный e-mail", kOtherData },
    { LoginRefusal::EmailWithoutPassword,
      "Введите пароль если Ваш ник зарегистрирован или\n\t очистите поле ввода \"E-mail\"",
      "Информация" },
};

// True when nothing is refused; otherwise the refusal's box was shown.
bool Accepted(LoginRefusal refusal)
{
    for (const RefusalMessage& message : kRefusalMessages) {
        if (message.refusal == refusal)
            ShowMessageBox(message.text, message.caption);
    }
    return refusal == LoginRefusal::None;
}

// A field is read up to its first line break, whatever was pasted into it.
void ReadField(const CIrcClient& client, int id, char* text, int size)
{
    text[0] = '\0';
    GetWindowTextA(client.GetControl(id), text, size);
    CutAtLineBreak(text);
}

enum { kFieldSize = 1024, kWireFieldSize = 3 * kFieldSize };

void EnableControls(const CIrcClient& client, std::initializer_list<int> ids, BOOL enable)
{
    for (int id : ids)
        EnableWindow(client.GetControl(id), enable);
}

} // namespace

void CIrcClient::OnLoginButton()
{
    SetConnectedButtons();
    m_loginState = 2;
    if (ConnectFromPanel()) {
        ShowChatPanel();
        FitToWindow(m_hDialog);
    }
}

bool CIrcClient::ConnectFromPanel()
{
    ResetTabs(true);

    ReadField(*this, IDC_SERVER_LIST, m_szServer, 1023);
    ReadWireField(GetControl(IDC_NICK), m_szNick, sizeof m_szNick);
    char port[256];
    ReadField(*this, IDC_PORT, port, sizeof port);
    const PortChoice choice = ReadPort(port);
    m_port = choice.port;

    CopyText(m_szRealName, 20, "description");
    CopyText(m_szUserName, 20, "username");
    CopyText(m_szAltNick, 10, "alt_nick");

    if (!Accepted(CheckConnectFields(m_szServer, m_port, m_szNick)) || !ValidateLogin()) {
        ResetToLogin();
        return false;
    }
    // The server tab comes first, so that the connection's status lines, and
    // the reason when it cannot be made, are there to read.
    OpenTab(m_szServer);
    if (!Connect(m_port, choice.tls)) {
        m_showTabsPending = 1;
        ResetToLogin();
        return false;
    }
    EnableWindow(GetControl(IDC_LOGOUT), TRUE);
    m_connected = 1;

    if (!FindTab(m_szChannel))
        OpenTab("#marketbay");
    // Enabled again once the server confirms the channel join.
    EnableWindow(GetControl(IDC_INPUT), FALSE);
    return true;
}

// The lengths are the panel's, counted in the characters the user typed.
bool CIrcClient::ValidateLogin()
{
    char nick[kFieldSize];
    char password[kFieldSize];
    char email[kFieldSize];
    ShowNameInCp1251(m_szNick, nick, sizeof nick);
    ReadField(*this, IDC_PASSWORD, password, sizeof password);
    ReadField(*this, IDC_EMAIL, email, sizeof email);
    return Accepted(CheckLoginFields(nick, password, email));
}

void CIrcClient::OnLogoutButton()
{
    LogOut(kQuitReason);
}

void CIrcClient::LogOut(const char* reason)
{
    QuitServer(reason);
    m_connected = 0;
    ClearUserList();
    ResetTabs(true);
    ResetToLogin();
    ShowWindow(m_hTabCtrl, SW_HIDE);
}

void CIrcClient::OnDialogClose()
{
    // Without a connection there is nobody to say goodbye to; one still
    // being made ends here, before it could register.
    if (m_connected)
        QuitServer(kQuitReason);
    ClearUserList();
    ResetTabs(true);
    ResetToLogin();
}

void CIrcClient::OnChangeNickButton()
{
    if (m_nickEditLocked) {
        SetButtonImage(IDC_CHANGE_NICK, "IRCSkin/CHANGENICK_ACTIVATE.BMP");
        EnableControls(*this, { IDC_PASSWORD, IDC_NICK }, TRUE);
        m_nickEditLocked = 0;
        m_loginState = 1;
        UpdateNickPanel();
        return;
    }

    char nick[kWireFieldSize];
    ReadWireField(GetControl(IDC_NICK), nick, sizeof nick, 30);
    if (!nick[0]) {
        ShowMessageBox("Недостаточно данных для смены ника", kNickNotChanged);
        return;
    }
    char refusal[128];
    if (!FitsNickLength(nick, refusal, sizeof refusal)) {
        ShowMessageBox(refusal, kNickNotChanged);
        return;
    }
    EnableControls(*this, { IDC_NICK, IDC_PASSWORD }, FALSE);
    SetButtonImage(IDC_CHANGE_NICK, "IRCSkin/CHANGENICK.BMP");
    if (ValidateLogin())
        SendNickChange(nick);
    // The nick is ours once the server says so (its NICK line for us); a
    // refused one (432, 433) leaves the old nick.
    m_nickEditLocked = 1;
    m_loginState = 2;
    UpdateNickPanel();
}

// The server counts the bytes it receives against its NICKLEN: a longer
// nick would only come back refused.
bool CIrcClient::FitsNickLength(const char* nick, char* refusal, size_t size) const
{
    const int nickLength = Rules().nickLength;
    if (strlen(nick) <= (size_t)nickLength)
        return true;
    snprintf(refusal, size, "Сервер принимает ник не длиннее %d символов", nickLength);
    return false;
}

// A registered nick identifies with the password field's password.
void CIrcClient::SendNickChange(const char* nick)
{
    char password[kWireFieldSize];
    ReadWireField(GetControl(IDC_PASSWORD), password, sizeof password);
    SendNick(nick);
    if (password[0])
        SendIdentify(password);
}

void CIrcClient::ShowOwnNick()
{
    char shown[kFieldSize];
    ShowNameInCp1251(m_szNick, shown, sizeof shown);
    SetWindowTextA(GetControl(IDC_NICK), shown);
}

void CIrcClient::SetButtonImage(int id, const char* path)
{
    m_hBitmap = (HBITMAP)LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    // Every load goes to one button only, so the image it replaces is shown
    // nowhere any more.
    const HGDIOBJ replaced =
        (HGDIOBJ)SendMessageA(GetControl(id), BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)m_hBitmap);
    if (replaced)
        DeleteObject(replaced);
}

void CIrcClient::SetConnectedButtons()
{
    SetButtonImage(IDC_LOGIN, "IRCSkin/INPUT_DISABLE.BMP");
    SetButtonImage(IDC_LOGOUT, "IRCSkin/OUTPUT.BMP");
    SetButtonImage(IDC_CHANGE_NICK, "IRCSkin/CHANGENICK.BMP");
    EnableControls(*this, { IDC_NICK, IDC_PASSWORD, IDC_EMAIL, IDC_SERVER_LIST, IDC_PORT }, FALSE);
    // The nick fields start closed, even if a nick change was left open at
    // the last logout.
    m_nickEditLocked = 1;
}

void CIrcClient::SetDisconnectedButtons()
{
    SetButtonImage(IDC_LOGIN, "IRCSkin/INPUT.BMP");
    SetButtonImage(IDC_LOGOUT, "IRCSkin/OUTPUT_DISABLE.BMP");
    SetButtonImage(IDC_CHANGE_NICK, "IRCSkin/CHANGENICK_DISABLE.BMP");
    EnableControls(*this, { IDC_NICK, IDC_PASSWORD, IDC_EMAIL, IDC_SERVER_LIST, IDC_PORT }, TRUE);
}
