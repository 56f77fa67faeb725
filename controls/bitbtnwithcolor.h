#pragma once

#include "controls/tcolor.h"

#include <QPushButton>

// A push button whose face is painted in a chosen colour. The large command
// buttons of the main window use it; they act on the mouse button going down,
// so the press is reported as its own signal.
class TBitBtnWithColor : public QPushButton {
    Q_OBJECT
public:
    explicit TBitBtnWithColor(QWidget* parent = nullptr);

    TColor Color() const { return m_color; }
    void setColor(TColor value);
    int Tag() const { return m_tag; }
    void setTag(int value) { m_tag = value; }

signals:
    // Any mouse button going down on an enabled button.
    void mouseDown(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TColor m_color = clBtnFace;
    int m_tag = 0;
};
