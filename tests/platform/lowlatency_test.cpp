#include "platform/lowlatency.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

namespace {

using platform::LatencyRequest;

// A driver as the kernel presents it: a low-latency flag and a latency
// timer, each of which may be missing (ENOTTY, ENOENT) or refused (EPERM,
// EACCES).
struct FakeDriver : platform::LatencyControls {
    bool flag = false;
    int flagError = 0;
    int flagWriteError = 0;
    int timer = 16;
    int timerError = 0;
    int timerWriteError = 0;
    int writes = 0;

    int readLowLatencyFlag(bool& on) override
    {
        on = flag;
        return flagError;
    }
    int writeLowLatencyFlag(bool on) override
    {
        ++writes;
        if (flagError || flagWriteError)
            return flagError ? flagError : flagWriteError;
        flag = on;
        return 0;
    }
    int readLatencyTimer(int& ms) override
    {
        ms = timer;
        return timerError;
    }
    int writeLatencyTimer(int ms) override
    {
        ++writes;
        if (timerError || timerWriteError)
            return timerError ? timerError : timerWriteError;
        timer = ms;
        return 0;
    }
};

struct LatencyCase {
    const char* name;
    FakeDriver driver;
    LatencyRequest expected;
    bool flagWhileOpen;
    int timerWhileOpen;
};

class AdapterLatency : public ::testing::TestWithParam<LatencyCase> {};

// Open asks, close puts back exactly what was there; a driver that refuses
// changes nothing and is no error.
TEST_P(AdapterLatency, OpenAsksForLowLatencyAndCloseRestoresIt)
{
    const LatencyCase& c = GetParam();
    FakeDriver driver = c.driver;
    platform::LowLatency lowLatency;
    EXPECT_EQ(lowLatency.request(driver), c.expected);
    EXPECT_EQ(driver.flag, c.flagWhileOpen);
    EXPECT_EQ(driver.timer, c.timerWhileOpen);
    lowLatency.restore(driver);
    EXPECT_EQ(driver.flag, c.driver.flag);
    EXPECT_EQ(driver.timer, c.driver.timer);
    const int writes = driver.writes;
    lowLatency.restore(driver);  // a second close changes nothing
    EXPECT_EQ(driver.writes, writes);
}

FakeDriver driver(int flagError, int flagWriteError, int timer, int timerError, int timerWriteError, bool flag = false)
{
    FakeDriver d;
    d.flag = flag;
    d.flagError = flagError;
    d.flagWriteError = flagWriteError;
    d.timer = timer;
    d.timerError = timerError;
    d.timerWriteError = timerWriteError;
    return d;
}

INSTANTIATE_TEST_SUITE_P(
    Table, AdapterLatency,
    ::testing::Values(
        LatencyCase{"FtdiTakesTheFlag", driver(0, 0, 16, 0, 0), LatencyRequest::DriverFlag, true, 16},
        LatencyCase{"FlagAlreadyOn", driver(0, 0, 16, 0, 0, true), LatencyRequest::DriverFlag, true, 16},
        LatencyCase{"FlagRefusedTimerWritable", driver(0, EPERM, 16, 0, 0), LatencyRequest::LatencyTimer, false, 1},
        LatencyCase{"NoFlagTimerWritable", driver(ENOTTY, 0, 16, 0, 0), LatencyRequest::LatencyTimer, false, 1},
        LatencyCase{"TimerAlreadyShort", driver(ENOTTY, 0, 1, 0, 0), LatencyRequest::LatencyTimer, false, 1},
        LatencyCase{"TimerNotWritable", driver(ENOTTY, 0, 16, 0, EACCES), LatencyRequest::None, false, 16},
        LatencyCase{"Neither", driver(ENOTTY, 0, 16, ENOENT, 0), LatencyRequest::None, false, 16}),
    [](const ::testing::TestParamInfo<LatencyCase>& info) { return std::string(info.param.name); });

TEST(LatencyTimerFile, IsFoundUnderTheKernelNameOfTheDevice)
{
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("ttyUSB0"));
    QFile file(device);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QFile::link(device, dir.filePath(QStringLiteral("usb-FTDI_barrier-if00-port0"))));
    EXPECT_EQ(platform::latencyTimerFile(dir.filePath(QStringLiteral("usb-FTDI_barrier-if00-port0")), QStringLiteral("/sysfs")),
              QStringLiteral("/sysfs/class/tty/ttyUSB0/device/latency_timer"));
    EXPECT_EQ(platform::latencyTimerFile(dir.filePath(QStringLiteral("gone"))), QString());
}

struct TimerText {
    const char* text;
    int error;
    int value;
};

class LatencyTimerText : public ::testing::TestWithParam<TimerText> {};

// What the file holds comes from outside: only a number the kernel would
// write is taken.
TEST_P(LatencyTimerText, OnlyAKernelNumberIsRead)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("latency_timer"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GetParam().text);
    file.close();
    int value = -1;
    EXPECT_EQ(platform::readLatencyTimerFile(path, value), GetParam().error);
    if (GetParam().error == 0) {
        EXPECT_EQ(value, GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, LatencyTimerText,
                         ::testing::Values(TimerText{"16\n", 0, 16}, TimerText{"1", 0, 1}, TimerText{"", EINVAL, 0},
                                           TimerText{"256\n", EINVAL, 0}, TimerText{"-1\n", EINVAL, 0},
                                           TimerText{"16 ms\n", EINVAL, 0},
                                           TimerText{"99999999999999999999", EINVAL, 0}));

}  // namespace
