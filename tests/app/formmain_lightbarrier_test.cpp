#include "app/formmain.h"
#include "app/frame1.h"
#include "controls/tag.h"
#include "platform/simulatedserialdevice.h"
#include "support/fakes.h"
#include "support/userinput.h"
#include "support/windowtest.h"
#include "timing/comport.h"
#include "timing/lightbarrier.h"

#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using platform::ModemLine;
using platform::ModemLines;
using platform::SimulatedSerialDevice;

// The whole path from a modem-line edge to a time row: the real serial
// worker on a simulated device, the trigger logic and the clock.
class WindowLightBarrier : public WindowTest {
protected:
    void SetUp() override
    {
        FormMainOptions options = windowOptions();
        options.deviceOpener = [this](int port) {
            openedPort = port;
            auto device = std::make_unique<SimulatedSerialDevice>(SimulatedSerialDevice::Clock::Virtual);
            device->setCapabilities(capabilities);
            device->scheduleLines(0, {});
            this->device = device.get();
            return platform::DeviceOpenResult{std::move(device), 0};
        };
        window = std::make_unique<TFormMain>(options);
        ASSERT_TRUE(showActive(window.get()));
        ASSERT_TRUE(window->openPort(3));
        EXPECT_EQ(openedPort, 3);
        dsr = std::make_unique<QSignalSpy>(window->comPort(), &TComPort::dsrChanged);
    }

    void TearDown() override
    {
        window->comPort()->Close();
    }

    // One DSR change, at the counter's present value; waits until the window
    // has handled it.
    void edge(bool on)
    {
        const int before = int(dsr->count());
        lineTick += 1000;
        device->scheduleLines(lineTick, on ? ModemLines(ModemLine::Dsr) : ModemLines());
        ASSERT_TRUE(QTest::qWaitFor([&] { return dsr->count() == before + 1; }, 5000));
    }
    void pass(double msLater)
    {
        counter.advanceMs(msLater);
        edge(true);
        counter.advanceMs(20);
        edge(false);
    }
    QLabel* picture(const char* name) { return window->findChild<QLabel*>(QString::fromLatin1(name)); }
    QString status() const
    {
        return window->statusBar()->findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text();
    }

    SimulatedSerialDevice::Capabilities capabilities;
    SimulatedSerialDevice* device = nullptr;
    std::unique_ptr<QSignalSpy> dsr;
    int openedPort = 0;
    qint64 lineTick = 0;
};

TEST_F(WindowLightBarrier, StartBarrierIsLockedUntilF11)
{
    EXPECT_TRUE(window->comPort()->isOpen());
    EXPECT_TRUE(picture("ImageLSstart")->isVisible());
    EXPECT_FALSE(picture("ImageLSstop")->isVisible());
    EXPECT_EQ(tagOf(picture("ImageLSstart")), 0);

    pass(10);
    EXPECT_EQ(window->rowCount(), 0);  // locked at start-up: the edge does nothing

    userKey(Qt::Key_F11);
    EXPECT_EQ(tagOf(picture("ImageLSstart")), 1);
    const qint64 startEdge = counter.now + qint64(5'000'000);
    counter.advanceMs(5);
    edge(true);
    EXPECT_EQ(window->rowCount(), 1);
    EXPECT_EQ(window->raceStartTick(), startEdge);
    EXPECT_FALSE(picture("ImageLSstart")->isVisible());
    EXPECT_TRUE(picture("ImageLSstop")->isVisible());
    counter.advanceMs(20);
    edge(false);
    EXPECT_EQ(window->rowCount(), 1);
}

TEST_F(WindowLightBarrier, EdgesTakeTimesWithTheLockOut)
{
    userKey(Qt::Key_F11);
    pass(0);
    ASSERT_EQ(window->rowCount(), 1);
    pass(61'230 - 20);  // 61.23 s after the start edge
    ASSERT_EQ(window->rowCount(), 2);
    EXPECT_EQ(window->row(2)->TimeRunden->text(), QStringLiteral("01:01,23"));
    pass(50 - 20);  // within the 100 ms lock-out of the last trigger
    EXPECT_EQ(window->rowCount(), 2);
    pass(200);
    EXPECT_EQ(window->rowCount(), 3);

    // F11 during the race locks the ZEIT barrier (once the lock-out timer
    // has armed it again); the key still takes times.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->lightBarrier()->isLockoutRunning(); }, 5000));
    EXPECT_EQ(tagOf(picture("ImageLSstop")), 1);
    userKey(Qt::Key_F11);
    pass(500);
    EXPECT_EQ(window->rowCount(), 3);
    userKey(Qt::Key_F6);
    EXPECT_EQ(window->rowCount(), 4);
}

TEST_F(WindowLightBarrier, ALostDeviceClosesThePortAndSaysSo)
{
    device->scheduleDisappearance(lineTick + 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->comPort()->isOpen(); }, 5000));
    EXPECT_EQ(status(), QStringLiteral("Lichtschranke an COM3 verloren"));
    EXPECT_FALSE(picture("ImageLSstart")->isVisible());
    EXPECT_FALSE(picture("ImageLSstop")->isVisible());

    // The adapter is plugged in again and the port opened: the text goes.
    ASSERT_TRUE(window->openPort(3));
    EXPECT_EQ(status(), QString());
    EXPECT_TRUE(picture("ImageLSstart")->isVisible());
}

