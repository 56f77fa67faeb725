#include "app/formmain.h"
#include "platform/settingsstore.h"
#include "support/fakes.h"
#include "support/userinput.h"
#include "support/windowtest.h"
#include "timing/digit.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class WindowSettings : public WindowTest {
protected:
    QString programDir() const override { return program.path(); }
    std::unique_ptr<TFormMain> make()
    {
        FormMainOptions options = windowOptions();
        options.settingsBaseName = QStringLiteral("Pylonix");
        options.configRoot = config.path();
        options.endReport = [this](const QString& text) { endReports << text; };
        return std::make_unique<TFormMain>(options);
    }
    platform::SettingsStore store(const QString& name = QStringLiteral("Pylonix"))
    {
        platform::SettingsStore s(name, config.path());
        s.load();
        return s;
    }

    QTemporaryDir program;
    QTemporaryDir config;
    QStringList endReports;
};

TEST_F(WindowSettings, FirstStartUsesDefaultsAndTheEndWritesAllValues)
{
    {
        auto window = make();
        EXPECT_EQ(window->size(), QSize(1206, 543));
        EXPECT_EQ(window->accuracy(), 2);
        EXPECT_EQ(window->C3(), rgbColor(64, 64, 64));
        EXPECT_FALSE(QFile::exists(config.filePath(QStringLiteral("Kronwerk/Pylonix"))));
    }
    auto written = store();
    for (const char* name : kSettingsWriteOrder) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(written.contains(QString::fromLatin1(name)));
    }
    EXPECT_EQ(written.readDword(QStringLiteral("Width")), 1206u);
    EXPECT_EQ(written.readDword(QStringLiteral("Acc")), 2u);
    EXPECT_TRUE(endReports.isEmpty());
}

TEST_F(WindowSettings, SettingsThatCannotBeWrittenAreReportedAtTheEnd)
{
    // A file where the settings folder belongs: no folder can be made there.
    QFile blocker(config.filePath(QStringLiteral("Kronwerk")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    make().reset();
    ASSERT_EQ(endReports.size(), 1);
    EXPECT_TRUE(endReports[0].startsWith(QStringLiteral("Einstellungen nicht gespeichert: ")));
    EXPECT_TRUE(endReports[0].contains(QStringLiteral("Kronwerk"))) << endReports[0].toStdString();
}

TEST_F(WindowSettings, StoredValuesReachTheirHomes)
{
    {
        auto s = store();
        s.writeDword(QStringLiteral("Port"), 0);
        s.writeDword(QStringLiteral("Alg"), 1);
        s.writeDword(QStringLiteral("Left"), 10);
        s.writeDword(QStringLiteral("Top"), 20);
        s.writeDword(QStringLiteral("Width"), 800);
        s.writeDword(QStringLiteral("Height"), 400);  // below the minimum
        s.writeDword(QStringLiteral("Sound"), 1);
        s.writeDword(QStringLiteral("C1"), quint32(clNavy));
        s.writeDword(QStringLiteral("C2"), quint32(clWhite));
        s.writeDword(QStringLiteral("C3"), quint32(clGray));
        s.writeDword(QStringLiteral("Acc"), 1);
        s.writeDword(QStringLiteral("WaitStart"), 300);
        s.writeDword(QStringLiteral("FilterInd"), 2);
        s.writeDword(QStringLiteral("CharSet"), 0);
        s.writeString(QStringLiteral("Lang"), QString());
        s.writeDword(QStringLiteral("PlayZeit"), 0);
        ASSERT_TRUE(s.save().isEmpty());
    }
    auto window = make();
    EXPECT_EQ(window->size(), QSize(1206, 492));
    EXPECT_EQ(window->accuracy(), 1);
    EXPECT_FALSE(window->playZeit());
    EXPECT_EQ(window->settings().waitStart, 300);
    auto* digit6 = window->findChild<TDigit*>(QStringLiteral("Digit6"));
    EXPECT_EQ(digit6->ColorOn(), clWhite);
    EXPECT_EQ(digit6->Color(), clNavy);
    EXPECT_TRUE(window->findChild<TDigit*>(QStringLiteral("Digit8"))->isHidden());
}

TEST_F(WindowSettings, CloseAsksAndOnlyYesCloses)
{
    auto window = make();
    window->show();
    answer = false;
    EXPECT_FALSE(window->close());
    EXPECT_EQ(questions, QStringList{QStringLiteral("Programm beenden?")});
    EXPECT_TRUE(window->isVisible());
    answer = true;
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowSettings, LanguageFileReplacesTheQuestionsAndTheZeitCaption)
{
    {
        auto s = store();
        s.writeString(QStringLiteral("Lang"), QStringLiteral("English"));
        ASSERT_TRUE(s.save().isEmpty());
    }
    // The language entry is read only when the values before it are present.
    {
        auto s = store();
        const std::pair<const char*, quint32> values[] = {
            {"Port", 0}, {"Alg", 0}, {"Left", 0}, {"Top", 0}, {"Width", 1206}, {"Height", 543},
            {"Sound", 1}, {"C1", 0}, {"C2", quint32(clLime)}, {"C3", 0x404040}, {"Acc", 2},
            {"WaitStart", 100}, {"FilterInd", 1}, {"CharSet", 0}, {"PlayZeit", 1}};
        for (const auto& [name, value] : values)
            s.writeDword(QString::fromLatin1(name), value);
        ASSERT_TRUE(s.save().isEmpty());
    }
    QFile::copy(QStringLiteral(PYLONIX_PROGRAM_DIR "/English.lng"),
                program.filePath(QStringLiteral("English.lng")));
    auto window = make();
    window->applyLanguage(nullptr, nullptr);
    EXPECT_EQ(window->zeitCaption(), QStringLiteral("TIME"));
    window->show();
    answer = false;
    window->close();
    EXPECT_EQ(questions.value(0), QStringLiteral("Quit the program?"));
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    userKey(Qt::Key_F5);
    userKey(Qt::Key_F6);
    userKey(Qt::Key_F7);
    EXPECT_EQ(questions.value(1), QStringLiteral("Clear the results?"));
}

}  // namespace
