#include "controls/sortgrid.h"

#include "support/fakes.h"
#include "support/testnames.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A result-table-like grid on a form, so the drop-down list has a window to
// live in and focus moves the way it does in the program.
class SortGridMouseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form->resize(420, 300);
        grid = new TSortGrid(form.get());
        grid->setObjectName(QStringLiteral("SortGrid1"));
        grid->setGeometry(10, 30, 390, 250);
        grid->MessageHook = [](const QString&) {};
        grid->SetColCount(8);
        grid->SetRowCount(6);
        for (int c = 0; c < grid->ColCount(); ++c)
            grid->SetCells(c, 0, QStringLiteral("H%1").arg(c));
        for (int r = 1; r < grid->RowCount(); ++r)
            grid->SetCells(0, r, QString(QChar('a' + r - 1)));
        ASSERT_TRUE(showActive(form.get()));
        grid->setFocus();
        grid->SetModified(false);
    }

    QWidget* view() const { return grid->viewport(); }
    QPoint center(int col, int row) const { return grid->CellRect(col, row).center(); }
    // The x of the grid line right of a column, where a header border is grabbed.
    int rightEdge(int col) const
    {
        const QRect r = grid->CellRect(col, 0);
        return r.left() + r.width();
    }

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

    QString markers() const
    {
        QString s;
        for (int r = 1; r < grid->RowCount(); ++r)
            s += grid->Cells(0, r);
        return s;
    }

    // The form goes in TearDown: the grid commits an open drop-down list as
    // it dies, into handlers that write to members of the derived fixtures,
    // which are destroyed before a base member would be.
    void TearDown() override { form.reset(); }

    std::unique_ptr<QWidget> form = std::make_unique<QWidget>();
    TSortGrid* grid = nullptr;  // owned by the form
};

// --- Drop-down cells --------------------------------------------------------------------

class DropDownTest : public SortGridMouseTest
{
protected:
    void SetUp() override
    {
        SortGridMouseTest::SetUp();
        grid->OnGetCellFormat = [](TSortGrid*, int col, int row, TGridDrawState, TFormatOptions&, bool&,
                                   bool& combo, bool&) { combo = col == 2 && row > 0; };
        grid->OnGetComboBox = [this](TSortGrid*, int col, int row, QStringList& strs, int& width,
                                     int& height, bool& sorted) {
            asked.emplace_back(col, row);
            strs = lines;
            width = listWidth;
            height = listHeight;
            sorted = listSorted;
        };
        grid->OnSetComboBox = [this](TSortGrid*, int col, int row, const QString& str) {
            chosen.push_back(QStringLiteral("%1,%2=%3").arg(col).arg(row).arg(str));
        };
        grid->SetCells(2, 3, QStringLiteral("Bravo"));
    }

    QListWidget* list() const { return grid->dropDownList(); }
    bool listShown() const { return list() && list()->isVisible(); }
    QStringList listTexts() const
    {
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i)
            texts << list()->item(i)->text();
        return texts;
    }
    void open(int col, int row)
    {
        QTest::mouseClick(view(), Qt::LeftButton, {}, center(col, row));
        ASSERT_TRUE(listShown()) << "the list opens on a click";
        ASSERT_TRUE(QTest::qWaitFor([&] { return list()->hasFocus(); }, 500));
    }

    QStringList lines{QStringLiteral("Charlie"), QStringLiteral("Alpha"), QStringLiteral("Bravo")};
    int listWidth = 0;
    int listHeight = 0;
    bool listSorted = true;
    std::vector<std::pair<int, int>> asked;
    QStringList chosen;
};

