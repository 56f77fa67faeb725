#include "platform/fakespreadsheet.h"
#include "support/resultswindow.h"

#include "app/formsplash.h"
#include "app/frame1.h"
#include "app/settings.h"
#include "platform/settingsstore.h"
#include "timing/lightbarrier.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>

#include <future>

namespace {

// An office that starts only when the test lets it, so that the export is
// still running while the operator types.
class GatedSpreadsheet : public platform::FakeSpreadsheet {
public:
    GatedSpreadsheet(std::shared_ptr<platform::FakeOffice> office, std::shared_future<void> gate)
        : FakeSpreadsheet(std::move(office)), m_gate(std::move(gate)) {}
    void start() override
    {
        if (m_gate.valid())
            m_gate.wait();
        FakeSpreadsheet::start();
    }

private:
    std::shared_future<void> m_gate;
};

class SpreadsheetWindowTest : public ResultsWindowTest {
protected:
    std::shared_ptr<platform::FakeOffice> office = std::make_shared<platform::FakeOffice>();
    // Destroyed before the window, so an export still waiting goes on.
    std::promise<void> started;
    std::shared_future<void> gate;
};

}  // namespace

// Seams are set before the window exists: the fixture's make() reads them.
class SpreadsheetWindow : public SpreadsheetWindowTest {
protected:
    void SetUp() override
    {
        SpreadsheetWindowTest::SetUp();
    }
    void open(bool installed)
    {
        FormMainOptions options = windowOptions();
        options.settingsBaseName = QStringLiteral("PylonixSpreadsheetTest");
        options.configRoot = dir.filePath(QStringLiteral("config"));
        options.results.backupDir = backupDir();
        options.results.message = [this](const QString& text) { messages << text; };
        options.results.chooseSaveFile = [this](const QString&, const QStringList& filters, int shown) {
            offeredFilters = filters;
            shownFilter = shown;
            return SaveChoice(chosenFile, chosenFilter);
        };
        options.results.spreadsheet = [this](bool) { return std::make_unique<GatedSpreadsheet>(office, gate); };
        options.results.spreadsheetAvailable = [installed](bool) { return installed; };
        window = std::make_unique<TFormMain>(options);
        ASSERT_TRUE(showActive(window.get()));
    }
};

TEST_F(SpreadsheetWindow, CtrlEShowsProgressAndLeavesTheWorkbookVisible)
{
    open(true);
    key(Qt::Key_E, Qt::ControlModifier);
    ASSERT_NE(window->splash(), nullptr);
    EXPECT_EQ(window->splash()->windowTitle(), QStringLiteral("Speichern unter "));
    window->waitForExport();
    EXPECT_FALSE(window->splash()->isVisible());
    EXPECT_TRUE(office->visible);
    EXPECT_EQ(office->workbook.sheets.size(), 21);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SpreadsheetWindow, SaveDialogOffersTextThenSpreadsheetAndRemembersTheType)
{
    open(true);
    chosenFile = dir.filePath(QStringLiteral("lauf"));
    chosenFilter = SaveChoice::kSpreadsheet;
    key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(offeredFilters.size(), 2);
    EXPECT_TRUE(offeredFilters[0].endsWith(QStringLiteral("(*.txt)")));
    EXPECT_TRUE(offeredFilters[1].contains(QStringLiteral("*.xlsx")));
    EXPECT_EQ(shownFilter, 1);
    window->waitForExport();
    EXPECT_NE(office->fileAt(chosenFile + QStringLiteral(".xlsx")), nullptr);
    EXPECT_TRUE(office->quit);
    EXPECT_EQ(window->gatherSettings().filterInd, 2);
    shownFilter = 0;
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(shownFilter, 2);
    window->waitForExport();
}

