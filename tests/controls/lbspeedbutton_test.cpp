#include "controls/lbspeedbutton.h"

#include "support/fakes.h"
#include "support/testnames.h"
#include "support/userinput.h"

#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// A fade ticker the test steps by hand, one call per 30 ms tick.
struct FakeTicker : LbFadeTicker {
    std::function<void()> step;
    bool isRunning = false;
    bool* alive = nullptr;
    ~FakeTicker() override
    {
        if (alive)
            *alive = false;
    }
    void resume() override { isRunning = true; }
    void suspend() override { isRunning = false; }
    bool running() const override { return isRunning; }
    // Ticks while it runs, at most `limit` times; how many it ticked.
    int tick(int limit)
    {
        int ticks = 0;
        while (isRunning && ticks < limit) {
            step();
            ++ticks;
        }
        return ticks;
    }
};

const QColor kBar(200, 0, 0);
const QColor kRestInk(0, 0, 255);
const QColor kHotInk(0, 255, 0);

// Two 32 x 32 images side by side on a white key: a blue square at rest, a
// green one when hot, both at 8 … 23.
QPixmap twoImageGlyph()
{
    QImage image(64, 32, QImage::Format_RGB888);
    image.fill(Qt::white);
    for (int y = 8; y < 24; ++y)
        for (int x = 8; x < 24; ++x) {
            image.setPixelColor(x, y, kRestInk);
            image.setPixelColor(32 + x, y, kHotInk);
        }
    return QPixmap::fromImage(image);
}

class SpeedButton : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(200, 100);
        QPalette colours = window.palette();
        colours.setColor(QPalette::Window, kBar);
        window.setPalette(colours);
        window.setAutoFillBackground(true);
        button = new TLbSpeedButton(&window);
        button->setGeometry(10, 10, 38, 36);
        button->setFadeTickerFactory([this](std::function<void()> step) {
            auto fake = std::make_unique<FakeTicker>();
            fake->step = std::move(step);
            fake->alive = &tickerAlive;
            tickerAlive = true;
            ticker = fake.get();
            return fake;
        });
        ASSERT_TRUE(showActive(&window));
        QTest::mouseMove(window.windowHandle(), QPoint(150, 80));
    }

    void topBarLook()
    {
        button->setFlat(true);
        button->setTransparent(true);
        button->setNumGlyphs(2);
        button->setLightColor(clWhite);
        button->setShadowColor(clWhite);
        button->setGlyph(twoImageGlyph());
    }
    void hover() { QTest::mouseMove(window.windowHandle(), QPoint(29, 28)); }
    void leave() { QTest::mouseMove(window.windowHandle(), QPoint(150, 80)); }
    // The button as it shows on its window: see-through parts are the bar.
    QImage shown() { return window.grab(button->geometry()).toImage(); }

    QWidget window;
    TLbSpeedButton* button = nullptr;
    FakeTicker* ticker = nullptr;
    bool tickerAlive = false;
};

TEST_F(SpeedButton, Defaults)
{
    TLbSpeedButton fresh(&window);
    EXPECT_EQ(fresh.size(), QSize(100, 23));
    EXPECT_EQ(fresh.Alignment(), Qt::AlignLeft);
    EXPECT_FALSE(fresh.AllowAllUp());
    EXPECT_EQ(fresh.Color(), fromQColor(kBar));  // the parent's colour
    EXPECT_EQ(fresh.ColorWhenDown(), 536870911);
    EXPECT_EQ(fresh.HotTrackColor(), 536870911);
    EXPECT_EQ(fresh.ColorStyle(), lcsCustom);
    EXPECT_FALSE(fresh.Down());
    EXPECT_FALSE(fresh.Flat());
    EXPECT_EQ(fresh.GroupIndex(), 0);
    EXPECT_EQ(fresh.HotTrackFont(), window.font());
    EXPECT_EQ(fresh.LightColor(), clWhite);
    EXPECT_EQ(fresh.ShadowColor(), clBlack);
    EXPECT_FALSE(fresh.SlowDecease());
    EXPECT_EQ(fresh.Style(), bsNormal);
    EXPECT_FALSE(fresh.Transparent());
    EXPECT_FALSE(fresh.UseHotTrackFont());
    EXPECT_FALSE(fresh.WordWrap());
    fresh.setColor(clYellow);
    EXPECT_EQ(fresh.Color(), clYellow);
    EXPECT_FALSE(fresh.ParentColor());
}

