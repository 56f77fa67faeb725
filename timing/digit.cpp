#include "timing/digit.h"

#include <QPaintEvent>
#include <QPainter>
#include <array>

namespace {

constexpr std::array<quint8, 10> kPatterns{125, 80, 55, 87, 90, 79, 111, 81, 127, 95};
constexpr std::array<int, 8> kSegmentBits{1, 2, 4, 8, 16, 32, 64, 128};

}  // namespace

TDigit::TDigit(QWidget* parent)
    : QWidget(parent)
{
    // Every pixel is painted by paintEvent; Qt need not clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(16, 32);
}

quint8 TDigit::patternOf(int digit)
{
    if (digit < 0 || digit > 9)
        return 0;
    return kPatterns[std::size_t(digit)];
}

QPolygon TDigit::segmentPolygon(int bit, int width, int height, int thickness, int separation)
{
    const int W = width - 1;
    const int H = height - 1;
    const int t = thickness;
    const int s = separation;
    const int h2 = H / 2;

    const auto horizontal = [&](int b) {
        return QPolygon({QPoint(s + t, b + t), QPoint(s + 2 * t, b), QPoint(W - 2 * t - s, b),
                         QPoint(W - t - s, b + t), QPoint(W - 2 * t - s, b + 2 * t), QPoint(s + 2 * t, b + 2 * t)});
    };
    const auto vertical = [&](int e, int b) {
        return QPolygon({QPoint(e, b + 2 * t + s), QPoint(e + t, b + t + s), QPoint(e + 2 * t, b + 2 * t + s),
                         QPoint(e + 2 * t, b + h2 - t - s), QPoint(e + t, b + h2 - s), QPoint(e, b + h2 - t - s)});
    };
    const int right = W - 2 * t;
    const int lower = h2 - t;

    switch (bit) {
    case 1:
        return horizontal(0);
    case 2:
        return horizontal(h2 - t);
    case 4:
        return horizontal(H - 2 * t);
    case 8:
        return vertical(0, 0);
    case 16:
        return vertical(right, 0);
    case 32:
        return vertical(0, lower);
    case 64:
        return vertical(right, lower);
    case 128:
        return QPolygon({QPoint(W, H), QPoint(W - 2 * t + s, H), QPoint(W, H - 2 * t + s)});
    default:
        return {};
    }
}

void TDigit::setValue(int value)
{
    if (value == m_value)
        return;
    if (value < 0 || value > 9) {
        m_value = 0;
        emit OnOverflow(this);
    } else {
        m_value = value;
    }
    setValueBinary(patternOf(m_value));
}

void TDigit::setValueBinary(quint8 value)
{
    if (value == m_valueBinary)
        return;
    m_valueBinary = value;
    changed();
}

void TDigit::setColor(TColor value)
{
    if (value == m_color)
        return;
    m_color = value;
    changed();
}

void TDigit::setColorOn(TColor value)
{
    if (value == m_colorOn)
        return;
    m_colorOn = value;
    changed();
}

void TDigit::setColorOff(TColor value)
{
    if (value == m_colorOff)
        return;
    m_colorOff = value;
    changed();
}

void TDigit::setBorderStyle(TBorderStyle value)
{
    if (value == m_borderStyle)
        return;
    m_borderStyle = value;
    changed();
}

void TDigit::setSeparation(int value)
{
    m_separation = value;
    changed();
}

void TDigit::setThickness(int value)
{
    // Thicker bars than half the control would overlap one another.
    if (value > width() / 2 || value > height() / 2)
        return;
    if (value == m_thickness)
        return;
    m_thickness = value;
    changed();
}

void TDigit::changed()
{
    ++m_repaintRequests;
    update();
}

void TDigit::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    // The segment outlines are pixel geometry: no blending at the edges.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor background = toQColor(m_color);
    painter.fillRect(event->rect(), background);

    painter.setPen(QPen(background, 1));
    const QBrush on(toQColor(m_colorOn));
    const QBrush off(toQColor(m_colorOff));
    for (const int bit : kSegmentBits) {
        painter.setBrush((m_valueBinary & bit) ? on : off);
        painter.drawPolygon(segmentPolygon(bit, width(), height(), m_thickness, m_separation));
    }
}
