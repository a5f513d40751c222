#include "client/nick_completion.h"

#include <stdio.h>
#include <string.h>

namespace {

bool StartsWithFolded(CaseMapping mapping, const char* nick, const char* prefix, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (!nick[i] || FoldCase(mapping, nick[i]) != FoldCase(mapping, prefix[i]))
            return false;
    }
    return true;
}

// The listed spelling of nick, or NULL when it is not listed.
const char* FindMember(const INickList& members, CaseMapping mapping, const char* nick)
{
    const int count = members.NickCount();
    for (int i = 0; i < count; ++i) {
        if (EqualsFolded(mapping, members.NickAt(i), nick))
            return members.NickAt(i);
    }
    return nullptr;
}

} // namespace

CNickCompletion::CNickCompletion()
    : m_szSpeakers(), m_speakerCount(0), m_szMatches(), m_matchCount(0), m_matchIndex(0), m_wordStart(0),
      m_lineStart(false), m_completedCaret(0)
{
}

void CNickCompletion::NoteSpeaker(CaseMapping mapping, const char* nick)
{
    if (!nick || !nick[0] || strlen(nick) >= kNickSlot)
        return;
    int found = 0;
    while (found < m_speakerCount && !EqualsFolded(mapping, m_szSpeakers[found], nick))
        ++found;
    // The oldest speaker gives way when the list is full.
    const int moved = found < m_speakerCount ? found : (m_speakerCount < kRecentSpeakers ? m_speakerCount++ : found - 1);
    memmove(m_szSpeakers[1], m_szSpeakers[0], (size_t)moved * kNickSlot);
    snprintf(m_szSpeakers[0], kNickSlot, "%s", nick);
}

void CNickCompletion::AddMatch(CaseMapping mapping, const char* nick)
{
    if (m_matchCount >= kNickMatches || strlen(nick) >= kNickSlot)
        return;
    for (int i = 0; i < m_matchCount; ++i) {
        if (EqualsFolded(mapping, m_szMatches[i], nick))
            return;
    }
    snprintf(m_szMatches[m_matchCount++], kNickSlot, "%s", nick);
}

void CNickCompletion::CollectMatches(const INickList& members, CaseMapping mapping, const char* prefix,
                                     size_t length)
{
    m_matchCount = 0;
    m_matchIndex = 0;
    for (int i = 0; i < m_speakerCount; ++i) {
        const char* listed = StartsWithFolded(mapping, m_szSpeakers[i], prefix, length)
                                 ? FindMember(members, mapping, m_szSpeakers[i])
                                 : nullptr;
        if (listed)
            AddMatch(mapping, listed);
    }
    const int count = members.NickCount();
    for (int i = 0; i < count && m_matchCount < kNickMatches; ++i) {
        if (StartsWithFolded(mapping, members.NickAt(i), prefix, length))
            AddMatch(mapping, members.NickAt(i));
    }
}

void CNickCompletion::WriteMatch(NickEdit& edit) const
{
    snprintf(edit.text, sizeof edit.text, "%s%s", m_szMatches[m_matchIndex], m_lineStart ? ": " : " ");
}

bool CNickCompletion::Complete(const INickList& members, CaseMapping mapping, const char* line, size_t caret,
                               NickEdit& edit)
{
    if (!line || caret > strlen(line))
        return false;
    const bool again = m_matchCount > 0 && caret == m_completedCaret && m_completedLine == line;
    if (again) {
        m_matchIndex = (m_matchIndex + 1) % m_matchCount;
    } else {
        size_t start = caret;
        while (start > 0 && !strchr(" \t\r\n", line[start - 1]))
            --start;
        m_matchCount = 0;
        if (start == caret)
            return false;
        CollectMatches(members, mapping, line + start, caret - start);
        if (m_matchCount == 0)
            return false;
        m_wordStart = start;
        m_lineStart = start == 0 || line[start - 1] == '\r' || line[start - 1] == '\n';
    }
    edit.start = m_wordStart;
    edit.end = caret;
    WriteMatch(edit);
    m_completedLine.assign(line, m_wordStart);
    m_completedLine += edit.text;
    m_completedLine += line + caret;
    m_completedCaret = m_wordStart + strlen(edit.text);
    return true;
}
