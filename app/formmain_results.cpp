// The main window's result tables: the time-row marks, EINTRAGEN, ranking,
// the class pages and class list, saving, the daily backup and clearing.
// The work itself is done by the results logic on plain tables; this file
// carries the window's state to it and shows what comes back.
#include "app/formmain.h"

#include "app/clickfilter.h"
#include "app/frame1.h"
#include "app/gridadapter.h"
#include "controls/bitbtnwithcolor.h"
#include "controls/sortgrid.h"
#include "controls/tag.h"
#include "results/ranking.h"
#include "results/timeassignment.h"
#include "results/timetext.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPainter>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr TColor kResultBlue = 11031552;       // red 0, green 84, blue 168
constexpr TColor kFixedColour = 14140355;      // red 195, green 195, blue 215
constexpr TColor kEmptyFieldColour = 14737663; // red 255, green 224, blue 224
constexpr int kNarrowWidth = 42;
constexpr int kTimeWidth = 104;
constexpr int kSpeedWidth = 75;

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

bool gridRowBlank(const TSortGrid* grid, int row)
{
    if (row >= grid->RowCount())
        return true;
    QString joined;
    for (int c = 0; c < ResultTable::ColOrder; ++c)
        joined += grid->Cells(c, row);
    return trimBlanks(joined).isEmpty();
}

// The sort styles of all 21 tables: time texts compare as times, the rest as numbers.
void SortGrid1GetSortStyle(TSortGrid* sender, int col, TSortStyle& style)
{
    if (col >= ResultTable::ColStart && col <= ResultTable::ColBest) {
        style = ssCustom;
        sender->SortOptions.SortCompare = CompareTimes;
    } else if (col >= 0 && col < ResultTable::ColumnCount) {
        style = ssNumeric;
    }
}

}  // namespace

// ---------------------------------------------------------------- building

TSortGrid* TFormMain::createResultGrid(QWidget* page, int number)
{
    auto* grid = new TSortGrid(page);
    grid->setObjectName(QStringLiteral("SortGrid%1").arg(number));
    if (page->layout())
        page->layout()->addWidget(grid);
    return grid;
}

void TFormMain::setupResultTables()
{
    m_backupDir = m_options.backupDir.isEmpty() ? QDir::currentPath() : m_options.backupDir;
    m_backup = DailyBackup(m_backupDir);
    const QString mimeName = QMimeDatabase().mimeTypeForName(QStringLiteral("text/plain")).comment();
    m_textFileTypeName = mimeName.isEmpty() ? QStringLiteral("Textdatei") : mimeName;

    PopupMenuTable = new QMenu(this);
    PopupMenuTable->setObjectName(QStringLiteral("PopupMenuTable"));
    mDeleteline1 = PopupMenuTable->addAction(QStringLiteral("Zeile entfernen"));
    mDeleteline1->setObjectName(QStringLiteral("mDeleteline1"));
    connect(mDeleteline1, &QAction::triggered, this, &TFormMain::mDeleteline1Click);

    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(17);
    font.setBold(true);
    const QStringList headings = ResultTable::headings();
    for (int p = 0; p < kClasses; ++p) {
        TSortGrid* grid = m_grids[p];
        grid->SetTabStop(false);
        grid->SetColor(clWhite);
        grid->SetColCount(ResultTable::ColumnCount);
        grid->SetRowCount(2);
        grid->SetDefaultColWidth(kNarrowWidth);
        grid->SetDefaultRowHeight(19);
        grid->SetFixedColor(kFixedColour);
        grid->SetFixedCols(2);
        grid->setFont(font);
        grid->SetFontColor(kResultBlue);
        grid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected
                         | goRowSelect);
        grid->SetScrollBars(ssVertical);
        grid->SetPopupMenu(PopupMenuTable);
        // Grids of the later pages come sortable by a heading click until
        // their first ranking forbids it.
        grid->SortOptions.CanSort = p >= 10;
        grid->SortOptions.SortCol = p >= 10 ? 11 : 1;
        grid->SetAlignmentHorz(taRightJustify);
        grid->SetAlignmentVert(taMiddle);
        grid->OnGetCellFormat = [this](TSortGrid* sender, int col, int row, TGridDrawState, TFormatOptions& format,
                                       bool&, bool&, bool&) { SortGrid1GetCellFormat(sender, col, row, format); };
        grid->OnGetSortStyle = SortGrid1GetSortStyle;
        for (int c = 0; c < headings.size(); ++c)
            grid->SetCells(c, 0, headings[c]);
    }
    SetResultColumnWidths();

    sbPlatz->setCheckable(true);
    sbPlatz->setChecked(true);
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

    cmb_Klasse->setInsertPolicy(QComboBox::NoInsert);
    cmb_Klasse->setMaxVisibleItems(22);
    QFont classFont(QStringLiteral("Arial"));
    classFont.setPixelSize(19);
    classFont.setBold(true);
    cmb_Klasse->setFont(classFont);
    setFieldTextColour(cmb_Klasse, kResultBlue);
    setFieldBackground(cmb_Klasse, 14671839);
    connect(cmb_Klasse, &QComboBox::activated, this, [this] { cmb_KlasseChange(); });
    // Keys and the focus reach the box itself (its line edit is only its
    // inner editor), so Enter and leaving are watched there.
    connect(cmb_Klasse->lineEdit(), &QLineEdit::textEdited, this, [this] { m_classTyped = true; });
    cmb_Klasse->installEventFilter(this);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TFormMain::PageControl1Change);

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

    UpdateResultButtons();
    for (int p = 1; p < kClasses; ++p)
        PageControl1->setTabVisible(p, false);
    LoadClasses(QDir(m_programDir).filePath(QStringLiteral("Klassen.txt")));

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
    SetResultColumnWidths();
}

