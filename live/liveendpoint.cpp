#include "live/liveendpoint.h"

#include "live/requestcheck.h"

#include <QFile>
#include <QScopeGuard>
#include <QHttpServerRequest>
#include <QTcpSocket>
#include <QWebSocket>

namespace {

constexpr char kSecurityHeaders[] =
    "Content-Security-Policy: default-src 'self'; connect-src 'self'; img-src 'self' data:; style-src 'self'; "
    "script-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "Referrer-Policy: no-referrer\r\n";

// A viewer sends nothing the server reads; anything large is a mistake or
// an attack and ends its connection.
constexpr quint64 kMaxViewerMessage = 1024;
// How soon a viewer whose socket still held bytes is looked at again.
constexpr int kDrainMs = 10;

// What each connection carries while it speaks HTTP: its check, its timer
// and its place among the counted connections.
class ConnectionGuard : public QObject {
public:
    ConnectionGuard(QTcpSocket* socket, std::shared_ptr<int> connections)
        : QObject(socket)
        , m_connections(std::move(connections))
    {
        ++*m_connections;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, socket, [socket] { socket->abort(); });
        socket->setProperty(kProperty, QVariant::fromValue(static_cast<QObject*>(this)));
    }
    ~ConnectionGuard() override { release(); }
    // The connection became a viewer's: it no longer counts.
    void release()
    {
        if (m_connections)
            --*m_connections;
        m_connections.reset();
    }
    static ConnectionGuard* of(QTcpSocket* socket)
    {
        return static_cast<ConnectionGuard*>(socket->property(kProperty).value<QObject*>());
    }

    RequestCheck check;
    QTimer timer;
    bool inHead = false;

private:
    static constexpr char kProperty[] = "pylonixConnection";
    std::shared_ptr<int> m_connections;
};

const char* reasonOf(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Content Too Large";
    case 426:
        return "Upgrade Required";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

QByteArray response(int status, const QByteArray& type, const QByteArray& body, bool withBody,
                    const QByteArray& extraHeaders)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonOf(status) + "\r\n";
    out += kSecurityHeaders;
    out += "Content-Type: " + type + "\r\n";
    out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    out += extraHeaders;
    out += "\r\n";
    if (withBody)
        out += body;
    return out;
}

QByteArray contentType(const QString& name)
{
    if (name.endsWith(QLatin1String(".html")))
        return "text/html; charset=utf-8";
    if (name.endsWith(QLatin1String(".css")))
        return "text/css; charset=utf-8";
    if (name.endsWith(QLatin1String(".js")))
        return "text/javascript; charset=utf-8";
    if (name.endsWith(QLatin1String(".svg")))
        return "image/svg+xml";
    if (name.endsWith(QLatin1String(".png")))
        return "image/png";
    return "application/octet-stream";
}

// The page a path shows, as a resource name; empty when there is none.
QString pageFor(const QByteArray& path)
{
    if (path == "/")
        return QStringLiteral("index.html");
    if (path == "/anzeige")
        return QStringLiteral("anzeige.html");
    if (path.startsWith("/klasse/")) {
        bool ok = false;
        const QByteArray number = path.sliced(8);
        const int n = number.toInt(&ok);
        // "/klasse/01" or "/klasse/+1" would be a second name for a page.
        if (ok && n >= 1 && n <= kClassPages && number == QByteArray::number(n))
            return QStringLiteral("klasse.html");
        return {};
    }
    const QByteArray name = path.sliced(1);
    if (name.isEmpty() || name.endsWith(".html"))
        return {};
    for (char c : name) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
        if (!allowed)
            return {};
    }
    return QString::fromLatin1(name);
}

}  // namespace

QByteArray plainResponse(int status, const QByteArray& extraHeaders)
{
    return response(status, "text/plain; charset=utf-8", QByteArray::number(status) + ' ' + reasonOf(status) + '\n',
                    true, "Connection: close\r\n" + extraHeaders);
}

