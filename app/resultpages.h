#pragma once

#include "app/settings.h"
#include "results/journal.h"
#include "results/backupwriter.h"
#include "results/classlist.h"
#include "results/resultsfile.h"
#include "results/resulttable.h"
#include "results/timeassignment.h"

#include "platform/spreadsheet.h"
#include "results/spreadsheetexport.h"

#include <QDateTime>
#include <QPointer>
#include <QObject>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;
class QToolButton;
class QWidget;
class TSortGrid;
#include "app/formsplash.h"
class SpreadsheetJob;
struct TFormatOptions;

// The controls the result pages work on; all owned by the main window.
struct ResultPagesControls {
    std::array<TSortGrid*, 21> grids{};
    QTabWidget* pages = nullptr;      // PageControl1
    QComboBox* classBox = nullptr;    // cmb_Klasse
    QLineEdit* trackLength = nullptr; // eLEN
    QToolButton* clear = nullptr;     // sbCLS
    QToolButton* save = nullptr;      // sbSave
    QToolButton* placeOrder = nullptr;  // sbPlatz
    QToolButton* spreadsheet = nullptr;  // sbExcel
    QLabel* backupStatus = nullptr;   // the status bar panel of the backup
    QWidget* dialogParent = nullptr;  // dialogs and message boxes centre on it
};

// The save dialog's answer: the file and the type it was chosen with.
struct SaveChoice {
    static constexpr int kText = 1;
    static constexpr int kSpreadsheet = 2;
    SaveChoice() = default;
    SaveChoice(QString p, int type = kText) : path(std::move(p)), filterIndex(type) {}
    QString path;  // empty: cancelled
    int filterIndex = kText;
};

// What a test may replace; the program uses the defaults.
struct ResultPagesOptions {
    std::function<bool(const QString&)> ask;  // the yes/no question
    std::function<void(const QString&)> message;  // default: a message box
    // Default: the save dialog with the file types offered, the given one shown.
    std::function<SaveChoice(const QString& proposed, const QStringList& filters, int filterIndex)> chooseSaveFile;
    std::function<QString(const QString&)> chooseOpenFile;  // default: the open dialog
    std::function<QDateTime()> now;  // default: the wall clock
    QString backupDir;   // default: the working directory at start-up
    QString programDir;  // the open dialog starts here
    // The spreadsheet application (visible: for a workbook left open);
    // default: LibreOffice through UNO.
    std::function<std::unique_ptr<platform::Spreadsheet>(bool visible)> spreadsheet;
    // Whether it is installed; default: the office's files are there.
    std::function<bool(bool visible)> spreadsheetAvailable;
};

// The 21 class pages with their result tables: the class book and track
// lengths, entering, ranking, the daily backup, saving, clearing, class
// selection and the class list. The window forwards its commands here.
class ResultPages : public QObject {
    Q_OBJECT
public:
    static constexpr int kClasses = 21;

    ResultPages(const ResultPagesControls& controls, ResultPagesOptions options, const SettingsValues& settings,
                QObject* parent = nullptr);

    TSortGrid* resultGrid(int page) const;  // 0-based page
    int activePage() const;
    const ClassBook& classBook() const { return m_classBook; }
    QString backupDir() const { return m_backupDir; }
    int ShownClassPage() const { return m_shownClassPage; }
    void setClearQuestion(const QString& text) { m_clearQuestion = text; }
    // Returns once the backups asked for so far are on disk and reported.
    void waitForBackup();

    // Enters a race into the active page's table and ranks it; messages and
    // the track length field's focus for a refused entry.
    RaceEntryResult enter(RaceEntry entry);
    void trackLengthChanged(int metres);

    void mDeleteline1Click();
    void sbPlatzClick();
    void Platz1Click();
    void RankTable();
    void SetResultColumnWidths();
    void SelectResultRow(int row);
    void selectNextResultBlock(QObject* sender);
    void UpdateResultButtons();
    void LoadClasses(const QString& fileName);
    void sbLoadClick();
    void cmb_KlasseChange();
    void cmb_KlasseKeyDown(int key);
    void cmb_KlasseExit();
    void AddClass();
    void PageControl1Change(int index);
    void sbSaveClick();
    void sbCLSClick();

