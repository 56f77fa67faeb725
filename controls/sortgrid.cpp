#include "controls/sortgrid.h"

#include "controls/gridglyphs.h"
#include "controls/inplaceedit.h"
#include "controls/sortcomparer.h"
#include "controls/sortorder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

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

TSortGrid::TSortGrid(QWidget* parent) : TMyStringGrid(parent)
{
    SetFixedCols(0);
    m_selectedRows = {Row()};
    m_selectionOrder = {Row()};
    m_dropDown = new QListWidget(this);
    m_dropDown->setObjectName(QStringLiteral("DropDownList"));
    m_dropDown->setSortingEnabled(true);
    m_dropDown->setFocusPolicy(Qt::ClickFocus);
    m_dropDown->hide();
    m_dropDown->installEventFilter(this);
    m_dropDown->viewport()->installEventFilter(this);
}

TSortGrid::~TSortGrid() = default;

// ---------------------------------------------------------------------------
// Sorting

void TSortGrid::SortByColumn(int ACol)
{
    if (!SortOptions.CanSort)
        return;
    SortOptions.SortCol = ACol;
    m_sorting = true;
    BeginUpdate();
    // Whatever a handler throws, the bracket is closed: an open one would
    // leave the grid disabled and its window frozen.
    struct Finish {
        TSortGrid* grid;
        int lastColumn = -1;
        ~Finish()
        {
            grid->m_sorting = false;
            grid->SortOptions.SortCompare = nullptr;
            try {
                if (grid->OnAfterSort)
                    grid->OnAfterSort(grid, lastColumn);
            } catch (...) {
                // The bracket must close even when the owner's hook fails.
            }
            grid->EndUpdate();
        }
    } finish{this};

    if (OnBeforeSort)
        OnBeforeSort(this, ACol);
    const std::vector<int> selectedBefore = [this] {
        std::vector<int> s = m_selectedRows;
        std::sort(s.begin(), s.end());
        return s;
    }();

    // The texts of every key column are read once; the passes reorder them.
    const int dataRows = std::max(RowCount() - 1, 0);
    std::vector<TSortOrder::Key> keys;
    for (const int c : TSortOrder::keyColumns(ACol, SortOptions.SecondaryIndex, ColCount())) {
        TSortOrder::Key key{c, {}};
        if (c >= 0) {
            key.texts.reserve(dataRows);
            for (int r = 1; r <= dataRows; ++r)
                key.texts.append(Cells(c, r));
        }
        keys.push_back(std::move(key));
    }
    // The handler's answer of one pass is what it finds in the next.
    TSortStyle style = ssAutomatic;
    const std::vector<int> order = TSortOrder::rows(
        dataRows, keys, [&](int column, const QStringList& texts) -> const TSortOptions& {
            finish.lastColumn = column;
            if (OnGetSortStyle) {
                OnGetSortStyle(this, column, style);
                SortOptions.SortStyle = style;
            } else if (SortOptions.SortStyle == ssAutomatic) {
                SortOptions.SortStyle = TSortComparer::detectStyle(texts);
            }
            return SortOptions;
        });
    if (order.empty())
        return;

    std::vector<int> rows(order.size());
    for (std::size_t j = 0; j < order.size(); ++j)
        rows[j] = order[j] + 1;
    permuteRows(1, rows);
    // The selection travels with its rows.
    std::vector<int> newSelection;
    for (std::size_t j = 0; j < rows.size(); ++j)
        if (std::binary_search(selectedBefore.begin(), selectedBefore.end(), rows[j]))
            newSelection.push_back(int(j) + 1);
    if (!newSelection.empty()) {
        moveCurrent(Col(), newSelection.front(), true, false, false);
        m_selectedRows = newSelection;
        m_selectionOrder = newSelection;
    }
}

// ---------------------------------------------------------------------------
// Navigation

