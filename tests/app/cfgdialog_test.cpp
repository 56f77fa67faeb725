#include "app/cfgdialog.h"
#include "app/formmain.h"
#include "controls/colorcombo.h"
#include "controls/spinfloatedit.h"
#include "platform/settingsstore.h"
#include "platform/portmap.h"
#include "platform/portprobe.h"
#include "platform/simulatedserialdevice.h"
#include "platform/ttydevice.h"
#include "support/fakes.h"
#include "support/pty.h"
#include "support/userinput.h"
#include "timing/comport.h"
#include "timing/lightbarrier.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <future>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs act once the modal window with this objectName is up (from the event
// loop that window's exec() runs).
void whenModal(const QString& name, std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, name, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != name || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        // As a window manager does when a dialog opens: it gets the keyboard.
        QApplication::setActiveWindow(modal);
        act(modal);
    });
    timer->start();
}

template <typename T>
T* child(QWidget* dialog, const char* name)
{
    T* found = dialog->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Keys to a control of the dialog, as after tabbing to it.
void keysTo(QWidget* control, std::initializer_list<Qt::Key> keys)
{
    control->setFocus(Qt::TabFocusReason);
    for (Qt::Key key : keys)
        userKey(key);
}

void writeLanguage(const QString& path, const QStringList& lines)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(lines.join(QStringLiteral("\r\n")).toLatin1());
}

// Lines 1..60 with line 15 (START), 35 (the dialog caption) and 57 (the close
// question) given.
QStringList languageLines(const QString& start, const QString& caption, const QString& close)
{
    QStringList lines;
    for (int k = 1; k <= 60; ++k)
        lines << QStringLiteral("x%1").arg(k);
    lines[14] = start;
    lines[34] = caption;
    lines[56] = close;
    return lines;
}

// A simulated light barrier that also holds a terminal open and locked, as
// the program holds its port (a pty has no modem lines of its own).
struct TerminalBarrier : platform::SimulatedSerialDevice {
    std::unique_ptr<platform::TtyDevice> terminal;
};

class SettingsDialog : public ::testing::Test {
protected:
    void start()
    {
        FormMainOptions options;
        options.counters = counter.source();
        options.programDir = program.path();
        options.beeper = [this] { return beeps.make(); };
        options.ask = [this](const QString& question) {
            questions << question;
            return answer;
        };
        options.settingsBaseName = QStringLiteral("Pylonix");
        options.configRoot = config.path();
        options.portProbe = probe;
        options.deviceOpener = [this](int port) {
            opened << port;
            if (refuseOpen)
                return platform::DeviceOpenResult{nullptr, 2};  // ENOENT
            auto device = std::make_unique<TerminalBarrier>();
            if (!terminals.isEmpty()) {
                platform::TtyOpenResult tty = platform::TtyDevice::open(platform::PortMap(terminals).devicePath(port));
                if (!tty.device)
                    return platform::DeviceOpenResult{nullptr, tty.error};
                device->terminal = std::move(tty.device);
            }
            device->scheduleLines(0, {});
            return platform::DeviceOpenResult{std::move(device), 0};
        };
        window = std::make_unique<TFormMain>(options);
        ASSERT_TRUE(showActive(window.get()));
    }
    void TearDown() override
    {
        if (window)
            window->comPort()->Close();
    }
    void store(const std::vector<std::pair<const char*, quint32>>& values, const QString& lang = QString())
    {
        platform::SettingsStore s(QStringLiteral("Pylonix"), config.path());
        s.load();
        for (const auto& [name, value] : values)
            s.writeDword(QString::fromLatin1(name), value);
        if (!lang.isNull())
            s.writeString(QStringLiteral("Lang"), lang);
        ASSERT_TRUE(s.save().isEmpty());
    }
    // Every setting up to Lang, so that Lang is read.
    void storeAll(int port, int alg, const QString& lang)
    {
        store({{"Port", quint32(port)}, {"Alg", quint32(alg)}, {"Left", 0}, {"Top", 0}, {"Width", 1206},
               {"Height", 543}, {"Sound", 1}, {"C1", 0}, {"C2", quint32(clLime)}, {"C3", 0x404040}, {"Acc", 2},
               {"WaitStart", 100}, {"FilterInd", 1}, {"CharSet", 0}, {"PlayZeit", 1}},
              lang);
    }
    // Opens the dialog with F2, lets act drive it, and returns when it closed.
    void withDialog(std::function<void(QWidget*)> act)
    {
        bool ran = false;
        whenModal(QStringLiteral("CfgDialog"), [&](QWidget* dialog) {
            ran = true;
            act(dialog);
        });
        // The offscreen platform does not hand the activation back when a
        // dialog closes; a window manager would.
        ASSERT_TRUE(showActive(window.get()));
        userKey(Qt::Key_F2);
        ASSERT_TRUE(ran);
    }
    QString status() const
    {
        return window->statusBar()->findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text();
    }

