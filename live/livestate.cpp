#include "live/livestate.h"

#include "timing/racetime.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kVisibleColumns = ResultTable::ColOrder;  // the hidden order column stays home

QJsonArray visibleCells(const ResultTable& table, int row)
{
    QJsonArray cells;
    for (int c = 0; c < kVisibleColumns; ++c)
        cells.append(table.cell(row, c));
    return cells;
}

// A JSON string of any text: quotes, backslashes and control characters
// escaped, the rest as UTF-8 (a lone surrogate becomes a replacement).
void appendJsonString(QByteArray& out, const QString& text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text.toUtf8()) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// What makes a row "new" for a viewer: its car's times, not the places and
// gaps that every entry moves.
QString timesOf(const ResultTable& table, int row)
{
    QString key;
    for (int c = ResultTable::ColStart; c <= ResultTable::ColBest; ++c)
        key += table.cell(row, c) + QLatin1Char('\x1f');
    return key;
}

const char* raceStateName(JournalClock clock)
{
    switch (clock) {
    case JournalClock::Running:
        return "running";
    case JournalClock::Ended:
    case JournalClock::Entered:
        return "ended";
    default:
        return "ready";
    }
}

}  // namespace

LiveState::LiveState(LiveClock clock)
    : m_clock(std::move(clock))
{
}

void LiveState::reset(const SessionState& state)
{
    m_state = state;
    m_marks = {};
    ++m_seq;
}

LiveChange LiveState::apply(const JournalRecord& record, qint64 nowMs)
{
    using Type = JournalRecord::Type;
    SessionState next = m_state;
    if (!applyRecord(next, record))
        return {};
    LiveChange change;
    switch (record.type) {
    case Type::Clock:
    case Type::Row:
    case Type::StartNumbers:
    case Type::ActivePage:
        change.kind = LiveChange::Race;
        break;
    case Type::Table: {
        int page = 0;
        for (; page < kClassPages; ++page) {
            if (!(next.tables[std::size_t(page)] == m_state.tables[std::size_t(page)]))
                break;
        }
        if (page == kClassPages) {
            // The place order alone changed, or nothing did.
            if (next.placeOrder == m_state.placeOrder)
                return {};
            change.kind = LiveChange::All;
            break;
        }
        markChangedRows(page, m_state.tables[std::size_t(page)].table, next.tables[std::size_t(page)].table,
                        nowMs);
        change = {LiveChange::Class, page};
        break;
    }
    case Type::TrackLength:
        // The speeds come with the table the page ranks next; the length
        // itself is part of the class.
        change = {LiveChange::Class, 0};
        for (int p = 0; p < kClassPages; ++p) {
            if (next.trackLengths[std::size_t(p)] != m_state.trackLengths[std::size_t(p)])
                change.page = p;
        }
        break;
    case Type::Classes:
        change.kind = LiveChange::All;
        break;
    case Type::Closed:
        return {};
    }
    m_state = std::move(next);
    ++m_seq;
    return change;
}

void LiveState::markChangedRows(int page, const ResultTable& before, const ResultTable& after, qint64 nowMs)
{
    QHash<QString, QString> previous;
    for (int r = 1; r < before.rowCount(); ++r)
        previous.insert(before.cell(r, ResultTable::ColNumber), timesOf(before, r));
    Marks& marks = m_marks[std::size_t(page)];
    marks.rows.fill(false, after.rowCount());
    bool any = false;
    for (int r = 1; r < after.rowCount(); ++r) {
        if (after.isRowBlank(r))
            continue;
        const auto it = previous.constFind(after.cell(r, ResultTable::ColNumber));
        marks.rows[r] = it == previous.constEnd() || *it != timesOf(after, r);
        any = any || marks.rows[r];
    }
    if (any)
        marks.atMs = nowMs;
    else if (!after.hasResults())
        marks = {};
}

qint64 LiveState::elapsedMs() const
{
    const JournalRace& race = m_state.race;
    // Ticks from a damaged record may be anything: a span that does not fit
    // is shown as no time at all.
    const auto since = [&](qint64 tick) -> qint64 {
        qint64 span = 0;
        if (__builtin_sub_overflow(tick, race.startTick, &span) || span < 0)
            return 0;
        return qMax<qint64>(0, CalcMS(span, m_clock.countSpeed));
    };
    switch (race.clock) {
    case JournalClock::Running:
        return m_clock.nowTick ? since(m_clock.nowTick()) : 0;
    case JournalClock::Ended:
    case JournalClock::Entered:
        return since(race.endTick);
    default:
        return 0;
    }
}

QString LiveState::className(int page) const
{
    if (page < m_state.classNames.size() && !m_state.classNames[page].trimmed().isEmpty())
        return m_state.classNames[page];
    return m_state.captions[std::size_t(page)];
}

