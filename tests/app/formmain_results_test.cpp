// The result tables in the real window: races driven by keys and clicks on
// the time rows, EINTRAGEN, ranking, NÄCHSTEN, deleting, clearing, saving and
// the daily backup.
#include "support/resultswindow.h"

#include "controls/bitbtnwithcolor.h"
#include "controls/tag.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>

#include <cerrno>
#include <cstring>

namespace {

TColor textColour(QWidget* widget)
{
    return fromQColor(widget->palette().color(QPalette::Text));
}

class ResultsWindow : public ResultsWindowTest {
protected:
    void SetUp() override
    {
        ResultsWindowTest::SetUp();
        make();
    }
    QStringList rowCells(int row)
    {
        QStringList cells;
        for (int c = 0; c < 9; ++c)
            cells << cell(c, row);
        return cells;
    }
    // Start number 12 in field 1, track length 1000 m, and the example race.
    void exampleRace()
    {
        typeInto(edit(1), QStringLiteral("12"));
        typeInto(eLEN(), QStringLiteral("1000"));
        runRace({62000, 121500, 185250});
    }
};

TEST_F(ResultsWindow, StartsWithHeadedEmptyTablesOnEveryPage)
{
    for (int page = 0; page < TFormMain::kClasses; ++page) {
        SCOPED_TRACE(page);
        TSortGrid* g = grid(page);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->objectName(), QStringLiteral("SortGrid%1").arg(page + 1));
        EXPECT_EQ(g->ColCount(), 10);
        EXPECT_EQ(g->RowCount(), 2);
        EXPECT_EQ(g->FixedCols(), 2);
        EXPECT_EQ(g->font().family(), QStringLiteral("Courier New"));
        EXPECT_EQ(g->font().pixelSize(), 17);
        EXPECT_TRUE(g->font().bold());
        EXPECT_EQ(g->FontColor(), TColor(11031552));
        const QStringList widths{"42", "42", "104", "104", "104", "104", "104", "104", "75", "-1"};
        for (int c = 0; c < 10; ++c)
            EXPECT_EQ(QString::number(g->ColWidths(c)), widths[c]) << c;
    }
    EXPECT_EQ(column(1, 0), QStringList{QString()});
    QStringList heading;
    for (int c = 0; c < 10; ++c)
        heading << cell(c, 0, 0);
    EXPECT_EQ(heading, (QStringList{"Pl.", "Nr.", "START", "1.Runde", "2.Runde", "3.Runde", "Beste R.", "Abstand",
                                    "Km/h", ""}));
    // No results yet: the result buttons are off, the place order is on.
    EXPECT_FALSE(child<QToolButton>("sbCLS")->isEnabled());
    EXPECT_FALSE(child<QToolButton>("sbSave")->isEnabled());
    EXPECT_FALSE(child<QToolButton>("sbPlatz")->isEnabled());
    EXPECT_TRUE(child<QToolButton>("sbPlatz")->isChecked());
}

TEST_F(ResultsWindow, CellColoursFollowTheColumns)
{
    fillTable({{"12", "00:59,50"}, {"13", "01:00,00"}});
    grid()->SetRow(1);
    auto format = [&](int col, int row) {
        TFormatOptions f;
        f.Brush.Color = clWhite;
        bool a = false, b = false, c = false;
        grid()->OnGetCellFormat(grid(), col, row, {}, f, a, b, c);
        return f;
    };
    EXPECT_EQ(format(2, 2).Brush.Color, rgbColor(216, 255, 216));
    EXPECT_EQ(format(6, 2).Brush.Color, rgbColor(216, 255, 216));
    EXPECT_EQ(format(4, 2).Brush.Color, rgbColor(255, 255, 216));
    EXPECT_EQ(format(8, 2).Brush.Color, rgbColor(224, 255, 255));
    EXPECT_EQ(format(9, 2).Brush.Color, clWhite);
    EXPECT_EQ(format(3, 1).Brush.Color, clWhite);  // the current row keeps the grid's brush
    EXPECT_EQ(format(3, 0).Brush.Color, clWhite);  // so does the heading
    EXPECT_EQ(format(5, 2).AlignmentHorz, taCenter);
}

