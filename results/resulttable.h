#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// A class's result table as plain data: row 0 is the heading, every row has
// the ten cells "Pl.", "Nr.", "START", "1.Runde", "2.Runde", "3.Runde",
// "Beste R.", "Abstand", "Km/h" and the hidden order column.
//
// Why plain data and not an interface the grid implements: entering, ranking,
// saving and clearing are whole-table operations on at most a few hundred rows,
// and a value type makes them pure functions that tests call without widgets.
// The window copies a grid into a ResultTable (`cell(row, col)` mirrors the
// grid's cells), runs the operation and writes the rows back; ranking also
// returns the row permutation so the grid's current row can follow its row.
// Copying 500 rows of ten short texts costs far less than repainting them.
struct ResultTable {
    enum Column {
        ColPlace = 0,
        ColNumber = 1,
        ColStart = 2,
        ColLap1 = 3,
        ColLap2 = 4,
        ColLap3 = 5,
        ColBest = 6,
        ColGap = 7,
        ColSpeed = 8,
        ColOrder = 9,
        ColumnCount = 10
    };

    QVector<QStringList> rows;

    // The ten headings of row 0 (the order column's heading is empty).
    static QStringList headings();
    // A fresh table: the heading row and one empty data row.
    static ResultTable withHeading();

    int rowCount() const { return int(rows.size()); }
    // Out-of-range cells read as empty, so short or ragged rows never crash.
    QString cell(int row, int col) const;
    // Grows the table or the row as needed.
    void setCell(int row, int col, const QString& text);
    // Appends an empty row and returns its index.
    int appendRow();
    // The grid's row deletion: the last data row is emptied, never removed, so
    // a table always keeps its heading and one data row.
    void deleteRow(int row);
    // True when the row's visible cells, joined and trimmed, are empty. The
    // hidden order column does not count: ranking writes it into every row,
    // and an emptied table must still read as one without results (and its
    // empty first row must take the next car).
    bool isRowBlank(int row) const;
    // The table has results: more than one data row, or row 1 not blank.
    bool hasResults() const;
};
