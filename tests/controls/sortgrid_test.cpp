#include "controls/griderror.h"
#include "controls/inplaceedit.h"
#include "controls/sortgrid.h"
#include "support/testnames.h"

#include <QLocale>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// A grid with a marker column 0 ("a", "b", …, one per row) so tests can read
// back the row order, and key texts in the other columns.
class SortGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        grid = std::make_unique<TSortGrid>();
        grid->MessageHook = [this](const QString& text) { messages << text; };
        grid->resize(420, 260);
        grid->show();
        grid->activateWindow();
    }
    void TearDown() override
    {
        grid.reset();
        QLocale::setDefault(QLocale::c());
    }

    // rows: data rows, each a list of cells from column 1 on; column 0 gets the marker.
    void fill(const std::vector<QStringList>& rows)
    {
        int cols = 1;
        for (const auto& r : rows)
            cols = std::max(cols, int(r.size()) + 1);
        grid->SetColCount(cols);
        grid->SetRowCount(int(rows.size()) + 1);
        for (int c = 0; c < cols; ++c)
            grid->SetCells(c, 0, QStringLiteral("H%1").arg(c));
        for (int i = 0; i < int(rows.size()); ++i) {
            grid->SetCells(0, i + 1, QString(QChar('a' + i)));
            for (int c = 0; c < rows[std::size_t(i)].size(); ++c)
                grid->SetCells(c + 1, i + 1, rows[std::size_t(i)].at(c));
        }
    }

    QString markers() const
    {
        QString s;
        for (int r = 1; r < grid->RowCount(); ++r)
            s += grid->Cells(0, r);
        return s;
    }

    QPoint cellCenter(int col, int row) const { return grid->CellRect(col, row).center(); }

    std::unique_ptr<TSortGrid> grid;
    QStringList messages;
};

// --- Every style, both directions ----------------------------------------------

struct StyleCase {
    const char* name;
    TSortStyle style;
    TSortDirection direction;
    QStringList keys;
    const char* expected;  // markers after the sort
};

void PrintTo(const StyleCase& c, std::ostream* os)
{
    *os << c.name;
}

class SortStyleTest : public SortGridTest, public ::testing::WithParamInterface<StyleCase>
{
};

TEST_P(SortStyleTest, OrdersRowsByStyleAndDirection)
{
    const StyleCase c = GetParam();
    std::vector<QStringList> rows;
    for (const QString& k : c.keys)
        rows.push_back({k});
    fill(rows);
    grid->SortOptions.SortStyle = c.style;
    grid->SortOptions.SortDirection = c.direction;
    if (c.style == ssCustom) {
        // Longer texts last, then by text: "9" before "10".
        grid->SortOptions.SortCompare = [](const QString& a, const QString& b) {
            if (a.size() != b.size())
                return a.size() < b.size() ? -1 : 1;
            return QString::compare(a, b);
        };
    }
    grid->SortByColumn(1);
    EXPECT_EQ(markers(), QString::fromLatin1(c.expected)) << c.name;
    EXPECT_EQ(grid->Cells(1, 0), QStringLiteral("H1")) << "header never moves";
}

const auto numbers = QStringList{"8", "10", "9", "", "10"};

INSTANTIATE_TEST_SUITE_P(
    Styles, SortStyleTest,
    ::testing::Values(
        StyleCase{"numeric asc", ssNumeric, sdAscending, numbers, "dacbe"},
        StyleCase{"numeric desc", ssNumeric, sdDescending, numbers, "becad"},
        StyleCase{"normal asc, case-insensitive, stable", ssNormal, sdAscending,
                  {"b", "A", "a", "c"}, "bcad"},
        StyleCase{"normal desc", ssNormal, sdDescending, {"b", "A", "a", "c"}, "dabc"},
        StyleCase{"normal treats numbers as text", ssNormal, sdAscending, {"9", "10", "100"}, "bca"},
        StyleCase{"extended asc", ssNumericExtended, sdAscending,
                  {"Run 10", "Run 9", "", "Run 1"}, "cdba"},
        StyleCase{"extended desc", ssNumericExtended, sdDescending,
                  {"Run 10", "Run 9", "", "Run 1"}, "abdc"},
        StyleCase{"date-time asc", ssDateTime, sdAscending,
                  {"24.12.2023", "01.01.2023", "15.06.2023 12:00", "15.06.2023 08:00"}, "bdca"},
        StyleCase{"date-time desc", ssDateTime, sdDescending,
                  {"24.12.2023", "01.01.2023", "15.06.2023 12:00", "15.06.2023 08:00"}, "acdb"},
        StyleCase{"time asc", ssTime, sdAscending, {"12:30", "9:05", "23:59:59", "0:00"}, "dbac"},
        StyleCase{"time desc", ssTime, sdDescending, {"12:30", "9:05", "23:59:59", "0:00"}, "cabd"},
        StyleCase{"custom asc", ssCustom, sdAscending, {"10", "9", "100", "1"}, "dbac"},
        StyleCase{"custom desc", ssCustom, sdDescending, {"10", "9", "100", "1"}, "cabd"},
        StyleCase{"automatic numeric", ssAutomatic, sdAscending, {"2,25", "1,5", "10"}, "bac"}),
    testnames::caseNames([](const StyleCase& c) { return c.name; }));