TEST_F(WindowLightBarrier, EndAndResetGiveBackTheStartBarrier)
{
    userKey(Qt::Key_F11);
    pass(0);
    pass(1000);
    userKey(Qt::Key_F8);
    EXPECT_FALSE(picture("ImageLSstop")->isVisible());
    pass(1000);  // race ended: edges are ignored
    EXPECT_EQ(window->rowCount(), 2);
    userKey(Qt::Key_F7);
    EXPECT_EQ(window->rowCount(), 0);
    EXPECT_EQ(tagOf(picture("ImageLSstart")), 1);  // a reset arms the start barrier
    EXPECT_TRUE(picture("ImageLSstart")->isVisible());
    pass(1000);
    EXPECT_EQ(window->rowCount(), 1);
}

TEST_F(WindowLightBarrier, ReArmingByHandLetsTheNextEdgeCount)
{
    userKey(Qt::Key_F11);
    pass(0);
    pass(1000);
    ASSERT_EQ(window->rowCount(), 2);
    ASSERT_EQ(tagOf(picture("ImageLSstop")), 0);  // locked out after the trigger
    // The operator frees it at once: the picture says "frei", so the next
    // edge is a time even inside the lock-out.
    userClick(picture("ImageLSstop"));
    EXPECT_EQ(tagOf(picture("ImageLSstop")), 1);
    pass(30);
    EXPECT_EQ(window->rowCount(), 3);
    EXPECT_EQ(window->row(3)->TimeRunden->text(), QStringLiteral("00:01,07"));
}

TEST_F(WindowLightBarrier, AnEdgeOlderThanAStartByKeyIsDroppedAndTheNextCarStillCounts)
{
    userKey(Qt::Key_F11);
    userKey(Qt::Key_F5);
    const qint64 start = window->raceStartTick();
    // The edge was seen 5 ms before the key but reaches the window after it.
    window->lightBarrier()->ComPortDSR(true, start - 5'000'000);
    EXPECT_EQ(window->rowCount(), 1);
    EXPECT_EQ(tagOf(picture("ImageLSstop")), 1);  // still "frei"
    // A car 40 ms after the start, inside what would have been the lock-out
    // of the dropped edge.
    window->lightBarrier()->ComPortDSR(false, start + 20'000'000);
    window->lightBarrier()->ComPortDSR(true, start + 40'000'000);
    ASSERT_EQ(window->rowCount(), 2);
    EXPECT_EQ(window->row(2)->TimeRunden->text(), QStringLiteral("00:00,04"));
}

// Some adapters never signal a line change (their driver cannot wait): the
// barrier still works by polling, and the operator is told at what pace.
TEST_F(WindowLightBarrier, AnAdapterThatCannotWaitIsPolledAndTheStatusBarSaysSo)
{
    capabilities.modemWait = false;
    ASSERT_TRUE(window->openPort(3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->comPort()->isPolling() && !status().isEmpty(); }, 5000));
    EXPECT_EQ(status(), QStringLiteral("Lichtschranke an COM3: Abfrage alle 0,5 ms"));
    userKey(Qt::Key_F11);
    pass(0);
    EXPECT_EQ(window->rowCount(), 1);
    // Without a port there is nothing polled to speak of.
    ASSERT_TRUE(window->openPort(0));
    EXPECT_EQ(status(), QString());
}

}  // namespace

TEST_F(WindowLightBarrier, AnEdgeReportedAfterALaterKeyGoesAboveItAndTheMarksMoveWithTheRows)
{
    userKey(Qt::Key_F5);
    const qint64 start = window->raceStartTick();
    counter.advanceMs(10'000);
    userKey(Qt::Key_F6);
    counter.advanceMs(20'000);
    userKey(Qt::Key_F6);
    userClick(window->row(2)->buttons[1]);
    userClick(window->row(3)->buttons[1]);
    ASSERT_EQ(window->row(3)->labels[1]->text(), QStringLiteral("1"));

    // Seen 10 ms before the second key, handled after it.
    window->lightBarrier()->ComPortDSR(true, start + 29'990'000'000);
    ASSERT_EQ(window->rowCount(), 4);
    EXPECT_EQ(window->row(2)->TimeRunden->text(), QStringLiteral("00:10,00"));
    EXPECT_EQ(window->row(3)->TimeRunden->text(), QStringLiteral("00:29,99"));
    EXPECT_EQ(window->row(4)->TimeRunden->text(), QStringLiteral("00:30,00"));
    EXPECT_FALSE(window->row(3)->buttons[1]->isChecked());
    EXPECT_TRUE(window->row(4)->buttons[1]->isChecked());
    EXPECT_EQ(window->row(4)->labels[1]->text(), QStringLiteral("1"));
    EXPECT_EQ(window->lastZeitTick(), start + 30'000'000'000);
}
