#include "controls/minutesseconds.h"

#include "support/testnames.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

struct TextCase {
    qint64 ms;
    int decimals;
    const char* expected;
};

void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << c.ms << " ms, " << c.decimals << " decimals";
}

class MinutesSecondsTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(MinutesSecondsTextTest, Writes)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(minutesSecondsText(c.ms, c.decimals).toStdString(), c.expected);
}

// The row text and the table text differ only in what they make of a
// decimals setting out of range, so that case is pinned here.
INSTANTIATE_TEST_SUITE_P(Table, MinutesSecondsTextTest,
    ::testing::Values(
        TextCase{83456, 2, "01:23,45"},
        TextCase{83456, 1, "01:23,4"},
        TextCase{83456, 0, "01:23"},
        TextCase{83456, 3, "01:23"},
        TextCase{83456, -1, "01:23"},
        TextCase{3'723'400, 2, "02:03,40"},
        TextCase{5'000'000'000, 2, "53:20,00"}),
    testnames::caseNames([](const TextCase& c) {
        return QStringLiteral("%1 ms with %2 decimals").arg(c.ms).arg(c.decimals);
    }));

}  // namespace