TEST_F(ResultsWindow, WholeRaceThroughKeysAndClicks)
{
    exampleRace();
    for (int n = 1; n <= 4; ++n)
        mark(n, 1);

    // The marks show the lap they end; the fourth carries the final-lap glyph.
    EXPECT_EQ(window->row(1)->labels[1]->text(), QString());
    EXPECT_EQ(window->row(2)->labels[1]->text(), QStringLiteral("1"));
    EXPECT_EQ(window->row(3)->labels[1]->text(), QStringLiteral("2"));
    EXPECT_EQ(window->row(4)->labels[1]->text(), QStringLiteral("3"));
    EXPECT_TRUE(window->row(3)->buttons[1]->icon().isNull());
    EXPECT_FALSE(window->row(4)->buttons[1]->icon().isNull());
    EXPECT_FALSE(window->row(1)->radios[1]->isVisible());  // never on the start row
    EXPECT_TRUE(window->row(2)->radios[1]->isVisible());
    EXPECT_TRUE(window->row(2)->radios[1]->isChecked());

    // ENDE gave EINTRAGEN the focus: Enter enters.
    ASSERT_EQ(QApplication::focusWidget(), child("bEintragen"));
    key(Qt::Key_Return);
    EXPECT_EQ(rowCells(1), (QStringList{"1.", "12", "00:00,00", "01:02,00", "00:59,50", "01:03,75", "00:59,50",
                                        "00:00,00", "60,5"}));
    EXPECT_EQ(grid()->RowCount(), 2);
    EXPECT_EQ(textColour(edit(1)), TColor(11031552));
    EXPECT_TRUE(child<TBitBtnWithColor>("bRESET")->isEnabled());
    EXPECT_EQ(child<TBitBtnWithColor>("bRESET")->Color(), clBlack);
    EXPECT_TRUE(child<QAction>("mReset")->isEnabled());
    EXPECT_FALSE(child<QToolButton>("bABORT")->isEnabled());
    EXPECT_TRUE(child<QToolButton>("sbSave")->isEnabled());
    EXPECT_TRUE(messages.isEmpty());

    // The ranking wrote the day's backup into the start folder.
    const QByteArray backup = readFile(backupPath());
    EXPECT_TRUE(backup.startsWith("KLASSE: Klasse 1\r\n\r\n")) << backup.constData();
    EXPECT_TRUE(backup.contains("   1.    12  00:00,00  01:02,00  00:59,50  01:03,75  00:59,50  00:00,00   60,5\r\n"));

    // Entering the same race again writes the same values.
    key(Qt::Key_F9);
    EXPECT_EQ(rowCells(1)[6], QStringLiteral("00:59,50"));
    EXPECT_EQ(grid()->RowCount(), 2);

    // NÄCHSTEN: the question, then empty blue fields; the next car gets row 2
    // and a car with a start only gets "Ausfall" and a red field.
    // Entering gave NÄCHSTEN the focus: Enter goes to the next race.
    ASSERT_EQ(QApplication::focusWidget(), child("bRESET"));
    key(Qt::Key_Return);
    EXPECT_EQ(questions.last(), QStringLiteral("Ergebnisse löschen?"));
    EXPECT_EQ(edit(1)->text(), QString());
    EXPECT_EQ(textColour(edit(1)), TColor(11031552));
    typeInto(edit(2), QStringLiteral("7"));
    runRace({60000});
    mark(1, 2);
    key(Qt::Key_F9);
    EXPECT_EQ(rowCells(2), (QStringList{"", "7", "00:00,00", "-", "-", "-", "Ausfall", "", ""}));
    EXPECT_EQ(textColour(edit(2)), clRed);
}

