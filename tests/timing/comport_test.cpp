#include "timing/comport.h"

#include "platform/simulatedserialdevice.h"
#include "support/testnames.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

namespace {

using platform::ModemLine;
using platform::ModemLines;
using platform::SimulatedSerialDevice;

constexpr qint64 kMs = 1'000'000;

// Lets queued events arrive; gives up after a generous limit.
template <typename Predicate>
bool waitUntil(Predicate done, int limitMs = 5000)
{
    QDeadlineTimer deadline(limitMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// A simulated device that tells the test when the port has let it go.
class TrackedDevice : public SimulatedSerialDevice {
public:
    TrackedDevice(std::shared_ptr<bool> released, ModemLines initialLines)
        : SimulatedSerialDevice(Clock::Virtual, initialLines)
        , m_released(std::move(released))
    {
    }
    ~TrackedDevice() override { *m_released = true; }

private:
    std::shared_ptr<bool> m_released;
};

class ComPortTest : public ::testing::Test {
protected:
    // Each open gets a fresh simulated device; the test keeps a pointer to
    // the latest one while the port owns it.
    void SetUp() override
    {
        m_port.setDeviceOpener([this](int port) {
            m_openedPort = port;
            platform::DeviceOpenResult result;
            if (m_openError) {
                result.error = m_openError;
                return result;
            }
            m_released = std::make_shared<bool>(false);
            auto device = std::make_unique<TrackedDevice>(m_released, m_initialLines);
            device->setCapabilities(m_capabilities);
            device->setSettingsError(m_settingsError);
            m_device = device.get();
            result.device = std::move(device);
            return result;
        });
        m_port.setTickSource([this] { return m_device ? m_device->now() : 0; });
    }
    void TearDown() override { m_port.Close(); }

    // Records the port's events in the order the owner sees them.
    void record()
    {
        QObject::connect(&m_port, &TComPort::opened, [this] { m_log.push_back("open"); });
        QObject::connect(&m_port, &TComPort::closed, [this] { m_log.push_back("close"); });
        QObject::connect(&m_port, &TComPort::lineLost, [this](const QString& error) {
            m_log.push_back("lost " + error.toStdString());
        });
        QObject::connect(&m_port, &TComPort::fellBackToPolling, [this] { m_log.push_back("polling"); });
        QObject::connect(&m_port, &TComPort::dsrChanged, [this](bool on, qint64 tick) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            m_dsr.emplace_back(on, tick);
        });
    }

    TComPort m_port;
    SimulatedSerialDevice* m_device = nullptr;
    std::shared_ptr<bool> m_released;
    int m_openedPort = -1;
    int m_openError = 0;
    int m_settingsError = 0;
    ModemLines m_initialLines;
    SimulatedSerialDevice::Capabilities m_capabilities;
    std::vector<std::string> m_log;
    std::vector<std::pair<bool, qint64>> m_dsr;
};

TEST(ComPortProperties, ConstructorValues)
{
    TComPort port;
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.BaudRateUser(), 9600);
    EXPECT_EQ(port.Port(), 1);
    EXPECT_EQ(port.Parity(), prNone);
    EXPECT_EQ(port.StopBits(), sbOneStopBit);
    EXPECT_EQ(port.FlowControl(), fcNone);
    EXPECT_EQ(port.DataBits(), 8);
    EXPECT_EQ(port.Events(), kAllEvents);
    EXPECT_TRUE(port.EnableDTR());
    EXPECT_EQ(port.WriteBufSize(), 2048);
    EXPECT_EQ(port.ReadBufSize(), 2048);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.ModemStatus(), 0u);
}

