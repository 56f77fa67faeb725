#include "results/resultsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include "support/filesizelimit.h"
#include "support/resulttables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

// A small event: results in classes 1 and 3, none in class 2.
struct SmallEvent {
    ResultTable groupA = makeTable({
        {"1.", "12", "00:00,00", "01:02,00", "00:59,50", "01:03,75", "00:59,50", "00:00,00", "51,4", "1"},
        {"2.", "7", "00:00,00", "01:00,00", "01:01,00", "-", "01:00,00", "00:00,50", "51,0", "2"},
        {"", "1234567", "00:00,00", "-", "-", "-", "Ausfall", "", "", "3"}});
    ResultTable empty = ResultTable::withHeading();
    ResultTable groupU = makeTable({
        {"1.", "Müll", "00:00,00", "00:58,10", "-", "-", "00:58,10", "00:00,00", "52,7", "1"}});

    QVector<ClassResults> classes() const
    {
        return {{QStringLiteral("Gruppe A"), &groupA},
                {QStringLiteral("Klasse 2"), &empty},
                {QString::fromUtf8("Gruppe Ü"), &groupU}};
    }
};

const char* const kHeading =
    "  Pl.   Nr.     START   1.Runde   2.Runde   3.Runde  Beste R.   Abstand   Km/h\r\n";

QByteArray expectedSmallEvent()
{
    return QByteArray("KLASSE: Gruppe A\r\n"
                      "\r\n")
        + kHeading
        + "   1.    12  00:00,00  01:02,00  00:59,50  01:03,75  00:59,50  00:00,00   51,4\r\n"
          "   2.     7  00:00,00  01:00,00  01:01,00         -  01:00,00  00:00,50   51,0\r\n"
          "     1234567  00:00,00         -         -         -   Ausfall                 \r\n"
          "\r\n"
          "KLASSE: Gruppe \xC3\x9C\r\n"
          "\r\n"
        + kHeading
        + "   1.  M\xC3\xBCll  00:00,00  00:58,10         -         -  00:58,10  00:00,00   52,7\r\n"
          "\r\n";
}

TEST(ResultsText, SmallEventByteForByte)
{
    const SmallEvent event;
    EXPECT_EQ(resultsText(event.classes()), expectedSmallEvent());
}

TEST(ResultsText, HeadingRowIs78Characters)
{
    EXPECT_EQ(resultLine(ResultTable::headings()).size(), 78);
    EXPECT_EQ(resultLine(ResultTable::headings()) + QStringLiteral("\r\n"), QString::fromLatin1(kHeading));
}

TEST(ResultsText, SingleStartNumberIsWritten)
{
    const ResultTable table = makeTable({{"", "12", "00:00,00", "-", "-", "-", "Ausfall"}});
    const QByteArray text = resultsText({{QStringLiteral("K"), &table}});
    EXPECT_EQ(text, QByteArray("KLASSE: K\r\n\r\n") + kHeading
                        + "         12  00:00,00         -         -         -   Ausfall                 \r\n\r\n");
}

TEST(ResultsText, NoResultsGiveAnEmptyText)
{
    const ResultTable fresh = ResultTable::withHeading();
    ResultTable ordered = ResultTable::withHeading();
    ordered.setCell(1, ResultTable::ColOrder, QStringLiteral("1"));  // left by a ranking
    EXPECT_TRUE(resultsText({{QStringLiteral("A"), &fresh}, {QStringLiteral("B"), &ordered}}).isEmpty());
    EXPECT_TRUE(resultsText({}).isEmpty());
    EXPECT_TRUE(resultsText({{QStringLiteral("C"), nullptr}}).isEmpty());
}

TEST(ResultsText, ShortRowsArePaddedWithBlanks)
{
    ResultTable table = ResultTable::withHeading();
    table.rows[1] = QStringList{QStringLiteral("1."), QStringLiteral("5")};
    const QByteArray text = resultsText({{QStringLiteral("K"), &table}});
    EXPECT_TRUE(text.contains(QByteArray("   1.     5") + QByteArray(67, ' ') + "\r\n"));
}

// A cell for the random tables below: its text, its UTF-8 bytes and its
// number of characters, built from one-character pieces of one to four bytes.
struct Cell {
    std::string utf8;
    int characters = 0;
};

