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
// dynamic loader included); the child's error output goes to errors. A child
// that never paints (its platform plugin did not load, it crashed or hung)
// leaves no figure to give: the benchmark says why and ends with status 2.
inline double firstPaintOfChild(const QStringList& arguments, QByteArray* errors = nullptr,
                                const QString& program = QString())
{
    QProcess process;
    const QString path = program.isEmpty() ? QCoreApplication::applicationFilePath() : program;
    const double before = monotonicMs();
    process.start(path, arguments);
    const bool finished = process.waitForFinished(30000);
    const QByteArray childErrors = process.readAllStandardError();
    if (errors)
        *errors = childErrors;
    bool painted = false;
    const double paintedAt = QString::fromLatin1(process.readAllStandardOutput()).trimmed().toDouble(&painted);
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 && painted)
        return paintedAt - before;

    QString why;
    if (process.error() == QProcess::FailedToStart)
        why = QStringLiteral("it could not be started: ") + process.errorString();
    else if (!finished)
        why = QStringLiteral("no paint within 30 s");
    else if (process.exitStatus() != QProcess::NormalExit)
        why = QStringLiteral("it crashed");
    else if (process.exitCode() != 0)
        why = QStringLiteral("it ended with status %1").arg(process.exitCode());
    else
        why = QStringLiteral("it ended without painting");
    if (!finished)
        process.kill();
    std::fprintf(stderr, "%s %s did not paint its window: %s\n%s", qPrintable(path),
                 qPrintable(arguments.join(QLatin1Char(' '))), qPrintable(why), childErrors.constData());
    std::exit(2);
}
