#include "app/formmain.h"
#include "app/fdlgyesno.h"
#include "app/frame1.h"
#include "app/timelist.h"
#include "controls/bitbtnwithcolor.h"
#include "support/fakes.h"
#include "support/userinput.h"
#include "support/windowtest.h"
#include "timing/digit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class ClockWindow : public WindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QFile wav(dir.filePath(QStringLiteral("ZEIT.wav")));
        ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
        wav.write("RIFF");
        wav.close();
        make();
    }

    void make()
    {
        FormMainOptions options = windowOptions();
        options.ask = [this](const QString& question) {
            questions << question;
            return realDialog ? TFDlgYesNo::ask(question, window.get()) : answer;
        };
        window = std::make_unique<TFormMain>(options);
        ASSERT_TRUE(showActive(window.get()));
    }
    TBitBtnWithColor* button(const char* name) { return child<TBitBtnWithColor>(name); }
    QAction* item(const char* name) { return child<QAction>(name); }
    TDigit* digit(int n) { return child<TDigit>(QStringLiteral("Digit%1").arg(n).toLatin1().constData()); }
    QString rowText(int n) { return window->row(n)->TimeRunden->text(); }
    void key(Qt::Key k) { userKey(k); }

    // Which of the clock's commands are enabled, and in which colour.
    void expectCommand(const char* buttonName, const char* itemName, bool enabled, TColor colour)
    {
        SCOPED_TRACE(buttonName);
        EXPECT_EQ(button(buttonName)->isEnabled(), enabled);
        EXPECT_EQ(button(buttonName)->Color(), colour);
        if (itemName) {
            EXPECT_EQ(item(itemName)->isEnabled(), enabled);
        }
    }
    void expectReady()
    {
        expectCommand("bSTART", "mStart", true, clGreen);
        expectCommand("bLAP", "mLAP", false, clBtnFace);
        expectCommand("bSTOP", "mStop", false, clBtnFace);
        expectCommand("bEintragen", nullptr, false, clBtnFace);
        expectCommand("bRESET", "mReset", false, clBtnFace);
        EXPECT_FALSE(child<QToolButton>("bABORT")->isEnabled());
        EXPECT_TRUE(child<QToolButton>("bCFG")->isEnabled());
        EXPECT_FALSE(window->clockTimer()->isActive());
        EXPECT_EQ(window->rowCount(), 0);
    }
    void expectRunning()
    {
        expectCommand("bSTART", "mStart", false, clBtnFace);
        expectCommand("bLAP", "mLAP", true, clYellow);
        expectCommand("bSTOP", "mStop", true, clRed);
        expectCommand("bRESET", "mReset", false, clBtnFace);
        EXPECT_TRUE(child<QToolButton>("bABORT")->isEnabled());
        EXPECT_FALSE(child<QToolButton>("bCFG")->isEnabled());
        EXPECT_TRUE(window->clockTimer()->isActive());
    }

    bool realDialog = false;  // ask with the question dialog itself
};

TEST_F(ClockWindow, StartsUpReadyWithAllRowsHidden)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Pylonix 2.5"));
    EXPECT_EQ(window->width(), 1206);
    expectReady();
    // At start-up EINTRAGEN keeps its designed sky blue only until start-up
    // greys it; the big buttons other than START are disabled.
    for (int n = 1; n <= TFormMain::kRows; ++n) {
        TFrame1* frame = window->row(n);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->objectName(), QStringLiteral("Fr%1").arg(n));
        EXPECT_TRUE(frame->isHidden());
    }
    EXPECT_EQ(button("bRESET")->text(), QStringLiteral("NÄCHSTEN"));
    EXPECT_EQ(window->soundFile(), dir.filePath(QStringLiteral("ZEIT.wav")));
    EXPECT_EQ(child<QLabel>("ImageLSstart")->isVisible(), false);
}

