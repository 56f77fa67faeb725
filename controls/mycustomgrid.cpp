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
    if (value != ColCount())
        changeSize(value, RowCount());
}

void TMyCustomGrid::SetRowCount(int value)
{
    if (value != RowCount())
        changeSize(ColCount(), value);
}

void TMyCustomGrid::setCounts(int colCount, int rowCount)
{
    // The extents follow at once even inside the bracket, so a width or
    // height is never read beyond them.
    m_cols.setCount(colCount);
    m_rows.setCount(rowCount);
    if (!m_tabStops.empty())
        m_tabStops.resize(std::size_t(colCount), 1);
}

void TMyCustomGrid::changeSize(int newColCount, int newRowCount)
{
    newColCount = std::max(newColCount, 1);
    newRowCount = std::max(newRowCount, 1);
    if (newColCount > MaxExtentCount || newRowCount > MaxExtentCount)
        throw EGridError(EGridError::gridTooLarge());
    const int oldCols = ColCount();
    const int oldRows = RowCount();
    setCounts(newColCount, newRowCount);
    if (m_nowUpdating)
        return;
    try {
        adjustSize(oldCols, oldRows);
    } catch (...) {
        setCounts(oldCols, oldRows);
        clampState();
        updateScrollBars();
        InvalidateGrid();
        throw;
    }
}

void TMyCustomGrid::adjustSize(int oldColCount, int oldRowCount)
{
    clampState();
    if ((m_options & goRowSelect) && oldColCount != ColCount())
        m_anchor.X = ColCount() - 1;
    updateScrollBars();
    InvalidateGrid();
    SizeChanged(oldColCount, oldRowCount);
}

void TMyCustomGrid::clampState()
{
    auto clampCoord = [this](TGridCoord& c) {
        c.X = std::clamp(c.X, 0, ColCount() - 1);
        c.Y = std::clamp(c.Y, 0, RowCount() - 1);
    };
    clampCoord(m_current);
    clampCoord(m_anchor);
    if (m_current.X < FixedCols() && FixedCols() < ColCount())
        m_current.X = FixedCols();
    if (m_current.Y < FixedRows() && FixedRows() < RowCount())
        m_current.Y = FixedRows();
    m_cols.setFirst(m_cols.clampFirst(m_cols.first(), viewWidth()));
    m_rows.setFirst(m_rows.clampFirst(m_rows.first(), viewHeight()));
}

void TMyCustomGrid::SetFixedCols(int value)
{
    if (value < 0)
        throw EGridError(EGridError::indexOutOfRange());
    if (value >= ColCount())
        throw EGridError(EGridError::fixedColTooBig());
    if (value == FixedCols())
        return;
    m_cols.setFixedCount(value);
    clampState();
    if (m_options & goRowSelect)
        m_current.X = FixedCols();
    updateScrollBars();
    InvalidateGrid();
}

void TMyCustomGrid::SetFixedRows(int value)
{
    if (value < 0)
        throw EGridError(EGridError::indexOutOfRange());
    if (value >= RowCount())
        throw EGridError(EGridError::fixedRowTooBig());
    if (value == FixedRows())
        return;
    m_rows.setFixedCount(value);
    clampState();
    updateScrollBars();
    InvalidateGrid();
}

void TMyCustomGrid::SetDefaultColWidth(int value)
{
    if (value == DefaultColWidth())
        return;
    m_cols.setDefaultSize(value);
    ColWidthsChanged();
}

void TMyCustomGrid::SetDefaultRowHeight(int value)
{
    if (value == DefaultRowHeight())
        return;
    m_rows.setDefaultSize(value);
    RowHeightsChanged();
}

void TMyCustomGrid::SetGridLineWidth(int value)
{
    value = std::max(value, 0);
    if (value == GridLineWidth())
        return;
    m_cols.setLineWidth(value);
    m_rows.setLineWidth(value);
    ColWidthsChanged();
}

void TMyCustomGrid::SetColWidths(int col, int width)
{
    if (m_cols.setSize(col, width))
        ColWidthsChanged();
}

void TMyCustomGrid::SetRowHeights(int row, int height)
{
    if (m_rows.setSize(row, height))
        RowHeightsChanged();
}

