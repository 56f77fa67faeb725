#include "controls/spinfloatedit.h"

#include "support/fakes.h"
#include "support/userinput.h"

#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

class SpinFloatEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit.setMinValue(0.0);
        edit.setMaxValue(5.0);
        edit.setValue(0.1);
        ASSERT_TRUE(showActive(&edit));
    }
    void type(const QString& text)
    {
        userKey(Qt::Key_A, Qt::ControlModifier);
        userType(text);
        userKey(Qt::Key_Return);
    }
    TSpinFloatEdit edit;
};

TEST_F(SpinFloatEdit, TypedValuesInBothSeparatorsAndMilliseconds)
{
    const std::pair<const char*, int> cases[] = {{"2,5", 2500}, {"2.5", 2500}, {"5", 5000}, {"0", 0}, {"0.3", 300}};
    for (const auto& [text, ms] : cases) {
        type(QString::fromLatin1(text));
        EXPECT_EQ(edit.valueTimes1000(), ms) << text;
    }
}

TEST_F(SpinFloatEdit, TypingBeyondTheRangeOrNoNumberIsRefusedVisibly)
{
    type(QStringLiteral("1.5"));
    type(QStringLiteral("7"));  // the key is refused: the field still says 1.5
    EXPECT_EQ(edit.Value(), 1.5);
    EXPECT_EQ(edit.text(), QStringLiteral("1.5"));
    type(QStringLiteral("x"));
    EXPECT_EQ(edit.Value(), 1.5);
    type(QStringLiteral("1.25"));  // the second decimal is refused
    EXPECT_EQ(edit.Value(), 1.2);
}

TEST_F(SpinFloatEdit, ArrowsStepByATenthAndStopAtTheEnds)
{
    userKey(Qt::Key_Up);
    EXPECT_EQ(edit.valueTimes1000(), 200);
    userKey(Qt::Key_Down);
    userKey(Qt::Key_Down);
    userKey(Qt::Key_Down);
    EXPECT_EQ(edit.valueTimes1000(), 0);
    type(QStringLiteral("4.9"));
    userKey(Qt::Key_Up);
    userKey(Qt::Key_Up);
    EXPECT_EQ(edit.valueTimes1000(), 5000);
    EXPECT_EQ(edit.text(), QStringLiteral("5.0"));
    EXPECT_TRUE(edit.alignment().testFlag(Qt::AlignLeft));
}

}  // namespace
