#include "protocol/server_rules.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

namespace {

enum { kLongestLengthRule = 100000 };

bool IsSymbol(char c) { return c > ' ' && c < 0x7F && c != ',' && c != ':' && !isalnum((unsigned char)c); }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A whole decimal number from low to high goes into rule; anything else
// leaves it.
void ReadNumberIn(int& rule, const char* value, int low, int high)
{
    if (value[0] < '0' || value[0] > '9' || strlen(value) > 6)
        return;
    char* end;
    const long number = strtol(value, &end, 10);
    if (*end == '\0' && number >= low && number <= high)
        rule = (int)number;
}

// "(modes)symbols", as many of each: distinct letters and distinct printable
// marks. "" and "()" mean no status modes at all.
void ReadPrefix(ServerRules& rules, const char* value)
{
    if (value[0] == '\0') {
        rules.statusModes[0] = rules.statusSymbols[0] = '\0';
        return;
    }
    const char* close = value[0] == '(' ? strchr(value, ')') : nullptr;
    if (!close)
        return;
    const size_t count = close - value - 1;
    const char* symbols = close + 1;
    if (count > kMaxStatusModes || strlen(symbols) != count)
        return;
    for (size_t i = 0; i < count; ++i) {
        if (!IsLetter(value[1 + i]) || memchr(value + 1, value[1 + i], i) ||
            !IsSymbol(symbols[i]) || memchr(symbols, symbols[i], i))
            return;
    }
    memcpy(rules.statusModes, value + 1, count);
    rules.statusModes[count] = '\0';
    memcpy(rules.statusSymbols, symbols, count);
    rules.statusSymbols[count] = '\0';
}

void ReadChannelTypes(ServerRules& rules, const char* value)
{
    const size_t length = strlen(value);
    if (length > kMaxChannelTypes)
        return;
    for (size_t i = 0; i < length; ++i) {
        if (!IsSymbol(value[i]))
            return;
    }
    memcpy(rules.channelTypes, value, length + 1);
}

// "A,B,C,D": lists, keys, modes with a parameter only when set, modes with
// none; further groups take none either. Letters only, at least four groups.
void ReadChannelModes(ServerRules& rules, const char* value)
{
    const char* keys = strchr(value, ',');
    const char* whenSet = keys ? strchr(keys + 1, ',') : nullptr;
    const char* without = whenSet ? strchr(whenSet + 1, ',') : nullptr;
    if (!without)
        return;
    const size_t always = (size_t)(whenSet - value) - 1;
    const size_t onlySet = (size_t)(without - whenSet) - 1;
    if (always > kMaxParameterModes || onlySet > kMaxParameterModes)
        return;
    for (const char* c = value; c < without; ++c) {
        if (*c != ',' && !IsLetter(*c))
            return;
    }
    char* out = rules.parameterModes;
    for (const char* c = value; c < whenSet; ++c) {
        if (*c != ',')
            *out++ = *c;
    }
    *out = '\0';
    memcpy(rules.parameterWhenSetModes, whenSet + 1, onlySet);
    rules.parameterWhenSetModes[onlySet] = '\0';
}

void ReadCaseMapping(ServerRules& rules, const char* value)
{
    if (strcmp(value, "ascii") == 0)
        rules.caseMapping = CaseMapping::Ascii;
    else if (strcmp(value, "rfc1459") == 0)
        rules.caseMapping = CaseMapping::Rfc1459;
    else if (strcmp(value, "strict-rfc1459") == 0)
        rules.caseMapping = CaseMapping::StrictRfc1459;
}

void ReadNickLength(ServerRules& rules, const char* value)
{
    ReadNumberIn(rules.nickLength, value, 1, kLongestNickRule);
}

// No value: no limit.
void ReadChannelLength(ServerRules& rules, const char* value)
{
    if (value[0] == '\0')
        rules.channelLength = 0;
    ReadNumberIn(rules.channelLength, value, 1, kLongestLengthRule);
}

void ReadTopicLength(ServerRules& rules, const char* value)
{
    if (value[0] == '\0')
        rules.topicLength = 0;
    ReadNumberIn(rules.topicLength, value, 1, kLongestLengthRule);
}

void ReadLineLength(ServerRules& rules, const char* value)
{
    ReadNumberIn(rules.lineLength, value, kShortestLineRule, kLongestLineRule);
}

// Each rule the module uses, with the value it has before the server says
// otherwise (and again after the server's "-NAME").
const struct RuleReader {
    const char* name;
    const char* defaultValue;
    void (*read)(ServerRules& rules, const char* value);
} kRuleReaders[] = {
    { "PREFIX", "(ov)@+", ReadPrefix },
    { "CHANMODES", "beI,k,l,imnpst", ReadChannelModes },
    { "CHANTYPES", "#", ReadChannelTypes },
    { "CASEMAPPING", "ascii", ReadCaseMapping },
    { "NICKLEN", "30", ReadNickLength },
    { "CHANNELLEN", "", ReadChannelLength },
    { "TOPICLEN", "", ReadTopicLength },
    { "LINELEN", "512", ReadLineLength },
};

void ReadOneRule(ServerRules& rules, const char* word)
{
    const bool negated = word[0] == '-';
    if (negated)
        ++word;
    const char* equals = strchr(word, '=');
    const size_t nameLength = equals ? (size_t)(equals - word) : strlen(word);
    for (const RuleReader& reader : kRuleReaders) {
        if (strlen(reader.name) == nameLength && strncmp(word, reader.name, nameLength) == 0) {
            reader.read(rules, negated ? reader.defaultValue : equals ? equals + 1 : "");
            return;
        }
    }
}

} // namespace