bool TMyCustomGrid::TabStops(int col) const
{
    if (!m_cols.contains(col) || m_tabStops.empty())
        return true;
    return m_tabStops[std::size_t(col)] != 0;
}

void TMyCustomGrid::SetTabStops(int col, bool value)
{
    if (!m_cols.contains(col))
        throw EGridError(EGridError::indexOutOfRange());
    if (value == TabStops(col))
        return;
    if (m_tabStops.empty())
        m_tabStops.assign(std::size_t(ColCount()), 1);
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
        m_current.X = FixedCols();
        m_anchor.X = ColCount() - 1;
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

QRect TMyCustomGrid::CellRect(int ACol, int ARow) const
{
    const int x = m_cols.position(ACol, viewWidth());
    const int y = m_rows.position(ARow, viewHeight());
    if (x < 0 || y < 0 || ColWidths(ACol) < 0 || RowHeights(ARow) < 0)
        return QRect();
    if (x >= viewWidth() || y >= viewHeight())
        return QRect();
    return QRect(x, y, ColWidths(ACol), RowHeights(ARow));
}

TGridCoord TMyCustomGrid::MouseToCell(int X, int Y) const
{
    return TGridCoord{m_cols.indexAt(X, viewWidth()), m_rows.indexAt(Y, viewHeight())};
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
        viewport()->update(r.adjusted(0, 0, GridLineWidth(), GridLineWidth()));
}

void TMyCustomGrid::InvalidateRow(int ARow)
{
    const int y = m_rows.position(ARow, viewHeight());
    if (y >= 0)
        viewport()->update(QRect(0, y, viewWidth(), m_rows.extent(ARow)));
}

void TMyCustomGrid::InvalidateCol(int ACol)
{
    const int x = m_cols.position(ACol, viewWidth());
    if (x >= 0)
        viewport()->update(QRect(x, 0, m_cols.extent(ACol), viewHeight()));
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
    const int first = std::max(n.top(), TopRow());
    for (int r = first; r <= n.bottom(); ++r) {
        if (m_rows.position(r, viewHeight()) < 0)
            break;
        InvalidateRow(r);
    }
    for (int r = n.top(); r < std::min(n.bottom() + 1, FixedRows()); ++r)
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
        r.Left = FixedCols();
        r.Right = ColCount() - 1;
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
    if (!m_cols.contains(ACol) || !m_rows.contains(ARow))
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
            m_anchor.X = ColCount() - 1;
    }
    if (m_options & goRowSelect)
        m_current.X = FixedCols();
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
        m_anchor.X = ColCount() - 1;
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
    const int left = m_cols.firstShowing(ACol, viewWidth());
    const int top = m_rows.firstShowing(ARow, viewHeight());
    if (left != LeftCol())
        SetLeftCol(left);
    if (top != TopRow())
        SetTopRow(top);
}

void TMyCustomGrid::SetTopRow(int value)
{
    scrollTo(m_rows, value, viewHeight());
}

void TMyCustomGrid::SetLeftCol(int value)
{
    scrollTo(m_cols, value, viewWidth());
}

void TMyCustomGrid::scrollTo(GridAxis& axis, int first, int view)
{
    first = axis.clampFirst(first, view);
    if (first == axis.first())
        return;
    axis.setFirst(first);
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
    // A bar counts the scrollable indices only; 0 is the first one after the fixed part.
    auto sync = [](QScrollBar* bar, const GridAxis& axis, int view) {
        bar->setRange(0, std::max(0, axis.lastFirst(view) - axis.fixedCount()));
        bar->setValue(axis.first() - axis.fixedCount());
        bar->setSingleStep(1);
    };
    sync(verticalScrollBar(), m_rows, viewHeight());
    sync(horizontalScrollBar(), m_cols, viewWidth());
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
        SetTopRow(FixedRows() + value);
}

void TMyCustomGrid::onHorizontalScroll(int value)
{
    if (!m_syncingScrollBars)
        SetLeftCol(FixedCols() + value);
}

void TMyCustomGrid::scrollContentsBy(int, int)
{
    // Scrolling is by whole rows and columns; the scroll bar handlers repaint.
}

