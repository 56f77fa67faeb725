#include "live/liveserver.h"

#include "live/handover.h"
#include "live/liveendpoint.h"
#include "platform/threadschedule.h"

#include <QNetworkInterface>
#include <QThread>

namespace {

constexpr int kServerNice = 10;

}  // namespace

LiveServer::LiveServer(LiveClock clock, LiveLimits limits, QObject* parent)
    : QObject(parent)
    , m_clock(std::move(clock))
    , m_limits(limits)
{
}

LiveServer::~LiveServer()
{
    stop();
}

void LiveServer::start(quint16 port, const SessionState& state)
{
    stop();
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("live results"));
    m_thread->start();
    // The endpoint is made on its thread, so that every socket, timer and
    // the WebSocket server inside Qt's server belong to that thread's loop.
    auto* context = new QObject;
    context->moveToThread(m_thread);
    LiveEndpoint* endpoint = nullptr;
    handOver(
        context,
        [&] {
            // The audience yields to the race: when the cores are busy, the
            // window and the light barrier's worker run first.
            platform::applyThreadSchedule(platform::currentThreadId(), {false, 0, kServerNice});
            endpoint = new LiveEndpoint(m_clock, m_limits);
            delete context;
        },
        Qt::BlockingQueuedConnection);
    QPointer<LiveServer> self(this);
    m_endpoint = endpoint;
    m_on = true;
    connect(endpoint, &LiveEndpoint::viewersChanged, this, &LiveServer::viewersChanged, Qt::QueuedConnection);
    handOver(
        endpoint,
        [endpoint, port, state, self] {
            endpoint->reset(state);
            QString message;
            const quint16 listening = endpoint->listenOn(port, &message);
            handOver(
                self.data(),
                [self, listening, message] {
                    if (!self)
                        return;
                    if (listening) {
                        emit self->started(listening);
                    } else {
                        self->stop();
                        emit self->failed(message);
                    }
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void LiveServer::stop()
{
    if (!m_thread)
        return;
    m_on = false;
    if (LiveEndpoint* endpoint = m_endpoint.data()) {
        // Deleted on its own thread, where its sockets live.
        handOver(endpoint, [endpoint] { delete endpoint; }, Qt::BlockingQueuedConnection);
    }
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    emit viewersChanged(0);
}

void LiveServer::post(const JournalRecord& record)
{
    if (LiveEndpoint* endpoint = m_endpoint.data())
        handOver(endpoint, [endpoint, record] { endpoint->post(record); });
}

void LiveServer::reset(const SessionState& state)
{
    if (LiveEndpoint* endpoint = m_endpoint.data())
        handOver(endpoint, [endpoint, state] { endpoint->reset(state); });
}

void LiveServer::flush()
{
    if (LiveEndpoint* endpoint = m_endpoint.data())
        handOver(endpoint, [] {}, Qt::BlockingQueuedConnection);
}

qint64 LiveServer::queuedBytes()
{
    qint64 bytes = 0;
    if (LiveEndpoint* endpoint = m_endpoint.data())
        handOver(endpoint, [endpoint, &bytes] { bytes = endpoint->queuedBytes(); }, Qt::BlockingQueuedConnection);
    return bytes;
}

QStringList liveAddresses(quint16 port)
{
    QStringList addresses;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning)
            || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback())
                addresses << QStringLiteral("http://%1:%2/").arg(ip.toString()).arg(port);
        }
    }
    return addresses;
}