    QTemporaryDir program;
    QTemporaryDir config;
    FakeCounter counter;
    BeepLog beeps;
    std::unique_ptr<TFormMain> window;
    QList<int> opened;
    bool refuseOpen = false;
    QString terminals;  // a device folder: ports are its terminals, opened and locked
    std::function<quint32()> probe = [] { return quint32(0b101) | (3u << 16); };  // COM1 and COM3
    QStringList questions;
    bool answer = false;
};

// A busy machine's probe takes tens of milliseconds: the window is up
// without it, and the dialog lists what it found.
TEST_F(SettingsDialog, TheWindowDoesNotWaitForThePortProbeButTheDialogDoes)
{
    storeAll(0, 0, QStringLiteral("DEFAULT"));
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> probeFinished = false;
    probe = [released, &probeFinished] {
        // A window that waits for the probe is not held forever: it is late.
        released.wait_for(std::chrono::seconds(5));
        probeFinished = true;
        return quint32(0b100) | (3u << 16);  // COM3
    };
    start();
    EXPECT_FALSE(probeFinished) << "the window waited for the probe";
    release.set_value();
    withDialog([](QWidget* dialog) {
        auto* cbPort = child<QComboBox>(dialog, "cbPort");
        ASSERT_EQ(cbPort->count(), 2);
        EXPECT_EQ(cbPort->itemText(1), QStringLiteral("COM3"));
        userKey(Qt::Key_Escape);
    });
}

TEST_F(SettingsDialog, OkChoosesPortContactLockOutAndBeepAndTheNextStartHasThem)
{
    storeAll(0, 0, QStringLiteral("DEFAULT"));
    start();
    withDialog([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Einstellungen"));
        EXPECT_EQ(dialog->size(), QSize(316, 236));
        auto* cbAlg = child<QComboBox>(dialog, "cbAlg");
        auto* seWait = child<TSpinFloatEdit>(dialog, "seWait");
        EXPECT_FALSE(cbAlg->isEnabled());
        EXPECT_FALSE(seWait->isEnabled());
        EXPECT_EQ(seWait->Value(), 0.1);
        keysTo(child<QComboBox>(dialog, "cbPort"), {Qt::Key_Down, Qt::Key_Down});  // Keine, COM1, COM3
        EXPECT_EQ(child<QComboBox>(dialog, "cbPort")->currentText(), QStringLiteral("COM3"));
        EXPECT_TRUE(cbAlg->isEnabled());
        EXPECT_TRUE(seWait->isEnabled());
        keysTo(cbAlg, {Qt::Key_Down});
        keysTo(child<QCheckBox>(dialog, "cbSound"), {Qt::Key_Space});
        seWait->setFocus(Qt::TabFocusReason);
        userKey(Qt::Key_A, Qt::ControlModifier);
        userType(QStringLiteral("2,5"));
        userKey(Qt::Key_Return);  // the default button
    });
    EXPECT_EQ(opened, QList<int>{3});
    EXPECT_TRUE(window->comPort()->isOpen());
    EXPECT_EQ(window->lightBarrier()->Alg(), 1);
    EXPECT_EQ(window->lightBarrier()->WaitStart(), 2500);
    EXPECT_FALSE(window->playZeit());
    EXPECT_TRUE(questions.isEmpty());  // "DEFAULT" stayed "DEFAULT"

    window.reset();
    start();
    EXPECT_EQ(window->gatherSettings().port, 3);
    EXPECT_EQ(window->lightBarrier()->Alg(), 1);
    EXPECT_EQ(window->lightBarrier()->WaitStart(), 2500);
    EXPECT_FALSE(window->playZeit());
    EXPECT_TRUE(window->comPort()->isOpen());
}