TEST_F(DropDownTest, ClickOpensTheListUnderItsCellWithTheCellTextSelected)
{
    open(2, 3);
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{2, 3}}));
    EXPECT_EQ(list()->parentWidget(), form.get()) << "the list lives on the form, not inside the grid";
    EXPECT_EQ(listTexts(), (QStringList{"Alpha", "Bravo", "Charlie"})) << "sorted as asked";
    ASSERT_NE(list()->currentItem(), nullptr);
    EXPECT_EQ(list()->currentItem()->text(), QStringLiteral("Bravo"));

    const QRect cell = grid->CellRect(2, 3);
    const QPoint underCell = view()->mapToGlobal(QPoint(cell.left(), cell.top() + cell.height()));
    EXPECT_EQ(list()->mapToGlobal(QPoint(0, 0)), underCell) << "left-aligned, right under the cell";
    EXPECT_EQ(list()->width(), cell.width() + 1);
    EXPECT_EQ(list()->height(), 3 * list()->sizeHintForRow(0) + 5) << "short lists fit their lines";
    EXPECT_TRUE(chosen.isEmpty()) << "opening alone writes nothing";
    EXPECT_EQ(grid->Cells(2, 3), QStringLiteral("Bravo"));
}

TEST_F(DropDownTest, ClickingAnEntryWritesTheCellAndClosesTheList)
{
    open(2, 3);
    const QRect item = list()->visualItemRect(list()->item(2));  // "Charlie"
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(grid->Cells(2, 3), QStringLiteral("Charlie"));
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(chosen, (QStringList{"2,3=Charlie"}));
    EXPECT_TRUE(grid->hasFocus()) << "the grid takes the focus back";
    EXPECT_EQ(grid->Cells(2, 2), QString()) << "no other cell is touched";
}

TEST_F(DropDownTest, ArrowAndEnterPickTheNextEntry)
{
    open(2, 3);
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_TRUE(list()->isVisible()) << "moving in the list does not commit yet";
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(2, 3), QStringLiteral("Charlie"));
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(chosen, (QStringList{"2,3=Charlie"}));
}

TEST_F(DropDownTest, EscapeClosesWithoutChange)
{
    open(2, 3);
    QTest::keyClick(list(), Qt::Key_Down);
    QTest::keyClick(list(), Qt::Key_Escape);
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(grid->Cells(2, 3), QStringLiteral("Bravo"));
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_FALSE(grid->Modified());

    // Nothing is left armed: a later focus change writes nothing either.
    QApplication::processEvents();
    EXPECT_EQ(grid->Cells(2, 3), QStringLiteral("Bravo"));
    EXPECT_TRUE(chosen.isEmpty());

    // And the cell opens again.
    open(2, 3);
    QTest::keyClick(list(), Qt::Key_Up);
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(2, 3), QStringLiteral("Alpha"));
}

TEST_F(DropDownTest, EmptyCellSelectsTheFirstLineAndHandlerShapesTheList)
{
    listSorted = false;
    listWidth = 150;
    listHeight = 90;
    open(2, 1);
    EXPECT_EQ(listTexts(), lines) << "kept in the handler's order";
    EXPECT_EQ(list()->currentItem()->text(), QStringLiteral("Charlie"));
    EXPECT_EQ(list()->width(), 150);
    EXPECT_EQ(list()->height(), 90);
    QTest::keyClick(list(), Qt::Key_Space);
    EXPECT_EQ(grid->Cells(2, 1), QStringLiteral("Charlie"));
}

TEST_F(DropDownTest, SpaceOnTheCurrentCellOpensTheList)
{
    grid->GoToCell(2, 4, false);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Space);
    ASSERT_TRUE(list()->isVisible());
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{2, 4}}));
    const QRect cell = grid->CellRect(2, 4);
    EXPECT_EQ(list()->mapToGlobal(QPoint(0, 0)),
              view()->mapToGlobal(QPoint(cell.left(), cell.top() + cell.height())));
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(2, 4), QStringLiteral("Alpha"));
    EXPECT_EQ(chosen, (QStringList{"2,4=Alpha"}));
}