// ---------------------------------------------------------------- tables

TSortGrid* TFormMain::resultGrid(int page) const
{
    return page >= 0 && page < kClasses ? m_grids[page] : nullptr;
}

int TFormMain::activePage() const
{
    const int page = PageControl1 ? PageControl1->currentIndex() : 0;
    return page >= 0 && page < kClasses ? page : 0;
}

void TFormMain::SetResultColumnWidths()
{
    for (TSortGrid* grid : m_grids) {
        if (!grid || grid->ColCount() < ResultTable::ColumnCount)
            continue;
        grid->SetColWidths(0, kNarrowWidth);
        grid->SetColWidths(1, kNarrowWidth);
        for (int c = ResultTable::ColStart; c <= ResultTable::ColGap; ++c)
            grid->SetColWidths(c, kTimeWidth);
        grid->SetColWidths(ResultTable::ColSpeed, kSpeedWidth);
        grid->SetColWidths(ResultTable::ColOrder, -1);
    }
}

void TFormMain::SortGrid1GetCellFormat(TSortGrid* sender, int col, int row, TFormatOptions& format)
{
    format.AlignmentHorz = taCenter;
    if (row == 0 || row == sender->Row())
        return;
    switch (col) {
    case ResultTable::ColStart:
    case ResultTable::ColBest:
        format.Brush.Color = rgbColor(216, 255, 216);
        break;
    case ResultTable::ColLap1:
    case ResultTable::ColLap2:
    case ResultTable::ColLap3:
        format.Brush.Color = rgbColor(255, 255, 216);
        break;
    case ResultTable::ColGap:
    case ResultTable::ColSpeed:
        format.Brush.Color = rgbColor(224, 255, 255);
        break;
    default:
        break;
    }
}

void TFormMain::UpdateResultButtons()
{
    const TSortGrid* grid = resultGrid(activePage());
    if (!grid)
        return;
    const bool results = grid->RowCount() > 2 || !gridRowBlank(grid, 1);
    sbCLS->setEnabled(results);
    sbSave->setEnabled(results);
    sbPlatz->setEnabled(results);
}

void TFormMain::SelectResultRow(int row)
{
    TSortGrid* grid = resultGrid(activePage());
    if (!grid || row < 1 || row >= grid->RowCount())
        return;
    TGridRect rect;
    rect.Left = grid->FixedCols();
    rect.Top = row;
    rect.Right = grid->ColCount() - 1;
    rect.Bottom = row;
    grid->SetSelection(rect);
}

void TFormMain::selectNextResultBlock(QObject* sender)
{
    const TSortGrid* grid = resultGrid(activePage());
    if (!grid)
        return;
    SelectResultRow(nextBlockRow(grid->Row(), tagOf(sender), grid->RowCount()));
}

