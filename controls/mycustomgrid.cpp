#include "controls/mycustomgrid.h"

#include "controls/griderror.h"
#include "controls/inplaceedit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

namespace {
// Extents beyond this cannot be addressed by the pixel arithmetic.
constexpr int MaxExtentCount = 134217725;

QRect normalized(const TGridRect& r)
{
    return QRect(QPoint(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom)),
                 QPoint(std::max(r.Left, r.Right), std::max(r.Top, r.Bottom)));
}
}  // namespace

TMyCustomGrid::TMyCustomGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    setMouseTracking(true);
    m_scrollTimer = new QTimer(this);
    m_scrollTimer->setInterval(60);
    connect(m_scrollTimer, &QTimer::timeout, this, &TMyCustomGrid::scrollTimerTick);
    m_editor = new TInplaceEdit(this, viewport());
    connect(m_editor, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_editorCell.X >= 0)
            SetEditText(m_editorCell.X, m_editorCell.Y, text);
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TMyCustomGrid::onVerticalScroll);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &TMyCustomGrid::onHorizontalScroll);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &TMyCustomGrid::onScrollAction);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &TMyCustomGrid::onScrollAction);
    updateScrollBars();
}

TMyCustomGrid::~TMyCustomGrid()
{
    if (m_cursorOverridden)
        QApplication::restoreOverrideCursor();
}

// ---------------------------------------------------------------------------
// Size

void TMyCustomGrid::SetColCount(int value)
{
    if (value != m_colCount)
        changeSize(value, m_rowCount);
}

void TMyCustomGrid::SetRowCount(int value)
{
    if (value != m_rowCount)
        changeSize(m_colCount, value);
}

void TMyCustomGrid::changeSize(int newColCount, int newRowCount)
{
    newColCount = std::max(newColCount, 1);
    newRowCount = std::max(newRowCount, 1);
    if (newColCount > MaxExtentCount || newRowCount > MaxExtentCount)
        throw EGridError(EGridError::gridTooLarge());
    if (m_fixedCols >= newColCount)
        m_fixedCols = newColCount - 1;
    if (m_fixedRows >= newRowCount)
        m_fixedRows = newRowCount - 1;
    const int oldCols = m_colCount;
    const int oldRows = m_rowCount;
    m_colCount = newColCount;
    m_rowCount = newRowCount;
    // The extents follow at once even inside the bracket, so a width or
    // height is never read beyond them.
    resizeExtents(m_colWidths, m_colCount, m_defaultColWidth);
    resizeExtents(m_rowHeights, m_rowCount, m_defaultRowHeight);
    resizeExtents(m_tabStops, m_colCount, 1);
    if (m_nowUpdating)
        return;
    try {
        adjustSize(oldCols, oldRows);
    } catch (...) {
        m_colCount = oldCols;
        m_rowCount = oldRows;
        resizeExtents(m_colWidths, m_colCount, m_defaultColWidth);
        resizeExtents(m_rowHeights, m_rowCount, m_defaultRowHeight);
        resizeExtents(m_tabStops, m_colCount, 1);
        clampState();
        updateScrollBars();
        InvalidateGrid();
        throw;
    }
}

void TMyCustomGrid::adjustSize(int oldColCount, int oldRowCount)
{
    clampState();
    if ((m_options & goRowSelect) && oldColCount != m_colCount)
        m_anchor.X = m_colCount - 1;
    updateScrollBars();
    InvalidateGrid();
    SizeChanged(oldColCount, oldRowCount);
}

void TMyCustomGrid::resizeExtents(std::vector<int>& extents, int count, int defaultValue)
{
    if (!extents.empty())
        extents.resize(std::size_t(count), defaultValue);
}

void TMyCustomGrid::clampState()
{
    auto clampCoord = [this](TGridCoord& c) {
        c.X = std::clamp(c.X, 0, m_colCount - 1);
        c.Y = std::clamp(c.Y, 0, m_rowCount - 1);
    };
    clampCoord(m_current);
    clampCoord(m_anchor);
    if (m_current.X < m_fixedCols && m_fixedCols < m_colCount)
        m_current.X = m_fixedCols;
    if (m_current.Y < m_fixedRows && m_fixedRows < m_rowCount)
        m_current.Y = m_fixedRows;
    m_topLeft.X = std::clamp(m_topLeft.X, m_fixedCols, std::max(m_fixedCols, maxLeftCol()));
    m_topLeft.Y = std::clamp(m_topLeft.Y, m_fixedRows, std::max(m_fixedRows, maxTopRow()));
}

void TMyCustomGrid::SetFixedCols(int value)
{
    if (value < 0)
        throw EGridError(EGridError::indexOutOfRange());
    if (value >= m_colCount)
        throw EGridError(EGridError::fixedColTooBig());
    if (value == m_fixedCols)
        return;
    m_fixedCols = value;
    m_topLeft.X = std::max(m_topLeft.X, m_fixedCols);
    clampState();
    if (m_options & goRowSelect)
        m_current.X = m_fixedCols;
    updateScrollBars();
    InvalidateGrid();
}

void TMyCustomGrid::SetFixedRows(int value)
{
    if (value < 0)
        throw EGridError(EGridError::indexOutOfRange());
    if (value >= m_rowCount)
        throw EGridError(EGridError::fixedRowTooBig());
    if (value == m_fixedRows)
        return;
    m_fixedRows = value;
    m_topLeft.Y = std::max(m_topLeft.Y, m_fixedRows);
    clampState();
    updateScrollBars();
    InvalidateGrid();
}

void TMyCustomGrid::SetDefaultColWidth(int value)
{
    if (value == m_defaultColWidth)
        return;
    m_defaultColWidth = value;
    m_colWidths.clear();
    ColWidthsChanged();
}

void TMyCustomGrid::SetDefaultRowHeight(int value)
{
    if (value == m_defaultRowHeight)
        return;
    m_defaultRowHeight = value;
    m_rowHeights.clear();
    RowHeightsChanged();
}

void TMyCustomGrid::SetGridLineWidth(int value)
{
    value = std::max(value, 0);
    if (value == m_gridLineWidth)
        return;
    m_gridLineWidth = value;
    ColWidthsChanged();
}

int TMyCustomGrid::ColWidths(int col) const
{
    if (col < 0 || col >= m_colCount || m_colWidths.empty())
        return m_defaultColWidth;
    return m_colWidths[std::size_t(col)];
}

void TMyCustomGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= m_colCount)
        throw EGridError(EGridError::indexOutOfRange());
    if (width == ColWidths(col))
        return;
    if (m_colWidths.empty())
        m_colWidths.assign(std::size_t(m_colCount), m_defaultColWidth);
    m_colWidths[std::size_t(col)] = width;
    ColWidthsChanged();
}

int TMyCustomGrid::RowHeights(int row) const
{
    if (row < 0 || row >= m_rowCount || m_rowHeights.empty())
        return m_defaultRowHeight;
    return m_rowHeights[std::size_t(row)];
}

void TMyCustomGrid::SetRowHeights(int row, int height)
{
    if (row < 0 || row >= m_rowCount)
        throw EGridError(EGridError::indexOutOfRange());
    if (height == RowHeights(row))
        return;
    if (m_rowHeights.empty())
        m_rowHeights.assign(std::size_t(m_rowCount), m_defaultRowHeight);
    m_rowHeights[std::size_t(row)] = height;
    RowHeightsChanged();
}

bool TMyCustomGrid::TabStops(int col) const
{
    if (col < 0 || col >= m_colCount || m_tabStops.empty())
        return true;
    return m_tabStops[std::size_t(col)] != 0;
}

void TMyCustomGrid::SetTabStops(int col, bool value)
{
    if (col < 0 || col >= m_colCount)
        throw EGridError(EGridError::indexOutOfRange());
    if (value == TabStops(col))
        return;
    if (m_tabStops.empty())
        m_tabStops.assign(std::size_t(m_colCount), 1);
    m_tabStops[std::size_t(col)] = value ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Look

void TMyCustomGrid::SetFixedColor(TColor value)
{
    if (value == m_fixedColor)
        return;
    m_fixedColor = value;
    InvalidateGrid();
}

void TMyCustomGrid::SetColor(TColor value)
{
    if (value == m_color)
        return;
    m_color = value;
    InvalidateGrid();
}

void TMyCustomGrid::SetFontColor(TColor value)
{
    if (value == m_fontColor)
        return;
    m_fontColor = value;
    InvalidateGrid();
}

void TMyCustomGrid::SetOptions(TGridOptions value)
{
    if (value & goRowSelect)
        value &= ~TGridOptions(goAlwaysShowEditor);
    if (value == m_options)
        return;
    const TGridOptions old = m_options;
    m_options = value;
    if (m_options & goAlwaysShowEditor)
        SetEditorMode(true);
    if ((m_options & goRowSelect) && !(old & goRowSelect)) {
        m_current.X = m_fixedCols;
        m_anchor.X = m_colCount - 1;
        m_anchor.Y = m_current.Y;
    }
    if (!(m_options & goEditing) || (m_options & goRowSelect))
        HideEditor();
    InvalidateGrid();
}

void TMyCustomGrid::SetScrollBars(TScrollStyle value)
{
    if (value == m_scrollBars)
        return;
    m_scrollBars = value;
    updateScrollBars();
}

void TMyCustomGrid::SetBorderStyle(TBorderStyle value)
{
    if (value == m_borderStyle)
        return;
    m_borderStyle = value;
    setFrameShape(value == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

void TMyCustomGrid::SetDefaultDrawing(bool value)
{
    if (value == m_defaultDrawing)
        return;
    m_defaultDrawing = value;
    InvalidateGrid();
}

void TMyCustomGrid::SetTabStop(bool value)
{
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

// ---------------------------------------------------------------------------
// Geometry

int TMyCustomGrid::colExtent(int col) const
{
    const int w = ColWidths(col);
    return w < 0 ? 0 : w + m_gridLineWidth;
}

int TMyCustomGrid::rowExtent(int row) const
{
    const int h = RowHeights(row);
    return h < 0 ? 0 : h + m_gridLineWidth;
}

int TMyCustomGrid::fixedWidth() const
{
    int w = 0;
    for (int c = 0; c < m_fixedCols; ++c)
        w += colExtent(c);
    return w;
}

int TMyCustomGrid::fixedHeight() const
{
    int h = 0;
    for (int r = 0; r < m_fixedRows; ++r)
        h += rowExtent(r);
    return h;
}

int TMyCustomGrid::maxTopRow() const
{
    int space = viewport()->height() - fixedHeight();
    int r = m_rowCount - 1;
    while (r >= m_fixedRows && space - rowExtent(r) >= 0) {
        space -= rowExtent(r);
        --r;
    }
    return std::clamp(r + 1, m_fixedRows, std::max(m_fixedRows, m_rowCount - 1));
}

int TMyCustomGrid::maxLeftCol() const
{
    int space = viewport()->width() - fixedWidth();
    int c = m_colCount - 1;
    while (c >= m_fixedCols && space - colExtent(c) >= 0) {
        space -= colExtent(c);
        --c;
    }
    return std::clamp(c + 1, m_fixedCols, std::max(m_fixedCols, m_colCount - 1));
}

int TMyCustomGrid::VisibleColCount() const
{
    int space = viewport()->width() - fixedWidth();
    int n = 0;
    for (int c = m_topLeft.X; c < m_colCount && space - colExtent(c) >= 0; ++c) {
        space -= colExtent(c);
        ++n;
    }
    return n;
}

int TMyCustomGrid::VisibleRowCount() const
{
    int space = viewport()->height() - fixedHeight();
    int n = 0;
    for (int r = m_topLeft.Y; r < m_rowCount && space - rowExtent(r) >= 0; ++r) {
        space -= rowExtent(r);
        ++n;
    }
    return n;
}

int TMyCustomGrid::colLeft(int col) const
{
    if (col < 0 || col >= m_colCount)
        return -1;
    int x = 0;
    if (col < m_fixedCols) {
        for (int c = 0; c < col; ++c)
            x += colExtent(c);
        return x;
    }
    if (col < m_topLeft.X)
        return -1;
    x = fixedWidth();
    const int limit = viewport()->width();
    for (int c = m_topLeft.X; c < col; ++c) {
        x += colExtent(c);
        if (x >= limit)
            return -1;
    }
    return x;
}

int TMyCustomGrid::rowTop(int row) const
{
    if (row < 0 || row >= m_rowCount)
        return -1;
    int y = 0;
    if (row < m_fixedRows) {
        for (int r = 0; r < row; ++r)
            y += rowExtent(r);
        return y;
    }
    if (row < m_topLeft.Y)
        return -1;
    y = fixedHeight();
    const int limit = viewport()->height();
    for (int r = m_topLeft.Y; r < row; ++r) {
        y += rowExtent(r);
        if (y >= limit)
            return -1;
    }
    return y;
}

QRect TMyCustomGrid::CellRect(int ACol, int ARow) const
{
    const int x = colLeft(ACol);
    const int y = rowTop(ARow);
    if (x < 0 || y < 0 || ColWidths(ACol) < 0 || RowHeights(ARow) < 0)
        return QRect();
    if (x >= viewport()->width() || y >= viewport()->height())
        return QRect();
    return QRect(x, y, ColWidths(ACol), RowHeights(ARow));
}

TGridCoord TMyCustomGrid::MouseToCell(int X, int Y) const
{
    TGridCoord result{-1, -1};
    auto find = [](int pos, int fixedCount, int first, int count, auto extent) {
        if (pos < 0)
            return -1;
        int edge = 0;
        for (int i = 0; i < fixedCount; ++i) {
            edge += extent(i);
            if (pos < edge)
                return i;
        }
        for (int i = first; i < count; ++i) {
            edge += extent(i);
            if (pos < edge)
                return i;
        }
        return -1;
    };
    if (X < viewport()->width())
        result.X = find(X, m_fixedCols, m_topLeft.X, m_colCount, [this](int c) { return colExtent(c); });
    if (Y < viewport()->height())
        result.Y = find(Y, m_fixedRows, m_topLeft.Y, m_rowCount, [this](int r) { return rowExtent(r); });
    return result;
}

void TMyCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const
{
    const TGridCoord c = MouseToCell(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

// ---------------------------------------------------------------------------
// Repaint

void TMyCustomGrid::InvalidateCell(int ACol, int ARow)
{
    const QRect r = CellRect(ACol, ARow);
    if (!r.isEmpty())
        viewport()->update(r.adjusted(0, 0, m_gridLineWidth, m_gridLineWidth));
}

void TMyCustomGrid::InvalidateRow(int ARow)
{
    const int y = rowTop(ARow);
    if (y >= 0)
        viewport()->update(QRect(0, y, viewport()->width(), rowExtent(ARow)));
}

void TMyCustomGrid::InvalidateCol(int ACol)
{
    const int x = colLeft(ACol);
    if (x >= 0)
        viewport()->update(QRect(x, 0, colExtent(ACol), viewport()->height()));
}

void TMyCustomGrid::InvalidateGrid()
{
    viewport()->update();
}

void TMyCustomGrid::invalidateRect(const TGridRect& rect)
{
    const QRect n = normalized(rect);
    if (n.top() == n.bottom()) {
        InvalidateRow(n.top());
        return;
    }
    // Rows of a range are repainted as a band: only the visible ones cost.
    const int first = std::max(n.top(), m_topLeft.Y);
    for (int r = first; r <= n.bottom(); ++r) {
        if (rowTop(r) < 0)
            break;
        InvalidateRow(r);
    }
    for (int r = n.top(); r < std::min(n.bottom() + 1, m_fixedRows); ++r)
        InvalidateRow(r);
}

// ---------------------------------------------------------------------------
// Current cell and view

TGridRect TMyCustomGrid::Selection() const
{
    TGridRect r;
    r.Left = std::min(m_current.X, m_anchor.X);
    r.Right = std::max(m_current.X, m_anchor.X);
    r.Top = std::min(m_current.Y, m_anchor.Y);
    r.Bottom = std::max(m_current.Y, m_anchor.Y);
    if (m_options & goRowSelect) {
        r.Left = m_fixedCols;
        r.Right = m_colCount - 1;
    }
    return r;
}

void TMyCustomGrid::SetSelection(const TGridRect& value)
{
    const TGridRect old = Selection();
    m_anchor = TGridCoord{value.Right, value.Bottom};
    moveCurrent(value.Left, value.Top, false, true, true);
    m_anchor = TGridCoord{value.Right, value.Bottom};
    selectionMoved(old);
}

void TMyCustomGrid::SetCol(int value)
{
    if (value != m_current.X)
        MoveColRow(value, m_current.Y, true, true);
}

void TMyCustomGrid::SetRow(int value)
{
    if (value != m_current.Y)
        MoveColRow(m_current.X, value, true, true);
}

void TMyCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show)
{
    moveCurrent(ACol, ARow, MoveAnchor, Show, true);
}

void TMyCustomGrid::moveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show, bool askSelect)
{
    if (ACol < 0 || ARow < 0 || ACol >= m_colCount || ARow >= m_rowCount)
        throw EGridError(EGridError::indexOutOfRange());
    if (askSelect && !SelectCell(ACol, ARow))
        return;
    const TGridRect oldSel = Selection();
    const TGridCoord oldCurrent = m_current;
    m_current = TGridCoord{ACol, ARow};
    if (!(m_options & goAlwaysShowEditor))
        HideEditor();
    if (MoveAnchor || !(m_options & goRangeSelect)) {
        m_anchor = m_current;
        if (m_options & goRowSelect)
            m_anchor.X = m_colCount - 1;
    }
    if (m_options & goRowSelect)
        m_current.X = m_fixedCols;
    if (Show)
        clampInView(m_current.X, m_current.Y);
    selectionMoved(oldSel);
    InvalidateCell(oldCurrent.X, oldCurrent.Y);
    InvalidateCell(m_current.X, m_current.Y);
    if (editorActive() || (m_options & goAlwaysShowEditor))
        ShowEditor();
}

void TMyCustomGrid::moveAnchor(int ACol, int ARow)
{
    if (!(m_options & goRangeSelect)) {
        moveCurrent(ACol, ARow, true, true, true);
        return;
    }
    const TGridRect oldSel = Selection();
    m_anchor = TGridCoord{ACol, ARow};
    if (m_options & goRowSelect)
        m_anchor.X = m_colCount - 1;
    clampInView(ACol, ARow);
    selectionMoved(oldSel);
}

void TMyCustomGrid::selectionMoved(const TGridRect& oldSelection)
{
    const TGridRect now = Selection();
    if (now == oldSelection)
        return;
    invalidateRect(oldSelection);
    invalidateRect(now);
}

void TMyCustomGrid::clampInView(int ACol, int ARow)
{
    TGridCoord tl = m_topLeft;
    if (ACol >= m_fixedCols) {
        if (ACol < tl.X) {
            tl.X = ACol;
        } else {
            // Scroll right until the column is fully visible.
            int space = viewport()->width() - fixedWidth();
            int first = ACol;
            space -= colExtent(ACol);
            while (first > m_fixedCols && space - colExtent(first - 1) >= 0) {
                space -= colExtent(first - 1);
                --first;
            }
            if (tl.X < first)
                tl.X = first;
        }
    }
    if (ARow >= m_fixedRows) {
        if (ARow < tl.Y) {
            tl.Y = ARow;
        } else {
            int space = viewport()->height() - fixedHeight();
            int first = ARow;
            space -= rowExtent(ARow);
            while (first > m_fixedRows && space - rowExtent(first - 1) >= 0) {
                space -= rowExtent(first - 1);
                --first;
            }
            if (tl.Y < first)
                tl.Y = first;
        }
    }
    if (tl.X != m_topLeft.X)
        SetLeftCol(tl.X);
    if (tl.Y != m_topLeft.Y)
        SetTopRow(tl.Y);
}

void TMyCustomGrid::SetTopRow(int value)
{
    value = std::clamp(value, m_fixedRows, std::max(m_fixedRows, maxTopRow()));
    if (value == m_topLeft.Y)
        return;
    m_topLeft.Y = value;
    updateScrollBars();
    InvalidateGrid();
    updateEditorGeometry();
    TopLeftChanged();
}

void TMyCustomGrid::SetLeftCol(int value)
{
    value = std::clamp(value, m_fixedCols, std::max(m_fixedCols, maxLeftCol()));
    if (value == m_topLeft.X)
        return;
    m_topLeft.X = value;
    updateScrollBars();
    InvalidateGrid();
    updateEditorGeometry();
    TopLeftChanged();
}

// ---------------------------------------------------------------------------
// Scroll bars

void TMyCustomGrid::updateScrollBars()
{
    if (m_syncingScrollBars)
        return;
    m_syncingScrollBars = true;
    const bool vertical = m_scrollBars == ssVertical || m_scrollBars == ssBoth;
    const bool horizontal = m_scrollBars == ssHorizontal || m_scrollBars == ssBoth;
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, maxTopRow() - m_fixedRows));
    v->setValue(m_topLeft.Y - m_fixedRows);
    v->setSingleStep(1);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, maxLeftCol() - m_fixedCols));
    h->setValue(m_topLeft.X - m_fixedCols);
    h->setSingleStep(1);
    m_syncingScrollBars = false;
}

