#include "live/liveserver.h"
#include "support/resulttables.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kWaitMs = 5000;
// A WebSocket handshake by hand, for clients that must misbehave after it.
constexpr char kHandshake[] = "GET /live HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                              "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";

// A server on a free port with the given limits; the clock counts
// microseconds from what the test sets.
class Served {
public:
    explicit Served(LiveLimits limits = {})
        : server(LiveClock{[this] { return tick.load(); }, 1.0}, limits)
    {
        QSignalSpy started(&server, &LiveServer::started);
        server.start(0, SessionState{});
        if (started.wait(kWaitMs))
            port = started.first().first().value<quint16>();
    }
    std::atomic<qint64> tick{0};
    LiveServer server;
    quint16 port = 0;
};

struct Reply {
    QByteArray bytes;
    bool closed = false;
    QByteArray statusLine() const { return bytes.left(bytes.indexOf("\r\n")); }
    QByteArray body() const { return bytes.mid(bytes.indexOf("\r\n\r\n") + 4); }
    bool hasHeader(const QByteArray& line) const { return bytes.left(bytes.indexOf("\r\n\r\n")).contains(line); }
};

// Sends raw bytes and collects the answer until the server closes the
// connection or has answered with a whole response.
Reply exchange(quint16 port, const QByteArray& request, bool waitForClose = false)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    Reply reply;
    if (!socket.waitForConnected(kWaitMs))
        return reply;
    socket.write(request);
    (void)QTest::qWaitFor(
        [&] {
            reply.bytes += socket.readAll();
            reply.closed = socket.state() == QAbstractSocket::UnconnectedState;
            const qsizetype headEnd = reply.bytes.indexOf("\r\n\r\n");
            if (reply.closed || headEnd < 0 || waitForClose)
                return reply.closed;
            const qsizetype at = reply.bytes.indexOf("Content-Length: ");
            const int length = at < 0 ? 0 : reply.bytes.mid(at + 16, 12).split('\r').first().toInt();
            return reply.bytes.size() >= headEnd + 4 + length;
        },
        kWaitMs);
    return reply;
}

QByteArray get(const QByteArray& target, const QByteArray& method = "GET")
{
    return method + ' ' + target + " HTTP/1.1\r\nHost: pylonix\r\n\r\n";
}

std::unique_ptr<QWebSocket> viewer(quint16 port, QList<QByteArray>* messages)
{
    auto socket = std::make_unique<QWebSocket>();
    QObject::connect(socket.get(), &QWebSocket::textMessageReceived,
                     [messages](const QString& text) { messages->append(text.toUtf8()); });
    socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live").arg(port)));
    (void)QTest::qWaitFor([&] { return !messages->isEmpty(); }, kWaitMs);
    return socket;
}

QJsonObject json(const QByteArray& text)
{
    return QJsonDocument::fromJson(text).object();
}

}  // namespace

TEST(LiveServer, RefusesWhatIsNotAPlainReadAndClosesTheConnection)
{
    Served s;
    ASSERT_NE(s.port, 0);
    struct Case {
        const char* what;
        QByteArray request;
        const char* status;
    };
    const std::vector<Case> cases = {
        {"POST", get("/", "POST"), "405"},
        {"DELETE", get("/api/state", "DELETE"), "405"},
        {"body", "GET / HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello", "413"},
        {"chunked", "GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", "413"},
        {"huge head", "GET / HTTP/1.1\r\nX-Pad: " + QByteArray(9000, 'a') + "\r\n\r\n", "431"},
        {"overlong URL", get('/' + QByteArray(3000, 'a')), "400"},
        {"traversal", get("/../etc/passwd"), "400"},
        {"encoded traversal", get("/%2e%2E/etc/passwd"), "400"},
        {"encoded slash", get("/klasse%2f1"), "400"},
        {"backslash", get("/..\\live.js"), "400"},
        {"broken escape", get("/%zz"), "400"},
        {"NUL in a header", QByteArray("GET / HTTP/1.1\r\nHost: a\0b\r\n\r\n", 26), "400"},
        {"garbage", QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11), "400"},
        {"HTTP/2 preface", "PRI * HTTP/2.0\r\n\r\nSM\r\n\r\n", "400"},
        {"no version", "GET /\r\n\r\n", "400"},
    };
    for (const Case& c : cases) {
        const Reply reply = exchange(s.port, c.request, true);
        EXPECT_TRUE(reply.statusLine().startsWith(QByteArray("HTTP/1.1 ") + c.status))
            << c.what << ": " << reply.statusLine().constData();
        EXPECT_TRUE(reply.closed) << c.what;
    }
    EXPECT_TRUE(exchange(s.port, get("/", "PUT"), true).hasHeader("Allow: GET, HEAD"));
}