TEST_F(SettingsDialog, CancelChangesNothingAndLeavesThePortAlone)
{
    storeAll(1, 0, QStringLiteral("DEFAULT"));
    start();
    ASSERT_EQ(opened, QList<int>{1});
    withDialog([](QWidget* dialog) {
        keysTo(child<QComboBox>(dialog, "cbPort"), {Qt::Key_Down});
        keysTo(child<QComboBox>(dialog, "cbAlg"), {Qt::Key_Down});
        userKey(Qt::Key_Escape);
    });
    EXPECT_EQ(opened, QList<int>{1});
    EXPECT_TRUE(window->comPort()->isOpen());
    EXPECT_EQ(window->gatherSettings().port, 1);
    EXPECT_EQ(window->lightBarrier()->Alg(), 0);
}

TEST_F(SettingsDialog, KeineClosesThePortAndOkWithoutAChangeKeepsItOpen)
{
    storeAll(3, 0, QStringLiteral("DEFAULT"));
    start();
    withDialog([](QWidget* dialog) { userClick(child<QPushButton>(dialog, "OKBtn")); });
    EXPECT_EQ(opened, QList<int>{3});  // not reopened
    EXPECT_TRUE(window->comPort()->isOpen());

    withDialog([](QWidget* dialog) {
        keysTo(child<QComboBox>(dialog, "cbPort"), {Qt::Key_Home});
        EXPECT_FALSE(child<QComboBox>(dialog, "cbAlg")->isEnabled());
        userClick(child<QPushButton>(dialog, "OKBtn"));
    });
    EXPECT_FALSE(window->comPort()->isOpen());
    EXPECT_EQ(window->gatherSettings().port, 0);
}

// The real probe over terminals: it finds the port this program holds locked
// (by us) and the list must still offer it.
TEST_F(SettingsDialog, TheOpenPortIsShownSelectedAndOkWithANewLockOutKeepsIt)
{
    QTemporaryDir devices;
    Pty other;
    Pty held;
    ASSERT_TRUE(QFile::link(other.path, devices.filePath(QStringLiteral("ttyS0"))));  // COM1
    ASSERT_TRUE(QFile::link(held.path, devices.filePath(QStringLiteral("ttyS2"))));  // COM3
    terminals = devices.path();
    probe = [map = platform::PortMap(devices.path())] { return platform::probeComPorts(map); };
    storeAll(3, 0, QStringLiteral("DEFAULT"));
    start();
    ASSERT_TRUE(window->comPort()->isOpen());
    withDialog([](QWidget* dialog) {
        auto* cbPort = child<QComboBox>(dialog, "cbPort");
        EXPECT_EQ(cbPort->count(), 3);  // Keine, COM1, COM3
        EXPECT_EQ(cbPort->currentText(), QStringLiteral("COM3"));
        auto* seWait = child<TSpinFloatEdit>(dialog, "seWait");
        seWait->setFocus(Qt::TabFocusReason);
        userKey(Qt::Key_A, Qt::ControlModifier);
        userType(QStringLiteral("0,5"));
        userKey(Qt::Key_Return);
    });
    EXPECT_EQ(window->lightBarrier()->WaitStart(), 500);
    EXPECT_EQ(opened, QList<int>{3});
    EXPECT_TRUE(window->comPort()->isOpen());
    window.reset();  // program end: the settings are written
    platform::SettingsStore written(QStringLiteral("Pylonix"), config.path());
    written.load();
    EXPECT_EQ(written.readDword(QStringLiteral("Port")), 3u);
}

