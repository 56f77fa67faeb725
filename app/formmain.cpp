#include "app/formmain.h"

#include "app/cfgdialog.h"
#include "app/clockdisplays.h"
#include "app/fdlgyesno.h"
#include "app/forminfo.h"
#include "app/frame1.h"
#include "app/htmlhelp.h"
#include "app/inputhold.h"
#include "app/jpegimage.h"
#include "app/programname.h"
#include "app/resultpages.h"
#include "app/timelist.h"
#include "controls/bitbtnwithcolor.h"
#include "controls/tag.h"
#include "platform/settingsstore.h"
#include "timing/comport.h"
#include "timing/digit.h"
#include "timing/lightbarrier.h"
#include "timing/lightbarrierport.h"
#include "timing/highrestimer.h"
#include "timing/racetime.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QCheckBox>
#include <QRadioButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>


TFormMain::TFormMain(FormMainOptions options, QWidget* parent)
    : QMainWindow(parent)
    , m_options(std::move(options))
{
    setObjectName(QStringLiteral("FormMain"));
    m_programDir = m_options.programDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_options.programDir;
    m_startDate = currentDateTime().date();
    // The settings key is named after the executable, so two copies under
    // different names keep their own settings.
    const QString baseName = m_options.settingsBaseName.isEmpty()
                                 ? programBaseName(QCoreApplication::applicationFilePath())
                                 : m_options.settingsBaseName;
    m_store = std::make_unique<platform::SettingsStore>(baseName, m_options.configRoot);
    // Read before any unit is built: each takes its stored values (the save
    // dialog's type, the port, the colours) from here.
    m_settings = readSettings(*m_store).values;
    m_helpFile = QDir(m_programDir).filePath(baseName + QStringLiteral(".chm"));

    setWindowTitle(programTitle() + QStringLiteral(" 2.5"));

    // The time base runs on the performance counter; building it never waits
    // for the time-stamp counter's calibration.
    m_highResTimer = std::make_unique<THighResTimer>(
        m_options.counters ? *m_options.counters : platform::systemCounterSource(), false);
    m_highResTimer->setUseTSC(false);

    m_beeper = m_options.beeper ? m_options.beeper() : createSystemBeeper();

    setupUi(this, this);
    m_displays = std::make_unique<ClockDisplays>(static_cast<const MainWindowUi&>(*this));
    setupResultTables();
    connectCommands();
    resize(kWindowWidth, kInitialHeight);
    applyStoredBounds();
    loadLogo();
    sbCLS->setToolTip(QStringLiteral("[Strg+X] Ergebnisse löschen"));
    sbExcel->setToolTip(QStringLiteral("[Strg+E] Ergebnisse öffnen"));

    bRESET->setText(QStringLiteral("NÄCHSTEN"));
    applyCommandStates();
    bHelp->setEnabled(QFileInfo::exists(m_helpFile));
    lookUpSound();
    ApplyAccuracy(m_settings.acc);
    ApplyDisplayColors();
    ShowTime(0, false);
    ShowTime(0, true);
    TimerDateTimer();
    setupLightBarrier();
    createRows();
    m_timeList = new TimeList(m_rows, this);
    connectJournal();
    m_timeList->buildViewsWhenIdle(100);
    finishResultsSetup();

    // Every command key reaches its command from every field that takes the
    // focus while the command is enabled (Ctrl+X clears, it does not cut).
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (widget->focusPolicy() != Qt::NoFocus)
            widget->installEventFilter(this);
    }

    TimerDate = new QTimer(this);
    TimerDate->setObjectName(QStringLiteral("TimerDate"));
    TimerDate->setInterval(5000);
    connect(TimerDate, &QTimer::timeout, this, &TFormMain::TimerDateTimer);
    TimerDate->start();
}

TFormMain::~TFormMain()
{
    // The children outlive this destructor by a little: none of their events
    // may reach the window's handlers once its members are gone.
    for (QObject* child : findChildren<QObject*>()) {
        child->removeEventFilter(this);
        disconnect(child, nullptr, this, nullptr);
    }
    // An export still running finishes before the tables it reads go; input
    // held for it has no window left to go to.
    m_inputHold->drop();
    m_pages->waitForExport();
    writeBackSettings();
    // The serial worker must end before the window it reports to.
    if (ComPort)
        ComPort->Close();
}

