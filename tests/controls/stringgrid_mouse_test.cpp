#include "controls/mystringgrid.h"

#include "support/fakes.h"
#include "support/testnames.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The base grid driven by the mouse: moving rows and columns by their fixed
// cells, and the view following a selection dragged beyond the cells.
class StringGridMouseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        grid.resize(400, 300);
        grid.show();
        for (int r = 0; r < grid.RowCount(); ++r)
            for (int c = 0; c < grid.ColCount(); ++c)
                grid.SetCells(c, r, QStringLiteral("%1/%2").arg(c).arg(r));
    }

    QWidget* view() { return grid.viewport(); }
    QPoint center(int col, int row) const { return grid.CellRect(col, row).center(); }

    // A move with the left button held, as the window system reports a drag.
    void dragTo(const QPoint& pos)
    {
        QMouseEvent move(QEvent::MouseMove, pos, view()->mapToGlobal(pos), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(view(), &move);
    }

    void drag(const QPoint& from, const QPoint& to)
    {
        QTest::mousePress(view(), Qt::LeftButton, {}, from);
        dragTo(to);
        QTest::mouseRelease(view(), Qt::LeftButton, {}, to);
    }

    QStringList column(int col)
    {
        QStringList texts;
        for (int r = 0; r < grid.RowCount(); ++r)
            texts << grid.Cells(col, r);
        return texts;
    }
    QStringList row(int r)
    {
        QStringList texts;
        for (int c = 0; c < grid.ColCount(); ++c)
            texts << grid.Cells(c, r);
        return texts;
    }

    TMyStringGrid grid;
};

// --- Moving columns and rows --------------------------------------------------------

struct MoveCase {
    const char* name;
    int from;
    int to;
};

void PrintTo(const MoveCase& c, std::ostream* os)
{
    *os << c.name << ", " << c.from << " to " << c.to;
}

class ColumnMoveTest : public StringGridMouseTest, public ::testing::WithParamInterface<MoveCase>
{
};

TEST_P(ColumnMoveTest, DraggingAHeaderMovesTheColumnWithItsData)
{
    const MoveCase m = GetParam();
    grid.SetOptions(grid.Options() | goColMoving);
    grid.SetColWidths(m.from, 50);  // the width travels with the column
    const QStringList moved = column(m.from);
    std::vector<std::pair<int, int>> events;
    grid.OnColumnMoved = [&events](TMyCustomGrid*, int from, int to) { events.emplace_back(from, to); };

    drag(center(m.from, 0), center(m.to, 0));

    EXPECT_EQ(column(m.to), moved) << m.name;
    EXPECT_EQ(grid.ColWidths(m.to), 50) << m.name;
    EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{m.from, m.to}})) << m.name;
    // The columns in between close up by one place towards the old position.
    const int step = m.from < m.to ? 1 : -1;
    for (int c = m.from; c != m.to; c += step)
        EXPECT_EQ(grid.Cells(c, 1), QStringLiteral("%1/1").arg(c + step)) << m.name << " column " << c;
    EXPECT_EQ(grid.Cells(0, 1), QStringLiteral("0/1")) << "the fixed column stays";
}

INSTANTIATE_TEST_SUITE_P(Moves, ColumnMoveTest,
                         ::testing::Values(MoveCase{"right", 1, 3}, MoveCase{"left", 4, 2},
                                           MoveCase{"neighbour", 2, 3}),
                         testnames::caseNames([](const MoveCase& c) { return c.name; }));

class RowMoveTest : public StringGridMouseTest, public ::testing::WithParamInterface<MoveCase>
{
};

