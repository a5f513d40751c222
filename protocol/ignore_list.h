// The nicks whose messages, notices, actions and CTCP the user chose not to
// see: a fixed table, names compared by the server's case mapping. No
// Windows types: built natively too.
#pragma once

#include "protocol/server_rules.h"

#include <stddef.h>

enum { kMaxIgnored = 32 };

enum class IgnoreChange { Done, Already, Full, Absent };

class CIgnoreList {
public:
    CIgnoreList() : m_szNicks(), m_count(0) {}

    IgnoreChange Add(CaseMapping mapping, const char* nick);
    IgnoreChange Remove(CaseMapping mapping, const char* nick);
    bool Contains(CaseMapping mapping, const char* nick) const;
    int Count() const { return m_count; }
    const char* At(int index) const { return m_szNicks[index]; }

private:
    int IndexOf(CaseMapping mapping, const char* nick) const;

    char m_szNicks[kMaxIgnored][kLongestNickRule + 1];
    int m_count;
};
