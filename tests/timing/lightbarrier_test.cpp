#include "timing/lightbarrier.h"

#include "platform/simulatedserialdevice.h"
#include "timing/comport.h"
#include "timing/raceclock.h"
#include "support/testnames.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

constexpr qint64 kMs = 1'000'000;  // ns ticks, CountSpeed 1000

// The real race clock wired to the barrier the way the window wires them: the
// clock decides, the barrier is told about each step, and the ticks the clock
// took are recorded.
struct WiredClock {
    LightBarrier& barrier;
    RaceClock race;
    std::vector<qint64> startTicks;
    std::vector<qint64> lapTicks;

    explicit WiredClock(LightBarrier& b)
        : barrier(b)
    {
        barrier.setCommandGuards([this] { return race.commands().start; }, [this] { return race.commands().lap; });
        QObject::connect(&barrier, &LightBarrier::startRequested, [this](qint64 tick) { start(tick); });
        QObject::connect(&barrier, &LightBarrier::lapRequested, [this](qint64 tick) { lap(tick); });
    }
    int rows() const { return race.rowCount(); }
    void start(qint64 tick)
    {
        if (!race.start(tick))
            return;
        startTicks.push_back(tick);
        barrier.raceStarted();
    }
    void lap(qint64 tick)
    {
        if (!race.lap(tick))
            return;
        lapTicks.push_back(tick);
        barrier.timeTaken();
    }
    void end()
    {
        race.stop(0);
        barrier.raceEnded();
        if (race.state() != ClockState::Ended)
            reset();
    }
    void reset()
    {
        race.reset();
        barrier.reset();
    }
};

// TimerLS replaced by a switch the test throws.
struct FakeTimer {
    bool running = false;
    std::vector<int> starts;
};

class LightBarrierTest : public ::testing::Test {
protected:
    LightBarrierTest()
        : m_clock(m_barrier)
    {
        m_barrier.setTickSource([this] { return m_now; });
        m_barrier.setLockoutTimer(
            [this](int ms) {
                m_timer.running = true;
                m_timer.starts.push_back(ms);
            },
            [this] { m_timer.running = false; });
    }

    // An edge as it reaches the window; the window is `now` at that moment.
    void dsr(bool on, qint64 tick)
    {
        if (m_now < tick)
            m_now = tick;
        m_barrier.ComPortDSR(on, tick);
    }
    // A full pass: beam broken at tick, clear again 20 ms later.
    void pass(qint64 tick)
    {
        dsr(m_barrier.Alg() != 1, tick);
        dsr(m_barrier.Alg() == 1, tick + 20 * kMs);
    }
    void fireTimer()
    {
        ASSERT_TRUE(m_timer.running);
        m_timer.running = false;
        m_barrier.TimerLSTimer();
    }
    // Port open and start barrier freed by a reset, as after a first race.
    void ready()
    {
        m_barrier.ComPortOpen();
        m_clock.reset();
    }

    LightBarrier m_barrier;
    WiredClock m_clock;
    FakeTimer m_timer;
    qint64 m_now = 0;
};

TEST_F(LightBarrierTest, StartUpStateLocksBothBarriersUntilF11)
{
    EXPECT_EQ(m_barrier.startTag(), 0);
    EXPECT_EQ(m_barrier.stopTag(), 0);
    EXPECT_FALSE(m_barrier.startPicture().visible);
    EXPECT_FALSE(m_barrier.stopPicture().visible);

    m_barrier.ComPortOpen();
    EXPECT_TRUE(m_barrier.startPicture().visible);
    EXPECT_EQ(m_barrier.startPicture().imageIndex, 0);  // "gesperrt"
    EXPECT_FALSE(m_barrier.stopPicture().visible);

    pass(1000 * kMs);
    EXPECT_TRUE(m_clock.startTicks.empty());
    EXPECT_TRUE(m_timer.starts.empty());

    m_barrier.Lock1Click();  // F11 before START frees the start barrier
    EXPECT_EQ(m_barrier.startTag(), 1);
    EXPECT_EQ(m_barrier.startPicture().imageIndex, 1);
    pass(2000 * kMs);
    ASSERT_EQ(m_clock.startTicks, std::vector<qint64>{2000 * kMs});
    EXPECT_EQ(m_barrier.startTag(), 0);
    EXPECT_FALSE(m_barrier.startPicture().visible);
    EXPECT_TRUE(m_barrier.stopPicture().visible);
}

