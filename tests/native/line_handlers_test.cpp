// The handlers of received lines, judged by what a window shows, sends and
// lists after the server's lines: one row a case.
#include "recording_window.h"

#include "protocol/received_line.h"
#include "protocol/tokens.h"
#include "protocol/words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Texts;

struct HandlerRow {
    const char* description;
    const char* talks;  // private conversations open before, beside the server's and the channel's
    const char* users;  // the user list before
    std::string lines;  // what the server sends
    Texts shown;        // each line written, "conversation: text"
    Texts sent;
    Texts users_after;
    bool reconnecting = false;  // the link replaces a dropped one; no welcome yet
    const char* nick = "tester";
    bool sasl = false;  // the link negotiates capabilities, SASL wanted; no welcome yet
    int sounds = -1;            // message sounds asked for; -1: not looked at
    const char* ignored = "";   // the nick the user ignores
};

void PrintTo(const HandlerRow& row, std::ostream* out) { *out << row.description; }

Texts Sorted(Texts texts)
{
    std::sort(texts.begin(), texts.end());
    return texts;
}

// "tester\0tester\0secret" in base64: SASL PLAIN's message.
const char kSaslMessage[] = "dGVzdGVyAHRlc3RlcgBzZWNyZXQ=";

// Hands each of the server's lines to the handlers, as received.
void Receive(CRecordingWindow& window, const std::string& lines)
{
    for (size_t start = 0; start < lines.size();) {
        const size_t end = lines.find("\r\n", start);
        char line[2048] = {};
        CopyText(line, sizeof line, lines.substr(start, end - start).c_str());
        HandleReceivedLine(window, line, sizeof line);
        start = end == std::string::npos ? end : end + 2;
    }
}

class LineHandlers : public ::testing::TestWithParam<HandlerRow> {};

TEST_P(LineHandlers, ShowSendAndList)
{
    const HandlerRow& row = GetParam();
    CRecordingWindow window(row.nick, "irc.test", "#marketbay");
    window.reconnect = row.reconnecting;
    window.registered = !row.reconnecting && !row.sasl;
    if (row.sasl)
        window.caps.Start(true);
    for (const char* name : { "irc.test", "#marketbay" })
        window.OpenConversation(name);
    WordReader talks(row.talks);
    char talk[64];
    while (talks.Remainder()[0] != '\0') {
        talks.Next(talk, sizeof talk);
        window.OpenConversation(talk);
    }
    window.AddUserNames(row.users);
    if (row.ignored[0])
        window.ignored.Add(window.rules.caseMapping, row.ignored);
    Receive(window, row.lines);

    Texts shown;
    for (const RecordedLine& line : window.printed)
        shown.push_back((line.conversation.empty() ? "(lost)" : line.conversation) + ": " + line.text);
    EXPECT_EQ(row.shown, shown);
    EXPECT_EQ(row.sent, window.sent);
    EXPECT_EQ(Sorted(row.users_after), Sorted(window.users));
    // Neither the password nor its base64 is ever shown.
    for (const RecordedLine& line : window.printed) {
        EXPECT_EQ(std::string::npos, line.text.find(window.password)) << line.text;
        EXPECT_EQ(std::string::npos, line.text.find(kSaslMessage)) << line.text;
    }
    if (row.sounds >= 0)
        EXPECT_EQ(row.sounds, window.sounds);
}

// What a server announces first, as its 005 reply.
std::string Announcing(const char* rules)
{
    return std::string(":irc.test 005 tester ") + rules + " :are supported by this server\r\n";
}

const char kRfc1459[] = "CASEMAPPING=rfc1459";
const char kAscii[] = "CASEMAPPING=ascii";
const char kLocalChannels[] = "CHANTYPES=#&";
const char kShortNicks[] = "NICKLEN=9";

// The reply as the server tab shows it.
std::string Announced(const char* rules)
{
    return std::string("irc.test: ") + rules + " are supported by this server";
}

const char kKicked[] = "*** ты был выкинут с канала #marketbay пользователем op (spam)";

