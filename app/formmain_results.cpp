// The main window's side of the result tables: the time-row marks, EINTRAGEN
// from the rows and start numbers, and the commands that the result pages
// carry out.
#include "app/mainwindowui.h"
#include "app/formmain.h"

#include "app/timelist.h"
#include "app/frame1.h"
#include "app/inputhold.h"
#include "app/resultpages.h"
#include "controls/bitbtnwithcolor.h"
#include "controls/sortgrid.h"
#include "controls/tag.h"
#include "results/journal.h"
#include "results/timeassignment.h"
#include "results/timetext.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr TColor kEmptyFieldColour = 14737663; // red 255, green 224, blue 224

}  // namespace

// ---------------------------------------------------------------- commands of the result pages

TSortGrid* TFormMain::resultGrid(int page) const { return m_pages->resultGrid(page); }
int TFormMain::activePage() const { return m_pages->activePage(); }
const ClassBook& TFormMain::classBook() const { return m_pages->classBook(); }
QString TFormMain::backupDir() const { return m_pages->backupDir(); }
int TFormMain::ShownClassPage() const { return m_pages->ShownClassPage(); }
void TFormMain::waitForBackup() { m_pages->waitForBackup(); }
void TFormMain::mDeleteline1Click() { m_pages->mDeleteline1Click(); }
void TFormMain::sbPlatzClick() { m_pages->sbPlatzClick(); }
void TFormMain::Platz1Click() { m_pages->Platz1Click(); }
void TFormMain::RankTable() { m_pages->RankTable(); }
void TFormMain::SetResultColumnWidths() { m_pages->SetResultColumnWidths(); }
void TFormMain::SelectResultRow(int row) { m_pages->SelectResultRow(row); }
void TFormMain::UpdateResultButtons() { m_pages->UpdateResultButtons(); }
void TFormMain::LoadClasses(const QString& fileName)
{
    const JournalGroup group(m_journal);
    m_pages->LoadClasses(fileName);
}
void TFormMain::sbLoadClick()
{
    const JournalGroup group(m_journal);
    m_pages->sbLoadClick();
}
void TFormMain::cmb_KlasseChange() { m_pages->cmb_KlasseChange(); }
void TFormMain::cmb_KlasseKeyDown(int key)
{
    const JournalGroup group(m_journal);
    m_pages->cmb_KlasseKeyDown(key);
}
void TFormMain::cmb_KlasseExit()
{
    const JournalGroup group(m_journal);
    m_pages->cmb_KlasseExit();
}
void TFormMain::AddClass()
{
    // A new class comes with its page and track length, or not at all.
    const JournalGroup group(m_journal);
    m_pages->AddClass();
}
void TFormMain::PageControl1Change(int index) { m_pages->PageControl1Change(index); }
void TFormMain::sbSaveClick() { m_pages->sbSaveClick(); }
void TFormMain::sbCLSClick() { m_pages->sbCLSClick(); }
void TFormMain::sbExcelClick() { m_pages->sbExcelClick(); }
void TFormMain::ExportToSpreadsheet(const QString& fileName) { m_pages->ExportToSpreadsheet(fileName); }
bool TFormMain::exporting() const { return m_pages->exporting(); }
void TFormMain::waitForExport() { m_pages->waitForExport(); }
void TFormMain::setSplash(TFormSplash* splash) { m_pages->setSplash(splash); }
TFormSplash* TFormMain::splash() const { return m_pages->splash(); }

void TFormMain::RefreshAssignments() { m_timeList->RefreshAssignments(); }

// ---------------------------------------------------------------- building

void TFormMain::setupResultTables()
{
    ResultPagesControls controls;
    controls.grids = m_grids;
    controls.pages = PageControl1;
    controls.classBox = cmb_Klasse;
    controls.trackLength = eLEN;
    controls.clear = sbCLS;
    controls.save = sbSave;
    controls.placeOrder = sbPlatz;
    controls.spreadsheet = sbExcel;
    controls.backupStatus = StatusBar1->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    controls.dialogParent = this;
    ResultPagesOptions options = m_options.results;
    options.ask = [this](const QString& question) { return ask(question); };
    options.programDir = m_programDir;
    m_pages = new ResultPages(controls, std::move(options), m_settings, this);
    InputHold::Target held;
    held.window = this;
    held.progressWindow = [this] { return static_cast<QWidget*>(splash()); };
    held.ticks = [this] { return GetMyTickCount(); };
    held.commands = MainMenu1->actions();
    held.pressButtons = {{bSTART, mStart}, {bLAP, mLAP}};
    // START and ZEIT are taken at the tick of the press, whatever came in
    // between: the time list puts the row where it belongs.
    held.carryOut = [this](QAction* command, qint64 tick) {
        if (command == mStart)
            startAt(tick);
        else if (command == mLAP)
            lapAt(tick);
        else
            command->trigger();
    };
    m_inputHold = new InputHold(std::move(held), this);
    connect(m_pages, &ResultPages::exportStarted, m_inputHold, &InputHold::hold);
    connect(m_pages, &ResultPages::exportFinished, this, [this] {
        m_inputHold->release();
        if (std::exchange(m_closeAfterExport, false))
            close();
    });
}

