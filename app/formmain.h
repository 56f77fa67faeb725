#pragma once

#include "app/beeper.h"
#include "app/cfgdialog.h"
#include "app/language.h"
#include "app/mainwindowui.h"
#include "app/resultpages.h"
#include "app/settings.h"
#include "controls/tcolor.h"
#include "platform/counters.h"
#include "platform/serialdevice.h"
#include "results/classlist.h"
#include "results/resultsfile.h"
#include "timing/raceclock.h"

#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QEvent>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QCalendarWidget;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QComboBox;
class QScrollArea;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolButton;
class QPlainTextEdit;
class TBitBtnWithColor;
class TDigit;
class TFrame1;
class THighResTimer;
class TFormInfo;
class TFormSplash;
class TComPort;
class LightBarrier;
class LightBarrierPort;
class TSortGrid;
class ClockDisplays;
class TimeList;
class InputHold;
class LiveLink;
class JournalWriter;
struct JournalRecord;
struct SessionState;
struct TFormatOptions;

// What a test or a benchmark may replace; the program uses the defaults.
struct FormMainOptions {
    std::optional<platform::CounterSource> counters;   // default: the machine's counters
    QString programDir;                                // default: the executable's folder
    std::function<std::unique_ptr<TBeeper>()> beeper;  // default: the desktop's audio
    // Answers the yes/no questions instead of the dialog (tests of flows that
    // are not about the dialog itself).
    std::function<bool(const QString&)> ask;
    QString settingsBaseName;  // default: the executable's base name
    QString configRoot;        // default: the user's XDG config folder
    // Opens the light barrier's device; default: the serial port COM n maps to.
    std::function<platform::DeviceOpenResult(int port)> deviceOpener;
    // The start-up port probe (bit n-1: COMn answered, upper 16 bits: the
    // highest port found); default: the probe over the user's port map.
    std::function<quint32()> portProbe;

    // The result pages' own seams: backup folder, wall clock, file choosers,
    // message boxes (the question and the program folder come from here).
    ResultPagesOptions results;
    // Hears a failure at program end, when the window is already gone;
    // default: standard error.
    std::function<void(const QString&)> endReport;
};

namespace platform {
class SettingsStore;
}

// The program's main window: owner of the race clock, the time list, the
// displays and the command map.
class TFormMain : public QMainWindow, private MainWindowUi {
    Q_OBJECT
public:
    static constexpr int kRows = 100;
    static constexpr int kStartNumberFields = 5;
    static constexpr int kClasses = 21;

    explicit TFormMain(FormMainOptions options = {}, QWidget* parent = nullptr);
    ~TFormMain() override;

    // Clock operations.
    qint64 GetMyTickCount() const;
    qint32 CalcMS(qint64 ticks) const;
    QString TimeToText(qint64 ticks) const;
    void ShowTime(qint64 ticks, bool lower);
    void ApplyAccuracy(int acc);
    void ApplyDisplayColors();

    // START and ZEIT by key or button: taken at the tick read first thing.
    void mStartClick();
    void mLAPClick();
    // START and ZEIT at a tick seen earlier: a light-barrier edge, or a key
    // held during an export. False when the command did not take it.
    bool startAt(qint64 tick);
    bool lapAt(qint64 tick);
    void mStopClick();
    void mAbortClick();
    void mResetClick();
    void sbNextClick(QObject* sender);
    void ClockTimer();
    void TimerDateTimer();
    QDateTime currentDateTime() const;
    void bInfoClick();
    void bHelpClick();
    void ImageDEClick();
    // F2, bCFG and EinstellunGen1: the settings dialog, while the clock allows it.
    void bCFGClick();
    // The settings dialog main() created; without one the window makes its
    // own on first use.
    void setSettingsDialog(TCfgDialog* dialog);
    TCfgDialog* settingsDialog() const { return m_cfgDialog; }
    // The information window main() created; without one the window makes
    // its own on first use.
    void setInfoWindow(TFormInfo* info) { m_formInfo = info; }
    QString helpFile() const { return m_helpFile; }

    // Light barrier.
    TComPort* comPort() const { return ComPort; }
    LightBarrier* lightBarrier() const { return m_barrier; }
    // Makes n the light barrier's port and opens it (0 closes it); false
    // with the reason on failure.
    bool openPort(int port, QString* error = nullptr);
    void Lock1Click();
    // The free ports and the stored one; waits for the probe started with
    // the window.
    quint32 comPorts() const;
    bool logoLoaded() const { return m_logoLoaded; }
    void PanelDateClick();
    void Label15Click();

    // State a caller may read.
    const RaceClock& raceClock() const { return m_race; }
    int rowCount() const { return m_race.rowCount(); }
    qint64 raceStartTick() const { return m_race.startTick(); }
    qint64 lastZeitTick() const { return m_race.lastLapTick(); }
    qint64 endTick() const { return m_race.endTick(); }
    int accuracy() const { return m_settings.acc; }
    void setAccuracy(int acc);
    bool playZeit() const { return m_settings.playZeit; }
    void setPlayZeit(bool on) { m_settings.playZeit = on; }
    const QString& soundFile() const { return m_soundFile; }
    TColor C1() const { return m_settings.c1; }
    TColor C2() const { return m_settings.c2; }
    TColor C3() const { return m_settings.c3; }
    void setDisplayColors(TColor c1, TColor c2, TColor c3);
    TFrame1* row(int number) const;  // 1-based
    const TimeList& timeList() const { return *m_timeList; }
    QTimer* clockTimer() const { return m_clock; }
    // The caption bLAP gets back after a race; a language file may replace it.
    void setZeitCaption(const QString& caption) { m_zeitCaption = caption; }
    QString zeitCaption() const { return m_zeitCaption; }
    void setAbortQuestion(const QString& text) { m_abortQuestion = text; }

