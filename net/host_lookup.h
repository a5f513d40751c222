// Resolving the server's name away from the window's thread: a worker asks
// the resolver and posts the answer to the chat dialog.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "net/worker_request.h"

// The resolver the worker asks: true with the server's IPv4 address.
// Tests put a resolver of their own here.
extern bool (*g_pfnResolveHost)(const char* host, in_addr* address);

// One request, let go of by the window with Release.
class CHostLookup : public CWorkerRequest {
public:
    // Starts the worker; NULL when it cannot be started. The answer comes
    // to dialog as WM_HOST_RESOLVED with the request as wParam.
    // The port and the TLS choice wait with the request for the answer.
    static CHostLookup* Start(HWND dialog, const char* host, unsigned short port, bool tls);

    // The answer has come: Found says whether the name was resolved.
    bool Found() const { return m_found; }
    in_addr Address() const { return m_address; }
    unsigned short Port() const { return m_port; }
    bool Tls() const { return m_tls; }

private:
    CHostLookup(HWND dialog, const char* host, unsigned short port, bool tls);

    void Answer() override;

    unsigned short m_port;
    bool m_tls;
    bool m_found;
    in_addr m_address;
    char m_szHost[1024];
};
