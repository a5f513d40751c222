// Capability negotiation and SASL PLAIN's wire form: what the client sends
// next after each of the server's replies, one row a case.
#include "protocol/capabilities.h"

#include "protocol/tokens.h"

#include <gtest/gtest.h>

#include <string.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Texts;

struct NegotiationRow {
    const char* description;
    bool sasl;          // a password without an e-mail
    Texts replies;      // "CAP ..." (the reply after its target), a SASL numeric, "+" or "limit"
    Texts steps;        // what the client does after each
    bool multiPrefix;   // granted at the end
    bool saslSucceeded;
};

void PrintTo(const NegotiationRow& row, std::ostream* out) { *out << row.description; }

std::string Describe(CapStep step, const CCapNegotiation& caps)
{
    switch (step) {
    case CapStep::None:         return "-";
    case CapStep::Request:      return std::string("REQ ") + caps.RequestedCaps();
    case CapStep::Authenticate: return "AUTHENTICATE PLAIN";
    case CapStep::End:          return "END";
    }
    return "?";
}

class Negotiation : public ::testing::TestWithParam<NegotiationRow> {};

TEST_P(Negotiation, AnswersEachReply)
{
    const NegotiationRow& row = GetParam();
    CCapNegotiation caps;
    caps.Start(row.sasl);
    Texts steps;
    for (const std::string& reply : row.replies) {
        if (reply.compare(0, 4, "CAP ") == 0)
            steps.push_back(Describe(caps.OnCapReply(reply.c_str() + 4), caps));
        else if (reply == "+")
            steps.push_back(caps.TakeChallenge("+") ? "credentials" : "-");
        else if (reply == "limit")
            steps.push_back(Describe(caps.GiveUpSasl(), caps));
        else
            steps.push_back(Describe(caps.OnSaslReply(ReadCommandNumber(reply.c_str())), caps));
    }
    EXPECT_EQ(row.steps, steps);
    EXPECT_EQ(row.multiPrefix, caps.HasMultiPrefix());
    EXPECT_EQ(row.saslSucceeded, caps.SaslSucceeded());
}

INSTANTIATE_TEST_SUITE_P(Rows, Negotiation, ::testing::Values(
    NegotiationRow{ "a list over three lines is gathered before the request", true,
                    { "CAP LS * :account-notify multi-prefix", "CAP LS * :away-notify",
                      "CAP LS :sasl=EXTERNAL,PLAIN extended-join" },
                    { "-", "-", "REQ multi-prefix sasl" }, false, false },
    NegotiationRow{ "sasl=EXTERNAL alone is not asked for", true, { "CAP LS :sasl=EXTERNAL multi-prefix" },
                    { "REQ multi-prefix" }, false, false },
    NegotiationRow{ "a mechanism named in lower case counts", true, { "CAP LS :sasl=external,plain" },
                    { "REQ sasl" }, false, false },
    NegotiationRow{ "without a password SASL is not asked for", false, { "CAP LS :sasl multi-prefix" },
                    { "REQ multi-prefix" }, false, false },
    NegotiationRow{ "nothing the client uses ends at once", true, { "CAP LS :away-notify extended-join" },
                    { "END" }, false, false },
    NegotiationRow{ "an empty list ends at once; a later list is not answered", true, { "CAP LS :", "CAP LS :sasl" }, { "END", "-" },
                    false, false },
    NegotiationRow{ "an old server's single word without a colon", true, { "CAP LS multi-prefix" },
                    { "REQ multi-prefix" }, false, false },
    NegotiationRow{ "an ACK without sasl ends", true, { "CAP LS :multi-prefix", "CAP ACK :multi-prefix" },
                    { "REQ multi-prefix", "END" }, true, false },
    NegotiationRow{ "a NAK ends, granting nothing", true, { "CAP LS :multi-prefix sasl", "CAP NAK :multi-prefix sasl" },
                    { "REQ multi-prefix sasl", "END" }, false, false },
    NegotiationRow{ "an ACK before the list ended is not answered", true, { "CAP LS * :sasl", "CAP ACK :sasl" },
                    { "-", "-" }, false, false },
    NegotiationRow{ "SASL succeeds: 900 then 903", true,
                    { "CAP LS :sasl", "CAP ACK :sasl", "+", "+", "900", "903", "904" },
                    { "REQ sasl", "AUTHENTICATE PLAIN", "credentials", "-", "-", "END", "-" }, false, true },
    NegotiationRow{ "908 comes before 904, which ends it", true,
                    { "CAP LS :sasl", "CAP ACK :sasl", "+", "908", "904" },
                    { "REQ sasl", "AUTHENTICATE PLAIN", "credentials", "-", "END" }, false, false },
    NegotiationRow{ "the time limit ends the exchange once", true,
                    { "CAP LS :sasl", "CAP ACK :sasl", "limit", "906", "+" },
                    { "REQ sasl", "AUTHENTICATE PLAIN", "END", "-", "-" }, false, false },
    NegotiationRow{ "cap-notify: NEW multi-prefix is asked for, NEW sasl is not, DEL forgets", true,
                    { "CAP LS :", "CAP NEW :sasl", "CAP NEW :multi-prefix", "CAP ACK :multi-prefix",
                      "CAP DEL :multi-prefix" },
                    { "END", "-", "REQ multi-prefix", "-", "-" }, false, false },
    NegotiationRow{ "odd replies change nothing", true, { "CAP ", "CAP XYZ :sasl", "CAP ACK", "903" },
                    { "-", "-", "-", "-" }, false, false }));

