#pragma once

#include <QLineEdit>

class TMyCustomGrid;

// The in-place editor of the grid base: a line edit (with the cell's edit
// mask) laid over the current cell. Keys that navigate the grid are handed
// back to the grid, so editing never traps the cursor in one cell.
class TInplaceEdit : public QLineEdit
{
    Q_OBJECT
public:
    TInplaceEdit(TMyCustomGrid* grid, QWidget* parent);

    TMyCustomGrid* grid() const { return m_grid; }
    // Time of the last click into the editor, in milliseconds since the epoch.
    qint64 clickTime() const { return m_clickTime; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TMyCustomGrid* m_grid;
    qint64 m_clickTime = 0;
};
