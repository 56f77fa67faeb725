#include "results/ranking.h"

#include "results/timetext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The grid compares texts after lower-casing ASCII letters only.
QString asciiLower(const QString& text)
{
    QString lower = text;
    for (QChar& ch : lower) {
        if (ch.unicode() >= u'A' && ch.unicode() <= u'Z')
            ch = QChar(ch.unicode() + (u'a' - u'A'));
    }
    return lower;
}

}  // namespace

QString speedText(int trackLength, qint64 ms, QChar decimalSeparator)
{
    const double kmh = double(trackLength) / (double(ms) / 3600.0);
    if (!std::isfinite(kmh))
        return {};
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, "%1.1f", kmh);
    if (n <= 0 || n >= int(sizeof buffer))
        return {};
    QString text = QString::fromLatin1(buffer, n);
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}

RankResult RankTable(ResultTable& table, const RankOptions& options)
{
    using T = ResultTable;
    const int rowCount = table.rowCount();
    RankResult result;
    result.order.reserve(qMax(rowCount, 1));
    for (int r = 0; r < qMax(rowCount, 1); ++r)
        result.order.append(r);
    result.byPlace = result.order;
    if (rowCount < 2)
        return result;

    for (int r = 1; r < rowCount; ++r) {
        table.setCell(r, T::ColOrder, QString::number(r));
        // A best lap that reads as zero (for instance "00:00,00" from two marks
        // within one display step) would otherwise sort first as a time and
        // become the leader: the real winner would get place 2 and every gap
        // would be measured from zero. It becomes "Ausfall" before sorting.
        const QString best = table.cell(r, T::ColBest);
        if (!IsNoTime(best) && TimeTextToMs(best) <= 0)
            table.setCell(r, T::ColBest, QStringLiteral("Ausfall"));
    }

    QVector<QString> keys(rowCount);
    for (int r = 1; r < rowCount; ++r)
        keys[r] = asciiLower(table.cell(r, T::ColBest));
    QVector<int> sorted;
    sorted.reserve(rowCount - 1);
    for (int r = 1; r < rowCount; ++r)
        sorted.append(r);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&keys](int a, int b) { return CompareTimes(keys[a], keys[b]) < 0; });

    const qint64 leader = TimeTextToMs(table.cell(sorted[0], T::ColBest));
    QString previous;
    int place = 0;
    for (int i = 0; i < sorted.size(); ++i) {
        const int r = sorted[i];
        const QString best = table.cell(r, T::ColBest);
        if (trimBlanks(best).isEmpty())
            break;  // rows without a best lap keep place, gap and speed as they are
        const qint64 b = TimeTextToMs(best);
        if (best != previous)
            place = i + 1;
        previous = best;
        if (b > 0) {
            table.setCell(r, T::ColPlace, QString::number(place) + QLatin1Char('.'));
            table.setCell(r, T::ColGap, MsToTimeText(b - leader, options.acc));
            const QString speed = speedText(options.trackLength, b, options.decimalSeparator);
            if (!speed.isEmpty())
                table.setCell(r, T::ColSpeed, speed);
        } else {
            table.setCell(r, T::ColPlace, QString());
            table.setCell(r, T::ColSpeed, QString());
            table.setCell(r, T::ColGap, QString());
            table.setCell(r, T::ColBest, QStringLiteral("Ausfall"));
        }
    }

    if (options.placeOrder) {
        QVector<QStringList> rows;
        rows.reserve(rowCount);
        rows.append(table.rows[0]);
        for (int r : sorted) {
            rows.append(std::move(table.rows[r]));
            result.order[rows.size() - 1] = r;
        }
        table.rows = std::move(rows);
    } else {
        for (int i = 0; i < sorted.size(); ++i)
            result.byPlace[i + 1] = sorted[i];
    }
    return result;
}

ResultTable inPlaceOrder(const ResultTable& table, const RankResult& ranked)
{
    if (ranked.byPlace.size() != table.rowCount())
        return table;
    ResultTable ordered = table;
    for (int i = 1; i < table.rowCount(); ++i)
        ordered.rows[i] = table.rows[ranked.byPlace[i]];
    return ordered;
}

int nextBlockRow(int currentRow, int tag, int rowCount)
{
    int b = ((currentRow - 1 + tag) / 5) * 5 + 1;
    if (b < 1)
        b = 1;
    if (b > rowCount - 1)
        b = (rowCount / 5) * 5 + 1;
    // That can still lie beyond the last data row (4, 5, 9, 10 ... data rows):
    // take the block of the last data row instead, never a row the grid lacks.
    if (b > rowCount - 1)
        b = qMax(1, ((rowCount - 2) / 5) * 5 + 1);
    return b;
}
