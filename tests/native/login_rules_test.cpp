// The login panel's checks: which refusal a filling of the fields gets. The
// boxes themselves are seen under Wine (login_panel_test).
#include "client/login_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LoginCase {
    const char* description;
    std::string nick, password, email;
    LoginRefusal refusal;
};

std::ostream& operator<<(std::ostream& out, const LoginCase& row) { return out << row.description; }

class CheckLoginFieldsTest : public ::testing::TestWithParam<LoginCase> {};

TEST_P(CheckLoginFieldsTest, FirstFailingCheckWins)
{
    const LoginCase& row = GetParam();
    EXPECT_EQ(row.refusal, CheckLoginFields(row.nick.c_str(), row.password.c_str(), row.email.c_str()));
}

std::string k(size_t length) { return std::string(length, 'k'); }

INSTANTIATE_TEST_SUITE_P(Fields, CheckLoginFieldsTest, ::testing::Values(
    LoginCase{ "nick of 30 alone", k(30), "", "", LoginRefusal::None },
    LoginCase{ "nick of 31", k(31), "", "", LoginRefusal::NickTooLong },
    LoginCase{ "the nick comes first", k(31), k(4), "", LoginRefusal::NickTooLong },
    LoginCase{ "register: 5 and 5", "n", k(5), k(5), LoginRefusal::None },
    LoginCase{ "register: 20 and 30", "n", k(20), k(30), LoginRefusal::None },
    LoginCase{ "register: password before e-mail", "n", k(4), k(4), LoginRefusal::PasswordTooShort },
    LoginCase{ "register: long password before e-mail", "n", k(21), k(31), LoginRefusal::PasswordTooLong },
    LoginCase{ "register: e-mail of 4", "n", k(5), k(4), LoginRefusal::EmailTooShort },
    LoginCase{ "register: e-mail of 31", "n", k(5), k(31), LoginRefusal::EmailTooLong },
    LoginCase{ "e-mail alone, however short", "n", "", "x", LoginRefusal::EmailWithoutPassword },
    LoginCase{ "identify: 4", "n", k(4), "", LoginRefusal::PasswordTooShort },
    LoginCase{ "identify: 21", "n", k(21), "", LoginRefusal::PasswordTooLong },
    LoginCase{ "identify: 5 and 20", "n", k(5), "", LoginRefusal::None },
    LoginCase{ "cp1251 letters count one byte each", k(27) + "\xcd\xe8\xea", "", "", LoginRefusal::None }));

TEST(CheckConnectFields, ServerPortAndNickAreNeeded)
{
    EXPECT_EQ(LoginRefusal::None, CheckConnectFields("irc.example.net", 6667, "n"));
    EXPECT_EQ(LoginRefusal::MissingData, CheckConnectFields("", 6667, "n"));
    EXPECT_EQ(LoginRefusal::MissingData, CheckConnectFields("irc.example.net", 0, "n"));
    EXPECT_EQ(LoginRefusal::MissingData, CheckConnectFields("irc.example.net", 6667, ""));
}

TEST(ReadPort, AtoiKeptIn16Bits)
{
    const struct { const char* text; uint16_t port; } rows[] = {
        { "6667", 6667 }, { "", 0 }, { "0", 0 }, { "65535", 65535 }, { "65536", 0 }, { "65537", 1 },
        { " 12ab", 12 }, { "-1", 65535 }, { "99999999999999999999", 65535 },
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.port, ReadPort(row.text)) << '"' << row.text << '"';
}

} // namespace
