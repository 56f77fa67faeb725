#include "platform/ttydevice.h"

#include "platform/modemwatcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <chrono>
#include "support/pty.h"
#include "support/testnames.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(TtyDeviceOpen, RefusesWhatIsNotATerminal)
{
    EXPECT_EQ(platform::TtyDevice::open(QStringLiteral("/nonexistent/ttyS9")).error, ENOENT);
    EXPECT_EQ(platform::TtyDevice::open(QStringLiteral("/dev/null")).error, ENOTTY);
    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("ttyS0")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const platform::TtyOpenResult result = platform::TtyDevice::open(plain.fileName());
    EXPECT_EQ(result.device, nullptr);
    EXPECT_EQ(result.error, ENOTTY);
}

TEST(TtyDeviceOpen, IsExclusiveUntilClosed)
{
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    platform::TtyOpenResult first = platform::TtyDevice::open(pty.path);
    ASSERT_NE(first.device, nullptr) << first.error;
    EXPECT_EQ(first.error, 0);

    const platform::TtyOpenResult second = platform::TtyDevice::open(pty.path);
    EXPECT_EQ(second.device, nullptr);
    EXPECT_EQ(second.error, EBUSY);

    first.device.reset();
    const platform::TtyOpenResult third = platform::TtyDevice::open(pty.path);
    EXPECT_NE(third.device, nullptr);
}

struct SettingsCase {
    platform::LineSettings settings;
    tcflag_t cflagSet;    // bits that must be set
    tcflag_t cflagClear;  // bits that must be clear
    tcflag_t iflagSet;
    speed_t speed;        // B0: a custom speed, not checked here
};

void PrintTo(const SettingsCase& c, std::ostream* os)
{
    const platform::LineSettings& s = c.settings;
    *os << s.baudRate << " baud, " << s.dataBits << " data bits, parity " << int(s.parity) << ", stop bits "
        << int(s.stopBits) << ", flow control " << int(s.flowControl);
}

platform::LineSettings make(int baud, int bits, platform::Parity parity, platform::StopBits stop,
                            platform::FlowControl flow)
{
    platform::LineSettings s;
    s.baudRate = baud;
    s.dataBits = bits;
    s.parity = parity;
    s.stopBits = stop;
    s.flowControl = flow;
    return s;
}

class TtyDeviceSettings : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(TtyDeviceSettings, AppliesTermios)
{
    const SettingsCase& c = GetParam();
    Pty pty;
    ASSERT_FALSE(pty.path.isEmpty());
    platform::TtyOpenResult opened = platform::TtyDevice::open(pty.path);
    ASSERT_NE(opened.device, nullptr);
    // A pty has no DTR; that must not make the settings fail.
    ASSERT_EQ(opened.device->applySettings(c.settings), 0);

    termios tio {};
    ASSERT_EQ(tcgetattr(opened.device->fileDescriptor(), &tio), 0);
    // The pty driver always clears PARENB, so only the other bits can be
    // checked here; PARODD and CMSPAR still tell the parities apart.
    const tcflag_t set = c.cflagSet & ~tcflag_t(PARENB);
    EXPECT_EQ(tio.c_cflag & set, set);
    EXPECT_EQ(tio.c_cflag & c.cflagClear & ~tcflag_t(PARENB), tcflag_t(0));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), c.iflagSet);
    EXPECT_TRUE(tio.c_cflag & CLOCAL);
    EXPECT_TRUE(tio.c_cflag & CREAD);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), tcflag_t(0));  // raw
    if (c.speed != B0) {
        EXPECT_EQ(cfgetospeed(&tio), c.speed);
        EXPECT_EQ(cfgetispeed(&tio), c.speed);
    }
}

using P = platform::Parity;
using S = platform::StopBits;
using F = platform::FlowControl;

