// What the server connection posts to its window, and the window's timers
// it sets. No Windows types: the window's record names them too.
#pragma once

// Posted by Windows Sockets to the window: wParam is the socket itself, the
// low word of lParam the event, the high word its error code.
enum { WM_SOCKET_EVENT = 7576 };
// Posted by the name lookup's worker to the window: wParam is the request
// (net/host_lookup.h).
enum { WM_HOST_RESOLVED = 7577 };
// Posted by the certificate check's worker to the window: wParam is the
// request (net/certificate_check.h).
enum { WM_CERTIFICATE_CHECKED = 7579 };
// The outgoing queue's pace, the TLS handshake's time limit, the check that
// the server still answers, the wait before a dropped link is made again,
// the identify that waits for NickServ at a reconnect, SASL's time limit
// and the channel join that waits for NickServ's answer.
enum {
    kSendTimer = 1,
    kHandshakeTimer = 2,
    kLivenessTimer = 3,
    kReconnectTimer = 4,
    kIdentifyTimer = 5,
    kSaslTimer = 6,
    kJoinTimer = 7,
};
