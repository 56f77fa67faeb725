#include "app/htmlhelp.h"

#include "app/chmbrowser.h"
#include "app/chmfile.h"
#include "app/chmlibrary.h"
#include "app/helpwindow.h"
#include "support/chmbuilder.h"
#include "support/testnames.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

QStringList treeTexts(QTreeWidget* tree)
{
    QStringList texts;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        texts << (*it)->text(0);
    return texts;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

TEST(HtmlHelpLoadTest, MissingLibraryWarnsOnceAndHelpStaysOff)
{
    HtmlHelp help(QStringLiteral("libpylonix-no-such-help.so.9"));
    QStringList warnings;
    auto warn = [&warnings](const QString& text) { warnings << text; };

    EXPECT_FALSE(help.loadHelpSupport(warn));
    EXPECT_FALSE(help.loadHelpSupport(warn));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0],
              QStringLiteral("Unable to view HTML help (*.chm). Update windows help system. "
                             "Get new \"libpylonix-no-such-help.so.9\" library."));
    EXPECT_FALSE(help.isLoaded());

    // Help requests do nothing for the rest of the run, whatever the file.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Pylonix.chm"));
    ASSERT_TRUE(writeFile(file, "ITSF"));
    EXPECT_FALSE(help.showTableOfContents(file));
    EXPECT_TRUE(help.windows().isEmpty());
}

TEST(HtmlHelpLoadTest, TheRealLibraryLoadsWithoutWarning)
{
    HtmlHelp help;
    EXPECT_EQ(help.libraryFileName(), QStringLiteral("libchm.so.1"));
    int warnings = 0;
    if (!help.loadHelpSupport([&warnings](const QString&) { ++warnings; }))
        GTEST_SKIP() << "libchm.so.1 is not installed";
    EXPECT_EQ(warnings, 0);
    EXPECT_TRUE(help.isLoaded());
    help.unloadHelpSupport();
    EXPECT_FALSE(help.isLoaded());
}

TEST(HtmlHelpLoadTest, HelpFileIsTheProgramPathWithChm)
{
    const QString file = HtmlHelp::programHelpFile();
    EXPECT_TRUE(file.endsWith(QStringLiteral("/htmlhelp_test.chm"))) << file.toStdString();
}

// Opens the help layer on help files built here by chmcmd.
class HtmlHelpFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (chmcmdProgram().isEmpty())
            GTEST_SKIP() << "chmcmd is not installed";
        if (!help.loadHelpSupport([](const QString&) {}))
            GTEST_SKIP() << "libchm.so.1 is not installed";
        QString log;
        chm = buildTestChm(dir.path(), QStringLiteral("Test"),
                           {{QStringLiteral("start.html"), QStringLiteral("Erste Seite"),
                             QStringLiteral("<h1>Willkommen</h1><p>Start mit F5. "
                                            "<a href=\"teil/zwei.html\">Weiter</a></p>")},
                            {QStringLiteral("teil/zwei.html"), QStringLiteral("Zweite Seite"),
                             QStringLiteral("<p>Lichtschranke an DTR und DSR.</p>"
                                            "<a href=\"../start.html\">Zurück</a>"), 1}},
                           &log);
        ASSERT_FALSE(chm.isEmpty()) << log.toStdString();
    }

    void TearDown() override { help.closeAll(); }

    THelpWindow* onlyWindow()
    {
        const auto windows = help.windows();
        return windows.size() == 1 ? windows.front() : nullptr;
    }

    QTemporaryDir dir;
    HtmlHelp help;
    QString chm;
};

