#include "client/login_rules.h"

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

uint16_t ReadPort(const char* text)
{
    return (uint16_t)ReadCommandNumber(text);
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
