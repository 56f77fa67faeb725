#include "results/timeassignment.h"

#include "support/resulttables.h"
#include "support/testnames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One time row in short form: marks "X...." per start-number field, '.' up,
// 'x' down, 'X' down with the exact-time mark (at most one per row).
struct RowText {
    const char* text;
    const char* marks;
    bool counted = true;
};

QVector<TimeRow> makeRows(const std::vector<RowText>& texts)
{
    QVector<TimeRow> rows;
    for (size_t i = 0; i < texts.size(); ++i) {
        TimeRow row;
        row.text = QString::fromUtf8(texts[i].text);
        row.counted = texts[i].counted;
        row.zeitRow = i > 0;
        for (int k = 0; k < kCarsPerRace; ++k) {
            const char m = texts[i].marks[k];
            row.down[k] = m == 'x' || m == 'X';
            if (m == 'X')
                row.exactMark = k + 1;
        }
        rows.append(row);
    }
    return rows;
}

struct EntryCase {
    const char* name;
    int acc;
    std::vector<const char*> numbers;
    std::vector<RowText> rows;
    Rows before;
    Rows after;
    std::vector<int> passages;
};

void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class EnterRaceTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EnterRaceTest, WritesTheTable)
{
    const EntryCase& c = GetParam();
    ResultTable table = makeTable(c.before);
    RaceEntry entry;
    entry.acc = c.acc;
    entry.trackLengthText = QStringLiteral("850");
    for (size_t k = 0; k < c.numbers.size(); ++k)
        entry.startNumbers[k] = QString::fromUtf8(c.numbers[k]);
    entry.rows = makeRows(c.rows);

    const RaceEntryResult result = enterRace(table, entry);
    EXPECT_TRUE(result.entered());
    EXPECT_TRUE(result.message().isEmpty());
    EXPECT_EQ(dataRows(table), dataRows(makeTable(c.after)));
    for (size_t k = 0; k < c.passages.size(); ++k)
        EXPECT_EQ(result.passages[k], c.passages[k]) << "field " << k + 1;
}

