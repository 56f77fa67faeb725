// The result pages: 21 class tables, the class book and the class list,
// entering, ranking, saving, the daily backup and clearing. The work itself
// is done by the results logic on plain tables; this unit carries the grids'
// contents to it and shows what comes back.
#include "app/mainwindowui.h"
#include "app/resultpages.h"

#include "app/formsplash.h"
#include "app/gridadapter.h"
#include "app/messagebox.h"
#include "app/programname.h"
#include "app/modules.h"
#include "app/spreadsheetjob.h"
#include "controls/gauge.h"
#include "platform/unospreadsheet.h"
#include "controls/sortgrid.h"
#include "controls/tag.h"
#include "results/ranking.h"
#include "results/timetext.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QTabWidget>
#include <QToolButton>

namespace {

// The desktop's own name for plain text in the save dialog. Asked for when the
// dialog opens: reading the type database costs start-up a millisecond.
QString textFileTypeName()
{
    const QString name = QMimeDatabase().mimeTypeForName(QStringLiteral("text/plain")).comment();
    return name.isEmpty() ? QStringLiteral("Textdatei") : name;
}

QString spreadsheetFileTypeName()
{
    const QString name = QMimeDatabase()
                             .mimeTypeForName(QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"))
                             .comment();
    return name.isEmpty() ? QStringLiteral("MS Excel") : name;
}

constexpr TColor kResultBlue = 11031552;       // red 0, green 84, blue 168
constexpr TColor kFixedColour = 14140355;      // red 195, green 195, blue 215
constexpr int kNarrowWidth = 42;
constexpr int kTimeWidth = 104;
constexpr int kSpeedWidth = 75;

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

int validPageIndex(int page)
{
    return page >= 0 && page < kClassPages ? page : 0;
}

}  // namespace

ResultPages::ResultPages(const ResultPagesControls& controls, ResultPagesOptions options,
                         const SettingsValues& settings, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_settings(settings)
    , m_grids(controls.grids)
    , PageControl1(controls.pages)
    , cmb_Klasse(controls.classBox)
    , eLEN(controls.trackLength)
    , sbCLS(controls.clear)
    , sbSave(controls.save)
    , sbPlatz(controls.placeOrder)
    , sbExcel(controls.spreadsheet)
    , m_backupStatus(controls.backupStatus)
    , m_dialogParent(controls.dialogParent)
{
    m_backupDir = m_options.backupDir.isEmpty() ? QDir::currentPath() : m_options.backupDir;
    m_backupWriter = new BackupWriter(m_backupDir, this);
    // A message box would stop the race, yet the operator must know that
    // there is no backup: the status bar says so until one succeeds.
    connect(m_backupWriter, &BackupWriter::written, this, [this](const BackupResult& result) {
        showBackupStatus(result.ok ? QString()
                                   : QStringLiteral("Sicherung fehlgeschlagen: %1: %2")
                                         .arg(QDir::toNativeSeparators(result.path), result.error));
    });
    m_filterInd = clampedFilterInd(settings.filterInd);
    // Looked up once: only files are checked, nothing is started.
    const auto available = [this](bool visible) {
        return m_options.spreadsheetAvailable ? m_options.spreadsheetAvailable(visible)
                                              : platform::IsSpreadsheetAvailable({}, visible);
    };
    m_availableHeadless = available(false);
    m_availableVisible = available(true);
    m_job = new SpreadsheetJob(this);

    PopupMenuTable = new QMenu(m_dialogParent);
    PopupMenuTable->setObjectName(QStringLiteral("PopupMenuTable"));
    mDeleteline1 = PopupMenuTable->addAction(QStringLiteral("Zeile entfernen"));
    mDeleteline1->setObjectName(QStringLiteral("mDeleteline1"));
    connect(mDeleteline1, &QAction::triggered, this, &ResultPages::mDeleteline1Click);

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

    cmb_Klasse->setInsertPolicy(QComboBox::NoInsert);
    cmb_Klasse->setMaxVisibleItems(22);
    QFont classFont(QStringLiteral("Arial"));
    classFont.setPixelSize(19);
    classFont.setBold(true);
    cmb_Klasse->setFont(classFont);
    setTextColour(cmb_Klasse, kResultBlue);
    setFieldBackground(cmb_Klasse, 14671839);
    connect(cmb_Klasse, &QComboBox::activated, this, [this] { cmb_KlasseChange(); });
    connect(cmb_Klasse->lineEdit(), &QLineEdit::textEdited, this, [this] { m_classTyped = true; });
    connect(PageControl1, &QTabWidget::currentChanged, this, &ResultPages::PageControl1Change);
}

void ResultPages::waitForBackup()
{
    m_backupWriter->waitUntilIdle();
    QCoreApplication::sendPostedEvents(m_backupWriter, QEvent::MetaCall);
}

bool ResultPages::ask(const QString& question)
{
    return m_options.ask ? m_options.ask(question) : false;
}

RaceEntryResult ResultPages::enter(RaceEntry entry)
{
    const int page = activePage();
    TSortGrid* grid = m_grids[page];
    entry.pageIndex = page;
    entry.trackLengthText = eLEN->text();
    entry.acc = m_settings.acc;

    ResultTable table = readResultGrid(*grid);
    const RaceEntryResult result = enterRace(table, entry);
    switch (result.status) {
    case RaceEntryResult::Status::NothingMarked:
        return result;
    case RaceEntryResult::Status::NinthPage:
        showMessage(result.message());
        return result;
    case RaceEntryResult::Status::CheckTrackLength:
        eLEN->setFocus();
        showMessage(result.message());
        return result;
    case RaceEntryResult::Status::Entered:
        break;
    }
    grid->SetFixedCols(2);
    grid->SetLeftCol(2);
    // The entered table is ranked before it goes back into the grid: one
    // copy each way.
    rankTable(page, table);
    SetResultColumnWidths();
    UpdateResultButtons();
    return result;
}

void ResultPages::trackLengthChanged(int metres)
{
    m_classBook.trackLengths[activePage()] = metres;
}

TSortGrid* ResultPages::resultGrid(int page) const
{
    return page >= 0 && page < kClasses ? m_grids[page] : nullptr;
}

int ResultPages::activePage() const
{
    const int page = PageControl1 ? PageControl1->currentIndex() : 0;
    return page >= 0 && page < kClasses ? page : 0;
}

void ResultPages::SetResultColumnWidths()
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

void ResultPages::SortGrid1GetCellFormat(TSortGrid* sender, int col, int row, TFormatOptions& format)
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

void ResultPages::UpdateResultButtons()
{
    const TSortGrid* grid = resultGrid(activePage());
    if (!grid)
        return;
    const bool results = grid->RowCount() > 2 || !gridRowBlank(grid, 1);
    sbCLS->setEnabled(results);
    sbSave->setEnabled(results);
    sbPlatz->setEnabled(results);
    if (sbExcel)
        sbExcel->setEnabled(results && m_availableVisible);
}

void ResultPages::SelectResultRow(int row)
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

void ResultPages::selectNextResultBlock(QObject* sender)
{
    const TSortGrid* grid = resultGrid(activePage());
    if (!grid)
        return;
    SelectResultRow(nextBlockRow(grid->Row(), tagOf(sender), grid->RowCount()));
}

void ResultPages::showMessage(const QString& text)
{
    if (m_options.message) {
        m_options.message(text);
        return;
    }
    // Captioned with the application's title, as the question dialog is.
    showPlainMessage(m_dialogParent, QMessageBox::Information, programTitle(), text);
}

QDateTime ResultPages::currentDateTime() const
{
    return m_options.now ? m_options.now() : QDateTime::currentDateTime();
}

void ResultPages::RankTable()
{
    const int page = activePage();
    ResultTable table = readResultGrid(*m_grids[page]);
    rankTable(page, table);
}

void ResultPages::rankTable(int page, ResultTable& table)
{
    TSortGrid* grid = m_grids[page];
    const int currentRow = grid->Row();

    RankOptions options;
    options.trackLength = m_classBook.trackLengths[page];
    options.placeOrder = sbPlatz->isChecked();
    options.acc = m_settings.acc;
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
    emit tableChanged(page);
}

QVector<ResultTable> ResultPages::allResultTables() const
{
    QVector<ResultTable> tables;
    tables.reserve(kClasses);
    for (int p = 0; p < kClasses; ++p)
        tables.append(cachedTable(p));
    return tables;
}

const ResultTable& ResultPages::cachedTable(int page) const
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

void ResultPages::rememberTable(int page, const ResultTable& table) const
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

QVector<ClassResults> ResultPages::classResults(const QVector<ResultTable>& tables) const
{
    QVector<ClassResults> classes;
    classes.reserve(tables.size());
    for (int p = 0; p < tables.size(); ++p)
        classes.append(ClassResults{m_classBook.captions[p], &tables[p]});
    return classes;
}

void ResultPages::writeResultsBackup(int page, const ResultTable& current)
{
    QVector<ResultTable> tables;
    tables.reserve(kClasses);
    for (int p = 0; p < kClasses; ++p)
        tables.append(p == page ? current : cachedTable(p));
    // The text is built here, from the tables as they are now; the disk
    // work runs on the writer's worker. A failed write leaves the tables as
    // they are and the next ranking tries again.
    m_backupWriter->submit(currentDateTime().date(), resultsText(classResults(tables)));
}

void ResultPages::showBackupStatus(const QString& text)
{
    QLabel* panel = m_backupStatus;
    if (!panel || panel->text() == text)
        return;
    panel->setText(text);
    panel->setToolTip(text);  // the path rarely fits the panel
}

void ResultPages::mDeleteline1Click()
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

void ResultPages::sbPlatzClick()
{
    RankTable();
}

void ResultPages::Platz1Click()
{
    sbPlatz->setChecked(!sbPlatz->isChecked());
    RankTable();
}

void ResultPages::showClassPage(int page)
{
    m_switchingPage = true;
    // The new tab is shown before the old one is hidden, so the page control
    // never falls back to another page in between.
    PageControl1->setTabVisible(page, true);
    PageControl1->setCurrentIndex(page);
    if (m_shownClassPage != page)
        PageControl1->setTabVisible(m_shownClassPage, false);
    const bool moved = m_shownClassPage != page;
    m_shownClassPage = page;
    m_classBook.activePage = page;
    m_switchingPage = false;
    if (moved)
        emit activePageChanged(page);
}

void ResultPages::LoadClasses(const QString& fileName)
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
    emit classesChanged();

    UpdateResultButtons();
    if (cmb_Klasse->count() > 0) {
        cmb_Klasse->setCurrentIndex(0);
        cmb_KlasseChange();
    } else {
        // A list without a valid line leaves page 0 current with no entry to
        // select: the field must still show the length its speeds use.
        eLEN->setText(QString::number(m_classBook.trackLengths[m_shownClassPage]));
    }
}

void ResultPages::cmb_KlasseChange()
{
    const int index = cmb_Klasse->currentIndex();
    if (index < 0 || index >= kClasses)
        return;
    showClassPage(index);
    eLEN->setText(QString::number(m_classBook.trackLengths[index]));
    UpdateResultButtons();
}

void ResultPages::cmb_KlasseKeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        AddClass();
}