void TMyCustomGrid::onScrollAction(int action)
{
    // The thumb's size is the page step; paging through the trough still
    // moves by a screenful of rows or columns.
    auto* bar = qobject_cast<QScrollBar*>(sender());
    if (!bar)
        return;
    const bool vertical = bar == verticalScrollBar();
    const int page = std::max(1, vertical ? VisibleRowCount() : VisibleColCount());
    const int base = bar->value();
    if (action == QAbstractSlider::SliderPageStepAdd)
        bar->setSliderPosition(std::min(bar->maximum(), base + page));
    else if (action == QAbstractSlider::SliderPageStepSub)
        bar->setSliderPosition(std::max(bar->minimum(), base - page));
}

void TMyCustomGrid::onVerticalScroll(int value)
{
    if (!m_syncingScrollBars)
        SetTopRow(m_fixedRows + value);
}

void TMyCustomGrid::onHorizontalScroll(int value)
{
    if (!m_syncingScrollBars)
        SetLeftCol(m_fixedCols + value);
}

void TMyCustomGrid::scrollContentsBy(int, int)
{
    // Scrolling is by whole rows and columns; the scroll bar handlers repaint.
}

// ---------------------------------------------------------------------------
// Structure

void TMyCustomGrid::MoveRow(int FromIndex, int ToIndex)
{
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= m_rowCount || ToIndex >= m_rowCount)
        throw EGridError(EGridError::indexOutOfRange());
    if (FromIndex == ToIndex)
        return;
    HideEditor();
    auto adjust = [FromIndex, ToIndex](int& pos) {
        if (pos == FromIndex)
            pos = ToIndex;
        else if (FromIndex < ToIndex && pos > FromIndex && pos <= ToIndex)
            --pos;
        else if (ToIndex < FromIndex && pos >= ToIndex && pos < FromIndex)
            ++pos;
    };
    adjust(m_current.Y);
    adjust(m_anchor.Y);
    if (!m_rowHeights.empty()) {
        const int h = m_rowHeights[std::size_t(FromIndex)];
        m_rowHeights.erase(m_rowHeights.begin() + FromIndex);
        m_rowHeights.insert(m_rowHeights.begin() + ToIndex, h);
    }
    RowMoved(FromIndex, ToIndex);
    InvalidateGrid();
}