// ---------------------------------------------------------------- time-row marks

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

// ---------------------------------------------------------------- entering and ranking

void TFormMain::showMessage(const QString& text)
{
    if (m_options.message) {
        m_options.message(text);
        return;
    }
    // Captioned with the application's title, as the question dialog is.
    const QString title = QApplication::applicationName().isEmpty() ? QStringLiteral("Pylonix")
                                                                     : QApplication::applicationName();
    QMessageBox::information(this, title, text);
}

QDateTime TFormMain::currentDateTime() const
{
    return m_options.now ? m_options.now() : QDateTime::currentDateTime();
}

void TFormMain::EintragenClick()
{
    const int page = activePage();
    TSortGrid* grid = m_grids[page];

    RaceEntry entry;
    entry.rows.reserve(m_race.rowCount());
    for (int n = 1; n <= m_race.rowCount(); ++n)
        entry.rows.append(timeRowOf(m_rows[n]));
    for (int k = 1; k <= kStartNumberFields; ++k)
        entry.startNumbers[k - 1] = m_edits[k]->text();
    entry.pageIndex = page;
    entry.trackLengthText = eLEN->text();
    entry.acc = m_acc;

    ResultTable table = readResultGrid(*grid);
    const RaceEntryResult result = enterRace(table, entry);
    switch (result.status) {
    case RaceEntryResult::Status::NothingMarked:
        return;
    case RaceEntryResult::Status::NinthPage:
        showMessage(result.message());
        return;
    case RaceEntryResult::Status::CheckTrackLength:
        eLEN->setFocus();
        showMessage(result.message());
        return;
    case RaceEntryResult::Status::Entered:
        break;
    }

    grid->SetFixedCols(2);
    grid->SetLeftCol(2);
    for (int k = 1; k <= kStartNumberFields; ++k)
        setFieldTextColour(m_edits[k], startNumberColor(result.passages[k - 1]));

    // The entered table is ranked before it goes back into the grid: one
    // copy each way.
    rankTable(page, table);
    if (m_race.entered())
        applyCommandStates();
    bRESET->setFocus();
    SetResultColumnWidths();
    UpdateResultButtons();
}

void TFormMain::RankTable()
{
    const int page = activePage();
    ResultTable table = readResultGrid(*m_grids[page]);
    rankTable(page, table);
}

void TFormMain::rankTable(int page, ResultTable& table)
{
    TSortGrid* grid = m_grids[page];
    const int currentRow = grid->Row();

    RankOptions options;
    options.trackLength = m_classBook.trackLengths[page];
    options.placeOrder = sbPlatz->isChecked();
    options.acc = m_acc;
    const QString separator = QLocale().decimalPoint();
    if (!separator.isEmpty())
        options.decimalSeparator = separator.at(0);

    const RankResult ranked = ::RankTable(table, options);
    writeResultGrid(*grid, table);
    rememberTable(page, table);
    // The backup lists every class by place, also while the window shows the
    // entry order.
    writeResultsBackup(page, options.placeOrder ? table : inPlaceOrder(table, ranked));

    grid->SortOptions.CanSort = false;
    grid->SortOptions.SortCol = options.placeOrder ? ResultTable::ColBest : -1;
    // The current row stays on the car it was on.
    const int moved = int(ranked.order.indexOf(currentRow));
    if (moved >= 1 && moved < grid->RowCount())
        grid->SetRow(moved);
}

QVector<ResultTable> TFormMain::allResultTables() const
{
    QVector<ResultTable> tables;
    tables.reserve(kClasses);
    for (int p = 0; p < kClasses; ++p)
        tables.append(cachedTable(p));
    return tables;
}

const ResultTable& TFormMain::cachedTable(int page) const
{
    const TSortGrid& grid = *m_grids[page];
    CachedTable& cached = m_tableCache[std::size_t(page)];
    if (cached.generation != grid.contentGeneration() || cached.rowCount != grid.RowCount()) {
        cached.table = readResultGrid(grid);
        cached.generation = grid.contentGeneration();
        cached.rowCount = grid.RowCount();
    }
    return cached.table;
}