// ---------------------------------------------------------------- settings

void TFormMain::applyStoredBounds()
{
    if (m_settings.left && m_settings.top)
        move(*m_settings.left, *m_settings.top);
    resize(kWindowWidth, std::max(kMinHeight, m_settings.height));
}

SettingsValues TFormMain::gatherSettings() const
{
    SettingsValues values = m_settings;
    values.left = x();
    values.top = y();
    values.width = width();
    values.height = height();
    values.filterInd = m_pages->filterInd();
    if (m_barrier) {
        values.port = m_lightBarrierPort->port();
        values.alg = m_barrier->Alg();
        values.waitStart = m_barrier->WaitStart();
    }
    return values;
}

void TFormMain::writeBackSettings()
{
    // A failed write keeps the previous settings file. The window is being
    // destroyed and no longer shown, so the console hears of it.
    const QString error = writeSettings(*m_store, gatherSettings());
    if (error.isEmpty())
        return;
    const QString text = QStringLiteral("Einstellungen nicht gespeichert: %1: %2")
                             .arg(QDir::toNativeSeparators(m_store->filePath()), error);
    if (m_options.endReport)
        m_options.endReport(text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

void TFormMain::applyLanguage(QWidget* settingsDialog, QWidget* infoWindow)
{
    if (m_language.load(m_programDir, m_settings.lang) != Language::LoadResult::Loaded)
        return;
    const auto texts = m_language.apply(LanguageWindows{this, settingsDialog, infoWindow}, m_settings.charSet);
    takeLanguageTexts(texts);
    if (texts)
        m_languageApplied = true;
}

bool TFormMain::loadLanguage(const QString& name)
{
    // A file that is missing or unreadable leaves every text as it is.
    if (m_language.load(m_programDir, name) != Language::LoadResult::Loaded)
        return false;
    takeLanguageTexts(m_language.apply(LanguageWindows{this, m_cfgDialog, m_formInfo}, m_settings.charSet));
    return true;
}

void TFormMain::takeLanguageTexts(const std::optional<LanguageTexts>& texts)
{
    if (texts) {
        m_texts = *texts;
        m_closeQuestion = m_texts.closeQuestion;
        m_abortQuestion = m_texts.clearQuestion;
        m_pages->setClearQuestion(m_abortQuestion);
        m_zeitCaption = m_texts.zeitCaption;
    }
    layOutLogoText();
}

// ---------------------------------------------------------------- settings dialog

void TFormMain::setSettingsDialog(TCfgDialog* dialog)
{
    m_cfgDialog = dialog;
    connect(dialog, &TCfgDialog::languagePicked, this, [this](const QString& name, int charSet) {
        m_settings.lang = name;
        m_settings.charSet = charSet;
        loadLanguage(name);
    });
    connect(dialog, &TCfgDialog::charSetPicked, this, [this](int charSet) {
        m_settings.charSet = charSet;
        takeLanguageTexts(m_language.apply(LanguageWindows{this, m_cfgDialog, m_formInfo}, charSet));
    });
}

void TFormMain::bCFGClick()
{
    if (!m_race.commands().settings)
        return;
    if (!m_cfgDialog) {
        auto* dialog = new TCfgDialog(m_programDir, comPorts(), m_settings.charSet, this);
        setSettingsDialog(dialog);
        // The texts of a language file loaded earlier reach the new dialog too.
        if (m_language.hasLoadedFile())
            m_language.apply(LanguageWindows{nullptr, dialog, nullptr}, m_settings.charSet);
    }
    TCfgDialog* dialog = m_cfgDialog;
    dialog->fill(CfgValues{m_settings.c1, m_settings.c3, m_lightBarrierPort->port(), m_barrier->Alg(),
                           m_barrier->WaitStart(), m_settings.lang, m_settings.charSet, m_settings.playZeit});
    dialog->move(geometry().center() - QPoint(dialog->width() / 2, dialog->height() / 2));
    const bool confirmed = dialog->exec() == QDialog::Accepted;
    bool closeAsked = false;
    if (confirmed) {
        closeAsked = dialog->langIndex() != dialog->langIndexAtFill() && dialog->langIndex() == 0;
        applySettingsDialog();
    } else {
        // The character set picked in the preview stays, as the texts on
        // screen were drawn for it.
        loadLanguage(dialog->langAtShow());
        m_settings.lang = dialog->langAtShow();
    }
    ApplyAccuracy(m_settings.acc);
    PanelLeft->setFocus();
    // Back to the built-in texts only through a new start.
    if (closeAsked)
        close();
}

void TFormMain::applySettingsDialog()
{
    const TCfgDialog& dialog = *m_cfgDialog;
    m_settings.playZeit = dialog.playZeit();
    m_settings.charSet = dialog.charSetIndex();
    m_settings.lang = dialog.langText();

    m_settings.c1 = dialog.colorFon();
    m_settings.c3 = dialog.colorCifra();
    ApplyDisplayColors();
    if (!m_race.commands().running) {
        ShowTime(m_race.endTick() - m_race.startTick(), false);
        ShowTime(0, true);
    }

    m_settings.waitStart = dialog.waitStartMs();
    m_barrier->setWaitStart(m_settings.waitStart);

    // Only an entry the operator picked changes the port.
    m_lightBarrierPort->applyDialogChoice(dialog.portIndex() != dialog.portIndexAtFill(), dialog.selectedPort(),
                                          dialog.algIndex());
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    // The export finishes first; the question comes when it has.
    if (m_pages->exporting()) {
        m_closeAfterExport = true;
        event->ignore();
        return;
    }
    if (!ask(m_closeQuestion)) {
        event->ignore();
        return;
    }
    event->accept();
    // Help windows are windows of their own: left open they would keep the
    // program running without its main window, the port open and the
    // settings unwritten.
    HtmlHelp::instance().closeAll();
}

// ---------------------------------------------------------------- building

void TFormMain::connectCommands()
{
    // The clock buttons act when the mouse button goes down, so the time is
    // that of the press; Enter and Space on a focused one act the same.
    // The menu items are built after the buttons: the member is read when
    // the button acts.
    const auto clockButton = [this](TBitBtnWithColor* button, QAction* const& item) {
        button->setActsOnPress(true);
        const auto act = [&item] {
            if (item->isEnabled())
                item->trigger();
        };
        connect(button, &TBitBtnWithColor::mouseDown, this, act);
        connect(button, &QPushButton::clicked, this, act);
    };
    clockButton(bSTART, mStart);
    clockButton(bLAP, mLAP);
    clockButton(bSTOP, mStop);
    connect(bABORT, &QToolButton::clicked, this, [this] {
        if (bABORT->isEnabled())
            mAbortClick();
    });
    connect(bRESET, &QPushButton::clicked, this, [this] { sbNextClick(bRESET); });
    connect(sbClosecal, &QToolButton::clicked, this, &TFormMain::Label15Click);
    connect(mStart, &QAction::triggered, this, &TFormMain::mStartClick);
    connect(mLAP, &QAction::triggered, this, &TFormMain::mLAPClick);
    connect(mAbort, &QAction::triggered, this, &TFormMain::mAbortClick);
    connect(mStop, &QAction::triggered, this, &TFormMain::mStopClick);
    connect(mReset, &QAction::triggered, this, [this] { sbNextClick(mReset); });
    connect(Info1, &QAction::triggered, this, &TFormMain::bInfoClick);
    connect(mHilfe, &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(Hilfe1, &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(bInfo, &QToolButton::clicked, this, &TFormMain::bInfoClick);
    connect(bHelp, &QToolButton::clicked, this, &TFormMain::bHelpClick);
    connect(bCFG, &QToolButton::clicked, this, &TFormMain::bCFGClick);
    connect(EinstellunGen1, &QAction::triggered, this, &TFormMain::bCFGClick);

    m_clock = new QTimer(this);
    m_clock->setObjectName(QStringLiteral("Clock"));
    m_clock->setInterval(10);
    m_clock->setTimerType(Qt::PreciseTimer);
    connect(m_clock, &QTimer::timeout, this, &TFormMain::ClockTimer);
    connectResultCommands();
}

void TFormMain::lookUpSound()
{
    const QString path = QDir(m_programDir).filePath(QStringLiteral("ZEIT.wav"));
    if (QFileInfo::exists(path) && m_beeper && m_beeper->load(path))
        m_soundFile = path;
    else
        m_soundFile.clear();
}

// ---------------------------------------------------------------- clock

qint64 TFormMain::GetMyTickCount() const
{
    return m_highResTimer->ReadCounter();
}

qint32 TFormMain::CalcMS(qint64 ticks) const
{
    return ::CalcMS(ticks, m_highResTimer->CountSpeed());
}

QString TFormMain::TimeToText(qint64 ticks) const
{
    return ::TimeToText(CalcMS(ticks), m_settings.acc);
}

bool TFormMain::ask(const QString& question)
{
    if (m_options.ask)
        return m_options.ask(question);
    return TFDlgYesNo::ask(question, this);
}

void TFormMain::beep()
{
    if (m_settings.playZeit && !m_soundFile.isEmpty() && m_beeper)
        m_beeper->play();
}

void TFormMain::applyCommandStates()
{
    // Every enabled state and colour of the clock's commands comes from the
    // clock: the button and its menu item (its key) always together.
    const CommandStates c = m_race.commands();
    const auto set = [](QAction* item, TBitBtnWithColor* button, bool enabled, TColor colour) {
        if (item)
            item->setEnabled(enabled);
        button->setEnabled(enabled);
        button->setColor(enabled ? colour : clBtnFace);
    };
    set(mStart, bSTART, c.start, clGreen);
    set(mLAP, bLAP, c.lap, clYellow);
    set(mStop, bSTOP, c.stop, clRed);
    set(nullptr, bEintragen, c.enter, clSkyBlue);
    set(mReset, bRESET, c.next, clBlack);
    bABORT->setEnabled(c.abort);
    bCFG->setEnabled(c.settings);
    EinstellunGen1->setEnabled(c.settings);
    if (!c.running)
        m_clock->stop();
    else if (!m_clock->isActive())
        m_clock->start();
}

int TFormMain::activateRow(bool startRow, qint64 ticks)
{
    // The text takes the colour of the display's last digit as it was just
    // left: the upper one for the start row, the lower one for a ZEIT row.
    const TColor colour = startRow ? m_upper[7]->ColorOn() : m_lower[7]->ColorOn();
    const int number = m_timeList->add(startRow, ticks, TimeToText(ticks), toQColor(colour));
    // The list reaches down to its last row in use, so scrolling to the end
    // brings the new row into view.
    m_rowHost->resize(TFrame1::kWidth, std::max(m_rowHost->height(), m_timeList->count() * TFrame1::kHeight));
    ScrollBox1->verticalScrollBar()->setValue(TFrame1::kHeight * m_race.rowCount());
    return number;
}

void TFormMain::mStartClick()
{
    // The tick is read first: sound and drawing must not delay the taken time.
    startAt(GetMyTickCount());
}

void TFormMain::mLAPClick()
{
    lapAt(GetMyTickCount());
}

bool TFormMain::startAt(qint64 tick)
{
    if (!m_race.start(tick))
        return false;
    const JournalGroup group(m_journal);
    beep();
    applyCommandStates();
    activateRow(true, 0);
    journalClock();
    journalRow(1);
    bLAP->setFocus();

    m_barrier->raceStarted();
    bLAP->setText(m_zeitCaption);
    return true;
}

bool TFormMain::lapAt(qint64 tick)
{
    if (!m_race.lap(tick))
        return false;
    beep();
    const qint64 sinceStart = tick - m_race.startTick();
    ShowTime(sinceStart, true);
    m_barrier->timeTaken();
    const int number = activateRow(false, sinceStart);
    // A time older than rows already taken went in above them: they moved
    // down, so each is journalled again at its new number.
    const JournalGroup group(m_journal);
    for (int n = number; n >= 1 && n <= m_timeList->count(); ++n)
        journalRow(n);
    // At the hundredth row ZEIT goes off: the list is full.
    applyCommandStates();
    if (!m_race.commands().lap)
        bLAP->setText(m_zeitCaption);
    UpdateResultButtons();
    return true;
}

void TFormMain::mStopClick()
{
    if (!m_race.commands().stop)
        return;
    // ENDE asks first and reads the tick after the answer.
    if (!ask(QStringLiteral("Rennen beenden") + QStringLiteral("?")))
        return;
    const JournalGroup group(m_journal);
    m_race.stop(GetMyTickCount());
    ShowTime(0, false);
    ShowTime(0, true);
    m_barrier->raceEnded();
    if (m_race.state() != ClockState::Ended) {
        mResetClick();
        return;
    }
    journalClock();
    applyCommandStates();
    bLAP->setText(m_zeitCaption);
    bEintragen->setFocus();
}

void TFormMain::mAbortClick()
{
    if (m_race.abortAsks() && !ask(m_abortQuestion))
        return;
    const JournalGroup group(m_journal);
    m_barrier->raceEnded();
    mResetClick();
    m_edits[1]->setFocus();
}

void TFormMain::mResetClick()
{
    m_race.reset();
    ShowTime(0, false);
    ShowTime(0, true);
    applyCommandStates();

    m_timeList->clear();
    m_rowHost->resize(TFrame1::kWidth, 0);
    journalClock();

    m_barrier->reset();

    for (int k = 1; k <= kStartNumberFields; ++k)
        setTextColour(m_edits[k], clBlack);
    bSTART->setFocus();
}

void TFormMain::sbNextClick(QObject* sender)
{
    const JournalGroup group(m_journal);
    mAbortClick();
    m_pages->selectNextResultBlock(sender);
    for (int k = 1; k <= kStartNumberFields; ++k) {
        m_edits[k]->clear();
        setTextColour(m_edits[k], kStartNumberBlue);
    }
    m_edits[1]->setFocus();
}

void TFormMain::ClockTimer()
{
    // The shown time always comes from the ticks: a late or skipped timer
    // event never makes the clock run slow.
    ShowTime(GetMyTickCount() - m_race.startTick(), false);
}

// ---------------------------------------------------------------- light barrier

void TFormMain::setupLightBarrier()
{
    LightBarrierPort::Options port;
    THighResTimer* timeBase = m_highResTimer.get();
    port.ticks = [timeBase] { return timeBase->ReadCounter(); };
    port.countSpeed = m_highResTimer->CountSpeed();
    port.deviceOpener = m_options.deviceOpener;
    port.probe = m_options.portProbe;
    m_lightBarrierPort = new LightBarrierPort(std::move(port), this);
    ComPort = m_lightBarrierPort->comPort();
    m_barrier = m_lightBarrierPort->barrier();

    m_barrier->setCommandGuards([this] { return m_race.commands().start; }, [this] { return m_race.commands().lap; });
    m_barrier->setLapTickGuard([this](qint64 tick) { return m_race.acceptsLap(tick); });
    // An edge seen before a START taken by key (its report reached the
    // window after the key) belongs before the race: the clock refuses it.
    connect(m_barrier, &LightBarrier::startRequested, this, [this](qint64 tick) { startAt(tick); });
    connect(m_barrier, &LightBarrier::lapRequested, this, [this](qint64 tick) { lapAt(tick); });
    connect(m_barrier, &LightBarrier::picturesChanged, this, &TFormMain::applyBarrierPictures);
    connect(m_lightBarrierPort, &LightBarrierPort::statusMessage, this, [this](const QString& text) {
        if (auto* panel = StatusBar1->findChild<QLabel*>(QStringLiteral("StatusPanel0")))
            panel->setText(text);
    });
    connect(Lock1, &QAction::triggered, this, &TFormMain::Lock1Click);
    ImageLSstart->installEventFilter(this);
    ImageLSstop->installEventFilter(this);

    // Opens the stored port; the port probe that feeds the settings dialog's
    // list follows after start-up.
    m_lightBarrierPort->start(m_settings.port, m_settings.alg, m_settings.waitStart);
    applyBarrierPictures();
}

void TFormMain::startPortProbe() const
{
    m_lightBarrierPort->startPortProbe();
}

quint32 TFormMain::comPorts() const
{
    return m_lightBarrierPort->comPorts();
}

bool TFormMain::openPort(int port, QString* error)
{
    return m_lightBarrierPort->openPort(port, error);
}

void TFormMain::Lock1Click()
{
    m_barrier->Lock1Click();
}

void TFormMain::applyBarrierPictures()
{
    const auto apply = [](QLabel* image, const BarrierPicture& picture, int tag) {
        setTag(image, tag);
        image->setPixmap(barrierPicture(picture.imageIndex));
        image->setEnabled(picture.enabled);
        image->setVisible(picture.visible);
    };
    apply(ImageLSstart, m_barrier->startPicture(), m_barrier->startTag());
    apply(ImageLSstop, m_barrier->stopPicture(), m_barrier->stopTag());
}

// ---------------------------------------------------------------- display

void TFormMain::ShowTime(qint64 ticks, bool lower)
{
    m_displays->show(splitTime(CalcMS(ticks)), lower);
}

void TFormMain::ApplyAccuracy(int acc)
{
    m_displays->applyAccuracy(acc);
}

void TFormMain::ApplyDisplayColors()
{
    m_displays->applyColours(m_settings.c1, m_settings.c2, m_settings.c3);
}

void TFormMain::setAccuracy(int acc)
{
    m_settings.acc = acc;
    ApplyAccuracy(acc);
}

void TFormMain::setDisplayColors(TColor c1, TColor c2, TColor c3)
{
    m_settings.c1 = c1;
    m_settings.c2 = c2;
    m_settings.c3 = c3;
}

TFrame1* TFormMain::row(int number) const
{
    return number >= 1 && number <= kRows ? m_rows[number] : nullptr;
}

// ---------------------------------------------------------------- logo, help, information

void TFormMain::loadLogo()
{
    // A missing or damaged logo just leaves the hint that says what to put there.
    const auto image = loadJpegFile(QDir(m_programDir).filePath(QStringLiteral("Logo.jpg")));
    if (!image)
        return;
    const QPixmap pixmap = QPixmap::fromImage(*image).scaled(Logo->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    Logo->setPixmap(pixmap);
    Logo->setToolTip(QString());
    m_logoLoaded = true;
}

void TFormMain::bInfoClick()
{
    if (!m_formInfo)
        m_formInfo = new TFormInfo(this);
    m_formInfo->setBackupFolder(m_pages->backupDir());
    m_formInfo->exec();
}

void TFormMain::ImageDEClick()
{
    // Whether the desktop could open it is not reported.
    QDesktopServices::openUrl(TFormInfo::defaultLinkUrl());
}

void TFormMain::bHelpClick()
{
    // Without the help file (or the help library) the request does nothing.
    HtmlHelp::instance().showTableOfContents(m_helpFile);
}

// ---------------------------------------------------------------- date panel

void TFormMain::TimerDateTimer()
{
    showDateTime(currentDateTime());
}

QDateTime TFormMain::currentDateTime() const
{
    return m_options.results.now ? m_options.results.now() : QDateTime::currentDateTime();
}

void TFormMain::PanelDateClick()
{
    showCalendar(m_startDate);
}

void TFormMain::Label15Click()
{
    PanelCal->hide();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event)
{
    // The command keys win over the text fields' own keys (Ctrl+X clears the
    // results, it does not cut the start number), as long as the command is
    // enabled; otherwise the field keeps its key.
    if (event->type() == QEvent::ShortcutOverride) {
        if (enabledShortcut(MainMenu1->actions(), *static_cast<QKeyEvent*>(event)))
            return true;
        return QMainWindow::eventFilter(watched, event);
    }
    if (watched == cmb_Klasse) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                cmb_KlasseKeyDown(key);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // A dialog or the box's own list taking the focus is no leaving.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                cmb_KlasseExit();
        }
    }
    if (event->type() == QEvent::MouseButtonPress && m_barrier) {
        if (watched == ImageLSstart) {
            m_barrier->ImageLSClick(LightBarrier::Picture::Start);
            return true;
        }
        if (watched == ImageLSstop) {
            m_barrier->ImageLSClick(LightBarrier::Picture::Stop);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const QString name = watched->objectName();
        if (watched->parent() == Panel1
            && (name == QLatin1String("Image5") || name == QLatin1String("Label7") || name == QLatin1String("Label8")
                || name == QLatin1String("Label5"))) {
            ImageDEClick();
            return true;
        }
        if (watched == PanelDate) {
            PanelDateClick();
            return true;
        }
        if (watched == Label15) {
            Label15Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    SetResultColumnWidths();
}