TEST_F(SpreadsheetWindow, WithoutOfficeOnlyTextIsOfferedAndCtrlETellsWhy)
{
    open(false);
    chosenFile.clear();
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(offeredFilters.size(), 1);
    key(Qt::Key_E, Qt::ControlModifier);
    EXPECT_FALSE(window->exporting());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("nicht installiert")));
    EXPECT_TRUE(office->callLog().isEmpty());
}

TEST_F(SpreadsheetWindow, FailedExportShowsOneMessage)
{
    open(true);
    office->failCall = QStringLiteral("start");
    key(Qt::Key_E, Qt::ControlModifier);
    window->waitForExport();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("LibreOffice starten")));
    EXPECT_FALSE(window->splash()->isVisible());
}

TEST_F(SpreadsheetWindow, KeysTypedDuringAnExportAreCarriedOutAfterIt)
{
    gate = started.get_future().share();
    open(true);
    key(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(window->exporting());
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(offeredFilters.isEmpty());
    started.set_value();
    window->waitForExport();
    EXPECT_EQ(offeredFilters.size(), 2);
}

TEST_F(SpreadsheetWindow, AZeitKeyHeldDuringAnExportKeepsItsPlaceBeforeLaterBarrierTimes)
{
    gate = started.get_future().share();
    open(true);
    key(Qt::Key_F5);
    const qint64 start = window->raceStartTick();
    key(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(window->exporting());
    counter.advanceMs(2000);
    key(Qt::Key_F6);
    EXPECT_EQ(window->rowCount(), 1);
    // The light barrier goes on during the export.
    window->lightBarrier()->ComPortDSR(true, start + 3'000'000'000);
    ASSERT_EQ(window->rowCount(), 2);
    counter.advanceMs(5000);
    started.set_value();
    window->waitForExport();
    ASSERT_EQ(window->rowCount(), 3);
    EXPECT_EQ(window->row(2)->TimeRunden->text(), QStringLiteral("00:02,00"));
    EXPECT_EQ(window->row(3)->TimeRunden->text(), QStringLiteral("00:03,00"));
}

// The save dialog the operator really sees, not a recorded choice.
TEST_F(SpreadsheetWindowTest, TheSaveDialogShowsTheStoredTypeAndRemembersTheTypeSavedWith)
{
    FormMainOptions options = windowOptions();
    options.settingsBaseName = QStringLiteral("PylonixSaveTypeTest");
    options.configRoot = dir.filePath(QStringLiteral("config"));
    options.results.backupDir = backupDir();
    options.results.message = [this](const QString& text) { messages << text; };
    options.results.spreadsheet = [this](bool) { return std::make_unique<GatedSpreadsheet>(office, gate); };
    options.results.spreadsheetAvailable = [](bool) { return true; };
    SettingsValues stored;
    stored.filterInd = SaveChoice::kSpreadsheet;
    platform::SettingsStore store(options.settingsBaseName, options.configRoot);
    ASSERT_TRUE(writeSettings(store, stored).isEmpty());
    window = std::make_unique<TFormMain>(options);
    ASSERT_TRUE(showActive(window.get()));

    QString firstShown;
    answerNextFileDialog(dir.filePath(QStringLiteral("lauf")), [&](QFileDialog& dialog) {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        firstShown = types->currentText();
        // The operator picks the text type from the list.
        userClick(types);
        QAbstractItemView* list = types->view();
        ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); }));
        userClick(list->viewport(), Qt::LeftButton, list->visualRect(types->model()->index(0, 0)).center());
    });
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(firstShown.contains(QStringLiteral("*.xlsx"))) << firstShown.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("lauf.txt"))));
    EXPECT_TRUE(office->callLog().isEmpty());
    EXPECT_EQ(window->gatherSettings().filterInd, SaveChoice::kText);

    QString nextShown;
    answerNextFileDialog(QString(), [&](QFileDialog& dialog) {
        nextShown = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText();
    });
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(nextShown.endsWith(QStringLiteral("(*.txt)"))) << nextShown.toStdString();
}