    // A page's table as the journal keeps it, and the way back: classes,
    // tables, place order and the active page of a restored day.
    JournalTable journalTable(int page) const;
    void restoreSession(const SessionState& state);

    // The spreadsheet export: Ctrl+E and sbExcel without a file name, the
    // save dialog's spreadsheet type with one. It runs on a worker; the
    // progress window shows it and the result comes as exportFinished.
    void sbExcelClick();
    void ExportToSpreadsheet(const QString& fileName);
    bool IsSpreadsheetAvailable(bool visible = true) const;
    bool exporting() const;
    // Returns once a running export has ended and been reported.
    void waitForExport();
    void setSplash(TFormSplash* splash) { m_splash = splash; }
    TFormSplash* splash() const { return m_splash; }
    // The save dialog's types, text first, and the one last chosen (1 or 2).
    QStringList saveFilters() const;
    int filterInd() const { return m_filterInd; }

signals:
    // A page's table changed (entered, ranked, row deleted, cleared).
    void tableChanged(int page);
    // Class names, captions or track lengths came from a list or a new class.
    void classesChanged();
    void activePageChanged(int page);
    void exportStarted();
    void exportFinished(bool ok);

private:
    SaveChoice chooseSaveFile(const QString& proposed, const QStringList& filters, int filterIndex);
    void exportEnded(const SpreadsheetExportResult& result, const QString& fileName);
    bool ask(const QString& question);
    // The open (AcceptOpen) or save dialog for text files; empty when cancelled.
    QString chooseTextFile(const QString& name, int acceptMode, const QString& proposed);
    void SortGrid1GetCellFormat(TSortGrid* sender, int col, int row, TFormatOptions& format);
    void showMessage(const QString& text);
    QDateTime currentDateTime() const;
    void writeResultsBackup(int page, const ResultTable& current);
    void showBackupStatus(const QString& text);
    // The table of a page as plain data, re-read from its grid only when the
    // grid's contents changed since the last read.
    const ResultTable& cachedTable(int page) const;
    void rememberTable(int page, const ResultTable& table) const;
    struct CachedTable {
        quint64 generation = ~quint64(0);
        int rowCount = -1;
        ResultTable table;
    };
    mutable std::array<CachedTable, kClasses> m_tableCache;
    void rankTable(int page, ResultTable& table);
    QVector<ResultTable> allResultTables() const;
    QVector<ClassResults> classResults(const QVector<ResultTable>& tables) const;
    void showClassPage(int page);

    ResultPagesOptions m_options;
    const SettingsValues& m_settings;
    std::array<TSortGrid*, kClasses> m_grids{};
    QTabWidget* PageControl1 = nullptr;
    QComboBox* cmb_Klasse = nullptr;
    QLineEdit* eLEN = nullptr;
    QToolButton* sbCLS = nullptr;
    QToolButton* sbSave = nullptr;
    QToolButton* sbPlatz = nullptr;
    QToolButton* sbExcel = nullptr;
    QLabel* m_backupStatus = nullptr;
    QWidget* m_dialogParent = nullptr;
    QMenu* PopupMenuTable = nullptr;
    QAction* mDeleteline1 = nullptr;

    ClassBook m_classBook;
    int m_shownClassPage = 0;
    bool m_switchingPage = false;
    bool m_classTyped = false;  // the box holds a name the operator typed and no class took yet
    bool m_addingClass = false;
    QString m_backupDir;
    BackupWriter* m_backupWriter = nullptr;
    int m_filterInd = SaveChoice::kText;
    bool m_availableHeadless = false;
    bool m_availableVisible = false;
    SpreadsheetJob* m_job = nullptr;
    QPointer<TFormSplash> m_splash;
    QString m_clearQuestion = QStringLiteral("Ergebnisse löschen?");
};