void TSortGrid::GoToCell(int ACol, int ARow, bool Scroll)
{
    ACol = std::max(0, std::min(ACol, ColCount() - 1));
    ARow = std::max(1, std::min(ARow, RowCount() - 1));
    if (ARow >= RowCount())
        throw EGridError(EGridError::indexOutOfRange());
    if (!SelectCell(ACol, ARow))
        return;
    const bool frozen = !updatesEnabled();
    if (!frozen)
        setUpdatesEnabled(false);
    moveCurrent(ACol, ARow, true, false, false);
    selectOnly(ARow);
    InvalidateGrid();
    if (Scroll)
        ScrollToCell(ACol, ARow);
    if (!frozen)
        setUpdatesEnabled(true);
}

void TSortGrid::ScrollToCell(int ACol, int ARow)
{
    ACol = std::max(0, std::min(ACol, ColCount() - 1));
    ARow = std::max(1, std::min(ARow, RowCount() - 1));
    if (ACol >= FixedCols()) {
        if (ACol < LeftCol()) {
            SetLeftCol(ACol);
        } else {
            while (ACol > LeftCol() + VisibleColCount() - 1 && LeftCol() < colAxis().lastFirst(viewWidth()))
                SetLeftCol(LeftCol() + 1);
        }
    }
    // One row above the target stays in view.
    const int limit = std::max(RowCount() - VisibleRowCount(), 1);
    SetTopRow(ARow > limit ? limit : std::max(ARow - 1, 1));
}

// ---------------------------------------------------------------------------
// Structure

bool TSortGrid::withoutAlwaysShowEditor(const std::function<void()>& work)
{
    const bool had = Options() & goAlwaysShowEditor;
    if (had)
        SetOptions(Options() & ~TGridOptions(goAlwaysShowEditor));
    try {
        work();
    } catch (...) {
        if (had)
            SetOptions(Options() | goAlwaysShowEditor);
        throw;
    }
    if (had)
        SetOptions(Options() | goAlwaysShowEditor);
    return had;
}

void TSortGrid::InsertRow(int ARow)
{
    SetRowCount(RowCount() + 1);
    int newRow = RowCount() - 1;
    if (ARow < RowCount() - 2) {
        MoveRow(RowCount() - 1, ARow);
        newRow = ARow;
    }
    clearRowData(newRow);
    if (newRow >= FixedRows())
        moveCurrent(Col(), newRow, true, true, false);
    selectOnly(newRow);
    InvalidateGrid();
    if (OnRowInsert)
        OnRowInsert(this, newRow);
}

void TSortGrid::InsertColumn(int ACol)
{
    SetColCount(ColCount() + 1);
    if (ACol < ColCount() - 1)
        MoveColumn(ColCount() - 1, ACol);
    Cols(ACol).Clear();
    if (ACol >= FixedCols())
        SetCol(ACol);
    if (OnColumnInsert)
        OnColumnInsert(this, ACol);
}

void TSortGrid::DeleteRow(int ARow)
{
    SetModified(true);
    withoutAlwaysShowEditor([&] {
        if (RowCount() < 3)
            Rows(1).Clear();  // the last data row is emptied, never removed
        else
            TMyStringGrid::DeleteRow(ARow);
    });
    m_selectedRows.erase(std::remove_if(m_selectedRows.begin(), m_selectedRows.end(),
                                        [this](int r) { return r >= RowCount(); }),
                         m_selectedRows.end());
    m_selectionOrder.erase(std::remove_if(m_selectionOrder.begin(), m_selectionOrder.end(),
                                          [this](int r) { return r >= RowCount(); }),
                           m_selectionOrder.end());
    if (OnRowDelete)
        OnRowDelete(this, ARow);
}

void TSortGrid::DeleteColumn(int ACol)
{
    withoutAlwaysShowEditor([&] {
        Cols(ACol).Clear();
        TMyStringGrid::DeleteColumn(ACol);
    });
    if (OnColumnDelete)
        OnColumnDelete(this, ACol);
}

void TSortGrid::MoveRow(int FromIndex, int ToIndex)
{
    withoutAlwaysShowEditor([&] { TMyStringGrid::MoveRow(FromIndex, ToIndex); });
}

void TSortGrid::MoveColumn(int FromIndex, int ToIndex)
{
    withoutAlwaysShowEditor([&] { TMyStringGrid::MoveColumn(FromIndex, ToIndex); });
}

