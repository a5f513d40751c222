// What the module makes of a server's ISUPPORT words, and how names compare
// under each case mapping.
#include "protocol/server_rules.h"

#include <gtest/gtest.h>

namespace {

struct RulesRow {
    const char* params;  // one 005 reply's words after the target
    const char* statusModes;
    const char* statusSymbols;
    const char* channelTypes;
    CaseMapping caseMapping;
    int nickLength;
    int lineLength;
};

const RulesRow kRulesRows[] = {
    { ":are supported by this server", "ov", "@+", "#", CaseMapping::Ascii, 30, 512 },
    { "CASEMAPPING=ascii PREFIX=(qaohv)~&@%+ CHANTYPES=#&+ NICKLEN=9 :are supported",
      "qaohv", "~&@%+", "#&+", CaseMapping::Ascii, 9, 512 },
    { "CASEMAPPING=rfc1459 PREFIX=(ov)@+ NICKLEN=30 LINELEN=1024", "ov", "@+", "#", CaseMapping::Rfc1459, 30, 1024 },
    { "CASEMAPPING=strict-rfc1459 PREFIX= CHANTYPES=", "", "", "", CaseMapping::StrictRfc1459, 30, 512 },
    // Odd values keep what was there.
    { "PREFIX=ov@+ CASEMAPPING=rfc7613 NICKLEN=0 LINELEN=100", "ov", "@+", "#", CaseMapping::Ascii, 30, 512 },
    { "PREFIX=(ohv)@+ NICKLEN=31x CHANTYPES=#########", "ov", "@+", "#", CaseMapping::Ascii, 30, 512 },
    { "PREFIX=(o)@@ PREFIX=(o1)@+ PREFIX=(ov)@@ PREFIX=(oo)@+ NICKLEN=256", "ov", "@+", "#", CaseMapping::Ascii, 30, 512 },
    { "PREFIX=(abcdefghi)!\"$%&*.<> PREFIX=(", "ov", "@+", "#", CaseMapping::Ascii, 30, 512 },
    // Words after the trailing parameter are not rules.
    { "NICKLEN=12 :are supported NICKLEN=40", "ov", "@+", "#", CaseMapping::Ascii, 12, 512 },
    // "-NAME" restores the default; a rule named only in part is not that rule.
    { "PREFIX=(qo)~@ -PREFIX NICKLEN=5 -NICKLEN NICK=4 NICKLENGTH=3", "ov", "@+", "#", CaseMapping::Ascii, 30, 512 },
};

class ServerRulesRead : public testing::TestWithParam<RulesRow> {};

TEST_P(ServerRulesRead, KeepsWhatMakesSense)
{
    const RulesRow& row = GetParam();
    ServerRules rules;
    ResetServerRules(rules);
    ReadServerRules(rules, row.params);
    EXPECT_STREQ(row.statusModes, rules.statusModes);
    EXPECT_STREQ(row.statusSymbols, rules.statusSymbols);
    EXPECT_STREQ(row.channelTypes, rules.channelTypes);
    EXPECT_EQ(row.caseMapping, rules.caseMapping);
    EXPECT_EQ(row.nickLength, rules.nickLength);
    EXPECT_EQ(row.lineLength, rules.lineLength);
}

INSTANTIATE_TEST_SUITE_P(Rows, ServerRulesRead, testing::ValuesIn(kRulesRows));

TEST(ServerRules, StatusAndChannelsFollowTheRules)
{
    ServerRules rules;
    ResetServerRules(rules);
    ReadServerRules(rules, "PREFIX=(qaohv)~&@%+ CHANTYPES=#&");
    EXPECT_EQ(0, StatusRank(rules, '~'));
    EXPECT_EQ(4, StatusRank(rules, '+'));
    EXPECT_EQ(-1, StatusRank(rules, '#'));
    EXPECT_EQ(-1, StatusRank(rules, '\0'));
    EXPECT_EQ('%', StatusSymbolOfMode(rules, 'h'));
    EXPECT_EQ('\0', StatusSymbolOfMode(rules, 'b'));
    EXPECT_STREQ("anna", SkipStatusSymbols(rules, "~@%anna"));
    EXPECT_TRUE(IsChannelName(rules, "&local"));
    EXPECT_FALSE(IsChannelName(rules, "+modeless"));
    EXPECT_FALSE(IsChannelName(rules, ""));
}

struct FoldRow {
    CaseMapping mapping;
    const char* a;
    const char* b;
    bool equal;
};

const FoldRow kFoldRows[] = {
    { CaseMapping::Ascii, "Nick", "nICK", true },
    { CaseMapping::Ascii, "nick{a}", "Nick[a]", false },
    { CaseMapping::Rfc1459, "nick{a}", "Nick[a]", true },
    { CaseMapping::Rfc1459, "a|b^", "A\\B~", true },
    { CaseMapping::StrictRfc1459, "a|b{}", "A\\B[]", true },
    { CaseMapping::StrictRfc1459, "x^", "X~", false },
    // Cyrillic bytes (UTF-8 and code page 1251) are not folded.
    { CaseMapping::Rfc1459, "\xD0\x90", "\xD0\xB0", false },
    { CaseMapping::Ascii, "\xC0", "\xE0", false },
    { CaseMapping::Ascii, "nick", "nick_", false },
};

TEST(ServerRules, NamesCompareByTheCaseMapping)
{
    for (const FoldRow& row : kFoldRows) {
        EXPECT_EQ(row.equal, EqualsFolded(row.mapping, row.a, row.b)) << row.a << " / " << row.b;
        EXPECT_EQ(row.equal, EqualsFolded(row.mapping, row.b, row.a)) << row.b << " / " << row.a;
    }
    EXPECT_LT(CompareFolded(CaseMapping::Ascii, "anna", "Bob"), 0);
}

// Which channel modes take a parameter: CHANMODES' lists and keys always,
// its third group only when set; odd values keep what was there.
struct ChannelModesRow {
    const char* params;
    const char* parameterModes;
    const char* parameterWhenSetModes;
};

const ChannelModesRow kChannelModesRows[] = {
    { ":are supported", "beIk", "l" },
    { "CHANMODES=IXbeg,k,FJLfl,ACimnt", "IXbegk", "FJLfl" },
    { "CHANMODES=b,,l,imnt,xyz", "b", "l" },
    { "CHANMODES=b,k,l CHANMODES=b,k1,l,i CHANMODES=b k,l,i", "beIk", "l" },
    { "CHANMODES=b,k,fl,imnt -CHANMODES", "beIk", "l" },
};

TEST(ServerRules, ChannelModesSayWhichTakeAParameter)
{
    for (const ChannelModesRow& row : kChannelModesRows) {
        ServerRules rules;
        ResetServerRules(rules);
        ReadServerRules(rules, row.params);
        EXPECT_STREQ(row.parameterModes, rules.parameterModes) << row.params;
        EXPECT_STREQ(row.parameterWhenSetModes, rules.parameterWhenSetModes) << row.params;
    }
    ServerRules rules;
    ResetServerRules(rules);
    EXPECT_TRUE(ModeTakesParameter(rules, 'v', false));
    EXPECT_TRUE(ModeTakesParameter(rules, 'l', true));
    EXPECT_FALSE(ModeTakesParameter(rules, 'l', false));
    EXPECT_FALSE(ModeTakesParameter(rules, 'm', true));
    EXPECT_FALSE(ModeTakesParameter(rules, '\0', true));
}

} // namespace
