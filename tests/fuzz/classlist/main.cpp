// Class lists as an operator's editor or another program leaves them: UTF-8
// with or without a byte-order mark, Windows-1252, any line ends, huge lines.
#include "results/classlist.h"
#include "results/textdecoding.h"
#include "support/check.h"

#include <QStringDecoder>

namespace {

// Strict UTF-8 as the standard defines it, written independently of the
// program's own check: Qt's decoder must agree with it byte for byte.
bool strictUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder(bytes);
    return !decoder.hasError() && text.toUtf8() == bytes;
}

// Windows-1252 bytes for a text, when every character has one.
std::optional<QByteArray> toWindows1252(const QString& text)
{
    static const QString table = [] {
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        return decodeWindows1252(all);
    }();
    QByteArray bytes;
    for (const QChar ch : text) {
        const qsizetype b = table.indexOf(ch);
        if (b < 0)
            return std::nullopt;
        bytes.append(char(b));
    }
    return bytes;
}

QString listText(const QVector<ClassEntry>& entries, const char* lineEnd)
{
    QString text;
    for (const ClassEntry& e : entries)
        text += QString::number(e.trackLength) + QLatin1Char(' ') + e.name + QLatin1String(lineEnd);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    FUZZ_CHECK(isValidUtf8(bytes) == strictUtf8(bytes), "the UTF-8 check disagrees with strict UTF-8");
    const QString latin = decodeWindows1252(bytes);
    FUZZ_CHECK(latin.size() == bytes.size(), "Windows-1252 is one character per byte");
    const QString text = decodeUtf8OrWindows1252(bytes);
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    FUZZ_CHECK(text == (isValidUtf8(body) ? QString::fromUtf8(body) : decodeWindows1252(body)),
               "a class list decodes other than as UTF-8 or else Windows-1252");

    const QVector<ClassEntry> entries = parseClassList(bytes);
    FUZZ_CHECK(entries.size() <= kClassPages, "more classes than pages");
    for (const ClassEntry& e : entries) {
        FUZZ_CHECK(!e.name.contains(QLatin1Char('\r')) && !e.name.contains(QLatin1Char('\n')),
                   "a class name holds a line end");
        FUZZ_CHECK(e.name.isEmpty() || (e.name.front().unicode() > 0x20 && e.name.back().unicode() > 0x20),
                   "a class name keeps blanks at its ends");
    }

    // The list written back in each form a class list arrives in reads the same.
    static const char* const lineEnds[] = {"\r\n", "\n", "\r"};
    const char* lineEnd = lineEnds[size % 3];
    const QString written = listText(entries, lineEnd);
    FUZZ_CHECK(parseClassList(written.toUtf8()) == entries, "a class list written in UTF-8 reads otherwise");
    FUZZ_CHECK(parseClassList("\xEF\xBB\xBF" + written.toUtf8()) == entries,
               "a class list with a byte-order mark reads otherwise");
    if (const auto cp1252 = toWindows1252(written); cp1252 && !isValidUtf8(*cp1252))
        FUZZ_CHECK(parseClassList(*cp1252) == entries, "a class list in Windows-1252 reads otherwise");

    ClassBook book;
    book.load(entries);
    FUZZ_CHECK(book.names.size() == entries.size(), "the class box does not hold the list");
    for (qsizetype i = 0; i < entries.size(); ++i)
        FUZZ_CHECK(book.indexOf(entries[i].name) <= i, "a class is not found by its name");
    return 0;
}