TEST_F(ResultsWindow, TablesOfAnEarlierAccuracyKeepTheirTimes)
{
    exampleRace();
    for (int n = 1; n <= 4; ++n)
        mark(n, 1);
    key(Qt::Key_F9);
    ASSERT_EQ(rowCells(1)[6], QStringLiteral("00:59,50"));
    // The decimals setting changes during the day; the next rankings must
    // still read the stored times.
    window->setAccuracy(1);
    key(Qt::Key_P, Qt::ControlModifier);
    key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(rowCells(1), (QStringList{"1.", "12", "00:00,00", "01:02,00", "00:59,50", "01:03,75", "00:59,50",
                                        "00:00,0", "60,5"}));
}

TEST_F(ResultsWindow, BackupFollowsChangesInTheOtherClasses)
{
    // Another class's table changes between two rankings (a row typed in,
    // then sorted away): every backup shows the grids as they are, never an
    // earlier copy.
    auto* other = window->findChild<TSortGrid*>(QStringLiteral("SortGrid3"));
    ASSERT_NE(other, nullptr);
    exampleRace();
    for (int n = 1; n <= 4; ++n)
        mark(n, 1);
    key(Qt::Key_F9);
    EXPECT_FALSE(readFile(backupPath()).contains("Zwischenstand"));

    other->SetCells(1, 1, QStringLiteral("44"));
    other->SetCells(6, 1, QStringLiteral("Zwischenstand"));
    key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(readFile(backupPath()).contains("Zwischenstand"));

    other->SetCells(6, 1, QStringLiteral("01:00,00"));
    key(Qt::Key_P, Qt::ControlModifier);
    const QByteArray backup = readFile(backupPath());
    EXPECT_FALSE(backup.contains("Zwischenstand"));
    EXPECT_TRUE(backup.contains("01:00,00"));
}

TEST_F(ResultsWindow, TwoCarsOnOneRowTheOtherGetsFiftyMilliseconds)
{
    typeInto(edit(1), QStringLiteral("07"));
    typeInto(edit(2), QStringLiteral("7"));
    typeInto(eLEN(), QStringLiteral("850"));
    runRace({60000, 120000});
    mark(1, 1);
    mark(1, 2);
    mark(2, 1);  // first on the row: its time is exact
    mark(2, 2);
    mark(3, 2);
    EXPECT_TRUE(window->row(2)->radios[1]->isChecked());
    EXPECT_FALSE(window->row(2)->radios[2]->isChecked());
    key(Qt::Key_F9);
    // "07" and "7" are different cars; car "7" crossed 50 ms after "07".
    EXPECT_EQ(rowCells(1), (QStringList{"1.", "7", "00:00,00", "01:00,05", "00:59,95", "-", "00:59,95", "00:00,00",
                                        "51,0"}));
    EXPECT_EQ(rowCells(2), (QStringList{"2.", "07", "00:00,00", "01:00,00", "-", "-", "01:00,00", "00:00,05", "51,0"}));

    // Moving the exact-time mark to the other car swaps the 50 ms.
    userClick(window->row(2)->radios[2]);
    EXPECT_TRUE(window->row(2)->radios[2]->isChecked());
    EXPECT_FALSE(window->row(2)->radios[1]->isChecked());
    key(Qt::Key_F9);
    EXPECT_EQ(column(1), (QStringList{"7", "07"}));
    EXPECT_EQ(column(3), (QStringList{"01:00,00", "01:00,05"}));
    EXPECT_EQ(column(6), (QStringList{"01:00,00", "01:00,05"}));
}