TEST_F(ClockWindow, RaceByFunctionKeys)
{
    key(Qt::Key_F5);
    expectRunning();
    EXPECT_EQ(window->rowCount(), 1);
    EXPECT_EQ(rowText(1), QStringLiteral("00:00,00"));
    EXPECT_TRUE(window->row(1)->isVisible());
    EXPECT_FALSE(window->timeList().at(1).row.zeitRow);
    EXPECT_EQ(beeps.plays, 1);
    EXPECT_TRUE(button("bLAP")->hasFocus());

    counter.advanceMs(83456);
    key(Qt::Key_F6);
    EXPECT_EQ(window->rowCount(), 2);
    EXPECT_EQ(rowText(2), QStringLiteral("01:23,45"));
    EXPECT_TRUE(window->timeList().at(2).row.zeitRow);
    EXPECT_EQ(beeps.plays, 2);
    // The lower display shows the taken time 01:23,45.
    EXPECT_EQ(digit(15)->Value(), 0);
    EXPECT_EQ(digit(16)->Value(), 1);
    EXPECT_EQ(digit(18)->Value(), 2);
    EXPECT_EQ(digit(19)->Value(), 3);
    EXPECT_EQ(digit(21)->Value(), 4);
    EXPECT_EQ(digit(22)->Value(), 5);

    counter.advanceMs(3723400 - 83456);
    key(Qt::Key_F6);
    EXPECT_EQ(rowText(3), QStringLiteral("02:03,40"));

    answer = false;
    key(Qt::Key_F8);
    EXPECT_EQ(questions.value(0), QStringLiteral("Rennen beenden?"));
    expectRunning();  // "Nein" keeps the clock running

    answer = true;
    counter.advanceMs(1000);
    const qint64 beforeEnd = counter.now;
    key(Qt::Key_F8);
    EXPECT_EQ(window->endTick(), beforeEnd);
    expectCommand("bSTART", "mStart", false, clBtnFace);
    expectCommand("bLAP", "mLAP", false, clBtnFace);
    expectCommand("bSTOP", "mStop", false, clBtnFace);
    expectCommand("bEintragen", nullptr, true, clSkyBlue);
    EXPECT_TRUE(child<QToolButton>("bABORT")->isEnabled());
    EXPECT_FALSE(window->clockTimer()->isActive());
    EXPECT_EQ(window->rowCount(), 3);
    EXPECT_TRUE(window->row(3)->isVisible());
    EXPECT_EQ(digit(19)->Value(), 0);  // both displays back to zero

    // Disabled items ignore their keys.
    key(Qt::Key_F6);
    key(Qt::Key_F5);
    EXPECT_EQ(window->rowCount(), 3);
}

TEST_F(ClockWindow, EndRightAfterStartReturnsToReady)
{
    key(Qt::Key_F5);
    key(Qt::Key_F8);
    expectReady();
    EXPECT_FALSE(button("bEintragen")->isEnabled());
    EXPECT_TRUE(window->row(1)->isHidden());
}

TEST_F(ClockWindow, AnyMouseButtonDownOnStartStartsTheRace)
{
    userPress(button("bSTART"), Qt::RightButton);
    expectRunning();
    userRelease(button("bSTART"), Qt::RightButton);
    counter.advanceMs(19);
    userPress(button("bLAP"), Qt::MiddleButton);
    EXPECT_EQ(rowText(2), QStringLiteral("00:00,01"));
    userRelease(button("bLAP"), Qt::MiddleButton);
    userPress(button("bSTOP"), Qt::LeftButton);
    EXPECT_EQ(questions.size(), 1);
    userRelease(button("bSTOP"), Qt::LeftButton);
    expectCommand("bEintragen", nullptr, true, clSkyBlue);
}

TEST_F(ClockWindow, ClockButtonsComeBackUpAndActOnEnterAndSpace)
{
    // START disables itself on the press: it must not stay drawn pressed in.
    userPress(button("bSTART"));
    expectRunning();
    EXPECT_FALSE(button("bSTART")->isDown());
    userRelease(button("bSTART"));
    // The press takes the time; its release takes none.
    userPress(button("bLAP"));
    userRelease(button("bLAP"));
    EXPECT_EQ(window->rowCount(), 2);
    // ZEIT has the focus after START; the keyboard works it too.
    ASSERT_EQ(QApplication::focusWidget(), button("bLAP"));
    key(Qt::Key_Return);
    key(Qt::Key_Space);
    EXPECT_EQ(window->rowCount(), 4);

    // ENDE asks with the real dialog; "Nein" takes the mouse away from it.
    realDialog = true;
    answerNextDialog(QStringLiteral("CancelBtn"));
    userPress(button("bSTOP"));
    expectRunning();
    EXPECT_FALSE(button("bSTOP")->isDown());
}

