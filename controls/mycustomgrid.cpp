#include "controls/mycustomgrid.h"

#include "controls/griderror.h"
#include "controls/inplaceedit.h"

#include <QApplication>
#include <QKeyEvent>
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
    return m_editor && !m_editor->isHidden();
}

bool TMyCustomGrid::editorHasFocus() const
{
    return m_editor && m_editor->hasFocus();
}

// A window holds some thirty grids and most are never edited: each builds
// its editor when it first shows one.
TInplaceEdit* TMyCustomGrid::ensureEditor()
{
    if (!m_editor) {
        m_editor = new TInplaceEdit(this, viewport());
        // Right after the grid in the focus chain, where a child built with
        // the grid would be.
        QWidget::setTabOrder(this, m_editor);
        connect(m_editor, &QLineEdit::textEdited, this, [this](const QString& text) {
            if (m_editorCell.X >= 0)
                SetEditText(m_editorCell.X, m_editorCell.Y, text);
        });
    }
    return m_editor;
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
    ensureEditor();
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
    if (!editorActive()) {
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
    if (!editorActive() || !(m_editorCell == TGridCoord{ACol, ARow}))
        return;
    const QString text = GetEditText(ACol, ARow);
    if (text != m_editor->text())
        m_editor->setText(text);
}

void TMyCustomGrid::updateEditorGeometry()
{
    if (!editorActive())
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
    if (!editorHasFocus())
        cancelMouseMode();
    // Focus passing to our own editor does not leave the grid.
    if (event->reason() != Qt::PopupFocusReason && !editorHasFocus())
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