class ComPortDataBits : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(ComPortDataBits, Clamps)
{
    TComPort port;
    port.setDataBits(GetParam().first);
    EXPECT_EQ(port.DataBits(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Table, ComPortDataBits,
    ::testing::Values(std::pair{9, 8}, std::pair{4, 5}, std::pair{0, 5}, std::pair{255, 8},
                      std::pair{-3, 5}, std::pair{5, 5}, std::pair{6, 6}, std::pair{7, 7}, std::pair{8, 8}),
    testnames::caseNames([](const std::pair<int, int>& c) {
        return "Set " + std::to_string(c.first) + " gives " + std::to_string(c.second);
    }));

TEST(ComPortMasks, EventSetsGiveTheCommMaskAndTheWatchedLines)
{
    const TEvents window = eventBit(evRing) | eventBit(evCTS) | eventBit(evDSR) | eventBit(evRLSD);
    EXPECT_EQ(commEventMask(window), 312u);
    EXPECT_EQ(commEventMask(kAllEvents), 511u);
    EXPECT_EQ(commEventMask(eventBit(evRxFlag)), 2u);
    EXPECT_EQ(commEventMask(eventBit(evTxEmpty)), 4u);
    EXPECT_EQ(commEventMask(0), 0u);
    EXPECT_EQ(watchedLines(window), ModemLine::Ring | ModemLine::Cts | ModemLine::Dsr | ModemLine::Dcd);
    EXPECT_EQ(watchedLines(eventBit(evDSR) | eventBit(evRxChar)), ModemLine::Dsr);
    EXPECT_EQ(baudRateValue(br110), 110);
    EXPECT_EQ(baudRateValue(br14400), 14400);
    EXPECT_EQ(baudRateValue(br256000), 256000);
    EXPECT_EQ(baudRateValue(brUser), 0);
}

TEST_F(ComPortTest, OpenFailureGivesEComHandleAndLeavesThePortClosed)
{
    record();
    m_openError = ENOENT;
    m_port.setPort(3);
    const ComOpenResult result = m_port.tryOpen();
    EXPECT_EQ(result.failure, ComOpenResult::Handle);
    EXPECT_EQ(result.message, QStringLiteral("Unable to open com port: No such file or directory"));
    EXPECT_EQ(m_openedPort, 3);
    EXPECT_FALSE(m_port.isOpen());

    m_openError = EBUSY;
    try {
        m_port.Open();
        FAIL() << "no exception";
    } catch (const EComHandle& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unable to open com port: Device or resource busy"));
    }
    EXPECT_FALSE(m_port.isOpen());
    EXPECT_TRUE(m_log.empty());
}

TEST_F(ComPortTest, SettingsFailureGivesEComStateAndReleasesTheDevice)
{
    record();
    m_settingsError = EINVAL;
    const ComOpenResult result = m_port.tryOpen();
    EXPECT_EQ(result.failure, ComOpenResult::State);
    EXPECT_EQ(result.message, QStringLiteral("Unable to set com state: Invalid argument"));
    EXPECT_TRUE(*m_released);
    EXPECT_FALSE(m_port.isOpen());
    EXPECT_THROW(m_port.Open(), EComState);
    EXPECT_TRUE(m_log.empty());
}

TEST_F(ComPortTest, HandsTheLineSettingsDown)
{
    m_port.setBaudRate(brUser);
    m_port.setBaudRateUser(31250);
    m_port.setDataBits(7);
    m_port.setParity(prMark);
    m_port.setStopBits(sbTwoStopBits);
    m_port.setFlowControl(fcRtsCts);
    m_port.setEnableDTR(true);
    ASSERT_TRUE(m_port.tryOpen().ok());
    const platform::LineSettings s = m_device->lastSettings();
    EXPECT_EQ(s.baudRate, 31250);
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.parity, platform::Parity::Mark);
    EXPECT_EQ(s.stopBits, platform::StopBits::Two);
    EXPECT_EQ(s.flowControl, platform::FlowControl::RtsCts);
    EXPECT_TRUE(s.dtr);

    m_port.setBaudRate(br56000);
    m_port.setFlowControl(fcXonXoff);
    m_port.setEnableDTR(false);
    ASSERT_TRUE(m_port.tryOpen().ok());
    EXPECT_EQ(m_device->lastSettings().baudRate, 56000);
    EXPECT_EQ(m_device->lastSettings().flowControl, platform::FlowControl::XonXoff);
    EXPECT_FALSE(m_device->lastSettings().dtr);
}

TEST_F(ComPortTest, OpeningAnOpenPortClosesItFirst)
{
    record();
    ASSERT_TRUE(m_port.tryOpen().ok());
    EXPECT_TRUE(m_port.isOpen());
    auto firstReleased = m_released;
    m_port.Open();
    EXPECT_TRUE(*firstReleased);
    EXPECT_TRUE(m_port.isOpen());
    EXPECT_EQ(m_log, (std::vector<std::string>{"open", "close", "open"}));

    m_port.Close();
    m_port.Close();  // nothing more: it is not open
    EXPECT_EQ(m_log, (std::vector<std::string>{"open", "close", "open", "close"}));
    EXPECT_TRUE(*m_released);
    EXPECT_FALSE(m_port.isOpen());
}

TEST_F(ComPortTest, DsrEdgesArriveOnTheOwnersThreadWithTheirTicksInOrder)
{
    record();
    ASSERT_TRUE(m_port.tryOpen().ok());
    m_device->scheduleLines(100 * kMs, ModemLine::Dsr);
    m_device->scheduleLines(180 * kMs, {});
    m_device->scheduleLines(250 * kMs + 7, ModemLine::Dsr);
    ASSERT_TRUE(waitUntil([this] { return m_dsr.size() >= 3; }));
    const std::vector<std::pair<bool, qint64>> expected = {{true, 100 * kMs}, {false, 180 * kMs}, {true, 250 * kMs + 7}};
    EXPECT_EQ(m_dsr, expected);
    EXPECT_FALSE(m_port.isPolling());
}

TEST_F(ComPortTest, TheWorkerNeverWaitsForABusyOwner)
{
    record();
    ASSERT_TRUE(m_port.tryOpen().ok());
    // The owner does not look at its events while all 200 edges happen.
    ModemLines lines;
    for (int i = 1; i <= 200; ++i) {
        lines ^= ModemLine::Dsr;
        m_device->scheduleLines(i * 10 * kMs, lines);
    }
    const QDeadlineTimer deadline(5000);
    while (m_device->hasPendingScript() && !deadline.hasExpired())
        QThread::yieldCurrentThread();
    EXPECT_FALSE(m_device->hasPendingScript());
    EXPECT_TRUE(m_dsr.empty());

    ASSERT_TRUE(waitUntil([this] { return m_dsr.size() >= 200; }));
    ASSERT_EQ(m_dsr.size(), 200u);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(m_dsr[i].first, i % 2 == 0);
        EXPECT_EQ(m_dsr[i].second, (i + 1) * 10 * kMs);
    }
}

