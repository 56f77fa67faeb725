#include "platform/settingsstore.h"

#include "support/filesizelimit.h"
#include "support/testnames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iterator>

using platform::SettingsStore;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

class SettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString keyFile(const QString& base) const { return root.filePath(QStringLiteral("Kronwerk/") + base); }
};

TEST_F(SettingsStoreTest, KeyFileLivesUnderKronwerkAndTheBaseName)
{
    SettingsStore store(QStringLiteral("Pylonix"), root.path());
    EXPECT_EQ(store.filePath(), keyFile(QStringLiteral("Pylonix")));
}

TEST_F(SettingsStoreTest, ReadingAMissingKeyCreatesNothing)
{
    SettingsStore store(QStringLiteral("Pylonix"), root.path());
    EXPECT_EQ(store.load(), SettingsStore::LoadState::NoKey);
    EXPECT_FALSE(store.isOpen());
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("Kronwerk"))));
    SettingsStore::ReadError error{};
    EXPECT_FALSE(store.readDword(QStringLiteral("Port"), &error));
    EXPECT_EQ(error, SettingsStore::ReadError::Missing);
}

TEST_F(SettingsStoreTest, ValuesKeepTheirTypeThroughTheFile)
{
    SettingsStore out(QStringLiteral("Pylonix"), root.path());
    out.writeDword(QStringLiteral("Port"), 3);
    out.writeDword(QStringLiteral("Alg"), 0xFFFFFFFFu);
    out.writeString(QStringLiteral("Lang"), QStringLiteral("Русский \"q\" \\ \n\t\x01 ä"));
    out.writeString(QStringLiteral("Empty"), QString());
    ASSERT_EQ(out.save(), QString());

    SettingsStore in(QStringLiteral("Pylonix"), root.path());
    ASSERT_EQ(in.load(), SettingsStore::LoadState::Loaded);
    EXPECT_EQ(in.readDword(QStringLiteral("Port")), 3u);
    EXPECT_EQ(in.readDword(QStringLiteral("Alg")), 0xFFFFFFFFu);
    EXPECT_EQ(in.readString(QStringLiteral("Lang")), QStringLiteral("Русский \"q\" \\ \n\t\x01 ä"));
    EXPECT_EQ(in.readString(QStringLiteral("Empty")), QString());
    EXPECT_EQ(in.names(), (QStringList{"Port", "Alg", "Lang", "Empty"}));
    // The text stays one value per line, readable by a person.
    const QByteArray text = readAll(keyFile(QStringLiteral("Pylonix")));
    EXPECT_TRUE(text.contains("Port=dword:0x00000003\n"));
    EXPECT_EQ(text.count('\n'), 5);
}

TEST_F(SettingsStoreTest, NamesAndTextsWithPlaceholdersBackslashesAndLineBreaksComeBackAsSaved)
{
    const QString names[] = {"Rate%1", "%1%2", "Back\\slash\\", "Pfad %2"};
    const QString texts[] = {"%1", "a%2b%1", "C:\\Pylonix\\%1\\", "x=y", "eins\nzwei\r\n", "\"%1\"=%2"};
    SettingsStore out(QStringLiteral("Pylonix%1"), root.path());
    for (quint32 i = 0; i < std::size(names); ++i)
        out.writeDword(names[i], i + 5);
    for (int i = 0; i < int(std::size(texts)); ++i)
        out.writeString(QStringLiteral("Lang%1").arg(i) + QStringLiteral("%1"), texts[i]);
    // A name a line cannot hold stays out rather than coming back as another.
    out.writeDword(QStringLiteral("Unused\nPort"), 7);
    out.writeDword(QStringLiteral("Alg=dword:9"), 9);
    ASSERT_EQ(out.save(), QString());

    SettingsStore in(QStringLiteral("Pylonix%1"), root.path());
    ASSERT_EQ(in.load(), SettingsStore::LoadState::Loaded);
    QStringList expected;
    for (quint32 i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(in.readDword(names[i]), i + 5) << names[i].toStdString();
        expected << names[i];
    }
    for (int i = 0; i < int(std::size(texts)); ++i) {
        const QString name = QStringLiteral("Lang%1").arg(i) + QStringLiteral("%1");
        EXPECT_EQ(in.readString(name), texts[i]) << name.toStdString();
        expected << name;
    }
    EXPECT_EQ(in.names(), expected);
}

