#include "results/spreadsheetexport.h"

#include "platform/fakespreadsheet.h"
#include "support/resulttables.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>


using platform::CellValue;
using platform::FakeOffice;
using platform::FakeSpreadsheet;
using platform::FakeWorkbook;

namespace {

CellValue text(const char* s) { return QString::fromUtf8(s); }

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class SpreadsheetExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        input.tables = QVector<ResultTable>(21, ResultTable::withHeading());
        input.tables[0] = makeTable({{"1.", "12", "00:00,00", "00:59,50", "01:01,00", "-", "00:59,50", "", "54,5", "2"},
                                     {"2.", "7", "00:00,00", "01:02,00", "-", "-", "01:02,00", "00:02,50", "51,0", "1"}});
        input.classNames = {QStringLiteral("Junioren"), QStringLiteral("Damen"), QStringLiteral("Herren")};
        for (int p = 0; p < 21; ++p)
            input.pageCaptions << (p < 3 ? input.classNames[p] : QStringLiteral("Klasse %1").arg(p + 1));
        input.windowCaption = QStringLiteral("Pylonix 2.5");
        input.applicationTitle = QStringLiteral("Pylonix");
    }

    SpreadsheetExportResult run()
    {
        FakeSpreadsheet app(office);
        return ExportToSpreadsheet(app, input, {[this](int n) { maximum = n; }, [this](int n) { positions << n; }});
    }

    const FakeWorkbook::Sheet& sheet(int k) const { return office->workbook.sheets.at(k - 1); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    std::shared_ptr<FakeOffice> office = std::make_shared<FakeOffice>();
    SpreadsheetExportInput input;
    int maximum = -1;
    QVector<int> positions;
};

// Ctrl+E with results in class 1 only.
TEST_F(SpreadsheetExportTest, NewWorkbookHasTwentyOneSheetsAndIsLeftVisible)
{
    const auto result = run();
    ASSERT_TRUE(result.ok) << result.message(QString()).toStdString();
    ASSERT_EQ(office->workbook.sheets.size(), 21);
    const QStringList calls = office->callLog();
    EXPECT_EQ(calls.mid(0, 3), (QStringList{"start", "setAlertsEnabled false", "addWorkbook"}));
    EXPECT_EQ(calls.last(), QStringLiteral("setVisible true"));
    EXPECT_FALSE(office->quit);
    EXPECT_EQ(calls.filter(QStringLiteral("saveAs")).size(), 0);

    EXPECT_EQ(sheet(1).cell(1, 2), text("Nr."));
    EXPECT_EQ(sheet(1).cell(2, 2), text("12"));
    EXPECT_EQ(sheet(1).cell(3, 7), text("01:02,00"));
    EXPECT_EQ(sheet(1).cell(3, 10), CellValue{});  // the order column is not exported
    for (int c = 1; c <= 10; ++c)
        EXPECT_TRUE(sheet(1).bold.contains({1, c})) << c;
    EXPECT_FALSE(sheet(1).bold.contains({2, 1}));
    EXPECT_EQ(sheet(1).autofitted.constFirst(), (platform::CellRange{1, 1, 3, 10}));

    // Other classes: the heading row and one empty row.
    EXPECT_EQ(sheet(21).cell(1, 9), text("Km/h"));
    EXPECT_EQ(sheet(21).cells.size(), 9);
    EXPECT_EQ(office->calls.filter(QStringLiteral("setValues 21 1:1-2:10")).size(), 1);

    EXPECT_EQ(sheet(1).name, QStringLiteral("Junioren"));
    EXPECT_EQ(sheet(3).name, QStringLiteral("Herren"));
    EXPECT_EQ(sheet(4).name, QStringLiteral("Tabelle4"));  // only the box's names are given
    EXPECT_EQ(office->workbook.title, QStringLiteral("Pylonix 2.5"));
    EXPECT_EQ(office->workbook.subject, QStringLiteral("Pylonix"));
    EXPECT_EQ(office->workbook.comments, QStringLiteral("Pylonix"));

    EXPECT_EQ(maximum, 3);
    EXPECT_EQ(positions.constFirst(), 0);
    EXPECT_EQ(positions.mid(1, 21).size(), 21);
    EXPECT_EQ(positions.constLast(), 3);
}

