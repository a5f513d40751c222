// The verdict on the server's certificate: every way the system's two
// calls can answer, and only a clean pass accepts.
#include "net/certificate_verdict.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const uint32_t kUntrustedRoot = 0x800B0109u;  // CERT_E_UNTRUSTEDROOT
const uint32_t kWrongName = 0x800B010Fu;      // CERT_E_CN_NO_MATCH
const uint32_t kNotFound = 0x80092004u;       // CRYPT_E_NOT_FOUND

struct VerdictRow {
    const char* name;
    CertificateAnswers answers;
    uint32_t verdict;
};

class CertificateVerdict : public ::testing::TestWithParam<VerdictRow> {};

TEST_P(CertificateVerdict, OnlyACleanPassAccepts)
{
    EXPECT_EQ(GetParam().verdict, JudgeCertificate(GetParam().answers));
}

// A failed call says nothing of the fields after it: they are filled as if
// all had passed, so that only the failure itself can refuse.
INSTANTIATE_TEST_SUITE_P(
    Answers, CertificateVerdict,
    ::testing::Values(
        VerdictRow{ "all_good", { true, 0, true, 0, 0 }, 0 },
        VerdictRow{ "chain_false_error_0", { false, 0, true, 0, 0 }, kCertificateCheckFailed },
        VerdictRow{ "chain_false_with_error", { false, kNotFound, true, 0, 0 }, kNotFound },
        VerdictRow{ "policy_false_error_0", { true, 0, false, 0, 0 }, kCertificateCheckFailed },
        VerdictRow{ "policy_false_with_error", { true, 0, false, kNotFound, 0 }, kNotFound },
        VerdictRow{ "policy_true_untrusted_root", { true, 0, true, 0, kUntrustedRoot }, kUntrustedRoot },
        VerdictRow{ "policy_true_wrong_name", { true, 0, true, 0, kWrongName }, kWrongName },
        VerdictRow{ "chain_false_stale_policy_status", { false, 0, false, 0, kWrongName }, kCertificateCheckFailed }),
    [](const ::testing::TestParamInfo<VerdictRow>& row) { return std::string(row.param.name); });

} // namespace
