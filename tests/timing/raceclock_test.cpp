#include "timing/raceclock.h"
#include "timing/racetime.h"

#include "support/testnames.h"

#include <gtest/gtest.h>

namespace {

// Which commands each state allows; the window shows exactly these.
struct StateCase {
    const char* name;
    ClockState state;
    int rows;
    CommandStates expected;
};

void PrintTo(const StateCase& c, std::ostream* os)
{
    *os << c.name;
}

class CommandStateTable : public ::testing::TestWithParam<StateCase> {};

TEST_P(CommandStateTable, EnabledCommands)
{
    const StateCase& c = GetParam();
    EXPECT_EQ(RaceClock::commandsOf(c.state, c.rows), c.expected);
}

//                                       start  lap    stop   abort  enter  next   settings running
INSTANTIATE_TEST_SUITE_P(Table, CommandStateTable, ::testing::Values(
    StateCase{"StartUp", ClockState::StartUp, 0, {true, false, false, false, false, false, true, false}},
    StateCase{"Ready", ClockState::Ready, 0, {true, false, false, false, false, false, true, false}},
    StateCase{"Running", ClockState::Running, 1, {false, true, true, true, false, false, false, true}},
    StateCase{"RunningFull", ClockState::Running, 100, {false, false, true, true, false, false, false, true}},
    StateCase{"Ended", ClockState::Ended, 2, {false, false, false, true, true, false, false, false}},
    StateCase{"Entered", ClockState::Entered, 2, {false, false, false, false, true, true, false, false}}),
    testnames::caseNames([](const StateCase& c) { return std::string(c.name); }));

TEST(RaceClock, ARaceFromStartToEntered)
{
    RaceClock clock;
    EXPECT_FALSE(clock.lap(10));
    EXPECT_FALSE(clock.stop(10));
    ASSERT_TRUE(clock.start(1000));
    EXPECT_FALSE(clock.start(2000));  // once per race
    EXPECT_EQ(clock.rowCount(), 1);
    EXPECT_FALSE(clock.abortAsks());
    EXPECT_TRUE(clock.lap(5000));
    EXPECT_EQ(clock.lastLapTick(), 5000);
    EXPECT_TRUE(clock.abortAsks());
    EXPECT_TRUE(clock.stop(6000));
    EXPECT_EQ(clock.state(), ClockState::Ended);
    EXPECT_EQ(clock.endTick(), 6000);
    EXPECT_FALSE(clock.lap(7000));
    EXPECT_TRUE(clock.entered());
    EXPECT_EQ(clock.state(), ClockState::Entered);
    clock.reset();
    EXPECT_EQ(clock.state(), ClockState::Ready);
    EXPECT_EQ(clock.rowCount(), 0);
    EXPECT_EQ(clock.endTick(), 1000);  // the reset sets it to the start tick
    EXPECT_EQ(clock.startTick(), 1000);  // never cleared; the next race overwrites it
}

TEST(RaceClock, EndAfterTheStartRowOnlyIsReadyAgain)
{
    RaceClock clock;
    clock.start(0);
    EXPECT_TRUE(clock.stop(10));
    EXPECT_EQ(clock.state(), ClockState::Ready);
    EXPECT_FALSE(clock.entered());
}

TEST(RaceClock, TheHundredthRowEndsZeitAndOlderTicksAreRefused)
{
    RaceClock clock;
    clock.start(1000);
    EXPECT_FALSE(clock.acceptsLap(999));  // seen before the start
    EXPECT_FALSE(clock.lap(999));
    for (int row = 2; row <= RaceClock::kMaxRows; ++row)
        ASSERT_TRUE(clock.lap(1000 + row));
    EXPECT_EQ(clock.rowCount(), 100);
    EXPECT_FALSE(clock.lap(5000));
    EXPECT_TRUE(clock.commands().stop);
    EXPECT_EQ(clock.rowCount(), 100);
}

// Leading zeros are dimmed up to the first part that is not zero.
struct DimCase {
    TimeParts time;
    bool lower;
    const char* lit;  // one character per digit HH MM SS hh: '1' lit
};

void PrintTo(const DimCase& c, std::ostream* os)
{
    *os << c.time.hours << ':' << c.time.minutes << ':' << c.time.seconds << ',' << c.time.hundredths
        << (c.lower ? " lower" : " upper");
}

class DigitDimming : public ::testing::TestWithParam<DimCase> {};

TEST_P(DigitDimming, LitDigits)
{
    const DimCase& c = GetParam();
    const std::array<bool, 8> lit = litDigits(c.time, c.lower);
    std::string shown;
    for (bool on : lit)
        shown += on ? '1' : '0';
    EXPECT_EQ(shown, c.lit);
}

INSTANTIATE_TEST_SUITE_P(Table, DigitDimming, ::testing::Values(
    DimCase{{0, 0, 0, 0}, false, "00000111"},
    DimCase{{0, 0, 0, 0}, true, "00000000"},
    DimCase{{0, 0, 0, 1}, true, "00000111"},
    DimCase{{0, 0, 9, 50}, true, "00000111"},
    DimCase{{0, 0, 12, 0}, false, "00001111"},
    DimCase{{0, 1, 0, 0}, false, "00011111"},
    DimCase{{0, 12, 0, 0}, true, "00111111"},
    DimCase{{1, 0, 0, 0}, false, "01111111"},
    DimCase{{12, 0, 0, 0}, true, "11111111"}),
    testnames::caseNames([](const DimCase& c) {
        return std::to_string(c.time.hours) + "h" + std::to_string(c.time.minutes) + "m"
               + std::to_string(c.time.seconds) + "s" + std::to_string(c.time.hundredths) + (c.lower ? "Lower" : "Upper");
    }));

}  // namespace