void TFormMain::rememberTable(int page, const ResultTable& table) const
{
    // Only valid when the grid holds exactly this table, i.e. right after
    // writeResultGrid.
    const TSortGrid& grid = *m_grids[page];
    CachedTable& cached = m_tableCache[std::size_t(page)];
    bool same = grid.RowCount() == table.rowCount();
    for (int r = 0; same && r < table.rowCount(); ++r)
        same = table.rows[r].size() == ResultTable::ColumnCount;
    if (!same) {
        cached.rowCount = -1;  // shapes differ: read the grid next time
        return;
    }
    cached.table = table;
    cached.generation = grid.contentGeneration();
    cached.rowCount = grid.RowCount();
}

QVector<ClassResults> TFormMain::classResults(const QVector<ResultTable>& tables) const
{
    QVector<ClassResults> classes;
    classes.reserve(tables.size());
    for (int p = 0; p < tables.size(); ++p)
        classes.append(ClassResults{m_classBook.captions[p], &tables[p]});
    return classes;
}

void TFormMain::writeResultsBackup(int page, const ResultTable& current)
{
    QVector<ResultTable> tables;
    tables.reserve(kClasses);
    for (int p = 0; p < kClasses; ++p)
        tables.append(p == page ? current : cachedTable(p));
    // A message box would stop the race, yet the operator must know that
    // there is no backup: the status bar says so until one succeeds. The
    // tables are untouched and the next ranking tries again.
    const BackupResult result = m_backup.write(currentDateTime().date(), classResults(tables));
    showBackupStatus(result.ok ? QString()
                               : QStringLiteral("Sicherung fehlgeschlagen: %1: %2")
                                     .arg(QDir::toNativeSeparators(result.path), result.error));
}

void TFormMain::showBackupStatus(const QString& text)
{
    auto* panel = StatusBar1->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    if (!panel || panel->text() == text)
        return;
    panel->setText(text);
    panel->setToolTip(text);  // the path rarely fits the panel
}

void TFormMain::mDeleteline1Click()
{
    TSortGrid* grid = m_grids[activePage()];
    const int row = grid->Row();
    if (row < 1 || row >= grid->RowCount())
        return;
    grid->DeleteRow(row);
    RankTable();
    grid->SetLeftCol(2);
    UpdateResultButtons();
}

void TFormMain::sbPlatzClick()
{
    RankTable();
}

void TFormMain::Platz1Click()
{
    sbPlatz->setChecked(!sbPlatz->isChecked());
    RankTable();
}

// ---------------------------------------------------------------- track length and start numbers

void TFormMain::eLENChange(QLineEdit* field)
{
    const std::optional<qint32> value = readInteger(field->text());
    setFieldBackground(field, value ? clWindow : kEmptyFieldColour);
    if (field == eLEN)
        m_classBook.trackLengths[activePage()] = value.value_or(0);
}

// ---------------------------------------------------------------- classes

void TFormMain::showClassPage(int page)
{
    m_switchingPage = true;
    // The new tab is shown before the old one is hidden, so the page control
    // never falls back to another page in between.
    PageControl1->setTabVisible(page, true);
    PageControl1->setCurrentIndex(page);
    if (m_shownClassPage != page)
        PageControl1->setTabVisible(m_shownClassPage, false);
    m_shownClassPage = page;
    m_classBook.activePage = page;
    m_switchingPage = false;
}

void TFormMain::LoadClasses(const QString& fileName)
{
    const auto entries = readClassList(fileName);
    if (!entries)
        return;

    m_switchingPage = true;
    cmb_Klasse->clear();
    PageControl1->setTabVisible(0, true);
    for (int p = 1; p < kClasses; ++p)
        PageControl1->setTabVisible(p, false);
    m_classBook.load(*entries);
    for (int p = 0; p < kClasses; ++p)
        PageControl1->setTabText(p, QString(m_classBook.captions[p]).replace(QLatin1Char('&'), QStringLiteral("&&")));
    cmb_Klasse->addItems(m_classBook.names);
    m_shownClassPage = activePage();
    m_classBook.activePage = m_shownClassPage;
    m_switchingPage = false;

    UpdateResultButtons();
    if (cmb_Klasse->count() > 0) {
        cmb_Klasse->setCurrentIndex(0);
        cmb_KlasseChange();
    }
}

