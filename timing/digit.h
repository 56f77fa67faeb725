#pragma once

#include "controls/borderstyle.h"
#include "controls/tcolor.h"

#include <QPolygon>
#include <QWidget>

// One owner-drawn seven-segment digit with a corner dot. Setters compare first
// and repaint only on a real change: a running clock repaints little.
class TDigit : public QWidget {
    Q_OBJECT
public:
    explicit TDigit(QWidget* parent = nullptr);

    // Segment patterns of the digits 0 to 9 (bit 1 top, 2 middle, 4 bottom,
    // 8 upper-left, 16 upper-right, 32 lower-left, 64 lower-right, 128 dot).
    static quint8 patternOf(int digit);
    // The outline of one segment (bit 1 … 128) for a control of the given size.
    static QPolygon segmentPolygon(int bit, int width, int height, int thickness, int separation);

    int Value() const { return m_value; }
    void setValue(int value);
    quint8 ValueBinary() const { return m_valueBinary; }
    void setValueBinary(quint8 value);
    TColor Color() const { return m_color; }
    void setColor(TColor value);
    TColor ColorOn() const { return m_colorOn; }
    void setColorOn(TColor value);
    TColor ColorOff() const { return m_colorOff; }
    void setColorOff(TColor value);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle value);
    int Separation() const { return m_separation; }
    void setSeparation(int value);
    int Thickness() const { return m_thickness; }
    void setThickness(int value);
    int Tag() const { return m_tag; }
    void setTag(int value) { m_tag = value; }

    // How many times the digit asked to be repainted; lets tests and the
    // benchmark see that unchanged values cost nothing.
    int repaintRequests() const { return m_repaintRequests; }

signals:
    void OnOverflow(TDigit* sender);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void changed();

    int m_value = 0;
    quint8 m_valueBinary = 125;
    TColor m_color = clBlack;
    TColor m_colorOn = clYellow;
    TColor m_colorOff = clBlack;
    TBorderStyle m_borderStyle = TBorderStyle::bsSingle;
    int m_separation = 1;
    int m_thickness = 2;
    int m_tag = 0;
    int m_repaintRequests = 0;
};
