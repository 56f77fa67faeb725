#include "app/settings.h"

#include "platform/settingsstore.h"

#include <algorithm>
#include <limits>

using platform::SettingsStore;

int clampedPort(qint64 stored)
{
    return int(stored & 0xFF);
}

int clampedHeight(qint64 stored)
{
    return int(std::clamp<qint64>(stored, SettingsValues::kMinHeight, std::numeric_limits<int>::max()));
}

int clampedAcc(qint64 stored)
{
    return stored >= 0 && stored <= 2 ? int(stored) : 2;
}

int clampedWaitStart(quint32 stored)
{
    return int(qMin<quint32>(stored, quint32(std::numeric_limits<int>::max())));
}

int clampedLivePort(qint64 stored)
{
    return stored >= 1 && stored <= 65535 ? int(stored) : SettingsValues::kDefaultLivePort;
}

int clampedFilterInd(qint64 stored)
{
    return stored == 1 || stored == 2 ? int(stored) : 1;
}

int clampedCharSet(qint64 stored)
{
    const int index = int(stored & 0xFF);
    return index <= 15 ? index : 0;
}

namespace {

// Reads the values one after the other; the first failure stops every later
// read, like the one protected block the values were always read in.
class Reader {
public:
    explicit Reader(const SettingsStore& store) : m_store(store) {}

    // Hands the DWORD to apply when it could be read and nothing failed before.
    template <typename Apply>
    void dword(const char* name, Apply apply)
    {
        if (m_failed)
            return;
        const auto value = m_store.readDword(QLatin1String(name));
        if (!value) {
            m_failed = true;
            return;
        }
        apply(*value);
        ++m_read;
    }

    void string(const char* name, QString& target)
    {
        if (m_failed)
            return;
        SettingsStore::ReadError error{};
        const auto value = m_store.readString(QLatin1String(name), &error);
        if (!value && error == SettingsStore::ReadError::WrongType) {
            m_failed = true;
            return;
        }
        target = value.value_or(QString());
        ++m_read;
    }

    int read() const { return m_read; }

private:
    const SettingsStore& m_store;
    bool m_failed = false;
    int m_read = 0;
};

qint32 asSigned(quint32 v)
{
    return qint32(v);
}

}  // namespace

SettingsReadResult readSettings(SettingsStore& store)
{
    SettingsReadResult result;
    SettingsValues& s = result.values;
    if (store.load() != SettingsStore::LoadState::Loaded)
        return result;  // no key: every default stays
    result.keyOpened = true;

    Reader r(store);
    r.dword("Port", [&](quint32 v) { s.port = clampedPort(v); });
    r.dword("Alg", [&](quint32 v) { s.alg = asSigned(v); });
    r.dword("Left", [&](quint32 v) { s.left = asSigned(v); });
    r.dword("Top", [&](quint32 v) { s.top = asSigned(v); });
    r.dword("Width", [&](quint32) { s.width = SettingsValues::kWidth; });
    r.dword("Height", [&](quint32 v) { s.height = clampedHeight(asSigned(v)); });
    r.dword("Sound", [&](quint32 v) { s.sound = v != 0; });
    r.dword("C1", [&](quint32 v) { s.c1 = TColor(v); });
    r.dword("C2", [&](quint32 v) { s.c2 = TColor(v); });
    r.dword("C3", [&](quint32 v) { s.c3 = TColor(v); });
    r.dword("Acc", [&](quint32 v) { s.acc = clampedAcc(asSigned(v)); });
    r.dword("WaitStart", [&](quint32 v) { s.waitStart = clampedWaitStart(v); });
    r.dword("FilterInd", [&](quint32 v) { s.filterInd = clampedFilterInd(asSigned(v)); });
    r.dword("CharSet", [&](quint32 v) { s.charSet = clampedCharSet(v); });
    r.string("Lang", s.lang);
    r.dword("PlayZeit", [&](quint32 v) { s.playZeit = v != 0; });
    result.valuesRead = r.read();

    Reader live(store);
    live.dword("LiveOn", [&](quint32 v) { s.liveOn = v != 0; });
    Reader livePort(store);
    livePort.dword("LivePort", [&](quint32 v) { s.livePort = clampedLivePort(v); });
    return result;
}

QString writeSettings(SettingsStore& store, const SettingsValues& s)
{
    // Open the key as it is on disk now, so values that are not ours stay;
    // a file that could not be read is simply replaced.
    store.load();
    const auto edge = [&](const char* name, const std::optional<qint32>& value) {
        return value ? quint32(*value) : store.readDword(QLatin1String(name)).value_or(0);
    };
    const auto put = [&](const char* name, quint32 value) {
        store.writeDword(QLatin1String(name), value);
    };
    put("Left", edge("Left", s.left));
    put("Top", edge("Top", s.top));
    put("Width", SettingsValues::kWidth);
    put("Height", quint32(clampedHeight(s.height)));
    put("Sound", s.sound ? 1 : 0);
    put("Port", quint32(clampedPort(s.port)));
    put("Alg", quint32(s.alg));
    put("C1", quint32(s.c1));
    put("C2", quint32(s.c2));
    put("C3", quint32(s.c3));
    put("Acc", quint32(clampedAcc(s.acc)));
    put("WaitStart", quint32(qMax(0, s.waitStart)));
    put("FilterInd", quint32(clampedFilterInd(s.filterInd)));
    put("CharSet", quint32(clampedCharSet(s.charSet)));
    store.writeString(QStringLiteral("Lang"), s.lang);
    put("PlayZeit", s.playZeit ? 1 : 0);
    put("LiveOn", s.liveOn ? 1 : 0);
    put("LivePort", quint32(clampedLivePort(s.livePort)));
    return store.save();
}
