#include "platform/threadschedule.h"

#include <algorithm>
#include <cmath>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

ThreadSchedule scheduleForBasePriority(int basePriority)
{
    const int base = std::clamp(basePriority, 1, 31);
    ThreadSchedule schedule;
    if (base >= 16) {
        schedule.realTime = true;
        schedule.fifoPriority = base - 15;
        schedule.niceValue = -20;
        return schedule;
    }
    // Spread 1 … 15 over the nice range so that 8 stays the ordinary 0.
    const double nice = std::round((8 - base) * 20.0 / 7.0);
    schedule.niceValue = std::clamp(int(nice), -20, 19);
    return schedule;
}

int currentThreadId()
{
    return int(::syscall(SYS_gettid));
}

bool applyThreadSchedule(int threadId, const ThreadSchedule& schedule)
{
    if (threadId <= 0)
        return false;
    if (schedule.realTime) {
        sched_param param{};
        param.sched_priority =
            std::clamp(schedule.fifoPriority, sched_get_priority_min(SCHED_FIFO), sched_get_priority_max(SCHED_FIFO));
        if (sched_setscheduler(threadId, SCHED_FIFO, &param) == 0)
            return true;
        return setpriority(PRIO_PROCESS, id_t(threadId), schedule.niceValue) == 0;
    }
    // Leaving a real-time policy is always permitted; a thread that never had
    // one keeps its policy unchanged by this call.
    sched_param normal{};
    if (sched_getscheduler(threadId) != SCHED_OTHER)
        sched_setscheduler(threadId, SCHED_OTHER, &normal);
    return setpriority(PRIO_PROCESS, id_t(threadId), schedule.niceValue) == 0;
}

bool requestRealTimeForCurrentThread(int fifoPriority)
{
    sched_param param{};
    param.sched_priority =
        std::clamp(fifoPriority, sched_get_priority_min(SCHED_FIFO), sched_get_priority_max(SCHED_FIFO));
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

}  // namespace platform
