// Capability negotiation, what the client sends next after each of the
// server's CAP replies, one row a case; and SASL PLAIN's pieces.
#include "protocol/capabilities.h"

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
    Texts replies;      // each less its prefix, "CAP" and target
    Texts steps;        // what the client does after each
    bool multiPrefix;   // granted at the end
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
    for (const std::string& reply : row.replies)
        steps.push_back(Describe(caps.OnCapReply(reply.c_str()), caps));
    EXPECT_EQ(row.steps, steps);
    EXPECT_EQ(row.multiPrefix, caps.HasMultiPrefix());
}

INSTANTIATE_TEST_SUITE_P(Rows, Negotiation, ::testing::Values(
    NegotiationRow{ "a list over three lines is gathered before the request", true,
                    { "LS * :account-notify multi-prefix", "LS * :away-notify",
                      "LS :sasl=EXTERNAL,PLAIN extended-join" },
                    { "-", "-", "REQ multi-prefix sasl" }, false },
    NegotiationRow{ "sasl=EXTERNAL alone is not asked for", true, { "LS :sasl=EXTERNAL multi-prefix" },
                    { "REQ multi-prefix" }, false },
    NegotiationRow{ "a mechanism named in lower case counts", true, { "LS :sasl=external,plain" },
                    { "REQ sasl" }, false },
    NegotiationRow{ "without a password SASL is not asked for", false, { "LS :sasl multi-prefix" },
                    { "REQ multi-prefix" }, false },
    NegotiationRow{ "nothing the client uses ends at once", true, { "LS :away-notify extended-join" },
                    { "END" }, false },
    NegotiationRow{ "an empty list ends at once; a later list is not answered", true, { "LS :", "LS :sasl" },
                    { "END", "-" }, false },
    NegotiationRow{ "an old server's single word without a colon", true, { "LS multi-prefix" },
                    { "REQ multi-prefix" }, false },
    NegotiationRow{ "an ACK without sasl ends", true, { "LS :multi-prefix", "ACK :multi-prefix" },
                    { "REQ multi-prefix", "END" }, true },
    NegotiationRow{ "a NAK ends, granting nothing", true, { "LS :multi-prefix sasl", "NAK :multi-prefix sasl" },
                    { "REQ multi-prefix sasl", "END" }, false },
    NegotiationRow{ "an ACK before the list ended is not answered", true, { "LS * :sasl", "ACK :sasl" },
                    { "-", "-" }, false },
    NegotiationRow{ "cap-notify: NEW multi-prefix is asked for, NEW sasl is not, DEL forgets", true,
                    { "LS :", "NEW :sasl", "NEW :multi-prefix", "ACK :multi-prefix", "DEL :multi-prefix" },
                    { "END", "-", "REQ multi-prefix", "-", "-" }, false },
    NegotiationRow{ "odd replies change nothing", true, { "", "XYZ :sasl", "ACK" }, { "-", "-", "-" }, false }));

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
            lines.push_back("AUTHENTICATE " + (piece == "+" ? piece : std::to_string(piece.size())));
            joined += piece == "+" ? "" : piece;
        }
        EXPECT_EQ(row.lines, lines) << row.length;
        EXPECT_EQ(encoded, joined) << row.length;
    }
}

} // namespace
