#include "controls/mystringgrid.h"

#include <QPainter>

namespace {
TSPAQuantum quantumFor(int count, int limit)
{
    return count > limit ? SPALarge : SPASmall;
}
}  // namespace

// Section sizes follow the grid's size at creation: large grids get large
// sections so the directory stays short.
TMyStringGrid::TMyStringGrid(QWidget* parent)
    : TMyDrawGrid(parent),
      m_data(quantumFor(RowCount(), 256)),
      m_rowViews(quantumFor(RowCount(), 256)),
      m_colViews(quantumFor(ColCount(), 512))
{
}

TMyStringGrid::~TMyStringGrid() = default;

QString TMyStringGrid::Cells(int ACol, int ARow) const
{
    const TStringSparseList* row = m_data.get(ARow);
    return row ? row->Strings(ACol) : QString();
}

QObject* TMyStringGrid::Objects(int ACol, int ARow) const
{
    const TStringSparseList* row = m_data.get(ARow);
    return row ? row->Objects(ACol) : nullptr;
}

TStringSparseList& TMyStringGrid::ensureRow(int ARow)
{
    TStringSparseList* row = m_data.get(ARow);
    if (!row) {
        m_data.put(ARow, std::make_unique<TStringSparseList>(quantumFor(ColCount(), 512)));
        row = m_data.get(ARow);
    }
    return *row;
}

void TMyStringGrid::SetCells(int ACol, int ARow, const QString& Value)
{
    if (ACol < 0)
        throw EGridError(EGridError::listIndexError(ACol));
    TStringSparseList* row = m_data.get(ARow);
    if (!row && Value.isEmpty())
        return;  // nothing stored, nothing to free
    TStringSparseList& list = row ? *row : ensureRow(ARow);
    if (list.Strings(ACol) == Value)
        return;
    list.SetStrings(ACol, Value);
    ++m_generation;
    if (list.isEmpty())
        m_data.put(ARow, nullptr);
    cellChanged(ACol, ARow);
}

void TMyStringGrid::SetObjects(int ACol, int ARow, QObject* Value)
{
    if (ACol < 0)
        throw EGridError(EGridError::listIndexError(ACol));
    TStringSparseList* row = m_data.get(ARow);
    if (!row && !Value)
        return;
    TStringSparseList& list = row ? *row : ensureRow(ARow);
    list.SetObjects(ACol, Value);
    ++m_generation;
    if (list.isEmpty())
        m_data.put(ARow, nullptr);
    cellChanged(ACol, ARow);
}

void TMyStringGrid::cellChanged(int ACol, int ARow)
{
    if (m_stringUpdate == 0)
        InvalidateCell(ACol, ARow);
    if (ACol == Col() && ARow == Row())
        refreshEditorText(ACol, ARow);
}

void TMyStringGrid::endStringUpdate()
{
    if (m_stringUpdate > 0 && --m_stringUpdate == 0)
        InvalidateGrid();
}

TMyStringGridStrings& TMyStringGrid::Rows(int ARow)
{
    TMyStringGridStrings* view = m_rowViews.get(ARow);
    if (!view) {
        m_rowViews.put(ARow, std::make_unique<TMyStringGridStrings>(this, ARow, true));
        view = m_rowViews.get(ARow);
    }
    return *view;
}

TMyStringGridStrings& TMyStringGrid::Cols(int ACol)
{
    TMyStringGridStrings* view = m_colViews.get(ACol);
    if (!view) {
        m_colViews.put(ACol, std::make_unique<TMyStringGridStrings>(this, ACol, false));
        view = m_colViews.get(ACol);
    }
    return *view;
}

void TMyStringGrid::DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState)
{
    if (DefaultDrawing()) {
        QPainter& p = Canvas();
        p.save();
        p.setClipRect(ARect);
        p.setFont(CanvasFont());
        p.setPen(gridColor(CanvasFont().Color));
        const QFontMetrics fm(CanvasFont());
        p.drawText(ARect.left() + 2, ARect.top() + 2 + fm.ascent(), Cells(ACol, ARow));
        p.restore();
    }
    TMyDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

QString TMyStringGrid::GetEditText(int ACol, int ARow)
{
    if (OnGetEditText)
        return TMyDrawGrid::GetEditText(ACol, ARow);
    return Cells(ACol, ARow);
}

void TMyStringGrid::SetEditText(int ACol, int ARow, const QString& Value)
{
    if (Value != Cells(ACol, ARow))
        SetCells(ACol, ARow, Value);
    TMyDrawGrid::SetEditText(ACol, ARow, Value);
}

void TMyStringGrid::ColumnMoved(int FromIndex, int ToIndex)
{
    m_data.forAll([FromIndex, ToIndex](int, TStringSparseList& row) { row.move(FromIndex, ToIndex); });
    ++m_generation;
    TMyDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TMyStringGrid::RowMoved(int FromIndex, int ToIndex)
{
    m_data.move(FromIndex, ToIndex);
    ++m_generation;
    TMyDrawGrid::RowMoved(FromIndex, ToIndex);
}

void TMyStringGrid::DeleteRowData(int ARow)
{
    // The removed row leaves the storage, so rows kept beyond the count (a
    // filter's hidden rows) close up and no stale text comes back later.
    m_data.remove(ARow);
    ++m_generation;
}

void TMyStringGrid::DeleteColumnData(int ACol)
{
    m_data.forAll([ACol](int, TStringSparseList& row) { row.remove(ACol); });
    ++m_generation;
}

void TMyStringGrid::permuteRows(int first, const std::vector<int>& order)
{
    std::vector<std::unique_ptr<TStringSparseList>> taken;
    taken.reserve(order.size());
    for (int i = 0; i < int(order.size()); ++i)
        taken.push_back(m_data.take(first + i));
    for (int i = 0; i < int(order.size()); ++i)
        m_data.put(first + i, std::move(taken[std::size_t(order[std::size_t(i)] - first)]));
    ++m_generation;
    InvalidateGrid();
}

void TMyStringGrid::clearRowData(int ARow)
{
    if (m_data.get(ARow)) {
        m_data.put(ARow, nullptr);
        ++m_generation;
        InvalidateRow(ARow);
    }
}