void TFormMain::connectResultCommands()
{
    connect(Eintragen1, &QAction::triggered, this, &TFormMain::EintragenClick);
    connect(bEintragen, &QPushButton::clicked, this, &TFormMain::EintragenClick);
    connect(Platz1, &QAction::triggered, this, &TFormMain::Platz1Click);
    connect(sbPlatz, &QToolButton::clicked, this, &TFormMain::sbPlatzClick);
    connect(Save1, &QAction::triggered, this, &TFormMain::sbSaveClick);
    connect(sbSave, &QToolButton::clicked, this, &TFormMain::sbSaveClick);
    connect(Open1, &QAction::triggered, this, &TFormMain::sbLoadClick);
    connect(sbLoad, &QToolButton::clicked, this, &TFormMain::sbLoadClick);
    connect(New1, &QAction::triggered, this, &TFormMain::sbCLSClick);
    connect(mExcel, &QAction::triggered, this, &TFormMain::sbExcelClick);
    connect(sbExcel, &QToolButton::clicked, this, &TFormMain::sbExcelClick);
    connect(sbCLS, &QToolButton::clicked, this, &TFormMain::sbCLSClick);

    // Keys and the focus reach the box itself (its line edit is only its
    // inner editor), so Enter and leaving are watched there.
    cmb_Klasse->installEventFilter(this);

    // Track length and start numbers take digits only; Enter goes to Edit1.
    const QRegularExpression digits(QStringLiteral("[0-9]*"));
    for (QLineEdit* field : {eLEN, m_edits[1], m_edits[2], m_edits[3], m_edits[4], m_edits[5]}) {
        field->setValidator(new QRegularExpressionValidator(digits, field));
        connect(field, &QLineEdit::textChanged, this, [this, field] { eLENChange(field); });
        connect(field, &QLineEdit::returnPressed, this, [this] { m_edits[1]->setFocus(); });
        eLENChange(field);
    }
    for (int k = 1; k <= kStartNumberFields; ++k)
        setTag(m_edits[k], k);
}

void TFormMain::finishResultsSetup()
{
    m_pages->UpdateResultButtons();
    for (int p = 1; p < kClasses; ++p)
        PageControl1->setTabVisible(p, false);
    m_pages->LoadClasses(QDir(m_programDir).filePath(QStringLiteral("Klassen.txt")));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TFormMain::Timer1Timer);
    Timer1->start();
}

void TFormMain::Timer1Timer()
{
    Timer1->stop();
    m_pages->SetResultColumnWidths();
}

void TFormMain::EintragenClick()
{
    const JournalGroup group(m_journal);
    RaceEntry entry;
    entry.rows = m_timeList->timeRows();
    for (int k = 1; k <= kStartNumberFields; ++k)
        entry.startNumbers[k - 1] = m_edits[k]->text();
    const RaceEntryResult result = m_pages->enter(entry);
    if (!result.entered())
        return;
    for (int k = 1; k <= kStartNumberFields; ++k)
        setTextColour(m_edits[k], startNumberColor(result.passages[k - 1]));
    if (m_race.entered()) {
        journalClock();
        applyCommandStates();
    }
    bRESET->setFocus();
}

void TFormMain::eLENChange(QLineEdit* field)
{
    const std::optional<qint32> value = readInteger(field->text());
    setFieldBackground(field, value ? clWindow : kEmptyFieldColour);
    if (field == eLEN && m_pages) {
        m_pages->trackLengthChanged(value.value_or(0));
        journal(JournalRecord::trackLength(m_pages->activePage(), value.value_or(0)));
    } else if (field != eLEN) {
        journalStartNumbers();
    }
}

