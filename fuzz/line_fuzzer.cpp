// Arbitrary server bytes through the client's line path: chunked as recv
// would deliver them, assembled into lines, and handed to the module's own
// handlers of received lines against a recorded window
// (recording_window.cpp). After every line the rules that hold for any
// input are checked: what was sent, and where the line was written.
#include "recording_window.h"

#include "expect.h"
#include "one_target.h"
#include "net/line_assembler.h"
#include "protocol/capabilities.h"
#include "protocol/line_parser.h"
#include "protocol/numeric_pieces.h"
#include "protocol/received_line.h"
#include "protocol/tokens.h"
#include "protocol/words.h"

#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

struct Session {
    explicit Session(uint8_t choices);

    CRecordingWindow window;
    char line[2048] = {};
    int32_t lineLength = 0;
};

// Logged in as "tester" on "#marketbay", the server tab open; the choices
// open the channel's tab and a talk with alice, set the sound and the
// own-line flag, make the link a reconnect and one not welcomed yet, and
// start its capability negotiation, with or without SASL.
Session::Session(uint8_t choices) : window("tester", "irc.test", "#marketbay")
{
    window.OpenConversation("irc.test");
    if (choices & 1)
        window.OpenConversation("#marketbay");
    if (choices & 8)
        window.OpenConversation("alice");
    window.soundOn = (choices & 2) != 0;
    window.ownLinePending = (choices & 4) != 0;
    window.reconnect = (choices & 16) != 0;
    window.registered = (choices & 32) == 0;
    if (choices & 64)
        window.caps.Start((choices & 128) != 0);
}

// What the window was before a line.
struct Before {
    size_t printed;
    size_t sent;
    std::vector<std::string> users;
    std::string channel;
    bool namesOpen;
    bool registered;
    size_t senderLines;  // in the sender's open talk; SIZE_MAX for none
};

// A stand-in: the user's nick, cut, and one to three '_', within the
// server's nick length (or the underscores alone, for a shorter one).
bool IsStandIn(const std::string& standIn, const std::string& userNick, int nickLength)
{
    const size_t cut = standIn.find_last_not_of('_') + 1;
    const size_t underscores = standIn.size() - cut;
    return underscores >= 1 && underscores <= 3 && standIn.size() <= std::max((size_t)nickLength, underscores) &&
           userNick.compare(0, cut, standIn, 0, cut) == 0;
}

// CAP REQ asks only for what the client uses, in answer to a CAP reply;
// CAP END answers a CAP reply or ends a SASL exchange (902 to 907).
bool IsCapAnswer(const std::string& sent, const ParsedLine& line)
{
    const int numeric = ReadCommandNumber(line.command);
    if (sent == "CAP END")
        return EqualsIgnoringAsciiCase(line.command, "CAP") || (numeric >= 902 && numeric <= 907);
    return EqualsIgnoringAsciiCase(line.command, "CAP") &&
           (sent == "CAP REQ :multi-prefix" || sent == "CAP REQ :sasl" || sent == "CAP REQ :multi-prefix sasl");
}

// AUTHENTICATE PLAIN follows a CAP ACK; the server's "+" is answered by the
// base64 of the user's nick twice and the password, in whole pieces, or by
// "+" after a full last piece; "*" gives up.
bool IsSaslAnswer(const std::string& piece, const ParsedLine& line, const CRecordingWindow& window)
{
    if (piece == "PLAIN")
        return EqualsIgnoringAsciiCase(line.command, "CAP");
    if (!EqualsIgnoringAsciiCase(line.command, "AUTHENTICATE"))
        return false;
    if (piece == "+" || piece == "*")
        return true;
    const std::string message = window.userNick + '\0' + window.userNick + '\0' + window.password;
    char encoded[8192];
    if (EncodeBase64((const unsigned char*)message.data(), message.size(), encoded, sizeof encoded) == 0)
        return false;
    const std::string whole = encoded;
    for (size_t at = 0; at < whole.size(); at += kSaslPieceSize) {
        if (whole.compare(at, kSaslPieceSize, piece) == 0)
            return true;
    }
    return false;
}

