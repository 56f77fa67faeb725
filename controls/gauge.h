#pragma once

#include "controls/tcolor.h"

#include <QWidget>

// A horizontal progress bar with the percentage done written across it.
class TGauge : public QWidget {
    Q_OBJECT

public:
    explicit TGauge(QWidget* parent = nullptr);

    int minValue() const { return m_min; }
    int maxValue() const { return m_max; }
    int progress() const { return m_progress; }
    void setMinValue(int value);
    void setMaxValue(int value);
    void setProgress(int value);

    TColor foreColor() const { return m_foreColor; }
    TColor backColor() const { return m_backColor; }
    void setForeColor(TColor color);
    void setBackColor(TColor color);

    // Whole percent of progress between minimum and maximum, truncated.
    int percentDone() const { return percentDone(m_min, m_max, m_progress); }
    // (progress - min) * 100 / (max - min) truncated towards zero; 0 when
    // max == min. A progress outside the range is clamped, so the result is
    // always 0 to 100 and the bar never overflows its frame.
    static int percentDone(int minValue, int maxValue, int progress);
    // The text drawn on the bar, "42%".
    static QString percentText(int percent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_min = 0;
    int m_max = 100;
    int m_progress = 0;
    TColor m_foreColor = clGray;
    TColor m_backColor = rgbColor(0x40, 0x40, 0x40);
};
