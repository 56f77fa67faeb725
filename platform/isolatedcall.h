#pragma once

#include <functional>

// How a call run in a child process ended.
enum class IsolatedResult {
    Succeeded,   // the call returned true
    Failed,      // the call returned false
    Crashed,     // the child died from a signal
    TimedOut,    // the child was still busy at the time limit and was killed
    NotStarted,  // no child process could be made
};

// Runs `work` in a forked child and waits at most timeoutMs for it. Used to
// try C libraries on untrusted files before the program itself touches them:
// a library that crashes or hangs on a damaged file takes only the child
// with it. The child shares nothing back but the result, and ends without
// running destructors or flushing buffers; `work` should touch no Qt
// objects and no locks other threads might hold.
IsolatedResult runIsolated(const std::function<bool()>& work, int timeoutMs);
