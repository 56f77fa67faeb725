#include "app/formmain.h"
#include "app/language.h"

#include "support/fakes.h"
#include "support/testnames.h"

#include <QBuffer>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A control of our own kind: no label or button, only a "text" property.
class CaptionWidget : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    using QWidget::QWidget;
    QString text() const { return m_text; }
    void setText(const QString& t) { m_text = t; }

private:
    QString m_text;
};

const QString kAssets = QFileInfo(QStringLiteral(__FILE__)).absolutePath()
    + QStringLiteral("/../../assets/lang");

QByteArray joinLines(const QList<QByteArray>& lines, const QByteArray& eol = "\r\n")
{
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + eol;
    return out;
}

// Lines "L1" .. "Ln" with a fixed prefix, as a file would hold them.
QList<QByteArray> numbered(int count, const QByteArray& prefix)
{
    QList<QByteArray> lines;
    for (int i = 1; i <= count; ++i)
        lines << prefix + QByteArray::number(i);
    return lines;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// --- character sets ---------------------------------------------------------

TEST(CharSetTable, MatchesTheSettingsDialogList)
{
    const char* names[] = {"DEFAULT", "ANSI", "EASTEUROPE", "RUSSIAN", "ARABIC", "GREEK",
                           "TURKISH", "BALTIC", "THAI", "MAC", "SHIFTJIS", "HANGEUL",
                           "JOHAB", "GB2312", "CHINESEBIG5", "HEBREW"};
    const int values[] = {1, 0, 238, 204, 178, 161, 162, 186, 222, 77, 128, 129, 130, 134, 136, 177};
    for (int i = 0; i < 16; ++i) {
        EXPECT_STREQ(charSetEntry(i).name, names[i]);
        EXPECT_EQ(charSetEntry(i).value, values[i]);
    }
    EXPECT_EQ(charSetEntry(3).codePage, 1251);
    EXPECT_STREQ(charSetEntry(16).name, "DEFAULT");
    EXPECT_STREQ(charSetEntry(99).name, "DEFAULT");
    EXPECT_STREQ(charSetEntry(-1).name, "DEFAULT");
}

TEST(LineMap, IsInLineOrderWithinTheAppliedRange)
{
    int previous = 0;
    for (const LanguageLine& l : kLanguageLines) {
        EXPECT_GE(l.line, previous);
        EXPECT_GE(l.line, 2);
        EXPECT_LE(l.line, Language::kAppliedEntries);
        previous = l.line;
    }
}

// --- reading lines ----------------------------------------------------------

struct SplitCase {
    const char* what;
    QByteArray bytes;
    QList<QByteArray> lines;
};

void PrintTo(const SplitCase& c, std::ostream* os)
{
    *os << c.what;
}

class LineSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LineSplitTest, SplitsAtEveryKindOfLineEnd)
{
    const SplitCase& c = GetParam();
    QBuffer buffer;
    buffer.setData(c.bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    const auto lines = Language::readLines(buffer, Language::kEntries, Language::kMaxLineBytes);
    ASSERT_TRUE(lines);
    EXPECT_EQ(QList<QByteArray>(lines->begin(), lines->end()), c.lines) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, LineSplitTest, ::testing::Values(
    SplitCase{"CR LF", "a\r\nb\r\n", {"a", "b"}},
    SplitCase{"LF", "a\nb\n", {"a", "b"}},
    SplitCase{"CR", "a\rb\r", {"a", "b"}},
    SplitCase{"no end on last", "a\r\nb", {"a", "b"}},
    SplitCase{"empty", "", {}},
    SplitCase{"one empty line", "\r\n", {""}},
    SplitCase{"empty line 2", "head\r\n\r\nthree\r\n", {"head", "", "three"}},
    SplitCase{"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
    SplitCase{"LF CR", "\n\r", {"", ""}},
    SplitCase{"blanks kept", "  x  \r\n", {"  x  "}},
    SplitCase{"NUL kept", QByteArray("a\0b\n", 4), {QByteArray("a\0b", 3)}}),
    testnames::caseNames([](const SplitCase& c) { return c.what; }));

TEST(LineSplit, CrLfAcrossAReadChunkIsOneLineEnd)
{
    // The reader takes 64 KiB at a time; put the CR last in the first chunk.
    QByteArray bytes(64 * 1024 - 1, 'x');
    bytes += "\r\nnext\r\n";
    QBuffer buffer;
    buffer.setData(bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    const auto lines = Language::readLines(buffer, 200, 1 << 20);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 2u);
    EXPECT_EQ((*lines)[0].size(), 64 * 1024 - 1);
    EXPECT_EQ((*lines)[1], "next");
}

TEST(LineSplit, StopsAtTheByteLimitAsIfTheFileEndedThere)
{
    QBuffer buffer;
    buffer.setData("one\r\ntwo\r\nthree\r\n");
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    const auto lines = Language::readLines(buffer, 200, 100, 7);
    ASSERT_TRUE(lines);
    EXPECT_EQ(QList<QByteArray>(lines->begin(), lines->end()), (QList<QByteArray>{"one", "tw"}));
}

// A device whose second read fails, like a disk error half-way.
class FailingDevice : public QIODevice {
protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_reads++ > 0)
            return -1;
        const qint64 n = qMin<qint64>(maxSize, 6);
        std::copy_n("a\r\nb\r\n", n, data);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    int m_reads = 0;
};

TEST(LineSplit, AReadErrorGivesNothing)
{
    FailingDevice device;
    ASSERT_TRUE(device.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    EXPECT_FALSE(Language::readLines(device, 200, 100));
}

TEST(LineSplit, StopsAtTheLineLimit)
{
    QBuffer buffer;
    buffer.setData(joinLines(numbered(10'000, "L")));
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    const auto lines = Language::readLines(buffer, 200, 100);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 200u);
    EXPECT_EQ(lines->back(), "L200");
}

// --- loading ----------------------------------------------------------------

class LanguageTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Language language;

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = Language::filePath(dir.path(), name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
};

TEST_F(LanguageTest, PathIsProgramFolderNameAndExtension)
{
    EXPECT_EQ(Language::filePath(QStringLiteral("/opt/p/"), QStringLiteral("English")),
              QStringLiteral("/opt/p/English.lng"));
    EXPECT_EQ(Language::filePath(QStringLiteral("/opt/p"), QString()), QStringLiteral("/opt/p/.lng"));
}

TEST_F(LanguageTest, NoFileChangesNothing)
{
    write(QStringLiteral("A"), joinLines(numbered(5, "a")));
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("A")), Language::LoadResult::Loaded);
    EXPECT_EQ(language.load(dir.path(), QStringLiteral("DEFAULT")), Language::LoadResult::NotFound);
    EXPECT_EQ(language.load(dir.path(), QString()), Language::LoadResult::NotFound);
    EXPECT_EQ(language.rawLine(3), "a3");
}

TEST_F(LanguageTest, AFileThatCannotBeReadChangesNothing)
{
    write(QStringLiteral("A"), joinLines(numbered(5, "a")));
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("A")), Language::LoadResult::Loaded);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Folder.lng")));
    EXPECT_EQ(language.load(dir.path(), QStringLiteral("Folder")), Language::LoadResult::Unreadable);
    EXPECT_EQ(language.rawLine(1), "a1");
    EXPECT_EQ(language.rawLine(5), "a5");
}