TEST_F(DropDownTest, NoListWithoutLinesOrOnOrdinaryCells)
{
    QTest::mouseClick(view(), Qt::LeftButton, {}, center(3, 2));  // not a drop-down cell
    EXPECT_FALSE(listShown());
    EXPECT_TRUE(asked.empty());
    lines.clear();
    QTest::mouseClick(view(), Qt::LeftButton, {}, center(2, 2));
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_FALSE(listShown()) << "an empty list does not open";
    EXPECT_EQ(grid->Cells(2, 2), QString());
}

TEST_F(DropDownTest, ListFollowsAScrolledCell)
{
    grid->SetRowCount(40);
    grid->SetTopRow(20);
    ASSERT_EQ(grid->TopRow(), 20);
    grid->SetCells(2, 22, QStringLiteral("Alpha"));
    open(2, 22);
    const QRect cell = grid->CellRect(2, 22);
    EXPECT_EQ(list()->mapToGlobal(QPoint(0, 0)),
              view()->mapToGlobal(QPoint(cell.left(), cell.top() + cell.height())));
    const QRect item = list()->visualItemRect(list()->item(1));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(grid->Cells(2, 22), QStringLiteral("Bravo")) << "the choice goes into the opened cell";
}

TEST_F(DropDownTest, ClickingAnotherCellCommitsIntoTheOpenedCell)
{
    open(2, 3);
    QTest::keyClick(list(), Qt::Key_Down);
    QTest::mouseClick(view(), Qt::LeftButton, {}, center(4, 1));
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(grid->Cells(2, 3), QStringLiteral("Charlie")) << "leaving the list takes its choice";
    EXPECT_EQ(grid->Cells(4, 1), QString()) << "never into the cell clicked next";
    EXPECT_EQ(chosen, (QStringList{"2,3=Charlie"}));
}

TEST_F(DropDownTest, ListOpensAboveACellWithNoRoomBelow)
{
    grid->SetRowCount(40);
    const int row = grid->TopRow() + grid->VisibleRowCount() - 1;  // last fully visible row
    open(2, row);
    const QRect cell = grid->CellRect(2, row);
    const QPoint cellTop = view()->mapTo(form.get(), cell.topLeft());
    EXPECT_LE(list()->geometry().bottom(), form->height() - 1) << "the whole list is on the form";
    EXPECT_EQ(list()->geometry().bottom() + 1, cellTop.y()) << "right above the cell";
    EXPECT_EQ(list()->x(), cellTop.x());
}

// --- Ellipsis cells ------------------------------------------------------------------------

struct EllipsisCase {
    const char* name;
    int fromRight;  // pixels left of the cell's right edge
    bool raises;
};

void PrintTo(const EllipsisCase& c, std::ostream* os)
{
    *os << c.name;
}

class EllipsisTest : public SortGridMouseTest, public ::testing::WithParamInterface<EllipsisCase>
{
protected:
    void SetUp() override
    {
        SortGridMouseTest::SetUp();
        grid->OnGetCellFormat = [](TSortGrid*, int col, int row, TGridDrawState, TFormatOptions&, bool&,
                                   bool&, bool& ellipsis) { ellipsis = col == 3 && row > 0; };
        grid->OnSetEllipsis = [this](TSortGrid*, int col, int row) { raised.emplace_back(col, row); };
    }
    QPoint inCell(int col, int row, int fromRight) const
    {
        const QRect r = grid->CellRect(col, row);
        return QPoint(r.left() + r.width() - fromRight, r.center().y());
    }
    std::vector<std::pair<int, int>> raised;
};

TEST_P(EllipsisTest, OnlyTheButtonRaisesTheEvent)
{
    const EllipsisCase e = GetParam();
    QTest::mouseClick(view(), Qt::LeftButton, {}, inCell(3, 4, e.fromRight));
    if (e.raises)
        EXPECT_EQ(raised, (std::vector<std::pair<int, int>>{{3, 4}})) << e.name;
    else
        EXPECT_TRUE(raised.empty()) << e.name;
    EXPECT_EQ(grid->Row(), 4) << "the click selects the row either way";
}

