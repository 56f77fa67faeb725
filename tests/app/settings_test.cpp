#include "app/settings.h"

#include "platform/settingsstore.h"
#include "support/testnames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using platform::SettingsStore;

namespace {

// A complete key in which every value differs from its default, so a test can
// tell a value that was read from one that kept its default.
struct Stored {
    const char* name;
    quint32 dword;  // ignored for Lang
};
constexpr Stored kFull[] = {
    {"Port", 4}, {"Alg", 1}, {"Left", 10}, {"Top", 20}, {"Width", 1206}, {"Height", 600},
    {"Sound", 0}, {"C1", 0x00FF0000}, {"C2", 0x000000FF}, {"C3", 0x00112233}, {"Acc", 1},
    {"WaitStart", 2500}, {"FilterInd", 2}, {"CharSet", 3}, {"Lang", 0}, {"PlayZeit", 0}};

SettingsValues fullValues()
{
    SettingsValues v;
    v.port = 4;
    v.alg = 1;
    v.left = 10;
    v.top = 20;
    v.height = 600;
    v.sound = false;
    v.c1 = 0x00FF0000;
    v.c2 = 0x000000FF;
    v.c3 = 0x00112233;
    v.acc = 1;
    v.waitStart = 2500;
    v.filterInd = 2;
    v.charSet = 3;
    v.lang = QStringLiteral("Russisch");
    v.playZeit = false;
    return v;
}

// Copies the first `count` values in reading order from `from` into `into`.
void takeFirst(SettingsValues& into, const SettingsValues& from, int count)
{
    const std::function<void()> steps[] = {
        [&] { into.port = from.port; },         [&] { into.alg = from.alg; },
        [&] { into.left = from.left; },         [&] { into.top = from.top; },
        [&] { into.width = from.width; },       [&] { into.height = from.height; },
        [&] { into.sound = from.sound; },       [&] { into.c1 = from.c1; },
        [&] { into.c2 = from.c2; },             [&] { into.c3 = from.c3; },
        [&] { into.acc = from.acc; },           [&] { into.waitStart = from.waitStart; },
        [&] { into.filterInd = from.filterInd; }, [&] { into.charSet = from.charSet; },
        [&] { into.lang = from.lang; },         [&] { into.playZeit = from.playZeit; }};
    for (int i = 0; i < count; ++i)
        steps[i]();
}

class SettingsTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    SettingsStore store() const { return SettingsStore(QStringLiteral("Pylonix"), root.path()); }

    // Writes the full key; `skip` leaves one value out, `retype` stores one
    // with the other type.
    void writeKey(const QString& skip = {}, const QString& retype = {})
    {
        SettingsStore s = store();
        for (const Stored& v : kFull) {
            const QString name = QLatin1String(v.name);
            if (name == skip)
                continue;
            const bool isString = name == QLatin1String("Lang");
            if (isString != (name == retype))
                s.writeString(name, name == retype ? QStringLiteral("5") : QStringLiteral("Russisch"));
            else
                s.writeDword(name, name == retype ? 1u : v.dword);
        }
        ASSERT_EQ(s.save(), QString());
    }
};

TEST_F(SettingsTest, NoKeyGivesEveryDefault)
{
    SettingsStore s = store();
    const SettingsReadResult r = readSettings(s);
    EXPECT_FALSE(r.keyOpened);
    EXPECT_EQ(r.valuesRead, 0);
    EXPECT_EQ(r.values, SettingsValues());
    EXPECT_FALSE(r.values.left);
    EXPECT_EQ(r.values.width, 1206);
    EXPECT_EQ(r.values.height, 543);
    EXPECT_EQ(r.values.c2, clLime);
    EXPECT_EQ(r.values.c3, 0x404040);
    EXPECT_EQ(r.values.waitStart, 100);
    EXPECT_TRUE(r.values.playZeit);
    // Reading never creates the key.
    EXPECT_FALSE(QFileInfo::exists(s.filePath()));
}

TEST_F(SettingsTest, AFullKeyIsReadWhole)
{
    writeKey();
    SettingsStore s = store();
    const SettingsReadResult r = readSettings(s);
    EXPECT_TRUE(r.keyOpened);
    EXPECT_EQ(r.valuesRead, 16);
    EXPECT_EQ(r.values, fullValues());
}

class SettingsGapTest : public SettingsTest, public ::testing::WithParamInterface<int> {};

