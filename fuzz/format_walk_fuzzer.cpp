// The output code walk on arbitrary formatted lines, with an arbitrary own
// nick and own-line and sound flags.
#include "checked_output.h"
#include "exact_text.h"

#include <stdint.h>

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
    return 0;
}