// ---------------------------------------------------------------------------
// Structure

void TMyCustomGrid::MoveRow(int FromIndex, int ToIndex)
{
    if (!m_rows.contains(FromIndex) || !m_rows.contains(ToIndex))
        throw EGridError(EGridError::indexOutOfRange());
    if (FromIndex == ToIndex)
        return;
    HideEditor();
    m_current.Y = GridAxis::movedIndex(m_current.Y, FromIndex, ToIndex);
    m_anchor.Y = GridAxis::movedIndex(m_anchor.Y, FromIndex, ToIndex);
    m_rows.move(FromIndex, ToIndex);
    RowMoved(FromIndex, ToIndex);
    InvalidateGrid();
}

void TMyCustomGrid::MoveColumn(int FromIndex, int ToIndex)
{
    if (!m_cols.contains(FromIndex) || !m_cols.contains(ToIndex))
        throw EGridError(EGridError::indexOutOfRange());
    if (FromIndex == ToIndex)
        return;
    HideEditor();
    // With whole rows selected the current cell stays at the first column.
    if (!(m_options & goRowSelect)) {
        m_current.X = GridAxis::movedIndex(m_current.X, FromIndex, ToIndex);
        m_anchor.X = GridAxis::movedIndex(m_anchor.X, FromIndex, ToIndex);
    }
    m_cols.move(FromIndex, ToIndex);
    if (!m_tabStops.empty()) {
        const int stop = m_tabStops[std::size_t(FromIndex)];
        m_tabStops.erase(m_tabStops.begin() + FromIndex);
        m_tabStops.insert(m_tabStops.begin() + ToIndex, stop);
    }
    ColumnMoved(FromIndex, ToIndex);
    InvalidateGrid();
}

void TMyCustomGrid::DeleteRow(int ARow)
{
    if (!m_rows.contains(ARow))
        throw EGridError(EGridError::indexOutOfRange());
    if (RowCount() - 1 < 1)
        throw EGridError(EGridError::tooManyDeleted());
    const int last = RowCount() - 1;
    MoveRow(ARow, last);
    DeleteRowData(last);
    SetRowCount(last);
}

void TMyCustomGrid::DeleteColumn(int ACol)
{
    if (!m_cols.contains(ACol))
        throw EGridError(EGridError::indexOutOfRange());
    if (ColCount() - 1 < 1)
        throw EGridError(EGridError::tooManyDeleted());
    const int last = ColCount() - 1;
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
    changeSize(ColCount(), RowCount());  // only stores them again: still updating
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
    const int lastCol = m_cols.lastVisible(viewWidth());
    const int lastRow = m_rows.lastVisible(viewHeight());
    drawBlock(0, FixedCols() - 1, 0, FixedRows() - 1, clip);
    drawBlock(LeftCol(), lastCol, 0, FixedRows() - 1, clip);
    drawBlock(0, FixedCols() - 1, TopRow(), lastRow, clip);
    drawBlock(LeftCol(), lastCol, TopRow(), lastRow, clip);
    m_canvas = nullptr;
}

void TMyCustomGrid::drawBlock(int firstCol, int lastCol, int firstRow, int lastRow, const QRect& clip)
{
    for (int r = firstRow; r <= lastRow; ++r) {
        const int y = m_rows.position(r, viewHeight());
        if (y < 0 || RowHeights(r) < 0)
            continue;
        if (y > clip.bottom() || y + m_rows.extent(r) <= clip.top())
            continue;
        for (int c = firstCol; c <= lastCol; ++c) {
            const int x = m_cols.position(c, viewWidth());
            if (x < 0 || ColWidths(c) < 0)
                continue;
            if (x > clip.right() || x + m_cols.extent(c) <= clip.left())
                continue;
            drawOneCell(c, r, QRect(x, y, ColWidths(c), RowHeights(r)));
        }
    }
}

