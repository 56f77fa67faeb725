#include "app/formmain.h"

#include "app/fdlgyesno.h"
#include "app/artwork.h"
#include "app/forminfo.h"
#include "app/frame1.h"
#include "app/htmlhelp.h"
#include "app/jpegimage.h"
#include "controls/bitbtnwithcolor.h"
#include "controls/tag.h"
#include "platform/settingsstore.h"
#include "timing/comport.h"
#include "timing/digit.h"
#include "timing/lightbarrier.h"
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

namespace {

constexpr int kWindowWidth = 1206;
constexpr int kMinHeight = 492;
constexpr int kInitialHeight = 543;
constexpr int kTopBarHeight = 37;
constexpr int kRightColumnWidth = 370;
constexpr int kLeftWidth = kWindowWidth - kRightColumnWidth;
constexpr int kClockStripHeight = 221;
constexpr int kLogoWidth = 284;
constexpr int kPanelTimerWidth = 494;
constexpr int kPanelTimerHidden = 126;  // left part of the clock panel kept out of view
constexpr int kClockViewWidth = kPanelTimerWidth - kPanelTimerHidden;
constexpr TColor kStartNumberBlue = 11031552;  // red 0, green 84, blue 168

QFont arialFont(int pixels, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void setBackground(QWidget* widget, TColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, toQColor(colour));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setTextColour(QWidget* widget, TColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, toQColor(colour));
    palette.setColor(QPalette::Text, toQColor(colour));
    palette.setColor(QPalette::ButtonText, toQColor(colour));
    widget->setPalette(palette);
}

// The two states of a light-barrier picture: locked (0) and free (1).
QPixmap barrierPicture(int state)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(state ? QColor(0, 170, 0) : QColor(200, 0, 0));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(QPen(Qt::white, 3));
    if (state) {
        p.drawLine(QPointF(9, 16), QPointF(14, 22));
        p.drawLine(QPointF(14, 22), QPointF(23, 10));
    } else {
        p.drawLine(QPointF(9, 16), QPointF(23, 16));
    }
    return pixmap;
}

