#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/serialdevice.h"

class TComThread;
namespace platform {
struct ModemChange;
}

enum TBaudRate {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
    br38400, br56000, br57600, br115200, br128000, br256000, brUser
};
enum TParity { prNone, prOdd, prEven, prMark, prSpace };
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TFlowControl { fcNone, fcRtsCts, fcXonXoff };
enum TEvent { evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD };

// A set of TEvent: bit e stands for event e.
using TEvents = quint16;
constexpr TEvents eventBit(TEvent event) { return TEvents(1u << event); }
constexpr TEvents kAllEvents = 0x1FF;

// The line speed of a TBaudRate (brUser has none: 0).
int baudRateValue(TBaudRate rate);
// The comm-event mask of a set: EV_RXCHAR 1, EV_RXFLAG 2, EV_TXEMPTY 4,
// EV_CTS 8, EV_DSR 16, EV_RLSD 32, EV_BREAK 64, EV_ERR 128, EV_RING 256.
quint32 commEventMask(TEvents events);
// The modem lines the worker watches for a set.
platform::ModemLines watchedLines(TEvents events);

// Modem-status bits returned by ModemStatus.
constexpr quint32 MS_CTS_ON = 16;
constexpr quint32 MS_DSR_ON = 32;
constexpr quint32 MS_RING_ON = 64;
constexpr quint32 MS_RLSD_ON = 128;

class EComError : public std::runtime_error {
public:
    explicit EComError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};
// The device could not be opened.
class EComHandle : public EComError {
public:
    using EComError::EComError;
};
// The device was opened but refused the line settings.
class EComState : public EComError {
public:
    using EComError::EComError;
};

struct ComOpenResult {
    enum Failure { None, Handle, State };
    Failure failure = None;
    QString message;  // "Unable to open com port: ..." or "Unable to set com state: ..."
    bool ok() const { return failure == None; }
};

// A serial port watched for modem-line changes.
//
// Every change is seen by a worker thread, which reads the tick at that
// moment and posts the event to the thread that owns the port; the owner's
// handlers run later with the tick of the edge, however busy that thread
// was. The worker never waits for the owner, and events arrive in the order
// they happened. Events already posted when the port closes are dropped.
//
// When the device fails (unplugged: EIO), the port closes itself (closed())
// and then reports lineLost() with the system's text for the error.
//
// There is no data path: nothing is sent or read, so rxChar, txEmpty,
// breakReceived, rxFlag and error are never raised on this system.
class TComPort : public QObject {
    Q_OBJECT

public:
    using TickSource = std::function<qint64()>;
    using DeviceOpener = std::function<platform::DeviceOpenResult(int port)>;

    explicit TComPort(QObject* parent = nullptr);
    ~TComPort() override;

    TBaudRate BaudRate() const { return m_baudRate; }
    void setBaudRate(TBaudRate rate) { m_baudRate = rate; }
    int BaudRateUser() const { return m_baudRateUser; }
    void setBaudRateUser(int rate) { m_baudRateUser = rate; }
    quint8 Port() const { return m_port; }
    void setPort(quint8 port) { m_port = port; }
    TParity Parity() const { return m_parity; }
    void setParity(TParity parity) { m_parity = parity; }
    TStopBits StopBits() const { return m_stopBits; }
    void setStopBits(TStopBits stopBits) { m_stopBits = stopBits; }
    TFlowControl FlowControl() const { return m_flowControl; }
    void setFlowControl(TFlowControl flow) { m_flowControl = flow; }
    quint8 DataBits() const { return m_dataBits; }
    void setDataBits(int bits);  // clamps to 5..8
    TEvents Events() const { return m_events; }
    void setEvents(TEvents events) { m_events = events & kAllEvents; }
    bool EnableDTR() const { return m_enableDTR; }
    void setEnableDTR(bool on) { m_enableDTR = on; }
    // Kept for the settings they stand for; the kernel sizes its own buffers.
    int WriteBufSize() const { return m_writeBufSize; }
    void setWriteBufSize(int size) { m_writeBufSize = size; }
    int ReadBufSize() const { return m_readBufSize; }
    void setReadBufSize(int size) { m_readBufSize = size; }

    // True between a successful open and the next close.
    bool isOpen() const { return m_open; }

    // Closes the port if it is open, opens "COM" Port, applies the settings
    // and starts the worker; raises opened(). On failure the port stays
    // closed and nothing of the device is held.
    ComOpenResult tryOpen();
    // As tryOpen, but a failure throws EComHandle or EComState.
    void Open();
    // Stops the worker (within milliseconds), releases the device and
    // raises closed(); does nothing when the port is not open.
    void Close();

    // MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON as the lines are now;
    // 0 when closed or unreadable.
    quint32 ModemStatus() const;

    // The port probe over the current user's port map; see platform/portprobe.h.
    static quint32 FindComPorts();

    // The tick read by the worker when it sees a change (default: the
    // monotonic clock in ns, the time base's performance counter).
    void setTickSource(TickSource source);
    // How "COM" n becomes a device (default: the user's port map and a tty).
    void setDeviceOpener(DeviceOpener opener);
    // How often a driver without modem-line waits is polled (default 0.5 ms).
    void setPollInterval(qint64 nanoseconds) { m_pollInterval = nanoseconds; }
    qint64 pollInterval() const { return m_pollInterval; }
    // Whether the worker waits for line events or had to fall back to polling.
    bool isPolling() const;

signals:
    void rxChar(int count);
    void txEmpty();
    void breakReceived();
    void ring(qint64 tick);
    void ctsChanged(bool on, qint64 tick);
    void dsrChanged(bool on, qint64 tick);
    void rxFlag();
    void error();
    void rlsdChanged(bool on, qint64 tick);
    void opened();
    void closed();
    // The worker ended on a device error; the port has been closed.
    void lineLost(const QString& error);
    // The driver cannot wait for line changes; the worker polls them every
    // pollInterval() from now on. Once per opening.
    void fellBackToPolling();

private:
    void deliver(quint64 session, const std::vector<platform::ModemChange>& changes);
    void fail(quint64 session, int error);
    platform::LineSettings lineSettings() const;

    TBaudRate m_baudRate = br9600;
    int m_baudRateUser = 9600;
    quint8 m_port = 1;
    TParity m_parity = prNone;
    TStopBits m_stopBits = sbOneStopBit;
    TFlowControl m_flowControl = fcNone;
    quint8 m_dataBits = 8;
    TEvents m_events = kAllEvents;
    bool m_enableDTR = true;
    int m_writeBufSize = 2048;
    int m_readBufSize = 2048;

    TickSource m_tickSource;
    DeviceOpener m_opener;
    qint64 m_pollInterval = 500'000;
    bool m_open = false;
    quint64 m_session = 0;
    std::unique_ptr<platform::SerialDevice> m_device;
    std::unique_ptr<TComThread> m_thread;
};