TEST_F(SpeedButton, ColourStylesLoadTheirPresetAndCustomKeepsWhatWasSet)
{
    button->setColor(clYellow);
    button->setColorStyle(lcsCustom);
    EXPECT_EQ(button->Color(), clYellow);

    std::vector<TColor> faces;
    for (TLbColorStyle style : {lcsGold, lcsChrome, lcsBlue, lcsRed, lcsUltraFlat1, lcsUltraFlat2, lcsUltraFlatXP,
                                lcsAqua, lcsDefault, lcsQuicken}) {
        button->setColorStyle(style);
        const bool flat = style == lcsUltraFlat1 || style == lcsUltraFlat2 || style == lcsUltraFlatXP;
        EXPECT_EQ(button->Flat(), flat) << style;
        const TLbSpeedButtonStyle drawing = style == lcsChrome || style == lcsAqua ? bsModern
            : style == lcsQuicken                                                  ? bsQuicken
                                                                                   : bsNormal;
        EXPECT_EQ(button->Style(), drawing) << style;
        faces.push_back(button->Color() ^ button->LightColor() ^ button->HotTrackColor());
    }
    std::sort(faces.begin(), faces.end());
    EXPECT_EQ(std::adjacent_find(faces.begin(), faces.end()), faces.end()) << "two styles share a look";

    const TColor face = button->Color();
    button->setColorStyle(lcsCustom);
    EXPECT_EQ(button->Color(), face);
}

TEST_F(SpeedButton, TransparentButtonShowsTheBarAndItsRestImage)
{
    topBarLook();
    const QImage rest = shown();
    EXPECT_EQ(rest.pixelColor(0, 0), kBar);  // flat: no edge
    EXPECT_EQ(rest.pixelColor(4, 4), kBar);  // the glyph's key
    EXPECT_EQ(rest.pixelColor(18, 18), kRestInk);

    button->setTransparent(false);
    button->setColor(clYellow);
    EXPECT_EQ(shown().pixelColor(4, 4), QColor(255, 255, 0));
}

TEST_F(SpeedButton, ShapedStylesLetTheParentShowAtTheirCorners)
{
    button->setColor(clYellow);
    button->setStyle(bsModern);
    const QImage rounded = shown();
    EXPECT_EQ(rounded.pixelColor(0, 0), kBar);
    EXPECT_EQ(rounded.pixelColor(19, 18), QColor(255, 255, 0));
    button->setStyle(bsNormal);
    EXPECT_NE(shown().pixelColor(0, 0), kBar);
}

TEST_F(SpeedButton, HotLookComesWithTheMouseAndFadesInEightSteps)
{
    topBarLook();
    button->setSlowDecease(true);
    QSignalSpy entered(button, &TLbSpeedButton::mouseEnter);
    QSignalSpy left(button, &TLbSpeedButton::mouseLeave);
    ASSERT_NE(ticker, nullptr);
    EXPECT_FALSE(ticker->running());

    hover();
    EXPECT_EQ(entered.count(), 1);
    EXPECT_TRUE(button->isHot());
    EXPECT_EQ(button->fadeCounter(), 8);
    const QImage hot = shown();
    EXPECT_EQ(hot.pixelColor(0, 0), QColor(255, 255, 255));  // the raised edge of the hot look
    EXPECT_EQ(hot.pixelColor(18, 18), kHotInk);

    leave();
    EXPECT_EQ(left.count(), 1);
    EXPECT_FALSE(button->isHot());
    EXPECT_TRUE(ticker->running());
    EXPECT_EQ(ticker->tick(4), 4);
    EXPECT_EQ(button->fadeCounter(), 4);
    const QImage half = shown();
    EXPECT_NE(half.pixelColor(18, 18), kHotInk);
    EXPECT_NE(half.pixelColor(18, 18), kRestInk);

    EXPECT_EQ(ticker->tick(100), 4);  // then it stops by itself
    EXPECT_EQ(button->fadeCounter(), 0);
    EXPECT_FALSE(ticker->running());
    const QImage back = shown();
    EXPECT_EQ(back.pixelColor(0, 0), kBar);
    EXPECT_EQ(back.pixelColor(18, 18), kRestInk);
}

TEST_F(SpeedButton, WithoutSlowDeceaseTheHotLookGoesAtOnce)
{
    topBarLook();
    hover();
    leave();
    EXPECT_EQ(button->fadeCounter(), 0);
    EXPECT_EQ(shown().pixelColor(18, 18), kRestInk);
}