TEST_F(HtmlHelpFileTest, TableOfContentsListsBothPages)
{
    ASSERT_TRUE(help.showTableOfContents(chm));
    THelpWindow* window = onlyWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(treeTexts(window->contentsTree()),
              (QStringList{QStringLiteral("Erste Seite"), QStringLiteral("Zweite Seite")}));
    QTreeWidgetItem* first = window->contentsTree()->topLevelItem(0);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(first->childCount(), 1) << "the second page is nested below the first";

    // The first page, read through chmlib, is shown at once.
    EXPECT_TRUE(window->browser()->toPlainText().contains(QStringLiteral("Start mit F5")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Test"));
}

TEST_F(HtmlHelpFileTest, PagesFollowTheContentsAndTheLinks)
{
    ASSERT_TRUE(help.showTableOfContents(chm));
    THelpWindow* window = onlyWindow();
    ASSERT_NE(window, nullptr);
    ChmBrowser* browser = window->browser();

    window->contentsTree()->setCurrentItem(window->contentsTree()->topLevelItem(0)->child(0));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Lichtschranke an DTR und DSR")));
    EXPECT_EQ(browser->source(), ChmBrowser::pageUrl(QStringLiteral("teil/zwei.html")));

    // A relative link out of the sub-folder resolves inside the archive.
    emit browser->anchorClicked(browser->source().resolved(QUrl(QStringLiteral("../start.html"))));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Willkommen")));
    // Resources named relative to the page come from the archive too.
    const QVariant page = browser->loadResource(QTextDocument::HtmlResource, QUrl(QStringLiteral("teil/zwei.html")));
    EXPECT_TRUE(page.toString().contains(QStringLiteral("Lichtschranke"))) << page.toString().toStdString();
    EXPECT_FALSE(browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("bild.png"))).isValid());
    EXPECT_FALSE(browser->loadResource(QTextDocument::HtmlResource, QUrl(QStringLiteral("file:///etc/hostname"))).isValid())
        << "pages come only from the help file";

    // A link to a page the archive lacks keeps the page.
    emit browser->anchorClicked(ChmBrowser::pageUrl(QStringLiteral("fehlt.html")));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Willkommen")));
}

TEST_F(HtmlHelpFileTest, SameFileReusesItsWindowAndCloseAllEndsThem)
{
    ASSERT_TRUE(help.showTableOfContents(chm));
    ASSERT_TRUE(help.showTableOfContents(chm));
    EXPECT_EQ(help.windows().size(), 1);

    QPointer<THelpWindow> window = onlyWindow();
    help.closeAll();
    EXPECT_TRUE(help.windows().isEmpty());
    EXPECT_TRUE(window.isNull()) << "closed windows are destroyed";
}

TEST_F(HtmlHelpFileTest, ArchiveReadsObjectsAndRefusesMissingOnes)
{
    ChmLibrary library;
    ASSERT_TRUE(library.load());
    const auto file = ChmFile::open(library, chm);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->contentsFile(), QStringLiteral("Test.hhc"));
    EXPECT_EQ(file->defaultTopic(), QStringLiteral("start.html"));
    EXPECT_TRUE(file->objects().contains(QStringLiteral("/teil/zwei.html")));
    const auto page = file->read(QStringLiteral("teil/zwei.html"));
    ASSERT_TRUE(page.has_value());
    EXPECT_TRUE(page->contains("Lichtschranke"));
    EXPECT_FALSE(file->read(QStringLiteral("/nicht/da.html")).has_value());
    EXPECT_FALSE(file->read(QString(600, QLatin1Char('x'))).has_value()) << "over-long path";
}

// A help file compiled on Windows names its pages in its code page, not in
// UTF-8: its pages and its first page still open.
TEST(HtmlHelpCodePageTest, PagesNamedInTheWindowsCodePageOpen)
{
    if (chmcmdProgram().isEmpty())
        GTEST_SKIP() << "chmcmd is not installed";
    ChmLibrary library;
    if (!library.load())
        GTEST_SKIP() << "libchm.so.1 is not installed";
    QTemporaryDir dir;
    // "Übersicht.html" in Windows-1252; Qt would write the name in UTF-8.
    const QByteArray page = QFile::encodeName(dir.path()) + "/\xdc" "bersicht.html";
    std::FILE* f = std::fopen(page.constData(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("<html><body>Willkommen</body></html>", f);
    std::fclose(f);
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("W.hhp")),
                          "[OPTIONS]\r\nCompiled file=W.chm\r\nDefault topic=\xdc" "bersicht.html\r\nTitle=W\r\n"
                          "\r\n[FILES]\r\n\xdc" "bersicht.html\r\n"));
    QProcess chmcmd;
    chmcmd.setWorkingDirectory(dir.path());
    chmcmd.start(chmcmdProgram(), {QStringLiteral("--no-html-scan"), QStringLiteral("W.hhp")});
    ASSERT_TRUE(chmcmd.waitForFinished(60000));

    const auto file = ChmFile::open(library, dir.filePath(QStringLiteral("W.chm")));
    ASSERT_NE(file, nullptr);
    const QString name = QStringLiteral("/\u00dcbersicht.html");
    ASSERT_TRUE(file->objects().contains(name));
    EXPECT_TRUE(file->contains(name));
    const auto text = file->read(file->defaultTopic());
    ASSERT_TRUE(text.has_value()) << file->defaultTopic().toStdString();
    EXPECT_TRUE(text->contains("Willkommen"));
}

