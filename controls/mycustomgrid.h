#pragma once

#include "controls/gridaxis.h"
#include "controls/gridtypes.h"

#include <QAbstractScrollArea>
#include <functional>
#include <vector>

class QPainter;
class QTimer;
class TInplaceEdit;

// Owner-drawn cell grid: geometry, fixed rows and columns, scrolling, the
// current cell with its anchor, keyboard and mouse navigation, sizing and
// moving with the mouse, the in-place editor and the update bracket.
// Coordinates given to and returned by the grid are viewport coordinates.
// Operations that cannot be carried out throw EGridError and change nothing.
class TMyCustomGrid : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TMyCustomGrid(QWidget* parent = nullptr);
    ~TMyCustomGrid() override;

    // --- Size and layout -------------------------------------------------
    int ColCount() const { return m_cols.count(); }
    void SetColCount(int value);
    int RowCount() const { return m_rows.count(); }
    void SetRowCount(int value);
    int FixedCols() const { return m_cols.fixedCount(); }
    void SetFixedCols(int value);
    int FixedRows() const { return m_rows.fixedCount(); }
    void SetFixedRows(int value);
    int DefaultColWidth() const { return m_cols.defaultSize(); }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return m_rows.defaultSize(); }
    void SetDefaultRowHeight(int value);
    int GridLineWidth() const { return m_cols.lineWidth(); }
    void SetGridLineWidth(int value);
    // Width −1 hides a column (no cell, no line).
    int ColWidths(int col) const { return m_cols.size(col); }
    void SetColWidths(int col, int width);
    int RowHeights(int row) const { return m_rows.size(row); }
    void SetRowHeights(int row, int height);
    bool TabStops(int col) const;
    void SetTabStops(int col, bool value);
    // True when the column or row extents differ from the defaults.
    bool HasColWidths() const { return m_cols.hasSizes(); }
    bool HasRowHeights() const { return m_rows.hasSizes(); }

    // --- Look --------------------------------------------------------------
    TColor FixedColor() const { return m_fixedColor; }
    void SetFixedColor(TColor value);
    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor value);
    TGridFont GridFont() const { return TGridFont(font(), m_fontColor); }
    TGridOptions Options() const { return m_options; }
    virtual void SetOptions(TGridOptions value);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle value);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle value);
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void SetDefaultDrawing(bool value);
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool value);

    // --- Current cell, selection and view ------------------------------------
    int Col() const { return m_current.X; }
    void SetCol(int value);
    int Row() const { return m_current.Y; }
    void SetRow(int value);
    int LeftCol() const { return m_cols.first(); }
    void SetLeftCol(int value);
    int TopRow() const { return m_rows.first(); }
    void SetTopRow(int value);
    int VisibleColCount() const { return m_cols.visibleCount(viewWidth()); }
    int VisibleRowCount() const { return m_rows.visibleCount(viewHeight()); }
    TGridCoord Anchor() const { return m_anchor; }
    TGridRect Selection() const;
    void SetSelection(const TGridRect& value);
    // The one primitive that moves the current cell; indices outside
    // 0 … count − 1 raise "Grid index out of range".
    void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);

    // --- Geometry -----------------------------------------------------------
    // Empty when the cell is not visible.
    QRect CellRect(int ACol, int ARow) const;
    // −1 for a coordinate outside the cells.
    TGridCoord MouseToCell(int X, int Y) const;
    void MouseToCell(int X, int Y, int& ACol, int& ARow) const;

    void InvalidateCell(int ACol, int ARow);
    void InvalidateRow(int ARow);
    void InvalidateCol(int ACol);
    void InvalidateGrid();

    // --- Structure -------------------------------------------------------------
    virtual void DeleteRow(int ARow);
    virtual void DeleteColumn(int ACol);
    virtual void MoveRow(int FromIndex, int ToIndex);
    virtual void MoveColumn(int FromIndex, int ToIndex);

    // --- Update bracket (a flag, not a counter) ------------------------------------
    virtual void BeginUpdate();
    virtual void EndUpdate();
    bool NowUpdating() const { return m_nowUpdating; }

    // --- Editor --------------------------------------------------------------
    bool EditorMode() const { return m_editorMode; }
    void SetEditorMode(bool value);
    // nullptr until the grid first shows its editor.
    TInplaceEdit* InplaceEditor() const { return m_editor; }
    bool editorActive() const;

    TGridState gridState() const { return m_gridState; }

    // Events (the sender first, as all events of the grid family).
    std::function<void(TMyCustomGrid* Sender)> OnBeginUpdate;
    std::function<void(TMyCustomGrid* Sender)> OnClick;
    std::function<void(TMyCustomGrid* Sender)> OnDblClick;
    std::function<void(TMyCustomGrid* Sender)> OnEnter;
    std::function<void(TMyCustomGrid* Sender)> OnExit;

    // Called by the in-place editor for the keys it hands back.
    void editorKeyPress(QKeyEvent* event);

