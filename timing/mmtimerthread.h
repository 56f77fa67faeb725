#pragma once

#include "platform/threadschedule.h"

#include <QtGlobal>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <shared_mutex>
#include <thread>

// The periodic timer of the time base: a thread woken by a kernel timer once
// per period that reads the counter, stores the reading as the last tick and
// signals the tick event. Created stopped; start() runs it, stop() (and the
// destructor) ends it promptly, without waiting out the current period.
class TMMTimerThread {
public:
    using Reader = std::function<qint64()>;

    // minPeriodMs is the shortest period the timer runs at; shorter requests
    // (including 0) are raised to it.
    TMMTimerThread(Reader reader, quint32 minPeriodMs);
    ~TMMTimerThread();
    TMMTimerThread(const TMMTimerThread&) = delete;
    TMMTimerThread& operator=(const TMMTimerThread&) = delete;

    // Both take effect on a running thread at once: the timer is re-armed.
    void setPeriod(quint32 ms);
    void setAccuracy(quint32 ms);
    quint32 Period() const { return m_period.load(); }
    quint32 Accuracy() const { return m_accuracy.load(); }
    // The period the kernel timer really runs at.
    quint32 effectivePeriod() const;

    // Returns false when the thread or its timer could not be created.
    bool start();
    void stop();
    bool running() const { return m_worker.joinable(); }

    qint64 lastTick() const;
    // How many ticks were signalled since start.
    quint64 tickCount() const;
    // Waits for the next tick signalled after the call; false on time-out.
    bool waitForTick(int timeoutMs) const;

    // Kernel id of the running thread, 0 when it is not running.
    int threadId() const { return m_threadId.load(); }
    bool applySchedule(const platform::ThreadSchedule& schedule);

private:
    void run(int timerFd);
    void wake();
    void signalTick(qint64 tick);

    Reader m_reader;
    const quint32 m_minPeriod;
    std::atomic<quint32> m_period{1};
    std::atomic<quint32> m_accuracy{0};
    // Raised by the owner's setters, cleared by the timer thread.
    std::atomic<bool> m_changed{true};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_threadId{0};
    int m_wakeFd = -1;

    mutable std::shared_mutex m_tickLock;
    qint64 m_lastTick = 0;

    mutable std::mutex m_eventMutex;
    mutable std::condition_variable m_tickEvent;
    quint64 m_generation = 0;

    std::thread m_worker;
};