void ResetServerRules(ServerRules& rules)
{
    for (const RuleReader& reader : kRuleReaders)
        reader.read(rules, reader.defaultValue);
}

void ReadServerRules(ServerRules& rules, const char* params)
{
    const char* next = params;
    while (*next != '\0' && *next != ':') {
        const char* end = strchr(next, ' ');
        const size_t length = end ? (size_t)(end - next) : strlen(next);
        char word[256];
        if (length > 0 && length < sizeof word) {
            memcpy(word, next, length);
            word[length] = '\0';
            ReadOneRule(rules, word);
        }
        if (!end)
            break;
        next = end + 1;
    }
}

bool IsChannelName(const ServerRules& rules, const char* name)
{
    return name[0] != '\0' && strchr(rules.channelTypes, name[0]) != nullptr;
}

int StatusRank(const ServerRules& rules, char symbol)
{
    const char* found = symbol ? strchr(rules.statusSymbols, symbol) : nullptr;
    return found ? (int)(found - rules.statusSymbols) : -1;
}

char StatusSymbolOfMode(const ServerRules& rules, char mode)
{
    const char* found = mode ? strchr(rules.statusModes, mode) : nullptr;
    return found ? rules.statusSymbols[found - rules.statusModes] : '\0';
}

bool ModeTakesParameter(const ServerRules& rules, char mode, bool given)
{
    if (mode == '\0')
        return false;
    return StatusSymbolOfMode(rules, mode) != '\0' || strchr(rules.parameterModes, mode) != nullptr ||
           (given && strchr(rules.parameterWhenSetModes, mode) != nullptr);
}

const char* SkipStatusSymbols(const ServerRules& rules, const char* entry)
{
    while (StatusRank(rules, *entry) >= 0)
        ++entry;
    return entry;
}

char FoldCase(CaseMapping mapping, char c)
{
    if (c >= 'A' && c <= 'Z')
        return (char)(c - 'A' + 'a');
    if (mapping == CaseMapping::Ascii)
        return c;
    switch (c) {
    case '[': return '{';
    case ']': return '}';
    case '\\': return '|';
    case '~': return mapping == CaseMapping::Rfc1459 ? '^' : c;
    default: return c;
    }
}

int CompareFolded(CaseMapping mapping, const char* a, const char* b)
{
    for (;; ++a, ++b) {
        const unsigned char x = (unsigned char)FoldCase(mapping, *a);
        const unsigned char y = (unsigned char)FoldCase(mapping, *b);
        if (x != y || x == '\0')
            return (int)x - (int)y;
    }
}
