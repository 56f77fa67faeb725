#pragma once

// Shared by the start-up benchmarks: a watcher that reports the first paint
// of the main window, and the parent's side that turns it into milliseconds
// from the moment the child process was asked for.

#include "app/firstpaint.h"

#include <QCoreApplication>
#include <QProcess>
#include <cstdio>
#include <cstdlib>
#include <ctime>

// The machine's monotonic clock in milliseconds. Parent and child read the
// same clock; the kernel's record of a process start counts in 10 ms ticks,
// too coarse for start-ups of 30 to 70 ms.
inline double monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

// Prints the monotonic time of the first paint of the watched window and ends
// the process at once: the close question quit() would ask is skipped, and a
// profiler's count stops at the paint instead of including the teardown.
class FirstPaint : public FirstPaintWatcher {
public:
    FirstPaint()
        : FirstPaintWatcher([] {
            std::printf("%.3f\n", monotonicMs());
            std::fflush(stdout);
            std::fflush(stderr);
            std::_Exit(0);
        })
    {
    }
};

// Starts this program with the given arguments and returns the milliseconds
// from just before the start to the child's first paint (fork, exec and the
// dynamic loader included); the child's error output goes to errors.
inline double firstPaintOfChild(const QStringList& arguments, QByteArray* errors = nullptr,
                                const QString& program = QString())
{
    QProcess process;
    const double before = monotonicMs();
    process.start(program.isEmpty() ? QCoreApplication::applicationFilePath() : program, arguments);
    process.waitForFinished(30000);
    if (errors)
        *errors = process.readAllStandardError();
    const double painted = QString::fromLatin1(process.readAllStandardOutput()).trimmed().toDouble();
    return painted - before;
}
