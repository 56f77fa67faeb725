#include "controls/gridglyphs.h"

#include "controls/gridtypes.h"

#include <QPainter>
#include <QPolygon>

namespace {
QImage blank(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A raised outline triangle: light edges towards the top-left, shadow edges
// towards the bottom-right, as a 3-D button face would show it.
QImage arrow(bool up)
{
    QImage image = blank(8, 7);
    QPainter p(&image);
    const QColor light = gridColor(clBtnHighlight);
    const QColor shadow = gridColor(clBtnShadow);
    const QColor dark(64, 64, 64);
    if (up) {
        p.setPen(shadow);
        p.drawLine(3, 0, 0, 6);
        p.setPen(light);
        p.drawLine(4, 0, 7, 6);
        p.setPen(dark);
        p.drawLine(0, 6, 7, 6);
    } else {
        p.setPen(shadow);
        p.drawLine(0, 0, 7, 0);
        p.drawLine(0, 0, 3, 6);
        p.setPen(light);
        p.drawLine(7, 0, 4, 6);
    }
    return image;
}

QImage box(bool tick)
{
    QImage image = blank(16, 16);
    QPainter p(&image);
    p.fillRect(0, 0, 10, 10, Qt::white);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(0, 0, 9, 9);
    if (tick) {
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(2, 4, 4, 6);
        p.drawLine(2, 5, 4, 7);
        p.drawLine(4, 6, 7, 2);
        p.drawLine(4, 7, 7, 3);
    }
    return image;
}

QImage button(bool dots)
{
    QImage image = blank(16, 16);
    QPainter p(&image);
    p.fillRect(0, 0, 16, 16, gridColor(clBtnFace));
    p.setPen(gridColor(clBtnHighlight));
    p.drawLine(0, 0, 14, 0);
    p.drawLine(0, 0, 0, 14);
    p.setPen(gridColor(clBtnShadow));
    p.drawLine(0, 15, 15, 15);
    p.drawLine(15, 0, 15, 15);
    p.setPen(Qt::black);
    p.setBrush(Qt::black);
    if (dots) {
        for (int x : {4, 7, 10})
            p.drawRect(x, 10, 1, 1);
    } else {
        p.drawPolygon(QPolygon({QPoint(4, 6), QPoint(11, 6), QPoint(7, 10)}));
    }
    return image;
}
}  // namespace

const QImage& TGridGlyphs::arrowUp()
{
    static const QImage image = arrow(true);
    return image;
}

const QImage& TGridGlyphs::arrowDown()
{
    static const QImage image = arrow(false);
    return image;
}

const QImage& TGridGlyphs::checked()
{
    static const QImage image = box(true);
    return image;
}

const QImage& TGridGlyphs::unchecked()
{
    static const QImage image = box(false);
    return image;
}

const QImage& TGridGlyphs::comboBox()
{
    static const QImage image = button(false);
    return image;
}

const QImage& TGridGlyphs::ellipsis()
{
    static const QImage image = button(true);
    return image;
}
