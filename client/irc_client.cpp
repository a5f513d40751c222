#include "client/irc_client.h"

#include "client/control_font.h"
#include "client/control_ids.h"
#include "output/scrollback_control.h"

#include <string.h>

CIrcClient::CIrcClient(HWND hDialog)
{
    // Every field without an initial value starts zeroed: buffers empty,
    // handles null, the CTCP PING send times unset.
    memset(static_cast<void*>(this), 0, sizeof *this);

    m_hImageList = ImageList_LoadImageA(NULL, "IRCSkin/MESSAGE.BMP", 16, 1, CLR_DEFAULT,
                                        IMAGE_BITMAP, LR_LOADFROMFILE);
    m_showTabsPending = 0;
    m_nickEditLocked = 1;
    m_socket = 0;
    m_lineLen = 0;
    m_hDialog = hDialog;
    m_port = 6697;
    m_connected = 0;
    m_ownLinePending = 0;
    m_nickPrefix = ' ';
    m_tabs = new TabEntry[kMaxTabs];
    m_tabCount = 0;
    m_tabHighWater = 0;
    m_soundOn = 1;
    m_controlsShown = 0;
    // The painted labels are Windows-1251 text and each must fit the gap of
    // 7 characters' width left of its field: a Cyrillic character set, a
    // fixed pitch (Courier is a typewriter face) and 7-pixel characters.
    m_hFont = CreateFontA(15, 7, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          FF_MODERN | FIXED_PITCH, "Courier");
}

CIrcClient::~CIrcClient()
{
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    if (m_hImageList)
        ImageList_Remove(m_hImageList, -1);
    if (m_tabCount != 0)
        ResetToLogin();
    DeleteObject(m_hFont);
    // The list's entries hold copies of their names.
    ClearUserList();
    ReleaseTahomaFont(m_hTabCtrl);
    ReleaseTahomaFont(GetControl(IDC_USER_LIST));
    delete[] m_tabs;
    CancelScrollbackCheck(m_hDialog);
    ForgetIgnoredNicks();
    // A window closed while connected releases its socket and its socket
    // library reference; nobody would ever see that connection's close.
    if (Server()) {
        FinishSending();
        EndConnection();
    }
}

bool CIrcClient::IsOwnSocket(SOCKET socket) const
{
    return socket == m_socket;
}

namespace {

// The controls found last, on this thread. Looking a child up by id is a
// round trip to the window server under Wine, and the handlers of most
// received lines look up the user list; a remembered handle is used only
// while it is still that dialog's child with that id.
struct FoundControl {
    HWND hDialog;
    int id;
    HWND hControl;
};
thread_local FoundControl t_found[8];
thread_local unsigned t_nextFound;

bool StillControl(const FoundControl& found, HWND dialog, int id)
{
    return found.hControl && found.hDialog == dialog && found.id == id && IsWindow(found.hControl) &&
           (HWND)GetWindowLongPtrA(found.hControl, GWLP_HWNDPARENT) == dialog &&
           GetWindowLongPtrA(found.hControl, GWLP_ID) == id;
}

} // namespace

HWND CIrcClient::GetControl(int id) const
{
    for (const FoundControl& found : t_found)
        if (StillControl(found, m_hDialog, id))
            return found.hControl;
    HWND control = GetDlgItem(m_hDialog, id);
    if (control)
        t_found[t_nextFound++ % (sizeof t_found / sizeof t_found[0])] = { m_hDialog, id, control };
    return control;
}
