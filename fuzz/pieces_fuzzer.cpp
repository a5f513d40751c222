// The piece cutters on arbitrary text: the word reader, numeric replies
// (with their calendar text),
// CTCP requests and replies and their answers, typed text cut for the wire,
// and the login panel's rules. The first byte chooses the cutter.
#include "client/login_rules.h"
#include "exact_text.h"
#include "one_target.h"
#include "net/outgoing_text.h"
#include "protocol/ctcp.h"
#include "protocol/numeric_pieces.h"
#include "protocol/numeric_time.h"
#include "protocol/server_rules.h"
#include "protocol/words.h"

#include <stdint.h>
#include <time.h>

namespace {

bool WithinText(const char* piece, const ExactText& text)
{
    return piece >= text.get() && piece <= text.get() + text.length();
}

void ReadWords(FuzzedDataProvider& data)
{
    const ExactText text = ConsumeText(data, 600);
    WordReader reader(text.get());
    for (int step = 0; step < 64 && data.remaining_bytes() > 0; ++step) {
        const char* before = reader.Remainder();
        Expect(WithinText(before, text) || before[0] == '\0');
        if (data.ConsumeBool()) {
            reader.Skip();
            continue;
        }
        const size_t size = data.ConsumeIntegralInRange<size_t>(0, 40);
        std::unique_ptr<char[]> word(new char[size ? size : 1]);
        word[0] = '\0';
        reader.Next(word.get(), size);
        if (size > 0) {
            const size_t length = strnlen(word.get(), size);
            Expect(length < size && strncmp(word.get(), before, length) == 0);
            Expect(strchr(word.get(), ' ') == nullptr);
        }
    }
    SkipOne(text.get(), data.ConsumeIntegral<char>());
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

void CutNumeric(FuzzedDataProvider& data)
{
    const NumericKind kind = data.ConsumeBool()
        ? ClassifyNumeric(data.ConsumeIntegralInRange<int>(-1, 1000))
        : static_cast<NumericKind>(
              data.ConsumeIntegralInRange<int>(0, static_cast<int>(NumericKind::Generic)));
    const ExactText rest(data.ConsumeRemainingBytesAsString());
    static NumericPieces pieces;
    memset(&pieces, 0, sizeof pieces);
    CutNumericPieces(kind, rest.get(), pieces);
    for (const char* word : pieces.words)
        Expect(strnlen(word, kNumericWordSize) < kNumericWordSize);
    Expect(pieces.text != nullptr && pieces.tail != nullptr);
    Expect(WithinText(pieces.text, rest) || pieces.text[0] == '\0');
    Expect(pieces.headLength >= 0 && (size_t)pieces.headLength <= strlen(pieces.text));
    Expect(WithinText(pieces.tail, rest) || pieces.tail[0] == '\0');
    // The generic line is the rest less its first ':', nothing added.
    if (kind == NumericKind::Generic) {
        const size_t colons = strchr(rest.get(), ':') ? 1 : 0;
        Expect(pieces.headLength + strlen(pieces.tail) + colons == strlen(rest.get()));
    }
    FormatTimes(pieces);
}

// Nick and word come from the client and never hold a line break or \x01.
ExactText ConsumeName(FuzzedDataProvider& data, size_t maxLength)
{
    std::string name = data.ConsumeRandomLengthString(maxLength);
    for (char& c : name) {
        if (c == '\r' || c == '\n' || c == '\x01')
            c = '_';
    }
    return ExactText(name);
}

void CutCtcp(FuzzedDataProvider& data)
{
    const size_t size = data.ConsumeIntegralInRange<size_t>(0, 600);
    const int slots = data.ConsumeIntegralInRange<int>(0, 600);
    const ExactText nick = ConsumeName(data, 600);
    const ExactText word = ConsumeName(data, 40);
    const ExactText text(data.ConsumeRemainingBytesAsString());

    static CtcpMessage message;
    CutCtcpReply(text.get(), message);
    const int slot = ReadPingSlot(message, slots);
    Expect(slot >= -1 && slot < slots);
    CutCtcpRequest(text.get(), message);
    Expect(message.word != nullptr);
    const char* parameter = message.parameter ? message.parameter : "";
    Expect(strchr(parameter, '\x01') == nullptr);

    std::unique_ptr<char[]> answer(new char[size ? size : 1]);
    const size_t length = ComposeCtcpAnswer(answer.get(), size, nick.get(), word.get(), parameter);
    if (size < 5 || !IsOneTarget(nick.get())) {
        Expect(length == 0 && (size == 0 || answer[0] == '\0'));
        return;
    }
    // One line, within the limit, its CTCP closed and ended by CR LF.
    Expect(length == strlen(answer.get()) && length < size && length <= kCtcpAnswerLimit);
    Expect(strcmp(answer.get() + length - 3, "\x01\r\n") == 0);
    Expect(strcspn(answer.get(), "\r\n") == length - 2);
    int delimiters = 0;
    for (size_t at = 0; at < length; ++at)
        delimiters += answer[at] == '\x01';
    Expect(delimiters <= 2);
}

void CutOutgoing(FuzzedDataProvider& data)
{
    const size_t targetLength = data.ConsumeIntegralInRange<size_t>(0, 1000);
    const size_t nickLength = data.ConsumeIntegralInRange<size_t>(0, 100);
    const size_t lineLength = data.ConsumeIntegralInRange<size_t>(kShortestLineRule, kLongestLineRule);
    const size_t limit = PrivmsgTextLimit(lineLength, targetLength, nickLength);
    Expect(limit >= 64 && limit < lineLength);
    const size_t chosen = data.ConsumeBool() ? limit : data.ConsumeIntegralInRange<size_t>(1, 600);
    const ExactText text(data.ConsumeRemainingBytesAsString());

    // Every piece is non-empty, within the limit, free of line breaks, and
    // the cursor only moves forward through the text.
    const char* cursor = text.get();
    const char* piece = nullptr;
    size_t length = 0;
    size_t taken = 0;
    for (size_t round = 0; round <= text.length(); ++round) {
        const char* before = cursor;
        if (!NextMessagePiece(&cursor, chosen, &piece, &length))
            break;
        Expect(length > 0 && length <= chosen && cursor > before);
        Expect(piece >= before && piece + length <= text.get() + text.length());
        Expect(memchr(piece, '\r', length) == nullptr && memchr(piece, '\n', length) == nullptr);
        taken += length;
    }
    Expect(*cursor == '\0' && taken <= text.length());

    std::unique_ptr<char[]> field(new char[text.length() + 1]);
    memcpy(field.get(), text.get(), text.length() + 1);
    CutAtLineBreak(field.get());
    Expect(strpbrk(field.get(), "\r\n") == nullptr &&
           strncmp(field.get(), text.get(), strlen(field.get())) == 0);
}

void CheckLogin(FuzzedDataProvider& data)
{
    const ExactText server = ConsumeText(data, 80);
    const ExactText port = ConsumeText(data, 20);
    const ExactText nick = ConsumeText(data, 80);
    const ExactText password = ConsumeText(data, 80);
    const ExactText email(data.ConsumeRemainingBytesAsString());
    const LoginRefusal connect = CheckConnectFields(server.get(), ReadPort(port.get()).port, nick.get());
    const bool allGiven = server.length() > 0 && nick.length() > 0 && ReadPort(port.get()).port != 0;
    Expect(connect == (allGiven ? LoginRefusal::None : LoginRefusal::MissingData));
    const LoginRefusal login = CheckLoginFields(nick.get(), password.get(), email.get());
    Expect(login != LoginRefusal::MissingData);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size == 0)
        return 0;
    FuzzedDataProvider data(bytes + 1, size - 1);
    switch (bytes[0] % 5) {
    case 0: ReadWords(data); break;
    case 1: CutNumeric(data); break;
    case 2: CutCtcp(data); break;
    case 3: CutOutgoing(data); break;
    default: CheckLogin(data); break;
    }
    return 0;
}