INSTANTIATE_TEST_SUITE_P(Table, TtyDeviceSettings,
    ::testing::Values(
        // The light barrier's own line: 9600 8N1, RTS/CTS.
        SettingsCase{make(9600, 8, P::None, S::One, F::RtsCts), CS8 | CRTSCTS, PARENB | CSTOPB, 0, B9600},
        SettingsCase{make(19200, 7, P::Even, S::Two, F::None), CS7 | PARENB | CSTOPB, PARODD | CRTSCTS, 0, B19200},
        SettingsCase{make(110, 5, P::Odd, S::OneAndHalf, F::XonXoff), CS5 | PARENB | PARODD | CSTOPB, CRTSCTS,
                     IXON | IXOFF, B110},
        SettingsCase{make(115200, 6, P::Mark, S::One, F::None), CS6 | PARENB | PARODD | CMSPAR, CSTOPB, 0, B115200},
        SettingsCase{make(57600, 8, P::Space, S::One, F::None), CS8 | PARENB | CMSPAR, PARODD, 0, B57600},
        // Speeds without a Bxxx constant go through termios2.
        SettingsCase{make(14400, 8, P::None, S::One, F::None), CS8, PARENB, 0, B0},
        SettingsCase{make(256000, 8, P::None, S::One, F::None), CS8, PARENB, 0, B0}),
    testnames::caseNames([](const SettingsCase& c) {
        const platform::LineSettings& s = c.settings;
        const char* parity[] = {"N", "O", "E", "M", "S"};
        const char* stop[] = {"1", "1_5", "2"};
        const char* flow[] = {"NoFlow", "RtsCts", "XonXoff"};
        return "Baud" + std::to_string(s.baudRate) + "_" + std::to_string(s.dataBits) + parity[int(s.parity)]
               + stop[int(s.stopBits)] + "_" + flow[int(s.flowControl)];
    }));

TEST(TtyDeviceSettingsErrors, RejectsANonPositiveSpeed)
{
    Pty pty;
    platform::TtyOpenResult opened = platform::TtyDevice::open(pty.path);
    ASSERT_NE(opened.device, nullptr);
    EXPECT_EQ(opened.device->applySettings(make(0, 8, P::None, S::One, F::None)), EINVAL);
}

TEST(TtyDeviceModemLines, TranslateToAndFromTheKernelBits)
{
    using platform::ModemLine;
    const std::pair<ModemLine, int> pairs[] = {
        {ModemLine::Dtr, TIOCM_DTR}, {ModemLine::Rts, TIOCM_RTS}, {ModemLine::Cts, TIOCM_CTS},
        {ModemLine::Dsr, TIOCM_DSR}, {ModemLine::Ring, TIOCM_RNG}, {ModemLine::Dcd, TIOCM_CD}};
    for (const auto& [line, bit] : pairs) {
        EXPECT_EQ(platform::kernelModemBits(line), bit);
        EXPECT_EQ(platform::modemLinesFromKernel(bit), platform::ModemLines(line));
    }
    EXPECT_EQ(platform::kernelModemBits(ModemLine::Dsr | ModemLine::Dcd), TIOCM_DSR | TIOCM_CD);
    // Bits without a name of ours (loopback, secondary lines) are dropped.
    EXPECT_EQ(platform::modemLinesFromKernel(TIOCM_LE | TIOCM_ST | TIOCM_SR | TIOCM_CTS),
              platform::ModemLines(ModemLine::Cts));
}

TEST(TtyDeviceModemLines, APtyCannotWaitSoTheWatcherFallsBackAndThenFails)
{
    Pty pty;
    platform::TtyOpenResult opened = platform::TtyDevice::open(pty.path);
    ASSERT_NE(opened.device, nullptr);
    platform::TtyDevice& device = *opened.device;
    platform::ModemLines lines;
    platform::ModemCounters counters;
    EXPECT_EQ(device.waitForChange(platform::ModemLine::Dsr), ENOTTY);
    EXPECT_EQ(device.readCounters(counters), ENOTTY);
    EXPECT_EQ(device.readLines(lines), ENOTTY);

    // Without any modem lines there is nothing to watch: the watcher reports
    // the error instead of spinning.
    platform::ModemWatcher watcher(device, platform::ModemLine::Dsr, [] { return qint64(0); });
    std::vector<platform::ModemChange> changes;
    std::atomic<bool> stop{false};
    EXPECT_EQ(watcher.next(changes, stop), ENOTTY);
    EXPECT_TRUE(changes.empty());
}

