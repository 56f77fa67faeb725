#include "controls/bitbtnwithcolor.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

TBitBtnWithColor::TBitBtnWithColor(QWidget* parent)
    : QPushButton(parent)
{
}

void TBitBtnWithColor::setColor(TColor value)
{
    if (value == m_color)
        return;
    m_color = value;
    update();
}

void TBitBtnWithColor::mousePressEvent(QMouseEvent* event)
{
    // Report the press first: the clock reads its tick in the handler, and the
    // button's own press handling must not come before it.
    m_pressInterrupted = false;
    if (isEnabled()) {
        m_reportingPress = true;
        emit mouseDown(event->button());
        m_reportingPress = false;
    }
    // A handler that disabled the button or asked a question took the mouse
    // away: the release will never come here, so the button must not go down
    // and stay drawn pressed.
    if (event->button() == Qt::LeftButton && isEnabled() && !m_pressInterrupted)
        QPushButton::mousePressEvent(event);
    else
        event->accept();
}

void TBitBtnWithColor::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_actsOnPress && event->button() == Qt::LeftButton) {
        setDown(false);
        event->accept();
        return;
    }
    QPushButton::mouseReleaseEvent(event);
}

void TBitBtnWithColor::keyPressEvent(QKeyEvent* event)
{
    // Outside a dialog a push button ignores Enter; the operator is given the
    // focus on EINTRAGEN and NÄCHSTEN to press just that.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()
        && event->modifiers() == Qt::NoModifier) {
        if (isEnabled())
            click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

bool TBitBtnWithColor::event(QEvent* event)
{
    if (m_reportingPress) {
        switch (event->type()) {
        case QEvent::FocusOut:
        case QEvent::WindowDeactivate:
        case QEvent::Hide:
            m_pressInterrupted = true;
            break;
        default:
            break;
        }
    }
    if (event->type() == QEvent::EnabledChange && !isEnabled() && isDown())
        setDown(false);
    return QPushButton::event(event);
}

void TBitBtnWithColor::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect r = rect();
    const bool pressed = isDown();
    const bool focused = hasFocus();

    if (focused || isDefault()) {
        p.setPen(QColor(100, 100, 100));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }

    // Raised 3-D edge when up, a flat shadow border when pressed.
    const QColor face = toQColor(m_color);
    if (!pressed) {
        p.setPen(QColor(255, 255, 255));
        p.drawLine(r.topLeft(), r.topRight() - QPoint(1, 0));
        p.drawLine(r.topLeft(), r.bottomLeft() - QPoint(0, 1));
        p.setPen(QColor(64, 64, 64));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        p.setPen(QColor(160, 160, 160));
        p.drawLine(r.bottomLeft() + QPoint(1, -1), r.bottomRight() - QPoint(1, 1));
        p.drawLine(r.topRight() + QPoint(-1, 1), r.bottomRight() - QPoint(1, 1));
        r.adjust(1, 1, -2, -2);
        p.setPen(face);
    } else {
        p.setPen(toQColor(clBtnShadow));
    }
    p.setBrush(face);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    r.adjust(1, 1, -1, -1);

    if (pressed)
        r.translate(1, 1);

    QColor textColour = palette().color(QPalette::ButtonText);
    if (!isEnabled())
        textColour = QColor(128, 128, 128);
    const int spacing = 4;
    const QPixmap glyph = icon().isNull() ? QPixmap() : icon().pixmap(iconSize(), isEnabled() ? QIcon::Normal : QIcon::Disabled);
    const QFontMetrics metrics(font());
    const int textWidth = text().isEmpty() ? 0 : metrics.horizontalAdvance(text());
    const int contentWidth = glyph.isNull() ? textWidth : glyph.width() / glyph.devicePixelRatio() + (textWidth ? spacing + textWidth : 0);
    int x = r.left() + (r.width() - contentWidth) / 2;
    if (!glyph.isNull()) {
        const int gw = int(glyph.width() / glyph.devicePixelRatio());
        const int gh = int(glyph.height() / glyph.devicePixelRatio());
        p.drawPixmap(x, r.top() + (r.height() - gh) / 2, glyph);
        x += gw + spacing;
    }
    if (textWidth) {
        p.setFont(font());
        p.setPen(textColour);
        p.drawText(QRect(x, r.top(), textWidth + 1, r.height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }

    if (focused) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(4, 4, -4, -4);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}