void ResultPages::cmb_KlasseExit()
{
    // Focus that only passes through the box asks nothing; a typed name that
    // is not an entry is asked for, again after a "Nein".
    if (m_classTyped && m_classBook.indexOf(cmb_Klasse->currentText()) < 0)
        AddClass();
}

void ResultPages::AddClass()
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
    emit classesChanged();
    showClassPage(page);
    // The field shows the length the new page now has (inherited or its own),
    // so entering and ranking use the same length.
    eLEN->setText(QString::number(m_classBook.trackLengths[page]));
    UpdateResultButtons();
}

void ResultPages::PageControl1Change(int index)
{
    if (m_switchingPage || index < 0 || index >= kClasses)
        return;
    cmb_Klasse->setCurrentIndex(index < cmb_Klasse->count() ? index : -1);
    cmb_KlasseChange();
    PageControl1->update();
    SetResultColumnWidths();
}

QString ResultPages::chooseTextFile(const QString& name, int acceptMode, const QString& proposed)
{
    // Our own dialog, so that its texts follow the program's language.
    QFileDialog dialog(m_dialogParent, QString(), m_options.programDir, textFileTypeName() + QStringLiteral(" (*.txt)"));
    dialog.setObjectName(name);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptMode(acceptMode));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (acceptMode == QFileDialog::AcceptOpen) {
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.selectFile(proposed);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void ResultPages::sbLoadClick()
{
    QString path;
    if (m_options.chooseOpenFile) {
        path = m_options.chooseOpenFile(m_options.programDir);
    } else {
        path = chooseTextFile(QStringLiteral("OpenDialog1"), QFileDialog::AcceptOpen, QString());
    }
    if (!path.isEmpty() && isClassListFileName(path)) {
        LoadClasses(path);
        cmb_KlasseChange();
    }
    SetResultColumnWidths();
}

QStringList ResultPages::saveFilters() const
{
    QStringList filters{textFileTypeName() + QStringLiteral(" (*.txt)")};
    // Without the office the spreadsheet type is not offered at all.
    if (m_availableHeadless)
        filters << spreadsheetFileTypeName() + QStringLiteral(" (*.xlsx *.xls *.ods)");
    return filters;
}

SaveChoice ResultPages::chooseSaveFile(const QString& proposed, const QStringList& filters, int filterIndex)
{
    QFileDialog dialog(m_dialogParent, QString(), m_options.programDir);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(filters);
    const auto suffixFor = [&filters](const QString& filter) {
        return filters.indexOf(filter) == SaveChoice::kSpreadsheet - 1 ? QStringLiteral("xlsx") : QStringLiteral("txt");
    };
    const QString shown = filters.value(filterIndex - 1, filters.constFirst());
    dialog.selectNameFilter(shown);
    dialog.setDefaultSuffix(suffixFor(shown));
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog, suffixFor](const QString& filter) { dialog.setDefaultSuffix(suffixFor(filter)); });
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return SaveChoice(dialog.selectedFiles().constFirst(), int(filters.indexOf(dialog.selectedNameFilter())) + 1);
}