TEST_F(SortGridTest, CaseSensitiveSortUsesByteOrder)
{
    fill({{"b"}, {"a"}, {"B"}});
    grid->SortOptions.SortCaseSensitive = true;
    grid->SortByColumn(1);
    EXPECT_EQ(markers(), QStringLiteral("cba"));  // "B" (66) before "a" (97)
}

TEST_F(SortGridTest, EqualKeysKeepTheirOrderAcrossRepeatedSortsAndDirections)
{
    fill({{"x", "1"}, {"y", "2"}, {"x", "3"}, {"y", "4"}, {"x", "5"}});
    grid->SortByColumn(1);
    EXPECT_EQ(markers(), QStringLiteral("acebd"));
    grid->SortByColumn(1);
    EXPECT_EQ(markers(), QStringLiteral("acebd"));
    grid->SortOptions.SortDirection = sdDescending;
    grid->SortByColumn(1);
    EXPECT_EQ(markers(), QStringLiteral("bdace"));  // ties still in their previous order
    grid->SortByColumn(1);
    EXPECT_EQ(markers(), QStringLiteral("bdace"));
}

TEST_F(SortGridTest, SecondaryKeysGiveLexicographicOrder)
{
    // Column 5 primary, ties by 3, remaining ties by 2, then previous position.
    fill({{"", "2", "b", "", "1"},
          {"", "1", "a", "", "1"},
          {"", "1", "b", "", "0"},
          {"", "1", "a", "", "1"},
          {"", "2", "a", "", "1"},
          {"", "1", "b", "", "1"}});
    grid->SortOptions.SecondaryIndex = QStringLiteral("3,2");
    grid->SortByColumn(5);
    EXPECT_EQ(markers(), QStringLiteral("cbdefa"));
}

TEST_F(SortGridTest, PrimaryColumnInSecondaryListIsTakenOutOnce)
{
    fill({{"b", "2"}, {"a", "2"}, {"a", "1"}});
    grid->SortOptions.SecondaryIndex = QStringLiteral("1, 2");
    grid->SortByColumn(1);
    EXPECT_EQ(markers(), QStringLiteral("cba"));
}

TEST_F(SortGridTest, UnusableSecondaryKeysAreSkippedAndTheBracketCloses)
{
    fill({{"b", "x"}, {"a", "y"}});
    grid->SortOptions.SecondaryIndex = QStringLiteral("11,zz,-1");
    grid->SortByColumn(1);
    EXPECT_EQ(markers(), QStringLiteral("ba"));
    EXPECT_FALSE(grid->NowUpdating());
    EXPECT_TRUE(grid->isEnabled());
    EXPECT_TRUE(grid->updatesEnabled());
}

TEST_F(SortGridTest, ThrowingHandlerStillClosesTheBracket)
{
    fill({{"b"}, {"a"}});
    grid->OnGetSortStyle = [](TSortGrid*, int, TSortStyle&) { throw std::runtime_error("handler"); };
    EXPECT_THROW(grid->SortByColumn(1), std::runtime_error);
    EXPECT_FALSE(grid->NowUpdating());
    EXPECT_TRUE(grid->isEnabled());
    EXPECT_FALSE(grid->sorting());
}

TEST_F(SortGridTest, CustomComparisonIsClearedAfterTheSort)
{
    fill({{"b"}, {"a"}});
    grid->SortOptions.SortStyle = ssCustom;
    int calls = 0;
    grid->SortOptions.SortCompare = [&calls](const QString& a, const QString& b) {
        ++calls;
        return QString::compare(a, b);
    };
    grid->SortByColumn(1);
    EXPECT_GT(calls, 0);
    EXPECT_EQ(markers(), QStringLiteral("ba"));
    EXPECT_FALSE(bool(grid->SortOptions.SortCompare));
    // Without a comparison ssCustom still sorts (by text) instead of failing.
    grid->SortOptions.SortDirection = sdDescending;
    grid->SortByColumn(1);
    EXPECT_EQ(markers(), QStringLiteral("ab"));
}

