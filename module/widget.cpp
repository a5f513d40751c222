#include "module/widget.h"

#include "client/control_ids.h"
#include "client/input_keys.h"
#include "client/input_paste.h"
#include "client/irc_client.h"
#include "client/message_box.h"
#include "client/port_field.h"
#include "module/module.h"
#include "net/quit_reason.h"

#include <stdio.h>

namespace {

// Key events of the input line arrive as EN_MSGFILTER notifications.
const LPARAM kInputEventMask = ENM_CHANGE | ENM_KEYEVENTS | ENM_MOUSEEVENTS;
// A paste of many lines is taken whole; what the send queue cannot take is
// refused visibly when Enter sends it.
const LPARAM kInputTextLimit = 65536;

} // namespace

CWidget::CWidget(HWND parent)
    : m_hDialog(NULL), m_hParent(parent), m_hInstance(NULL), m_client(NULL), m_messagesInHand(0)
{
    InitCommonControls();
    m_client = new CIrcClient(NULL);
    m_hInstance = g_hModuleInstance;

    m_hDialog = CreateDialogParamA(m_hInstance, MAKEINTRESOURCEA(IDD_CHAT), m_hParent, DialogProc, 0);
    // The window stays listed with a null dialog; everything on it then
    // acts on nothing.
    if (!m_hDialog) {
        ShowLastError("Constructor");
        return;
    }

    m_client->m_loginState = 0;
    m_client->m_hInstance = m_hInstance;
    m_client->m_hHostWnd = m_hParent;
    m_client->m_hDialog = m_hDialog;

    m_client->FillServerList();
    FilterPortTyping(m_client->GetControl(IDC_PORT));

    HWND input = m_client->GetControl(IDC_INPUT);
    SetWindowLongPtrA(input, GWLP_USERDATA, 0);
    SendMessageA(input, EM_SETEVENTMASK, 0, kInputEventMask);
    SendMessageA(input, EM_SETBKGNDCOLOR, 0, RGB(240, 240, 240));
    SendMessageA(input, EM_EXLIMITTEXT, 0, kInputTextLimit);
    // One line high and many lines long: it scrolls sideways as a
    // single-line field does instead of wrapping out of sight.
    SendMessageA(input, EM_SETTARGETDEVICE, 0, 1);
    TakeOverInputPastes(input);
    TakeOverInputKeys(input);

    m_client->InitTabControl();

    SetFocus(m_client->GetControl(IDC_NICK));
    SetActiveWindow(m_hDialog);

    m_client->SetButtonImage(IDC_LOGIN, "IRCSkin/INPUT.BMP");
    m_client->SetButtonImage(IDC_LOGOUT, "IRCSkin/OUTPUT_DISABLE.BMP");
    m_client->SetButtonImage(IDC_CHANGE_NICK, "IRCSkin/CHANGENICK_DISABLE.BMP");
    m_client->SetButtonImage(IDC_CONTROLS, "IRCSkin/SHOW_CONTROLS.BMP");
    m_client->SetButtonImage(IDC_SOUND, "IRCSkin/SOUND_ENABLE.BMP");

    Resize();
}

// The window has already left the module's list: no message of the dialog
// reaches the client once it is deleted.
CWidget::~CWidget()
{
    if (m_client->m_loginState != 0) {
        m_client->SendQuit(kQuitReason);
        m_client->ClearUserList();
        m_client->ResetTabs(true);
    }
    delete m_client;
    if (m_hDialog)
        DestroyWindow(m_hDialog);
}

// A handler still at work on the record (inside a message box) keeps it
// until it is done; what needs the dialog goes now: the goodbye, the
// connection's state kept on the dialog, the user list's names, the pages.
bool CWidget::OnDialogDestroyed()
{
    m_hDialog = NULL;
    if (m_messagesInHand == 0)
        return true;
    if (m_client->m_loginState != 0 || m_client->m_socket != 0)
        m_client->LeaveServer();
    m_client->ClearUserList();
    m_client->ResetTabs(true);
    return false;
}

BOOL CWidget::Show(bool show)
{
    return ShowWindow(m_hDialog, show ? SW_SHOW : SW_HIDE);
}

void CWidget::Resize()
{
    m_client->FitToWindow(m_hParent);
}

void ShowLastError(const char* operation)
{
    const DWORD error = GetLastError();
    char* systemText = NULL;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, NULL, error,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&systemText, 0, NULL);
    char text[80];
    snprintf(text, sizeof text, "%s failed with error %d: %s", operation, (int)error,
             systemText ? systemText : "");
    ShowMessageBox(text, "Error");
    LocalFree(systemText);
}
