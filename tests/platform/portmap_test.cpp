#include "platform/portmap.h"
#include "platform/settingsstore.h"

#include "support/testnames.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct RuleCase {
    int port;
    const char* device;  // relative to the device folder; "" for none
};

void PrintTo(const RuleCase& c, std::ostream* os)
{
    *os << "COM" << c.port << " -> " << (*c.device ? c.device : "none");
}

class PortMapRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(PortMapRule, MapsNumbersToDeviceFamilies)
{
    const RuleCase& c = GetParam();
    const platform::PortMap map(QStringLiteral("/fake/dev"));
    const QString expected = *c.device ? QStringLiteral("/fake/dev/") + QString::fromLatin1(c.device) : QString();
    EXPECT_EQ(map.devicePath(c.port), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PortMapRule,
    ::testing::Values(
        RuleCase{0, ""},
        RuleCase{1, "ttyS0"},
        RuleCase{3, "ttyS2"},
        RuleCase{4, "ttyS3"},
        RuleCase{5, "ttyUSB0"},
        RuleCase{10, "ttyUSB5"},
        RuleCase{11, "ttyACM0"},
        RuleCase{16, "ttyACM5"},
        RuleCase{17, ""},
        RuleCase{255, ""}),
    testnames::caseNames([](const RuleCase& c) {
        return "Com" + std::to_string(c.port) + "_" + (*c.device ? c.device : "None");
    }));

TEST(PortMapOverrides, FileReplacesRemovesAndIgnoresJunk)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ports.conf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# light barrier on the odd adapter\n"
               "COM3=/dev/serial/by-id/usb-barrier\n"
               "  com5 = /dev/ttyAMA0  \n"
               "COM11=\n"
               "COM20=/dev/ttyUSB9\n"
               "COM0=/dev/nothing\n"
               "nonsense line\n"
               "\n");
    file.close();

    platform::PortMap map(QStringLiteral("/dev"));
    ASSERT_TRUE(map.loadOverrides(path));
    EXPECT_EQ(map.devicePath(3), QStringLiteral("/dev/serial/by-id/usb-barrier"));
    EXPECT_EQ(map.devicePath(5), QStringLiteral("/dev/ttyAMA0"));
    EXPECT_EQ(map.devicePath(11), QString());  // taken away
    EXPECT_EQ(map.devicePath(20), QStringLiteral("/dev/ttyUSB9"));
    EXPECT_EQ(map.devicePath(0), QString());
    EXPECT_EQ(map.devicePath(1), QStringLiteral("/dev/ttyS0"));  // untouched
    EXPECT_FALSE(map.loadOverrides(dir.filePath(QStringLiteral("missing.conf"))));
}

TEST(PortMapOverrides, FileLocationFromEnvironmentOrXdgFolder)
{
    const QByteArray savedPorts = qgetenv("PYLONIX_PORTS_FILE");
    const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    qputenv("PYLONIX_PORTS_FILE", dir.filePath(QStringLiteral("mine.conf")).toLocal8Bit());
    EXPECT_EQ(platform::PortMap::overrideFilePath(), dir.filePath(QStringLiteral("mine.conf")));

    qunsetenv("PYLONIX_PORTS_FILE");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    EXPECT_EQ(platform::PortMap::overrideFilePath(), dir.path() + QStringLiteral("/Kronwerk/Pylonix.ports.conf"));

    // forCurrentUser reads that file, and the settings beside it are still saved.
    QDir().mkpath(dir.path() + QStringLiteral("/Kronwerk"));
    QFile file(platform::PortMap::overrideFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("COM2=/dev/ttyUSB3\n");
    file.close();
    EXPECT_EQ(platform::PortMap::forCurrentUser().devicePath(2), QStringLiteral("/dev/ttyUSB3"));
    platform::SettingsStore settings(QStringLiteral("Pylonix"), QString());
    settings.writeDword(QStringLiteral("Port"), 2);
    EXPECT_EQ(settings.save(), QString());
    EXPECT_EQ(platform::PortMap::forCurrentUser().devicePath(6), QStringLiteral("/dev/ttyUSB1"));

    if (savedPorts.isNull())
        qunsetenv("PYLONIX_PORTS_FILE");
    else
        qputenv("PYLONIX_PORTS_FILE", savedPorts);
    if (savedXdg.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", savedXdg);
}

}  // namespace
