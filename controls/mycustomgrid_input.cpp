// Keyboard and mouse handling of the grid base: navigation keys, Tab
// stops, selecting, sizing and moving with the mouse, the wheel and the
// scroll timer that follows the mouse outside the cells.
#include "controls/mycustomgrid.h"

#include "controls/griderror.h"
#include "controls/inplaceedit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

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
    if (editorActive() && m_editorCell.X >= 0) {
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
