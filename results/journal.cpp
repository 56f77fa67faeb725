#include "results/journal.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QIODevice>

const char* const kJournalLogName = "Pylonix-Journal.log";
const char* const kJournalSnapshotName = "Pylonix-Journal.snap";
const char* const kJournalLockName = "Pylonix-Journal.lock";

namespace {

// Frame: u32 length of the payload, u32 CRC32 of the payload, payload.
// Payload: u64 sequence number, u8 type, body. Little-endian throughout.
constexpr int kFrameHead = 8;
constexpr int kPayloadHead = 9;
// No record comes near this; a length beyond it is damage, not a record.
constexpr quint32 kMaxPayload = 64u * 1024 * 1024;
constexpr quint8 kSnapshotType = 0xA5;
constexpr quint32 kSnapshotVersion = 1;

void putU32(char* p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
void putU64(char* p, quint64 v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
quint32 getU32(const char* p)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v |= quint32(quint8(p[i])) << (8 * i);
    return v;
}
quint64 getU64(const char* p)
{
    quint64 v = 0;
    for (int i = 0; i < 8; ++i)
        v |= quint64(quint8(p[i])) << (8 * i);
    return v;
}

QByteArray frame(quint64 seq, quint8 type, const QByteArray& body)
{
    const qint64 payload = kPayloadHead + body.size();
    QByteArray out(kFrameHead + payload, Qt::Uninitialized);
    char* p = out.data();
    putU64(p + kFrameHead, seq);
    p[kFrameHead + 8] = char(type);
    memcpy(p + kFrameHead + kPayloadHead, body.constData(), size_t(body.size()));
    putU32(p, quint32(payload));
    putU32(p + 4, crc32(p + kFrameHead, payload));
    return out;
}

// Streams are pinned to one version so that a journal written by an earlier
// build of the program reads the same.
struct Writer {
    QByteArray bytes;
    QDataStream out{&bytes, QIODevice::WriteOnly};
    Writer() { out.setVersion(QDataStream::Qt_6_0); }
};
struct Reader {
    QDataStream in;
    explicit Reader(const QByteArray& bytes)
        : in(bytes)
    {
        in.setVersion(QDataStream::Qt_6_0);
    }
    bool ok() const { return in.status() == QDataStream::Ok; }
};

// A list as QDataStream writes it: its count, then each element. The count
// may ask for no more elements than the bytes left could hold (four at
// least each) before anything is reserved: a frame whose checksum matches
// can still carry any count at all.
template <typename List, typename ReadOne>
void readList(QDataStream& in, List& list, ReadOne readOne)
{
    list.clear();
    quint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok)
        return;
    if (qint64(count) > in.device()->bytesAvailable() / 4) {
        in.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    list.reserve(count);
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        typename List::value_type element;
        readOne(in, element);
        list.append(std::move(element));
    }
}
void readStrings(QDataStream& in, QStringList& list)
{
    readList(in, list, [](QDataStream& s, QString& text) { s >> text; });
}
void readRows(QDataStream& in, QVector<QStringList>& rows)
{
    readList(in, rows, readStrings);
}

void writeRow(QDataStream& out, const JournalTimeRow& r)
{
    out << r.row.text << r.row.counted << r.row.zeitRow;
    for (bool d : r.row.down)
        out << d;
    out << qint32(r.row.exactMark) << qint32(r.row.firstColumn) << r.ticks << r.colour;
}
void readRow(QDataStream& in, JournalTimeRow& r)
{
    qint32 exact = 0, first = 0;
    in >> r.row.text >> r.row.counted >> r.row.zeitRow;
    for (bool& d : r.row.down)
        in >> d;
    in >> exact >> first >> r.ticks >> r.colour;
    r.row.exactMark = exact;
    r.row.firstColumn = first;
}
void writeTable(QDataStream& out, const JournalTable& t)
{
    out << t.table.rows << t.canSort << t.sortCol;
}
void readTable(QDataStream& in, JournalTable& t)
{
    readRows(in, t.table.rows);
    in >> t.canSort >> t.sortCol;
}
template <typename T, std::size_t N>
void writeArray(QDataStream& out, const std::array<T, N>& a)
{
    for (const T& v : a)
        out << v;
}
template <typename T, std::size_t N>
void readArray(QDataStream& in, std::array<T, N>& a)
{
    for (T& v : a)
        in >> v;
}

bool validPage(qint32 page)
{
    return page >= 0 && page < kClassPages;
}

}  // namespace