void TMyCustomGrid::MoveColumn(int FromIndex, int ToIndex)
{
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= m_colCount || ToIndex >= m_colCount)
        throw EGridError(EGridError::indexOutOfRange());
    if (FromIndex == ToIndex)
        return;
    HideEditor();
    auto adjust = [FromIndex, ToIndex](int& pos) {
        if (pos == FromIndex)
            pos = ToIndex;
        else if (FromIndex < ToIndex && pos > FromIndex && pos <= ToIndex)
            --pos;
        else if (ToIndex < FromIndex && pos >= ToIndex && pos < FromIndex)
            ++pos;
    };
    if (!(m_options & goRowSelect)) {
        adjust(m_current.X);
        adjust(m_anchor.X);
    }
    auto moveEntry = [FromIndex, ToIndex](std::vector<int>& v) {
        if (v.empty())
            return;
        const int w = v[std::size_t(FromIndex)];
        v.erase(v.begin() + FromIndex);
        v.insert(v.begin() + ToIndex, w);
    };
    moveEntry(m_colWidths);
    moveEntry(m_tabStops);
    ColumnMoved(FromIndex, ToIndex);
    InvalidateGrid();
}

void TMyCustomGrid::DeleteRow(int ARow)
{
    if (ARow < 0 || ARow >= m_rowCount)
        throw EGridError(EGridError::indexOutOfRange());
    if (m_rowCount - 1 < 1)
        throw EGridError(EGridError::tooManyDeleted());
    const int last = m_rowCount - 1;
    MoveRow(ARow, last);
    DeleteRowData(last);
    SetRowCount(last);
}

void TMyCustomGrid::DeleteColumn(int ACol)
{
    if (ACol < 0 || ACol >= m_colCount)
        throw EGridError(EGridError::indexOutOfRange());
    if (m_colCount - 1 < 1)
        throw EGridError(EGridError::tooManyDeleted());
    const int last = m_colCount - 1;
    MoveColumn(ACol, last);
    DeleteColumnData(last);
    SetColCount(last);
}