TEST(LiveServer, ServesItsPagesAndStateWithTheirTypesAndSecurityHeaders)
{
    Served s;
    ASSERT_NE(s.port, 0);
    struct Case {
        QByteArray target;
        const char* status;
        QByteArray type;
    };
    const std::vector<Case> cases = {
        {"/", "200", "text/html"},
        {"/klasse/1", "200", "text/html"},
        {"/klasse/21", "200", "text/html"},
        {"/anzeige", "200", "text/html"},
        {"/live.js", "200", "text/javascript"},
        {"/live.css", "200", "text/css"},
        {"/api/state?x=1", "200", "application/json"},
        {"/klasse/22", "404", ""},
        {"/klasse/0", "404", ""},
        {"/klasse/01", "404", ""},
        {"/index.html", "404", ""},
        {"/web.qrc", "404", ""},
        {"/etc/passwd", "404", ""},
        {"/live", "426", ""},
    };
    for (const Case& c : cases) {
        const Reply reply = exchange(s.port, get(c.target));
        EXPECT_TRUE(reply.statusLine().startsWith(QByteArray("HTTP/1.1 ") + c.status))
            << c.target.constData() << ": " << reply.statusLine().constData();
        EXPECT_TRUE(reply.hasHeader("Content-Security-Policy: default-src 'self';")) << c.target.constData();
        EXPECT_TRUE(reply.hasHeader("X-Content-Type-Options: nosniff")) << c.target.constData();
        if (!c.type.isEmpty()) {
            EXPECT_TRUE(reply.hasHeader("Content-Type: " + c.type)) << c.target.constData();
        }
    }
    const Reply state = exchange(s.port, get("/api/state"));
    EXPECT_TRUE(state.hasHeader("Cache-Control: no-store"));
    EXPECT_EQ(json(state.body()).value("classNames").toArray().size(), 21);

    const Reply closing = exchange(s.port, "GET / HTTP/1.1\r\nConnection: close\r\n\r\n", true);
    EXPECT_TRUE(closing.closed && closing.statusLine().startsWith("HTTP/1.1 200"));

    const Reply head = exchange(s.port, get("/", "HEAD"));
    EXPECT_TRUE(head.statusLine().startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(head.body().isEmpty());
}

TEST(LiveServer, ConnectionsBeyondTheLimitsAreTurnedAway)
{
    LiveLimits limits;
    limits.maxConnections = 3;
    limits.maxViewers = 2;
    Served s(limits);
    ASSERT_NE(s.port, 0);
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < limits.maxConnections; ++i) {
        held.push_back(std::make_unique<QTcpSocket>());
        held.back()->connectToHost(QHostAddress::LocalHost, s.port);
        ASSERT_TRUE(held.back()->waitForConnected(kWaitMs));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return exchange(s.port, get("/")).statusLine().contains("503"); }, kWaitMs));
    held.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return exchange(s.port, get("/")).statusLine().contains("200"); }, kWaitMs));

    QList<QByteArray> first, second, third;
    auto a = viewer(s.port, &first);
    auto b = viewer(s.port, &second);
    EXPECT_FALSE(first.isEmpty());
    EXPECT_FALSE(second.isEmpty());
    const Reply refused = exchange(s.port, kHandshake, true);
    EXPECT_TRUE(refused.statusLine().contains("503")) << refused.statusLine().constData();
    // Viewers do not count against the page connections.
    EXPECT_TRUE(exchange(s.port, get("/")).statusLine().contains("200"));
}

TEST(LiveServer, SilentAndSlowClientsAreClosedButViewersStay)
{
    LiveLimits limits;
    limits.idleMs = 300;
    limits.headMs = 200;
    Served s(limits);
    ASSERT_NE(s.port, 0);
    QList<QByteArray> messages;
    auto watching = viewer(s.port, &messages);

    QTcpSocket silent, slow;
    silent.connectToHost(QHostAddress::LocalHost, s.port);
    slow.connectToHost(QHostAddress::LocalHost, s.port);
    ASSERT_TRUE(silent.waitForConnected(kWaitMs) && slow.waitForConnected(kWaitMs));
    slow.write("GET / HTTP/1.1\r\nHost: ");
    EXPECT_TRUE(QTest::qWaitFor([&] { return slow.state() == QAbstractSocket::UnconnectedState; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return silent.state() == QAbstractSocket::UnconnectedState; }, kWaitMs));
    EXPECT_EQ(watching->state(), QAbstractSocket::ConnectedState);
}