INSTANTIATE_TEST_SUITE_P(Rows, LineHandlers, ::testing::Values(
    HandlerRow{ "a user's notice is written in the server tab", "alice", "",
                ":alice!a@h NOTICE tester :hi", { "irc.test: -alice- hi" }, {}, {} },
    HandlerRow{ "a talk's partner joining is told in the talk too", "alice", "",
                ":alice!a@h JOIN :#marketbay",
                { "#marketbay: *** alice приходит", "alice: *** alice вернулся" }, {}, { "alice" } },
    HandlerRow{ "a talk's partner quitting is told in the talk too", "alice", "alice bob",
                ":alice!a@h QUIT :Bye",
                { "#marketbay: *** alice (bye ) выходит", "alice: *** alice уходит" }, {}, { "bob" } },
    HandlerRow{ "the topic is written in the channel tab", "", "",
                ":irc.test 332 tester #marketbay :fresh paint",
                { "#marketbay: *** Тема канала: fresh paint" }, {}, {} },
    HandlerRow{ "a CTCP ping is answered to its sender", "", "",
                ":alice!a@h PRIVMSG tester :\x01PING 42\x01",
                { "alice: *** ctcp/ping request from alice!a@h" }, { "NOTICE alice :\x01PING 42\x01\r\n" }, {} },
    HandlerRow{ "-o leaves a voiced user's mark", "", "+carol @bob",
                ":ChanServ!s@h MODE #marketbay -o carol",
                { "#marketbay: *** ChanServ sets mode: -o carol" }, {}, { "+carol", "@bob" } },
    HandlerRow{ "-o takes an operator's mark", "", "+carol @bob",
                ":ChanServ!s@h MODE #marketbay -o bob",
                { "#marketbay: *** ChanServ sets mode: -o bob" }, {}, { "+carol", "bob" } },
    HandlerRow{ "a NAMES run keeps every reply's names", "", "zed",
                ":irc.test 353 tester = #marketbay :alice @bob\r\n:irc.test 353 tester = #marketbay :carol\r\n"
                ":irc.test 366 tester #marketbay :End",
                { "irc.test: Список пользователей на канале", "irc.test: #marketbay alice @bob",
                  "irc.test: Список пользователей на канале", "irc.test: #marketbay carol",
                  "irc.test:  Конец списка пользователей на канале" },
                {}, { "alice", "@bob", "carol" } },
    HandlerRow{ "an ignored sender shows nothing", "", "", ":channelwarden!w@h PRIVMSG tester :hi", {}, {}, {} },
    HandlerRow{ "a nick change keeps every status symbol", "", "@alice +bob",
                ":alice!a@h NICK :Alicia\r\n:bob!b@h NICK :Robert",
                { "#marketbay: *** alice теперь известен как alicia",
                  "#marketbay: *** bob теперь известен как robert" },
                {}, { "@alicia", "+robert" } },
    HandlerRow{ "a private message opens its talk", "", "", ":alice!a@h PRIVMSG tester :hi there",
                { "alice: <alice> hi there" }, {}, {} },
    HandlerRow{ "the server's PING is answered", "", "", "PING :token", {}, { "PONG :token\r\n" }, {} },
    HandlerRow{ "kicked out, the window says why in both tabs and leaves", "alice", "alice",
                ":op!o@h KICK #marketbay tester :spam",
                { std::string("#marketbay: ") + kKicked, std::string("irc.test: ") + kKicked },
                { "QUIT :leaving\r\n" }, {} },
    HandlerRow{ "the server's ERROR is written in the server tab; the session keeps its list for the next link",
                "", "alice", "ERROR :Closing link: (tester@h) [Quit]", { "irc.test: *** (tester@h) [Quit]" }, {},
                { "alice" } },
    HandlerRow{ "a ban's ERROR ends the session", "", "alice", "ERROR :Closing link: (tester@h) [G-Lined]",
                { "irc.test: *** (tester@h) [G-Lined]" }, {}, {} },
    HandlerRow{ "a nick taken at a reconnect gets three stand-ins, then the user is asked", "", "",
                ":irc.test 433 * tester :in use\r\n:irc.test 433 * tester_ :in use\r\n"
                ":irc.test 433 * tester__ :in use\r\n:irc.test 433 * tester___ :in use",
                { "irc.test: *** Ник tester занят, пробую tester_", "irc.test: *** Ник tester_ занят, пробую tester__",
                  "irc.test: *** Ник tester__ занят, пробую tester___",
                  "irc.test: *** Ник tester___ занят. Выберите другой ник кнопкой \"Сменить ник\"" },
                { "NICK :tester_\r\n", "NICK :tester__\r\n", "NICK :tester___\r\n" }, {}, true },
    HandlerRow{ "a nick refused at a reconnect is cut whole letters short for its stand-in", "", "",
                ":irc.test 432 * ВасилийВасилийВ :no",
                { "irc.test: *** Сервер не принял ник ВасилийВасилийВ, пробую ВасилийВасилий_" },
                { "NICK :ВасилийВасилий_\r\n" }, {}, true, "ВасилийВасилийВ" },
    HandlerRow{ "a nick taken at the first login is only told", "", "", ":irc.test 433 * tester :in use",
                { "irc.test:  Этот ник уже используется" }, {}, {} },
    HandlerRow{ "NickServ missing at a reconnect is identified to once it speaks", "", "",
                ":irc.test 401 tester NickServ :No such nick\r\n:NickServ!s@h NOTICE tester :registered\r\n"
                ":NickServ!s@h NOTICE tester :again",
                { "irc.test:  Нет такого ника/канала", "irc.test: -NickServ- registered",
                  "irc.test: -NickServ- again" },
                { "PRIVMSG NickServ :identify secret\r\n" }, {}, true },
    HandlerRow{ "NickServ missing at the first login is not waited for", "", "",
                ":irc.test 401 tester NickServ :No such nick\r\n:NickServ!s@h NOTICE tester :registered",
                { "irc.test:  Нет такого ника/канала", "irc.test: -NickServ- registered" }, {}, {} },
    HandlerRow{ "SASL PLAIN logs in: the credentials go only to the wire", "", "",
                ":irc.test CAP * LS * :multi-prefix\r\n:irc.test CAP * LS :sasl=PLAIN\r\n"
                ":irc.test CAP * ACK :multi-prefix sasl\r\nAUTHENTICATE +\r\n"
                ":irc.test 900 * tester!u@h tester :You are now logged in as tester\r\n"
                ":irc.test 903 * :SASL authentication successful",
                { "irc.test: tester!u@h tester You are now logged in as tester",
                  "irc.test: SASL authentication successful" },
                { "CAP REQ :multi-prefix sasl\r\n", "AUTHENTICATE PLAIN\r\n",
                  std::string("AUTHENTICATE ") + kSaslMessage + "\r\n", "CAP END\r\n" },
                {}, false, "tester", true },
    HandlerRow{ "under rfc1459 nick{a} and Nick[a] are one user, in one talk", "", "",
                Announcing(kRfc1459) + ":nick{a}!a@h PRIVMSG tester :one\r\n:Nick[a]!a@h PRIVMSG tester :two",
                { Announced(kRfc1459), "nick{a}: <nick{a}> one", "nick{a}: <Nick[a]> two" }, {}, {} },
    HandlerRow{ "under ascii they are two users, in two talks", "", "",
                Announcing(kAscii) + ":nick{a}!a@h PRIVMSG tester :one\r\n:Nick[a]!a@h PRIVMSG tester :two",
                { Announced(kAscii), "nick{a}: <nick{a}> one", "Nick[a]: <Nick[a]> two" }, {}, {} },
    HandlerRow{ "a message to an '&' channel goes to the channel, not to a talk with its sender", "&ops", "",
                Announcing(kLocalChannels) + ":alice!a@h PRIVMSG &ops :hi",
                { Announced(kLocalChannels), "&ops: <alice> hi" }, {}, {} },
    HandlerRow{ "the own nick is known in another case of the mapping", "", "",
                Announcing(kRfc1459) + ":Tester[1]!t@h JOIN :#marketbay",
                { Announced(kRfc1459), "#marketbay: *** Вы находитесь на канале #marketbay" }, {}, {}, false,
                "tester{1}" },
    HandlerRow{ "a mention of the own nick in another case of the mapping sounds", "", "",
                Announcing(kRfc1459) + ":alice!a@h PRIVMSG #marketbay :hi TESTER[1]",
                { Announced(kRfc1459), "#marketbay: <alice> hi TESTER[1]" }, {}, {}, false, "tester{1}", false, 1 },
    HandlerRow{ "a stand-in fits the server's NICKLEN", "", "",
                Announcing(kShortNicks) + ":irc.test 433 * longnick12 :in use",
                { Announced(kShortNicks), "irc.test: *** Ник longnick12 занят, пробую longnick_" },
                { "NICK :longnick_\r\n" }, {}, true, "longnick12" },
    HandlerRow{ "an ignored nick, in any case of the mapping, is neither shown nor answered", "", "",
                Announcing(kRfc1459) + ":Nick[a]!a@h PRIVMSG #marketbay :hi\r\n:Nick[a]!a@h NOTICE tester :psst\r\n"
                ":Nick[a]!a@h PRIVMSG #marketbay :\x01" "ACTION waves\x01\r\n"
                ":Nick[a]!a@h PRIVMSG tester :\x01VERSION\x01\r\n:bob!b@h PRIVMSG #marketbay :hi",
                { Announced(kRfc1459), "#marketbay: <bob> hi" }, {}, {}, false, "tester", false, -1, "nick{a}" }));

