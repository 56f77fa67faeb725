#include "timing/comport.h"

#include "platform/counters.h"
#include "platform/modemwatcher.h"
#include "platform/portmap.h"
#include "platform/portprobe.h"
#include "platform/ttydevice.h"
#include "timing/comthread.h"

#include <QMetaObject>
#include <algorithm>
#include <cerrno>

int baudRateValue(TBaudRate rate)
{
    static constexpr int speeds[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400,
                                     19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return rate >= br110 && rate < brUser ? speeds[rate] : 0;
}

quint32 commEventMask(TEvents events)
{
    static constexpr quint32 masks[] = {
        1,    // evRxChar   EV_RXCHAR
        4,    // evTxEmpty  EV_TXEMPTY
        2,    // evRxFlag   EV_RXFLAG
        256,  // evRing     EV_RING
        64,   // evBreak    EV_BREAK
        8,    // evCTS      EV_CTS
        16,   // evDSR      EV_DSR
        128,  // evError    EV_ERR
        32,   // evRLSD     EV_RLSD
    };
    quint32 mask = 0;
    for (int e = evRxChar; e <= evRLSD; ++e) {
        if (events & eventBit(TEvent(e)))
            mask |= masks[e];
    }
    return mask;
}

platform::ModemLines watchedLines(TEvents events)
{
    using platform::ModemLine;
    platform::ModemLines lines;
    lines.setFlag(ModemLine::Ring, events & eventBit(evRing));
    lines.setFlag(ModemLine::Cts, events & eventBit(evCTS));
    lines.setFlag(ModemLine::Dsr, events & eventBit(evDSR));
    lines.setFlag(ModemLine::Dcd, events & eventBit(evRLSD));
    return lines;
}

EComError::EComError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

namespace {

platform::DeviceOpenResult openMappedTty(int port)
{
    platform::DeviceOpenResult result;
    const QString path = platform::PortMap::forCurrentUser().devicePath(port);
    if (path.isEmpty()) {
        result.error = ENOENT;
        return result;
    }
    platform::TtyOpenResult tty = platform::TtyDevice::open(path);
    result.device = std::move(tty.device);
    result.error = tty.error;
    return result;
}

}  // namespace

TComPort::TComPort(QObject* parent)
    : QObject(parent)
    , m_tickSource(&platform::monotonicNanoseconds)
    , m_opener(&openMappedTty)
{
}

TComPort::~TComPort()
{
    // Handlers of closed() must not reach a half-destroyed object.
    blockSignals(true);
    Close();
}

void TComPort::setDataBits(int bits)
{
    m_dataBits = quint8(std::clamp(bits, 5, 8));
}

void TComPort::setTickSource(TickSource source)
{
    m_tickSource = source ? std::move(source) : TickSource(&platform::monotonicNanoseconds);
}

void TComPort::setDeviceOpener(DeviceOpener opener)
{
    m_opener = opener ? std::move(opener) : DeviceOpener(&openMappedTty);
}

platform::LineSettings TComPort::lineSettings() const
{
    platform::LineSettings settings;
    settings.baudRate = m_baudRate == brUser ? m_baudRateUser : baudRateValue(m_baudRate);
    settings.dataBits = m_dataBits;
    settings.parity = platform::Parity(int(m_parity));
    settings.stopBits = platform::StopBits(int(m_stopBits));
    settings.flowControl = platform::FlowControl(int(m_flowControl));
    settings.dtr = m_enableDTR;
    return settings;
}

ComOpenResult TComPort::tryOpen()
{
    Close();
    ComOpenResult result;
    platform::DeviceOpenResult attempt = m_opener(m_port);
    if (!attempt.device) {
        result.failure = ComOpenResult::Handle;
        result.message = QStringLiteral("Unable to open com port: ")
            + platform::systemErrorText(attempt.error ? attempt.error : ENOENT);
        return result;
    }
    if (const int error = attempt.device->applySettings(lineSettings())) {
        // The device is released here, so a refused setting never leaves
        // the port locked against the next try.
        result.failure = ComOpenResult::State;
        result.message = QStringLiteral("Unable to set com state: ") + platform::systemErrorText(error);
        return result;
    }
    m_device = std::move(attempt.device);
    const quint64 session = ++m_session;
    TComThread::Callbacks callbacks;
    callbacks.changes = [this, session](const std::vector<platform::ModemChange>& changes) {
        QMetaObject::invokeMethod(this, [this, session, changes] { deliver(session, changes); },
                                  Qt::QueuedConnection);
    };
    callbacks.failed = [this, session](int error) {
        QMetaObject::invokeMethod(this, [this, session, error] { fail(session, error); },
                                  Qt::QueuedConnection);
    };
    callbacks.polling = [this, session] {
        QMetaObject::invokeMethod(
            this,
            [this, session] {
                if (session == m_session && m_open)
                    emit fellBackToPolling();
            },
            Qt::QueuedConnection);
    };
    m_thread = std::make_unique<TComThread>(*m_device, watchedLines(m_events), m_tickSource,
                                            std::move(callbacks), m_pollInterval);
    m_open = true;
    emit opened();
    return result;
}

void TComPort::Open()
{
    const ComOpenResult result = tryOpen();
    if (result.failure == ComOpenResult::Handle)
        throw EComHandle(result.message);
    if (result.failure == ComOpenResult::State)
        throw EComState(result.message);
}

void TComPort::Close()
{
    if (!m_open)
        return;
    m_thread.reset();  // stops and joins the worker
    m_device.reset();
    m_open = false;
    ++m_session;       // whatever the worker posted before now is dropped
    emit closed();
}

quint32 TComPort::ModemStatus() const
{
    if (!m_open || !m_device)
        return 0;
    platform::ModemLines lines;
    if (m_device->readLines(lines) != 0)
        return 0;
    using platform::ModemLine;
    quint32 status = 0;
    if (lines.testFlag(ModemLine::Cts))
        status |= MS_CTS_ON;
    if (lines.testFlag(ModemLine::Dsr))
        status |= MS_DSR_ON;
    if (lines.testFlag(ModemLine::Ring))
        status |= MS_RING_ON;
    if (lines.testFlag(ModemLine::Dcd))
        status |= MS_RLSD_ON;
    return status;
}

quint32 TComPort::FindComPorts()
{
    return platform::probeComPorts(platform::PortMap::forCurrentUser());
}

bool TComPort::isPolling() const
{
    return m_thread && m_thread->mode() == platform::WatchMode::Polling;
}

void TComPort::deliver(quint64 session, const std::vector<platform::ModemChange>& changes)
{
    for (const platform::ModemChange& change : changes) {
        // A handler may close the port; the rest of the batch then goes too.
        if (session != m_session || !m_open)
            return;
        switch (change.line) {
        case platform::ModemLine::Ring:
            if (m_events & eventBit(evRing))
                emit ring(change.tick);
            break;
        case platform::ModemLine::Cts:
            if (m_events & eventBit(evCTS))
                emit ctsChanged(change.on, change.tick);
            break;
        case platform::ModemLine::Dsr:
            if (m_events & eventBit(evDSR))
                emit dsrChanged(change.on, change.tick);
            break;
        case platform::ModemLine::Dcd:
            if (m_events & eventBit(evRLSD))
                emit rlsdChanged(change.on, change.tick);
            break;
        default:
            break;
        }
    }
}

void TComPort::fail(quint64 session, int error)
{
    if (session != m_session || !m_open)
        return;
    Close();
    emit lineLost(platform::systemErrorText(error));
}
