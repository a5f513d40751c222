// What a code point is to the layout of marks: a combining mark, a blank or
// a base, and the scripts it is written in. The data is generated from the
// Unicode data (tools/make-mark-table.pl). No Windows types: built natively too.
#pragma once

#include <stdint.h>

enum class CharacterKind : uint8_t { Base, Mark, Blank };

struct CharacterClass {
    CharacterKind kind;
    uint8_t scripts;  // a script set (Script_Extensions)
};

// codePoint is at most U+10FFFF.
CharacterClass ClassifyCodePoint(uint32_t codePoint);

// True when a mark of the set `mark` may stand on a base of the set `base`:
// the mark is script-neutral (Inherited or Common), or the two share a script.
bool MayMarkFollow(uint8_t mark, uint8_t base);
