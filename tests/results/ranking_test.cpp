#include "results/ranking.h"

#include "support/resulttables.h"
#include "support/testnames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// Start numbers of the data rows, top to bottom.
std::vector<std::string> numbers(const ResultTable& table)
{
    std::vector<std::string> out;
    for (int r = 1; r < table.rowCount(); ++r)
        out.push_back(table.cell(r, ResultTable::ColNumber).toStdString());
    return out;
}

RankOptions options(bool placeOrder, int trackLength = 1000)
{
    RankOptions o;
    o.placeOrder = placeOrder;
    o.trackLength = trackLength;
    return o;
}

// Best laps 00:59,50, 01:00,00, 00:59,50 and "Ausfall" entered as A, B, C, D.
ResultTable fourCars()
{
    return makeTable({{"", "A", "00:00,00", "00:59,50", "-", "-", "00:59,50"},
                      {"", "B", "00:00,00", "01:00,00", "-", "-", "01:00,00"},
                      {"", "C", "00:00,00", "00:59,50", "-", "-", "00:59,50"},
                      {"", "D", "00:00,00", "-", "-", "-", "Ausfall"}});
}

TEST(RankTable, SharedPlacesInPlaceOrder)
{
    ResultTable table = fourCars();
    const RankResult result = RankTable(table, options(true));
    const Rows expected = {
        {"1.", "A", "00:00,00", "00:59,50", "-", "-", "00:59,50", "00:00,00", "60,5", "1"},
        {"1.", "C", "00:00,00", "00:59,50", "-", "-", "00:59,50", "00:00,00", "60,5", "3"},
        {"3.", "B", "00:00,00", "01:00,00", "-", "-", "01:00,00", "00:00,50", "60,0", "2"},
        {"", "D", "00:00,00", "-", "-", "-", "Ausfall", "", "", "4"}};
    EXPECT_EQ(dataRows(table), expected);
    EXPECT_EQ(result.order, (QVector<int>{0, 1, 3, 2, 4}));
}

