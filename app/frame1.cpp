#include "app/frame1.h"

#include "app/timelist.h"

#include <QCheckBox>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QIcon>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

namespace {

constexpr int kTimeWidth = 128;
constexpr int kCheckLeft = 132;
constexpr int kColumnLeft = 152;
constexpr int kColumnWidth = 39;

}  // namespace

TFrame1::TFrame1(int rowNumber, QWidget* parent)
    : QFrame(parent)
    , m_number(rowNumber)
{
    setObjectName(QStringLiteral("Fr%1").arg(rowNumber));
    setFixedSize(kWidth, kHeight);
}

void TFrame1::build()
{
    // A race may never reach most of the hundred rows: their 26 controls are
    // made when the row is first needed (or while the window is idle).
    if (TimeRunden)
        return;
    TextRunden = new QLabel(QString::number(m_number), this);
    TextRunden->setObjectName(QStringLiteral("TextRunden"));
    TextRunden->hide();

    TimeRunden = new QLabel(QStringLiteral("0:00,00"), this);
    TimeRunden->setObjectName(QStringLiteral("TimeRunden"));
    TimeRunden->setGeometry(0, 0, kTimeWidth, kHeight - 1);
    TimeRunden->setAutoFillBackground(true);
    TimeRunden->setAlignment(Qt::AlignCenter);
    QFont timeFont(QStringLiteral("Arial"));
    timeFont.setPixelSize(25);
    timeFont.setBold(true);
    TimeRunden->setFont(timeFont);
    setTimeColor(QColor(255, 255, 0));

    cbON = new QCheckBox(this);
    cbON->setObjectName(QStringLiteral("cbON"));
    cbON->setGeometry(kCheckLeft, 9, 18, 18);
    cbON->setChecked(true);
    cbON->setFocusPolicy(Qt::NoFocus);
    connect(cbON, &QCheckBox::clicked, this, [this](bool on) { emit countedClicked(on); });

    QFont smallFont(QStringLiteral("Arial"));
    smallFont.setPixelSize(10);
    QFont buttonFont(QStringLiteral("Arial"));
    buttonFont.setPixelSize(12);
    buttonFont.setBold(true);
    for (int k = 1; k <= kColumns; ++k) {
        const int left = kColumnLeft + (k - 1) * kColumnWidth;

        auto* bevel = new QFrame(this);
        bevel->setObjectName(QStringLiteral("Bevel%1").arg(k));
        bevel->setFrameShape(QFrame::VLine);
        bevel->setFrameShadow(QFrame::Sunken);
        bevel->setGeometry(left - 2, 0, 2, kHeight);
        bevel->setVisible(k == 1);
        bevels[k] = bevel;

        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("Label%1").arg(k));
        label->setGeometry(left + 1, 0, kColumnWidth - 4, 11);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(smallFont);
        labels[k] = label;
        label->installEventFilter(this);

        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("SpeedButton%1").arg(k));
        button->setGeometry(left + 1, 11, kColumnWidth - 4, 21);
        button->setCheckable(true);
        button->setText(QString::number(k));
        button->setFont(buttonFont);
        button->setFocusPolicy(Qt::NoFocus);
        buttons[k] = button;
        connect(button, &QToolButton::clicked, this, [this, k] { emit markClicked(k); });

        auto* radio = new QRadioButton(this);
        radio->setObjectName(QStringLiteral("RadioButton%1").arg(k));
        radio->setGeometry(left + kColumnWidth - 16, 0, 13, 13);
        radio->setAutoExclusive(false);
        radio->setFocusPolicy(Qt::NoFocus);
        radio->hide();
        radios[k] = radio;
        connect(radio, &QRadioButton::clicked, this, [this, k] { emit exactClicked(k); });
    }

    Bevel0 = new QFrame(this);
    Bevel0->setObjectName(QStringLiteral("Bevel0"));
    Bevel0->setFrameShape(QFrame::HLine);
    Bevel0->setFrameShadow(QFrame::Sunken);
    Bevel0->setGeometry(0, kHeight - 1, kWidth, 1);

    PanelOFF = new QFrame(this);
    PanelOFF->setObjectName(QStringLiteral("PanelOFF"));
    PanelOFF->setGeometry(kColumnLeft - 2, 0, kWidth - kColumnLeft + 2, kHeight - 1);
    PanelOFF->setAutoFillBackground(true);
    PanelOFF->hide();
}

void TFrame1::setTimeColor(const QColor& colour)
{
    if (colour == m_timeColour)
        return;
    m_timeColour = colour;
    QPalette palette = TimeRunden->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, colour);
    TimeRunden->setPalette(palette);
}

void TFrame1::makeFresh(int columnsShown)
{
    hide();
    if (!isBuilt())
        return;  // a row never built is fresh
    setTimeColor(QColor(255, 255, 0));
    // The box is set without a click, so its cover is put away here.
    cbON->setChecked(true);
    PanelOFF->hide();
    for (int k = 1; k <= kColumns; ++k) {
        buttons[k]->setVisible(k <= columnsShown);
        buttons[k]->setEnabled(true);
        buttons[k]->setChecked(false);
        buttons[k]->setIcon(QIcon());
        buttons[k]->setToolButtonStyle(Qt::ToolButtonTextOnly);
        radios[k]->setChecked(false);
        radios[k]->hide();
        bevels[k]->hide();
        labels[k]->clear();
    }
    bevels[1]->show();
}

namespace {

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

}  // namespace

void TFrame1::showRow(const TimeListRow& r)
{
    build();
    TimeRunden->setText(r.row.text);
    setTimeColor(r.timeColour);
    cbON->setChecked(r.row.counted);
    PanelOFF->setVisible(!r.row.counted);
    if (!r.row.counted)
        PanelOFF->raise();
    for (int k = 1; k <= kColumns; ++k) {
        const MarkView& mark = r.marks[k - 1];
        QToolButton* button = buttons[k];
        button->setVisible(true);
        button->setChecked(r.row.down[k - 1]);
        button->setEnabled(mark.enabled);
        button->setIcon(mark.finalLapGlyph ? finalLapIcon() : QIcon());
        button->setToolButtonStyle(mark.finalLapGlyph ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly);
        radios[k]->setVisible(mark.exactVisible);
        radios[k]->setChecked(r.row.exactMark == k);
        labels[k]->setText(mark.label);
        bevels[k]->setVisible(true);
    }
    show();
}

bool TFrame1::eventFilter(QObject* watched, QEvent* event)
{
    // A click on a mark's lap label counts as a click on the mark.
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int k = 1; k <= kColumns; ++k) {
            if (watched == labels[k]) {
                emit markClicked(k);
                return true;
            }
        }
    }
    return QFrame::eventFilter(watched, event);
}