QByteArray LiveState::raceObject() const
{
    const JournalRace& race = m_state.race;
    QJsonObject o;
    o.insert(QStringLiteral("state"), QLatin1String(raceStateName(race.clock)));
    o.insert(QStringLiteral("elapsedMs"), elapsedMs());
    o.insert(QStringLiteral("class"), m_state.activePage + 1);
    QJsonArray numbers;
    for (const QString& n : race.startNumbers)
        numbers.append(n);
    o.insert(QStringLiteral("startNumbers"), numbers);
    QJsonArray times;
    if (race.clock != JournalClock::StartUp && race.clock != JournalClock::Ready) {
        for (int n = 1; n <= race.rows.size(); ++n) {
            QJsonObject t;
            t.insert(QStringLiteral("n"), n);
            t.insert(QStringLiteral("text"), race.rows[n - 1].row.text);
            t.insert(QStringLiteral("start"), n == 1);
            times.append(t);
        }
    }
    o.insert(QStringLiteral("times"), times);
    return compact(o);
}

QByteArray LiveState::classObject(int page, qint64 nowMs) const
{
    // Written out directly: a class of 500 rows is made for every EINTRAGEN,
    // and a JSON object tree of it costs ten times the text.
    const ResultTable& table = m_state.tables[std::size_t(page)].table;
    const Marks& marks = m_marks[std::size_t(page)];
    const bool marked = marks.atMs >= 0 && nowMs - marks.atMs < kRowMarkMs;
    QByteArray out;
    out.reserve(128 + 120 * table.rowCount());
    out += "{\"number\":" + QByteArray::number(page + 1) + ",\"name\":";
    appendJsonString(out, className(page));
    out += ",\"trackLength\":" + QByteArray::number(m_state.trackLengths[std::size_t(page)]);
    out += ",\"changedAgeMs\":" + (marked ? QByteArray::number(nowMs - marks.atMs) : QByteArray("null"));
    out += ",\"rows\":[";
    bool first = true;
    if (table.hasResults()) {
        for (int r = 1; r < table.rowCount(); ++r) {
            if (table.isRowBlank(r))
                continue;
            out += first ? "{\"cells\":[" : ",{\"cells\":[";
            first = false;
            for (int c = 0; c < kVisibleColumns; ++c) {
                if (c)
                    out += ',';
                appendJsonString(out, table.cell(r, c));
            }
            out += marked && r < marks.rows.size() && marks.rows[r] ? "],\"changed\":true}" : "],\"changed\":false}";
        }
    }
    out += "]}";
    return out;
}

QByteArray LiveState::stateObject(qint64 nowMs, bool withClasses) const
{
    // Pieces already made are joined as text: the class objects are the bulk.
    QJsonArray names;
    for (int p = 0; p < kClassPages; ++p)
        names.append(className(p));
    QByteArray out = "\"seq\":" + QByteArray::number(m_seq);
    out += ",\"headings\":" + QJsonDocument(visibleCells(m_state.tables[0].table, 0)).toJson(QJsonDocument::Compact);
    out += ",\"classNames\":" + QJsonDocument(names).toJson(QJsonDocument::Compact);
    out += ",\"race\":" + raceObject();
    if (!withClasses)
        return out;
    out += ",\"classes\":[";
    bool first = true;
    for (int p = 0; p < kClassPages; ++p) {
        if (!m_state.tables[std::size_t(p)].table.hasResults())
            continue;
        if (!first)
            out += ',';
        first = false;
        out += classObject(p, nowMs);
    }
    out += ']';
    return out;
}

QByteArray LiveState::stateJson(qint64 nowMs) const
{
    return '{' + stateObject(nowMs) + '}';
}

QByteArray LiveState::message(const LiveChange& change, qint64 nowMs) const
{
    const QByteArray seq = QByteArray::number(m_seq);
    switch (change.kind) {
    case LiveChange::Race:
        return "{\"type\":\"race\",\"seq\":" + seq + ",\"race\":" + raceObject() + '}';
    case LiveChange::Class:
        return "{\"type\":\"class\",\"seq\":" + seq + ",\"class\":" + classObject(change.page, nowMs) + '}';
    case LiveChange::All:
        return "{\"type\":\"state\"," + stateObject(nowMs, false) + '}';
    case LiveChange::None:
        break;
    }
    return {};
}

QByteArray LiveState::clockMessage() const
{
    return "{\"type\":\"clock\",\"seq\":" + QByteArray::number(m_seq) + ",\"state\":\""
           + raceStateName(m_state.race.clock) + "\",\"elapsedMs\":" + QByteArray::number(elapsedMs()) + '}';
}
