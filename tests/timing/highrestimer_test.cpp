#include "timing/highrestimer.h"

#include "timing/mmtimerthread.h"
#include "timing/racetime.h"
#include "support/testnames.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

// A machine whose counters run on a virtual clock: sleeping advances the
// clock instead of waiting, so a three-second calibration takes no time.
struct FakeMachine {
    qint64 frequency = 10'000'000;  // performance counts per second
    double tscPerMicrosecond = 2500.0;
    bool hasTsc = true;
    bool tscRuns = true;
    unsigned minPeriod = 1;
    qint64 nowNs = 0;
    qint64 perfOffset = 123'456;
    qint64 tscOffset = 987'654'321;
    int frequencyQueries = 0;
    std::vector<unsigned> sleeps;
    std::vector<std::string> log;

    qint64 perf() const { return perfOffset + qint64(double(nowNs) * double(frequency) / 1e9); }
    qint64 tsc() const { return tscOffset + (tscRuns ? qint64(double(nowNs) * tscPerMicrosecond / 1000.0) : 0); }
    void advanceMs(qint64 ms) { nowNs += ms * 1'000'000; }

    platform::CounterSource source()
    {
        platform::CounterSource s;
        s.performanceCounter = [this] {
            log.push_back("perf");
            return perf();
        };
        s.performanceFrequency = [this] {
            ++frequencyQueries;
            return frequency;
        };
        s.hasTimeStampCounter = [this] { return hasTsc; };
        s.timeStampCounter = [this] {
            log.push_back("tsc");
            return tsc();
        };
        s.sleepMs = [this](unsigned ms) {
            sleeps.push_back(ms);
            log.push_back("sleep " + std::to_string(ms));
            advanceMs(ms);
        };
        s.raisePriority = [this] {
            log.push_back("raise");
            platform::PriorityState state;
            state.raised = true;
            state.niceValue = 7;
            return state;
        };
        s.restorePriority = [this](const platform::PriorityState& state) {
            log.push_back(state.raised && state.niceValue == 7 ? "restore" : "restore wrong state");
        };
        s.minTimerPeriodMs = [this] { return minPeriod; };
        return s;
    }
};

// A thread-safe source for the periodic mode: every reading is one higher
// than the one before, so ticks are told apart by value.
struct CountingSource {
    std::atomic<qint64> reads{0};