TEST_F(LightBarrierTest, StartAndTimesCarryTheEdgeTicksHoweverLateTheyAreHandled)
{
    ready();
    pass(1000 * kMs);
    // The window only gets round to these edges 400 ms later.
    m_now = 2500 * kMs;
    pass(2100 * kMs);
    fireTimer();
    pass(2900 * kMs);
    EXPECT_EQ(m_clock.startTicks, std::vector<qint64>{1000 * kMs});
    EXPECT_EQ(m_clock.lapTicks, (std::vector<qint64>{2100 * kMs, 2900 * kMs}));
    EXPECT_EQ(m_clock.rows(), 3);
}

TEST_F(LightBarrierTest, TimerRunsOnlyForWhatIsLeftOfTheLockOut)
{
    ready();
    m_barrier.setWaitStart(100);
    m_now = 1030 * kMs;  // handled 30 ms after the edge
    m_barrier.ComPortDSR(true, 1000 * kMs);
    ASSERT_EQ(m_timer.starts, std::vector<int>{70});
    EXPECT_TRUE(m_barrier.isLockoutRunning());

    fireTimer();
    m_now = 3000 * kMs;  // handled long after the lock-out ran out
    m_barrier.ComPortDSR(false, 2000 * kMs);
    m_barrier.ComPortDSR(true, 2010 * kMs);
    EXPECT_EQ(m_timer.starts.back(), 0);
}

// The lock-out is measured from the previous accepted trigger to this
// trigger's edge tick, whether or not the window ran TimerLS in between.
struct LockoutCase {
    double afterMs;
    bool timerFiredFirst;
    bool accepted;
};

void PrintTo(const LockoutCase& c, std::ostream* os)
{
    *os << c.afterMs << " ms later" << (c.timerFiredFirst ? ", timer first" : "");
}

class LightBarrierLockout : public LightBarrierTest, public ::testing::WithParamInterface<LockoutCase> {};