TEST_F(ComPortTest, OnlySelectedEventsAreRaised)
{
    record();
    QSignalSpy cts(&m_port, &TComPort::ctsChanged);
    QSignalSpy ring(&m_port, &TComPort::ring);
    m_port.setEvents(eventBit(evCTS) | eventBit(evRing));
    ASSERT_TRUE(m_port.tryOpen().ok());
    m_device->scheduleLines(1 * kMs, ModemLine::Dsr);
    m_device->scheduleLines(2 * kMs, ModemLine::Dsr | ModemLine::Cts);
    m_device->scheduleLines(3 * kMs, ModemLine::Dsr | ModemLine::Cts | ModemLine::Ring);
    ASSERT_TRUE(waitUntil([&] { return cts.size() == 1 && ring.size() == 1; }));
    EXPECT_EQ(cts.at(0).at(0).toBool(), true);
    EXPECT_EQ(cts.at(0).at(1).toLongLong(), 2 * kMs);
    EXPECT_EQ(ring.at(0).at(0).toLongLong(), 3 * kMs);
    EXPECT_TRUE(m_dsr.empty());
    EXPECT_EQ(m_port.ModemStatus(), MS_DSR_ON | MS_CTS_ON | MS_RING_ON);
}

TEST_F(ComPortTest, ModemStatusMapsTheLines)
{
    m_initialLines = ModemLine::Dsr | ModemLine::Dcd | ModemLine::Dtr;
    ASSERT_TRUE(m_port.tryOpen().ok());
    EXPECT_EQ(m_port.ModemStatus(), MS_DSR_ON | MS_RLSD_ON);
    m_port.Close();
    EXPECT_EQ(m_port.ModemStatus(), 0u);
}

TEST_F(ComPortTest, EventsPostedBeforeCloseAreDropped)
{
    record();
    ASSERT_TRUE(m_port.tryOpen().ok());
    m_device->scheduleLines(1 * kMs, ModemLine::Dsr);
    const QDeadlineTimer deadline(5000);
    while (m_device->hasPendingScript() && !deadline.hasExpired())
        QThread::yieldCurrentThread();
    m_port.Close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_dsr.empty());
    EXPECT_EQ(m_log, (std::vector<std::string>{"open", "close"}));
}

