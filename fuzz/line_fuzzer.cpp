// Arbitrary server bytes through the client's line path: chunked as recv
// would deliver them, assembled into lines, parsed, routed to a tab (numeric
// replies cut into their pieces), and written out with the output formatting.
#include "checked_output.h"
#include "one_target.h"
#include "net/line_assembler.h"
#include "net/wire_text.h"
#include "output/colours.h"
#include "protocol/ctcp.h"
#include "protocol/line_parser.h"
#include "protocol/numeric_pieces.h"
#include "protocol/numeric_time.h"
#include "protocol/tokens.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

namespace {

struct Client {
    char ioBuf[2048];
    int32_t lineLen;
};

// The encoding the client judged the current line to be in.
LineEncoding g_encoding;

// Writes the line's text as a chat line would be, in UTF-8 as the client
// prints it; the sender's bits choose whether it is the user's own and
// whether sound is on.
void WriteOut(const ParsedLine& line, const char* text)
{
    static char formatted[kFormattedLineSize];
    snprintf(formatted, sizeof formatted, "\r\n%s<%s> %s", COLOUR_CHAT, line.sender, text);
    if (g_encoding == LineEncoding::Windows1251) {
        static char cp1251[kFormattedLineSize];
        memcpy(cp1251, formatted, sizeof cp1251);
        Cp1251ToUtf8(cp1251, strlen(cp1251), formatted, sizeof formatted);
        Expect(IsUtf8Text(formatted, strlen(formatted), false));
    }
    CheckedOutput output;
    const LineContext context = { "tester", (line.sender[0] & 2) != 0, (line.sender[0] & 4) != 0 };
    const bool ownLineDrawn = WalkFormattedLine(formatted, context, output);
    if (output.scrolled != (output.calls > 0) || (ownLineDrawn && !context.ownLine))
        __builtin_trap();
}

bool WithinText(const char* piece, const char* text)
{
    return piece >= text && piece <= text + strlen(text);
}

// The time text of a reply: the native calendar conversion stands in for the
// module's runtime, and a calendar made of the reply's numbers probes the
// range checks.
void FormatTimes(const NumericPieces& pieces)
{
    char text[kTimeTextSize];
    const time_t seconds = (time_t)pieces.time;
    struct tm calendar;
    if (gmtime_r(&seconds, &calendar))
        Expect(FormatCalendarTime(calendar, text, sizeof text) && strlen(text) == 24);

    const int32_t n = pieces.idleSeconds;
    calendar.tm_wday = n % 8;
    calendar.tm_mon = n % 13;
    calendar.tm_mday = n % 33;
    calendar.tm_year = n;
    const bool formatted = FormatCalendarTime(calendar, text, sizeof text);
    Expect(strlen(text) == (formatted ? 24u : 0u));
}

// Cuts a numeric reply as the client does and writes its generic line.
void HandleNumeric(const ParsedLine& line, int numeric)
{
    static NumericPieces pieces;
    CutNumericPieces(ClassifyNumeric(numeric), line.rest, pieces);
    for (const char* word : pieces.words)
        Expect(strlen(word) < kNumericWordSize);
    Expect(WithinText(pieces.text, line.rest) || pieces.text[0] == '\0');
    Expect(pieces.headLength >= 0 && (size_t)pieces.headLength <= strlen(pieces.text));
    Expect(WithinText(pieces.tail, line.rest) || strcmp(pieces.tail, kMissingPiece) == 0 ||
           pieces.tail[0] == '\0');
    FormatTimes(pieces);

    CutNumericPieces(NumericKind::Generic, line.rest, pieces);
    static char text[kFormattedLineSize];
    snprintf(text, sizeof text, "%.*s%s", pieces.headLength, pieces.text, pieces.tail);
    WriteOut(line, text);
}

// Cuts a message's CTCP both ways and checks the PING answer the client
// would send for it: one line, closed once, within the limit; none to a
// sender that is not one target.
void HandleCtcp(const ParsedLine& line)
{
    static CtcpMessage message;
    CutCtcpReply(line.rest, message);
    Expect(ReadPingSlot(message, 512) < 512);
    CutCtcpRequest(line.rest, message);
    const char* parameter = message.parameter ? message.parameter : "";
    Expect(strchr(parameter, '\x01') == nullptr);

    static char answer[kCtcpAnswerLimit + 1];
    const size_t length = ComposeCtcpAnswer(answer, sizeof answer, line.sender, "PING", parameter);
    if (!IsOneTarget(line.sender)) {
        Expect(length == 0 && answer[0] == '\0');
        WriteOut(line, parameter);
        return;
    }
    const size_t head = strlen("NOTICE ") + strlen(line.sender) + strlen(" :\x01PING ");
    Expect(length == strlen(answer) && length <= kCtcpAnswerLimit && length > head);
    Expect(strchr(answer + head, '\x01') == answer + length - 3);
    Expect(strcspn(answer, "\r\n") == length - 2 && strcmp(answer + length - 2, "\r\n") == 0);
    WriteOut(line, parameter);
}

bool HandleLine(void* context)
{
    Client* client = static_cast<Client*>(context);
    if (strlen(client->ioBuf) >= sizeof client->ioBuf)
        __builtin_trap();
    // A line taken as UTF-8 is whole UTF-8 once a letter torn by the cut is gone.
    g_encoding = JudgeReceivedLine(client->ioBuf, sizeof client->ioBuf);
    Expect(g_encoding == LineEncoding::Windows1251 || IsUtf8Text(client->ioBuf, strlen(client->ioBuf), false));
    static ParsedLine line;
    if (!ParseLine(client->ioBuf, line))
        return true;
    if (line.hasPrefix && !IsIgnoredSender(line.sender)) {
        ChooseOutputTab(line, "tester", (line.sender[0] & 1) != 0);
        const int numeric = ReadCommandNumber(line.command);
        if (numeric != 0)
            HandleNumeric(line, numeric);
        else if (IsCtcp(line.rest))
            HandleCtcp(line);
        else
            WriteOut(line, line.rest);
    } else if (!line.hasPrefix) {
        WriteOut(line, line.params);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // The first two bytes choose the chunk size, 1 to 1024, as recv may cut.
    const size_t chunk = 1 + (((size_t)data[0] << 8 | data[1]) % 1024);
    data += 2;
    size -= 2;

    static Client client;
    memset(&client, 0, sizeof client);
    for (size_t offset = 0; offset < size; offset += chunk) {
        const size_t count = size - offset < chunk ? size - offset : chunk;
        client.lineLen = AppendReceivedBytes(client.ioBuf, sizeof client.ioBuf, client.lineLen,
                                             (const char*)data + offset, (int)count,
                                             &HandleLine, &client);
    }
    return 0;
}