// The user list under the rules a server announced: its 005 line first,
// then the lines that change the list; the entries after, in the list's order.
struct ListRow {
    const char* description;
    std::string lines;
    Texts users;
};

void PrintTo(const ListRow& row, std::ostream* out) { *out << row.description; }

class UserListRows : public ::testing::TestWithParam<ListRow> {};

TEST_P(UserListRows, ListInRankOrder)
{
    CRecordingWindow window("tester", "irc.test", "#marketbay");
    window.OpenConversation("#marketbay");
    Receive(window, GetParam().lines);
    EXPECT_EQ(GetParam().users, window.users);
}

const std::string kNgircd =
    ":irc.test 005 tester PREFIX=(qaohv)~&@%+ CHANMODES=beI,k,l,imnOPQRstVz :are supported\r\n";
const std::string kInspircd = ":irc.test 005 tester PREFIX=(ov)@+ :are supported\r\n";
const std::string kNames = ":irc.test 353 tester = #marketbay :";
const std::string kMode = "\r\n:op!o@h MODE #marketbay ";

INSTANTIATE_TEST_SUITE_P(Rows, UserListRows, ::testing::Values(
    ListRow{ "ngircd's five statuses in NAMES, ranked, then by nick",
             kNgircd + kNames + "Zack bob ~Zed ~amy @carl +Dan %eve &fay",
             { "~amy", "~Zed", "&fay", "@carl", "%eve", "+Dan", "bob", "Zack" } },
    ListRow{ "multi-prefix NAMES keep every symbol, highest first", kInspircd + kNames + "+@anna @+bob +carl",
             { "@+anna", "@+bob", "+carl" } },
    ListRow{ "+o on a voiced member keeps the voice", kInspircd + kNames + "+anna bob" + kMode + "+o anna",
             { "@+anna", "bob" } },
    ListRow{ "-o leaves the voice", kInspircd + kNames + "@+anna @bob" + kMode + "-o anna", { "@bob", "+anna" } },
    ListRow{ "each status mode of a line to its own member",
             kNgircd + kNames + "anna bob +carl" + kMode + "+qo-v anna bob carl", { "~anna", "@bob", "carl" } },
    ListRow{ "list, key and limit modes take their parameters; -l none",
             kNgircd + kNames + "anna +bob carl" + kMode + "+bkl-lv *!*@bad secret 10 bob" + kMode +
                 "+Io *!*@good :carl",
             { "@carl", "anna", "bob" } },
    ListRow{ "CHANMODES not announced: b,k,l,imnpst",
             kInspircd + kNames + "@anna @bob" + kMode + "+bk-lo mask key anna", { "@bob", "anna" } },
    ListRow{ "a server's own parameter modes",
             kInspircd + ":irc.test 005 tester CHANMODES=b,k,fl,imnt :ok\r\n" + kNames + "anna" + kMode +
                 "+fo 5:10 anna",
             { "@anna" } },
    ListRow{ "a nick change keeps every symbol", kNgircd + kNames + "~@+anna bob\r\n:anna!a@h NICK :zoe",
             { "~@+zoe", "bob" } },
    ListRow{ "departures remove whatever the symbols",
             kNgircd + kNames + "~&@%+anna %bob @carl dan\r\n:anna!a@h PART #marketbay\r\n"
                 ":bob!b@h QUIT :bye\r\n:op!o@h KICK #marketbay carl :out",
             { "dan" } },
    ListRow{ "nicks compare by the server's case mapping",
             ":irc.test 005 tester CASEMAPPING=rfc1459 :ok\r\n" + kNames + "@[bot] +x^y" + kMode +
                 "-o {BOT}\r\n:x~y!u@h PART #marketbay",
             { "[bot]" } }));

} // namespace