TEST_F(SettingsStoreTest, WrongTypeIsToldApartFromMissing)
{
    SettingsStore store(QStringLiteral("P"), root.path());
    store.writeString(QStringLiteral("Port"), QStringLiteral("3"));
    store.writeDword(QStringLiteral("Lang"), 7);
    SettingsStore::ReadError error{};
    EXPECT_FALSE(store.readDword(QStringLiteral("Port"), &error));
    EXPECT_EQ(error, SettingsStore::ReadError::WrongType);
    EXPECT_FALSE(store.readString(QStringLiteral("Lang"), &error));
    EXPECT_EQ(error, SettingsStore::ReadError::WrongType);
    EXPECT_FALSE(store.readString(QStringLiteral("Nothing"), &error));
    EXPECT_EQ(error, SettingsStore::ReadError::Missing);
}

TEST_F(SettingsStoreTest, NamesCompareWithoutCase)
{
    SettingsStore store(QStringLiteral("P"), root.path());
    store.writeDword(QStringLiteral("Port"), 1);
    store.writeDword(QStringLiteral("PORT"), 2);
    EXPECT_EQ(store.readDword(QStringLiteral("port")), 2u);
    EXPECT_EQ(store.names(), QStringList{"Port"});
}

TEST_F(SettingsStoreTest, TwoBaseNamesKeepTwoStores)
{
    SettingsStore a(QStringLiteral("Pylonix"), root.path());
    SettingsStore b(QStringLiteral("Pylonix2"), root.path());
    a.writeDword(QStringLiteral("Port"), 1);
    b.writeDword(QStringLiteral("Port"), 2);
    ASSERT_EQ(a.save(), QString());
    ASSERT_EQ(b.save(), QString());
    SettingsStore a2(QStringLiteral("Pylonix"), root.path());
    SettingsStore b2(QStringLiteral("Pylonix2"), root.path());
    a2.load();
    b2.load();
    EXPECT_EQ(a2.readDword(QStringLiteral("Port")), 1u);
    EXPECT_EQ(b2.readDword(QStringLiteral("Port")), 2u);
    EXPECT_NE(a2.filePath(), b2.filePath());
}