TEST(Base64, EncodesKnownVectors)
{
    const char* const rows[][2] = { { "", "" }, { "f", "Zg==" }, { "fo", "Zm8=" }, { "foo", "Zm9v" },
                                    { "foobar", "Zm9vYmFy" } };
    for (const auto& row : rows) {
        char text[16];
        EXPECT_EQ(strlen(row[1]), EncodeBase64((const unsigned char*)row[0], strlen(row[0]), text, sizeof text));
        EXPECT_STREQ(row[1], text) << row[0];
    }
    char tooSmall[4];
    EXPECT_EQ(0u, EncodeBase64((const unsigned char*)"foo", 3, tooSmall, sizeof tooSmall));
}

struct PieceRow {
    size_t length;  // of the base64
    Texts lines;    // each as "AUTHENTICATE <n>" for n bytes of it, or "AUTHENTICATE +"
};

TEST(AuthenticatePieces, CutAt400WithAClosingPlusAfterAFullLastPiece)
{
    const PieceRow rows[] = {
        { 0, { "AUTHENTICATE +" } },
        { 399, { "AUTHENTICATE 399" } },
        { 400, { "AUTHENTICATE 400", "AUTHENTICATE +" } },
        { 401, { "AUTHENTICATE 400", "AUTHENTICATE 1" } },
        { 800, { "AUTHENTICATE 400", "AUTHENTICATE 400", "AUTHENTICATE +" } },
    };
    for (const PieceRow& row : rows) {
        std::string encoded;
        for (size_t i = 0; i < row.length; ++i)
            encoded += (char)('A' + i % 26);
        Texts lines;
        std::string joined;
        char line[kSaslPieceSize + 32];
        for (size_t offset = 0; CutAuthenticatePiece(encoded.c_str(), &offset, line, sizeof line);) {
            const std::string piece = std::string(line).substr(13, strlen(line) - 15);
            ASSERT_EQ("\r\n", std::string(line).substr(strlen(line) - 2));
            lines.push_back(piece == "+" ? "AUTHENTICATE +" : "AUTHENTICATE " + std::to_string(piece.size()));
            joined += piece == "+" ? "" : piece;
        }
        EXPECT_EQ(row.lines, lines) << row.length;
        EXPECT_EQ(encoded, joined) << row.length;
    }
}

} // namespace
