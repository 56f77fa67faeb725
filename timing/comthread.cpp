#include "timing/comthread.h"

#include "platform/serialdevice.h"
#include "platform/threadschedule.h"

#include <cerrno>
#include <chrono>

TComThread::TComThread(platform::SerialDevice& device, platform::ModemLines lines,
                       std::function<qint64()> tickSource, Callbacks callbacks, qint64 pollInterval)
    : m_device(device)
    , m_lines(lines)
    , m_watcher(device, lines, std::move(tickSource), pollInterval)
    , m_callbacks(std::move(callbacks))
{
    if (m_callbacks.polling)
        m_watcher.setFallbackListener(m_callbacks.polling);
    m_thread = std::thread([this] { run(); });
}

TComThread::~TComThread()
{
    stop();
}

void TComThread::run()
{
    // The worker only sleeps and hands edges on, so a real-time priority
    // costs nothing and keeps a busy machine from delaying the tick it reads.
    // Where it is not permitted the worker runs at normal priority.
    platform::requestRealTimeForCurrentThread(kWorkerFifoPriority);

    int error = 0;
    if (!m_lines) {
        // Nothing to watch: the worker only waits to be stopped.
        std::unique_lock lock(m_mutex);
        m_ended.wait(lock, [this] { return m_stop.load(); });
    } else {
        std::vector<platform::ModemChange> changes;
        for (;;) {
            changes.clear();
            const int result = m_watcher.next(changes, m_stop);
            if (!changes.empty() && m_callbacks.changes)
                m_callbacks.changes(changes);
            if (result != 0) {
                if (result != ECANCELED)
                    error = result;
                break;
            }
        }
    }
    m_device.purge();
    if (error && !m_stop.load() && m_callbacks.failed)
        m_callbacks.failed(error);
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_ended.notify_all();
}

void TComThread::stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop.store(true);
    }
    m_ended.notify_all();
    // The wake-up can land just before the worker enters its wait, so it is
    // repeated until the worker has really left.
    std::unique_lock lock(m_mutex);
    while (!m_finished) {
        lock.unlock();
        m_device.interrupt();
        lock.lock();
        m_ended.wait_for(lock, std::chrono::milliseconds(2), [this] { return m_finished; });
    }
    lock.unlock();
    m_thread.join();
}

bool TComThread::finished() const
{
    std::lock_guard lock(m_mutex);
    return m_finished;
}
