// Combining marks as the output controls may show them. Wine's Uniscribe
// (64-bit) reads before the start of its glyphs for a mark that begins a
// shaped run, and the host dies of it; so a mark that does not stand on a
// base of its own script gets a visible one, U+25CC, as shaping engines draw
// a broken cluster. Wine puts U+25CC in a Latin item, the mark in one of its
// own script; a zero-width joiner between them joins the mark's item (Wine
// merges joiners rightwards), so the mark is never the item's first glyph.
// Marks stacked on one base ("Zalgo" text) are cut to a few.
// No Windows types: built natively too.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

constexpr uint32_t kDottedCircle = 0x25CC;
constexpr uint32_t kZeroWidthJoiner = 0x200D;
// Marks kept on one base: as many as real writing stacks (a Hebrew letter
// with dagesh, vowel and cantillation), no more.
constexpr unsigned kMarksPerBase = 4;

// Judges the shown characters of one run in order. A run begins with no
// base: the control shapes each run, a change of colour or style included,
// on its own.
class CombiningMarkGuard {
public:
    // KeepAfterDottedCircle: U+25CC and U+200D go before the mark.
    enum class Verdict { Keep, KeepAfterDottedCircle, Drop };

    void StartRun();
    Verdict Judge(uint32_t codePoint);

private:
    static constexpr uint32_t kNoBase = 0xFFFFFFFF;
    // The character whose scripts the marks since must share: the base, or
    // the first mark put on a dotted circle.
    uint32_t m_base = kNoBase;
    unsigned m_marks = 0;
};

// The UTF-8 text as one run, guarded; bytes that are not well-formed UTF-8
// stay as they are and count as a base, as the control shows them (U+FFFD).
std::string GuardCombiningMarks(const char* text, size_t length);
