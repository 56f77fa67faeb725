// Measures the race clock's costs: start-up to first paint, CPU load of a
// running clock against a minimal Qt program repainting a time at 100 Hz, and
// one ShowTime call on both displays.
//
//   clock_bench                  all three measurements (start-up and both clocks run as child processes)
//   clock_bench --startup        one child run: prints the monotonic time of the first paint
//   clock_bench --clock [S]      the running clock alone for S seconds (10), prints % of a core (for a profiler)
//   clock_bench --minimal-clock [S]  the reference: one label showing the running time, set every 10 ms

#include "app/formmain.h"
#include "firstpaint.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}


int startupChild(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pylonix"));
    TFormMain window;
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    return app.exec();
}

double cpuSeconds();

double secondsArgument(int argc, char** argv)
{
    return argc > 2 ? std::max(1.0, std::atof(argv[2])) : 10.0;
}

// Runs the event loop for the given seconds and prints the process's CPU
// time over them as a share of one core.
void printCpuShareOver(QApplication& app, double seconds)
{
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(int(seconds * 1000), &app, [] { QCoreApplication::exit(0); });
    app.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("%.3f\n", 100.0 * cpu / (double(wall.elapsed()) / 1000.0));
    std::fflush(stdout);
}

// The reference a running race clock is held to: the least a Qt program can
// do to show a time in hundredths, one label in a window of the same size set
// every 10 ms.
int minimalClock(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    auto* label = new QLabel;
    QFont font = label->font();
    font.setPixelSize(60);
    label->setFont(font);
    window.setCentralWidget(label);
    window.resize(1206, 543);
    window.show();
    QElapsedTimer race;
    race.start();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, label, [&] {
        const qint64 cs = race.elapsed() / 10;
        label->setText(QStringLiteral("%1:%2,%3")
                           .arg(cs / 6000, 2, 10, QLatin1Char('0'))
                           .arg(cs / 100 % 60, 2, 10, QLatin1Char('0'))
                           .arg(cs % 100, 2, 10, QLatin1Char('0')));
    });
    tick.start(10);
    printCpuShareOver(app, secondsArgument(argc, argv));
    return 0;
}

int runningClock(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pylonix"));
    TFormMain window;
    window.show();
    QApplication::processEvents();
    window.mStartClick();
    printCpuShareOver(app, secondsArgument(argc, argv));
    return 0;
}

// One child's printed share of a core.
double childCpuShare(const QString& mode, double seconds)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {mode, QString::number(seconds)});
    child.waitForFinished(int(seconds * 1000) + 30000);
    return QString::fromLatin1(child.readAllStandardOutput()).trimmed().toDouble();
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--startup")
        return startupChild(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--clock")
        return runningClock(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--minimal-clock")
        return minimalClock(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pylonix"));

    // 1. Start-up, median of 5 fresh processes.
    std::vector<double> startups;
    for (int i = 0; i < 5; ++i)
        startups.push_back(firstPaintOfChild({QStringLiteral("--startup")}));
    std::printf("start-up to first paint: median %.1f ms (runs:", median(startups));
    for (double s : startups)
        std::printf(" %.1f", s);
    std::printf(")\n");

    // 2. CPU of a running race against the minimal 100 Hz program, 5 s each,
    // interleaved so both see the same load of the machine.
    std::vector<double> clock;
    std::vector<double> reference;
    for (int i = 0; i < 5; ++i) {
        clock.push_back(childCpuShare(QStringLiteral("--clock"), 5));
        reference.push_back(childCpuShare(QStringLiteral("--minimal-clock"), 5));
    }
    std::printf("running clock: median %.2f %% of one core (runs:", median(clock));
    for (double c : clock)
        std::printf(" %.2f", c);
    std::printf(")\nminimal 100 Hz program: median %.2f %% (runs:", median(reference));
    for (double c : reference)
        std::printf(" %.2f", c);
    std::printf("); ratio %.2f (platform %s)\n", median(clock) / median(reference),
                qPrintable(QGuiApplication::platformName()));

    TFormMain window;
    window.show();
    QApplication::processEvents();

    // 3. One ShowTime call on both displays.
    const int rounds = 20000;
    auto measure = [&](bool changing) {
        std::vector<double> samples;
        samples.reserve(rounds);
        const qint64 a = 0;
        const qint64 b = qint64(671'110) * 1'000'000;  // 11:11,11: every digit differs from zero
        for (int i = 0; i < rounds; ++i) {
            const qint64 t = changing && (i % 2) ? b : a;
            QElapsedTimer timer;
            timer.start();
            window.ShowTime(t, false);
            window.ShowTime(t, true);
            samples.push_back(double(timer.nsecsElapsed()));
            if (i % 100 == 0)
                QApplication::processEvents();  // let repaints happen as in a running clock
        }
        return median(samples);
    };
    std::printf("ShowTime on both displays, nothing changes: median %.0f ns\n", measure(false));
    std::printf("ShowTime on both displays, every digit changes: median %.0f ns\n", measure(true));
    return 0;
}
