// Measures the race clock's costs: start-up to first paint, CPU load of a
// running clock, and one ShowTime call on both displays.
//
//   clock_bench            all three measurements (start-up runs 5 child processes)
//   clock_bench --startup  one child run: prints milliseconds from process start to first paint
//   clock_bench --clock    only the running clock (for a profiler)
//   clock_bench --clock    only the running clock (for a profiler)

#include "app/formmain.h"
#include "firstpaint.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <algorithm>
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

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pylonix"));

    const bool clockOnly = argc > 1 && std::string(argv[1]) == "--clock";

    // 1. Start-up, median of 5 fresh processes.
    std::vector<double> startups;
    for (int i = 0; i < (clockOnly ? 0 : 5); ++i) {
        startups.push_back(firstPaintOfChild({QStringLiteral("--startup")}));
    }
    if (!clockOnly) {
        std::printf("start-up to first paint: median %.1f ms (runs:", median(startups));
        for (double s : startups)
            std::printf(" %.1f", s);
        std::printf(")\n");
    }

    // 2. CPU of the whole process over 10 s of a running race.
    TFormMain window;
    window.show();
    QApplication::processEvents();
    window.mStartClick();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(10000, &app, [] { QCoreApplication::exit(0); });
    app.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("running clock: %.3f s CPU in %.2f s = %.2f %% of one core (platform %s)\n", cpu,
                double(wall.elapsed()) / 1000.0, 100.0 * cpu / (double(wall.elapsed()) / 1000.0),
                qPrintable(QGuiApplication::platformName()));

    if (clockOnly)
        return 0;

    if (clockOnly)
        return 0;

    // 3. One ShowTime call on both displays.
    window.mAbortClick();
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
