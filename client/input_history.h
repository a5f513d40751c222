// The lines sent from one chat window, for Up and Down in its input line:
// the newest first, at most kHistoryLines of them; a paste of many lines is
// one entry. No Windows types: built natively too.
#pragma once

#include <stddef.h>

#include <string>

enum { kHistoryLines = 100 };

class CInputHistory {
public:
    CInputHistory() : m_first(0), m_count(0), m_walked(0) {}

    // A line that was sent; blank ones and those that carry a NickServ
    // password are not kept. The walk starts again from the newest.
    void AddSentLine(const char* text);
    // Up: the next older line, keeping `typed` (what the input held before
    // the walk began); NULL when no older line is kept.
    const char* StepOlder(const char* typed);
    // Down: the next newer line, or what was typed past the newest; NULL
    // while no walk is under way.
    const char* StepNewer();

private:
    const std::string& LineAt(int age) const;

    std::string m_lines[kHistoryLines];
    int m_first;  // the slot of the newest line
    int m_count;
    // How far back the walk is: 0 shows what was typed.
    int m_walked;
    std::string m_typed;
};

// Whether the line, or any line of it, tells NickServ a password:
// "/msg NickServ identify ..." or "register ...", in any case.
bool CarriesNickServPassword(const char* text);