void TMyCustomGrid::drawOneCell(int col, int row, const QRect& rect)
{
    QPainter& p = *m_canvas;
    const bool fixed = col < FixedCols() || row < FixedRows();
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
    const int lw = GridLineWidth();
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
    for (int guard = 0; guard < ColCount() * 2 + 2; ++guard) {
        c += step;
        if (c >= ColCount()) {
            c = FixedCols();
            row = row + 1 >= RowCount() ? FixedRows() : row + 1;
        } else if (c < FixedCols()) {
            c = ColCount() - 1;
            row = row - 1 < FixedRows() ? RowCount() - 1 : row - 1;
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
    TGridCoord tl{LeftCol(), TopRow()};
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
        case Qt::Key_PageUp: cur.Y = TopRow(); break;
        case Qt::Key_PageDown: cur.Y = TopRow() + pageRows - 1; break;
        case Qt::Key_Home: cur = TGridCoord{FixedCols(), FixedRows()}; break;
        case Qt::Key_End: cur = TGridCoord{ColCount() - 1, RowCount() - 1}; break;
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
                cur.Y = FixedRows();
            else
                cur.X = FixedCols();
            break;
        case Qt::Key_End:
            if (rowSelect)
                cur.Y = RowCount() - 1;
            else
                cur.X = ColCount() - 1;
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
    if (RowCount() <= FixedRows() || ColCount() <= FixedCols())
        return;
    cur.X = std::clamp(cur.X, FixedCols(), ColCount() - 1);
    cur.Y = std::clamp(cur.Y, FixedRows(), RowCount() - 1);
    if (tl.Y != TopRow())
        SetTopRow(tl.Y);
    if (tl.X != LeftCol())
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
                a.Y = std::clamp(a.Y + dy, FixedRows(), RowCount() - 1);
                a.X = std::clamp(a.X + dx, FixedCols(), ColCount() - 1);
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
    if (m_current.Y < RowCount() - 1)
        SetRow(m_current.Y + 1);
    return true;
}

bool TMyCustomGrid::DoMouseWheelUp()
{
    if (m_current.Y > FixedRows())
        SetRow(m_current.Y - 1);
    return true;
}

bool TMyCustomGrid::calcSizingState(int X, int Y)
{
    const int tolerance = 3;
    auto startSizing = [this](TGridState state, const GridAxis::Border& border) {
        if (border.index < 0)
            return false;
        m_gridState = state;
        m_sizingIndex = border.index;
        m_sizingStart = border.start;
        return true;
    };
    if ((m_options & goColSizing) && Y < m_rows.fixedExtent()
        && startSizing(gsColSizing, m_cols.borderAt(X, tolerance, viewWidth())))
        return true;
    return (m_options & goRowSizing) && X < m_cols.fixedExtent()
           && startSizing(gsRowSizing, m_rows.borderAt(Y, tolerance, viewHeight()));
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
    if ((m_options & goColMoving) && cell.Y < FixedRows() && cell.X >= FixedCols()) {
        m_gridState = gsColMoving;
        m_moveIndex = m_movePos = cell.X;
        return;
    }
    if ((m_options & goRowMoving) && cell.X < FixedCols() && cell.Y >= FixedRows()) {
        m_gridState = gsRowMoving;
        m_moveIndex = m_movePos = cell.Y;
        return;
    }
    if (cell.X < FixedCols() || cell.Y < FixedRows())
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
        if (cell.X < FixedCols() || cell.Y < FixedRows())
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
        if (cell.X >= FixedCols())
            m_movePos = cell.X;
        break;
    }
    case gsRowMoving: {
        const TGridCoord cell = MouseToCell(X, Y);
        if (cell.Y >= FixedRows())
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
    if (p.y() < m_rows.fixedExtent()) {
        SetTopRow(TopRow() - 1);
        target.Y = std::max(TopRow(), FixedRows());
    } else if (p.y() >= viewHeight()) {
        SetTopRow(TopRow() + 1);
        target.Y = std::min(TopRow() + std::max(VisibleRowCount(), 1) - 1, RowCount() - 1);
    }
    if (p.x() < m_cols.fixedExtent()) {
        SetLeftCol(LeftCol() - 1);
        target.X = std::max(LeftCol(), FixedCols());
    } else if (p.x() >= viewWidth()) {
        SetLeftCol(LeftCol() + 1);
        target.X = std::min(LeftCol() + std::max(VisibleColCount(), 1) - 1, ColCount() - 1);
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
