#include "platform/modemwatcher.h"

#include <cerrno>
#include <sys/ioctl.h>

namespace platform {

namespace {

int counterOf(const ModemCounters& counters, int line)
{
    switch (line) {
    case TIOCM_RNG: return counters.rng;
    case TIOCM_CTS: return counters.cts;
    case TIOCM_DSR: return counters.dsr;
    case TIOCM_CD: return counters.dcd;
    default: return 0;
    }
}

// The order in which one wake-up's events are dispatched.
constexpr int kLineOrder[] = {TIOCM_RNG, TIOCM_CTS, TIOCM_DSR, TIOCM_CD};

}  // namespace

ModemWatcher::ModemWatcher(SerialDevice& device, int lines, std::function<qint64()> tickSource,
                           qint64 pollInterval)
    : m_device(device)
    , m_watched(lines & (TIOCM_RNG | TIOCM_CTS | TIOCM_DSR | TIOCM_CD))
    , m_ticks(std::move(tickSource))
    , m_pollInterval(pollInterval > 0 ? pollInterval : kDefaultPollInterval)
{
}

int ModemWatcher::readState(ModemCounters& counters, int& lines)
{
    if (m_haveCounters) {
        if (const int error = m_device.readCounters(counters))
            return error;
    }
    return m_device.readLines(lines);
}

int ModemWatcher::collect(std::optional<qint64>& tick, std::vector<ModemChange>& changes)
{
    ModemCounters counters;
    int lines = 0;
    if (const int error = readState(counters, lines))
        return error;
    const std::size_t before = changes.size();
    for (const int line : kLineOrder) {
        if (!(m_watched & line))
            continue;
        const bool was = (m_lines & line) != 0;
        const bool now = (lines & line) != 0;
        int edges = m_haveCounters ? counterOf(counters, line) - counterOf(m_counters, line) : 0;
        if (edges <= 0)
            edges = was != now ? 1 : 0;
        if (edges == 0)
            continue;
        if (!tick)
            tick = m_ticks();
        // Levels alternate edge by edge and end at the level read now.
        for (int k = edges - 1; k >= 0; --k) {
            const bool level = (k % 2 == 0) ? now : !now;
            changes.push_back({line, line == TIOCM_RNG ? now : level, 0});
        }
    }
    for (std::size_t i = before; i < changes.size(); ++i)
        changes[i].tick = *tick;
    m_counters = counters;
    m_lines = lines;
    return 0;
}

int ModemWatcher::next(std::vector<ModemChange>& changes, const std::atomic<bool>& stop)
{
    if (!m_started) {
        ModemCounters counters;
        m_haveCounters = m_device.readCounters(counters) == 0;
        if (m_haveCounters)
            m_counters = counters;
        if (const int error = m_device.readLines(m_lines))
            return error;
        m_started = true;
    }
    const std::size_t before = changes.size();
    while (!stop.load(std::memory_order_acquire)) {
        // Edges that came since the last look, while nobody was waiting.
        std::optional<qint64> tick;
        if (const int error = collect(tick, changes))
            return error;
        if (changes.size() != before)
            return 0;

        if (mode() == WatchMode::Waiting) {
            const int result = m_device.waitForChange(m_watched);
            if (result == 0) {
                // The moment the change is seen: nothing may come before this.
                tick = m_ticks();
                if (const int error = collect(tick, changes))
                    return error;
                if (changes.size() != before)
                    return 0;
            } else if (result == ENOTTY || result == EINVAL) {
                m_mode.store(WatchMode::Polling, std::memory_order_relaxed);
            } else if (result != EINTR) {
                return result;
            }
        } else {
            const int result = m_device.pause(m_pollInterval);
            if (result != 0 && result != EINTR)
                return result;
        }
    }
    return ECANCELED;
}

}  // namespace platform
