#include "controls/gauge.h"

#include "support/testnames.h"

#include <QImage>

#include <gtest/gtest.h>

#include <limits>

namespace {

struct PercentCase {
    int min;
    int max;
    int progress;
    int expected;
};

void PrintTo(const PercentCase& c, std::ostream* os)
{
    *os << c.progress << " in " << c.min << ".." << c.max;
}

class GaugePercentTest : public ::testing::TestWithParam<PercentCase> {};

TEST_P(GaugePercentTest, TruncatesAndClamps)
{
    const auto& c = GetParam();
    EXPECT_EQ(TGauge::percentDone(c.min, c.max, c.progress), c.expected);
}

constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr int kIntMax = std::numeric_limits<int>::max();

INSTANTIATE_TEST_SUITE_P(Table, GaugePercentTest,
    ::testing::Values(
        PercentCase{0, 100, 0, 0},
        PercentCase{0, 100, 42, 42},
        PercentCase{0, 100, 100, 100},
        PercentCase{0, 21, 1, 4},      // 4.76 truncated
        PercentCase{0, 21, 20, 95},    // 95.2 truncated
        PercentCase{0, 3, 2, 66},      // 66.6 truncated, not rounded
        PercentCase{10, 20, 15, 50},
        PercentCase{-50, 50, 0, 50},
        PercentCase{5, 5, 5, 0},       // empty range: no division by zero
        PercentCase{5, 5, 99, 0},
        PercentCase{0, 0, 0, 0},
        PercentCase{0, 100, -7, 0},    // below the range
        PercentCase{0, 100, 250, 100}, // beyond the range
        PercentCase{100, 0, 25, 75},   // reversed range counts downwards
        PercentCase{kIntMin, kIntMax, kIntMax, 100},  // spans that overflow 32 bits
        PercentCase{kIntMin, kIntMax, 0, 50},
        PercentCase{0, kIntMax, kIntMax / 2, 49},
        PercentCase{kIntMin, kIntMin, kIntMax, 0}),
    testnames::caseNames([](const PercentCase& c) {
        return "From " + std::to_string(c.min) + " to " + std::to_string(c.max) + " at " + std::to_string(c.progress);
    }));

TEST(GaugeTest, DefaultsAndSetters)
{
    TGauge g;
    EXPECT_EQ(g.minValue(), 0);
    EXPECT_EQ(g.maxValue(), 100);
    EXPECT_EQ(g.progress(), 0);
    EXPECT_EQ(g.percentDone(), 0);
    EXPECT_TRUE(g.font().bold());
    EXPECT_EQ(g.font().pixelSize(), 16);

    g.setMaxValue(21);
    g.setProgress(7);
    EXPECT_EQ(g.percentDone(), 33);
    g.setMinValue(7);
    EXPECT_EQ(g.percentDone(), 0);
    g.setProgress(21);
    EXPECT_EQ(g.percentDone(), 100);
}

TEST(GaugeTest, PercentText)
{
    EXPECT_EQ(TGauge::percentText(0), QStringLiteral("0%"));
    EXPECT_EQ(TGauge::percentText(57), QStringLiteral("57%"));
    EXPECT_EQ(TGauge::percentText(100), QStringLiteral("100%"));
}

QImage render(TGauge& g)
{
    g.resize(200, 30);
    QImage img(g.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    g.render(&img);
    return img;
}

bool hasWhite(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == QColor(255, 255, 255))
                return true;
    return false;
}

TEST(GaugeTest, BarCoversThePercentageDone)
{
    TGauge g;
    g.setProgress(25);
    const QImage img = render(g);
    const QColor fore = toQColor(g.foreColor());
    const QColor back = toQColor(g.backColor());
    // Rows near the top edge carry no text: bar left of 25 %, background after it.
    EXPECT_EQ(img.pixelColor(10, 3), fore);
    EXPECT_EQ(img.pixelColor(45, 3), fore);
    EXPECT_EQ(img.pixelColor(55, 3), back);
    EXPECT_EQ(img.pixelColor(190, 3), back);
    EXPECT_TRUE(hasWhite(img)) << "the percentage is drawn in white";

    g.setProgress(100);
    const QImage full = render(g);
    EXPECT_EQ(full.pixelColor(190, 3), fore);

    g.setMaxValue(0);  // max == min: nothing done
    const QImage none = render(g);
    EXPECT_EQ(none.pixelColor(10, 3), back);
}

} // namespace
