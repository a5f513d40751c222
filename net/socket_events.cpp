// The one place that selects socket events and routes them, and the dialog's
// timers, to the handlers.
#include "client/irc_client.h"

void CIrcClient::SelectSocketEvents()
{
    WSAAsyncSelect(m_socket, m_hDialog, WM_SOCKET_EVENT, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE);
}

// wParam is the socket itself; events of any other (stale) socket are ignored.
INT_PTR CIrcClient::OnSocketEvent(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    if (!IsOwnSocket((SOCKET)wParam))
        return 0;
    switch (WSAGETSELECTEVENT(lParam)) {
    case FD_READ:    OnSocketRead();                          return 1;
    case FD_WRITE:   OnSocketWrite();                         return 1;
    case FD_CONNECT: OnSocketConnect(WSAGETSELECTERROR(lParam)); return 1;
    case FD_CLOSE:   OnSocketClose();                         return 1;
    default:         return DefWindowProcA(dialog, WM_SOCKET_EVENT, wParam, lParam);
    }
}

INT_PTR CIrcClient::OnDialogTimer(WPARAM id)
{
    switch (id) {
    case kSendTimer:      FlushSendQueue();   return 1;
    case kHandshakeTimer: OnHandshakeTimer(); return 1;
    default:              return 0;
    }
}
