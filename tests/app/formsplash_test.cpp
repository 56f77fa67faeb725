#include "app/formsplash.h"

#include "controls/gauge.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(FormSplashTest, GaugeStartsEmptyAndFillsTheWindow)
{
    TFormSplash splash;
    TGauge* gauge = splash.Gauge1();
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge, splash.findChild<TGauge*>(QStringLiteral("Gauge1")));
    EXPECT_EQ(gauge->minValue(), 0);
    EXPECT_EQ(gauge->maxValue(), 100);
    EXPECT_EQ(gauge->progress(), 0);

    splash.setWindowTitle(QStringLiteral("Speichern unter Ergebnis.xlsx"));
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    // Offscreen windows have no frame: the outer size is the client size.
    EXPECT_EQ(splash.frameGeometry().size(), QSize(423, 78));
    EXPECT_EQ(gauge->geometry(), splash.rect().adjusted(4, 4, -4, -4));
    EXPECT_EQ(splash.windowTitle(), QStringLiteral("Speichern unter Ergebnis.xlsx"));
}

TEST(FormSplashTest, ShownWithoutModalityAndWithoutTitleButtons)
{
    TFormSplash splash;
    const Qt::WindowFlags flags = splash.windowFlags();
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);

    splash.show();  // returns at once: the caller goes on writing
    EXPECT_TRUE(splash.isVisible());
    EXPECT_FALSE(splash.isModal());
    EXPECT_EQ(QGuiApplication::modalWindow(), nullptr);

    // The order of use by the export: maximum, progress per class, close.
    splash.Gauge1()->setMaxValue(21);
    splash.Gauge1()->setProgress(7);
    EXPECT_EQ(splash.Gauge1()->percentDone(), 33);
    splash.close();
    EXPECT_FALSE(splash.isVisible());
}

TEST(FormSplashTest, CentredOnTheScreen)
{
    TFormSplash splash;
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    const QPoint screenCentre = splash.screen()->geometry().center();
    const QPoint centre = splash.frameGeometry().center();
    EXPECT_LE((centre - screenCentre).manhattanLength(), 2)
        << centre.x() << "," << centre.y() << " vs " << screenCentre.x() << "," << screenCentre.y();
}

} // namespace