void ResultPages::sbSaveClick()
{
    const QString proposed = DateStampName(currentDateTime());
    const QStringList filters = saveFilters();
    const int shown = std::min<int>(m_filterInd, int(filters.size()));
    SaveChoice choice = m_options.chooseSaveFile ? m_options.chooseSaveFile(proposed, filters, shown)
                                                 : chooseSaveFile(proposed, filters, shown);
    if (choice.path.isEmpty())
        return;
    // The type chosen is the one shown first next time (and after a restart);
    // a dialog that offered only text says nothing about the operator's choice.
    if (filters.size() > 1 && (choice.filterIndex == SaveChoice::kText || choice.filterIndex == SaveChoice::kSpreadsheet))
        m_filterInd = choice.filterIndex;

    if (choice.filterIndex == SaveChoice::kSpreadsheet) {
        // The format follows the extension; a name without one of ours gets
        // the default, so "Lauf 7.12" becomes "Lauf 7.12.xlsx".
        if (platform::workbookFormatFor(choice.path) == platform::WorkbookFormat::None)
            choice.path += QStringLiteral(".xlsx");
        ExportToSpreadsheet(choice.path);
        return;
    }

    const QVector<ResultTable> tables = allResultTables();
    const WriteResult written = SaveResultsText(choice.path, classResults(tables));
    // Unlike the backup, a save the operator asked for must not fail silently.
    if (!written.ok) {
        showMessage(QStringLiteral("Die Datei \"%1\" konnte nicht gespeichert werden:\n%2")
                        .arg(QDir::toNativeSeparators(choice.path), written.error));
    }
}

