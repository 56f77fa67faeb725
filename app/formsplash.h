#pragma once

#include <QWidget>

class TGauge;

// The progress window shown while results are written; the caller sets the
// caption and drives the gauge, and shows the window without making it modal.
class TFormSplash : public QWidget {
    Q_OBJECT

public:
    static constexpr int kOuterWidth = 423;
    static constexpr int kOuterHeight = 78;
    static constexpr int kGaugeBorder = 4;

    explicit TFormSplash(QWidget* parent = nullptr);

    TGauge* Gauge1() const { return m_gauge; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Sizes the window so that its outer frame is 423 by 78 and centres it
    // on the screen; the frame is only known once the window is shown.
    void placeOnScreen();

    TGauge* m_gauge = nullptr;
};
