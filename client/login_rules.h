// Which refusal of the login panel applies to what the user filled in.
// No Windows types: built natively too.
#pragma once

#include <stddef.h>
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

// The server's port as the port field asks for it, and whether the
// connection is encrypted.
struct PortChoice {
    uint16_t port;
    bool tls;
};

// Leading blanks are skipped, then one '+' asks for TLS, as IRC clients
// write it ("+7000"); the registered TLS port is encrypted either way. The
// digits are read as atoi reads them and kept in 16 bits, so 65536 reads as
// 0 and 65537 as 1. Anything but a digit after the '+' (another '+', a
// sign, nothing at all) reads as port 0: no port was given.
PortChoice ReadPort(const char* text);

// Whether the port field takes `typed` (a character, not a control key) in
// place of its selection [start, end) of `text`: digits, and one '+' at the
// very start. Nothing goes in before a '+' that stays.
bool AcceptsPortCharacter(const char* text, size_t start, size_t end, char typed);

// The fields "Зайти" cannot do without.
LoginRefusal CheckConnectFields(const char* server, uint16_t port, const char* nick);

// The nick's length, then the password and e-mail: both given register the
// nick, the password alone identifies for it, an e-mail alone is refused.
// The first failing check wins.
LoginRefusal CheckLoginFields(const char* nick, const char* password, const char* email);
