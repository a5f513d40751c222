// Tab in the input line: the partial nick before the caret becomes a nick
// of the channel's user list, matched from its start in the server's case
// mapping; the latest speakers come first, then the list's order. Tab again
// offers the next match. No Windows types: built natively too.
#pragma once

#include "protocol/server_rules.h"

#include <stddef.h>

#include <string>

enum { kRecentSpeakers = 16, kNickMatches = 64, kNickSlot = kLongestNickRule + 1 };

// The channel's members, as the user list holds them: nicks without their
// status symbols.
class INickList {
public:
    virtual int NickCount() const = 0;
    virtual const char* NickAt(int index) const = 0;

protected:
    ~INickList() = default;
};

// Bytes [start, end) of the line become text; the caret goes after it.
struct NickEdit {
    size_t start;
    size_t end;
    char text[kNickSlot + 2];
};

class CNickCompletion {
public:
    CNickCompletion();

    // A channel message from nick: it comes first among the matches.
    void NoteSpeaker(CaseMapping mapping, const char* nick);
    // Tab with the caret at byte `caret` of the line (UTF-8): false when no
    // nick fits, and the line stays as it is.
    bool Complete(const INickList& members, CaseMapping mapping, const char* line, size_t caret, NickEdit& edit);

private:
    void CollectMatches(const INickList& members, CaseMapping mapping, const char* prefix, size_t length);
    void AddMatch(CaseMapping mapping, const char* nick);
    void WriteMatch(NickEdit& edit) const;

    char m_szSpeakers[kRecentSpeakers][kNickSlot];
    int m_speakerCount;
    char m_szMatches[kNickMatches][kNickSlot];
    int m_matchCount;
    int m_matchIndex;
    // Where the last completion began, and the line and caret it left: a
    // Tab on them offers the next match.
    size_t m_wordStart;
    bool m_lineStart;
    std::string m_completedLine;
    size_t m_completedCaret;
};
