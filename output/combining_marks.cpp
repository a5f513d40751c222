#include "output/combining_marks.h"

#include "protocol/wire_text.h"
#include "output/unicode_classes.h"

namespace {

// No code point below U+0300 is a mark: the classes of most text need no
// look-up.
constexpr uint32_t kFirstMark = 0x300;
constexpr uint32_t kLastCodePoint = 0x10FFFF;

bool IsBlankBelowMarks(uint32_t codePoint)
{
    return codePoint <= 0x20 || (codePoint >= 0x7F && codePoint <= 0xA0);
}

} // namespace

void CombiningMarkGuard::StartRun()
{
    m_base = kNoBase;
    m_marks = 0;
}

CombiningMarkGuard::Verdict CombiningMarkGuard::Judge(uint32_t codePoint)
{
    // A character not shown at all (kNothingShown) changes nothing.
    if (codePoint > kLastCodePoint)
        return Verdict::Keep;
    const CharacterClass character = codePoint < kFirstMark
        ? CharacterClass{ IsBlankBelowMarks(codePoint) ? CharacterKind::Blank : CharacterKind::Base, 0 }
        : ClassifyCodePoint(codePoint);
    if (character.kind != CharacterKind::Mark) {
        m_base = character.kind == CharacterKind::Base ? codePoint : kNoBase;
        m_marks = 0;
        return Verdict::Keep;
    }
    if (m_base != kNoBase && m_marks >= kMarksPerBase)
        return Verdict::Drop;
    if (m_base != kNoBase && MayMarkFollow(character.scripts, ClassifyCodePoint(m_base).scripts)) {
        ++m_marks;
        return Verdict::Keep;
    }
    m_base = codePoint;
    m_marks = 1;
    return Verdict::KeepAfterDottedCircle;
}

std::string GuardCombiningMarks(const char* text, size_t length)
{
    std::string guarded;
    guarded.reserve(length);
    CombiningMarkGuard guard;
    size_t at = 0;
    while (at < length) {
        uint32_t codePoint;
        const size_t taken = ReadCodePoint(text + at, length - at, &codePoint);
        const CombiningMarkGuard::Verdict verdict = guard.Judge(ChooseShownCodePoint(codePoint));
        if (verdict == CombiningMarkGuard::Verdict::KeepAfterDottedCircle)
            guarded += "\xE2\x97\x8C\xE2\x80\x8D";  // U+25CC U+200D in UTF-8
        if (verdict != CombiningMarkGuard::Verdict::Drop)
            guarded.append(text + at, taken);
        at += taken;
    }
    return guarded;
}
