#include "protocol/ctcp.h"

#include "protocol/tokens.h"

#include <string.h>

namespace {

const char kDelimiter = '\x01';
const char kAnswerEnd[] = "\x01\r\n";
const size_t kAnswerEndLength = sizeof kAnswerEnd - 1;

// Appends source, up to its first byte in stops, to the length bytes of
// text, never beyond room bytes.
void Append(char* text, size_t room, size_t& length, const char* source, const char* stops)
{
    const size_t wanted = strcspn(source, stops);
    const size_t taken = wanted < room - length ? wanted : room - length;
    memcpy(text + length, source, taken);
    length += taken;
}

// Splits the text at its first space into word and parameter; returns the
// parameter, or null when there is no space.
char* CutWord(char* text, CtcpMessage& message)
{
    message.word = text;
    message.parameter = nullptr;
    char* space = strchr(text, ' ');
    if (!space)
        return nullptr;
    *space = '\0';
    message.parameter = space + 1;
    return space + 1;
}

// A nick from a quoted prefix may hold a space, and the server would read
// the answer's text from there on, or a comma, which names a second target.
bool IsOneTarget(const char* nick)
{
    return nick[0] != '\0' && nick[0] != ':' && !strpbrk(nick, " ,\r\n");
}

} // namespace

bool IsCtcp(const char* text)
{
    return text[0] == kDelimiter;
}

void CutCtcpRequest(const char* text, CtcpMessage& request)
{
    CopyText(request.text, sizeof request.text, text);
    const size_t length = strlen(request.text);
    if (length > 0 && request.text[length - 1] == kDelimiter)
        request.text[length - 1] = '\0';

    char* body = request.text[0] == kDelimiter ? request.text + 1 : request.text;
    char* parameter = CutWord(body, request);
    char* end = parameter ? strchr(parameter, kDelimiter) : nullptr;
    if (end)
        *end = '\0';
}

void CutCtcpReply(const char* text, CtcpMessage& reply)
{
    CopyText(reply.text, sizeof reply.text, text[0] ? text + 1 : text);
    const size_t length = strlen(reply.text);
    if (length > 0)
        reply.text[length - 1] = '\0';
    CutWord(reply.text, reply);
}

size_t ComposeCtcpAnswer(char* answer, size_t size, const char* nick, const char* word,
                         const char* parameter)
{
    if (size < kAnswerEndLength + 2 || !IsOneTarget(nick)) {
        if (size > 0)
            answer[0] = '\0';
        return 0;
    }
    const size_t limit = size - 1 < kCtcpAnswerLimit ? size - 1 : kCtcpAnswerLimit;
    const size_t room = limit - kAnswerEndLength;

    // The parameter stops where a CTCP or the line would end early.
    size_t length = 0;
    Append(answer, room, length, "NOTICE ", "");
    Append(answer, room, length, nick, "");
    Append(answer, room, length, " :\x01", "");
    Append(answer, room, length, word, "");
    Append(answer, room, length, " ", "");
    Append(answer, room, length, parameter, "\x01\r\n");
    memcpy(answer + length, kAnswerEnd, sizeof kAnswerEnd);
    return length + kAnswerEndLength;
}

int ReadPingSlot(const CtcpMessage& reply, int slots)
{
    if (!reply.parameter)
        return -1;
    const int slot = ReadCommandNumber(reply.parameter);
    return slot >= 0 && slot < slots ? slot : -1;
}
