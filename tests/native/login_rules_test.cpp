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

// The digits as atoi reads them, kept in 16 bits; a leading '+' or the
// registered TLS port asks for TLS.
TEST(ReadPort, DigitsAfterAnOptionalPlus)
{
    const struct { const char* text; uint16_t port; bool tls; } rows[] = {
        { "6697", 6697, true }, { "+6697", 6697, true }, { "+7000", 7000, true }, { "7000", 7000, false },
        { "6667", 6667, false }, { "+6667", 6667, true }, { " 6697", 6697, true }, { " +443", 443, true },
        { "+", 0, true }, { "++7000", 0, true }, { "+0", 0, true }, { "+-7000", 0, true }, { "+ 7000", 0, true },
        { "", 0, false }, { "abc", 0, false }, { "0", 0, false }, { "-1", 0, false }, { "65535", 65535, false },
        { "65536", 0, false }, { "65537", 1, false }, { "+65537", 1, true }, { " 12ab", 12, false },
        { "99999999999999999999", 65535, false },
    };
    for (const auto& row : rows) {
        const PortChoice choice = ReadPort(row.text);
        EXPECT_EQ(row.port, choice.port) << '"' << row.text << '"';
        if (row.port != 0)
            EXPECT_EQ(row.tls, choice.tls) << '"' << row.text << '"';
    }
}

// What typing does to the port field: [start, end) is the selection typed over.
TEST(AcceptsPortCharacter, DigitsAndOneLeadingPlus)
{
    const struct { const char* text; size_t start, end; char typed; bool accepted; } rows[] = {
        { "", 0, 0, '7', true },       { "", 0, 0, '+', true },       { "+", 1, 1, '7', true },
        { "7000", 0, 0, '+', true },   { "7000", 4, 4, '+', false },  { "7000", 2, 2, '+', false },
        { "+7000", 0, 0, '+', false }, { "+7000", 0, 0, '5', false }, { "+7000", 0, 1, '+', true },
        { "+7000", 0, 1, '5', true },  { "+7000", 5, 5, '1', true },  { "6697", 4, 4, 'a', false },
        { "6697", 4, 4, '-', false },  { "6697", 4, 4, ' ', false },  { "6697", 5, 5, '1', false },
        { "6697", 3, 2, '1', false },
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.accepted, AcceptsPortCharacter(row.text, row.start, row.end, row.typed))
            << '"' << row.text << "\" [" << row.start << ',' << row.end << ") '" << row.typed << '\'';
}

} // namespace