void TFormMain::cmb_KlasseChange()
{
    const int index = cmb_Klasse->currentIndex();
    if (index < 0 || index >= kClasses)
        return;
    showClassPage(index);
    eLEN->setText(QString::number(m_classBook.trackLengths[index]));
    UpdateResultButtons();
}

void TFormMain::cmb_KlasseKeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        AddClass();
}

void TFormMain::cmb_KlasseExit()
{
    // Focus that only passes through the box asks nothing; a typed name that
    // is not an entry is asked for, again after a "Nein".
    if (m_classTyped && m_classBook.indexOf(cmb_Klasse->currentText()) < 0)
        AddClass();
}

void TFormMain::AddClass()
{
    // The question dialog takes the focus from the box; that is no leaving.
    if (m_addingClass)
        return;
    const QString text = cmb_Klasse->currentText();
    const int known = m_classBook.indexOf(text);
    if (known >= 0) {
        m_classTyped = false;
        if (cmb_Klasse->currentIndex() != known)
            cmb_Klasse->setCurrentIndex(known);
        // The box shows the entry as it is written, whatever the typed case.
        cmb_Klasse->setEditText(cmb_Klasse->itemText(known));
        if (known != activePage())
            cmb_KlasseChange();
        return;
    }
    if (m_classBook.isFull())
        return;
    m_addingClass = true;
    const bool yes = ask(ClassBook::addQuestion(text));
    m_addingClass = false;
    if (!yes)
        return;
    m_classTyped = false;

    m_classBook.activePage = activePage();
    const int page = m_classBook.addClass(text);
    if (page < 0)
        return;
    cmb_Klasse->addItem(text);
    cmb_Klasse->setCurrentIndex(cmb_Klasse->count() - 1);
    PageControl1->setTabText(page, QString(text).replace(QLatin1Char('&'), QStringLiteral("&&")));
    showClassPage(page);
    // The field shows the length the new page now has (inherited or its own),
    // so entering and ranking use the same length.
    eLEN->setText(QString::number(m_classBook.trackLengths[page]));
    UpdateResultButtons();
}

void TFormMain::PageControl1Change(int index)
{
    if (m_switchingPage || index < 0 || index >= kClasses)
        return;
    cmb_Klasse->setCurrentIndex(index < cmb_Klasse->count() ? index : -1);
    cmb_KlasseChange();
    PageControl1->update();
    SetResultColumnWidths();
}

void TFormMain::sbLoadClick()
{
    QString path;
    if (m_options.chooseOpenFile) {
        path = m_options.chooseOpenFile(m_programDir);
    } else {
        QFileDialog dialog(this, QString(), m_programDir, m_textFileTypeName + QStringLiteral(" (*.txt)"));
        dialog.setObjectName(QStringLiteral("OpenDialog1"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().constFirst();
    }
    if (!path.isEmpty() && isClassListFileName(path)) {
        LoadClasses(path);
        cmb_KlasseChange();
    }
    SetResultColumnWidths();
}

// ---------------------------------------------------------------- results file and clearing

void TFormMain::sbSaveClick()
{
    const QString proposed = DateStampName(currentDateTime());
    QString path;
    if (m_options.chooseSaveFile) {
        path = m_options.chooseSaveFile(proposed);
    } else {
        // Only the text type is offered until the spreadsheet export exists.
        QFileDialog dialog(this, QString(), m_programDir, m_textFileTypeName + QStringLiteral(" (*.txt)"));
        dialog.setObjectName(QStringLiteral("SaveDialog1"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        dialog.selectFile(proposed);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().constFirst();
    }
    if (path.isEmpty())
        return;

    const QVector<ResultTable> tables = allResultTables();
    const WriteResult written = SaveResultsText(path, classResults(tables));
    // Unlike the backup, a save the operator asked for must not fail silently.
    if (!written.ok) {
        showMessage(QStringLiteral("Die Datei \"%1\" konnte nicht gespeichert werden:\n%2")
                        .arg(QDir::toNativeSeparators(path), written.error));
    }
}

void TFormMain::sbCLSClick()
{
    if (!ask(m_abortQuestion))
        return;
    TSortGrid* grid = m_grids[activePage()];
    ResultTable table = readResultGrid(*grid);
    clearResults(table);
    writeResultGrid(*grid, table);
    grid->SetLeftCol(2);
    UpdateResultButtons();
}
