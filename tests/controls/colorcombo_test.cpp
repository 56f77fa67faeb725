#include "controls/colorcombo.h"

#include "support/fakes.h"
#include "support/userinput.h"

#include <QAbstractItemView>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TEST(ColorComboEntries, GroupsInListOrder)
{
    const auto all = ToColorCombo::entriesFor(ToColor::clrPure | ToColor::clrCtrl | ToColor::clrUser);
    ASSERT_EQ(all.size(), 38u);
    EXPECT_EQ(all[0], (ColorEntry{QStringLiteral("Black"), clBlack}));
    EXPECT_EQ(all[9], (ColorEntry{QStringLiteral("Red"), clRed}));
    EXPECT_EQ(all[15], (ColorEntry{QStringLiteral("White"), clWhite}));
    EXPECT_EQ(all[16], (ColorEntry{QStringLiteral("ScrollBar"), systemColor(0)}));
    EXPECT_EQ(all[36], (ColorEntry{QStringLiteral("BtnHighlight"), systemColor(20)}));
    EXPECT_EQ(all[37].name, QStringLiteral("Other..."));
}

TEST(ColorComboGeometry, SwatchAndEntryHeight)
{
    const QRect entry(10, 20, 74, 13);  // x 10..83, y 20..32
    EXPECT_EQ(ToColorCombo::swatchRect(entry, true), QRect(QPoint(12, 22), QPoint(33, 30)));
    EXPECT_EQ(ToColorCombo::swatchRect(entry, false), QRect(QPoint(12, 22), QPoint(81, 30)));
    const std::pair<int, int> heights[] = {{11, 13}, {13, 16}, {8, 10}, {7, 10}, {5, 10}};
    for (const auto& [font, height] : heights)
        EXPECT_EQ(ToColorCombo::entryHeightFor(font), height) << font;
}

class ColorCombo : public ::testing::Test {
protected:
    ToColorCombo combo;
};

TEST_F(ColorCombo, ListEntriesAreTwelveTenthsOfTheFontsPixelSize)
{
    combo.setColorSet(ToColor::clrPure);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    combo.setFont(font);
    ASSERT_TRUE(showActive(&combo));
    userClick(&combo);
    ASSERT_TRUE(combo.view()->isVisible());
    EXPECT_EQ(combo.view()->visualRect(combo.model()->index(1, 0)).height(), 13);
    combo.hidePopup();
}

TEST_F(ColorCombo, AColourNotInTheListGoesToTheUserEntryAndAPureOneToItsEntry)
{
    combo.setColorSet(ToColor::clrPure | ToColor::clrUser);
    QSignalSpy changes(&combo, &ToColorCombo::changed);
    combo.setColorValue(rgbColor(1, 2, 3));
    EXPECT_EQ(combo.currentText(), QStringLiteral("Other..."));
    EXPECT_EQ(combo.entryColor(combo.currentIndex()), rgbColor(1, 2, 3));
    combo.setColorValue(clRed);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Red"));
    EXPECT_EQ(combo.ColorValue(), clRed);
    EXPECT_EQ(changes.count(), 2);
    combo.setColorValue(clRed);
    EXPECT_EQ(changes.count(), 2);  // unchanged: no event
}

TEST_F(ColorCombo, WithoutTheUserEntryAnUnknownColourChangesNothing)
{
    combo.setColorSet(ToColor::clrPure);
    combo.setColorValue(clNavy);
    combo.setColorValue(rgbColor(1, 2, 3));
    EXPECT_EQ(combo.currentText(), QStringLiteral("Navy"));
    EXPECT_EQ(combo.ColorValue(), clNavy);
}

TEST_F(ColorCombo, AnEmptySetLeavesOnlyOther)
{
    combo.setColorSet({});
    ASSERT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.itemText(0), QStringLiteral("Other..."));
    EXPECT_EQ(combo.ColorSet(), ToColorSet(ToColor::clrUser));
}

TEST_F(ColorCombo, PickingAnEntryByKeyTakesItsColour)
{
    combo.setColorSet(ToColor::clrPure | ToColor::clrUser);
    ASSERT_TRUE(showActive(&combo));
    QSignalSpy clicks(&combo, &ToColorCombo::clicked);
    userKey(Qt::Key_Down);
    EXPECT_EQ(combo.ColorValue(), clMaroon);
    // The user entry stays picked even when its colour is a pure one's.
    userKey(Qt::Key_End);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Other..."));
    EXPECT_EQ(combo.ColorValue(), clBlack);
    EXPECT_EQ(clicks.count(), 2);
}

}  // namespace
