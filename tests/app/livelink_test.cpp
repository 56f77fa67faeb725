// Live results as the operator runs them from the real window: F12, the
// live window's check box and port, the status bar, the stored settings,
// and what a viewer receives while a race is driven by keys and clicks.
#include "app/livelink.h"
#include "app/qrcode.h"
#include "platform/settingsstore.h"
#include "support/resultswindow.h"

#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QSpinBox>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>

namespace {

constexpr int kWaitMs = 5000;

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool answers(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(kWaitMs))
        return false;
    socket.write("GET /api/state HTTP/1.1\r\nHost: x\r\n\r\n");
    QByteArray reply;
    (void)QTest::qWaitFor(
        [&] {
            reply += socket.readAll();
            return reply.contains("\r\n\r\n");
        },
        kWaitMs);
    return reply.startsWith("HTTP/1.1 200");
}

class LiveWindow : public ResultsWindowTest {
protected:
    void storeLive(bool on, quint16 port)
    {
        platform::SettingsStore store(QStringLiteral("PylonixResultsTest"), dir.filePath(QStringLiteral("config")));
        store.load();
        store.writeDword(QStringLiteral("LiveOn"), on ? 1 : 0);
        store.writeDword(QStringLiteral("LivePort"), port);
        ASSERT_EQ(store.save(), QString());
    }
    QString statusPanel() { return child<QLabel>("StatusPanel2")->text(); }
    // A viewer on the port; true once it has the state and all 21 classes.
    bool watch(QWebSocket& viewer, quint16 port)
    {
        QObject::connect(&viewer, &QWebSocket::textMessageReceived,
                         [this](const QString& text) { received << QJsonDocument::fromJson(text.toUtf8()).object(); });
        viewer.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live").arg(port)));
        return QTest::qWaitFor([&] { return received.size() == 1 + 21; }, kWaitMs);
    }
    QList<QJsonObject> received;
};

}  // namespace

TEST_F(LiveWindow, F12OnAndAViewerSeesTheTableTheMomentEintragenIsPressed)
{
    make();
    const quint16 port = freePort();
    key(Qt::Key_F12);
    TFormLive* live = window->live()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(live));
    EXPECT_EQ(live->windowTitle(), QStringLiteral("Live-Ergebnisse"));
    EXPECT_EQ(live->ePort->value(), 8080);

    // The operator types the port and ticks "Ein".
    userClick(live->ePort);
    key(Qt::Key_A, Qt::ControlModifier);
    userType(QString::number(port));
    key(Qt::Key_Tab);
    userClick(live->cbOn, Qt::LeftButton, QPoint(6, live->cbOn->height() / 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return statusPanel().startsWith(QStringLiteral("Live: ")); }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers(port); }, kWaitMs));
    EXPECT_TRUE(live->cbOn->isChecked());

    QWebSocket viewer;
    ASSERT_TRUE(watch(viewer, port));
    EXPECT_EQ(received.first().value("type").toString(), "state");
    EXPECT_TRUE(QTest::qWaitFor([&] { return statusPanel().endsWith(QStringLiteral("(1)")); }, kWaitMs))
        << statusPanel().toStdString();

    ASSERT_TRUE(showActive(window.get()));
    typeInto(edit(1), QStringLiteral("12"));
    typeInto(eLEN(), QStringLiteral("1000"));
    runRace({62000, 121500, 185250});
    for (int n = 1; n <= 4; ++n)
        mark(n, 1);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::any_of(received.begin(), received.end(), [](const QJsonObject& m) {
                const QJsonObject race = m.value("race").toObject();
                return race.value("state").toString() == "ended" && race.value("times").toArray().size() == 4;
            });
        },
        kWaitMs));
    const qsizetype before = received.size();
    key(Qt::Key_F9);
    QJsonObject klasse;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (qsizetype i = before; i < received.size(); ++i) {
                if (received[i].value("type").toString() == "class")
                    klasse = received[i].value("class").toObject();
            }
            return !klasse.isEmpty();
        },
        kWaitMs));
    EXPECT_EQ(klasse.value("number").toInt(), 1);
    const QJsonArray cells = klasse.value("rows").toArray().first().toObject().value("cells").toArray();
    EXPECT_EQ(cells[1].toString(), "12");
    EXPECT_EQ(cells[6].toString(), "00:59,50");
    EXPECT_EQ(cells[8].toString(), "60,5");
    EXPECT_TRUE(klasse.value("rows").toArray().first().toObject().value("changed").toBool());

    // Off: no listening socket at all, and the status bar says nothing of it.
    userClick(live->cbOn, Qt::LeftButton, QPoint(6, live->cbOn->height() / 2));
    EXPECT_FALSE(answers(port));
    EXPECT_FALSE(statusPanel().contains(QStringLiteral("Live")));
    window.reset();
    platform::SettingsStore stored(QStringLiteral("PylonixResultsTest"), dir.filePath(QStringLiteral("config")));
    stored.load();
    EXPECT_EQ(stored.readDword(QStringLiteral("LiveOn")), 0u);
    EXPECT_EQ(stored.readDword(QStringLiteral("LivePort")), quint32(port));
}