INSTANTIATE_TEST_SUITE_P(Positions, EllipsisTest,
                         ::testing::Values(EllipsisCase{"right_edge", 0, true},
                                           EllipsisCase{"inside_button", 5, true},
                                           EllipsisCase{"button_left_end", 16, true},
                                           EllipsisCase{"just_left_of_button", 17, false},
                                           EllipsisCase{"middle_of_cell", 32, false},
                                           EllipsisCase{"left_end_of_cell", 62, false}),
                         testnames::caseNames([](const EllipsisCase& c) { return c.name; }));

TEST_F(EllipsisTest, OtherCellsAndSplitClicksRaiseNothing)
{
    QTest::mouseClick(view(), Qt::LeftButton, {}, inCell(2, 2, 5));  // ordinary cell
    QTest::mouseClick(view(), Qt::LeftButton, {}, inCell(3, 0, 5));  // header of the column
    // Pressed on one ellipsis cell, released on the button of another.
    QTest::mousePress(view(), Qt::LeftButton, {}, inCell(3, 1, 5));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, inCell(3, 2, 5));
    EXPECT_TRUE(raised.empty());
    // A whole click on another row's button reports that row.
    QTest::mouseClick(view(), Qt::LeftButton, {}, inCell(3, 5, 3));
    EXPECT_EQ(raised, (std::vector<std::pair<int, int>>{{3, 5}}));
}

TEST_F(EllipsisTest, SpaceOnTheCurrentCellRaisesTheEvent)
{
    grid->GoToCell(3, 2, false);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_EQ(raised, (std::vector<std::pair<int, int>>{{3, 2}}));
}

// --- Column and row sizing -------------------------------------------------------------------

TEST_F(SortGridMouseTest, DraggingAHeaderBorderSizesTheColumn)
{
    grid->SetOptions(grid->Options() | goColSizing);
    grid->SortOptions.SortCol = 1;
    int events = 0;
    grid->OnColumnWidthsChanged = [&events](TSortGrid*) { ++events; };
    const int edge = rightEdge(2);
    const int y = center(2, 0).y();
    drag(QPoint(edge, y), QPoint(edge + 30, y));
    EXPECT_EQ(grid->ColWidths(2), 64 + 30);
    EXPECT_EQ(rightEdge(2), edge + 30) << "the border follows the mouse";
    EXPECT_EQ(grid->ColWidths(1), 64);
    EXPECT_GE(events, 1);
    EXPECT_EQ(markers(), QStringLiteral("abcde"));
    EXPECT_EQ(grid->SortOptions.SortCol, 1) << "sizing is no header click";

    drag(QPoint(edge + 30, y), QPoint(edge - 20, y));
    EXPECT_EQ(grid->ColWidths(2), 64 - 20);
}

TEST_F(SortGridMouseTest, ColumnNeverShrinksBelowOnePixelAndCanBeWidenedAgain)
{
    grid->SetOptions(grid->Options() | goColSizing);
    const int left = grid->CellRect(2, 0).left();
    const int y = center(2, 0).y();
    drag(QPoint(rightEdge(2), y), QPoint(left - 40, y));  // far past its own left edge
    EXPECT_EQ(grid->ColWidths(2), 1);
    EXPECT_FALSE(grid->CellRect(2, 0).isEmpty()) << "a sized column is never hidden";
    EXPECT_EQ(grid->Cells(2, 0), QStringLiteral("H2"));
    // Grabbed again right of its thin body, it opens up.
    drag(QPoint(left + 3, y), QPoint(left + 50, y));
    EXPECT_EQ(grid->ColWidths(2), 50);
    EXPECT_EQ(grid->ColWidths(1), 64) << "the neighbour keeps its width";
}

