#include "timing/racetime.h"

#include "support/testnames.h"

#include <gtest/gtest.h>

namespace {

// Nanosecond ticks: the performance counter runs at 1 GHz, CountSpeed 1000.
constexpr double kNs = 1000.0;
qint64 ms(double milliseconds) { return qint64(milliseconds * 1'000'000.0); }

struct CalcCase {
    qint64 ticks;
    double countSpeed;
    qint32 expected;
};

void PrintTo(const CalcCase& c, std::ostream* os)
{
    *os << c.ticks << " ticks at count speed " << c.countSpeed;
}

class CalcMSTest : public ::testing::TestWithParam<CalcCase> {};

TEST_P(CalcMSTest, RoundsHalfToEven)
{
    const auto& c = GetParam();
    EXPECT_EQ(CalcMS(c.ticks, c.countSpeed), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CalcMSTest,
    ::testing::Values(
        CalcCase{ms(18.5), kNs, 18},
        CalcCase{ms(19.5), kNs, 20},
        CalcCase{ms(18.4999), kNs, 18},
        CalcCase{ms(18.5001), kNs, 19},
        CalcCase{0, kNs, 0},
        CalcCase{10'000'000, 10.0, 1000},  // 10 MHz counter: 10^7 counts are one second
        CalcCase{-ms(2.5), kNs, -2},
        // 2^31 ms wraps into the negative half, 2^32 ms back to zero.
        CalcCase{qint64(2147483648.0 * 1e6), kNs, std::numeric_limits<qint32>::min()},
        CalcCase{qint64(4294967296.0 * 1e6), kNs, 0},
        CalcCase{qint64(4294967297.0 * 1e6), kNs, 1}),
    testnames::caseNames([](const CalcCase& c) {
        return QString::number(c.ticks) + QStringLiteral(" ticks at ") + QString::number(c.countSpeed);
    }));

struct TextCase {
    qint32 ms;
    int acc;
    const char* expected;
};

void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << c.ms << " ms, acc " << c.acc;
}

class TimeToTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TimeToTextTest, FormatsRowText)
{
    const auto& c = GetParam();
    EXPECT_EQ(TimeToText(c.ms, c.acc).toStdString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, TimeToTextTest,
    ::testing::Values(
        TextCase{83456, 2, "01:23,45"},
        TextCase{83456, 1, "01:23,4"},
        TextCase{83456, 0, "01:23"},
        TextCase{3723400, 2, "02:03,40"},  // hours are not shown
        TextCase{19, 2, "00:00,01"},       // hundredths truncate
        TextCase{9, 2, "00:00,00"},
        TextCase{0, 2, "00:00,00"},
        TextCase{0, 1, "00:00,0"},
        TextCase{0, 0, "00:00"},
        TextCase{59999, 2, "00:59,99"},
        TextCase{60000, 2, "01:00,00"},
        TextCase{3599990, 2, "59:59,99"},
        TextCase{3600000, 2, "00:00,00"},
        TextCase{99, 1, "00:00,0"},
        TextCase{100, 1, "00:00,1"}),
    testnames::caseNames([](const TextCase& c) {
        return "Acc" + std::to_string(c.acc) + "_" + std::to_string(c.ms) + "ms";
    }));

TEST(SplitTime, TruncatesAndWraps)
{
    const TimeParts p = splitTime(3723456);
    EXPECT_EQ(p.hours, 1);
    EXPECT_EQ(p.minutes, 2);
    EXPECT_EQ(p.seconds, 3);
    EXPECT_EQ(p.hundredths, 45);

    // 100 hours and 5 seconds: the hours wrap at 100, the rest stays.
    const TimeParts wrapped = splitTime(360'005'000);
    EXPECT_EQ(wrapped.hours, 0);
    EXPECT_EQ(wrapped.seconds, 5);
    EXPECT_EQ(splitTime(19).hundredths, 1);
}

}  // namespace
