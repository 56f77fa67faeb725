// Start-up of a fully equipped program folder: a logo, a class list of 21
// classes, a language file and a stored port that does not exist. Prints the
// median of 5 fresh processes from process start to the first paint of the
// main window.
//
//   startup_bench                         the measurement
//   startup_bench --child DIR CONFIGROOT  one start-up (used by the measurement)

#include "app/formmain.h"
#include "firstpaint.h"
#include "platform/settingsstore.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {


int child(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pylonix"));
    FormMainOptions options;
    options.programDir = QString::fromLocal8Bit(argv[2]);
    options.configRoot = QString::fromLocal8Bit(argv[3]);
    options.settingsBaseName = QStringLiteral("Pylonix");
    TFormMain window(options);
    window.applyLanguage(nullptr, nullptr);
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    const int result = app.exec();
    std::fprintf(stderr, "zeit caption: %s\n", qPrintable(window.zeitCaption()));
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 3 && std::string(argv[1]) == "--child")
        return child(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir program;
    QTemporaryDir config;
    const QDir here(QStringLiteral(PYLONIX_PROGRAM_DIR));
    for (const char* name : {"Logo.jpg", "English.lng", "ZEIT.wav"})
        QFile::copy(here.filePath(QString::fromLatin1(name)), QDir(program.path()).filePath(QString::fromLatin1(name)));
    QFile classes(QDir(program.path()).filePath(QStringLiteral("Klassen.txt")));
    if (!classes.open(QIODevice::WriteOnly))
        return 1;
    for (int i = 1; i <= 21; ++i)
        classes.write(QStringLiteral("%1 Gruppe %2\r\n").arg(800 + i * 10).arg(i).toUtf8());
    classes.close();

    platform::SettingsStore store(QStringLiteral("Pylonix"), config.path());
    const std::pair<const char*, quint32> values[] = {
        {"Port", 16}, {"Alg", 0}, {"Left", 0}, {"Top", 0}, {"Width", 1206}, {"Height", 543},
        {"Sound", 1}, {"C1", 0}, {"C2", 0x00FF00}, {"C3", 0x404040}, {"Acc", 2},
        {"WaitStart", 100}, {"FilterInd", 1}, {"CharSet", 0}, {"PlayZeit", 1}};
    for (const auto& [name, value] : values)
        store.writeDword(QString::fromLatin1(name), value);
    store.writeString(QStringLiteral("Lang"), QStringLiteral("English"));
    if (!store.save().isEmpty())
        return 1;

    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        QProcess process;
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--child"), program.path(), config.path()});
        process.waitForFinished(30000);
        runs.push_back(QString::fromLatin1(process.readAllStandardOutput()).trimmed().toDouble());
        if (i == 0)
            std::printf("%s", process.readAllStandardError().constData());
    }
    std::vector<double> sorted = runs;
    std::sort(sorted.begin(), sorted.end());
    std::printf("start-up (logo, 21 classes, language file, missing port) to first paint: median %.1f ms (runs:",
                sorted[2]);
    for (double r : runs)
        std::printf(" %.1f", r);
    std::printf(")\n");
    return 0;
}
