// Cell drawing of the sortable grid: the format event, highlighting,
// header text and sort arrow, check boxes, button glyphs and the bevel.
#include "controls/sortgrid.h"

#include "controls/gridglyphs.h"

#include <QPainter>
#include <algorithm>

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
