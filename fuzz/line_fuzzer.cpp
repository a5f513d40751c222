// Arbitrary server bytes through the client's line path: chunked as recv
// would deliver them, assembled into lines, parsed, routed to a tab, and
// written out with the output formatting.
#include "net/line_assembler.h"
#include "output/colours.h"
#include "output/format_walk.h"
#include "protocol/line_parser.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

namespace {

struct Client {
    char ioBuf[2048];
    int32_t lineLen;
};

// Traps on any call out of the order the output control relies on.
class CheckedOutput final : public LineOutput {
public:
    void MoveCaretToEnd() override { Expect(calls == 0); ++calls; }
    void ApplyFormat(const TextFormat& format) override { CheckFormat(format); }
    void SetFormat(const TextFormat& format) override { CheckFormat(format); }
    void InsertRun(const char* run) override
    {
        Expect(calls > 0 && !scrolled && run[0] != '\0');
        inserted += strlen(run);
        ++calls;
    }
    void PlayMessageSound() override { Expect(calls > 0 && !scrolled); }
    void ScrollToBottom() override
    {
        Expect(calls > 0 && !scrolled && inserted < kFormattedLineSize);
        scrolled = true;
    }

    int calls = 0;
    size_t inserted = 0;
    bool scrolled = false;

private:
    static void Expect(bool condition)
    {
        if (!condition)
            __builtin_trap();
    }
    void CheckFormat(const TextFormat& format)
    {
        Expect(calls > 0 && !scrolled && (format.mask & ~kMaskAll) == 0 &&
               (format.effects & ~(kEffectBold | kEffectUnderline)) == 0);
        ++calls;
    }
};

// Writes the line's text as a chat line would be; the sender's bits choose
// whether it is the user's own and whether sound is on.
void WriteOut(const ParsedLine& line, const char* text)
{
    static char formatted[kFormattedLineSize];
    snprintf(formatted, sizeof formatted, "\r\n%s<%s> %s", COLOUR_CHAT, line.sender, text);
    CheckedOutput output;
    const LineContext context = { "tester", (line.sender[0] & 2) != 0, (line.sender[0] & 4) != 0 };
    const bool ownLineDrawn = WalkFormattedLine(formatted, context, output);
    if (output.scrolled != (output.calls > 0) || (ownLineDrawn && !context.ownLine))
        __builtin_trap();
}

bool HandleLine(void* context)
{
    Client* client = static_cast<Client*>(context);
    if (strlen(client->ioBuf) >= sizeof client->ioBuf)
        __builtin_trap();
    static ParsedLine line;
    if (!ParseLine(client->ioBuf, line))
        return true;
    if (line.hasPrefix && !IsIgnoredSender(line.sender)) {
        ChooseOutputTab(line, "tester", (line.sender[0] & 1) != 0);
        WriteOut(line, line.rest);
    } else if (!line.hasPrefix) {
        WriteOut(line, line.params);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // The first two bytes choose the chunk size, 1 to 1024, as recv may cut.
    const size_t chunk = 1 + (((size_t)data[0] << 8 | data[1]) % 1024);
    data += 2;
    size -= 2;

    static Client client;
    memset(&client, 0, sizeof client);
    for (size_t offset = 0; offset < size; offset += chunk) {
        const size_t count = size - offset < chunk ? size - offset : chunk;
        client.lineLen = AppendReceivedBytes(client.ioBuf, sizeof client.ioBuf, client.lineLen,
                                             (const char*)data + offset, (int)count,
                                             &HandleLine, &client);
    }
    return 0;
}
