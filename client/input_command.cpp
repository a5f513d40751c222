#include "client/input_command.h"

#include "protocol/tokens.h"

#include <stdio.h>
#include <string.h>

namespace {

struct CommandName {
    const char* word;
    InputCommand command;
    bool takesTarget;
};

const CommandName kCommands[] = {
    { "me", InputCommand::Me, false },         { "msg", InputCommand::Msg, true },
    { "query", InputCommand::Query, true },    { "quit", InputCommand::Quit, false },
    { "help", InputCommand::Help, false },     { "nick", InputCommand::Nick, true },
    { "away", InputCommand::Away, false },     { "ignore", InputCommand::Ignore, true },
    { "unignore", InputCommand::Unignore, true },
};

const char kBlanks[] = " \t";

// Copies the word at text (up to a blank) into word, cut to fit; returns
// what follows it, blanks skipped.
const char* TakeWord(const char* text, char* word, size_t size)
{
    const size_t length = strcspn(text, kBlanks);
    snprintf(word, size, "%.*s", (int)length, text);
    text += length;
    return text + strspn(text, kBlanks);
}

const char* const kSecretCommands[] = { "identify", "register" };

} // namespace

void ReadTypedLine(const char* line, TypedLine& typed)
{
    typed.command = InputCommand::Text;
    typed.word[0] = '\0';
    typed.target[0] = '\0';
    typed.text = line;
    typed.line = line;
    if (line[0] != '/' || strpbrk(line, "\r\n"))
        return;
    if (line[1] == '/') {
        typed.text = line + 1;
        return;
    }
    const char* rest = TakeWord(line + 1, typed.word, sizeof typed.word);
    typed.command = InputCommand::Unknown;
    typed.text = rest;
    for (const CommandName& name : kCommands) {
        if (!EqualsIgnoringAsciiCase(typed.word, name.word))
            continue;
        typed.command = name.command;
        if (name.takesTarget)
            typed.text = TakeWord(rest, typed.target, sizeof typed.target);
        return;
    }
}

TargetRefusal CheckTarget(const ServerRules& rules, const char* target, const char* channel)
{
    if (!target[0])
        return TargetRefusal::Missing;
    if (target[0] == ':' || strpbrk(target, "\r\n, \t") || StatusRank(rules, target[0]) >= 0)
        return TargetRefusal::Malformed;
    if (strchr(rules.channelTypes, target[0]) && !EqualsFolded(rules.caseMapping, target, channel))
        return TargetRefusal::OtherChannel;
    // A nick the server could not hold; a cut word is one of these too.
    if (!strchr(rules.channelTypes, target[0]) && strlen(target) > (size_t)rules.nickLength)
        return TargetRefusal::Malformed;
    return TargetRefusal::None;
}

bool IsSecretLine(const char* line)
{
    TypedLine typed;
    ReadTypedLine(line, typed);
    if (typed.command != InputCommand::Msg || !EqualsIgnoringAsciiCase(typed.target, "NickServ"))
        return false;
    char word[kCommandWordSize];
    TakeWord(typed.text, word, sizeof word);
    for (const char* command : kSecretCommands) {
        if (EqualsIgnoringAsciiCase(word, command))
            return true;
    }
    return false;
}

void MaskSecretText(const char* text, bool secret, char* shown, size_t size)
{
    if (!secret) {
        snprintf(shown, size, "%s", text);
        return;
    }
    snprintf(shown, size, "%.*s ********", (int)strcspn(text, kBlanks), text);
}
