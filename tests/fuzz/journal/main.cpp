// The race journal's log and snapshot as a crash or a damaged disk leaves
// them: the bytes are read as a log as they are, and also wrapped into frames
// with valid checksums so that the body parsers behind the checksum are
// reached.
#include "results/journal.h"
#include "support/check.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

bool sameRecords(const QVector<JournalRecord>& a, const QVector<JournalRecord>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].seq != b[i].seq || a[i].type != b[i].type || a[i].body != b[i].body)
            return false;
    }
    return true;
}

QByteArray encodeAll(const QVector<JournalRecord>& records)
{
    QByteArray bytes;
    for (const JournalRecord& record : records)
        bytes += encodeRecord(record);
    return bytes;
}

// Whatever records built, the snapshot written of the state reads back as it.
void checkSnapshotRoundTrip(const SessionState& state, quint64 seq)
{
    if (state.race.rows.size() > 1000)
        return;  // more rows than a snapshot holds; a race never has them
    if (state == SessionState())
        return;  // nothing applied: the fresh state needs no round trip per input
    const auto back = decodeSnapshot(encodeSnapshot(state, seq));
    FUZZ_CHECK(back.has_value(), "a written snapshot does not read back");
    FUZZ_CHECK(back->second == seq, "a snapshot reads back another sequence number");
    FUZZ_CHECK(back->first == state, "a snapshot reads back another state");
}

// A log is read frame by frame: what reads is a prefix of the bytes, writes
// back to exactly that prefix, and a cut anywhere keeps the frames before it.
void checkLog(const QByteArray& bytes, int cut)
{
    const DecodedFrames frames = decodeRecords(bytes);
    FUZZ_CHECK(frames.goodBytes >= 0 && frames.goodBytes <= bytes.size(), "good bytes beyond the log");
    FUZZ_CHECK(frames.badTail == (frames.goodBytes != bytes.size()), "bad tail flag disagrees with the bytes");
    FUZZ_CHECK(encodeAll(frames.records) == bytes.left(frames.goodBytes),
               "the frames read do not write back to the bytes they came from");

    const QByteArray torn = bytes.left(cut);
    const DecodedFrames tornFrames = decodeRecords(torn);
    FUZZ_CHECK(tornFrames.goodBytes <= torn.size(), "reading went past a torn tail");
    FUZZ_CHECK(tornFrames.records.size() <= frames.records.size(), "a torn log has more frames than the whole");
    FUZZ_CHECK(sameRecords(tornFrames.records, frames.records.mid(0, tornFrames.records.size())),
               "a torn log reads other frames than the whole one");
    if (cut >= frames.goodBytes)
        FUZZ_CHECK(tornFrames.records.size() == frames.records.size(), "a cut after the good frames lost one");

    SessionState state;
    quint64 seq = 0;
    for (const JournalRecord& record : frames.records) {
        if (!applyRecord(state, record))
            break;
        seq = record.seq;
        FUZZ_CHECK(state.activePage >= 0 && state.activePage < kClassPages, "active page out of range");
        FUZZ_CHECK(state.classNames.size() <= kClassPages, "more class names than pages");
    }
    checkSnapshotRoundTrip(state, seq);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray raw(reinterpret_cast<const char*>(data), qsizetype(size));
    FuzzedDataProvider input(data, size);
    const int cut = input.ConsumeIntegralInRange<int>(0, int(size));

    // The bytes as a log file and as a snapshot file.
    checkLog(raw, cut);
    if (const auto snapshot = decodeSnapshot(raw))
        checkSnapshotRoundTrip(snapshot->first, snapshot->second);

    // Records of any type around fuzzed bodies, in valid frames.
    QVector<JournalRecord> records;
    const bool snapshotBody = input.ConsumeBool();
    while (input.remaining_bytes() > 0 && records.size() < 64) {
        JournalRecord record;
        record.seq = input.ConsumeIntegral<quint64>();
        record.type = JournalRecord::Type(snapshotBody ? 0xA5 : input.ConsumeIntegralInRange<int>(0, 9));
        const std::string body = input.ConsumeRandomLengthString(4096);
        record.body = QByteArray(body.data(), qsizetype(body.size()));
        records.append(record);
    }
    const QByteArray framed = encodeAll(records);
    const DecodedFrames frames = decodeRecords(framed);
    FUZZ_CHECK(!frames.badTail && sameRecords(frames.records, records), "valid frames do not read back");
    checkLog(framed, framed.isEmpty() ? 0 : cut % (framed.size() + 1));
    if (records.size() == 1) {
        if (const auto snapshot = decodeSnapshot(framed))
            checkSnapshotRoundTrip(snapshot->first, snapshot->second);
    }
    return 0;
}
