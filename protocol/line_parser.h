// Cutting one received line into its pieces and choosing the tab its output
// goes to. No Windows types: built natively too.
#pragma once

enum { kTokenSize = 1024, kArgsSize = 4096, kSenderSize = 96, kLineTextSize = 2048 };

struct ParsedLine {
    // The first three tokens: for a prefixed line the prefix (with its ':'),
    // the command and the target, lowercased. args is what follows them.
    char token1[kTokenSize];
    char token2[kTokenSize];
    char token3[kTokenSize];
    char args[kArgsSize];

    bool hasPrefix;
    const char* command;  // token2, or for a line without prefix its first word
    const char* params;   // without prefix: all after the first space, less one ':'

    // Prefixed lines only (empty otherwise).
    char sender[kSenderSize];  // the prefix's nick, or the whole server name
    const char* target;        // token3 less one leading ':'
    const char* rest;          // args less one leading ':'

    char text[kLineTextSize];  // the line, cut at its first space (command storage)
};

// Fills `parsed` from one received line, less its message tags. Returns
// false when the line is to be ignored (empty, empty before its first line
// feed, or nothing but tags).
bool ParseLine(const char* line, ParsedLine& parsed);

// Lines from this service nick are ignored entirely.
bool IsIgnoredSender(const char* sender);

// Where the output of a prefixed line goes.
enum class OutputTab {
    Server,        // the server tab
    Channel,       // the tab of the current channel
    Sender,        // the sender's private tab, opened when missing
    Target,        // the tab named by the (channel) target
    TargetOpened,  // a tab opened for the target
};

OutputTab ChooseOutputTab(const ParsedLine& parsed, const char* ownNick,
                          bool serverTabExists);
