// The program as main() runs it: all five windows, the language, the event
// loop, and the orderly end after "Programm beenden?".
#include "app/cfgdialog.h"
#include "app/formmain.h"
#include "app/forminfo.h"
#include "app/htmlhelp.h"
#include "app/language.h"
#include "app/program.h"
#include "app/settings.h"
#include "platform/settingsstore.h"
#include "support/chmbuilder.h"
#include "support/fakes.h"
#include "support/userinput.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

TFormMain* mainWindow()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<TFormMain*>(top); window && window->isVisible())
            return window;
    }
    return nullptr;
}

TEST(Program, RunsFromStartToTheCloseQuestionAndEnds)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString baseName = QStringLiteral("PylonixProgramTest");
    // A help file, so that a help window is open when the program is closed.
    const bool withHelp = !chmcmdProgram().isEmpty()
                          && !buildTestChm(dir.path(), baseName,
                                           {{QStringLiteral("a.html"), QStringLiteral("Hilfe"), QStringLiteral("<p>F5</p>")}})
                                  .isEmpty();

    FakeCounter counter;
    FormMainOptions options;
    options.counters = counter.source();
    options.programDir = dir.path();
    options.settingsBaseName = baseName;
    options.configRoot = dir.filePath(QStringLiteral("config"));
    options.results.backupDir = dir.path();
    const platform::SettingsStore store(baseName, options.configRoot);
    ASSERT_FALSE(QFile::exists(store.filePath()));

    bool drove = false;
    bool timedOut = false;
    int helpWindows = -1;
    QString germanLookIn;
    QTimer::singleShot(0, [&] {
        TFormMain* window = mainWindow();
        if (!window || !showActive(window))
            return;
        germanLookIn = QCoreApplication::translate("QFileDialog", "Look in:");
        if (withHelp) {
            userKey(Qt::Key_F1);
            helpWindows = int(HtmlHelp::instance().windows().size());
            ASSERT_TRUE(showActive(window));
        }
        answerNextDialog(QStringLiteral("OKBtn"));
        window->windowHandle()->close();
        drove = true;
    });
    // Owned here, so it cannot fire into a later test's event loop.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(99);
    });
    guard.start(20000);

    const int result = runProgram(options);
    EXPECT_TRUE(drove);
    EXPECT_FALSE(timedOut) << "the event loop ran on after the main window closed";
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(QFile::exists(store.filePath())) << "settings are written at the orderly end";
    EXPECT_TRUE(HtmlHelp::instance().windows().isEmpty());
    if (withHelp) {
        EXPECT_EQ(helpWindows, 1);
    }
    // Qt's own texts spoke German while the program ran, and stop with it.
    EXPECT_EQ(germanLookIn, QStringLiteral("Suchen in:"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
}

}  // namespace

namespace {

// The language file in force reaches the windows the program itself makes:
// the main window, the settings dialog and the information window.
TEST(Program, TheLanguageFileInForceIsShownInEveryWindowFromTheStart)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray lines;
    for (int n = 1; n <= 65; ++n)
        lines += "t" + QByteArray::number(n) + "\r\n";
    QFile file(dir.filePath(QStringLiteral("T.lng")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(lines);
    file.close();

    FakeCounter counter;
    FormMainOptions options;
    options.counters = counter.source();
    options.programDir = dir.path();
    options.settingsBaseName = QStringLiteral("PylonixLanguageTest");
    options.configRoot = dir.filePath(QStringLiteral("config"));
    options.results.backupDir = dir.path();
    QStringList questions;
    options.ask = [&questions](const QString& q) {
        questions << q;
        return true;
    };
    SettingsValues stored;
    stored.lang = QStringLiteral("T");
    platform::SettingsStore store(options.settingsBaseName, options.configRoot);
    ASSERT_TRUE(writeSettings(store, stored).isEmpty());

    QStringList wrong;
    int checked = 0;
    const auto started = [&](TFormMain& window) {
        const QHash<LanguageWindow, QWidget*> windows{{LanguageWindow::Main, &window},
                                                     {LanguageWindow::Settings, window.findChild<TCfgDialog*>()},
                                                     {LanguageWindow::Info, window.findChild<TFormInfo*>()}};
        for (const LanguageLine& line : kLanguageLines) {
            QWidget* owner = windows.value(line.window);
            if (!owner || line.action == LanguageAction::WindowFont)
                continue;
            QWidget* target = *line.objectName ? owner->findChild<QWidget*>(QLatin1String(line.objectName)) : owner;
            QString shown;
            if (!target)
                shown = QStringLiteral("(missing)");
            else if (line.action == LanguageAction::Hint)
                shown = target->toolTip();
            else if (auto* label = qobject_cast<QLabel*>(target))
                shown = label->text();
            else if (auto* button = qobject_cast<QAbstractButton*>(target))
                shown = button->text();
            else if (auto* group = qobject_cast<QGroupBox*>(target))
                shown = group->title();
            else
                shown = target->windowTitle();
            ++checked;
            if (shown != QStringLiteral("t%1").arg(line.line))
                wrong << QStringLiteral("%1 %2: %3").arg(line.line).arg(QLatin1String(line.objectName), shown);
        }
        QTimer::singleShot(0, &window, [&window] { window.windowHandle()->close(); });
    };
    EXPECT_EQ(runProgram(options, started), 0);
    EXPECT_GE(checked, 27);
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(questions.value(0), QStringLiteral("t57"));
}

}  // namespace