TEST_F(LanguageTest, FewerLinesAfterMoreKeepTheEarlierTail)
{
    write(QStringLiteral("Long"), joinLines(numbered(65, "long")));
    write(QStringLiteral("Short"), joinLines(numbered(20, "short")));
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("Long")), Language::LoadResult::Loaded);
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("Short")), Language::LoadResult::Loaded);
    EXPECT_EQ(language.rawLine(20), "short20");
    EXPECT_EQ(language.rawLine(21), "long21");
    EXPECT_EQ(language.rawLine(65), "long65");
    EXPECT_EQ(language.rawLine(66), "");
}

TEST_F(LanguageTest, AnEmptyFileLoadsAndKeepsEverything)
{
    write(QStringLiteral("A"), joinLines(numbered(3, "a")));
    write(QStringLiteral("Empty"), QByteArray());
    EXPECT_EQ(language.load(dir.path(), QStringLiteral("Empty")), Language::LoadResult::Loaded);
    EXPECT_TRUE(language.hasLoadedFile());
    EXPECT_EQ(language.rawLine(1), "");
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("A")), Language::LoadResult::Loaded);
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("Empty")), Language::LoadResult::Loaded);
    EXPECT_EQ(language.rawLine(2), "a2");
}

TEST_F(LanguageTest, TenThousandLinesFillOnlyTheTable)
{
    write(QStringLiteral("Many"), joinLines(numbered(10'000, "m")));
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("Many")), Language::LoadResult::Loaded);
    EXPECT_EQ(language.rawLine(200), "m200");
    EXPECT_EQ(language.rawLine(201), "");
    EXPECT_EQ(language.rawLine(0), "");
}

TEST_F(LanguageTest, AMegabyteLineIsCutAndTheNextLineKeepsItsNumber)
{
    write(QStringLiteral("Huge"), "head\r\n" + QByteArray(1 << 20, 'w') + "\r\nthird\r\n");
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("Huge")), Language::LoadResult::Loaded);
    EXPECT_EQ(language.rawLine(2).size(), Language::kMaxLineBytes);
    EXPECT_EQ(language.rawLine(3), "third");
}