TEST_F(LiveWindow, StoredOnServesFromStartUpAndABusyPortIsReportedWhileTimingGoesOn)
{
    const quint16 port = freePort();
    storeLive(true, port);
    make();
    EXPECT_TRUE(QTest::qWaitFor([&] { return answers(port); }, kWaitMs));
    window.reset();

    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::Any, port));
    make();
    const QString busy = QStringLiteral("Port %1 ist belegt").arg(port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return statusPanel() == QStringLiteral("Live: ") + busy; }, kWaitMs))
        << statusPanel().toStdString();
    EXPECT_EQ(window->live()->window()->lProblem->text(), busy);
    EXPECT_FALSE(window->live()->window()->cbOn->isChecked());
    runRace({61000});
    EXPECT_EQ(window->rowCount(), 2);
    // The operator's wish is kept for the next start.
    EXPECT_TRUE(window->live()->wanted());
}

TEST_F(LiveWindow, EveryKindOfChangeTheOperatorMakesReachesAViewer)
{
    const quint16 port = freePort();
    storeLive(true, port);
    make();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers(port); }, kWaitMs));
    QWebSocket viewer;
    ASSERT_TRUE(watch(viewer, port));
    ASSERT_TRUE(showActive(window.get()));
    typeInto(eLEN(), QStringLiteral("1000"));
    const QString list = dir.filePath(QStringLiteral("liste.txt"));
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("700 Gruppe A\r\n900 Gruppe B\r\n");
    file.close();

    const auto race = [](const QJsonObject& m) { return m.value("race").toObject(); };
    const auto klasse = [](const QJsonObject& m) { return m.value("class").toObject(); };
    struct Step {
        const char* what;
        std::function<void()> act;
        std::function<bool(const QJsonObject&)> seen;  // a message after the step shows it
    };
    const std::vector<Step> steps = {
        {"start number", [&] { typeInto(edit(1), QStringLiteral("12")); },
         [&](const QJsonObject& m) { return race(m).value("startNumbers").toArray().first() == "12"; }},
        {"START", [&] { key(Qt::Key_F5); }, [&](const QJsonObject& m) { return race(m).value("state") == "running"; }},
        {"ZEIT", [&] { counter.advanceMs(61000); key(Qt::Key_F6); },
         [&](const QJsonObject& m) { return race(m).value("times").toArray().size() == 2; }},
        {"restart (F7)", [&] { key(Qt::Key_F7); }, [&](const QJsonObject& m) { return race(m).value("state") == "ready"; }},
        {"ENDE", [&] { runRace({62000, 121500, 185250}); },
         [&](const QJsonObject& m) { return race(m).value("state") == "ended"; }},
        {"EINTRAGEN", [&] { for (int n = 1; n <= 4; ++n) mark(n, 1); key(Qt::Key_F9); },
         [&](const QJsonObject& m) { return klasse(m).value("rows").toArray().size() == 1; }},
        {"NÄCHSTEN", [&] { key(Qt::Key_Return); },
         [&](const QJsonObject& m) { return race(m).value("startNumbers").toArray().first() == ""; }},
        {"place order", [&] { key(Qt::Key_P, Qt::ControlModifier); },
         [&](const QJsonObject& m) { return m.value("type") == "state" || klasse(m).value("number") == 1; }},
        {"track length", [&] { typeInto(eLEN(), QStringLiteral("1200")); },
         [&](const QJsonObject& m) { return klasse(m).value("trackLength") == 1200; }},
        {"deleted row", [&] { grid()->SetRow(1); window->mDeleteline1Click(); },
         [&](const QJsonObject& m) { return m.value("type") == "class" && klasse(m).value("rows").toArray().isEmpty(); }},
        {"class list", [&] { chosenFile = list; key(Qt::Key_O, Qt::ControlModifier); },
         [&](const QJsonObject& m) { return m.value("classNames").toArray().at(1) == "Gruppe B"; }},
        {"class added", [&] { userClick(classBox()); key(Qt::Key_A, Qt::ControlModifier); userType(QStringLiteral("Junioren")); key(Qt::Key_Return); },
         [&](const QJsonObject& m) { return m.value("classNames").toArray().at(2) == "Junioren"; }},
        {"restored day", [&] {
             SessionState day = window->sessionState();
             day.tables[5].table.setCell(1, ResultTable::ColNumber, QStringLiteral("99"));
             day.tables[5].table.setCell(1, ResultTable::ColBest, QStringLiteral("01:00,00"));
             window->restoreSession(day);
         },
         [&](const QJsonObject& m) { return klasse(m).value("number") == 6 && !klasse(m).value("rows").toArray().isEmpty(); }},
    };
    for (const Step& step : steps) {
        const qsizetype before = received.size();
        step.act();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return std::any_of(received.begin() + before, received.end(), step.seen); }, kWaitMs))
            << step.what;
    }
}

TEST(QrCode, AnAddressBecomesACodeWithItsQuietZoneAndTooMuchTextNone)
{
    const QImage code = qrCodeImage(QStringLiteral("http://192.168.178.20:8080/"), 3);
    ASSERT_FALSE(code.isNull());
    // Version 2 (25 modules) at level M, four quiet modules each side.
    EXPECT_EQ(code.width(), (25 + 8) * 3);
    EXPECT_EQ(code.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(code.pixel(4 * 3, 4 * 3), qRgb(0, 0, 0));  // the finder pattern's corner
    EXPECT_TRUE(qrCodeImage(QString(4000, QLatin1Char('x')), 3).isNull());
}
