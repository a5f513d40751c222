#include "client/input_history.h"

#include "client/input_command.h"

#include <string.h>

bool CarriesNickServPassword(const char* text)
{
    for (const char* line = text; *line;) {
        // Typed blanks before a command are dropped before it is read.
        line += strspn(line, " \t");
        const size_t length = strcspn(line, "\r\n");
        const std::string one(line, length);
        if (IsSecretLine(one.c_str()))
            return true;
        line += length;
        line += strspn(line, "\r\n");
    }
    return false;
}

void CInputHistory::AddSentLine(const char* text)
{
    m_walked = 0;
    m_typed.clear();
    if (!text || !text[strspn(text, " \t\r\n")] || CarriesNickServPassword(text))
        return;
    m_first = (m_first + kHistoryLines - 1) % kHistoryLines;
    m_lines[m_first] = text;
    if (m_count < kHistoryLines)
        ++m_count;
}

const std::string& CInputHistory::LineAt(int age) const
{
    return m_lines[(m_first + age - 1) % kHistoryLines];
}

const char* CInputHistory::StepOlder(const char* typed)
{
    if (m_walked >= m_count)
        return nullptr;
    if (m_walked == 0)
        m_typed = typed ? typed : "";
    return LineAt(++m_walked).c_str();
}

const char* CInputHistory::StepNewer()
{
    if (m_walked == 0)
        return nullptr;
    --m_walked;
    return m_walked == 0 ? m_typed.c_str() : LineAt(m_walked).c_str();
}
