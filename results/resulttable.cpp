#include "results/resulttable.h"

#include "results/timetext.h"

QStringList ResultTable::headings()
{
    return {QStringLiteral("Pl."),     QStringLiteral("Nr."),     QStringLiteral("START"),
            QStringLiteral("1.Runde"), QStringLiteral("2.Runde"), QStringLiteral("3.Runde"),
            QStringLiteral("Beste R."), QStringLiteral("Abstand"), QStringLiteral("Km/h"),
            QString()};
}

ResultTable ResultTable::withHeading()
{
    ResultTable table;
    table.rows.append(headings());
    table.appendRow();
    return table;
}

QString ResultTable::cell(int row, int col) const
{
    if (row < 0 || row >= rows.size() || col < 0)
        return {};
    const QStringList& cells = rows[row];
    return col < cells.size() ? cells[col] : QString();
}

void ResultTable::setCell(int row, int col, const QString& text)
{
    if (row < 0 || col < 0)
        return;
    while (rows.size() <= row)
        appendRow();
    QStringList& cells = rows[row];
    while (cells.size() <= col)
        cells.append(QString());
    cells[col] = text;
}

int ResultTable::appendRow()
{
    QStringList cells;
    cells.reserve(ColumnCount);
    for (int c = 0; c < ColumnCount; ++c)
        cells.append(QString());
    rows.append(cells);
    return int(rows.size()) - 1;
}

void ResultTable::deleteRow(int row)
{
    if (row < 1 || row >= rows.size())
        return;
    if (rows.size() < 3) {
        for (QString& text : rows[row])
            text.clear();
        return;
    }
    rows.remove(row);
}

bool ResultTable::isRowBlank(int row) const
{
    if (row < 0 || row >= rows.size())
        return true;
    const QStringList& cells = rows[row];
    for (int col = 0; col < qMin(int(cells.size()), int(ColOrder)); ++col) {
        if (!trimBlanks(cells[col]).isEmpty())
            return false;
    }
    return true;
}

bool ResultTable::hasResults() const
{
    return rowCount() > 2 || (rowCount() == 2 && !isRowBlank(1));
}
