// The rules a server announces in its ISUPPORT (005) replies: which symbols
// mark a member's status on a channel, which characters start a channel's
// name, how names compare, and its length limits. Kept per connection; until
// the first 005 the rules are the module's own defaults. No Windows types:
// built natively too.
#pragma once

enum class CaseMapping {
    Ascii,          // A-Z and a-z
    Rfc1459,        // also [ ] \ ~ and { } | ^
    StrictRfc1459,  // also [ ] \ and { } |
};

enum {
    kMaxStatusModes = 8,
    kMaxChannelTypes = 8,
    kMaxParameterModes = 52,
    kLongestNickRule = 255,
    kShortestLineRule = 512,
    kLongestLineRule = 4096,
};

struct ServerRules {
    // The status modes and their symbols, highest rank first ("ov", "@+").
    char statusModes[kMaxStatusModes + 1];
    char statusSymbols[kMaxStatusModes + 1];
    // The channel modes that are not statuses yet take a parameter: always
    // (lists and keys, "beIk") and only when set (limits, "l").
    char parameterModes[kMaxParameterModes + 1];
    char parameterWhenSetModes[kMaxParameterModes + 1];
    // The characters a channel's name starts with ("#").
    char channelTypes[kMaxChannelTypes + 1];
    CaseMapping caseMapping;
    int nickLength;     // bytes; 1 to kLongestNickRule
    int channelLength;  // bytes; 0 when the server said nothing
    int topicLength;    // bytes; 0 when the server said nothing
    int lineLength;     // bytes of a line, CR LF included
};

// The defaults: "@+" for "ov", the modes "b,k,l" of CHANMODES=beI,k,l,imnpst,
// '#' channels, ASCII case, 30-byte nicks, 512-byte lines.
void ResetServerRules(ServerRules& rules);

// Reads one 005 reply's parameters after the target, e.g.
// "PREFIX=(ov)@+ CHANTYPES=# :are supported by this server": the words up to
// the first that starts with ':'. A "-NAME" word restores a default. A value
// that makes no sense (a PREFIX without its parentheses or with modes and
// symbols of different counts, a number out of range) leaves its rule as it
// was; names the module does not use are skipped.
void ReadServerRules(ServerRules& rules, const char* params);

bool IsChannelName(const ServerRules& rules, const char* name);

// The rank of a status symbol, 0 being the highest; -1 for any other
// character (0 too).
int StatusRank(const ServerRules& rules, char symbol);
// The symbol of a status mode ('o' gives '@'); 0 for any other mode.
char StatusSymbolOfMode(const ServerRules& rules, char mode);
// Whether a channel mode, given (+) or taken (-), takes the next parameter
// of its MODE line: a status mode always, any other as CHANMODES says.
bool ModeTakesParameter(const ServerRules& rules, char mode, bool given);
// The text after the leading status symbols of a user list entry: the nick.
const char* SkipStatusSymbols(const ServerRules& rules, const char* entry);

// Names (nicks, channels) compare by the server's case mapping; bytes of 128
// and above (UTF-8, code page 1251) compare as they are.
char FoldCase(CaseMapping mapping, char c);
int CompareFolded(CaseMapping mapping, const char* a, const char* b);
inline bool EqualsFolded(CaseMapping mapping, const char* a, const char* b)
{
    return CompareFolded(mapping, a, b) == 0;
}