TEST_F(LanguageTest, InvalidBytesAreReplacedNotFatal)
{
    write(QStringLiteral("Bad"), "h\r\n\x81\x20\xff\x82\r\n\x98\r\n");
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("Bad")), Language::LoadResult::Loaded);
    for (int charSet = 0; charSet < 16; ++charSet) {
        EXPECT_FALSE(language.text(2, charSet).isEmpty()) << charSet;
        EXPECT_FALSE(language.text(3, charSet).isEmpty()) << charSet;
    }
    EXPECT_TRUE(language.text(2, 10).contains(QChar(0xFFFD)));  // SHIFTJIS: 0x81 0x20 is no pair
    EXPECT_EQ(language.text(3, 3), QStringLiteral("\ufffd"));  // 0x98 is undefined in 1251
}

TEST_F(LanguageTest, TheSameBytesAreDecodedAgainForEachCharacterSet)
{
    write(QStringLiteral("R"), "h\r\n\xd1\xd2\xc0\xd0\xd2\r\n");
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("R")), Language::LoadResult::Loaded);
    EXPECT_EQ(language.text(2, 3), QStringLiteral("СТАРТ"));
    EXPECT_EQ(language.text(2, 0), QStringLiteral("ÑÒÀÐÒ"));
    EXPECT_EQ(language.text(2, 2), QStringLiteral("ŃŇŔĐŇ"));
    EXPECT_EQ(language.text(2, 99), language.text(2, 0));
}

// --- applying ---------------------------------------------------------------

class LanguageApplyTest : public LanguageTest {
protected:
    LanguageApplyTest()
    {
        for (const char* name : {"bHelp", "bCFG", "bInfo", "sbLoad", "sbSave", "sbPlatz", "sbCLS"})
            child<QToolButton>(main.get(), name);
        for (const char* name : {"bSTART", "bLAP", "bSTOP"})
            child<QPushButton>(main.get(), name);
        for (const char* name : {"Lab_Hour", "Lab_Min", "Lab_sek", "Lab_100", "Label2"})
            child<QLabel>(main.get(), name)->setText(QStringLiteral("designed"));
        child<CaptionWidget>(main.get(), "Label7");
        child<QPlainTextEdit>(main.get(), "Memo1");
        child<QComboBox>(settings.get(), "cbCharset");
        for (const char* name : {"Label1", "Label6", "Label10", "Label4", "Label5", "Label11"})
            child<QLabel>(settings.get(), name);
        child<QGroupBox>(settings.get(), "GroupBox1");
        child<QPushButton>(settings.get(), "CancelBtn");
        child<QPushButton>(info.get(), "sOK");
    }

    template <typename W>
    W* child(QWidget* parent, const char* name)
    {
        auto* w = new W(parent);  // owned by its parent
        w->setObjectName(QLatin1String(name));
        return w;
    }
    template <typename W = QWidget>
    W* find(QWidget* window, const char* name)
    {
        return window->findChild<W*>(QLatin1String(name));
    }
    LanguageWindows windows() { return {main.get(), settings.get(), info.get()}; }

    // A file whose line k reads "t<k>", with overrides.
    void writeNumbered(const QString& name, QMap<int, QByteArray> overrides = {}, int count = 65)
    {
        QList<QByteArray> lines = numbered(count, "t");
        for (auto it = overrides.begin(); it != overrides.end(); ++it)
            lines[it.key() - 1] = it.value();
        write(name, joinLines(lines));
    }

