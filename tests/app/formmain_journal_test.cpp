// The race journal seen from the window: a day that ended without the close
// question comes back after "Ja", "Nein" keeps it aside, an orderly end asks
// nothing, and a second program in the folder runs without one.
#include "app/gridadapter.h"
#include "app/sessionjournal.h"
#include "app/timelist.h"
#include "results/journal.h"
#include "results/journalwriter.h"
#include "support/filesizelimit.h"
#include "support/resultswindow.h"
#include "timing/lightbarrier.h"

#include <QCheckBox>
#include <QLabel>
#include <QToolButton>
#include <gmock/gmock.h>

namespace {

using ::testing::HasSubstr;

class JournalWindowTest : public ResultsWindowTest {
protected:
    void SetUp() override
    {
        ResultsWindowTest::SetUp();
        writeProgramFile(QStringLiteral("Klassen.txt"), "850 Gruppe A\r\n900 Gruppe B\r\n");
    }
    void TearDown() override
    {
        journal.reset();
        ResultsWindowTest::TearDown();
    }

    void start()
    {
        make();
        SessionJournalOptions options;
        options.ask = [this](const QString& question) {
            questions << question;
            return answer;
        };
        options.message = [this](const QString& text) { messages << text; };
        options.now = [this] { return now; };
        journal = std::make_unique<SessionJournal>(*window, options);
        answer = true;
    }
    // The program dies: what the writer has is on disk, nothing is closed.
    void kill()
    {
        journal->writer()->waitUntilDurable();
        journal.reset();
        window.reset();
        questions.clear();
    }
    // Types a class name into the class box and presses Enter.
    void chooseClass(const QString& name)
    {
        userClick(classBox());
        userKey(Qt::Key_A, Qt::ControlModifier);
        userType(name);
        key(Qt::Key_Return);
    }
    // An entered race in Gruppe A, then a race in Gruppe B still running.
    void driveADay()
    {
        typeInto(edit(1), QStringLiteral("12"));
        typeInto(edit(2), QStringLiteral("7"));
        runRace({62000, 121500, 185250});
        for (int n = 1; n <= 4; ++n)
            mark(n, 1);
        mark(1, 2);
        mark(3, 2);
        key(Qt::Key_F9);
        key(Qt::Key_F10);
        chooseClass(QStringLiteral("Gruppe B"));
        typeInto(edit(1), QStringLiteral("5"));
        key(Qt::Key_F5);
        counter.advanceMs(61000);
        key(Qt::Key_F6);
        mark(1, 1);
        mark(2, 1);
        userClick(window->row(2)->cbON);
        userClick(window->row(2)->cbON);
    }

    // The status panel has a fixed width: a text cut there is a text lost.
    void expectStatusFits()
    {
        const auto* panel = child<QLabel>("StatusPanel2");
        ASSERT_NE(panel, nullptr);
        EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->contentsRect().width())
            << panel->text().toStdString();
    }

    QString journalFile(const char* name) const { return QDir(backupDir()).filePath(QLatin1String(name)); }
    static QByteArray contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<SessionJournal> journal;
};

TEST_F(JournalWindowTest, AKilledDayComesBackAsItWasShownWithTheRunningRaceEnded)
{
    start();
    EXPECT_EQ(journal->start(), SessionJournal::Start::Fresh);
    EXPECT_TRUE(questions.isEmpty());
    driveADay();
    const SessionState shown = window->sessionState();
    ASSERT_EQ(shown.race.rows.size(), 2);
    ASSERT_EQ(column(1, 0), (QStringList{QStringLiteral("12"), QStringLiteral("7")}));
    kill();

    start();
    EXPECT_EQ(questions, QStringList{QString::fromUtf8(SessionJournal::kRestoreQuestion)});
    EXPECT_EQ(journal->start(), SessionJournal::Start::Restored);
    SessionState expected = shown;
    expected.race.clock = JournalClock::Ended;
    expected.race.endTick = shown.race.startTick + shown.race.rows.last().ticks;
    EXPECT_EQ(window->sessionState(), expected);
    EXPECT_EQ(classBox()->currentText(), QStringLiteral("Gruppe B"));
    EXPECT_EQ(eLEN()->text(), QStringLiteral("900"));
    EXPECT_EQ(window->row(2)->TimeRunden->text(), QStringLiteral("01:01,00"));
    EXPECT_TRUE(window->row(2)->buttons[1]->isChecked());
    EXPECT_THAT(window->journalStatus().toStdString(), HasSubstr("01:01,00"));
    expectStatusFits();
    for (int p = 0; p < kClassPages; ++p)
        EXPECT_EQ(readResultGrid(*grid(p)).rows, shown.tables[p].table.rows) << p;

    // The restored race is entered like any ended race, and that too is kept.
    EXPECT_TRUE(child<QWidget>("bEintragen")->isEnabled());
    key(Qt::Key_F9);
    EXPECT_EQ(column(1, 1), QStringList{QStringLiteral("5")});
    const SessionState entered = window->sessionState();
    kill();
    start();
    EXPECT_EQ(window->sessionState(), entered);
}