TEST_P(RowMoveTest, DraggingAFixedCellMovesTheRowWithItsData)
{
    const MoveCase m = GetParam();
    grid.SetOptions(grid.Options() | goRowMoving);
    const QStringList moved = row(m.from);
    std::vector<std::pair<int, int>> events;
    grid.OnRowMoved = [&events](TMyCustomGrid*, int from, int to) { events.emplace_back(from, to); };

    drag(center(0, m.from), center(0, m.to));

    EXPECT_EQ(row(m.to), moved) << m.name;
    EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{m.from, m.to}})) << m.name;
    const int step = m.from < m.to ? 1 : -1;
    for (int r = m.from; r != m.to; r += step)
        EXPECT_EQ(grid.Cells(1, r), QStringLiteral("1/%1").arg(r + step)) << m.name << " row " << r;
    EXPECT_EQ(grid.Cells(1, 0), QStringLiteral("1/0")) << "the header row stays";
}

INSTANTIATE_TEST_SUITE_P(Moves, RowMoveTest,
                         ::testing::Values(MoveCase{"down", 1, 4}, MoveCase{"up", 3, 1}),
                         testnames::caseNames([](const MoveCase& c) { return c.name; }));

TEST_F(StringGridMouseTest, MovingNeedsItsOptionAndAPressOnAFixedCell)
{
    const QStringList before = column(1);
    drag(center(1, 0), center(3, 0));  // no goColMoving
    EXPECT_EQ(column(1), before);

    grid.SetOptions(grid.Options() | goColMoving | goRowMoving);
    drag(center(1, 1), center(3, 1));  // a scrollable cell selects instead
    EXPECT_EQ(column(1), before);
    EXPECT_EQ(grid.Selection(), (TGridRect{1, 1, 3, 1}));

    // A press and release on the same header moves nothing.
    int events = 0;
    grid.OnColumnMoved = [&events](TMyCustomGrid*, int, int) { ++events; };
    QTest::mouseClick(view(), Qt::LeftButton, {}, center(2, 0));
    EXPECT_EQ(events, 0);
}

TEST_F(StringGridMouseTest, CurrentCellFollowsAMovedRow)
{
    grid.SetOptions(grid.Options() | goRowMoving);
    grid.SetRow(2);
    drag(center(0, 2), center(0, 4));
    EXPECT_EQ(grid.Row(), 4) << "the current cell stays on its data";
    EXPECT_EQ(grid.Cells(grid.Col(), grid.Row()), QStringLiteral("1/2"));
}

// --- Auto-scroll while selecting ------------------------------------------------------

class AutoScrollTest : public StringGridMouseTest
{
protected:
    void SetUp() override
    {
        StringGridMouseTest::SetUp();
        grid.SetRowCount(60);
        grid.SetColCount(30);
    }
    // Lets the grid's own scroll timer run for a few of its 60 ms ticks.
    void letTimerRun(int ms) { QTest::qWait(ms); }
};

TEST_F(AutoScrollTest, HoldingBelowTheCellsScrollsDownAndGrowsTheSelection)
{
    ASSERT_EQ(grid.TopRow(), 1);
    const int lastVisible = grid.TopRow() + grid.VisibleRowCount() - 1;
    QTest::mousePress(view(), Qt::LeftButton, {}, center(1, 1));
    const QPoint below(center(1, 1).x(), view()->height() + 20);
    dragTo(below);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.TopRow() >= 3; }, 1000));
    const int bottom = grid.Selection().Bottom;
    EXPECT_GT(bottom, lastVisible) << "the selection follows the view";
    EXPECT_EQ(bottom, grid.TopRow() + grid.VisibleRowCount() - 1) << "down to the last visible row";
    EXPECT_EQ(grid.Selection().Top, 1) << "the anchor row where the drag began stays";
    EXPECT_EQ(grid.Row(), 1);

    QTest::mouseRelease(view(), Qt::LeftButton, {}, below);
    const int top = grid.TopRow();
    letTimerRun(150);
    EXPECT_EQ(grid.TopRow(), top) << "releasing the button stops the scrolling";
}