QByteArray fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A pty has no serial driver: the low-latency flag is refused and the
// adapter's latency_timer is used instead, here in a stand-in sysfs folder.
// Close puts the adapter's own value back; with neither, the port opens all
// the same.
TEST(TtyDeviceLatency, OpenShortensTheAdaptersLatencyTimerAndCloseRestoresIt)
{
    Pty pty;
    QTemporaryDir sysfs;
    const QString name = QFileInfo(QFileInfo(pty.path).canonicalFilePath()).fileName();
    const QString folder = sysfs.filePath(QStringLiteral("class/tty/") + name + QStringLiteral("/device"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString timer = folder + QStringLiteral("/latency_timer");
    {
        QFile file(timer);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("16\n");
    }
    {
        const platform::TtyOpenResult opened = platform::TtyDevice::open(pty.path, sysfs.path());
        ASSERT_NE(opened.device, nullptr) << opened.error;
        EXPECT_EQ(opened.device->latencyRequest(), platform::LatencyRequest::LatencyTimer);
        EXPECT_EQ(fileText(timer), QByteArray("1\n"));
    }
    EXPECT_EQ(fileText(timer), QByteArray("16\n"));

    QTemporaryDir noSysfs;
    const platform::TtyOpenResult plain = platform::TtyDevice::open(pty.path, noSysfs.path());
    ASSERT_NE(plain.device, nullptr) << plain.error;
    EXPECT_EQ(plain.device->latencyRequest(), platform::LatencyRequest::None);
}

TEST(TtyDeviceWake, InterruptEndsABlockedPause)
{
    Pty pty;
    platform::TtyOpenResult opened = platform::TtyDevice::open(pty.path);
    ASSERT_NE(opened.device, nullptr);
    platform::TtyDevice& device = *opened.device;
    std::atomic<int> result{-1};
    std::atomic<bool> entered{false};
    std::thread worker([&] {
        entered = true;
        result = device.pause(20'000'000'000);  // 20 s: only the wake signal ends it early
    });
    // Repeat the wake-up until it lands, as the serial worker's stop does.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (result.load() == -1 && std::chrono::steady_clock::now() < deadline) {
        if (entered)
            device.interrupt();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_EQ(result.load(), EINTR);
}

// Runs only when PYLONIX_TEST_PORT names a real serial device, e.g.
// PYLONIX_TEST_PORT=/dev/ttyUSB0.
TEST(TtyDeviceRealPort, OpensSetsAndReadsTheModemLines)
{
    const QByteArray port = qgetenv("PYLONIX_TEST_PORT");
    if (port.isEmpty())
        GTEST_SKIP() << "PYLONIX_TEST_PORT not set";
    platform::TtyOpenResult opened = platform::TtyDevice::open(QString::fromLocal8Bit(port));
    ASSERT_NE(opened.device, nullptr) << platform::systemErrorText(opened.error).toStdString();
    platform::LineSettings settings;
    settings.flowControl = platform::FlowControl::RtsCts;
    ASSERT_EQ(opened.device->applySettings(settings), 0);
    platform::ModemLines lines;
    ASSERT_EQ(opened.device->readLines(lines), 0);
    EXPECT_TRUE(lines.testFlag(platform::ModemLine::Dtr));

    // The watcher must stop promptly whichever way the driver waits.
    platform::ModemWatcher watcher(*opened.device, platform::ModemLine::Dsr, [] { return qint64(0); });
    std::atomic<bool> stop{false};
    std::atomic<int> result{-1};
    std::thread worker([&] {
        std::vector<platform::ModemChange> changes;
        int r = 0;
        while ((r = watcher.next(changes, stop)) == 0) {
        }
        result = r;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    stop = true;
    while (result.load() == -1) {
        opened.device->interrupt();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_EQ(result.load(), ECANCELED);
}

}  // namespace