LiveTcpServer::LiveTcpServer(LiveEndpoint* endpoint)
    : m_endpoint(endpoint)
{
}

void LiveTcpServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    if (m_endpoint->accept(socket))
        addPendingConnection(socket);
}

LiveEndpoint::LiveEndpoint(LiveClock clock, LiveLimits limits)
    : m_limits(limits)
    , m_state(std::move(clock))
{
    // The pages are compiled into this static library; its resources are
    // registered by hand.
    Q_INIT_RESOURCE(web);
    m_elapsed.start();
    m_tick.setInterval(m_limits.clockSyncMs);
    m_drain.setSingleShot(true);
    m_drain.setInterval(kDrainMs);
    connect(&m_drain, &QTimer::timeout, this, [this] {
        for (Viewer& viewer : m_viewers)
            pump(viewer);
    });
    connect(&m_tick, &QTimer::timeout, this, &LiveEndpoint::tick);
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &LiveEndpoint::takeViewers);
}

LiveEndpoint::~LiveEndpoint()
{
    // The viewers first: their sockets must not outlive the event loop.
    m_viewers.clear();
}

quint16 LiveEndpoint::listenOn(quint16 port, QString* message)
{
    auto* server = new LiveTcpServer(this);
    if (!server->listen(QHostAddress::Any, port)) {
        if (message) {
            switch (server->serverError()) {
            case QAbstractSocket::AddressInUseError:
                *message = QStringLiteral("Port %1 ist belegt").arg(port);
                break;
            case QAbstractSocket::SocketAccessError:
                *message = QStringLiteral("Port %1 ist nicht erlaubt").arg(port);
                break;
            default:
                *message = QStringLiteral("Port %1: %2").arg(port).arg(server->errorString());
            }
        }
        delete server;
        return 0;
    }
    server->setParent(this);
    bind(server);
    m_tick.start();
    return server->serverPort();
}

bool LiveEndpoint::accept(QTcpSocket* socket)
{
    if (*m_connections >= m_limits.maxConnections) {
        socket->write(plainResponse(503, "Retry-After: 5\r\n"));
        socket->disconnectFromHost();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->state() == QAbstractSocket::UnconnectedState)
            socket->deleteLater();
        return false;
    }
    auto* guard = new ConnectionGuard(socket, m_connections);
    guard->timer.start(m_limits.idleMs);
    connect(socket, &QTcpSocket::readyRead, guard, [this, socket] { checkBytes(socket); });
    return true;
}

void LiveEndpoint::checkBytes(QTcpSocket* socket)
{
    ConnectionGuard* guard = ConnectionGuard::of(socket);
    if (!guard)
        return;
    const QByteArray bytes = socket->peek(socket->bytesAvailable());
    const RequestCheck::Verdict verdict = guard->check.feed(bytes);
    if (verdict == RequestCheck::Verdict::Incomplete) {
        if (!guard->inHead && guard->check.started()) {
            guard->inHead = true;
            guard->timer.start(m_limits.headMs);
        }
        return;
    }
    guard->inHead = false;
    int refusal = 0;
    QByteArray extra;
    if (verdict == RequestCheck::Verdict::Refused) {
        refusal = guard->check.status();
        if (refusal == 405)
            extra = "Allow: GET, HEAD\r\n";
    } else if (guard->check.upgrade()) {
        if (guard->check.path() != "/live")
            refusal = 404;
        else if (viewers() >= m_limits.maxViewers)
            refusal = 503;
    }
    if (refusal) {
        socket->readAll();  // Qt's parser must not see what was refused
        socket->write(plainResponse(refusal, extra));
        socket->disconnectFromHost();
        return;
    }
    if (guard->check.upgrade()) {
        // From here the socket is a viewer's: no HTTP timer, not counted
        // among the HTTP connections, and no check of its frames.
        guard->release();
        guard->timer.stop();
        disconnect(socket, &QTcpSocket::readyRead, guard, nullptr);
        return;
    }
    guard->timer.start(m_limits.idleMs);
}

