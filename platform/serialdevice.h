#pragma once

#include <QFlags>
#include <QString>
#include <QtGlobal>
#include <memory>

namespace platform {

// The modem-control lines by their own names. The kernel's bits for them
// (TIOCM_*) stay inside the terminal device, so nothing above this layer
// depends on how one system numbers its lines.
enum class ModemLine : unsigned {
    Dtr = 1u << 0,
    Rts = 1u << 1,
    Cts = 1u << 2,
    Dsr = 1u << 3,
    Ring = 1u << 4,
    Dcd = 1u << 5,
};
Q_DECLARE_FLAGS(ModemLines, ModemLine)

// The inputs a watcher can report on: the outputs DTR and RTS never change
// by themselves.
inline constexpr ModemLines kModemInputs{ModemLine::Ring, ModemLine::Cts, ModemLine::Dsr, ModemLine::Dcd};

enum class Parity { None, Odd, Even, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };
enum class FlowControl { None, RtsCts, XonXoff };

// Line settings as the serial component hands them down.
struct LineSettings {
    int baudRate = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    FlowControl flowControl = FlowControl::None;
    bool dtr = true;
};

// Interrupt counters of the modem-status inputs (TIOCGICOUNT).
struct ModemCounters {
    int cts = 0;
    int dsr = 0;
    int rng = 0;
    int dcd = 0;
    bool operator==(const ModemCounters&) const = default;
};

// One open serial device, reduced to the calls the modem-line watcher and
// the serial component make. Every call returns 0 or an errno value, so the
// caller decides what a failure means. The real device wraps ioctl(2) on a
// terminal; tests and demos use a simulated device with scripted edges.
//
// Thread use: one worker thread waits (waitForChange/pause) while the owner
// may call readLines and interrupt at the same time.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    virtual int applySettings(const LineSettings& settings) = 0;

    // Blocks until one of the modem lines in `lines` changes.
    // EINTR when interrupt() woke it; ENOTTY or EINVAL when the driver cannot
    // wait (the caller then polls); EIO when the device has gone.
    virtual int waitForChange(ModemLines lines) = 0;

    virtual int readCounters(ModemCounters& counters) = 0;

    // The modem lines that are on now.
    virtual int readLines(ModemLines& lines) = 0;

    // Sleeps between two polls; EINTR when interrupt() woke it.
    virtual int pause(qint64 nanoseconds) = 0;

    // From another thread: a thread blocked in waitForChange or pause, or
    // about to enter it, returns soon. May be called repeatedly.
    virtual void interrupt() = 0;

    // Drops whatever is queued in either direction.
    virtual void purge() = 0;
};

struct DeviceOpenResult {
    std::unique_ptr<SerialDevice> device;  // null on failure
    int error = 0;                         // errno when device is null
};

// The system's text for an errno value; the number in decimal if there is none.
QString systemErrorText(int error);

}  // namespace platform

Q_DECLARE_OPERATORS_FOR_FLAGS(platform::ModemLines)
