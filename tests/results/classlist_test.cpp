#include "results/classlist.h"
#include "results/textdecoding.h"
#include "support/testnames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

struct Expected {
    qint32 length;
    const char* name;  // UTF-8
};

struct ListCase {
    const char* name;
    QByteArray bytes;
    std::vector<Expected> classes;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

class ParseClassListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(ParseClassListTest, Parses)
{
    const ListCase& c = GetParam();
    const QVector<ClassEntry> entries = parseClassList(c.bytes);
    ASSERT_EQ(entries.size(), qsizetype(c.classes.size()));
    for (size_t i = 0; i < c.classes.size(); ++i) {
        EXPECT_EQ(entries[i].trackLength, c.classes[i].length) << "class " << i + 1;
        EXPECT_EQ(entries[i].name, QString::fromUtf8(c.classes[i].name)) << "class " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ParseClassListTest, ::testing::Values(
    ListCase{"SkipsEmptyAndMalformedLines", "850 Gruppe A\r\n\r\nx Gruppe B\r\n900 Gruppe C\r\n",
             {{850, "Gruppe A"}, {900, "Gruppe C"}}},
    ListCase{"BlankBeforeNumberIsSkipped", " 850 Gruppe A\r\n", {}},
    ListCase{"NumberWithBlankOnlyGivesEmptyName", "850 \r\n", {{850, ""}}},
    ListCase{"NumberWithoutBlankIsSkipped", "850\r\n850Gruppe\r\n", {}},
    ListCase{"BlanksAroundNameAndNumber", "850    Gruppe A   \r\n", {{850, "Gruppe A"}}},
    ListCase{"TabBeforeTheBlankBelongsToTheNumber", "850\t Gruppe A\n", {{850, "Gruppe A"}}},
    ListCase{"TabInsteadOfBlankIsSkipped", "850\tGruppe A\n", {}},
    ListCase{"Signs", "+900 Plus\n-5 Minus\n--5 Twice\n", {{900, "Plus"}, {-5, "Minus"}}},
    ListCase{"NotAWholeNumber", "8.5 A\n12x B\n99999999999 C\n0 D\n", {{0, "D"}}},
    ListCase{"NameKeepsInnerBlanks", "1000 Gruppe  F  2\n", {{1000, "Gruppe  F  2"}}},
    ListCase{"LfOnly", "1 A\n2 B\n3 C", {{1, "A"}, {2, "B"}, {3, "C"}}},
    ListCase{"CrOnly", "1 A\r2 B\r3 C\r", {{1, "A"}, {2, "B"}, {3, "C"}}},
    ListCase{"MixedLineEnds", "1 A\r\n2 B\n3 C\r4 D\n\r5 E", {{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}, {5, "E"}}},
    ListCase{"Utf8ByteOrderMark", "\xEF\xBB\xBF" "850 Gr\xC3\xBC\xC3\x9F" "e\r\n", {{850, "Grüße"}}},
    ListCase{"Utf8Umlauts", "850 M\xC3\xBCller\n", {{850, "Müller"}}},
    ListCase{"Windows1252Umlauts", "850 M\xFCller \x80 \x84" "a\x93\n", {{850, "Müller € „a“"}}},
    ListCase{"Windows1252UndefinedBytes", "1 \x81\x8D\x8F\x90\x9D\n", {{1, "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"}}},
    ListCase{"EmptyFile", "", {}},
    ListCase{"OnlyMalformed", "Gruppe A\n\n x\n-\n", {}}),
    testnames::caseNames([](const ListCase& c) { return c.name; }));

TEST(ParseClassList, OnlyTheFirst21ClassesCount)
{
    QByteArray bytes;
    for (int i = 1; i <= 30; ++i)
        bytes += QByteArray::number(i * 10) + " Klasse " + QByteArray::number(i) + "\n";
    const QVector<ClassEntry> entries = parseClassList(bytes);
    ASSERT_EQ(entries.size(), 21);
    EXPECT_EQ(entries.last(), (ClassEntry{210, QStringLiteral("Klasse 21")}));
}

TEST(ParseClassList, TenThousandLines)
{
    QByteArray bytes;
    for (int i = 0; i < 10000; ++i)
        bytes += (i % 2 ? "x bad line\r\n" : "500 Klasse\r\n");
    EXPECT_EQ(parseClassList(bytes).size(), 21);
    QByteArray bad;
    for (int i = 0; i < 10000; ++i)
        bad += "no number here\n";
    EXPECT_TRUE(parseClassList(bad).isEmpty());
}

TEST(ParseClassList, OneMegabyteLine)
{
    const QByteArray name(1024 * 1024, 'A');
    const QVector<ClassEntry> entries = parseClassList("850 " + name + "\n900 B\n");
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name.size(), name.size());
    EXPECT_EQ(entries[1].name, QStringLiteral("B"));
    EXPECT_TRUE(parseClassList(QByteArray(1024 * 1024, '7')).isEmpty());  // a number without a blank
}

TEST(ParseClassList, BinaryGarbageNeverBreaksALine)
{
    std::mt19937 random(20261207);
    for (int round = 0; round < 20; ++round) {
        QByteArray bytes(64 * 1024, '\0');
        for (char& b : bytes)
            b = char(random() & 0xFF);
        // Sprinkle in lines that do parse.
        bytes.insert(0, "12 Start\n");
        const QVector<ClassEntry> entries = parseClassList(bytes);
        ASSERT_LE(entries.size(), 21);
        ASSERT_GE(entries.size(), 1);
        EXPECT_EQ(entries[0], (ClassEntry{12, QStringLiteral("Start")}));
        for (const ClassEntry& e : entries) {
            EXPECT_FALSE(e.name.contains(QLatin1Char('\n')));
            EXPECT_FALSE(e.name.contains(QLatin1Char('\r')));
        }
    }
}

struct Utf8Case {
    const char* name;
    QByteArray bytes;
    bool valid;
};

void PrintTo(const Utf8Case& c, std::ostream* os)
{
    *os << c.name;
}

class Utf8ValidityTest : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ValidityTest, Strict)
{
    EXPECT_EQ(isValidUtf8(GetParam().bytes), GetParam().valid) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Table, Utf8ValidityTest, ::testing::Values(
    Utf8Case{"ascii", "abc", true},
    Utf8Case{"two bytes", "\xC3\xBC", true},
    Utf8Case{"three bytes", "\xE2\x82\xAC", true},
    Utf8Case{"four bytes", "\xF0\x9F\x98\x80", true},
    Utf8Case{"latin1 byte", "M\xFCller", false},
    Utf8Case{"overlong two", "\xC0\xAF", false},
    Utf8Case{"overlong three", "\xE0\x80\xAF", false},
    Utf8Case{"surrogate", "\xED\xA0\x80", false},
    Utf8Case{"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
    Utf8Case{"truncated", "\xE2\x82", false},
    Utf8Case{"stray continuation", "\x80", false}),
    testnames::caseNames([](const Utf8Case& c) { return c.name; }));

TEST(Decoding, Windows1252TableAndLatin1Range)
{
    EXPECT_EQ(decodeWindows1252("\x80\x8A\x9F\xA0\xFF"),
              QString::fromUtf8("€Š") + QChar(0x0178) + QChar(0xA0) + QChar(0xFF));
    EXPECT_EQ(decodeUtf8OrWindows1252("\xEF\xBB\xBF" "abc"), QStringLiteral("abc"));
    // A byte-order mark followed by bytes that are not UTF-8: the rest is 1252.
    EXPECT_EQ(decodeUtf8OrWindows1252("\xEF\xBB\xBF" "\xFC"), QString(QChar(0xFC)));
}

// --- reading files ----------------------------------------------------------

TEST(ReadClassList, ReadsAFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Klassen.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("850 Gruppe A\r\n900 Gruppe C\r\n");
    file.close();
    const auto entries = readClassList(path);
    ASSERT_TRUE(entries.has_value());
    EXPECT_EQ(entries->size(), 2);
}

TEST(ReadClassList, UnreadablePathsGiveNothing)
{
    QTemporaryDir dir;
    EXPECT_FALSE(readClassList(dir.path()).has_value());                                  // a folder
    EXPECT_FALSE(readClassList(dir.filePath(QStringLiteral("missing.txt"))).has_value());
    EXPECT_FALSE(readClassList(QString()).has_value());
    EXPECT_FALSE(readClassList(QStringLiteral("/dev/zero")).has_value());                // would never end
}

TEST(ReadClassList, EmptyFileIsReadableAndEmpty)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("leer.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const auto entries = readClassList(path);
    ASSERT_TRUE(entries.has_value());
    EXPECT_TRUE(entries->isEmpty());
}

TEST(ReadClassList, OversizedFileIsRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("850 A\n");
    ASSERT_TRUE(file.resize(kMaxClassListBytes + 1));  // sparse: costs no disk
    file.close();
    EXPECT_FALSE(readClassList(path).has_value());
}

TEST(ClassListFileName, OnlyTxtInAnyCase)
{
    EXPECT_TRUE(isClassListFileName(QStringLiteral("/a/Klassen.txt")));
    EXPECT_TRUE(isClassListFileName(QStringLiteral("K.TXT")));
    EXPECT_TRUE(isClassListFileName(QStringLiteral("K.TxT")));
    EXPECT_FALSE(isClassListFileName(QStringLiteral("K.csv")));
    EXPECT_FALSE(isClassListFileName(QStringLiteral("K.txt.bak")));
    EXPECT_FALSE(isClassListFileName(QStringLiteral("Ktxt")));
}

// --- the 21 pages ---------------------------------------------------------------

TEST(ClassBook, StartsWithNumberedPages)
{
    const ClassBook book;
    EXPECT_TRUE(book.names.isEmpty());
    EXPECT_EQ(book.captions[0], QStringLiteral("Klasse 1"));
    EXPECT_EQ(book.captions[20], QStringLiteral("Klasse 21"));
    EXPECT_EQ(book.trackLengths[5], 0);
}

TEST(ClassBook, LoadNamesPagesAndKeepsTheRest)
{
    ClassBook book;
    book.captions[4] = QStringLiteral("Typed");
    book.trackLengths[4] = 700;
    book.load(parseClassList("850 Gruppe A\r\n\r\nx Gruppe B\r\n900 Gruppe C\r\n"));
    EXPECT_EQ(book.names, (QStringList{QStringLiteral("Gruppe A"), QStringLiteral("Gruppe C")}));
    EXPECT_EQ(book.captions[0], QStringLiteral("Gruppe A"));
    EXPECT_EQ(book.captions[1], QStringLiteral("Gruppe C"));
    EXPECT_EQ(book.trackLengths[0], 850);
    EXPECT_EQ(book.trackLengths[1], 900);
    EXPECT_EQ(book.captions[4], QStringLiteral("Typed"));
    EXPECT_EQ(book.trackLengths[4], 700);

    book.load({});
    EXPECT_TRUE(book.names.isEmpty());
    EXPECT_EQ(book.captions[0], QStringLiteral("Klasse 1"));
    EXPECT_EQ(book.captions[1], QStringLiteral("Gruppe C"));
}

TEST(ClassBook, FindsNamesIgnoringCase)
{
    ClassBook book;
    book.load(parseClassList("850 Gruppe A\n900 Gruppe C\n"));
    EXPECT_EQ(book.indexOf(QStringLiteral("gruppe a")), 0);
    EXPECT_EQ(book.indexOf(QStringLiteral("GRUPPE C")), 1);
    EXPECT_EQ(book.indexOf(QStringLiteral("Gruppe H")), -1);
    EXPECT_EQ(ClassBook::addQuestion(QStringLiteral("Gruppe H")), QStringLiteral("KLASSE: Gruppe H?"));
    EXPECT_EQ(ClassBook::addQuestion(QString()), QStringLiteral("KLASSE: ?"));
}

TEST(ClassBook, AddedClassInheritsTheTrackLength)
{
    ClassBook book;
    book.load(parseClassList("850 Gruppe A\n900 Gruppe C\n"));
    book.activePage = 1;
    EXPECT_EQ(book.addClass(QStringLiteral("Gruppe H")), 2);
    EXPECT_EQ(book.activePage, 2);
    EXPECT_EQ(book.captions[2], QStringLiteral("Gruppe H"));
    EXPECT_EQ(book.trackLengths[2], 900);

    book.trackLengths[3] = 400;  // a page with its own length keeps it
    EXPECT_EQ(book.addClass(QStringLiteral("Gruppe I")), 3);
    EXPECT_EQ(book.trackLengths[3], 400);
}

TEST(ClassBook, FirstTypedClassOnAnEmptyBoxKeepsPageZero)
{
    ClassBook book;
    book.trackLengths[0] = 500;
    EXPECT_EQ(book.addClass(QStringLiteral("Neu")), 0);
    EXPECT_EQ(book.captions[0], QStringLiteral("Neu"));
    EXPECT_EQ(book.trackLengths[0], 500);
}

TEST(ClassBook, TwentySecondClassIsRefused)
{
    QByteArray bytes;
    for (int i = 1; i <= 21; ++i)
        bytes += "100 K" + QByteArray::number(i) + "\n";
    ClassBook book;
    book.load(parseClassList(bytes));
    ASSERT_TRUE(book.isFull());
    EXPECT_EQ(book.addClass(QStringLiteral("K22")), -1);
    EXPECT_EQ(book.names.size(), 21);
}

}  // namespace