TEST_F(SortGridTest, GetSortStyleIsAskedPerKeyWithThePreviousAnswer)
{
    fill({{"10", "b"}, {"9", "a"}});
    grid->SortOptions.SecondaryIndex = QStringLiteral("2");
    std::vector<std::pair<int, TSortStyle>> asked;
    grid->OnGetSortStyle = [&asked](TSortGrid* g, int col, TSortStyle& style) {
        asked.emplace_back(col, style);
        style = col == 1 ? ssCustom : ssNormal;
        if (style == ssCustom)
            g->SortOptions.SortCompare = [](const QString& a, const QString& b) {
                return a.toInt() - b.toInt();
            };
    };
    grid->SortByColumn(1);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], std::make_pair(2, ssAutomatic));
    EXPECT_EQ(asked[1], std::make_pair(1, ssNormal));
    EXPECT_EQ(markers(), QStringLiteral("ba"));
    EXPECT_EQ(grid->SortOptions.SortStyle, ssCustom);
    EXPECT_FALSE(bool(grid->SortOptions.SortCompare));
}

struct DetectCase {
    QStringList keys;
    TSortStyle expected;
};

void PrintTo(const DetectCase& c, std::ostream* os)
{
    *os << c.keys.join(QStringLiteral(", ")).toStdString();
}

class AutomaticDetectionTest : public SortGridTest, public ::testing::WithParamInterface<DetectCase>
{
};

TEST_P(AutomaticDetectionTest, DetectedStyleStays)
{
    std::vector<QStringList> rows;
    for (const QString& k : GetParam().keys)
        rows.push_back({k});
    fill(rows);
    grid->SortOptions.SortStyle = ssAutomatic;
    grid->SortByColumn(1);
    EXPECT_EQ(grid->SortOptions.SortStyle, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, AutomaticDetectionTest,
    ::testing::Values(DetectCase{{"1,5", "2,25"}, ssNumeric}, DetectCase{{"1,5", "abc"}, ssNormal},
                      DetectCase{{"24.12.2023", "01.01.2024"}, ssDateTime}),
    testnames::caseNames([](const DetectCase& c) {
        const char* const styles[] = {"Automatic", "Normal", "Numeric", "NumericExtended", "DateTime", "Time", "Custom"};
        return c.keys.join(u' ') + QStringLiteral(" is ") + QLatin1String(styles[c.expected]);
    }));

TEST_F(SortGridTest, NothingHappensWhileSortingIsForbidden)
{
    fill({{"b"}, {"a"}});
    bool before = false;
    grid->OnBeforeSort = [&before](TSortGrid*, int&) { before = true; };
    grid->SortOptions.CanSort = false;
    grid->SortOptions.SortCol = 5;
    grid->SortByColumn(1);
    EXPECT_EQ(markers(), QStringLiteral("ab"));
    EXPECT_FALSE(before);
    EXPECT_EQ(grid->SortOptions.SortCol, 5);
}

TEST_F(SortGridTest, BeforeSortMayChangeTheColumnAndAfterSortReportsIt)
{
    fill({{"a", "2"}, {"b", "1"}});
    int after = -1;
    grid->OnBeforeSort = [](TSortGrid*, int& col) { col = 2; };
    grid->OnAfterSort = [&after](TSortGrid*, int col) { after = col; };
    grid->SortByColumn(1);
    EXPECT_EQ(markers(), QStringLiteral("ba"));
    EXPECT_EQ(after, 2);
    EXPECT_EQ(grid->SortOptions.SortCol, 1);
}

TEST_F(SortGridTest, SelectionFollowsItsRows)
{
    fill({{"c"}, {"a"}, {"b"}});
    grid->GoToCell(0, 1, false);  // row "c"
    grid->SortByColumn(1);
    EXPECT_EQ(markers(), QStringLiteral("bca"));
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->SelectedRows(), std::vector<int>{3});
}

// --- Header clicks -------------------------------------------------------------

