#pragma once

#include "results/resulttable.h"

#include <string>
#include <vector>

// Result tables written as plain rows of text in the results tests.
using Rows = std::vector<std::vector<std::string>>;

// A table from its data rows (heading added); short rows are padded, and a
// table without data gets the one empty row a fresh grid has.
inline ResultTable makeTable(const Rows& data)
{
    ResultTable table;
    table.rows.append(ResultTable::headings());
    for (const auto& cells : data) {
        QStringList row;
        for (const auto& text : cells)
            row.append(QString::fromStdString(text));
        while (row.size() < ResultTable::ColumnCount)
            row.append(QString());
        table.rows.append(row);
    }
    if (data.empty())
        table.appendRow();
    return table;
}

// The data rows of a table (heading left out), every cell as text.
inline Rows dataRows(const ResultTable& table)
{
    Rows rows;
    for (int r = 1; r < table.rowCount(); ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < ResultTable::ColumnCount; ++c)
            cells.push_back(table.cell(r, c).toStdString());
        rows.push_back(cells);
    }
    return rows;
}
