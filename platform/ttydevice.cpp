#include "platform/ttydevice.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <linux/serial.h>
#include <mutex>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

struct LineBit {
    ModemLine line;
    int bit;
};

constexpr LineBit kLineBits[] = {
    {ModemLine::Dtr, TIOCM_DTR}, {ModemLine::Rts, TIOCM_RTS}, {ModemLine::Cts, TIOCM_CTS},
    {ModemLine::Dsr, TIOCM_DSR}, {ModemLine::Ring, TIOCM_RNG}, {ModemLine::Dcd, TIOCM_CD},
};

void ignoreWake(int) {}

void installWakeHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = &ignoreWake;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no SA_RESTART: the blocked ioctl must return EINTR
        sigaction(TtyDevice::wakeSignal(), &action, nullptr);
    });
}

speed_t standardSpeed(int baudRate)
{
    switch (baudRate) {
    case 110: return B110;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

tcflag_t characterSize(int dataBits)
{
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

int resultOf(int result)
{
    return result == 0 ? 0 : errno;
}

// The driver's low-latency flag through the terminal, the latency timer
// through the adapter's sysfs file.
class TtyLatencyControls final : public LatencyControls {
public:
    TtyLatencyControls(int fd, const QString& timerFile)
        : m_fd(fd)
        , m_timerFile(timerFile)
    {
    }
    int readLowLatencyFlag(bool& on) override
    {
        serial_struct serial {};
        if (ioctl(m_fd, TIOCGSERIAL, &serial) != 0)
            return errno;
        on = (serial.flags & ASYNC_LOW_LATENCY) != 0;
        return 0;
    }
    int writeLowLatencyFlag(bool on) override
    {
        // Everything else goes back as the driver gave it, so the request
        // needs no privilege beyond the open terminal.
        serial_struct serial {};
        if (ioctl(m_fd, TIOCGSERIAL, &serial) != 0)
            return errno;
        if (on)
            serial.flags |= ASYNC_LOW_LATENCY;
        else
            serial.flags &= ~ASYNC_LOW_LATENCY;
        return resultOf(ioctl(m_fd, TIOCSSERIAL, &serial));
    }
    int readLatencyTimer(int& milliseconds) override
    {
        return m_timerFile.isEmpty() ? ENOENT : readLatencyTimerFile(m_timerFile, milliseconds);
    }
    int writeLatencyTimer(int milliseconds) override
    {
        return m_timerFile.isEmpty() ? ENOENT : writeLatencyTimerFile(m_timerFile, milliseconds);
    }

private:
    int m_fd;
    QString m_timerFile;
};

}  // namespace

int TtyDevice::wakeSignal()
{
    return SIGRTMIN + 2;
}

TtyOpenResult TtyDevice::open(const QString& path, const QString& sysfsRoot)
{
    TtyOpenResult result;
    // Non-blocking so that a missing carrier cannot hang the open.
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    if (!isatty(fd)) {
        result.error = errno ? errno : ENOTTY;
        ::close(fd);
        return result;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        result.error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return result;
    }
    ioctl(fd, TIOCEXCL);
    installWakeHandler();
    result.device.reset(new TtyDevice(fd));
    TtyDevice& device = *result.device;
    device.m_latencyTimerFile = latencyTimerFile(path, sysfsRoot);
    TtyLatencyControls controls(fd, device.m_latencyTimerFile);
    device.m_latencyRequest = device.m_lowLatency.request(controls);
    return result;
}

TtyDevice::TtyDevice(int fd)
    : m_fd(fd)
{
}

TtyDevice::~TtyDevice()
{
    if (m_fd >= 0) {
        TtyLatencyControls controls(m_fd, m_latencyTimerFile);
        m_lowLatency.restore(controls);
        ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
    }
}

int TtyDevice::applySettings(const LineSettings& settings)
{
    termios tio {};
    if (tcgetattr(m_fd, &tio) != 0)
        return errno;
    cfmakeraw(&tio);
    // CLOCAL: the light barrier has no carrier, and nothing may wait for one.
    tio.c_cflag |= CLOCAL | CREAD | HUPCL;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= characterSize(settings.dataBits);
    switch (settings.parity) {
    case Parity::None: break;
    case Parity::Odd: tio.c_cflag |= PARENB | PARODD; break;
    case Parity::Even: tio.c_cflag |= PARENB; break;
    case Parity::Mark: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case Parity::Space: tio.c_cflag |= PARENB | CMSPAR; break;
    }
    // A UART sends 1.5 stop bits for CSTOPB with 5 data bits, 2 otherwise.
    if (settings.stopBits != StopBits::One)
        tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (settings.flowControl == FlowControl::RtsCts)
        tio.c_cflag |= CRTSCTS;
    else if (settings.flowControl == FlowControl::XonXoff)
        tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VSTART] = 17;
    tio.c_cc[VSTOP] = 19;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    const speed_t speed = standardSpeed(settings.baudRate);
    if (speed != B0) {
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
    } else if (settings.baudRate <= 0) {
        return EINVAL;
    }
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return errno;
    if (speed == B0) {
        if (const int error = setCustomSpeed(m_fd, settings.baudRate))
            return error;
    }

    const int dtr = TIOCM_DTR;
    if (ioctl(m_fd, settings.dtr ? TIOCMBIS : TIOCMBIC, &dtr) != 0) {
        // Terminals without modem-control lines (a pty) have no DTR to set.
        if (errno != ENOTTY && errno != EINVAL)
            return errno;
    }
    return 0;
}

void TtyDevice::noteWaiter()
{
    if (!m_hasWaiter.load(std::memory_order_acquire)) {
        m_waiter = pthread_self();
        m_hasWaiter.store(true, std::memory_order_release);
    }
}

int TtyDevice::waitForChange(ModemLines lines)
{
    noteWaiter();
    return resultOf(ioctl(m_fd, TIOCMIWAIT, kernelModemBits(lines)));
}

int TtyDevice::readCounters(ModemCounters& counters)
{
    serial_icounter_struct icount {};
    if (ioctl(m_fd, TIOCGICOUNT, &icount) != 0)
        return errno;
    counters.cts = icount.cts;
    counters.dsr = icount.dsr;
    counters.rng = icount.rng;
    counters.dcd = icount.dcd;
    return 0;
}

int TtyDevice::readLines(ModemLines& lines)
{
    int bits = 0;
    if (ioctl(m_fd, TIOCMGET, &bits) != 0)
        return errno;
    lines = modemLinesFromKernel(bits);
    return 0;
}

int TtyDevice::pause(qint64 nanoseconds)
{
    noteWaiter();
    const timespec ts{time_t(nanoseconds / 1'000'000'000), long(nanoseconds % 1'000'000'000)};
    return clock_nanosleep(CLOCK_MONOTONIC, 0, &ts, nullptr);
}

void TtyDevice::interrupt()
{
    if (m_hasWaiter.load(std::memory_order_acquire))
        pthread_kill(m_waiter, wakeSignal());
}

void TtyDevice::purge()
{
    tcflush(m_fd, TCIOFLUSH);
}

int kernelModemBits(ModemLines lines)
{
    int bits = 0;
    for (const LineBit& entry : kLineBits) {
        if (lines.testFlag(entry.line))
            bits |= entry.bit;
    }
    return bits;
}

ModemLines modemLinesFromKernel(int bits)
{
    ModemLines lines;
    for (const LineBit& entry : kLineBits)
        lines.setFlag(entry.line, (bits & entry.bit) != 0);
    return lines;
}

}  // namespace platform
