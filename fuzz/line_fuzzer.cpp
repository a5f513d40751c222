// Arbitrary server bytes through the client's line path: chunked as recv
// would deliver them, assembled into lines, and handed to the module's own
// ProcessLine, whose handlers choose tabs, print through the format walk,
// keep the user list and answer, all against the recorded window side
// (recording_client.cpp), which checks every line printed and sent.
#include "recording_client.h"

#include "expect.h"
#include "net/line_assembler.h"
#include "protocol/tokens.h"

#include <stdint.h>
#include <string.h>

namespace {

bool HandleLine(void* context)
{
    CIrcClient& client = *static_cast<CIrcClient*>(context);
    Expect(strlen(client.m_ioBuf) < sizeof client.m_ioBuf);
    client.ProcessLine();
    // A line that ended the session stops the read, as the socket's reader does.
    return client.m_connected != 0;
}

// Logged in as "tester", on "#marketbay", the server and channel tabs open.
void LogIn(CIrcClient& client, uint8_t choices)
{
    CopyText(client.m_szNick, sizeof client.m_szNick, "tester");
    CopyText(client.m_szServer, sizeof client.m_szServer, "irc.test");
    CopyText(client.m_szChannel, sizeof client.m_szChannel, "#marketbay");
    client.OpenTab(client.m_szServer);
    if (choices & 1)
        client.OpenTab(client.m_szChannel);
    client.m_soundOn = (choices & 2) ? 1 : 0;
    client.m_ownLinePending = (choices & 4) ? 1 : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    // The first two bytes choose the chunk size, 1 to 1024, as recv may cut;
    // the third the window's state.
    const size_t chunk = 1 + (((size_t)data[0] << 8 | data[1]) % 1024);
    const uint8_t choices = data[2];
    data += 3;
    size -= 3;

    ForgetRecordedWindow();
    CIrcClient client(NULL);
    LogIn(client, choices);
    for (size_t offset = 0; offset < size && client.m_connected; offset += chunk) {
        const size_t count = size - offset < chunk ? size - offset : chunk;
        client.m_lineLen = AppendReceivedBytes(client.m_ioBuf, sizeof client.m_ioBuf, client.m_lineLen,
                                               (const char*)data + offset, (int)count, &HandleLine, &client);
    }
    return 0;
}
