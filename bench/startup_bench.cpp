// Start-up of a fully equipped program folder: a logo, a class list of 21
// classes, a language file and a stored port that does not exist. Prints the
// median of 5 fresh processes from process start to the first paint of the
// main window, interleaved with 5 start-ups of a minimal Qt window built the
// same way (one label in a main window, its own program linked against Qt
// Widgets alone: minimal_window), and the ratio of the two medians. The same
// window inside this program, which carries every library the program links,
// is shown beside it, and the start-up again while another process holds
// 20 000 descriptors open.
//
//   startup_bench                         the measurement
//   startup_bench --child DIR CONFIGROOT  one start-up (used by the measurement)
//   startup_bench --minimal               one minimal window (the reference)
//   startup_bench --prepare DIR           the program folder (DIR/program) and
//                                         configuration (DIR/config) only, kept
//                                         for a profiler's --child run

#include "app/formmain.h"
#include "descriptorholder.h"
#include "firstpaint.h"
#include "minimalwindow.h"
#include "platform/settingsstore.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
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
    const double entered = monotonicMs();
    QApplication app(argc, argv);
    const double appMade = monotonicMs();
    QApplication::setApplicationName(QStringLiteral("Pylonix"));
    FormMainOptions options;
    options.programDir = QString::fromLocal8Bit(argv[2]);
    options.configRoot = QString::fromLocal8Bit(argv[3]);
    options.settingsBaseName = QStringLiteral("Pylonix");
    TFormMain window(options);
    window.applyLanguage(nullptr, nullptr);
    const double windowMade = monotonicMs();
    std::fprintf(stderr, "zeit caption: %s\nmain() at %.3f, application made in %.1f ms, window in %.1f ms\n",
                 qPrintable(window.zeitCaption()), entered, appMade - entered, windowMade - appMade);
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    return app.exec();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 3 && std::string(argv[1]) == "--child")
        return child(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--minimal")
        return runMinimalWindow(argc, argv);

    QCoreApplication app(argc, argv);
    const bool prepareOnly = argc > 2 && std::string(argv[1]) == "--prepare";
    QTemporaryDir program;
    QTemporaryDir config;
    if (prepareOnly) {
        program.setAutoRemove(false);
        config.setAutoRemove(false);
    }
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
    if (prepareOnly) {
        const QDir target(QString::fromLocal8Bit(argv[2]));
        QDir().mkpath(target.path());
        if (!QDir().rename(program.path(), target.filePath(QStringLiteral("program")))
            || !QDir().rename(config.path(), target.filePath(QStringLiteral("config"))))
            return 1;
        std::printf("%s --child %s %s\n", argv[0], qPrintable(target.filePath(QStringLiteral("program"))),
                    qPrintable(target.filePath(QStringLiteral("config"))));
        return 0;
    }

    const QString minimalProgram = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("minimal_window"));
    const auto once = [](const QStringList& arguments, bool showErrors, const QString& program = QString()) {
        QByteArray errors;
        const double ms = firstPaintOfChild(arguments, &errors, program);
        if (showErrors)
            std::printf("%s", errors.constData());
        return ms;
    };
    std::vector<double> runs;
    std::vector<double> minimalRuns;
    std::vector<double> sameBinaryRuns;
    for (int i = 0; i < 5; ++i) {
        runs.push_back(once({QStringLiteral("--child"), program.path(), config.path()}, i == 0));
        minimalRuns.push_back(once({}, false, minimalProgram));
        sameBinaryRuns.push_back(once({QStringLiteral("--minimal")}, false));
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("start-up (logo, 21 classes, language file, missing port) to first paint: median %.1f ms (runs:",
                median(runs));
    for (double r : runs)
        std::printf(" %.1f", r);
    std::printf(")\nminimal window (minimal_window) to first paint: median %.1f ms; ratio %.2f\n", median(minimalRuns),
                median(runs) / median(minimalRuns));
    std::printf("the same window inside this program (all the program's libraries): median %.1f ms; ratio %.2f\n",
                median(sameBinaryRuns), median(runs) / median(sameBinaryRuns));

    // A port device exists on most machines, and then the probe looks
    // through every descriptor of the machine.
    std::vector<double> busyRuns;
    {
        const DescriptorHolder holder(20000);
        for (int i = 0; i < 5; ++i)
            busyRuns.push_back(once({QStringLiteral("--child"), program.path(), config.path()}, false));
        std::printf("the same start-up while another process holds %d descriptors: median %.1f ms; ratio %.2f to the "
                    "start-up above\n",
                    holder.opened(), median(busyRuns), median(busyRuns) / median(runs));
    }
    return 0;
}
