#include "results/resulttable.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultTable, FreshTableHasHeadingAndOneEmptyRow)
{
    const ResultTable table = ResultTable::withHeading();
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.rows[0].size(), ResultTable::ColumnCount);
    EXPECT_EQ(table.cell(0, 0), QStringLiteral("Pl."));
    EXPECT_EQ(table.cell(0, 6), QStringLiteral("Beste R."));
    EXPECT_EQ(table.cell(0, 8), QStringLiteral("Km/h"));
    EXPECT_TRUE(table.cell(0, 9).isEmpty());
    EXPECT_TRUE(table.isRowBlank(1));
    EXPECT_FALSE(table.hasResults());
}

TEST(ResultTable, CellsOutOfRangeReadEmptyAndSetCellGrows)
{
    ResultTable table = ResultTable::withHeading();
    EXPECT_TRUE(table.cell(-1, 0).isEmpty());
    EXPECT_TRUE(table.cell(5, 3).isEmpty());
    EXPECT_TRUE(table.cell(1, 42).isEmpty());
    table.setCell(3, 1, QStringLiteral("12"));
    EXPECT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.cell(3, 1), QStringLiteral("12"));
    table.setCell(-1, 0, QStringLiteral("x"));  // ignored
    EXPECT_EQ(table.rowCount(), 4);
}

TEST(ResultTable, ResultsMeanAVisibleCellOrASecondRow)
{
    ResultTable table = ResultTable::withHeading();
    table.setCell(1, ResultTable::ColOrder, QStringLiteral("1"));
    EXPECT_FALSE(table.hasResults());
    table.setCell(1, ResultTable::ColSpeed, QStringLiteral("  "));
    EXPECT_FALSE(table.hasResults());
    table.setCell(1, ResultTable::ColNumber, QStringLiteral("7"));
    EXPECT_TRUE(table.hasResults());

    ResultTable two = ResultTable::withHeading();
    two.appendRow();
    EXPECT_TRUE(two.hasResults());
}

TEST(ResultTable, DeleteRowNeverRemovesTheLastDataRow)
{
    ResultTable table = ResultTable::withHeading();
    table.setCell(1, 1, QStringLiteral("1"));
    table.setCell(2, 1, QStringLiteral("2"));
    table.setCell(3, 1, QStringLiteral("3"));
    table.deleteRow(2);
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.cell(2, 1), QStringLiteral("3"));
    table.deleteRow(0);   // the heading stays
    table.deleteRow(9);   // no such row
    EXPECT_EQ(table.rowCount(), 3);
    table.deleteRow(1);
    table.deleteRow(1);
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_TRUE(table.isRowBlank(1));
    EXPECT_EQ(table.rows[1].size(), ResultTable::ColumnCount);
    EXPECT_EQ(table.rows[0], ResultTable::headings());
}

}  // namespace
