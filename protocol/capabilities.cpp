// What the server offers and grants, and the SASL PLAIN credentials' wire form.
#include "protocol/capabilities.h"

#include "protocol/tokens.h"
#include "protocol/words.h"

#include <stdio.h>
#include <string.h>

namespace {

// The capabilities the client uses, as one list names them.
struct CapList {
    bool multiPrefix = false;
    bool sasl = false;
    bool saslPlain = false;     // sasl with no value, or a value naming PLAIN
    bool multiPrefixOff = false;  // "-multi-prefix" (ACK)
    bool saslOff = false;
};

bool NamesMechanism(const char* mechanisms, const char* wanted)
{
    char copy[512];
    CopyText(copy, sizeof copy, mechanisms);
    for (char* next = copy; next;) {
        char* comma = strchr(next, ',');
        if (comma)
            *comma = '\0';
        if (EqualsIgnoringAsciiCase(next, wanted))
            return true;
        next = comma ? comma + 1 : nullptr;
    }
    return false;
}

// Words "name" or "name=value" (302), "-name" for one taken away.
CapList ReadCapList(const char* list)
{
    CapList caps;
    WordReader words(SkipOne(list, ':'));
    while (words.Remainder()[0] != '\0') {
        char word[512];
        words.Next(word, sizeof word);
        const bool off = word[0] == '-';
        char* name = word + (off ? 1 : 0);
        char* equals = strchr(name, '=');
        if (equals)
            *equals = '\0';
        if (EqualsIgnoringAsciiCase(name, "multi-prefix")) {
            (off ? caps.multiPrefixOff : caps.multiPrefix) = true;
        } else if (EqualsIgnoringAsciiCase(name, "sasl")) {
            (off ? caps.saslOff : caps.sasl) = true;
            caps.saslPlain = caps.saslPlain || (!off && (!equals || NamesMechanism(equals + 1, "PLAIN")));
        }
    }
    return caps;
}

} // namespace

void CCapNegotiation::Start(bool sasl)
{
    *this = CCapNegotiation();
    m_state = State::Listing;
    m_wantsSasl = sasl;
}

CapStep CCapNegotiation::OnCapReply(const char* reply)
{
    if (m_state == State::Off)
        return CapStep::None;
    WordReader words(reply);
    char subcommand[16];
    words.Next(subcommand, sizeof subcommand);
    return OnList(subcommand, words.Remainder());
}

CapStep CCapNegotiation::OnList(const char* subcommand, const char* list)
{
    if (EqualsIgnoringAsciiCase(subcommand, "LS") && m_state == State::Listing) {
        // "* :..." says that more lines of the list follow.
        const bool more = list[0] == '*' && list[1] == ' ';
        const CapList offered = ReadCapList(more ? list + 2 : list);
        m_offersMultiPrefix = m_offersMultiPrefix || offered.multiPrefix;
        m_offersSaslPlain = m_offersSaslPlain || offered.saslPlain;
        return more ? CapStep::None : ComposeRequest(m_wantsSasl && m_offersSaslPlain);
    }
    if (EqualsIgnoringAsciiCase(subcommand, "ACK")) {
        const CapList granted = ReadCapList(list);
        m_multiPrefix = (m_multiPrefix || granted.multiPrefix) && !granted.multiPrefixOff;
        m_sasl = (m_sasl || granted.sasl) && !granted.saslOff;
        if (m_state != State::Requesting)
            return CapStep::None;
        const bool authenticate = m_sasl && m_wantsSasl;
        m_state = authenticate ? State::Authenticating : State::Ended;
        return authenticate ? CapStep::Authenticate : CapStep::End;
    }
    if (EqualsIgnoringAsciiCase(subcommand, "NAK")) {
        if (m_state != State::Requesting)
            return CapStep::None;
        m_state = State::Ended;
        return CapStep::End;
    }
    if (EqualsIgnoringAsciiCase(subcommand, "NEW")) {
        // cap-notify: SASL offered later is not used, multi-prefix is.
        const CapList offered = ReadCapList(list);
        m_offersMultiPrefix = m_offersMultiPrefix || offered.multiPrefix;
        if (m_state == State::Ended && offered.multiPrefix && !m_multiPrefix)
            return ComposeRequest(false);
        return CapStep::None;
    }
    if (EqualsIgnoringAsciiCase(subcommand, "DEL")) {
        const CapList gone = ReadCapList(list);
        if (gone.multiPrefix)
            m_offersMultiPrefix = m_multiPrefix = false;
        if (gone.sasl)
            m_offersSaslPlain = m_sasl = false;
    }
    return CapStep::None;
}

