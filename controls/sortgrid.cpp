#include "controls/sortgrid.h"

#include "controls/griderror.h"
#include "controls/sortcomparer.h"
#include "controls/sortorder.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

TSortGrid::TSortGrid(QWidget* parent) : TMyStringGrid(parent)
{
    SetFixedCols(0);
    m_selectedRows = {Row()};
    m_selectionOrder = {Row()};
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
