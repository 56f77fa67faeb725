// What anyone on the venue network can send the live-results server before
// Qt's parser sees it (request heads, fed in arbitrary pieces), and the JSON
// the server makes from the journal's records, whatever their bodies hold.
#include "live/livestate.h"
#include "live/requestcheck.h"
#include "support/check.h"

#include <QJsonDocument>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

void checkRequest(FuzzedDataProvider& input)
{
    const std::string bytes = input.ConsumeRandomLengthString(3 * RequestCheck::kMaxHead);
    // The whole head at once, then the same bytes in pieces the input picks:
    // the verdict must not depend on how the network cut them.
    RequestCheck whole;
    const RequestCheck::Verdict once = whole.feed(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    RequestCheck pieces;
    RequestCheck::Verdict last = RequestCheck::Verdict::Incomplete;
    size_t at = 0;
    while (at < bytes.size() && last == RequestCheck::Verdict::Incomplete) {
        const size_t n = std::min(bytes.size() - at, size_t(input.ConsumeIntegralInRange<int>(1, 64)));
        last = pieces.feed(QByteArrayView(bytes.data() + at, qsizetype(n)));
        at += n;
    }
    if (at == bytes.size()) {
        FUZZ_CHECK(last == once, "the verdict depends on how the bytes arrived");
        // Over the size limit a NUL may be seen first or not at all; within it
        // the reason must be the same too.
        if (last == RequestCheck::Verdict::Refused && bytes.size() <= size_t(RequestCheck::kMaxHead))
            FUZZ_CHECK(pieces.status() == whole.status(), "the refusal depends on how the bytes arrived");
    }
    if (once == RequestCheck::Verdict::Accepted) {
        const QByteArray& path = whole.path();
        // Blank lines before a request are skipped, not kept.
        const size_t lead = bytes.find_first_not_of("\r\n");
        FUZZ_CHECK(bytes.size() - lead <= size_t(RequestCheck::kMaxHead), "a head over the limit was accepted");
        FUZZ_CHECK(path.startsWith('/'), "an accepted path does not start at the root");
        FUZZ_CHECK(!path.contains('\0') && !path.contains('\\'), "an accepted path holds NUL or a backslash");
        for (const QByteArray& segment : path.split('/'))
            FUZZ_CHECK(segment != ".." && segment != ".", "an accepted path climbs");
    } else if (once == RequestCheck::Verdict::Refused) {
        const int s = whole.status();
        FUZZ_CHECK(s == 400 || s == 405 || s == 413 || s == 431, "a refusal with an unexpected status");
    }
}

void checkJson(FuzzedDataProvider& input)
{
    LiveState state(LiveClock{[] { return qint64(123'456'789); }, 1.0});
    while (input.remaining_bytes() > 0) {
        JournalRecord record;
        record.type = JournalRecord::Type(input.ConsumeIntegralInRange<int>(1, 8));
        const std::string body = input.ConsumeRandomLengthString(4096);
        record.body = QByteArray(body.data(), qsizetype(body.size()));
        const quint64 before = state.seq();
        const LiveChange change = state.apply(record, 1000);
        FUZZ_CHECK(change.kind == LiveChange::None || state.seq() == before + 1, "a change without a new seq");
        if (change.kind != LiveChange::None) {
            QJsonParseError error;
            QJsonDocument::fromJson(state.message(change, 2000), &error);
            FUZZ_CHECK(error.error == QJsonParseError::NoError, "a change message is not JSON");
        }
    }
    QJsonParseError error;
    QJsonDocument::fromJson(state.stateJson(3000), &error);
    FUZZ_CHECK(error.error == QJsonParseError::NoError, "the state is not JSON");
    QJsonDocument::fromJson(state.clockMessage(), &error);
    FUZZ_CHECK(error.error == QJsonParseError::NoError, "the clock message is not JSON");
}

}  // namespace

// The first byte picks the part (odd: a request head, even: records), so
// that seeds read as what they are.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    FuzzedDataProvider input(data + 1, size - 1);
    if (data[0] & 1)
        checkRequest(input);
    else
        checkJson(input);
    return 0;
}
