#include "app/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QtMath>
#include <QPainterPath>

namespace {

// A pylon standing on its base inside the given rectangle.
void drawPylon(QPainter& p, const QRectF& r)
{
    const qreal baseH = r.height() * 0.14;
    const QRectF base(r.left(), r.bottom() - baseH, r.width(), baseH);
    const qreal coneBottom = base.top();
    const qreal tipHalf = r.width() * 0.08;
    const qreal footHalf = r.width() * 0.40;
    const qreal cx = r.center().x();

    QPainterPath cone;
    cone.moveTo(cx - tipHalf, r.top());
    cone.lineTo(cx + tipHalf, r.top());
    cone.lineTo(cx + footHalf, coneBottom);
    cone.lineTo(cx - footHalf, coneBottom);
    cone.closeSubpath();

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 120, 0));
    p.drawPath(cone);

    // Two reflective stripes, clipped to the cone.
    p.save();
    p.setClipPath(cone);
    p.setBrush(QColor(250, 250, 250));
    const qreal h = coneBottom - r.top();
    p.drawRect(QRectF(r.left(), r.top() + h * 0.30, r.width(), h * 0.14));
    p.drawRect(QRectF(r.left(), r.top() + h * 0.62, r.width(), h * 0.14));
    p.restore();

    p.setBrush(QColor(60, 60, 60));
    p.drawRoundedRect(base, baseH * 0.3, baseH * 0.3);
}

void drawFlag(QPainter& p, const QRectF& r, int columns, int rows)
{
    const qreal w = r.width() / columns;
    const qreal h = r.height() / rows;
    p.setPen(Qt::NoPen);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            p.setBrush((x + y) % 2 ? QColor(20, 20, 20) : QColor(245, 245, 245));
            p.drawRect(QRectF(r.left() + x * w, r.top() + y * h, w, h));
        }
}

QPixmap iconPixmap(int side)
{
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    drawPylon(p, QRectF(side * 0.08, side * 0.04, side * 0.84, side * 0.92));
    return pm;
}

} // namespace

QPixmap paintInfoLogo(const QSize& size)
{
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient ground(0, 0, size.width(), size.height());
    ground.setColorAt(0, QColor(0, 32, 96));
    ground.setColorAt(1, QColor(0, 90, 170));
    p.fillRect(pm.rect(), ground);

    const int h = size.height();
    drawPylon(p, QRectF(8, h * 0.12, h * 0.62, h * 0.76));

    // A small flag on its pole beside the pylon.
    const qreal poleX = 12 + h * 0.62;
    p.setPen(QPen(QColor(220, 220, 220), 2));
    p.drawLine(QPointF(poleX, h * 0.15), QPointF(poleX, h * 0.88));
    drawFlag(p, QRectF(poleX + 1, h * 0.15, h * 0.50, h * 0.30), 5, 3);

    QFont name(QStringLiteral("Arial"));
    name.setPixelSize(int(h * 0.46));
    name.setBold(true);
    name.setItalic(true);
    p.setFont(name);
    p.setPen(QColor(255, 255, 255));
    const QRectF textArea(poleX + h * 0.58, 0, size.width() - poleX - h * 0.58 - 6, h * 0.70);
    p.drawText(textArea, Qt::AlignCenter, QStringLiteral("PYLONIX"));

    QFont sub(QStringLiteral("Arial"));
    sub.setPixelSize(int(h * 0.18));
    p.setFont(sub);
    p.setPen(QColor(255, 190, 120));
    p.drawText(QRectF(textArea.left(), h * 0.64, textArea.width(), h * 0.28), Qt::AlignCenter,
               QStringLiteral("Zeitnahme"));
    return pm;
}

QIcon pylonixIcon()
{
    QIcon icon;
    for (int side : {16, 32, 48, 64})
        icon.addPixmap(iconPixmap(side));
    return icon;
}

QIcon tickIcon()
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 140, 0), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(3, 11);
    tick.lineTo(8, 16);
    tick.lineTo(17, 4);
    p.drawPath(tick);
    return QIcon(pm);
}