    std::unique_ptr<QWidget> main = std::make_unique<QWidget>();
    std::unique_ptr<QDialog> settings = std::make_unique<QDialog>();
    std::unique_ptr<QDialog> info = std::make_unique<QDialog>();
};

TEST_F(LanguageApplyTest, EveryTargetOfTheLineMapGetsItsLine)
{
    writeNumbered(QStringLiteral("T"));
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("T")), Language::LoadResult::Loaded);
    const auto texts = language.apply(windows(), 0);
    ASSERT_TRUE(texts);

    EXPECT_EQ(find(main.get(), "bHelp")->toolTip(), "t2");
    EXPECT_EQ(find(main.get(), "bCFG")->toolTip(), "t3");
    EXPECT_EQ(find(main.get(), "bInfo")->toolTip(), "t4");
    EXPECT_EQ(find<QPushButton>(main.get(), "bSTART")->text(), "t15");
    EXPECT_EQ(find<QPushButton>(main.get(), "bLAP")->text(), "t16");
    EXPECT_EQ(find<QPushButton>(main.get(), "bSTOP")->text(), "t17");
    EXPECT_EQ(find(main.get(), "sbLoad")->toolTip(), "t18");
    EXPECT_EQ(find(main.get(), "sbSave")->toolTip(), "t20");
    EXPECT_EQ(find(main.get(), "sbPlatz")->toolTip(), "t22");
    EXPECT_EQ(find(main.get(), "sbCLS")->toolTip(), "t23");
    EXPECT_EQ(find<QLabel>(main.get(), "Lab_Hour")->text(), "t29");
    EXPECT_EQ(find<QLabel>(main.get(), "Lab_Min")->text(), "t30");
    EXPECT_EQ(find<QLabel>(main.get(), "Lab_sek")->text(), "t31");
    EXPECT_EQ(find<QLabel>(main.get(), "Lab_100")->text(), "t32");
    EXPECT_EQ(settings->windowTitle(), "t35");
    EXPECT_EQ(find(settings.get(), "cbCharset")->toolTip(), "t36");
    EXPECT_EQ(find<QLabel>(main.get(), "Label2")->text(), "t40");
    EXPECT_EQ(find<QLabel>(settings.get(), "Label1")->text(), "t41");
    EXPECT_EQ(find<QLabel>(settings.get(), "Label6")->text(), "t42");
    EXPECT_EQ(find<CaptionWidget>(main.get(), "Label7")->text(), "t43");
    EXPECT_EQ(find<QLabel>(settings.get(), "Label10")->text(), "t44");
    EXPECT_EQ(find<QGroupBox>(settings.get(), "GroupBox1")->title(), "t45");
    EXPECT_EQ(find<QLabel>(settings.get(), "Label4")->text(), "t46");
    EXPECT_EQ(find<QLabel>(settings.get(), "Label5")->text(), "t48");
    EXPECT_EQ(find<QLabel>(settings.get(), "Label11")->text(), "t49");
    EXPECT_EQ(find<QPushButton>(settings.get(), "CancelBtn")->text(), "t55");
    EXPECT_EQ(find<QPushButton>(info.get(), "sOK")->text(), "t56");
    EXPECT_EQ(texts->zeitCaption, "t16");
    EXPECT_EQ(texts->closeQuestion, "t57");
    EXPECT_EQ(texts->clearQuestion, "t60");
    // Nothing touches a window's own title except the settings dialog's.
    EXPECT_EQ(main->windowTitle(), QString());
    EXPECT_EQ(info->windowTitle(), QString());
}

TEST_F(LanguageApplyTest, FontsMarkedInTheMapReceiveTheCharacterSet)
{
    writeNumbered(QStringLiteral("T"));
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("T")), Language::LoadResult::Loaded);
    language.apply(windows(), 3);
    const auto charSet = [](QWidget* w) { return w->property(kCharSetProperty); };
    EXPECT_EQ(charSet(main.get()), 204);
    EXPECT_EQ(charSet(find(main.get(), "Memo1")), 204);
    EXPECT_EQ(charSet(settings.get()), 204);
    for (const char* name : {"bSTART", "bLAP", "bSTOP", "Lab_100", "Label2", "Label7"})
        EXPECT_EQ(charSet(find(main.get(), name)), 204) << name;
    for (const char* name : {"cbCharset", "Label1", "GroupBox1", "CancelBtn"})
        EXPECT_EQ(charSet(find(settings.get(), name)), 204) << name;
    EXPECT_EQ(charSet(find(info.get(), "sOK")), 204);
    // Hints get no character set, and neither does the information window.
    EXPECT_FALSE(charSet(find(main.get(), "bHelp")).isValid());
    EXPECT_FALSE(charSet(find(main.get(), "sbCLS")).isValid());
    EXPECT_FALSE(charSet(info.get()).isValid());
}

