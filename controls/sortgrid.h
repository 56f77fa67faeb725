#pragma once

// TSortGrid: the string grid of the result tables, with sorting, per-cell
// formatting, multi-row selection and a row filter.
//
// Usage:
//   auto* grid = new TSortGrid(page);
//   grid->setObjectName("SortGrid1");
//   grid->SetColCount(10);  grid->SetRowCount(2);  grid->SetFixedCols(2);
//   grid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine
//                    | goDrawFocusSelected | goRowSelect);
//   grid->SetCells(1, 0, "Nr.");                 // row 0 is the header
//   grid->SortOptions.CanSort = false;           // fields are set one by one
//   grid->SortOptions.SortCol = 1;
//   grid->OnGetCellFormat = [](TSortGrid* g, int col, int row, TGridDrawState,
//                              TFormatOptions& f, bool& checkBox, bool& combo, bool& ellipsis) {
//       f.AlignmentHorz = taCenter;
//       if (row > 0 && row != g->Row() && col == 6) f.Brush.Color = rgbColor(216, 255, 216);
//   };
//   grid->OnGetSortStyle = [](TSortGrid* g, int col, TSortStyle& style) {
//       style = ssCustom;
//       g->SortOptions.SortCompare = compareTimes;  // cleared again after the sort
//   };
//   grid->SortByColumn(6);                       // does nothing while CanSort is false
//   grid->DeleteRow(grid->Row());                // the last data row is emptied, not removed
//
// Bulk changes go between BeginUpdate() and EndUpdate() (a flag, not a
// counter): the grid is frozen, data rows draw blank, and size changes are
// only stored. The context menu given by SetPopupMenu() pops up on a right
// click outside the header; the menu's "PopupComponent" property then holds
// the grid. "Rowsize too small" goes through MessageHook (a message box by default).

#include "controls/mystringgrid.h"
#include "controls/sortgridtypes.h"

#include <QPoint>
#include <QStringList>

class QListWidget;
class QMenu;

class TSortGrid : public TMyStringGrid
{
    Q_OBJECT
public:
    explicit TSortGrid(QWidget* parent = nullptr);
    ~TSortGrid() override;

    TSortOptions SortOptions;
    TPrintOptions PrintOptions;

    // --- Operations ----------------------------------------------------------
    void SortByColumn(int ACol);
    void GoToCell(int ACol, int ARow, bool Scroll);
    void ScrollToCell(int ACol, int ARow);
    void InsertRow(int ARow);
    void InsertColumn(int ACol);
    void DeleteRow(int ARow) override;
    void DeleteColumn(int ACol) override;
    void MoveRow(int FromIndex, int ToIndex) override;
    void MoveColumn(int FromIndex, int ToIndex) override;
    void ExchangeRows(int A, int B);
    void AutoSizeColumn(int ACol, bool Force);
    bool GetChecked(int ACol, int ARow);
    void SetChecked(int ACol, int ARow, bool State);
    bool IsRowEmpty(int ARow) const;
    void BeginUpdate() override;
    void EndUpdate() override;

