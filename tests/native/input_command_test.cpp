// How a typed line reads: its command, target and text, the names a command
// may address, and the lines whose echo hides a password.
#include "client/input_command.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TypedCase {
    const char* line;
    InputCommand command;
    const char* word;
    const char* target;
    const char* text;
};

std::ostream& operator<<(std::ostream& out, const TypedCase& row) { return out << row.line; }

class ReadTypedLineTest : public ::testing::TestWithParam<TypedCase> {};

TEST_P(ReadTypedLineTest, CommandTargetAndText)
{
    const TypedCase& row = GetParam();
    TypedLine typed;
    ReadTypedLine(row.line, typed);
    EXPECT_EQ(row.command, typed.command);
    EXPECT_STREQ(row.word, typed.word);
    EXPECT_STREQ(row.target, typed.target);
    EXPECT_STREQ(row.text, typed.text);
}

INSTANTIATE_TEST_SUITE_P(Lines, ReadTypedLineTest, ::testing::Values(
    TypedCase{ "hello /me", InputCommand::Text, "", "", "hello /me" },
    TypedCase{ "//me waves", InputCommand::Text, "", "", "/me waves" },
    TypedCase{ "/me waves  twice ", InputCommand::Me, "me", "", "waves  twice " },
    TypedCase{ "/ME", InputCommand::Me, "ME", "", "" },
    TypedCase{ "/msg  anna \t hi there", InputCommand::Msg, "msg", "anna", "hi there" },
    TypedCase{ "/query anna", InputCommand::Query, "query", "anna", "" },
    TypedCase{ "/quit bye all", InputCommand::Quit, "quit", "", "bye all" },
    TypedCase{ "/help", InputCommand::Help, "help", "", "" },
    TypedCase{ "/nick bob extra", InputCommand::Nick, "nick", "bob", "extra" },
    TypedCase{ "/away", InputCommand::Away, "away", "", "" },
    TypedCase{ "/foo bar", InputCommand::Unknown, "foo", "", "bar" },
    TypedCase{ "/", InputCommand::Unknown, "", "", "" },
    TypedCase{ "/msg anna one\r\ntwo", InputCommand::Text, "", "", "/msg anna one\r\ntwo" }));

TEST(CheckTarget, NicksAndTheOwnChannelOnly)
{
    ServerRules rules;
    ResetServerRules(rules);
    const std::string longNick(31, 'n');
    const struct { const char* target; TargetRefusal refusal; } rows[] = {
        { "anna", TargetRefusal::None },           { "#MarketBay", TargetRefusal::None },
        { "", TargetRefusal::Missing },            { ":anna", TargetRefusal::Malformed },
        { "an,na", TargetRefusal::Malformed },     { "an na", TargetRefusal::Malformed },
        { "an\rna", TargetRefusal::Malformed },    { "@anna", TargetRefusal::Malformed },
        { longNick.c_str(), TargetRefusal::Malformed },
        { "#other", TargetRefusal::OtherChannel },
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.refusal, CheckTarget(rules, row.target, "#marketbay")) << row.target;
}

TEST(IsSecretLine, PasswordsToNickServ)
{
    const struct { const char* line; bool secret; const char* shown; } rows[] = {
        { "/msg NickServ identify hunter22", true, "identify ********" },
        { "/MSG nickserv REGISTER hunter22 a@b.c", true, "REGISTER ********" },
        { "/msg anna identify hunter22", false, "identify hunter22" },
        { "//msg NickServ identify hunter22", false, "/msg NickServ identify hunter22" },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.secret, IsSecretLine(row.line)) << row.line;
        TypedLine typed;
        ReadTypedLine(row.line, typed);
        char shown[64];
        MaskSecretText(typed.text, row.secret, shown, sizeof shown);
        EXPECT_STREQ(row.shown, shown) << row.line;
    }
}

} // namespace
