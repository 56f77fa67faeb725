#pragma once

#include "results/timeassignment.h"

#include <QColor>
#include <QObject>
#include <QVector>
#include <array>

class TFrame1;

// One taken time as the list holds it: what entering reads, the time since
// the race start, its text colour and how its five marks are shown.
struct TimeListRow {
    TimeRow row;
    qint64 ticks = 0;
    QColor timeColour;
    RowMarkViews marks;
};

// The list of taken times as data: rows 1 to the row count of the race. The
// 100 pooled TFrame1 rows show it and report the operator's clicks; every
// change goes through here and is shown again from the data.
class TimeList : public QObject {
    Q_OBJECT
public:
    static constexpr int kRows = 100;

    TimeList(const std::array<TFrame1*, kRows + 1>& views, QObject* parent = nullptr);

    int count() const { return int(m_rows.size()); }
    const TimeListRow& at(int n) const { return m_rows[n - 1]; }  // 1-based
    QVector<TimeRow> timeRows() const;

    // A new row: the start row, or a ZEIT row placed after every row taken
    // at or before its time, so the list stays in the order the cars
    // crossed even when a time reaches it after a later one. Returns its
    // row number (0 when the list is full); rows below it move down with
    // their marks.
    int add(bool startRow, qint64 ticks, const QString& text, const QColor& colour);
    // Start-up shows only empty rows: their controls are built once the
    // window is up and waiting (after delayMs), a few rows at a time, so the
    // first ZEIT finds its row ready (and builds it itself if it comes sooner).
    void buildViewsWhenIdle(int delayMs);
    // No rows; every view is a fresh, hidden row again.
    void clear();

    // What the operator does on row n: mark k (button or its label), the
    // exact-time mark k, the box that makes the row count.
    void clickMark(int n, int k);
    void clickExact(int n, int k);
    void setCounted(int n, bool counted);
    // Recounts every car's marks in row order and shows the lap each ends.
    void RefreshAssignments();
    // Puts back row n's marks and box as a journal kept them (restore only;
    // the caller recounts afterwards).
    void restoreRow(int n, const TimeRow& row, const QColor& colour);

signals:
    // Row n's marks or box changed through the operator.
    void rowChanged(int n);

private:
    void show(int n);

    std::array<TFrame1*, kRows + 1> m_views{};
    QVector<TimeListRow> m_rows;
    int m_nextViewToBuild = 1;
};
