// Painting of the grid base: grid lines, the four blocks of cells, the
// default cell look and the focus rectangle.
#include "controls/mycustomgrid.h"

#include "controls/inplaceedit.h"

#include <QPaintEvent>
#include <QPainter>

// ---------------------------------------------------------------------------
// Painting

void TMyCustomGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    m_canvas = &painter;
    const QRect clip = event->rect();
    painter.fillRect(clip, gridColor(m_color));
    // Only the rows and columns inside the viewport are walked, so a long
    // grid costs no more to paint than a short one.
    const int lastCol = m_cols.lastVisible(viewWidth());
    const int lastRow = m_rows.lastVisible(viewHeight());
    drawBlock(0, FixedCols() - 1, 0, FixedRows() - 1, clip);
    drawBlock(LeftCol(), lastCol, 0, FixedRows() - 1, clip);
    drawBlock(0, FixedCols() - 1, TopRow(), lastRow, clip);
    drawBlock(LeftCol(), lastCol, TopRow(), lastRow, clip);
    m_canvas = nullptr;
}

void TMyCustomGrid::drawBlock(int firstCol, int lastCol, int firstRow, int lastRow, const QRect& clip)
{
    for (int r = firstRow; r <= lastRow; ++r) {
        const int y = m_rows.position(r, viewHeight());
        if (y < 0 || RowHeights(r) < 0)
            continue;
        if (y > clip.bottom() || y + m_rows.extent(r) <= clip.top())
            continue;
        for (int c = firstCol; c <= lastCol; ++c) {
            const int x = m_cols.position(c, viewWidth());
            if (x < 0 || ColWidths(c) < 0)
                continue;
            if (x > clip.right() || x + m_cols.extent(c) <= clip.left())
                continue;
            drawOneCell(c, r, QRect(x, y, ColWidths(c), RowHeights(r)));
        }
    }
}

void TMyCustomGrid::drawOneCell(int col, int row, const QRect& rect)
{
    QPainter& p = *m_canvas;
    const bool fixed = col < FixedCols() || row < FixedRows();
    TGridDrawState state;
    if (fixed)
        state |= gdFixed;
    const bool focusedCell = col == m_current.X && row == m_current.Y
                             && (hasFocus() || editorHasFocus());
    if (focusedCell)
        state |= gdFocused;
    if (!fixed && Selection().containsCell(col, row))
        state |= gdSelected;

    // Grid lines of this cell: right and bottom edges.
    const int lw = GridLineWidth();
    if (lw > 0) {
        const bool vert = fixed ? bool(m_options & goFixedVertLine) : bool(m_options & goVertLine);
        const bool horz = fixed ? bool(m_options & goFixedHorzLine) : bool(m_options & goHorzLine);
        const QColor line = fixed ? QColor(Qt::black)
                                  : (m_color == clSilver ? gridColor(clGray) : gridColor(clSilver));
        if (vert)
            p.fillRect(QRect(rect.x() + rect.width(), rect.y(), lw, rect.height() + lw), line);
        if (horz)
            p.fillRect(QRect(rect.x(), rect.y() + rect.height(), rect.width() + lw, lw), line);
    }

    if (m_defaultDrawing) {
        m_canvasFont = TGridFont(font(), m_fontColor);
        if ((state & gdSelected)
            && (!(state & gdFocused) || (m_options & (goDrawFocusSelected | goRowSelect)))) {
            m_canvasBrush.Color = clHighlight;
            m_canvasFont.Color = clHighlightText;
        } else {
            m_canvasBrush.Color = fixed ? m_fixedColor : m_color;
        }
        p.fillRect(rect, gridColor(m_canvasBrush.Color));
    }
    p.save();
    DrawCell(col, row, rect, state);
    p.restore();
    if (fixed && m_defaultDrawing) {
        // Raised 3-D edge: light top and left, shadow bottom and right.
        p.setPen(gridColor(clBtnHighlight));
        p.drawLine(rect.left(), rect.top(), rect.right() - 1, rect.top());
        p.drawLine(rect.left(), rect.top(), rect.left(), rect.bottom() - 1);
        p.setPen(gridColor(clBtnShadow));
        p.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
        p.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
    }
    if (focusedCell && !(m_options & goRowSelect)
        && !((m_options & goEditing) && (m_options & goAlwaysShowEditor))) {
        QPen pen(Qt::black, 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}
