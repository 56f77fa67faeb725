#pragma once

#include "results/resulttable.h"

#include <QChar>
#include <QString>
#include <QVector>

// Ranking of one result table by best lap: places, gaps to the leader and
// speeds, and the order the rows are shown in. The backup that follows every
// ranking is written by the caller (resultsfile.h).

struct RankOptions {
    int trackLength = 0;    // metres of one lap on the active page
    bool placeOrder = true; // show the rows by place; otherwise keep their order
    int acc = 2;            // decimals of the time texts it writes
    QChar decimalSeparator = QLatin1Char(',');  // the regional format's separator
};

struct RankResult {
    // order[i] is the row (before ranking) that is row i now; order[0] is 0.
    // The window moves its current row with it: with the place order on the
    // current row follows its row, otherwise the order is unchanged.
    QVector<int> order;
    // byPlace[i] is the row of the ranked table that is row i in place order
    // (the order the backup is written in, whatever is shown); byPlace[0] is 0.
    QVector<int> byPlace;
};

// The ranked table's rows in place order.
ResultTable inPlaceOrder(const ResultTable& table, const RankResult& ranked);

// Ranks `table`: every data row's position goes into the hidden order column;
// the rows are sorted by best lap (times first, then "-", "Ausfall" and empty
// cells, equal texts keeping their order); rows with the same best-lap text
// share the place of the first of them (1, 1, 3); the leader's gap is zero.
// A best lap that reads as no time becomes "Ausfall" without place, gap or
// speed; rows with an empty best lap are left alone. With the place order off
// the rows end in their original order.
RankResult RankTable(ResultTable& table, const RankOptions& options);

// Average speed in km/h of a lap of `trackLength` metres in `ms`
// milliseconds, one decimal, with the given separator.
QString speedText(int trackLength, qint64 ms, QChar decimalSeparator);

// The first row of the block of five rows that holds `currentRow` (with the
// sender's tag added), kept within the table's data rows: the row NÄCHSTEN
// selects.
int nextBlockRow(int currentRow, int tag, int rowCount);
