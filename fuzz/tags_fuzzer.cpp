// Message tags on arbitrary text: one tag's value in a buffer of any size,
// every buffer a heap block of exactly its size, and unescaping.
#include "exact_text.h"
#include "protocol/message_tags.h"

#include <stdint.h>

#include <algorithm>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const size_t valueSize = data.ConsumeIntegralInRange<size_t>(1, 80);
    const ExactText name = ConsumeText(data, 40);
    const ExactText line(data.ConsumeRemainingBytesAsString());

    CheckValue(line, name, valueSize);
    return 0;
}