// Each line whole, ended by CR LF and by nothing before it, within 512
// bytes, and one a received line may cause: a PONG, the QUIT of a session
// ended, a CTCP answer, which goes to the line's sender alone, at a
// reconnect a stand-in nick before the welcome, and the identify NickServ's
// notice lets go, under the user's own nick, and the capability
// negotiation's and SASL's answers.
void CheckSent(const std::string& lines, const ParsedLine& line, const CRecordingWindow& window,
               const Before& before)
{
    for (size_t start = 0; start < lines.size();) {
        const size_t end = lines.find_first_of("\r\n", start);
        Expect(end != std::string::npos && end > start && lines.compare(end, 2, "\r\n") == 0 &&
               end - start + 2 <= 512);
        const std::string sent = lines.substr(start, end - start);
        if (sent.compare(0, 7, "NOTICE ") == 0) {
            const std::string target = sent.substr(7, sent.find(' ', 7) - 7);
            Expect(IsOneTarget(target.c_str()) && target == line.sender && sent.back() == '\x01');
        } else if (sent.compare(0, 6, "NICK :") == 0) {
            Expect(window.reconnect && !before.registered && IsStandIn(sent.substr(6), window.userNick, window.rules.nickLength));
        } else if (sent.compare(0, 18, "PRIVMSG NickServ :") == 0) {
            Expect(window.reconnect && EqualsIgnoringAsciiCase(line.sender, "NickServ") &&
                   window.nick == window.userNick && sent == "PRIVMSG NickServ :identify " + window.password);
        } else if (sent.compare(0, 4, "CAP ") == 0) {
            Expect(IsCapAnswer(sent, line));
        } else if (sent.compare(0, 13, "AUTHENTICATE ") == 0) {
            Expect(IsSaslAnswer(sent.substr(13), line, window));
        } else {
            Expect(sent.compare(0, 6, "PONG :") == 0 || sent.compare(0, 6, "QUIT :") == 0);
        }
        start = end + 2;
    }
}

// Every line the received one printed went to the open tab that
// `conversation` names under the server's case rules, or was lost when none is.
void CheckWrittenOnlyTo(const CRecordingWindow& window, size_t from, const std::string& conversation)
{
    const RecordedConversation* open = window.Find(conversation);
    const std::string expected = open ? open->name : "";
    for (size_t i = from; i < window.printed.size(); ++i)
        Expect(window.printed[i].conversation == expected);
}

// Every entry of `before` is still listed.
void CheckKept(const std::vector<std::string>& before, const std::vector<std::string>& after)
{
    std::vector<std::string> left = after;
    for (const std::string& entry : before) {
        const auto found = std::find(left.begin(), left.end(), entry);
        Expect(found != left.end());
        left.erase(found);
    }
}

// The symbols listed for each nick, all its entries together.
std::map<std::string, std::string> SymbolsByNick(const ServerRules& rules, const std::vector<std::string>& users)
{
    std::map<std::string, std::string> symbols;
    for (const std::string& entry : users) {
        const char* nick = SkipStatusSymbols(rules, entry.c_str());
        symbols[nick] += entry.substr(0, nick - entry.c_str());
    }
    return symbols;
}

// Every entry of `entries` holds only symbols that `others` list for its nick.
void CheckHeldBy(const ServerRules& rules, const std::vector<std::string>& entries,
                 const std::vector<std::string>& others)
{
    std::map<std::string, std::string> held = SymbolsByNick(rules, others);
    for (const std::string& entry : entries) {
        const char* nick = SkipStatusSymbols(rules, entry.c_str());
        for (const char* symbol = entry.c_str(); symbol < nick; ++symbol)
            Expect(held[nick].find(*symbol) != std::string::npos);
    }
}

