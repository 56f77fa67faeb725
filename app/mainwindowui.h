#pragma once

#include <QDate>
#include <QDateTime>
#include <QPixmap>
#include <array>

#include "controls/lbspeedbutton.h"  // complete: the window connects its clicks
#include "controls/tcolor.h"

class QAction;
class QCalendarWidget;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QObject;
class QPlainTextEdit;
class QScrollArea;
class QStatusBar;
class QTabWidget;
class QToolButton;
class QWidget;
class TBitBtnWithColor;
class TDigit;
class TFrame1;
class TSortGrid;

// The main window's controls and hidden menu items under their names, and how
// they are laid out as the window is built. Nothing here acts: the window
// connects the controls to its commands.
class MainWindowUi {
public:
    static constexpr int kWindowWidth = 1206;  // fixed: the window is never wider or narrower
    static constexpr int kMinHeight = 492;
    static constexpr int kInitialHeight = 543;
    static constexpr int kRows = 100;
    static constexpr int kStartNumberFields = 5;
    static constexpr int kClasses = 21;
    static constexpr TColor kStartNumberBlue = 11031552;  // red 0, green 84, blue 168

    // Builds every control into `window`; `eventFilter` watches the controls
    // whose clicks are not signals (pictures, labels, the date panel).
    void setupUi(QMainWindow* window, QObject* eventFilter);
    // The 100 time rows, hidden, one below the other.
    void createRows();
    // The words of the logo text side by side at their present widths.
    void layOutLogoText();
    // The month calendar in its panel, made on first use.
    void buildMonthCalendar(const QDate& shown);
    // The date panel's text: regional short date, two blanks, short time.
    void showDateTime(const QDateTime& now);
    // The calendar panel at the top edge, 28 pixels left of the date panel.
    void showCalendar(const QDate& shown);

    QWidget* m_central = nullptr;
    QFrame* Panel1 = nullptr;
    TLbSpeedButton* bHelp = nullptr;
    TLbSpeedButton* bCFG = nullptr;
    TLbSpeedButton* bInfo = nullptr;
    QComboBox* cmb_Klasse = nullptr;
    QToolButton* sbLoad = nullptr;
    QLabel* PanelDate = nullptr;
    std::array<QLabel*, 3> m_logoWords{};  // Label7, Label8, Label5
    QFrame* Panel3 = nullptr;
    QFrame* Panel4 = nullptr;
    std::array<QLineEdit*, kStartNumberFields + 1> m_edits{};  // 1-based
    QScrollArea* ScrollBox1 = nullptr;
    QWidget* m_rowHost = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QFrame* PanelLeft = nullptr;
    QFrame* PanelTimerOwner = nullptr;
    QLabel* Logo = nullptr;
    QLineEdit* eLEN = nullptr;
    QFrame* PanelTimer = nullptr;
    std::array<TDigit*, 8> m_upper{};  // Digit1 … Digit8
    std::array<TDigit*, 8> m_lower{};  // Digit12, 13, 15, 16, 18, 19, 21, 22
    QLabel* LabHour = nullptr;
    QLabel* LabMin = nullptr;
    QLabel* LabSec = nullptr;
    QLabel* Lab_Hour = nullptr;
    QLabel* Lab_Min = nullptr;
    QLabel* Lab_sek = nullptr;
    QLabel* Lab_100 = nullptr;
    QLabel* LabHour2 = nullptr;
    QLabel* LabMin2 = nullptr;
    QLabel* LabSec2 = nullptr;
    QFrame* Panel5 = nullptr;
    QLabel* ImageLSstart = nullptr;
    QLabel* ImageLSstop = nullptr;
    QToolButton* sbCLS = nullptr;
    QToolButton* sbSave = nullptr;
    QToolButton* sbExcel = nullptr;
    QToolButton* bABORT = nullptr;
    QToolButton* sbPlatz = nullptr;
    TBitBtnWithColor* bSTART = nullptr;
    TBitBtnWithColor* bLAP = nullptr;
    TBitBtnWithColor* bSTOP = nullptr;
    TBitBtnWithColor* bEintragen = nullptr;
    TBitBtnWithColor* bRESET = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QFrame* PanelCal = nullptr;
    QLabel* Label15 = nullptr;
    QToolButton* sbClosecal = nullptr;
    QCalendarWidget* MonthCalendar1 = nullptr;

    QMenu* MainMenu1 = nullptr;
    QAction* mStart = nullptr;
    QAction* mLAP = nullptr;
    QAction* mAbort = nullptr;
    QAction* mStop = nullptr;
    QAction* Eintragen1 = nullptr;
    QAction* mReset = nullptr;
    QAction* Lock1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* New1 = nullptr;
    QAction* mExcel = nullptr;
    QAction* Platz1 = nullptr;
    QAction* mHilfe = nullptr;
    QAction* Hilfe1 = nullptr;
    QAction* EinstellunGen1 = nullptr;
    QAction* Info1 = nullptr;
    QAction* mLive = nullptr;

    std::array<TSortGrid*, kClasses> m_grids{};
    std::array<TFrame1*, kRows + 1> m_rows{};  // 1-based

private:
    void buildWindow();
    void buildTopBar(QWidget* parent);
    void buildRightColumn(QWidget* parent);
    void buildClockStrip(QWidget* parent);
    void buildTimerPanel(QWidget* parent);
    void buildButtonPanel(QWidget* parent);
    void buildPages(QWidget* parent);
    void buildCalendar();
    void buildMenu();

    QMainWindow* m_window = nullptr;
    QObject* m_filter = nullptr;
};

// Text colour of a label or field (window text, text and button text alike).
void setTextColour(QWidget* widget, TColor colour);
// Background of a text field.
void setFieldBackground(QWidget* widget, TColor colour);
// The two states of a light-barrier picture: locked (0) and free (1).
QPixmap barrierPicture(int state);
