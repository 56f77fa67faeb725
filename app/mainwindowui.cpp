#include "app/mainwindowui.h"

#include "app/artwork.h"
#include "app/frame1.h"
#include "controls/bitbtnwithcolor.h"
#include "controls/lbspeedbutton.h"
#include "controls/sortgrid.h"
#include "controls/tag.h"
#include "timing/digit.h"

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kTopBarHeight = 37;
constexpr TColor kTopBarColour = rgbColor(64, 72, 96);
constexpr int kRightColumnWidth = 370;
constexpr int kLeftWidth = MainWindowUi::kWindowWidth - kRightColumnWidth;
constexpr int kClockStripHeight = 221;
constexpr int kLogoWidth = 284;
constexpr int kPanelTimerWidth = 494;
constexpr int kPanelTimerHidden = 126;  // left part of the clock panel kept out of view
constexpr int kClockViewWidth = kPanelTimerWidth - kPanelTimerHidden;
constexpr int kWindowWidth = MainWindowUi::kWindowWidth;
constexpr int kMinHeight = MainWindowUi::kMinHeight;

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

}  // namespace

void setTextColour(QWidget* widget, TColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, toQColor(colour));
    palette.setColor(QPalette::Text, toQColor(colour));
    palette.setColor(QPalette::ButtonText, toQColor(colour));
    widget->setPalette(palette);
}

void setFieldBackground(QWidget* widget, TColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, toQColor(colour));
    widget->setPalette(palette);
}

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

namespace {

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

void MainWindowUi::setupUi(QMainWindow* window, QObject* eventFilter)
{
    m_window = window;
    m_filter = eventFilter;
    buildWindow();
    buildMenu();
    buildCalendar();
}

void MainWindowUi::buildWindow()
{
    m_window->setMinimumSize(kWindowWidth, kMinHeight);
    m_window->setMaximumWidth(kWindowWidth);

    m_central = new QWidget(m_window);
    m_central->setObjectName(QStringLiteral("Central"));
    m_window->setCentralWidget(m_central);
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

    StatusBar1 = new QStatusBar(m_window);
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
    m_window->setStatusBar(StatusBar1);
}

void MainWindowUi::buildTopBar(QWidget* parent)
{
    Panel1 = makePanel(parent, QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kTopBarHeight);
    Panel1->setFont(arialFont(16, true));
    setBackground(Panel1, kTopBarColour);
    setTextColour(Panel1, clWhite);

    // The tool buttons show the bar through them; their glyphs are drawn on
    // the bar's colour so that it is also the glyphs' transparent colour.
    const auto toolButton = [&](const QString& name, const QString& hint, TopBarGlyph glyph, int x) {
        auto* button = new TLbSpeedButton(Panel1);
        button->setObjectName(name);
        button->setToolTip(hint);
        button->setGeometry(x, 0, 38, 36);
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFlat(true);
        button->setTransparent(true);
        button->setNumGlyphs(2);
        button->setLightColor(clBtnFace);
        button->setShadowColor(clBtnFace);
        QFont hotFont(QStringLiteral("MS Sans Serif"));
        hotFont.setPixelSize(11);
        button->setHotTrackFont(hotFont);
        button->setHotTrackFontColor(clWindowText);
        button->setGlyph(topBarGlyph(glyph, toQColor(kTopBarColour)));
        return button;
    };
    bHelp = toolButton(QStringLiteral("bHelp"), QStringLiteral("[F1] Hilfe"), TopBarGlyph::Help, 2);
    bCFG = toolButton(QStringLiteral("bCFG"), QStringLiteral("[F2] Einstellungen"), TopBarGlyph::Settings, 42);
    bInfo = toolButton(QStringLiteral("bInfo"), QStringLiteral("[F3] Information"), TopBarGlyph::Info, 82);

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
        mark->installEventFilter(m_filter);
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
    PanelDate->installEventFilter(m_filter);
}

void MainWindowUi::layOutLogoText()
{
    int x = 688;
    for (QLabel* word : m_logoWords) {
        word->adjustSize();
        word->setGeometry(x, 0, word->width(), kTopBarHeight);
        x += word->width() + 6;
    }
}

void MainWindowUi::buildRightColumn(QWidget* parent)
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

void MainWindowUi::buildClockStrip(QWidget* parent)
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

void MainWindowUi::buildTimerPanel(QWidget* parent)
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

void MainWindowUi::buildButtonPanel(QWidget* parent)
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
        // Out of the tab order, as on the operator's desk only ZEIT is; the
        // window still hands the focus to EINTRAGEN and NÄCHSTEN itself.
        button->setFocusPolicy(Qt::ClickFocus);
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
    bLAP->setFocusPolicy(Qt::StrongFocus);
    bEintragen->setNumGlyphs(2);
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

}

