// Language files in every character set of the table, as an operator or a
// translator's editor leaves them.
#include "app/language.h"
#include "support/check.h"
#include "support/scratch.h"

#include <QBuffer>
#include <QFile>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

// Lines as a plain reading of the first maxBytes bytes gives them: CR LF, LF
// and CR end a line, a last line without an end counts, long lines are cut.
std::vector<QByteArray> referenceLines(const QByteArray& bytes, int maxLines, qsizetype maxLineBytes,
                                       qint64 maxBytes)
{
    const QByteArray head = bytes.left(qsizetype(maxBytes));
    std::vector<QByteArray> lines;
    QByteArray current;
    bool open = false;
    for (qsizetype i = 0; i < head.size() && int(lines.size()) < maxLines; ++i) {
        const char c = head[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current.left(maxLineBytes));
            current.clear();
            open = false;
            if (c == '\r' && i + 1 < head.size() && head[i + 1] == '\n')
                ++i;
            continue;
        }
        current.append(c);
        open = true;
    }
    if (open && int(lines.size()) < maxLines)
        lines.push_back(current.left(maxLineBytes));
    return lines;
}

qsizetype characters(const QString& text)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!(text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()))
            ++n;
    }
    return n;
}

bool singleByte(int codePage)
{
    return codePage != 1255 && codePage != 932 && codePage != 936 && codePage != 949 && codePage != 950
           && codePage != 1361;
}

// Bytes of code page 1255 that are not points or marks: each gives a
// character of its own, or one joined with the marks after it.
qsizetype hebrewBaseBytes(const QByteArray& bytes)
{
    qsizetype n = 0;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0xC0 || b > 0xD2)
            ++n;
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int maxLines = input.ConsumeIntegralInRange<int>(1, Language::kEntries);
    const qsizetype maxLineBytes = input.ConsumeIntegralInRange<qsizetype>(1, 256);
    const qint64 maxBytes = input.ConsumeIntegralInRange<qint64>(0, 1 << 20);
    // Every line in the character set of this input; the first line in all of
    // them (each decoding opens a converter: all sets on every line would
    // make the run a hundred times slower).
    const int inputCharSet = input.ConsumeIntegralInRange<int>(-1, int(kCharSets.size()));
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray bytes(rest.data(), qsizetype(rest.size()));

    {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        const auto lines = Language::readLines(buffer, maxLines, maxLineBytes, maxBytes);
        FUZZ_CHECK(lines.has_value(), "a buffer failed to read");
        FUZZ_CHECK(*lines == referenceLines(bytes, maxLines, maxLineBytes, maxBytes),
                   "language lines split otherwise than by their line ends");
    }

    // The file as the program loads it, each line in each character set.
    const QString path = scratchFolder() + QStringLiteral("/Fuzz.lng");
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the scratch language file cannot be written");
        file.write(bytes);
    }
    Language language;
    FUZZ_CHECK(language.loadFile(path) == Language::LoadResult::Loaded, "a language file did not load");
    const std::vector<QByteArray> expected =
        referenceLines(bytes, Language::kEntries, Language::kMaxLineBytes, Language::kMaxFileBytes);
    for (int line = 1; line <= Language::kEntries; ++line) {
        const QByteArray raw = language.rawLine(line);
        FUZZ_CHECK(raw == (size_t(line) <= expected.size() ? expected[size_t(line - 1)] : QByteArray()),
                   "a language line is stored otherwise than read");
        if (raw.isEmpty() || line > Language::kAppliedEntries)
            continue;
        const bool allSets = line == 1;
        for (int charSet = allSets ? -1 : inputCharSet; charSet <= (allSets ? int(kCharSets.size()) : inputCharSet);
             ++charSet) {
            const QString text = language.text(line, charSet);
            // No code page of the table makes more than one character of a byte,
            // and the single-byte ones exactly one.
            FUZZ_CHECK(characters(text) <= raw.size(), "a decoded line has more characters than bytes");
            const int codePage = charSetEntry(charSet).codePage;
            if (singleByte(codePage))
                FUZZ_CHECK(characters(text) == raw.size(), "a single-byte code page lost or joined characters");
            if (codePage == 1255)
                FUZZ_CHECK(characters(text) >= hebrewBaseBytes(raw), "a Hebrew letter was lost");
            FUZZ_CHECK(!text.isEmpty(), "a line with bytes decoded to nothing");
            if (charSet < 0 || charSet >= int(kCharSets.size()))
                FUZZ_CHECK(text == language.text(line, 0), "an unknown character set is not the default");
        }
    }
    return 0;
}