TEST_F(LanguageApplyTest, AnEmptyLineTwoEmptiesTheHelpHint)
{
    find(main.get(), "bHelp")->setToolTip(QStringLiteral("[F1] Hilfe"));
    writeNumbered(QStringLiteral("T"), {{2, ""}});
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("T")), Language::LoadResult::Loaded);
    language.apply(windows(), 0);
    EXPECT_EQ(find(main.get(), "bHelp")->toolTip(), QString());
    EXPECT_EQ(find(main.get(), "bCFG")->toolTip(), "t3");
}

TEST_F(LanguageApplyTest, AShortFileEmptiesTheTextsNoFileFilled)
{
    writeNumbered(QStringLiteral("Short"), {}, 20);
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("Short")), Language::LoadResult::Loaded);
    const auto texts = language.apply(windows(), 0);
    ASSERT_TRUE(texts);
    EXPECT_EQ(find<QPushButton>(main.get(), "bSTART")->text(), "t15");
    EXPECT_EQ(find<QLabel>(main.get(), "Label2")->text(), QString());
    EXPECT_EQ(texts->closeQuestion, QString());
}

TEST_F(LanguageApplyTest, AShortFileAfterALongOneKeepsTheLongTail)
{
    writeNumbered(QStringLiteral("Long"), {{57, "Quit?"}});
    write(QStringLiteral("Short"), joinLines(numbered(20, "s")));
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("Long")), Language::LoadResult::Loaded);
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("Short")), Language::LoadResult::Loaded);
    const auto texts = language.apply(windows(), 0);
    ASSERT_TRUE(texts);
    EXPECT_EQ(find<QPushButton>(main.get(), "bSTART")->text(), "s15");
    EXPECT_EQ(find<QLabel>(main.get(), "Lab_Hour")->text(), "t29");
    EXPECT_EQ(texts->closeQuestion, "Quit?");
}

TEST_F(LanguageApplyTest, BeforeAnyFileOnlyTheCharacterSetApplies)
{
    const auto texts = language.apply(windows(), 3);
    EXPECT_FALSE(texts);
    EXPECT_EQ(find<QLabel>(main.get(), "Lab_Hour")->text(), "designed");
    EXPECT_EQ(find<QPushButton>(main.get(), "bSTART")->property(kCharSetProperty), 204);
    EXPECT_EQ(settings->property(kCharSetProperty), 204);
    // A missing file does not count as loaded.
    EXPECT_EQ(language.load(dir.path(), QStringLiteral("Nope")), Language::LoadResult::NotFound);
    EXPECT_FALSE(language.apply(windows(), 0));
}

TEST_F(LanguageApplyTest, MissingWindowsAndControlsAreSkipped)
{
    writeNumbered(QStringLiteral("T"));
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("T")), Language::LoadResult::Loaded);
    find(main.get(), "bSTART")->setObjectName(QStringLiteral("other"));  // a control the window lacks
    const auto texts = language.apply({main.get(), nullptr, nullptr}, 0);
    ASSERT_TRUE(texts);
    EXPECT_EQ(find<QPushButton>(main.get(), "bLAP")->text(), "t16");
    EXPECT_EQ(texts->clearQuestion, "t60");
    EXPECT_TRUE(language.apply({}, 0));
}

TEST_F(LanguageApplyTest, LinesAreShownAsPlainText)
{
    writeNumbered(QStringLiteral("T"), {{2, "<b>x</b>"}, {29, "<img src=\"/nonexistent.png\">"}});
    ASSERT_EQ(language.load(dir.path(), QStringLiteral("T")), Language::LoadResult::Loaded);
    language.apply(windows(), 0);
    auto* label = find<QLabel>(main.get(), "Lab_Hour");
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), "<img src=\"/nonexistent.png\">");
    EXPECT_TRUE(find(main.get(), "bHelp")->toolTip().contains("&lt;b&gt;x&lt;/b&gt;"));
}

