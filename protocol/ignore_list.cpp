#include "protocol/ignore_list.h"

#include "protocol/tokens.h"

#include <string.h>

int CIgnoreList::IndexOf(CaseMapping mapping, const char* nick) const
{
    for (int i = 0; i < m_count; ++i) {
        if (EqualsFolded(mapping, m_szNicks[i], nick))
            return i;
    }
    return -1;
}

IgnoreChange CIgnoreList::Add(CaseMapping mapping, const char* nick)
{
    if (IndexOf(mapping, nick) >= 0)
        return IgnoreChange::Already;
    if (m_count >= kMaxIgnored)
        return IgnoreChange::Full;
    CopyText(m_szNicks[m_count++], sizeof m_szNicks[0], nick);
    return IgnoreChange::Done;
}

IgnoreChange CIgnoreList::Remove(CaseMapping mapping, const char* nick)
{
    const int index = IndexOf(mapping, nick);
    if (index < 0)
        return IgnoreChange::Absent;
    --m_count;
    memmove(m_szNicks[index], m_szNicks[index + 1], (size_t)(m_count - index) * sizeof m_szNicks[0]);
    return IgnoreChange::Done;
}

bool CIgnoreList::Contains(CaseMapping mapping, const char* nick) const
{
    return nick && IndexOf(mapping, nick) >= 0;
}
