#include "controls/sortorder.h"

#include "support/testnames.h"

#include <gtest/gtest.h>
#include <string>

namespace {

QStringList texts(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* t : list)
        out.append(QString::fromUtf8(t));
    return out;
}

struct KeyCase {
    int column;
    const char* secondary;
    std::vector<int> expected;
};

void PrintTo(const KeyCase& c, std::ostream* os)
{
    *os << c.column << " with \"" << c.secondary << "\"";
}

class KeyColumnsTest : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P(KeyColumnsTest, PutTheSortedColumnFirst)
{
    const KeyCase c = GetParam();
    EXPECT_EQ(TSortOrder::keyColumns(c.column, QString::fromUtf8(c.secondary), 10), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyColumnsTest,
                         ::testing::Values(KeyCase{5, "3,2", {5, 3, 2}}, KeyCase{1, "1, 2", {1, 2}},
                                           KeyCase{2, "", {2}}, KeyCase{1, "11,zz,-1", {1}},
                                           KeyCase{12, "3", {-1, 3}}, KeyCase{4, "2,4,4", {4, 2, 4}}),
                         testnames::caseNames([](const KeyCase& c) {
                             return std::to_string(c.column) + " then "
                                    + (*c.secondary ? std::string(c.secondary) : std::string("nothing"));
                         }));

struct PassCase {
    const char* name;
    TSortStyle style;
    TSortDirection direction;
    bool caseSensitive;
    QStringList texts;
    std::vector<int> expected;
};

void PrintTo(const PassCase& c, std::ostream* os)
{
    *os << c.name;
}

class PassTest : public ::testing::TestWithParam<PassCase>
{
};

TEST_P(PassTest, OrdersByStyleAndDirectionKeepingTies)
{
    const PassCase& c = GetParam();
    TSortOptions options;
    options.SortStyle = c.style;
    options.SortDirection = c.direction;
    options.SortCaseSensitive = c.caseSensitive;
    EXPECT_EQ(TSortOrder::pass(c.texts, options), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Passes, PassTest,
    ::testing::Values(
        // The text that is no number compares byte-wise and comes first; the two 10s keep their order.
        PassCase{"numeric ascending", ssNumeric, sdAscending, false, texts({"8", "10", "9", "", "10"}),
                 {3, 0, 2, 1, 4}},
        PassCase{"numeric descending", ssNumeric, sdDescending, false, texts({"8", "10", "9", "", "10"}),
                 {1, 4, 2, 0, 3}},
        PassCase{"normal compares bytes", ssNormal, sdAscending, false, texts({"9", "10", "b", "a"}),
                 {1, 0, 3, 2}},
        PassCase{"lower case unless asked", ssNormal, sdAscending, false, texts({"a", "B", "A"}), {0, 2, 1}},
        PassCase{"case sensitive", ssNormal, sdAscending, true, texts({"a", "B", "A"}), {2, 1, 0}},
        PassCase{"numbers inside text", ssNumericExtended, sdAscending, false,
                 texts({"Run 10", "Run 9", "Run 1"}), {2, 1, 0}},
        PassCase{"times of day", ssTime, sdAscending, false, texts({"10:00", "9:30", "x", "09:30"}),
                 {1, 3, 0, 2}},
        PassCase{"custom without comparison uses text", ssCustom, sdDescending, false, texts({"a", "c", "b"}),
                 {1, 2, 0}},
        PassCase{"empty", ssNormal, sdAscending, false, QStringList(), {}}),
    testnames::caseNames([](const PassCase& c) { return std::string(c.name); }));

TEST(SortOrderTest, CustomComparisonDecides)
{
    TSortOptions options;
    options.SortStyle = ssCustom;
    options.SortCompare = [](const QString& a, const QString& b) { return int(a.size() - b.size()); };
    EXPECT_EQ(TSortOrder::pass(texts({"ccc", "a", "bb", "d"}), options), (std::vector<int>{1, 3, 2, 0}));
}

TEST(SortOrderTest, SecondaryKeysBreakTiesOfThePrimaryKey)
{
    // Sorted by column 5, ties by column 3, then by column 2, then by the earlier order.
    const std::vector<TSortOrder::Key> keys{
        {5, texts({"b", "a", "b", "b", "a"})},
        {3, texts({"y", "x", "x", "x", "x"})},
        {2, texts({"1", "2", "2", "1", "2"})},
    };
    TSortOptions options;
    const auto passOptions = [&options](int, const QStringList&) -> const TSortOptions& { return options; };
    EXPECT_EQ(TSortOrder::rows(5, keys, passOptions), (std::vector<int>{1, 4, 3, 2, 0}));
}

TEST(SortOrderTest, PassesAreAskedLeastSignificantFirstAndASkippedPrimarySortsNothing)
{
    std::vector<int> asked;
    TSortOptions options;
    const auto passOptions = [&](int column, const QStringList&) -> const TSortOptions& {
        asked.push_back(column);
        return options;
    };
    const std::vector<TSortOrder::Key> keys{{1, texts({"b", "a"})}, {2, texts({"x", "y"})}};
    EXPECT_EQ(TSortOrder::rows(2, keys, passOptions), (std::vector<int>{1, 0}));
    EXPECT_EQ(asked, (std::vector<int>{2, 1}));

    asked.clear();
    const std::vector<TSortOrder::Key> skipped{{-1, {}}, {2, texts({"y", "x"})}};
    EXPECT_TRUE(TSortOrder::rows(2, skipped, passOptions).empty());
    EXPECT_EQ(asked, (std::vector<int>{2}));
}

TEST(SortOrderTest, EachPassComparesByTheOptionsItWasGiven)
{
    // The primary pass is numeric, the secondary one descending text.
    TSortOptions numeric;
    numeric.SortStyle = ssNumeric;
    TSortOptions descending;
    descending.SortDirection = sdDescending;
    const auto passOptions = [&](int column, const QStringList&) -> const TSortOptions& {
        return column == 0 ? numeric : descending;
    };
    const std::vector<TSortOrder::Key> keys{{0, texts({"10", "9", "10", "9"})}, {1, texts({"a", "b", "c", "d"})}};
    EXPECT_EQ(TSortOrder::rows(4, keys, passOptions), (std::vector<int>{3, 1, 2, 0}));
}

}  // namespace
