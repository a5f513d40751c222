// The ISUPPORT reader on arbitrary replies, read one after another into the
// same rules: whatever a server says, the rules stay usable.
#include "exact_text.h"
#include "protocol/server_rules.h"

#include <stdint.h>

namespace {

void ExpectUsable(const ServerRules& rules)
{
    const size_t modes = strnlen(rules.statusModes, sizeof rules.statusModes);
    Expect(modes < sizeof rules.statusModes);
    Expect(strnlen(rules.statusSymbols, sizeof rules.statusSymbols) == modes);
    for (size_t i = 0; i < modes; ++i) {
        Expect(StatusRank(rules, rules.statusSymbols[i]) == (int)i);
        Expect(StatusSymbolOfMode(rules, rules.statusModes[i]) == rules.statusSymbols[i]);
    }
    Expect(strnlen(rules.channelTypes, sizeof rules.channelTypes) < sizeof rules.channelTypes);
    Expect(rules.nickLength >= 1 && rules.nickLength <= kLongestNickRule);
    Expect(rules.lineLength >= kShortestLineRule && rules.lineLength <= kLongestLineRule);
    Expect(rules.channelLength >= 0 && rules.topicLength >= 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    ServerRules rules;
    ResetServerRules(rules);
    while (data.remaining_bytes() > 0) {
        const ExactText params(data.ConsumeRandomLengthString(600));
        ReadServerRules(rules, params.get());
        ExpectUsable(rules);

        // Folding is an equivalence that never changes a name's length.
        const char* nick = SkipStatusSymbols(rules, params.get());
        Expect(nick >= params.get() && nick <= params.get() + params.length());
        Expect(EqualsFolded(rules.caseMapping, params.get(), params.get()));
        for (size_t at = 0; at < params.length(); ++at) {
            const char folded = FoldCase(rules.caseMapping, params.get()[at]);
            Expect(folded != '\0' && FoldCase(rules.caseMapping, folded) == folded);
        }
    }
    return 0;
}
