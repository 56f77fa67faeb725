#pragma once

#include "platform/lowlatency.h"
#include "platform/serialdevice.h"

#include <QString>
#include <atomic>
#include <memory>
#include <pthread.h>

namespace platform {

class TtyDevice;

struct TtyOpenResult {
    std::unique_ptr<TtyDevice> device;  // null on failure
    int error = 0;
};

// A serial terminal (/dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM*, or a pty in
// tests) opened for modem-line watching.
//
// Exclusive use: TIOCEXCL keeps other programs out (root is exempt from it),
// and an advisory flock() also keeps out a second copy of this program even
// when it runs as root.
//
// Waking the worker: TIOCMIWAIT sleeps in the kernel and only a signal gets
// it out, so the waiting thread is sent SIGRTMIN+2 whose handler does nothing
// and is installed without SA_RESTART; the ioctl then fails with EINTR.
//
// Speed: the driver is asked for low latency at open (see LowLatency), so a
// USB adapter hands a line change on within 1 ms instead of its 16 ms
// default; what was changed is put back at close.
class TtyDevice final : public SerialDevice {
public:
    // sysfsRoot: where the adapter's latency_timer is looked for.
    static TtyOpenResult open(const QString& path, const QString& sysfsRoot = QStringLiteral("/sys"));
    ~TtyDevice() override;

    TtyDevice(const TtyDevice&) = delete;
    TtyDevice& operator=(const TtyDevice&) = delete;

    int applySettings(const LineSettings& settings) override;
    int waitForChange(ModemLines lines) override;
    int readCounters(ModemCounters& counters) override;
    int readLines(ModemLines& lines) override;
    int pause(qint64 nanoseconds) override;
    void interrupt() override;
    void purge() override;

    int fileDescriptor() const { return m_fd; }
    // How the driver was asked for low latency when the port opened.
    LatencyRequest latencyRequest() const { return m_latencyRequest; }

    // The signal used to wake a thread blocked in waitForChange.
    static int wakeSignal();

private:
    explicit TtyDevice(int fd);
    void noteWaiter();

    int m_fd = -1;
    QString m_latencyTimerFile;
    LowLatency m_lowLatency;
    LatencyRequest m_latencyRequest = LatencyRequest::None;
    std::atomic<bool> m_hasWaiter{false};
    pthread_t m_waiter{};
};

// The kernel's TIOCM_* bits for a set of lines, and back; bits that have
// no name of ours are dropped.
int kernelModemBits(ModemLines lines);
ModemLines modemLinesFromKernel(int bits);

// Sets a speed that has no Bxxx constant (14400, 56000, 128000, 256000 or
// any user speed) through termios2; 0 or errno.
int setCustomSpeed(int fd, int baudRate);

}  // namespace platform
