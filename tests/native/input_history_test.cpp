// Up and Down in the input line: which line a walk through the sent lines
// shows. The keys themselves are pressed under Wine (input_line_test).
#include "client/input_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct HistoryCase {
    const char* description;
    std::vector<std::string> sent;
    const char* typed;
    std::string keys;  // 'U' for Up, 'D' for Down
    const char* shown; // after the last key; NULL when it changed nothing
};

std::ostream& operator<<(std::ostream& out, const HistoryCase& row) { return out << row.description; }

class InputHistoryTest : public ::testing::TestWithParam<HistoryCase> {};

TEST_P(InputHistoryTest, LastKeyShows)
{
    const HistoryCase& row = GetParam();
    CInputHistory history;
    for (const std::string& line : row.sent)
        history.AddSentLine(line.c_str());
    const char* shown = nullptr;
    for (const char key : row.keys)
        shown = key == 'U' ? history.StepOlder(row.typed) : history.StepNewer();
    EXPECT_EQ(row.shown ? std::string(row.shown) : "(nothing)", shown ? std::string(shown) : "(nothing)");
}

std::vector<std::string> Numbered(int count)
{
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back("line" + std::to_string(i));
    return lines;
}

INSTANTIATE_TEST_SUITE_P(Walks, InputHistoryTest, ::testing::Values(
    HistoryCase{ "Up shows the newest", { "one", "two" }, "", "U", "two" },
    HistoryCase{ "Up again goes older", { "one", "two" }, "", "UU", "one" },
    HistoryCase{ "nothing older than the oldest", { "one", "two" }, "", "UUU", nullptr },
    HistoryCase{ "Down past the newest gives back the typing", { "one" }, "draft", "UD", "draft" },
    HistoryCase{ "Down with no walk changes nothing", { "one" }, "draft", "D", nullptr },
    HistoryCase{ "a paste of lines is one entry", { "one", "a\rb" }, "", "U", "a\rb" },
    HistoryCase{ "blank lines are not kept", { "one", " \t" }, "", "U", "one" },
    HistoryCase{ "identify to NickServ is not kept", { "one", "/MSG nickserv IDENTIFY secret" }, "", "U", "one" },
    HistoryCase{ "register to NickServ is not kept", { "one", " /msg NickServ register pw a@b.c" }, "", "U", "one" },
    HistoryCase{ "a password in a paste's later line", { "one", "hi\r/msg NickServ identify pw" }, "", "U", "one" },
    HistoryCase{ "identify to someone else is kept", { "/msg anna identify" }, "", "U", "/msg anna identify" },
    HistoryCase{ "the last hundred are kept", Numbered(101), "", std::string(100, 'U'), "line1" },
    HistoryCase{ "the hundred-and-first is gone", Numbered(101), "", std::string(101, 'U'), nullptr }
));

} // namespace
