// An output control for the fuzz targets that traps on any call out of the
// order the rich-edit control relies on, and keeps what it was given.
#pragma once

#include "expect.h"
#include "output/format_walk.h"

#include <stddef.h>

#include <string>

class CheckedOutput final : public LineOutput {
public:
    void MoveCaretToEnd() override { Expect(calls == 0); ++calls; }
    void ApplyFormat(const TextFormat& format) override { CheckFormat(format); }
    void SetFormat(const TextFormat& format) override { CheckFormat(format); }
    void InsertRun(const char* run) override
    {
        Expect(calls > 0 && !scrolled && run[0] != '\0');
        text += run;
        ++calls;
    }
    void PlayMessageSound() override
    {
        Expect(calls > 0 && !scrolled);
        ++sounds;
    }
    void ScrollToBottom() override
    {
        Expect(calls > 0 && !scrolled && text.size() < kFormattedLineSize);
        scrolled = true;
    }

    int calls = 0;
    int sounds = 0;
    bool scrolled = false;
    std::string text;

private:
    void CheckFormat(const TextFormat& format)
    {
        Expect(calls > 0 && !scrolled && (format.mask & ~kMaskAll) == 0 &&
               (format.effects & ~(kEffectBold | kEffectUnderline)) == 0 &&
               (format.colour & 0xff000000) == 0);
        ++calls;
    }
};