namespace {

void paintGlyph(QPainter& p, ToolGlyph glyph)
{
    const QColor ink(40, 40, 40);
    switch (glyph) {
    case ToolGlyph::Save: {
        // A floppy disk: body, metal slider, label.
        p.setPen(QPen(ink, 1.2));
        p.setBrush(QColor(40, 80, 160));
        QPainterPath body;
        body.moveTo(3, 3);
        body.lineTo(17, 3);
        body.lineTo(21, 7);
        body.lineTo(21, 21);
        body.lineTo(3, 21);
        body.closeSubpath();
        p.drawPath(body);
        p.setBrush(QColor(210, 210, 215));
        p.drawRect(QRectF(7, 3, 9, 6));
        p.setBrush(QColor(40, 80, 160));
        p.drawRect(QRectF(12.5, 4.2, 2, 3.6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 12, 12, 8));
        p.setPen(QPen(QColor(150, 150, 150), 1));
        p.drawLine(QPointF(8, 15), QPointF(16, 15));
        p.drawLine(QPointF(8, 17.5), QPointF(16, 17.5));
        break;
    }
    case ToolGlyph::Clear: {
        // A sheet with a red cross: the results go.
        p.setPen(QPen(ink, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 3, 14, 18));
        p.setPen(QPen(QColor(150, 150, 150), 1));
        for (qreal y = 7; y < 20; y += 3)
            p.drawLine(QPointF(6, y), QPointF(16, y));
        p.setPen(QPen(QColor(200, 0, 0), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(21, 21));
        p.drawLine(QPointF(21, 12), QPointF(12, 21));
        break;
    }
    case ToolGlyph::Spreadsheet: {
        p.setPen(QPen(ink, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 4, 18, 16));
        p.setBrush(QColor(30, 130, 60));
        p.drawRect(QRectF(3, 4, 18, 4));
        p.setPen(QPen(QColor(30, 130, 60), 1));
        for (qreal x = 9; x < 21; x += 6)
            p.drawLine(QPointF(x, 8), QPointF(x, 20));
        for (qreal y = 12; y < 20; y += 4)
            p.drawLine(QPointF(3, y), QPointF(21, y));
        break;
    }
    case ToolGlyph::Abort:
    case ToolGlyph::Close: {
        const bool big = glyph == ToolGlyph::Abort;
        const qreal a = big ? 5 : 7;
        const qreal b = 24 - a;
        p.setPen(QPen(big ? QColor(200, 0, 0) : ink, big ? 3.6 : 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(a, a), QPointF(b, b));
        p.drawLine(QPointF(b, a), QPointF(a, b));
        break;
    }
    }
}

}  // namespace

QIcon toolGlyph(ToolGlyph glyph)
{
    QIcon icon;
    for (int side : {24, 48}) {
        QPixmap pm(side, side);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(side / 24.0, side / 24.0);
        paintGlyph(p, glyph);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

namespace {

// One image of a top-bar glyph in a `side` wide cell; `hot` is the look
// while the mouse is over the button.
void paintTopBarImage(QPainter& p, TopBarGlyph glyph, int height, bool hot)
{
    const QColor ink = hot ? QColor(255, 255, 255) : QColor(214, 219, 230);
    const QColor outline = hot ? QColor(255, 196, 40) : QColor(24, 28, 40);
    const QPointF centre(16, height / 2.0);
    p.setRenderHint(QPainter::Antialiasing);
    if (glyph == TopBarGlyph::Settings) {
        QPainterPath cog;
        for (int i = 0; i < 16; ++i) {
            const qreal r = (i % 2 == 0) ? 13.5 : 10.0;
            const qreal a0 = (i - 0.5) * M_PI / 8;
            const qreal a1 = (i + 0.5) * M_PI / 8;
            const QPointF p0 = centre + QPointF(r * qCos(a0), r * qSin(a0));
            const QPointF p1 = centre + QPointF(r * qCos(a1), r * qSin(a1));
            if (i == 0)
                cog.moveTo(p0);
            else
                cog.lineTo(p0);
            cog.lineTo(p1);
        }
        cog.closeSubpath();
        cog.addEllipse(centre, 4.5, 4.5);
        cog.setFillRule(Qt::OddEvenFill);
        p.setPen(QPen(outline, hot ? 1.6 : 1.0));
        p.setBrush(ink);
        p.drawPath(cog);
        return;
    }
    // Help and information: a disc with the sign cut out of it.
    const QColor disc = hot ? QColor(40, 130, 255) : QColor(70, 100, 170);
    p.setPen(QPen(outline, hot ? 1.8 : 1.0));
    p.setBrush(disc);
    p.drawEllipse(centre, 13.0, 13.0);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    if (glyph == TopBarGlyph::Info) {
        p.drawEllipse(QPointF(16, 9), 2.4, 2.4);
        p.drawRoundedRect(QRectF(13.8, 13, 4.4, 11.5), 1.2, 1.2);
        return;
    }
    QPainterPath hook;
    hook.arcMoveTo(QRectF(10.5, 6, 11, 10), 160);
    hook.arcTo(QRectF(10.5, 6, 11, 10), 160, -250);
    hook.lineTo(16, 19);
    p.setPen(QPen(ink, 3.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(16, 24.5), 2.2, 2.2);
}

}  // namespace

QPixmap topBarGlyph(TopBarGlyph glyph, const QColor& ground)
{
    const int height = glyph == TopBarGlyph::Settings ? 34 : 32;
    QImage strip(64, height, QImage::Format_RGB888);
    strip.fill(ground);
    QPainter p(&strip);
    for (bool hot : {false, true}) {
        p.save();
        p.translate(hot ? 32 : 0, 0);
        p.setClipRect(QRect(0, 0, 32, height));
        paintTopBarImage(p, glyph, height, hot);
        p.restore();
    }
    p.end();
    return QPixmap::fromImage(strip);
}