void TSortGrid::ExchangeRows(int A, int B)
{
    if (A < B) {
        MoveRow(B, A);
        MoveRow(A + 1, B);
    } else if (B < A) {
        MoveRow(A, B);
        MoveRow(B + 1, A);
    }
}

bool TSortGrid::IsRowEmpty(int ARow) const
{
    for (int c = 0; c < ColCount(); ++c)
        if (!Cells(c, ARow).isEmpty())
            return false;
    return true;
}

void TSortGrid::BeginUpdate()
{
    // Saved only when the bracket opens: a nested call (the sort inside the
    // filter) must not save the suspended value and lose the real one.
    if (!NowUpdating())
        m_savedUpdateOnSizeChange = SortOptions.UpdateOnSizeChange;
    TMyStringGrid::BeginUpdate();
    SortOptions.UpdateOnSizeChange = false;
}

void TSortGrid::EndUpdate()
{
    TMyStringGrid::EndUpdate();
    SortOptions.UpdateOnSizeChange = m_savedUpdateOnSizeChange;
    if (OnEndUpdate)
        OnEndUpdate(this);
}

// ---------------------------------------------------------------------------
// Cell kinds and check boxes

TFormatOptions TSortGrid::defaultFormat() const
{
    TFormatOptions f;
    f.Font = GridFont();
    f.Brush.Color = Color();
    f.AlignmentHorz = m_alignmentHorz;
    f.AlignmentVert = m_alignmentVert;
    f.Bevel = m_bevelStyle;
    switch (m_bevelStyle) {
    case cbRaised:
        f.HighlightColor = clBtnHighlight;
        f.ShadowColor = clBtnShadow;
        break;
    case cbLowered:
        f.HighlightColor = clBtnShadow;
        f.ShadowColor = clBtnHighlight;
        break;
    case cbNone:
        f.HighlightColor = clWindow;
        f.ShadowColor = clWindow;
        break;
    }
    return f;
}

TSortGrid::CellKind TSortGrid::cellKind(int ACol, int ARow)
{
    CellKind kind;
    if (OnGetCellFormat) {
        TFormatOptions f = defaultFormat();
        OnGetCellFormat(this, ACol, ARow, TGridDrawState(), f, kind.checkBox, kind.comboBox, kind.ellipsis);
    }
    return kind;
}

TGridFont TSortGrid::cellFont(int ACol, int ARow)
{
    TFormatOptions f = defaultFormat();
    if (OnGetCellFormat) {
        bool a = false, b = false, c = false;
        OnGetCellFormat(this, ACol, ARow, TGridDrawState(), f, a, b, c);
    }
    return f.Font;
}

bool TSortGrid::GetChecked(int ACol, int ARow)
{
    if (!cellKind(ACol, ARow).checkBox)
        return false;
    const QString text = Cells(ACol, ARow);
    return text == QLatin1String("true") || text == QLatin1String("1");
}

void TSortGrid::SetChecked(int ACol, int ARow, bool State)
{
    if (!cellKind(ACol, ARow).checkBox)
        return;
    SetCells(ACol, ARow, State ? QStringLiteral("1") : QString());
    InvalidateRow(ARow);
    if (OnSetChecked)
        OnSetChecked(this, ACol, ARow, State);
}

// ---------------------------------------------------------------------------
// Auto-size

void TSortGrid::AutoSizeColumn(int ACol, bool Force)
{
    if (ACol < 0 || ACol >= ColCount())
        return;
    if (ColWidths(ACol) < 0 && !Force)
        return;
    int widest = 0;
    int header = 0;
    TGridFont font = GridFont();
    for (int i = 0; i < RowCount(); ++i) {
        font = cellFont(ACol, i);
        const int w = QFontMetrics(font).horizontalAdvance(Cells(ACol, i));
        if (i == 0)
            header = w + ((ACol == SortOptions.SortCol && SortOptions.CanSort) ? 12 : 0);
        else
            widest = std::max(widest, w);
    }
    widest = std::max(widest, header);
    const QFontMetrics fm(font);
    SetColWidths(ACol, widest <= 0 ? fm.horizontalAdvance(QStringLiteral("xx"))
                                   : fm.horizontalAdvance(QStringLiteral("X")) + widest);
}

