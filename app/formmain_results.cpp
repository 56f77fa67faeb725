// The main window's side of the result tables: the time-row marks, EINTRAGEN
// from the rows and start numbers, and the commands that the result pages
// carry out.
#include "app/formmain.h"

#include "app/clickfilter.h"
#include "app/frame1.h"
#include "app/resultpages.h"
#include "controls/bitbtnwithcolor.h"
#include "controls/sortgrid.h"
#include "controls/tag.h"
#include "results/timeassignment.h"
#include "results/timetext.h"

#include <QAction>
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

void setFieldTextColour(QWidget* widget, TColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, toQColor(colour));
    palette.setColor(QPalette::WindowText, toQColor(colour));
    widget->setPalette(palette);
}

void setFieldBackground(QWidget* widget, TColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, toQColor(colour));
    widget->setPalette(palette);
}

// The final-lap glyph: a small chequered flag on the fourth mark of a car.
QIcon finalLapIcon()
{
    static const QIcon icon = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setPen(Qt::black);
        p.drawLine(2, 1, 2, 15);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x)
                p.fillRect(3 + x * 3, 1 + y * 3, 3, 3, (x + y) % 2 ? Qt::white : Qt::black);
        }
        return QIcon(pixmap);
    }();
    return icon;
}

TimeRow timeRowOf(const TFrame1* frame)
{
    TimeRow row;
    row.text = frame->TimeRunden->text();
    row.counted = frame->cbON->isChecked();
    row.zeitRow = tagOf(frame->cbON) == 1;
    for (int k = 1; k <= kCarsPerRace; ++k) {
        row.down[k - 1] = frame->buttons[k]->isChecked();
        if (row.exactMark == 0 && frame->radios[k]->isChecked())
            row.exactMark = k;
    }
    row.firstColumn = tagOf(frame);
    return row;
}

}  // namespace

// ---------------------------------------------------------------- commands of the result pages

TSortGrid* TFormMain::resultGrid(int page) const { return m_pages->resultGrid(page); }
int TFormMain::activePage() const { return m_pages->activePage(); }
const ClassBook& TFormMain::classBook() const { return m_pages->classBook(); }
QString TFormMain::backupDir() const { return m_pages->backupDir(); }
int TFormMain::ShownClassPage() const { return m_pages->ShownClassPage(); }
void TFormMain::mDeleteline1Click() { m_pages->mDeleteline1Click(); }
void TFormMain::sbPlatzClick() { m_pages->sbPlatzClick(); }
void TFormMain::Platz1Click() { m_pages->Platz1Click(); }
void TFormMain::RankTable() { m_pages->RankTable(); }
void TFormMain::SetResultColumnWidths() { m_pages->SetResultColumnWidths(); }
void TFormMain::SelectResultRow(int row) { m_pages->SelectResultRow(row); }
void TFormMain::UpdateResultButtons() { m_pages->UpdateResultButtons(); }
void TFormMain::LoadClasses(const QString& fileName) { m_pages->LoadClasses(fileName); }
void TFormMain::sbLoadClick() { m_pages->sbLoadClick(); }
void TFormMain::cmb_KlasseChange() { m_pages->cmb_KlasseChange(); }
void TFormMain::cmb_KlasseKeyDown(int key) { m_pages->cmb_KlasseKeyDown(key); }
void TFormMain::cmb_KlasseExit() { m_pages->cmb_KlasseExit(); }
void TFormMain::AddClass() { m_pages->AddClass(); }
void TFormMain::PageControl1Change(int index) { m_pages->PageControl1Change(index); }
void TFormMain::sbSaveClick() { m_pages->sbSaveClick(); }
void TFormMain::sbCLSClick() { m_pages->sbCLSClick(); }

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
    controls.backupStatus = StatusBar1->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    controls.dialogParent = this;
    ResultPagesOptions options;
    options.ask = [this](const QString& question) { return ask(question); };
    options.message = m_options.message;
    options.chooseSaveFile = m_options.chooseSaveFile;
    options.chooseOpenFile = m_options.chooseOpenFile;
    options.now = m_options.now;
    options.backupDir = m_options.backupDir;
    options.programDir = m_programDir;
    m_pages = new ResultPages(controls, std::move(options), m_settings, this);
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
    m_labelClicks = new ClickFilter(
        [this](QObject* watched) {
            auto* label = qobject_cast<QLabel*>(watched);
            auto* frame = label ? qobject_cast<TFrame1*>(label->parentWidget()) : nullptr;
            if (!frame)
                return;
            for (int k = 1; k <= TFrame1::kColumns; ++k) {
                if (frame->labels[k] == label) {
                    // The label toggles its button and then acts as its click.
                    frame->buttons[k]->setChecked(!frame->buttons[k]->isChecked());
                    assignmentClick(frame, k);
                }
            }
        },
        this);
    for (int n = 1; n <= kRows; ++n) {
        TFrame1* frame = m_rows[n];
        for (int k = 1; k <= TFrame1::kColumns; ++k) {
            connect(frame->buttons[k], &QToolButton::clicked, this, [this, frame, k] { assignmentClick(frame, k); });
            frame->labels[k]->installEventFilter(m_labelClicks);
            // The exact-time marks of a row exclude each other, and a click
            // never takes the mark away: it moves it.
            QRadioButton* radio = frame->radios[k];
            connect(radio, &QRadioButton::clicked, this, [frame, k] {
                for (int j = 1; j <= TFrame1::kColumns; ++j)
                    frame->radios[j]->setChecked(j == k);
            });
        }
        connect(frame->cbON, &QCheckBox::clicked, this, [this, frame] { cbONClick(frame); });
    }

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

