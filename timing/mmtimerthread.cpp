#include "timing/mmtimerthread.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <future>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

timespec addMilliseconds(timespec t, quint32 ms)
{
    t.tv_sec += time_t(ms / 1000);
    t.tv_nsec += long(ms % 1000) * 1'000'000L;
    if (t.tv_nsec >= 1'000'000'000L) {
        t.tv_nsec -= 1'000'000'000L;
        ++t.tv_sec;
    }
    return t;
}

// Periodic expiries on absolute monotonic times: the kernel keeps the period,
// so a late wake-up does not shift the following ticks.
bool armTimer(int timerFd, quint32 periodMs)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    itimerspec period{};
    period.it_value = addMilliseconds(now, periodMs);
    period.it_interval = addMilliseconds(timespec{}, periodMs);
    return timerfd_settime(timerFd, TFD_TIMER_ABSTIME, &period, nullptr) == 0;
}

}  // namespace

TMMTimerThread::TMMTimerThread(Reader reader, quint32 minPeriodMs)
    : m_reader(std::move(reader))
    , m_minPeriod(std::max<quint32>(minPeriodMs, 1))
{
}

TMMTimerThread::~TMMTimerThread()
{
    stop();
}

void TMMTimerThread::setPeriod(quint32 ms)
{
    m_period.store(ms);
    m_changed.store(true);
    wake();
}

void TMMTimerThread::setAccuracy(quint32 ms)
{
    // The kernel's high-resolution timer already fires well within any
    // accuracy that can be asked for in whole milliseconds; the value is kept
    // so that a change re-arms the timer like a period change does.
    m_accuracy.store(ms);
    m_changed.store(true);
    wake();
}

quint32 TMMTimerThread::effectivePeriod() const
{
    return std::max(m_period.load(), m_minPeriod);
}

bool TMMTimerThread::start()
{
    if (running())
        return true;
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0)
        return false;
    m_stop.store(false);
    m_changed.store(true);
    {
        std::lock_guard guard(m_eventMutex);
        m_generation = 0;
    }
    std::promise<bool> started;
    auto ready = started.get_future();
    m_worker = std::thread([this, &started] {
        m_threadId.store(platform::currentThreadId());
        const int timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
        started.set_value(timerFd >= 0);
        if (timerFd < 0)
            return;
        run(timerFd);
        ::close(timerFd);
    });
    // Waiting for the thread to report in makes its id known to the owner
    // before start() returns, so priorities can be applied right away.
    const bool ok = ready.get();
    if (!ok)
        stop();
    return ok;
}

void TMMTimerThread::stop()
{
    m_stop.store(true);
    wake();
    if (m_worker.joinable())
        m_worker.join();
    m_threadId.store(0);
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
        m_wakeFd = -1;
    }
}

void TMMTimerThread::wake()
{
    if (m_wakeFd < 0)
        return;
    const std::uint64_t one = 1;
    // A full counter already means a wake-up is pending; nothing is lost.
    [[maybe_unused]] const auto written = ::write(m_wakeFd, &one, sizeof one);
}

void TMMTimerThread::run(int timerFd)
{
    pollfd fds[2] = {{timerFd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    while (!m_stop.load()) {
        // Cleared before the values are read: a change that lands meanwhile
        // raises the flag again and re-arms once more.
        if (m_changed.exchange(false))
            armTimer(timerFd, effectivePeriod());
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents & POLLIN) {
            std::uint64_t expirations = 0;
            if (::read(timerFd, &expirations, sizeof expirations) == sizeof expirations && expirations > 0)
                signalTick(m_reader());
        }
        if (fds[1].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto drained = ::read(m_wakeFd, &count, sizeof count);
        }
    }
}

void TMMTimerThread::signalTick(qint64 tick)
{
    {
        std::unique_lock writer(m_tickLock);
        m_lastTick = tick;
    }
    {
        std::lock_guard guard(m_eventMutex);
        ++m_generation;
    }
    m_tickEvent.notify_all();
}

qint64 TMMTimerThread::lastTick() const
{
    std::shared_lock reader(m_tickLock);
    return m_lastTick;
}

quint64 TMMTimerThread::tickCount() const
{
    std::lock_guard guard(m_eventMutex);
    return m_generation;
}

bool TMMTimerThread::waitForTick(int timeoutMs) const
{
    std::unique_lock lock(m_eventMutex);
    const quint64 seen = m_generation;
    return m_tickEvent.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                [&] { return m_generation != seen; });
}

bool TMMTimerThread::applySchedule(const platform::ThreadSchedule& schedule)
{
    return platform::applyThreadSchedule(m_threadId.load(), schedule);
}
