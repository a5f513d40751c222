#include "client/login_rules.h"

#include "net/tls_records.h"
#include "protocol/tokens.h"

#include <string.h>

namespace {

enum {
    kMaxNick = 30,
    kMinPassword = 5,
    kMaxPassword = 20,
    kMinEmail = 5,
    kMaxEmail = 30,
};

// What atoi skips before a number (the C locale's isspace).
const char kAtoiBlanks[] = " \t\n\v\f\r";

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

LoginRefusal CheckPassword(const char* password)
{
    const size_t length = strlen(password);
    if (length < kMinPassword)
        return LoginRefusal::PasswordTooShort;
    if (length > kMaxPassword)
        return LoginRefusal::PasswordTooLong;
    return LoginRefusal::None;
}

LoginRefusal CheckEmail(const char* email)
{
    const size_t length = strlen(email);
    if (length < kMinEmail)
        return LoginRefusal::EmailTooShort;
    if (length > kMaxEmail)
        return LoginRefusal::EmailTooLong;
    return LoginRefusal::None;
}

} // namespace

PortChoice ReadPort(const char* text)
{
    text += strspn(text, kAtoiBlanks);
    const bool plus = *text == '+';
    if (plus)
        ++text;
    const uint16_t port = IsAsciiDigit(*text) ? (uint16_t)ReadCommandNumber(text) : 0;
    return PortChoice{ port, plus || port == kTlsPort };
}

bool AcceptsPortCharacter(const char* text, size_t start, size_t end, char typed)
{
    const size_t length = strlen(text);
    if (start > end || end > length || text[end] == '+')
        return false;
    return IsAsciiDigit(typed) || (typed == '+' && start == 0);
}

LoginRefusal CheckConnectFields(const char* server, uint16_t port, const char* nick)
{
    return !server[0] || port == 0 || !nick[0] ? LoginRefusal::MissingData : LoginRefusal::None;
}

LoginRefusal CheckLoginFields(const char* nick, const char* password, const char* email)
{
    if (strlen(nick) > kMaxNick)
        return LoginRefusal::NickTooLong;
    if (email[0] && !password[0])
        return LoginRefusal::EmailWithoutPassword;
    const LoginRefusal passwordRefusal = password[0] ? CheckPassword(password) : LoginRefusal::None;
    if (passwordRefusal != LoginRefusal::None || !email[0])
        return passwordRefusal;
    return CheckEmail(email);
}
