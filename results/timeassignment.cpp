#include "results/timeassignment.h"

#include "results/timetext.h"

#include <limits>

const char* const kNinthPageMessage = "Sorry. Dont use this page!";
const char* const kTrackLengthMessage = "Prüfen Sie bitte die Streckenlänge!";

bool clickAssignment(TimeRow& row, int k)
{
    if (k < 1 || k > kCarsPerRace)
        return false;
    bool& down = row.down[k - 1];
    down = !down;
    if (row.firstColumn == 0) {
        if (down)
            row.exactMark = k;
        else if (row.exactMark == k)
            row.exactMark = 0;
        row.firstColumn = k;
    }
    return down;
}

QVector<std::optional<RowMarkViews>> RefreshAssignments(const QVector<TimeRow>& rows)
{
    QVector<std::optional<RowMarkViews>> views;
    views.reserve(rows.size());
    std::array<int, kCarsPerRace> counts{};
    bool startRows = true;
    for (const TimeRow& row : rows) {
        if (row.zeitRow)
            startRows = false;
        if (!row.counted) {
            views.append(std::nullopt);
            continue;
        }
        RowMarkViews marks;
        for (int k = 0; k < kCarsPerRace; ++k) {
            if (!row.down[k])
                continue;
            const int c = ++counts[k];
            MarkView& mark = marks[k];
            mark.enabled = c <= 4;
            mark.finalLapGlyph = c == 4;
            mark.exactVisible = mark.enabled && !startRows;
            if (c >= 2 && c <= 4)
                mark.label = QString::number(c - 1);
        }
        views.append(marks);
    }
    return views;
}

QString RaceEntryResult::message() const
{
    switch (status) {
    case Status::NinthPage:
        return QString::fromUtf8(kNinthPageMessage);
    case Status::CheckTrackLength:
        return QString::fromUtf8(kTrackLengthMessage);
    case Status::Entered:
    case Status::NothingMarked:
        break;
    }
    return {};
}

int findStartNumberRow(const ResultTable& table, const QString& startNumber)
{
    // Row 0 is the heading: a match there counts as not found.
    for (int r = 1; r < table.rowCount(); ++r) {
        if (table.cell(r, ResultTable::ColNumber).compare(startNumber, Qt::CaseInsensitive) == 0)
            return r;
    }
    return 0;
}

namespace {

int rowForStartNumber(ResultTable& table, const QString& startNumber)
{
    int row = findStartNumberRow(table, startNumber);
    if (row > 0)
        return row;
    // A fresh table's empty first row takes the first car. Only that row is
    // reused: any other row belongs to some start number and must not be
    // overwritten.
    if (table.rowCount() < 2)
        table.appendRow();
    row = table.isRowBlank(1) ? 1 : table.appendRow();
    table.setCell(row, ResultTable::ColNumber, startNumber);
    return row;
}

}  // namespace

RaceEntryResult enterRace(ResultTable& table, const RaceEntry& entry)
{
    RaceEntryResult result;
    if (entry.pageIndex == kRefusingPage) {
        result.status = RaceEntryResult::Status::NinthPage;
        return result;
    }
    if (readInteger(entry.trackLengthText).value_or(0) == 0) {
        result.status = RaceEntryResult::Status::CheckTrackLength;
        return result;
    }

    std::array<qint64, kCarsPerRace> previous{};
    std::array<qint64, kCarsPerRace> best;
    best.fill(std::numeric_limits<qint64>::max());
    std::array<bool, kCarsPerRace> active{};
    for (int k = 0; k < kCarsPerRace; ++k)
        active[k] = !trimBlanks(entry.startNumbers[k]).isEmpty();

    for (const TimeRow& row : entry.rows) {
        if (!row.counted)
            continue;
        for (int k = 0; k < kCarsPerRace; ++k) {
            if (!row.down[k] || !active[k])
                continue;
            const int n = ++result.passages[k];
            ++result.totalMarks;
            if (n > 4)
                continue;  // marks beyond the final lap count but write nothing
            qint64 t = TimeTextToMs(row.text);
            // A car without the row's exact-time mark crossed just after the
            // one whose time was taken.
            if (n > 1 && row.exactMark != k + 1)
                t += 50;
            const qint64 d = t - previous[k];
            if (n > 1 && d < best[k])
                best[k] = d;
            previous[k] = t;
            const int r = rowForStartNumber(table, entry.startNumbers[k]);
            result.tableRows[k] = r;
            table.setCell(r, ResultTable::ColStart + n - 1, MsToTimeText(d, entry.acc));
        }
    }

    if (result.totalMarks == 0) {
        result.status = RaceEntryResult::Status::NothingMarked;
        return result;
    }

    for (int k = 0; k < kCarsPerRace; ++k) {
        const int r = result.tableRows[k];
        if (r <= 0)
            continue;
        const int n = result.passages[k];
        table.setCell(r, ResultTable::ColBest,
                      n == 1 ? QStringLiteral("Ausfall") : MsToTimeText(best[k], entry.acc));
        for (int col = n + 2; col <= ResultTable::ColLap3; ++col)
            table.setCell(r, col, QStringLiteral("-"));
    }
    result.status = RaceEntryResult::Status::Entered;
    return result;
}

TColor startNumberColor(int passages)
{
    return passages >= 2 ? TColor(11031552) : clRed;
}
