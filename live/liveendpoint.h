#pragma once

#include "live/liveserver.h"
#include "live/livestate.h"

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>
#include <array>
#include <bitset>
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
    // What a viewer is still due: pieces of the state, sent one at a time.
    struct Viewer {
        std::unique_ptr<QWebSocket> socket;
        bool skeleton = false;  // the state without its classes
        bool race = false;
        std::bitset<kClassPages> classes;
        qint64 waitingSinceMs = -1;  // holding unsent bytes since
    };
    static constexpr int kSkeleton = -2;
    static constexpr int kRace = -1;

    void checkBytes(QTcpSocket* socket);
    void takeViewers();
    Viewer* viewerOf(QWebSocket* socket);
    void dropViewer(QWebSocket* socket);
    void changed(const LiveChange& change);
    void pump(Viewer& viewer);
    const QString& piece(int key);  // kSkeleton, kRace or a page
    const QByteArray& currentState();
    void tick();
    qint64 nowMs() const { return m_elapsed.elapsed(); }

    LiveLimits m_limits;
    LiveState m_state;
    QElapsedTimer m_elapsed;
    QTimer m_tick;
    QTimer m_drain;
    std::shared_ptr<int> m_connections = std::make_shared<int>(0);
    std::vector<Viewer> m_viewers;
    struct StateCache {
        quint64 seq = 0;
        qint64 madeAtMs = 0;
        QByteArray json;
    } m_stateCache;
    struct Piece {
        quint64 seq = 0;
        qint64 madeAtMs = 0;
        QString text;
    };
    std::array<Piece, kClassPages + 2> m_pieces;
};

// A refusal written before Qt's parser took the request, with the
// connection closed after it.
QByteArray plainResponse(int status, const QByteArray& extraHeaders = {});
