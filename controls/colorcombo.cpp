#include "controls/colorcombo.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QFontInfo>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <cmath>

namespace {

constexpr const char* kPureNames[16] = {"Black", "Maroon", "Green", "Olive", "Navy",  "Purple", "Teal",    "Gray",
                                        "Silver", "Red",   "Lime",  "Yellow", "Blue", "Fuchsia", "Aqua", "White"};
constexpr TColor kPureColors[16] = {clBlack,  clMaroon, clGreen, clOlive,  clNavy, clPurple,  clTeal, clGray,
                                    clSilver, clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};
constexpr const char* kCtrlNames[21] = {
    "ScrollBar",     "Background",   "ActiveCaption", "InactiveCaption", "Menu",          "Window",
    "WindowFrame",   "MenuText",     "WindowText",    "CaptionText",     "ActiveBorder",  "InactiveBorder",
    "AppWorkSpace",  "Highlight",    "HighlightText", "BtnFace",         "BtnShadow",     "GrayText",
    "BtnText",       "InactiveCaptionText", "BtnHighlight"};

class EntryDelegate : public QStyledItemDelegate {
public:
    EntryDelegate(ToColorCombo* combo)
        : QStyledItemDelegate(combo)
        , m_combo(combo)
    {
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const QPalette& p = option.palette;
        ToColorCombo::drawEntry(*painter, option.rect, index.data(Qt::DisplayRole).toString(),
                                TColor(index.data(ToColorCombo::kUserColorRole).toInt()), m_combo->DrawColorName(),
                                selected ? p.color(QPalette::Highlight) : p.color(QPalette::Base),
                                selected ? p.color(QPalette::HighlightedText) : p.color(QPalette::Text));
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(m_combo->entryHeight());
        return size;
    }

private:
    ToColorCombo* m_combo;
};

}  // namespace

ToColorCombo::ToColorCombo(QWidget* parent)
    : QComboBox(parent)
{
    setItemDelegate(new EntryDelegate(this));
    applyEntryHeight();
    rebuild();
    connect(this, &QComboBox::activated, this, &ToColorCombo::entryPicked);
}

std::vector<ColorEntry> ToColorCombo::entriesFor(ToColorSet set)
{
    std::vector<ColorEntry> entries;
    if (set.testFlag(ToColor::clrPure))
        for (int i = 0; i < 16; ++i)
            entries.push_back({QString::fromLatin1(kPureNames[i]), kPureColors[i]});
    if (set.testFlag(ToColor::clrCtrl))
        for (int i = 0; i < 21; ++i)
            entries.push_back({QString::fromLatin1(kCtrlNames[i]), systemColor(i)});
    if (set.testFlag(ToColor::clrUser))
        entries.push_back({QStringLiteral("Other..."), clBlack});
    return entries;
}

QRect ToColorCombo::swatchRect(const QRect& r, bool drawName)
{
    // Corners as the list gives them: right and bottom are exclusive edges.
    const int right = drawName ? r.left() + 24 : r.left() + r.width() - 2;
    const int bottom = r.top() + r.height() - 2;
    return QRect(QPoint(r.left() + 2, r.top() + 2), QPoint(right - 1, bottom - 1));
}

int ToColorCombo::entryHeightFor(int pixelHeight)
{
    // Integer multiply-divide, rounded half away from zero.
    const int height = int(std::lround(pixelHeight * 12 / 10.0));
    return height > 9 ? height : 10;
}

void ToColorCombo::drawEntry(QPainter& painter, const QRect& r, const QString& name, TColor color, bool drawName,
                             const QColor& background, const QColor& text)
{
    painter.save();
    painter.fillRect(r, background);
    const QRect swatch = swatchRect(r, drawName);
    painter.fillRect(swatch, Qt::black);
    painter.fillRect(swatch.adjusted(1, 1, -1, -1), toQColor(color));
    if (drawName) {
        painter.setPen(text);
        const QRect textRect(QPoint(r.left() + 28, r.top()), r.bottomRight());
        // Plain text on one line: an "&" in a name is a character, not a mnemonic.
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
    }
    painter.restore();
}

TColor ToColorCombo::entryColor(int index, bool* ok) const
{
    const bool valid = index >= 0 && index < count();
    if (ok)
        *ok = valid;
    return valid ? TColor(itemData(index, kUserColorRole).toInt()) : clBlack;
}

void ToColorCombo::rebuild()
{
    const QSignalBlocker quiet(this);
    clear();
    for (const ColorEntry& entry : entriesFor(m_colorSet))
        addItem(entry.name, QVariant(int(entry.color)));
    if (hasUserEntry())
        setItemData(count() - 1, QVariant(int(m_colorUser)), kUserColorRole);
    setCurrentIndex(count() > 0 ? 0 : -1);
    update();
}

void ToColorCombo::setColorSet(ToColorSet set)
{
    if (!set)
        set = ToColor::clrUser;
    if (set == m_colorSet)
        return;
    m_colorSet = set;
    rebuild();
}

void ToColorCombo::setColorValue(TColor color)
{
    if (color == m_colorValue)
        return;
    for (int i = 0; i < count(); ++i) {
        if (entryColor(i) == color) {
            setCurrentIndex(i);
            m_colorValue = color;
            emit changed();
            return;
        }
    }
    if (!hasUserEntry())
        return;
    m_colorValue = color;
    m_colorUser = color;
    setItemData(count() - 1, QVariant(int(color)), kUserColorRole);
    setCurrentIndex(count() - 1);
    emit changed();
    update();
}

void ToColorCombo::setColorUser(TColor color)
{
    if (!hasUserEntry())
        return;
    m_colorUser = color;
    setItemData(count() - 1, QVariant(int(color)), kUserColorRole);
    setCurrentIndex(count() - 1);
    m_colorValue = color;
    emit changed();
    update();
}

void ToColorCombo::setDrawColorName(bool on)
{
    if (on == m_drawColorName)
        return;
    m_drawColorName = on;
    update();
}

void ToColorCombo::entryPicked(int index)
{
    bool ok = false;
    const TColor color = entryColor(index, &ok);
    if (ok) {
        m_colorValue = color;
        emit changed();
    }
    emit clicked();
}

void ToColorCombo::applyEntryHeight()
{
    m_entryHeight = entryHeightFor(QFontInfo(font()).pixelSize());
    if (view())
        view()->doItemsLayout();
}

void ToColorCombo::changeEvent(QEvent* event)
{
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyEntryHeight();
}

void ToColorCombo::paintEvent(QPaintEvent*)
{
    // The closed box draws its frame and arrow as usual and the chosen entry
    // the way the list draws it.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (currentIndex() < 0)
        return;
    const bool focused = hasFocus() && !view()->isVisible();
    const QPalette& p = palette();
    drawEntry(painter, field, currentText(), entryColor(currentIndex()), m_drawColorName,
              focused ? p.color(QPalette::Highlight) : p.color(QPalette::Base),
              focused ? p.color(QPalette::HighlightedText) : p.color(QPalette::Text));
}
