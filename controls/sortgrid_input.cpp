// What the sortable grid does with keys and the mouse: multi-row
// selection, the extended keys, first-letter search, header clicks and
// auto-size, cell clicks, dragging and the drop-down list.
#include "controls/sortgrid.h"

#include <QCursor>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <algorithm>
#include <cstdlib>

namespace {
bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

QChar asciiUpper(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ? QChar(c.unicode() - 32) : c;
}
}  // namespace

// ---------------------------------------------------------------------------
// Keyboard

void TSortGrid::KeyDown(int Key, Qt::KeyboardModifiers Shift)
{
    const bool editing = editorActive();
    if (m_multiSelect && !editing) {
        m_follow = false;
        if (Key == Qt::Key_Shift) {
            SetOptions(Options() | goRangeSelect);
            clearSelection();
        } else if ((Shift & Qt::ShiftModifier) && !m_selectionOrder.empty()
                   && m_selectionOrder.front() != Row() && m_selectionOrder.front() < RowCount()) {
            // The range grows from the row where the selection began.
            moveCurrent(Col(), m_selectionOrder.front(), false, false, false);
        }
        if (isNavigationKey(Key))
            m_follow = true;
    }
    if (m_extendedKeys && !editing) {
        const bool ctrl = Shift & Qt::ControlModifier;
        const bool shift = Shift & Qt::ShiftModifier;
        if (ctrl && !shift && Key == Qt::Key_Insert) {
            InsertRow(Row());
            return;
        }
        if (ctrl && !shift && Key == Qt::Key_Delete) {
            if (RowCount() > 2)
                DeleteRow(Row());
            return;
        }
        if (ctrl && shift && Key == Qt::Key_Insert) {
            InsertColumn(Col());
            return;
        }
        if (ctrl && shift && Key == Qt::Key_Delete) {
            if (ColCount() > 1)
                DeleteColumn(Col());
            return;
        }
    }
    TMyStringGrid::KeyDown(Key, Shift);
}

void TSortGrid::KeyPress(QChar& Key)
{
    if (Key == QLatin1Char('\r'))
        validateCell();
    if (!editorActive() && Key.isPrint()) {
        Key = asciiUpper(Key);
        const int c = SortOptions.SortCol;
        if (c >= 0 && c < ColCount()) {
            auto matches = [&](int r) {
                const QString t = Cells(c, r);
                return !t.isEmpty() && t.at(0).toUpper() == Key.toUpper();
            };
            int found = -1;
            for (int r = Row() + 1; r < RowCount() && found < 0; ++r)
                if (matches(r))
                    found = r;
            for (int r = 1; r <= Row() && r < RowCount() && found < 0; ++r)
                if (matches(r))
                    found = r;
            if (found > 0)
                GoToCell(c, found, true);
        }
    }
    TMyStringGrid::KeyPress(Key);
}

void TSortGrid::KeyUp(int Key, Qt::KeyboardModifiers Shift)
{
    if (Key == Qt::Key_Space && !editorActive()) {
        const CellKind kind = cellKind(Col(), Row());
        if (kind.comboBox) {
            if (!openDropDown(Col(), Row()))
                hideDropDown();
        } else if (kind.checkBox) {
            SetChecked(Col(), Row(), !GetChecked(Col(), Row()));
        } else if (kind.ellipsis && OnSetEllipsis) {
            OnSetEllipsis(this, Col(), Row());
        }
    }
    if (m_multiSelect && !editorActive()) {
        m_follow = true;
        const bool shiftReleased = Key == Qt::Key_Shift && m_selectedRows.empty();
        const bool navigated = isNavigationKey(Key) && !(Shift & Qt::ShiftModifier);
        if (shiftReleased || navigated) {
            selectRectangleRows();
            if (navigated)
                SetOptions(Options() & ~TGridOptions(goRangeSelect));
            if (OnRowSelected)
                OnRowSelected(this);
        }
    }
    TMyStringGrid::KeyUp(Key, Shift);
}

// ---------------------------------------------------------------------------
// Mouse

bool TSortGrid::onHeaderBorder(int X, int Y) const
{
    const TGridCoord cell = MouseToCell(X, Y);
    if (cell.Y != 0 || cell.X < 0)
        return false;
    const QRect r = CellRect(cell.X, 0);
    if (r.isEmpty())
        return false;
    const int right = r.left() + r.width();
    return std::abs(X - r.left()) <= 5 || std::abs(X - right) <= 5;
}

