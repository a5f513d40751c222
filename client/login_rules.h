// Which refusal of the login panel applies to what the user filled in.
// No Windows types: built natively too.
#pragma once

#include <stdint.h>

enum class LoginRefusal {
    None,
    MissingData,           // no server, no port or no nick
    NickTooLong,
    PasswordTooShort,
    PasswordTooLong,
    EmailTooShort,
    EmailTooLong,
    EmailWithoutPassword,
};

// The port field read as atoi reads it and kept in 16 bits, so 65536 reads
// as 0 and 65537 as 1.
uint16_t ReadPort(const char* text);

// The fields "Зайти" cannot do without.
LoginRefusal CheckConnectFields(const char* server, uint16_t port, const char* nick);

// The nick's length, then the password and e-mail: both given register the
// nick, the password alone identifies for it, an e-mail alone is refused.
// The first failing check wins.
LoginRefusal CheckLoginFields(const char* nick, const char* password, const char* email);
