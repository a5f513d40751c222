// A line typed in the input line, read as a command or as text to send. No
// Windows types: built natively too.
#pragma once

#include "protocol/server_rules.h"

#include <stddef.h>

enum class InputCommand { Text, Unknown, Me, Msg, Query, Quit, Help, Nick, Away, Ignore, Unignore };

// How sent text goes and is echoed: a secret's echo hides its password.
enum class SentText { Message, Action, Secret };

enum { kCommandWordSize = 32, kCommandTargetSize = 512 };

struct TypedLine {
    InputCommand command;
    // The command's word as typed, cut to fit; "" for text.
    char word[kCommandWordSize];
    // The first word after the command, for those that name a nick.
    char target[kCommandTargetSize];
    // What follows: the message, reason or away text; the whole line for
    // text. Points into the line read.
    const char* text;
    // The whole line read.
    const char* line;
};

// A single line that starts with '/' is a command; "//" sends the rest as
// text starting with '/'. Text that holds a line break (a paste) is text
// whatever its lines start with.
void ReadTypedLine(const char* line, TypedLine& typed);

enum class TargetRefusal { None, Missing, Malformed, OtherChannel };

// A nick or the window's own channel; a break, comma or space would make
// another command or a second target, a leading ':' would end the words.
TargetRefusal CheckTarget(const ServerRules& rules, const char* target, const char* channel);

// A message to NickServ that carries a password ("/msg NickServ identify
// ..."): its echo hides it, and no history keeps it.
bool IsSecretLine(const char* line);

// The text as the user's echo shows it: after a secret's first word, stars.
void MaskSecretText(const char* text, bool secret, char* shown, size_t size);