TEST_F(SortGridMouseTest, SizingNeedsItsOptionAndTheHeader)
{
    const int edge = rightEdge(2);
    drag(QPoint(edge, center(2, 0).y()), QPoint(edge + 30, center(2, 0).y()));
    EXPECT_EQ(grid->ColWidths(2), 64) << "without goColSizing";
    grid->SetOptions(grid->Options() | goColSizing);
    drag(QPoint(edge, center(2, 2).y()), QPoint(edge + 30, center(2, 2).y()));
    EXPECT_EQ(grid->ColWidths(2), 64) << "borders between data cells do not size";
}

TEST_F(SortGridMouseTest, AHeaderClickStillSortsWithSizingOn)
{
    grid->SetOptions(grid->Options() | goColSizing);
    for (int r = 1; r < grid->RowCount(); ++r)
        grid->SetCells(1, r, QString::number(grid->RowCount() - r));
    grid->SortOptions.SortCol = -1;
    QTest::mouseClick(view(), Qt::LeftButton, {}, center(1, 0));
    EXPECT_EQ(markers(), QStringLiteral("edcba"));
    EXPECT_EQ(grid->ColWidths(1), 64);
}

TEST_F(SortGridMouseTest, DraggingARowBorderInTheFixedColumnSizesTheRow)
{
    grid->SetFixedCols(1);
    grid->SetOptions(grid->Options() | goRowSizing);
    int events = 0;
    grid->OnRowHeightsChanged = [&events](TSortGrid*) { ++events; };
    const QRect r = grid->CellRect(0, 2);
    const int edge = r.top() + r.height();
    drag(QPoint(r.center().x(), edge), QPoint(r.center().x(), edge + 15));
    EXPECT_EQ(grid->RowHeights(2), 24 + 15);
    EXPECT_GE(events, 1);
    EXPECT_EQ(grid->RowHeights(3), 24);

    drag(QPoint(r.center().x(), edge + 15), QPoint(r.center().x(), r.top() - 30));
    EXPECT_EQ(grid->RowHeights(2), 1) << "never below one pixel";
    EXPECT_FALSE(grid->CellRect(0, 2).isEmpty());
    EXPECT_EQ(markers(), QStringLiteral("abcde")) << "sizing moves no data";
}

// --- Moving columns in the sortable grid ------------------------------------------------------