Cell randomCell(std::mt19937& random)
{
    static const char* const kPieces[] = {"a", "Z", "7", ",", ":", "-", "\xC3\xA4", "\xC3\x9C", "\xC3\x9F",
                                          "\xE2\x82\xAC", "\xE2\x86\x92", "\xF0\x9F\x98\x80"};
    const bool ascii = random() % 2 == 0;  // most cells in a real file are
    Cell cell;
    cell.characters = int(random() % 13);  // up to 12: some overflow their field
    for (int i = 0; i < cell.characters; ++i)
        cell.utf8 += kPieces[random() % (ascii ? 6 : std::size(kPieces))];
    return cell;
}

// The line as plain bytes: blanks for the characters the field lacks, then the cell.
std::string referenceLine(const std::vector<Cell>& cells)
{
    std::string line;
    for (int col = 0; col < 9; ++col) {
        line.append(size_t(std::max(0, kResultFieldWidths[col] - cells[size_t(col)].characters)), ' ');
        line += cells[size_t(col)].utf8;
    }
    return line + "\r\n";
}

TEST(ResultsText, CellsWithAccentsAndSymbolsKeepEveryColumnInPlace)
{
    // First one class of 1 to 200 rows with "€€€" in every cell (such tables
    // once ended the program), then random classes and cells.
    const Cell euros{"\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", 3};
    std::mt19937 random(20261207);
    for (int event = 0; event < 230; ++event) {
        const bool fixed = event < 200;
        std::vector<ResultTable> tables(fixed ? 1 : 1 + random() % 3, ResultTable());
        QVector<ClassResults> classes;
        std::string expected;
        for (ResultTable& table : tables) {
            table.rows.append(ResultTable::headings());
            const std::string caption = fixed ? std::string("K") : randomCell(random).utf8;
            expected += "KLASSE: " + caption + "\r\n\r\n" + kHeading;
            const int rows = fixed ? event + 1 : 2 + int(random() % 300);
            for (int r = 0; r < rows; ++r) {
                std::vector<Cell> cells;
                QStringList row;
                for (int col = 0; col < ResultTable::ColumnCount; ++col) {
                    cells.push_back(fixed ? euros : randomCell(random));
                    row.append(QString::fromStdString(cells.back().utf8));
                }
                table.rows.append(row);
                expected += referenceLine(cells);
            }
            expected += "\r\n";
            classes.append({QString::fromStdString(caption), &table});
        }
        ASSERT_EQ(resultsText(classes).toStdString(), expected) << "event " << event;
    }
}

TEST(DateStamps, FixedTime)
{
    const QDateTime morning(QDate(2026, 12, 7), QTime(7, 5, 59));
    EXPECT_EQ(DateStampName(morning), QStringLiteral("2026-12-07_07-05"));
    EXPECT_EQ(DateStampName(QDateTime(QDate(2026, 1, 2), QTime(23, 59))), QStringLiteral("2026-01-02_23-59"));
    EXPECT_EQ(DateStampName(QDateTime(QDate(2026, 1, 2), QTime(0, 0))), QStringLiteral("2026-01-02_00-00"));
    EXPECT_EQ(backupFileName(QDate(2026, 12, 7)), QStringLiteral("Sicherung_2026-12-07.txt"));
    EXPECT_EQ(backupFileName(QDate(2027, 1, 1)), QStringLiteral("Sicherung_2027-01-01.txt"));
}

TEST(ClearResults, KeepsPlacesAndStartNumbers)
{
    ResultTable table = SmallEvent().groupA;
    clearResults(table);
    ASSERT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.rows[0], ResultTable::headings());
    EXPECT_EQ(table.cell(1, 0), QStringLiteral("1."));
    EXPECT_EQ(table.cell(1, 1), QStringLiteral("12"));
    EXPECT_EQ(table.cell(3, 1), QStringLiteral("1234567"));
    for (int r = 1; r < 4; ++r) {
        for (int c = 2; c < ResultTable::ColumnCount; ++c)
            EXPECT_TRUE(table.cell(r, c).isEmpty()) << r << "," << c;
    }
    EXPECT_TRUE(table.hasResults());

    ResultTable fresh = ResultTable::withHeading();
    clearResults(fresh);
    EXPECT_FALSE(fresh.hasResults());
}

class BackupTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    SmallEvent event;
    QDate day{2026, 12, 7};

    QString backupPath() const { return dir.filePath(QStringLiteral("Sicherung_2026-12-07.txt")); }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    }
};

TEST_F(BackupTest, WritesAndRewritesTheDaysFile)
{
    ASSERT_TRUE(dir.isValid());
    WriteResult result = writeBackup(QDir(dir.path()), day, event.classes());
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(readAll(backupPath()), expectedSmallEvent());

    event.groupA.deleteRow(3);
    result = writeBackup(QDir(dir.path()), day, event.classes());
    ASSERT_TRUE(result.ok);
    EXPECT_FALSE(readAll(backupPath()).contains("1234567"));

    // The next day starts its own file.
    ASSERT_TRUE(writeBackup(QDir(dir.path()), day.addDays(1), event.classes()).ok);
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("Sicherung_2026-12-07.txt"),
                                      QStringLiteral("Sicherung_2026-12-08.txt")}));
}

TEST_F(BackupTest, TheFirstWriteOfARunKeepsAnEarlierRunsFileUnderTheNextNumber)
{
    // Two earlier runs of the day; a gap in the numbers stays a gap.
    const auto put = [this](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    put("Sicherung_2026-12-07_2.txt", "run 1");
    put("Sicherung_2026-12-07.txt", "run 2");
    put("Sicherung_2026-12-06.txt", "yesterday");

    DailyBackup backup(dir.path());
    BackupResult result = backup.write(day, event.classes());
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.path, backupPath());
    EXPECT_EQ(result.keptAs, dir.filePath(QStringLiteral("Sicherung_2026-12-07_3.txt")));
    EXPECT_EQ(readAll(result.keptAs), QByteArray("run 2"));
    EXPECT_EQ(readAll(backupPath()), expectedSmallEvent());

    // Later writes of the same run rewrite its own file.
    event.groupA.deleteRow(3);
    result = backup.write(day, event.classes());
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.keptAs.isEmpty());
    EXPECT_EQ(entries(), (QStringList{"Sicherung_2026-12-06.txt", "Sicherung_2026-12-07.txt",
                                      "Sicherung_2026-12-07_2.txt", "Sicherung_2026-12-07_3.txt"}));
}

TEST_F(BackupTest, FailedWriteKeepsTheOldFile)
{
    ASSERT_TRUE(writeBackup(QDir(dir.path()), day, event.classes()).ok);
    const QByteArray good = readAll(backupPath());

    // A disk that fills up mid-write: files may not grow beyond 100 bytes.
    // This works for every user, root included.
    for (int r = 0; r < 50; ++r) {
        const int row = event.groupA.appendRow();
        event.groupA.setCell(row, ResultTable::ColNumber, QString::number(100 + r));
    }
    WriteResult result;
    {
        const FileSizeLimit small(100);
        ASSERT_TRUE(small.active());
        result = writeBackup(QDir(dir.path()), day, event.classes());
    }

    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(readAll(backupPath()), good);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("Sicherung_2026-12-07.txt")});  // no temporary left
}

TEST_F(BackupTest, TargetThatIsAFolderFailsAndStays)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Sicherung_2026-12-07.txt")));
    QFile inside(backupPath() + QStringLiteral("/keep"));
    ASSERT_TRUE(inside.open(QIODevice::WriteOnly));
    inside.write("keep");
    inside.close();

    const WriteResult result = writeBackup(QDir(dir.path()), day, event.classes());
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(readAll(backupPath() + QStringLiteral("/keep")), QByteArray("keep"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("Sicherung_2026-12-07.txt")});
}

TEST_F(BackupTest, MissingFolderIsReported)
{
    const WriteResult result =
        SaveResultsText(dir.filePath(QStringLiteral("no/such/folder/x.txt")), event.classes());
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
}

TEST_F(BackupTest, SaveWithoutResultsWritesAnEmptyFile)
{
    const QString path = dir.filePath(QStringLiteral("2026-12-07_07-05.txt"));
    const ResultTable fresh = ResultTable::withHeading();
    ASSERT_TRUE(SaveResultsText(path, {{QStringLiteral("A"), &fresh}}).ok);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

}  // namespace
