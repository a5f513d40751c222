// Arbitrary server bytes through the client's line path: chunked as recv
// would deliver them, assembled into lines, parsed, and routed to a tab.
#include "net/line_assembler.h"
#include "protocol/line_parser.h"

#include <stdint.h>
#include <string.h>

namespace {

struct Client {
    char ioBuf[2048];
    int32_t lineLen;
};

bool HandleLine(void* context)
{
    Client* client = static_cast<Client*>(context);
    if (strlen(client->ioBuf) >= sizeof client->ioBuf)
        __builtin_trap();
    static ParsedLine line;
    if (ParseLine(client->ioBuf, line) && line.hasPrefix && !IsIgnoredSender(line.sender))
        ChooseOutputTab(line, "tester", (line.sender[0] & 1) != 0);
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