    // Settings and language.
    // As read at start-up and changed here; the light barrier's port,
    // contact and lock-out are its own (gatherSettings has them as they are).
    const SettingsValues& settings() const { return m_settings; }
    LiveLink* live() const { return m_live; }
    SettingsValues gatherSettings() const;
    void writeBackSettings();
    // Loads the language file named by Lang and applies it to the main window
    // and the given windows (called once all windows exist).
    void applyLanguage(QWidget* settingsDialog, QWidget* infoWindow);
    const LanguageTexts& texts() const { return m_texts; }
    const QString& programDir() const { return m_programDir; }
    // A language file was found and applied at start-up.
    bool languageFileApplied() const { return m_languageApplied; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void lookUpSound();
    void connectCommands();
    void applyStoredBounds();
    void loadLogo();
    bool loadLanguage(const QString& name);
    void takeLanguageTexts(const std::optional<LanguageTexts>& texts);
    void applySettingsDialog();

    bool ask(const QString& question);
    void beep();
    int activateRow(bool startRow, qint64 ticks);
    void applyCommandStates();
    void setupLightBarrier();
    void applyBarrierPictures();
    void UpdateResultButtons();

    FormMainOptions m_options;
    std::unique_ptr<platform::SettingsStore> m_store;
    SettingsValues m_settings;
    Language m_language;
    LanguageTexts m_texts;
    bool m_languageApplied = false;
    std::unique_ptr<THighResTimer> m_highResTimer;
    std::unique_ptr<ClockDisplays> m_displays;
    std::unique_ptr<TBeeper> m_beeper;
    QString m_programDir;
    QDate m_startDate;  // the calendar shows it for the whole run
    QString m_helpFile;
    bool m_logoLoaded = false;
    TFormInfo* m_formInfo = nullptr;
    QPointer<TCfgDialog> m_cfgDialog;

    // Clock state.
    RaceClock m_race;
    QString m_soundFile;
    QString m_zeitCaption = QStringLiteral("ZEIT");
    QString m_abortQuestion = QStringLiteral("Ergebnisse löschen?");
    QString m_closeQuestion = QStringLiteral("Programm beenden?");
    // The port, its probe, the trigger and the setting `Port` are one unit;
    // the window wires its commands and pictures to it.
    void startPortProbe() const;
    LightBarrierPort* m_lightBarrierPort = nullptr;
    TComPort* ComPort = nullptr;
    LightBarrier* m_barrier = nullptr;

    // Display colours and dimming slots.

    QTimer* TimerDate = nullptr;
    QTimer* m_clock = nullptr;
    QTimer* TimerLS = nullptr;
    QTimer* Timer1 = nullptr;


    // ------------------------------------------------------------------
    // Result tables, classes and results files: the result pages do the
    // work; these entry points forward to them (formmain_results.cpp).
public:
    TSortGrid* resultGrid(int page) const;  // 0-based page
    int activePage() const;
    const ClassBook& classBook() const;
    QString backupDir() const;
    int ShownClassPage() const;
    // Returns once the daily backups asked for so far are written and shown.
    void waitForBackup();

    void EintragenClick();
    void mDeleteline1Click();
    void sbPlatzClick();
    void Platz1Click();
    void RankTable();
    void SetResultColumnWidths();
    void SelectResultRow(int row);
    void RefreshAssignments();
    void LoadClasses(const QString& fileName);
    void sbLoadClick();
    void cmb_KlasseChange();
    void cmb_KlasseKeyDown(int key);
    void cmb_KlasseExit();
    void AddClass();
    void PageControl1Change(int index);
    void sbSaveClick();
    void sbCLSClick();
    void Timer1Timer();

    // ------------------------------------------------------------------
    // The race journal (formmain_journal.cpp): what the window shows as one
    // value, the way back from it, and the writer every change is told to.
    SessionState sessionState() const;
    // Brings back a journalled day; a race that was running shows as ended
    // at its last taken time. Call before setJournal.
    void restoreSession(const SessionState& state);
    void setJournal(JournalWriter* journal);
    // The status bar panel the journal reports in; `details` go to its tip.
    void showJournalStatus(const QString& text, const QString& details = {});
    // The journal could not be written (shown once).
    void journalFailed(const QString& reason);
    QString journalStatus() const;
    // Spreadsheet export (Ctrl+E, sbExcel, the save dialog's spreadsheet type).
    void sbExcelClick();
    void ExportToSpreadsheet(const QString& fileName);
    bool exporting() const;
    // Returns once a running export has ended and the held input was handled.
    void waitForExport();
    // The progress window main() created; without one the window makes its own.
    void setSplash(TFormSplash* splash);
    TFormSplash* splash() const;

private:
    void connectJournal();
    void journal(JournalRecord record);
    void journalClock();
    void journalRow(int n);
    void journalStartNumbers();
    // Holds the records of one command together until it is done.
    struct JournalGroup {
        explicit JournalGroup(JournalWriter* writer);
        ~JournalGroup();
        JournalWriter* writer;
    };
    JournalWriter* m_journal = nullptr;
    bool m_journalFailureShown = false;
    // The journal's records also feed live results; both share the status panel.
    LiveLink* m_live = nullptr;
    QString m_journalText, m_journalDetails;

    void setupResultTables();
    void finishResultsSetup();
    void connectResultCommands();
    void eLENChange(QLineEdit* field);

    InputHold* m_inputHold = nullptr;
    bool m_closeAfterExport = false;

    ResultPages* m_pages = nullptr;
    TimeList* m_timeList = nullptr;
};