bool LiveEndpoint::handleRequest(const QHttpServerRequest&, QTcpSocket* socket)
{
    ConnectionGuard* guard = ConnectionGuard::of(socket);
    if (!guard)
        return false;
    const RequestCheck& check = guard->check;
    if (check.upgrade())
        return true;  // Qt answers the handshake and hands us the viewer
    const QByteArray& path = check.path();
    const bool body = !check.head();
    const auto closeIfAsked = qScopeGuard([socket, &check] {
        if (check.closeAfter())
            socket->disconnectFromHost();
    });
    if (path == "/api/state") {
        socket->write(response(200, "application/json; charset=utf-8", currentState(), body,
                               "Cache-Control: no-store\r\n"));
        return true;
    }
    if (path == "/live") {
        socket->write(response(426, "text/plain; charset=utf-8", "426 Upgrade Required\n", body,
                               "Upgrade: websocket\r\nConnection: Upgrade\r\n"));
        return true;
    }
    const QString page = pageFor(path);
    QFile file(QStringLiteral(":/web/") + page);
    if (page.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        socket->write(response(404, "text/plain; charset=utf-8", "404 Not Found\n", body, {}));
        return true;
    }
    socket->write(response(200, contentType(page), file.readAll(), body, "Cache-Control: no-cache\r\n"));
    return true;
}

void LiveEndpoint::missingHandler(const QHttpServerRequest&, QTcpSocket* socket)
{
    socket->write(plainResponse(404));
    socket->disconnectFromHost();
}

void LiveEndpoint::takeViewers()
{
    while (hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = nextPendingWebSocketConnection();
        if (!socket)
            continue;
        QWebSocket* ws = socket.get();
        if (viewers() >= m_limits.maxViewers) {
            // Two handshakes raced for the last place.
            ws->close(QWebSocketProtocol::CloseCode(1013));  // try again later
            ws->deleteLater();
            socket.release();
            continue;
        }
        ws->setMaxAllowedIncomingFrameSize(kMaxViewerMessage);
        ws->setMaxAllowedIncomingMessageSize(kMaxViewerMessage);
        connect(ws, &QWebSocket::disconnected, this, [this, ws] { dropViewer(ws); });
        connect(ws, &QWebSocket::bytesWritten, this, [this, ws] {
            if (Viewer* viewer = viewerOf(ws))
                pump(*viewer);
        });
        Viewer viewer;
        viewer.socket = std::move(socket);
        // Every class, the empty ones too: a page that comes back after a
        // break may still show a class that has been cleared since.
        viewer.skeleton = true;
        viewer.classes.set();
        m_viewers.push_back(std::move(viewer));
        pump(m_viewers.back());
        emit viewersChanged(viewers());
    }
}

LiveEndpoint::Viewer* LiveEndpoint::viewerOf(QWebSocket* socket)
{
    for (Viewer& viewer : m_viewers) {
        if (viewer.socket.get() == socket)
            return &viewer;
    }
    return nullptr;
}

void LiveEndpoint::dropViewer(QWebSocket* socket)
{
    // Later, not now: a socket closes inside a send or an abort, while the
    // viewers are being gone through.
    QMetaObject::invokeMethod(
        this,
        [this, socket] {
            for (auto it = m_viewers.begin(); it != m_viewers.end(); ++it) {
                if (it->socket.get() == socket) {
                    it->socket.release()->deleteLater();
                    m_viewers.erase(it);
                    emit viewersChanged(viewers());
                    return;
                }
            }
        },
        Qt::QueuedConnection);
}