TEST_F(SortGridTest, HeaderClicksSortAndToggleTheDirection)
{
    fill({{"b", "1"}, {"c", "3"}, {"a", "2"}});
    grid->SortOptions.SortCol = -1;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCenter(1, 0));
    EXPECT_EQ(grid->SortOptions.SortCol, 1);
    EXPECT_EQ(grid->SortOptions.SortDirection, sdAscending);
    EXPECT_EQ(markers(), QStringLiteral("cab"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCenter(1, 0));
    EXPECT_EQ(grid->SortOptions.SortDirection, sdDescending);
    EXPECT_EQ(markers(), QStringLiteral("bac"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCenter(2, 0));
    EXPECT_EQ(grid->SortOptions.SortDirection, sdAscending);
    EXPECT_EQ(markers(), QStringLiteral("acb"));
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cellCenter(1, 0));
    EXPECT_EQ(grid->SortOptions.SortDirection, sdDescending);
    EXPECT_EQ(markers(), QStringLiteral("bac"));
}

TEST_F(SortGridTest, HeaderClickWithoutSortingOnlyTurnsTheDirection)
{
    fill({{"b"}, {"a"}});
    grid->SortOptions.CanSort = false;
    grid->SortOptions.SortCol = 1;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCenter(1, 0));
    EXPECT_EQ(grid->SortOptions.SortDirection, sdDescending);
    EXPECT_EQ(markers(), QStringLiteral("ab"));
}

TEST_F(SortGridTest, ClickOnHeaderBorderDoesNotSort)
{
    fill({{"b"}, {"a"}});
    grid->SortOptions.SortCol = -1;
    const QRect r = grid->CellRect(1, 0);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 3, r.center().y()));
    EXPECT_EQ(grid->SortOptions.SortCol, -1);
    EXPECT_EQ(markers(), QStringLiteral("ab"));
}

TEST_F(SortGridTest, DoubleClickOnHeaderBorderSizesTheColumn)
{
    fill({{"short"}, {"a much longer text"}});
    grid->SortOptions.SortCol = -1;
    const QRect r = grid->CellRect(1, 0);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(r.left() + r.width() - 1, r.center().y()));
    const QFontMetrics fm(grid->font());
    EXPECT_EQ(grid->ColWidths(1),
              fm.horizontalAdvance(QStringLiteral("X")) + fm.horizontalAdvance(QStringLiteral("a much longer text")));
}

TEST_F(SortGridTest, AutoSizeCountsTheArrowInTheSortedHeader)
{
    fill({{"x"}});
    grid->SetCells(1, 0, QStringLiteral("A wide heading"));
    grid->SortOptions.SortCol = 1;
    grid->AutoSizeColumn(1, false);
    const QFontMetrics fm(grid->font());
    EXPECT_EQ(grid->ColWidths(1),
              fm.horizontalAdvance(QStringLiteral("X")) + fm.horizontalAdvance(QStringLiteral("A wide heading")) + 12);
    grid->SetColWidths(1, -1);
    grid->AutoSizeColumn(1, false);
    EXPECT_EQ(grid->ColWidths(1), -1) << "a hidden column stays hidden unless forced";
}

// --- Header shortening ----------------------------------------------------------

struct ShortenCase {
    const char* text;
    const char* widthOf;  // the available width is this text's width
    const char* expected;
};

void PrintTo(const ShortenCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(std::string(c.text)) << " in the width of " << ::testing::PrintToString(std::string(c.widthOf));
}

class ShortenTest : public ::testing::TestWithParam<ShortenCase>
{
};

