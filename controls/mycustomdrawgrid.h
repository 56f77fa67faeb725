#pragma once

#include "controls/mycustomgrid.h"

// The grid base with its cell events: every hook of the base that concerns a
// cell raises the matching event when one is assigned.
class TMyCustomDrawGrid : public TMyCustomGrid
{
    Q_OBJECT
public:
    explicit TMyCustomDrawGrid(QWidget* parent = nullptr);

    std::function<void(TMyCustomGrid* Sender, int ACol, int ARow, const QRect& Rect,
                       TGridDrawState State)> OnDrawCell;
    std::function<void(TMyCustomGrid* Sender, int ACol, int ARow, bool& CanSelect)> OnSelectCell;
    std::function<void(TMyCustomGrid* Sender, int ACol, int ARow, QString& Value)> OnGetEditMask;
    std::function<void(TMyCustomGrid* Sender, int ACol, int ARow, QString& Value)> OnGetEditText;
    std::function<void(TMyCustomGrid* Sender, int ACol, int ARow, const QString& Value)> OnSetEditText;
    std::function<void(TMyCustomGrid* Sender, int FromIndex, int ToIndex)> OnColumnMoved;
    std::function<void(TMyCustomGrid* Sender, int FromIndex, int ToIndex)> OnRowMoved;
    std::function<void(TMyCustomGrid* Sender)> OnTopLeftChanged;

protected:
    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    QString GetEditMask(int ACol, int ARow) override;
    QString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const QString& Value) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;
    void TopLeftChanged() override;
};
