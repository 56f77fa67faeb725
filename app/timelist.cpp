#include "app/timelist.h"

#include "app/frame1.h"

#include <QTimer>

TimeList::TimeList(const std::array<TFrame1*, kRows + 1>& views, QObject* parent)
    : QObject(parent)
    , m_views(views)
{
    m_rows.reserve(kRows);
    for (int n = 1; n <= kRows; ++n) {
        TFrame1* view = m_views[n];
        connect(view, &TFrame1::markClicked, this, [this, n](int k) { clickMark(n, k); });
        connect(view, &TFrame1::exactClicked, this, [this, n](int k) { clickExact(n, k); });
        connect(view, &TFrame1::countedClicked, this, [this, n](bool on) { setCounted(n, on); });
    }
}

QVector<TimeRow> TimeList::timeRows() const
{
    QVector<TimeRow> rows;
    rows.reserve(m_rows.size());
    for (const TimeListRow& r : m_rows)
        rows.append(r.row);
    return rows;
}

int TimeList::add(bool startRow, qint64 ticks, const QString& text, const QColor& colour)
{
    if (count() >= kRows)
        return 0;
    TimeListRow r;
    r.row.text = text;
    r.row.zeitRow = !startRow;
    r.ticks = ticks;
    r.timeColour = colour;
    int at = count();
    if (!startRow) {
        while (at > 0 && m_rows[at - 1].row.zeitRow && m_rows[at - 1].ticks > ticks)
            --at;
    }
    m_rows.insert(at, r);
    if (at + 1 == count()) {
        show(count());
    } else {
        // A car's laps are counted in row order: the rows below moved, so
        // every lap they end is counted again.
        RefreshAssignments();
    }
    return at + 1;
}

void TimeList::buildViewsWhenIdle(int delayMs)
{
    QTimer::singleShot(delayMs, this, [this] {
        auto* builder = new QTimer(this);
        connect(builder, &QTimer::timeout, this, [this, builder] {
            for (int i = 0; i < 4 && m_nextViewToBuild <= kRows; ++i)
                m_views[m_nextViewToBuild++]->build();
            if (m_nextViewToBuild > kRows)
                builder->deleteLater();
        });
        builder->start(0);
    });
}

void TimeList::clear()
{
    m_rows.clear();
    for (int n = 1; n <= kRows; ++n)
        m_views[n]->makeFresh(kCarsPerRace);
}

void TimeList::clickMark(int n, int k)
{
    if (n < 1 || n > count() || !m_rows[n - 1].row.counted)
        return;
    clickAssignment(m_rows[n - 1].row, k);
    RefreshAssignments();
    emit rowChanged(n);
}

void TimeList::clickExact(int n, int k)
{
    // The exact-time marks of a row exclude each other, and a click never
    // takes the mark away: it moves it.
    if (n < 1 || n > count() || k < 1 || k > kCarsPerRace)
        return;
    m_rows[n - 1].row.exactMark = k;
    show(n);
    emit rowChanged(n);
}

void TimeList::setCounted(int n, bool counted)
{
    if (n < 1 || n > count())
        return;
    TimeListRow& r = m_rows[n - 1];
    r.row.counted = counted;
    r.timeColour = !counted ? QColor(255, 0, 0) : r.row.zeitRow ? QColor(255, 255, 0) : QColor(0, 255, 0);
    show(n);
    emit rowChanged(n);
}

void TimeList::restoreRow(int n, const TimeRow& row, const QColor& colour)
{
    if (n < 1 || n > count())
        return;
    m_rows[n - 1].row = row;
    m_rows[n - 1].timeColour = colour;
    show(n);
}

void TimeList::RefreshAssignments()
{
    // A row that does not count keeps its marks as they are.
    const auto views = ::RefreshAssignments(timeRows());
    for (int n = 1; n <= count(); ++n) {
        if (views[n - 1])
            m_rows[n - 1].marks = *views[n - 1];
        show(n);
    }
}

void TimeList::show(int n)
{
    m_views[n]->showRow(m_rows[n - 1]);
}
