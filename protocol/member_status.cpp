#include "protocol/member_status.h"

#include <string.h>

namespace {

// The rank of the highest status held; one past the lowest for none.
int HighestRank(const ServerRules& rules, StatusSet statuses)
{
    const int count = (int)strlen(rules.statusSymbols);
    for (int rank = 0; rank < count; ++rank) {
        if (statuses & (1u << rank))
            return rank;
    }
    return count;
}

} // namespace

StatusSet ReadStatusSet(const ServerRules& rules, const char* entry, const char** nick)
{
    StatusSet statuses = 0;
    int rank;
    while ((rank = StatusRank(rules, *entry)) >= 0) {
        statuses |= 1u << rank;
        ++entry;
    }
    *nick = entry;
    return statuses;
}

char HighestStatusSymbol(const ServerRules& rules, StatusSet statuses)
{
    return rules.statusSymbols[HighestRank(rules, statuses)];
}

void WriteStatusSymbols(const ServerRules& rules, StatusSet statuses, char* symbols, size_t size)
{
    size_t length = 0;
    for (int rank = 0; rules.statusSymbols[rank] != '\0' && length + 1 < size; ++rank) {
        if (statuses & (1u << rank))
            symbols[length++] = rules.statusSymbols[rank];
    }
    if (size > 0)
        symbols[length] = '\0';
}

int CompareMembers(const ServerRules& rules, StatusSet statusesA, const char* nickA, StatusSet statusesB,
                   const char* nickB)
{
    const int rankA = HighestRank(rules, statusesA);
    const int rankB = HighestRank(rules, statusesB);
    if (rankA != rankB)
        return rankA - rankB;
    return CompareFolded(rules.caseMapping, nickA, nickB);
}