void MainWindowUi::buildPages(QWidget* parent)
{
    PageControl1 = new QTabWidget(parent);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    for (int i = 1; i <= kClasses; ++i) {
        // The page goes into the tab widget empty: the grid built into it
        // there is not moved again, with its scroll bars and viewport.
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("TabSheet%1").arg(i));
        PageControl1->addTab(page, QStringLiteral("Klasse %1").arg(i));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        m_grids[i - 1] = new TSortGrid(page);
        m_grids[i - 1]->setObjectName(QStringLiteral("SortGrid%1").arg(i));
        layout->addWidget(m_grids[i - 1]);
    }
}

void MainWindowUi::showDateTime(const QDateTime& now)
{
    const QLocale locale;
    PanelDate->setText(locale.toString(now.date(), QLocale::ShortFormat) + QStringLiteral("  ")
                       + locale.toString(now.time(), QLocale::ShortFormat));
}

void MainWindowUi::showCalendar(const QDate& shown)
{
    buildMonthCalendar(shown);
    const QPoint dateLeft = PanelDate->mapTo(m_central, QPoint(0, 0));
    // A calendar grown beyond its designed width still ends inside the window.
    PanelCal->move(std::min(dateLeft.x() - 28, m_central->width() - PanelCal->width()), 0);
    PanelCal->raise();
    PanelCal->show();
}

void MainWindowUi::buildMonthCalendar(const QDate& shown)
{
    // The calendar is the heaviest control of the window and hidden until
    // the date panel is clicked: it is made then, showing the date it is
    // given (the program's start date, also after midnight).
    if (MonthCalendar1)
        return;
    MonthCalendar1 = new QCalendarWidget(PanelCal);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    MonthCalendar1->setGeometry(3, 24, 208, 232);
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
    MonthCalendar1->setFirstDayOfWeek(Qt::Monday);
    QFont calendarFont = MonthCalendar1->font();
    calendarFont.setPixelSize(16);
    MonthCalendar1->setFont(calendarFont);
    MonthCalendar1->setSelectedDate(shown);
    // At 16 pixels seven day columns and the week numbers need more than the
    // designed 214 by 259: the panel grows to its calendar, never shrinks.
    const QSize hint = MonthCalendar1->sizeHint();
    const QSize calendar(std::max(208, hint.width()), std::max(232, hint.height()));
    MonthCalendar1->setGeometry(3, 24, calendar.width(), calendar.height());
    PanelCal->resize(calendar.width() + 6, calendar.height() + 27);
    Label15->setGeometry(3, 3, calendar.width() - 22, 20);
    sbClosecal->setGeometry(calendar.width() - 19, 3, 22, 20);
}

void MainWindowUi::buildCalendar()
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
    Label15->installEventFilter(m_filter);

    sbClosecal = makeToolButton(PanelCal, QStringLiteral("sbClosecal"), QString(), QStringLiteral("Abbrechen"));
    setGlyph(sbClosecal, ToolGlyph::Close, 16);
    sbClosecal->setGeometry(189, 3, 22, 20);

    PanelCal->hide();
}

void MainWindowUi::buildMenu()
{
    // The menu is never shown: its items only carry the short-cut keys, and a
    // disabled item makes its key do nothing.
    MainMenu1 = new QMenu(QStringLiteral("HideMenu"), m_window);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [&](QAction*& action, const QString& name, const QString& caption, const QKeySequence& key) {
        action = new QAction(caption, m_window);
        action->setObjectName(name);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        MainMenu1->addAction(action);
        m_window->addAction(action);
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
    item(mLive, QStringLiteral("mLive"), QStringLiteral("Live-Ergebnisse"), QKeySequence(Qt::Key_F12));

    mLAP->setEnabled(false);
    mStop->setEnabled(false);
    mReset->setEnabled(false);

}

void MainWindowUi::createRows()
{
    for (int n = 1; n <= kRows; ++n) {
        auto* frame = new TFrame1(n, m_rowHost);
        frame->move(0, (n - 1) * TFrame1::kHeight);
        frame->hide();
        m_rows[n] = frame;
    }
}