void TFormMain::assignmentClick(TFrame1* frame, int k)
{
    // The button has already toggled; the logic toggles it from the state
    // before the click.
    TimeRow row = timeRowOf(frame);
    row.down[k - 1] = !row.down[k - 1];
    const bool firstClick = row.firstColumn == 0;
    const bool shown = clickAssignment(row, k);
    frame->buttons[k]->setChecked(row.down[k - 1]);
    frame->radios[k]->setVisible(shown);
    if (firstClick) {
        for (int j = 1; j <= TFrame1::kColumns; ++j)
            frame->radios[j]->setChecked(row.exactMark == j);
    }
    setTag(frame, row.firstColumn);
    RefreshAssignments();
}

void TFormMain::cbONClick(TFrame1* frame)
{
    if (frame->cbON->isChecked()) {
        frame->setTimeColor(toQColor(tagOf(frame->cbON) == 0 ? clLime : clYellow));
        frame->PanelOFF->hide();
    } else {
        frame->setTimeColor(toQColor(clRed));
        frame->PanelOFF->show();
        frame->PanelOFF->raise();
    }
}

void TFormMain::RefreshAssignments()
{
    QVector<TimeRow> rows;
    rows.reserve(m_race.rowCount());
    for (int n = 1; n <= m_race.rowCount(); ++n)
        rows.append(timeRowOf(m_rows[n]));
    const auto views = ::RefreshAssignments(rows);
    for (int n = 1; n <= m_race.rowCount(); ++n) {
        const auto& view = views[n - 1];
        if (!view)
            continue;  // a row that does not count keeps its marks as they are
        TFrame1* frame = m_rows[n];
        for (int k = 1; k <= TFrame1::kColumns; ++k) {
            const MarkView& mark = (*view)[k - 1];
            QToolButton* button = frame->buttons[k];
            button->setEnabled(mark.enabled);
            button->setIcon(mark.finalLapGlyph ? finalLapIcon() : QIcon());
            button->setToolButtonStyle(mark.finalLapGlyph ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly);
            frame->radios[k]->setVisible(mark.exactVisible);
            frame->labels[k]->setText(mark.label);
        }
    }
}

void TFormMain::EintragenClick()
{
    RaceEntry entry;
    entry.rows.reserve(m_race.rowCount());
    for (int n = 1; n <= m_race.rowCount(); ++n)
        entry.rows.append(timeRowOf(m_rows[n]));
    for (int k = 1; k <= kStartNumberFields; ++k)
        entry.startNumbers[k - 1] = m_edits[k]->text();
    const RaceEntryResult result = m_pages->enter(entry);
    if (!result.entered())
        return;
    for (int k = 1; k <= kStartNumberFields; ++k)
        setFieldTextColour(m_edits[k], startNumberColor(result.passages[k - 1]));
    if (m_race.entered())
        applyCommandStates();
    bRESET->setFocus();
}

void TFormMain::eLENChange(QLineEdit* field)
{
    const std::optional<qint32> value = readInteger(field->text());
    setFieldBackground(field, value ? clWindow : kEmptyFieldColour);
    if (field == eLEN && m_pages)
        m_pages->trackLengthChanged(value.value_or(0));
}

