#include "net/host_lookup.h"

#include "client/irc_client.h"
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
    : m_references(2), m_answered(0), m_hDialog(dialog), m_hModule(NULL), m_port(port), m_tls(tls), m_found(false),
      m_address()
{
    CopyText(m_szHost, sizeof m_szHost, host);
}

CHostLookup* CHostLookup::Start(HWND dialog, const char* host, unsigned short port, bool tls)
{
    CHostLookup* lookup = new CHostLookup(dialog, host, port, tls);
    // The worker keeps the module loaded until it has returned: a host may
    // unload it while the resolver still waits. Without that hold no worker
    // may start.
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)&CHostLookup::Resolve,
                            &lookup->m_hModule)) {
        delete lookup;
        return NULL;
    }
    HANDLE worker = CreateThread(NULL, 0, &CHostLookup::Resolve, lookup, 0, NULL);
    if (!worker) {
        FreeLibrary(lookup->m_hModule);
        delete lookup;
        return NULL;
    }
    CloseHandle(worker);
    return lookup;
}

void CHostLookup::Release()
{
    if (InterlockedDecrement(&m_references) == 0)
        delete this;
}

// The worker has its own socket library reference: the window may drop
// its own while the resolver waits.
DWORD WINAPI CHostLookup::Resolve(void* request)
{
    CHostLookup* lookup = (CHostLookup*)request;
    WSADATA data;
    const bool started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    // No exception may leave the thread: it would end the host.
    try {
        lookup->m_found = started && g_pfnResolveHost(lookup->m_szHost, &lookup->m_address);
    } catch (...) {
        lookup->m_found = false;
    }
    if (started)
        WSACleanup();
    InterlockedExchange(&lookup->m_answered, 1);
    // Fails harmlessly when the dialog is gone.
    PostMessageA(lookup->m_hDialog, WM_HOST_RESOLVED, (WPARAM)lookup, 0);
    const HMODULE module = lookup->m_hModule;
    lookup->Release();
    FreeLibraryAndExitThread(module, 0);
    return 0;
}