TEST_F(SettingsDialog, AStoredPortTheProbeDidNotFindIsShownAndOkKeepsIt)
{
    storeAll(2, 0, QStringLiteral("DEFAULT"));  // the probe found COM1 and COM3
    start();
    opened.clear();
    withDialog([](QWidget* dialog) {
        EXPECT_EQ(child<QComboBox>(dialog, "cbPort")->currentText(), QStringLiteral("COM2"));
        userClick(child<QPushButton>(dialog, "OKBtn"));
    });
    EXPECT_EQ(window->gatherSettings().port, 2);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(SettingsDialog, APortThatDoesNotOpenIsReportedInTheStatusBar)
{
    storeAll(0, 0, QStringLiteral("DEFAULT"));
    start();
    refuseOpen = true;
    withDialog([](QWidget* dialog) {
        keysTo(child<QComboBox>(dialog, "cbPort"), {Qt::Key_Down});
        userClick(child<QPushButton>(dialog, "OKBtn"));
    });
    EXPECT_FALSE(window->comPort()->isOpen());
    EXPECT_TRUE(status().startsWith(QStringLiteral("Lichtschranke an COM1 nicht geöffnet: "))) << status().toStdString();
    EXPECT_EQ(window->gatherSettings().port, 1);

    refuseOpen = false;
    withDialog([](QWidget* dialog) {
        keysTo(child<QComboBox>(dialog, "cbPort"), {Qt::Key_Down});  // COM3
        userClick(child<QPushButton>(dialog, "OKBtn"));
    });
    EXPECT_TRUE(window->comPort()->isOpen());
    EXPECT_EQ(status(), QString());
}

TEST_F(SettingsDialog, ANegativeAlgLocksThePortList)
{
    storeAll(1, quint32(-1), QStringLiteral("DEFAULT"));
    start();
    withDialog([](QWidget* dialog) {
        EXPECT_EQ(child<QComboBox>(dialog, "cbAlg")->currentIndex(), -1);
        EXPECT_FALSE(child<QComboBox>(dialog, "cbPort")->isEnabled());
        userClick(child<QPushButton>(dialog, "OKBtn"));
    });
    EXPECT_EQ(window->lightBarrier()->Alg(), -1);
    EXPECT_EQ(window->gatherSettings().port, 1);
}

TEST_F(SettingsDialog, OnlyWhileTheClockAllowsSettings)
{
    start();
    userKey(Qt::Key_F5);  // START
    ASSERT_EQ(window->rowCount(), 1);
    userKey(Qt::Key_F2);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("bCFG"))->isEnabled());
}

TEST_F(SettingsDialog, OtherAsksForAColourOnceAndOkPaintsTheDisplay)
{
    start();
    int asked = 0;
    withDialog([&](QWidget* dialog) {
        whenModal(QStringLiteral("ColorDialog1"), [&](QWidget* colours) {
            ++asked;
            static_cast<QColorDialog*>(colours)->setCurrentColor(QColor(255, 0, 0));
            userClick(colours->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
        });
        auto* fon = child<ToColorCombo>(dialog, "cbColorFon");
        keysTo(fon, {Qt::Key_End});  // "Other..."
        EXPECT_EQ(fon->ColorValue(), clRed);
        EXPECT_EQ(fon->currentIndex(), fon->count() - 1);
        keysTo(child<ToColorCombo>(dialog, "cbColorCifraF"), {Qt::Key_Home, Qt::Key_Down});  // Maroon: no question
        userClick(child<QPushButton>(dialog, "OKBtn"));
    });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(window->C1(), clRed);
    EXPECT_EQ(window->C3(), clMaroon);
    auto* panel = window->findChild<QWidget*>(QStringLiteral("PanelTimer"));
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(255, 0, 0));
}

TEST_F(SettingsDialog, ACancelledColourDialogKeepsTheCustomColour)
{
    store({{"Port", 0}, {"Alg", 0}, {"Left", 0}, {"Top", 0}, {"Width", 1206}, {"Height", 543}, {"Sound", 1},
           {"C1", quint32(rgbColor(1, 2, 3))}});
    start();
    withDialog([&](QWidget* dialog) {
        auto* fon = child<ToColorCombo>(dialog, "cbColorFon");
        EXPECT_EQ(fon->currentIndex(), fon->count() - 1);  // filling asked nothing
        keysTo(fon, {Qt::Key_Home});
        whenModal(QStringLiteral("ColorDialog1"), [](QWidget* colours) {
            EXPECT_EQ(static_cast<QColorDialog*>(colours)->currentColor(), QColor(1, 2, 3));
            userKey(Qt::Key_Escape);
        });
        keysTo(fon, {Qt::Key_End});
        EXPECT_EQ(fon->ColorValue(), rgbColor(1, 2, 3));
        userClick(child<QPushButton>(dialog, "OKBtn"));
    });
    EXPECT_EQ(window->C1(), rgbColor(1, 2, 3));
}

