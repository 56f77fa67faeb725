// The port probe at start-up on a busy machine: another process holds 20 000
// descriptors open. Prints the median time of the probe with no port device
// present, with one present (a pseudo-terminal), and, for comparison, of a
// look at every descriptor of the machine.
#include "descriptorholder.h"
#include "platform/portmap.h"
#include "platform/portprobe.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kHeld = 20000;

// What the probe did before: a stat of every descriptor of every process.
int statEveryDescriptor()
{
    int devices = 0;
    DIR* proc = opendir("/proc");
    while (const dirent* entry = proc ? readdir(proc) : nullptr) {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(QString::fromLatin1(entry->d_name)));
        for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            struct stat st {};
            if (stat(fds.filePath(fd).toLocal8Bit().constData(), &st) == 0 && S_ISCHR(st.st_mode))
                ++devices;
        }
    }
    if (proc)
        closedir(proc);
    return devices;
}

template <typename F>
double medianMs(F&& run)
{
    std::vector<double> times;
    for (int i = 0; i < 9; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const DescriptorHolder holder(kHeld);
    std::printf("holder keeps %d descriptors open\n", holder.opened());

    QTemporaryDir empty;
    QTemporaryDir withPort;
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) == 0)
        QFile::link(QString::fromLocal8Bit(name), QDir(withPort.path()).filePath(QStringLiteral("ttyUSB0")));

    const platform::PortMap none(empty.path());
    const platform::PortMap one(withPort.path());
    std::printf("probe, no port device: median %.2f ms\n", medianMs([&] { platform::probeComPorts(none); }));
    std::printf("probe, one port device: median %.2f ms\n", medianMs([&] { platform::probeComPorts(one); }));
    std::printf("stat of every descriptor (the former probe): median %.2f ms\n",
                medianMs([] { statEveryDescriptor(); }));
    return 0;
}
