// Carrying result tables between the grids and the plain tables.
#include "app/gridadapter.h"

#include "controls/sortgrid.h"

#include <gtest/gtest.h>

namespace {

ResultTable tableWithRows(int dataRows)
{
    ResultTable table = ResultTable::withHeading();
    for (int r = 1; r <= dataRows; ++r) {
        table.setCell(r, ResultTable::ColNumber, QString::number(r));
        table.setCell(r, ResultTable::ColBest, QStringLiteral("00:59,%1").arg(r, 2, 10, QLatin1Char('0')));
        table.setCell(r, ResultTable::ColOrder, QString::number(r));
    }
    return table;
}

TEST(GridAdapter, RoundTripKeepsEveryCellIncludingTheHiddenColumn)
{
    TSortGrid grid;
    grid.SetColCount(10);
    const ResultTable table = tableWithRows(4);
    writeResultGrid(grid, table);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.Cells(ResultTable::ColBest, 3), QStringLiteral("00:59,03"));
    EXPECT_EQ(grid.Cells(ResultTable::ColOrder, 4), QStringLiteral("4"));
    EXPECT_EQ(grid.Cells(2, 0), QStringLiteral("START"));
    const ResultTable back = readResultGrid(grid);
    EXPECT_EQ(back.rows, table.rows);
}

TEST(GridAdapter, ShrinkingLeavesNoOldRowsToComeBack)
{
    TSortGrid grid;
    grid.SetColCount(10);
    writeResultGrid(grid, tableWithRows(4));
    writeResultGrid(grid, tableWithRows(1));
    EXPECT_EQ(grid.RowCount(), 2);
    grid.SetRowCount(5);  // growing again shows empty rows, not the old ones
    for (int r = 2; r < 5; ++r) {
        for (int c = 0; c < 10; ++c)
            EXPECT_EQ(grid.Cells(c, r), QString()) << c << "," << r;
    }
}

TEST(GridAdapter, AnEmptyTableStillLeavesOneDataRow)
{
    TSortGrid grid;
    grid.SetColCount(10);
    ResultTable table;
    table.rows.append(ResultTable::headings());
    writeResultGrid(grid, table);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(readResultGrid(grid).rows.size(), 2);
}

}  // namespace
