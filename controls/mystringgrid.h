#pragma once

#include "controls/mydrawgrid.h"
#include "controls/mystringgridstrings.h"
#include "controls/sparselist.h"
#include "controls/stringsparselist.h"

#include <memory>
#include <vector>

// A draw grid that keeps a text and an object reference per cell in sparse
// storage: a cell never written costs nothing and reads as the empty text.
// Data beyond the current counts is kept, so growing the grid again brings it back.
class TMyStringGrid : public TMyDrawGrid
{
    Q_OBJECT
public:
    explicit TMyStringGrid(QWidget* parent = nullptr);
    ~TMyStringGrid() override;

    QString Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const QString& Value);
    QObject* Objects(int ACol, int ARow) const;
    void SetObjects(int ACol, int ARow, QObject* Value);
    // Views of one row or column, created on first use and kept.
    TMyStringGridStrings& Rows(int ARow);
    TMyStringGridStrings& Cols(int ACol);

    // While open, writing a cell only marks it; the close repaints once.
    void beginStringUpdate() { ++m_stringUpdate; }
    void endStringUpdate();

    // Counts every change of the stored texts and of their places (cells,
    // moved, sorted, deleted rows). Equal counts mean equal contents, so a
    // reader may keep a copy for as long as the count stays the same.
    quint64 contentGeneration() const { return m_generation; }

    // Section size of the per-row list (16 or 256 slots), fixed at creation.
    int rowSectionSize() const { return m_data.sectionSize(); }

protected:
    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override;
    QString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const QString& Value) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;
    void DeleteRowData(int ARow) override;
    void DeleteColumnData(int ACol) override;

    // Reorders the data rows: new row first + i gets the data of old row
    // order[i]. Used by sorting and filtering, which move whole rows at once.
    void permuteRows(int first, const std::vector<int>& order);
    TStringSparseList* rowData(int ARow) const { return m_data.get(ARow); }
    // Drops the stored data of a row, also of a row beyond the count.
    void clearRowData(int ARow);

private:
    TStringSparseList& ensureRow(int ARow);
    void cellChanged(int ACol, int ARow);

    TSparseList<TStringSparseList> m_data;
    quint64 m_generation = 0;
    TSparseList<TMyStringGridStrings> m_rowViews;
    TSparseList<TMyStringGridStrings> m_colViews;
    int m_stringUpdate = 0;
};