const QString& LiveEndpoint::piece(int key)
{
    // One making of each piece serves every viewer that is due it; the row
    // marks' age in a class may lag by a quarter of a second.
    constexpr qint64 kFreshMs = 250;
    Piece& cached = m_pieces[std::size_t(key + 2)];
    const qint64 now = nowMs();
    if (cached.seq != m_state.seq() || now - cached.madeAtMs > kFreshMs || cached.text.isEmpty()) {
        cached.seq = m_state.seq();
        cached.madeAtMs = now;
        if (key == kSkeleton)
            cached.text = QString::fromUtf8(m_state.message({LiveChange::All}, now));
        else if (key == kRace)
            cached.text = QString::fromUtf8(m_state.message({LiveChange::Race}, now));
        else
            cached.text = QString::fromUtf8(m_state.message({LiveChange::Class, key}, now));
    }
    return cached.text;
}

void LiveEndpoint::pump(Viewer& viewer)
{
    // One piece at a time, and the next only once the last has left: a viewer
    // that does not read holds one piece, and what it gets next is made from
    // the state as it is then, never from a backlog.
    const bool due = viewer.skeleton || viewer.race || viewer.classes.any();
    if (!due)
        return;
    if (viewer.socket->bytesToWrite() > 0) {
        // Looked at again shortly: the socket's own signal may have come
        // before the last bytes left.
        if (!m_drain.isActive())
            m_drain.start();
        return;
    }
    int key = -3;
    if (viewer.skeleton) {
        viewer.skeleton = false;
        viewer.race = false;  // the skeleton carries the race
        key = kSkeleton;
    } else if (viewer.race) {
        viewer.race = false;
        key = kRace;
    } else {
        for (int p = 0; p < kClassPages; ++p) {
            if (viewer.classes[std::size_t(p)]) {
                viewer.classes[std::size_t(p)] = false;
                key = p;
                break;
            }
        }
    }
    if (key == -3)
        return;
    viewer.socket->sendTextMessage(piece(key));
}

void LiveEndpoint::changed(const LiveChange& change)
{
    for (Viewer& viewer : m_viewers) {
        switch (change.kind) {
        case LiveChange::Race:
            viewer.race = true;
            break;
        case LiveChange::Class:
            viewer.classes[std::size_t(change.page)] = true;
            break;
        case LiveChange::All:
            viewer.skeleton = true;
            viewer.classes.set();
            break;
        case LiveChange::None:
            return;
        }
        pump(viewer);
    }
}

void LiveEndpoint::post(const JournalRecord& record)
{
    changed(m_state.apply(record, nowMs()));
}

void LiveEndpoint::reset(const SessionState& state)
{
    m_state.reset(state);
    changed({LiveChange::All});
}

const QByteArray& LiveEndpoint::currentState()
{
    constexpr qint64 kFreshMs = 250;
    const qint64 now = nowMs();
    if (m_stateCache.seq != m_state.seq() || now - m_stateCache.madeAtMs > kFreshMs || m_stateCache.json.isEmpty()) {
        m_stateCache.seq = m_state.seq();
        m_stateCache.madeAtMs = now;
        m_stateCache.json = m_state.stateJson(now);
    }
    return m_stateCache.json;
}

qint64 LiveEndpoint::queuedBytes() const
{
    qint64 bytes = 0;
    for (const Viewer& viewer : m_viewers)
        bytes += viewer.socket->bytesToWrite();
    return bytes;
}

void LiveEndpoint::tick()
{
    const qint64 now = nowMs();
    const QString clock = m_state.running() ? QString::fromUtf8(m_state.clockMessage()) : QString();
    for (Viewer& viewer : m_viewers) {
        if (viewer.socket->bytesToWrite() > 0) {
            if (viewer.waitingSinceMs < 0)
                viewer.waitingSinceMs = now;
            else if (now - viewer.waitingSinceMs > m_limits.stalledViewerMs)
                viewer.socket->abort();
            continue;
        }
        viewer.waitingSinceMs = -1;
        if (!clock.isEmpty())
            viewer.socket->sendTextMessage(clock);
    }
}