TEST_F(SettingsStoreTest, UnusableBaseNamesNameNoFile)
{
    for (const char* name : {"", ".", "..", "a/b"}) {
        SettingsStore store(QString::fromLatin1(name), root.path());
        EXPECT_TRUE(store.filePath().isEmpty()) << name;
        EXPECT_EQ(store.load(), SettingsStore::LoadState::NoKey) << name;
        store.writeDword(QStringLiteral("Port"), 1);
        EXPECT_FALSE(store.save().isEmpty()) << name;
    }
    EXPECT_TRUE(QDir(root.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST_F(SettingsStoreTest, DefaultRootFollowsXdgConfigHome)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", root.path().toUtf8());
    SettingsStore store(QStringLiteral("Pylonix"));
    EXPECT_EQ(store.filePath(), keyFile(QStringLiteral("Pylonix")));
    if (saved.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", saved);
}

// --- parsing -----------------------------------------------------------------

struct LineCase {
    const char* line;
    std::optional<SettingsStore::Kind> kind;  // nullopt: the name is not there
    quint32 dword = 0;
    const char* text = "";
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(std::string(c.line));
}

class SettingsLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(SettingsLineTest, ReadsOneLine)
{
    const LineCase& c = GetParam();
    SettingsStore store(QStringLiteral("P"), QStringLiteral("/nonexistent"));
    store.parse(QByteArray("# header\n") + c.line + "\nOther=dword:1\n");
    EXPECT_EQ(store.kind(QStringLiteral("V")), c.kind) << c.line;
    if (c.kind == SettingsStore::Kind::Dword) {
        EXPECT_EQ(store.readDword(QStringLiteral("V")), c.dword) << c.line;
    }
    if (c.kind == SettingsStore::Kind::String) {
        EXPECT_EQ(store.readString(QStringLiteral("V")), QString::fromUtf8(c.text)) << c.line;
    }
    EXPECT_EQ(store.readDword(QStringLiteral("Other")), 1u);
}

using K = SettingsStore::Kind;
INSTANTIATE_TEST_SUITE_P(Table, SettingsLineTest, ::testing::Values(
    LineCase{"V=dword:0x00000103", K::Dword, 259},
    LineCase{"V=dword:0xffffffff", K::Dword, 0xFFFFFFFFu},
    LineCase{"  V = DWORD:12  ", K::Dword, 12},
    LineCase{"V=dword:-1", K::Dword, 0xFFFFFFFFu},
    LineCase{"V=dword:-2147483648", K::Dword, 0x80000000u},
    LineCase{"V=dword:4294967295", K::Dword, 0xFFFFFFFFu},
    LineCase{"V=dword:4294967296", K::Unknown},      // 4 GB does not fit a DWORD
    LineCase{"V=dword:-2147483649", K::Unknown},
    LineCase{"V=dword:0x100000000", K::Unknown},
    LineCase{"V=dword:0x", K::Unknown},
    LineCase{"V=dword:", K::Unknown},
    LineCase{"V=dword:12abc", K::Unknown},
    LineCase{"V=7", K::Unknown},
    LineCase{"V=sz:\"Englisch\"", K::String, 0, "Englisch"},
    LineCase{"V=sz:\"\"", K::String, 0, ""},
    LineCase{"V=sz:\"a\\\"b\\\\c\\x41\"", K::String, 0, "a\"b\\cA"},
    LineCase{"V=sz:\" blanks kept \"", K::String, 0, " blanks kept "},
    LineCase{"V=sz:\"a=b\"", K::String, 0, "a=b"},
    LineCase{"V=sz:unquoted", K::Unknown},
    LineCase{"V=sz:\"open", K::Unknown},
    LineCase{"V=sz:\"a\"b\"", K::Unknown},
    LineCase{"V=sz:\"bad\\q\"", K::Unknown},
    LineCase{"V=sz:\"cut\\x4\"", K::Unknown},
    LineCase{"V=sz:\"end\\\"", K::Unknown},
    LineCase{"=dword:1", std::nullopt},
    LineCase{"V dword:1", std::nullopt},
    LineCase{"# V=dword:1", std::nullopt}),
    testnames::caseNames([](const LineCase& c) {
        std::string outcome = "NoName";
        if (c.kind == K::Dword)
            outcome = "Is" + std::to_string(c.dword);
        else if (c.kind == K::String)
            outcome = "IsText";
        else if (c.kind == K::Unknown)
            outcome = "Unknown";
        return QString::fromUtf8(c.line).replace(u'#', QStringLiteral("Comment ")) + u' ' + QString::fromStdString(outcome);
    }));

struct FileCase {
    const char* what;
    QByteArray bytes;
    SettingsStore::LoadState state;
};

void PrintTo(const FileCase& c, std::ostream* os)
{
    *os << c.what;
}

class SettingsFileTest : public SettingsStoreTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(SettingsFileTest, BadFilesNeverGiveValues)
{
    const FileCase& c = GetParam();
    ASSERT_TRUE(writeAll(keyFile(QStringLiteral("P")), c.bytes));
    SettingsStore store(QStringLiteral("P"), root.path());
    EXPECT_EQ(store.load(), c.state) << c.what;
    EXPECT_FALSE(store.readDword(QStringLiteral("Port"))) << c.what;
    // Reading leaves the file exactly as it was.
    EXPECT_EQ(readAll(keyFile(QStringLiteral("P"))), c.bytes) << c.what;
}

QByteArray garbage()
{
    QByteArray b;
    for (int i = 0; i < 4096; ++i)
        b.append(char((i * 7919 + 13) & 0xFF));
    return b;
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsFileTest, ::testing::Values(
    FileCase{"empty", QByteArray(), SettingsStore::LoadState::Loaded},
    FileCase{"comments only", "# nothing\n\n", SettingsStore::LoadState::Loaded},
    FileCase{"binary garbage", garbage(), SettingsStore::LoadState::Unparseable},
    FileCase{"text garbage", "hello\nworld=\n[Section]\n", SettingsStore::LoadState::Unparseable},
    FileCase{"too large", QByteArray(SettingsStore::kMaxFileSize + 1, 'x'),
             SettingsStore::LoadState::Unreadable}),
    testnames::caseNames([](const FileCase& c) { return c.what; }));

TEST_F(SettingsStoreTest, AFolderInPlaceOfTheFileIsNoKeyAndIsNotReplaced)
{
    ASSERT_TRUE(QDir().mkpath(keyFile(QStringLiteral("P"))));
    SettingsStore store(QStringLiteral("P"), root.path());
    EXPECT_EQ(store.load(), SettingsStore::LoadState::Unreadable);
    store.writeDword(QStringLiteral("Port"), 1);
    EXPECT_FALSE(store.save().isEmpty());
    EXPECT_TRUE(QFileInfo(keyFile(QStringLiteral("P"))).isDir());
}

TEST_F(SettingsStoreTest, ARootUnderARegularFileFailsToSave)
{
    const QString file = root.filePath(QStringLiteral("plain"));
    ASSERT_TRUE(writeAll(file, "x"));
    SettingsStore store(QStringLiteral("P"), file + QStringLiteral("/config"));
    EXPECT_EQ(store.load(), SettingsStore::LoadState::NoKey);
    store.writeDword(QStringLiteral("Port"), 1);
    EXPECT_FALSE(store.save().isEmpty());
    EXPECT_EQ(readAll(file), QByteArray("x"));
}

// Tests run as root, where folder permissions do not stop writes; a file
// size limit does, and it hits the temporary file half-way like a full disk.
TEST_F(SettingsStoreTest, AFailingWriteLeavesTheOldFile)
{
    SettingsStore store(QStringLiteral("P"), root.path());
    store.writeDword(QStringLiteral("Port"), 4);
    ASSERT_EQ(store.save(), QString());
    const QByteArray before = readAll(keyFile(QStringLiteral("P")));

    store.writeString(QStringLiteral("Lang"), QString(200'000, QLatin1Char('a')));
    QString error;
    {
        const FileSizeLimit small(65536);
        ASSERT_TRUE(small.active());
        error = store.save();
    }

    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(keyFile(QStringLiteral("P"))), before);
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(root.filePath(QStringLiteral("Kronwerk"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{"P"});
    // Once writing works again the whole new content lands.
    ASSERT_EQ(store.save(), QString());
    SettingsStore again(QStringLiteral("P"), root.path());
    again.load();
    EXPECT_EQ(again.readString(QStringLiteral("Lang"))->size(), 200'000);
}

TEST_F(SettingsStoreTest, ValuesOfUnknownTypeAreDroppedOnSave)
{
    ASSERT_TRUE(writeAll(keyFile(QStringLiteral("P")), "Port=dword:3\nOdd=hex:00\n"));
    SettingsStore store(QStringLiteral("P"), root.path());
    ASSERT_EQ(store.load(), SettingsStore::LoadState::Loaded);
    EXPECT_EQ(store.kind(QStringLiteral("Odd")), SettingsStore::Kind::Unknown);
    ASSERT_EQ(store.save(), QString());
    const QByteArray text = readAll(keyFile(QStringLiteral("P")));
    EXPECT_TRUE(text.contains("Port=dword:0x00000003"));
    EXPECT_FALSE(text.contains("Odd"));
}

}  // namespace
