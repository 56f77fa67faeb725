#include "platform/modemwatcher.h"

#include "platform/simulatedserialdevice.h"
#include "support/testnames.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

using platform::ModemChange;
using platform::ModemLine;
using platform::ModemLines;
using platform::SimulatedSerialDevice;

constexpr qint64 kMs = 1'000'000;  // ticks per millisecond (ns ticks)

class ModemWatcherTest : public ::testing::Test {
protected:
    platform::ModemWatcher watcher(ModemLines lines = ModemLine::Dsr, qint64 pollInterval = 500'000)
    {
        return platform::ModemWatcher(m_device, lines, [this] { return m_device.now(); }, pollInterval);
    }
    int next(platform::ModemWatcher& w)
    {
        m_changes.clear();
        return w.next(m_changes, m_stop);
    }

    SimulatedSerialDevice m_device;
    std::vector<ModemChange> m_changes;
    std::atomic<bool> m_stop{false};
};

TEST_F(ModemWatcherTest, ReportsEachEdgeWithTheTickItWasSeenAt)
{
    m_device.scheduleLines(10 * kMs, ModemLine::Dsr);
    m_device.scheduleLines(25 * kMs, {});
    m_device.scheduleLines(40 * kMs, ModemLine::Dsr);
    auto w = watcher();
    const std::vector<std::pair<bool, qint64>> expected = {{true, 10 * kMs}, {false, 25 * kMs}, {true, 40 * kMs}};
    for (const auto& [on, tick] : expected) {
        ASSERT_EQ(next(w), 0);
        ASSERT_EQ(m_changes.size(), 1u);
        EXPECT_EQ(m_changes[0].line, ModemLine::Dsr);
        EXPECT_EQ(m_changes[0].on, on);
        EXPECT_EQ(m_changes[0].tick, tick);
    }
    EXPECT_EQ(w.mode(), platform::WatchMode::Waiting);
    EXPECT_EQ(m_device.pauseCalls(), 0);
}

TEST_F(ModemWatcherTest, AnEdgeBetweenTwoWaitsIsNotLost)
{
    m_device.scheduleLines(10 * kMs, ModemLine::Dsr);
    auto w = watcher();
    ASSERT_EQ(next(w), 0);
    const int waits = m_device.waitCalls();

    // The beam clears while the watcher is away handing on the first edge;
    // a wait would never see it.
    m_device.applyLinesNow(12 * kMs, {});
    ASSERT_EQ(next(w), 0);
    ASSERT_EQ(m_changes.size(), 1u);
    EXPECT_FALSE(m_changes[0].on);
    EXPECT_EQ(m_changes[0].tick, 12 * kMs);
    EXPECT_EQ(m_device.waitCalls(), waits);  // found without waiting
}

TEST_F(ModemWatcherTest, SeveralEdgesSinceTheLastLookAreAllReportedInOrder)
{
    m_device.scheduleLines(5 * kMs, ModemLine::Dsr);
    auto w = watcher();
    ASSERT_EQ(next(w), 0);
    // A chattering contact: three edges before the watcher looks again.
    m_device.applyLinesNow(7 * kMs, {});
    m_device.applyLinesNow(8 * kMs, ModemLine::Dsr);
    m_device.applyLinesNow(9 * kMs, {});
    ASSERT_EQ(next(w), 0);
    ASSERT_EQ(m_changes.size(), 3u);
    EXPECT_FALSE(m_changes[0].on);
    EXPECT_TRUE(m_changes[1].on);
    EXPECT_FALSE(m_changes[2].on);
    // One look, one tick for all of them.
    EXPECT_EQ(m_changes[0].tick, 9 * kMs);
    EXPECT_EQ(m_changes[2].tick, 9 * kMs);
}

TEST_F(ModemWatcherTest, ALineThatMovesBetweenTheTwoReadsGivesEachEdgeOnce)
{
    // The beam is broken at 10 ms and clears at 11 ms, after the woken
    // watcher has read the counters and before it reads the line.
    m_device.scheduleLines(10 * kMs, ModemLine::Dsr);
    m_device.changeLinesWhileReading(11 * kMs, {});
    m_device.scheduleLines(30 * kMs, ModemLine::Dsr);
    auto w = watcher();
    std::vector<std::pair<bool, qint64>> seen;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(next(w), 0);
        for (const ModemChange& change : m_changes)
            seen.emplace_back(change.on, change.tick);
    }
    const std::vector<std::pair<bool, qint64>> expected = {{true, 10 * kMs}, {false, 11 * kMs}, {true, 30 * kMs}};
    EXPECT_EQ(seen, expected);
}

