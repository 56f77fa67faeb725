#include "controls/griderror.h"
#include "controls/sparselist.h"
#include "controls/sparsepointerarray.h"
#include "controls/stringsparselist.h"
#include "support/testnames.h"

#include <QObject>
#include <gtest/gtest.h>

namespace {

class SparseArrayTest : public ::testing::TestWithParam<TSPAQuantum>
{
};

TEST_P(SparseArrayTest, StoresAcrossSectionsAndTracksTheHighBound)
{
    TSparsePointerArray<int> array(GetParam());
    EXPECT_EQ(array.sectionSize(), GetParam() == SPALarge ? 256 : 16);
    EXPECT_EQ(array.highBound(), -1);
    EXPECT_EQ(array.get(5), nullptr);
    array.put(3, std::make_unique<int>(30));
    array.put(1000, std::make_unique<int>(1));
    EXPECT_EQ(*array.get(3), 30);
    EXPECT_EQ(*array.get(1000), 1);
    EXPECT_EQ(array.get(999), nullptr);
    EXPECT_EQ(array.highBound(), 1000);
    // The cached look-up must see a change of the same index.
    array.put(3, std::make_unique<int>(31));
    EXPECT_EQ(*array.get(3), 31);
    auto taken = array.take(1000);
    ASSERT_TRUE(taken);
    EXPECT_EQ(*taken, 1);
    EXPECT_EQ(array.highBound(), 3);
    array.put(3, nullptr);
    EXPECT_EQ(array.get(3), nullptr);
    EXPECT_EQ(array.highBound(), -1);
}

INSTANTIATE_TEST_SUITE_P(Quanta, SparseArrayTest, ::testing::Values(SPASmall, SPALarge),
                         testnames::caseNames([](TSPAQuantum q) { return q == SPALarge ? "Large" : "Small"; }));

TEST(SparseListTest, InsertDeleteMoveAndExchangeShiftItems)
{
    TSparseList<int> list(SPASmall);
    for (int i = 0; i < 40; i += 2)
        list.put(i, std::make_unique<int>(i));
    EXPECT_EQ(list.count(), 39);
    list.insert(0, std::make_unique<int>(-1));
    EXPECT_EQ(*list.get(0), -1);
    EXPECT_EQ(*list.get(1), 0);
    EXPECT_EQ(list.get(2), nullptr);
    EXPECT_EQ(*list.get(39), 38);
    list.remove(0);
    EXPECT_EQ(*list.get(38), 38);
    EXPECT_EQ(list.count(), 39);
    list.move(0, 4);  // 0 goes to 4, 2 and 4 move forward
    EXPECT_EQ(*list.get(1), 2);
    EXPECT_EQ(*list.get(3), 4);
    EXPECT_EQ(*list.get(4), 0);
    list.exchange(1, 38);
    EXPECT_EQ(*list.get(1), 38);
    EXPECT_EQ(*list.get(38), 2);
}

TEST(SparseListTest, NegativeIndexIsAnError)
{
    TSparseList<int> list(SPASmall);
    try {
        list.get(-3);
        FAIL() << "no error";
    } catch (const EGridError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("List index out of bounds (-3)"));
    }
    EXPECT_THROW(list.put(-1, nullptr), EGridError);
    EXPECT_THROW(list.remove(-1), EGridError);
}

TEST(StringSparseListTest, EmptyTextWithoutObjectFreesTheItem)
{
    TStringSparseList row(SPASmall);
    QObject object;
    row.SetStrings(4, QStringLiteral("x"));
    EXPECT_EQ(row.count(), 5);
    EXPECT_EQ(row.Strings(4), QStringLiteral("x"));
    EXPECT_EQ(row.Strings(2), QString());
    row.SetObjects(4, &object);
    row.SetStrings(4, QString());
    EXPECT_EQ(row.count(), 5) << "the object keeps the item";
    EXPECT_EQ(row.Objects(4), &object);
    row.SetObjects(4, nullptr);
    EXPECT_EQ(row.count(), 0);
    EXPECT_TRUE(row.isEmpty());
}

}  // namespace
