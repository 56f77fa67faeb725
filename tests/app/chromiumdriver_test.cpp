#include "support/chromium.h"

#include <QImage>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class ChromiumDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Chromium::available())
            GTEST_SKIP() << Chromium::binaryPath().toStdString() << " is absent (Debian package chromium)";
    }
};

TEST_F(ChromiumDriver, LoadsAPageAndEvaluatesItsScript)
{
    Chromium chromium;
    ASSERT_TRUE(chromium.start(QSize(800, 600))) << chromium.errorString().toStdString();
    ASSERT_TRUE(chromium.navigate(QUrl(QStringLiteral("data:text/html;charset=utf-8,<p id=t>Beste R. 1:01,90</p>"))))
        << chromium.errorString().toStdString();

    EXPECT_EQ(chromium.evaluate(QStringLiteral("document.getElementById('t').textContent")),
              QJsonValue(QStringLiteral("Beste R. 1:01,90")));
    EXPECT_EQ(chromium.evaluate(QStringLiteral("new Promise(r => setTimeout(() => r(6 * 7), 10))")), QJsonValue(42));
    EXPECT_EQ(chromium.evaluate(QStringLiteral("null.x")), std::nullopt);
    EXPECT_TRUE(chromium.errorString().contains(QStringLiteral("TypeError"))) << chromium.errorString().toStdString();

    chromium.evaluate(QStringLiteral("setTimeout(() => document.title = 'fertig', 100)"));
    EXPECT_TRUE(chromium.waitFor(QStringLiteral("document.title === 'fertig'"), 5000));
    EXPECT_FALSE(chromium.waitFor(QStringLiteral("document.title === 'nie'"), 200));
}

TEST_F(ChromiumDriver, ScreenshotIsAPngOfThePhoneViewport)
{
    Chromium chromium;
    ASSERT_TRUE(chromium.start(QSize(1024, 768))) << chromium.errorString().toStdString();
    ASSERT_TRUE(chromium.setViewport(360, 640, true)) << chromium.errorString().toStdString();
    ASSERT_TRUE(chromium.navigate(QUrl(QStringLiteral(
        "data:text/html,<meta name=viewport content='width=device-width'><body style='background:%23ff8000'>"))))
        << chromium.errorString().toStdString();
    EXPECT_EQ(chromium.evaluate(QStringLiteral("window.innerWidth")), QJsonValue(360));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("phone.png"));
    ASSERT_TRUE(chromium.screenshot(path)) << chromium.errorString().toStdString();
    QImage image;
    ASSERT_TRUE(image.load(path, "PNG"));
    EXPECT_EQ(image.size(), QSize(360, 640));
    EXPECT_EQ(image.pixelColor(180, 320), QColor(0xff, 0x80, 0x00));
}

} // namespace
