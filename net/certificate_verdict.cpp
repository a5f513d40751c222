#include "net/certificate_verdict.h"

namespace {

uint32_t FailedCall(uint32_t error)
{
    return error != 0 ? error : kCertificateCheckFailed;
}

} // namespace

uint32_t JudgeCertificate(const CertificateAnswers& answers)
{
    if (!answers.chainBuilt)
        return FailedCall(answers.chainError);
    if (!answers.policyApplied)
        return FailedCall(answers.policyError);
    return answers.policyStatus;
}