protected:
    // --- Hooks for descendants -----------------------------------------------
    // Draws one cell after the base filled it; the canvas brush and font are set.
    virtual void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState);
    virtual bool SelectCell(int ACol, int ARow);
    virtual void SizeChanged(int OldColCount, int OldRowCount);
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void RowMoved(int FromIndex, int ToIndex);
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void TopLeftChanged();
    virtual QString GetEditText(int ACol, int ARow);
    virtual QString GetEditMask(int ACol, int ARow);
    virtual void SetEditText(int ACol, int ARow, const QString& Value);
    virtual bool CanEditShow() const;
    // Lets the string grid drop the data of a removed row or column (which the
    // base has moved to the last index just before).
    virtual void DeleteRowData(int /*ARow*/) {}
    virtual void DeleteColumnData(int /*ACol*/) {}
    // The editor has just been loaded with the text of a cell.
    virtual void EditorShown() {}

    virtual void KeyDown(int Key, Qt::KeyboardModifiers Shift);
    virtual void KeyPress(QChar& Key);
    virtual void KeyUp(int Key, Qt::KeyboardModifiers Shift);
    virtual void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, bool DoubleClick,
                           int X, int Y);
    virtual void MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y);
    virtual void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    virtual bool DoMouseWheelDown();
    virtual bool DoMouseWheelUp();
    virtual void Click();
    virtual void DblClick();
    virtual void DoEnter();
    virtual void DoExit();
    virtual void Resize();

    // The painter, brush and font of the cell being drawn; valid inside DrawCell.
    QPainter& Canvas() { return *m_canvas; }
    TGridBrush& CanvasBrush() { return m_canvasBrush; }
    TGridFont& CanvasFont() { return m_canvasFont; }
    bool painting() const { return m_canvas != nullptr; }

    void ShowEditor();
    void HideEditor();
    // Re-reads the editor text from the cell when the editor shows it.
    void refreshEditorText(int ACol, int ARow);
    // Moves the current cell without asking the cell-selection rule again.
    void moveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show, bool askSelect);
    void moveAnchor(int ACol, int ARow);
    void clampInView(int ACol, int ARow);
    void updateScrollBars();
    // Geometry along the columns and the rows; the view lengths to go with them.
    const GridAxis& colAxis() const { return m_cols; }
    const GridAxis& rowAxis() const { return m_rows; }
    int viewWidth() const { return viewport()->width(); }
    int viewHeight() const { return viewport()->height(); }
    // The current cell and anchor pulled inside the grid, the view inside its limits.
    void clampState();

    // --- Qt events ---------------------------------------------------------------
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void changeSize(int newColCount, int newRowCount);
    void adjustSize(int oldColCount, int oldRowCount);
    void setCounts(int colCount, int rowCount);
    void scrollTo(GridAxis& axis, int first, int view);
    void selectionMoved(const TGridRect& oldSelection);
    void invalidateRect(const TGridRect& rect);
    void drawBlock(int firstCol, int lastCol, int firstRow, int lastRow, const QRect& clip);
    void drawOneCell(int col, int row, const QRect& rect);
    void scrollTimerTick();
    // Ends a selecting, sizing or moving drag that will get no button release.
    void cancelMouseMode();
    void onVerticalScroll(int value);
    void onHorizontalScroll(int value);
    void onScrollAction(int action);
    bool calcSizingState(int X, int Y);
    int nextTabStop(int from, int step, int& row) const;
    void updateEditorGeometry();

    // Count, fixed count, default size, sizes and first scrolled-in index
    // of the columns and of the rows.
    GridAxis m_cols{5, 1, 64};
    GridAxis m_rows{5, 1, 24};
    TColor m_fixedColor = clBtnFace;
    TColor m_color = clWindow;
    TColor m_fontColor = clWindowText;
    TGridOptions m_options = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    TScrollStyle m_scrollBars = ssBoth;
    TBorderStyle m_borderStyle = bsSingle;
    bool m_defaultDrawing = true;

    std::vector<int> m_tabStops;     // empty: every column is a tab stop

    TGridCoord m_current{1, 1};
    TGridCoord m_anchor{1, 1};

    TGridState m_gridState = gsNormal;
    int m_sizingIndex = -1;
    int m_sizingStart = 0;     // left or top edge of the column or row being sized
    int m_moveIndex = -1;
    int m_movePos = -1;
    QPoint m_lastMouse;
    QTimer* m_scrollTimer = nullptr;
    int m_wheelRemainder = 0;

    TInplaceEdit* ensureEditor();
    bool editorHasFocus() const;
    TInplaceEdit* m_editor = nullptr;
    TGridCoord m_editorCell{-1, -1};
    QString m_editorOriginal;
    bool m_editorMode = false;
    bool m_nowUpdating = false;
    bool m_cursorOverridden = false;
    bool m_syncingScrollBars = false;

    QPainter* m_canvas = nullptr;
    TGridBrush m_canvasBrush;
    TGridFont m_canvasFont;
};
