#pragma once

#include "platform/serialdevice.h"

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace platform {

// One change of a modem-status input as the watcher saw it.
struct ModemChange {
    ModemLine line = ModemLine::Dsr;  // Ring, Cts, Dsr or Dcd
    bool on = false;                  // level after the change
    qint64 tick = 0;                  // tick read the moment the change was seen
};

enum class WatchMode { Waiting, Polling };

// Watches the modem-status inputs of an open device and reports every edge.
//
// Normally it sleeps in waitForChange (TIOCMIWAIT). That call only notices
// edges that happen while it sleeps, so before every wait the interrupt
// counters (TIOCGICOUNT) are compared with the last ones seen: an edge that
// came while the previous one was being handed on is reported at once
// instead of being lost. Drivers that cannot wait (ENOTTY or EINVAL:
// cp210x, ptys) are polled instead, every pollInterval.
//
// With counters, the counters alone make the events: each counted change of
// CTS, DSR or carrier is one edge, its level the opposite of the level before
// it. The lines are read with a second call, and a contact may move between
// the two reads; a level taken from that read would turn a counted ON edge
// into OFF and report the next edge twice. The line read therefore only
// resynchronises: when it disagrees with the counted level and a second look
// one poll interval later finds the counters unmoved and the line still
// different, the driver missed an edge and one edge to the line's level is
// reported, with the tick of the first look. Without counters, every look
// compares the line with the last level.
class ModemWatcher {
public:
    static constexpr qint64 kDefaultPollInterval = 500'000;  // 0.5 ms in ns

    ModemWatcher(SerialDevice& device, ModemLines lines, std::function<qint64()> tickSource,
                 qint64 pollInterval = kDefaultPollInterval);

    // Blocks until at least one change was seen (0), `stop` became true
    // (ECANCELED) or the device failed (its errno; EIO when it has gone).
    // Changes are appended in the order they happened, rings first, then
    // CTS, DSR and carrier, as one wake-up dispatches them.
    int next(std::vector<ModemChange>& changes, const std::atomic<bool>& stop);

    WatchMode mode() const { return m_mode.load(std::memory_order_relaxed); }
    // Called once, on the watching thread, when the driver turns out unable
    // to wait and polling takes over.
    void setFallbackListener(std::function<void()> listener) { m_fellBack = std::move(listener); }

private:
    int readState(ModemCounters& counters, ModemLines& lines);
    // Compares the current state with the last one; reads the tick when
    // there is a change and no tick was read yet.
    int collect(std::optional<qint64>& tick, std::vector<ModemChange>& changes);
    qint64 tickOnce(std::optional<qint64>& tick);

    SerialDevice& m_device;
    ModemLines m_watched;
    std::function<qint64()> m_ticks;
    qint64 m_pollInterval = kDefaultPollInterval;
    std::atomic<WatchMode> m_mode{WatchMode::Waiting};
    std::function<void()> m_fellBack;
    bool m_started = false;
    bool m_haveCounters = false;
    ModemCounters m_counters;
    ModemLines m_lines;  // the level of each line as the events have told it
    // Lines whose read level disagreed with m_lines at the last look, and the
    // tick of that look: a resynchronisation waiting for its second look.
    std::array<std::optional<qint64>, 4> m_suspect;  // in dispatch order
};

}  // namespace platform
