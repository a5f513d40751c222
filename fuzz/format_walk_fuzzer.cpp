// The output code walk on arbitrary formatted lines, with an arbitrary own
// nick and own-line and sound flags.
#include "checked_output.h"
#include "exact_text.h"
#include "output/rich_text.h"

#include <stdint.h>

namespace {

class SilentRuns final : public RichTextRuns {
public:
    void PlayMessageSound() override {}
};

// The stream is plain printable ASCII whose groups close in order: every
// byte of the text was escaped, and the control reads no more and no less.
void ExpectWellFormed(const std::string& stream)
{
    int depth = 0;
    for (size_t i = 0; i < stream.size(); ++i) {
        const unsigned char c = stream[i];
        Expect(c >= 0x20 && c <= 0x7e);
        if (c == '\\') {
            Expect(i + 1 < stream.size());
            ++i;  // an escaped character or the first letter of a word
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            Expect(--depth >= 0);
        }
    }
    Expect(depth == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const bool ownLine = data.ConsumeBool();
    const bool soundOn = data.ConsumeBool();
    const ExactText nick = ConsumeText(data, 40);
    const ExactText text(data.ConsumeRemainingBytesAsString());

    CheckedOutput output;
    const LineContext context = { nick.get(), ownLine, soundOn };
    const bool ownLineDrawn = WalkFormattedLine(text.get(), context, output);

    // Either nothing is done, or the line ends scrolled to the bottom.
    Expect(output.scrolled == (output.calls > 0));
    Expect(!ownLineDrawn || ownLine);
    Expect(output.sounds <= 1 && (output.sounds == 0 || soundOn));
    // Runs are the line's own bytes with the codes taken out, read no
    // further than the line's limit.
    const size_t readable = text.length() < kFormattedLineSize - 1 ? text.length()
                                                                   : kFormattedLineSize - 1;
    Expect(output.inserted <= readable);
    const char* dropMark = strstr(text.get(), "No origin specified(null)");
    if (dropMark && (size_t)(dropMark - text.get()) + 25 <= readable)
        Expect(output.calls == 0);
    IsChatLine(text.get());

    // The same line, and once more, as the rich text a batch collects.
    SilentRuns runs;
    WalkFormattedLine(text.get(), context, runs);
    WalkFormattedLine(text.get(), context, runs);
    Expect(runs.ScrollWanted() == (output.calls > 0));
    Expect(runs.HasText() == (output.inserted > 0));
    ExpectWellFormed(runs.ComposeStream(1251));
    return 0;
}