TEST_F(LanguageApplyTest, RussianFileWithCharSetThreeShowsCyrillic)
{
    const QString source = kAssets + QStringLiteral("/Russisch.lng");
    ASSERT_EQ(language.loadFile(source), Language::LoadResult::Loaded);
    const auto texts = language.apply(windows(), 3);
    ASSERT_TRUE(texts);
    EXPECT_EQ(find<QPushButton>(main.get(), "bSTART")->text(), QStringLiteral("СТАРТ"));
    EXPECT_EQ(find<QPushButton>(main.get(), "bLAP")->text(), QStringLiteral("ВРЕМЯ"));
    EXPECT_EQ(texts->zeitCaption, QStringLiteral("ВРЕМЯ"));
    EXPECT_EQ(texts->closeQuestion, QStringLiteral("Завершить программу?"));
    EXPECT_EQ(find<QLabel>(main.get(), "Label2")->text(), QStringLiteral("Старт. №:"));
    // Applied again with another character set, the same bytes give Latin letters.
    language.apply(windows(), 0);
    EXPECT_EQ(find<QPushButton>(main.get(), "bSTART")->text(), QStringLiteral("ÑÒÀÐÒ"));
}

// The real main window: every line aimed at it finds its control, and a
// caption longer than the German one is shown whole.
TEST(LanguageOnTheMainWindow, EveryTargetExistsAndLongerCaptionsFit)
{
    QTemporaryDir dir;
    FakeCounter counter;
    FormMainOptions options;
    options.counters = counter.source();
    options.programDir = dir.path();
    TFormMain window(options);
    for (const LanguageLine& line : kLanguageLines) {
        if (line.window == LanguageWindow::Main && *line.objectName) {
            EXPECT_NE(window.findChild<QWidget*>(QLatin1String(line.objectName)), nullptr) << line.line;
        }
    }

    // Built-in texts where no file is in force, the hint of sbLoad among them.
    EXPECT_EQ(window.findChild<QWidget*>(QStringLiteral("sbLoad"))->toolTip(), QStringLiteral("fsbLoad"));
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("Start-Nr.:"));

    Language language;
    ASSERT_EQ(language.loadFile(kAssets + QStringLiteral("/Russisch.lng")), Language::LoadResult::Loaded);
    ASSERT_TRUE(language.apply(LanguageWindows{&window, nullptr, nullptr}, 3));
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("Старт. №:"));
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label7"))->text(), QStringLiteral("Хронометраж"));
    for (const char* name : {"Label2", "Label7", "Lab_Hour", "Lab_Min", "Lab_sek"}) {
        const auto* label = window.findChild<QLabel*>(QLatin1String(name));
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << name;
    }
}

// The shipped files: every line the map uses carries a text, in the file's
// code page without a replacement character.
struct ShippedCase {
    const char* file;
    int charSet;
};

void PrintTo(const ShippedCase& c, std::ostream* os)
{
    *os << c.file;
}

class ShippedLanguageTest : public ::testing::TestWithParam<ShippedCase> {};

TEST_P(ShippedLanguageTest, EveryUsedLineIsTranslated)
{
    const ShippedCase& c = GetParam();
    const QString path = kAssets + QLatin1Char('/') + QLatin1String(c.file);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.file;
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("\r\n"), 65) << "65 lines, each ended by CR LF";
    EXPECT_EQ(bytes.count('\n'), 65);

    Language language;
    ASSERT_EQ(language.loadFile(path), Language::LoadResult::Loaded);
    for (const LanguageLine& l : kLanguageLines) {
        if (l.action == LanguageAction::WindowFont)
            continue;
        const QString text = language.text(l.line, c.charSet);
        EXPECT_FALSE(text.trimmed().isEmpty()) << c.file << " line " << l.line;
        EXPECT_FALSE(text.contains(QChar(0xFFFD))) << c.file << " line " << l.line;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedLanguageTest, ::testing::Values(
    ShippedCase{"English.lng", 0}, ShippedCase{"Russisch.lng", 3}),
    testnames::caseNames([](const ShippedCase& c) { return c.file; }));

TEST(ShippedLanguage, EnglishIsPlainAscii)
{
    QFile file(kAssets + QStringLiteral("/English.lng"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    for (const char c : file.readAll())
        ASSERT_TRUE(static_cast<unsigned char>(c) < 0x80);
}

}  // namespace

#include "language_test.moc"