TEST_F(ResultsWindow, FifthMarkIsDisabledAndUncountedRowsAreSkipped)
{
    typeInto(edit(1), QStringLiteral("12"));
    typeInto(eLEN(), QStringLiteral("1000"));
    runRace({62000, 121500, 185250, 250000, 300000});
    for (int n = 1; n <= 6; ++n)
        mark(n, 1);
    EXPECT_FALSE(window->row(6)->buttons[1]->isEnabled());
    EXPECT_TRUE(window->row(6)->buttons[1]->isChecked());
    EXPECT_FALSE(window->row(5)->buttons[1]->isEnabled());
    EXPECT_TRUE(window->row(4)->buttons[1]->isEnabled());

    // Row 3 stops counting: red text, covered buttons; the marks after it move up.
    userClick(window->row(3)->cbON);
    EXPECT_FALSE(window->row(3)->cbON->isChecked());
    EXPECT_EQ(window->row(3)->timeColor(), toQColor(clRed));
    EXPECT_TRUE(window->row(3)->PanelOFF->isVisible());
    userClick(window->row(2)->buttons[1]);
    userClick(window->row(2)->buttons[1]);  // refresh the marks
    EXPECT_TRUE(window->row(5)->buttons[1]->isEnabled());
    EXPECT_EQ(window->row(5)->labels[1]->text(), QStringLiteral("3"));
    key(Qt::Key_F9);
    EXPECT_EQ(rowCells(1).mid(2, 5),
              (QStringList{"00:00,00", "01:02,00", "02:03,25", "01:04,75", "01:02,00"}));

    // Checking the row again brings back its colour.
    userClick(window->row(3)->cbON);
    EXPECT_EQ(window->row(3)->timeColor(), toQColor(clYellow));
    EXPECT_FALSE(window->row(3)->PanelOFF->isVisible());
}

TEST_F(ResultsWindow, RefusesWithoutTrackLengthAndWithNothingMarked)
{
    typeInto(edit(1), QStringLiteral("12"));
    typeInto(eLEN(), QString());
    runRace({62000});
    mark(1, 1);
    mark(2, 1);
    key(Qt::Key_F9);
    EXPECT_EQ(messages, QStringList{QStringLiteral("Prüfen Sie bitte die Streckenlänge!")});
    EXPECT_TRUE(eLEN()->hasFocus());
    EXPECT_EQ(column(1), QStringList{QString()});
    EXPECT_FALSE(child<TBitBtnWithColor>("bRESET")->isEnabled());

    // With a length but no start number nothing is marked: no message.
    messages.clear();
    typeInto(eLEN(), QStringLiteral("850"));
    edit(1)->clear();
    key(Qt::Key_F9);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(column(1), QStringList{QString()});
}

TEST_F(ResultsWindow, StartNumberAndTrackLengthFieldsTakeDigitsOnly)
{
    typeInto(eLEN(), QStringLiteral("8a5"));
    EXPECT_EQ(eLEN()->text(), QStringLiteral("85"));
    EXPECT_EQ(window->classBook().trackLengths[0], 85);
    EXPECT_EQ(eLEN()->palette().color(QPalette::Base), toQColor(clWindow));
    userClick(eLEN());
    userKey(Qt::Key_Return);
    EXPECT_TRUE(edit(1)->hasFocus());
    typeInto(eLEN(), QString());
    EXPECT_EQ(eLEN()->palette().color(QPalette::Base), toQColor(14737663));
    EXPECT_EQ(window->classBook().trackLengths[0], 0);
    typeInto(edit(3), QStringLiteral("1x2y34567"));
    EXPECT_EQ(edit(3)->text(), QStringLiteral("12345"));
}

