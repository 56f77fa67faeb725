#include "platform/simulatedserialdevice.h"

#include "platform/counters.h"

#include <cerrno>
#include <chrono>

namespace platform {

namespace {

std::chrono::steady_clock::time_point steadyAt(qint64 nanoseconds)
{
    // libstdc++'s steady_clock is CLOCK_MONOTONIC, the program's tick.
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(nanoseconds));
}

}  // namespace

SimulatedSerialDevice::SimulatedSerialDevice(Clock clock, ModemLines initialLines)
    : m_clock(clock)
    , m_lines(initialLines)
{
}

void SimulatedSerialDevice::setCapabilities(const Capabilities& capabilities)
{
    std::lock_guard lock(m_mutex);
    m_capabilities = capabilities;
}

void SimulatedSerialDevice::setSettingsError(int error)
{
    std::lock_guard lock(m_mutex);
    m_settingsError = error;
}

void SimulatedSerialDevice::scheduleLines(qint64 tick, ModemLines lines)
{
    {
        std::lock_guard lock(m_mutex);
        m_script.push_back({tick, lines, false});
    }
    m_changed.notify_all();
}

void SimulatedSerialDevice::scheduleDisappearance(qint64 tick)
{
    {
        std::lock_guard lock(m_mutex);
        m_script.push_back({tick, {}, true});
    }
    m_changed.notify_all();
}

void SimulatedSerialDevice::applyLinesNow(qint64 tick, ModemLines lines, bool counted)
{
    std::lock_guard lock(m_mutex);
    apply({tick, lines, false, counted});
}

void SimulatedSerialDevice::changeLinesWhileReading(qint64 tick, ModemLines lines)
{
    std::lock_guard lock(m_mutex);
    m_whileReading = Step{tick, lines, false, true};
    m_woken = false;
}

qint64 SimulatedSerialDevice::now() const
{
    std::lock_guard lock(m_mutex);
    return clockNow();
}

qint64 SimulatedSerialDevice::clockNow() const
{
    return m_clock == Clock::Virtual ? m_now : monotonicNanoseconds();
}

ModemLines SimulatedSerialDevice::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

bool SimulatedSerialDevice::hasPendingScript() const
{
    std::lock_guard lock(m_mutex);
    return !m_script.empty();
}

LineSettings SimulatedSerialDevice::lastSettings() const
{
    std::lock_guard lock(m_mutex);
    return m_settings;
}

int SimulatedSerialDevice::waitCalls() const
{
    std::lock_guard lock(m_mutex);
    return m_waitCalls;
}

int SimulatedSerialDevice::pauseCalls() const
{
    std::lock_guard lock(m_mutex);
    return m_pauseCalls;
}

int SimulatedSerialDevice::purgeCalls() const
{
    std::lock_guard lock(m_mutex);
    return m_purgeCalls;
}

void SimulatedSerialDevice::apply(const Step& step)
{
    if (m_clock == Clock::Virtual && step.tick > m_now)
        m_now = step.tick;
    if (step.vanish) {
        m_gone = true;
        return;
    }
    const ModemLines changed = step.counted ? m_lines ^ step.lines : ModemLines();
    if (changed.testFlag(ModemLine::Cts))
        ++m_counters.cts;
    if (changed.testFlag(ModemLine::Dsr))
        ++m_counters.dsr;
    if (changed.testFlag(ModemLine::Ring))
        ++m_counters.rng;
    if (changed.testFlag(ModemLine::Dcd))
        ++m_counters.dcd;
    m_lines = step.lines;
}

void SimulatedSerialDevice::applyDue()
{
    if (m_clock != Clock::Monotonic)
        return;
    const qint64 now = monotonicNanoseconds();
    while (!m_script.empty() && m_script.front().tick <= now) {
        apply(m_script.front());
        m_script.pop_front();
    }
}

bool SimulatedSerialDevice::takeInterrupt()
{
    const bool interrupted = m_interrupted;
    m_interrupted = false;
    return interrupted;
}

int SimulatedSerialDevice::applySettings(const LineSettings& settings)
{
    std::lock_guard lock(m_mutex);
    if (m_gone)
        return EIO;
    if (m_settingsError)
        return m_settingsError;
    m_settings = settings;
    return 0;
}

int SimulatedSerialDevice::waitForChange(ModemLines lines)
{
    std::unique_lock lock(m_mutex);
    ++m_waitCalls;
    applyDue();
    if (m_gone)
        return EIO;
    if (!m_capabilities.modemWait)
        return ENOTTY;
    // Like the kernel: wait for the counters to move away from their value
    // at the start of the wait.
    const ModemCounters start = m_counters;
    const auto moved = [&] {
        return (lines.testFlag(ModemLine::Cts) && m_counters.cts != start.cts)
            || (lines.testFlag(ModemLine::Dsr) && m_counters.dsr != start.dsr)
            || (lines.testFlag(ModemLine::Ring) && m_counters.rng != start.rng)
            || (lines.testFlag(ModemLine::Dcd) && m_counters.dcd != start.dcd);
    };
    for (;;) {
        if (takeInterrupt())
            return EINTR;
        if (m_script.empty()) {
            m_changed.wait(lock);
            continue;
        }
        const Step step = m_script.front();
        if (m_clock == Clock::Monotonic && step.tick > monotonicNanoseconds()) {
            m_changed.wait_until(lock, steadyAt(step.tick));
            continue;
        }
        m_script.pop_front();
        apply(step);
        if (m_gone)
            return EIO;
        if (moved()) {
            m_woken = true;
            return 0;
        }
    }
}

int SimulatedSerialDevice::readCounters(ModemCounters& counters)
{
    std::lock_guard lock(m_mutex);
    applyDue();
    if (m_gone)
        return EIO;
    if (!m_capabilities.counters)
        return ENOTTY;
    counters = m_counters;
    if (m_whileReading && m_woken) {
        apply(*m_whileReading);
        m_whileReading.reset();
    }
    return 0;
}

int SimulatedSerialDevice::readLines(ModemLines& lines)
{
    std::lock_guard lock(m_mutex);
    applyDue();
    if (m_gone)
        return EIO;
    if (!m_capabilities.modemLines)
        return ENOTTY;
    lines = m_lines;
    return 0;
}

int SimulatedSerialDevice::pause(qint64 nanoseconds)
{
    std::unique_lock lock(m_mutex);
    ++m_pauseCalls;
    if (takeInterrupt())
        return EINTR;
    if (m_clock == Clock::Monotonic) {
        m_changed.wait_for(lock, std::chrono::nanoseconds(nanoseconds), [this] { return m_interrupted; });
        if (takeInterrupt())
            return EINTR;
        applyDue();
        return 0;
    }
    // Virtual time stands still while there is nothing left to happen.
    m_changed.wait(lock, [this] { return m_interrupted || !m_script.empty(); });
    if (takeInterrupt())
        return EINTR;
    // Polls in which nothing can change are skipped in one step.
    if (!m_script.empty() && m_script.front().tick - m_now > nanoseconds)
        m_now += (m_script.front().tick - m_now - 1) / nanoseconds * nanoseconds;
    m_now += nanoseconds;
    while (!m_script.empty() && m_script.front().tick <= m_now) {
        apply(m_script.front());
        m_script.pop_front();
    }
    return 0;
}

void SimulatedSerialDevice::interrupt()
{
    {
        std::lock_guard lock(m_mutex);
        m_interrupted = true;
    }
    m_changed.notify_all();
}

void SimulatedSerialDevice::purge()
{
    std::lock_guard lock(m_mutex);
    ++m_purgeCalls;
}

}  // namespace platform
