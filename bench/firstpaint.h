#pragma once

// Shared by the start-up benchmarks: the time since the process began and a
// watcher that reports it at the main window's first paint.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <unistd.h>

// Milliseconds since this process was started, from the kernel's own record
// of the start, so the dynamic loader's work is counted too.
inline double msSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string field;
    for (int i = 0; i < 22 && stat >> field; ++i) {
    }
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
    return nowMs - std::stod(field) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// Prints the milliseconds at the first paint of the watched window and ends
// the event loop (without the close question quit() would ask).
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            QTimer::singleShot(0, qApp, [] {
                std::printf("%.1f\n", msSinceProcessStart());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};
