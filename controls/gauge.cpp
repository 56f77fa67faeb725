#include "controls/gauge.h"

#include <QPainter>

#include <algorithm>

TGauge::TGauge(QWidget* parent)
    : QWidget(parent)
{
    QFont f = font();
    f.setPixelSize(16);
    f.setBold(true);
    setFont(f);
}

void TGauge::setMinValue(int value)
{
    if (value == m_min)
        return;
    m_min = value;
    update();
}

void TGauge::setMaxValue(int value)
{
    if (value == m_max)
        return;
    m_max = value;
    update();
}

void TGauge::setProgress(int value)
{
    if (value == m_progress)
        return;
    m_progress = value;
    update();
}

void TGauge::setForeColor(TColor color)
{
    if (color == m_foreColor)
        return;
    m_foreColor = color;
    update();
}

void TGauge::setBackColor(TColor color)
{
    if (color == m_backColor)
        return;
    m_backColor = color;
    update();
}

int TGauge::percentDone(int minValue, int maxValue, int progress)
{
    if (maxValue == minValue)
        return 0;
    // 64 bits: the span of two ints times 100 does not fit in 32.
    const qint64 done = (qint64(progress) - minValue) * 100 / (qint64(maxValue) - minValue);
    return int(std::clamp<qint64>(done, 0, 100));
}

QString TGauge::percentText(int percent)
{
    return QString::number(percent) + QLatin1Char('%');
}

QSize TGauge::sizeHint() const
{
    return {200, 28};
}

void TGauge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, toQColor(m_backColor));

    const int percent = percentDone();
    const int barWidth = int(qint64(r.width()) * percent / 100);
    p.fillRect(QRect(r.left(), r.top(), barWidth, r.height()), toQColor(m_foreColor));

    p.setPen(QColor(0, 0, 0));
    p.drawRect(r.adjusted(0, 0, -1, -1));

    // A dark shadow keeps the white text readable on both bar and background.
    const QString text = percentText(percent);
    p.setFont(font());
    p.setPen(QColor(0, 0, 0));
    p.drawText(r.translated(1, 1), Qt::AlignCenter, text);
    p.setPen(QColor(255, 255, 255));
    p.drawText(r, Qt::AlignCenter, text);
}
