#include "app/fdlgyesno.h"

#include "app/programname.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace {

QPixmap questionPicture()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath bubble;
    bubble.addEllipse(QRectF(1, 1, 29, 24));
    bubble.moveTo(8, 21);
    bubble.lineTo(5, 31);
    bubble.lineTo(15, 24);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPath(bubble.simplified());
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(20);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 200));
    p.drawText(QRect(1, 1, 29, 24), Qt::AlignCenter, QStringLiteral("?"));
    return pixmap;
}

QPixmap warningPicture()
{
    QPixmap pixmap(31, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPolygonF triangle({QPointF(15.5, 2), QPointF(30, 29), QPointF(1, 29)});
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 220, 0));
    p.drawPolygon(triangle);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(18);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(1, 8, 29, 21), Qt::AlignCenter, QStringLiteral("!"));
    return pixmap;
}

QPointer<TFDlgYesNo> g_instance;

}  // namespace

TFDlgYesNo::TFDlgYesNo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FDlgYesNo"));
    setWindowTitle(programTitle());
    setFixedSize(222, 94);
    QFont dialogFont(QStringLiteral("Liberation Sans"));
    dialogFont.setPixelSize(11);
    setFont(dialogFont);

    m_label = new QLabel(QStringLiteral("?"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setGeometry(40, 6, 169, 49);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    // A typed class name is asked back as it was typed, markup and all.
    m_label->setTextFormat(Qt::PlainText);

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("Icon"));
    m_icon->setGeometry(4, 14, 32, 32);
    m_icon->setPixmap(questionPicture());

    m_icon2 = new QLabel(this);
    m_icon2->setObjectName(QStringLiteral("Icon2"));
    m_icon2->setGeometry(4, 14, 31, 32);
    m_icon2->setPixmap(warningPicture());
    m_icon2->hide();

    m_ok = new QPushButton(QStringLiteral("Ja"), this);
    m_ok->setObjectName(QStringLiteral("OKBtn"));
    m_ok->setGeometry(39, 60, 75, 25);
    // Auto-default on both: Enter presses whichever button has the focus.
    m_ok->setAutoDefault(true);

    m_cancel = new QPushButton(QStringLiteral("Nein"), this);
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    m_cancel->setGeometry(135, 60, 75, 25);
    m_cancel->setAutoDefault(true);

    setTabOrder(m_ok, m_cancel);
    m_lastFocus = m_ok;

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFDlgYesNo* TFDlgYesNo::instance()
{
    if (!g_instance) {
        g_instance = new TFDlgYesNo;
        // The instance has no parent; end it with the application.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, g_instance.data(), &QObject::deleteLater);
    }
    return g_instance;
}

bool TFDlgYesNo::ask(const QString& question, QWidget* centreOn)
{
    TFDlgYesNo* dialog = instance();
    dialog->SetQuestion(question);
    if (centreOn) {
        const QRect frame = centreOn->frameGeometry();
        QRect box(QPoint(0, 0), dialog->frameGeometry().size());
        box.moveCenter(frame.center());
        dialog->move(box.topLeft());
    }
    return dialog->exec() == QDialog::Accepted;
}

void TFDlgYesNo::SetQuestion(const QString& text)
{
    m_label->setText(text);
    const bool isQuestion = text.contains(QLatin1Char('?'));
    m_icon->setVisible(isQuestion);
    m_icon2->setVisible(!isQuestion);
}

QString TFDlgYesNo::question() const
{
    return m_label->text();
}

bool TFDlgYesNo::questionIconShown() const
{
    return !m_icon->isHidden();
}

int TFDlgYesNo::exec()
{
    // The focus returns to whichever button had it when the dialog last closed.
    QPushButton* focus = m_lastFocus ? m_lastFocus : m_ok;
    focus->setFocus(Qt::OtherFocusReason);
    return QDialog::exec();
}

void TFDlgYesNo::done(int result)
{
    if (m_cancel->hasFocus())
        m_lastFocus = m_cancel;
    else if (m_ok->hasFocus())
        m_lastFocus = m_ok;
    QDialog::done(result);
}