void ResultPages::sbExcelClick()
{
    ExportToSpreadsheet(QString());
}

bool ResultPages::IsSpreadsheetAvailable(bool visible) const
{
    return visible ? m_availableVisible : m_availableHeadless;
}

bool ResultPages::exporting() const
{
    return m_job->running();
}

void ResultPages::waitForExport()
{
    m_job->wait();
}

void ResultPages::ExportToSpreadsheet(const QString& fileName)
{
    if (m_job->running())
        return;
    const bool visible = fileName.isEmpty();
    if (!IsSpreadsheetAvailable(visible)) {
        showMessage(QStringLiteral("Export in die Tabellenkalkulation nicht möglich:\n%1")
                        .arg(visible && m_availableHeadless
                                 ? QStringLiteral("LibreOffice kann ohne Fenster-Plug-in keine Arbeitsmappe zeigen "
                                                  "(Paket libreoffice-gtk3 oder libreoffice-core).")
                                 : QStringLiteral("LibreOffice Calc ist nicht installiert (Paket libreoffice-calc).")));
        return;
    }

    // The tables are copied here, on the user-interface thread; the worker
    // sees only this copy, so races and entries go on meanwhile.
    SpreadsheetExportInput input;
    input.fileName = fileName;
    input.tables = allResultTables();
    input.classNames = m_classBook.names;
    for (const QString& caption : m_classBook.captions)
        input.pageCaptions << caption;
    input.windowCaption = m_dialogParent ? m_dialogParent->windowTitle() : QString();
    input.applicationTitle = programTitle();
    const QString separator = QLocale().decimalPoint();
    if (!separator.isEmpty())
        input.decimalSeparator = separator.at(0);

    if (!m_splash)
        m_splash = new TFormSplash(m_dialogParent);
    m_splash->setWindowTitle(QStringLiteral("Speichern unter ") + fileName);
    m_splash->Gauge1()->setProgress(0);
    // The keyboard stays with the main window: keys typed during the export
    // are held there and carried out after it, and the window has them again
    // once the progress window goes.
    m_splash->setAttribute(Qt::WA_ShowWithoutActivating);
    m_splash->show();

    disconnect(m_job, nullptr, this, nullptr);
    connect(m_job, &SpreadsheetJob::maximumChanged, this, [this](int n) {
        if (m_splash)
            m_splash->Gauge1()->setMaxValue(std::max(n, 1));
    });
    connect(m_job, &SpreadsheetJob::positionChanged, this, [this](int n) {
        if (m_splash)
            m_splash->Gauge1()->setProgress(n);
    });
    connect(m_job, &SpreadsheetJob::finished, this,
            [this, fileName](const SpreadsheetExportResult& result) { exportEnded(result, fileName); });
    SpreadsheetJob::Factory factory = m_options.spreadsheet;
    if (!factory) {
        factory = [](bool visibleOffice) -> std::unique_ptr<platform::Spreadsheet> {
            platform::UnoOptions options;
            options.visible = visibleOffice;
            return createOfficeSpreadsheet(options);
        };
    }
    m_job->start(std::move(input), std::move(factory));
    emit exportStarted();
}