// ---------------------------------------------------------------------------
// Update bracket

void TMyCustomGrid::BeginUpdate()
{
    m_nowUpdating = true;
    if (!m_cursorOverridden) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_cursorOverridden = true;
    }
    setUpdatesEnabled(false);
    setEnabled(false);
    if (OnBeginUpdate)
        OnBeginUpdate(this);
}

void TMyCustomGrid::EndUpdate()
{
    changeSize(m_colCount, m_rowCount);  // only stores them again: still updating
    // Counts changed inside the bracket may have left the current cell or the
    // view beyond the grid; pull them in without the deferred notification.
    clampState();
    updateScrollBars();
    InvalidateGrid();
    setUpdatesEnabled(true);
    setEnabled(true);
    if (m_cursorOverridden) {
        QApplication::restoreOverrideCursor();
        m_cursorOverridden = false;
    }
    if (parentWidget())
        setFocus();
    m_nowUpdating = false;
}

// ---------------------------------------------------------------------------
// Hooks (defaults)

void TMyCustomGrid::DrawCell(int, int, const QRect&, TGridDrawState) {}
bool TMyCustomGrid::SelectCell(int, int) { return true; }
void TMyCustomGrid::SizeChanged(int, int) {}
void TMyCustomGrid::ColumnMoved(int, int) {}
void TMyCustomGrid::RowMoved(int, int) {}

void TMyCustomGrid::ColWidthsChanged()
{
    clampState();
    updateScrollBars();
    updateEditorGeometry();
    InvalidateGrid();
}

void TMyCustomGrid::RowHeightsChanged()
{
    clampState();
    updateScrollBars();
    updateEditorGeometry();
    InvalidateGrid();
}

void TMyCustomGrid::TopLeftChanged() {}
QString TMyCustomGrid::GetEditText(int, int) { return QString(); }
QString TMyCustomGrid::GetEditMask(int, int) { return QString(); }
void TMyCustomGrid::SetEditText(int, int, const QString&) {}

bool TMyCustomGrid::CanEditShow() const
{
    return (m_options & goEditing) && !(m_options & goRowSelect) && m_editorMode && !m_nowUpdating;
}

void TMyCustomGrid::Click()
{
    if (OnClick)
        OnClick(this);
}

void TMyCustomGrid::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TMyCustomGrid::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TMyCustomGrid::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TMyCustomGrid::Resize()
{
    clampState();
    updateScrollBars();
    updateEditorGeometry();
}

// ---------------------------------------------------------------------------
// Editor

bool TMyCustomGrid::editorActive() const
{
    return !m_editor->isHidden();
}

void TMyCustomGrid::SetEditorMode(bool value)
{
    if (value) {
        m_editorMode = true;
        ShowEditor();
    } else if (!(m_options & goAlwaysShowEditor)) {
        HideEditor();
        m_editorMode = false;
    }
}

void TMyCustomGrid::ShowEditor()
{
    m_editorMode = true;
    if (!CanEditShow())
        return;
    const QRect r = CellRect(m_current.X, m_current.Y);
    if (r.isEmpty())
        return;
    const TGridCoord cell = m_current;
    if (!(cell == m_editorCell) || m_editor->isHidden()) {
        m_editorCell = cell;
        m_editor->setInputMask(GetEditMask(cell.X, cell.Y));
        m_editorOriginal = GetEditText(cell.X, cell.Y);
        m_editor->setText(m_editorOriginal);
        m_editor->selectAll();
    }
    m_editor->setFont(font());
    m_editor->setGeometry(r);
    const bool fresh = m_editor->isHidden();
    m_editor->show();
    m_editor->setFocus();
    if (fresh)
        EditorShown();
}

void TMyCustomGrid::HideEditor()
{
    if (m_editor->isHidden()) {
        m_editorCell = TGridCoord{-1, -1};
        return;
    }
    const bool hadFocus = m_editor->hasFocus();
    m_editor->hide();
    m_editorCell = TGridCoord{-1, -1};
    if (hadFocus)
        setFocus();
}

void TMyCustomGrid::refreshEditorText(int ACol, int ARow)
{
    if (m_editor->isHidden() || !(m_editorCell == TGridCoord{ACol, ARow}))
        return;
    const QString text = GetEditText(ACol, ARow);
    if (text != m_editor->text())
        m_editor->setText(text);
}

void TMyCustomGrid::updateEditorGeometry()
{
    if (m_editor->isHidden())
        return;
    const QRect r = CellRect(m_editorCell.X, m_editorCell.Y);
    if (r.isEmpty())
        m_editor->move(-10000, -10000);  // scrolled out; keeps its text and focus
    else
        m_editor->setGeometry(r);
}

void TMyCustomGrid::editorKeyPress(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (m_editorCell.X >= 0 && m_editor->text() != m_editorOriginal) {
            m_editor->setText(m_editorOriginal);
            SetEditText(m_editorCell.X, m_editorCell.Y, m_editorOriginal);
        }
        if (!(m_options & goAlwaysShowEditor)) {
            HideEditor();
            m_editorMode = false;
        }
        return;
    }
    keyPressEvent(event);
}

// ---------------------------------------------------------------------------
// Painting

void TMyCustomGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    m_canvas = &painter;
    const QRect clip = event->rect();
    painter.fillRect(clip, gridColor(m_color));
    // Only the rows and columns inside the viewport are walked, so a long
    // grid costs no more to paint than a short one.
    int lastCol = m_topLeft.X;
    for (int x = fixedWidth(); lastCol < m_colCount; ++lastCol) {
        x += colExtent(lastCol);
        if (x >= viewport()->width())
            break;
    }
    lastCol = std::min(lastCol, m_colCount - 1);
    int lastRow = m_topLeft.Y;
    for (int y = fixedHeight(); lastRow < m_rowCount; ++lastRow) {
        y += rowExtent(lastRow);
        if (y >= viewport()->height())
            break;
    }
    lastRow = std::min(lastRow, m_rowCount - 1);
    drawBlock(0, m_fixedCols - 1, 0, m_fixedRows - 1, clip);
    drawBlock(m_topLeft.X, lastCol, 0, m_fixedRows - 1, clip);
    drawBlock(0, m_fixedCols - 1, m_topLeft.Y, lastRow, clip);
    drawBlock(m_topLeft.X, lastCol, m_topLeft.Y, lastRow, clip);
    m_canvas = nullptr;
}

