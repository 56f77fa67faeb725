#include "platform/counters.h"

#include <cerrno>
#include <ctime>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace platform {

qint64 monotonicNanoseconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

namespace {

bool detectTimeStampCounter()
{
#if defined(__x86_64__) || defined(__i386__)
    // __get_cpuid checks that the identification instruction and leaf 1 exist.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(0, &eax, &ebx, &ecx, &edx) || eax < 1)
        return false;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return false;
    return (edx & (1u << 4)) != 0;
#else
    return false;
#endif
}

qint64 readTimeStampCounter()
{
#if defined(__x86_64__) || defined(__i386__)
    return qint64(__rdtsc());
#else
    return monotonicNanoseconds();
#endif
}

void sleepMilliseconds(unsigned ms)
{
    timespec ts{time_t(ms / 1000), long(ms % 1000) * 1'000'000L};
    while (clock_nanosleep(CLOCK_MONOTONIC, 0, &ts, &ts) == EINTR) {
    }
}

PriorityState raiseSchedulingPriority()
{
    PriorityState saved;
    errno = 0;
    saved.niceValue = getpriority(PRIO_PROCESS, 0);
    saved.policy = sched_getscheduler(0);
    sched_param param{};
    sched_getparam(0, &param);
    saved.priority = param.sched_priority;
    // Real-time scheduling needs privileges; where it is refused the
    // calibration simply runs at normal priority.
    sched_param high{};
    high.sched_priority = sched_get_priority_max(SCHED_FIFO);
    saved.raised = sched_setscheduler(0, SCHED_FIFO, &high) == 0;
    if (!saved.raised)
        saved.raised = setpriority(PRIO_PROCESS, 0, -20) == 0;
    return saved;
}

void restoreSchedulingPriority(const PriorityState& saved)
{
    if (!saved.raised)
        return;
    sched_param param{};
    param.sched_priority = saved.priority;
    sched_setscheduler(0, saved.policy, &param);
    setpriority(PRIO_PROCESS, 0, saved.niceValue);
}

}  // namespace

CounterSource systemCounterSource()
{
    CounterSource source;
    source.performanceCounter = &monotonicNanoseconds;
    source.performanceFrequency = [] { return qint64(1'000'000'000); };
    source.hasTimeStampCounter = &detectTimeStampCounter;
    source.timeStampCounter = &readTimeStampCounter;
    source.sleepMs = &sleepMilliseconds;
    source.raisePriority = &raiseSchedulingPriority;
    source.restorePriority = &restoreSchedulingPriority;
    source.minTimerPeriodMs = [] { return 1u; };
    return source;
}

}  // namespace platform