TEST_F(SpeedButton, SwitchingSlowDeceaseOffEndsTheFade)
{
    topBarLook();
    button->setSlowDecease(true);
    hover();
    leave();
    ticker->tick(2);
    button->setSlowDecease(false);
    EXPECT_FALSE(tickerAlive);
    EXPECT_EQ(button->fadeCounter(), 0);
    EXPECT_EQ(shown().pixelColor(18, 18), kRestInk);
}

TEST_F(SpeedButton, DisabledButtonIgnoresTheMouse)
{
    topBarLook();
    button->setEnabled(false);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    hover();
    EXPECT_FALSE(button->isHot());
    userClick(button);
    EXPECT_EQ(clicked.count(), 0);
    const QColor ink = shown().pixelColor(18, 18);
    EXPECT_EQ(ink.red(), ink.blue());  // greyed
}

struct PressCase {
    const char* name;
    int groupIndex;
    bool allowAllUp;
    bool downBefore;
    bool downWhilePressed;
    bool downAfter;
};

class SpeedButtonPress : public SpeedButton, public ::testing::WithParamInterface<PressCase> {};

TEST_P(SpeedButtonPress, DownFollowsGroupAndAllowAllUp)
{
    const auto& c = GetParam();
    button->setGroupIndex(c.groupIndex);
    button->setAllowAllUp(c.allowAllUp);
    button->setDown(c.downBefore);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    userPress(button);
    EXPECT_EQ(button->Down(), c.downWhilePressed);
    userRelease(button);
    EXPECT_EQ(button->Down(), c.downAfter);
    EXPECT_EQ(clicked.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Table, SpeedButtonPress,
    ::testing::Values(PressCase{"no group comes back up", 0, false, false, true, false},
                      PressCase{"grouped goes down and stays", 1, false, false, true, true},
                      PressCase{"grouped down stays down", 1, false, true, true, true},
                      PressCase{"grouped down comes up with AllowAllUp", 1, true, true, false, false}),
    testnames::caseNames([](const PressCase& c) { return c.name; }));

TEST_F(SpeedButton, OneDownButtonPerGroup)
{
    auto* other = new TLbSpeedButton(&window);
    other->setGeometry(60, 10, 38, 36);
    other->show();
    button->setGroupIndex(3);
    other->setGroupIndex(3);
    userClick(button);
    userClick(other);
    EXPECT_TRUE(other->Down());
    EXPECT_FALSE(button->Down());
}

TEST_F(SpeedButton, PressedButtonIsSunkenAndItsGlyphMovesByOnePixel)
{
    topBarLook();
    button->setFlat(false);
    button->setShadowColor(clBlack);
    button->setGroupIndex(1);
    userClick(button);  // grouped: stays down to be looked at
    ASSERT_TRUE(button->Down());
    const QImage down = shown();
    EXPECT_EQ(down.pixelColor(0, 0), QColor(0, 0, 0));
    EXPECT_EQ(down.pixelColor(37, 35), QColor(255, 255, 255));
    // At rest the square starts at (11, 10); pressed, one pixel further on.
    EXPECT_EQ(down.pixelColor(11, 10), kBar);
    EXPECT_EQ(down.pixelColor(12, 11), kHotInk);
}

TEST_F(SpeedButton, ClickPopsUpTheMenuAtTheBottomLeftCorner)
{
    QMenu menu;
    menu.addAction(QStringLiteral("Eins"));
    button->setPopupMenu(&menu);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    userClick(button);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), button->mapToGlobal(QPoint(0, button->height())));
    EXPECT_EQ(clicked.count(), 1);
    menu.hide();
    // The arrow of an attached menu, black on the face.
    const QImage face = shown();
    int black = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 20; x < face.width(); ++x)
            black += face.pixelColor(x, y) == QColor(0, 0, 0) && x < 36 && y > 0 && y < 35;
    EXPECT_EQ(black, 5 + 3 + 1);
}

TEST_F(SpeedButton, HotTrackFontOnlyWhileHot)
{
    button->setText(QStringLiteral("Hilfe"));
    QFont hotFont(QStringLiteral("Courier New"));
    hotFont.setPixelSize(11);
    button->setHotTrackFont(hotFont);
    button->setHotTrackFontColor(clRed);
    EXPECT_EQ(button->look().font, button->font());
    hover();
    EXPECT_EQ(button->look().font, button->font());  // UseHotTrackFont is off
    button->setUseHotTrackFont(true);
    EXPECT_EQ(button->look().font, hotFont);
    EXPECT_EQ(button->look().fontColour, QColor(255, 0, 0));
    leave();
    EXPECT_EQ(button->look().font, button->font());
}

}  // namespace