TEST_P(ShortenTest, EndsInTwoDotsWhenTooWide)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(15);
    const QFontMetrics fm(font);
    const int w = fm.horizontalAdvance(QString::fromLatin1(GetParam().widthOf));
    EXPECT_EQ(TSortGrid::shortenHeaderText(QString::fromLatin1(GetParam().text), w, fm),
              QString::fromLatin1(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Texts, ShortenTest,
                         ::testing::Values(ShortenCase{"Beste R.", "Beste R.", "Beste R."},
                                           ShortenCase{"Beste R.", "Beste..", "Beste.."},
                                           ShortenCase{"Beste R.", "Bes..", "Bes.."},
                                           ShortenCase{"Beste R.", "", "B.."},
                                           ShortenCase{"Nr", "", ".."},
                                           ShortenCase{"X", "", "X"}),
                         testnames::caseNames([](const ShortenCase& c) {
                             return std::string(c.text) + " in width of " + (*c.widthOf ? c.widthOf : "nothing");
                         }));

// --- Rows -------------------------------------------------------------------

TEST_F(SortGridTest, DeleteRowOnTheLastDataRowEmptiesIt)
{
    fill({{"x", "y"}});
    grid->DeleteRow(1);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_TRUE(grid->IsRowEmpty(1));
    EXPECT_TRUE(grid->Modified());
}

TEST_F(SortGridTest, DeleteRowRemovesAndNeverResurrectsData)
{
    fill({{"1"}, {"2"}, {"3"}});
    int deleted = -1;
    grid->OnRowDelete = [&deleted](TSortGrid*, int row) { deleted = row; };
    grid->DeleteRow(2);
    EXPECT_EQ(markers(), QStringLiteral("ac"));
    EXPECT_EQ(deleted, 2);
    grid->SetRowCount(4);
    EXPECT_TRUE(grid->IsRowEmpty(3)) << "a deleted row must not come back when rows are added";
}

TEST_F(SortGridTest, InsertRowOpensAnEmptyCurrentRow)
{
    fill({{"1"}, {"2"}, {"3"}});
    int inserted = -1;
    grid->OnRowInsert = [&inserted](TSortGrid*, int row) { inserted = row; };
    grid->InsertRow(1);
    EXPECT_EQ(grid->RowCount(), 5);
    EXPECT_EQ(markers(), QStringLiteral("abc"));  // row 1 is the new, empty one
    EXPECT_TRUE(grid->IsRowEmpty(1));
    EXPECT_EQ(grid->Cells(0, 2), QStringLiteral("a"));
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(inserted, 1);
    grid->InsertRow(grid->RowCount() - 1);
    EXPECT_EQ(grid->Row(), grid->RowCount() - 1);
    EXPECT_TRUE(grid->IsRowEmpty(grid->RowCount() - 1));
}

TEST_F(SortGridTest, ExchangeRowsSwapsTwoRows)
{
    fill({{"1"}, {"2"}, {"3"}, {"4"}});
    grid->ExchangeRows(1, 3);
    EXPECT_EQ(markers(), QStringLiteral("cbad"));
    grid->ExchangeRows(4, 2);
    EXPECT_EQ(markers(), QStringLiteral("cdab"));
}

TEST_F(SortGridTest, ColumnMoveCarriesTheSortColumn)
{
    fill({{"x", "y", "z"}});
    grid->SortOptions.SortCol = 1;
    grid->MoveColumn(1, 3);
    EXPECT_EQ(grid->SortOptions.SortCol, 3);
    EXPECT_EQ(grid->Cells(3, 1), QStringLiteral("x"));
    grid->MoveColumn(0, 3);
    EXPECT_EQ(grid->SortOptions.SortCol, 2);
    EXPECT_TRUE(grid->Modified());
}

// --- Size changes and the bracket -----------------------------------------------------

TEST_F(SortGridTest, SizeChangesNotifyOutsideTheBracketOnly)
{
    fill({{"1"}, {"2"}});
    std::vector<std::pair<int, int>> changes;
    grid->OnSizeChanged = [&changes](TSortGrid*, int cols, int rows) { changes.emplace_back(cols, rows); };
    grid->BeginUpdate();
    grid->SetRowCount(6);
    EXPECT_EQ(grid->RowCount(), 6);
    EXPECT_TRUE(changes.empty());
    grid->EndUpdate();
    EXPECT_TRUE(changes.empty()) << "EndUpdate does not raise the deferred notification";
    EXPECT_TRUE(grid->isEnabled());
    grid->SetRowCount(7);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], std::make_pair(2, 6));
}

TEST_F(SortGridTest, ShrinkingInsideTheBracketKeepsTheCurrentCellInside)
{
    fill({{"1"}, {"2"}, {"3"}, {"4"}});
    grid->GoToCell(0, 4, true);
    grid->BeginUpdate();
    grid->SetRowCount(2);
    grid->EndUpdate();
    EXPECT_LT(grid->Row(), grid->RowCount());
    EXPECT_LT(grid->TopRow(), grid->RowCount());
}

TEST_F(SortGridTest, UpdateOnSizeChangeIsSuspendedInsideTheBracket)
{
    fill({{"b"}, {"a"}});
    grid->SortOptions.SortCol = 1;
    grid->SortOptions.UpdateOnSizeChange = true;
    grid->BeginUpdate();
    EXPECT_FALSE(grid->SortOptions.UpdateOnSizeChange);
    grid->EndUpdate();
    EXPECT_TRUE(grid->SortOptions.UpdateOnSizeChange);
    grid->SetRowCount(4);  // resorts: the new empty row first, then keys a, b
    EXPECT_EQ(grid->Cells(0, 1), QString());
    EXPECT_EQ(grid->Cells(0, 2), QStringLiteral("b"));
    EXPECT_EQ(grid->Cells(0, 3), QStringLiteral("a"));
}