// A MODE line lists no member and removes none; one that only gives
// statuses takes none away, and one that only takes gives none: "-o" keeps
// a member's other symbols.
void CheckModeLine(const ServerRules& rules, const std::vector<std::string>& before,
                   const std::vector<std::string>& after, const char* modes)
{
    const std::map<std::string, std::string> nicksBefore = SymbolsByNick(rules, before);
    const std::map<std::string, std::string> nicksAfter = SymbolsByNick(rules, after);
    Expect(before.size() == after.size() && nicksBefore.size() == nicksAfter.size());
    for (auto b = nicksBefore.begin(), a = nicksAfter.begin(); b != nicksBefore.end(); ++b, ++a)
        Expect(b->first == a->first);
    if (!strchr(modes, '-'))
        CheckHeldBy(rules, before, after);
    if (modes[0] == '-' && !strchr(modes, '+'))
        CheckHeldBy(rules, after, before);
}

void CheckRules(const CRecordingWindow& window, const Before& before, const ParsedLine& line)
{
    for (size_t i = before.sent; i < window.sent.size(); ++i)
        CheckSent(window.sent[i], line, window, before);
    if (!line.hasPrefix)
        return;
    if (IsIgnoredSender(line.sender)) {
        Expect(window.printed.size() == before.printed && window.sent.size() == before.sent &&
               window.users == before.users);
        return;
    }
    const std::string command = line.command;
    const int numeric = ReadCommandNumber(line.command);
    if (command == "NOTICE")
        CheckWrittenOnlyTo(window, before.printed, window.server);
    if (command == "332")
        CheckWrittenOnlyTo(window, before.printed, before.channel);
    if (numeric != 0 && ClassifyNumeric(numeric) == NumericKind::Names && before.namesOpen)
        CheckKept(before.users, window.users);
    char mode[1024];
    WordReader(line.rest).Next(mode, sizeof mode);
    if (EqualsIgnoringAsciiCase(line.command, "MODE"))
        CheckModeLine(window.rules, before.users, window.users, mode);
    // A talk's partner joining or leaving is told in the talk once.
    if ((command == "JOIN" || command == "QUIT") && before.senderLines != SIZE_MAX) {
        const RecordedConversation* talk = window.Find(line.sender);
        Expect(talk && talk->lines.size() == before.senderLines + 1);
    }
}

bool HandleLine(void* context)
{
    Session& session = *static_cast<Session*>(context);
    CRecordingWindow& window = session.window;
    Expect(strlen(session.line) < sizeof session.line);

    ParsedLine parsed;
    const bool parses = ParseLine(session.line, parsed);
    const RecordedConversation* talk = parses ? window.Find(parsed.sender) : nullptr;
    const CaseMapping mapping = window.rules.caseMapping;
    const bool ownNick = parses && EqualsFolded(mapping, parsed.sender, window.OwnNick());
    const bool apart = parses && !EqualsFolded(mapping, parsed.sender, window.channel.c_str()) &&
                       !EqualsFolded(mapping, parsed.sender, window.server.c_str());
    const Before before = { window.printed.size(), window.sent.size(), window.users, window.channel,
                            window.namesOpen, window.registered,
                            talk && !ownNick && apart ? talk->lines.size() : SIZE_MAX };

    HandleReceivedLine(window, session.line, sizeof session.line);
    // The handlers saw the line as judged: a torn last character dropped.
    if (ParseLine(session.line, parsed))
        CheckRules(window, before, parsed);
    else
        Expect(window.printed.size() == before.printed && window.sent.size() == before.sent);
    // A line that ended the session stops the read, as the socket's reader does.
    return window.connected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    // The first two bytes choose the chunk size, 1 to 1024, as recv may cut;
    // the third the window's state.
    const size_t chunk = 1 + (((size_t)data[0] << 8 | data[1]) % 1024);
    const uint8_t choices = data[2];
    data += 3;
    size -= 3;

    Session session(choices);
    for (size_t offset = 0; offset < size && session.window.connected; offset += chunk) {
        const size_t count = size - offset < chunk ? size - offset : chunk;
        session.lineLength = AppendReceivedBytes(session.line, sizeof session.line, session.lineLength,
                                                 (const char*)data + offset, (int)count, &HandleLine, &session);
    }
    return 0;
}