TEST_F(ResultsWindow, PlaceOrderToggleSharedPlacesAndDeleteLine)
{
    typeInto(eLEN(), QStringLiteral("1000"));
    fillTable({{"A", "00:59,50"}, {"B", "01:00,00"}, {"C", "00:59,50"}, {"D", "Ausfall"}, {"E", ""}});
    child("bSTART")->setFocus();

    // Ctrl+P turns the place order off and ranks in the entry order.
    key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(child<QToolButton>("sbPlatz")->isChecked());
    EXPECT_EQ(column(1), (QStringList{"A", "B", "C", "D", "E"}));
    EXPECT_EQ(column(0), (QStringList{"1.", "3.", "1.", "", ""}));
    EXPECT_EQ(column(7), (QStringList{"00:00,00", "00:00,50", "00:00,00", "", ""}));
    EXPECT_EQ(column(8), (QStringList{"60,5", "60,0", "60,5", "", ""}));
    EXPECT_EQ(grid()->SortOptions.SortCol, -1);
    EXPECT_FALSE(grid()->SortOptions.CanSort);
    // The backup lists the class by place all the same.
    const QByteArray backup = readFile(backupPath());
    const auto rowOf = [&backup](const char* number) { return backup.indexOf(QByteArray("    ") + number + "  "); };
    EXPECT_LT(rowOf("A"), rowOf("C"));
    EXPECT_LT(rowOf("C"), rowOf("B"));
    EXPECT_LT(rowOf("B"), rowOf("D"));
    ASSERT_TRUE(QFile::exists(backupPath()));
    ASSERT_TRUE(QFile::remove(backupPath()));

    // Ctrl+P again: place order, and the backup is written again.
    key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(child<QToolButton>("sbPlatz")->isChecked());
    EXPECT_EQ(column(1), (QStringList{"A", "C", "B", "D", "E"}));
    EXPECT_EQ(column(0), (QStringList{"1.", "1.", "3.", "", ""}));
    EXPECT_EQ(grid()->SortOptions.SortCol, 6);
    window->waitForBackup();
    EXPECT_TRUE(QFile::exists(backupPath()));

    // "Zeile entfernen" deletes the current row and re-ranks.
    grid()->SetRow(1);
    child<QAction>("mDeleteline1")->trigger();
    EXPECT_EQ(column(1), (QStringList{"C", "B", "D", "E"}));
    EXPECT_EQ(column(0), (QStringList{"1.", "2.", "", ""}));
    EXPECT_EQ(column(7), (QStringList{"00:00,00", "00:00,50", "", ""}));
    EXPECT_EQ(grid()->LeftCol(), 2);
    EXPECT_EQ(grid()->PopupMenu(), child<QMenu>("PopupMenuTable"));

    // Deleting down to the last row empties it; the result buttons turn off.
    for (int i = 0; i < 4; ++i) {
        grid()->SetRow(1);
        child<QAction>("mDeleteline1")->trigger();
    }
    EXPECT_EQ(grid()->RowCount(), 2);
    EXPECT_EQ(column(1), QStringList{QString()});
    EXPECT_FALSE(child<QToolButton>("sbSave")->isEnabled());
}

TEST_F(ResultsWindow, NextRaceSelectsTheBlockOfFive)
{
    fillTable({{"1", ""}, {"2", ""}, {"3", ""}, {"4", ""}, {"5", ""}, {"6", ""}, {"7", ""}, {"8", ""}});
    struct Case {
        int current;
        int selected;
    };
    for (const Case c : {Case{7, 6}, Case{5, 1}, Case{1, 1}, Case{8, 6}}) {
        SCOPED_TRACE(c.current);
        grid()->SetRow(c.current);
        typeInto(edit(3), QStringLiteral("99"));
        window->sbNextClick(nullptr);
        EXPECT_EQ(grid()->Row(), c.selected);
        EXPECT_EQ(grid()->Selection().Top, c.selected);
        EXPECT_EQ(grid()->Selection().Bottom, c.selected);
        EXPECT_EQ(grid()->Selection().Left, 2);
        EXPECT_EQ(grid()->Selection().Right, 9);
        EXPECT_EQ(edit(3)->text(), QString());
        EXPECT_TRUE(edit(1)->hasFocus());
    }
}

TEST_F(ResultsWindow, ClearingKeepsPlacesAndStartNumbers)
{
    fillTable({{"12", "00:59,50"}, {"13", "01:00,00"}});
    typeInto(eLEN(), QStringLiteral("850"));
    child("bSTART")->setFocus();
    key(Qt::Key_P, Qt::ControlModifier);
    answer = false;
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(questions.last(), QStringLiteral("Ergebnisse löschen?"));
    EXPECT_EQ(column(6), (QStringList{"00:59,50", "01:00,00"}));

    answer = true;
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(column(0), (QStringList{"1.", "2."}));
    EXPECT_EQ(column(1), (QStringList{"12", "13"}));
    for (int c = 2; c <= 9; ++c)
        EXPECT_EQ(column(c), (QStringList{"", ""})) << c;
    EXPECT_TRUE(child<QToolButton>("sbCLS")->isEnabled());  // places and numbers stay
}