TEST_F(SortGridTest, TooFewRowsIsReported)
{
    grid->SetRowCount(1);
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_EQ(grid->FixedRows(), 0);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.first(), QStringLiteral("Rowsize too small"));
}

// --- Scrolling ------------------------------------------------------------------

class ScrollTest : public SortGridTest
{
protected:
    void SetUp() override
    {
        SortGridTest::SetUp();
        grid->SetDefaultRowHeight(19);
        grid->SetRowCount(100);
        grid->SetColCount(3);
    }
    void wheel(int steps)
    {
        const QPoint pos = cellCenter(1, grid->TopRow());
        QWheelEvent e(pos, grid->viewport()->mapToGlobal(pos), QPoint(), QPoint(0, 120 * steps),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &e);
    }
};

TEST_F(ScrollTest, WheelDownMovesViewAndRowOneDown)
{
    grid->SetTopRow(20);
    grid->GoToCell(1, 25, false);
    wheel(-1);
    EXPECT_EQ(grid->Row(), 26);
    EXPECT_EQ(grid->TopRow(), 21);
}

TEST_F(ScrollTest, WheelUpMovesViewThreeRowsUp)
{
    grid->SetTopRow(20);
    grid->GoToCell(1, 25, false);
    wheel(1);
    EXPECT_EQ(grid->Row(), 24);
    EXPECT_EQ(grid->TopRow(), 17);
}

TEST_F(ScrollTest, ScrollToCellKeepsOneRowAboveInView)
{
    grid->ScrollToCell(0, 50);
    EXPECT_EQ(grid->TopRow(), 49);
    grid->ScrollToCell(0, 1);
    EXPECT_EQ(grid->TopRow(), 1);
    grid->ScrollToCell(0, 99);
    EXPECT_EQ(grid->TopRow(), 100 - grid->VisibleRowCount());
    EXPECT_EQ(grid->verticalScrollBar()->value(), grid->TopRow() - 1);
}

TEST_F(ScrollTest, PageDownMovesCurrentAndViewByAPage)
{
    grid->GoToCell(1, 1, true);
    const int page = grid->VisibleRowCount();
    QTest::keyClick(grid.get(), Qt::Key_PageDown);
    EXPECT_EQ(grid->Row(), 1 + page);
    QTest::keyClick(grid.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid->Row(), 99);
    EXPECT_EQ(grid->TopRow() + grid->VisibleRowCount() - 1, 99);
}

TEST_F(ScrollTest, ProportionalThumbFollowsTheVisibleShare)
{
    grid->SetScrollBars(ssVertical);
    grid->SetProportionalScrollBars(true);
    QScrollBar* v = grid->verticalScrollBar();
    const double expected = double(grid->VisibleRowCount() + 1) / 100 * (v->maximum() - v->minimum() + 1);
    EXPECT_EQ(v->pageStep(), std::max(int(std::lround(expected)), 1));
}

// --- Filter -----------------------------------------------------------------------

TEST_F(SortGridTest, FilterHidesRejectedRowsAndBringsThemBack)
{
    fill({{"keep"}, {"drop"}, {"keep"}, {"drop"}});
    grid->SortOptions.CanSort = false;
    grid->SetModified(false);
    grid->OnSetFilter = [](const QStringList& cells, bool& accept) { accept = cells.value(1) == "keep"; };
    grid->SetFiltered(true);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->HiddenRowCount(), 2);
    EXPECT_EQ(markers(), QStringLiteral("ac"));
    EXPECT_FALSE(grid->NowUpdating());
    EXPECT_FALSE(grid->Modified()) << "the filter restores Modified";
    grid->SetFiltered(false);
    EXPECT_EQ(grid->RowCount(), 5);
    EXPECT_EQ(grid->HiddenRowCount(), 0);
    EXPECT_EQ(markers(), QStringLiteral("acbd"));
}

TEST_F(SortGridTest, FilterAcceptingNothingShowsOneEmptyRowAndRestoresTheOrder)
{
    fill({{"1"}, {"2"}, {"3"}});
    grid->SortOptions.CanSort = false;
    grid->OnSetFilter = [](const QStringList&, bool& accept) { accept = false; };
    grid->SetFiltered(true);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_TRUE(grid->IsRowEmpty(1));
    grid->SetFiltered(false);
    EXPECT_EQ(markers(), QStringLiteral("abc"));
}

