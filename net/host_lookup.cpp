#include "net/host_lookup.h"

#include "net/window_messages.h"
#include "protocol/tokens.h"

#include <ws2tcpip.h>

#include <string.h>

namespace {

bool ResolveWithSystem(const char* host, in_addr* address)
{
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = NULL;
    if (getaddrinfo(host, NULL, &hints, &found) != 0 || !found)
        return false;
    *address = ((const sockaddr_in*)found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

} // namespace

bool (*g_pfnResolveHost)(const char* host, in_addr* address) = &ResolveWithSystem;

CHostLookup::CHostLookup(HWND dialog, const char* host, unsigned short port, bool tls)
    : CWorkerRequest(dialog, WM_HOST_RESOLVED), m_port(port), m_tls(tls), m_found(false), m_address()
{
    CopyText(m_szHost, sizeof m_szHost, host);
}

CHostLookup* CHostLookup::Start(HWND dialog, const char* host, unsigned short port, bool tls)
{
    CHostLookup* lookup = new CHostLookup(dialog, host, port, tls);
    return StartWorker(lookup) ? lookup : NULL;
}

// The worker has its own socket library reference: the window may drop
// its own while the resolver waits.
void CHostLookup::Answer()
{
    WSADATA data;
    const bool started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    m_found = started && g_pfnResolveHost(m_szHost, &m_address);
    if (started)
        WSACleanup();
}
