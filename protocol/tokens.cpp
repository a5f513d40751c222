#include "protocol/tokens.h"

#include <limits.h>
#include <string.h>

namespace {

enum { kLineSize = 2048, kTokenBuildSize = 4096 };

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The C locale's isspace, spelled out so that bytes of 128 and above never
// count as whitespace whatever the runtime's locale.
bool IsWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }

} // namespace

void CopyText(char* target, size_t size, const char* source)
{
    if (size == 0)
        return;
    size_t length = strlen(source);
    if (length > size - 1)
        length = size - 1;
    memcpy(target, source, length);
    target[length] = '\0';
}

int SplitTokens(const char* line, char* const tokens[], size_t tokenSize,
                int maxTokens, char* rest, size_t restSize)
{
    for (int i = 0; i < maxTokens; ++i)
        tokens[i][0] = '\0';
    if (rest && restSize)
        rest[0] = '\0';

    char buffer[kLineSize];
    CopyText(buffer, sizeof buffer, line);

    char output[kTokenBuildSize];
    size_t outputLen = 0;
    char quote = '\0';
    int count = 0;
    const char* p = buffer;

    auto emit = [&]() {
        output[outputLen] = '\0';
        CopyText(tokens[count], tokenSize, output);
        ++count;
        outputLen = 0;
    };
    auto append = [&](char c) {
        if (outputLen < sizeof output - 1)
            output[outputLen++] = c;
    };

    while (*p && count < maxTokens) {
        const char c = *p++;
        bool skip = false;
        if (quote == '\0' && IsBlank(c)) {
            if (outputLen > 0) {
                emit();
                skip = true;
            }
        } else if (quote == '\0' && (c == '"' || c == '\'')) {
            quote = c;
        } else if (quote != '\0' && c == quote) {
            quote = '\0';
            emit();
            skip = true;
        } else {
            append(c);
        }
        if (skip)
            while (IsWhitespace(*p))
                ++p;
    }
    if (outputLen > 0 && count < maxTokens)
        emit();
    if (rest && restSize && count == maxTokens)
        CopyText(rest, restSize, p);
    return count;
}

bool EqualsIgnoringAsciiCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b))
            return false;
        if (*a == '\0')
            return true;
    }
}

void LowerAsciiInPlace(char* text)
{
    for (; *text; ++text)
        *text = LowerAscii(*text);
}

int ReadCommandNumber(const char* command)
{
    const char* p = command;
    while (IsWhitespace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    long long value = 0;
    for (; IsDigit(*p); ++p) {
        if (value <= INT_MAX)
            value = value * 10 + (*p - '0');
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return (int)value;
}
