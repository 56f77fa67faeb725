#include "controls/griderror.h"
#include "controls/inplaceedit.h"
#include "controls/mystringgrid.h"
#include "support/testnames.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

class StringGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        grid.resize(400, 300);
        grid.show();
    }
    static QString errorOf(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const EGridError& e) {
            return e.message();
        }
        return QString();
    }
    TMyStringGrid grid;
};

TEST_F(StringGridTest, DefaultsOfTheBase)
{
    EXPECT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.FixedCols(), 1);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(grid.DefaultColWidth(), 64);
    EXPECT_EQ(grid.DefaultRowHeight(), 24);
    EXPECT_EQ(grid.Options(), goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect);
    EXPECT_EQ(grid.rowSectionSize(), 16);
    EXPECT_FALSE(grid.HasColWidths());
}

TEST_F(StringGridTest, CellsReadEmptyUntilWrittenAndFreeOnEmpty)
{
    EXPECT_EQ(grid.Cells(3, 3), QString());
    grid.SetCells(3, 3, QStringLiteral("x"));
    EXPECT_EQ(grid.Cells(3, 3), QStringLiteral("x"));
    EXPECT_EQ(grid.Rows(3).Count(), 5);
    grid.SetCells(3, 3, QString());
    EXPECT_EQ(grid.Cells(3, 3), QString());
    EXPECT_EQ(errorOf([&] { grid.SetCells(-2, 1, "x"); }), QStringLiteral("List index out of bounds (-2)"));
}

TEST_F(StringGridTest, RowAndColumnViews)
{
    grid.SetCells(0, 2, QStringLiteral("a"));
    grid.SetCells(1, 2, QStringLiteral("b"));
    EXPECT_EQ(grid.Rows(2).Add(QString()), 2);
    EXPECT_EQ(grid.Cells(2, 2), QStringLiteral(" "));
    EXPECT_EQ(grid.Rows(2).Add(QStringLiteral("d")), 3);
    EXPECT_EQ(grid.Rows(2).Add(QStringLiteral("e")), 4);
    EXPECT_EQ(grid.Rows(2).Add(QStringLiteral("f")), -1);
    EXPECT_EQ(&grid.Rows(2), &grid.Rows(2)) << "a view is created once and kept";
    EXPECT_EQ(grid.Cols(1).Strings(2), QStringLiteral("b"));
    EXPECT_EQ(grid.Cols(1).Count(), 5);
    grid.Cols(1).Assign(QStringList{"h", "i"});
    EXPECT_EQ(grid.Cells(1, 0), QStringLiteral("h"));
    EXPECT_EQ(grid.Cells(1, 1), QStringLiteral("i"));
    EXPECT_EQ(grid.Cells(1, 2), QStringLiteral("b")) << "assign stops at the shorter list";
    grid.Rows(4).Assign(grid.Rows(2));
    EXPECT_EQ(grid.Rows(4).toStringList(), grid.Rows(2).toStringList());
    grid.Rows(2).Clear();
    EXPECT_EQ(grid.Rows(2).toStringList(), QStringList(5, QString()));
    EXPECT_EQ(errorOf([&] { grid.Rows(1).Insert(0, "x"); }), QStringLiteral("Cannot insert or delete rows from grid"));
    EXPECT_EQ(errorOf([&] { grid.Cols(1).Delete(0); }), QStringLiteral("Cannot insert or delete rows from grid"));
}

struct CountCase {
    int set;
    int expectedCount;
    int expectedFixed;
};

void PrintTo(const CountCase& c, std::ostream* os)
{
    *os << "row count " << c.set;
}

class RowCountTest : public StringGridTest, public ::testing::WithParamInterface<CountCase>
{
};

TEST_P(RowCountTest, CountsBelowOneBecomeOneAndFixedRowsShrink)
{
    grid.SetRowCount(GetParam().set);
    EXPECT_EQ(grid.RowCount(), GetParam().expectedCount);
    EXPECT_EQ(grid.FixedRows(), GetParam().expectedFixed);
    EXPECT_LT(grid.Row(), grid.RowCount());
}

INSTANTIATE_TEST_SUITE_P(Counts, RowCountTest,
                         ::testing::Values(CountCase{0, 1, 0}, CountCase{1, 1, 0}, CountCase{2, 2, 1},
                                           CountCase{-5, 1, 0}, CountCase{1000, 1000, 1}),
                         testnames::caseNames([](const CountCase& c) { return "Set " + std::to_string(c.set); }));

TEST_F(StringGridTest, ErrorTextsOfTheBase)
{
    EXPECT_EQ(errorOf([&] { grid.SetFixedCols(5); }), QStringLiteral("Fixed column count must be less than column count"));
    EXPECT_EQ(errorOf([&] { grid.SetFixedRows(7); }), QStringLiteral("Fixed row count must be less than row count"));
    EXPECT_EQ(errorOf([&] { grid.SetFixedRows(-1); }), QStringLiteral("Grid index out of range"));
    EXPECT_EQ(errorOf([&] { grid.MoveColRow(5, 1, true, true); }), QStringLiteral("Grid index out of range"));
    EXPECT_EQ(errorOf([&] { grid.SetRowCount(200000000); }), QStringLiteral("Grid too large for operation"));
    EXPECT_EQ(grid.RowCount(), 5) << "a failed change leaves the grid as it was";
    EXPECT_EQ(errorOf([&] { grid.DeleteRow(9); }), QStringLiteral("Grid index out of range"));
}

