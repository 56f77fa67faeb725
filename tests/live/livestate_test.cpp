#include "live/livestate.h"
#include "support/resulttables.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <limits>

namespace {

QJsonObject parse(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json.constData();
    return doc.object();
}

JournalRecord tableRecord(int page, const Rows& rows)
{
    JournalTable table;
    table.table = makeTable(rows);
    return JournalRecord::table(page, table, true);
}

// A clock counting microseconds whose now the test sets.
struct Fixture {
    qint64 tick = 0;
    LiveState state{LiveClock{[this] { return tick; }, 1.0}};
};

}  // namespace

TEST(LiveState, EachKindOfChangeMakesItsMessage)
{
    Fixture f;
    f.state.reset(SessionState{});
    struct Case {
        JournalRecord record;
        const char* type;
    };
    const std::vector<Case> cases = {
        {JournalRecord::classes({"Junioren"}, {}, {}), "state"},
        {JournalRecord::clock(JournalClock::Running, 0, 0, 1), "race"},
        {JournalRecord::row(1, JournalTimeRow{}), "race"},
        {JournalRecord::startNumbers({"12", "7", "", "", ""}), "race"},
        {JournalRecord::activePage(4), "race"},
        {tableRecord(2, {{"1", "12", "0:05,00", "1:02,35", "-", "-", "1:02,35", "", "49,9"}}), "class"},
        {JournalRecord::trackLength(2, 900), "class"},
    };
    for (const Case& c : cases) {
        const quint64 before = f.state.seq();
        const LiveChange change = f.state.apply(c.record, 0);
        const QJsonObject message = parse(f.state.message(change, 0));
        EXPECT_EQ(message.value("type").toString(), QLatin1String(c.type)) << c.type;
        EXPECT_EQ(message.value("seq").toInteger(), qint64(before + 1));
    }
    const QJsonObject state = parse(f.state.stateJson(0));
    EXPECT_EQ(state.value("race").toObject().value("class").toInt(), 5);
    EXPECT_EQ(state.value("race").toObject().value("startNumbers").toArray().first().toString(), "12");
    EXPECT_EQ(state.value("classNames").toArray().first().toString(), "Junioren");
    const QJsonObject klasse = state.value("classes").toArray().first().toObject();
    EXPECT_EQ(klasse.value("number").toInt(), 3);
    EXPECT_EQ(klasse.value("trackLength").toInt(), 900);
}

TEST(LiveState, ARecordThatDoesNotReadChangesNothing)
{
    Fixture f;
    const quint64 before = f.state.seq();
    JournalRecord broken = JournalRecord::activePage(3);
    broken.body.chop(2);
    EXPECT_EQ(f.state.apply(broken, 0).kind, LiveChange::None);
    EXPECT_EQ(f.state.apply(JournalRecord::activePage(99), 0).kind, LiveChange::None);
    EXPECT_EQ(f.state.seq(), before);
}

TEST(LiveState, TheClassShowsTheRankedRowsAndMarksOnlyTheCarsWhoseTimesChanged)
{
    Fixture f;
    f.state.apply(tableRecord(0, {{"1", "7", "0:04,00", "1:01,00", "-", "-", "1:01,00", "", "50,0"}}), 0);
    // Car 12 is entered and goes ahead: car 7 moves down a place but keeps its times.
    const LiveChange change = f.state.apply(
        tableRecord(0, {{"1", "12", "0:05,00", "1:00,00", "-", "-", "1:00,00", "", "51,0"},
                        {"2", "7", "0:04,00", "1:01,00", "-", "-", "1:01,00", "0:01,00", "50,0"}}),
        1000);
    ASSERT_EQ(change.kind, LiveChange::Class);
    const QJsonObject klasse = parse(f.state.message(change, 2000)).value("class").toObject();
    const QJsonArray rows = klasse.value("rows").toArray();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].toObject().value("cells").toArray().size(), 9);
    EXPECT_EQ(rows[0].toObject().value("cells").toArray()[1].toString(), "12");
    EXPECT_EQ(rows[1].toObject().value("cells").toArray()[7].toString(), "0:01,00");
    EXPECT_TRUE(rows[0].toObject().value("changed").toBool());
    EXPECT_FALSE(rows[1].toObject().value("changed").toBool());
    EXPECT_EQ(klasse.value("changedAgeMs").toInteger(), 1000);

    // After the mark's time nothing is marked any more.
    const QJsonObject later = parse(f.state.message(change, 1000 + LiveState::kRowMarkMs)).value("class").toObject();
    EXPECT_TRUE(later.value("changedAgeMs").isNull());
    EXPECT_FALSE(later.value("rows").toArray()[0].toObject().value("changed").toBool());
}

TEST(LiveState, TheRaceTimeRunsWithTheClockAndStopsAtItsEnd)
{
    Fixture f;
    f.state.apply(JournalRecord::clock(JournalClock::Running, 5'000'000, 0, 1), 0);  // started at 5 s
    f.tick = 65'500'000;
    QJsonObject clock = parse(f.state.clockMessage());
    EXPECT_EQ(clock.value("state").toString(), "running");
    EXPECT_EQ(clock.value("elapsedMs").toInteger(), 60'500);

    f.state.apply(JournalRecord::clock(JournalClock::Ended, 5'000'000, 70'000'000, 1), 0);
    f.tick = 99'000'000;
    const QJsonObject race = parse(f.state.stateJson(0)).value("race").toObject();
    EXPECT_EQ(race.value("state").toString(), "ended");
    EXPECT_EQ(race.value("elapsedMs").toInteger(), 65'000);

    f.state.apply(JournalRecord::clock(JournalClock::Ready, 0, 0, 0), 0);
    EXPECT_EQ(parse(f.state.clockMessage()).value("elapsedMs").toInteger(), 0);

    // Ticks no clock gives (a damaged record) show no time, and nothing overflows.
    f.state.apply(JournalRecord::clock(JournalClock::Ended, std::numeric_limits<qint64>::min() + 5,
                                       std::numeric_limits<qint64>::max() - 5, 1),
                  0);
    EXPECT_EQ(parse(f.state.clockMessage()).value("elapsedMs").toInteger(), 0);
}

TEST(LiveState, NamesFromFilesAreCarriedAsTextAndTheStateStaysValidJson)
{
    Fixture f;
    const QString hostile = QStringLiteral("<img src=x onerror=alert(1)>\"\\\n\u00e9\U0001F3CE");
    f.state.apply(JournalRecord::classes({hostile}, {}, {}), 0);
    f.state.apply(tableRecord(0, {{"1", hostile.toStdString(), "\x01", "", "", "", "Ausfall", "", ""}}), 0);
    const QJsonObject state = parse(f.state.stateJson(0));
    EXPECT_EQ(state.value("classNames").toArray().first().toString(), hostile);
    EXPECT_EQ(state.value("classes").toArray().first().toObject().value("rows").toArray().first().toObject()
                  .value("cells").toArray()[1].toString(),
              hostile);
}