TEST_F(ModemWatcherTest, AnEdgeTheCountersMissedIsReportedAfterASecondLook)
{
    m_device.scheduleLines(10 * kMs, ModemLine::Dsr);
    auto w = watcher();
    ASSERT_EQ(next(w), 0);
    m_device.applyLinesNow(12 * kMs, {}, /*counted=*/false);
    m_device.scheduleLines(20 * kMs, {});  // time goes on, the line stays
    m_device.scheduleLines(30 * kMs, ModemLine::Dsr);
    ASSERT_EQ(next(w), 0);
    ASSERT_EQ(m_changes.size(), 1u);
    EXPECT_FALSE(m_changes[0].on);
    EXPECT_EQ(m_changes[0].tick, 12 * kMs) << "the tick of the look that first saw the line";
    ASSERT_EQ(next(w), 0);
    ASSERT_EQ(m_changes.size(), 1u);
    EXPECT_TRUE(m_changes[0].on);
    EXPECT_EQ(m_changes[0].tick, 30 * kMs);
}

TEST_F(ModemWatcherTest, OneWakeUpDispatchesRingThenCtsThenDsrThenCarrier)
{
    auto w = watcher(ModemLine::Ring | ModemLine::Cts | ModemLine::Dsr | ModemLine::Dcd);
    m_device.scheduleLines(1 * kMs, ModemLine::Dsr);
    ASSERT_EQ(next(w), 0);
    m_device.applyLinesNow(2 * kMs, ModemLine::Dcd | ModemLine::Cts | ModemLine::Ring);
    ASSERT_EQ(next(w), 0);
    ASSERT_EQ(m_changes.size(), 4u);
    EXPECT_EQ(m_changes[0].line, ModemLine::Ring);
    EXPECT_EQ(m_changes[1].line, ModemLine::Cts);
    EXPECT_EQ(m_changes[2].line, ModemLine::Dsr);
    EXPECT_EQ(m_changes[3].line, ModemLine::Dcd);
}

TEST_F(ModemWatcherTest, UnwatchedLinesAreIgnored)
{
    auto w = watcher(ModemLine::Dsr);
    m_device.scheduleLines(1 * kMs, ModemLine::Cts);
    m_device.scheduleLines(2 * kMs, ModemLine::Cts | ModemLine::Dsr);
    ASSERT_EQ(next(w), 0);
    ASSERT_EQ(m_changes.size(), 1u);
    EXPECT_EQ(m_changes[0].line, ModemLine::Dsr);
    EXPECT_EQ(m_changes[0].tick, 2 * kMs);
}

TEST_F(ModemWatcherTest, DeviceGoneEndsWithEio)
{
    m_device.scheduleLines(1 * kMs, ModemLine::Dsr);
    m_device.scheduleDisappearance(3 * kMs);
    auto w = watcher();
    ASSERT_EQ(next(w), 0);
    EXPECT_EQ(next(w), EIO);
    EXPECT_EQ(next(w), EIO);  // and stays so, without waiting
}

