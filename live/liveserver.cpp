#include "live/liveserver.h"

#include "live/liveendpoint.h"

#include <QThread>

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
    // WebSocket of it belongs to that thread's event loop.
    QPointer<LiveServer> self(this);
    auto* endpoint = new LiveEndpoint(m_clock, m_limits);
    endpoint->moveToThread(m_thread);
    m_endpoint = endpoint;
    m_on = true;
    connect(endpoint, &LiveEndpoint::viewersChanged, this, &LiveServer::viewersChanged, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        endpoint,
        [endpoint, port, state, self] {
            endpoint->reset(state);
            QString message;
            const bool ok = endpoint->listenOn(port, &message);
            QMetaObject::invokeMethod(
                self.data(),
                [self, ok, message, port] {
                    if (!self)
                        return;
                    if (ok) {
                        emit self->started(port);
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
        QMetaObject::invokeMethod(endpoint, [endpoint] { delete endpoint; }, Qt::BlockingQueuedConnection);
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
        QMetaObject::invokeMethod(endpoint, [endpoint, record] { endpoint->post(record); }, Qt::QueuedConnection);
}

void LiveServer::reset(const SessionState& state)
{
    if (LiveEndpoint* endpoint = m_endpoint.data())
        QMetaObject::invokeMethod(endpoint, [endpoint, state] { endpoint->reset(state); }, Qt::QueuedConnection);
}

void LiveServer::flush()
{
    if (LiveEndpoint* endpoint = m_endpoint.data())
        QMetaObject::invokeMethod(endpoint, [] {}, Qt::BlockingQueuedConnection);
}