TEST(LiveServer, ViewersGetTheStateOnConnectAndEveryChangeButAreNotListenedTo)
{
    Served s;
    ASSERT_NE(s.port, 0);
    QList<QByteArray> messages;
    auto watching = viewer(s.port, &messages);
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.size() == 1 + 21; }, kWaitMs));
    EXPECT_EQ(json(messages[0]).value("type").toString(), "state");
    messages.clear();

    // What a viewer says is ignored; something large ends its connection.
    watching->sendTextMessage(QStringLiteral("{\"type\":\"state\"}"));
    s.server.post(JournalRecord::startNumbers({"12", "", "", "", ""}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.size() == 1; }, kWaitMs));
    const QJsonObject race = json(messages[0]);
    EXPECT_EQ(race.value("type").toString(), "race");
    EXPECT_EQ(race.value("race").toObject().value("startNumbers").toArray().first().toString(), "12");

    JournalTable table;
    table.table = makeTable({{"1", "12", "0:05,00", "1:00,00", "-", "-", "1:00,00", "", "51,0"}});
    s.server.post(JournalRecord::table(3, table, true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.size() == 2; }, kWaitMs));
    EXPECT_EQ(json(messages[1]).value("class").toObject().value("number").toInt(), 4);

    watching->sendTextMessage(QString(4096, QLatin1Char('x')));
    EXPECT_TRUE(QTest::qWaitFor([&] { return watching->state() == QAbstractSocket::UnconnectedState; }, kWaitMs));

    // A page that lost its connection comes back to the state as it is now:
    // the state, then every class, those without results too.
    QList<QByteArray> again;
    auto back = viewer(s.port, &again);
    ASSERT_TRUE(QTest::qWaitFor([&] { return again.size() == 1 + 21; }, kWaitMs));
    EXPECT_EQ(json(again[0]).value("race").toObject().value("startNumbers").toArray().first().toString(), "12");
    EXPECT_EQ(json(again[4]).value("class").toObject().value("rows").toArray().size(), 1);
    EXPECT_TRUE(json(again[5]).value("class").toObject().value("rows").toArray().isEmpty());
}

TEST(LiveServer, AViewerThatDoesNotReadHoldsOnlyTheNewestStateAndDelaysNoOne)
{
    Served s;
    ASSERT_NE(s.port, 0);
    // The stalled viewer: a handshake by hand, then it never reads again.
    QTcpSocket stalled;
    stalled.setReadBufferSize(1);
    stalled.connectToHost(QHostAddress::LocalHost, s.port);
    ASSERT_TRUE(stalled.waitForConnected(kWaitMs));
    stalled.write(kHandshake);
    QList<QByteArray> messages;
    auto watching = viewer(s.port, &messages);

    // Enough large tables to fill every buffer between the server and the stalled viewer.
    Rows rows;
    for (int i = 1; i <= 500; ++i)
        rows.push_back({std::to_string(i), std::to_string(1000 + i), "0:05,00", "1:00,00", "1:01,00", "1:02,00",
                        "1:00,00", "0:00,01", "51,0"});
    JournalTable table;
    table.table = makeTable(rows);
    for (int i = 0; i < 400; ++i) {
        table.table.setCell(1, ResultTable::ColLap3, QStringLiteral("1:02,%1").arg(i % 100, 2, 10, QLatin1Char('0')));
        s.server.post(JournalRecord::table(i % 21, table, true));
    }
    s.server.flush();
    // The viewer that reads has the newest tables at once.
    const auto newest = [&](const char* number, const char* value) {
        return std::any_of(messages.begin(), messages.end(), [&](const QByteArray& m) {
            return m.contains(QByteArray("\"number\":") + number + ',') && m.contains(value);
        });
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return newest("1", "1:02,99") && newest("21", "1:02,98"); }, kWaitMs));
    const qint64 queued = s.server.queuedBytes();
    EXPECT_LT(queued, 256 * 1024) << "a stalled viewer's queue grew to " << queued << " bytes";

    // Once it reads again it gets every class as it is now: the last one it
    // receives is class 21 with the last value posted for it.
    stalled.setReadBufferSize(0);
    QByteArray received;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            received += stalled.readAll();
            const qsizetype last = received.lastIndexOf("\"number\":21");
            return received.endsWith("}}") && last > 0 && received.indexOf("1:02,98", last) > last;
        },
        kWaitMs))
        << received.size() << " bytes, ending " << received.right(80).toStdString();
}