void TMyCustomGrid::drawBlock(int firstCol, int lastCol, int firstRow, int lastRow, const QRect& clip)
{
    for (int r = firstRow; r <= lastRow; ++r) {
        const int y = rowTop(r);
        if (y < 0 || RowHeights(r) < 0)
            continue;
        if (y > clip.bottom() || y + rowExtent(r) <= clip.top())
            continue;
        for (int c = firstCol; c <= lastCol; ++c) {
            const int x = colLeft(c);
            if (x < 0 || ColWidths(c) < 0)
                continue;
            if (x > clip.right() || x + colExtent(c) <= clip.left())
                continue;
            drawOneCell(c, r, QRect(x, y, ColWidths(c), RowHeights(r)));
        }
    }
}

void TMyCustomGrid::drawOneCell(int col, int row, const QRect& rect)
{
    QPainter& p = *m_canvas;
    const bool fixed = col < m_fixedCols || row < m_fixedRows;
    TGridDrawState state;
    if (fixed)
        state |= gdFixed;
    const bool focusedCell = col == m_current.X && row == m_current.Y
                             && (hasFocus() || m_editor->hasFocus());
    if (focusedCell)
        state |= gdFocused;
    if (!fixed && Selection().containsCell(col, row))
        state |= gdSelected;

    // Grid lines of this cell: right and bottom edges.
    const int lw = m_gridLineWidth;
    if (lw > 0) {
        const bool vert = fixed ? bool(m_options & goFixedVertLine) : bool(m_options & goVertLine);
        const bool horz = fixed ? bool(m_options & goFixedHorzLine) : bool(m_options & goHorzLine);
        const QColor line = fixed ? QColor(Qt::black)
                                  : (m_color == clSilver ? gridColor(clGray) : gridColor(clSilver));
        if (vert)
            p.fillRect(QRect(rect.x() + rect.width(), rect.y(), lw, rect.height() + lw), line);
        if (horz)
            p.fillRect(QRect(rect.x(), rect.y() + rect.height(), rect.width() + lw, lw), line);
    }

    if (m_defaultDrawing) {
        m_canvasFont = TGridFont(font(), m_fontColor);
        if ((state & gdSelected)
            && (!(state & gdFocused) || (m_options & (goDrawFocusSelected | goRowSelect)))) {
            m_canvasBrush.Color = clHighlight;
            m_canvasFont.Color = clHighlightText;
        } else {
            m_canvasBrush.Color = fixed ? m_fixedColor : m_color;
        }
        p.fillRect(rect, gridColor(m_canvasBrush.Color));
    }
    p.save();
    DrawCell(col, row, rect, state);
    p.restore();
    if (fixed && m_defaultDrawing) {
        // Raised 3-D edge: light top and left, shadow bottom and right.
        p.setPen(gridColor(clBtnHighlight));
        p.drawLine(rect.left(), rect.top(), rect.right() - 1, rect.top());
        p.drawLine(rect.left(), rect.top(), rect.left(), rect.bottom() - 1);
        p.setPen(gridColor(clBtnShadow));
        p.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
        p.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
    }
    if (focusedCell && !(m_options & goRowSelect)
        && !((m_options & goEditing) && (m_options & goAlwaysShowEditor))) {
        QPen pen(Qt::black, 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}

// ---------------------------------------------------------------------------
// Keyboard

bool TMyCustomGrid::event(QEvent* event)
{
    // With goTabs the Tab key moves between cells instead of leaving the grid.
    if (event->type() == QEvent::KeyPress && (m_options & goTabs)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            && !(key->modifiers() & Qt::AltModifier)) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TMyCustomGrid::keyPressEvent(QKeyEvent* event)
{
    try {
        KeyDown(event->key(), event->modifiers());
        const QString text = event->text();
        if (!text.isEmpty() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            QChar ch = text.at(0);
            if (ch.isPrint() || ch == QLatin1Char('\r'))
                KeyPress(ch);
        }
    } catch (const EGridError&) {
        // A key never ends the program; an impossible move is simply not made.
    }
    event->accept();
}

void TMyCustomGrid::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    try {
        KeyUp(event->key(), event->modifiers());
    } catch (const EGridError&) {
    }
    event->accept();
}

int TMyCustomGrid::nextTabStop(int from, int step, int& row) const
{
    int c = from;
    for (int guard = 0; guard < m_colCount * 2 + 2; ++guard) {
        c += step;
        if (c >= m_colCount) {
            c = m_fixedCols;
            row = row + 1 >= m_rowCount ? m_fixedRows : row + 1;
        } else if (c < m_fixedCols) {
            c = m_colCount - 1;
            row = row - 1 < m_fixedRows ? m_rowCount - 1 : row - 1;
        }
        if (TabStops(c))
            return c;
    }
    return from;
}

void TMyCustomGrid::KeyDown(int Key, Qt::KeyboardModifiers Shift)
{
    const bool ctrl = Shift & Qt::ControlModifier;
    const bool shift = Shift & Qt::ShiftModifier;
    const bool rowSelect = m_options & goRowSelect;
    if (layoutDirection() == Qt::RightToLeft) {
        if (Key == Qt::Key_Left)
            Key = Qt::Key_Right;
        else if (Key == Qt::Key_Right)
            Key = Qt::Key_Left;
    }
    TGridCoord cur = m_current;
    TGridCoord tl = m_topLeft;
    const int pageRows = std::max(1, VisibleRowCount());
    const int pageCols = std::max(1, VisibleColCount());
    bool handled = true;
    if (ctrl) {
        switch (Key) {
        case Qt::Key_Up: --tl.Y; break;
        case Qt::Key_Down: ++tl.Y; break;
        case Qt::Key_Left:
            if (!rowSelect) {
                cur.X -= pageCols;
                tl.X -= pageCols;
            }
            break;
        case Qt::Key_Right:
            if (!rowSelect) {
                cur.X += pageCols;
                tl.X += pageCols;
            }
            break;
        case Qt::Key_PageUp: cur.Y = m_topLeft.Y; break;
        case Qt::Key_PageDown: cur.Y = m_topLeft.Y + pageRows - 1; break;
        case Qt::Key_Home: cur = TGridCoord{m_fixedCols, m_fixedRows}; break;
        case Qt::Key_End: cur = TGridCoord{m_colCount - 1, m_rowCount - 1}; break;
        default: handled = false;
        }
    } else {
        switch (Key) {
        case Qt::Key_Up: --cur.Y; break;
        case Qt::Key_Down: ++cur.Y; break;
        case Qt::Key_Left:
            if (rowSelect)
                --tl.X;
            else
                --cur.X;
            break;
        case Qt::Key_Right:
            if (rowSelect)
                ++tl.X;
            else
                ++cur.X;
            break;
        case Qt::Key_PageDown:
            cur.Y += pageRows;
            tl.Y += pageRows;
            break;
        case Qt::Key_PageUp:
            cur.Y -= pageRows;
            tl.Y -= pageRows;
            break;
        case Qt::Key_Home:
            if (rowSelect)
                cur.Y = m_fixedRows;
            else
                cur.X = m_fixedCols;
            break;
        case Qt::Key_End:
            if (rowSelect)
                cur.Y = m_rowCount - 1;
            else
                cur.X = m_colCount - 1;
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if ((m_options & goTabs) && !(Shift & Qt::AltModifier)) {
                const bool back = shift || Key == Qt::Key_Backtab;
                cur.X = nextTabStop(cur.X, back ? -1 : 1, cur.Y);
            } else {
                handled = false;
            }
            break;
        case Qt::Key_F2:
            SetEditorMode(true);
            return;
        default: handled = false;
        }
    }
    if (!handled)
        return;
    if (m_rowCount <= m_fixedRows || m_colCount <= m_fixedCols)
        return;
    cur.X = std::clamp(cur.X, m_fixedCols, m_colCount - 1);
    cur.Y = std::clamp(cur.Y, m_fixedRows, m_rowCount - 1);
    if (tl.Y != m_topLeft.Y)
        SetTopRow(tl.Y);
    if (tl.X != m_topLeft.X)
        SetLeftCol(tl.X);
    if (rowSelect)
        cur.X = m_current.X;
    if (!(cur == m_current) || (shift && (m_options & goRangeSelect))) {
        if (shift && (m_options & goRangeSelect) && !(Key == Qt::Key_Tab || Key == Qt::Key_Backtab)) {
            // Shift extends the selection: the anchor travels, the current cell stays.
            TGridCoord a = m_anchor;
            const int dy = cur.Y - m_current.Y;
            const int dx = cur.X - m_current.X;
            if (Key == Qt::Key_Home || Key == Qt::Key_End || ctrl) {
                a.Y = cur.Y;
                a.X = rowSelect ? a.X : cur.X;
            } else {
                a.Y = std::clamp(a.Y + dy, m_fixedRows, m_rowCount - 1);
                a.X = std::clamp(a.X + dx, m_fixedCols, m_colCount - 1);
            }
            moveAnchor(a.X, a.Y);
        } else {
            MoveColRow(cur.X, cur.Y, true, true);
        }
    }
}

void TMyCustomGrid::KeyPress(QChar& Key)
{
    if (Key == QLatin1Char('\r')) {
        if ((m_options & goEditing) && !(m_options & goAlwaysShowEditor)) {
            if (editorActive()) {
                HideEditor();
                m_editorMode = false;
            } else {
                SetEditorMode(true);
            }
        }
        return;
    }
    if (!(m_options & goEditing) || editorActive() || !Key.isPrint())
        return;
    m_editorMode = true;
    ShowEditor();
    if (!m_editor->isHidden() && m_editorCell.X >= 0) {
        // The typed character replaces the selected text, as if typed into the editor.
        m_editor->setText(QString(Key));
        SetEditText(m_editorCell.X, m_editorCell.Y, m_editor->text());
    }
}

void TMyCustomGrid::KeyUp(int, Qt::KeyboardModifiers) {}

// ---------------------------------------------------------------------------
// Mouse

void TMyCustomGrid::mousePressEvent(QMouseEvent* event)
{
    if (focusPolicy() != Qt::NoFocus && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    m_lastMouse = event->position().toPoint();
    try {
        MouseDown(event->button(), event->modifiers(), false, m_lastMouse.x(), m_lastMouse.y());
    } catch (const EGridError&) {
    }
    event->accept();
}

void TMyCustomGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_lastMouse = event->position().toPoint();
    try {
        MouseDown(event->button(), event->modifiers(), true, m_lastMouse.x(), m_lastMouse.y());
    } catch (const EGridError&) {
    }
    event->accept();
}

void TMyCustomGrid::mouseMoveEvent(QMouseEvent* event)
{
    m_lastMouse = event->position().toPoint();
    try {
        MouseMove(event->buttons(), event->modifiers(), m_lastMouse.x(), m_lastMouse.y());
    } catch (const EGridError&) {
    }
    event->accept();
}

void TMyCustomGrid::mouseReleaseEvent(QMouseEvent* event)
{
    m_lastMouse = event->position().toPoint();
    try {
        MouseUp(event->button(), event->modifiers(), m_lastMouse.x(), m_lastMouse.y());
    } catch (const EGridError&) {
    }
    event->accept();
}

void TMyCustomGrid::wheelEvent(QWheelEvent* event)
{
    m_wheelRemainder += event->angleDelta().y();
    try {
        while (m_wheelRemainder <= -120) {
            m_wheelRemainder += 120;
            DoMouseWheelDown();
        }
        while (m_wheelRemainder >= 120) {
            m_wheelRemainder -= 120;
            DoMouseWheelUp();
        }
    } catch (const EGridError&) {
    }
    event->accept();
}

bool TMyCustomGrid::DoMouseWheelDown()
{
    if (m_current.Y < m_rowCount - 1)
        SetRow(m_current.Y + 1);
    return true;
}

bool TMyCustomGrid::DoMouseWheelUp()
{
    if (m_current.Y > m_fixedRows)
        SetRow(m_current.Y - 1);
    return true;
}

bool TMyCustomGrid::calcSizingState(int X, int Y)
{
    const int tolerance = 3;
    if ((m_options & goColSizing) && Y < fixedHeight()) {
        for (int c = 0; c < m_colCount; ++c) {
            const int x = colLeft(c);
            if (x < 0)
                continue;
            const int right = x + std::max(ColWidths(c), 0);
            if (std::abs(X - right) <= tolerance && ColWidths(c) >= 0) {
                m_gridState = gsColSizing;
                m_sizingIndex = c;
                m_sizingStart = x;
                return true;
            }
        }
    }
    if ((m_options & goRowSizing) && X < fixedWidth()) {
        for (int r = 0; r < m_rowCount; ++r) {
            const int y = rowTop(r);
            if (y < 0)
                continue;
            const int bottom = y + std::max(RowHeights(r), 0);
            if (std::abs(Y - bottom) <= tolerance && RowHeights(r) >= 0) {
                m_gridState = gsRowSizing;
                m_sizingIndex = r;
                m_sizingStart = y;
                return true;
            }
        }
    }
    return false;
}

void TMyCustomGrid::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, bool DoubleClick,
                              int X, int Y)
{
    if (Button != Qt::LeftButton)
        return;
    if (DoubleClick) {
        DblClick();
        return;
    }
    if (calcSizingState(X, Y))
        return;
    const TGridCoord cell = MouseToCell(X, Y);
    if (cell.X < 0 || cell.Y < 0)
        return;
    if ((m_options & goColMoving) && cell.Y < m_fixedRows && cell.X >= m_fixedCols) {
        m_gridState = gsColMoving;
        m_moveIndex = m_movePos = cell.X;
        return;
    }
    if ((m_options & goRowMoving) && cell.X < m_fixedCols && cell.Y >= m_fixedRows) {
        m_gridState = gsRowMoving;
        m_moveIndex = m_movePos = cell.Y;
        return;
    }
    if (cell.X < m_fixedCols || cell.Y < m_fixedRows)
        return;
    if (m_options & goEditing) {
        if (cell == m_current && !(m_options & goRowSelect)) {
            SetEditorMode(true);
        } else {
            MoveColRow(cell.X, cell.Y, true, true);
            Click();
        }
        return;
    }
    m_gridState = gsSelecting;
    m_scrollTimer->start();
    if (Shift & Qt::ShiftModifier)
        moveAnchor(cell.X, cell.Y);
    else
        MoveColRow(cell.X, cell.Y, true, true);
}

void TMyCustomGrid::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int X, int Y)
{
    switch (m_gridState) {
    case gsSelecting: {
        const TGridCoord cell = MouseToCell(X, Y);
        if (cell.X < m_fixedCols || cell.Y < m_fixedRows)
            return;  // outside: the scroll timer takes over
        if (m_options & goRangeSelect) {
            if (!(cell == m_anchor))
                moveAnchor(cell.X, cell.Y);
        } else if (!(cell == m_current)) {
            MoveColRow(cell.X, cell.Y, true, true);
        }
        break;
    }
    case gsColSizing:
        SetColWidths(m_sizingIndex, std::max(1, X - m_sizingStart));
        break;
    case gsRowSizing:
        SetRowHeights(m_sizingIndex, std::max(1, Y - m_sizingStart));
        break;
    case gsColMoving: {
        const TGridCoord cell = MouseToCell(X, Y);
        if (cell.X >= m_fixedCols)
            m_movePos = cell.X;
        break;
    }
    case gsRowMoving: {
        const TGridCoord cell = MouseToCell(X, Y);
        if (cell.Y >= m_fixedRows)
            m_movePos = cell.Y;
        break;
    }
    case gsNormal:
        if ((m_options & goColSizing) || (m_options & goRowSizing)) {
            const TGridState saved = m_gridState;
            const int savedIndex = m_sizingIndex;
            const bool sizing = calcSizingState(X, Y);
            const TGridState kind = m_gridState;
            m_gridState = saved;
            m_sizingIndex = savedIndex;
            viewport()->setCursor(!sizing ? Qt::ArrowCursor
                                  : kind == gsColSizing ? Qt::SplitHCursor : Qt::SplitVCursor);
        }
        break;
    }
}

