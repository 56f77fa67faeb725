#include "app/forminfo.h"

#include "app/artwork.h"
#include "controls/tcolor.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// %1: the folder of the daily backup.
const char* const kAbout =
    "Pylonix nimmt die Zeiten bei Slalom- und Clubsport-Veranstaltungen: "
    "bis zu fünf Fahrzeuge je Lauf, Start und bis zu drei Runden, "
    "von Hand oder mit einer Lichtschranke an der seriellen Schnittstelle.\n\n"
    "Die Ergebnisse werden je Klasse nach der besten Runde gewertet und "
    "täglich in der Sicherungsdatei Sicherung_JJJJ-MM-TT.txt im Ordner\n%1\nabgelegt "
    "(dem Ordner, aus dem das Programm gestartet wurde).\n\n"
    "Tasten: F5 Start, F6 Zeit, F8 Ende, F9 Eintragen, F10 Nächsten, "
    "F1 Hilfe, F2 Einstellungen.\n\n"
    "Logo.jpg, Klassen.txt, ZEIT.wav und Sprachdateien (*.lng) liegen "
    "im Programmordner.";

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

QIcon applicationIcon()
{
    const QIcon icon = QApplication::windowIcon();
    return icon.isNull() ? pylonixIcon() : icon;
}

void setTextColor(QWidget* w, TColor color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, toQColor(color));
    w->setPalette(pal);
}

} // namespace

TFormInfo::TFormInfo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_linkUrl(defaultLinkUrl())
{
    setObjectName(QStringLiteral("FormInfo"));
    setWindowTitle(QStringLiteral("Information"));
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(clSilver));
    setPalette(pal);

    m_image1 = makeLabel(this, "Image1", QString(), QRect(9, 8, 238, 65));
    m_image1->setPixmap(paintInfoLogo(QSize(238, 65)));
    m_image1->setCursor(Qt::PointingHandCursor);
    m_image1->installEventFilter(this);

    m_panel1 = new QFrame(this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_panel1->setGeometry(9, 81, 44, 44);
    m_imageIcon = makeLabel(m_panel1, "ImageICON", QString(), QRect(6, 6, 32, 32));

    m_label1 = makeLabel(this, "Label1", QStringLiteral("Pylonix"), QRect(60, 79, 187, 24));
    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(17);
    title.setBold(true);
    title.setUnderline(true);
    m_label1->setFont(title);
    m_label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setTextColor(m_label1, clMaroon);

    m_labelVer = makeLabel(this, "LabelVer", QStringLiteral("Version 2.5 (22.05.2016)"),
                           QRect(60, 105, 187, 18));
    m_labelVer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_bevel1 = new QFrame(this);
    m_bevel1->setObjectName(QStringLiteral("Bevel1"));
    m_bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    m_bevel1->setGeometry(9, 132, 238, 4);

    m_memo1 = new QPlainTextEdit(this);
    m_memo1->setObjectName(QStringLiteral("Memo1"));
    m_memo1->setGeometry(9, 142, 238, 226);
    m_memo1->setReadOnly(true);
    // Not reached by Tab: the window keeps the keys until the text is clicked.
    m_memo1->setFocusPolicy(Qt::ClickFocus);
    m_memo1->setTabChangesFocus(true);
    QFont memoFont = m_memo1->font();
    memoFont.setPixelSize(12);
    m_memo1->setFont(memoFont);
    setBackupFolder(QDir::currentPath());

    m_sOK = new QPushButton(tickIcon(), QStringLiteral("Einverstanden"), this);
    m_sOK->setObjectName(QStringLiteral("sOK"));
    m_sOK->setGeometry(48, 376, 160, 30);
    QFont okFont = m_sOK->font();
    okFont.setPixelSize(15);
    okFont.setBold(true);
    m_sOK->setFont(okFont);
    m_sOK->setDefault(true);
    connect(m_sOK, &QPushButton::clicked, this, &TFormInfo::sOKClick);

    m_lab = makeLabel(this, "Lab", QStringLiteral("Dateien:"), QRect(9, 416, 60, 16));
    m_label2 = makeLabel(this, "Label2", QStringLiteral("Programmordner öffnen"),
                         QRect(69, 416, 178, 16));
    QFont linkFont = m_label2->font();
    linkFont.setUnderline(true);
    m_label2->setFont(linkFont);
    setTextColor(m_label2, clBlue);
    m_label2->setCursor(Qt::PointingHandCursor);
    m_label2->installEventFilter(this);

    m_imageIcon->setPixmap(applicationIcon().pixmap(32, 32));
    m_sOK->setFocus();
}

QUrl TFormInfo::defaultLinkUrl()
{
    return QUrl::fromLocalFile(QCoreApplication::applicationDirPath());
}

void TFormInfo::setBackupFolder(const QString& folder)
{
    m_memo1->setPlainText(QString::fromUtf8(kAbout).arg(QDir::toNativeSeparators(folder)));
}

void TFormInfo::sOKClick()
{
    accept();
}

void TFormInfo::Image1Click()
{
    QDesktopServices::openUrl(m_linkUrl);
}

bool TFormInfo::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_image1 || watched == m_label2) && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* w = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && w->rect().contains(mouse->position().toPoint())) {
            Image1Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormInfo::showEvent(QShowEvent* event)
{
    // The application icon may be set after this window was created.
    m_imageIcon->setPixmap(applicationIcon().pixmap(32, 32));
    QDialog::showEvent(event);
}
