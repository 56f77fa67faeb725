#pragma once

#include <QtGlobal>
#include <functional>

namespace platform {

// Saved scheduling state of the calling process and thread, restored after a
// calibration that raised it.
struct PriorityState {
    int niceValue = 0;
    int policy = 0;
    int priority = 0;
    bool raised = false;
};

// Everything the time base reads from the machine. The system source reads the
// real counters; tests hand in fakes so nothing has to sleep for seconds.
struct CounterSource {
    std::function<qint64()> performanceCounter;    // CLOCK_MONOTONIC in nanoseconds
    std::function<qint64()> performanceFrequency;  // counts per second (1 000 000 000)
    std::function<bool()> hasTimeStampCounter;     // cpuid present, leaf 1 EDX bit 4
    std::function<qint64()> timeStampCounter;      // rdtsc
    std::function<void(unsigned ms)> sleepMs;
    std::function<PriorityState()> raisePriority;  // best effort; ignored where not permitted
    std::function<void(const PriorityState&)> restorePriority;
    std::function<unsigned()> minTimerPeriodMs;    // smallest period of the periodic timer
};

CounterSource systemCounterSource();

// The monotonic clock in nanoseconds; what the performance counter reads.
qint64 monotonicNanoseconds();

}  // namespace platform