TEST_F(AutoScrollTest, HoldingRightOfTheCellsScrollsTheColumns)
{
    QTest::mousePress(view(), Qt::LeftButton, {}, center(2, 2));
    dragTo(QPoint(view()->width() + 20, center(2, 2).y()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.LeftCol() >= 3; }, 1000));
    EXPECT_EQ(grid.Selection().Right, grid.LeftCol() + grid.VisibleColCount() - 1);
    EXPECT_EQ(grid.Selection().Left, 2);
    EXPECT_EQ(grid.Selection().Top, 2);
    EXPECT_EQ(grid.Selection().Bottom, 2);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, QPoint(view()->width() + 20, center(2, 2).y()));
}

TEST_F(AutoScrollTest, HoldingOverTheHeaderScrollsBackUp)
{
    grid.SetTopRow(20);
    grid.SetRow(22);
    ASSERT_EQ(grid.TopRow(), 20);
    QTest::mousePress(view(), Qt::LeftButton, {}, center(1, 22));
    dragTo(QPoint(center(1, 22).x(), 2));  // over the fixed header row
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.TopRow() <= 18; }, 1000));
    EXPECT_EQ(grid.Selection().Top, grid.TopRow()) << "the selection reaches the first visible row";
    EXPECT_EQ(grid.Selection().Bottom, 22);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, QPoint(center(1, 22).x(), 2));
}

TEST_F(AutoScrollTest, WithoutRangeSelectTheCurrentCellTravels)
{
    grid.SetOptions(grid.Options() & ~TGridOptions(goRangeSelect));
    QTest::mousePress(view(), Qt::LeftButton, {}, center(1, 1));
    const QPoint below(center(1, 1).x(), view()->height() + 20);
    dragTo(below);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.TopRow() >= 3; }, 1000));
    EXPECT_EQ(grid.Row(), grid.TopRow() + grid.VisibleRowCount() - 1);
    EXPECT_EQ(grid.Selection().Top, grid.Selection().Bottom) << "one cell, no range";
    QTest::mouseRelease(view(), Qt::LeftButton, {}, below);
}

TEST_F(AutoScrollTest, StopsAtTheLastRow)
{
    grid.SetTopRow(grid.RowCount() - grid.VisibleRowCount() - 1);
    const int start = grid.TopRow() + 1;
    QTest::mousePress(view(), Qt::LeftButton, {}, center(1, start));
    const QPoint below(center(1, start).x(), view()->height() + 20);
    dragTo(below);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.Selection().Bottom == grid.RowCount() - 1; }, 1000));
    letTimerRun(130);
    EXPECT_EQ(grid.Selection().Bottom, grid.RowCount() - 1);
    EXPECT_EQ(grid.TopRow() + grid.VisibleRowCount(), grid.RowCount()) << "never past the end";
    QTest::mouseRelease(view(), Qt::LeftButton, {}, below);
}

// A dialog or another window taking the focus swallows the button release;
// the grid must not go on scrolling behind it.
TEST(StringGridFocusTest, LosingTheFocusEndsTheDrag)
{
    QWidget form;
    form.resize(420, 340);
    auto* grid = new TMyStringGrid(&form);
    grid->setGeometry(0, 0, 400, 300);
    grid->SetRowCount(60);
    auto* other = new QLineEdit(&form);
    other->setGeometry(0, 310, 100, 25);
    ASSERT_TRUE(showActive(&form));
    grid->setFocus();
    ASSERT_TRUE(grid->hasFocus());

    QWidget* view = grid->viewport();
    const QPoint start = grid->CellRect(1, 1).center();
    QTest::mousePress(view, Qt::LeftButton, {}, start);
    const QPoint below(start.x(), view->height() + 20);
    QMouseEvent move(QEvent::MouseMove, below, view->mapToGlobal(below), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(view, &move);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid->TopRow() >= 2; }, 1000));

    other->setFocus();
    ASSERT_TRUE(other->hasFocus());
    const int top = grid->TopRow();
    QTest::qWait(150);
    EXPECT_EQ(grid->TopRow(), top) << "the view stands still once the grid lost the focus";
    EXPECT_EQ(grid->gridState(), gsNormal);
}

}  // namespace
