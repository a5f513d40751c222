#include "protocol/numeric_pieces.h"

#include "protocol/tokens.h"
#include "protocol/words.h"

#include <string.h>

// Numbers in replies are read as commands are: clamped, never overflowing.
static_assert(sizeof(int) == sizeof(int32_t), "replies carry 32-bit numbers");

namespace {

struct KnownNumeric {
    int numeric;
    NumericKind kind;
};

const KnownNumeric kKnownNumerics[] = {
    { 1, NumericKind::Plain },   { 2, NumericKind::Plain },   { 3, NumericKind::Plain },
    { 4, NumericKind::Plain },   { 250, NumericKind::Plain }, { 251, NumericKind::Plain },
    { 255, NumericKind::Plain }, { 265, NumericKind::Plain }, { 266, NumericKind::Plain },
    { 372, NumericKind::Plain }, { 375, NumericKind::Plain }, { 376, NumericKind::Plain },
    { 311, NumericKind::WhoisUser },
    { 312, NumericKind::WhoisServer },
    { 317, NumericKind::WhoisIdle },
    { 318, NumericKind::WhoisEnd },
    { 319, NumericKind::WhoisChannels },
    { 332, NumericKind::Topic },
    { 333, NumericKind::TopicSetBy },
    { 353, NumericKind::Names },
    { 366, NumericKind::NamesEnd },
    { 401, NumericKind::NoSuchNick },
    { 432, NumericKind::ErroneousNick },
    { 433, NumericKind::NickInUse },
};

void TakeWords(WordReader& reader, NumericPieces& pieces, int count)
{
    for (int i = 0; i < count; ++i)
        reader.Next(pieces.words[i], sizeof pieces.words[i]);
}

const char* SkipAllColons(const char* text)
{
    while (*text == ':')
        ++text;
    return text;
}

} // namespace

NumericKind ClassifyNumeric(int numeric)
{
    for (const KnownNumeric& known : kKnownNumerics) {
        if (known.numeric == numeric)
            return known.kind;
    }
    return NumericKind::Generic;
}

void CutNumericPieces(NumericKind kind, const char* rest, NumericPieces& pieces)
{
    for (char* word : pieces.words)
        word[0] = '\0';
    pieces.text = "";
    pieces.hasText = false;
    pieces.headLength = 0;
    pieces.tail = "";
    pieces.idleSeconds = 0;
    pieces.hasTime = false;
    pieces.time = 0;

    WordReader reader(rest);
    switch (kind) {
    case NumericKind::Plain:
        pieces.text = rest;
        break;
    case NumericKind::WhoisUser:
        TakeWords(reader, pieces, 3);
        reader.Skip();
        pieces.text = SkipOne(reader.Remainder(), ':');
        break;
    case NumericKind::WhoisServer:
        TakeWords(reader, pieces, 2);
        pieces.text = SkipOne(reader.Remainder(), ':');
        break;
    case NumericKind::WhoisIdle: {
        TakeWords(reader, pieces, 1);
        char number[kNumericWordSize];
        reader.Next(number, sizeof number);
        pieces.idleSeconds = ReadCommandNumber(number);
        reader.Next(number, sizeof number);
        pieces.hasTime = number[0] != '\0';
        pieces.time = ReadCommandNumber(number);
        break;
    }
    case NumericKind::WhoisEnd:
        TakeWords(reader, pieces, 1);
        break;
    case NumericKind::WhoisChannels:
        TakeWords(reader, pieces, 1);
        pieces.text = SkipOne(reader.Remainder(), ':');
        break;
    case NumericKind::Topic:
        reader.Skip();
        pieces.hasText = reader.Remainder()[0] != '\0';
        pieces.text = SkipOne(reader.Remainder(), ':');
        break;
    case NumericKind::TopicSetBy:
        reader.Skip();
        TakeWords(reader, pieces, 1);
        pieces.hasTime = true;
        pieces.time = ReadCommandNumber(reader.Remainder());
        break;
    case NumericKind::Names:
        reader.Skip();
        TakeWords(reader, pieces, 1);
        pieces.text = SkipAllColons(reader.Remainder());
        break;
    case NumericKind::Generic: {
        const char* colon = strchr(rest, ':');
        pieces.text = rest;
        pieces.headLength = (int)(colon ? colon - rest : strlen(rest));
        pieces.tail = colon ? colon + 1 : "";
        break;
    }
    case NumericKind::NamesEnd:
    case NumericKind::NoSuchNick:
    case NumericKind::ErroneousNick:
    case NumericKind::NickInUse:
        break;
    }
}