TEST_F(SpreadsheetExportTest, SavedToANewFileAndQuit)
{
    input.fileName = path("rennen.xlsx");
    const auto result = run();
    ASSERT_TRUE(result.ok) << result.message(input.fileName).toStdString();
    const FakeWorkbook* saved = office->fileAt(input.fileName);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->sheets.size(), 21);
    EXPECT_EQ(saved->sheets[0].cell(2, 9), CellValue(54.5));
    EXPECT_TRUE(office->quit);
    EXPECT_FALSE(office->visible);
    EXPECT_TRUE(office->callLog().filter(QStringLiteral("openWorkbook")).isEmpty());
    // Saved under a temporary name beside it, renamed into place.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"rennen.xlsx"});
}

// The format follows the extension.
TEST_F(SpreadsheetExportTest, FormatFollowsTheExtension)
{
    for (const auto& [name, format] : {std::pair{"a.xlsx", platform::WorkbookFormat::Xlsx},
                                       std::pair{"b.XLS", platform::WorkbookFormat::Xls},
                                       std::pair{"c.ods", platform::WorkbookFormat::Ods}}) {
        input.fileName = path(name);
        office->calls.clear();
        ASSERT_TRUE(run().ok) << name;
        const QString save = office->callLog().filter(QStringLiteral("saveAs")).value(0);
        EXPECT_TRUE(save.endsWith(QStringLiteral(" %1").arg(int(format)))) << save.toStdString();
    }
}

// Saving again after the operator put rows above the table and the class got a row.
TEST_F(SpreadsheetExportTest, UpdateInPlaceWritesAtTheNrHeadingAndKeepsRowsAbove)
{
    input.fileName = path("rennen.xlsx");
    ASSERT_TRUE(run().ok);
    FakeWorkbook book = *office->fileAt(input.fileName);
    auto& first = book.sheets[0];
    // The operator inserted three rows above the table: everything moves down.
    QMap<QPair<int, int>, CellValue> moved;
    for (auto it = first.cells.cbegin(); it != first.cells.cend(); ++it)
        moved[{it.key().first + 3, it.key().second}] = it.value();
    moved[{1, 1}] = text("Stadtmeisterschaft 2026");
    moved[{2, 2}] = text("Lauf 3");
    first.cells = moved;
    first.bold.clear();
    ASSERT_TRUE(office->putFile(input.fileName, book));
    input.tables[0].rows.append({"3.", "99", "00:00,00", "01:05,00", "-", "-", "01:05,00", "00:05,50", "48,2", "3"});

    ASSERT_TRUE(run().ok);
    const FakeWorkbook& saved = *office->fileAt(input.fileName);
    EXPECT_EQ(saved.sheets[0].cell(1, 1), text("Stadtmeisterschaft 2026"));
    EXPECT_EQ(saved.sheets[0].cell(2, 2), text("Lauf 3"));
    EXPECT_EQ(saved.sheets[0].cell(4, 2), text("Nr."));
    EXPECT_EQ(saved.sheets[0].cell(7, 2), text("99"));
    EXPECT_EQ(saved.sheets[0].cell(7, 9), CellValue(48.2));
    EXPECT_TRUE(saved.sheets[0].bold.isEmpty());  // bold only for a table at the top
    EXPECT_EQ(office->callLog().filter(QStringLiteral("openWorkbook")).size(), 1);
    EXPECT_EQ(office->callLog().filter(QStringLiteral("values 1 1:1-6:2")).size(), 1);
}

TEST_F(SpreadsheetExportTest, MissingSheetsAreAddedAfterTheOperatorsOwn)
{
    input.fileName = path("eigene.ods");
    FakeWorkbook book;
    for (const char* name : {"Notizen", "Zeitplan", "Helfer"})
        book.sheets.append(FakeWorkbook::Sheet{QString::fromLatin1(name), {{{5, 5}, text("x")}}, {}, {}});
    ASSERT_TRUE(office->putFile(input.fileName, book));
    input.classNames.clear();  // no names given: the sheets keep theirs

    ASSERT_TRUE(run().ok);
    const FakeWorkbook& saved = *office->fileAt(input.fileName);
    ASSERT_EQ(saved.sheets.size(), 21);
    EXPECT_EQ(office->callLog().filter(QStringLiteral("addWorksheet")).size(), 18);
    EXPECT_EQ(saved.sheets[1].name, QStringLiteral("Zeitplan"));
    EXPECT_EQ(saved.sheets[1].cell(5, 5), text("x"));
    EXPECT_EQ(saved.sheets[1].cell(1, 2), text("Nr."));
}

