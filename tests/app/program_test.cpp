// The program as main() runs it: all five windows, the language, the event
// loop, and the orderly end after "Programm beenden?".
#include "app/formmain.h"
#include "app/htmlhelp.h"
#include "app/program.h"
#include "platform/settingsstore.h"
#include "support/chmbuilder.h"
#include "support/fakes.h"
#include "support/userinput.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
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
    QTimer::singleShot(20000, [&] {
        timedOut = true;
        QCoreApplication::exit(99);
    });

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
