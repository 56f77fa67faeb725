#pragma once

#include <vector>

// One direction of the grid: the columns or the rows. The grid holds two of
// these and asks them every question of geometry along that direction, so
// that the rules for widths and heights, scrolling and hit testing are
// written once.
//
// Positions are pixels from the start of the view (left or top edge of the
// viewport); `view` is the length of the viewport in that direction. An
// index is fixed below fixedCount() and scrollable from there; the first
// scrollable index shown is first(). A size of −1 hides an index: it has no
// cell and no line.
class GridAxis
{
public:
    GridAxis(int count, int fixedCount, int defaultSize);

    int count() const { return m_count; }
    // Stores the count (the caller keeps it at 1 or more) and lets the
    // sizes and the fixed count follow: a fixed count that would no longer
    // stay below the count is reduced to count − 1.
    void setCount(int count);
    bool contains(int index) const { return index >= 0 && index < m_count; }

    int fixedCount() const { return m_fixedCount; }
    // The caller checks the range; first() moves out of the fixed part.
    void setFixedCount(int fixedCount);

    int defaultSize() const { return m_defaultSize; }
    // Every index takes the new default; sizes set before are dropped.
    void setDefaultSize(int size);
    int lineWidth() const { return m_lineWidth; }
    void setLineWidth(int width) { m_lineWidth = width; }

    // The default for an index outside the axis or while no size was set.
    int size(int index) const;
    // Creates the per-index sizes on first use; false when nothing changed.
    // Throws EGridError outside 0 … count − 1.
    bool setSize(int index, int size);
    // True when some index has been given a size of its own.
    bool hasSizes() const { return !m_sizes.empty(); }
    // Size and line together, 0 for a hidden index.
    int extent(int index) const;
    // Length of the fixed part.
    int fixedExtent() const;

    // First scrollable index in view (LeftCol, TopRow). setFirst stores the
    // value as given; clampFirst gives the value the view may take.
    int first() const { return m_first; }
    void setFirst(int first) { m_first = first; }
    int clampFirst(int first, int view) const;
    // The last value of first() that still fills the view: scrolling further
    // would leave space after the last index.
    int lastFirst(int view) const;
    // Scrollable indices fully inside the view from first() on.
    int visibleCount(int view) const;
    // The last index that is at least partly inside the view.
    int lastVisible(int view) const;
    // The value of first() that brings the index fully into view with the
    // least scrolling; first() itself when no scrolling is needed.
    int firstShowing(int index, int view) const;

    // Start of an index in the view; −1 outside the axis or scrolled out.
    int position(int index, int view) const;
    // Index under a position; −1 before the start, after the last index or
    // outside the view.
    int indexAt(int pos, int view) const;
    // The index whose far edge (right or bottom) lies within `tolerance`
    // pixels of pos, with its start, for sizing with the mouse; index −1
    // when there is none.
    struct Border {
        int index = -1;
        int start = 0;
    };
    Border borderAt(int pos, int tolerance, int view) const;

    // Moves the size of `from` to `to`; the sizes between close up.
    void move(int from, int to);
    // Where an index ends up when `from` moves to `to`.
    static int movedIndex(int index, int from, int to);

private:
    int m_count;
    int m_fixedCount;
    int m_defaultSize;
    int m_lineWidth = 1;
    int m_first;
    std::vector<int> m_sizes;  // empty: every index has the default
};