TEST_F(SpreadsheetExportTest, WorkbookWithMoreSheetsKeepsThem)
{
    input.fileName = path("gross.xlsx");
    FakeWorkbook book;
    for (int k = 1; k <= 23; ++k)
        book.sheets.append(FakeWorkbook::Sheet{QStringLiteral("S%1").arg(k), {}, {}, {}});
    ASSERT_TRUE(office->putFile(input.fileName, book));
    ASSERT_TRUE(run().ok);
    EXPECT_EQ(office->fileAt(input.fileName)->sheets.size(), 23);
    EXPECT_TRUE(office->callLog().filter(QStringLiteral("addWorksheet")).isEmpty());
}

// What goes into the cells: texts stay texts, a speed with the separator is a number.
TEST(SpreadsheetExportRows, ValuesByColumn)
{
    const ResultTable table = makeTable({
        {"1.", "12", "00:00,00", "00:59,50", "", "", "00:59,50", "", "54,5", "1"},
        {"2.", "007", "=HYPERLINK(\"x\")", "TRUE", "", "", "", "", "00:54,5", ""},
        {"3.", "8", "", "", "", "", "", "", "54,5 km", ""},
        {"4.", "9", "", "", "", "", "", "", "54", ""},
        {"5.", "10", "", "", "", "", "", "", "1,234,5", ""},
    });
    const platform::CellRows rows = exportRows(table, QLatin1Char(','));
    ASSERT_EQ(rows.size(), 6);
    for (const auto& row : rows)
        ASSERT_EQ(row.size(), 10);
    EXPECT_EQ(rows[0][8], text("Km/h"));
    EXPECT_EQ(rows[1][8], CellValue(54.5));
    EXPECT_EQ(rows[1][3], text("00:59,50"));
    EXPECT_EQ(rows[1][9], CellValue{});
    EXPECT_EQ(rows[2][1], text("007"));
    EXPECT_EQ(rows[2][2], text("=HYPERLINK(\"x\")"));
    EXPECT_EQ(rows[2][3], text("TRUE"));
    EXPECT_EQ(rows[2][8], text("00:54,5"));  // holds ":": not a speed
    EXPECT_EQ(rows[3][8], text("54.5 km"));  // turned, but no number
    EXPECT_EQ(rows[4][8], text("54"));       // no separator: left as it is
    EXPECT_EQ(rows[5][8], text("1.234,5"));  // only the first separator turns
    EXPECT_EQ(exportRows(table, QLatin1Char('.'))[1][8], text("54,5"));
}

// Two classes with the same name, and a name with a character sheets refuse.
TEST_F(SpreadsheetExportTest, RefusedNamesAreSkipped)
{
    input.classNames = {QStringLiteral("Damen"), QStringLiteral("Damen"), QStringLiteral("A/B"), QStringLiteral("Herren")};
    input.pageCaptions[0] = input.pageCaptions[1] = QStringLiteral("Damen");
    input.pageCaptions[2] = QStringLiteral("A/B");
    input.pageCaptions[3] = QStringLiteral("Herren");
    const auto result = run();
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(sheet(1).name, QStringLiteral("Damen"));
    EXPECT_EQ(sheet(2).name, QStringLiteral("Tabelle2"));
    EXPECT_EQ(sheet(3).name, QStringLiteral("Tabelle3"));
    EXPECT_EQ(sheet(4).name, QStringLiteral("Herren"));
    EXPECT_EQ(result.refusedNames, (QVector<int>{2, 3}));
}

