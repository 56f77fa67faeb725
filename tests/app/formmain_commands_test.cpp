#include "app/formmain.h"
#include "app/htmlhelp.h"
#include "controls/lbspeedbutton.h"
#include "support/fakes.h"
#include "support/userinput.h"
#include "support/windowtest.h"

#include <QAbstractItemModel>
#include <QCalendarWidget>
#include <QAction>
#include <QComboBox>
#include <QTableView>
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

class Commands : public WindowTest {
protected:
    void SetUp() override
    {
        window = std::make_unique<TFormMain>(windowOptions());
        window->show();
        activate();
    }
    void activate()
    {
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QAction* item(const char* name) { return window->findChild<QAction*>(QString::fromLatin1(name)); }
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

TEST_F(Commands, KeysReachTheirOperationsFromEveryField)
{
    // Ctrl+X clears the results (it asks), it never cuts the field's text.
    for (const char* name : {"cmb_Klasse", "Edit2", "eLEN"}) {
        SCOPED_TRACE(name);
        auto* field = window->findChild<QWidget*>(QString::fromLatin1(name));
        userClick(field);
        userType(QStringLiteral("12"));
        const QString typed = field->property("currentText").isValid() ? field->property("currentText").toString()
                                                                       : field->property("text").toString();
        questions.clear();
        userKey(Qt::Key_A, Qt::ControlModifier);
        userKey(Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(questions, QStringList{QStringLiteral("Ergebnisse löschen?")});
        const QString now = field->property("currentText").isValid() ? field->property("currentText").toString()
                                                                     : field->property("text").toString();
        EXPECT_EQ(now, typed);
    }
    userKey(Qt::Key_F5);
    EXPECT_EQ(window->rowCount(), 1);
    userClick(window->findChild<QLineEdit*>(QStringLiteral("Edit3")));
    userKey(Qt::Key_F6);
    EXPECT_EQ(window->rowCount(), 2);
}

TEST_F(Commands, DisabledItemsIgnoreTheirKeys)
{
    userKey(Qt::Key_F6);
    userKey(Qt::Key_F8);
    userKey(Qt::Key_F10);
    EXPECT_EQ(window->rowCount(), 0);
    EXPECT_TRUE(questions.isEmpty());
    // F7 is never disabled: in the ready state it runs the reset quietly.
    userKey(Qt::Key_F7);
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
            userKey(Qt::Key_Escape);
        });
    };
    closeInfo();
    userKey(Qt::Key_F3);
    activate();
    closeInfo();
    userClick(window->findChild<QToolButton*>(QStringLiteral("bInfo")));
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Information"), QStringLiteral("Information")}));
    // It tells where the backup really goes.
    EXPECT_TRUE(about.contains(QDir::toNativeSeparators(window->backupDir()))) << about.toStdString();
}

TEST_F(Commands, HelpWithoutAHelpFileIsDisabledAndDoesNothing)
{
    EXPECT_FALSE(window->findChild<QToolButton*>(QStringLiteral("bHelp"))->isEnabled());
    const auto before = HtmlHelp::instance().windows().size();
    userKey(Qt::Key_F1);
    userKey(Qt::Key_I, Qt::ControlModifier);
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
    userClick(date);
    EXPECT_TRUE(calendar->isVisible());
    EXPECT_EQ(calendar->y(), 0);
    EXPECT_EQ(calendar->x(), std::min(date->mapTo(calendar->parentWidget(), QPoint(0, 0)).x() - 28,
                                      calendar->parentWidget()->width() - calendar->width()));
    EXPECT_GE(calendar->width(), 214);
    EXPECT_GE(calendar->height(), 259);
    EXPECT_LE(calendar->geometry().right(), calendar->parentWidget()->width());
    // Every day's heading and the week numbers fit their columns.
    auto* view = calendar->findChild<QTableView*>();
    ASSERT_NE(view, nullptr);
    const QFontMetrics metrics(view->font());
    for (int c = 0; c < view->model()->columnCount(); ++c) {
        const QString heading = view->model()->index(0, c).data().toString();
        EXPECT_GE(view->columnWidth(c), metrics.horizontalAdvance(heading)) << heading.toStdString();
        EXPECT_LE(view->columnViewportPosition(c) + view->columnWidth(c), view->viewport()->width() + 1);
    }
    EXPECT_GE(view->columnWidth(0), metrics.horizontalAdvance(QStringLiteral("53")));
    userClick(window->findChild<QToolButton*>(QStringLiteral("sbClosecal")));
    EXPECT_FALSE(calendar->isVisible());
    // The date text is regional short date, two blanks, short time.
    const QLocale locale;
    EXPECT_TRUE(date->text().startsWith(locale.toString(QDate::currentDate(), QLocale::ShortFormat) + QStringLiteral("  ")));
}

TEST_F(Commands, AfterMidnightTheDatePanelMovesOnAndTheCalendarShowsTheStartDate)
{
    QDateTime now(QDate(2026, 12, 9), QTime(23, 59));
    FormMainOptions options = windowOptions();
    options.results.now = [&now] { return now; };
    window = std::make_unique<TFormMain>(options);
    window->show();
    activate();
    now = QDateTime(QDate(2026, 12, 10), QTime(0, 1));
    window->TimerDateTimer();
    auto* date = window->findChild<QLabel*>(QStringLiteral("PanelDate"));
    EXPECT_TRUE(date->text().startsWith(QLocale().toString(now.date(), QLocale::ShortFormat)));
    userClick(date);
    auto* calendar = window->findChild<QCalendarWidget*>(QStringLiteral("MonthCalendar1"));
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->selectedDate(), QDate(2026, 12, 9));
}

TEST_F(Commands, TheMakersMarkOpensTheLink)
{
    OpenedUrls opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    for (const char* name : {"Image5", "Label7", "Label8", "Label5"})
        userClick(window->findChild<QWidget*>(QStringLiteral("Panel1"))->findChild<QLabel*>(QString::fromLatin1(name)));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(opened.urls.size(), 4);
    EXPECT_TRUE(opened.urls.front().isLocalFile());
}

// Every small button shows a drawn glyph or text the window's fonts have: an
// empty box on screen is a button nobody can tell apart.
TEST_F(Commands, ToolButtonsShowGlyphsEveryFontHas)
{
    for (QToolButton* button : window->findChildren<QToolButton*>()) {
        // The time rows' marks are digits; the tab bar's arrows are Qt's own.
        if (button->parentWidget()
            && (button->parentWidget()->inherits("TFrame1") || button->parentWidget()->inherits("QTabBar")))
            continue;
        SCOPED_TRACE(button->objectName().toStdString());
        if (!button->icon().isNull())
            continue;
        if (auto* speed = qobject_cast<TLbSpeedButton*>(button); speed && !speed->Glyph().isNull())
            continue;
        const QString text = button->text();
        EXPECT_FALSE(text.isEmpty());
        const QFontMetrics metrics(button->font());
        for (const QChar c : text)
            EXPECT_TRUE(metrics.inFont(c)) << "U+" << std::hex << int(c.unicode());
    }
}

TEST_F(Commands, MessagesCarryTheApplicationTitle)
{
    // The ninth page takes no entries: its message is a plain message box.
    QString caption;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        caption = QApplication::activeModalWidget()->windowTitle();
        userKey(Qt::Key_Return);
    });
    window->findChild<QLineEdit*>(QStringLiteral("eLEN"))->clear();
    userKey(Qt::Key_F9);
    EXPECT_EQ(caption, QStringLiteral("Pylonix"));
}

}  // namespace

#include "formmain_commands_test.moc"
