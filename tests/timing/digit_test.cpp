#include "timing/digit.h"

#include "support/testnames.h"

#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <vector>

namespace {

// --- Patterns ----------------------------------------------------------------

struct PatternCase {
    int digit;
    quint8 pattern;
};

void PrintTo(const PatternCase& c, std::ostream* os)
{
    *os << "digit " << c.digit;
}

class DigitPattern : public ::testing::TestWithParam<PatternCase> {};

TEST_P(DigitPattern, MatchesTheTable)
{
    const auto& c = GetParam();
    EXPECT_EQ(TDigit::patternOf(c.digit), c.pattern);
    EXPECT_EQ(TDigit::patternOf(c.digit) & 128, 0) << "no digit lights the dot";

    TDigit digit;
    digit.setValue(c.digit);
    EXPECT_EQ(digit.Value(), c.digit);
    EXPECT_EQ(digit.ValueBinary(), c.pattern);
}

INSTANTIATE_TEST_SUITE_P(Digits, DigitPattern,
                         ::testing::Values(PatternCase{0, 125}, PatternCase{1, 80}, PatternCase{2, 55},
                                           PatternCase{3, 87}, PatternCase{4, 90}, PatternCase{5, 79},
                                           PatternCase{6, 111}, PatternCase{7, 81}, PatternCase{8, 127},
                                           PatternCase{9, 95}),
                         testnames::caseNames([](const PatternCase& c) { return "Digit" + std::to_string(c.digit); }));

TEST(Digit, PatternOutsideTheDigitsIsBlank)
{
    EXPECT_EQ(TDigit::patternOf(-1), 0);
    EXPECT_EQ(TDigit::patternOf(10), 0);
}

TEST(Digit, ConstructionDefaults)
{
    TDigit digit;
    EXPECT_EQ(digit.width(), 16);
    EXPECT_EQ(digit.height(), 32);
    EXPECT_EQ(digit.Color(), clBlack);
    EXPECT_EQ(digit.ColorOn(), clYellow);
    EXPECT_EQ(digit.ColorOff(), clBlack);
    EXPECT_EQ(digit.Value(), 0);
    EXPECT_EQ(digit.ValueBinary(), 125);
    EXPECT_EQ(digit.Separation(), 1);
    EXPECT_EQ(digit.Thickness(), 2);
    EXPECT_EQ(digit.BorderStyle(), TBorderStyle::bsSingle);
    EXPECT_EQ(digit.repaintRequests(), 0);
}

// --- Value and overflow ----------------------------------------------------------

TEST(DigitValue, TenShowsZeroAndOverflowsOnce)
{
    TDigit digit;
    QSignalSpy spy(&digit, &TDigit::OnOverflow);
    digit.setValue(7);
    ASSERT_EQ(digit.ValueBinary(), 81);
    EXPECT_EQ(spy.count(), 0);

    digit.setValue(10);
    EXPECT_EQ(digit.Value(), 0);
    EXPECT_EQ(digit.ValueBinary(), 125);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<TDigit*>(), &digit);

    // The digit already shows 0: setting it again repaints nothing.
    const int repaints = digit.repaintRequests();
    digit.setValue(0);
    EXPECT_EQ(digit.repaintRequests(), repaints);
    EXPECT_EQ(spy.count(), 1);
}

TEST(DigitValue, NegativeOverflowsToo)
{
    TDigit digit;
    digit.setValue(4);
    QSignalSpy spy(&digit, &TDigit::OnOverflow);
    digit.setValue(-1);
    EXPECT_EQ(digit.Value(), 0);
    EXPECT_EQ(digit.ValueBinary(), 125);
    EXPECT_EQ(spy.count(), 1);
}

TEST(DigitValue, RepaintsOnlyOnChange)
{
    TDigit digit;
    digit.setValue(3);
    EXPECT_EQ(digit.repaintRequests(), 1);
    digit.setValue(3);
    EXPECT_EQ(digit.repaintRequests(), 1);
    digit.setValue(4);
    EXPECT_EQ(digit.repaintRequests(), 2);
}

// --- Compare-first setters ----------------------------------------------------------

struct SetterCase {
    const char* name;
    void (*set)(TDigit&, int variant);
};

void PrintTo(const SetterCase& c, std::ostream* os)
{
    *os << c.name;
}

