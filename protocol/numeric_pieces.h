// Which numeric replies the client knows, and the pieces each one shows.
// No Windows types: built natively too.
#pragma once

#include <stdint.h>

enum { kNumericWordSize = 1024 };

enum class NumericKind {
    Plain,          // welcome, server and MOTD lines: the rest as it is
    WhoisUser,      // 311
    WhoisServer,    // 312
    WhoisIdle,      // 317
    WhoisEnd,       // 318
    WhoisChannels,  // 319
    Topic,          // 332
    TopicSetBy,     // 333
    Names,          // 353
    NamesEnd,       // 366
    NoSuchNick,     // 401
    ErroneousNick,  // 432
    NickInUse,      // 433
    Generic,        // any other
};

NumericKind ClassifyNumeric(int numeric);

// What a reply's rest holds for its kind. Words are copies, cut to
// kNumericWordSize - 1 bytes; text and tail point into the rest, or at a
// constant, and are never null. Pieces a kind does not read stay empty.
struct NumericPieces {
    // 311: nick, user, host; 312: nick, server; 317, 318, 319: nick;
    // 333: who set the topic; 353: the channel.
    char words[3][kNumericWordSize];
    // Plain: the rest; 311, 312, 319: the remainder less one ':';
    // 332: the topic less one ':'; 353: the names less every leading ':';
    // Generic: the rest, of which headLength bytes come before the ':'.
    const char* text;
    bool hasText;        // 332: the remainder after the channel is not empty
    int headLength;      // Generic
    const char* tail;    // Generic: after the first ':', else empty
    int32_t idleSeconds; // 317
    bool hasTime;        // 317: a sign-on word was given; 333: always
    int64_t time;        // 317, 333: seconds since 1970-01-01 00:00 UTC
};

void CutNumericPieces(NumericKind kind, const char* rest, NumericPieces& pieces);