TEST_F(ClockWindow, RestartAsksOnlyWithTwoOrMoreRows)
{
    key(Qt::Key_F7);
    EXPECT_TRUE(questions.isEmpty());
    expectReady();

    key(Qt::Key_F5);
    key(Qt::Key_F7);  // only the start row: no question
    EXPECT_TRUE(questions.isEmpty());
    expectReady();

    key(Qt::Key_F5);
    key(Qt::Key_F6);
    answer = false;
    key(Qt::Key_F7);
    EXPECT_EQ(questions, QStringList{QStringLiteral("Ergebnisse löschen?")});
    expectRunning();
    EXPECT_EQ(window->rowCount(), 2);

    answer = true;
    userClick(child<QToolButton>("bABORT"));
    expectReady();
    EXPECT_TRUE(window->row(2)->isHidden());
    EXPECT_TRUE(child<QLineEdit>("Edit1")->hasFocus());
}

TEST_F(ClockWindow, TheHundredthRowDisablesZeit)
{
    key(Qt::Key_F5);
    for (int i = 0; i < 99; ++i) {
        counter.advanceMs(10);
        key(Qt::Key_F6);
    }
    EXPECT_EQ(window->rowCount(), 100);
    expectCommand("bLAP", "mLAP", false, clBtnFace);
    EXPECT_EQ(rowText(100), QStringLiteral("00:00,99"));
    key(Qt::Key_F6);
    userPress(button("bLAP"));
    EXPECT_EQ(window->rowCount(), 100);
    EXPECT_TRUE(item("mStop")->isEnabled());
    key(Qt::Key_F8);
    expectCommand("bEintragen", nullptr, true, clSkyBlue);
}

TEST_F(ClockWindow, TheNewestRowIsScrolledIntoView)
{
    auto* box = child<QScrollArea>("ScrollBox1");
    key(Qt::Key_F5);
    for (int i = 0; i < 30; ++i)
        key(Qt::Key_F6);
    QApplication::processEvents();
    TFrame1* last = window->row(31);
    const QRect inView(last->mapTo(box->viewport(), QPoint(0, 0)), last->size());
    EXPECT_TRUE(box->viewport()->rect().contains(inView)) << inView.y() << " " << box->viewport()->height();
    // The first rows are scrolled away, not lost.
    EXPECT_TRUE(window->row(1)->isVisibleTo(box->widget()));
    key(Qt::Key_F7);
    EXPECT_EQ(box->verticalScrollBar()->value(), 0);
}

TEST_F(ClockWindow, RowsAreReusedAndResetBetweenRaces)
{
    key(Qt::Key_F5);
    key(Qt::Key_F6);
    TFrame1* frame = window->row(2);
    userClick(frame->buttons[3]);
    userClick(frame->buttons[3]);
    userClick(frame->buttons[3]);
    userClick(frame->cbON);  // the row no longer counts: its marks are covered
    ASSERT_FALSE(frame->cbON->isChecked());
    ASSERT_TRUE(frame->PanelOFF->isVisible());
    key(Qt::Key_F7);
    EXPECT_TRUE(frame->isHidden());
    EXPECT_EQ(window->timeList().count(), 0);

    key(Qt::Key_F5);
    counter.advanceMs(2000);
    key(Qt::Key_F6);
    EXPECT_EQ(window->row(2), frame);  // the same object, reused
    EXPECT_EQ(rowText(2), QStringLiteral("00:02,00"));
    // A fresh row: counted, uncovered, its marks up and clickable.
    EXPECT_TRUE(frame->cbON->isChecked());
    EXPECT_FALSE(frame->PanelOFF->isVisible());
    EXPECT_EQ(frame->timeColor(), toQColor(clYellow));
    EXPECT_TRUE(frame->labels[3]->text().isEmpty());
    EXPECT_FALSE(frame->buttons[3]->isChecked());
    userClick(frame->buttons[3]);
    EXPECT_TRUE(frame->buttons[3]->isChecked());
}

