// Checking the server's certificate away from the window's thread: building
// its chain may fetch a missing intermediate over the network, which the
// window must never wait for.
#pragma once

#include "net/worker_request.h"

#include <windows.h>
#include <wincrypt.h>

#include <stdint.h>

// Each URL the chain's building fetches (a missing intermediate) is given up
// on after this long; the handshake's own limit ends a longer check.
const DWORD kCertificateUrlTimeoutMs = 10000;

// The check the worker runs: 0 when certificate chains to a trusted root
// and names host, else the code of what failed. Tests put one of their
// own here.
extern uint32_t (*g_pfnCheckCertificate)(PCCERT_CONTEXT certificate, const wchar_t* host);

// One check, let go of by the window with Release.
class CCertificateCheck : public CWorkerRequest {
public:
    // Takes over certificate: it is freed with the request. NULL when the
    // worker cannot be started. The answer comes to dialog as
    // WM_CERTIFICATE_CHECKED with the request as wParam.
    static CCertificateCheck* Start(HWND dialog, PCCERT_CONTEXT certificate, const wchar_t* host);

    // Once answered: 0 when the certificate passed, else what failed.
    uint32_t Error() const { return m_error; }

private:
    CCertificateCheck(HWND dialog, PCCERT_CONTEXT certificate, const wchar_t* host);
    ~CCertificateCheck() override;

    void Answer() override;

    PCCERT_CONTEXT m_certificate;
    uint32_t m_error;
    wchar_t m_wszHost[256];
};
