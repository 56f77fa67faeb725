#include "platform/modemwatcher.h"

#include <algorithm>
#include <cerrno>

namespace platform {

namespace {

int counterOf(const ModemCounters& counters, ModemLine line)
{
    switch (line) {
    case ModemLine::Ring: return counters.rng;
    case ModemLine::Cts: return counters.cts;
    case ModemLine::Dsr: return counters.dsr;
    case ModemLine::Dcd: return counters.dcd;
    default: return 0;
    }
}

// The order in which one wake-up's events are dispatched.
constexpr ModemLine kLineOrder[] = {ModemLine::Ring, ModemLine::Cts, ModemLine::Dsr, ModemLine::Dcd};

}  // namespace

ModemWatcher::ModemWatcher(SerialDevice& device, ModemLines lines, std::function<qint64()> tickSource,
                           qint64 pollInterval)
    : m_device(device)
    , m_watched(lines & kModemInputs)
    , m_ticks(std::move(tickSource))
    , m_pollInterval(pollInterval > 0 ? pollInterval : kDefaultPollInterval)
{
}

int ModemWatcher::readState(ModemCounters& counters, ModemLines& lines)
{
    if (m_haveCounters) {
        if (const int error = m_device.readCounters(counters))
            return error;
    }
    return m_device.readLines(lines);
}

qint64 ModemWatcher::tickOnce(std::optional<qint64>& tick)
{
    if (!tick)
        tick = m_ticks();
    return *tick;
}

int ModemWatcher::collect(std::optional<qint64>& tick, std::vector<ModemChange>& changes)
{
    ModemCounters counters;
    ModemLines lines;
    if (const int error = readState(counters, lines))
        return error;
    for (std::size_t i = 0; i < std::size(kLineOrder); ++i) {
        const ModemLine line = kLineOrder[i];
        if (!m_watched.testFlag(line))
            continue;
        const bool known = m_lines.testFlag(line);
        const bool seen = lines.testFlag(line);
        std::optional<qint64>& suspect = m_suspect[i];
        // Counters run as unsigned in the driver; the difference survives a wrap.
        const int counted = m_haveCounters
                                ? int(unsigned(counterOf(counters, line)) - unsigned(counterOf(m_counters, line)))
                                : 0;
        if (line == ModemLine::Ring) {
            // The driver counts only the end of a ring: every count is one
            // event, at the level the line shows.
            const int edges = m_haveCounters ? qMax(0, counted) : (known != seen ? 1 : 0);
            if (edges > 0)
                tickOnce(tick);
            for (int k = 0; k < edges; ++k)
                changes.push_back({line, seen, *tick});
            m_lines.setFlag(line, seen);
            continue;
        }
        bool level = known;
        if (!m_haveCounters) {
            if (seen != known) {
                level = seen;
                changes.push_back({line, level, tickOnce(tick)});
            }
        } else if (counted > 0) {
            for (int k = 0; k < counted; ++k) {
                level = !level;
                changes.push_back({line, level, tickOnce(tick)});
            }
            suspect.reset();
        } else if (suspect && seen != known) {
            // Second look, counters still: the driver lost an edge.
            level = seen;
            changes.push_back({line, level, *suspect});
            suspect.reset();
        }
        m_lines.setFlag(line, level);
        if (m_haveCounters && seen != level && !suspect)
            suspect = tick ? *tick : m_ticks();
        else if (seen == level)
            suspect.reset();
    }
    m_counters = counters;
    return 0;
}

int ModemWatcher::next(std::vector<ModemChange>& changes, const std::atomic<bool>& stop)
{
    if (!m_started) {
        // The starting level must belong to the starting counters: an edge
        // between the reads would shift every later level by one.
        m_haveCounters = m_device.readCounters(m_counters) == 0;
        for (int attempt = 0;; ++attempt) {
            if (const int error = m_device.readLines(m_lines))
                return error;
            ModemCounters after;
            if (!m_haveCounters || m_device.readCounters(after) != 0 || after == m_counters || attempt == 3)
                break;
            m_counters = after;
        }
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

        const bool resyncDue = std::any_of(m_suspect.begin(), m_suspect.end(),
                                           [](const std::optional<qint64>& t) { return t.has_value(); });
        if (mode() == WatchMode::Waiting && !resyncDue) {
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
                if (m_fellBack)
                    m_fellBack();
            } else if (result != EINTR) {
                return result;
            }
        } else {
            // Polling, or a short look again for a line whose read level
            // the counters did not explain.
            const int result = m_device.pause(m_pollInterval);
            if (result != 0 && result != EINTR)
                return result;
        }
    }
    return ECANCELED;
}

}  // namespace platform
