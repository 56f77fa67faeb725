#pragma once

#include "platform/modemwatcher.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {
class SerialDevice;
}

// The worker thread of TComPort: waits for modem-line changes and hands
// each batch on at once, with the ticks read when the changes were seen. It
// never waits for its receiver; the callbacks run on the worker thread and
// must only post.
class TComThread {
public:
    struct Callbacks {
        std::function<void(const std::vector<platform::ModemChange>&)> changes;
        // The device failed and the worker has ended; the errno value.
        std::function<void(int error)> failed;
        // The driver cannot wait for line changes: the worker polls from now on.
        std::function<void()> polling;
    };

    TComThread(platform::SerialDevice& device, platform::ModemLines lines, std::function<qint64()> tickSource,
               Callbacks callbacks, qint64 pollInterval = platform::ModemWatcher::kDefaultPollInterval);
    // Stops the worker and waits for it.
    ~TComThread();

    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Asks the worker to end, wakes it until it does, and joins it.
    void stop();

    bool finished() const;
    platform::WatchMode mode() const { return m_watcher.mode(); }

private:
    // Low among the real-time levels (1 … 99): the kernel's interrupt
    // threads, which deliver the edge in the first place, stay ahead of it.
    static constexpr int kWorkerFifoPriority = 10;

    void run();

    platform::SerialDevice& m_device;
    platform::ModemLines m_lines;
    platform::ModemWatcher m_watcher;
    Callbacks m_callbacks;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_finished = false;
    std::thread m_thread;
};
