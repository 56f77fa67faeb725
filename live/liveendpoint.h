#pragma once

#include "live/liveserver.h"
#include "live/livestate.h"

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>
#include <memory>
#include <vector>

class QWebSocket;
class LiveEndpoint;

// Hands each accepted socket to the endpoint first, so that it is counted,
// timed and checked before Qt's parser reads from it.
class LiveTcpServer : public QTcpServer {
    Q_OBJECT
public:
    explicit LiveTcpServer(LiveEndpoint* endpoint);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    LiveEndpoint* m_endpoint;
};

// The server's side: lives on the server thread, owns the listening socket,
// the connections and the viewers, and keeps the state they are sent.
class LiveEndpoint : public QAbstractHttpServer {
    Q_OBJECT
public:
    LiveEndpoint(LiveClock clock, LiveLimits limits);
    ~LiveEndpoint() override;

    // The port listened on (0 picks a free one), or 0 with the operator's
    // message when the port cannot be had.
    quint16 listenOn(quint16 port, QString* message);
    void post(const JournalRecord& record);
    void reset(const SessionState& state);
    int viewers() const { return int(m_viewers.size()); }
    qint64 queuedBytes() const;

    // LiveTcpServer's part: a new connection; false when it was refused
    // for being over the limit.
    bool accept(QTcpSocket* socket);

signals:
    void viewersChanged(int viewers);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Viewer {
        std::unique_ptr<QWebSocket> socket;
        bool behind = false;   // missed a message: gets the whole state when it has read
        qint64 behindSinceMs = 0;
    };

    void checkBytes(QTcpSocket* socket);
    void takeViewers();
    void dropViewer(QWebSocket* socket);
    void broadcast(const QByteArray& message);
    void send(Viewer& viewer, const QString& message);
    void catchUp(QWebSocket* socket);
    void tick();
    qint64 nowMs() const { return m_elapsed.elapsed(); }

    LiveLimits m_limits;
    LiveState m_state;
    QElapsedTimer m_elapsed;
    QTimer m_tick;
    std::shared_ptr<int> m_connections = std::make_shared<int>(0);
    std::vector<Viewer> m_viewers;
};

// A refusal written before Qt's parser took the request, with the
// connection closed after it.
QByteArray plainResponse(int status, const QByteArray& extraHeaders = {});
