#include "client/input_history.h"

#include <string.h>
#include <strings.h>

namespace {

// The word at text after blanks, its length in *length; text moves past it.
const char* NextWord(const char** text, size_t* length)
{
    const char* word = *text + strspn(*text, " \t");
    *length = strcspn(word, " \t\r\n");
    *text = word + *length;
    return word;
}

bool WordIs(const char* word, size_t length, const char* expected)
{
    return length == strlen(expected) && strncasecmp(word, expected, length) == 0;
}

bool LineTellsPassword(const char* line)
{
    size_t length;
    const char* word = NextWord(&line, &length);
    if (!WordIs(word, length, "/msg"))
        return false;
    word = NextWord(&line, &length);
    if (!WordIs(word, length, "NickServ"))
        return false;
    word = NextWord(&line, &length);
    return WordIs(word, length, "identify") || WordIs(word, length, "register");
}

} // namespace

bool CarriesNickServPassword(const char* text)
{
    for (const char* line = text; line; line = strpbrk(line, "\r\n")) {
        line += strspn(line, "\r\n");
        if (LineTellsPassword(line))
            return true;
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
