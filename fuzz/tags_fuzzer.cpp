// Message tags on arbitrary text: one tag's value in a buffer of any size,
// unescaping, and a tagged line of any size framed by the line assembler in
// chunks of any size.
#include "exact_text.h"
#include "net/line_assembler.h"
#include "protocol/message_tags.h"

#include <stdint.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A value fits its buffer and comes from the tag section; unescaping never
// makes a text longer, and a smaller buffer keeps the start of the value.
void CheckValue(const ExactText& line, const ExactText& name, size_t size)
{
    std::unique_ptr<char[]> value(new char[size]);
    const bool found = FindMessageTag(line.get(), name.get(), value.get(), size);
    const size_t length = strnlen(value.get(), size);
    Expect(length < size && (found || length == 0));
    Expect(length <= (size_t)(SkipTagSection(line.get()) - line.get()));

    std::unique_ptr<char[]> whole(new char[line.length() + 1]);
    const size_t wholeLength = UnescapeTagValue(line.get(), line.length(), whole.get(), line.length() + 1);
    Expect(wholeLength <= line.length() && whole[wholeLength] == '\0');
    const size_t cutLength = UnescapeTagValue(line.get(), line.length(), value.get(), size);
    Expect(cutLength == std::min(wholeLength, size - 1) && value[cutLength] == '\0');
    Expect(memcmp(value.get(), whole.get(), cutLength) == 0);
}

// `length` bytes of the source for one line: no line break or NUL, and
// no blank where it must stay one tag section.
std::string LineBytes(const std::string& source, size_t length, const char* unwanted)
{
    std::string bytes;
    for (size_t at = 0; at < length; ++at) {
        const char c = source.empty() ? 't' : source[at % source.size()];
        bytes += (c == '\0' || strchr(unwanted, c)) ? 'x' : c;
    }
    return bytes;
}

struct Framing {
    char line[2048] = {};
    std::vector<std::string> lines;

    static bool Record(void* context)
    {
        Framing& self = *static_cast<Framing*>(context);
        self.lines.push_back(self.line);
        return true;
    }
};

// The line comes whole if it fits, else with its tags cut to "@ " if its
// rest fits, else not at all; the next line comes intact.
void CheckFraming(const std::string& source, size_t tagsLength, size_t restLength, size_t chunk)
{
    const std::string tags = "@" + LineBytes(source, tagsLength, " \r\n");
    const std::string rest = LineBytes(source, restLength, "\r\n");
    const std::string stream = tags + " " + rest + "\r\nPING :next\r\n";
    Framing framing;
    int32_t pending = 0;
    for (size_t at = 0; at < stream.size(); at += chunk) {
        const size_t count = std::min(chunk, stream.size() - at);
        pending = AppendReceivedBytes(framing.line, sizeof framing.line, pending, stream.data() + at, (int)count,
                                      &Framing::Record, &framing);
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

    CheckValue(line, name, valueSize);
    CheckFraming(std::string(line.get(), line.length()), tagsLength, restLength, chunk);
    return 0;
}