// A value missing in the middle: everything before it is read, it and every
// later value keep their defaults. Only a missing Lang does not stop reading.
TEST_P(SettingsGapTest, MissingValueEndsReading)
{
    const int index = GetParam();
    const QString name = QLatin1String(kSettingsReadOrder[index]);
    writeKey(name);
    SettingsStore s = store();
    const SettingsReadResult r = readSettings(s);

    SettingsValues expected;
    if (name == QLatin1String("Lang")) {
        takeFirst(expected, fullValues(), 16);
        expected.lang.clear();
        EXPECT_EQ(r.valuesRead, 16);
    } else {
        takeFirst(expected, fullValues(), index);
        EXPECT_EQ(r.valuesRead, index);
    }
    EXPECT_EQ(r.values, expected) << "missing " << name.toStdString();
}

// A value of the other type ends reading at that value, Lang included.
TEST_P(SettingsGapTest, WrongTypeEndsReading)
{
    const int index = GetParam();
    const QString name = QLatin1String(kSettingsReadOrder[index]);
    writeKey({}, name);
    SettingsStore s = store();
    const SettingsReadResult r = readSettings(s);
    SettingsValues expected;
    takeFirst(expected, fullValues(), index);
    EXPECT_EQ(r.valuesRead, index);
    EXPECT_EQ(r.values, expected) << "retyped " << name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryValue, SettingsGapTest, ::testing::Range(0, 16),
                         testnames::caseNames([](int index) { return kSettingsReadOrder[index]; }));

TEST_F(SettingsTest, PortAndAlgWithoutLeftApplyOnlyThoseTwo)
{
    SettingsStore s = store();
    s.writeDword(QStringLiteral("Port"), 2);
    s.writeDword(QStringLiteral("Alg"), 1);
    s.writeDword(QStringLiteral("Top"), 99);
    s.writeDword(QStringLiteral("Acc"), 0);
    ASSERT_EQ(s.save(), QString());
    const SettingsReadResult r = readSettings(s);
    SettingsValues expected;
    expected.port = 2;
    expected.alg = 1;
    EXPECT_EQ(r.values, expected);
}

TEST_F(SettingsTest, LangStoredAsNumberKeepsLangAndPlayZeitDefaults)
{
    writeKey({}, QStringLiteral("Lang"));
    SettingsStore s = store();
    const SettingsReadResult r = readSettings(s);
    EXPECT_EQ(r.values.charSet, 3);
    EXPECT_EQ(r.values.lang, QString());
    EXPECT_TRUE(r.values.playZeit);
}

// Stored values out of range: what the program goes on with.
struct RangeCase {
    const char* name;
    quint32 stored;
    std::function<qint64(const SettingsValues&)> field;
    qint64 expected;
};

void PrintTo(const RangeCase& c, std::ostream* os)
{
    *os << c.name << " = " << c.stored;
}

class SettingsRangeTest : public SettingsTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(SettingsRangeTest, BroughtIntoRangeWhenRead)
{
    const RangeCase& c = GetParam();
    SettingsStore s = store();
    for (const Stored& v : kFull) {
        if (QLatin1String(v.name) == QLatin1String("Lang"))
            s.writeString(QStringLiteral("Lang"), QString());
        else
            s.writeDword(QLatin1String(v.name), QLatin1String(v.name) == QLatin1String(c.name) ? c.stored : v.dword);
    }
    ASSERT_EQ(s.save(), QString());
    const SettingsReadResult r = readSettings(s);
    EXPECT_EQ(r.valuesRead, 16);
    EXPECT_EQ(c.field(r.values), c.expected) << c.name << "=" << c.stored;
}

constexpr quint32 kMinus1 = 0xFFFFFFFFu;
INSTANTIATE_TEST_SUITE_P(Table, SettingsRangeTest, ::testing::Values(
    RangeCase{"Port", 259, [](const SettingsValues& v) { return v.port; }, 3},
    RangeCase{"Port", kMinus1, [](const SettingsValues& v) { return v.port; }, 255},
    RangeCase{"Width", 800, [](const SettingsValues& v) { return v.width; }, 1206},
    RangeCase{"Width", kMinus1, [](const SettingsValues& v) { return v.width; }, 1206},
    RangeCase{"Height", 100, [](const SettingsValues& v) { return v.height; }, 492},
    RangeCase{"Height", 492, [](const SettingsValues& v) { return v.height; }, 492},
    RangeCase{"Height", kMinus1, [](const SettingsValues& v) { return v.height; }, 492},
    RangeCase{"Acc", 7, [](const SettingsValues& v) { return v.acc; }, 2},
    RangeCase{"Acc", kMinus1, [](const SettingsValues& v) { return v.acc; }, 2},
    RangeCase{"Acc", 0, [](const SettingsValues& v) { return v.acc; }, 0},
    RangeCase{"CharSet", 99, [](const SettingsValues& v) { return v.charSet; }, 0},
    RangeCase{"CharSet", 15, [](const SettingsValues& v) { return v.charSet; }, 15},
    RangeCase{"CharSet", 259, [](const SettingsValues& v) { return v.charSet; }, 3},
    RangeCase{"Alg", kMinus1, [](const SettingsValues& v) { return v.alg; }, -1},
    RangeCase{"Left", quint32(-300), [](const SettingsValues& v) { return *v.left; }, -300},
    RangeCase{"WaitStart", kMinus1, [](const SettingsValues& v) { return v.waitStart; },
              std::numeric_limits<int>::max()},
    RangeCase{"WaitStart", 0, [](const SettingsValues& v) { return v.waitStart; }, 0},
    RangeCase{"FilterInd", 5, [](const SettingsValues& v) { return v.filterInd; }, 1},
    RangeCase{"FilterInd", 0, [](const SettingsValues& v) { return v.filterInd; }, 1},
    RangeCase{"Sound", 77, [](const SettingsValues& v) { return v.sound; }, 1},
    RangeCase{"PlayZeit", 2, [](const SettingsValues& v) { return v.playZeit; }, 1},
    RangeCase{"C1", 0xFF00000Fu, [](const SettingsValues& v) { return v.c1; }, qint64(clBtnFace)}),
    testnames::caseNames([](const RangeCase& c) {
        // As signed numbers, so that the stored -1 reads as -1.
        return std::string(c.name) + " " + std::to_string(qint32(c.stored)) + " gives " + std::to_string(c.expected);
    }));

