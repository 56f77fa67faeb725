#pragma once

// A class table of the result benchmarks: `rows` cars with plausible laps.

#include "results/resulttable.h"
#include "results/timetext.h"

inline ResultTable filledTable(int rows, int seed)
{
    ResultTable table = ResultTable::withHeading();
    for (int r = 1; r <= rows; ++r) {
        const qint64 lap = 55000 + (r * 7919 + seed * 104729) % 10000;
        table.setCell(r, ResultTable::ColNumber, QString::number(1000 + r));
        table.setCell(r, ResultTable::ColStart, MsToTimeText(0, 2));
        table.setCell(r, ResultTable::ColLap1, MsToTimeText(lap + 300, 2));
        table.setCell(r, ResultTable::ColLap2, MsToTimeText(lap, 2));
        table.setCell(r, ResultTable::ColLap3, MsToTimeText(lap + 150, 2));
        table.setCell(r, ResultTable::ColBest, MsToTimeText(lap, 2));
    }
    return table;
}