    // --- Properties ------------------------------------------------------------
    bool Modified() const { return m_modified; }
    void SetModified(bool value);
    bool HideRows() const { return m_hideRows; }
    void SetHideRows(bool value);
    bool Filtered() const { return m_filtered; }
    void SetFiltered(bool value);
    int HiddenRowCount() const { return m_hiddenRows; }
    bool MultiSelect() const { return m_multiSelect; }
    void SetMultiSelect(bool value);
    QStringList UserSettings() const { return m_userSettings; }
    void SetUserSettings(const QStringList& value);
    TAlignment AlignmentHorz() const { return m_alignmentHorz; }
    void SetAlignmentHorz(TAlignment value);
    TVertAlignment AlignmentVert() const { return m_alignmentVert; }
    void SetAlignmentVert(TVertAlignment value);
    TCellBevelStyle BevelStyle() const { return m_bevelStyle; }
    void SetBevelStyle(TCellBevelStyle value);
    bool ProportionalScrollBars() const { return m_proportionalScrollBars; }
    void SetProportionalScrollBars(bool value);
    bool ExtendedKeys() const { return m_extendedKeys; }
    void SetExtendedKeys(bool value) { m_extendedKeys = value; }
    QMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }
    // Rows selected, ascending by selection time; SelectionOrder keeps the order of clicks.
    const std::vector<int>& SelectedRows() const { return m_selectedRows; }
    const std::vector<int>& SelectionOrder() const { return m_selectionOrder; }
    bool sorting() const { return m_sorting; }

    // --- Events -------------------------------------------------------------------
    std::function<void(TSortGrid* Sender, int Col, int Row, TGridDrawState State,
                       TFormatOptions& FormatOptions, bool& CheckBox, bool& Combobox,
                       bool& Ellipsis)> OnGetCellFormat;
    std::function<void(TSortGrid* Sender, int Col, TSortStyle& SortStyle)> OnGetSortStyle;
    std::function<void(TSortGrid* Sender, int ACol, int ARow, const QString& OldValue,
                       QString& NewValue, bool& Valid)> OnCellValidate;
    std::function<void(const QStringList& ARows, bool& Accept)> OnSetFilter;
    std::function<void(TSortGrid* Sender)> OnModified;
    std::function<void(TSortGrid* Sender)> OnRowSelected;
    std::function<void(TSortGrid* Sender, int ARow)> OnRowInsert;
    std::function<void(TSortGrid* Sender, int ARow)> OnRowDelete;
    std::function<void(TSortGrid* Sender, int ACol)> OnColumnInsert;
    std::function<void(TSortGrid* Sender, int ACol)> OnColumnDelete;
    std::function<void(TSortGrid* Sender)> OnColumnWidthsChanged;
    std::function<void(TSortGrid* Sender)> OnRowHeightsChanged;
    std::function<void(TSortGrid* Sender, int OldColCount, int OldRowCount)> OnSizeChanged;
    std::function<void(TSortGrid* Sender)> OnEndUpdate;
    std::function<void(TSortGrid* Sender, int ACol, int ARow, bool State)> OnSetChecked;
    std::function<void(TSortGrid* Sender, int ACol, int ARow, QStringList& Strs, int& Width,
                       int& Height, bool& Sorted)> OnGetComboBox;
    std::function<void(TSortGrid* Sender, int ACol, int ARow, const QString& Str)> OnSetComboBox;
    std::function<void(TSortGrid* Sender, int ACol, int ARow)> OnSetEllipsis;
    std::function<void(TSortGrid* Sender, int& ACol)> OnBeforeSort;
    std::function<void(TSortGrid* Sender, int ACol)> OnAfterSort;
    // Starts dragging the selected rows; without it nothing is dragged.
    std::function<void(TSortGrid* Sender)> OnStartDrag;
    // Shows an information text; tests replace the message box.
    std::function<void(const QString& Text)> MessageHook;

    // The shortened header text for an available width (ends in ".." when cut).
    static QString shortenHeaderText(const QString& text, int width, const QFontMetrics& metrics);
    // The drop-down list, for tests and the owner's styling: null until a cell
    // first drops its list.
    QListWidget* dropDownList() const { return m_dropDown; }

protected:
    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    void SizeChanged(int OldColCount, int OldRowCount) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    void SetEditText(int ACol, int ARow, const QString& Value) override;
    void EditorShown() override;
    void KeyDown(int Key, Qt::KeyboardModifiers Shift) override;
    void KeyPress(QChar& Key) override;
    void KeyUp(int Key, Qt::KeyboardModifiers Shift) override;
    void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, bool DoubleClick, int X,
                   int Y) override;
    void MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y) override;
    void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
    bool DoMouseWheelDown() override;
    bool DoMouseWheelUp() override;
    void DoEnter() override;
    void DoExit() override;
    void Resize() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct CellKind {
        bool checkBox = false;
        bool comboBox = false;
        bool ellipsis = false;
    };
    TFormatOptions defaultFormat() const;
    CellKind cellKind(int ACol, int ARow);
    TGridFont cellFont(int ACol, int ARow);
    bool onHeaderBorder(int X, int Y) const;
    void headerClick(Qt::MouseButton Button, int ACol);
    void selectOnly(int ARow);
    void clearSelection();
    void addSelected(int ARow);
    void removeSelected(int ARow);
    bool isSelected(int ARow) const;
    void selectRectangleRows();
    void fillLastColumn();
    void updateProportionalScrollBars();
    QListWidget* ensureDropDown();
    bool openDropDown(int ACol, int ARow);
    void hideDropDown();
    void commitDropDown();
    // Escape in the list: closes it and leaves the cell as it was.
    void cancelDropDown();
    void cellClicked(int ACol, int ARow, int X);
    void rememberEditCell();
    void validateCell();
    void showMessage(const QString& text);
    bool withoutAlwaysShowEditor(const std::function<void()>& work);

    bool m_modified = false;
    bool m_hideRows = false;
    bool m_filtered = false;
    int m_hiddenRows = 0;
    bool m_multiSelect = false;
    QStringList m_userSettings;
    TAlignment m_alignmentHorz = taLeftJustify;
    TVertAlignment m_alignmentVert = taTopJustify;
    TCellBevelStyle m_bevelStyle = cbNone;
    bool m_proportionalScrollBars = false;
    bool m_extendedKeys = false;
    QMenu* m_popupMenu = nullptr;

    std::vector<int> m_selectedRows;
    std::vector<int> m_selectionOrder;
    TGridCoord m_downCell{-1, -1};
    QPoint m_dragStart{-1, -1};
    bool m_dragging = false;
    bool m_entered = false;
    bool m_follow = true;
    bool m_sorting = false;
    bool m_savedUpdateOnSizeChange = false;

    // The cell remembered for validation.
    int m_valCol = -1;
    int m_valRow = -1;
    QString m_valText;
    bool m_valModified = false;

    QListWidget* m_dropDown = nullptr;
    TGridCoord m_dropCell{-1, -1};
};