TEST_F(SortGridMouseTest, DraggedColumnTakesItsDataAndTheSortColumn)
{
    grid->SetOptions(grid->Options() | goColMoving);
    for (int r = 1; r < grid->RowCount(); ++r)
        grid->SetCells(1, r, QStringLiteral("k%1").arg(r));
    grid->SortOptions.SortCol = 1;
    std::vector<std::pair<int, int>> moved;
    grid->OnColumnMoved = [&moved](TMyCustomGrid*, int from, int to) { moved.emplace_back(from, to); };
    drag(center(1, 0), center(3, 0));
    EXPECT_EQ(grid->Cells(3, 0), QStringLiteral("H1"));
    EXPECT_EQ(grid->Cells(3, 2), QStringLiteral("k2"));
    EXPECT_EQ(grid->Cells(1, 0), QStringLiteral("H2"));
    EXPECT_EQ(grid->SortOptions.SortCol, 3) << "the sorted column is followed";
    EXPECT_EQ(moved, (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_TRUE(grid->Modified());
    EXPECT_EQ(markers(), QStringLiteral("abcde")) << "the release is no header click";
}

// --- Header clicks while sorting is off -------------------------------------------------------

struct HeaderCase {
    const char* name;
    Qt::MouseButton button;
    int col;
    TSortDirection before;
    TSortDirection after;
};

void PrintTo(const HeaderCase& c, std::ostream* os)
{
    *os << c.name;
}

class HeaderWithoutSortTest : public SortGridMouseTest, public ::testing::WithParamInterface<HeaderCase>
{
};

TEST_P(HeaderWithoutSortTest, RowsStayWhereTheyAre)
{
    const HeaderCase h = GetParam();
    // Keys in reverse order in every column, so any sort would move rows.
    for (int r = 1; r < grid->RowCount(); ++r)
        for (int c = 1; c < grid->ColCount(); ++c)
            grid->SetCells(c, r, QString::number(grid->RowCount() - r));
    grid->SortOptions.CanSort = false;
    grid->SortOptions.SortCol = 1;
    grid->SortOptions.SortDirection = h.before;
    int sorts = 0;
    grid->OnBeforeSort = [&sorts](TSortGrid*, int&) { ++sorts; };
    grid->OnAfterSort = [&sorts](TSortGrid*, int) { ++sorts; };
    grid->GoToCell(2, 3, false);

    QTest::mouseClick(view(), h.button, {}, center(h.col, 0));

    EXPECT_EQ(markers(), QStringLiteral("abcde")) << h.name;
    EXPECT_EQ(grid->Cells(h.col, 1), QStringLiteral("5")) << h.name;
    EXPECT_EQ(grid->Cells(h.col, 0), QStringLiteral("H%1").arg(h.col)) << h.name;
    EXPECT_EQ(sorts, 0) << h.name;
    EXPECT_EQ(grid->SortOptions.SortCol, 1) << h.name << ": a refused sort keeps its column";
    EXPECT_EQ(grid->SortOptions.SortDirection, h.after) << h.name;
    EXPECT_EQ(grid->Row(), 3) << h.name;
    EXPECT_FALSE(grid->Modified()) << h.name;
    EXPECT_TRUE(grid->isEnabled()) << h.name;
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, HeaderWithoutSortTest,
    ::testing::Values(HeaderCase{"left_on_sorted_column", Qt::LeftButton, 1, sdAscending, sdDescending},
                      HeaderCase{"left_on_sorted_column_again", Qt::LeftButton, 1, sdDescending, sdAscending},
                      HeaderCase{"left_on_other_column", Qt::LeftButton, 4, sdDescending, sdAscending},
                      HeaderCase{"right_click", Qt::RightButton, 2, sdAscending, sdDescending}),
    testnames::caseNames([](const HeaderCase& c) { return c.name; }));

TEST_F(SortGridMouseTest, RepeatedHeaderClicksWithoutSortMoveNothing)
{
    for (int r = 1; r < grid->RowCount(); ++r)
        grid->SetCells(1, r, QString::number(r % 2));
    grid->SortOptions.CanSort = false;
    for (int i = 0; i < 4; ++i)
        QTest::mouseClick(view(), Qt::LeftButton, {}, center(1 + i % 2, 0));
    EXPECT_EQ(markers(), QStringLiteral("abcde"));
    grid->SortOptions.CanSort = true;
    QTest::mouseClick(view(), Qt::LeftButton, {}, center(1, 0));
    EXPECT_NE(markers(), QStringLiteral("abcde")) << "the same click sorts once allowed";
}

// --- Auto-scroll in the result-table configuration --------------------------------------------

TEST_F(SortGridMouseTest, DraggingBelowTheRowsScrollsAndTheSelectedRowFollows)
{
    grid->SetRowCount(60);
    grid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected
                     | goRowSelect);
    int selected = 0;
    grid->OnRowSelected = [&selected](TSortGrid*) { ++selected; };
    QTest::mousePress(view(), Qt::LeftButton, {}, center(1, 1));
    const QPoint below(center(1, 1).x(), view()->height() + 15);
    dragTo(below);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid->TopRow() >= 3; }, 1000));
    EXPECT_EQ(grid->Row(), grid->TopRow() + grid->VisibleRowCount() - 1);
    EXPECT_EQ(grid->SelectedRows(), (std::vector<int>{grid->Row()})) << "the one selected row follows";
    EXPECT_GE(selected, 2);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, below);
}

}  // namespace
