#include "app/artwork.h"
#include "app/drillhook.h"
#include "app/program.h"
#include "platform/atomicwrite.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv)
{
    // A full disk or a file size limit must give a reported failed write,
    // never the end of the program in the middle of a race.
    ignoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pylonix"));
    QApplication::setWindowIcon(pylonixIcon());
    // The program speaks German; without regional settings of the user's own
    // (the "C" locale) dates, times and the decimal comma follow German usage.
    if (QLocale::system().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // The crash drill drives the real program through a script; a normal
    // start never installs it.
    if (drillHookRequested()) {
        FormMainOptions options;
        options.ask = [](const QString&) { return true; };
        return runProgram(std::move(options), installDrillHook);
    }
    return runProgram();
}
