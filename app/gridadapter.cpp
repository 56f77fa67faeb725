#include "app/gridadapter.h"

#include "controls/sortgrid.h"

ResultTable readResultGrid(const TSortGrid& grid)
{
    ResultTable table;
    const int rows = grid.RowCount();
    table.rows.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        QStringList cells;
        cells.reserve(ResultTable::ColumnCount);
        for (int c = 0; c < ResultTable::ColumnCount; ++c)
            cells.append(grid.Cells(c, r));
        table.rows.append(std::move(cells));
    }
    return table;
}

void writeResultGrid(TSortGrid& grid, const ResultTable& table)
{
    const int rows = std::max(table.rowCount(), 2);
    grid.beginStringUpdate();
    for (int r = rows; r < grid.RowCount(); ++r) {
        for (int c = 0; c < ResultTable::ColumnCount; ++c)
            grid.SetCells(c, r, QString());
    }
    if (grid.RowCount() != rows)
        grid.SetRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        // The grid compares before it stores: unchanged cells cost a lookup.
        for (int c = 0; c < ResultTable::ColumnCount; ++c)
            grid.SetCells(c, r, table.cell(r, c));
    }
    grid.endStringUpdate();
}
