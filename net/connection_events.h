// What a server connection tells the window it belongs to. The connection
// knows nothing of controls or texts: the window shows what each event means.
#pragma once

#include "net/tls_session.h"

#include <stdint.h>

// Why a connection could not be made.
enum class ConnectionFailure {
    SocketLibrary,  // WSAStartup failed
    NoAnswer,       // the server's name was not resolved
    Socket,         // no socket could be made
    Connect,        // the server did not take the connection
    TlsRefused,     // the TLS handshake or the certificate refused it
};

// Why a connection that was made has ended.
enum class CloseReason {
    ServerClosed,  // the server closed it
    TlsError,      // its encryption broke
    NoAnswer,      // nothing came, not even the answer to our PING
};

struct FailureReport {
    ConnectionFailure failure;
    TlsRefusal refusal;  // for TlsRefused
    uint32_t code;       // the system's code of a refusal that has one, else 0
};

// OnConnecting and OnAllLinesSent only show a line; any other event may
// end the connection (the window deletes it), and the connection touches
// nothing of itself after such an event.
class IConnectionEvents {
public:
    // The socket library is ready and the server is being looked for.
    virtual void OnConnecting() = 0;
    // The connection can carry the registration; tlsProtocol describes the
    // encryption, NULL on a plain connection.
    virtual void OnConnected(const char* tlsProtocol) = 0;
    // A whole line is in the line buffer the connection was given; false
    // leaves the rest of what was read unread.
    virtual bool OnLineReceived() = 0;
    // Text has arrived: the window takes its lines with
    // CServerConnection::TakeArrivedLines, holding its drawing back around it.
    virtual void OnTextArrived() = 0;
    // A connection being made failed.
    virtual void OnFailed(const FailureReport& report) = 0;
    // The connection that was made has ended.
    virtual void OnClosed(CloseReason reason) = 0;
    // Every line that waited for the pace has gone.
    virtual void OnAllLinesSent() = 0;
    // The server refused these before its welcome and has welcomed us now.
    virtual void OnSendAgainAfterWelcome(bool servicesLogin, bool join) = 0;

protected:
    ~IConnectionEvents() {}
};