TEST_F(ComPortTest, AVanishedDeviceClosesThePortAndSaysSo)
{
    record();
    m_port.setPort(3);
    ASSERT_TRUE(m_port.tryOpen().ok());
    m_device->scheduleLines(10 * kMs, ModemLine::Dsr);
    m_device->scheduleDisappearance(20 * kMs);
    ASSERT_TRUE(waitUntil([this] { return m_log.size() >= 3; }));
    EXPECT_FALSE(m_port.isOpen());
    EXPECT_TRUE(*m_released);
    EXPECT_EQ(m_dsr.size(), 1u);  // the edge before it went is still delivered
    EXPECT_EQ(m_log, (std::vector<std::string>{"open", "close", "lost Input/output error"}));
}

TEST_F(ComPortTest, FallsBackToPollingWhenTheDriverCannotWait)
{
    record();
    m_capabilities.modemWait = false;
    m_port.setPollInterval(1'000'000);
    ASSERT_TRUE(m_port.tryOpen().ok());
    m_device->scheduleLines(5 * kMs + 1, ModemLine::Dsr);
    m_device->scheduleLines(9 * kMs + 400'000, {});
    ASSERT_TRUE(waitUntil([this] { return m_dsr.size() >= 2; }));
    EXPECT_TRUE(m_port.isPolling());
    EXPECT_TRUE(m_dsr[0].first);
    EXPECT_GE(m_dsr[0].second, 5 * kMs + 1);
    EXPECT_LE(m_dsr[0].second, 6 * kMs + 1);
    EXPECT_FALSE(m_dsr[1].first);
    EXPECT_GE(m_dsr[1].second, 9 * kMs + 400'000);
    EXPECT_LE(m_dsr[1].second, 10 * kMs + 400'000);
    EXPECT_EQ(m_log, (std::vector<std::string>{"open", "polling"}));  // said once
}

TEST_F(ComPortTest, CloseStopsAWorkerBlockedInEitherKindOfWait)
{
    ASSERT_TRUE(m_port.tryOpen().ok());
    while (m_device->waitCalls() == 0)
        QThread::yieldCurrentThread();
    m_port.Close();  // would hang here if the wake-up were lost
    EXPECT_FALSE(m_port.isOpen());

    m_capabilities.modemWait = false;
    ASSERT_TRUE(m_port.tryOpen().ok());
    while (m_device->pauseCalls() == 0)
        QThread::yieldCurrentThread();
    auto released = m_released;
    m_port.Close();
    EXPECT_TRUE(*released);
}

// The real device layer on a pseudo-terminal, found through the user's
// port map: it opens, but a pty has no modem lines, so the worker gives up
// and the port reports the loss instead of pretending to watch.
TEST(ComPortOnPty, APortWithoutModemLinesIsReportedLost)
{
    int master = -1;
    int slave = -1;
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    QTemporaryDir dir;
    const QString conf = dir.filePath(QStringLiteral("ports.conf"));
    QFile file(conf);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("COM7=") + name + "\nCOM8=\n");
    file.close();
    const QByteArray saved = qgetenv("PYLONIX_PORTS_FILE");
    qputenv("PYLONIX_PORTS_FILE", conf.toLocal8Bit());

    {
        TComPort port;
        port.setPort(7);
        QSignalSpy lost(&port, &TComPort::lineLost);
        ASSERT_TRUE(port.tryOpen().ok());
        TComPort second;
        second.setPort(7);
        EXPECT_EQ(second.tryOpen().message, QStringLiteral("Unable to open com port: Device or resource busy"));
        ASSERT_TRUE(waitUntil([&] { return lost.size() == 1; }));
        EXPECT_EQ(lost.at(0).at(0).toString(), QStringLiteral("Inappropriate ioctl for device"));
        EXPECT_FALSE(port.isOpen());
        port.setPort(8);  // taken away by the override file
        EXPECT_EQ(port.tryOpen().message, QStringLiteral("Unable to open com port: No such file or directory"));
    }

    if (saved.isNull())
        qunsetenv("PYLONIX_PORTS_FILE");
    else
        qputenv("PYLONIX_PORTS_FILE", saved);
    close(slave);
    close(master);
}

}  // namespace