    platform::CounterSource source()
    {
        platform::CounterSource s;
        s.performanceCounter = [this] { return ++reads; };
        s.performanceFrequency = [] { return qint64(1'000'000'000); };
        s.hasTimeStampCounter = [] { return false; };
        s.timeStampCounter = [] { return qint64(0); };
        s.sleepMs = [](unsigned) { ADD_FAILURE() << "the periodic mode must not calibrate"; };
        s.minTimerPeriodMs = [] { return 1u; };
        return s;
    }
};

bool threadExists(int tid)
{
    return tid > 0 && std::filesystem::exists("/proc/self/task/" + std::to_string(tid));
}

// --- Counting speed -----------------------------------------------------

class PerformanceCountSpeed : public ::testing::TestWithParam<qint64> {};

TEST_P(PerformanceCountSpeed, IsFrequencyPerMicrosecondExactly)
{
    FakeMachine machine;
    machine.frequency = GetParam();
    THighResTimer timer(machine.source(), false);
    EXPECT_FALSE(timer.UseTSC());
    EXPECT_EQ(timer.CountSpeed(), double(GetParam()) / 1'000'000.0);

    FakeMachine noTsc;
    noTsc.hasTsc = false;
    noTsc.frequency = GetParam();
    THighResTimer designedWithTsc(noTsc.source(), true);
    EXPECT_FALSE(designedWithTsc.UseTSC());
    EXPECT_EQ(designedWithTsc.CountSpeed(), double(GetParam()) / 1'000'000.0);
}

INSTANTIATE_TEST_SUITE_P(Frequencies, PerformanceCountSpeed,
                         ::testing::Values(qint64(1'000'000'000), qint64(10'000'000), qint64(3'579'545),
                                           qint64(14'318'180), qint64(2'533'203)),
                         testnames::caseNames([](qint64 hz) { return std::to_string(hz) + "Hz"; }));

TEST(HighResTimer, TenMillionCountsAtTenMegahertzAreOneSecond)
{
    FakeMachine machine;
    machine.frequency = 10'000'000;
    THighResTimer timer(machine.source(), false);
    const qint64 start = timer.ReadCounter();
    machine.advanceMs(1000);
    const qint64 end = timer.ReadCounter();
    EXPECT_EQ(end - start, 10'000'000);
    EXPECT_EQ(CalcMS(end - start, timer.CountSpeed()), 1000);
}

TEST(HighResTimer, SystemSourceCountsNanoseconds)
{
    THighResTimer timer(platform::systemCounterSource(), false);
    EXPECT_FALSE(timer.UseTSC());
    EXPECT_EQ(timer.CountSpeed(), 1000.0);
    const qint64 first = timer.ReadCounter();
    const qint64 second = timer.ReadCounter();
    EXPECT_GT(first, 0);
    EXPECT_GE(second, first);
}

// --- Construction ----------------------------------------------------------

TEST(HighResTimer, ConstructionDefaults)
{
    FakeMachine machine;
    machine.minPeriod = 2;
    THighResTimer timer(machine.source(), false);
    EXPECT_EQ(timer.Accuracy(), 0u);
    EXPECT_EQ(timer.MinAccuracy(), 1u);
    EXPECT_EQ(timer.MinResolution(), 2u);
    EXPECT_EQ(timer.Resolution(), 1u);
    EXPECT_EQ(timer.ResolutionCounts(), 10'000);  // 1000 µs at 10 counts per microsecond
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.ThreadClass(), TThreadClass::tcNormal);
    EXPECT_EQ(timer.ThreadPriority(), TThreadPriority::tpNormal);
    EXPECT_EQ(timer.thread(), nullptr);
    EXPECT_EQ(timer.LastTick(), 0);
    EXPECT_FALSE(timer.WaitForTick(0));
}

TEST(HighResTimer, DesignedWithoutTscDetectsItButNeverWaits)
{
    FakeMachine machine;
    THighResTimer timer(machine.source(), false);
    EXPECT_TRUE(timer.TSC());
    EXPECT_FALSE(timer.UseTSC());
    EXPECT_TRUE(machine.sleeps.empty());
    EXPECT_EQ(machine.nowNs, 0);
    // Readings come from the performance counter.
    EXPECT_EQ(timer.ReadCounter(), machine.perf());
}

TEST(HighResTimer, DesignedWithTscCalibratesThreeSeconds)
{
    FakeMachine machine;
    THighResTimer timer(machine.source(), true);
    EXPECT_TRUE(timer.TSC());
    EXPECT_TRUE(timer.UseTSC());
    EXPECT_EQ(machine.sleeps, (std::vector<unsigned>{10, 3000}));
    EXPECT_DOUBLE_EQ(timer.CountSpeed(), 2500.0);
    EXPECT_EQ(timer.ReadCounter(), machine.tsc());
    EXPECT_EQ(timer.ResolutionCounts(), 2'500'000);
}

// --- Calibration -------------------------------------------------------------

TEST(HighResTimerCalibration, ReadsEachPairAfterItsSleepAtRaisedPriority)
{
    FakeMachine machine;
    THighResTimer timer(machine.source(), true);
    machine.log.clear();
    timer.Calibrate(500);
    EXPECT_EQ(machine.log, (std::vector<std::string>{"raise", "sleep 10", "tsc", "perf", "sleep 500", "tsc", "perf",
                                                     "restore"}));
}

struct CalibrationCase {
    qint64 frequency;
    double tscPerMicrosecond;
    quint32 waitMs;
    quint32 expectedLow32;
};

void PrintTo(const CalibrationCase& c, std::ostream* os)
{
    *os << c.frequency << " Hz, " << c.tscPerMicrosecond << " TSC counts per us, " << c.waitMs << " ms";
}

class HighResTimerCalibrationMaths : public ::testing::TestWithParam<CalibrationCase> {};

TEST_P(HighResTimerCalibrationMaths, RateIsTscCountsPerElapsedMicrosecond)
{
    const auto& c = GetParam();
    FakeMachine machine;
    machine.frequency = c.frequency;
    machine.tscPerMicrosecond = c.tscPerMicrosecond;
    THighResTimer timer(machine.source(), true);
    const quint32 low = timer.Calibrate(c.waitMs);
    EXPECT_EQ(low, c.expectedLow32);
    // Elapsed microseconds from the performance counter, then the rate.
    const qint64 perfDiff = qint64(double(c.waitMs) * 1e6 * double(c.frequency) / 1e9);
    const double elapsed = double(perfDiff) / (double(c.frequency) / 1e6);
    const double tscDiff = double(qint64(double(c.waitMs) * 1e6 * c.tscPerMicrosecond / 1000.0));
    EXPECT_DOUBLE_EQ(timer.CountSpeed(), tscDiff / elapsed);
    EXPECT_NEAR(timer.CountSpeed(), c.tscPerMicrosecond, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HighResTimerCalibrationMaths,
    ::testing::Values(CalibrationCase{10'000'000, 2500.0, 1000, 2'500'000'000u},
                      // 7.5e9 counts: only the low 32 bits come back.
                      CalibrationCase{10'000'000, 2500.0, 3000, quint32(7'500'000'000 - 4'294'967'296)},
                      CalibrationCase{1'000'000'000, 2893.4, 100, 289'340'000u},
                      CalibrationCase{3'579'545, 1000.0, 3000, 3'000'000'000u}),
    testnames::caseNames([](const CalibrationCase& c) {
        return QString::number(c.frequency) + QStringLiteral("Hz Tsc ") + QString::number(c.tscPerMicrosecond)
               + QStringLiteral(" per us Wait ") + QString::number(c.waitMs) + QStringLiteral("ms");
    }));

TEST(HighResTimerCalibration, WithoutTscOnlySetsTheRate)
{
    FakeMachine machine;
    machine.frequency = 3'579'545;
    THighResTimer timer(machine.source(), false);
    const int queries = machine.frequencyQueries;
    EXPECT_EQ(timer.Calibrate(3000), 0u);
    EXPECT_EQ(machine.frequencyQueries, queries + 1);
    EXPECT_TRUE(machine.sleeps.empty());
    EXPECT_EQ(timer.CountSpeed(), 3.579545);
}

TEST(HighResTimerCalibration, StoppedTimeStampCounterFallsBackToPerformanceCounter)
{
    FakeMachine machine;
    machine.tscRuns = false;
    THighResTimer timer(machine.source(), true);
    // A rate of zero would make every time zero (or infinite): the readings
    // and the rate must belong to the same counter.
    EXPECT_FALSE(timer.UseTSC());
    EXPECT_TRUE(timer.TSC());
    EXPECT_EQ(timer.CountSpeed(), 10.0);
    EXPECT_EQ(timer.ReadCounter(), machine.perf());
}

TEST(HighResTimerCalibration, ZeroWaitGivesNoRateAndFallsBack)
{
    FakeMachine machine;
    THighResTimer timer(machine.source(), true);
    ASSERT_TRUE(timer.UseTSC());
    timer.Calibrate(0);
    // Nothing elapsed between the two pairs of readings: no division by zero,
    // the performance counter takes over.
    EXPECT_FALSE(timer.UseTSC());
    EXPECT_EQ(timer.CountSpeed(), 10.0);
    EXPECT_EQ(timer.ReadCounter(), machine.perf());
}

// --- UseTSC ----------------------------------------------------------------

TEST(HighResTimerUseTsc, TrueWithoutTscStaysFalse)
{
    FakeMachine machine;
    machine.hasTsc = false;
    THighResTimer timer(machine.source(), true);
    EXPECT_FALSE(timer.TSC());
    timer.setUseTSC(true);
    EXPECT_FALSE(timer.UseTSC());
    EXPECT_TRUE(machine.sleeps.empty());
    EXPECT_EQ(timer.CountSpeed(), 10.0);
    EXPECT_EQ(timer.ReadCounter(), machine.perf());
}

TEST(HighResTimerUseTsc, CurrentValueDoesNotRecalibrate)
{
    FakeMachine machine;
    THighResTimer timer(machine.source(), true);
    ASSERT_EQ(machine.sleeps.size(), 2u);
    int queries = machine.frequencyQueries;

    timer.setUseTSC(true);
    EXPECT_EQ(machine.sleeps.size(), 2u);
    EXPECT_EQ(machine.frequencyQueries, queries);

    // Switching off recalibrates, but without a wait.
    timer.setUseTSC(false);
    EXPECT_FALSE(timer.UseTSC());
    EXPECT_EQ(machine.sleeps.size(), 2u);
    EXPECT_EQ(machine.frequencyQueries, queries + 1);
    EXPECT_EQ(timer.CountSpeed(), 10.0);
    EXPECT_EQ(timer.ResolutionCounts(), 10'000);
    EXPECT_EQ(timer.ReadCounter(), machine.perf());
    queries = machine.frequencyQueries;

    timer.setUseTSC(false);
    EXPECT_EQ(machine.frequencyQueries, queries);

    // Back on: a full calibration of three seconds.
    timer.setUseTSC(true);
    EXPECT_TRUE(timer.UseTSC());
    EXPECT_EQ(machine.sleeps, (std::vector<unsigned>{10, 3000, 10, 3000}));
    EXPECT_DOUBLE_EQ(timer.CountSpeed(), 2500.0);
    EXPECT_EQ(timer.ReadCounter(), machine.tsc());
}

TEST(HighResTimerUseTsc, UnchangedWhilePeriodicModeRuns)
{
    FakeMachine machine;
    THighResTimer timer(machine.source(), false);
    timer.setResolution(60'000);  // no tick reads the fake while the test runs
    timer.setEnabled(true);
    timer.setUseTSC(true);
    EXPECT_FALSE(timer.UseTSC());
    EXPECT_TRUE(machine.sleeps.empty());
    EXPECT_EQ(timer.ReadCounter(), machine.perf());
    timer.setEnabled(false);
}

// --- Read-only properties ----------------------------------------------------

TEST(HighResTimer, WritesToReadOnlyPropertiesChangeNothing)
{
    FakeMachine machine;
    machine.minPeriod = 3;
    THighResTimer timer(machine.source(), false);
    timer.setCountSpeed(42.0);
    timer.setMinAccuracy(9);
    timer.setMinResolution(9);
    timer.setTSC(false);
    EXPECT_EQ(timer.CountSpeed(), 10.0);
    EXPECT_EQ(timer.MinAccuracy(), 1u);
    EXPECT_EQ(timer.MinResolution(), 3u);
    EXPECT_TRUE(timer.TSC());
}

TEST(HighResTimer, ResolutionIsKeptInCounts)
{
    FakeMachine machine;
    machine.frequency = 1'000'000'000;
    THighResTimer timer(machine.source(), false);
    timer.setResolution(10);
    EXPECT_EQ(timer.Resolution(), 10u);
    EXPECT_EQ(timer.ResolutionCounts(), 10'000'000);
    timer.setAccuracy(4);
    EXPECT_EQ(timer.Accuracy(), 4u);
}

// --- Thread classes and priorities ---------------------------------------------

TEST(HighResTimer, ThreadClassValues)
{
    EXPECT_EQ(threadClassValue(TThreadClass::tcIdle), 64);
    EXPECT_EQ(threadClassValue(TThreadClass::tcNormal), 32);
    EXPECT_EQ(threadClassValue(TThreadClass::tcHigh), 128);
    EXPECT_EQ(threadClassValue(TThreadClass::tcRealTime), 256);
}

struct BasePriorityCase {
    TThreadClass threadClass;
    TThreadPriority priority;
    int expected;
};

void PrintTo(const BasePriorityCase& c, std::ostream* os)
{
    *os << "class " << int(c.threadClass) << ", priority " << int(c.priority);
}

class ThreadBasePriority : public ::testing::TestWithParam<BasePriorityCase> {};

TEST_P(ThreadBasePriority, FollowsClassAndPriority)
{
    const auto& c = GetParam();
    EXPECT_EQ(threadBasePriority(c.threadClass, c.priority), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ThreadBasePriority,
    ::testing::Values(BasePriorityCase{TThreadClass::tcNormal, TThreadPriority::tpNormal, 8},
                      BasePriorityCase{TThreadClass::tcNormal, TThreadPriority::tpLowest, 6},
                      BasePriorityCase{TThreadClass::tcNormal, TThreadPriority::tpHighest, 10},
                      BasePriorityCase{TThreadClass::tcIdle, TThreadPriority::tpLower, 3},
                      BasePriorityCase{TThreadClass::tcHigh, TThreadPriority::tpHigher, 14},
                      BasePriorityCase{TThreadClass::tcHigh, TThreadPriority::tpIdle, 1},
                      BasePriorityCase{TThreadClass::tcHigh, TThreadPriority::tpTimeCritical, 15},
                      BasePriorityCase{TThreadClass::tcRealTime, TThreadPriority::tpNormal, 24},
                      BasePriorityCase{TThreadClass::tcRealTime, TThreadPriority::tpIdle, 16},
                      BasePriorityCase{TThreadClass::tcRealTime, TThreadPriority::tpTimeCritical, 31}),
    testnames::caseNames([](const BasePriorityCase& c) {
        const char* const classes[] = {"Idle", "Normal", "High", "RealTime"};
        const char* const priorities[] = {"Idle", "Lowest", "Lower", "Normal", "Higher", "Highest", "TimeCritical"};
        return std::string(classes[int(c.threadClass)]) + "Class_" + priorities[int(c.priority)];
    }));

// --- Periodic mode -------------------------------------------------------------

TEST(HighResTimerPeriodic, ProducesTicksAndStops)
{
    CountingSource counter;
    THighResTimer timer(counter.source(), false);
    timer.setEnabled(true);
    ASSERT_TRUE(timer.Enabled());
    ASSERT_NE(timer.thread(), nullptr);
    ASSERT_TRUE(timer.thread()->running());
    const int tid = timer.thread()->threadId();
    EXPECT_TRUE(threadExists(tid));

    ASSERT_TRUE(timer.WaitForTick(5000));
    const qint64 first = timer.LastTick();
    EXPECT_GT(first, 0);
    EXPECT_LE(first, counter.reads.load());
    ASSERT_TRUE(timer.WaitForTick(5000));
    const qint64 second = timer.LastTick();
    EXPECT_GT(second, first);

    timer.setEnabled(false);
    EXPECT_EQ(timer.thread(), nullptr);
    EXPECT_FALSE(threadExists(tid));
    EXPECT_FALSE(timer.WaitForTick(0));
    EXPECT_EQ(timer.LastTick(), 0);

    // It can be switched on again.
    timer.setEnabled(true);
    ASSERT_TRUE(timer.WaitForTick(5000));
    EXPECT_GT(timer.LastTick(), second);
}

TEST(HighResTimerPeriodic, DestructorStopsTheThread)
{
    CountingSource counter;
    int tid = 0;
    {
        THighResTimer timer(counter.source(), false);
        timer.setEnabled(true);
        tid = timer.thread()->threadId();
        ASSERT_TRUE(timer.WaitForTick(5000));
    }
    EXPECT_FALSE(threadExists(tid));
}

TEST(HighResTimerPeriodic, StopsWithoutWaitingOutTheCurrentPeriod)
{
    CountingSource counter;
    THighResTimer timer(counter.source(), false);
    timer.setResolution(600'000);  // ten minutes
    timer.setEnabled(true);
    const auto before = std::chrono::steady_clock::now();
    timer.setEnabled(false);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
}

TEST(HighResTimerPeriodic, ResolutionAndAccuracyReachTheRunningThread)
{
    CountingSource counter;
    THighResTimer timer(counter.source(), false);
    timer.setResolution(600'000);
    timer.setEnabled(true);
    ASSERT_NE(timer.thread(), nullptr);
    EXPECT_EQ(timer.thread()->Period(), 600'000u);
    EXPECT_FALSE(timer.WaitForTick(100));  // the first tick is ten minutes away

    // The new period applies at once, not after the ten minutes.
    timer.setResolution(1);
    EXPECT_EQ(timer.thread()->Period(), 1u);
    EXPECT_TRUE(timer.WaitForTick(5000));

    timer.setAccuracy(5);
    EXPECT_EQ(timer.thread()->Accuracy(), 5u);
    EXPECT_TRUE(timer.WaitForTick(5000));
}

TEST(HighResTimerPeriodic, ZeroResolutionRunsAtTheShortestPeriod)
{
    CountingSource counter;
    THighResTimer timer(counter.source(), false);
    timer.setResolution(0);
    timer.setEnabled(true);
    EXPECT_EQ(timer.thread()->effectivePeriod(), 1u);
    EXPECT_TRUE(timer.WaitForTick(5000));
}

TEST(HighResTimerPeriodic, ThreadPriorityAppliesToTheRunningThread)
{
    CountingSource counter;
    THighResTimer timer(counter.source(), false);
    timer.setResolution(600'000);
    timer.setEnabled(true);
    const int tid = timer.thread()->threadId();
    ASSERT_GT(tid, 0);
    // Lowering a priority is always permitted, so this one must take.
    timer.setThreadPriority(TThreadPriority::tpIdle);
    errno = 0;
    EXPECT_EQ(getpriority(PRIO_PROCESS, id_t(tid)), 19);
    EXPECT_EQ(errno, 0);
}

TEST(HighResTimerPeriodic, ThreadStartsWithTheChosenClass)
{
    CountingSource counter;
    THighResTimer timer(counter.source(), false);
    timer.setResolution(600'000);
    timer.setThreadClass(TThreadClass::tcIdle);
    timer.setThreadPriority(TThreadPriority::tpLowest);
    timer.setEnabled(true);
    const int tid = timer.thread()->threadId();
    // Base priority 2 is nice 17.
    EXPECT_EQ(getpriority(PRIO_PROCESS, id_t(tid)), 17);
}

}  // namespace