// The program's own help file, when the build made it in the program's folder.
TEST(ProgramHelpFileTest, ListsItsChapters)
{
    const QString file = QStringLiteral(PYLONIX_PROGRAM_DIR "/Pylonix.chm");
    if (!QFileInfo::exists(file))
        GTEST_SKIP() << "Pylonix.chm was not built";
    HtmlHelp help;
    ASSERT_TRUE(help.loadHelpSupport([](const QString&) {}));
    ASSERT_TRUE(help.showTableOfContents(file));
    const QStringList chapters = treeTexts(help.windows().front()->contentsTree());
    for (const char* chapter : {"Überblick", "Ablauf eines Laufs", "Alle Tasten", "Lichtschranke anschließen",
                                "Dateien neben dem Programm", "Sprachdateien"})
        EXPECT_TRUE(chapters.contains(QString::fromUtf8(chapter))) << chapter;
    EXPECT_TRUE(help.windows().front()->browser()->toPlainText().contains(QStringLiteral("Zeitnahme")));
    help.closeAll();
}

// Files that are no compiled help: the request does nothing and nothing crashes.
class InvalidHelpFileTest : public HtmlHelpFileTest, public ::testing::WithParamInterface<int> {};

TEST_P(InvalidHelpFileTest, DoesNothing)
{
    QFile good(chm);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();
    QByteArray bad;
    switch (GetParam()) {
    case 0: bad = QByteArray(); break;
    case 1: bad = "<html><body>Keine Hilfe</body></html>"; break;
    case 2: bad = bytes.left(4); break;             // the signature only
    case 3: bad = bytes.left(0x60); break;          // cut inside the header
    case 4: bad = QByteArray(4096, '\xFF'); break;
    }
    const QString path = dir.filePath(QStringLiteral("Kaputt.chm"));
    ASSERT_TRUE(writeFile(path, bad));
    EXPECT_FALSE(help.showTableOfContents(path));
    EXPECT_TRUE(help.windows().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, InvalidHelpFileTest, ::testing::Range(0, 5),
                         testnames::caseNames([](int kind) {
                             // In the order of the switch above.
                             const char* const names[] = {"Empty", "Html", "SignatureOnly", "CutInHeader", "AllFF"};
                             return names[kind];
                         }));

// chmlib itself crashes on some damaged files (division by zero, wild
// reads); such files must cost the program nothing but the help.
TEST_F(HtmlHelpFileTest, DamagedFilesNeverTakeTheProgramDown)
{
    QFile good(chm);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();
    const QString path = dir.filePath(QStringLiteral("Beschaedigt.chm"));
    QRandomGenerator rng(22052016);
    int shown = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray damaged = bytes;
        for (int i = 0; i < 5; ++i)
            damaged[rng.bounded(damaged.size())] = char(rng.bounded(256));
        ASSERT_TRUE(writeFile(path, damaged));
        if (help.showTableOfContents(path)) {
            ++shown;
            // Whatever survived is browsed as the operator would.
            THelpWindow* window = onlyWindow();
            ASSERT_NE(window, nullptr);
            for (QTreeWidgetItemIterator it(window->contentsTree()); *it; ++it)
                window->contentsTree()->setCurrentItem(*it);
        }
        help.closeAll();
    }
    EXPECT_GT(shown, 0) << "most damage hits page data, not the structure";
}

TEST_F(HtmlHelpFileTest, MissingFileOrFolderDoesNothing)
{
    EXPECT_FALSE(help.showTableOfContents(dir.filePath(QStringLiteral("Fehlt.chm"))));
    EXPECT_FALSE(help.showTableOfContents(dir.path()));
    EXPECT_FALSE(help.showTableOfContents(QString()));
    EXPECT_TRUE(help.windows().isEmpty());
}

} // namespace
