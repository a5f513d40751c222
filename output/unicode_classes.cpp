#include "output/unicode_classes.h"

#include <algorithm>
#include <iterator>

namespace {

#include "output/unicode_classes.inc"

enum : uint8_t { kInherited = 0, kCommon = 1 };

const uint8_t* SetBegin(uint8_t set) { return kSetScripts + kSetStarts[set]; }
const uint8_t* SetEnd(uint8_t set) { return kSetScripts + kSetStarts[set + 1]; }

} // namespace

CharacterClass ClassifyCodePoint(uint32_t codePoint)
{
    // The last range that starts at or before the code point.
    const uint32_t key = (codePoint << 10) | 0x3FF;
    const uint32_t* next = std::upper_bound(std::begin(kClassRanges), std::end(kClassRanges), key);
    const uint32_t range = next == std::begin(kClassRanges) ? 0 : next[-1];
    return CharacterClass{ (CharacterKind)(range >> 8 & 3), (uint8_t)(range & 0xFF) };
}

bool MayMarkFollow(uint8_t mark, uint8_t base)
{
    for (const uint8_t* script = SetBegin(mark); script != SetEnd(mark); ++script) {
        if (*script == kInherited || *script == kCommon || std::find(SetBegin(base), SetEnd(base), *script) != SetEnd(base))
            return true;
    }
    return false;
}