// ---------------------------------------------------------------------------
// Drawing

QString TSortGrid::shortenHeaderText(const QString& text, int width, const QFontMetrics& metrics)
{
    QString s = text;
    if (width < metrics.horizontalAdvance(s) && s.size() > 1) {
        s.replace(s.size() - 2, 2, QStringLiteral(".."));
        while (width < metrics.horizontalAdvance(s) && s.size() > 3) {
            s.chop(1);
            s[s.size() - 2] = QLatin1Char('.');
        }
    }
    return s;
}

void TSortGrid::DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState)
{
    QPainter& p = Canvas();
    const int left = ARect.left();
    const int top = ARect.top();
    const int right = ARect.left() + ARect.width();    // exclusive edges
    const int bottom = ARect.top() + ARect.height();

    if (ARow >= 1 && (NowUpdating() || m_hideRows)) {
        // Blank band across the whole control: no stale text shows while frozen or hidden.
        p.fillRect(QRect(left, top, right + width() + 1 - left, bottom + 1 - top),
                   gridColor(CanvasBrush().Color));
        return;
    }

    TFormatOptions f = defaultFormat();
    f.Brush = CanvasBrush();
    f.Font = CanvasFont();
    bool checkBox = false, comboBox = false, ellipsis = false;
    if (OnGetCellFormat)
        OnGetCellFormat(this, ACol, ARow, AState, f, checkBox, comboBox, ellipsis);
    if (checkBox)
        f.HideText = true;
    const TGridRect sel = Selection();
    if (((Options() & goRangeSelect) && ARow >= sel.Top && ARow <= sel.Bottom)
        || (m_multiSelect && isSelected(ARow) && !(Options() & goEditing))) {
        f.Font.Color = clHighlightText;
        f.Brush.Color = clHighlight;
    }
    CanvasFont() = f.Font;
    CanvasBrush() = f.Brush;
    const QFontMetrics fm(f.Font);

    const bool sortedColumn = ACol == SortOptions.SortCol && SortOptions.CanSort;
    QString text = Cells(ACol, ARow);
    if (ARow == 0)
        text = shortenHeaderText(text, ColWidths(ACol) - (sortedColumn ? 12 : 1), fm);

    const int textWidth = fm.horizontalAdvance(text);
    const int textHeight = fm.height();
    int dx = 2;
    if (f.AlignmentHorz == taRightJustify)
        dx = (right - left) - textWidth - 2;
    else if (f.AlignmentHorz == taCenter)
        dx = (right - left - textWidth) / 2;
    int dy = 2;
    if (f.AlignmentVert == taBottomJustify)
        dy = (bottom - top) - textHeight - 3;
    else if (f.AlignmentVert == taMiddle)
        dy = (bottom - top - textHeight) / 2;
    if (sortedColumn && ARow == 0)
        dx += 10;

    p.save();
    p.setClipRect(ARect);
    p.fillRect(ARect, gridColor(f.Brush.Color));
    if (!f.HideText && !text.isEmpty()) {
        p.setFont(f.Font);
        p.setPen(gridColor(f.Font.Color));
        p.drawText(left + dx, top + dy + fm.ascent(), text);
    }
    if (sortedColumn && ARow == 0) {
        // The arrow sits at the header's left edge, its top at mid-height − 4.
        const int w = (right - left) <= 10 ? (right - left - 3) : 8;
        const int y = RowHeights(0) / 2 - 4;
        if (w > 0) {
            const QImage& glyph = SortOptions.SortDirection == sdAscending ? TGridGlyphs::arrowUp()
                                                                          : TGridGlyphs::arrowDown();
            p.drawImage(QRect(left + 3, y, w, 7), glyph, QRect(0, 0, w, 7));
        }
    }
    if (checkBox) {
        const int m = (right - left) <= 10 ? (right - left - 1) : 10;
        const int boxTop = RowHeights(ARow) / 2 + top - 5;
        const int boxLeft = left + (right - left - m) / 2;
        const QString t = Cells(ACol, ARow);
        const bool on = t == QLatin1String("true") || t == QLatin1String("1");
        if (m > 0)
            p.drawImage(QRect(boxLeft, boxTop, m, 10),
                        on ? TGridGlyphs::checked() : TGridGlyphs::unchecked(), QRect(0, 0, m, 10));
    }
    const bool editing = editorActive();
    if (comboBox && ARow == Row() && (ACol == Col() || editing)) {
        const int w = std::min(right - left, 16);
        p.drawImage(QRect(right - w, top, w, bottom - top), TGridGlyphs::comboBox(), QRect(0, 0, w, 16));
    }
    if (ellipsis && ARow == Row() && ACol != Col()) {
        const int w = std::min(right - left, 16);
        p.drawImage(QRect(right - w, top, w, bottom - top), TGridGlyphs::ellipsis(), QRect(0, 0, w, 16));
    }
    if (f.Bevel != cbNone && ACol >= 0 && ARow >= 1) {
        // Each edge as a line whose end point is left out.
        const QColor shadow = gridColor(f.ShadowColor);
        const QColor light = gridColor(f.HighlightColor);
        if (Options() & goFixedVertLine)
            p.fillRect(QRect(right - 1, top, 1, bottom - top), shadow);
        if (Options() & goFixedHorzLine)
            p.fillRect(QRect(left, bottom - 1, right - left, 1), shadow);
        if (Options() & goFixedVertLine)
            p.fillRect(QRect(left, top, 1, bottom - top), light);
        if (Options() & goFixedHorzLine)
            p.fillRect(QRect(left, top, right - left, 1), light);
    }
    p.restore();
    TMyCustomDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

// ---------------------------------------------------------------------------
// Selection

bool TSortGrid::isSelected(int ARow) const
{
    return std::find(m_selectedRows.begin(), m_selectedRows.end(), ARow) != m_selectedRows.end();
}

void TSortGrid::clearSelection()
{
    for (int r : m_selectedRows)
        InvalidateRow(r);
    m_selectedRows.clear();
    m_selectionOrder.clear();
}

void TSortGrid::addSelected(int ARow)
{
    if (!isSelected(ARow))
        m_selectedRows.push_back(ARow);
    m_selectionOrder.push_back(ARow);
    InvalidateRow(ARow);
}

void TSortGrid::removeSelected(int ARow)
{
    m_selectedRows.erase(std::remove(m_selectedRows.begin(), m_selectedRows.end(), ARow),
                         m_selectedRows.end());
    m_selectionOrder.erase(std::remove(m_selectionOrder.begin(), m_selectionOrder.end(), ARow),
                           m_selectionOrder.end());
    InvalidateRow(ARow);
}

void TSortGrid::selectOnly(int ARow)
{
    clearSelection();
    addSelected(ARow);
}

void TSortGrid::selectRectangleRows()
{
    clearSelection();
    const TGridRect sel = Selection();
    for (int r = sel.Top; r <= sel.Bottom; ++r)
        addSelected(r);
}

bool TSortGrid::SelectCell(int ACol, int ARow)
{
    bool ok = true;
    if (editorActive()) {
        // Leaving an edited cell validates it first.
        validateCell();
        const CellKind kind = cellKind(ACol, ARow);
        if (kind.comboBox)
            openDropDown(ACol, ARow);
        ok = !(kind.comboBox || kind.checkBox) && TMyStringGrid::SelectCell(ACol, ARow);
    } else {
        ok = TMyStringGrid::SelectCell(ACol, ARow);
    }
    if (ok && m_follow) {
        selectOnly(ARow);
        if (OnRowSelected)
            OnRowSelected(this);
    }
    InvalidateRow(Row());
    InvalidateRow(ARow);
    return ok;
}

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
// Focus, validation, Modified

void TSortGrid::DoEnter()
{
    m_entered = true;
    rememberEditCell();
    TMyStringGrid::DoEnter();
}

void TSortGrid::DoExit()
{
    validateCell();
    m_entered = false;
    TMyStringGrid::DoExit();
}

void TSortGrid::EditorShown()
{
    rememberEditCell();
}

void TSortGrid::rememberEditCell()
{
    if (!editorActive()) {
        m_valRow = -1;
        return;
    }
    m_valCol = Col();
    m_valRow = Row();
    m_valText = Cells(m_valCol, m_valRow);
    m_valModified = m_modified;
}

void TSortGrid::validateCell()
{
    if (!editorActive() || m_valRow < 0 || m_valRow >= RowCount() || m_valCol >= ColCount())
        return;
    const QString current = Cells(m_valCol, m_valRow);
    if (current != m_valText && OnCellValidate) {
        QString newValue = current;
        bool valid = true;
        OnCellValidate(this, m_valCol, m_valRow, m_valText, newValue, valid);
        if (valid) {
            if (newValue != current)
                SetCells(m_valCol, m_valRow, newValue);
        } else {
            SetCells(m_valCol, m_valRow, newValue != current ? newValue : m_valText);
            m_modified = m_valModified;
        }
        refreshEditorText(m_valCol, m_valRow);
    }
    rememberEditCell();
}

void TSortGrid::SetModified(bool value)
{
    m_modified = value;
    if (value && OnModified)
        OnModified(this);
}

void TSortGrid::SetEditText(int ACol, int ARow, const QString& Value)
{
    if (Value != Cells(ACol, ARow))
        SetModified(true);
    TMyStringGrid::SetEditText(ACol, ARow, Value);
}

// ---------------------------------------------------------------------------
// Notifications

void TSortGrid::SizeChanged(int OldColCount, int OldRowCount)
{
    TMyStringGrid::SizeChanged(OldColCount, OldRowCount);
    SetModified(true);
    updateProportionalScrollBars();
    if (SortOptions.UpdateOnSizeChange)
        SortByColumn(SortOptions.SortCol);
    if (!NowUpdating()) {
        try {
            GoToCell(0, 1, true);
        } catch (const EGridError&) {
            // Moving to the first cell is a courtesy; a grid without data rows has none.
        }
    }
    if (RowCount() < 2)
        showMessage(QStringLiteral("Rowsize too small"));
    if (OnSizeChanged)
        OnSizeChanged(this, OldColCount, OldRowCount);
}

void TSortGrid::ColumnMoved(int FromIndex, int ToIndex)
{
    SetModified(true);
    int& s = SortOptions.SortCol;
    if (FromIndex == s)
        s = ToIndex;
    else if (ToIndex <= s && s < FromIndex)
        ++s;
    else if (FromIndex < s && s <= ToIndex)
        --s;
    TMyStringGrid::ColumnMoved(FromIndex, ToIndex);
}

void TSortGrid::ColWidthsChanged()
{
    TMyStringGrid::ColWidthsChanged();
    if (OnColumnWidthsChanged)
        OnColumnWidthsChanged(this);
    updateProportionalScrollBars();
}

void TSortGrid::RowHeightsChanged()
{
    TMyStringGrid::RowHeightsChanged();
    if (OnRowHeightsChanged)
        OnRowHeightsChanged(this);
    updateProportionalScrollBars();
}

void TSortGrid::Resize()
{
    TMyStringGrid::Resize();
    fillLastColumn();
    InvalidateGrid();
    updateProportionalScrollBars();
}

void TSortGrid::fillLastColumn()
{
    const int last = ColCount() - 1;
    // A hidden last column (the result tables' order key) stays hidden.
    if (last < FixedCols() || ColWidths(last) < 0)
        return;
    if (LeftCol() + VisibleColCount() != ColCount())
        return;
    int used = colAxis().fixedExtent();
    for (int c = LeftCol(); c < last; ++c)
        used += colAxis().extent(c);
    const int w = viewWidth() - used - GridLineWidth();
    if (w > 0 && w != ColWidths(last))
        SetColWidths(last, w);
}

void TSortGrid::updateProportionalScrollBars()
{
    if (!m_proportionalScrollBars)
        return;
    if (ScrollBars() == ssVertical || ScrollBars() == ssBoth) {
        QScrollBar* v = verticalScrollBar();
        const double n = double(VisibleRowCount() + 1) / RowCount() * (v->maximum() - v->minimum() + 1);
        v->setPageStep(std::max(int(std::lround(n)), 1));
    }
    if (ScrollBars() == ssHorizontal || ScrollBars() == ssBoth) {
        QScrollBar* h = horizontalScrollBar();
        const double n = double(VisibleColCount()) / ColCount() * (h->maximum() - h->minimum() + 1);
        h->setPageStep(std::max(int(std::lround(n)), 1));
    }
}

void TSortGrid::showMessage(const QString& text)
{
    if (MessageHook)
        MessageHook(text);
    else
        QMessageBox::information(this, QApplication::applicationName(), text);
}

// ---------------------------------------------------------------------------
// Properties

void TSortGrid::SetHideRows(bool value)
{
    m_hideRows = value;
    if (RowCount() > 1)
        moveCurrent(Col(), 1, true, true, false);
    InvalidateGrid();
}

void TSortGrid::SetMultiSelect(bool value)
{
    m_multiSelect = value;
    if (value)
        SetOptions(Options() | goRowSelect);
    InvalidateGrid();
}

void TSortGrid::SetUserSettings(const QStringList& value)
{
    m_userSettings = value;
    SetModified(true);
}

void TSortGrid::SetAlignmentHorz(TAlignment value)
{
    m_alignmentHorz = value;
    InvalidateGrid();
}

void TSortGrid::SetAlignmentVert(TVertAlignment value)
{
    m_alignmentVert = value;
    InvalidateGrid();
}

void TSortGrid::SetBevelStyle(TCellBevelStyle value)
{
    m_bevelStyle = value;
    InvalidateGrid();
}

void TSortGrid::SetProportionalScrollBars(bool value)
{
    if (value == m_proportionalScrollBars)
        return;
    m_proportionalScrollBars = value;
    updateScrollBars();
    updateProportionalScrollBars();
}

// ---------------------------------------------------------------------------
// Filter

void TSortGrid::SetFiltered(bool value)
{
    m_filtered = value;
    if (!((!value || !IsRowEmpty(1)) && (value || m_hiddenRows > 0)))
        return;
    const bool savedModified = m_modified;
    const bool opened = !NowUpdating();
    if (opened)
        BeginUpdate();
    if (value) {
        m_hiddenRows = 0;
        const int oldCount = RowCount();
        std::vector<int> accepted;
        std::vector<int> rejected;
        for (int r = 1; r < oldCount; ++r) {
            bool accept = false;
            if (OnSetFilter)
                OnSetFilter(Rows(r).toStringList(), accept);
            (accept ? accepted : rejected).push_back(r);
        }
        m_hiddenRows = oldCount - int(accepted.size()) - 1;
        if (accepted.empty()) {
            // One empty row in front of the hidden ones, which keep their order
            // so that removing the filter gives back the table as it was.
            clearRowData(oldCount);
            std::vector<int> order{oldCount};
            order.insert(order.end(), rejected.begin(), rejected.end());
            permuteRows(1, order);
            SetRowCount(2);
        } else {
            std::vector<int> order = accepted;
            order.insert(order.end(), rejected.begin(), rejected.end());
            permuteRows(1, order);
            SetRowCount(RowCount() - m_hiddenRows);
            SortByColumn(SortOptions.SortCol);
        }
        try {
            GoToCell(0, 1, true);
        } catch (const EGridError&) {
        }
    } else {
        const int hidden = m_hiddenRows;
        SetRowCount(RowCount() + hidden);
        if (IsRowEmpty(1))
            DeleteRow(1);
        if (hidden > 0)
            SortByColumn(SortOptions.SortCol);
        m_hiddenRows = 0;
    }
    if (opened || NowUpdating())
        EndUpdate();
    m_modified = savedModified;
}

// ---------------------------------------------------------------------------
// Drop-down list

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
    m_dropDown->setParent(host);
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
    if (m_dropDown->isVisible() || !m_dropDown->isHidden())
        m_dropDown->hide();
}

void TSortGrid::commitDropDown()
{
    if (m_dropDown->isHidden() || m_dropCell.X < 0)
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
    if (m_dropDown->isHidden())
        return;
    // Disarmed before hiding: the focus leaving the list must not commit.
    m_dropCell = TGridCoord{-1, -1};
    m_dropDown->hide();
    setFocus();
}

bool TSortGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_dropDown || watched == m_dropDown->viewport()) {
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
