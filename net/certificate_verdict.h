// The verdict on the server's certificate from what the system's two calls
// answered, as plain numbers: any call that failed refuses, whatever error
// it left behind.
#pragma once

#include <stdint.h>

struct CertificateAnswers {
    bool chainBuilt;        // CertGetCertificateChain returned TRUE
    uint32_t chainError;    // GetLastError() when it did not
    bool policyApplied;     // CertVerifyCertificateChainPolicy returned TRUE
    uint32_t policyError;   // GetLastError() when it did not
    uint32_t policyStatus;  // the policy's own verdict (its dwError), 0 when the certificate passed
};

// E_FAIL: what the refusal names when a call failed and left no error.
const uint32_t kCertificateCheckFailed = 0x80004005u;

// 0 when the certificate passed; else the code the refusal names.
uint32_t JudgeCertificate(const CertificateAnswers& answers);
