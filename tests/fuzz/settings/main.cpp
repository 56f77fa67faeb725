// The settings file as a hand edit, a crash or another version leaves it,
// and the values the program writes into it.
#include "app/settings.h"
#include "platform/settingsstore.h"
#include "support/check.h"
#include "support/scratch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fuzzer/FuzzedDataProvider.h>

using platform::SettingsStore;

namespace {

QString takeText(FuzzedDataProvider& input, size_t maxBytes)
{
    const std::string bytes = input.ConsumeRandomLengthString(maxBytes);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// Every value a store holds with a type reads the same from its text.
void checkSameValues(const SettingsStore& a, const SettingsStore& b)
{
    for (const QString& name : a.names()) {
        const auto kind = a.kind(name);
        if (*kind == SettingsStore::Kind::Unknown || b.names().contains(name) == false)
            continue;
        FUZZ_CHECK(b.kind(name) == kind, "a value reads back with another type");
        if (*kind == SettingsStore::Kind::Dword)
            FUZZ_CHECK(b.readDword(name) == a.readDword(name), "a number reads back otherwise");
        else
            FUZZ_CHECK(b.readString(name) == a.readString(name), "a text reads back otherwise");
    }
}

void checkInRange(const SettingsValues& v)
{
    FUZZ_CHECK(v.width == SettingsValues::kWidth, "width other than the fixed one");
    FUZZ_CHECK(v.height >= SettingsValues::kMinHeight, "height below the minimum");
    FUZZ_CHECK(v.port >= 0 && v.port <= 255, "port beyond eight bits");
    FUZZ_CHECK(v.acc >= 0 && v.acc <= 2, "decimals out of range");
    FUZZ_CHECK(v.waitStart >= 0, "negative lock-out time");
    FUZZ_CHECK(v.filterInd == 1 || v.filterInd == 2, "file type out of range");
    FUZZ_CHECK(v.charSet >= 0 && v.charSet <= 15, "character set out of range");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // Whatever the text, what parse keeps writes back and reads the same,
    // and writing it again gives the same text.
    SettingsStore parsed(QStringLiteral("Pylonix"), scratchFolder());
    parsed.parse(bytes);
    SettingsStore again(QStringLiteral("Pylonix"), scratchFolder());
    FUZZ_CHECK(again.parse(parsed.serialize()), "a written settings text does not read");
    checkSameValues(parsed, again);
    FUZZ_CHECK(again.serialize() == parsed.serialize(), "a settings text changes when written again");

    // Values written under any name read back, unless the file cannot hold the name.
    FuzzedDataProvider input(data, size);
    SettingsStore written(QStringLiteral("Pylonix"), scratchFolder());
    for (int i = 0; i < 4 && input.remaining_bytes() > 0; ++i) {
        const QString name = takeText(input, 12);
        if (input.ConsumeBool())
            written.writeDword(name, input.ConsumeIntegral<quint32>());
        else
            written.writeString(name, takeText(input, 40));
    }
    SettingsStore read(QStringLiteral("Pylonix"), scratchFolder());
    read.parse(written.serialize());
    checkSameValues(written, read);
    for (const QString& name : written.names()) {
        const bool holdable = !name.isEmpty() && name == name.trimmed() && !name.contains(QLatin1Char('='))
                              && !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r'))
                              && !name.startsWith(QLatin1Char('#')) && !name.startsWith(QLatin1Char(';'));
        FUZZ_CHECK(read.contains(name) == holdable, "a value was lost or a name the file cannot hold came back");
    }

    // The program's sixteen values: read from the file as it is, they are in
    // range; written and read again they are the same.
    SettingsStore store(QStringLiteral("Pylonix"), scratchFolder());
    {
        QDir().mkpath(QFileInfo(store.filePath()).absolutePath());
        QFile file(store.filePath());
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the scratch settings file cannot be written");
        file.write(bytes);
    }
    const SettingsReadResult first = readSettings(store);
    checkInRange(first.values);
    FUZZ_CHECK(writeSettings(store, first.values).isEmpty(), "settings could not be written");
    const SettingsReadResult second = readSettings(store);
    FUZZ_CHECK(second.valuesRead == 16, "written settings do not all read back");
    SettingsValues expected = first.values;
    expected.left = second.values.left;  // an unknown edge is written as the stored one
    expected.top = second.values.top;
    if (first.values.left)
        FUZZ_CHECK(second.values.left == first.values.left, "the left edge reads back otherwise");
    if (first.values.top)
        FUZZ_CHECK(second.values.top == first.values.top, "the top edge reads back otherwise");
    FUZZ_CHECK(second.values == expected, "settings read back other than written");
    return 0;
}
