// Tab in the input line: what the line becomes after a number of Tabs, with
// the caret at the end of the typing. The key and the user list's symbols
// are seen under Wine (input_line_test).
#include "client/nick_completion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CListedNicks final : public INickList {
public:
    explicit CListedNicks(const std::vector<std::string>& nicks) : m_nicks(nicks) {}
    int NickCount() const override { return (int)m_nicks.size(); }
    const char* NickAt(int index) const override { return m_nicks[(size_t)index].c_str(); }

private:
    const std::vector<std::string>& m_nicks;
};

struct CompletionCase {
    const char* description;
    std::vector<std::string> members;
    std::vector<std::string> speakers;  // oldest first
    CaseMapping mapping;
    std::string typed;
    size_t caret;  // npos: at the end
    int tabs;
    std::string line;
};

std::ostream& operator<<(std::ostream& out, const CompletionCase& row) { return out << row.description; }

class NickCompletionTest : public ::testing::TestWithParam<CompletionCase> {};

TEST_P(NickCompletionTest, LineAfterTabs)
{
    const CompletionCase& row = GetParam();
    const CListedNicks members(row.members);
    CNickCompletion completion;
    for (const std::string& speaker : row.speakers)
        completion.NoteSpeaker(row.mapping, speaker.c_str());
    std::string line = row.typed;
    size_t caret = row.caret == std::string::npos ? line.size() : row.caret;
    for (int tab = 0; tab < row.tabs; ++tab) {
        NickEdit edit;
        if (!completion.Complete(members, row.mapping, line.c_str(), caret, edit))
            continue;
        line.replace(edit.start, edit.end - edit.start, edit.text);
        caret = edit.start + strlen(edit.text);
    }
    EXPECT_EQ(row.line, line);
}

const size_t kEnd = std::string::npos;
const CaseMapping kAscii = CaseMapping::Ascii;

INSTANTIATE_TEST_SUITE_P(Lines, NickCompletionTest, ::testing::Values(
    CompletionCase{ "start of the line takes a colon", { "anna", "bob" }, {}, kAscii, "an", kEnd, 1, "anna: " },
    CompletionCase{ "later in the line a space", { "anna", "bob" }, {}, kAscii, "hi bo", kEnd, 1, "hi bob " },
    CompletionCase{ "case does not matter", { "Anna" }, {}, kAscii, "aN", kEnd, 1, "Anna: " },
    CompletionCase{ "rfc1459 folds brackets", { "[ace]" }, {}, CaseMapping::Rfc1459, "{a", kEnd, 1, "[ace]: " },
    CompletionCase{ "ascii does not", { "[ace]" }, {}, kAscii, "{a", kEnd, 1, "{a" },
    CompletionCase{ "a recent speaker first", { "alice", "alf" }, { "alf" }, kAscii, "al", kEnd, 1, "alf: " },
    CompletionCase{ "the latest speaker first", { "alice", "alf" }, { "alf", "alice" }, kAscii, "al", kEnd, 1,
                    "alice: " },
    CompletionCase{ "a speaker who left is not offered", { "alice" }, { "alfred" }, kAscii, "al", kEnd, 1,
                    "alice: " },
    CompletionCase{ "Tab again: the next match", { "alice", "alf", "bob" }, {}, kAscii, "al", kEnd, 2, "alf: " },
    CompletionCase{ "no match: the line stays", { "anna" }, {}, kAscii, "hi zz", kEnd, 1, "hi zz" },
    CompletionCase{ "no word before the caret", { "anna" }, {}, kAscii, "hi ", kEnd, 1, "hi " },
    CompletionCase{ "the caret inside the line", { "anna" }, {}, kAscii, "an rest", 2, 1, "anna:  rest" },
    CompletionCase{ "start of a later line of a paste", { "anna" }, {}, kAscii, "hi\ran", kEnd, 1, "hi\ranna: " }
));

} // namespace