TEST_F(SettingsDialog, ALanguageShowsAtOnceAndCancelBringsThePreviousFileBack)
{
    writeLanguage(program.filePath(QStringLiteral("Alt.lng")),
                  languageLines(QStringLiteral("LOS"), QStringLiteral("Optionen"), QStringLiteral("Aus?")));
    writeLanguage(program.filePath(QStringLiteral("English.lng")),
                  languageLines(QStringLiteral("GO"), QStringLiteral("Settings"), QStringLiteral("Quit?")));
    storeAll(0, 0, QStringLiteral("Alt"));
    start();
    window->applyLanguage(nullptr, nullptr);  // as the program does once its windows exist
    auto* bSTART = window->findChild<QAbstractButton*>(QStringLiteral("bSTART"));
    ASSERT_EQ(bSTART->text(), QStringLiteral("LOS"));
    withDialog([&](QWidget* dialog) {
        auto* cbLang = child<QComboBox>(dialog, "cbLang");
        EXPECT_EQ(cbLang->currentText(), QStringLiteral("Alt"));
        keysTo(cbLang, {Qt::Key_End});  // DEFAULT, Alt, English
        EXPECT_EQ(bSTART->text(), QStringLiteral("GO"));
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Settings"));
        EXPECT_EQ(child<QComboBox>(dialog, "cbCharset")->currentIndex(), 0);
        userKey(Qt::Key_Escape);
    });
    EXPECT_EQ(bSTART->text(), QStringLiteral("LOS"));
    EXPECT_EQ(window->settings().lang, QStringLiteral("Alt"));

    // OK keeps the new one.
    withDialog([&](QWidget* dialog) {
        keysTo(child<QComboBox>(dialog, "cbLang"), {Qt::Key_End});
        userClick(child<QPushButton>(dialog, "OKBtn"));
    });
    EXPECT_EQ(window->settings().lang, QStringLiteral("English"));
    EXPECT_TRUE(questions.isEmpty());
}

TEST_F(SettingsDialog, CancelAfterAPreviewFromNoFileLeavesThePreviewedTexts)
{
    writeLanguage(program.filePath(QStringLiteral("English.lng")),
                  languageLines(QStringLiteral("GO"), QStringLiteral("Settings"), QStringLiteral("Quit?")));
    start();
    auto* bSTART = window->findChild<QAbstractButton*>(QStringLiteral("bSTART"));
    withDialog([&](QWidget* dialog) {
        keysTo(child<QComboBox>(dialog, "cbLang"), {Qt::Key_End});
        userKey(Qt::Key_Escape);
    });
    EXPECT_EQ(bSTART->text(), QStringLiteral("GO"));
    EXPECT_EQ(window->settings().lang, QString());
}

TEST_F(SettingsDialog, FirstOpeningWithoutLangAsksToCloseAndNeinKeepsRunning)
{
    writeLanguage(program.filePath(QStringLiteral("English.lng")),
                  languageLines(QStringLiteral("GO"), QStringLiteral("Settings"), QStringLiteral("Quit?")));
    start();
    withDialog([](QWidget* dialog) {
        EXPECT_EQ(child<QComboBox>(dialog, "cbLang")->currentText(), QStringLiteral("DEFAULT"));
        userClick(child<QPushButton>(dialog, "OKBtn"));
    });
    EXPECT_EQ(questions, QStringList{QStringLiteral("Programm beenden?")});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->settings().lang, QStringLiteral("DEFAULT"));
}

TEST_F(SettingsDialog, AFolderNamedLikeALanguageIsNoLanguage)
{
    ASSERT_TRUE(QDir(program.path()).mkdir(QStringLiteral("Broken.lng")));
    start();
    withDialog([&](QWidget* dialog) {
        auto* cbLang = child<QComboBox>(dialog, "cbLang");
        EXPECT_EQ(cbLang->count(), 1);
        EXPECT_FALSE(cbLang->isEnabled());
        EXPECT_FALSE(child<QComboBox>(dialog, "cbCharset")->isEnabled());
        userKey(Qt::Key_Escape);
    });
}

struct CharSetCase {
    const char* name;
    QByteArray fileName;  // as its bytes
    int charSet;
};

class LanguageCharSet : public ::testing::TestWithParam<CharSetCase> {};

TEST_P(LanguageCharSet, ComesFromTheName)
{
    EXPECT_EQ(TCfgDialog::charSetForLanguage(QFile::decodeName(GetParam().fileName)), GetParam().charSet);
}

INSTANTIATE_TEST_SUITE_P(Names, LanguageCharSet,
                         ::testing::Values(CharSetCase{"Russisch", "Russisch", 3},
                                           CharSetCase{"Ukrainisch", "UKRAINISCH", 3},
                                           CharSetCase{"English", "English", 0},
                                           CharSetCase{"Cyrillic", "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9", 3},
                                           CharSetCase{"UkrainianCyrillic", "\xD1\x83\xD0\xBA\xD1\x80\xD0\xB0\xD1\x97\xD0\xBD\xD1\x81\xD1\x8C\xD0\xBA\xD0\xB0", 3}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
