#include "platform/portprobe.h"

#include "platform/portmap.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include "support/pty.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Another program holding a device open: a child process that opens it
// and waits until the pipe is closed.
class Holder {
public:
    explicit Holder(const QString& path)
    {
        int ready[2];
        if (pipe(ready) != 0 || pipe(m_release) != 0)
            return;
        const QByteArray device = path.toLocal8Bit();
        m_pid = fork();
        if (m_pid == 0) {
            // Keep only the pipes: the parent's other devices are not ours.
            for (int fd = 3; fd < 1024; ++fd) {
                if (fd != ready[1] && fd != m_release[0])
                    close(fd);
            }
            const int fd = open(device.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            const char ok = fd >= 0 ? 'y' : 'n';
            (void)!write(ready[1], &ok, 1);
            char c;
            close(m_release[1]);
            (void)!read(m_release[0], &c, 1);
            _exit(0);
        }
        close(ready[1]);
        close(m_release[0]);
        char c = 0;
        m_holding = read(ready[0], &c, 1) == 1 && c == 'y';
        close(ready[0]);
    }
    ~Holder()
    {
        if (m_pid > 0) {
            close(m_release[1]);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool holding() const { return m_holding; }

private:
    pid_t m_pid = -1;
    int m_release[2] = {-1, -1};
    bool m_holding = false;
};

class PortProbe : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_FALSE(m_first.path.isEmpty());
        ASSERT_FALSE(m_third.path.isEmpty());
    }
    void link(const QString& target, const char* name)
    {
        ASSERT_TRUE(QFile::link(target, m_dir.filePath(QString::fromLatin1(name))));
    }
    QString dev(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir m_dir;
    Pty m_first;
    Pty m_third;
};

TEST_F(PortProbe, ReportsFreeTerminalsInTheResultFormat)
{
    link(m_first.path, "ttyS0");
    link(m_third.path, "ttyS2");
    const platform::PortMap map(m_dir.path());
    // COM1 and COM3: bits 0 and 2, and 3 in the high half.
    EXPECT_EQ(platform::findComPorts(map, {}), 196613u);
}

TEST_F(PortProbe, SkipsWhatIsNotAUsableTerminal)
{
    QFile plain(dev("ttyS1"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));  // exists, but a regular file
    plain.close();
    link(QStringLiteral("/dev/null"), "ttyS3");      // character device, not a terminal
    link(dev("nowhere"), "ttyUSB0");                 // dangling link
    ASSERT_EQ(mkdir(dev("ttyUSB1").toLocal8Bit().constData(), 0700), 0);  // a folder
    const platform::PortMap map(m_dir.path());
    EXPECT_EQ(platform::findComPorts(map, {}), 0u);

    link(m_third.path, "ttyACM5");  // COM16, the highest number
    EXPECT_EQ(platform::findComPorts(map, {}), (16u << 16) | (1u << 15));
}

TEST_F(PortProbe, SkipsPortsHeldByOthers)
{
    link(m_first.path, "ttyS0");
    link(m_third.path, "ttyUSB0");  // COM5
    const platform::PortMap map(m_dir.path());

    {
        // Another program has COM5 open.
        Holder holder(m_third.path);
        ASSERT_TRUE(holder.holding());
        struct stat st {};
        ASSERT_EQ(stat(m_third.path.toLocal8Bit().constData(), &st), 0);
        const QSet<quint64> held = platform::devicesHeldByOthers({{m_third.path.toLocal8Bit(), quint64(st.st_rdev)}});
        EXPECT_TRUE(held.contains(quint64(st.st_rdev)));
        EXPECT_EQ(platform::findComPorts(map, held), (1u << 16) | 1u);
        // The probe on its own finds the holder too.
        EXPECT_EQ(platform::probeComPorts(map), (1u << 16) | 1u);
    }
    {
        // A second copy of this program holds the lock on COM1.
        const int fd = open(m_first.path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
        EXPECT_EQ(platform::findComPorts(map, {}), (5u << 16) | (1u << 4));
        close(fd);
    }
    // This process's own descriptors never count as someone else's.
    EXPECT_EQ(platform::probeComPorts(map), (5u << 16) | (1u << 4) | 1u);
}

TEST(PortProbeFolder, ReadsDescriptorsFromAFakeProcFolder)
{
    QTemporaryDir proc;
    ASSERT_TRUE(proc.isValid());
    QDir(proc.path()).mkpath(QStringLiteral("4242/fd"));
    QDir(proc.path()).mkpath(QStringLiteral("self/fd"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), proc.filePath(QStringLiteral("4242/fd/3"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), proc.filePath(QStringLiteral("self/fd/3"))));
    QFile regular(proc.filePath(QStringLiteral("4242/fd/4")));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();

    struct stat st {};
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_EQ(platform::devicesHeldByOthers({{"/dev/null", quint64(st.st_rdev)}}, proc.path()),
              QSet<quint64>{quint64(st.st_rdev)});
    // Devices that are not candidates are not reported.
    EXPECT_TRUE(platform::devicesHeldByOthers({{"/dev/zero", 5}}, proc.path()).isEmpty());
}

}  // namespace
