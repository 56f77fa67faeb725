#include "controls/sortcomparer.h"

#include "support/testnames.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

class LocaleGuard
{
public:
    explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(QLocale::c()); }
};

int sgn(int v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

struct ExtendedCase {
    const char* a;
    const char* b;
    int expected;  // sign
};

void PrintTo(const ExtendedCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(std::string(c.a)) << " vs " << ::testing::PrintToString(std::string(c.b));
}

class NumericExtendedTest : public ::testing::TestWithParam<ExtendedCase>
{
};

TEST_P(NumericExtendedTest, ComparesNumbersInsideText)
{
    const ExtendedCase c = GetParam();
    EXPECT_EQ(sgn(TSortComparer::compareNumericExtended(QString::fromUtf8(c.a), QString::fromUtf8(c.b))),
              c.expected)
        << c.a << " vs " << c.b;
    // The order must be consistent whichever side is asked first.
    EXPECT_EQ(sgn(TSortComparer::compareNumericExtended(QString::fromUtf8(c.b), QString::fromUtf8(c.a))),
              -c.expected)
        << c.b << " vs " << c.a;
}

INSTANTIATE_TEST_SUITE_P(Cases, NumericExtendedTest,
                         ::testing::Values(ExtendedCase{"Run 9", "Run 10", -1},
                                           ExtendedCase{"A10", "A9", 1},
                                           ExtendedCase{"Lauf 2 Gruppe", "Lauf 11 Gruppe", -1},
                                           ExtendedCase{"x", "x", 0},
                                           ExtendedCase{"", "", 0},
                                           ExtendedCase{"", "A1", -1},
                                           ExtendedCase{"A09", "A9", -1},
                                           ExtendedCase{"abc", "abd", -1}),
                         testnames::caseNames([](const ExtendedCase& c) {
                             const auto text = [](const char* t) { return std::string(*t ? t : "nothing"); };
                             return text(c.a) + " vs " + text(c.b);
                         }));

TEST(SortComparerTest, ByteComparisonIsUnsignedWithPrefixFirst)
{
    EXPECT_LT(TSortComparer::compareBytes(QStringLiteral("abc"), QStringLiteral("abd")), 0);
    EXPECT_LT(TSortComparer::compareBytes(QStringLiteral("ab"), QStringLiteral("abc")), 0);
    EXPECT_GT(TSortComparer::compareBytes(QStringLiteral("b"), QStringLiteral("a")), 0);
    EXPECT_EQ(TSortComparer::compareBytes(QStringLiteral("x"), QStringLiteral("x")), 0);
    // Non-ASCII bytes are above every ASCII byte.
    EXPECT_GT(TSortComparer::compareBytes(QStringLiteral("ä"), QStringLiteral("z")), 0);
    // An empty text is the smallest.
    EXPECT_LT(TSortComparer::compareBytes(QString(), QStringLiteral("8")), 0);
}

TEST(SortComparerTest, AsciiLowerLeavesOtherLettersAlone)
{
    EXPECT_EQ(TSortComparer::asciiLower(QStringLiteral("ÄBC-Xy")), QStringLiteral("Äbc-xy"));
}

TEST(SortComparerTest, NumbersFollowTheLocale)
{
    {
        LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
        ASSERT_TRUE(TSortComparer::toNumber(QStringLiteral("1,5")).has_value());
        EXPECT_DOUBLE_EQ(*TSortComparer::toNumber(QStringLiteral("1,5")), 1.5);
        EXPECT_DOUBLE_EQ(*TSortComparer::toNumber(QStringLiteral(" -2,25 ")), -2.25);
        EXPECT_FALSE(TSortComparer::toNumber(QStringLiteral("1.5")).has_value());
    }
    {
        LocaleGuard english(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_DOUBLE_EQ(*TSortComparer::toNumber(QStringLiteral("1.5")), 1.5);
        EXPECT_FALSE(TSortComparer::toNumber(QStringLiteral("1,5")).has_value());
    }
    EXPECT_FALSE(TSortComparer::toNumber(QString()).has_value());
    EXPECT_FALSE(TSortComparer::toNumber(QStringLiteral("abc")).has_value());
}

TEST(SortComparerTest, TimesAndDates)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(TSortComparer::toTime(QStringLiteral("12:30")), 45000000);
    EXPECT_EQ(TSortComparer::toTime(QStringLiteral("0:00:01")), 1000);
    EXPECT_EQ(TSortComparer::toTime(QStringLiteral("1:02:03,5")), 3723500);
    EXPECT_FALSE(TSortComparer::toTime(QStringLiteral("25:00")).has_value());
    EXPECT_FALSE(TSortComparer::toTime(QStringLiteral("abc")).has_value());
    const auto christmas = TSortComparer::toDateTime(QStringLiteral("24.12.2023"));
    const auto newYear = TSortComparer::toDateTime(QStringLiteral("01.01.2024"));
    const auto noon = TSortComparer::toDateTime(QStringLiteral("24.12.2023 12:00"));
    ASSERT_TRUE(christmas && newYear && noon);
    EXPECT_LT(*christmas, *noon);
    EXPECT_LT(*noon, *newYear);
    EXPECT_DOUBLE_EQ(*noon - *christmas, 0.5);
    EXPECT_FALSE(TSortComparer::toDateTime(QStringLiteral("31.02.2023")).has_value());
    EXPECT_FALSE(TSortComparer::toDateTime(QStringLiteral("Run 9")).has_value());
}

struct DetectCase {
    QStringList texts;
    TSortStyle expected;
};

void PrintTo(const DetectCase& c, std::ostream* os)
{
    *os << c.texts.join(QStringLiteral(", ")).toStdString();
}

class DetectStyleTest : public ::testing::TestWithParam<DetectCase>
{
};

TEST_P(DetectStyleTest, PicksTheStyleEveryTextFits)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(TSortComparer::detectStyle(GetParam().texts), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DetectStyleTest,
    ::testing::Values(DetectCase{{QStringLiteral("1,5"), QStringLiteral("2,25")}, ssNumeric},
                      DetectCase{{QStringLiteral("1,5"), QStringLiteral("x")}, ssNormal},
                      DetectCase{{QStringLiteral("24.12.2023"), QStringLiteral("01.01.2024 08:00")}, ssDateTime},
                      DetectCase{{QStringLiteral("12:30"), QStringLiteral("24.12.2023")}, ssDateTime},
                      DetectCase{{}, ssNumeric}),
    testnames::caseNames([](const DetectCase& c) {
        const char* const styles[] = {"Automatic", "Normal", "Numeric", "NumericExtended", "DateTime", "Time", "Custom"};
        return (c.texts.isEmpty() ? QStringLiteral("nothing") : c.texts.join(u' ')) + QStringLiteral(" is ")
               + QLatin1String(styles[c.expected]);
    }));

}  // namespace

namespace {
TEST(SortComparerTest, TextOrderMatchesUtf8ByteOrder)
{
    const QStringList texts{QString(), QStringLiteral("a"), QStringLiteral("ab"), QStringLiteral("B"),
                            QStringLiteral("ä"), QStringLiteral("\uFB01"), QString::fromUcs4(U"\U0001F600"),
                            QStringLiteral("10"), QStringLiteral("9")};
    for (const QString& a : texts)
        for (const QString& b : texts) {
            const int bytes = TSortComparer::compareBytes(a, b);
            const int text = TSortComparer::compareText(a, b);
            EXPECT_EQ((bytes > 0) - (bytes < 0), text) << a.toStdString() << " vs " << b.toStdString();
        }
}
}  // namespace