TEST_F(SortGridTest, FilteredRowsComeBackSortedWhenSortingIsAllowed)
{
    fill({{"3", "x"}, {"1", "y"}, {"2", "x"}});
    grid->SortOptions.SortCol = 1;
    grid->OnSetFilter = [](const QStringList& cells, bool& accept) { accept = cells.value(2) == "x"; };
    grid->SetFiltered(true);
    EXPECT_EQ(markers(), QStringLiteral("ca"));
    grid->SetFiltered(false);
    EXPECT_EQ(markers(), QStringLiteral("bca"));
}

// --- Selection with the mouse and keys ---------------------------------------------

class MultiSelectTest : public SortGridTest
{
protected:
    void SetUp() override
    {
        SortGridTest::SetUp();
        fill({{"1"}, {"2"}, {"3"}, {"4"}, {"5"}, {"6"}});
        grid->SetMultiSelect(true);
        grid->OnRowSelected = [this](TSortGrid*) { ++selectedEvents; };
        grid->GoToCell(1, 1, false);
        selectedEvents = 0;
    }
    int selectedEvents = 0;
};

TEST_F(MultiSelectTest, MultiSelectImpliesRowSelect)
{
    EXPECT_TRUE(grid->Options() & goRowSelect);
}

TEST_F(MultiSelectTest, PlainClickSelectsOneRow)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCenter(1, 3));
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->SelectedRows(), std::vector<int>{3});
    EXPECT_GE(selectedEvents, 1);
}

TEST_F(MultiSelectTest, CtrlClickAddsAndRemovesRows)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, cellCenter(1, 3));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, cellCenter(1, 5));
    EXPECT_EQ(grid->SelectedRows(), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(grid->Row(), 5);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, cellCenter(1, 5));
    EXPECT_EQ(grid->SelectedRows(), (std::vector<int>{1, 3}));
    EXPECT_EQ(grid->Row(), 3) << "the last row selected becomes current again";
}