class DigitSetter : public ::testing::TestWithParam<SetterCase> {};

TEST_P(DigitSetter, RepaintsOnceForAChangeAndNeverForTheSameValue)
{
    TDigit digit;
    GetParam().set(digit, 1);
    EXPECT_EQ(digit.repaintRequests(), 1);
    GetParam().set(digit, 1);
    EXPECT_EQ(digit.repaintRequests(), 1);
    GetParam().set(digit, 2);
    EXPECT_EQ(digit.repaintRequests(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Setters, DigitSetter,
    ::testing::Values(
        SetterCase{"ValueBinary", [](TDigit& d, int v) { d.setValueBinary(quint8(v == 1 ? 0 : 255)); }},
        SetterCase{"Color", [](TDigit& d, int v) { d.setColor(v == 1 ? clNavy : clRed); }},
        SetterCase{"ColorOn", [](TDigit& d, int v) { d.setColorOn(v == 1 ? clLime : clRed); }},
        SetterCase{"ColorOff", [](TDigit& d, int v) { d.setColorOff(v == 1 ? clGray : clRed); }},
        SetterCase{"BorderStyle",
                   [](TDigit& d, int v) { d.setBorderStyle(v == 1 ? TBorderStyle::bsNone : TBorderStyle::bsSingle); }},
        SetterCase{"Thickness", [](TDigit& d, int v) { d.setThickness(v == 1 ? 3 : 4); }}),
    testnames::caseNames([](const SetterCase& c) { return c.name; }));

TEST(DigitSetter, ValuesAreStored)
{
    TDigit digit;
    digit.setColor(clNavy);
    digit.setColorOn(clLime);
    digit.setColorOff(clGray);
    digit.setBorderStyle(TBorderStyle::bsNone);
    digit.setValueBinary(3);
    digit.setTag(17);
    EXPECT_EQ(digit.Color(), clNavy);
    EXPECT_EQ(digit.ColorOn(), clLime);
    EXPECT_EQ(digit.ColorOff(), clGray);
    EXPECT_EQ(digit.BorderStyle(), TBorderStyle::bsNone);
    EXPECT_EQ(digit.ValueBinary(), 3);
    EXPECT_EQ(digit.Tag(), 17);
}

TEST(DigitSetter, SeparationAlwaysInvalidates)
{
    TDigit digit;
    digit.setSeparation(1);
    EXPECT_EQ(digit.Separation(), 1);
    EXPECT_EQ(digit.repaintRequests(), 1);
    digit.setSeparation(3);
    EXPECT_EQ(digit.Separation(), 3);
    EXPECT_EQ(digit.repaintRequests(), 2);
}

struct ThicknessCase {
    int width;
    int height;
    int thickness;
    bool accepted;
};

void PrintTo(const ThicknessCase& c, std::ostream* os)
{
    *os << c.width << " x " << c.height << ", thickness " << c.thickness;
}

class DigitThickness : public ::testing::TestWithParam<ThicknessCase> {};

TEST_P(DigitThickness, FitsInHalfTheControl)
{
    const auto& c = GetParam();
    TDigit digit;
    digit.resize(c.width, c.height);
    digit.setThickness(c.thickness);
    EXPECT_EQ(digit.Thickness(), c.accepted ? c.thickness : 2);
    EXPECT_EQ(digit.repaintRequests(), c.accepted ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Table, DigitThickness,
                         ::testing::Values(ThicknessCase{45, 89, 30, false}, ThicknessCase{45, 89, 22, true},
                                           ThicknessCase{45, 89, 23, false}, ThicknessCase{45, 89, 5, true},
                                           ThicknessCase{60, 21, 10, true},  // 21 / 2 is 10
                                           ThicknessCase{60, 21, 11, false}, ThicknessCase{16, 32, 8, true},
                                           ThicknessCase{16, 32, 9, false}),
                         testnames::caseNames([](const ThicknessCase& c) {
                             return std::to_string(c.width) + "x" + std::to_string(c.height) + "_Thickness"
                                    + std::to_string(c.thickness);
                         }));

// --- Geometry ---------------------------------------------------------------

struct PolygonCase {
    int bit;
    std::vector<QPoint> points;
};

void PrintTo(const PolygonCase& c, std::ostream* os)
{
    *os << "segment bit " << c.bit;
}

class DigitSegmentPolygon : public ::testing::TestWithParam<PolygonCase> {};

// A 45 × 89 digit with thickness 5 and separation 1: W = 44, H = 88, h2 = 44,
// the middle bar and the lower verticals start at h2 - t = 39, the right
// verticals at W - 2t = 34, the bottom bar at H - 2t = 78.
TEST_P(DigitSegmentPolygon, VerticesOfTheLargeDisplayDigit)
{
    const auto& c = GetParam();
    const QPolygon polygon = TDigit::segmentPolygon(c.bit, 45, 89, 5, 1);
    EXPECT_EQ(std::vector<QPoint>(polygon.begin(), polygon.end()), c.points);
}

INSTANTIATE_TEST_SUITE_P(
    Segments, DigitSegmentPolygon,
    ::testing::Values(PolygonCase{1, {{6, 5}, {11, 0}, {33, 0}, {38, 5}, {33, 10}, {11, 10}}},
                      PolygonCase{2, {{6, 44}, {11, 39}, {33, 39}, {38, 44}, {33, 49}, {11, 49}}},
                      PolygonCase{4, {{6, 83}, {11, 78}, {33, 78}, {38, 83}, {33, 88}, {11, 88}}},
                      PolygonCase{8, {{0, 11}, {5, 6}, {10, 11}, {10, 38}, {5, 43}, {0, 38}}},
                      PolygonCase{16, {{34, 11}, {39, 6}, {44, 11}, {44, 38}, {39, 43}, {34, 38}}},
                      PolygonCase{32, {{0, 50}, {5, 45}, {10, 50}, {10, 77}, {5, 82}, {0, 77}}},
                      PolygonCase{64, {{34, 50}, {39, 45}, {44, 50}, {44, 77}, {39, 82}, {34, 77}}},
                      PolygonCase{128, {{44, 88}, {35, 88}, {44, 79}}},
                      PolygonCase{3, {}}),
    testnames::caseNames([](const PolygonCase& c) { return "Bit" + std::to_string(c.bit); }));

// --- Painting ---------------------------------------------------------------------

struct Probe {
    int bit;
    QPoint inside;
};

// One point well inside each segment of the 45 × 89 digit.
const std::vector<Probe> kProbes{{1, {22, 5}},   {2, {22, 44}},  {4, {22, 83}},  {8, {5, 24}},
                                 {16, {39, 24}}, {32, {5, 63}},  {64, {39, 63}}, {128, {42, 86}}};

class DigitPainting : public ::testing::TestWithParam<int> {};

TEST_P(DigitPainting, LitSegmentsOnUnlitOffBackgroundColor)
{
    constexpr TColor background = clNavy;
    constexpr TColor on = clLime;
    const TColor off = rgbColor(64, 64, 64);
    TDigit digit;
    digit.resize(45, 89);
    digit.setThickness(5);
    digit.setColor(background);
    digit.setColorOn(on);
    digit.setColorOff(off);
    digit.setValue(GetParam());

    const QImage image = digit.grab().toImage();
    ASSERT_EQ(image.size(), QSize(45, 89));
    const quint8 pattern = TDigit::patternOf(GetParam());
    for (const auto& probe : kProbes) {
        const TColor expected = (pattern & probe.bit) ? on : off;
        EXPECT_EQ(fromQColor(image.pixelColor(probe.inside)), expected) << "segment " << probe.bit;
    }
    // The windows between the bars and the corners show the background.
    for (const QPoint p : {QPoint(22, 24), QPoint(22, 63), QPoint(0, 0), QPoint(44, 0), QPoint(0, 88)})
        EXPECT_EQ(fromQColor(image.pixelColor(p)), background) << p.x() << "," << p.y();
    // Each bar is outlined in the background colour.
    EXPECT_EQ(fromQColor(image.pixelColor(22, 0)), background);
    EXPECT_EQ(fromQColor(image.pixelColor(0, 24)), background);
}

INSTANTIATE_TEST_SUITE_P(EightAndOne, DigitPainting, ::testing::Values(8, 1),
                         testnames::caseNames([](int digit) { return "Digit" + std::to_string(digit); }));

}  // namespace
