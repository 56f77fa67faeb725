#pragma once

#include "controls/tcolor.h"

#include <QComboBox>
#include <QFlags>
#include <QRect>
#include <QString>

#include <vector>

enum class ToColor { clrPure = 0x1, clrCtrl = 0x2, clrUser = 0x4 };
Q_DECLARE_FLAGS(ToColorSet, ToColor)
Q_DECLARE_OPERATORS_FOR_FLAGS(ToColorSet)

struct ColorEntry {
    QString name;
    TColor color;
    bool operator==(const ColorEntry&) const = default;
};

// A drop-down list for picking a colour: each entry shows a swatch and,
// optionally, the colour's name. The entry's colour is its item data.
//
// changed() is the list's change event: it is raised when ColorValue changes
// through a setter or when the operator picks an entry; clicked() follows a
// pick. A pick selects exactly the entry picked, so choosing "Other..." keeps
// "Other..." selected even when its colour equals a pure colour's.
class ToColorCombo : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kUserColorRole = Qt::UserRole;

    explicit ToColorCombo(QWidget* parent = nullptr);

    ToColorSet ColorSet() const { return m_colorSet; }
    void setColorSet(ToColorSet set);
    TColor ColorValue() const { return m_colorValue; }
    void setColorValue(TColor color);
    // The colour of the user entry; nothing without clrUser in ColorSet.
    TColor ColorUser() const { return m_colorUser; }
    void setColorUser(TColor color);
    bool DrawColorName() const { return m_drawColorName; }
    void setDrawColorName(bool on);

    // The colour of entry index, or nullopt-like clBlack with ok false.
    TColor entryColor(int index, bool* ok = nullptr) const;
    bool hasUserEntry() const { return m_colorSet.testFlag(ToColor::clrUser); }

    // The entries of the groups in set, in list order.
    static std::vector<ColorEntry> entriesFor(ToColorSet set);
    // The swatch of an entry drawn in rect r.
    static QRect swatchRect(const QRect& r, bool drawName);
    // Entry height for a font of pixelHeight: 12/10 of it (rounded) when
    // that is above 9, otherwise 10.
    static int entryHeightFor(int pixelHeight);
    // The height of this box's list entries, from its font's pixel size
    // (not its line spacing: an 11-pixel font gives 13, not 16).
    int entryHeight() const { return m_entryHeight; }
    // Draws one entry (background, swatch, name) as the list and the closed
    // box both show it.
    static void drawEntry(QPainter& painter, const QRect& r, const QString& name, TColor color, bool drawName,
                          const QColor& background, const QColor& text);

signals:
    void changed();
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuild();
    void entryPicked(int index);
    void applyEntryHeight();

    ToColorSet m_colorSet = ToColor::clrPure | ToColor::clrCtrl;
    TColor m_colorValue = clBlack;
    TColor m_colorUser = clBlack;
    bool m_drawColorName = true;
    int m_entryHeight = 10;
};