TEST_F(ResultsWindow, SaveProposesTheDateStampAndWritesTheResultsFile)
{
    fillTable({{"12", "00:59,50"}});
    chosenFile = dir.filePath(QStringLiteral("results.txt"));
    child("bSTART")->setFocus();
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(proposedNames, QStringList{QStringLiteral("2026-12-07_07-05")});
    const QByteArray expected = QByteArray("KLASSE: Klasse 1\r\n\r\n")
                                + "  Pl.   Nr.     START   1.Runde   2.Runde   3.Runde  Beste R.   Abstand   Km/h\r\n"
                                + "         12  00:00,00" + QByteArray(30, ' ') + "  00:59,50" + QByteArray(17, ' ')
                                + "\r\n\r\n";
    EXPECT_EQ(readFile(chosenFile), expected);
    EXPECT_TRUE(messages.isEmpty());

    // Cancelling writes nothing.
    QFile::remove(chosenFile);
    chosenFile.clear();
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(proposedNames.size(), 2);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("results.txt"))));
}

TEST_F(ResultsWindow, FailedSaveTellsTheOperatorAndKeepsTheOldFile)
{
    fillTable({{"12", "00:59,50"}});
    chosenFile = dir.filePath(QStringLiteral("missing/results.txt"));
    child("bSTART")->setFocus();
    key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("konnte nicht gespeichert werden"))) << messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(chosenFile));
}

class ResultsWindowRestarted : public ResultsWindowTest {
protected:
    // One run of the program that enters `number` and ranks.
    void run(const char* number)
    {
        make();
        typeInto(eLEN(), QStringLiteral("1000"));
        fillTable({{QString::fromLatin1(number), "01:00,00"}});
        child("bSTART")->setFocus();
        key(Qt::Key_P, Qt::ControlModifier);
        window.reset();
    }
};

TEST_F(ResultsWindowRestarted, ARestartKeepsTheEarlierRunsBackupOfTheDay)
{
    run("111");  // then a crash, or an orderly end
    run("222");
    run("333");
    const QString kept1 = QDir(backupDir()).filePath(QStringLiteral("Sicherung_2026-12-07_1.txt"));
    const QString kept2 = QDir(backupDir()).filePath(QStringLiteral("Sicherung_2026-12-07_2.txt"));
    EXPECT_TRUE(readFile(kept1).contains("111"));
    EXPECT_TRUE(readFile(kept2).contains("222"));
    EXPECT_TRUE(readFile(backupPath()).contains("333"));
    EXPECT_FALSE(readFile(backupPath()).contains("222"));
}

class ResultsWindowUnwritableBackup : public ResultsWindowTest {};

TEST_F(ResultsWindowUnwritableBackup, FailureIsShownInTheStatusBarUntilABackupSucceeds)
{
    backupDirOption = dir.filePath(QStringLiteral("no-such-folder"));
    make();
    EXPECT_EQ(window->backupDir(), backupDirOption);
    typeInto(eLEN(), QStringLiteral("1000"));
    fillTable({{"A", "01:00,00"}, {"B", "00:59,00"}});
    child("bSTART")->setFocus();
    key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(column(0), (QStringList{"2.", "1."}));
    EXPECT_TRUE(messages.isEmpty()) << "no message box in the middle of a race";
    window->waitForBackup();
    const QString status = child<QLabel>("StatusPanel1")->text();
    EXPECT_TRUE(status.contains(QDir::toNativeSeparators(QDir(backupDirOption).filePath(
        QStringLiteral("Sicherung_2026-12-07.txt")))))
        << status.toStdString();
    EXPECT_TRUE(status.contains(QString::fromLocal8Bit(std::strerror(ENOENT)))) << status.toStdString();

    ASSERT_TRUE(QDir().mkpath(backupDirOption));
    key(Qt::Key_P, Qt::ControlModifier);
    window->waitForBackup();
    EXPECT_EQ(child<QLabel>("StatusPanel1")->text(), QString());
    EXPECT_TRUE(QFile::exists(QDir(backupDirOption).filePath(QStringLiteral("Sicherung_2026-12-07.txt"))));
}

}  // namespace
