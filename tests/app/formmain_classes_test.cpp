// The class pages in the real window: the class list at start-up, choosing,
// adding and opening classes, and bad class lists.
#include "support/resultswindow.h"
#include "support/testnames.h"
#include "support/userinput.h"

#include <QLabel>

namespace {

class ClassesWindow : public ResultsWindowTest {
protected:
    // Clicks into the box, selects its text and types over it.
    void typeClass(const QString& text)
    {
        userClick(classBox());
        userKey(Qt::Key_A, Qt::ControlModifier);
        userType(text);
    }
    void enterClass(const QString& text)
    {
        typeClass(text);
        userKey(Qt::Key_Return);
    }
    void chooseNextClass()
    {
        userClick(classBox());
        userKey(Qt::Key_Down);
    }
    QStringList boxEntries()
    {
        QStringList entries;
        for (int i = 0; i < classBox()->count(); ++i)
            entries << classBox()->itemText(i);
        return entries;
    }
    QList<int> visibleTabs()
    {
        QList<int> tabs;
        for (int i = 0; i < pages()->count(); ++i) {
            if (pages()->isTabVisible(i))
                tabs << i;
        }
        return tabs;
    }
};

TEST_F(ClassesWindow, ClassListAtStartUpNamesThePages)
{
    writeProgramFile(QStringLiteral("Klassen.txt"), "850 Gruppe A\r\n\r\nx Gruppe B\r\n900 Gruppe C\r\n");
    make();
    EXPECT_EQ(boxEntries(), (QStringList{"Gruppe A", "Gruppe C"}));
    EXPECT_EQ(classBox()->currentIndex(), 0);
    EXPECT_EQ(pages()->tabText(0), QStringLiteral("Gruppe A"));
    EXPECT_EQ(pages()->tabText(1), QStringLiteral("Gruppe C"));
    EXPECT_EQ(pages()->tabText(2), QStringLiteral("Klasse 3"));
    EXPECT_EQ(visibleTabs(), QList<int>{0});
    EXPECT_EQ(eLEN()->text(), QStringLiteral("850"));
    EXPECT_EQ(window->classBook().trackLengths[1], 900);

    // Choosing the second class shows its page and length.
    chooseNextClass();
    EXPECT_EQ(window->activePage(), 1);
    EXPECT_EQ(window->ShownClassPage(), 1);
    EXPECT_EQ(visibleTabs(), QList<int>{1});
    EXPECT_EQ(eLEN()->text(), QStringLiteral("900"));

    // Typing a known name in any case selects it without a question.
    enterClass(QStringLiteral("gruppe a"));
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(window->activePage(), 0);
    EXPECT_EQ(classBox()->currentText(), QStringLiteral("Gruppe A"));
    EXPECT_EQ(eLEN()->text(), QStringLiteral("850"));
}

TEST_F(ClassesWindow, TypedNameBecomesTheNextClassAfterTheQuestion)
{
    writeProgramFile(QStringLiteral("Klassen.txt"), "850 Gruppe A\n900 Gruppe C\n");
    make();
    chooseNextClass();
    ASSERT_EQ(window->activePage(), 1);

    answer = false;
    enterClass(QStringLiteral("Gruppe H"));
    EXPECT_EQ(questions, QStringList{QStringLiteral("KLASSE: Gruppe H?")});
    EXPECT_EQ(classBox()->count(), 2);
    EXPECT_EQ(classBox()->currentText(), QStringLiteral("Gruppe H"));
    EXPECT_EQ(window->activePage(), 1);

    // After a "Nein" the typed name is asked for again when the box is left.
    questions.clear();
    answer = true;
    userClick(edit(1));
    EXPECT_EQ(questions, QStringList{QStringLiteral("KLASSE: Gruppe H?")});
    EXPECT_EQ(boxEntries(), (QStringList{"Gruppe A", "Gruppe C", "Gruppe H"}));
    EXPECT_EQ(window->activePage(), 2);
    EXPECT_EQ(pages()->tabText(2), QStringLiteral("Gruppe H"));
    EXPECT_EQ(visibleTabs(), QList<int>{2});
    EXPECT_EQ(window->classBook().trackLengths[2], 900);  // inherited from the previous class
    EXPECT_EQ(eLEN()->text(), QStringLiteral("900"));

    // Enter on a new name asks, and its page takes the next race.
    questions.clear();
    enterClass(QStringLiteral("Gruppe X"));
    EXPECT_EQ(questions, QStringList{QStringLiteral("KLASSE: Gruppe X?")});
    EXPECT_EQ(window->activePage(), 3);
    // Focus that only passes through the box asks nothing.
    questions.clear();
    userClick(classBox());
    userClick(edit(2));
    EXPECT_TRUE(questions.isEmpty());
}

TEST_F(ClassesWindow, CommandKeysWorkFromTheClassBox)
{
    writeProgramFile(QStringLiteral("Klassen.txt"), "850 Gruppe A\n");
    make();
    fillTable({{"12", "00:59,50"}});
    // The window starts with the focus in the class box.
    ASSERT_EQ(QApplication::focusWidget(), classBox());
    answer = false;
    userKey(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(questions, QStringList{QStringLiteral("Ergebnisse löschen?")});
    EXPECT_EQ(classBox()->currentText(), QStringLiteral("Gruppe A"));
    userKey(Qt::Key_F5);
    EXPECT_EQ(window->rowCount(), 1);
}

TEST_F(ClassesWindow, TwentyOneNamesAtMost)
{
    QByteArray list;
    for (int i = 1; i <= 25; ++i)
        list += QByteArray::number(100 + i) + " K" + QByteArray::number(i) + "\n";
    writeProgramFile(QStringLiteral("Klassen.txt"), list);
    make();
    EXPECT_EQ(classBox()->count(), 21);
    EXPECT_EQ(pages()->tabText(20), QStringLiteral("K21"));
    enterClass(QStringLiteral("Neu"));
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(classBox()->count(), 21);
}

TEST_F(ClassesWindow, NinthPageTakesNoEntries)
{
    QByteArray list;
    for (int i = 1; i <= 9; ++i)
        list += "850 K" + QByteArray::number(i) + "\n";
    writeProgramFile(QStringLiteral("Klassen.txt"), list);
    make();
    userClick(classBox());
    for (int i = 0; i < 8; ++i)
        userKey(Qt::Key_Down);
    ASSERT_EQ(window->activePage(), 8);
    typeInto(edit(1), QStringLiteral("12"));
    runRace({60000});
    mark(1, 1);
    mark(2, 1);
    key(Qt::Key_F9);
    EXPECT_EQ(messages, QStringList{QStringLiteral("Sorry. Dont use this page!")});
    EXPECT_EQ(column(1), QStringList{QString()});
}

TEST_F(ClassesWindow, OpenReadsTextListsOnlyAndKeepsTheResults)
{
    make();
    EXPECT_EQ(classBox()->count(), 0);
    EXPECT_EQ(pages()->tabText(0), QStringLiteral("Klasse 1"));
    fillTable({{"12", "00:59,50"}});

    const QString csv = dir.filePath(QStringLiteral("liste.csv"));
    QFile(csv).open(QIODevice::WriteOnly);
    chosenFile = csv;
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(classBox()->count(), 0);

    chosenFile = dir.filePath(QStringLiteral("liste.TXT"));
    QFile file(chosenFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("700 M\xfcller\r\n");  // Windows-1252
    file.close();
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(boxEntries(), QStringList{QStringLiteral("Müller")});
    EXPECT_EQ(pages()->tabText(0), QStringLiteral("Müller"));
    EXPECT_EQ(eLEN()->text(), QStringLiteral("700"));
    EXPECT_EQ(column(1, 0), QStringList{QStringLiteral("12")});
}

// Bad class lists give the list's own reading or nothing, never a crash.
struct BadList {
    const char* name;
    QByteArray bytes;
    QStringList names;
};

void PrintTo(const BadList& c, std::ostream* os)
{
    *os << c.name;
}

class BadClassLists : public ClassesWindow, public ::testing::WithParamInterface<BadList> {};

TEST_P(BadClassLists, ReadOrIgnored)
{
    writeProgramFile(QStringLiteral("Klassen.txt"), GetParam().bytes);
    make();
    EXPECT_EQ(boxEntries(), GetParam().names);
    EXPECT_EQ(pages()->currentIndex(), 0);
}

QByteArray manyLines()
{
    QByteArray bytes;
    for (int i = 0; i < 10000; ++i)
        bytes += QByteArray::number(i) + " C" + QByteArray::number(i) + "\n";
    return bytes;
}

QStringList firstNames(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QStringLiteral("C%1").arg(i);
    return names;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, BadClassLists,
    ::testing::Values(BadList{"Empty", QByteArray(), {}},
                      BadList{"OnlyMalformed", "x A\n 850 B\n850\n", {}},
                      BadList{"CrOnly", "850 A\r900 B\r", {"A", "B"}},
                      BadList{"ByteOrderMark", "\xef\xbb\xbf" "850 Gruppe \xc3\x84\n", {QStringLiteral("Gruppe Ä")}},
                      BadList{"LongLine", "850 " + QByteArray(1 << 20, 'x') + "\n900 B\n",
                              {QString(1 << 20, QLatin1Char('x')), "B"}},
                      BadList{"TenThousandLines", manyLines(), firstNames(21)},
                      BadList{"Garbage", QByteArray("\x00\x01\xff\xfe\x80 \x9f\n", 9), {}}),
    testnames::caseNames([](const BadList& c) { return c.name; }));

TEST_F(ClassesWindow, ClassListThatIsAFolderIsIgnored)
{
    ASSERT_TRUE(QDir(programDir()).mkdir(QStringLiteral("Klassen.txt")));
    make();
    EXPECT_EQ(classBox()->count(), 0);
    EXPECT_EQ(pages()->tabText(0), QStringLiteral("Klasse 1"));
}

TEST_F(ClassesWindow, ClosingWithANewNameTypedInTheBoxAddsAndAsksNothing)
{
    make();
    typeClass(QStringLiteral("Gruppe N"));
    // Tearing the window down takes the focus from the box; the window that
    // would have to ask is gone by then.
    window.reset();
    EXPECT_TRUE(questions.isEmpty());
}

}  // namespace

namespace {

TEST_F(ClassesWindow, OpeningAListWithoutValidLinesShowsTheLengthTheSpeedsUse)
{
    writeProgramFile(QStringLiteral("Klassen.txt"), "850 Gruppe A\r\n900 Gruppe C\r\n");
    realFileDialogs = true;
    make();
    chooseNextClass();
    ASSERT_EQ(eLEN()->text(), QStringLiteral("900"));
    const QString list = dir.filePath(QStringLiteral("leer.txt"));
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x Gruppe X\r\n");
    file.close();

    answerNextFileDialog(list);
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(pages()->currentIndex(), 0);
    EXPECT_EQ(eLEN()->text(), QStringLiteral("850"));
    typeInto(edit(1), QStringLiteral("7"));
    runRace({1000, 61000});
    mark(2, 1);
    mark(3, 1);
    key(Qt::Key_F9);
    EXPECT_EQ(cell(8, 1), QStringLiteral("51,0"));
}

TEST_F(ClassesWindow, AClassNameWithMarkupIsAskedAsItWasTyped)
{
    realQuestions = true;
    make();
    QString question;
    bool plain = false;
    onNextDialog([&](QWidget& dialog) {
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("Label1"));
        question = label ? label->text() : QString();
        plain = label && drawnAsPlainText(label);
        userKey(Qt::Key_Escape);
    });
    enterClass(QStringLiteral("Gruppe <B>"));
    EXPECT_EQ(question, QStringLiteral("KLASSE: Gruppe <B>?"));
    EXPECT_TRUE(plain);
}

}  // namespace
