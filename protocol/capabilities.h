// Capability negotiation with the server (CAP LS 302) and the SASL PLAIN
// exchange that may ride on it: what the server offered, what was asked for
// and granted, and what the client sends next. No Windows types: built
// natively too.
#pragma once

#include <stddef.h>

// AUTHENTICATE carries its base64 in pieces of this many bytes.
enum { kSaslPieceSize = 400 };

// What the client sends next.
enum class CapStep {
    None,          // nothing: more of the list is coming, or nothing is negotiated
    Request,       // CAP REQ :RequestedCaps()
    Authenticate,  // AUTHENTICATE PLAIN
    End,           // CAP END: registration goes on
};

class CCapNegotiation {
public:
    // A new link sent CAP LS 302; sasl: SASL PLAIN applies (a NickServ
    // password without an e-mail).
    void Start(bool sasl);
    // One CAP reply from the server: its subcommand and what follows it.
    CapStep OnCapReply(const char* reply);
    // The server's AUTHENTICATE: true when the credentials go now (the
    // first "+" of an exchange under way).
    bool TakeChallenge(const char* challenge);
    // A SASL numeric (900 to 908): End when it ends the exchange.
    CapStep OnSaslReply(int numeric);
    // The exchange took too long: End when it was still under way.
    CapStep GiveUpSasl();
    // The server registered the link: whatever was not negotiated is not.
    void OnWelcome() { m_state = State::Ended; }

    bool IsAuthenticating() const { return m_state == State::Authenticating; }
    bool SaslSucceeded() const { return m_saslSucceeded; }
    bool HasMultiPrefix() const { return m_multiPrefix; }
    const char* RequestedCaps() const { return m_szRequest; }

private:
    enum class State { Off, Listing, Requesting, Authenticating, Ended };

    CapStep OnList(const char* subcommand, const char* list);
    CapStep ComposeRequest(bool sasl);

    State m_state = State::Off;
    bool m_wantsSasl = false;
    // Offered so far (LS, NEW; DEL takes back).
    bool m_offersMultiPrefix = false;
    bool m_offersSaslPlain = false;
    // Granted (ACK; DEL takes back).
    bool m_multiPrefix = false;
    bool m_sasl = false;
    bool m_challengeAnswered = false;
    bool m_saslSucceeded = false;
    char m_szRequest[32] = "";
};

// Standard base64 of bytes, padded, NUL-terminated; its length, or 0 when
// it does not fit in size.
size_t EncodeBase64(const unsigned char* bytes, size_t length, char* text, size_t size);

// Writes the next "AUTHENTICATE <piece>\r\n" of encoded into line, from
// *offset on, and moves *offset past it; false once all went. A last piece
// of exactly kSaslPieceSize bytes (or nothing at all) is followed by
// "AUTHENTICATE +".
bool CutAuthenticatePiece(const char* encoded, size_t* offset, char* line, size_t size);
