#pragma once

#include <QString>
#include <optional>

namespace platform {

// How the driver of an open port was asked to hand modem-line changes on
// without holding them back.
enum class LatencyRequest {
    None,          // the driver offers no way (an on-board UART needs none)
    DriverFlag,    // the driver's low-latency flag (TIOCSSERIAL), or it was on already
    LatencyTimer,  // the USB adapter's latency_timer in sysfs, now 1 ms
};

// The two ways Linux serial drivers offer. A USB-serial adapter collects
// what its chip reports and hands it on when its latency timer runs out,
// an FTDI after 16 ms by default, 1 ms in low-latency mode: without asking,
// a light-barrier edge is seen up to 16 ms late. Every call returns 0 or an
// errno value; the real ones are the terminal device's, tests use a fake.
class LatencyControls {
public:
    virtual ~LatencyControls() = default;
    // ASYNC_LOW_LATENCY in the driver's serial_struct.
    virtual int readLowLatencyFlag(bool& on) = 0;
    virtual int writeLowLatencyFlag(bool on) = 0;
    // The adapter's latency timer in milliseconds.
    virtual int readLatencyTimer(int& milliseconds) = 0;
    virtual int writeLatencyTimer(int milliseconds) = 0;
};

// Asks for low latency when a port opens, and puts back at close what it
// changed. Where the driver refuses the flag, the latency timer is tried;
// where it refuses both, the port runs at the driver's pace: no error.
class LowLatency {
public:
    static constexpr int kTimerMs = 1;

    LatencyRequest request(LatencyControls& controls);
    // Undoes what request changed; once.
    void restore(LatencyControls& controls);

private:
    bool m_flagSet = false;
    std::optional<int> m_previousTimer;
};

// The latency_timer file of a terminal's adapter: the kernel's name of the
// device the path leads to (links resolved), under
// <sysfsRoot>/class/tty/<name>/device/. Empty when the path leads nowhere.
QString latencyTimerFile(const QString& devicePath, const QString& sysfsRoot = QStringLiteral("/sys"));
// A latency_timer file as the kernel writes it: a number of milliseconds,
// 0 to 255. 0 or errno (EINVAL for anything else).
int readLatencyTimerFile(const QString& path, int& milliseconds);
int writeLatencyTimerFile(const QString& path, int milliseconds);

}  // namespace platform
