#include "timing/lightbarrierport.h"

#include "timing/lightbarrier.h"

#include <QTimer>
#include <algorithm>

namespace {

// The probe's result with COMn among the ports, as if it had answered.
quint32 withPort(quint32 ports, int n)
{
    if (n < 1 || n > 16)
        return ports;
    const quint32 highest = std::max(ports >> 16, quint32(n));
    return (ports & 0xFFFFu) | (1u << (n - 1)) | (highest << 16);
}

}  // namespace

LightBarrierPort::LightBarrierPort(Options options, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
{
    m_comPort = new TComPort(this);
    m_comPort->setObjectName(QStringLiteral("ComPort"));
    // The worker stamps each edge with the same time base the clock reads, so
    // an edge's tick can stand in for the press of a key.
    if (m_options.ticks)
        m_comPort->setTickSource(m_options.ticks);
    if (m_options.deviceOpener)
        m_comPort->setDeviceOpener(m_options.deviceOpener);

    m_barrier = new LightBarrier(this);
    m_barrier->setObjectName(QStringLiteral("LightBarrier"));
    m_barrier->setCountSpeed(m_options.countSpeed);
    m_barrier->setTickSource(m_options.ticks);

    connect(m_comPort, &TComPort::dsrChanged, m_barrier, &LightBarrier::ComPortDSR);
    connect(m_comPort, &TComPort::opened, m_barrier, &LightBarrier::ComPortOpen);
    connect(m_comPort, &TComPort::closed, m_barrier, &LightBarrier::ComPortClose);
    connect(m_comPort, &TComPort::lineLost, this, [this] { m_barrier->ComPortLost(m_comPort->Port()); });
    connect(m_barrier, &LightBarrier::statusMessage, this, &LightBarrierPort::say);
    connect(m_comPort, &TComPort::fellBackToPolling, this, [this] {
        m_pollingNotice = pollingText(m_port, m_comPort->pollInterval());
        say(m_pollingNotice);
    });
    // A closed port is polled no more.
    connect(m_comPort, &TComPort::closed, this, [this] {
        clearIfShown(m_pollingNotice);
        m_pollingNotice.clear();
    });
}

QString LightBarrierPort::openFailureText(int port, const QString& error)
{
    return QStringLiteral("Lichtschranke an COM%1 nicht geöffnet: %2").arg(port).arg(error);
}

QString LightBarrierPort::pollingText(int port, qint64 pollIntervalNs)
{
    const QString ms =
        QString::number(double(pollIntervalNs) / 1e6, 'g', 3).replace(QLatin1Char('.'), QLatin1Char(','));
    return QStringLiteral("Lichtschranke an COM%1: Abfrage alle %2 ms").arg(port).arg(ms);
}

void LightBarrierPort::say(const QString& text)
{
    m_shown = text;
    emit statusMessage(text);
}

void LightBarrierPort::clearIfShown(const QString& text)
{
    if (!text.isEmpty() && m_shown == text)
        say(QString());
}

void LightBarrierPort::start(int port, int alg, int waitStart)
{
    m_barrier->setAlg(alg);
    m_barrier->setWaitStart(waitStart);
    // Started once the window is up: a probe thread beside the first paint
    // would still take one of the machine's cores from it.
    QTimer::singleShot(m_options.probeDelayMs, this, &LightBarrierPort::startPortProbe);
    m_port = port & 0xFF;
    if (m_port != 0)
        openPort(m_port);
}

void LightBarrierPort::startPortProbe()
{
    if (m_probe.valid())
        return;
    m_probe = std::async(std::launch::async,
                         m_options.probe ? m_options.probe : std::function<quint32()>(&TComPort::FindComPorts))
                  .share();
}

quint32 LightBarrierPort::comPorts()
{
    startPortProbe();
    // Taken when the list is built, on this thread: whatever the port did
    // while the probe ran, the port that is the setting now is listed.
    return withPort(m_probe.get(), m_port);
}

bool LightBarrierPort::openPort(int port, QString* error)
{
    m_comPort->Close();
    m_port = port & 0xFF;
    if (m_port == 0)
        return true;
    m_comPort->setPort(quint8(m_port));
    const ComOpenResult result = m_comPort->tryOpen();
    if (!result.ok() && error)
        *error = result.message;
    return result.ok();
}

void LightBarrierPort::applyDialogChoice(bool picked, int port, int alg)
{
    if (picked)
        m_comPort->Close();
    if (picked && port == 0) {
        m_port = 0;
        return;
    }
    // A list showing no contact state (a stored value it does not offer)
    // keeps the stored one instead of turning it into a lock.
    if (alg >= 0 && (picked || m_port != 0))
        m_barrier->setAlg(alg);
    if (!picked)
        return;
    QString error;
    if (openPort(port, &error)) {
        clearIfShown(m_openFailure);
        m_openFailure.clear();
        return;
    }
    // Said where the lost barrier is said; the chosen port stays the setting,
    // so the next start tries it again.
    m_openFailure = openFailureText(port, error);
    say(m_openFailure);
}
