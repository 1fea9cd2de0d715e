// Jet LIKE patterns: the criterion matcher (record set finds) and the SQL the
// translator writes (queries, DELETE, UPDATE) must match the same rows.
#include "client/db/JetCriterion.h"
#include "client/db/Recordset.h"
#include "client/db/tests/TestDb.h"

#include <gtest/gtest.h>

#include <set>

using namespace kiro::db;

namespace {

const std::vector<std::string> kTexts = {"K000001", "K000002", "K000003", "K000004", "K00000A", "A1",  "B2",
                                         "C3",      "a9",      "100%",    "100X",    "1_2",     "ｱｲｳ", "ｱ",
                                         "[x]",     "*",       "ab",      "bb"};

struct Case {
    const char* pattern;
    std::set<std::string> matches;
};

const std::vector<Case> kCases = {
    {"K00000[1-3]", {"K000001", "K000002", "K000003"}},
    {"K00000#", {"K000001", "K000002", "K000003", "K000004"}},
    {"[AB]*", {"A1", "B2", "a9", "ab", "bb"}},
    {"[!a]?", {"B2", "C3", "bb"}},
    {"100%", {"100%"}},
    {"1_2", {"1_2"}},
    {"ｱ*", {"ｱｲｳ", "ｱ"}},
    {"?", {"ｱ", "*"}},
    {"[*]", {"*"}},
    {"[[]x]", {"[x]"}},
    {"*#", {"K000001", "K000002", "K000003", "K000004", "A1", "B2", "C3", "a9", "1_2"}},
};

} // namespace

TEST(LikePattern, MatcherAndSqlAgreeOnEveryPattern)
{
    kiro::db::test::OpenCatalogue c;
    int code = 0;
    for (const std::string& text : kTexts)
        c.db.execute("INSERT INTO ジャンルマスタ VALUES ('010', '" + std::to_string(++code) + "', \"" + text + "\")");
    for (const Case& test : kCases) {
        SCOPED_TRACE(test.pattern);
        std::set<std::string> matched;
        for (const std::string& text : kTexts)
            if (jetLikeMatch(text, test.pattern))
                matched.insert(text);
        EXPECT_EQ(matched, test.matches);

        std::set<std::string> selected;
        Recordset rs(c.db);
        rs.open(std::string("SELECT ジャンル名 FROM ジャンルマスタ WHERE ジャンル名 LIKE \"") + test.pattern + "\"");
        for (; !rs.isEOF(); rs.moveNext())
            selected.insert(FieldToText(rs.fieldValue("ジャンル名")));
        EXPECT_EQ(selected, test.matches);
    }
    // What the wildcards once became: "any one character", deleting too much.
    EXPECT_EQ(c.db.execute("DELETE * FROM ジャンルマスタ WHERE ジャンル名 LIKE \"K00000[1-3]\""), 3);
}