INSTANTIATE_TEST_SUITE_P(Examples, EnterRaceTest, ::testing::Values(
    EntryCase{"OneCarThreeLaps", 2, {"12"},
        {{"00:00,00", "X...."}, {"01:02,00", "X...."}, {"02:01,50", "X...."}, {"03:05,25", "X...."}},
        {},
        {{"", "12", "00:00,00", "01:02,00", "00:59,50", "01:03,75", "00:59,50"}},
        {4}},
    EntryCase{"OnlyTheStart", 2, {"12"},
        {{"00:00,00", "X...."}, {"01:02,00", "....."}},
        {},
        {{"", "12", "00:00,00", "-", "-", "-", "Ausfall"}},
        {1}},
    EntryCase{"TwoCarsOneRowFiftyMillisecondRule", 2, {"12", "34"},
        {{"00:00,00", "Xx..."}, {"01:00,00", "Xx..."}, {"02:00,00", ".X..."}, {"02:05,00", "X...."}},
        {},
        {{"", "12", "00:00,00", "01:00,00", "01:05,00", "-", "01:00,00"},
         {"", "34", "00:00,00", "01:00,05", "00:59,95", "-", "00:59,95"}},
        {3, 3}},
    EntryCase{"ExistingNumberOverwrittenFewerPassagesGiveDashes", 2, {"12"},
        {{"00:00,00", "X...."}, {"01:10,00", "X...."}},
        {{"1.", "12", "00:00,00", "01:02,00", "00:59,50", "01:03,75", "00:59,50", "00:00,00", "51,4", "1"},
         {"2.", "5", "00:00,00", "01:02,00", "01:00,00", "01:03,75", "01:00,00", "00:00,50", "51,0", "2"}},
        {{"1.", "12", "00:00,00", "01:10,00", "-", "-", "01:10,00", "00:00,00", "51,4", "1"},
         {"2.", "5", "00:00,00", "01:02,00", "01:00,00", "01:03,75", "01:00,00", "00:00,50", "51,0", "2"}},
        {2}},
    EntryCase{"LeadingZeroIsAnotherStartNumber", 2, {"07"},
        {{"00:00,00", "X...."}, {"01:00,00", "X...."}},
        {{"1.", "7", "00:00,00", "01:02,00", "-", "-", "01:02,00", "00:00,00", "49,4", "1"}},
        {{"1.", "7", "00:00,00", "01:02,00", "-", "-", "01:02,00", "00:00,00", "49,4", "1"},
         {"", "07", "00:00,00", "01:00,00", "-", "-", "01:00,00"}},
        {2}},
    EntryCase{"RowsAppendInOrderOfStartPassages", 2, {"12", "34"},
        {{"00:00,00", ".X..."}, {"00:01,00", "X...."}, {"01:00,00", "Xx..."}},
        {},
        {{"", "34", "00:00,00", "01:00,05", "-", "-", "01:00,05"},
         {"", "12", "00:01,00", "00:59,00", "-", "-", "00:59,00"}},
        {2, 2}},
    EntryCase{"UncheckedRowDoesNotCount", 2, {"12"},
        {{"00:00,00", "X...."}, {"00:30,00", "X....", false}, {"01:00,00", "X...."}},
        {},
        {{"", "12", "00:00,00", "01:00,00", "-", "-", "01:00,00"}},
        {2}},
    EntryCase{"FifthAndSixthMarksWriteNothing", 2, {"12"},
        {{"00:00,00", "X...."}, {"01:00,00", "X...."}, {"02:00,00", "X...."}, {"03:00,00", "X...."},
         {"03:10,00", "X...."}, {"03:20,00", "X...."}},
        {},
        {{"", "12", "00:00,00", "01:00,00", "01:00,00", "01:00,00", "01:00,00"}},
        {6}},
    EntryCase{"EmptyFieldIsSkipped", 2, {"12", "", "  "},
        {{"00:00,00", "Xxx.."}, {"01:00,00", "Xxx.."}},
        {},
        {{"", "12", "00:00,00", "01:00,00", "-", "-", "01:00,00"}},
        {2, 0, 0}},
    EntryCase{"OneDecimalReadsTenths", 1, {"12"},
        {{"00:00,0", "X...."}, {"01:02,5", "X...."}, {"02:01,9", "X...."}},
        {},
        {{"", "12", "00:00,0", "01:02,5", "00:59,4", "-", "00:59,4"}},
        {3}},
    EntryCase{"NoDecimalsReadsSeconds", 0, {"12"},
        {{"00:00", "X...."}, {"01:02", "X...."}, {"02:01", "X...."}},
        {},
        {{"", "12", "00:00", "01:02", "00:59", "-", "00:59"}},
        {3}}),
    testnames::caseNames([](const EntryCase& c) { return c.name; }));

RaceEntry oneCarRace()
{
    RaceEntry entry;
    entry.trackLengthText = QStringLiteral("850");
    entry.startNumbers[0] = QStringLiteral("12");
    entry.rows = makeRows({{"00:00,00", "X...."}, {"01:02,00", "X...."}, {"02:01,50", "X...."}});
    return entry;
}

TEST(EnterRace, SameRaceTwiceLeavesTheTableUnchanged)
{
    ResultTable table = ResultTable::withHeading();
    const RaceEntry entry = oneCarRace();
    ASSERT_TRUE(enterRace(table, entry).entered());
    const ResultTable once = table;
    ASSERT_TRUE(enterRace(table, entry).entered());
    EXPECT_EQ(table.rows, once.rows);
}

TEST(EnterRace, NinthPageRefusesWhateverWasMarked)
{
    ResultTable table = ResultTable::withHeading();
    const ResultTable before = table;
    RaceEntry entry = oneCarRace();
    entry.pageIndex = 8;
    const RaceEntryResult result = enterRace(table, entry);
    EXPECT_EQ(result.status, RaceEntryResult::Status::NinthPage);
    EXPECT_EQ(result.message(), QStringLiteral("Sorry. Dont use this page!"));
    EXPECT_EQ(table.rows, before.rows);

    entry.pageIndex = 9;
    EXPECT_TRUE(enterRace(table, entry).entered());
}

