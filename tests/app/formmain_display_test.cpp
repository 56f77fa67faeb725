#include "app/formmain.h"
#include "support/fakes.h"
#include "support/windowtest.h"
#include "timing/digit.h"

#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr TColor kDim = rgbColor(64, 64, 64);

qint64 ticksOf(double ms)
{
    return qint64(ms * 1'000'000.0);
}

class Display : public WindowTest {
protected:
    Display() { window = std::make_unique<TFormMain>(windowOptions()); }

    TDigit* digit(int n) { return window->findChild<TDigit*>(QStringLiteral("Digit%1").arg(n)); }
    QColor labelColour(const char* name)
    {
        return window->findChild<QLabel*>(QString::fromLatin1(name))->palette().color(QPalette::WindowText);
    }
    std::vector<int> values(std::initializer_list<int> numbers)
    {
        std::vector<int> result;
        for (int n : numbers)
            result.push_back(digit(n)->Value());
        return result;
    }
    std::vector<TColor> colours(std::initializer_list<int> numbers)
    {
        std::vector<TColor> result;
        for (int n : numbers)
            result.push_back(digit(n)->ColorOn());
        return result;
    }
};

TEST_F(Display, ZeroOnTheUpperDisplayDimsTheLeadingDigits)
{
    window->ShowTime(0, false);
    EXPECT_EQ(colours({3, 4, 5}), (std::vector<TColor>{kDim, kDim, kDim}));
    EXPECT_EQ(colours({6, 7, 8}), (std::vector<TColor>{clLime, clLime, clLime}));
    EXPECT_EQ(labelColour("LabMin"), toQColor(kDim));
    EXPECT_EQ(labelColour("LabSec"), toQColor(clLime));
    EXPECT_EQ(digit(3)->ColorOff(), clBlack);
}

TEST_F(Display, HiddenHoursStillBrightenTheMinutes)
{
    window->ShowTime(ticksOf(3'605'000), false);  // 1 h 0 min 5.00 s
    EXPECT_EQ(values({1, 2, 3, 4, 5, 6, 7, 8}), (std::vector<int>{0, 1, 0, 0, 0, 5, 0, 0}));
    EXPECT_EQ(colours({2, 3, 4, 5}), (std::vector<TColor>{clLime, clLime, clLime, clLime}));
    EXPECT_EQ(digit(1)->ColorOn(), kDim);
    EXPECT_TRUE(digit(1)->isHidden());
    EXPECT_EQ(labelColour("LabMin"), toQColor(clLime));
}

TEST_F(Display, SecondsTensLightAtTenSeconds)
{
    window->ShowTime(ticksOf(9990), false);
    EXPECT_EQ(values({5, 6, 7, 8}), (std::vector<int>{0, 9, 9, 9}));
    EXPECT_EQ(digit(5)->ColorOn(), kDim);
    window->ShowTime(ticksOf(10000), false);
    EXPECT_EQ(values({5, 6, 7, 8}), (std::vector<int>{1, 0, 0, 0}));
    EXPECT_EQ(digit(5)->ColorOn(), clLime);
}

TEST_F(Display, LowerDisplayIsDarkAtZeroAndLightsTheFraction)
{
    window->ShowTime(0, true);
    EXPECT_EQ(colours({15, 16, 18, 19, 21, 22}), (std::vector<TColor>(6, kDim)));
    EXPECT_EQ(labelColour("LabSec2"), toQColor(kDim));

    window->ShowTime(ticksOf(10), true);  // 0.01 s
    EXPECT_EQ(colours({15, 16, 18}), (std::vector<TColor>(3, kDim)));
    EXPECT_EQ(colours({19, 21, 22}), (std::vector<TColor>(3, clYellow)));
    EXPECT_EQ(values({19, 21, 22}), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(labelColour("LabSec2"), toQColor(clYellow));
    EXPECT_EQ(labelColour("LabMin2"), toQColor(kDim));

    window->ShowTime(ticksOf(754'320), true);  // 12:34,32
    EXPECT_EQ(values({15, 16, 18, 19, 21, 22}), (std::vector<int>{1, 2, 3, 4, 3, 2}));
    EXPECT_EQ(colours({15, 16, 18, 19}), (std::vector<TColor>(4, clYellow)));
}

TEST_F(Display, HundredHoursWrap)
{
    window->ShowTime(ticksOf(100.0 * 3'600'000 + 7000), false);
    EXPECT_EQ(values({1, 2, 3, 4, 5, 6}), (std::vector<int>{0, 0, 0, 0, 0, 7}));
    EXPECT_EQ(digit(4)->ColorOn(), kDim);
}

TEST_F(Display, ChangedColoursReachEveryDigitAndLabel)
{
    const TColor c1 = clNavy, c2 = clWhite, c3 = clGray;
    window->setDisplayColors(c1, c2, c3);
    window->ApplyDisplayColors();
    window->ShowTime(ticksOf(5000), false);
    window->ShowTime(0, true);
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 12, 13, 15, 16, 18, 19, 21, 22}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(digit(n)->Color(), c1);
        EXPECT_EQ(digit(n)->ColorOff(), c1);
    }
    EXPECT_EQ(digit(4)->ColorOn(), c3);
    EXPECT_EQ(digit(6)->ColorOn(), c2);
    EXPECT_EQ(digit(19)->ColorOn(), c3);
    EXPECT_EQ(labelColour("Lab_sek"), toQColor(c2));
}

TEST_F(Display, UnchangedTimeRepaintsNothing)
{
    window->ShowTime(ticksOf(61'230), false);
    std::vector<int> before;
    for (int n = 1; n <= 8; ++n)
        before.push_back(digit(n)->repaintRequests());
    window->ShowTime(ticksOf(61'234), false);  // same hundredths
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(digit(n)->repaintRequests(), before[n - 1]) << n;
    window->ShowTime(ticksOf(61'240), false);  // only the hundredths change
    EXPECT_GT(digit(8)->repaintRequests(), before[7]);
    EXPECT_EQ(digit(7)->repaintRequests(), before[6]);
}

}  // namespace
