// The server's side of capability negotiation and SASL: CAP replies,
// AUTHENTICATE challenges and the SASL numerics (900 to 908). Registration
// waits for CAP END, which goes once nothing more is negotiated.
#include "protocol/line_handlers.h"

#include "protocol/capabilities.h"
#include "protocol/chat_window.h"
#include "protocol/colours.h"
#include "protocol/line_parser.h"

#include <stdio.h>

namespace {

enum { kLoggedIn = 900 };

// The credentials and their base64 hold the password: wiped after use.
void Wipe(char* bytes, size_t size)
{
    volatile char* cursor = bytes;
    while (size--)
        *cursor++ = '\0';
}

void SendCredentials(IChatWindow& window)
{
    char credentials[3 * 1024];
    char encoded[4 * 1024 + 4];
    const size_t length = window.ReadSaslCredentials(credentials, sizeof credentials);
    if (length == 0 || EncodeBase64((const unsigned char*)credentials, length, encoded, sizeof encoded) == 0) {
        window.SendLine("AUTHENTICATE *\r\n");
    } else {
        char line[kSaslPieceSize + 32];
        for (size_t offset = 0; CutAuthenticatePiece(encoded, &offset, line, sizeof line);)
            window.SendLine(line);
        Wipe(line, sizeof line);
    }
    Wipe(credentials, sizeof credentials);
    Wipe(encoded, sizeof encoded);
}

void TakeStep(IChatWindow& window, const CCapNegotiation& caps, CapStep step)
{
    char request[64];
    switch (step) {
    case CapStep::None:
        break;
    case CapStep::Request:
        snprintf(request, sizeof request, "CAP REQ :%s\r\n", caps.RequestedCaps());
        window.SendLine(request);
        break;
    case CapStep::Authenticate:
        window.SendLine("AUTHENTICATE PLAIN\r\n");
        window.OnSaslStarted();
        break;
    case CapStep::End:
        window.SendLine("CAP END\r\n");
        break;
    }
}

// The exchange is over: registration goes on, and NickServ identifies the
// nick after the welcome unless SASL logged it in.
void EndSasl(IChatWindow& window, const CCapNegotiation& caps)
{
    window.OnSaslEnded();
    if (!caps.SaslSucceeded())
        window.PrintLine(window.FindConversation(window.ServerName()),
                         "\r\n%s*** Вход по SASL не удался, ник будет опознан через NickServ", COLOUR_CONNECTION);
}

} // namespace

void OnCap(IChatWindow& window, const ParsedLine& line, Conversation*)
{
    if (CCapNegotiation* caps = window.Capabilities())
        TakeStep(window, *caps, caps->OnCapReply(line.args));
}

void OnAuthenticateLine(IChatWindow& window, const ParsedLine& line, Conversation*)
{
    OnAuthenticate(window, line.target);
}

void OnAuthenticate(IChatWindow& window, const char* challenge)
{
    CCapNegotiation* caps = window.Capabilities();
    if (caps && caps->TakeChallenge(challenge))
        SendCredentials(window);
}

void OnSaslNumeric(IChatWindow& window, int numeric)
{
    if (numeric == kLoggedIn)
        window.OnLoggedIn();
    CCapNegotiation* caps = window.Capabilities();
    if (!caps || caps->OnSaslReply(numeric) != CapStep::End)
        return;
    TakeStep(window, *caps, CapStep::End);
    EndSasl(window, *caps);
}

void GiveUpSasl(IChatWindow& window)
{
    CCapNegotiation* caps = window.Capabilities();
    if (!caps || caps->GiveUpSasl() != CapStep::End)
        return;
    window.SendLine("AUTHENTICATE *\r\n");
    TakeStep(window, *caps, CapStep::End);
    EndSasl(window, *caps);
}
