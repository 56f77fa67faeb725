#include "platform/isolatedcall.h"

#include <chrono>
#include <csignal>
#include <ctime>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

IsolatedResult runIsolated(const std::function<bool()>& work, int timeoutMs)
{
    const pid_t pid = fork();
    if (pid < 0)
        return IsolatedResult::NotStarted;
    if (pid == 0) {
        // No core file for an expected crash.
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        // A crash is to end the child by its signal: handlers the parent
        // installed (a sanitizer's, a crash reporter's) would turn it into a
        // long report and an ordinary exit.
        for (const int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
            std::signal(sig, SIG_DFL);
        bool ok = false;
        try {
            ok = work();
        } catch (...) {
            ok = false;
        }
        _exit(ok ? 0 : 1);
    }

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (WIFEXITED(status))
                return WEXITSTATUS(status) == 0 ? IsolatedResult::Succeeded : IsolatedResult::Failed;
            return IsolatedResult::Crashed;
        }
        if (done < 0 && errno != EINTR)
            return IsolatedResult::Crashed;  // the child is gone and cannot be asked
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return IsolatedResult::TimedOut;
        }
        const timespec pause{0, 1'000'000};  // 1 ms
        nanosleep(&pause, nullptr);
    }
}