// A call that fails inside: the step and reason are told, the old file stays.
TEST_F(SpreadsheetExportTest, FailingCallKeepsTheOldFile)
{
    input.fileName = path("rennen.xlsx");
    ASSERT_TRUE(run().ok);
    const QByteArray before = bytesOf(input.fileName);
    struct Case {
        const char* call;
        int occurrence;
        const char* step;
    };
    for (const Case& c : {Case{"start", 1, "LibreOffice starten"}, Case{"openWorkbook", 1, "Öffnen von"},
                          Case{"setValues", 3, "Klasse 3 schreiben"}, Case{"setWorksheetName", 2, "Tabellenblätter benennen"},
                          Case{"saveAs", 1, "Speichern unter"}}) {
        office->calls.clear();
        office->quit = false;
        office->failCall = QString::fromLatin1(c.call);
        office->failOccurrence = c.occurrence;
        const auto result = run();
        EXPECT_FALSE(result.ok) << c.call;
        EXPECT_TRUE(result.step.startsWith(QString::fromUtf8(c.step))) << result.step.toStdString();
        EXPECT_EQ(result.reason, office->failReason);
        EXPECT_TRUE(result.fileKept);
        EXPECT_TRUE(result.message(input.fileName).contains(QStringLiteral("unverändert")));
        EXPECT_TRUE(office->quit) << c.call;  // the closing step runs anyway
        EXPECT_EQ(bytesOf(input.fileName), before) << c.call;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"rennen.xlsx"}) << c.call;
    }
}

// Ctrl+E failing half-way still shows what was written.
TEST_F(SpreadsheetExportTest, FailureWithoutFileStillShowsTheWorkbook)
{
    office->failCall = QStringLiteral("setBold");
    const auto result = run();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.step, QStringLiteral("Klasse 1 schreiben"));
    EXPECT_TRUE(office->visible);
    EXPECT_FALSE(result.message(QString()).contains(QStringLiteral("unverändert")));
}

TEST_F(SpreadsheetExportTest, TargetThatIsNotAWorkbookIsLeftAsItIs)
{
    input.fileName = path("notizen.xlsx");
    QFile file(input.fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("just text\n");
    file.close();
    const auto result = run();
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.step.startsWith(QStringLiteral("Öffnen von")));
    EXPECT_EQ(bytesOf(input.fileName), QByteArray("just text\n"));
}

// Refused before the application is even started: a name that is no
// workbook's, and a folder that cannot hold a file (a plain file in the way).
TEST_F(SpreadsheetExportTest, TargetsRefusedBeforeStarting)
{
    QFile blocker(path("kein-ordner"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (const QString& name : {path("rennen.txt"), path("kein-ordner/rennen.xlsx")}) {
        input.fileName = name;
        const auto result = run();
        EXPECT_FALSE(result.ok) << name.toStdString();
        EXPECT_FALSE(result.reason.isEmpty());
        EXPECT_TRUE(office->callLog().isEmpty()) << name.toStdString();
    }
}

TEST_F(SpreadsheetExportTest, TargetLockedByAnotherOfficeIsRefusedBeforeStarting)
{
    // What another office leaves beside a workbook it has open.
    for (const bool existed : {true, false}) {
        input.fileName = path(existed ? "offen.xlsx" : "neu.xlsx");
        if (existed) {
            ASSERT_TRUE(office->putFile(input.fileName, platform::FakeWorkbook{}));
        }
        QFile lock(path(existed ? ".~lock.offen.xlsx#" : ".~lock.neu.xlsx#"));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(",Zeitnahme,pc-2,09.12.2026 07:00,file:///home/zeitnahme/.config/libreoffice/4;");
        lock.close();
        QFile target(input.fileName);
        const QByteArray before = existed && target.open(QIODevice::ReadOnly) ? target.readAll() : QByteArray();
        target.close();

        const auto result = run();
        EXPECT_FALSE(result.ok);
        const QString message = result.message(input.fileName);
        EXPECT_TRUE(message.contains(QStringLiteral("gesperrt"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("Zeitnahme"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(input.fileName))) << message.toStdString();
        EXPECT_EQ(result.fileKept, existed);
        EXPECT_TRUE(office->callLog().isEmpty());
        if (existed) {
            ASSERT_TRUE(target.open(QIODevice::ReadOnly));
            EXPECT_EQ(target.readAll(), before);
        }
    }
}

}  // namespace