TEST_F(ClockWindow, TheClockShowsTimeFromTicksNotFromTimerEvents)
{
    key(Qt::Key_F5);
    counter.advanceMs(65432);
    // One timer event after a long pause shows the whole elapsed time.
    window->ClockTimer();
    EXPECT_EQ(digit(3)->Value(), 0);
    EXPECT_EQ(digit(4)->Value(), 1);
    EXPECT_EQ(digit(5)->Value(), 0);
    EXPECT_EQ(digit(6)->Value(), 5);
    EXPECT_EQ(digit(7)->Value(), 4);
    EXPECT_EQ(digit(8)->Value(), 3);
    // And the real timer drives the same refresh.
    counter.advanceMs(1000);
    // A failing QTRY_* only returns from the test: it would pass.
    ASSERT_TRUE(QTest::qWaitFor([&] { return digit(6)->Value() == 6; }, 2000));
}

TEST_F(ClockWindow, AccuracyChangesRowTextsAndDisplay)
{
    window->setAccuracy(1);
    EXPECT_TRUE(digit(8)->isHidden());
    EXPECT_FALSE(digit(7)->isHidden());
    EXPECT_EQ(child<QLabel>("Lab_100")->text(), QStringLiteral("1/10"));
    EXPECT_EQ(child<QLabel>("Lab_100")->x(), 392);
    key(Qt::Key_F5);
    EXPECT_EQ(rowText(1), QStringLiteral("00:00,0"));
    counter.advanceMs(83456);
    key(Qt::Key_F6);
    EXPECT_EQ(rowText(2), QStringLiteral("01:23,4"));

    window->setAccuracy(0);
    EXPECT_TRUE(digit(7)->isHidden());
    EXPECT_TRUE(child<QLabel>("Lab_100")->isHidden());
    EXPECT_TRUE(child<QLabel>("LabSec")->isHidden());
    EXPECT_TRUE(child<QLabel>("LabSec2")->isHidden());
    key(Qt::Key_F6);
    EXPECT_EQ(rowText(3), QStringLiteral("01:23"));

    window->setAccuracy(2);
    EXPECT_EQ(child<QLabel>("Lab_100")->text(), QStringLiteral("1/100"));
    EXPECT_FALSE(child<QLabel>("LabSec")->isHidden());
}

TEST_F(ClockWindow, NextRaceEmptiesTheStartNumberFields)
{
    for (int k = 1; k <= 5; ++k)
        child<QLineEdit>(QStringLiteral("Edit%1").arg(k).toLatin1().constData())->setText(QString::number(k * 11));
    window->sbNextClick(nullptr);
    for (int k = 1; k <= 5; ++k) {
        auto* edit = child<QLineEdit>(QStringLiteral("Edit%1").arg(k).toLatin1().constData());
        EXPECT_TRUE(edit->text().isEmpty());
        EXPECT_EQ(edit->palette().color(QPalette::Text), toQColor(11031552));
    }
    EXPECT_TRUE(child<QLineEdit>("Edit1")->hasFocus());
}

TEST_F(ClockWindow, MissingSoundTurnsTheBeepOff)
{
    QFile::remove(dir.filePath(QStringLiteral("ZEIT.wav")));
    beeps = {};
    make();
    EXPECT_TRUE(window->soundFile().isEmpty());
    key(Qt::Key_F5);
    key(Qt::Key_F6);
    EXPECT_EQ(beeps.plays, 0);
    EXPECT_EQ(window->rowCount(), 2);
}

TEST_F(ClockWindow, PlayZeitOffSilencesTheBeep)
{
    window->setPlayZeit(false);
    key(Qt::Key_F5);
    EXPECT_EQ(beeps.plays, 0);
}

// The real question dialog, answered through its buttons.
TEST(ClockWindowDialog, EndIsConfirmedInTheQuestionDialog)
{
    FakeCounter counter;
    BeepLog beeps;
    QTemporaryDir dir;
    FormMainOptions options;
    options.counters = counter.source();
    options.programDir = dir.path();
    options.beeper = [&] { return beeps.make(); };
    TFormMain window(options);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    userKey(Qt::Key_F5);
    counter.advanceMs(1500);
    userKey(Qt::Key_F6);

    answerNextDialog(QStringLiteral("CancelBtn"));
    userKey(Qt::Key_F8);
    EXPECT_TRUE(window.clockTimer()->isActive());

    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    answerNextDialog(QStringLiteral("OKBtn"));
    userKey(Qt::Key_F8);
    EXPECT_FALSE(window.clockTimer()->isActive());
    EXPECT_EQ(window.rowCount(), 2);
}

}  // namespace