TEST(RankTable, PlaceOrderOffKeepsTheEntryOrder)
{
    ResultTable table = fourCars();
    const RankResult result = RankTable(table, options(false));
    EXPECT_EQ(numbers(table), (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_EQ(table.cell(1, ResultTable::ColPlace), QStringLiteral("1."));
    EXPECT_EQ(table.cell(2, ResultTable::ColPlace), QStringLiteral("3."));
    EXPECT_EQ(table.cell(3, ResultTable::ColPlace), QStringLiteral("1."));
    EXPECT_EQ(table.cell(4, ResultTable::ColPlace), QString());
    EXPECT_EQ(table.cell(2, ResultTable::ColGap), QStringLiteral("00:00,50"));
    EXPECT_EQ(result.order, (QVector<int>{0, 1, 2, 3, 4}));
    // The backup still lists the class by place.
    EXPECT_EQ(numbers(inPlaceOrder(table, result)), (std::vector<std::string>{"A", "C", "B", "D"}));
}

TEST(RankTable, ToggleTwiceThenAppendWithPlaceOrderOff)
{
    ResultTable table = fourCars();
    RankTable(table, options(true));
    // Turning the place order off keeps the order the table has now.
    RankTable(table, options(false));
    EXPECT_EQ(numbers(table), (std::vector<std::string>{"A", "C", "B", "D"}));

    // A new, faster car is appended at the bottom and nothing moves.
    const int row = table.appendRow();
    table.setCell(row, ResultTable::ColNumber, QStringLiteral("E"));
    table.setCell(row, ResultTable::ColBest, QStringLiteral("00:58,00"));
    RankTable(table, options(false));
    EXPECT_EQ(numbers(table), (std::vector<std::string>{"A", "C", "B", "D", "E"}));
    EXPECT_EQ(table.cell(5, ResultTable::ColPlace), QStringLiteral("1."));
    EXPECT_EQ(table.cell(1, ResultTable::ColPlace), QStringLiteral("2."));
    EXPECT_EQ(table.cell(1, ResultTable::ColGap), QStringLiteral("00:01,50"));

    // Turning it on again sorts at once.
    RankTable(table, options(true));
    EXPECT_EQ(numbers(table), (std::vector<std::string>{"E", "A", "C", "B", "D"}));
}

TEST(RankTable, DeletingARowReRanks)
{
    ResultTable table = fourCars();
    RankTable(table, options(true));
    table.deleteRow(1);  // A
    RankTable(table, options(true));
    EXPECT_EQ(numbers(table), (std::vector<std::string>{"C", "B", "D"}));
    EXPECT_EQ(table.cell(1, ResultTable::ColPlace), QStringLiteral("1."));
    EXPECT_EQ(table.cell(2, ResultTable::ColPlace), QStringLiteral("2."));
    EXPECT_EQ(table.cell(2, ResultTable::ColGap), QStringLiteral("00:00,50"));
}

TEST(RankTable, DeletingTheOnlyRowLeavesATableWithoutResults)
{
    ResultTable table = makeTable({{"", "12", "00:00,00", "01:00,00", "-", "-", "01:00,00"}});
    RankTable(table, options(true));
    ASSERT_TRUE(table.hasResults());
    table.deleteRow(1);
    RankTable(table, options(true));
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_FALSE(table.hasResults());
}

TEST(RankTable, NoTimeBestLapsBecomeAusfallAndSortLast)
{
    ResultTable table = makeTable({{"9.", "A", "00:00,00", "-", "-", "-", "-", "00:01,00", "1,0"},
                                   {"", "B", "00:00,00", "01:00,00", "-", "-", "01:00,00"},
                                   {"", "C", "00:00,00", "-", "-", "-", "AUSFALL"}});
    RankTable(table, options(true));
    EXPECT_EQ(numbers(table), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(table.cell(2, ResultTable::ColBest), QStringLiteral("Ausfall"));
    EXPECT_EQ(table.cell(2, ResultTable::ColPlace), QString());
    EXPECT_EQ(table.cell(2, ResultTable::ColGap), QString());
    EXPECT_EQ(table.cell(2, ResultTable::ColSpeed), QString());
    EXPECT_EQ(table.cell(3, ResultTable::ColBest), QStringLiteral("Ausfall"));
}

TEST(RankTable, ZeroBestLapNeverLeads)
{
    ResultTable table = makeTable({{"", "A", "00:00,00", "00:00,00", "-", "-", "00:00,00"},
                                   {"", "B", "00:00,00", "01:00,00", "-", "-", "01:00,00"}});
    RankTable(table, options(true));
    EXPECT_EQ(numbers(table), (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(table.cell(1, ResultTable::ColPlace), QStringLiteral("1."));
    EXPECT_EQ(table.cell(1, ResultTable::ColGap), QStringLiteral("00:00,00"));
    EXPECT_EQ(table.cell(2, ResultTable::ColBest), QStringLiteral("Ausfall"));
    EXPECT_EQ(table.cell(2, ResultTable::ColPlace), QString());
}

TEST(RankTable, RowsWithoutBestLapGoLastAndStayUntouched)
{
    // After clearing: place and start number kept, best lap empty.
    ResultTable table = makeTable({{"2.", "A"},
                                   {"", "B", "00:00,00", "01:00,00", "-", "-", "01:00,00"},
                                   {"1.", "C", "", "", "", "", "", "00:00,40", "51,0"}});
    RankTable(table, options(true));
    EXPECT_EQ(numbers(table), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(table.cell(2, ResultTable::ColPlace), QStringLiteral("2."));
    EXPECT_EQ(table.cell(3, ResultTable::ColPlace), QStringLiteral("1."));
    EXPECT_EQ(table.cell(3, ResultTable::ColGap), QStringLiteral("00:00,40"));
    EXPECT_EQ(table.cell(3, ResultTable::ColSpeed), QStringLiteral("51,0"));
    EXPECT_EQ(table.cell(3, ResultTable::ColOrder), QStringLiteral("3"));
}

TEST(RankTable, EqualTextsKeepTheirOrderAcrossRankings)
{
    ResultTable table = makeTable({{"", "A", "", "", "", "", "Ausfall"},
                                   {"", "B", "", "", "", "", "ausfall"},
                                   {"", "C", "", "", "", "", "01:00,00"},
                                   {"", "D", "", "", "", "", "01:00,00"}});
    RankTable(table, options(true));
    EXPECT_EQ(numbers(table), (std::vector<std::string>{"C", "D", "A", "B"}));
    RankTable(table, options(true));
    EXPECT_EQ(numbers(table), (std::vector<std::string>{"C", "D", "A", "B"}));
    EXPECT_EQ(table.cell(2, ResultTable::ColPlace), QStringLiteral("1."));
}

TEST(RankTable, ReadsTheTablesAccuracy)
{
    ResultTable table = makeTable({{"", "A", "", "", "", "", "01:00,5"},
                                   {"", "B", "", "", "", "", "00:59,9"}});
    RankOptions o = options(true);
    o.acc = 1;
    RankTable(table, o);
    EXPECT_EQ(numbers(table), (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(table.cell(2, ResultTable::ColGap), QStringLiteral("00:00,6"));
    EXPECT_EQ(table.cell(2, ResultTable::ColSpeed), QStringLiteral("59,5"));
}

TEST(RankTable, TextsOfAnEarlierAccuracyKeepTheirTimes)
{
    // Entered with two decimals, ranked after the setting went to one and to
    // none: the best laps must stay times, never turn into "Ausfall".
    for (int acc : {1, 0}) {
        ResultTable table = makeTable({{"", "A", "", "", "", "", "01:00,50"},
                                       {"", "B", "", "", "", "", "00:59,5"},
                                       {"", "C", "", "", "", "", "01:01"}});
        RankOptions o = options(true);
        o.acc = acc;
        RankTable(table, o);
        EXPECT_EQ(numbers(table), (std::vector<std::string>{"B", "A", "C"})) << "acc " << acc;
        EXPECT_EQ(table.cell(1, ResultTable::ColBest), QStringLiteral("00:59,5"));
        EXPECT_EQ(table.cell(2, ResultTable::ColBest), QStringLiteral("01:00,50"));
        EXPECT_EQ(table.cell(3, ResultTable::ColPlace), QStringLiteral("3."));
    }
}

TEST(RankTable, EveryRowOrderGivesTheSamePlaces)
{
    // A best lap edited to "1:02,5" among times the program wrote, a row of
    // damage and a dropped-out car: places must not depend on the entry order.
    const std::vector<std::vector<std::string>> cars = {
        {"", "A", "", "", "", "", "00:01,0"}, {"", "B", "", "", "", "", "00:05"},
        {"", "C", "", "", "", "", "1:02,5"},  {"", "D", "", "", "", "", "-"},
        {"", "E", "", "", "", "", "01:00,00"}};
    const std::map<std::string, std::string> places = {{"A", "1."}, {"B", "2."}, {"C", "4."}, {"D", ""}, {"E", "3."}};
    std::vector<int> order = {0, 1, 2, 3, 4};
    do {
        Rows rows;
        for (int i : order)
            rows.push_back(cars[size_t(i)]);
        ResultTable table = makeTable(rows);
        RankTable(table, options(true));
        for (int r = 1; r < table.rowCount(); ++r)
            EXPECT_EQ(table.cell(r, ResultTable::ColPlace).toStdString(),
                      places.at(table.cell(r, ResultTable::ColNumber).toStdString()))
                << "row order " << ::testing::PrintToString(order);
        EXPECT_EQ(numbers(table), (std::vector<std::string>{"A", "B", "E", "C", "D"}));
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST(RankTable, EmptyTableStaysWithoutResults)
{
    ResultTable table = ResultTable::withHeading();
    RankTable(table, options(true));
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_FALSE(table.hasResults());
}

struct SpeedCase {
    int trackLength;
    qint64 ms;
    char separator;
    const char* expected;
};

void PrintTo(const SpeedCase& c, std::ostream* os)
{
    *os << c.trackLength << " m in " << c.ms << " ms, separator '" << c.separator << "'";
}

class SpeedTextTest : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(SpeedTextTest, OneDecimalWithTheGivenSeparator)
{
    const SpeedCase& c = GetParam();
    EXPECT_EQ(speedText(c.trackLength, c.ms, QLatin1Char(c.separator)).toStdString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, SpeedTextTest, ::testing::Values(
    SpeedCase{1000, 60000, ',', "60,0"},
    SpeedCase{0, 60000, ',', "0,0"},
    SpeedCase{1000, 60000, '.', "60.0"},
    SpeedCase{850, 59500, ',', "51,4"},
    SpeedCase{1000, 59500, ',', "60,5"},
    SpeedCase{2147483647, 10, ',', "773094112920,0"},
    SpeedCase{-850, 59500, ',', "-51,4"}),
    testnames::caseNames([](const SpeedCase& c) {
        return "Track " + std::to_string(c.trackLength) + "m " + std::to_string(c.ms) + "ms"
               + (c.separator == ',' ? " comma" : " point");
    }));

struct BlockCase {
    int currentRow;
    int tag;
    int rowCount;
    int expected;
};

void PrintTo(const BlockCase& c, std::ostream* os)
{
    *os << "row " << c.currentRow << " of " << c.rowCount << ", tag " << c.tag;
}

class NextBlockRowTest : public ::testing::TestWithParam<BlockCase> {};

TEST_P(NextBlockRowTest, FirstRowOfTheBlock)
{
    const BlockCase& c = GetParam();
    EXPECT_EQ(nextBlockRow(c.currentRow, c.tag, c.rowCount), c.expected)
        << "row " << c.currentRow << " of " << c.rowCount;
}

INSTANTIATE_TEST_SUITE_P(Table, NextBlockRowTest, ::testing::Values(
    BlockCase{7, 0, 20, 6},
    BlockCase{5, 0, 20, 1},
    BlockCase{1, 0, 2, 1},
    BlockCase{6, 0, 20, 6},
    BlockCase{10, 0, 20, 6},
    BlockCase{11, 0, 20, 11},
    BlockCase{0, 0, 5, 1},
    BlockCase{-4, 0, 5, 1},
    BlockCase{30, 0, 12, 11},    // beyond the table: the formula's last block
    BlockCase{9, 0, 6, 1},       // its last block would be row 6 of 5: the block of row 5
    BlockCase{5, 1, 20, 6}),     // a sender tag shifts the block
    testnames::caseNames([](const BlockCase& c) {
        return "Row " + std::to_string(c.currentRow) + " tag " + std::to_string(c.tag) + " of "
               + std::to_string(c.rowCount);
    }));

}  // namespace