quint32 crc32(const char* data, qint64 size, quint32 crc)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (qint64 i = 0; i < size; ++i)
        crc = table[(crc ^ quint8(data[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

JournalRecord JournalRecord::clock(JournalClock clock, qint64 startTick, qint64 endTick, int rowCount)
{
    Writer w;
    w.out << qint32(clock) << startTick << endTick << qint32(rowCount);
    return {0, Type::Clock, w.bytes};
}

JournalRecord JournalRecord::row(int n, const JournalTimeRow& row)
{
    Writer w;
    w.out << qint32(n);
    writeRow(w.out, row);
    return {0, Type::Row, w.bytes};
}

JournalRecord JournalRecord::startNumbers(const std::array<QString, kCarsPerRace>& numbers)
{
    Writer w;
    writeArray(w.out, numbers);
    return {0, Type::StartNumbers, w.bytes};
}

JournalRecord JournalRecord::table(int page, const JournalTable& table, bool placeOrder)
{
    Writer w;
    w.out << qint32(page) << placeOrder;
    writeTable(w.out, table);
    return {0, Type::Table, w.bytes};
}

JournalRecord JournalRecord::classes(const QStringList& names, const std::array<QString, kClassPages>& captions,
                                     const std::array<qint32, kClassPages>& trackLengths)
{
    Writer w;
    w.out << names;
    writeArray(w.out, captions);
    writeArray(w.out, trackLengths);
    return {0, Type::Classes, w.bytes};
}

JournalRecord JournalRecord::trackLength(int page, qint32 metres)
{
    Writer w;
    w.out << qint32(page) << metres;
    return {0, Type::TrackLength, w.bytes};
}

JournalRecord JournalRecord::activePage(int page)
{
    Writer w;
    w.out << qint32(page);
    return {0, Type::ActivePage, w.bytes};
}

JournalRecord JournalRecord::closedRecord()
{
    return {0, Type::Closed, {}};
}

QByteArray encodeRecord(const JournalRecord& record)
{
    return frame(record.seq, quint8(record.type), record.body);
}

DecodedFrames decodeRecords(const QByteArray& bytes)
{
    DecodedFrames result;
    const char* p = bytes.constData();
    const qint64 size = bytes.size();
    qint64 at = 0;
    while (size - at >= kFrameHead) {
        const quint32 length = getU32(p + at);
        const quint32 sum = getU32(p + at + 4);
        if (length < quint32(kPayloadHead) || length > kMaxPayload || length > quint64(size - at - kFrameHead))
            break;
        const char* payload = p + at + kFrameHead;
        if (crc32(payload, length) != sum)
            break;
        JournalRecord record;
        record.seq = getU64(payload);
        record.type = JournalRecord::Type(quint8(payload[8]));
        record.body = QByteArray(payload + kPayloadHead, length - kPayloadHead);
        result.records.append(std::move(record));
        at += kFrameHead + length;
    }
    result.goodBytes = at;
    result.badTail = at != size;
    return result;
}

bool applyRecord(SessionState& state, const JournalRecord& record)
{
    Reader r(record.body);
    QDataStream& in = r.in;
    using Type = JournalRecord::Type;
    switch (record.type) {
    case Type::Clock: {
        qint32 clock = 0, rows = 0;
        qint64 start = 0, end = 0;
        in >> clock >> start >> end >> rows;
        if (!r.ok() || clock < 0 || clock > qint32(JournalClock::Entered) || rows < 0)
            return false;
        state.race.clock = JournalClock(clock);
        state.race.startTick = start;
        state.race.endTick = end;
        if (rows < state.race.rows.size())
            state.race.rows.resize(rows);
        break;
    }
    case Type::Row: {
        qint32 n = 0;
        JournalTimeRow row;
        in >> n;
        readRow(in, row);
        if (!r.ok() || n < 1 || n > state.race.rows.size() + 1)
            return false;
        if (n == state.race.rows.size() + 1)
            state.race.rows.append(row);
        else
            state.race.rows[n - 1] = row;
        break;
    }
    case Type::StartNumbers:
        readArray(in, state.race.startNumbers);
        if (!r.ok())
            return false;
        break;
    case Type::Table: {
        qint32 page = 0;
        bool placeOrder = true;
        JournalTable table;
        in >> page >> placeOrder;
        readTable(in, table);
        if (!r.ok() || !validPage(page))
            return false;
        state.tables[std::size_t(page)] = std::move(table);
        state.placeOrder = placeOrder;
        break;
    }
    case Type::Classes: {
        QStringList names;
        std::array<QString, kClassPages> captions;
        std::array<qint32, kClassPages> lengths{};
        readStrings(in, names);
        readArray(in, captions);
        readArray(in, lengths);
        if (!r.ok() || names.size() > kClassPages)
            return false;
        state.classNames = names;
        state.captions = captions;
        state.trackLengths = lengths;
        break;
    }
    case Type::TrackLength: {
        qint32 page = 0, metres = 0;
        in >> page >> metres;
        if (!r.ok() || !validPage(page))
            return false;
        state.trackLengths[std::size_t(page)] = metres;
        break;
    }
    case Type::ActivePage: {
        qint32 page = 0;
        in >> page;
        if (!r.ok() || !validPage(page))
            return false;
        state.activePage = page;
        break;
    }
    case Type::Closed:
        state.closed = true;
        return true;
    default:
        return false;
    }
    state.changed = true;
    state.closed = false;
    return true;
}

QByteArray encodeSnapshot(const SessionState& s, quint64 seq)
{
    Writer w;
    w.out << kSnapshotVersion << s.classNames;
    writeArray(w.out, s.captions);
    writeArray(w.out, s.trackLengths);
    w.out << s.activePage << s.placeOrder;
    for (const JournalTable& t : s.tables)
        writeTable(w.out, t);
    w.out << qint32(s.race.clock) << s.race.startTick << s.race.endTick << qint32(s.race.rows.size());
    for (const JournalTimeRow& row : s.race.rows)
        writeRow(w.out, row);
    writeArray(w.out, s.race.startNumbers);
    w.out << s.changed << s.closed;
    return frame(seq, kSnapshotType, w.bytes);
}

std::optional<std::pair<SessionState, quint64>> decodeSnapshot(const QByteArray& bytes)
{
    const DecodedFrames frames = decodeRecords(bytes);
    if (frames.records.size() != 1 || frames.badTail || quint8(frames.records[0].type) != kSnapshotType)
        return std::nullopt;
    Reader r(frames.records[0].body);
    QDataStream& in = r.in;
    SessionState s;
    quint32 version = 0;
    in >> version;
    if (version != kSnapshotVersion)
        return std::nullopt;
    readStrings(in, s.classNames);
    readArray(in, s.captions);
    readArray(in, s.trackLengths);
    in >> s.activePage >> s.placeOrder;
    for (JournalTable& t : s.tables)
        readTable(in, t);
    qint32 clock = 0, rows = 0;
    in >> clock >> s.race.startTick >> s.race.endTick >> rows;
    if (!r.ok() || rows < 0 || rows > 1000 || clock < 0 || clock > qint32(JournalClock::Entered))
        return std::nullopt;
    s.race.clock = JournalClock(clock);
    s.race.rows.resize(rows);
    for (JournalTimeRow& row : s.race.rows)
        readRow(in, row);
    readArray(in, s.race.startNumbers);
    in >> s.changed >> s.closed;
    if (!r.ok() || !validPage(s.activePage) || s.classNames.size() > kClassPages)
        return std::nullopt;
    return std::make_pair(std::move(s), frames.records[0].seq);
}

JournalReadResult readJournal(const QString& folder)
{
    JournalReadResult result;
    const QDir dir(folder);
    QFile snapshotFile(dir.filePath(QLatin1String(kJournalSnapshotName)));
    QFile logFile(dir.filePath(QLatin1String(kJournalLogName)));
    quint64 base = 0;
    if (snapshotFile.open(QIODevice::ReadOnly)) {
        result.found = true;
        if (auto snapshot = decodeSnapshot(snapshotFile.readAll())) {
            result.state = std::move(snapshot->first);
            base = snapshot->second;
        } else {
            result.badSnapshot = true;
        }
    }
    result.lastSeq = base;
    if (logFile.open(QIODevice::ReadOnly)) {
        result.found = true;
        const DecodedFrames frames = decodeRecords(logFile.readAll());
        result.badTail = frames.badTail;
        for (const JournalRecord& record : frames.records) {
            // Records the snapshot already holds (a kill between writing the
            // snapshot and emptying the log) are skipped.
            if (record.seq <= base)
                continue;
            // Sequence numbers only grow; anything else is not this journal's.
            if (record.seq <= result.lastSeq || !applyRecord(result.state, record)) {
                result.badTail = true;
                break;
            }
            result.lastSeq = record.seq;
            ++result.recordsApplied;
        }
    }
    return result;
}

QStringList archiveJournal(const QString& folder, const QString& stamp)
{
    QStringList moved;
    const QDir dir(folder);
    for (const char* name : {kJournalSnapshotName, kJournalLogName}) {
        const QString from = dir.filePath(QLatin1String(name));
        if (!QFile::exists(from))
            continue;
        const QString base = QString::fromLatin1(name);
        const int dot = base.lastIndexOf(QLatin1Char('.'));
        QString to = dir.filePath(base.left(dot) + QLatin1Char('_') + stamp + base.mid(dot));
        for (int i = 1; QFile::exists(to); ++i)
            to = dir.filePath(base.left(dot) + QLatin1Char('_') + stamp + QStringLiteral("_%1").arg(i) + base.mid(dot));
        if (QFile::rename(from, to))
            moved << to;
    }
    return moved;
}
