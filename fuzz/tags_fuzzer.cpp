// Message tags on arbitrary text: the section's end, one tag's value into a
// buffer of any size, unescaping, and a tagged line of any size framed by
// the line assembler in chunks of any size.
#include "exact_text.h"
#include "net/line_assembler.h"
#include "protocol/message_tags.h"

#include <stdint.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The section ends at the first space: the rest starts after it.
void CheckSection(const ExactText& line)
{
    const char* rest = SkipTagSection(line.get());
    const char* end = line.get() + line.length();
    Expect(rest >= line.get() && rest <= end);
    if (line.get()[0] != '@') {
        Expect(rest == line.get());
        return;
    }
    const char* space = strchr(line.get(), ' ');
    Expect(space ? rest == space + 1 : rest == end);
}

// A value fits its buffer, is no longer than the section it came from, and
// unescaping never makes a text longer; a smaller buffer keeps its start.
void CheckValue(const ExactText& line, const ExactText& name, size_t size)
{
    std::unique_ptr<char[]> value(new char[size]);
    const bool found = FindMessageTag(line.get(), name.get(), value.get(), size);
    const size_t length = strnlen(value.get(), size);
    Expect(length < size);
    Expect(found ? line.get()[0] == '@' : length == 0);
    Expect(length <= (size_t)(SkipTagSection(line.get()) - line.get()));

    std::unique_ptr<char[]> whole(new char[line.length() + 1]);
    const size_t wholeLength = UnescapeTagValue(line.get(), line.length(), whole.get(), line.length() + 1);
    Expect(wholeLength <= line.length() && whole[wholeLength] == '\0');
    const size_t cutLength = UnescapeTagValue(line.get(), line.length(), value.get(), size);
    Expect(cutLength == std::min(wholeLength, size - 1) && value[cutLength] == '\0');
    Expect(memcmp(value.get(), whole.get(), cutLength) == 0);
}

// Text the stream may carry inside one line: no line feed, carriage return
// or NUL, and no space where it must stay one tag section.
std::string LineBytes(const std::string& source, size_t length, bool spaces)
{
    std::string bytes;
    for (size_t at = 0; at < length; ++at) {
        const char c = source.empty() ? 't' : source[at % source.size()];
        bytes += (c == '\n' || c == '\r' || c == '\0' || (c == ' ' && !spaces)) ? 'x' : c;
    }
    return bytes;
}

struct Framing {
    char line[2048] = {};
    std::vector<std::string> lines;
};

bool RecordLine(void* context)
{
    Framing& framing = *static_cast<Framing*>(context);
    framing.lines.push_back(framing.line);
    return true;
}

// The line comes whole, tags and all, or with its tags cut to "@ " when it
// would not fit, or not at all when even the rest is too long; the next
// line comes intact.
void CheckFraming(const std::string& source, size_t tagsLength, size_t restLength, size_t chunk)
{
    const std::string tags = "@" + LineBytes(source, tagsLength, false);
    const std::string rest = LineBytes(source, restLength, true);
    const std::string stream = tags + " " + rest + "\r\nPING :next\r\n";
    Framing framing;
    int32_t pending = 0;
    for (size_t at = 0; at < stream.size(); at += chunk) {
        const std::string piece = stream.substr(at, chunk);
        pending = AppendReceivedBytes(framing.line, sizeof framing.line, pending, piece.data(), (int)piece.size(),
                                      &RecordLine, &framing);
    }
    std::vector<std::string> expected;
    const size_t full = sizeof framing.line - 1;
    if (tags.size() + 1 + rest.size() <= full)
        expected.push_back(tags + " " + rest);
    else if (2 + rest.size() <= full)
        expected.push_back("@ " + rest);
    expected.push_back("PING :next");
    Expect(framing.lines == expected && pending == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const size_t valueSize = data.ConsumeIntegralInRange<size_t>(1, 80);
    const size_t tagsLength = data.ConsumeIntegralInRange<size_t>(0, 9000);
    const size_t restLength = data.ConsumeIntegralInRange<size_t>(0, 2100);
    const size_t chunk = data.ConsumeIntegralInRange<size_t>(1, 3000);
    const ExactText name = ConsumeText(data, 40);
    const ExactText line(data.ConsumeRemainingBytesAsString());

    CheckSection(line);
    CheckValue(line, name, valueSize);
    CheckFraming(std::string(line.get(), line.length()), tagsLength, restLength, chunk);
    return 0;
}
