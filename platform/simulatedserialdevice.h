#pragma once

#include "platform/serialdevice.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace platform {

// A serial device without hardware: a light barrier that switches its modem
// lines at scripted ticks, and can lack driver features or vanish. Used by
// the tests, the benchmark and demonstrations.
//
// With the virtual clock, time only moves when the watcher waits or pauses:
// a wait jumps to the next scripted change and `now()` becomes its tick, so a
// tick source reading now() sees exactly the scripted ticks. With the
// monotonic clock, changes happen when CLOCK_MONOTONIC reaches their tick.
class SimulatedSerialDevice : public SerialDevice {
public:
    enum class Clock { Virtual, Monotonic };

    // What the simulated driver can do; a missing feature answers ENOTTY.
    struct Capabilities {
        bool modemWait = true;  // TIOCMIWAIT
        bool counters = true;   // TIOCGICOUNT
        bool modemLines = true; // TIOCMGET
    };

    explicit SimulatedSerialDevice(Clock clock = Clock::Virtual, ModemLines initialLines = {});

    void setCapabilities(const Capabilities& capabilities);
    void setSettingsError(int error);

    // The lines that are on become `lines` at `tick`. Ticks must not
    // decrease from one call to the next.
    void scheduleLines(qint64 tick, ModemLines lines);
    // From `tick` on every call fails with EIO, as after unplugging.
    void scheduleDisappearance(qint64 tick);
    // Changes the lines at once, without waking a waiting thread: an edge
    // that arrives while the watcher is busy elsewhere. Uncounted, the
    // interrupt counters stay as they were, as when a driver misses an edge.
    void applyLinesNow(qint64 tick, ModemLines lines, bool counted = true);
    // After the next wake-up of waitForChange the lines become `lines`
    // between the counter read and the line read that follow it: a contact
    // that moves again while the woken watcher looks.
    void changeLinesWhileReading(qint64 tick, ModemLines lines);

    qint64 now() const;
    ModemLines lines() const;
    bool hasPendingScript() const;
    LineSettings lastSettings() const;
    int waitCalls() const;
    int pauseCalls() const;
    int purgeCalls() const;

    int applySettings(const LineSettings& settings) override;
    int waitForChange(ModemLines lines) override;
    int readCounters(ModemCounters& counters) override;
    int readLines(ModemLines& lines) override;
    int pause(qint64 nanoseconds) override;
    void interrupt() override;
    void purge() override;

private:
    struct Step {
        qint64 tick = 0;
        ModemLines lines;
        bool vanish = false;
        bool counted = true;
    };

    qint64 clockNow() const;  // caller holds m_mutex
    void apply(const Step& step);
    void applyDue();
    bool takeInterrupt();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Clock m_clock;
    Capabilities m_capabilities;
    std::deque<Step> m_script;
    std::optional<Step> m_whileReading;
    bool m_woken = false;  // a wake-up since m_whileReading was set
    ModemLines m_lines;
    ModemCounters m_counters;
    qint64 m_now = 0;
    bool m_gone = false;
    bool m_interrupted = false;
    int m_settingsError = 0;
    LineSettings m_settings;
    int m_waitCalls = 0;
    int m_pauseCalls = 0;
    int m_purgeCalls = 0;
};

}  // namespace platform