void TSortGrid::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, bool DoubleClick, int X,
                          int Y)
{
    hideDropDown();
    if (m_entered)
        validateCell();
    TGridCoord cell = MouseToCell(X, Y);
    if (cell.Y == -1)
        cell.Y = RowCount() - 1;
    m_downCell = cell;
    const int r = cell.Y;
    const bool plain = !(Shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    if (m_multiSelect && r > 0 && Button == Qt::LeftButton && plain && !DoubleClick && !isSelected(r)
        && !editorActive()) {
        SetOptions(Options() & ~TGridOptions(goRangeSelect));
        moveCurrent(Col(), r, true, true, false);
        selectOnly(r);
        if (OnRowSelected)
            OnRowSelected(this);
    }
    if (r > 0 && isSelected(r))
        m_dragStart = QPoint(X, Y);
    const bool baseRuns = !m_multiSelect
                          || ((Options() & goRangeSelect)
                              && (Shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
                                     == Qt::ShiftModifier
                              && Button == Qt::LeftButton)
                          || editorActive() || r == 0;
    if (baseRuns)
        TMyStringGrid::MouseDown(Button, Shift, DoubleClick, X, Y);

    if (DoubleClick && Button == Qt::LeftButton && cell.Y == 0 && cell.X >= 0) {
        // Double-click on a header border sizes the column left of that border.
        const QRect rc = CellRect(cell.X, 0);
        if (!rc.isEmpty() && std::abs(X - (rc.left() + rc.width())) <= 3) {
            AutoSizeColumn(cell.X, true);
        } else {
            for (int c = cell.X - 1; c >= 0; --c) {
                const QRect lc = CellRect(c, 0);
                if (lc.isEmpty())
                    continue;  // hidden column: look further left
                if (std::abs(X - (lc.left() + lc.width())) <= 3)
                    AutoSizeColumn(c, true);
                break;
            }
        }
    }
    // The base raised the double-click event when it ran; once is enough.
    if (DoubleClick && Button == Qt::LeftButton && !baseRuns && OnDblClick)
        OnDblClick(this);
}

void TSortGrid::MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y)
{
    if (m_dragStart.x() >= 0 && Buttons == Qt::LeftButton) {
        if (std::abs(X - m_dragStart.x()) > 10 || std::abs(Y - m_dragStart.y()) > 10) {
            m_dragStart = QPoint(-1, -1);
            m_dragging = true;
            if (OnStartDrag)
                OnStartDrag(this);
            m_dragging = false;
        }
    }
    TMyStringGrid::MouseMove(Buttons, Shift, X, Y);
}

void TSortGrid::cellClicked(int ACol, int ARow, int X)
{
    const CellKind kind = cellKind(ACol, ARow);
    if (kind.checkBox) {
        SetChecked(ACol, ARow, !GetChecked(ACol, ARow));
    } else if (kind.comboBox) {
        if (!openDropDown(ACol, ARow))
            hideDropDown();
    } else if (kind.ellipsis && OnSetEllipsis) {
        const QRect r = CellRect(ACol, ARow);
        const int right = r.left() + r.width();
        if (X >= right - 16 && X <= right)
            OnSetEllipsis(this, ACol, ARow);
    }
}

void TSortGrid::headerClick(Qt::MouseButton Button, int ACol)
{
    if (Button == Qt::RightButton)
        SortOptions.SortDirection = sdDescending;
    else if (SortOptions.SortDirection == sdAscending && SortOptions.SortCol == ACol)
        SortOptions.SortDirection = sdDescending;
    else
        SortOptions.SortDirection = sdAscending;
    SortByColumn(ACol);
    InvalidateRow(0);
}

void TSortGrid::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)
{
    if (m_dragging)
        return;
    m_dragStart = QPoint(-1, -1);
    if (focusPolicy() != Qt::NoFocus)
        setFocus(Qt::MouseFocusReason);
    TMyStringGrid::MouseUp(Button, Shift, X, Y);
    TGridCoord cell = MouseToCell(X, Y);
    const int rawRow = cell.Y;
    if (cell.Y == -1)
        cell.Y = RowCount() - 1;
    const int c = cell.X;
    const int r = cell.Y;

    if (Button == Qt::RightButton && rawRow != 0 && m_popupMenu) {
        m_popupMenu->setProperty("PopupComponent", QVariant::fromValue<QObject*>(this));
        m_popupMenu->popup(QCursor::pos());
    }
    if (cell == m_downCell && r > 0 && c >= 0)
        cellClicked(c, r, X);
    if (rawRow == 0) {
        if (c >= 0 && c == m_downCell.X && m_downCell.Y == 0 && !onHeaderBorder(X, Y))
            headerClick(Button, c);
        return;
    }
    if (m_downCell.Y != 0 && m_multiSelect && !editorActive() && Button == Qt::LeftButton && r > 0) {
        if (Shift & Qt::ControlModifier) {
            if (!isSelected(r)) {
                addSelected(r);
                moveCurrent(Col(), r, true, false, false);
            } else if (m_selectedRows.size() > 1) {
                removeSelected(r);
                moveCurrent(Col(), m_selectionOrder.back(), true, false, false);
            }
            SetOptions(Options() & ~TGridOptions(goRangeSelect));
        } else if (Shift & Qt::ShiftModifier) {
            selectRectangleRows();
        } else {
            SetOptions(Options() & ~TGridOptions(goRangeSelect));
            moveCurrent(Col(), r, true, false, false);
            selectOnly(r);
        }
        if (OnRowSelected)
            OnRowSelected(this);
    }
}

