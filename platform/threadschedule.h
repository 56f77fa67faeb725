#pragma once

namespace platform {

// How a thread of a given Windows-style base priority (1 … 31) runs here:
// 16 and above on the real-time FIFO policy, below that on the normal policy
// with a nice value (8, the normal base priority, is nice 0).
struct ThreadSchedule {
    bool realTime = false;
    int fifoPriority = 0;  // 1 … 16 when realTime
    int niceValue = 0;     // -20 … 19 otherwise
};

ThreadSchedule scheduleForBasePriority(int basePriority);

// The kernel's id of the calling thread (what setpriority and
// sched_setscheduler take for a single thread).
int currentThreadId();

// Best effort: raising a priority needs privileges most users lack, so a
// refusal is reported but changes nothing else. A refused real-time request
// falls back to the highest nice value the system allows.
bool applyThreadSchedule(int threadId, const ThreadSchedule& schedule);

// Best effort, for the calling thread: the real-time FIFO policy at
// `fifoPriority` (clamped to what the system offers). Unlike
// applyThreadSchedule there is no fallback; a refused request leaves the
// thread exactly as it was.
bool requestRealTimeForCurrentThread(int fifoPriority);

}  // namespace platform
