// The token splitter on arbitrary lines with arbitrary token counts and
// buffer sizes, every buffer a heap block of exactly its size.
#include "exact_text.h"
#include "protocol/tokens.h"

#include <stdint.h>

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const int maxTokens = data.ConsumeIntegralInRange<int>(0, 8);
    const size_t tokenSize = data.ConsumeIntegralInRange<size_t>(1, 80);
    const bool wantRest = data.ConsumeBool();
    const size_t restSize = data.ConsumeIntegralInRange<size_t>(0, 300);
    const ExactText line(data.ConsumeRemainingBytesAsString());

    std::vector<std::unique_ptr<char[]>> storage;
    std::vector<char*> tokens;
    for (int i = 0; i < maxTokens; ++i) {
        storage.emplace_back(new char[tokenSize]);
        memset(storage.back().get(), 'x', tokenSize);
        tokens.push_back(storage.back().get());
    }
    std::unique_ptr<char[]> rest(wantRest ? new char[restSize + 1] : nullptr);
    if (rest)
        memset(rest.get(), 'x', restSize + 1);

    const int count = SplitTokens(line.get(), tokens.data(), tokenSize, maxTokens, rest.get(),
                                  restSize + 1);
    Expect(count >= 0 && count <= maxTokens);
    for (int i = 0; i < maxTokens; ++i) {
        const size_t length = strnlen(tokens[i], tokenSize);
        Expect(length < tokenSize);
        Expect(i < count || length == 0);
        // A token is made of the line's bytes, less the quotes around it.
        for (size_t at = 0; at < length; ++at)
            Expect(memchr(line.get(), tokens[i][at], line.length()) != nullptr);
    }
    if (rest) {
        const size_t length = strnlen(rest.get(), restSize + 1);
        Expect(length <= restSize);
        Expect(count == maxTokens || length == 0);
        if (length > 0)
            Expect(strstr(line.get(), rest.get()) != nullptr);
    }

    // The byte helpers on the same line.
    std::unique_ptr<char[]> lowered(new char[line.length() + 1]);
    memcpy(lowered.get(), line.get(), line.length() + 1);
    LowerAsciiInPlace(lowered.get());
    Expect(strlen(lowered.get()) == line.length());
    Expect(EqualsIgnoringAsciiCase(line.get(), lowered.get()));
    for (size_t at = 0; at < line.length(); ++at)
        Expect(lowered[at] < 'A' || lowered[at] > 'Z');
    ReadCommandNumber(line.get());
    return 0;
}
