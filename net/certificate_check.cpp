// CERT_CHAIN_PARA carries its URL retrieval time limit only with this
// defined before wincrypt.h; the fields it adds are zeroed.
#define CERT_CHAIN_PARA_HAS_EXTRA_FIELDS
#include "net/certificate_check.h"

#include "net/window_messages.h"
#include "net/certificate_verdict.h"

#include <wchar.h>

namespace {

// The chain's end certificate is cached for the next connection's check.
// Revocation is not asked for: no CRL or OCSP is fetched.
const DWORD kChainFlags = CERT_CHAIN_CACHE_END_CERT;

uint32_t CheckWithSystem(PCCERT_CONTEXT certificate, const wchar_t* host)
{
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = { serverAuth };
    CERT_CHAIN_PARA chainPara = {};
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    chainPara.dwUrlRetrievalTimeout = kCertificateUrlTimeoutMs;

    CertificateAnswers answers = {};
    PCCERT_CHAIN_CONTEXT chain = NULL;
    answers.chainBuilt = CertGetCertificateChain(NULL, certificate, NULL, certificate->hCertStore, &chainPara,
                                                 kChainFlags, NULL, &chain) != FALSE;
    if (!answers.chainBuilt) {
        answers.chainError = GetLastError();
        return JudgeCertificate(answers);
    }
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = (wchar_t*)host;
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof status;
    answers.policyApplied = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) != FALSE;
    if (answers.policyApplied)
        answers.policyStatus = status.dwError;
    else
        answers.policyError = GetLastError();
    CertFreeCertificateChain(chain);
    return JudgeCertificate(answers);
}

} // namespace

uint32_t (*g_pfnCheckCertificate)(PCCERT_CONTEXT certificate, const wchar_t* host) = &CheckWithSystem;

CCertificateCheck::CCertificateCheck(HWND dialog, PCCERT_CONTEXT certificate, const wchar_t* host)
    : CWorkerRequest(dialog, WM_CERTIFICATE_CHECKED), m_certificate(certificate), m_error(kCertificateCheckFailed),
      m_wszHost()
{
    wcsncpy(m_wszHost, host, sizeof m_wszHost / sizeof m_wszHost[0] - 1);
}

CCertificateCheck::~CCertificateCheck()
{
    CertFreeCertificateContext(m_certificate);
}

CCertificateCheck* CCertificateCheck::Start(HWND dialog, PCCERT_CONTEXT certificate, const wchar_t* host)
{
    CCertificateCheck* check = new CCertificateCheck(dialog, certificate, host);
    return StartWorker(check) ? check : NULL;
}

void CCertificateCheck::Answer()
{
    m_error = g_pfnCheckCertificate(m_certificate, m_wszHost);
}