QToolButton* makeToolButton(QWidget* parent, const QString& name, const QString& text, const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void setGlyph(QToolButton* button, ToolGlyph glyph, int side)
{
    button->setIcon(toolGlyph(glyph));
    button->setIconSize(QSize(side, side));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

QFrame* makePanel(QWidget* parent, const QString& name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    return panel;
}

}  // namespace

TFormMain::TFormMain(FormMainOptions options, QWidget* parent)
    : QMainWindow(parent)
    , m_options(std::move(options))
{
    setObjectName(QStringLiteral("FormMain"));
    m_programDir = m_options.programDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_options.programDir;
    // The settings key is named after the executable, so two copies under
    // different names keep their own settings.
    const QString baseName = m_options.settingsBaseName.isEmpty()
                                 ? QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()
                                 : m_options.settingsBaseName;
    m_store = std::make_unique<platform::SettingsStore>(baseName, m_options.configRoot);
    m_helpFile = QDir(m_programDir).filePath(baseName + QStringLiteral(".chm"));

    const QString title = QApplication::applicationName().isEmpty() ? QStringLiteral("Pylonix")
                                                                    : QApplication::applicationName();
    setWindowTitle(title + QStringLiteral(" 2.5"));

    // The time base runs on the performance counter; building it never waits
    // for the time-stamp counter's calibration.
    m_highResTimer = std::make_unique<THighResTimer>(
        m_options.counters ? *m_options.counters : platform::systemCounterSource(), false);
    m_highResTimer->setUseTSC(false);

    m_beeper = m_options.beeper ? m_options.beeper() : createSystemBeeper();

    buildWindow();
    buildMenu();
    buildCalendar();
    setupResultTables();
    resize(kWindowWidth, kInitialHeight);
    readSettingsIntoHomes();
    loadLogo();
    sbCLS->setToolTip(QStringLiteral("[Strg+X] Ergebnisse löschen"));
    sbExcel->setToolTip(QStringLiteral("[Strg+E] Ergebnisse öffnen"));

    bRESET->setText(QStringLiteral("NÄCHSTEN"));
    applyCommandStates();
    bHelp->setEnabled(QFileInfo::exists(m_helpFile));
    lookUpSound();
    ApplyAccuracy(m_acc);
    ApplyDisplayColors();
    ShowTime(0, false);
    ShowTime(0, true);
    TimerDateTimer();
    setupLightBarrier();
    createRows();
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
    writeBackSettings();
    // The serial worker must end before the window it reports to.
    if (ComPort)
        ComPort->Close();
}

// ---------------------------------------------------------------- settings

void TFormMain::readSettingsIntoHomes()
{
    const SettingsReadResult read = readSettings(*m_store);
    m_settings = read.values;
    if (m_settings.left && m_settings.top)
        move(*m_settings.left, *m_settings.top);
    resize(kWindowWidth, std::max(kMinHeight, m_settings.height));
    m_c1 = m_settings.c1;
    m_c2 = m_settings.c2;
    m_c3 = m_settings.c3;
    m_acc = m_settings.acc;
    m_playZeit = m_settings.playZeit;
}

SettingsValues TFormMain::gatherSettings() const
{
    SettingsValues values = m_settings;
    values.left = x();
    values.top = y();
    values.width = width();
    values.height = height();
    values.c1 = m_c1;
    values.c2 = m_c2;
    values.c3 = m_c3;
    values.acc = m_acc;
    values.playZeit = m_playZeit;
    if (m_barrier) {
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
    if (const auto texts = m_language.apply(LanguageWindows{this, settingsDialog, infoWindow}, m_settings.charSet)) {
        m_texts = *texts;
        m_closeQuestion = m_texts.closeQuestion;
        m_abortQuestion = m_texts.clearQuestion;
        m_zeitCaption = m_texts.zeitCaption;
        m_languageApplied = true;
    }
    layOutLogoText();
}

void TFormMain::closeEvent(QCloseEvent* event)
{
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

void TFormMain::buildWindow()
{
    setMinimumSize(kWindowWidth, kMinHeight);
    setMaximumWidth(kWindowWidth);

    m_central = new QWidget(this);
    m_central->setObjectName(QStringLiteral("Central"));
    setCentralWidget(m_central);
    auto* column = new QVBoxLayout(m_central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    buildTopBar(m_central);
    column->addWidget(Panel1);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    column->addLayout(body, 1);

    PanelLeft = makePanel(m_central, QStringLiteral("PanelLeft"));
    PanelLeft->setFixedWidth(kLeftWidth);
    auto* left = new QVBoxLayout(PanelLeft);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    buildClockStrip(PanelLeft);
    left->addWidget(PanelTimerOwner);
    buildPages(PanelLeft);
    left->addWidget(PageControl1, 1);
    body->addWidget(PanelLeft);

    buildRightColumn(m_central);
    body->addWidget(Panel3);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    const std::array<int, 3> widths{210, 286, 200};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(StatusBar1);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFixedWidth(widths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(panel);
    }
    setStatusBar(StatusBar1);
}

void TFormMain::buildTopBar(QWidget* parent)
{
    Panel1 = makePanel(parent, QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kTopBarHeight);
    Panel1->setFont(arialFont(16, true));
    setBackground(Panel1, rgbColor(64, 72, 96));
    setTextColour(Panel1, clWhite);

    bHelp = makeToolButton(Panel1, QStringLiteral("bHelp"), QStringLiteral("?"), QStringLiteral("[F1] Hilfe"));
    bHelp->setGeometry(2, 0, 38, 36);
    bCFG = makeToolButton(Panel1, QStringLiteral("bCFG"), QString(), QStringLiteral("[F2] Einstellungen"));
    setGlyph(bCFG, ToolGlyph::Settings, 26);
    bCFG->setGeometry(42, 0, 38, 36);
    bInfo = makeToolButton(Panel1, QStringLiteral("bInfo"), QStringLiteral("i"), QStringLiteral("[F3] Information"));
    bInfo->setGeometry(82, 0, 38, 36);

    auto* classLabel = new QLabel(QStringLiteral("Klasse:"), Panel1);
    classLabel->setObjectName(QStringLiteral("LabelKlasse"));
    classLabel->setGeometry(140, 0, 80, 37);
    classLabel->setAlignment(Qt::AlignVCenter | Qt::AlignRight);

    cmb_Klasse = new QComboBox(Panel1);
    cmb_Klasse->setObjectName(QStringLiteral("cmb_Klasse"));
    cmb_Klasse->setEditable(true);
    cmb_Klasse->setGeometry(228, 5, 360, 27);
    setTextColour(cmb_Klasse, clBlack);

    sbLoad = makeToolButton(Panel1, QStringLiteral("sbLoad"), QStringLiteral("…"), QStringLiteral("fsbLoad"));
    sbLoad->setGeometry(592, 4, 30, 29);

    // The maker's mark; a click opens the same address as the information window's link.
    auto* image5 = new QLabel(Panel1);
    image5->setObjectName(QStringLiteral("Image5"));
    image5->setGeometry(650, 2, 32, 32);
    image5->setPixmap(pylonixIcon().pixmap(32, 32));
    // The logo text: its first word may come from a language file, so the
    // words are placed one after the other by their widths (layOutLogoText).
    auto* label7 = new QLabel(QStringLiteral("Pylonix"), Panel1);
    label7->setObjectName(QStringLiteral("Label7"));
    auto* label8 = new QLabel(QStringLiteral("Zeitnahme"), Panel1);
    label8->setObjectName(QStringLiteral("Label8"));
    label8->setFont(arialFont(16, false));
    auto* label5 = new QLabel(QStringLiteral("Kronwerk"), Panel1);
    label5->setObjectName(QStringLiteral("Label5"));
    label5->setFont(arialFont(12, false));
    for (QLabel* mark : {image5, label7, label8, label5}) {
        mark->setCursor(Qt::PointingHandCursor);
        mark->installEventFilter(this);
    }
    m_logoWords = {label7, label8, label5};
    layOutLogoText();

    PanelDate = new QLabel(QStringLiteral("00:00"), Panel1);
    PanelDate->setObjectName(QStringLiteral("PanelDate"));
    PanelDate->setGeometry(kWindowWidth - 260, 4, 250, 29);
    PanelDate->setAlignment(Qt::AlignCenter);
    PanelDate->setFont(arialFont(21, false));
    setBackground(PanelDate, clBlack);
    setTextColour(PanelDate, clSilver);
    PanelDate->setCursor(Qt::PointingHandCursor);
    PanelDate->installEventFilter(this);
}

void TFormMain::layOutLogoText()
{
    int x = 688;
    for (QLabel* word : m_logoWords) {
        word->adjustSize();
        word->setGeometry(x, 0, word->width(), kTopBarHeight);
        x += word->width() + 6;
    }
}

void TFormMain::buildRightColumn(QWidget* parent)
{
    Panel3 = makePanel(parent, QStringLiteral("Panel3"));
    Panel3->setFixedWidth(kRightColumnWidth);
    auto* column = new QVBoxLayout(Panel3);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel4 = makePanel(Panel3, QStringLiteral("Panel4"));
    Panel4->setFixedHeight(58);
    Panel4->setFrameShape(QFrame::StyledPanel);
    auto* caption = new QLabel(QStringLiteral("Start-Nr.:"), Panel4);
    caption->setObjectName(QStringLiteral("Label2"));
    caption->setFont(arialFont(13, true));
    caption->setGeometry(6, 2, 200, 18);
    QFont editFont(QStringLiteral("Courier New"));
    editFont.setPixelSize(17);
    editFont.setBold(true);
    for (int k = 1; k <= kStartNumberFields; ++k) {
        auto* edit = new QLineEdit(Panel4);
        edit->setObjectName(QStringLiteral("Edit%1").arg(k));
        edit->setMaxLength(5);
        edit->setFont(editFont);
        edit->setAlignment(Qt::AlignCenter);
        edit->setGeometry(6 + (k - 1) * 72, 22, 66, 30);
        setTextColour(edit, kStartNumberBlue);
        m_edits[k] = edit;
    }
    column->addWidget(Panel4);

    ScrollBox1 = new QScrollArea(Panel3);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Marking the rows must leave the focus on EINTRAGEN, where ENDE put it.
    ScrollBox1->setFocusPolicy(Qt::NoFocus);
    ScrollBox1->setWidgetResizable(false);
    m_rowHost = new QWidget;
    m_rowHost->setObjectName(QStringLiteral("RowHost"));
    m_rowHost->resize(TFrame1::kWidth, 0);
    ScrollBox1->setWidget(m_rowHost);
    column->addWidget(ScrollBox1, 1);

    Memo1 = new QPlainTextEdit(Panel3);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->hide();
    column->addWidget(Memo1);
}

void TFormMain::buildClockStrip(QWidget* parent)
{
    PanelTimerOwner = makePanel(parent, QStringLiteral("PanelTimerOwner"));
    PanelTimerOwner->setFixedHeight(kClockStripHeight);

    Logo = new QLabel(PanelTimerOwner);
    Logo->setObjectName(QStringLiteral("Logo"));
    Logo->setGeometry(0, 0, kLogoWidth, 220);
    Logo->setToolTip(QStringLiteral("Logo.jpg (284x220)"));
    Logo->setAlignment(Qt::AlignCenter);
    Logo->setFrameShape(QFrame::StyledPanel);

    eLEN = new QLineEdit(QStringLiteral("0"), PanelTimerOwner);
    eLEN->setObjectName(QStringLiteral("eLEN"));
    eLEN->setGeometry(6, 193, 70, 24);
    eLEN->setAlignment(Qt::AlignRight);
    auto* unit = new QLabel(QStringLiteral("m"), PanelTimerOwner);
    unit->setObjectName(QStringLiteral("tLEN"));
    unit->setGeometry(80, 193, 20, 24);

    // The clock panel is wider than its view; its hidden hour digits lie in
    // the part that is kept out of sight.
    auto* clockView = makePanel(PanelTimerOwner, QStringLiteral("PanelClockView"));
    clockView->setGeometry(kLogoWidth, 0, kClockViewWidth, kClockStripHeight);
    buildTimerPanel(clockView);

    buildButtonPanel(PanelTimerOwner);
    Panel5->setGeometry(kLogoWidth + kClockViewWidth, 0, kLeftWidth - kLogoWidth - kClockViewWidth,
                        kClockStripHeight);
}

void TFormMain::buildTimerPanel(QWidget* parent)
{
    PanelTimer = makePanel(parent, QStringLiteral("PanelTimer"));
    PanelTimer->setGeometry(-kPanelTimerHidden, 0, kPanelTimerWidth, 222);
    PanelTimer->setFrameShape(QFrame::Panel);
    PanelTimer->setFrameShadow(QFrame::Raised);
    PanelTimer->setLineWidth(5);

    const std::array<int, 8> columns{8, 56, 136, 184, 264, 312, 392, 440};
    for (int i = 0; i < 8; ++i) {
        auto* digit = new TDigit(PanelTimer);
        digit->setObjectName(QStringLiteral("Digit%1").arg(i + 1));
        digit->setGeometry(columns[i], 11, 45, 89);
        digit->setThickness(5);
        digit->setSeparation(1);
        m_upper[i] = digit;
    }
    const std::array<int, 8> lowerNumbers{12, 13, 15, 16, 18, 19, 21, 22};
    for (int i = 0; i < 8; ++i) {
        auto* digit = new TDigit(PanelTimer);
        digit->setObjectName(QStringLiteral("Digit%1").arg(lowerNumbers[i]));
        digit->setGeometry(columns[i], 136, 45, 69);
        digit->setThickness(5);
        digit->setSeparation(1);
        m_lower[i] = digit;
    }
    // Hours are never shown; they still get values and colours.
    for (TDigit* digit : {m_upper[0], m_upper[1], m_lower[0], m_lower[1]})
        digit->hide();

    QFont separatorFont(QStringLiteral("Times New Roman"));
    separatorFont.setPixelSize(64);
    separatorFont.setBold(true);
    auto separator = [&](const QString& name, const QString& text, int x, int y) {
        auto* label = new QLabel(text, PanelTimer);
        label->setObjectName(name);
        label->setFont(separatorFont);
        label->adjustSize();
        label->move(x, y);
        label->setAttribute(Qt::WA_TranslucentBackground);
        return label;
    };
    LabHour = separator(QStringLiteral("LabHour"), QStringLiteral(":"), 109, 11);
    LabHour->hide();
    LabMin = separator(QStringLiteral("LabMin"), QStringLiteral(":"), 236, 11);
    LabSec = separator(QStringLiteral("LabSec"), QStringLiteral(","), 368, 41);
    LabHour2 = separator(QStringLiteral("LabHour2"), QStringLiteral(":"), 109, 136);
    LabHour2->hide();
    LabMin2 = separator(QStringLiteral("LabMin2"), QStringLiteral(":"), 236, 136);
    LabSec2 = separator(QStringLiteral("LabSec2"), QStringLiteral(","), 368, 146);

    const QFont captionFont = arialFont(19, true);
    auto caption = [&](const QString& name, const QString& text, int x) {
        auto* label = new QLabel(text, PanelTimer);
        label->setObjectName(name);
        label->setFont(captionFont);
        label->adjustSize();
        label->move(x, 106);
        label->setAttribute(Qt::WA_TranslucentBackground);
        return label;
    };
    Lab_Hour = caption(QStringLiteral("Lab_Hour"), QStringLiteral("Std."), 40);
    Lab_Hour->hide();
    Lab_Min = caption(QStringLiteral("Lab_Min"), QStringLiteral("Min."), 164);
    Lab_sek = caption(QStringLiteral("Lab_sek"), QStringLiteral("Sek."), 292);
    Lab_100 = caption(QStringLiteral("Lab_100"), QStringLiteral("/100"), 422);
}

void TFormMain::buildButtonPanel(QWidget* parent)
{
    Panel5 = makePanel(parent, QStringLiteral("Panel5"));

    auto bigButton = [&](const QString& name, const QString& text, const QString& hint, TColor colour,
                         bool whiteBold, int y, int width) {
        auto* button = new TBitBtnWithColor(Panel5);
        button->setObjectName(name);
        button->setText(text);
        button->setToolTip(hint);
        button->setColor(colour);
        button->setGeometry(2, y, width, 35);
        button->setFocusPolicy(Qt::StrongFocus);
        if (whiteBold) {
            button->setFont(arialFont(19, true));
            setTextColour(button, clWhite);
        } else {
            button->setFont(arialFont(16, true));
        }
        return button;
    };
    bSTART = bigButton(QStringLiteral("bSTART"), QStringLiteral("START"), QStringLiteral("F5"), clGreen, true, 2, 114);
    bSTART->setCursor(Qt::PointingHandCursor);
    bLAP = bigButton(QStringLiteral("bLAP"), QStringLiteral("ZEIT"), QStringLiteral("F6"), clYellow, false, 38, 114);
    bSTOP = bigButton(QStringLiteral("bSTOP"), QStringLiteral("ENDE"), QStringLiteral("F8"), clRed, true, 74, 114);
    bEintragen = bigButton(QStringLiteral("bEintragen"), QStringLiteral("EINTRAGEN"), QStringLiteral("F9"), clSkyBlue,
                           false, 110, 150);
    bRESET = bigButton(QStringLiteral("bRESET"), QStringLiteral("NACHSTE"), QStringLiteral("F10"), clBlack, true, 146,
                       150);
    bLAP->setEnabled(false);
    bSTOP->setEnabled(false);
    bEintragen->setEnabled(false);
    bRESET->setEnabled(false);

    auto picture = [&](const QString& name, int y) {
        auto* image = new QLabel(Panel5);
        image->setObjectName(name);
        image->setGeometry(122, y, 32, 32);
        image->setCursor(Qt::PointingHandCursor);
        image->setToolTip(QStringLiteral("[F11] LS frei / gesperrt"));
        image->setPixmap(barrierPicture(0));
        setTag(image, 0);
        image->hide();
        return image;
    };
    ImageLSstart = picture(QStringLiteral("ImageLSstart"), 3);
    ImageLSstop = picture(QStringLiteral("ImageLSstop"), 39);

    bABORT = makeToolButton(Panel5, QStringLiteral("bABORT"), QString(), QStringLiteral("[F7] Rennen neu starten"));
    setGlyph(bABORT, ToolGlyph::Abort, 24);
    bABORT->setGeometry(122, 75, 32, 32);
    bABORT->setEnabled(false);

    sbCLS = makeToolButton(Panel5, QStringLiteral("sbCLS"), QString(), QString());
    setGlyph(sbCLS, ToolGlyph::Clear, 24);
    sbSave = makeToolButton(Panel5, QStringLiteral("sbSave"), QString(), QStringLiteral("[Strg+S] Speichern unter…"));
    setGlyph(sbSave, ToolGlyph::Save, 24);
    sbExcel = makeToolButton(Panel5, QStringLiteral("sbExcel"), QString(), QString());
    setGlyph(sbExcel, ToolGlyph::Spreadsheet, 24);
    sbPlatz = makeToolButton(Panel5, QStringLiteral("sbPlatz"), QStringLiteral("1."),
                             QStringLiteral("[Strg+P] Nach Platz sortieren"));
    int x = 2;
    for (QToolButton* small : {sbCLS, sbSave, sbExcel, sbPlatz}) {
        small->setGeometry(x, 185, 32, 32);
        x += 36;
    }
    sbCLS->setEnabled(false);
    sbSave->setEnabled(false);
    sbExcel->setEnabled(false);

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
}

void TFormMain::buildPages(QWidget* parent)
{
    PageControl1 = new QTabWidget(parent);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    for (int i = 1; i <= kClasses; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("TabSheet%1").arg(i));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        m_grids[i - 1] = createResultGrid(page, i);
        PageControl1->addTab(page, QStringLiteral("Klasse %1").arg(i));
    }
}

void TFormMain::buildCalendar()
{
    PanelCal = makePanel(m_central, QStringLiteral("PanelCal"));
    PanelCal->setGeometry(0, 0, 214, 259);
    PanelCal->setFrameShape(QFrame::Panel);
    PanelCal->setFrameShadow(QFrame::Raised);
    PanelCal->setLineWidth(3);
    setBackground(PanelCal, clSilver);

    Label15 = new QLabel(PanelCal);
    Label15->setObjectName(QStringLiteral("Label15"));
    Label15->setGeometry(3, 3, 186, 20);
    Label15->installEventFilter(this);

    sbClosecal = makeToolButton(PanelCal, QStringLiteral("sbClosecal"), QString(), QStringLiteral("Abbrechen"));
    setGlyph(sbClosecal, ToolGlyph::Close, 16);
    sbClosecal->setGeometry(189, 3, 22, 20);
    connect(sbClosecal, &QToolButton::clicked, this, &TFormMain::Label15Click);

    MonthCalendar1 = new QCalendarWidget(PanelCal);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    MonthCalendar1->setGeometry(3, 24, 208, 232);
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
    MonthCalendar1->setFirstDayOfWeek(Qt::Monday);
    QFont calendarFont = MonthCalendar1->font();
    calendarFont.setPixelSize(16);
    MonthCalendar1->setFont(calendarFont);
    MonthCalendar1->setSelectedDate(QDate::currentDate());
    // At 16 pixels seven day columns and the week numbers need more than the
    // designed 214 by 259: the panel grows to its calendar, never shrinks.
    const QSize hint = MonthCalendar1->sizeHint();
    const QSize calendar(std::max(208, hint.width()), std::max(232, hint.height()));
    MonthCalendar1->setGeometry(3, 24, calendar.width(), calendar.height());
    PanelCal->resize(calendar.width() + 6, calendar.height() + 27);
    Label15->setGeometry(3, 3, calendar.width() - 22, 20);
    sbClosecal->setGeometry(calendar.width() - 19, 3, 22, 20);
    PanelCal->hide();
}

void TFormMain::buildMenu()
{
    // The menu is never shown: its items only carry the short-cut keys, and a
    // disabled item makes its key do nothing.
    MainMenu1 = new QMenu(QStringLiteral("HideMenu"), this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [&](QAction*& action, const QString& name, const QString& caption, const QKeySequence& key) {
        action = new QAction(caption, this);
        action->setObjectName(name);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        MainMenu1->addAction(action);
        addAction(action);
    };
    item(mStart, QStringLiteral("mStart"), QStringLiteral("Start"), QKeySequence(Qt::Key_F5));
    item(mLAP, QStringLiteral("mLAP"), QStringLiteral("Zeit"), QKeySequence(Qt::Key_F6));
    item(mAbort, QStringLiteral("mAbort"), QStringLiteral("X"), QKeySequence(Qt::Key_F7));
    item(mStop, QStringLiteral("mStop"), QStringLiteral("Ende"), QKeySequence(Qt::Key_F8));
    item(Eintragen1, QStringLiteral("Eintragen1"), QStringLiteral("Eintragen"), QKeySequence(Qt::Key_F9));
    item(mReset, QStringLiteral("mReset"), QStringLiteral("Nachste"), QKeySequence(Qt::Key_F10));
    item(Lock1, QStringLiteral("Lock1"), QStringLiteral("Lock Start"), QKeySequence(Qt::Key_F11));
    item(Save1, QStringLiteral("Save1"), QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
    item(Open1, QStringLiteral("Open1"), QStringLiteral("Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    item(New1, QStringLiteral("New1"), QStringLiteral("Clear"), QKeySequence(Qt::CTRL | Qt::Key_X));
    item(mExcel, QStringLiteral("mExcel"), QStringLiteral("Excel"), QKeySequence(Qt::CTRL | Qt::Key_E));
    item(Platz1, QStringLiteral("Platz1"), QStringLiteral("Platz"), QKeySequence(Qt::CTRL | Qt::Key_P));
    item(mHilfe, QStringLiteral("mHilfe"), QStringLiteral("Hilfe"), QKeySequence(Qt::Key_F1));
    item(Hilfe1, QStringLiteral("Hilfe1"), QStringLiteral("H&ilfe"), QKeySequence(Qt::CTRL | Qt::Key_I));
    item(EinstellunGen1, QStringLiteral("EinstellunGen1"), QStringLiteral("Einstellungen"), QKeySequence(Qt::Key_F2));
    item(Info1, QStringLiteral("Info1"), QStringLiteral("Info"), QKeySequence(Qt::Key_F3));

    mLAP->setEnabled(false);
    mStop->setEnabled(false);
    mReset->setEnabled(false);

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

    m_clock = new QTimer(this);
    m_clock->setObjectName(QStringLiteral("Clock"));
    m_clock->setInterval(10);
    m_clock->setTimerType(Qt::PreciseTimer);
    connect(m_clock, &QTimer::timeout, this, &TFormMain::ClockTimer);
    connectResultCommands();
}

void TFormMain::createRows()
{
    for (int n = 1; n <= kRows; ++n) {
        auto* frame = new TFrame1(n, m_rowHost);
        frame->move(0, (n - 1) * TFrame1::kHeight);
        frame->hide();
        m_rows[n] = frame;
    }
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
    return ::TimeToText(CalcMS(ticks), m_acc);
}

bool TFormMain::ask(const QString& question)
{
    if (m_options.ask)
        return m_options.ask(question);
    return TFDlgYesNo::ask(question, this);
}

void TFormMain::beep()
{
    if (m_playZeit && !m_soundFile.isEmpty() && m_beeper)
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
    if (!c.running)
        m_clock->stop();
    else if (!m_clock->isActive())
        m_clock->start();
}

void TFormMain::activateRow(int number, bool startRow, qint64 ticks)
{
    TFrame1* frame = m_rows[number];
    frame->setTimeColor(toQColor(startRow ? m_upper[7]->ColorOn() : m_lower[7]->ColorOn()));
    setTag(frame->cbON, startRow ? 0 : 1);
    if (!startRow)
        setTag(frame->TimeRunden, number);
    for (int k = 2; k <= TFrame1::kColumns; ++k) {
        const bool shown = kStartNumberFields >= k;
        frame->buttons[k]->setVisible(shown);
        frame->bevels[k]->setVisible(shown);
    }
    frame->show();
    frame->TimeRunden->setText(TimeToText(ticks));
    // The list reaches down to its last row in use, so scrolling to the end
    // brings the new row into view.
    m_rowHost->resize(TFrame1::kWidth, std::max(m_rowHost->height(), number * TFrame1::kHeight));
    ScrollBox1->verticalScrollBar()->setValue(TFrame1::kHeight * m_race.rowCount());
}

qint64 TFormMain::takeTick()
{
    if (m_edgeTick) {
        const qint64 tick = *m_edgeTick;
        m_edgeTick.reset();
        return tick;
    }
    return GetMyTickCount();
}

void TFormMain::mStartClick()
{
    // The tick is read first: sound and drawing must not delay the taken time.
    const qint64 tick = takeTick();
    if (!m_race.start(tick))
        return;
    beep();
    applyCommandStates();
    activateRow(m_race.rowCount(), true, 0);
    bLAP->setFocus();

    m_barrier->raceStarted();
    bLAP->setText(m_zeitCaption);
}

void TFormMain::mLAPClick()
{
    const qint64 tick = takeTick();
    if (!m_race.lap(tick))
        return;
    beep();
    const qint64 sinceStart = tick - m_race.startTick();
    ShowTime(sinceStart, true);
    m_barrier->timeTaken();
    activateRow(m_race.rowCount(), false, sinceStart);
    // At the hundredth row ZEIT goes off: the list is full.
    applyCommandStates();
    if (!m_race.commands().lap)
        bLAP->setText(m_zeitCaption);
    UpdateResultButtons();
}

void TFormMain::mStopClick()
{
    if (!m_race.commands().stop)
        return;
    // ENDE asks first and reads the tick after the answer.
    if (!ask(QStringLiteral("Rennen beenden") + QStringLiteral("?")))
        return;
    m_race.stop(GetMyTickCount());
    ShowTime(0, false);
    ShowTime(0, true);
    m_barrier->raceEnded();
    if (m_race.state() != ClockState::Ended) {
        mResetClick();
        return;
    }
    applyCommandStates();
    bLAP->setText(m_zeitCaption);
    bEintragen->setFocus();
}

void TFormMain::mAbortClick()
{
    if (m_race.abortAsks() && !ask(m_abortQuestion))
        return;
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

    for (int n = 1; n <= kRows; ++n)
        m_rows[n]->makeFresh(kStartNumberFields);
    m_rowHost->resize(TFrame1::kWidth, 0);

    m_barrier->reset();

    for (int k = 1; k <= kStartNumberFields; ++k)
        setTextColour(m_edits[k], clBlack);
    bSTART->setFocus();
}

void TFormMain::sbNextClick(QObject* sender)
{
    mAbortClick();
    selectNextResultBlock(sender);
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
    ComPort = new TComPort(this);
    ComPort->setObjectName(QStringLiteral("ComPort"));
    // The worker stamps each edge with the same time base the clock reads, so
    // an edge's tick can stand in for the press of a key.
    THighResTimer* timeBase = m_highResTimer.get();
    ComPort->setTickSource([timeBase] { return timeBase->ReadCounter(); });
    if (m_options.deviceOpener)
        ComPort->setDeviceOpener(m_options.deviceOpener);

    m_barrier = new LightBarrier(this);
    m_barrier->setObjectName(QStringLiteral("LightBarrier"));
    m_barrier->setAlg(m_settings.alg);
    m_barrier->setWaitStart(m_settings.waitStart);
    m_barrier->setCountSpeed(m_highResTimer->CountSpeed());
    m_barrier->setTickSource([this] { return GetMyTickCount(); });
    m_barrier->setCommandGuards([this] { return m_race.commands().start; }, [this] { return m_race.commands().lap; });

    connect(ComPort, &TComPort::dsrChanged, m_barrier, &LightBarrier::ComPortDSR);
    connect(ComPort, &TComPort::opened, m_barrier, &LightBarrier::ComPortOpen);
    connect(ComPort, &TComPort::closed, m_barrier, &LightBarrier::ComPortClose);
    connect(ComPort, &TComPort::lineLost, this, [this] { m_barrier->ComPortLost(ComPort->Port()); });
    connect(m_barrier, &LightBarrier::startRequested, this, [this](qint64 tick) {
        if (!m_race.commands().start)
            return;
        m_edgeTick = tick;
        mStart->trigger();
        m_edgeTick.reset();
    });
    connect(m_barrier, &LightBarrier::lapRequested, this, [this](qint64 tick) {
        // An edge seen before a START taken by key (its report reached the
        // window after the key) belongs before the race: no negative time.
        if (!m_race.acceptsLap(tick))
            return;
        m_edgeTick = tick;
        mLAP->trigger();
        m_edgeTick.reset();
    });
    connect(m_barrier, &LightBarrier::picturesChanged, this, &TFormMain::applyBarrierPictures);
    connect(m_barrier, &LightBarrier::statusMessage, this, [this](const QString& text) {
        if (auto* panel = StatusBar1->findChild<QLabel*>(QStringLiteral("StatusPanel0")))
            panel->setText(text);
    });
    connect(Lock1, &QAction::triggered, this, &TFormMain::Lock1Click);
    ImageLSstart->installEventFilter(this);
    ImageLSstop->installEventFilter(this);

    // The port probe feeds the settings dialog's port list.
    m_comPorts = TComPort::FindComPorts();
    if (m_settings.port != 0)
        openPort(m_settings.port);
    applyBarrierPictures();
}

bool TFormMain::openPort(int port, QString* error)
{
    ComPort->Close();
    m_settings.port = port & 0xFF;
    if (m_settings.port == 0)
        return true;
    ComPort->setPort(quint8(m_settings.port));
    const ComOpenResult result = ComPort->tryOpen();
    if (!result.ok() && error)
        *error = result.message;
    return result.ok();
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

void TFormMain::setLabelColour(QLabel* label, TColor colour)
{
    // Compare first: the clock calls this a hundred times a second.
    const auto known = m_labelColours.constFind(label);
    if (known != m_labelColours.constEnd() && *known == colour)
        return;
    m_labelColours.insert(label, colour);
    setTextColour(label, colour);
}

void TFormMain::ShowTime(qint64 ticks, bool lower)
{
    const TimeParts t = splitTime(CalcMS(ticks));
    auto& digits = lower ? m_lower : m_upper;
    const TColor bright = lower ? m_lowerBright : m_upperBright;
    const TColor dim = lower ? m_lowerDim : m_upperDim;
    const std::array<bool, 8> lit = litDigits(t, lower);

    const int hr = t.hours, m = t.minutes, s = t.seconds, f = t.hundredths;
    const std::array<int, 8> values{hr / 10, hr % 10, m / 10, m % 10, s / 10, s % 10, f / 10, f % 10};
    // The upper display's last three digits never dim: they keep the colour
    // the display colours gave them.
    const int coloured = lower ? 8 : 5;
    for (int i = 0; i < 8; ++i) {
        digits[i]->setValue(values[i]);
        if (i < coloured)
            digits[i]->setColorOn(lit[i] ? bright : dim);
    }
    if (!lower) {
        setLabelColour(LabHour, digits[1]->ColorOn());
        setLabelColour(Lab_Hour, digits[1]->ColorOn());
        setLabelColour(LabMin, digits[3]->ColorOn());
        setLabelColour(Lab_Min, digits[3]->ColorOn());
        return;
    }
    setLabelColour(LabHour2, digits[1]->ColorOn());
    setLabelColour(LabMin2, digits[3]->ColorOn());
    setLabelColour(LabSec2, digits[5]->ColorOn());
}

void TFormMain::ApplyAccuracy(int acc)
{
    m_upper[7]->setVisible(acc == 2);
    m_lower[7]->setVisible(acc == 2);
    m_upper[6]->setVisible(acc > 0);
    m_lower[6]->setVisible(acc > 0);
    Lab_100->move(acc * 20 + 372, Lab_100->y());
    Lab_100->setText(QStringLiteral("1/") + QString::number(acc * 90 - 80));
    Lab_100->adjustSize();
    Lab_100->setVisible(acc > 0);
    LabSec->setVisible(acc > 0);
    LabSec2->setVisible(acc > 0);
}

void TFormMain::ApplyDisplayColors()
{
    m_upperDim = m_c3;
    m_upperBright = m_c2;
    m_lowerDim = m_c3;
    setBackground(PanelTimer, m_c1);
    for (auto* digits : {&m_upper, &m_lower}) {
        for (TDigit* digit : *digits) {
            digit->setColorOn(m_c2);
            digit->setColorOff(m_c1);
            digit->setColor(m_c1);
        }
    }
    for (QLabel* label : {LabHour, LabMin, LabSec, Lab_Hour, Lab_Min, Lab_sek, Lab_100, LabHour2, LabMin2, LabSec2})
        setLabelColour(label, m_c2);
}

void TFormMain::setAccuracy(int acc)
{
    m_acc = acc;
    ApplyAccuracy(acc);
}

void TFormMain::setDisplayColors(TColor c1, TColor c2, TColor c3)
{
    m_c1 = c1;
    m_c2 = c2;
    m_c3 = c3;
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
    m_formInfo->setBackupFolder(m_backupDir);
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
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    PanelDate->setText(locale.toString(now.date(), QLocale::ShortFormat) + QStringLiteral("  ")
                       + locale.toString(now.time(), QLocale::ShortFormat));
}

void TFormMain::PanelDateClick()
{
    const QPoint dateLeft = PanelDate->mapTo(m_central, QPoint(0, 0));
    // A calendar grown beyond its designed width still ends inside the window.
    PanelCal->move(std::min(dateLeft.x() - 28, m_central->width() - PanelCal->width()), 0);
    PanelCal->raise();
    PanelCal->show();
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
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (QAction* action : MainMenu1->actions()) {
            if (action->isEnabled() && action->shortcut() == pressed)
                return true;
        }
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