void TMyCustomGrid::MouseUp(Qt::MouseButton, Qt::KeyboardModifiers Shift, int X, int Y)
{
    const TGridState state = m_gridState;
    m_gridState = gsNormal;
    m_scrollTimer->stop();
    switch (state) {
    case gsSelecting:
        m_gridState = gsSelecting;
        MouseMove(Qt::NoButton, Shift, X, Y);
        m_gridState = gsNormal;
        Click();
        break;
    case gsColSizing:
    case gsRowSizing:
        break;  // the width or height was set while dragging
    case gsColMoving:
        if (m_movePos != m_moveIndex)
            MoveColumn(m_moveIndex, m_movePos);
        break;
    case gsRowMoving:
        if (m_movePos != m_moveIndex)
            MoveRow(m_moveIndex, m_movePos);
        break;
    case gsNormal:
        break;
    }
}

void TMyCustomGrid::cancelMouseMode()
{
    m_scrollTimer->stop();
    // A width or height dragged so far stays; a pending move is dropped.
    m_gridState = gsNormal;
    m_moveIndex = m_movePos = -1;
}

void TMyCustomGrid::scrollTimerTick()
{
    if (m_gridState != gsSelecting) {
        m_scrollTimer->stop();
        return;
    }
    // While the mouse is held outside the cells the view follows it.
    const QPoint p = m_lastMouse;
    TGridCoord target = (m_options & goRangeSelect) ? m_anchor : m_current;
    if (p.y() < fixedHeight()) {
        SetTopRow(m_topLeft.Y - 1);
        target.Y = std::max(m_topLeft.Y, m_fixedRows);
    } else if (p.y() >= viewport()->height()) {
        SetTopRow(m_topLeft.Y + 1);
        target.Y = std::min(m_topLeft.Y + std::max(VisibleRowCount(), 1) - 1, m_rowCount - 1);
    }
    if (p.x() < fixedWidth()) {
        SetLeftCol(m_topLeft.X - 1);
        target.X = std::max(m_topLeft.X, m_fixedCols);
    } else if (p.x() >= viewport()->width()) {
        SetLeftCol(m_topLeft.X + 1);
        target.X = std::min(m_topLeft.X + std::max(VisibleColCount(), 1) - 1, m_colCount - 1);
    }
    try {
        if (m_options & goRangeSelect)
            moveAnchor(target.X, target.Y);
        else if (!(target == m_current))
            MoveColRow(target.X, target.Y, true, false);
    } catch (const EGridError&) {
    }
}

// ---------------------------------------------------------------------------
// Focus and size

void TMyCustomGrid::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    InvalidateCell(m_current.X, m_current.Y);
    if (event->reason() != Qt::PopupFocusReason)
        DoEnter();
}

void TMyCustomGrid::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    InvalidateCell(m_current.X, m_current.Y);
    // Whoever took the focus (a dialog, a popup) also gets the button release:
    // without one the scroll timer would run on and a move would stay armed.
    if (!m_editor->hasFocus())
        cancelMouseMode();
    // Focus passing to our own editor does not leave the grid.
    if (event->reason() != Qt::PopupFocusReason && !m_editor->hasFocus())
        DoExit();
}

void TMyCustomGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    try {
        Resize();
    } catch (const EGridError&) {
    }
}