void ResultPages::exportEnded(const SpreadsheetExportResult& result, const QString& fileName)
{
    if (m_splash) {
        const bool hadKeyboard = m_splash->isActiveWindow();
        m_splash->hide();
        // The keyboard goes back to the window the operator works in before
        // the held keys are carried out there.
        if (hadKeyboard && m_dialogParent)
            m_dialogParent->activateWindow();
    }
    emit exportFinished(result.ok);
    if (!result.ok)
        showMessage(result.message(fileName));
}

void ResultPages::sbCLSClick()
{
    if (!ask(m_clearQuestion))
        return;
    TSortGrid* grid = m_grids[activePage()];
    ResultTable table = readResultGrid(*grid);
    clearResults(table);
    writeResultGrid(*grid, table);
    rememberTable(activePage(), table);
    grid->SetLeftCol(2);
    UpdateResultButtons();
    emit tableChanged(activePage());
}

JournalTable ResultPages::journalTable(int page) const
{
    JournalTable t;
    t.table = cachedTable(page);
    t.canSort = m_grids[page]->SortOptions.CanSort;
    t.sortCol = m_grids[page]->SortOptions.SortCol;
    return t;
}

void ResultPages::restoreSession(const SessionState& state)
{
    m_switchingPage = true;
    cmb_Klasse->clear();
    m_classBook.names = state.classNames;
    m_classBook.captions = state.captions;
    m_classBook.trackLengths = state.trackLengths;
    for (int p = 0; p < kClasses; ++p) {
        PageControl1->setTabText(p, QString(m_classBook.captions[p]).replace(QLatin1Char('&'), QStringLiteral("&&")));
        TSortGrid* grid = m_grids[p];
        const JournalTable& saved = state.tables[std::size_t(p)];
        writeResultGrid(*grid, saved.table);
        rememberTable(p, saved.table);
        grid->SortOptions.CanSort = saved.canSort;
        grid->SortOptions.SortCol = saved.sortCol;
        grid->SetLeftCol(2);
    }
    cmb_Klasse->addItems(m_classBook.names);
    sbPlatz->setChecked(state.placeOrder);
    const int page = validPageIndex(state.activePage);
    // Every tab but the restored page's is hidden, as choosing a class leaves them.
    PageControl1->setTabVisible(page, true);
    PageControl1->setCurrentIndex(page);
    for (int p = 0; p < kClasses; ++p) {
        if (p != page)
            PageControl1->setTabVisible(p, false);
    }
    m_shownClassPage = page;
    m_classBook.activePage = page;
    cmb_Klasse->setCurrentIndex(page < cmb_Klasse->count() ? page : -1);
    m_classTyped = false;
    m_switchingPage = false;
    eLEN->setText(QString::number(m_classBook.trackLengths[page]));
    SetResultColumnWidths();
    UpdateResultButtons();
}