TEST_P(LightBarrierLockout, ComparesEdgeTicks)
{
    const LockoutCase& c = GetParam();
    ready();
    m_barrier.setWaitStart(100);
    pass(1000 * kMs);     // start
    pass(5000 * kMs);     // first time, accepted
    ASSERT_EQ(m_clock.lapTicks.size(), 1u);
    const qint64 second = 5000 * kMs + qint64(c.afterMs * 1e6);
    // The window was busy: it handles the next edge at 6 s.
    m_now = 6000 * kMs;
    if (c.timerFiredFirst)
        fireTimer();
    m_barrier.ComPortDSR(true, second);
    EXPECT_EQ(m_clock.lapTicks.size(), c.accepted ? 2u : 1u);
    if (c.accepted) {
        EXPECT_EQ(m_clock.lapTicks.back(), second);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, LightBarrierLockout,
    ::testing::Values(
        LockoutCase{99.9, false, false},
        LockoutCase{99.9, true, false},
        LockoutCase{100.0, false, true},
        LockoutCase{100.0, true, true},
        LockoutCase{100.1, false, true},
        LockoutCase{100.1, true, true},
        LockoutCase{50.0, false, false},
        LockoutCase{150.0, false, true}),
    testnames::caseNames([](const LockoutCase& c) {
        return QStringLiteral("After ") + QString::number(c.afterMs) + QStringLiteral("ms")
               + (c.timerFiredFirst ? QStringLiteral(" timer first") : QString());
    }));

TEST_F(LightBarrierTest, AfterALightBarrierStartTheLockOutStillHolds)
{
    ready();
    m_barrier.ComPortDSR(true, 1000 * kMs);
    ASSERT_EQ(m_clock.startTicks.size(), 1u);
    EXPECT_EQ(m_barrier.stopTag(), 1);  // START armed the ZEIT barrier at once
    m_barrier.ComPortDSR(false, 1010 * kMs);
    m_barrier.ComPortDSR(true, 1060 * kMs);  // the same car, 60 ms later
    EXPECT_TRUE(m_clock.lapTicks.empty());
    m_barrier.ComPortDSR(false, 1080 * kMs);
    m_barrier.ComPortDSR(true, 1100 * kMs);
    EXPECT_EQ(m_clock.lapTicks, std::vector<qint64>{1100 * kMs});
}

struct AlgCase {
    int alg;
    bool onTriggers;   // DSR on starts the race
    bool offTriggers;  // DSR off starts the race
};

void PrintTo(const AlgCase& c, std::ostream* os)
{
    *os << "Alg " << c.alg;
}

class LightBarrierAlg : public LightBarrierTest, public ::testing::WithParamInterface<AlgCase> {};

TEST_P(LightBarrierAlg, ChoosesTheTriggerEdge)
{
    const AlgCase& c = GetParam();
    ready();
    m_barrier.setAlg(c.alg);
    m_barrier.ComPortDSR(true, 1000 * kMs);
    EXPECT_EQ(m_clock.startTicks.size(), c.onTriggers ? 1u : 0u);
    m_barrier.ComPortDSR(false, 2000 * kMs);
    const std::size_t starts = (c.onTriggers || c.offTriggers) ? 1u : 0u;
    EXPECT_EQ(m_clock.startTicks.size(), starts);
    if (c.offTriggers) {
        EXPECT_EQ(m_clock.startTicks[0], 2000 * kMs);
    }
    EXPECT_EQ(m_timer.starts.size(), starts);
    // The roles stay: the trigger edge of a later pass takes a time.
    m_barrier.ComPortDSR(true, 3000 * kMs);
    m_barrier.ComPortDSR(false, 3100 * kMs);
    if (starts) {
        ASSERT_EQ(m_clock.lapTicks.size(), 1u);
        EXPECT_EQ(m_clock.lapTicks[0], c.onTriggers ? 3000 * kMs : 3100 * kMs);
    } else {
        EXPECT_TRUE(m_clock.lapTicks.empty());
        EXPECT_TRUE(m_timer.starts.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, LightBarrierAlg,
    ::testing::Values(
        AlgCase{0, true, false},
        AlgCase{1, false, true},
        AlgCase{2, false, false},
        AlgCase{-1, false, false},
        AlgCase{255, false, false}),
    testnames::caseNames([](const AlgCase& c) { return "Alg " + std::to_string(c.alg); }));

TEST_F(LightBarrierTest, WithLockOutZeroTheReleaseReArms)
{
    ready();
    m_barrier.setWaitStart(0);
    pass(1000 * kMs);  // start
    m_barrier.ComPortDSR(true, 2000 * kMs);
    ASSERT_EQ(m_clock.lapTicks.size(), 1u);
    EXPECT_EQ(m_barrier.stopTag(), 0);
    EXPECT_EQ(m_barrier.stopPicture().imageIndex, 0);
    EXPECT_TRUE(m_timer.starts.empty());  // no timer with no lock-out time
    m_barrier.ComPortDSR(false, 2001 * kMs);
    EXPECT_EQ(m_barrier.stopTag(), 1);
    EXPECT_EQ(m_barrier.stopPicture().imageIndex, 1);
    m_barrier.ComPortDSR(true, 2002 * kMs);
    EXPECT_EQ(m_clock.lapTicks, (std::vector<qint64>{2000 * kMs, 2002 * kMs}));
}

TEST_F(LightBarrierTest, WithALockOutTheReleaseDoesNothing)
{
    ready();
    pass(1000 * kMs);
    m_barrier.ComPortDSR(true, 2000 * kMs);
    m_barrier.ComPortDSR(false, 2200 * kMs);
    EXPECT_EQ(m_barrier.stopTag(), 0);  // only TimerLS re-arms
    fireTimer();
    EXPECT_EQ(m_barrier.stopTag(), 1);
}

TEST_F(LightBarrierTest, RepeatedIdenticalStatusIsIgnored)
{
    ready();
    m_barrier.setWaitStart(0);
    m_barrier.ComPortDSR(true, 1000 * kMs);
    m_barrier.ComPortDSR(false, 1100 * kMs);
    m_barrier.ComPortDSR(true, 1200 * kMs);
    m_barrier.ComPortDSR(true, 1300 * kMs);  // no edge: ignored
    EXPECT_EQ(m_clock.lapTicks, std::vector<qint64>{1200 * kMs});
    m_barrier.ComPortDSR(false, 1400 * kMs);
    m_barrier.ComPortDSR(false, 1450 * kMs);
    m_barrier.ComPortDSR(true, 1500 * kMs);
    EXPECT_EQ(m_clock.lapTicks, (std::vector<qint64>{1200 * kMs, 1500 * kMs}));
}

TEST_F(LightBarrierTest, TheHundredthRowEndsLightBarrierTimes)
{
    ready();
    qint64 tick = 1000 * kMs;
    pass(tick);
    for (int i = 0; i < 99; ++i) {
        tick += 200 * kMs;
        m_now = tick;
        if (m_timer.running)
            fireTimer();
        pass(tick);
    }
    EXPECT_EQ(m_clock.rows(), 100);
    EXPECT_EQ(m_clock.lapTicks.size(), 99u);
    fireTimer();
    EXPECT_FALSE(m_barrier.stopPicture().visible);  // ZEIT disabled: picture goes
    const std::size_t timers = m_timer.starts.size();
    pass(tick + 500 * kMs);
    EXPECT_EQ(m_clock.lapTicks.size(), 99u);
    EXPECT_EQ(m_timer.starts.size(), timers);  // an ignored trigger starts no lock-out
}

TEST_F(LightBarrierTest, F11DuringTheRaceLocksAndFreesTheZeitBarrier)
{
    ready();
    pass(1000 * kMs);
    m_now = 1500 * kMs;
    fireTimer();
    m_barrier.Lock1Click();
    EXPECT_EQ(m_barrier.stopTag(), 0);
    EXPECT_EQ(m_barrier.stopPicture().imageIndex, 0);
    EXPECT_EQ(m_barrier.startTag(), 0);  // START is disabled: F11 is for ZEIT
    pass(2000 * kMs);
    EXPECT_TRUE(m_clock.lapTicks.empty());
    m_clock.lap(2500 * kMs);  // ZEIT by key still works
    EXPECT_EQ(m_clock.lapTicks.size(), 1u);
    EXPECT_FALSE(m_barrier.startPicture().enabled);

    m_barrier.Lock1Click();
    pass(3000 * kMs);
    EXPECT_EQ(m_clock.lapTicks.size(), 2u);
}

TEST_F(LightBarrierTest, PictureClicksFlipOnlyVisibleEnabledPictures)
{
    m_barrier.ImageLSClick(LightBarrier::Picture::Start);  // hidden: port closed
    EXPECT_EQ(m_barrier.startTag(), 0);
    m_barrier.ComPortOpen();
    QSignalSpy changed(&m_barrier, &LightBarrier::picturesChanged);
    m_barrier.ImageLSClick(LightBarrier::Picture::Start);
    EXPECT_EQ(m_barrier.startTag(), 1);
    EXPECT_EQ(m_barrier.startPicture().imageIndex, 1);
    EXPECT_EQ(changed.size(), 1);
    m_barrier.ImageLSClick(LightBarrier::Picture::Stop);  // hidden: ZEIT disabled
    EXPECT_EQ(m_barrier.stopTag(), 0);
    m_barrier.ImageLSClick(LightBarrier::Picture::Start);
    EXPECT_EQ(m_barrier.startTag(), 0);

    m_clock.reset();
    pass(1000 * kMs);
    m_barrier.ImageLSClick(LightBarrier::Picture::Stop);
    EXPECT_EQ(m_barrier.stopTag(), 0);
    EXPECT_EQ(m_barrier.stopPicture().imageIndex, 0);
}

TEST_F(LightBarrierTest, RaceStepsMoveTheFlagsAndPictures)
{
    ready();
    EXPECT_EQ(m_barrier.startTag(), 1);
    EXPECT_EQ(m_barrier.stopTag(), 0);
    EXPECT_TRUE(m_barrier.startPicture().visible);
    EXPECT_TRUE(m_barrier.startPicture().enabled);

    m_clock.start(500 * kMs);  // START by key
    EXPECT_EQ(m_barrier.startTag(), 0);
    EXPECT_FALSE(m_barrier.startPicture().visible);
    EXPECT_EQ(m_barrier.stopTag(), 1);
    EXPECT_TRUE(m_barrier.stopPicture().visible);

    m_clock.lap(700 * kMs);
    m_clock.end();  // with a ZEIT row: rows stay, ZEIT picture goes
    EXPECT_FALSE(m_barrier.stopPicture().visible);
    EXPECT_EQ(m_barrier.stopTag(), 1);

    m_clock.reset();
    EXPECT_EQ(m_barrier.startTag(), 1);
    EXPECT_EQ(m_barrier.startPicture(), (BarrierPicture{true, true, 1}));
    EXPECT_EQ(m_barrier.stopTag(), 0);
    EXPECT_EQ(m_barrier.stopPicture(), (BarrierPicture{false, true, 0}));

    m_barrier.ComPortClose();
    EXPECT_FALSE(m_barrier.startPicture().visible);
    m_clock.reset();
    EXPECT_FALSE(m_barrier.startPicture().visible);  // no port: no picture
}

TEST_F(LightBarrierTest, ALostPortHidesThePicturesAndSaysWhichPort)
{
    ready();
    pass(1000 * kMs);
    QSignalSpy message(&m_barrier, &LightBarrier::statusMessage);
    m_barrier.ComPortLost(3);
    ASSERT_EQ(message.size(), 1);
    EXPECT_EQ(message.at(0).at(0).toString(), QStringLiteral("Lichtschranke an COM3 verloren"));
    EXPECT_FALSE(m_barrier.startPicture().visible);
    EXPECT_FALSE(m_barrier.stopPicture().visible);
    EXPECT_FALSE(m_barrier.isPortOpen());
}

TEST_F(LightBarrierTest, AReopenedPortDoesNotCompareWithTheOldLevel)
{
    ready();
    m_barrier.ComPortDSR(true, 500 * kMs);  // start; the beam stays broken
    m_barrier.ComPortClose();
    m_barrier.ComPortOpen();  // meanwhile the beam was cleared
    m_barrier.ComPortDSR(true, 2000 * kMs);  // the next car
    EXPECT_EQ(m_clock.lapTicks, std::vector<qint64>{2000 * kMs});
}

// The real port worker, a simulated light barrier and the real trigger.
TEST(LightBarrierWithPort, EdgesFromTheDeviceStartTheRaceAndTakeTimes)
{
    LightBarrier barrier;
    WiredClock clock(barrier);
    platform::SimulatedSerialDevice* device = nullptr;
    TComPort port;
    port.setPort(3);
    port.setDeviceOpener([&](int) {
        auto simulated = std::make_unique<platform::SimulatedSerialDevice>();
        device = simulated.get();
        return platform::DeviceOpenResult{std::move(simulated), 0};
    });
    port.setTickSource([&] { return device->now(); });
    barrier.setTickSource([&] { return device ? device->now() : 0; });
    int timerStarts = 0;
    barrier.setLockoutTimer([&](int) { ++timerStarts; }, [] {});
    QObject::connect(&port, &TComPort::dsrChanged, &barrier, &LightBarrier::ComPortDSR);
    QObject::connect(&port, &TComPort::opened, &barrier, &LightBarrier::ComPortOpen);
    QObject::connect(&port, &TComPort::closed, &barrier, &LightBarrier::ComPortClose);
    QObject::connect(&port, &TComPort::lineLost, &barrier, [&] { barrier.ComPortLost(port.Port()); });
    QSignalSpy message(&barrier, &LightBarrier::statusMessage);

    ASSERT_TRUE(port.tryOpen().ok());
    clock.reset();
    EXPECT_TRUE(barrier.startPicture().visible);
    // Start at 1 s, a car 50 ms later (locked out), times at 2 s and 3.5 s.
    using platform::ModemLine;
    const std::vector<std::pair<qint64, platform::ModemLines>> script = {
        {1000 * kMs, ModemLine::Dsr}, {1020 * kMs, {}}, {1050 * kMs, ModemLine::Dsr}, {1070 * kMs, {}},
        {2000 * kMs, ModemLine::Dsr}, {2030 * kMs, {}}, {3500 * kMs, ModemLine::Dsr}, {3520 * kMs, {}}};
    for (const auto& [tick, lines] : script)
        device->scheduleLines(tick, lines);
    device->scheduleDisappearance(4000 * kMs);

    const QDeadlineTimer deadline(5000);
    while (message.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(clock.startTicks, std::vector<qint64>{1000 * kMs});
    EXPECT_EQ(clock.lapTicks, (std::vector<qint64>{2000 * kMs, 3500 * kMs}));
    // One lock-out per accepted trigger; the timer never fired here, the
    // edge ticks alone ended each lock-out.
    EXPECT_EQ(timerStarts, 3);
    ASSERT_EQ(message.size(), 1);
    EXPECT_EQ(message.at(0).at(0).toString(), QStringLiteral("Lichtschranke an COM3 verloren"));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(barrier.stopPicture().visible);
    EXPECT_FALSE(barrier.startPicture().visible);
}

}  // namespace
