// Live results end to end in a real browser: the window serves on a free
// port, Debian's headless Chromium shows the pages, and the race is driven
// by keys and clicks in the window while the pages are watched.
#include "app/livelink.h"
#include "platform/settingsstore.h"
#include "support/chromium.h"
#include "support/resultswindow.h"

#include <QTcpServer>

namespace {

class LiveBrowser : public ResultsWindowTest {
protected:
    void SetUp() override
    {
        if (!Chromium::available())
            GTEST_SKIP() << "Debian's chromium is not installed at " << Chromium::binaryPath().toStdString();
        ResultsWindowTest::SetUp();
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
        probe.close();
        platform::SettingsStore store(QStringLiteral("PylonixResultsTest"), dir.filePath(QStringLiteral("config")));
        store.writeDword(QStringLiteral("LiveOn"), 1);
        store.writeDword(QStringLiteral("LivePort"), port);
        ASSERT_EQ(store.save(), QString());
        make();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->live()->isOn() && window->live()->problem().isEmpty(); },
                                    5000));
        ASSERT_TRUE(browser.start(QSize(390, 844))) << browser.errorString().toStdString();
    }
    QUrl page(const QString& path) const { return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path)); }
    // One car in field 1 over four marked passages, entered with F9.
    void raceAndEnter(const QString& number, const QList<int>& zeitMs)
    {
        typeInto(edit(1), number);
        runRace(zeitMs);
        for (int n = 1; n <= zeitMs.size() + 1; ++n)
            mark(n, 1);
        key(Qt::Key_F9);
    }
    QString firstNumberShown()
    {
        return browser.evaluate(QStringLiteral("document.querySelector('tbody tr td:nth-child(2)')?.textContent ?? ''"))
            .value_or(QJsonValue())
            .toString();
    }

    quint16 port = 0;
    Chromium browser;
};

}  // namespace

TEST_F(LiveBrowser, APhoneShowsEachNewRankingWithoutReloadingWithinASecond)
{
    ASSERT_TRUE(browser.setViewport(390, 844, true));
    ASSERT_TRUE(browser.navigate(page(QStringLiteral("/klasse/1"))));
    ASSERT_TRUE(browser.waitFor(QStringLiteral("document.querySelector('.empty') !== null"), 5000));
    ASSERT_TRUE(showActive(window.get()));
    typeInto(eLEN(), QStringLiteral("1000"));

    raceAndEnter(QStringLiteral("12"), {62000, 121500, 185250});
    EXPECT_TRUE(browser.waitFor(QStringLiteral("document.body.textContent.includes('00:59,50')"), 1000));
    EXPECT_EQ(firstNumberShown(), QStringLiteral("12"));

    // NÄCHSTEN, and a faster car takes the lead on the phone.
    key(Qt::Key_Return);
    raceAndEnter(QStringLiteral("7"), {60000, 118000, 177000});
    EXPECT_TRUE(browser.waitFor(
        QStringLiteral("document.querySelector('tbody tr td:nth-child(2)')?.textContent === '7'"), 1000));
    EXPECT_TRUE(browser.waitFor(QStringLiteral("document.querySelectorAll('tbody tr').length === 2"), 1000));
    // Readable on the phone without zooming: the table fits its width.
    EXPECT_EQ(browser.evaluate(QStringLiteral("document.documentElement.scrollWidth <= window.innerWidth")),
              QJsonValue(true));

    // The README's pictures: PYLONIX_SCREENSHOTS=<folder> keeps the phone
    // view and the second screen as they are now.
    const QString folder = qEnvironmentVariable("PYLONIX_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    EXPECT_TRUE(browser.screenshot(folder + QStringLiteral("/live-phone.png")));
    ASSERT_TRUE(browser.setViewport(1920, 1080));
    ASSERT_TRUE(browser.navigate(page(QStringLiteral("/anzeige"))));
    ASSERT_TRUE(browser.waitFor(QStringLiteral("document.querySelectorAll('tbody tr').length === 2"), 5000));
    EXPECT_TRUE(browser.screenshot(folder + QStringLiteral("/live-screen.png")));
}

TEST_F(LiveBrowser, TheSecondScreenClockRunsWhileTheRaceRuns)
{
    ASSERT_TRUE(browser.setViewport(1920, 1080));
    ASSERT_TRUE(browser.navigate(page(QStringLiteral("/anzeige"))));
    ASSERT_TRUE(browser.waitFor(QStringLiteral("document.querySelector('.clock').textContent === '0:00,0'"), 5000));
    ASSERT_TRUE(showActive(window.get()));
    key(Qt::Key_F5);
    ASSERT_TRUE(browser.waitFor(QStringLiteral("document.querySelector('.clock').textContent !== '0:00,0'"), 2000));
    const QString first = browser.evaluate(QStringLiteral("document.querySelector('.clock').textContent"))
                              .value_or(QJsonValue())
                              .toString();
    EXPECT_TRUE(browser.waitFor(
        QStringLiteral("document.querySelector('.clock').textContent !== '%1'").arg(first), 2000));
}