TEST_F(MultiSelectTest, ShiftClickSelectsTheRange)
{
    QTest::keyPress(grid.get(), Qt::Key_Shift);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCenter(1, 4));
    QTest::keyRelease(grid.get(), Qt::Key_Shift);
    EXPECT_EQ(grid->SelectedRows(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_GE(selectedEvents, 1);
}

TEST_F(MultiSelectTest, ShiftArrowsSelectTheRangeOnRelease)
{
    QTest::keyPress(grid.get(), Qt::Key_Shift);
    QTest::keyClick(grid.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(grid.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyRelease(grid.get(), Qt::Key_Shift);
    EXPECT_EQ(grid->SelectedRows(), (std::vector<int>{1, 2, 3}));
    // A plain arrow afterwards goes back to one row.
    QTest::keyClick(grid.get(), Qt::Key_Down);
    EXPECT_EQ(grid->SelectedRows().size(), 1u);
    EXPECT_FALSE(grid->Options() & goRangeSelect);
}

TEST_F(MultiSelectTest, ArrowKeysMoveTheSingleSelection)
{
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->SelectedRows(), std::vector<int>{3});
    EXPECT_GE(selectedEvents, 2);
}

// --- Keys ------------------------------------------------------------------------

TEST_F(SortGridTest, FirstLetterSearchWrapsToTheTop)
{
    fill({{"Mona"}, {"Anna"}, {"max"}, {"Berta"}});
    grid->SortOptions.SortCol = 1;
    grid->SortOptions.CanSort = false;
    grid->GoToCell(1, 1, false);
    QTest::keyClick(grid.get(), Qt::Key_M, Qt::NoModifier);
    EXPECT_EQ(grid->Row(), 3);
    QTest::keyClick(grid.get(), Qt::Key_M, Qt::NoModifier);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(SortGridTest, ExtendedKeysInsertAndDeleteRows)
{
    fill({{"1"}, {"2"}});
    grid->SetExtendedKeys(true);
    grid->GoToCell(1, 1, false);
    QTest::keyClick(grid.get(), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(grid->RowCount(), 4);
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(grid->RowCount(), 3);
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(grid->RowCount(), 2);
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(grid->RowCount(), 2) << "the last data row stays";
}

// --- Cell kinds, validation, Modified -------------------------------------------------

TEST_F(SortGridTest, CheckBoxCellsToggleOnClickAndSpace)
{
    fill({{""}, {"x"}});
    grid->OnGetCellFormat = [](TSortGrid*, int col, int, TGridDrawState, TFormatOptions&, bool& check,
                               bool&, bool&) { check = col == 1; };
    std::vector<bool> states;
    grid->OnSetChecked = [&states](TSortGrid*, int, int, bool state) { states.push_back(state); };
    EXPECT_FALSE(grid->GetChecked(1, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCenter(1, 1));
    EXPECT_TRUE(grid->GetChecked(1, 1));
    EXPECT_EQ(grid->Cells(1, 1), QStringLiteral("1"));
    grid->GoToCell(1, 1, false);
    QTest::keyClick(grid.get(), Qt::Key_Space);
    EXPECT_FALSE(grid->GetChecked(1, 1));
    EXPECT_EQ(states, (std::vector<bool>{true, false}));
    grid->SetChecked(2, 1, true);  // not a check-box cell
    EXPECT_EQ(grid->Cells(2, 1), QString());
}

TEST_F(SortGridTest, ValidationCanRejectAnEdit)
{
    fill({{"old"}, {"x"}});
    grid->SetOptions(grid->Options() | goEditing);
    grid->SetModified(false);
    grid->OnCellValidate = [](TSortGrid*, int, int, const QString& oldValue, QString& newValue, bool& valid) {
        valid = newValue.size() <= 5;
        EXPECT_EQ(oldValue, QStringLiteral("old"));
    };
    grid->GoToCell(1, 1, false);
    grid->setFocus();
    QTest::keyClick(grid.get(), Qt::Key_F2);
    ASSERT_TRUE(grid->editorActive());
    QTest::keyClicks(grid->InplaceEditor(), QStringLiteral("toolongtext"));
    EXPECT_EQ(grid->Cells(1, 1), QStringLiteral("toolongtext"));
    EXPECT_TRUE(grid->Modified());
    QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), QStringLiteral("old"));
    EXPECT_FALSE(grid->Modified());
}

TEST_F(SortGridTest, ModifiedRaisesItsEvent)
{
    int events = 0;
    grid->OnModified = [&events](TSortGrid*) { ++events; };
    grid->SetUserSettings({QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_TRUE(grid->Modified());
    EXPECT_EQ(grid->UserSettings().size(), 2);
    grid->SetModified(false);
    grid->SetRowCount(9);
    EXPECT_TRUE(grid->Modified());
    EXPECT_EQ(events, 2);
}

TEST_F(SortGridTest, PopupMenuOpensOnRightClickOutsideTheHeader)
{
    fill({{"1"}});
    QMenu menu;
    menu.addAction(QStringLiteral("Zeile entfernen"));
    grid->SetPopupMenu(&menu);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cellCenter(1, 1));
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.property("PopupComponent").value<QObject*>(), grid.get());
    menu.hide();
    grid->SortOptions.CanSort = false;
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cellCenter(1, 0));
    EXPECT_FALSE(menu.isVisible());
}

TEST_F(SortGridTest, LastColumnFillsTheControl)
{
    grid->SetColCount(3);
    grid->SetColWidths(0, 50);
    grid->SetColWidths(1, 60);
    grid->resize(500, 200);
    QApplication::processEvents();
    EXPECT_EQ(grid->CellRect(2, 0).right() + 1 + grid->GridLineWidth(), grid->viewport()->width());
    grid->SetColWidths(2, -1);
    grid->resize(520, 200);
    QApplication::processEvents();
    EXPECT_EQ(grid->ColWidths(2), -1) << "a hidden last column stays hidden";
}

}  // namespace

// Readers keep copies of a grid's texts for as long as its content count is
// unchanged, so every change of text or of row places must move the count.
TEST(SortGridContent, EveryChangeMovesTheContentCount)
{
    TSortGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(4);
    grid.SortOptions.CanSort = true;
    quint64 seen = grid.contentGeneration();
    auto changed = [&] {
        const bool moved = grid.contentGeneration() != seen;
        seen = grid.contentGeneration();
        return moved;
    };
    grid.SetCells(0, 1, QStringLiteral("b"));
    grid.SetCells(0, 2, QStringLiteral("a"));
    grid.SetCells(0, 3, QStringLiteral("c"));
    EXPECT_TRUE(changed());
    grid.SetCells(0, 1, QStringLiteral("b"));
    EXPECT_FALSE(changed());  // the same text again
    grid.SortByColumn(0);
    EXPECT_EQ(grid.Cells(0, 1), QStringLiteral("a"));
    EXPECT_TRUE(changed());
    grid.DeleteRow(1);
    EXPECT_TRUE(changed());
    grid.Rows(1).SetStrings(2, QStringLiteral("x"));
    EXPECT_TRUE(changed());
}