TEST_F(StringGridTest, BracketDefersSizeWorkAndFreezesTheGrid)
{
    bool began = false;
    grid.OnBeginUpdate = [&began](TMyCustomGrid*) { began = true; };
    grid.BeginUpdate();
    EXPECT_TRUE(began);
    EXPECT_TRUE(grid.NowUpdating());
    EXPECT_FALSE(grid.isEnabled());
    EXPECT_FALSE(grid.updatesEnabled());
    grid.SetRowCount(50);
    EXPECT_EQ(grid.RowCount(), 50);
    EXPECT_EQ(grid.RowHeights(49), 24) << "heights are readable at once";
    grid.EndUpdate();
    EXPECT_FALSE(grid.NowUpdating());
    EXPECT_TRUE(grid.isEnabled());
    EXPECT_TRUE(grid.updatesEnabled());
}

TEST_F(StringGridTest, ExtentsAreCreatedOnFirstChangeAndFollowMoves)
{
    grid.SetColWidths(2, 64);
    EXPECT_FALSE(grid.HasColWidths()) << "writing the default creates nothing";
    grid.SetColWidths(2, 100);
    EXPECT_TRUE(grid.HasColWidths());
    grid.SetCells(2, 1, QStringLiteral("x"));
    grid.MoveColumn(2, 4);
    EXPECT_EQ(grid.ColWidths(4), 100);
    EXPECT_EQ(grid.Cells(4, 1), QStringLiteral("x"));
    grid.DeleteColumn(4);
    EXPECT_EQ(grid.ColCount(), 4);
    EXPECT_EQ(grid.Cells(4, 1), QString());
}

TEST_F(StringGridTest, GeometryAndHitTesting)
{
    const QRect r = grid.CellRect(1, 1);
    EXPECT_EQ(r, QRect(65, 25, 64, 24));
    const TGridCoord c = grid.MouseToCell(r.center().x(), r.center().y());
    EXPECT_EQ(c, (TGridCoord{1, 1}));
    EXPECT_EQ(grid.MouseToCell(-1, 5).X, -1);
    EXPECT_EQ(grid.MouseToCell(5, 2000).Y, -1);
    grid.SetColWidths(1, -1);
    EXPECT_TRUE(grid.CellRect(1, 1).isEmpty()) << "a hidden column has no cell";
}

TEST_F(StringGridTest, KeyboardMovesTheCurrentCellInsideTheScrollableRange)
{
    grid.SetRowCount(50);
    grid.SetColCount(20);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 2);
    QTest::keyClick(&grid, Qt::Key_Up);
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(grid.Row(), 1) << "the fixed row is never entered";
    QTest::keyClick(&grid, Qt::Key_End);
    EXPECT_EQ(grid.Col(), 19);
    EXPECT_GT(grid.LeftCol(), 1) << "the view follows the current cell";
    QTest::keyClick(&grid, Qt::Key_Home);
    EXPECT_EQ(grid.Col(), 1);
    QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.Row(), 49);
    EXPECT_EQ(grid.TopRow() + grid.VisibleRowCount() - 1, 49);
    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ((TGridCoord{grid.Col(), grid.Row()}), (TGridCoord{1, 1}));
    // Shift extends the selection from the anchor.
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&grid, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(grid.Selection(), (TGridRect{1, 1, 2, 2}));
}

TEST_F(StringGridTest, MouseSelectsAndDragsARange)
{
    const QPoint a = grid.CellRect(1, 1).center();
    const QPoint b = grid.CellRect(3, 2).center();
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, a);
    QMouseEvent move(QEvent::MouseMove, b, grid.viewport()->mapToGlobal(b), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(grid.viewport(), &move);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, b);
    EXPECT_EQ(grid.Selection(), (TGridRect{1, 1, 3, 2}));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, grid.CellRect(2, 3).center());
    EXPECT_EQ(grid.Selection(), (TGridRect{1, 1, 2, 3}));
}

TEST_F(StringGridTest, EditorWritesTheCellAndEnterClosesIt)
{
    grid.SetOptions(grid.Options() | goEditing);
    grid.SetCells(1, 1, QStringLiteral("alt"));
    QTest::keyClick(&grid, Qt::Key_X);
    ASSERT_TRUE(grid.editorActive());
    EXPECT_EQ(grid.Cells(1, 1), QStringLiteral("x")) << "a typed letter replaces the text";
    QWidget* editor = grid.InplaceEditor();
    QTest::keyClicks(editor, QStringLiteral("yz"));
    EXPECT_EQ(grid.Cells(1, 1), QStringLiteral("xyz"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(grid.Cells(1, 1), QStringLiteral("alt")) << "Escape restores the text";
    EXPECT_FALSE(grid.editorActive());
}

}  // namespace