// Only what was offered and what the client uses; nothing to ask for ends
// the negotiation at once.
CapStep CCapNegotiation::ComposeRequest(bool sasl)
{
    snprintf(m_szRequest, sizeof m_szRequest, "%s%s%s", m_offersMultiPrefix ? "multi-prefix" : "",
             m_offersMultiPrefix && sasl ? " " : "", sasl ? "sasl" : "");
    if (m_state == State::Ended)
        return m_szRequest[0] ? CapStep::Request : CapStep::None;
    m_state = m_szRequest[0] ? State::Requesting : State::Ended;
    return m_szRequest[0] ? CapStep::Request : CapStep::End;
}

bool CCapNegotiation::TakeChallenge(const char* challenge)
{
    if (m_state != State::Authenticating || m_challengeAnswered || strcmp(challenge, "+") != 0)
        return false;
    m_challengeAnswered = true;
    return true;
}

// 903 success and 907 (already logged in) spare NickServ's identify; 902,
// 904, 905 and 906 leave it to NickServ. 900 and 908 come before the end.
CapStep CCapNegotiation::OnSaslReply(int numeric)
{
    if (m_state != State::Authenticating)
        return CapStep::None;
    const bool success = numeric == 903 || numeric == 907;
    const bool failure = numeric == 902 || (numeric >= 904 && numeric <= 906);
    if (!success && !failure)
        return CapStep::None;
    m_saslSucceeded = success;
    m_state = State::Ended;
    return CapStep::End;
}

CapStep CCapNegotiation::GiveUpSasl()
{
    if (m_state != State::Authenticating)
        return CapStep::None;
    m_state = State::Ended;
    return CapStep::End;
}

size_t EncodeBase64(const unsigned char* bytes, size_t length, char* text, size_t size)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const size_t encoded = (length + 2) / 3 * 4;
    if (encoded >= size)
        return 0;
    char* out = text;
    for (size_t i = 0; i < length; i += 3) {
        const unsigned value = (unsigned)bytes[i] << 16 | (i + 1 < length ? (unsigned)bytes[i + 1] << 8 : 0) |
                               (i + 2 < length ? bytes[i + 2] : 0);
        *out++ = kAlphabet[value >> 18 & 63];
        *out++ = kAlphabet[value >> 12 & 63];
        *out++ = i + 1 < length ? kAlphabet[value >> 6 & 63] : '=';
        *out++ = i + 2 < length ? kAlphabet[value & 63] : '=';
    }
    *out = '\0';
    return encoded;
}

bool CutAuthenticatePiece(const char* encoded, size_t* offset, char* line, size_t size)
{
    const size_t length = strlen(encoded);
    if (*offset > length)
        return false;
    const size_t full = kSaslPieceSize;
    const size_t left = length - *offset;
    const size_t piece = left < full ? left : full;
    if (piece == 0)
        snprintf(line, size, "AUTHENTICATE +\r\n");
    else
        snprintf(line, size, "AUTHENTICATE %.*s\r\n", (int)piece, encoded + *offset);
    // A full piece may be the last: the server learns so from the "+" after it.
    *offset = piece == full ? *offset + piece : length + 1;
    return true;
}