TEST_F(JournalWindowTest, NeinStartsEmptyAndKeepsTheDayUnderADatedName)
{
    start();
    driveADay();
    kill();

    answer = false;
    start();
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(journal->start(), SessionJournal::Start::Declined);
    EXPECT_EQ(window->timeList().count(), 0);
    EXPECT_TRUE(column(1, 0).join(QString()).isEmpty());
    ASSERT_EQ(journal->keptFiles().size(), 2);
    for (const QString& path : journal->keptFiles()) {
        EXPECT_TRUE(QFile::exists(path));
        EXPECT_THAT(path.toStdString(), HasSubstr("2026-12-07_07-05-00"));
    }
    // The empty day that followed holds nothing to restore.
    kill();
    start();
    EXPECT_TRUE(questions.isEmpty());
}

TEST_F(JournalWindowTest, AnOrderlyEndAsksNothingAtTheNextStart)
{
    start();
    runRace({1000, 2000});
    journal->closeOrderly();
    journal.reset();
    window.reset();
    questions.clear();

    start();
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(journal->start(), SessionJournal::Start::Fresh);
    EXPECT_EQ(window->timeList().count(), 0);
}

TEST_F(JournalWindowTest, ASecondProgramInTheFolderIsToldAndKeepsNoJournal)
{
    start();
    SessionJournalOptions options;
    options.message = [this](const QString& text) { messages << text; };
    const SessionJournal second(*window, options);
    EXPECT_EQ(second.start(), SessionJournal::Start::OtherProgram);
    EXPECT_EQ(second.writer(), nullptr);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_THAT(messages[0].toStdString(), HasSubstr("kein Journal"));
    EXPECT_THAT(window->journalStatus().toStdString(), HasSubstr("Kein Journal"));
    expectStatusFits();
}

TEST_F(JournalWindowTest, ADamagedJournalIsKeptAsideAndTheStatusBarSaysSo)
{
    // The disk damages the snapshot, or the last record of the log.
    for (const char* name : {kJournalSnapshotName, kJournalLogName}) {
        ASSERT_TRUE(QDir(backupDir()).removeRecursively() && QDir().mkpath(backupDir()));
        start();
        driveADay();
        kill();
        QByteArray damaged = contents(journalFile(name));
        ASSERT_FALSE(damaged.isEmpty()) << name;
        damaged.back() = char(damaged.back() ^ 0x5A);
        QFile file(journalFile(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(damaged);
        file.close();

        start();
        EXPECT_THAT(window->journalStatus().toStdString(), HasSubstr("beschädigt")) << name;
        expectStatusFits();
        QList<QByteArray> kept;
        for (const QString& path : journal->keptFiles())
            kept << contents(path);
        EXPECT_TRUE(kept.contains(damaged)) << name << " was not kept as it was";
        kill();
    }
}

TEST_F(JournalWindowTest, AJournalThatCannotBeWrittenIsToldAtStart)
{
    {
        const FileSizeLimit full(100);
        ASSERT_TRUE(full.active());
        start();
        journal->writer()->waitUntilIdle();
    }
    QCoreApplication::processEvents();

    EXPECT_FALSE(journal->writer()->healthy());
    EXPECT_THAT(window->journalStatus().toStdString(), HasSubstr("Journal fehlgeschlagen"));
    EXPECT_THAT(child<QLabel>("StatusPanel2")->toolTip().toStdString(),
                HasSubstr(journal->writer()->error().toStdString()));
    expectStatusFits();
}

}  // namespace

namespace {

TEST_F(JournalWindowTest, ABarrierTimeHandledAfterALaterKeyComesBackInItsPlace)
{
    start();
    ASSERT_EQ(journal->start(), SessionJournal::Start::Fresh);
    key(Qt::Key_F5);
    const qint64 raceStart = window->raceStartTick();
    counter.advanceMs(30000);
    key(Qt::Key_F6);
    mark(2, 1);
    window->lightBarrier()->ComPortDSR(true, raceStart + 29'990'000'000);
    ASSERT_EQ(window->row(2)->TimeRunden->text(), QStringLiteral("00:29,99"));
    const SessionState shown = window->sessionState();
    kill();

    start();
    ASSERT_EQ(journal->start(), SessionJournal::Start::Restored);
    EXPECT_EQ(window->sessionState().race.rows, shown.race.rows);
    EXPECT_EQ(window->row(3)->TimeRunden->text(), QStringLiteral("00:30,00"));
    EXPECT_TRUE(window->row(3)->buttons[1]->isChecked());
}

}  // namespace