// A std::string, not a pointer: gtest would list the pointer's address.
class TrackLengthTest : public ::testing::TestWithParam<std::pair<std::string, bool>> {};

TEST_P(TrackLengthTest, ZeroOrNoNumberStopsTheEntry)
{
    ResultTable table = ResultTable::withHeading();
    const ResultTable before = table;
    RaceEntry entry = oneCarRace();
    entry.trackLengthText = QString::fromStdString(GetParam().first);
    const RaceEntryResult result = enterRace(table, entry);
    if (GetParam().second) {
        EXPECT_TRUE(result.entered());
    } else {
        EXPECT_EQ(result.status, RaceEntryResult::Status::CheckTrackLength);
        EXPECT_EQ(result.message(), QString::fromUtf8("Prüfen Sie bitte die Streckenlänge!"));
        EXPECT_EQ(table.rows, before.rows);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TrackLengthTest, ::testing::Values(
    std::make_pair("850", true), std::make_pair("1", true), std::make_pair("0", false),
    std::make_pair("", false), std::make_pair("00", false), std::make_pair("abc", false)),
    testnames::caseNames([](const std::pair<std::string, bool>& c) { return "Length_" + (c.first.empty() ? "Empty" : c.first); }));

TEST(EnterRace, NothingMarkedDoesNothing)
{
    ResultTable table = ResultTable::withHeading();
    const ResultTable before = table;
    RaceEntry entry = oneCarRace();
    entry.rows = makeRows({{"00:00,00", "....."}, {"01:00,00", "....."}});
    const RaceEntryResult result = enterRace(table, entry);
    EXPECT_EQ(result.status, RaceEntryResult::Status::NothingMarked);
    EXPECT_TRUE(result.message().isEmpty());
    EXPECT_EQ(table.rows, before.rows);
}

TEST(EnterRace, ReportsRowsAndFieldColours)
{
    ResultTable table = ResultTable::withHeading();
    RaceEntry entry = oneCarRace();
    entry.startNumbers[1] = QStringLiteral("34");
    entry.rows[0].down[1] = true;  // the second car only starts
    const RaceEntryResult result = enterRace(table, entry);
    ASSERT_TRUE(result.entered());
    EXPECT_EQ(result.tableRows[0], 1);
    EXPECT_EQ(result.tableRows[1], 2);
    EXPECT_EQ(result.tableRows[2], 0);
    EXPECT_EQ(result.totalMarks, 4);
    EXPECT_EQ(startNumberColor(result.passages[0]), TColor(11031552));
    EXPECT_EQ(startNumberColor(result.passages[1]), clRed);
    EXPECT_EQ(startNumberColor(result.passages[2]), clRed);
}

TEST(EnterRace, StartNumbersMatchIgnoringCaseButNotTheHeading)
{
    ResultTable table = makeTable({{"", "a1"}, {"", "B2"}});
    EXPECT_EQ(findStartNumberRow(table, QStringLiteral("A1")), 1);
    EXPECT_EQ(findStartNumberRow(table, QStringLiteral("b2")), 2);
    EXPECT_EQ(findStartNumberRow(table, QStringLiteral("Nr.")), 0);
    EXPECT_EQ(findStartNumberRow(table, QStringLiteral("7")), 0);
}

TEST(EnterRace, BlankFirstRowIsReusedWithoutOverwritingAnother)
{
    // Row 1 blank in a longer table: the new car takes row 1 and the last
    // row, which belongs to start number 5, keeps its number.
    ResultTable table = makeTable({{}, {"1.", "5", "00:00,00", "01:00,00", "-", "-", "01:00,00"}});
    ASSERT_TRUE(enterRace(table, oneCarRace()).entered());
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.cell(1, ResultTable::ColNumber), QStringLiteral("12"));
    EXPECT_EQ(table.cell(2, ResultTable::ColNumber), QStringLiteral("5"));
    EXPECT_EQ(table.cell(2, ResultTable::ColLap1), QStringLiteral("01:00,00"));
}