struct BadFileCase {
    const char* what;
    QByteArray bytes;
    int valuesRead;
};

void PrintTo(const BadFileCase& c, std::ostream* os)
{
    *os << c.what;
}

class SettingsBadFileTest : public SettingsTest, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(SettingsBadFileTest, NeverMoreThanTheGoodPrefix)
{
    const BadFileCase& c = GetParam();
    SettingsStore s = store();
    QDir().mkpath(QFileInfo(s.filePath()).absolutePath());
    QFile f(s.filePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(c.bytes);
    f.close();
    const SettingsReadResult r = readSettings(s);
    EXPECT_EQ(r.valuesRead, c.valuesRead) << c.what;
    if (c.valuesRead == 0) {
        EXPECT_EQ(r.values, SettingsValues()) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsBadFileTest, ::testing::Values(
    BadFileCase{"empty", QByteArray(), 0},
    BadFileCase{"garbage", QByteArray("\x00\xff\xfe\x01garbage\x80\x81", 12), 0},
    BadFileCase{"4 GB port", "Port=dword:4294967296\nAlg=dword:1\n", 0},
    BadFileCase{"negative port", "Port=dword:-5\nAlg=dword:-1\nLeft=dword:-2147483648\n", 3},
    BadFileCase{"port as text", "Port=sz:\"3\"\n", 0}),
    testnames::caseNames([](const BadFileCase& c) { return c.what; }));

// --- writing --------------------------------------------------------------

TEST_F(SettingsTest, WritesEveryValueInWritingOrder)
{
    SettingsStore s = store();
    ASSERT_EQ(writeSettings(s, fullValues()), QString());
    QFile f(s.filePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList names;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.contains('='))
            names << QString::fromLatin1(line.left(line.indexOf('=')));
    QStringList expected;
    for (const char* n : kSettingsWriteOrder)
        expected << QLatin1String(n);
    expected << QStringLiteral("LiveOn") << QStringLiteral("LivePort");
    EXPECT_EQ(names, expected);

    SettingsStore again = store();
    const SettingsReadResult r = readSettings(again);
    EXPECT_EQ(r.valuesRead, 16);
    EXPECT_EQ(r.values, fullValues());
}

TEST_F(SettingsTest, TheLiveSettingsComeAfterTheSixteenAndAnOlderFileGivesTheirDefaults)
{
    writeKey();  // a file from before live results
    SettingsStore older = store();
    SettingsReadResult r = readSettings(older);
    EXPECT_EQ(r.valuesRead, 16);
    EXPECT_FALSE(r.values.liveOn);
    EXPECT_EQ(r.values.livePort, 8080);

    struct Case {
        bool on;
        int port;
        int readBack;
    };
    for (const Case c : {Case{true, 9000, 9000}, Case{false, 1, 1}, Case{true, 0, 8080}, Case{true, 70000, 8080}}) {
        SettingsValues v = fullValues();
        v.liveOn = c.on;
        v.livePort = c.port;
        SettingsStore s = store();
        ASSERT_EQ(writeSettings(s, v), QString());
        SettingsStore again = store();
        r = readSettings(again);
        EXPECT_EQ(r.valuesRead, 16);
        EXPECT_EQ(r.values.liveOn, c.on);
        EXPECT_EQ(r.values.livePort, c.readBack) << c.port;
    }

    // A gap in the sixteen leaves the two as they were stored.
    writeKey(QStringLiteral("Alg"));
    SettingsStore withLive = store();
    withLive.load();
    withLive.writeDword(QStringLiteral("LiveOn"), 1);
    ASSERT_EQ(withLive.save(), QString());
    SettingsStore gap = store();
    r = readSettings(gap);
    EXPECT_EQ(r.valuesRead, 1);
    EXPECT_TRUE(r.values.liveOn);
}

TEST_F(SettingsTest, WritingAppliesTheRanges)
{
    SettingsValues v;
    v.left = -10;
    v.top = 5;
    v.width = 800;
    v.height = 300;
    v.port = 259;
    v.acc = 9;
    v.charSet = 99;
    v.alg = -1;
    SettingsStore s = store();
    ASSERT_EQ(writeSettings(s, v), QString());
    SettingsStore again = store();
    again.load();
    EXPECT_EQ(again.readDword(QStringLiteral("Width")), 1206u);
    EXPECT_EQ(again.readDword(QStringLiteral("Height")), 492u);
    EXPECT_EQ(again.readDword(QStringLiteral("Port")), 3u);
    EXPECT_EQ(again.readDword(QStringLiteral("Acc")), 2u);
    EXPECT_EQ(again.readDword(QStringLiteral("CharSet")), 0u);
    EXPECT_EQ(again.readDword(QStringLiteral("Alg")), 0xFFFFFFFFu);
    EXPECT_EQ(again.readDword(QStringLiteral("Left")), quint32(-10));
    EXPECT_EQ(again.readString(QStringLiteral("Lang")), QString());
}

TEST_F(SettingsTest, WritingKeepsForeignValuesAndReplacesAnUnreadableFile)
{
    SettingsStore s = store();
    s.writeDword(QStringLiteral("Extra"), 42);
    ASSERT_EQ(s.save(), QString());
    SettingsStore writer = store();
    ASSERT_EQ(writeSettings(writer, SettingsValues()), QString());
    SettingsStore check = store();
    check.load();
    EXPECT_EQ(check.readDword(QStringLiteral("Extra")), 42u);

    QFile f(s.filePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\x01\x02 not settings at all");
    f.close();
    SettingsStore garbled = store();
    EXPECT_EQ(readSettings(garbled).valuesRead, 0);
    ASSERT_EQ(writeSettings(garbled, fullValues()), QString());
    SettingsStore fixed = store();
    EXPECT_EQ(readSettings(fixed).values, fullValues());
}

TEST_F(SettingsTest, UnknownWindowEdgesKeepTheStoredOnes)
{
    SettingsStore s = store();
    ASSERT_EQ(writeSettings(s, fullValues()), QString());
    SettingsValues v = fullValues();
    v.left.reset();
    v.top.reset();
    ASSERT_EQ(writeSettings(s, v), QString());
    SettingsStore again = store();
    const SettingsReadResult r = readSettings(again);
    EXPECT_EQ(r.values.left, 10);
    EXPECT_EQ(r.values.top, 20);
}

TEST_F(SettingsTest, AFailedWriteKeepsTheOldKey)
{
    SettingsStore s = store();
    ASSERT_EQ(writeSettings(s, fullValues()), QString());
    // Something else took the temporary file's place: the key's folder is
    // replaced by a plain file, so nothing can be written there.
    const QString folder = QFileInfo(s.filePath()).absolutePath();
    const QString moved = root.filePath(QStringLiteral("moved"));
    ASSERT_TRUE(QDir().rename(folder, moved));
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(writeSettings(s, SettingsValues()).isEmpty());
    EXPECT_EQ(QFileInfo(folder).size(), 0);
    QFile::remove(folder);
    ASSERT_TRUE(QDir().rename(moved, folder));
    SettingsStore again = store();
    EXPECT_EQ(readSettings(again).values, fullValues());
}

TEST_F(SettingsTest, TwoProgramNamesKeepSeparateSettings)
{
    SettingsStore a(QStringLiteral("Pylonix"), root.path());
    SettingsStore b(QStringLiteral("Pylonix_Bahn2"), root.path());
    SettingsValues va;
    va.port = 1;
    SettingsValues vb;
    vb.port = 2;
    vb.lang = QStringLiteral("English");
    ASSERT_EQ(writeSettings(a, va), QString());
    ASSERT_EQ(writeSettings(b, vb), QString());
    SettingsStore a2(QStringLiteral("Pylonix"), root.path());
    SettingsStore b2(QStringLiteral("Pylonix_Bahn2"), root.path());
    EXPECT_EQ(readSettings(a2).values.port, 1);
    EXPECT_EQ(readSettings(b2).values.port, 2);
    EXPECT_EQ(readSettings(b2).values.lang, QStringLiteral("English"));
    EXPECT_EQ(readSettings(a2).values.lang, QString());
}

}  // namespace
