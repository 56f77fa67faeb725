#include "app/formmain.h"
#include "app/htmlhelp.h"
#include "support/fakes.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QPlainTextEdit>
#include <QUrl>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

// Records what the window asks the desktop to open.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

namespace {

class Commands : public ::testing::Test {
protected:
    void SetUp() override
    {
        FormMainOptions options;
        options.counters = counter.source();
        options.programDir = dir.path();
        options.beeper = [this] { return beeps.make(); };
        options.ask = [this](const QString& q) {
            questions << q;
            return true;
        };
        window = std::make_unique<TFormMain>(options);
        window->show();
        activate();
    }
    void activate()
    {
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QAction* item(const char* name) { return window->findChild<QAction*>(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    FakeCounter counter;
    BeepLog beeps;
    QStringList questions;
    std::unique_ptr<TFormMain> window;
};

// Every item of the hidden menu carries the key of the command map.
TEST_F(Commands, TheHiddenMenuCarriesEveryKey)
{
    const std::pair<const char*, QKeySequence> map[] = {
        {"mStart", QKeySequence(Qt::Key_F5)},
        {"mLAP", QKeySequence(Qt::Key_F6)},
        {"mAbort", QKeySequence(Qt::Key_F7)},
        {"mStop", QKeySequence(Qt::Key_F8)},
        {"Eintragen1", QKeySequence(Qt::Key_F9)},
        {"mReset", QKeySequence(Qt::Key_F10)},
        {"Lock1", QKeySequence(Qt::Key_F11)},
        {"Save1", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"Open1", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"New1", QKeySequence(Qt::CTRL | Qt::Key_X)},
        {"mExcel", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"Platz1", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"mHilfe", QKeySequence(Qt::Key_F1)},
        {"Hilfe1", QKeySequence(Qt::CTRL | Qt::Key_I)},
        {"EinstellunGen1", QKeySequence(Qt::Key_F2)},
        {"Info1", QKeySequence(Qt::Key_F3)},
    };
    auto* menu = window->findChild<QMenu*>(QStringLiteral("MainMenu1"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("HideMenu"));
    EXPECT_FALSE(menu->isVisible());
    for (const auto& [name, key] : map) {
        SCOPED_TRACE(name);
        QAction* action = item(name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->shortcut(), key);
        EXPECT_TRUE(menu->actions().contains(action));
    }
    // Initial states: only ZEIT, ENDE and NÄCHSTEN are disabled.
    for (QAction* action : menu->actions()) {
        const bool disabled = action == item("mLAP") || action == item("mStop") || action == item("mReset");
        EXPECT_EQ(action->isEnabled(), !disabled) << action->objectName().toStdString();
    }
}

TEST_F(Commands, KeysReachTheirOperationsEvenFromATextField)
{
    window->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
    EXPECT_EQ(window->rowCount(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_EQ(window->rowCount(), 2);
}

TEST_F(Commands, DisabledItemsIgnoreTheirKeys)
{
    QTest::keyClick(window.get(), Qt::Key_F6);
    QTest::keyClick(window.get(), Qt::Key_F8);
    QTest::keyClick(window.get(), Qt::Key_F10);
    EXPECT_EQ(window->rowCount(), 0);
    EXPECT_TRUE(questions.isEmpty());
    // F7 is never disabled: in the ready state it runs the reset quietly.
    QTest::keyClick(window.get(), Qt::Key_F7);
    EXPECT_TRUE(questions.isEmpty());
}

TEST_F(Commands, F3AndTheInfoButtonOpenTheInformationWindow)
{
    QStringList seen;
    QString about;
    auto closeInfo = [&] {
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
            QWidget* modal = QApplication::activeModalWidget();
            seen << modal->windowTitle();
            if (auto* memo = modal->findChild<QPlainTextEdit*>(QStringLiteral("Memo1")))
                about = memo->toPlainText();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
    };
    closeInfo();
    QTest::keyClick(window.get(), Qt::Key_F3);
    activate();
    closeInfo();
    QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("bInfo")), Qt::LeftButton);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Information"), QStringLiteral("Information")}));
    // It tells where the backup really goes.
    EXPECT_TRUE(about.contains(QDir::toNativeSeparators(window->backupDir()))) << about.toStdString();
}

TEST_F(Commands, HelpWithoutAHelpFileIsDisabledAndDoesNothing)
{
    EXPECT_FALSE(window->findChild<QToolButton*>(QStringLiteral("bHelp"))->isEnabled());
    const auto before = HtmlHelp::instance().windows().size();
    QTest::keyClick(window.get(), Qt::Key_F1);
    QTest::keyClick(window.get(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(HtmlHelp::instance().windows().size(), before);
}

TEST_F(Commands, TheWindowKeepsItsWidthAndMinimumHeight)
{
    EXPECT_EQ(window->minimumWidth(), 1206);
    EXPECT_EQ(window->maximumWidth(), 1206);
    EXPECT_EQ(window->minimumHeight(), 492);
    window->resize(800, 300);
    EXPECT_EQ(window->size(), QSize(1206, 492));
    window->resize(1500, 700);
    EXPECT_EQ(window->size(), QSize(1206, 700));
}

TEST_F(Commands, TheDatePanelOpensTheCalendarAtTheTopEdge)
{
    auto* date = window->findChild<QLabel*>(QStringLiteral("PanelDate"));
    auto* calendar = window->findChild<QWidget*>(QStringLiteral("PanelCal"));
    EXPECT_FALSE(calendar->isVisible());
    QTest::mouseClick(date, Qt::LeftButton);
    EXPECT_TRUE(calendar->isVisible());
    EXPECT_EQ(calendar->y(), 0);
    EXPECT_EQ(calendar->x(), date->mapTo(calendar->parentWidget(), QPoint(0, 0)).x() - 28);
    QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("sbClosecal")), Qt::LeftButton);
    EXPECT_FALSE(calendar->isVisible());
    // The date text is regional short date, two blanks, short time.
    const QLocale locale;
    EXPECT_TRUE(date->text().startsWith(locale.toString(QDate::currentDate(), QLocale::ShortFormat) + QStringLiteral("  ")));
}

TEST_F(Commands, TheMakersMarkOpensTheLink)
{
    OpenedUrls opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    for (const char* name : {"Image5", "Label8", "Label5"})
        QTest::mouseClick(window->findChild<QLabel*>(QString::fromLatin1(name)), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(opened.urls.size(), 3);
    EXPECT_TRUE(opened.urls.front().isLocalFile());
}

}  // namespace

#include "formmain_commands_test.moc"
