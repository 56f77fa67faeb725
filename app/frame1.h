#pragma once

#include <QFrame>
#include <array>

class QCheckBox;
class QLabel;
class QRadioButton;
class QToolButton;

struct TimeListRow;

// One row of the list of taken times: the time text, the check box that makes
// the row count, and one assignment button per start-number field. It shows
// a row of the time list and reports what the operator clicked; it keeps no
// state of its own.
class TFrame1 : public QFrame {
    Q_OBJECT
public:
    static constexpr int kWidth = 349;
    static constexpr int kHeight = 34;
    static constexpr int kColumns = 5;

    TFrame1(int rowNumber, QWidget* parent = nullptr);

    // The controls below exist once the row is built.
    bool isBuilt() const { return TimeRunden != nullptr; }
    void build();

    QLabel* TextRunden = nullptr;
    QLabel* TimeRunden = nullptr;
    QCheckBox* cbON = nullptr;
    QFrame* Bevel0 = nullptr;
    QFrame* PanelOFF = nullptr;

    // Indexed 1 to 5, so column k is reached by index; entry 0 is unused.
    std::array<QToolButton*, kColumns + 1> buttons{};
    std::array<QRadioButton*, kColumns + 1> radios{};
    std::array<QFrame*, kColumns + 1> bevels{};
    std::array<QLabel*, kColumns + 1> labels{};

    void setTimeColor(const QColor& colour);
    // Hidden, every mark up and enabled, the box checked and the cover gone:
    // a row of one race carries nothing into the next. Marks of columns
    // beyond `columnsShown` are hidden.
    void makeFresh(int columnsShown);
    // Shows `row` and makes this row visible.
    void showRow(const TimeListRow& row);

signals:
    void markClicked(int k);      // button k or its label
    void exactClicked(int k);     // exact-time mark k
    void countedClicked(bool on); // the check box, as it is now

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    QColor timeColor() const { return m_timeColour; }

private:
    int m_number = 0;
    QColor m_timeColour;
};