bool TSortGrid::DoMouseWheelDown()
{
    TMyStringGrid::DoMouseWheelDown();
    ScrollToCell(Col(), TopRow() + 2);
    return true;
}

bool TSortGrid::DoMouseWheelUp()
{
    TMyStringGrid::DoMouseWheelUp();
    ScrollToCell(Col(), TopRow() - 2);
    return true;
}

// ---------------------------------------------------------------------------
// Drop-down list

// Made when a cell first drops its list: the program holds 21 grids, most of
// which never show one, and a list widget is a noticeable part of start-up.
QListWidget* TSortGrid::ensureDropDown()
{
    if (!m_dropDown) {
        m_dropDown = new QListWidget(this);
        m_dropDown->setObjectName(QStringLiteral("DropDownList"));
        m_dropDown->setSortingEnabled(true);
        m_dropDown->setFocusPolicy(Qt::ClickFocus);
        m_dropDown->hide();
        m_dropDown->installEventFilter(this);
        m_dropDown->viewport()->installEventFilter(this);
    }
    return m_dropDown;
}

bool TSortGrid::openDropDown(int ACol, int ARow)
{
    if (!cellKind(ACol, ARow).comboBox || !OnGetComboBox)
        return false;
    QStringList lines;
    int w = 0, h = 0;
    bool sorted = true;
    OnGetComboBox(this, ACol, ARow, lines, w, h, sorted);
    if (lines.isEmpty())
        return false;
    QWidget* host = window();
    ensureDropDown()->setParent(host);
    m_dropDown->setFont(font());
    m_dropDown->clear();
    m_dropDown->setSortingEnabled(sorted);
    m_dropDown->addItems(lines);
    const QString text = Cells(ACol, ARow);
    const auto matches = m_dropDown->findItems(text, Qt::MatchExactly);
    m_dropDown->setCurrentItem(matches.isEmpty() ? m_dropDown->item(0) : matches.first());
    const QRect cell = CellRect(ACol, ARow);
    const int width = w > 0 ? w : cell.width() + 1;
    int height = m_dropDown->height();
    if (h == 0 && lines.size() < 20)
        height = int(lines.size()) * std::max(m_dropDown->sizeHintForRow(0), 1) + 5;
    else if (h > 0)
        height = h;
    // Placed under the cell, so the choice visibly belongs to it; above it
    // when the form ends first, or its last lines could not be reached.
    QPoint origin = viewport()->mapTo(host, QPoint(cell.left(), cell.top() + cell.height()));
    const int topAbove = viewport()->mapTo(host, cell.topLeft()).y() - height;
    if (origin.y() + height > host->height() && topAbove >= 0)
        origin.setY(topAbove);
    m_dropDown->setGeometry(origin.x(), origin.y(), width, height);
    m_dropCell = TGridCoord{ACol, ARow};
    m_dropDown->show();
    m_dropDown->raise();
    m_dropDown->setFocus();
    return true;
}

void TSortGrid::hideDropDown()
{
    if (m_dropDown && !m_dropDown->isHidden())
        m_dropDown->hide();
}

void TSortGrid::commitDropDown()
{
    if (!m_dropDown || m_dropDown->isHidden() || m_dropCell.X < 0)
        return;
    const TGridCoord cell = m_dropCell;
    m_dropCell = TGridCoord{-1, -1};
    const QListWidgetItem* item = m_dropDown->currentItem();
    const QString line = item ? item->text() : QString();
    if (item)
        SetCells(cell.X, cell.Y, line);
    m_dropDown->hide();
    InvalidateCol(cell.X);
    setFocus();
    if (item && OnSetComboBox)
        OnSetComboBox(this, cell.X, cell.Y, line);
}

void TSortGrid::cancelDropDown()
{
    if (!m_dropDown || m_dropDown->isHidden())
        return;
    // Disarmed before hiding: the focus leaving the list must not commit.
    m_dropCell = TGridCoord{-1, -1};
    m_dropDown->hide();
    setFocus();
}

bool TSortGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (m_dropDown && (watched == m_dropDown || watched == m_dropDown->viewport())) {
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
            commitDropDown();
            return true;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                cancelDropDown();
                return true;
            }
            break;
        case QEvent::KeyRelease: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                commitDropDown();
                return true;
            }
            break;
        }
        case QEvent::FocusOut:
            if (watched == m_dropDown)
                commitDropDown();
            break;
        default:
            break;
        }
    }
    return TMyStringGrid::eventFilter(watched, event);
}
