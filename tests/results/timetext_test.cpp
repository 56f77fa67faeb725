#include "results/timetext.h"

#include "support/testnames.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Most of these texts are signs and blanks, which a test name cannot hold.
std::string textName(const char* text)
{
    QString t = QString::fromUtf8(text);
    if (t.isEmpty())
        return "Empty";
    if (t == QStringLiteral("\t"))
        return "Tab";
    if (t.trimmed().isEmpty())
        return std::to_string(t.size()) + "Blanks";
    t.replace(u'+', QStringLiteral(" plus "));
    if (!t.contains(QRegularExpression(QStringLiteral("[0-9]"))))
        t.replace(u'-', QStringLiteral(" dash "));
    return testnames::identifier(t);
}

struct ReadCase {
    const char* text;
    qint64 expected;
};

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(std::string(c.text));
}

class TimeTextToMsTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TimeTextToMsTest, ReadsMilliseconds)
{
    const ReadCase& c = GetParam();
    EXPECT_EQ(TimeTextToMs(QString::fromUtf8(c.text)), c.expected) << c.text;
}

// Every layout reads the same whatever the decimals setting is now: tables
// keep the texts of earlier settings.
INSTANTIATE_TEST_SUITE_P(Table, TimeTextToMsTest,
    ::testing::Values(
        ReadCase{"01:02,00", 62000},
        ReadCase{"00:59,50", 59500},
        ReadCase{"59:59,99", 3599990},
        ReadCase{"00:00,00", 0},
        ReadCase{"1:02,05", 62050},     // a missing leading digit comes from the pattern
        ReadCase{"xx:05,00", 5000},     // correct only at its end: reads partly
        ReadCase{"01:xx,25", 60250},
        ReadCase{"100:00,00", 600000},  // longer than the layout: fixed places
        ReadCase{"01:02,5", 62500},
        ReadCase{"00:59,4", 59400},
        ReadCase{"1:02,5", 62500},
        ReadCase{"01:02", 62000},
        ReadCase{"59:59", 3599000},
        ReadCase{"1:02", 62000},
        ReadCase{"", 0},
        ReadCase{"Ausfall", 0},
        ReadCase{"-", 0}),
    testnames::caseNames([](const ReadCase& c) { return textName(c.text); }));

struct WriteCase {
    qint64 ms;
    int acc;
    const char* expected;
};

void PrintTo(const WriteCase& c, std::ostream* os)
{
    *os << c.ms << " ms, acc " << c.acc;
}

class MsToTimeTextTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(MsToTimeTextTest, WritesText)
{
    const WriteCase& c = GetParam();
    EXPECT_EQ(MsToTimeText(c.ms, c.acc).toStdString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, MsToTimeTextTest,
    ::testing::Values(
        WriteCase{62000, 2, "01:02,00"},
        WriteCase{59500, 2, "00:59,50"},
        WriteCase{63750, 2, "01:03,75"},
        WriteCase{60050, 2, "01:00,05"},
        WriteCase{9, 2, "00:00,00"},              // truncates to hundredths
        WriteCase{3600000, 2, "00:00,00"},        // hours are dropped
        WriteCase{5'000'000'000, 2, "53:20,00"},  // beyond 32 bits
        WriteCase{59999, 1, "00:59,9"},
        WriteCase{62550, 0, "01:02"}),
    testnames::caseNames([](const WriteCase& c) {
        return "Acc" + std::to_string(c.acc) + "_" + std::to_string(c.ms) + "ms";
    }));

TEST(TimeTextRoundTrip, EveryAccuracyReadsItsOwnText)
{
    for (int acc = 0; acc <= 2; ++acc) {
        const qint64 step = acc == 2 ? 10 : (acc == 1 ? 100 : 1000);
        for (qint64 ms = 0; ms < 3600000; ms += 7 * step + step / 10 * 3) {
            const qint64 truncated = ms / step * step;
            ASSERT_EQ(TimeTextToMs(MsToTimeText(ms, acc)), truncated) << ms << " acc " << acc;
        }
    }
}

struct CompareCase {
    const char* s1;
    const char* s2;
    int sign;
};

void PrintTo(const CompareCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(std::string(c.s1)) << " vs " << ::testing::PrintToString(std::string(c.s2));
}

class CompareTimesTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareTimesTest, OrdersTexts)
{
    const CompareCase& c = GetParam();
    const QString s1 = QString::fromUtf8(c.s1);
    const QString s2 = QString::fromUtf8(c.s2);
    const int forward = CompareTimes(s1, s2);
    const int backward = CompareTimes(s2, s1);
    EXPECT_EQ((forward > 0) - (forward < 0), c.sign) << c.s1 << " / " << c.s2;
    EXPECT_EQ((backward > 0) - (backward < 0), -c.sign) << c.s2 << " / " << c.s1;
}

INSTANTIATE_TEST_SUITE_P(Table, CompareTimesTest,
    ::testing::Values(
        CompareCase{"00:59,50", "01:00,00", -1},
        CompareCase{"01:00,00", "01:00,00", 0},
        CompareCase{"00:59,51", "00:59,50", 1},
        CompareCase{"9:59,99", "10:00,00", -1},   // a shortened time by its time
        CompareCase{"01:01", "01:00,50", 1},      // layouts of two settings: by time
        CompareCase{"00:59,5", "01:00,50", -1},
        CompareCase{"01:00,5", "01:00,50", -1},   // equal times: the shorter first
        CompareCase{"59:59,99", "-", -1},         // every time before "-"
        CompareCase{"-", "Ausfall", -1},
        CompareCase{"AUSFALL", "", -1},           // "Ausfall" in any case before empty
        CompareCase{"Ausfall", "   ", -1},
        CompareCase{"ausfall", "Ausfall", 1},     // same key: by character, never 0
        CompareCase{"  ", "", 1},                 // both blank: a prefix sorts first
        CompareCase{"abcdefghijklmnopqrs", "-", 1}),  // a 19-character text sorts by its length
    testnames::caseNames([](const CompareCase& c) { return textName(c.s1) + "_vs_" + textName(c.s2); }));

TEST(CompareTimes, ReturnsTheCharacterDifference)
{
    EXPECT_EQ(CompareTimes(QStringLiteral("00:59,57"), QStringLiteral("00:59,50")), 7);
    EXPECT_EQ(CompareTimes(QStringLiteral("01:00,00"), QStringLiteral("-")), -1);
    EXPECT_EQ(CompareTimes(QStringLiteral(""), QStringLiteral("Ausfall")), 1);
}

// Texts a cell can hold: what the program writes, what an operator may type
// over it, and damage. ms is the time a text reads as, -1 for no time.
struct OrderedText {
    const char* text;
    qint64 ms;
};
const OrderedText kCellTexts[] = {
    {"00:01,0", 1000}, {"00:05", 5000}, {"1:02,5", 62500}, {"00:01,00", 1000}, {"00:01", 1000},
    {"01:00,50", 60500}, {"59:59,99", 3599990}, {"00:00,00", 0}, {"5", 5000}, {",5", 500},
    {"00:75", 75000}, {"9:59,99", 599990}, {"-", -1}, {"--", -1}, {"Ausfall", -1}, {"ausfall", -1},
    {"AUSFALL", -1}, {"", -1}, {" ", -1}, {"   ", -1}, {"abc", -1}, {"x1:02,5", -1}, {"1:2", -1},
    {"-1:05", -1}, {"100:00,00", -1}, {" 01:00,00", -1}, {"abcdefghijklmnopqrs", -1}, {"M\xC3\xBCll", -1}};

bool before(const OrderedText& a, const OrderedText& b)
{
    return CompareTimes(QString::fromUtf8(a.text), QString::fromUtf8(b.text)) < 0;
}

// A sort needs a strict weak order: a cycle such as 00:01,0 < 00:05 <
// 1:02,5 < 00:01,0 gave every row order of a table its own winner.
TEST(CompareTimes, AnyCellTextsHaveOneOrderTimesFirstByTheirTime)
{
    for (const OrderedText& a : kCellTexts) {
        EXPECT_FALSE(before(a, a)) << a.text;
        for (const OrderedText& b : kCellTexts) {
            if (a.ms >= 0 && b.ms >= 0 && a.ms != b.ms) {
                EXPECT_EQ(before(a, b), a.ms < b.ms) << a.text << " / " << b.text;
            }
            if ((a.ms >= 0) != (b.ms >= 0)) {
                EXPECT_EQ(before(a, b), a.ms >= 0) << a.text << " / " << b.text;
            }
            for (const OrderedText& c : kCellTexts) {
                if (before(a, b) && before(b, c)) {
                    EXPECT_TRUE(before(a, c)) << a.text << " < " << b.text << " < " << c.text;
                }
                const bool abTied = !before(a, b) && !before(b, a);
                const bool bcTied = !before(b, c) && !before(c, b);
                if (abTied && bcTied) {
                    EXPECT_TRUE(!before(a, c) && !before(c, a)) << a.text << " ~ " << b.text << " ~ " << c.text;
                }
            }
        }
    }
}

struct NoTimeCase {
    const char* text;
    bool expected;
};

void PrintTo(const NoTimeCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(std::string(c.text));
}

class IsNoTimeTest : public ::testing::TestWithParam<NoTimeCase> {};

TEST_P(IsNoTimeTest, Classifies)
{
    EXPECT_EQ(IsNoTime(QString::fromUtf8(GetParam().text)), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Table, IsNoTimeTest,
    ::testing::Values(
        NoTimeCase{"", true},
        NoTimeCase{"   ", true},
        NoTimeCase{"\t", true},
        NoTimeCase{"-", true},
        NoTimeCase{"Ausfall", true},
        NoTimeCase{"AUSFALL", true},
        NoTimeCase{"00:00,00", false},
        NoTimeCase{"01:02,5", false},
        NoTimeCase{"--", false},
        NoTimeCase{"Ausfal", false},
        NoTimeCase{"a text of twenty chr", false}),
    testnames::caseNames([](const NoTimeCase& c) { return textName(c.text); }));

struct IntegerCase {
    const char* text;
    bool ok;
    qint32 value;
};

void PrintTo(const IntegerCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(std::string(c.text));
}

class ReadIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ReadIntegerTest, Reads)
{
    const IntegerCase& c = GetParam();
    const std::optional<qint32> value = readInteger(QString::fromUtf8(c.text));
    ASSERT_EQ(value.has_value(), c.ok) << c.text;
    if (c.ok) {
        EXPECT_EQ(*value, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ReadIntegerTest,
    ::testing::Values(
        IntegerCase{"850", true, 850},
        IntegerCase{"+900", true, 900},
        IntegerCase{"-12", true, -12},
        IntegerCase{"007", true, 7},
        IntegerCase{"2147483647", true, 2147483647},
        IntegerCase{"-2147483648", true, -2147483647 - 1},
        IntegerCase{"2147483648", false, 0},
        IntegerCase{"99999999999999999999", false, 0},
        IntegerCase{"", false, 0},
        IntegerCase{"-", false, 0},
        IntegerCase{"12x", false, 0},
        IntegerCase{"1 2", false, 0},
        IntegerCase{"x", false, 0}),
    testnames::caseNames([](const IntegerCase& c) { return "Text_" + textName(c.text); }));

TEST(TrimBlanks, RemovesBlanksAndControlsOnly)
{
    EXPECT_EQ(trimBlanks(QStringLiteral(" \t Gruppe A \r")), QStringLiteral("Gruppe A"));
    EXPECT_EQ(trimBlanks(QStringLiteral("   ")), QString());
    EXPECT_EQ(trimBlanks(QString(QChar(0xA0)) + QStringLiteral("x")), QString(QChar(0xA0)) + QStringLiteral("x"));
}

}  // namespace
