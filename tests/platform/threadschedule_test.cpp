#include "platform/threadschedule.h"

#include "support/testnames.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct ScheduleCase {
    int basePriority;
    bool realTime;
    int fifoPriority;
    int niceValue;
};

void PrintTo(const ScheduleCase& c, std::ostream* os)
{
    *os << "base priority " << c.basePriority;
}

class ScheduleForBasePriority : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(ScheduleForBasePriority, MapsOntoNiceOrFifo)
{
    const auto& c = GetParam();
    const auto schedule = platform::scheduleForBasePriority(c.basePriority);
    EXPECT_EQ(schedule.realTime, c.realTime);
    if (c.realTime)
        EXPECT_EQ(schedule.fifoPriority, c.fifoPriority);
    else
        EXPECT_EQ(schedule.niceValue, c.niceValue);
}

INSTANTIATE_TEST_SUITE_P(Table, ScheduleForBasePriority,
                         ::testing::Values(ScheduleCase{8, false, 0, 0}, ScheduleCase{1, false, 0, 19},
                                           ScheduleCase{0, false, 0, 19},  // below the range: lowest
                                           ScheduleCase{2, false, 0, 17}, ScheduleCase{6, false, 0, 6},
                                           ScheduleCase{10, false, 0, -6}, ScheduleCase{15, false, 0, -20},
                                           ScheduleCase{16, true, 1, 0}, ScheduleCase{24, true, 9, 0},
                                           ScheduleCase{31, true, 16, 0}, ScheduleCase{40, true, 16, 0}),
                         testnames::caseNames([](const ScheduleCase& c) {
                             return "Base" + std::to_string(c.basePriority)
                                    + (c.realTime ? "_Fifo " + std::to_string(c.fifoPriority)
                                                  : "_Nice " + std::to_string(c.niceValue));
                         }));

TEST(ThreadSchedule, RejectsAMissingThread)
{
    EXPECT_FALSE(platform::applyThreadSchedule(0, platform::ThreadSchedule{}));
}

TEST(ThreadSchedule, CurrentThreadIdIsTheKernelId)
{
    // The main thread's id is the process id.
    EXPECT_EQ(platform::currentThreadId(), int(::getpid()));
}

}  // namespace