TEST_F(ModemWatcherTest, StopRequestEndsWithECanceled)
{
    auto w = watcher();
    m_stop = true;
    EXPECT_EQ(next(w), ECANCELED);
    m_stop = false;
    m_device.interrupt();  // as the stop of the worker does while it waits
    m_stop = true;
    EXPECT_EQ(next(w), ECANCELED);
}

TEST_F(ModemWatcherTest, NoModemLinesAtAllIsAnError)
{
    m_device.setCapabilities({false, false, false});
    auto w = watcher();
    EXPECT_EQ(next(w), ENOTTY);
}

// Drivers that lack some of the calls: the watcher must still see every
// edge, and a polled edge is seen at most one poll interval late.
struct CapabilityCase {
    bool modemWait;
    bool counters;
    platform::WatchMode mode;
    qint64 pollInterval;
};

void PrintTo(const CapabilityCase& c, std::ostream* os)
{
    *os << (c.modemWait ? "modem wait" : "no modem wait") << ", " << (c.counters ? "counters" : "no counters")
        << ", poll every " << c.pollInterval << " ns";
}

class ModemWatcherFallback : public ModemWatcherTest, public ::testing::WithParamInterface<CapabilityCase> {};

TEST_P(ModemWatcherFallback, SeesEveryEdgeWithinOnePollInterval)
{
    const CapabilityCase& c = GetParam();
    m_device.setCapabilities({c.modemWait, c.counters, true});
    // Without counters a pulse shorter than the poll interval can slip
    // through, so these edges lie at least one interval apart.
    const std::vector<qint64> ticks = {3 * kMs + 123, 4 * kMs + 200'000, 9 * kMs + 999'999, 20 * kMs};
    ModemLines lines;
    for (const qint64 tick : ticks) {
        lines ^= ModemLine::Dsr;
        m_device.scheduleLines(tick, lines);
    }
    auto w = watcher(ModemLine::Dsr, c.pollInterval);
    bool level = false;
    for (const qint64 tick : ticks) {
        ASSERT_EQ(next(w), 0);
        ASSERT_EQ(m_changes.size(), 1u);
        level = !level;
        EXPECT_EQ(m_changes[0].on, level);
        EXPECT_GE(m_changes[0].tick, tick);
        EXPECT_LE(m_changes[0].tick - tick, c.mode == platform::WatchMode::Waiting ? 0 : c.pollInterval);
    }
    EXPECT_EQ(w.mode(), c.mode);
    EXPECT_EQ(m_device.pauseCalls() > 0, c.mode == platform::WatchMode::Polling);
}

INSTANTIATE_TEST_SUITE_P(Table, ModemWatcherFallback,
    ::testing::Values(
        CapabilityCase{true, true, platform::WatchMode::Waiting, 500'000},
        CapabilityCase{true, false, platform::WatchMode::Waiting, 500'000},
        CapabilityCase{false, true, platform::WatchMode::Polling, 500'000},
        CapabilityCase{false, false, platform::WatchMode::Polling, 500'000},
        CapabilityCase{false, false, platform::WatchMode::Polling, 1'000'000}),
    testnames::caseNames([](const CapabilityCase& c) {
        return std::string(c.modemWait ? "Wait" : "NoWait") + (c.counters ? "_Counters" : "_NoCounters") + "_Poll"
               + std::to_string(c.pollInterval / 1000) + "us";
    }));

TEST_F(ModemWatcherTest, PollingWithCountersCatchesAPulseShorterThanThePoll)
{
    m_device.setCapabilities({false, true, true});
    auto w = watcher(ModemLine::Dsr, 1'000'000);
    // On and off again within 0.2 ms, between two polls.
    m_device.scheduleLines(2 * kMs + 100'000, ModemLine::Dsr);
    m_device.scheduleLines(2 * kMs + 300'000, {});
    ASSERT_EQ(next(w), 0);
    ASSERT_EQ(m_changes.size(), 2u);
    EXPECT_TRUE(m_changes[0].on);
    EXPECT_FALSE(m_changes[1].on);
}

}  // namespace
