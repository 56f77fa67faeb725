#include "controls/sortgrid.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// Paints the grid offscreen and checks what a user would see.
class SortGridPaintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        grid.MessageHook = [](const QString&) {};
        grid.resize(400, 200);
        grid.SetColCount(4);
        grid.SetRowCount(6);
        grid.SetDefaultRowHeight(19);
        for (int r = 1; r < 6; ++r)
            for (int c = 0; c < 4; ++c)
                grid.SetCells(c, r, QStringLiteral("%1").arg(r * 10 + c));
        grid.show();
    }

    QImage shot() { return grid.viewport()->grab().toImage(); }

    // Number of pixels in the rectangle whose colour differs from the given one.
    static int pixelsOtherThan(const QImage& image, const QRect& rect, const QColor& color)
    {
        int n = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                if (image.pixelColor(x, y).rgb() != color.rgb())
                    ++n;
        return n;
    }

    QRect arrowArea(int col) const
    {
        const QRect r = grid.CellRect(col, 0);
        return QRect(r.left() + 3, grid.RowHeights(0) / 2 - 4, 8, 7);
    }

    TSortGrid grid;
};

TEST_F(SortGridPaintTest, HeaderArrowOnlyWhileSortingIsAllowed)
{
    grid.SortOptions.SortCol = 2;
    grid.SetCells(2, 0, QString());  // no header text over the arrow's place
    const QColor face = gridColor(grid.FixedColor());
    grid.SortOptions.CanSort = true;
    EXPECT_GT(pixelsOtherThan(shot(), arrowArea(2), face), 4);
    EXPECT_EQ(pixelsOtherThan(shot(), arrowArea(1), face), 0) << "no arrow in other columns";
    grid.SortOptions.CanSort = false;
    EXPECT_EQ(pixelsOtherThan(shot(), arrowArea(2), face), 0);
}

TEST_F(SortGridPaintTest, ArrowTurnsWithTheDirection)
{
    grid.SortOptions.SortCol = 1;
    grid.SetCells(1, 0, QString());
    const QImage up = shot().copy(arrowArea(1));
    grid.SortOptions.SortDirection = sdDescending;
    const QImage down = shot().copy(arrowArea(1));
    EXPECT_NE(up, down);
}

TEST_F(SortGridPaintTest, CellFormatColoursTheCell)
{
    const TColor green = rgbColor(216, 255, 216);
    grid.OnGetCellFormat = [green](TSortGrid* g, int col, int row, TGridDrawState, TFormatOptions& f, bool&,
                                   bool&, bool&) {
        if (row > 0 && row != g->Row() && col == 2)
            f.Brush.Color = green;
    };
    grid.SetOptions(grid.Options() | goRowSelect);
    grid.GoToCell(1, 1, false);
    const QImage image = shot();
    const QRect cell = grid.CellRect(2, 3);
    EXPECT_EQ(image.pixelColor(cell.right() - 1, cell.bottom() - 1).rgb(), gridColor(green).rgb());
    const QRect current = grid.CellRect(2, 1);
    EXPECT_EQ(image.pixelColor(current.right() - 1, current.bottom() - 1).rgb(),
              gridColor(clHighlight).rgb())
        << "the current row keeps the highlight the base gave it";
    const QRect other = grid.CellRect(3, 3);
    EXPECT_EQ(image.pixelColor(other.right() - 1, other.bottom() - 1).rgb(), gridColor(grid.Color()).rgb());
}

TEST_F(SortGridPaintTest, TextFollowsTheAlignment)
{
    grid.SetCells(1, 2, QStringLiteral("W"));
    const QRect cell = grid.CellRect(1, 2);
    const QColor white = gridColor(grid.Color());
    grid.SetAlignmentHorz(taLeftJustify);
    QImage image = shot();
    const QRect leftHalf(cell.left(), cell.top(), cell.width() / 2, cell.height());
    const QRect rightHalf(cell.left() + cell.width() / 2, cell.top(), cell.width() / 2, cell.height());
    EXPECT_GT(pixelsOtherThan(image, leftHalf, white), 0);
    EXPECT_EQ(pixelsOtherThan(image, rightHalf, white), 0);
    grid.SetAlignmentHorz(taRightJustify);
    image = shot();
    EXPECT_EQ(pixelsOtherThan(image, leftHalf, white), 0);
    EXPECT_GT(pixelsOtherThan(image, rightHalf, white), 0);
}

TEST_F(SortGridPaintTest, HiddenRowsAreBlankBands)
{
    grid.SetHideRows(true);
    EXPECT_TRUE(grid.HideRows());
    const QImage image = shot();
    const QRect row2 = grid.CellRect(0, 2);
    const QRect band(0, row2.top(), grid.viewport()->width(), row2.height());
    const QColor white = gridColor(grid.Color());
    EXPECT_EQ(pixelsOtherThan(image, band, white), 0);
    const QRect header = grid.CellRect(0, 0);
    EXPECT_GT(pixelsOtherThan(image, header, gridColor(grid.FixedColor())), 0) << "the header stays";
}

TEST_F(SortGridPaintTest, CheckBoxCellShowsAGlyphInsteadOfText)
{
    grid.SetCells(1, 2, QStringLiteral("1"));
    grid.SetCells(1, 3, QString());
    grid.OnGetCellFormat = [](TSortGrid*, int col, int row, TGridDrawState, TFormatOptions&, bool& check,
                              bool&, bool&) { check = col == 1 && row > 0; };
    const QImage image = shot();
    const QRect on = grid.CellRect(1, 2);
    const QRect off = grid.CellRect(1, 3);
    const QImage tick = image.copy(on.adjusted(0, 2, 0, -2));
    const QImage empty = image.copy(off.adjusted(0, 2, 0, -2));
    EXPECT_NE(tick, empty);
    EXPECT_GT(pixelsOtherThan(image, off, gridColor(grid.Color())), 0) << "an empty box is drawn";
}

TEST_F(SortGridPaintTest, MultiSelectHighlightsEverySelectedRow)
{
    grid.SetMultiSelect(true);
    grid.GoToCell(1, 1, false);
    grid.SetOptions(grid.Options() | goRangeSelect);
    grid.SetOptions(grid.Options() & ~TGridOptions(goRangeSelect));
    const QImage image = shot();
    const QRect selected = grid.CellRect(3, 1);
    const QRect other = grid.CellRect(3, 4);
    EXPECT_EQ(image.pixelColor(selected.right() - 1, selected.top() + 1).rgb(), gridColor(clHighlight).rgb());
    EXPECT_EQ(image.pixelColor(other.right() - 1, other.top() + 1).rgb(), gridColor(grid.Color()).rgb());
}

TEST_F(SortGridPaintTest, PaintingTouchesOnlyVisibleCells)
{
    grid.SetRowCount(10000);
    int drawn = 0;
    grid.OnDrawCell = [&drawn](TMyCustomGrid*, int, int, const QRect&, TGridDrawState) { ++drawn; };
    grid.SetTopRow(5000);
    drawn = 0;
    (void)grid.viewport()->grab();
    const int visibleRows = grid.VisibleRowCount() + 2;  // header and a partly visible row
    EXPECT_GT(drawn, 0);
    EXPECT_LE(drawn, visibleRows * grid.ColCount());
}

}  // namespace