// --- assignment marks ---------------------------------------------------

TEST(ClickAssignment, FirstCarOfARowTakesTheExactMark)
{
    TimeRow row;
    EXPECT_TRUE(clickAssignment(row, 2));
    EXPECT_TRUE(row.down[1]);
    EXPECT_EQ(row.exactMark, 2);
    EXPECT_EQ(row.firstColumn, 2);

    EXPECT_TRUE(clickAssignment(row, 4));  // a second car shares the row
    EXPECT_TRUE(row.down[3]);
    EXPECT_EQ(row.exactMark, 2);
    EXPECT_EQ(row.firstColumn, 2);

    EXPECT_FALSE(clickAssignment(row, 4));  // toggles back up
    EXPECT_FALSE(row.down[3]);
    EXPECT_EQ(row.exactMark, 2);

    EXPECT_FALSE(clickAssignment(row, 0));
    EXPECT_FALSE(clickAssignment(row, 6));
}

TEST(RefreshAssignments, LabelsGlyphAndDisabledFifthMark)
{
    // Car 1 marked on the start row and five ZEIT rows; car 2 on rows 1 and 3.
    QVector<TimeRow> rows = makeRows({{"00:00,00", "Xx..."}, {"01:00,00", "X...."},
                                      {"02:00,00", "xX..."}, {"03:00,00", "X...."},
                                      {"03:10,00", "X...."}, {"03:20,00", "X...."}});
    const auto views = RefreshAssignments(rows);
    ASSERT_EQ(views.size(), 6);
    for (const auto& view : views)
        ASSERT_TRUE(view.has_value());

    const char* labels[6] = {"", "1", "2", "3", "", ""};
    for (int i = 0; i < 6; ++i) {
        const MarkView& car1 = (*views[i])[0];
        EXPECT_EQ(car1.label.toStdString(), labels[i]) << "row " << i + 1;
        EXPECT_EQ(car1.enabled, i < 4) << "row " << i + 1;
        EXPECT_EQ(car1.finalLapGlyph, i == 3) << "row " << i + 1;
        EXPECT_EQ(car1.exactVisible, i > 0 && i < 4) << "row " << i + 1;
    }
    // The start row never shows exact-time marks.
    EXPECT_FALSE((*views[0])[1].exactVisible);
    EXPECT_EQ((*views[2])[1].label, QStringLiteral("1"));
    EXPECT_TRUE((*views[2])[1].exactVisible);
    // Buttons that are up: enabled, plain, no label.
    const MarkView& up = (*views[1])[1];
    EXPECT_TRUE(up.enabled);
    EXPECT_FALSE(up.finalLapGlyph);
    EXPECT_FALSE(up.exactVisible);
    EXPECT_TRUE(up.label.isEmpty());
}

TEST(RefreshAssignments, UncheckedRowsNeitherCountNorChange)
{
    QVector<TimeRow> rows = makeRows({{"00:00,00", "X...."}, {"01:00,00", "X....", false},
                                      {"02:00,00", "X...."}});
    const auto views = RefreshAssignments(rows);
    ASSERT_EQ(views.size(), 3);
    EXPECT_FALSE(views[1].has_value());
    ASSERT_TRUE(views[2].has_value());
    EXPECT_EQ((*views[2])[0].label, QStringLiteral("1"));
}

TEST(RefreshAssignments, StartRowsLastUntilTheFirstZeitRow)
{
    QVector<TimeRow> rows = makeRows({{"00:00,00", "X...."}, {"00:10,00", ".X..."},
                                      {"01:00,00", "X...."}});
    rows[1].zeitRow = false;
    rows[2].zeitRow = true;
    auto views = RefreshAssignments(rows);
    EXPECT_FALSE((*views[1])[1].exactVisible);
    EXPECT_TRUE((*views[2])[0].exactVisible);
}

}  // namespace
